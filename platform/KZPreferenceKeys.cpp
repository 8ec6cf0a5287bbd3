#include "KZPreferenceKeys.h"

#include <QSysInfo>

namespace KZPreferenceKeys {

namespace {

QString hostName()
{
    const QString name = QSysInfo::machineHostName();
    return name.isEmpty() ? QStringLiteral("localhost") : name;
}

} // namespace

QList<Default> defaults()
{
    const QString yes = QStringLiteral("YES");
    const QString no = QStringLiteral("NO");
    return {
        {autoExpandDrives, yes},
        {outputDebugMessages, no},
        {showUnsupportedDrives, no},
        {ignoreAttribute190, yes},
        {ignoreAttribute196, no},
        {rememberErrorCount, no},
        {rememberBadSectors, no},
        {displayTempInFahrenheit, no},
        {customBadSectorCount, no},
        {customErrorCount, no},
        {customBadSectorCountValue, 0},
        {customErrorCountValue, 50},
        {pollDrives, yes},
        {pollingInterval, 3600},
        {skipSleepingDrives, yes},
        {maxSkippedChecks, 24},
        {failedTestIsNew, no},
        {emailDrivePassed, no},
        {emailDriveFailing, no},
        {emailDriveFailed, no},
        {emailTestCompleted, no},
        {emailHostName, hostName()},
        {emailFromAddress, QString()},
        {emailToAddress, QString()},
        {emailSMTPAddress, QString()},
        {emailAuthenticationType, 0},
        {emailUsername, QString()},
        {emailPassword, QString()},
        {emailCustomPort, 25},
        {emailSSL, no},
        {notifyHealthWorse, yes},
        {prometheusExportPath, QString()},
        {historyRetentionDays, 3650},
        {blink1DrivePassed, yes, true},
        {blink1DriveFailing, yes, true},
        {blink1DriveFailed, yes, true},
        {blink1TestCompleted, yes, true},
    };
}

} // namespace KZPreferenceKeys
