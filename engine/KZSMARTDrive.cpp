#include "KZSMARTDrive.h"

#include "KZAtomicFile.h"
#include "KZException.h"
#include "KZLog.h"
#include "KZPaths.h"
#include "KZPreferences.h"
#include "KZRecordedTexts.h"
#include "KZSmartctlHelper.h"
#include "KZTask.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstring>
#include <functional>

namespace {

// Texts on the first line after the banner that mean smartctl could not open
// or recognise the device at all; such a device has no usable SMART data.
const char *const openFailureMarkers[] = {
    " failed: ",
    "Device Read Identity Failed",
    "Unable to detect device type",
    "Unknown USB bridge",
};

const QString ambiguousText = QStringLiteral("SMART support is: Ambiguous");
const QString syntaxErrorText = QStringLiteral("Syntax error: No information found");
// Recorded in English; KZRecordedTexts::shown() translates them for a person.
const QString healthCheckFailure = QString::fromLatin1(
    QT_TRANSLATE_NOOP("KZRecordedTexts", "SMART overall-health self-assessment test failed"));
const QString ambiguousFailure = QString::fromLatin1(
    QT_TRANSLATE_NOOP("KZRecordedTexts", "smartctl returned error message: SMART support is "
                                         "ambiguous but SMART cannot be enabled."));
const QString cutOffReason = QString::fromLatin1(
    QT_TRANSLATE_NOOP("KZRecordedTexts", "smartctl's output ended in the middle of a line"));

QString timedOutReason(int seconds)
{
    return KZRecordedTexts::english(KZRecordedTexts::timedOut, {QString::number(seconds)});
}

QString alertText(const char *pattern)
{
    return KZRecordedTexts::english(pattern, {KZRecordedTexts::supportEmailAddress});
}

} // namespace

KZSMARTDrive KZSMARTDrive::initForCommandLine()
{
    KZSMARTDrive drive;
    drive.m_enableCommandLineOption = true;
    return drive;
}

void KZSMARTDrive::addPartitionName(const QString &name)
{
    m_partitionNames.append(name);
    ++m_partitionCount;
}

QString KZSMARTDrive::driveLocationID() const
{
    return QFileInfo(m_location).fileName();
}

QString KZSMARTDrive::rawCaptureFilePath() const
{
    return KZPaths::rawCaptureFile(driveLocationID());
}

void KZSMARTDrive::addFailureReasonsString(const QString &reason)
{
    if (!m_failureReasonsText)
        m_failureReasonsText = QStringList();
    m_failureReasonsText->append(reason);
}

void KZSMARTDrive::debugLog(const QString &message) const
{
    KZLog::debug(m_outputDebugMessages, message);
}

void KZSMARTDrive::recordAlert(const QString &text)
{
    if (!m_alert)
        m_alert = text;
}

void KZSMARTDrive::storeOnce(std::optional<QString> &field, const QString &value)
{
    if (!field)
        field = value;
}

QStringList KZSMARTDrive::argumentList() const
{
    const QString device = m_driveFromFile ? QStringLiteral("-") : m_location;
    QStringList arguments;
    const QStringList version{QStringLiteral("-V")};
    const QStringList permissive{QStringLiteral("-T"), QStringLiteral("verypermissive")};
    switch (m_argumentCode) {
    case OverallHealth:
        arguments = {QStringLiteral("-H"), device};
        break;
    case Identity:
        arguments = {QStringLiteral("-i"), device};
        break;
    case Capabilities:
        arguments = {QStringLiteral("-c"), device};
        break;
    case AttributeTable:
        arguments = {QStringLiteral("-A"), device};
        break;
    case ErrorLog:
        arguments = {QStringLiteral("-l"), QStringLiteral("error"), device};
        break;
    case SelfTestLog:
        arguments = {QStringLiteral("-l"), QStringLiteral("selftest"), device};
        break;
    case SelectiveSelfTestLog:
        arguments = {QStringLiteral("-l"), QStringLiteral("selective"), device};
        break;
    case StartShortSelfTest:
        return m_runVeryPermissive
                   ? version
                   : QStringList{QStringLiteral("-t"), QStringLiteral("short"), device};
    case StartExtendedSelfTest:
        return m_runVeryPermissive
                   ? version
                   : QStringList{QStringLiteral("-t"), QStringLiteral("long"), device};
    case AbortSelfTest:
        return m_runVeryPermissive ? version : QStringList{QStringLiteral("-X"), device};
    case SwitchSMARTOn:
        return {QStringLiteral("-s"), QStringLiteral("on"), device};
    case FreeOptions:
        return m_options.value_or(QStringList());
    case RawCapture:
        // The refresh's run, in its very-permissive form too; one that
        // leaves a sleeping disk asleep asks its power mode first.
        arguments = {QStringLiteral("-r"), QStringLiteral("ataioctl,2"), QStringLiteral("-a"),
                     device};
        if (m_standbyRun)
            arguments = QStringList{QStringLiteral("-n"), QStringLiteral("standby")} + arguments;
        break;
    default:
        return version;
    }
    return m_runVeryPermissive ? permissive + arguments : arguments;
}

