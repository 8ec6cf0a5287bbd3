#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// The keys of the preferences both programs share, with their kinds and
// defaults: one table, read by the application, the tray monitor and the
// command line. Code names a key by its constant, never by a literal.
namespace KZPreferenceKeys {

// Display and judgement.
inline const QString autoExpandDrives = QStringLiteral("AutoExpandDrives");
inline const QString outputDebugMessages = QStringLiteral("OutputDebugMessages");
inline const QString showUnsupportedDrives = QStringLiteral("ShowUnsupportedDrives");
inline const QString ignoreAttribute190 = QStringLiteral("IgnoreAttribute190");
inline const QString ignoreAttribute196 = QStringLiteral("IgnoreAttribute196");
inline const QString rememberErrorCount = QStringLiteral("RememberErrorCount");
inline const QString rememberBadSectors = QStringLiteral("RememberBadSectors");
inline const QString displayTempInFahrenheit = QStringLiteral("DisplayTempInFahrenheit");
inline const QString customBadSectorCount = QStringLiteral("CustomBadSectorCount");
inline const QString customErrorCount = QStringLiteral("CustomErrorCount");
inline const QString customBadSectorCountValue = QStringLiteral("CustomBadSectorCountValue");
inline const QString customErrorCountValue = QStringLiteral("CustomErrorCountValue");
inline const QString failedTestIsNew = QStringLiteral("FailedTestIsNew");
// Checks.
inline const QString pollDrives = QStringLiteral("PollDrives");
inline const QString pollingInterval = QStringLiteral("PollingInterval");
inline const QString testsInProgress = QStringLiteral("TestsInProgress");
// Timed checks leave a sleeping disk asleep; the Nth such check in a row
// reads it all the same.
inline const QString skipSleepingDrives = QStringLiteral("SkipSleepingDrives");
inline const QString maxSkippedChecks = QStringLiteral("MaxSkippedChecks");
// Alerts.
inline const QString emailDrivePassed = QStringLiteral("EmailDrivePassed");
inline const QString emailDriveFailing = QStringLiteral("EmailDriveFailing");
inline const QString emailDriveFailed = QStringLiteral("EmailDriveFailed");
inline const QString emailTestCompleted = QStringLiteral("EmailTestCompleted");
inline const QString emailHostName = QStringLiteral("EmailHostName");
inline const QString emailFromAddress = QStringLiteral("EmailFromAddress");
inline const QString emailToAddress = QStringLiteral("EmailToAddress");
inline const QString emailSMTPAddress = QStringLiteral("EmailSMTPAddress");
inline const QString emailAuthenticationType = QStringLiteral("EmailAuthenticationType");
inline const QString emailUsername = QStringLiteral("EmailUsername");
inline const QString emailPassword = QStringLiteral("EmailPassword");
inline const QString emailCustomPort = QStringLiteral("EmailCustomPort");
inline const QString emailSSL = QStringLiteral("EmailSSL");
inline const QString blink1DrivePassed = QStringLiteral("Blink1DrivePassed");
inline const QString blink1DriveFailing = QStringLiteral("Blink1DriveFailing");
inline const QString blink1DriveFailed = QStringLiteral("Blink1DriveFailed");
inline const QString blink1TestCompleted = QStringLiteral("Blink1TestCompleted");
inline const QString notifyHealthWorse = QStringLiteral("NotifyHealthWorse");
// Where the programs write their verdicts for Prometheus after each check
// (empty: nowhere).
inline const QString prometheusExportPath = QStringLiteral("PrometheusExportPath");
// Days the history of checks keeps (0: no history is kept).
inline const QString historyRetentionDays = QStringLiteral("HistoryRetentionDays");
// The tray monitor and updates.
inline const QString menuItemEnabled = QStringLiteral("MenuItemEnabled");
inline const QString checkForUpdates = QStringLiteral("CheckForUpdates");
inline const QString testAppcast = QStringLiteral("TestAppcast");
inline const QString updateFeedURL = QStringLiteral("UpdateFeedURL");
inline const QString updateAvailable = QStringLiteral("UpdateAvailable");

// The suffix of the key of a drive's self-test end time (after its location).
inline const QString testEndTimeSuffix = QStringLiteral("_TestEndTime");

// One registered default.
struct Default
{
    QString key;
    QVariant value;
    // The tray monitor registers no default for the key: it reads as off
    // until the user stored it (the blink(1) keys).
    bool applicationOnly = false;
};

// Every registered default, in the order of the preferences window. The
// host name default is read from the system.
QList<Default> defaults();

} // namespace KZPreferenceKeys
