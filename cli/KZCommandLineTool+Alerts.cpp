#include "KZCommandLineTool.h"

#include "EMKeychainItem.h"
#include "KZAlertMail.h"
#include "KZMailSender.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"

#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

// Reads one line from standard input without showing it on a terminal.
// Nothing when standard input ends before any character.
std::optional<QByteArray> readSecretLine(QTextStream &err)
{
    const bool terminal = ::isatty(STDIN_FILENO) == 1;
    termios saved{};
    if (terminal) {
        err << "SMTP password: ";
        err.flush();
        ::tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    QByteArray line;
    bool gotAny = false;
    for (;;) {
        const int c = std::fgetc(stdin);
        if (c == EOF)
            break;
        gotAny = true;
        if (c == '\n')
            break;
        line.append(char(c));
    }
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        err << "\n";
        err.flush();
    }
    if (line.endsWith('\r'))
        line.chop(1);
    if (!gotAny)
        return std::nullopt;
    return line;
}

} // namespace

int KZCommandLineTool::mailTest(const QStringList &arguments)
{
    KZMailSender sender(KZMailSender::Copy::Application);
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString &argument = arguments.at(index);
        if (argument == QLatin1String("--sendemail")) {
            if (index + 1 >= arguments.size())
                return usage(QStringLiteral("--sendemail needs a program"));
            sender.setSenderProgram(arguments.at(++index));
        } else if (argument.startsWith(QLatin1String("--sendemail="))) {
            sender.setSenderProgram(argument.mid(int(sizeof "--sendemail=") - 1));
        } else {
            return usage((argument.startsWith(QLatin1Char('-'))
                              ? QStringLiteral("unknown option \"%1\"")
                              : QStringLiteral("unknown argument \"%1\""))
                             .arg(argument));
        }
    }
    KZPreferences &preferences = KZPreferences::standard();
    preferences.synchronize();
    const QStringList message =
        KZAlertMail::testMessage(preferences.stringForKey(KZPreferenceKeys::emailHostName));
    const KZMailResult result = sender.sendEmailWithSubjectAndMessage(message);
    // The result text goes to standard output either way (the exit status
    // tells failure); standard error carries only log lines.
    m_out << KZMailSender::resultText(result) << "\n";
    m_out.flush();
    m_err.flush();
    return result.failed ? AlertFailed : Success;
}

int KZCommandLineTool::password(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return usage(
            QStringLiteral("password takes no arguments: give the password on standard input"));
    KZPreferences &preferences = KZPreferences::standard();
    const QVariant usernameValue = preferences.objectForKey(KZPreferenceKeys::emailUsername);
    const QString username = usernameValue.toString();

    std::optional<QByteArray> line = readSecretLine(m_err);
    if (!line || line->isEmpty()) {
        m_err << "tarnwell-cli: no password on standard input; nothing was stored\n";
        m_err.flush();
        return UsageError;
    }
    const QString secret = QString::fromUtf8(*line);
    line->fill('\0');

    // The same rule as leaving the e-mail options: change the stored item,
    // or add one when there is none.
    const QString service = KZMailSender::keychainServiceName(username);
    bool stored = false;
    if (auto item = EMGenericKeychainItem::genericKeychainItemForService(service, username)) {
        item->setPassword(secret);
        const auto check = EMGenericKeychainItem::genericKeychainItemForService(service, username);
        stored = check && check->password() == secret;
    } else {
        stored = EMGenericKeychainItem::addGenericKeychainItemForService(service, username,
                                                                         secret) != nullptr;
    }
    if (!stored) {
        m_err << "tarnwell-cli: the password could not be stored in the secret store "
                 "(is a keyring running and unlocked?)\n";
        m_err.flush();
        return AlertFailed;
    }
    m_out << "Password stored for \"" << username << "\" (service \"" << service << "\").\n";
    if (username.isEmpty())
        m_out << "Note: \"EmailUsername\" is empty; set it before switching authentication on.\n";
    m_out.flush();
    return Success;
}
