#include "KZDriveSummary.h"
#include "ForgedDrives.h"
#include "KZDriveOutlineRows.h"
#include "KZPreferences.h"

using ForgedDrives::withAttributes;
using KZDriveSummary::summarize;

namespace {

constexpr auto mainWindow = KZDriveViewFlavour::MainWindow;
constexpr auto viewer = KZDriveViewFlavour::ReportViewer;

class DriveSummary : public testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_SMARTCTL();
        KZPreferences::standard().registerApplicationDefaults();
    }
};

// The values that show "-" when there is no supported drive.
QStringList everyValue(const KZDriveSummaryContent &content)
{
    return {content.model,
            content.serialNumber,
            content.capacity,
            content.powerOnHours,
            content.temperature,
            content.pendingBadSectors.text,
            content.removedBadSectors.text,
            content.reallocatedBadSectors.text,
            content.crcErrorCount,
            content.totalErrors.text,
            content.lastErrorType,
            content.lastErrorTime,
            content.testCount,
            content.lastTestStatus.text,
            content.lastTestTime};
}

} // namespace

TEST_F(DriveSummary, PassedDriveShowsItsValuesAndOpensItsWindows)
{
    const auto drive = ForgedDrives::read(withAttributes(
        R"({"id": 5, "raw": 0}, {"id": 9, "raw": 4321}, {"id": 194, "raw": 35},
           {"id": 197, "raw": 0}, {"id": 198, "raw": 0}, {"id": 199, "raw": 7})",
        R"("identity": {"serial": "SUMPASS1", "model": "FORGE PASS 1TB"})"));
    const KZDriveSummaryContent content = summarize(drive.get(), false, mainWindow, false);

    EXPECT_EQ(content.temperatureCaption, QStringLiteral("Temperature (Celsius):"));
    EXPECT_EQ(content.model, "FORGE PASS 1TB");
    EXPECT_EQ(content.serialNumber, "SUMPASS1");
    EXPECT_EQ(content.capacity, drive->driveCapacity().value_or("?"));
    EXPECT_EQ(content.powerOnHours, "4321");
    EXPECT_EQ(content.temperature, "35");
    EXPECT_EQ(content.pendingBadSectors.text, "0");
    EXPECT_EQ(content.removedBadSectors.text, "0");
    EXPECT_EQ(content.reallocatedBadSectors.text, "0");
    EXPECT_EQ(content.crcErrorCount, "7");
    EXPECT_EQ(content.totalErrors.text, "0");
    EXPECT_EQ(content.lastErrorType, "-");
    EXPECT_EQ(content.lastErrorTime, "-");
    EXPECT_EQ(content.testCount, "0");
    EXPECT_EQ(content.lastTestStatus.text, "-");
    EXPECT_EQ(content.lastTestTime, "-");
    EXPECT_EQ(content.status, "PASSED");
    EXPECT_EQ(content.statusStyle, KZStatusStyle::Passed);
    EXPECT_TRUE(content.statusReason.isEmpty());

    EXPECT_TRUE(content.driveInformation.enabled);
    EXPECT_EQ(content.driveInformation.title, "More Info");
    EXPECT_TRUE(content.attributes.enabled);
    EXPECT_EQ(content.attributes.title, "Show All");
    EXPECT_EQ(content.attributes.tone, KZTone::Normal);
    // No logged errors: nothing to show.
    EXPECT_FALSE(content.errors.enabled);
    EXPECT_TRUE(content.tests.enabled);

    KZPreferences::standard().setBool("DisplayTempInFahrenheit", true);
    EXPECT_EQ(summarize(drive.get(), false, mainWindow, true).temperatureCaption,
              QStringLiteral("Temperature (F):"));
    KZPreferences::standard().removeObjectForKey("DisplayTempInFahrenheit");
}

