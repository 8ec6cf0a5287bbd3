#include "KZPreferenceRules.h"

#include "KZAlertPresenter.h"
#include "KZException.h"
#include "KZPaths.h"
#include "KZPreferences.h"
#include "KZTask.h"

#include <QFileInfo>
#include <QOperatingSystemVersion>

namespace KZPreferenceRules {

void prepareApplicationPreferences(KZPreferences &preferences)
{
    preferences.registerApplicationDefaults();
    enforceMinimumPollingInterval(preferences);
    createApplicationFolders();
}

void enforceMinimumPollingInterval(KZPreferences &preferences)
{
    const QString key = QStringLiteral("PollingInterval");
    if (preferences.integerForKey(key) < minimumPollingInterval)
        preferences.setInteger(key, minimumPollingInterval);
}

void createApplicationFolders()
{
    KZPaths::createFolders();
}

void resetPrefsToDefaults(KZPreferences &preferences)
{
    preferences.setBool(QStringLiteral("AutoExpandDrives"), true);
    preferences.setBool(QStringLiteral("OutputDebugMessages"), false);
    preferences.setBool(QStringLiteral("ShowUnsupportedDrives"), false);
    preferences.setBool(QStringLiteral("IgnoreAttribute190"), true);
    preferences.setBool(QStringLiteral("IgnoreAttribute196"), false);
    preferences.setBool(QStringLiteral("RememberErrorCount"), false);
    preferences.setBool(QStringLiteral("RememberBadSectors"), false);
    preferences.setBool(QStringLiteral("DisplayTempInFahrenheit"), false);
    preferences.setBool(QStringLiteral("CustomBadSectorCount"), false);
    preferences.setBool(QStringLiteral("CustomErrorCount"), false);
    preferences.setInteger(QStringLiteral("CustomBadSectorCountValue"), 0);
    preferences.setInteger(QStringLiteral("CustomErrorCountValue"), 50);
    preferences.setBool(QStringLiteral("PollDrives"), true);
    preferences.setInteger(QStringLiteral("PollingInterval"), 3600);
    preferences.setBool(QStringLiteral("FailedTestIsNew"), false);
}

QString sanitizeCustomLimitText(const QString &text)
{
    if (text.isEmpty())
        return QStringLiteral("0");
    QString digits;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits.append(c);
    }
    if (digits.isEmpty())
        return QStringLiteral("0");
    // Compared as text first, so any number of digits is safe from overflow.
    qsizetype firstSignificant = 0;
    while (firstSignificant < digits.size() - 1 && digits.at(firstSignificant) == QLatin1Char('0'))
        ++firstSignificant;
    const QString significant = digits.mid(firstSignificant);
    if (significant.size() > 4 || significant.toInt() > 1000)
        return QStringLiteral("1000");
    return digits;
}

QString customLimitFieldText(const QString &text)
{
    return QString::number(sanitizeCustomLimitText(text).toInt());
}

bool emailOptionsEnabled(const KZPreferences &preferences)
{
    for (const char *key :
         {"EmailDrivePassed", "EmailDriveFailing", "EmailDriveFailed", "EmailTestCompleted"}) {
        if (preferences.boolForKey(QString::fromLatin1(key)))
            return true;
    }
    return false;
}

} // namespace KZPreferenceRules

KZSATDriverCheck::KZSATDriverCheck()
    : systemVersion(runningMacOSVersion),
      runner([](const QString &program, const QStringList &arguments) {
          try {
              KZTask task;
              return task.parseCommandLine(program, arguments);
          } catch (const KZException &) {
              return std::optional<QStringList>();
          }
      })
{
}

std::optional<KZSATDriverCheck::SystemVersion> KZSATDriverCheck::runningMacOSVersion()
{
    const QOperatingSystemVersion current = QOperatingSystemVersion::current();
    if (current.type() != QOperatingSystemVersion::MacOS)
        return std::nullopt;
    return SystemVersion{current.majorVersion(), current.minorVersion(), current.microVersion()};
}

bool KZSATDriverCheck::run(KZPreferences &preferences) const
{
    const std::optional<SystemVersion> version = systemVersion ? systemVersion() : std::nullopt;
    if (!version)
        return false;
    const bool catalinaOrLater =
        (version->major == 10 && version->minor >= 15) || version->major >= 11;
    if (!catalinaOrLater)
        return false;
    const QString checkedKey = QStringLiteral("CheckedForDriverLoad");
    if (!QFileInfo::exists(driverPath) || preferences.boolForKey(checkedKey))
        return false;
    const std::optional<QStringList> lines =
        runner
            ? runner(kextstatPath, {QStringLiteral("-b"), driverIdentifier, QStringLiteral("-l")})
            : std::nullopt;
    // A line means the driver is loaded; a failed run counts as not loaded.
    if (lines && !lines->isEmpty())
        return false;
    KZAlertPresenter::showCritical(
        QStringLiteral("Driver installed but not loaded"),
        QStringLiteral("The SAT SMART Driver is installed but not loaded. To fix, unplug and "
                       "replug external drivers, reboot, or reinstall the driver. This message "
                       "will not appear again."));
    preferences.setBool(checkedKey, true);
    return true;
}
