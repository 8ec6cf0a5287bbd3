#include "KZPreferenceRules.h"
#include "KZPaths.h"
#include "KZPreferences.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>

using KZPreferenceRules::sanitizeCustomLimitText;

namespace {

std::unique_ptr<KZPreferences> freshPreferences()
{
    static int counter = 0;
    return std::make_unique<KZPreferences>(TestSupport::homeDir() +
                                           QStringLiteral("/rules-%1.conf").arg(++counter));
}

} // namespace

TEST(PreferenceRules, PollingIntervalBelowAnHourIsRaisedAtStart)
{
    auto preferences = freshPreferences();
    preferences->setInteger("PollingInterval", 60);
    KZPreferenceRules::prepareApplicationPreferences(*preferences);
    EXPECT_EQ(preferences->integerForKey("PollingInterval"), 3600);

    preferences->setInteger("PollingInterval", 7200);
    KZPreferenceRules::enforceMinimumPollingInterval(*preferences);
    EXPECT_EQ(preferences->integerForKey("PollingInterval"), 7200);

    preferences->setString("PollingInterval", "not a number");
    KZPreferenceRules::enforceMinimumPollingInterval(*preferences);
    EXPECT_EQ(preferences->integerForKey("PollingInterval"), 3600);
}

TEST(PreferenceRules, StartCreatesTheDataAndLogFolders)
{
    QDir(KZPaths::dataFolder()).removeRecursively();
    QDir(KZPaths::logFolder()).removeRecursively();
    auto preferences = freshPreferences();
    KZPreferenceRules::prepareApplicationPreferences(*preferences);
    EXPECT_TRUE(QFileInfo(KZPaths::dataFolder()).isDir());
    EXPECT_TRUE(QFileInfo(KZPaths::logFolder()).isDir());
    EXPECT_TRUE(KZPaths::dataFolder().startsWith(TestSupport::homeDir()));
    // The registered defaults are there and were not written.
    EXPECT_TRUE(preferences->boolForKey("Blink1DrivePassed"));
    EXPECT_FALSE(preferences->hasStoredValue("Blink1DrivePassed"));
}

TEST(PreferenceRules, ResetStoresTheJudgingAndTimerDefaultsOnly)
{
    auto preferences = freshPreferences();
    preferences->registerApplicationDefaults();
    preferences->setBool("AutoExpandDrives", false);
    preferences->setBool("IgnoreAttribute190", false);
    preferences->setInteger("CustomErrorCountValue", 7);
    preferences->setInteger("PollingInterval", 9000);
    preferences->setBool("PollDrives", false);
    preferences->setBool("SkipSleepingDrives", false);
    preferences->setBool("EmailDriveFailing", true);
    preferences->setBool("Blink1DrivePassed", false);

    KZPreferenceRules::resetPrefsToDefaults(*preferences);

    EXPECT_TRUE(preferences->boolForKey("AutoExpandDrives"));
    EXPECT_TRUE(preferences->boolForKey("IgnoreAttribute190"));
    EXPECT_EQ(preferences->integerForKey("CustomErrorCountValue"), 50);
    EXPECT_EQ(preferences->integerForKey("CustomBadSectorCountValue"), 0);
    EXPECT_EQ(preferences->integerForKey("PollingInterval"), 3600);
    EXPECT_TRUE(preferences->boolForKey("PollDrives"));
    EXPECT_TRUE(preferences->boolForKey("SkipSleepingDrives"));
    // Stored, so they override whatever is registered later.
    for (const char *key :
         {"AutoExpandDrives", "OutputDebugMessages", "ShowUnsupportedDrives", "IgnoreAttribute190",
          "IgnoreAttribute196", "RememberErrorCount", "RememberBadSectors",
          "DisplayTempInFahrenheit", "CustomBadSectorCount", "CustomErrorCount",
          "CustomBadSectorCountValue", "CustomErrorCountValue", "PollDrives", "PollingInterval",
          "SkipSleepingDrives", "FailedTestIsNew"})
        EXPECT_TRUE(preferences->hasStoredValue(key)) << key;
    // The user's e-mail and blink(1) choices stay.
    EXPECT_TRUE(preferences->boolForKey("EmailDriveFailing"));
    EXPECT_FALSE(preferences->boolForKey("Blink1DrivePassed"));
    EXPECT_FALSE(preferences->hasStoredValue("EmailDrivePassed"));
}

TEST(PreferenceRules, CustomLimitFieldsKeepOnlyANumberUpTo1000)
{
    EXPECT_EQ(sanitizeCustomLimitText("12a3"), "123");
    EXPECT_EQ(sanitizeCustomLimitText("5000"), "1000");
    EXPECT_EQ(sanitizeCustomLimitText("1001"), "1000");
    EXPECT_EQ(sanitizeCustomLimitText("1000"), "1000");
    EXPECT_EQ(sanitizeCustomLimitText(""), "0");
    EXPECT_EQ(sanitizeCustomLimitText(QString()), "0");
    EXPECT_EQ(sanitizeCustomLimitText("abc"), "0");
    EXPECT_EQ(sanitizeCustomLimitText("-5"), "5");
    EXPECT_EQ(sanitizeCustomLimitText("0"), "0");
    EXPECT_EQ(sanitizeCustomLimitText("0042"), "0042");
    EXPECT_EQ(sanitizeCustomLimitText("00001001"), "1000");
    EXPECT_EQ(sanitizeCustomLimitText("99999999999999999999999999"), "1000");
    EXPECT_EQ(sanitizeCustomLimitText(" 7 ½ ٣"), "7");
    // The field itself drops leading zeros: typing after the "0" of an
    // emptied field gives the number typed.
    EXPECT_EQ(KZPreferenceRules::customLimitFieldText("0123"), "123");
    EXPECT_EQ(KZPreferenceRules::customLimitFieldText("0"), "0");
    EXPECT_EQ(KZPreferenceRules::customLimitFieldText(""), "0");
    EXPECT_EQ(KZPreferenceRules::customLimitFieldText("05000"), "1000");
}

TEST(PreferenceRules, EmailButtonsFollowTheFourEvents)
{
    auto preferences = freshPreferences();
    preferences->registerApplicationDefaults();
    EXPECT_FALSE(KZPreferenceRules::emailOptionsEnabled(*preferences));
    for (const char *key :
         {"EmailDrivePassed", "EmailDriveFailing", "EmailDriveFailed", "EmailTestCompleted"}) {
        preferences->setBool(key, true);
        EXPECT_TRUE(KZPreferenceRules::emailOptionsEnabled(*preferences)) << key;
        preferences->setBool(key, false);
    }
    EXPECT_FALSE(KZPreferenceRules::emailOptionsEnabled(*preferences));
}