TEST_F(DriveSummary, CountsThatAreNotCountsShowADash)
{
    // A reallocated count above 10000 is not believed; the airflow
    // temperature stands in for a missing temperature (not in the viewer).
    const auto drive =
        ForgedDrives::read(withAttributes(R"({"id": 5, "raw": 10001}, {"id": 190, "raw": 38})",
                                          R"("identity": {"serial": "SUMDASH1"})"));
    ASSERT_EQ(drive->driveTemperature(), -1);
    const KZDriveSummaryContent live = summarize(drive.get(), false, mainWindow, false);
    EXPECT_EQ(live.reallocatedBadSectors.text, "-");
    EXPECT_EQ(live.temperature, "38");
    EXPECT_EQ(live.powerOnHours, "-");
    EXPECT_EQ(summarize(drive.get(), false, viewer, false).temperature, "-");
}

TEST_F(DriveSummary, FailingDriveTurnsItsBadValuesRedAndSaysWhy)
{
    const auto drive = ForgedDrives::read(withAttributes(
        R"({"id": 5, "flags": "0x0033", "value": 100, "thresh": 10, "raw": 0},
           {"id": 197, "raw": 16}, {"id": 198, "raw": 16})",
        R"("identity": {"serial": "SUMFAIL1"}, "selfTestStatus": "0x74",
           "selfTestLog": [{"type": 1, "status": "0x74", "lifetimeHours": 7342, "lba": 99}],
           "errorLog": {"count": 2, "entries": [{"lifetimeHours": 7000}, {"lifetimeHours": 6000}]})"));
    ASSERT_EQ(drive->driveHealth(), 2);
    const KZDriveSummaryContent content = summarize(drive.get(), false, mainWindow, false);

    EXPECT_EQ(content.status, "FAILING");
    EXPECT_EQ(content.statusStyle, KZStatusStyle::Failing);
    EXPECT_TRUE(content.statusReason.contains("Failed selftest status"))
        << content.statusReason.toStdString();
    EXPECT_EQ(content.pendingBadSectors.tone, KZTone::Alert);
    EXPECT_EQ(content.reallocatedBadSectors.tone, KZTone::Normal);
    EXPECT_EQ(content.attributes.tone, KZTone::Alert);
    EXPECT_EQ(content.lastTestStatus.text, "Completed: read failure");
    EXPECT_EQ(content.lastTestStatus.tone, KZTone::Alert); // a new failed test
    EXPECT_EQ(content.driveInformation.tone, KZTone::Alert);
    EXPECT_EQ(content.tests.tone, KZTone::Alert);
    EXPECT_EQ(content.totalErrors.text, "2");
    EXPECT_EQ(content.lastErrorTime, "7000");
    EXPECT_TRUE(content.errors.enabled);
    EXPECT_EQ(content.errors.tone, KZTone::Normal); // two errors are below the limit
}

TEST_F(DriveSummary, ViewerJudgesTheLastTestByItsWordsAndTheButtonByTheTestStatus)
{
    // The failed test was already seen, so it is not new: the main window
    // keeps it black, the viewer reads "failure" in it.
    KZPreferences &preferences = KZPreferences::standard();
    preferences.setBool("FailedTestIsNew", true);
    preferences.setInteger("SUMVIEW1_LastTestPowerOnHours", 500);
    const auto seen = ForgedDrives::read(
        R"({"identity": {"serial": "SUMVIEW1"},
            "selfTestLog": [{"type": 1, "status": "0x74", "lifetimeHours": 500}]})");
    preferences.removeObjectForKey("FailedTestIsNew");
    ASSERT_FALSE(seen->driveNewTestFail());
    EXPECT_EQ(summarize(seen.get(), false, mainWindow, false).lastTestStatus.tone, KZTone::Normal);
    EXPECT_EQ(summarize(seen.get(), false, viewer, false).lastTestStatus.tone, KZTone::Alert);

    // A failing self-test status with a clean log: the viewer's
    // drive-information button follows the status, the main window's the log.
    const auto status = ForgedDrives::read(
        R"({"identity": {"serial": "SUMVIEW2"}, "selfTestStatus": "0x74",
            "selfTestLog": [{"type": 1, "status": "0x00", "lifetimeHours": 20}]})");
    ASSERT_TRUE(status->driveSelftestFail());
    ASSERT_FALSE(status->driveNewTestFail());
    EXPECT_EQ(summarize(status.get(), false, mainWindow, false).driveInformation.tone,
              KZTone::Normal);
    EXPECT_EQ(summarize(status.get(), false, viewer, false).driveInformation.tone, KZTone::Alert);
    EXPECT_EQ(summarize(status.get(), false, viewer, false).lastTestStatus.tone, KZTone::Normal);
}

