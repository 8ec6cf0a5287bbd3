#include "KZCommandLineTool.h"

#include "KZCheckCycle.h"

#include "KZDriveCheck.h"
#include "KZException.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "KZSMARTScanner.h"
#include "KZSavedReport.h"
#include "KZSmartctlHelper.h"
#include "KZTask.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

namespace {

const char *const usageText =
    "usage: tarnwell-cli report [--json] [--smartctl PROGRAM] [--timeout SECONDS] TARGET...\n"
    "       tarnwell-cli check [--json] [--smartctl PROGRAM] [--timeout SECONDS]\n"
    "                          [--show-unsupported] [--no-wake] [--lsblk PROGRAM]\n"
    "                          [--alert [--sendemail PROGRAM]] [--prometheus FILE]\n"
    "                          [--no-history] [TARGET...]\n"
    "       tarnwell-cli history [--json | --csv] [--since DATE] [--attribute ID] TARGET...\n"
    "       tarnwell-cli capture [--smartctl PROGRAM] [--timeout SECONDS] SOURCE -o FILE.twdr\n"
    "       tarnwell-cli mail-test [--sendemail PROGRAM]\n"
    "       tarnwell-cli password < FILE\n"
    "       tarnwell-cli --help | --version\n"
    "\n"
    "  report    read each TARGET and print what its drive reports\n"
    "            TARGET is a device (such as /dev/sda) or a saved capture file (.twdr)\n"
    "  check     find the drives of this machine (or take the TARGETs), read them,\n"
    "            drop unsupported ones, merge duplicates, and print one summary line\n"
    "            and one line per drive with its status and failure reasons; the\n"
    "            drives' rows go into the history of checks\n"
    "  history   print the recorded checks of each TARGET, oldest first; TARGET is a\n"
    "            device (the drive last checked there) or a serial number\n"
    "  capture   record the raw capture of a device, or re-record a capture file,\n"
    "            and save its command blocks as a report that report and check read\n"
    "  mail-test send the test e-mail with the e-mail preferences and print the result\n"
    "  password  store the SMTP password, read from the first line of standard input,\n"
    "            in the secret store for the user named by \"EmailUsername\"\n"
    "\n"
    "  --json    print JSON instead of text\n"
    "  --smartctl PROGRAM\n"
    "            run PROGRAM instead of the smartctl that is found on the system\n"
    "  --timeout SECONDS\n"
    "            stop a smartctl run that has not finished after SECONDS (120);\n"
    "            the rest of that drive's reading is then skipped\n"
    "  --show-unsupported\n"
    "            keep drives without S.M.A.R.T. support in the list for this run\n"
    "  --no-wake leave a disk that sleeps asleep: it is SLEEPING, named by the model\n"
    "            and serial number lsblk reports, and does not change the exit status\n"
    "  --lsblk PROGRAM\n"
    "            list the block devices with PROGRAM instead of lsblk\n"
    "  --alert   after the check, do what the application does after its check: write\n"
    "            the drive list file, send the alert mail as the e-mail preferences\n"
    "            decide, and set the blink(1) LED\n"
    "  --prometheus FILE\n"
    "            after the check, replace FILE with its verdicts as Prometheus metrics\n"
    "            for node_exporter's textfile collector; FILE - prints them instead of\n"
    "            the verdict lines\n"
    "  --no-history\n"
    "            do not write the check into the history of checks\n"
    "  --csv     print comma-separated values instead of text\n"
    "  --since DATE\n"
    "            only checks from DATE on: a day (2026-01-31) or a time\n"
    "            (2026-01-31T12:00:00Z); without a zone, UTC\n"
    "  --attribute ID\n"
    "            add the value, worst and raw value of attribute ID to each check\n"
    "  -o FILE   where capture writes the report\n"
    "  --sendemail PROGRAM\n"
    "            run PROGRAM instead of the system's sendemail\n"
    "\n"
    "Exit status of report: 0 every target was read, 1 usage error, 3 some drive\n"
    "could not be read.\n"
    "Exit status of check: 0 every drive passed, 1 a drive is failing, 2 a drive\n"
    "failed, 3 a drive could not be read (UNKNOWN, with the reason on the line\n"
    "below it) and none failed or is failing, the scan failed, or the command was\n"
    "not understood.\n"
    "Exit status of history: 0 every TARGET has recorded checks, 1 usage error, 3 a\n"
    "TARGET has none or the history could not be read.\n"
    "Exit status of capture: 0 the report was written, 1 usage error, 3 no report\n"
    "could be made or written.\n"
    "Exit status of mail-test and password: 0 done, 1 usage error, 4 the mail or the\n"
    "password could not be handed on.\n";

} // namespace

