#include "KZPreferenceRules.h"
#include "KZAlertPresenter.h"
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

class RecordingPresenter : public KZAlertPresenter
{
public:
    int runAlert(Style style, const QString &title, const QString &text,
                 const QStringList &buttons) override
    {
        alerts.append({style == Style::Critical ? "critical" : "informational", title, text,
                       buttons.join("|")});
        return 0;
    }
    QList<QStringList> alerts;
};

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
    preferences->setBool("EmailDriveFailing", true);
    preferences->setBool("Blink1DrivePassed", false);

    KZPreferenceRules::resetPrefsToDefaults(*preferences);

    EXPECT_TRUE(preferences->boolForKey("AutoExpandDrives"));
    EXPECT_TRUE(preferences->boolForKey("IgnoreAttribute190"));
    EXPECT_EQ(preferences->integerForKey("CustomErrorCountValue"), 50);
    EXPECT_EQ(preferences->integerForKey("CustomBadSectorCountValue"), 0);
    EXPECT_EQ(preferences->integerForKey("PollingInterval"), 3600);
    EXPECT_TRUE(preferences->boolForKey("PollDrives"));
    // Stored, so they override whatever is registered later.
    for (const char *key :
         {"AutoExpandDrives", "OutputDebugMessages", "ShowUnsupportedDrives", "IgnoreAttribute190",
          "IgnoreAttribute196", "RememberErrorCount", "RememberBadSectors",
          "DisplayTempInFahrenheit", "CustomBadSectorCount", "CustomErrorCount",
          "CustomBadSectorCountValue", "CustomErrorCountValue", "PollDrives", "PollingInterval",
          "FailedTestIsNew"})
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

class SATDriverCheckTest : public testing::Test
{
protected:
    void SetUp() override
    {
        KZAlertPresenter::setCurrent(&m_presenter);
        m_preferences = freshPreferences();
        m_preferences->registerApplicationDefaults();
        m_driver = TestSupport::homeDir() + QStringLiteral("/Extensions/SATSMARTDriver.kext");
        QDir().mkpath(m_driver);
        m_check.driverPath = m_driver;
        m_check.systemVersion = [this] { return m_version; };
        m_check.runner = [this](const QString &program, const QStringList &arguments) {
            m_runs.append(QStringList{program} + arguments);
            return m_kextstatLines;
        };
    }
    void TearDown() override { KZAlertPresenter::setCurrent(nullptr); }

    RecordingPresenter m_presenter;
    std::unique_ptr<KZPreferences> m_preferences;
    QString m_driver;
    KZSATDriverCheck m_check;
    std::optional<KZSATDriverCheck::SystemVersion> m_version =
        KZSATDriverCheck::SystemVersion{10, 15, 0};
    std::optional<QStringList> m_kextstatLines = QStringList{};
    QList<QStringList> m_runs;
};

TEST_F(SATDriverCheckTest, NotLoadedDriverIsReportedOnce)
{
    EXPECT_TRUE(m_check.run(*m_preferences));
    ASSERT_EQ(m_presenter.alerts.size(), 1);
    EXPECT_EQ(m_presenter.alerts.first(),
              (QStringList{"critical", "Driver installed but not loaded",
                           "The SAT SMART Driver is installed but not loaded. To fix, unplug and "
                           "replug external drivers, reboot, or reinstall the driver. This "
                           "message will not appear again.",
                           "OK"}));
    EXPECT_EQ(m_runs, (QList<QStringList>{{"/usr/sbin/kextstat", "-b",
                                           "org.dungeon.driver.SATSMARTDriver", "-l"}}));
    EXPECT_TRUE(m_preferences->boolForKey("CheckedForDriverLoad"));

    EXPECT_FALSE(m_check.run(*m_preferences));
    EXPECT_EQ(m_presenter.alerts.size(), 1);
    EXPECT_EQ(m_runs.size(), 1);
}

TEST_F(SATDriverCheckTest, FailedKextstatCountsAsNotLoaded)
{
    m_kextstatLines = std::nullopt;
    EXPECT_TRUE(m_check.run(*m_preferences));
}

TEST_F(SATDriverCheckTest, LoadedDriverStoresNothingAndIsCheckedAgainNextTime)
{
    m_kextstatLines =
        QStringList{"  123    0 0xffffff 0x1000 0x1000 org.dungeon.driver.SATSMARTDriver"};
    EXPECT_FALSE(m_check.run(*m_preferences));
    EXPECT_TRUE(m_presenter.alerts.isEmpty());
    EXPECT_FALSE(m_preferences->hasStoredValue("CheckedForDriverLoad"));
    EXPECT_FALSE(m_check.run(*m_preferences));
    EXPECT_EQ(m_runs.size(), 2);
}

TEST_F(SATDriverCheckTest, OnlyFrom10_15On)
{
    m_version = KZSATDriverCheck::SystemVersion{10, 14, 6};
    EXPECT_FALSE(m_check.run(*m_preferences));
    m_version = KZSATDriverCheck::SystemVersion{9, 20, 0};
    EXPECT_FALSE(m_check.run(*m_preferences));
    EXPECT_TRUE(m_runs.isEmpty());
    m_version = KZSATDriverCheck::SystemVersion{11, 0, 0};
    EXPECT_TRUE(m_check.run(*m_preferences));
}

TEST_F(SATDriverCheckTest, NoDriverFileNoCheck)
{
    m_check.driverPath = m_driver + QStringLiteral("-absent");
    EXPECT_FALSE(m_check.run(*m_preferences));
    EXPECT_TRUE(m_runs.isEmpty());
}

TEST_F(SATDriverCheckTest, OtherSystemsAreNeverChecked)
{
    m_check.systemVersion = KZSATDriverCheck::runningMacOSVersion;
    EXPECT_FALSE(KZSATDriverCheck::runningMacOSVersion().has_value());
    EXPECT_FALSE(m_check.run(*m_preferences));
    EXPECT_TRUE(m_runs.isEmpty());
    // The default check is inert here as well, whatever the files say.
    KZSATDriverCheck defaults;
    EXPECT_FALSE(defaults.run(*m_preferences));
    EXPECT_TRUE(m_presenter.alerts.isEmpty());
}

TEST_F(SATDriverCheckTest, DefaultRunnerUsesTheProcessRunner)
{
    KZSATDriverCheck defaults;
    const QString kextstat =
        TestSupport::writeScript("kextstat", "#!/bin/sh\necho \"loaded $*\"\n");
    const auto lines = defaults.runner(kextstat, {"-b", "x", "-l"});
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, QStringList{"loaded -b x -l"});
    EXPECT_FALSE(defaults.runner(TestSupport::homeDir() + "/no-kextstat", {}).has_value());
}
