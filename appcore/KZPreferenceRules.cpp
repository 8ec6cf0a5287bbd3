#include "KZPreferenceRules.h"

#include "KZPaths.h"
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