int KZCommandLineTool::run(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return usage(QStringLiteral("no command given"));
    // --help anywhere before "--" answers with the usage, after a command too.
    const QStringList options = arguments.mid(0, arguments.indexOf(QLatin1String("--")));
    const QString command = arguments.first();
    if (command == QLatin1String("help") || options.contains(QLatin1String("--help")) ||
        options.contains(QLatin1String("-h"))) {
        m_out << usageText;
        return Success;
    }
    if (command == QLatin1String("--version")) {
        m_out << "tarnwell-cli " TARNWELL_VERSION "\n";
        return Success;
    }
    if (command == QLatin1String("report"))
        return report(arguments.mid(1));
    if (command == QLatin1String("check"))
        return check(arguments.mid(1));
    if (command == QLatin1String("capture"))
        return capture(arguments.mid(1));
    if (command == QLatin1String("history"))
        return history(arguments.mid(1));
    if (command == QLatin1String("mail-test"))
        return mailTest(arguments.mid(1));
    if (command == QLatin1String("password"))
        return password(arguments.mid(1));
    // Only --help and --version stand before the command.
    if (command.startsWith(QLatin1Char('-')) && command != QLatin1String("-"))
        return usage(QStringLiteral("unknown option \"%1\"").arg(command));
    return usage(QStringLiteral("unknown command \"%1\"").arg(command));
}

int KZCommandLineTool::usage(const QString &problem)
{
    m_err << "tarnwell-cli: " << problem << "\n"
          << "Run \"tarnwell-cli --help\" for the usage.\n";
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
        KZPreferences::standard().boolForKey(KZPreferenceKeys::outputDebugMessages));
    if (!m_smartctl.isEmpty())
        drive.setSmartctlOverride(m_smartctl);
    return drive;
}

int KZCommandLineTool::report(const QStringList &arguments)
{
    ParsedOptions options;
    if (const std::optional<QString> problem = parseOptions(
            arguments,
            {QStringLiteral("--json"), QStringLiteral("--smartctl"), QStringLiteral("--timeout")},
            options))
        return usage(*problem);
    if (options.targets.isEmpty())
        return usage(QStringLiteral("report needs at least one TARGET"));

    bool allRead = true;
    QJsonArray drives;
    QStringList reports;
    for (const QString &target : std::as_const(options.targets)) {
        KZSMARTDrive drive = makeDrive(target);
        drive.setNamedTarget(true);
        drive.updateInfo();
        if (!drive.smartSupported()) {
            allRead = false;
            const auto &message = drive.getLastSMARTErrorMessage();
            m_err << "tarnwell-cli: " << target << ": could not be read"
                  << (message ? QStringLiteral(" (%1)").arg(*message) : QString()) << "\n";
        }
        if (options.json)
            drives.append(KZDriveCheck::driveJSON(drive));
        else
            reports.append(drive.description());
    }
    if (options.json) {
        m_out << QJsonDocument(drives).toJson(QJsonDocument::Indented);
    } else {
        // The report of a drive without S.M.A.R.T. support ends without a line feed.
        for (const QString &report : std::as_const(reports))
            m_out << report << (report.endsWith(QLatin1Char('\n')) ? "\n" : "\n\n");
    }
    m_out.flush();
    m_err.flush();
    return allRead ? Success : DriveUnreadable;
}

