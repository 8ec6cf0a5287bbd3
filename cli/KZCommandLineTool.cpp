#include "KZCommandLineTool.h"

#include "KZPreferences.h"
#include "KZSMARTDrive.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

const char *const usageText =
    "usage: tarnwell-cli report [--json] [--smartctl PROGRAM] TARGET...\n"
    "       tarnwell-cli mail-test [--sendemail PROGRAM]\n"
    "       tarnwell-cli password < FILE\n"
    "\n"
    "  report    read each TARGET and print what its drive reports\n"
    "            TARGET is a device (such as /dev/sda) or a saved capture file (.twdr)\n"
    "  --json    print a JSON array with one object per drive\n"
    "  --smartctl PROGRAM\n"
    "            run PROGRAM instead of the smartctl that is found on the system\n"
    "  mail-test send the test e-mail with the e-mail preferences and print the result\n"
    "  --sendemail PROGRAM\n"
    "            run PROGRAM instead of the system's sendemail\n"
    "  password  store the SMTP password, read from the first line of standard input,\n"
    "            in the secret store for the user named by \"EmailUsername\"\n"
    "\n"
    "Exit status: 0 every target was read, 1 usage error, 3 some drive could not be read,\n"
    "4 the mail or the password could not be handed on.\n";

} // namespace

int KZCommandLineTool::run(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return usage(QStringLiteral("no command given"));
    const QString command = arguments.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        m_out << usageText;
        return Success;
    }
    if (command == QLatin1String("report"))
        return report(arguments.mid(1));
    if (command == QLatin1String("mail-test"))
        return mailTest(arguments.mid(1));
    if (command == QLatin1String("password"))
        return password(arguments.mid(1));
    return usage(QStringLiteral("unknown command \"%1\"").arg(command));
}

int KZCommandLineTool::usage(const QString &problem)
{
    m_err << "tarnwell-cli: " << problem << "\n" << usageText;
    m_err.flush();
    return UsageError;
}

KZSMARTDrive KZCommandLineTool::makeDrive(const QString &target) const
{
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    const QFileInfo info(target);
    if (info.exists() && info.isFile()) {
        drive.setLocation(info.absoluteFilePath());
        drive.setDriveAsFile(true);
    } else {
        drive.setLocation(target);
    }
    drive.setDebugState(
        KZPreferences::standard().boolForKey(QStringLiteral("OutputDebugMessages")));
    if (!m_smartctl.isEmpty())
        drive.setSmartctlOverride(m_smartctl);
    return drive;
}

int KZCommandLineTool::report(const QStringList &arguments)
{
    bool json = false;
    QStringList targets;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString &argument = arguments.at(index);
        if (argument == QLatin1String("--json")) {
            json = true;
        } else if (argument == QLatin1String("--smartctl")) {
            if (index + 1 >= arguments.size())
                return usage(QStringLiteral("--smartctl needs a program"));
            m_smartctl = arguments.at(++index);
        } else if (argument.startsWith(QLatin1String("--smartctl="))) {
            m_smartctl = argument.mid(int(sizeof "--smartctl=") - 1);
        } else if (argument == QLatin1String("--")) {
            targets += arguments.mid(index + 1);
            break;
        } else if (argument.startsWith(QLatin1String("--"))) {
            return usage(QStringLiteral("unknown option \"%1\"").arg(argument));
        } else {
            targets.append(argument);
        }
    }
    if (targets.isEmpty())
        return usage(QStringLiteral("report needs at least one TARGET"));
    if (m_smartctl.isEmpty() == false && !QFileInfo(m_smartctl).isExecutable())
        return usage(QStringLiteral("\"%1\" is not an executable program").arg(m_smartctl));

    bool allRead = true;
    QJsonArray drives;
    for (const QString &target : targets) {
        KZSMARTDrive drive = makeDrive(target);
        drive.updateInfo();
        if (!drive.smartSupported()) {
            allRead = false;
            const auto &message = drive.getLastSMARTErrorMessage();
            m_err << "tarnwell-cli: " << target << ": could not be read"
                  << (message ? QStringLiteral(" (%1)").arg(*message) : QString()) << "\n";
        }
        drives.append(drive.toJSON());
    }
    Q_UNUSED(json); // the plain-text report prints JSON until the text form exists
    m_out << QJsonDocument(drives).toJson(QJsonDocument::Indented);
    m_out.flush();
    m_err.flush();
    return allRead ? Success : DriveUnreadable;
}