std::optional<QString> KZSMARTDrive::getsmartctlPath() const
{
    if (!m_smartctlOverride.isEmpty())
        return m_smartctlOverride;
    for (const char *candidate : {"/usr/local/sbin/smartctl", "/usr/sbin/smartctl"}) {
        const QString path = QString::fromLatin1(candidate);
        if (QFileInfo(path).isFile())
            return path;
    }
    const QString bundled = QCoreApplication::applicationDirPath() + QStringLiteral("/smartctl");
    if (QFileInfo(bundled).isFile())
        return bundled;
    return std::nullopt;
}

std::optional<KZSMARTDrive::SmartctlCommand> KZSMARTDrive::smartctlCommand() const
{
    const QStringList arguments = argumentList();
    const std::optional<QString> program = getsmartctlPath();
    if (!program)
        return std::nullopt;
    // A program named in place of smartctl, and a replayed capture, run as they are.
    if (m_smartctlOverride.isEmpty() && !m_driveFromFile) {
        const KZSmartctlHelper::Setup setup = KZSmartctlHelper::currentSetup();
        if (const std::optional<QStringList> helperArguments = KZSmartctlHelper::pkexecArguments(
                setup, arguments, m_location, m_argumentCode == FreeOptions))
            return SmartctlCommand{setup.pkexecPath, *helperArguments, true};
    }
    return SmartctlCommand{*program, arguments, false};
}

void KZSMARTDrive::recordReadFailure(ReadFailure failure, const QString &reason)
{
    if (failure == ReadFailure::None)
        return;
    if (failure == ReadFailure::TimedOut)
        m_timedOutInRefresh = m_inRefresh;
    if (m_readFailure == ReadFailure::None) {
        m_readFailure = failure;
        m_readFailureReason = reason;
    }
    m_smartError = m_readFailureReason;
    if (m_health == 1)
        m_health = 0;
}

std::optional<QString> KZSMARTDrive::driveReadFailureReason() const
{
    if (m_readFailure == ReadFailure::None)
        return std::nullopt;
    return m_readFailureReason;
}

QString KZSMARTDrive::readFailureName(ReadFailure failure)
{
    switch (failure) {
    case ReadFailure::None:
        break;
    case ReadFailure::NotRunnable:
        return QStringLiteral("NotRunnable");
    case ReadFailure::Killed:
        return QStringLiteral("Killed");
    case ReadFailure::TimedOut:
        return QStringLiteral("TimedOut");
    case ReadFailure::NoOutput:
        return QStringLiteral("NoOutput");
    case ReadFailure::CutOff:
        return QStringLiteral("CutOff");
    case ReadFailure::NotSmartctl:
        return QStringLiteral("NotSmartctl");
    case ReadFailure::OutputTooLarge:
        return QStringLiteral("OutputTooLarge");
    case ReadFailure::PermissionDenied:
        return QStringLiteral("PermissionDenied");
    case ReadFailure::Refused:
        return QStringLiteral("Refused");
    case ReadFailure::UnreadableCapture:
        return QStringLiteral("UnreadableCapture");
    case ReadFailure::DeviceError:
        return QStringLiteral("DeviceError");
    case ReadFailure::OpenFailed:
        return QStringLiteral("OpenFailed");
    }
    return QString();
}

QString KZSMARTDrive::permissionDeniedReason(const QString &location)
{
    return KZRecordedTexts::english(KZRecordedTexts::permissionDenied, {location});
}