std::optional<QString> KZCommandLineTool::parseOptions(const QStringList &arguments,
                                                       const QStringList &allowed,
                                                       ParsedOptions &parsed)
{
    auto valueOf = [&](qsizetype &index, const QString &option) -> std::optional<QString> {
        const QString &argument = arguments.at(index);
        if (argument.startsWith(option + QLatin1Char('=')))
            return argument.mid(option.size() + 1);
        if (index + 1 >= arguments.size())
            return std::nullopt;
        return arguments.at(++index);
    };
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString &argument = arguments.at(index);
        const QString option = argument.section(QLatin1Char('='), 0, 0);
        if (argument == QLatin1String("--")) {
            parsed.targets += arguments.mid(index + 1);
            break;
        }
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            parsed.targets.append(argument);
            continue;
        }
        if (!allowed.contains(option))
            return QStringLiteral("unknown option \"%1\"").arg(argument);
        if (option == QLatin1String("--json")) {
            parsed.json = true;
        } else if (option == QLatin1String("--show-unsupported")) {
            parsed.showUnsupported = true;
        } else if (option == QLatin1String("--alert")) {
            parsed.alert = true;
        } else if (option == QLatin1String("--no-wake")) {
            parsed.noWake = true;
        } else if (option == QLatin1String("--no-history")) {
            parsed.noHistory = true;
        } else if (option == QLatin1String("--csv")) {
            parsed.csv = true;
        } else {
            const std::optional<QString> value = valueOf(index, option);
            if (!value || value->isEmpty())
                return QStringLiteral("%1 needs a value").arg(option);
            if (option == QLatin1String("--smartctl"))
                m_smartctl = *value;
            else if (option == QLatin1String("--lsblk"))
                parsed.lsblk = *value;
            else if (option == QLatin1String("--sendemail"))
                parsed.sendemail = *value;
            else if (option == QLatin1String("--prometheus"))
                parsed.prometheus = *value;
            else if (option == QLatin1String("--since"))
                parsed.since = *value;
            else if (option == QLatin1String("--attribute"))
                parsed.attribute = value->toInt();
            else if (option == QLatin1String("--timeout"))
                parsed.timeout = value->toInt();
            else if (option == QLatin1String("-o") || option == QLatin1String("--output"))
                parsed.output = *value;
        }
    }
    // A program that is there but cannot be run is the engine's to report:
    // every drive then says why it could not be read.
    if (!m_smartctl.isEmpty() && !QFileInfo::exists(m_smartctl))
        return QStringLiteral("\"%1\" does not exist").arg(m_smartctl);
    if (parsed.timeout) {
        if (*parsed.timeout <= 0)
            return QStringLiteral("--timeout needs a whole number of seconds above 0");
        KZTask::setDefaultTimeout(*parsed.timeout);
    }
    if (parsed.attribute && *parsed.attribute <= 0)
        return QStringLiteral("--attribute needs an attribute number above 0");
    if (!parsed.lsblk.isEmpty() && !QFileInfo(parsed.lsblk).isExecutable())
        return QStringLiteral("\"%1\" is not an executable program").arg(parsed.lsblk);
    return std::nullopt;
}

