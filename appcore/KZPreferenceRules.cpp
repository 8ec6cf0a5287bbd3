#include "KZPreferenceRules.h"

#include "KZPaths.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"

namespace KZPreferenceRules {

void prepareApplicationPreferences(KZPreferences &preferences)
{
    preferences.registerApplicationDefaults();
    enforceMinimumPollingInterval(preferences);
    createApplicationFolders();
}

void enforceMinimumPollingInterval(KZPreferences &preferences)
{
    const QString key = KZPreferenceKeys::pollingInterval;
    if (preferences.integerForKey(key) < minimumPollingInterval)
        preferences.setInteger(key, minimumPollingInterval);
}

void createApplicationFolders()
{
    KZPaths::createFolders();
}

void resetPrefsToDefaults(KZPreferences &preferences)
{
    preferences.setBool(KZPreferenceKeys::autoExpandDrives, true);
    preferences.setBool(KZPreferenceKeys::outputDebugMessages, false);
    preferences.setBool(KZPreferenceKeys::showUnsupportedDrives, false);
    preferences.setBool(KZPreferenceKeys::ignoreAttribute190, true);
    preferences.setBool(KZPreferenceKeys::ignoreAttribute196, false);
    preferences.setBool(KZPreferenceKeys::rememberErrorCount, false);
    preferences.setBool(KZPreferenceKeys::rememberBadSectors, false);
    preferences.setBool(KZPreferenceKeys::displayTempInFahrenheit, false);
    preferences.setBool(KZPreferenceKeys::customBadSectorCount, false);
    preferences.setBool(KZPreferenceKeys::customErrorCount, false);
    preferences.setInteger(KZPreferenceKeys::customBadSectorCountValue, 0);
    preferences.setInteger(KZPreferenceKeys::customErrorCountValue, 50);
    preferences.setBool(KZPreferenceKeys::pollDrives, true);
    preferences.setInteger(KZPreferenceKeys::pollingInterval, 3600);
    preferences.setBool(KZPreferenceKeys::skipSleepingDrives, true);
    preferences.setBool(KZPreferenceKeys::failedTestIsNew, false);
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
    using namespace KZPreferenceKeys;
    for (const QString &key :
         {emailDrivePassed, emailDriveFailing, emailDriveFailed, emailTestCompleted}) {
        if (preferences.boolForKey(key))
            return true;
    }
    return false;
}

} // namespace KZPreferenceRules