bool KZSMARTDrive::judgeRunnerFailure(const KZTask &task, const std::optional<QStringList> &lines)
{
    if (!lines) {
        m_smartSupport = false;
        switch (task.failure()) {
        case KZTask::Failure::Signalled: {
            KZLog::log(QStringLiteral("smartctl returned error code: %1").arg(task.getErrorCode()));
            const int signal = -task.getErrorCode();
            const char *name = ::sigabbrev_np(signal);
            recordReadFailure(
                ReadFailure::Killed,
                KZRecordedTexts::english(
                    KZRecordedTexts::killed,
                    {QString::number(signal),
                     name ? QStringLiteral(" (SIG%1)").arg(QLatin1String(name)) : QString()}));
            return true;
        }
        case KZTask::Failure::TimedOut:
            recordReadFailure(ReadFailure::TimedOut, timedOutReason(task.timeout()));
            break;
        case KZTask::Failure::OutputTooLarge:
            recordReadFailure(ReadFailure::OutputTooLarge,
                              KZRecordedTexts::english(
                                  KZRecordedTexts::outputTooLarge,
                                  {QString::number(KZTask::defaultOutputLimit / (1024 * 1024))}));
            break;
        case KZTask::Failure::None:
            recordReadFailure(ReadFailure::NotSmartctl,
                              QString::fromLatin1(QT_TRANSLATE_NOOP(
                                  "KZRecordedTexts", "smartctl gave no readable output")));
            break;
        }
        KZLog::log(QStringLiteral("smartctl returned no answer for %1: %2")
                       .arg(m_location, m_readFailureReason));
        return true;
    }

    // What smartctl itself prints always starts with its banner and ends
    // with a line feed. (Its banner with too little after it is its own
    // "unknown error" answer, judged below.)
    std::optional<QString> reason;
    ReadFailure failure = ReadFailure::NotSmartctl;
    if (lines->isEmpty()) {
        failure = ReadFailure::NoOutput;
        reason =
            QString::fromLatin1(QT_TRANSLATE_NOOP("KZRecordedTexts", "smartctl printed nothing"));
    } else if (task.outputCutOff()) {
        failure = ReadFailure::CutOff;
        reason = cutOffReason;
    } else if (const QString first = lines->first().trimmed();
               !first.startsWith(QLatin1String("smartctl "))) {
        reason = first.contains(QChar::ReplacementCharacter)
                     ? QString::fromLatin1(QT_TRANSLATE_NOOP(
                           "KZRecordedTexts", "smartctl's output is not readable text"))
                     : KZRecordedTexts::english(KZRecordedTexts::notAReport, {first.left(60)});
    }
    if (!reason)
        return false;
    m_smartSupport = false;
    recordReadFailure(failure, *reason);
    KZLog::log(QStringLiteral("smartctl returned no answer for %1: %2").arg(m_location, *reason));
    return true;
}