int KZCommandLineTool::check(const QStringList &arguments)
{
    ParsedOptions options;
    if (const std::optional<QString> problem = parseOptions(
            arguments,
            {QStringLiteral("--json"), QStringLiteral("--smartctl"), QStringLiteral("--timeout"),
             QStringLiteral("--show-unsupported"), QStringLiteral("--lsblk"),
             QStringLiteral("--alert"), QStringLiteral("--sendemail"),
             QStringLiteral("--prometheus"), QStringLiteral("--no-history"),
             QStringLiteral("--no-wake")},
            options)) {
        usage(*problem);
        return KZDriveCheck::Unknown;
    }
    const bool metricsOut = options.prometheus == QLatin1String("-");
    if (metricsOut && options.json) {
        usage(QStringLiteral("--json and --prometheus - both print to standard output"));
        return KZDriveCheck::Unknown;
    }
    QElapsedTimer clock;
    clock.start();

    KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
    scanner.setOutputDebugMessages(
        KZPreferences::standard().boolForKey(KZPreferenceKeys::outputDebugMessages));
    if (!m_smartctl.isEmpty())
        scanner.setSmartctlOverride(m_smartctl);
    if (options.showUnsupported)
        scanner.setShowUnsupportedDrives(true);
    if (!options.lsblk.isEmpty())
        scanner.setToolProgram(KZSMARTScanner::lsblkTool, options.lsblk);
    // Every disk is read, woken if need be, unless asked otherwise.
    if (options.noWake)
        scanner.setSleepPolicy({true, false, 0});

    bool scanned = true;
    if (options.targets.isEmpty()) {
        scanned = scanner.scanForDrives();
    } else {
        // The user asked for these: they are listed whatever they answer.
        for (const QString &target : std::as_const(options.targets)) {
            auto drive = std::make_shared<KZSMARTDrive>(makeDrive(target));
            drive->setNamedTarget(true);
            scanner.addDrive(drive);
        }
    }
    QStringList locations;
    for (const std::shared_ptr<KZSMARTDrive> &drive : scanner.getDrives())
        locations.append(drive->driveLocation());
    scanner.updateDrives();
    // As the application's scan does: a count of running self-tests that no
    // stored end time backs goes back to 0. Applied after the update, so that
    // the protective mark of a drive with S.M.A.R.T. switched off does not
    // add up over the checks of a cron job.
    KZCheckCycle::selfTestWarningCalledFor(locations, QDateTime::currentDateTime(),
                                           KZPreferences::standard());

    const KZDriveList &drives = scanner.getDrives();
    const qint64 durationMs = clock.elapsed();
    if (metricsOut)
        exportAfterCheck(drives, scanned, durationMs, options.prometheus);
    else if (options.json)
        m_out << QJsonDocument(KZDriveCheck::jsonReport(drives, scanned, scanner.skippedDisks()))
                     .toJson(QJsonDocument::Indented);
    else
        m_out << KZDriveCheck::textReport(drives, scanned, scanner.skippedDisks());
    m_out.flush();
    if (!options.prometheus.isEmpty() && !metricsOut)
        exportAfterCheck(drives, scanned, durationMs, options.prometheus);
    if (!options.noHistory)
        recordHistory(drives);
    if (options.alert)
        alertAfterCheck(drives, options);
    m_err.flush();
    return KZDriveCheck::checkState(drives, scanned);
}

void KZCommandLineTool::alertAfterCheck(const KZDriveList &drives, const ParsedOptions &options)
{
    QList<const KZSMARTDrive *> checked;
    for (const auto &drive : drives)
        checked.append(drive.get());
    KZCheckCycle::Options cycle;
    cycle.waitForMail = true;
    if (!options.sendemail.isEmpty())
        cycle.mailSender.setSenderProgram(options.sendemail);
    const KZCheckCycle::Result result = KZCheckCycle::finishUpdate(checked, cycle);
    // Report what was done on standard error, so standard output stays the
    // monitoring-plugin text that scripts parse.
    if (!result.driveListWritten)
        m_err << "tarnwell-cli: the drive list file could not be written\n";
    if (result.mailResult)
        m_err << "tarnwell-cli: alert mail: " << KZMailSender::resultText(*result.mailResult)
              << "\n";
}

