#include "KZSMARTDrive.h"

#include "KZAlertPresenter.h"
#include "KZException.h"
#include "KZLocalization.h"
#include "KZLog.h"
#include "KZNotificationCenter.h"
#include "KZPaths.h"
#include "KZPreferences.h"
#include "KZTask.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
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
const QString healthCheckFailure =
    QStringLiteral("SMART overall-health self-assessment test failed");
const QString ambiguousFailure =
    QStringLiteral("SMART support is ambiguous but SMART cannot be enabled.");

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

void KZSMARTDrive::showAlert(const QString &text) const
{
    if (m_enableCommandLineOption)
        return;
    KZAlertPresenter::showCritical(
        KZLocalization::localizedString(QStringLiteral("Exception1"),
                                        QStringLiteral("An Error Occurred")),
        text);
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
        return {QStringLiteral("-r"), QStringLiteral("ataioctl,2"), QStringLiteral("-a"), device};
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
    if (m_enableCommandLineOption)
        return QCoreApplication::applicationDirPath() + QStringLiteral("/smartctl");
    if (m_bundlePath)
        return QDir(*m_bundlePath).filePath(QStringLiteral("Contents/MacOS/smartctl"));
    const QString bundled = QCoreApplication::applicationDirPath() + QStringLiteral("/smartctl");
    if (QFileInfo(bundled).isFile())
        return bundled;
    return std::nullopt;
}

std::optional<QStringList> KZSMARTDrive::runOnce(bool capture)
{
    const QStringList arguments = argumentList();
    const std::optional<QString> program =
        m_outputProvider ? std::optional<QString>(QStringLiteral("smartctl")) : getsmartctlPath();
    debugLog(QStringLiteral("Running smartctl binary."));
    if (!program) {
        KZLog::log(
            QStringLiteral("Could not locate smartctl binary. Please reinstall application."));
        return std::nullopt;
    }

    KZTask task;
    task.setTimeout(m_taskTimeoutSeconds);
    if (capture) {
        if (m_outputProvider)
            return std::nullopt;
        task.setRawDataPath(rawCaptureFilePath());
        try {
            task.parseCommandLine(*program, arguments);
        } catch (const std::exception &error) {
            KZLog::log(QStringLiteral("Exception occured in runSMARTBinary->saveRawData- %1: %2")
                           .arg(KZException::nameOf(error), KZException::reasonOf(error)));
        }
        return std::nullopt;
    }

    if (m_driveFromFile)
        task.setReadFromFilePath(m_location);
    std::optional<QStringList> lines;
    try {
        lines = m_outputProvider ? m_outputProvider(arguments)
                                 : task.parseCommandLine(*program, arguments);
    } catch (const std::exception &error) {
        KZLog::log(QStringLiteral("Exception occured in runSMARTBinary- %1: %2")
                       .arg(KZException::nameOf(error), KZException::reasonOf(error)));
        showAlert(KZLocalization::localizedString(
                      QStringLiteral("Exception2"),
                      QStringLiteral("An error occurred attempting to scan for SMART data. "
                                     "Tarnwell may work incorrectly. Please contact ")) +
                  KZSupportEmailAddress + QStringLiteral(" for help."));
        return std::nullopt;
    }

    if (m_outputDebugMessages) {
        KZLog::log(QStringLiteral("smartctl output:"));
        KZLog::log(QStringLiteral("\n**********\n%1\n**********\n")
                       .arg(lines ? lines->join(QLatin1Char('\n')) : QString()));
    }
    if (!lines) {
        m_smartSupport = false;
        KZLog::log(QStringLiteral("smartctl returned error code: %1").arg(task.getErrorCode()));
        return std::nullopt;
    }
    m_smartSupport = true;

    if (lines->size() < 3) {
        debugLog(QStringLiteral("smartctl returned error message: unknown error"));
        KZLog::log(
            QStringLiteral("(\n    \"%1\"\n)").arg(lines->join(QStringLiteral("\",\n    \""))));
        m_smartSupport = false;
        m_smartError = QStringLiteral("unknown error");
        return std::nullopt;
    }

    const QString &firstLine = lines->at(2);
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
            KZLog::log(QStringLiteral("smartctl returned error message: ") + ambiguousFailure);
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

void KZSMARTDrive::updateInfo()
{
    // One read of the preferences for the whole refresh, one write at its end.
    const KZPreferences::Batch preferences;
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
    const qsizetype reasonsBefore = m_failureReasonsText ? m_failureReasonsText->size() : 0;

    struct Step
    {
        const char *failureFormat;
        std::function<void()> run;
    };
    const Step steps[] = {
        {"Exception occured in parseInfo- %1: %2", [this] { parseInfo(); }},
        {"Exception occured in parseHealth. %1: %2", [this] { parseHealth(); }},
        {"Exception occured in parseCapabilities. %1: %2", [this] { parseCapabilities(); }},
        {"Exception occured in parseAttributes. %1: %2", [this] { parseAttributes(); }},
        {"Exception occured in parseErrorLog. %1: %2", [this] { parseErrorLog(); }},
        {"Exception occured in parseSelftestLog. %1: %2", [this] { parseSelftestLog(); }},
    };
    for (const Step &step : steps) {
        try {
            step.run();
        } catch (const std::exception &error) {
            KZLog::log(QString::fromLatin1(step.failureFormat)
                           .arg(KZException::nameOf(error), KZException::reasonOf(error)));
            m_exceptionOccurred = true;
            continue;
        }
        KZNotificationCenter::defaultCenter().postNotification(KZUpdateInfoProgressBarNotification,
                                                               QStringLiteral("NONE"));
    }
    if (!m_driveFromFile) {
        try {
            saveRawData();
            KZNotificationCenter::defaultCenter().postNotification(
                KZUpdateInfoProgressBarNotification, QStringLiteral("NONE"));
        } catch (const std::exception &error) {
            KZLog::log(QStringLiteral("Exception occured in saveRawData. %1: %2")
                           .arg(KZException::nameOf(error), KZException::reasonOf(error)));
            m_exceptionOccurred = true;
        }
    }

    // A drive that only its overall-health check judged failed (NVMe and SAS
    // drives, whose other data are not judged) still says why, once.
    const qsizetype reasonsAfter = m_failureReasonsText ? m_failureReasonsText->size() : 0;
    if (m_healthCheckFailed && m_health == 3 && reasonsAfter == reasonsBefore &&
        !(m_failureReasonsText && m_failureReasonsText->contains(healthCheckFailure)))
        addFailureReasonsString(healthCheckFailure);

    if (m_exceptionOccurred)
        showAlert(KZLocalization::localizedString(
                      QStringLiteral("Exception2"),
                      QStringLiteral("An error occurred attempting to read some SMART data. That "
                                     "data will not be available to view. Please contact ")) +
                  KZSupportEmailAddress + QStringLiteral(" for help."));
}