std::optional<QStringList> KZSMARTDrive::runOnce(bool capture)
{
    // One time-out per drive and refresh: once a run has timed out, the
    // refresh asks the drive nothing more.
    if (m_timedOutInRefresh) {
        debugLog(QStringLiteral("Skipping smartctl run after a time-out."));
        return std::nullopt;
    }
    const QStringList arguments = argumentList();
    const std::optional<SmartctlCommand> command =
        m_outputProvider ? std::optional(SmartctlCommand{QStringLiteral("smartctl"), arguments})
                         : smartctlCommand();
    debugLog(QStringLiteral("Running smartctl binary."));
    if (!command) {
        KZLog::log(
            QStringLiteral("Could not locate smartctl binary. Please reinstall application."));
        recordReadFailure(ReadFailure::NotRunnable,
                          QString::fromLatin1(QT_TRANSLATE_NOOP(
                              "KZRecordedTexts", "smartctl was not found; install smartmontools")));
        return std::nullopt;
    }
    const QString &program = command->program;
    // Nor is a refused request asked again: a dismissed dialog does not come
    // back for each command.
    if (m_inRefresh && m_readFailure == ReadFailure::Refused && command->throughHelper) {
        m_smartSupport = false;
        return std::nullopt;
    }

    KZTask task;
    if (m_taskTimeoutSeconds > 0)
        task.setTimeout(m_taskTimeoutSeconds);
    task.setCLocale(true);
    if (capture) {
        if (m_outputProvider)
            return std::nullopt;
        task.setRawDataPath(rawCaptureFilePath());
        try {
            task.parseCommandLine(program, command->arguments);
        } catch (const std::exception &error) {
            KZLog::log(QStringLiteral("Exception occured in runSMARTBinary->saveRawData- %1: %2")
                           .arg(KZException::nameOf(error), KZException::reasonOf(error)));
        }
        // A drive that stops answering while it is captured has not answered.
        if (task.failure() == KZTask::Failure::TimedOut)
            recordReadFailure(ReadFailure::TimedOut, timedOutReason(task.timeout()));
        return std::nullopt;
    }

    if (m_driveFromFile)
        task.setReadFromFilePath(m_location);
    // The refresh's run is judged by smartctl's own report text, and what it
    // printed is kept for the raw capture and the parse steps.
    const bool report = m_argumentCode == RawCapture;
    task.setKeepOutput(report);
    std::optional<QStringList> lines;
    try {
        lines = m_outputProvider ? m_outputProvider(arguments)
                                 : task.parseCommandLine(program, command->arguments);
    } catch (const std::exception &error) {
        KZLog::log(QStringLiteral("Exception occured in runSMARTBinary- %1: %2")
                       .arg(KZException::nameOf(error), KZException::reasonOf(error)));
        if (task.outputCutOff())
            recordReadFailure(ReadFailure::CutOff, cutOffReason);
        else
            recordReadFailure(ReadFailure::NotRunnable, KZException::reasonOf(error));
        recordAlert(alertText(KZRecordedTexts::runAlert));
        return std::nullopt;
    }

    if (m_outputDebugMessages) {
        KZLog::log(QStringLiteral("smartctl output:"));
        KZLog::log(QStringLiteral("\n**********\n%1\n**********\n")
                       .arg(lines ? lines->join(QLatin1Char('\n')) : QString()));
    }
    if (lines && command->throughHelper) {
        if (const std::optional<QString> refusal = KZSmartctlHelper::refusalOf(*lines)) {
            KZSmartctlHelper::logRefusal(m_location, *refusal);
            m_smartSupport = false;
            recordReadFailure(ReadFailure::Refused, *refusal);
            return std::nullopt;
        }
    }
    std::optional<KZReportSections> sections;
    if (lines && report) {
        QString printed;
        if (m_outputProvider) {
            for (const QString &line : *lines)
                printed += line + QLatin1Char('\n');
        } else {
            m_reportOutput = task.output();
            printed = QString::fromUtf8(task.output());
        }
        sections.emplace(printed);
        lines = sections->reportLines();
    }
    if (judgeRunnerFailure(task, lines))
        return std::nullopt;
    m_smartSupport = true;

    if (lines->size() < 3) {
        debugLog(QStringLiteral("smartctl returned error message: unknown error"));
        KZLog::log(
            QStringLiteral("(\n    \"%1\"\n)").arg(lines->join(QStringLiteral("\",\n    \""))));
        m_smartSupport = false;
        m_smartError = QString::fromLatin1(QT_TRANSLATE_NOOP("KZRecordedTexts", "unknown error"));
        return std::nullopt;
    }

    // A disk asked to stay asleep that sleeps says so and nothing else. (Its
    // exit status, 2, also means an open failure: the text decides.)
    if (m_standbyRun) {
        if (const std::optional<QString> mode = sleepingModeOf(*lines)) {
            m_sleepAnswer = mode;
            return std::nullopt;
        }
    }

    const QString &firstLine = lines->at(2);
    // A device smartctl may not open is not a device without S.M.A.R.T.
    if (firstLine.contains(QLatin1String(" failed: ")) &&
        (firstLine.contains(QLatin1String("Permission denied")) ||
         firstLine.contains(QLatin1String("Operation not permitted")))) {
        debugLog(QStringLiteral("smartctl returned error message: %1").arg(firstLine));
        m_smartSupport = false;
        m_runVeryPermissive = false;
        recordReadFailure(ReadFailure::PermissionDenied, permissionDeniedReason(m_location));
        KZLog::log(QStringLiteral("smartctl returned no answer for %1: %2")
                       .arg(m_location, m_readFailureReason));
        return std::nullopt;
    }
    // Nor is a device that fails to open with an input/output error: that is
    // how a dying disk often answers.
    if (firstLine.contains(QLatin1String(" failed: ")) &&
        firstLine.contains(QLatin1String("Input/output error"))) {
        debugLog(QStringLiteral("smartctl returned error message: %1").arg(firstLine));
        m_smartSupport = false;
        m_runVeryPermissive = false;
        recordReadFailure(
            ReadFailure::DeviceError,
            KZRecordedTexts::english(KZRecordedTexts::deviceError, {firstLine.trimmed()}));
        KZLog::log(QStringLiteral("smartctl returned no answer for %1: %2")
                       .arg(m_location, m_readFailureReason));
        return std::nullopt;
    }
    // A capture smartctl cannot replay (empty, not a capture, too large for
    // it) is no drive's answer either: it is unknown, never unsupported.
    if (m_driveFromFile) {
        for (qsizetype index = 2; index < lines->size(); ++index) {
            const QString &line = lines->at(index);
            if ((index == 2 && line.contains(QLatin1String(" failed: "))) ||
                line.contains(syntaxErrorText)) {
                debugLog(QStringLiteral("smartctl returned error message: %1").arg(line));
                m_smartSupport = false;
                m_runVeryPermissive = false;
                recordReadFailure(ReadFailure::UnreadableCapture,
                                  KZRecordedTexts::english(KZRecordedTexts::cannotReplay,
                                                           {m_location, line.trimmed()}));
                return std::nullopt;
            }
        }
    }
    // A device the user named that cannot be opened is a device the user
    // asked for: it did not answer (its type unknown to smartctl is still
    // its own answer, as is no S.M.A.R.T. support).
    if (m_namedTarget && firstLine.contains(QLatin1String(" failed: ")) &&
        !firstLine.contains(QLatin1String("Unable to detect device type")) &&
        !firstLine.contains(QLatin1String("Unknown USB bridge"))) {
        debugLog(QStringLiteral("smartctl returned error message: %1").arg(firstLine));
        m_smartSupport = false;
        m_runVeryPermissive = false;
        recordReadFailure(ReadFailure::OpenFailed, firstLine.trimmed());
        KZLog::log(QStringLiteral("smartctl returned no answer for %1: %2")
                       .arg(m_location, m_readFailureReason));
        return std::nullopt;
    }
    for (const char *marker : openFailureMarkers) {
        if (firstLine.contains(QLatin1String(marker))) {
            debugLog(QStringLiteral("smartctl returned error message: %1").arg(firstLine));
            m_smartSupport = false;
            m_runVeryPermissive = false;
            m_smartError = firstLine;
            return std::nullopt;
        }
    }

    for (qsizetype index = 2; index < lines->size(); ++index) {
        const QString &line = lines->at(index);
        if (line.contains(ambiguousText) && !m_runVeryPermissive) {
            // Retry once with the very permissive device type.
            m_runVeryPermissive = true;
            std::optional<QStringList> retried = runOnce(false);
            if (retried) {
                m_runVeryPermissive = false;
                return retried;
            }
            KZLog::log(ambiguousFailure);
            m_smartSupport = false;
            m_smartError = ambiguousFailure;
            return std::nullopt;
        }
        if (line.contains(syntaxErrorText)) {
            debugLog(QStringLiteral("smartctl returned error message: %1").arg(line));
            m_smartSupport = false;
            m_runVeryPermissive = false;
            m_smartError = line;
            return std::nullopt;
        }
    }
    if (sections)
        m_report = std::move(sections);
    m_answeredInRefresh = m_answeredInRefresh || m_inRefresh;
    return lines;
}

