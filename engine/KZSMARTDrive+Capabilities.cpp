// General SMART values ("-c"): status bytes, capability bytes and self-test
// durations, and the texts and yes/no answers derived from them.
#include "KZSMARTDrive.h"

#include "KZLog.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"

void KZSMARTDrive::parseCapabilities()
{
    const bool failedTestIsNew =
        KZPreferences::standard().boolForKey(KZPreferenceKeys::failedTestIsNew);
    const std::optional<QStringList> lines = stepLines(Capabilities);
    if (!lines) {
        debugLog(QStringLiteral("Error parsing capabilities."));
        return;
    }
    debugLog(QStringLiteral("Parsing capabilities."));
    m_testInProgress = false;

    bool offlineStatus = false, selftestStatus = false, offlineTime = false,
         dataCapabilities = false, smartCapabilities = false, errorLogging = false,
         generalPurpose = false, shortTime = false, longTime = false, conveyanceTime = false;

    const qsizetype count = lines->size();
    for (qsizetype index = 0; index < count; ++index) {
        const QString &line = lines->at(index);
        const bool isLast = index + 1 >= count;
        // A label whose value sits on the following line; the output must go on.
        auto valueLineMissing = [&]() {
            if (!isLast)
                return false;
            KZLog::log(QStringLiteral("Warning: Capabilities did not return all data. Please "
                                      "rescan."));
            return true;
        };

        if (!offlineStatus && line.contains(QLatin1String("Offline data collection status:"))) {
            m_offlineDataStatus = convertStringToHex(line);
            offlineStatus = true;
            debugLog(QStringLiteral("Found offline data collection status."));
        }
        if (!selftestStatus && line.contains(QLatin1String("Self-test execution status:"))) {
            m_selftestStatus = convertStringToInt(line, true);
            selftestStatus = true;
            debugLog(QStringLiteral("Found self-test execution status."));
            const qint32 code = m_selftestStatus >> 4;
            if (code >= 3 && code <= 7 && !failedTestIsNew && m_health != 3) {
                m_health = 2;
                m_selftestFail = true;
                addFailureReasonsString(QString::fromLatin1(
                    QT_TRANSLATE_NOOP("KZRecordedTexts", "Failed selftest status")));
                debugLog(QStringLiteral("Found Failing selftest status!!"));
            }
        }
        if (!offlineTime && line.contains(QLatin1String("data collection:"))) {
            m_timeOfflineData = convertStringToInt(line, true);
            offlineTime = true;
            debugLog(QStringLiteral("Found offline data collection time."));
        }
        if (!dataCapabilities && line.contains(QLatin1String("Offline data collection"))) {
            if (valueLineMissing())
                return;
            const QString &next = lines->at(index + 1);
            if (next.contains(QLatin1String("capabilities:"))) {
                m_dataCapabilities = convertStringToHex(next);
                dataCapabilities = true;
                debugLog(QStringLiteral("Found offline data collection capabilities."));
            }
        }
        if (!smartCapabilities && line.contains(QLatin1String("SMART capabilities:"))) {
            m_smartCapabilities = convertStringToHex(line);
            smartCapabilities = true;
            debugLog(QStringLiteral("Found SMART capabilites."));
        }
        if (!errorLogging && line.contains(QLatin1String("Error logging capability:"))) {
            m_errorLoggingCapabilities = convertStringToHex(line);
            errorLogging = true;
            debugLog(QStringLiteral("Found error logging capability."));
        }
        if (!generalPurpose && line.contains(QLatin1String("General Purpose Logging"))) {
            m_generalPurposeLogging = line.contains(QLatin1String("supported."));
            generalPurpose = true;
            debugLog(QStringLiteral("Found general purpose logging."));
        }
        struct PollingTime
        {
            const char *label;
            bool &found;
            qint32 &minutes;
            const char *debugLine;
        };
        const PollingTime pollingTimes[] = {
            {"Short self-test routine", shortTime, m_shortSelftestTime,
             "Found short self-test time."},
            {"Extended self-test routine", longTime, m_longSelftestTime,
             "Found long self-test time."},
            {"Conveyance self-test routine", conveyanceTime, m_conveyanceSelftestTime,
             "Found conveyance self-test time."},
        };
        for (const PollingTime &polling : pollingTimes) {
            if (polling.found || !line.contains(QLatin1String(polling.label)))
                continue;
            if (valueLineMissing())
                return;
            const QString &next = lines->at(index + 1);
            if (next.contains(QLatin1String("recommended polling time:"))) {
                polling.minutes = convertStringToInt(next, true);
                polling.found = true;
                debugLog(QString::fromLatin1(polling.debugLine));
            }
        }
    }
    debugLog(QStringLiteral("Done parsing capabilites."));
}