int KZCommandLineTool::capture(const QStringList &arguments)
{
    ParsedOptions options;
    if (const std::optional<QString> problem =
            parseOptions(arguments,
                         {QStringLiteral("--smartctl"), QStringLiteral("--timeout"),
                          QStringLiteral("-o"), QStringLiteral("--output")},
                         options))
        return usage(*problem);
    if (options.targets.size() != 1)
        return usage(QStringLiteral("capture needs exactly one SOURCE"));
    if (options.output.isEmpty())
        return usage(QStringLiteral("capture needs -o FILE"));
    const QString source = options.targets.first();

    auto fail = [this, &source](const QString &message) {
        m_err << "tarnwell-cli: " << source << ": " << message << "\n";
        m_err.flush();
        return int(CaptureFailed);
    };

    // The capture run of a drive: "-r ataioctl,2 -a" and the device, or "-"
    // with the capture file on standard input.
    KZSMARTDrive drive = makeDrive(source);
    if (drive.driveFromFile()) {
        // A file without command blocks, such as the capture of an NVMe
        // drive, says itself what it is; smartctl would only find no blocks.
        QFile sourceFile(drive.driveLocation());
        const QString sourceText = sourceFile.open(QIODevice::ReadOnly)
                                       ? QString::fromUtf8(sourceFile.readAll())
                                       : QString();
        const KZSavedReport::CaptureContent content = KZSavedReport::captureContent(sourceText);
        if (content == KZSavedReport::CaptureContent::NVMeDrive ||
            content == KZSavedReport::CaptureContent::SCSIDrive)
            return fail(KZSavedReport::unreplayableReason(sourceText).value_or(QString()) +
                        QStringLiteral("; nothing was written"));
    }
    drive.setArgumentCode(KZSMARTDrive::RawCapture);
    const std::optional<KZSMARTDrive::SmartctlCommand> command = drive.smartctlCommand();
    if (!command || !QFileInfo(command->program).isExecutable())
        return fail(QStringLiteral("no smartctl program found"));
    const QString &program = command->program;

    QTemporaryDir folder;
    if (!folder.isValid())
        return fail(QStringLiteral("cannot make a temporary folder: %1").arg(folder.errorString()));
    const QString rawPath = folder.filePath(QStringLiteral("capture.twdr"));
    KZTask task;
    task.setCLocale(true);
    task.setRawDataPath(rawPath);
    if (drive.driveFromFile())
        task.setReadFromFilePath(drive.driveLocation());
    try {
        task.parseCommandLine(program, command->arguments);
    } catch (const KZException &error) {
        return fail(QStringLiteral("cannot run %1: %2").arg(program, error.reason()));
    }
    if (task.failure() == KZTask::Failure::TimedOut)
        return fail(QStringLiteral("smartctl did not answer within %1 s; nothing was written")
                        .arg(task.timeout()));
    if (task.failure() == KZTask::Failure::OutputTooLarge)
        return fail(QStringLiteral("smartctl printed more than %1 MB; nothing was written")
                        .arg(KZTask::defaultOutputLimit / (1024 * 1024)));
    if (task.failure() == KZTask::Failure::Signalled)
        return fail(QStringLiteral("smartctl was stopped by signal %1; nothing was written")
                        .arg(-task.getErrorCode()));

    QFile rawFile(rawPath);
    if (!rawFile.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1 gave no readable output").arg(program));
    const QString rawText = QString::fromUtf8(rawFile.readAll());
    if (command->throughHelper) {
        if (const std::optional<QString> refusal =
                KZSmartctlHelper::refusalOf(rawText.split(QLatin1Char('\n'))))
            return fail(*refusal);
    }
    const QString report = KZSavedReport::cutBlocks(rawText);
    if (const std::optional<QString> problem = KZSavedReport::unreplayableReason(rawText);
        problem || report.isEmpty())
        return fail(problem.value_or(QStringLiteral("the capture holds no command blocks")) +
                    QStringLiteral("; nothing was written"));
    QString writeError;
    if (!KZSavedReport::writeSavedReport(options.output, report, &writeError))
        return fail(QStringLiteral("cannot write %1: %2").arg(options.output, writeError));

    m_out << "tarnwell-cli: saved " << KZSavedReport::blockList(report).size() / 2
          << " command blocks of " << source << " to " << options.output << "\n";
    m_out.flush();
    return Success;
}