std::optional<QStringList> KZSMARTDrive::runSMARTbinary(bool capture)
{
    return runOnce(capture);
}

void KZSMARTDrive::saveRawData()
{
    m_argumentCode = RawCapture;
    runSMARTbinary(true);
}

std::optional<QString> KZSMARTDrive::smartctlVersion()
{
    m_argumentCode = ToolVersion;
    const std::optional<QStringList> lines = runSMARTbinary(false);
    const QString first = lines && !lines->isEmpty() ? lines->first() : QString();
    QString rest;
    for (const QString &prefix :
         {QStringLiteral("smartctl version "), QStringLiteral("smartctl ")}) {
        const qsizetype at = first.indexOf(prefix);
        if (at >= 0) {
            rest = first.mid(at + prefix.size(), 5);
            break;
        }
    }
    if (!first.contains(QStringLiteral("smartctl ")))
        return QStringLiteral("unknown");
    const QString trimmed = rest.trimmed();
    const qsizetype blank = trimmed.indexOf(QRegularExpression(QStringLiteral("\\s")));
    const QString version = blank < 0 ? trimmed : trimmed.left(blank);
    if (version.isEmpty())
        return std::nullopt;
    return version;
}

void KZSMARTDrive::runOptions(const QString &typedOptions)
{
    QStringList words = typedOptions.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    words.append(m_location);
    m_options = words;
    m_argumentCode = FreeOptions;
    const std::optional<QStringList> lines = runSMARTbinary(false);
    KZLog::log(
        lines ? QStringLiteral("(\n    \"%1\"\n)").arg(lines->join(QStringLiteral("\",\n    \"")))
              : QStringLiteral("(null)"));
}