TEST_F(DriveSummary, WithoutASupportedDriveEveryValueIsADash)
{
    const auto unsupported = ForgedDrives::unsupported();
    ASSERT_FALSE(unsupported->smartSupported());

    struct Case
    {
        const char *name;
        const KZSMARTDrive *drive;
        bool listEmpty;
        bool testing;
        QString status;
        KZStatusStyle style;
        bool testsEnabled;
    };
    const Case cases[] = {
        {"unsupported", unsupported.get(), false, false, "UNSUPPORTED", KZStatusStyle::Unsupported,
         false},
        {"testing", unsupported.get(), false, true, "TESTING", KZStatusStyle::Testing, true},
        {"no item", nullptr, false, false, "UNSUPPORTED", KZStatusStyle::Unsupported, false},
        {"no drives", nullptr, true, false, "NO DRIVES", KZStatusStyle::NoDrives, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        unsupported->setSelfTestInProgress(c.testing);
        const KZDriveSummaryContent content = summarize(c.drive, c.listEmpty, mainWindow, false);
        for (const QString &value : everyValue(content))
            EXPECT_EQ(value, "-");
        EXPECT_FALSE(content.temperatureCaption);
        EXPECT_EQ(content.status, c.status);
        EXPECT_EQ(content.statusStyle, c.style);
        EXPECT_FALSE(content.driveInformation.enabled);
        EXPECT_FALSE(content.attributes.enabled);
        EXPECT_FALSE(content.errors.enabled);
        EXPECT_EQ(content.tests.enabled, c.testsEnabled);
        EXPECT_FALSE(content.tests.tone); // its colour stays as it was
    }
    unsupported->setSelfTestInProgress(false);
}

TEST_F(DriveSummary, OutlineRowsOfBothWindows)
{
    const auto data = ForgedDrives::read(
        R"({"identity": {"model": "FORGE ONE", "serial": "OUT1"}})", {"Data"}, "one.twdr");
    const auto two = ForgedDrives::read(R"({"identity": {"model": "FORGE TWO", "serial": "OUT2"}})",
                                        {"A", "B"}, "two.twdr");
    const auto failing = ForgedDrives::read(
        R"({"identity": {"model": "FORGE BAD", "serial": "OUT3"}, "selfTestStatus": "0x74"})", {},
        "bad.twdr");
    ASSERT_EQ(failing->driveHealth(), 2);

    using KZDriveOutlineRows::driveRow;
    using KZDriveOutlineRows::partitionRow;
    using KZDriveOutlineRows::partitionRowCount;
    EXPECT_EQ(driveRow(*data, mainWindow).text, "Data  [PASSED]");
    EXPECT_EQ(driveRow(*data, mainWindow).tone, KZTone::Normal);
    EXPECT_EQ(partitionRowCount(*data, mainWindow), 0u);
    EXPECT_EQ(driveRow(*two, mainWindow).text, "FORGE TWO  [PASSED]");
    EXPECT_EQ(partitionRowCount(*two, mainWindow), 2u);
    EXPECT_EQ(partitionRow(*two, 1, mainWindow).text, "B");
    EXPECT_EQ(driveRow(*failing, mainWindow).text, "FORGE BAD  [FAILING]");
    EXPECT_EQ(driveRow(*failing, mainWindow).tone, KZTone::Alert);

    // The viewer: a healthy drive by its model, a failing one by its file
    // name in red, partitions of a failing drive in red, no status words.
    EXPECT_EQ(driveRow(*data, viewer).text, "FORGE ONE");
    EXPECT_EQ(partitionRowCount(*data, viewer), 1u);
    EXPECT_EQ(driveRow(*failing, viewer).text, "bad.twdr");
    EXPECT_EQ(driveRow(*failing, viewer).tone, KZTone::Alert);
    failing->addPartitionName("Scratch");
    EXPECT_EQ(partitionRow(*failing, 0, viewer).tone, KZTone::Alert);
    EXPECT_EQ(partitionRow(*failing, 0, mainWindow).tone, KZTone::Normal);
}
