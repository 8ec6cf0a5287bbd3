#include "KZMailSender.h"

#include "EMKeychainItem.h"
#include "KZBackground.h"
#include "KZException.h"
#include "KZLog.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZRecordedTexts.h"
#include "KZTask.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringView>
#include <QThreadPool>

#include <exception>

namespace {

const QString errorMarker = QStringLiteral("ERROR");
// "ERROR" and the separator " => " that the sender puts before its message.
constexpr qsizetype errorPrefixLength = 9;

QString describeArguments(const QStringList &arguments)
{
    QStringList quoted;
    for (const QString &argument : arguments)
        quoted.append(QLatin1Char('"') + argument + QLatin1Char('"'));
    return QLatin1Char('(') + quoted.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// A preference that must go into the argument list: a missing value is an
// error of the attempt, as it cannot be put into the list.
QString requiredText(const KZPreferences &preferences, const QString &key)
{
    const QVariant value = preferences.objectForKey(key);
    if (!value.isValid())
        throw KZException(KZException::missingPreference,
                          QStringLiteral("no value for \"%1\"").arg(key));
    return value.toString();
}

// The secret store's password; without one (a system service reaches no
// Secret Service), the credential systemd hands the service.
std::optional<QString> storedPassword(const std::optional<QString> &serviceName,
                                      const std::optional<QString> &username)
{
    if (const auto item =
            EMGenericKeychainItem::genericKeychainItemForService(serviceName, username))
        return item->password();
    return username ? KZMailSender::credentialPassword() : std::nullopt;
}

} // namespace

KZMailSender::KZMailSender(Copy copy)
    : m_copy(copy), m_senderProgram(defaultSenderProgram()), m_passwordLookup(storedPassword)
{
}

QString KZMailSender::defaultSenderProgram()
{
    // A copy shipped with the program (installed beside its data) wins over
    // the system's.
    if (QCoreApplication::instance()) {
        const QString bundled =
            QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tarnwell/sendEmail");
        if (QFileInfo(bundled).isExecutable())
            return QFileInfo(bundled).canonicalFilePath();
    }
    return QStringLiteral("/usr/bin/sendemail");
}

std::optional<QString> KZMailSender::credentialPassword()
{
    const QByteArray folder = qgetenv("CREDENTIALS_DIRECTORY");
    if (folder.isEmpty())
        return std::nullopt;
    QFile file(QFile::decodeName(folder) + QStringLiteral("/smtp-password"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty())
        return std::nullopt;
    return QString::fromUtf8(line);
}

QString KZMailSender::keychainServiceName(const QString &username)
{
    return QStringLiteral("Tarnwell (SMTP): %1").arg(username);
}

std::optional<QString> KZMailSender::errorTextFromOutput(const QStringList &output)
{
    std::optional<QString> errorText;
    for (const QString &line : output) {
        const qsizetype position = line.indexOf(errorMarker);
        if (position < 0)
            continue;
        QString text = line.mid(position + errorPrefixLength);
        // "ERROR" too near the end of the line leaves no message after the
        // separator; the failure still counts and the line itself says why.
        if (text.trimmed().isEmpty())
            text = line.mid(position).trimmed();
        errorText = text;
    }
    return errorText;
}

QString KZMailSender::encodeSubject(const QString &subject)
{
    bool plain = true;
    for (const QChar c : subject) {
        if (c.unicode() > 0x7e || (c.unicode() < 0x20 && c != QLatin1Char('\t'))) {
            plain = false;
            break;
        }
    }
    if (plain)
        return subject;
    // Encoded words of at most 75 characters: 45 bytes of UTF-8 become 60
    // base64 characters. A character is never split between two words.
    constexpr qsizetype maximumBytes = 45;
    QStringList words;
    QByteArray chunk;
    const QList<uint> codePoints = subject.toUcs4();
    for (const uint codePoint : codePoints) {
        const char32_t character = codePoint;
        const QByteArray bytes = QString::fromUcs4(&character, 1).toUtf8();
        if (chunk.size() + bytes.size() > maximumBytes) {
            words.append(
                QStringLiteral("=?UTF-8?B?%1?=").arg(QString::fromLatin1(chunk.toBase64())));
            chunk.clear();
        }
        chunk += bytes;
    }
    if (!chunk.isEmpty())
        words.append(QStringLiteral("=?UTF-8?B?%1?=").arg(QString::fromLatin1(chunk.toBase64())));
    return words.join(QLatin1Char(' '));
}

QString KZMailSender::resultText(const KZMailResult &result)
{
    // In the language of the installed catalogue: English in the command-line tool.
    if (!result.failed)
        return QCoreApplication::translate("KZMailSender", "Email sent successfully.");
    return KZRecordedTexts::fill(QCoreApplication::translate("KZMailSender", "Send failed: %1"),
                                 {KZRecordedTexts::shown(result.errorText.value_or(QString()))});
}

KZMailResult KZMailSender::sendEmailWithSubjectAndMessage(const QStringList &message) const
{
    KZMailResult result;
    if (m_copy != Copy::MenuItem)
        result.errorText = QStringLiteral("None");
    KZPreferences &preferences = m_preferences ? *m_preferences : KZPreferences::standard();
    const bool debug = preferences.boolForKey(KZPreferenceKeys::outputDebugMessages);
    try {
        run(message, result);
    } catch (const KZException &exception) {
        result.failed = true;
        if (m_copy != Copy::MenuItem)
            result.errorText = exception.reason();
        KZLog::debug(debug, QStringLiteral("Mail send exception raised. Name: %1; Reason: %2")
                                .arg(exception.name(), exception.reason()));
    } catch (const std::exception &exception) {
        result.failed = true;
        if (m_copy != Copy::MenuItem)
            result.errorText = QString::fromLocal8Bit(exception.what());
        KZLog::debug(debug, QStringLiteral("Mail send exception raised. Name: %1; Reason: %2")
                                .arg(QStringLiteral("std::exception"),
                                     QString::fromLocal8Bit(exception.what())));
    }
    if (result.failed)
        KZLog::log(QStringLiteral("Mail not sent: %1")
                       .arg(result.errorText.value_or(QStringLiteral("unknown error"))));
    return result;
}

void KZMailSender::run(const QStringList &message, KZMailResult &result) const
{
    KZPreferences &preferences = m_preferences ? *m_preferences : KZPreferences::standard();
    const bool debug = preferences.boolForKey(KZPreferenceKeys::outputDebugMessages);
    if (message.size() != 2)
        throw KZException(KZException::badMessage,
                          QStringLiteral("a mail needs a subject and a body"));

    QStringList arguments;
    arguments.reserve(8);
    arguments << QStringLiteral("-f")
              << requiredText(preferences, KZPreferenceKeys::emailFromAddress)
              << QStringLiteral("-t") << requiredText(preferences, KZPreferenceKeys::emailToAddress)
              << QStringLiteral("-u") << encodeSubject(message.at(0)) << QStringLiteral("-m")
              << message.at(1);
    // The sender's default body charset is ISO 8859-1; our texts are UTF-8.
    arguments << QStringLiteral("-o") << QStringLiteral("message-charset=utf-8");

    const QString portKey = KZPreferenceKeys::emailCustomPort;
    const QVariant port = preferences.objectForKey(portKey);
    if (!port.isValid() || port.toString().trimmed().isEmpty())
        preferences.setInteger(portKey, 25);
    const QString server = requiredText(preferences, KZPreferenceKeys::emailSMTPAddress);
    arguments << QStringLiteral("-s")
              << QStringLiteral("%1:%2").arg(server, requiredText(preferences, portKey));

    if (preferences.boolForKey(KZPreferenceKeys::emailSSL))
        arguments << QStringLiteral("-o") << QStringLiteral("tls=yes");

    KZLog::debug(debug, QStringLiteral("Host: %1").arg(server));

    // The password goes to the sender's standard input, never into the
    // argument list (which any user can read from the process table).
    QByteArray standardInput;
    if (preferences.integerForKey(KZPreferenceKeys::emailAuthenticationType) != 0) {
        const QVariant usernameValue = preferences.objectForKey(KZPreferenceKeys::emailUsername);
        std::optional<QString> username;
        std::optional<QString> serviceName;
        if (usernameValue.isValid()) {
            username = usernameValue.toString();
            serviceName = keychainServiceName(*username);
        }
        const std::optional<QString> password =
            m_passwordLookup ? m_passwordLookup(serviceName, username) : std::nullopt;
        if (password && username) {
            arguments << QStringLiteral("-xu") << *username;
            KZLog::debug(debug, QStringLiteral("Arguments: %1").arg(describeArguments(arguments)));
            standardInput = password->toUtf8() + '\n';
        } else {
            result.failed = true;
            result.errorText = QString::fromLatin1(
                QT_TRANSLATE_NOOP("KZRecordedTexts", "Username/password item not found"));
        }
    } else if (m_copy != Copy::MenuItem) {
        KZLog::debug(debug, QStringLiteral("Arguments: %1").arg(describeArguments(arguments)));
    }

    KZLog::debug(debug, QStringLiteral("Sending mail..."));
    if (result.failed)
        return;

    KZTask task;
    task.setTimeout(m_timeoutSeconds);
    // Always a standard input of our own, so the sender never waits on the
    // terminal or on whatever this process was given.
    task.setStandardInputText(standardInput);
    result.senderRun = true;
    const std::optional<QStringList> output = task.parseCommandLine(m_senderProgram, arguments);
    standardInput.fill('\0');

    // A sender that crashed, was stopped or printed nothing has not sent anything.
    if (!output || output->isEmpty()) {
        result.failed = true;
        result.errorText = QString::fromLatin1(
            QT_TRANSLATE_NOOP("KZRecordedTexts", "Error running email command"));
        return;
    }
    result.output = *output;
    if (const std::optional<QString> errorText = errorTextFromOutput(*output)) {
        result.failed = true;
        result.errorText = errorText;
    }
    KZLog::debug(debug, QStringLiteral("%1: %2").arg(m_copy == Copy::MenuItem
                                                         ? QStringLiteral("SendEmail Output")
                                                         : QStringLiteral("Output"),
                                                     describeArguments(*output)));
}

void KZMailSender::sendInBackground(const QStringList &message,
                                    std::function<void(const KZMailResult &)> finished) const
{
    const KZMailSender sender = *this;
    auto counted = std::make_shared<KZBackground::Counted>();
    KZBackground::pool().start([sender, message, finished, counted] {
        const KZMailResult result = sender.sendEmailWithSubjectAndMessage(message);
        if (finished)
            finished(result);
    });
}