std::optional<QStringList> KZSMARTDrive::stepLines(ArgumentCode code)
{
    if (!m_readingReport) {
        m_argumentCode = code;
        return runSMARTbinary(false);
    }
    if (!m_report)
        return std::nullopt;
    using Part = KZReportSections::Part;
    const Part part = code == Identity         ? Part::Identity
                      : code == OverallHealth  ? Part::Health
                      : code == Capabilities   ? Part::Capabilities
                      : code == AttributeTable ? Part::Attributes
                      : code == ErrorLog       ? Part::ErrorLog
                                               : Part::SelfTestLog;
    QStringList lines = m_report->lines(part);
    // A part with nothing but the banner is one smartctl had nothing to say
    // for: the step reads nothing, as from a command that printed nothing.
    // The report itself was usable, so the drive's support stays as judged.
    if (lines.size() < 3) {
        debugLog(QStringLiteral("smartctl printed nothing for this part of the report."));
        return std::nullopt;
    }
    return lines;
}

void KZSMARTDrive::readReport()
{
    m_report.reset();
    m_reportOutput.reset();
    m_argumentCode = RawCapture;
    runSMARTbinary(false);
}

void KZSMARTDrive::writeRawCapture() const
{
    // The bytes as smartctl printed them, written whole (a reader never sees
    // half a capture); like every capture, a file that cannot be written is
    // no failure of the refresh.
    if (m_reportOutput)
        KZAtomicFile::write(rawCaptureFilePath(), *m_reportOutput);
}

void KZSMARTDrive::beginRefresh()
{
    debugLog(QStringLiteral("Updating drive: %1").arg(m_location));
    m_selftestFail = false;
    m_reallocatedSectorsFail = 1;
    m_reallocatedEventsFail = 1;
    m_currentSectorsFail = 1;
    m_offlineSectorsFail = 1;
    m_otherAttributesFail = 1;
    m_errorsFail = false;
    m_testsFail = false;
    m_health = 1;
    m_exceptionOccurred = false;
    m_alert.reset();
    m_readFailure = ReadFailure::None;
    m_readFailureReason.clear();
    m_inRefresh = true;
    m_timedOutInRefresh = false;
    m_answeredInRefresh = false;
    m_reasonsBeforeRefresh = m_failureReasonsText ? m_failureReasonsText->size() : 0;
}

void KZSMARTDrive::runParseSteps()
{
    struct Step
    {
        const char *failureFormat;
        void (KZSMARTDrive::*run)();
    };
    static const Step steps[] = {
        {"Exception occured in parseInfo- %1: %2", &KZSMARTDrive::parseInfo},
        {"Exception occured in parseHealth. %1: %2", &KZSMARTDrive::parseHealth},
        {"Exception occured in parseCapabilities. %1: %2", &KZSMARTDrive::parseCapabilities},
        {"Exception occured in parseAttributes. %1: %2", &KZSMARTDrive::parseAttributes},
        {"Exception occured in parseErrorLog. %1: %2", &KZSMARTDrive::parseErrorLog},
        {"Exception occured in parseSelftestLog. %1: %2", &KZSMARTDrive::parseSelftestLog},
    };
    for (const Step &step : steps) {
        bool finished = true;
        try {
            (this->*step.run)();
        } catch (const std::exception &error) {
            KZLog::log(QString::fromLatin1(step.failureFormat)
                           .arg(KZException::nameOf(error), KZException::reasonOf(error)));
            m_exceptionOccurred = true;
            finished = false;
        }
        if (finished && m_progressHandler)
            m_progressHandler();
        if (refreshTimedOut())
            break;
        // S.M.A.R.T. was switched on: the rest is read from a run made now.
        if (m_rereadReport) {
            m_rereadReport = false;
            readReport();
        }
    }
    if (refreshTimedOut())
        KZLog::log(QStringLiteral("Skipping the rest of the refresh of %1 after a time-out.")
                       .arg(m_location));
}

