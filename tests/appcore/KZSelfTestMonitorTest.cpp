#include "KZSelfTestMonitor.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "TestSupport.h"

namespace {

using Monitor = KZSelfTestMonitor;

class SelfTestMonitor : public testing::Test
{
protected:
    void SetUp() override
    {
        static int counter = 0;
        m_preferences = std::make_unique<KZPreferences>(
            TestSupport::homeDir() + QStringLiteral("/monitor-%1.conf").arg(++counter));
        m_preferences->registerApplicationDefaults();
        m_drive.setLocation("/dev/sdm");
    }
    Monitor monitor()
    {
        return Monitor(m_preferences.get(), [this] { return m_now; });
    }

    std::unique_ptr<KZPreferences> m_preferences;
    KZSMARTDrive m_drive;
    QDateTime m_now = QDateTime(QDate(2026, 3, 2), QTime(10, 0));
};

} // namespace

TEST(SelfTestPolling, TenPollsOverTheTestButNeverMoreOftenThanEveryTenSeconds)
{
    EXPECT_EQ(Monitor::pollIntervalSeconds(2), 12);
    EXPECT_EQ(Monitor::pollIntervalSeconds(120), 720);
    EXPECT_EQ(Monitor::pollIntervalSeconds(1), 10);
    EXPECT_EQ(Monitor::pollIntervalSeconds(0), 10);
    EXPECT_EQ(Monitor::pollIntervalSeconds(-5), 10);
    EXPECT_EQ(Monitor::testCode(Monitor::TestKind::Short), 8u);
    EXPECT_EQ(Monitor::testCode(Monitor::TestKind::Extended), 9u);
}

TEST(SelfTestPolling, EstimateTexts)
{
    const std::pair<qint64, const char *> cases[] = {
        {3, "3 minutes"},          {2, "about a minute"}, {1, "about a minute"},
        {0, "less than a minute"}, {-1, "120 minutes"},   {-40, "120 minutes"},
    };
    for (const auto &[remaining, text] : cases)
        EXPECT_EQ(Monitor::remainingText(remaining, 120), QString::fromLatin1(text)) << remaining;
}

TEST_F(SelfTestMonitor, FromTheDriveTheTimeLeftCountsFromTheStart)
{
    Monitor clock = monitor();
    m_preferences->setInteger("/dev/sdm_TestRunTime", 2);
    EXPECT_EQ(clock.estimateFromStart(m_drive).remaining, -1); // no start known

    clock.testStarted(m_drive, Monitor::TestKind::Short);
    EXPECT_EQ(m_preferences->dateForKey("/dev/sdm_TestStartTime"), m_now);
    m_now = m_now.addSecs(59);
    EXPECT_EQ(clock.estimateFromStart(m_drive).remaining, 2);
    m_now = m_now.addSecs(2);
    EXPECT_EQ(clock.estimateFromStart(m_drive).remaining, 1);
    // A start stored in the future (a clock set back) counts as no time passed.
    m_preferences->setDate("/dev/sdm_TestStartTime", m_now.addSecs(600));
    EXPECT_EQ(clock.estimateFromStart(m_drive).remaining, 2);

    KZSMARTDrive running;
    EXPECT_EQ(Monitor::progress(Monitor::ClockSource::Drive, running, {}), 0);
}

TEST_F(SelfTestMonitor, FromTheClockTheTimeLeftCountsToTheEnd)
{
    Monitor clock = monitor();
    m_preferences->setInteger("/dev/sdm_TestRunTime", 2);
    m_preferences->setDate("/dev/sdm_TestEndTime", m_now.addSecs(30));
    m_drive.setSelfTestInProgress(true);

    Monitor::Estimate estimate = clock.estimateFromEnd(m_drive);
    EXPECT_EQ(estimate.remaining, 0);
    EXPECT_EQ(Monitor::remainingText(estimate.remaining, 2), "less than a minute");
    EXPECT_EQ(Monitor::progress(Monitor::ClockSource::Clock, m_drive, estimate), 100);

    m_now = m_now.addSecs(-90); // two minutes before the end
    estimate = clock.estimateFromEnd(m_drive);
    EXPECT_EQ(estimate.remaining, 2);
    EXPECT_EQ(Monitor::progress(Monitor::ClockSource::Clock, m_drive, estimate), 0);

    // Past the end the drive still counts as testing, for an hour.
    m_now = m_preferences->dateForKey("/dev/sdm_TestEndTime").addSecs(3599);
    clock.estimateFromEnd(m_drive);
    EXPECT_TRUE(m_drive.testInProgress());
    m_now = m_now.addSecs(1);
    clock.estimateFromEnd(m_drive);
    EXPECT_FALSE(m_drive.testInProgress());

    // A test of no length never divides by zero.
    m_preferences->setInteger("/dev/sdm_TestRunTime", 0);
    EXPECT_EQ(
        Monitor::progress(Monitor::ClockSource::Clock, m_drive, clock.estimateFromEnd(m_drive)), 0);
}

TEST_F(SelfTestMonitor, ClockSourceAndStoredKind)
{
    Monitor clock = monitor();
    EXPECT_EQ(clock.clockSource(m_drive), Monitor::ClockSource::Drive);
    m_preferences->setInteger("TestsInProgress", 1);
    EXPECT_EQ(clock.clockSource(m_drive), Monitor::ClockSource::Clock);
    m_preferences->setInteger("TestsInProgress", 0);
    m_drive.setDataCapabilities(0x04); // aborts offline collection on a new command
    EXPECT_EQ(clock.clockSource(m_drive), Monitor::ClockSource::Clock);

    EXPECT_EQ(clock.storedTestKind(m_drive), Monitor::TestKind::Short);
    m_preferences->setInteger("/dev/sdm_TestType", 9);
    EXPECT_EQ(clock.storedTestKind(m_drive), Monitor::TestKind::Extended);
}

TEST(SelfTestCompletion, TheMailNamesTheDrive)
{
    KZSMARTDrive drive;
    drive.setLocation("/dev/sdk");
    EXPECT_EQ(Monitor::completionMessage(drive),
              (QStringList{"Test completed", "The test on drive /dev/sdk has completed."}));
    drive.addPartitionName("A");
    EXPECT_EQ(Monitor::completedDriveName(drive), "A");
    drive.addPartitionName("B");
    EXPECT_EQ(Monitor::completedDriveName(drive), "/dev/sdk with partitions A, and B");
    drive.addPartitionName("C");
    EXPECT_EQ(Monitor::completedDriveName(drive), "/dev/sdk with partitions A, B, and C");
}