bool KZSMARTDrive::driveAutoOfflineDataCollectionEnable() const
{
    return m_offlineDataStatus & 128;
}

bool KZSMARTDrive::driveSMARTExecuteOfflineImmediate() const
{
    return m_dataCapabilities & 1;
}

bool KZSMARTDrive::driveAutoOfflineDataCollection() const
{
    return m_dataCapabilities & 2;
}

bool KZSMARTDrive::driveAbortOfflineCollection() const
{
    return m_dataCapabilities & 4;
}

bool KZSMARTDrive::driveOfflineSurfaceScan() const
{
    return m_dataCapabilities & 8;
}

bool KZSMARTDrive::driveSelfTest() const
{
    return m_dataCapabilities & 16;
}

bool KZSMARTDrive::driveConveyanceSelfTest() const
{
    return m_dataCapabilities & 32;
}

bool KZSMARTDrive::driveSelectiveSelfTest() const
{
    return m_dataCapabilities & 64;
}

bool KZSMARTDrive::driveAutoSavingSMARTData() const
{
    return m_smartCapabilities != 0;
}

bool KZSMARTDrive::driveSavesSMARTDataPowerSave() const
{
    return m_smartCapabilities & 1;
}

bool KZSMARTDrive::driveSMARTAutoSaveTimer() const
{
    return m_smartCapabilities & 2;
}

bool KZSMARTDrive::driveErrorLogging() const
{
    return m_errorLoggingCapabilities & 1;
}

QString KZSMARTDrive::driveOfflineDataCollectionActivity() const
{
    const quint32 activity = m_offlineDataStatus & 127;
    switch (activity) {
    case 0:
        return tr("was never started");
    case 2:
        return tr("was completed without error");
    case 3:
        return tr("is in progress");
    case 4:
        return tr("was suspended by an interrupting command from host");
    case 5:
        return tr("was aborted by an interrupting command from host");
    case 6:
        return tr("was aborted by the device with a fatal error");
    default:
        break;
    }
    if (activity >= 64)
        return tr("is in a Vendor Specific state");
    return tr("is in a Reserved state");
}

QString KZSMARTDrive::driveSelfTestExecution() const
{
    const quint32 code = quint32(m_selftestStatus >> 4);
    switch (code) {
    case 0:
        return tr("The previous self-test routine completed without error or no "
                  "self-test has ever been run.");
    case 1:
        return tr("The self-test routine was aborted by the host.");
    case 2:
        return tr("The self-test routine was interrupted by the host with a hard or soft reset.");
    case 3:
        return tr("A fatal error or unknown test error occurred while the device was executing "
                  "its self-test routine and the device was unable to complete the self-test "
                  "routine.");
    case 4:
        return tr("The previous self-test completed having a test element that failed and the "
                  "test element that failed is not known.");
    case 5:
        return tr("The previous self-test completed having the electrical element of the test "
                  "failed.");
    case 6:
        return tr("The previous self-test completed having the servo (and/or seek) element of "
                  "the test failed.");
    case 7:
        return tr("The previous self-test completed having the read element of the test failed.");
    case 8:
        return tr("The previous self-test completed having a test element that failed and the "
                  "device is suspected of having handling damage.");
    case 15:
        return tr("Self-test routine in progress... %1% of test remaining.")
            .arg((m_selftestStatus & 0x0f) * 10);
    default:
        return tr("Reserved");
    }
}