void KZSMARTDrive::finishRefresh(const std::function<void()> &capture)
{
    if (!m_driveFromFile && !refreshTimedOut()) {
        try {
            capture();
            if (m_progressHandler)
                m_progressHandler();
        } catch (const std::exception &error) {
            KZLog::log(QStringLiteral("Exception occured in saveRawData. %1: %2")
                           .arg(KZException::nameOf(error), KZException::reasonOf(error)));
            m_exceptionOccurred = true;
        }
    }
    m_inRefresh = false;
    m_timedOutInRefresh = false;
    // A drive that gave no S.M.A.R.T. data at all has no health to speak of.
    if (!m_answeredInRefresh && m_readFailure == ReadFailure::None && m_health == 1)
        m_health = 0;
    // A drive that did not answer is never judged passed.
    if (m_readFailure != ReadFailure::None) {
        if (m_health == 1)
            m_health = 0;
        m_smartError = m_readFailureReason;
    }

    // A drive that only its overall-health check judged failed (NVMe and SAS
    // drives, whose other data are not judged) still says why, once.
    const qsizetype reasonsAfter = m_failureReasonsText ? m_failureReasonsText->size() : 0;
    if (m_healthCheckFailed && m_health == 3 && reasonsAfter == m_reasonsBeforeRefresh &&
        !(m_failureReasonsText && m_failureReasonsText->contains(healthCheckFailure)))
        addFailureReasonsString(healthCheckFailure);

    if (m_exceptionOccurred)
        recordAlert(alertText(KZRecordedTexts::readAlert));
}

std::optional<QString> KZSMARTDrive::sleepingModeOf(const QStringList &lines)
{
    static const QRegularExpression answer(
        QStringLiteral("^Device is in (STANDBY|SLEEP)\\b.* mode, exit\\("));
    for (qsizetype index = 2; index < lines.size(); ++index) {
        const QRegularExpressionMatch match = answer.match(lines.at(index).trimmed());
        if (match.hasMatch())
            return match.captured(1);
    }
    return std::nullopt;
}

void KZSMARTDrive::setListedIdentity(const QString &model, const QString &serial)
{
    m_listedModel = model.trimmed();
    m_listedSerial = serial.trimmed();
}

void KZSMARTDrive::stayAsleep(KZSMARTDrive lastRead, const QString &mode)
{
    *this = std::move(lastRead);
    m_sleeping = true;
    m_powerMode = mode;
    ++m_sleepingRefreshes;
    m_argumentCode = RawCapture;
    // Never read: named as the device listing names it.
    if (!m_lastRead.isValid()) {
        if (!m_model && !m_listedModel.isEmpty())
            m_model = m_listedModel;
        if (!m_serialNumber && !m_listedSerial.isEmpty())
            m_serialNumber = m_listedSerial;
    }
    KZLog::log(
        QStringLiteral("%1 is asleep (%2): left asleep, %3.")
            .arg(m_location, mode,
                 m_lastRead.isValid()
                     ? QStringLiteral("its values of %1 kept").arg(m_lastRead.toString(Qt::ISODate))
                     : QStringLiteral("not read yet")));
}

void KZSMARTDrive::updateInfo()
{
    // One read of the preferences for the whole refresh, one write at its end.
    const KZPreferences::Batch preferences;
    // Only a disk that can sleep is asked to stay asleep: never a saved
    // report, never an NVMe drive (smartctl reads those in any power state).
    const bool standby = m_leaveAsleep && !m_driveFromFile && !m_isNVMe &&
                         !driveLocationID().startsWith(QLatin1String("nvme"));
    m_sleepAnswer.reset();
    std::optional<KZSMARTDrive> lastRead;
    if (standby)
        lastRead.emplace(*this);
    beginRefresh();
    m_readingReport = true;
    m_standbyRun = standby;
    readReport();
    m_standbyRun = false;
    if (m_sleepAnswer) {
        const QString mode = *m_sleepAnswer; // the drive itself is replaced
        stayAsleep(std::move(*lastRead), mode);
        return;
    }
    m_sleeping = false;
    m_sleepingRefreshes = 0;
    m_lastRead = QDateTime::currentDateTime();
    m_powerMode = m_driveFromFile ? QString() : QStringLiteral("ACTIVE");
    runParseSteps();
    finishRefresh([this] { writeRawCapture(); });
    m_readingReport = false;
    m_rereadReport = false;
    m_report.reset();
    m_reportOutput.reset();
}
