#include "KZException.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "LogTestSupport.h"
#include "TestSupport.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

using LogTestSupport::captureDrive;
using LogTestSupport::forge;
using TestSupport::FakeSmartctl;

namespace {

const QByteArray banner = TestSupport::smartctlBanner;

const QByteArray logHead = "=== START OF READ SMART DATA SECTION ===\n"
                           "SMART Self-test log structure revision number 1\n"
                           "Num  Test_Description    Status                  Remaining  "
                           "LifeTime(hours)  LBA_of_first_error\n";

const QByteArray testSection = "=== START OF OFFLINE IMMEDIATE AND SELF-TEST SECTION ===\n";

QByteArray begun(const char *name, int minutes)
{
    const QByteArray command =
        "Execute SMART " + QByteArray(name) + " self-test routine immediately in off-line mode";
    return banner + testSection + "Sending command: \"" + command + "\".\nDrive command \"" +
           command + "\" successful.\nTesting has begun.\nPlease wait " +
           QByteArray::number(minutes) +
           " minutes for test to complete.\nTest will complete after Mon Jan  1 10:00:00 "
           "2024 UTC\nUse smartctl -X to abort test.\n";
}

const QByteArray aborted = banner + testSection +
                           "Sending command: \"Abort SMART off-line mode self-test routine\".\n"
                           "Drive command \"Abort SMART off-line mode self-test routine\" "
                           "successful.\nSelf-testing aborted!\n";

const QByteArray busy = banner + testSection +
                        "Can't start self-test without aborting current test (90% remaining),\n"
                        "add '-t force' option to override, or run 'smartctl -X' to abort test.\n";

// A forged drive with the given self-test log entries (newest first).
QByteArray selfTestDrive(const QByteArray &serial, const QByteArray &entries,
                         const QByteArray &health = "passed")
{
    return "{\"identity\": {\"serial\": \"" + serial + "\"}, \"health\": \"" + health +
           "\", \"selfTestLog\": [" + entries + "]}";
}

QByteArray test(int type, const char *status, int hours, qint64 lba = 0)
{
    return "{\"type\": " + QByteArray::number(type) + ", \"status\": \"" + status +
           "\", \"lifetimeHours\": " + QByteArray::number(hours) +
           ", \"lba\": " + QByteArray::number(lba) + "}";
}

KZSMARTDrive fakeDrive(const FakeSmartctl &fake, const QString &location = "/dev/sdt")
{
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(location);
    drive.setSmartctlOverride(fake.program());
    return drive;
}

KZSMARTSelfTestLog row(const QByteArray &line)
{
    FakeSmartctl fake({{"l-selftest", banner + logHead + line + "\n"}});
    KZSMARTDrive drive = fakeDrive(fake);
    drive.parseSelftestLog();
    EXPECT_EQ(drive.driveTestsCount(), 1u) << line.constData();
    return drive.driveSelfTestLog(0).value_or(KZSMARTSelfTestLog());
}

class SelfTests : public testing::Test
{
protected:
    void SetUp() override { LogTestSupport::resetPreferences(); }
    KZPreferences &preferences() { return KZPreferences::standard(); }
};

class ForgedSelfTests : public SelfTests
{
protected:
    void SetUp() override
    {
        SelfTests::SetUp();
        if (TestSupport::realSmartctl().isEmpty())
            GTEST_SKIP() << "smartctl is not installed";
    }
};

} // namespace

// ---------------------------------------------------------------- rows

TEST(SelfTestRows, AlignedRowGivesEveryColumn)
{
    const KZSMARTSelfTestLog entry = row("# 1  Short offline       Completed without error       "
                                         "00%      1234         -");
    EXPECT_EQ(entry.getNumber(), 1);
    EXPECT_EQ(entry.getType(), QStringLiteral("Short offline"));
    EXPECT_EQ(entry.getStatus(), QStringLiteral("Completed without error"));
    EXPECT_EQ(entry.getRemaining(), 0);
    EXPECT_EQ(entry.getLifetime(), 1234);
    EXPECT_EQ(entry.getLBA(), -1);
}

TEST(SelfTestRows, TypeWordReachingTheStatusColumnStandsAlone)
{
    const KZSMARTSelfTestLog entry = row("#21  Vendor_specific_test_0xc3 Completed: read failure "
                                         "  40%     65535         4294967295");
    EXPECT_EQ(entry.getNumber(), 21);
    EXPECT_EQ(entry.getType(), QStringLiteral("Vendor_specific_test_0xc3"));
    EXPECT_EQ(entry.getStatus(), QStringLiteral("Completed: read failure"));
    EXPECT_EQ(entry.getRemaining(), 40);
    EXPECT_EQ(entry.getLifetime(), 65535);
    // Self-test LBAs use all 32 bits.
    EXPECT_EQ(entry.getLBA(), 4294967295LL);
}

TEST(SelfTestRows, RowsWithoutTheirColumnsGetSentinels)
{
    const KZSMARTSelfTestLog bare = row("#");
    EXPECT_EQ(bare.getNumber(), 0);
    EXPECT_FALSE(bare.getType());
    EXPECT_FALSE(bare.getStatus());
    EXPECT_EQ(bare.getLifetime(), 0);
    EXPECT_EQ(bare.getLBA(), -1);

    const KZSMARTSelfTestLog words = row("# x Short");
    EXPECT_EQ(words.getNumber(), 0);
    EXPECT_EQ(words.getType(), QStringLiteral("x Short"));
    EXPECT_FALSE(words.getStatus());

    const KZSMARTSelfTestLog huge = row("# 99999999999 Short offline Aborted 9999999999% 1 2");
    EXPECT_EQ(huge.getNumber(), 2147483647);
    EXPECT_EQ(huge.getRemaining(), 2147483647);
    EXPECT_EQ(huge.getLifetime(), 1);
    EXPECT_EQ(huge.getLBA(), 2);
}

TEST(SelfTestRows, NVMeRowsGiveTheirColumns)
{
    struct Case
    {
        const char *line;
        int number;
        const char *type;
        const char *status;
        int hours;
        qint64 lba;
    };
    const Case cases[] = {
        {" 0   Extended          Completed without error               16682            -     1"
         "   -   -    -",
         1, "Extended", "Completed without error", 16682, -1},
        {" 1   Vendor specific   Completed: failed segments              120         4096     1"
         "   3 0x2 0x81",
         2, "Vendor specific", "Completed: failed segments", 120, 4096},
        // Runs of blanks lost, as in pasted reports.
        {"2 Short Aborted: Controller Reset 7 - - - - -", 3, "Short", "Aborted: Controller Reset",
         7, -1},
        {"3", 4, nullptr, nullptr, 0, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const KZSMARTSelfTestLog entry = KZSMARTDrive::parseNVMeSelfTestLine(c.line);
        EXPECT_EQ(entry.getNumber(), c.number);
        EXPECT_EQ(entry.getType(), c.type ? std::optional<QString>(c.type) : std::nullopt);
        EXPECT_EQ(entry.getStatus(), c.status ? std::optional<QString>(c.status) : std::nullopt);
        EXPECT_EQ(entry.getRemaining(), 0);
        EXPECT_EQ(entry.getLifetime(), c.hours);
        EXPECT_EQ(entry.getLBA(), c.lba);
    }
}

// ---------------------------------------------------------------- judgement

TEST_F(SelfTests, FailedNVMeTestMakesTheDriveFailing)
{
    const QByteArray log =
        banner + "=== START OF SMART DATA SECTION ===\n"
                 "Self-test Log (NVMe Log 0x06)\n"
                 "Self-test status: No self-test in progress\n"
                 "Num  Test_Description  Status                       Power_on_Hours  Failing_LBA"
                 "  NSID Seg SCT Code\n"
                 " 0   Short             Completed: failed segments              900        12345"
                 "     1   2 0x2 0x81\n"
                 " 1   Extended          Completed without error                 800            -"
                 "     1   -   -    -\n";
    FakeSmartctl fake({{"l-selftest", log}});
    KZSMARTDrive drive = fakeDrive(fake, "/dev/nvme0");
    drive.updateInfo();
    EXPECT_EQ(drive.driveTestsCount(), 2u);
    EXPECT_EQ(drive.driveSelfTestLogRevision(), 0);
    EXPECT_TRUE(drive.driveTestsFail());
    EXPECT_TRUE(drive.driveNewTestFail());
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_EQ(drive.failureReasons(), QStringList{"Tests with errors"});
    EXPECT_EQ(drive.driveLastTestStatus(), QStringLiteral("Completed: failed segments"));

    // "Fatal or unknown test error" counts as well; an empty NVMe log is no log.
    QByteArray fatal = log;
    fatal.replace("Completed: failed segments", "Fatal or unknown test error");
    fake.setAnswer("l-selftest", fatal);
    drive.parseSelftestLog();
    EXPECT_TRUE(drive.driveTestsFail());
    fake.setAnswer("l-selftest", banner + "=== START OF SMART DATA SECTION ===\n"
                                          "Self-test Log (NVMe Log 0x06, NSID 0xffffffff)\n"
                                          "Self-test status: No self-test in progress\n"
                                          "No Self-tests Logged\n");
    drive.parseSelftestLog();
    EXPECT_FALSE(drive.driveSelfTestLogEntries());
    EXPECT_EQ(drive.driveTestsCount(), 0u);
}

TEST_F(ForgedSelfTests, FailedTestMarksEveryRefreshWhenNotOnlyNewOnesCount)
{
    KZSMARTDrive drive = TestSupport::diskDrive(
        forge("failedoff",
              selfTestDrive("STOFF1", test(1, "0x74", 7342, 2930466576LL) + "," +
                                          test(1, "0x00", 7300) + "," + test(2, "0x00", 7000))));
    for (int refresh = 1; refresh <= 2; ++refresh) {
        drive.updateInfo();
        EXPECT_FALSE(drive.exceptionOccurred());
        EXPECT_EQ(drive.driveHealth(), 2) << refresh;
        EXPECT_TRUE(drive.driveTestsFail()) << refresh;
        EXPECT_TRUE(drive.driveNewTestFail()) << refresh;
    }
    EXPECT_EQ(drive.failureReasons(), (QStringList{"Tests with errors", "Tests with errors"}));
    EXPECT_EQ(drive.driveTestsCount(), 3u);
    EXPECT_EQ(drive.driveSelfTestLogRevision(), 1);
    const KZSMARTSelfTestLog newest = *drive.driveSelfTestLog(0);
    EXPECT_EQ(newest.getType(), QStringLiteral("Short offline"));
    EXPECT_EQ(newest.getStatus(), QStringLiteral("Completed: read failure"));
    EXPECT_EQ(newest.getRemaining(), 40);
    EXPECT_EQ(newest.getLBA(), 2930466576LL);
    EXPECT_EQ(preferences().integerForKey("STOFF1_LastTestPowerOnHours"), 7342);
}

TEST_F(ForgedSelfTests, WithFailedTestIsNewAFailureCountsOnce)
{
    preferences().setBool("FailedTestIsNew", true);
    KZSMARTDrive drive = TestSupport::diskDrive(forge(
        "failedon", selfTestDrive("STON1", test(1, "0x74", 500) + "," + test(1, "0x00", 400))));
    drive.updateInfo(); // nothing stored yet (0)
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_TRUE(drive.driveNewTestFail());
    EXPECT_EQ(preferences().integerForKey("STON1_LastTestPowerOnHours"), 500);

    drive.updateInfo(); // the same log again
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_TRUE(drive.driveTestsFail());
    EXPECT_FALSE(drive.driveNewTestFail());
    EXPECT_EQ(drive.failureReasons()->size(), 1);
}

TEST_F(ForgedSelfTests, NewFailureOnTopOfOlderTestsIsReported)
{
    // smartctl prints the newest test first; the oldest row stays the same
    // while new tests are added on top.
    preferences().setBool("FailedTestIsNew", true);
    const QByteArray older = test(1, "0x00", 7300) + "," + test(2, "0x00", 7000);
    KZSMARTDrive drive =
        TestSupport::diskDrive(forge("newfailure", selfTestDrive("STNEW1", older)));
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_FALSE(drive.driveTestsFail());

    forge("newfailure", selfTestDrive("STNEW1", test(1, "0x74", 7342) + "," + older));
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_TRUE(drive.driveNewTestFail());
    EXPECT_EQ(drive.failureReasons(), QStringList{"Tests with errors"});

    // A passing test after it: the failure is old news.
    forge("newfailure", selfTestDrive("STNEW1", test(1, "0x00", 7400) + "," +
                                                    test(1, "0x74", 7342) + "," + older));
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_TRUE(drive.driveTestsFail());
    EXPECT_FALSE(drive.driveNewTestFail());
    EXPECT_EQ(preferences().integerForKey("STNEW1_LastTestPowerOnHours"), 7400);
}

TEST_F(ForgedSelfTests, EveryFailedStatusCounts)
{
    for (const char *status : {"0x30", "0x40", "0x50", "0x60", "0x70", "0x80"}) {
        SCOPED_TRACE(status);
        KZSMARTDrive drive = captureDrive(forge(
            "status", selfTestDrive("STSTATUS", test(1, status, 10) + "," + test(1, "0x00", 5))));
        drive.parseSelftestLog();
        EXPECT_TRUE(drive.driveTestsFail());
        EXPECT_EQ(drive.driveHealth(), 2);
    }
    for (const char *status : {"0x00", "0x10", "0x20", "0xf5"}) {
        SCOPED_TRACE(status);
        KZSMARTDrive drive =
            captureDrive(forge("status", selfTestDrive("STSTATUS", test(1, status, 10))));
        drive.parseSelftestLog();
        EXPECT_FALSE(drive.driveTestsFail());
        EXPECT_EQ(drive.driveHealth(), 0); // untouched: no refresh set it
    }
}

TEST_F(ForgedSelfTests, FailedDriveGetsNoReasonButTheFailureIsKept)
{
    KZSMARTDrive drive = captureDrive(
        forge("failedhealth", selfTestDrive("STFAILED", test(1, "0x74", 10), "failing")));
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 3);
    EXPECT_TRUE(drive.driveTestsFail());
    EXPECT_FALSE(drive.driveNewTestFail());
    // Only the health check says why.
    EXPECT_EQ(drive.failureReasons(),
              QStringList{"SMART overall-health self-assessment test failed"});
}

TEST_F(ForgedSelfTests, LastTestStatusIsTheLaterOfFirstAndLastRow)
{
    KZSMARTDrive drive = captureDrive(forge(
        "laststatus", selfTestDrive("STLAST1", test(1, "0x00", 1000) + "," + test(2, "0x10", 1100) +
                                                   "," + test(1, "0x74", 1200))));
    drive.updateInfo();
    EXPECT_EQ(drive.driveLastTestStatus(), QStringLiteral("Completed: read failure"));
    EXPECT_EQ(drive.driveLastTestTime(), 1000);
    EXPECT_EQ(drive.driveSelfTestLog(1)->getStatus(), QStringLiteral("Aborted by host"));
    EXPECT_FALSE(drive.driveSelfTestLog(3));

    forge("laststatus",
          selfTestDrive("STLAST1", test(1, "0x00", 1000) + "," + test(1, "0x74", 1000)));
    drive.updateInfo();
    EXPECT_EQ(drive.driveLastTestStatus(), QStringLiteral("Completed without error"));
}

TEST_F(ForgedSelfTests, TestInProgress)
{
    KZSMARTDrive drive = captureDrive(
        forge("running", selfTestDrive("STRUN1", test(2, "0xf9", 88) + "," + test(1, "0x00", 80))));
    drive.updateInfo();
    const KZSMARTSelfTestLog running = *drive.driveSelfTestLog(0);
    EXPECT_EQ(running.getType(), QStringLiteral("Extended offline"));
    EXPECT_EQ(running.getStatus(), QStringLiteral("Self-test routine in progress"));
    EXPECT_EQ(running.getRemaining(), 90);
    EXPECT_FALSE(drive.driveTestsFail());
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_EQ(drive.driveLastTestStatus(), QStringLiteral("Self-test routine in progress"));

    // Status byte 249: upper bits 15 (running), lower bits 9 (90% to go).
    EXPECT_FALSE(drive.driveSelfTestExecutionInProgress());
    KZSMARTDriveTesting::setSelftestStatus(drive, 249);
    EXPECT_TRUE(drive.driveSelfTestExecutionInProgress());
    EXPECT_EQ(drive.driveSelfTestExecutionRemaining(), 90);
    KZSMARTDriveTesting::setSelftestStatus(drive, 0);
    drive.setSelfTestInProgress(true);
    EXPECT_TRUE(drive.driveSelfTestExecutionInProgress());
    EXPECT_EQ(drive.driveSelfTestExecutionRemaining(), 0);
}

TEST_F(ForgedSelfTests, SwitchedOffSmartGetsTheProtectiveMark)
{
    preferences().setInteger("TestsInProgress", 2);
    KZSMARTDrive drive = TestSupport::diskDrive(
        forge("disabled", "{\"identity\": {\"serial\": \"STOFF\"}, \"smartEnabled\": false}"));
    drive.parseSelftestLog();
    EXPECT_TRUE(drive.testInProgress());
    EXPECT_TRUE(drive.driveSelfTestExecutionInProgress());
    EXPECT_EQ(preferences().integerForKey("TestsInProgress"), 3);
    ASSERT_TRUE(drive.driveSelfTestLogEntries());
    EXPECT_TRUE(drive.driveSelfTestLogEntries()->isEmpty());
    EXPECT_EQ(drive.driveTestsCount(), 0u);
}

TEST_F(ForgedSelfTests, EmptyLogLeavesTheJudgementAlone)
{
    KZSMARTDrive drive =
        TestSupport::diskDrive(forge("emptylog", selfTestDrive("STEMPTY1", test(1, "0x74", 50))));
    drive.parseSelftestLog();
    ASSERT_TRUE(drive.driveNewTestFail());
    forge("emptylog", selfTestDrive("STEMPTY1", ""));
    drive.parseSelftestLog();
    EXPECT_FALSE(drive.driveSelfTestLogEntries());
    EXPECT_EQ(drive.driveTestsCount(), 0u);
    EXPECT_EQ(drive.driveLastTestTime(), -1);
    EXPECT_FALSE(drive.driveLastTestStatus());
    EXPECT_FALSE(drive.driveSelfTestLog(0));
    // "No self-tests have been logged" ends the parse before the judgement.
    EXPECT_TRUE(drive.driveNewTestFail());
    EXPECT_TRUE(drive.driveTestsFail());
    // Without an identity parse the drive remembers under its location.
    EXPECT_EQ(preferences().integerForKey(drive.driveLocation() + "_LastTestPowerOnHours"), 50);
}

TEST_F(SelfTests, NoOutputChangesNothing)
{
    FakeSmartctl fake({{"l-selftest", banner + logHead +
                                          "# 1  Short offline       Completed without error       "
                                          "00%      1234         -\n"}});
    KZSMARTDrive drive = fakeDrive(fake);
    drive.parseSelftestLog();
    ASSERT_EQ(drive.driveTestsCount(), 1u);
    fake.setAnswer("l-selftest", "x\n");
    drive.setDebugState(true);
    TestSupport::StderrCapture log;
    drive.parseSelftestLog();
    EXPECT_TRUE(log.text().contains("Error parsing self test log."));
    EXPECT_EQ(drive.driveTestsCount(), 1u);
    EXPECT_EQ(drive.driveSelfTestLog(0)->getLifetime(), 1234);
    EXPECT_EQ(preferences().integerForKey("/dev/sdt_LastTestPowerOnHours"), 1234);
}

TEST_F(SelfTests, GarbageNeverCrashes)
{
    const QByteArray lines[] = {
        "#",
        "#\t\t",
        "# -1 - - -% - -",
        "#1Short",
        "#  1  ",
        "# 1 Short offline 100%",
        "# 1 \xc3\xa9\xc3\xa9 \xe2\x80\x94 12% 3 4",
        "No self-tests have been logged",
        "SMART Self-test log structure revision number",
        "Disabled",
    };
    FakeSmartctl fake({});
    for (const QByteArray &line : lines) {
        fake.setAnswer("l-selftest", banner + logHead + line + "\n" + line + "\n");
        KZSMARTDrive drive = fakeDrive(fake);
        EXPECT_NO_THROW(drive.parseSelftestLog()) << line.constData();
    }
}

TEST_F(ForgedSelfTests, JsonHoldsTheLog)
{
    KZSMARTDrive drive = captureDrive(forge(
        "json", selfTestDrive("STJSON1", test(1, "0x74", 20, 4096) + "," + test(2, "0x00", 10))));
    drive.updateInfo();
    const QJsonObject json = drive.toJSON();
    EXPECT_EQ(json["selfTestLogRevision"].toInt(), 1);
    EXPECT_EQ(json["selfTestCount"].toInt(), 2);
    EXPECT_TRUE(json["testsFail"].toBool());
    EXPECT_TRUE(json["newTestFail"].toBool());
    const QJsonArray log = json["selfTestLog"].toArray();
    ASSERT_EQ(log.size(), 2);
    const QJsonObject first = log[0].toObject();
    EXPECT_EQ(first["number"].toInt(), 1);
    EXPECT_EQ(first["type"].toString(), "Short offline");
    EXPECT_EQ(first["status"].toString(), "Completed: read failure");
    EXPECT_EQ(first["remaining"].toInt(), 40);
    EXPECT_EQ(first["lifetime"].toInt(), 20);
    EXPECT_EQ(first["lba"].toInteger(), 4096);
    EXPECT_EQ(log[1].toObject()["lba"].toInteger(), -1);

    KZSMARTDrive empty = captureDrive(forge("jsonempty", selfTestDrive("STJSON2", "")));
    empty.updateInfo();
    EXPECT_TRUE(empty.toJSON()["selfTestLog"].isNull());
}

// ---------------------------------------------------------------- starting and aborting

TEST_F(SelfTests, ShortTestBeginsAndIsBookedAsRunning)
{
    FakeSmartctl fake({{"t-short", begun("Short", 2)}});
    KZSMARTDrive drive = fakeDrive(fake, "/dev/sdt");
    KZSMARTDriveTesting::setCapabilities(drive, 0x5f, 2, 120); // can abort offline collection
    const QDateTime before = QDateTime::currentDateTime();
    EXPECT_EQ(drive.runSelfTest(KZSMARTDrive::StartShortSelfTest), 1u);
    const QDateTime after = QDateTime::currentDateTime();

    EXPECT_EQ(fake.calls().first().section(' ', 0, 0), "-t|short|/dev/sdt|");
    const QDateTime end = preferences().dateForKey("/dev/sdt_TestEndTime");
    ASSERT_TRUE(end.isValid());
    EXPECT_GE(end, before.addSecs(120).addMSecs(-1));
    EXPECT_LE(end, after.addSecs(120));
    EXPECT_EQ(preferences().integerForKey("/dev/sdt_TestRunTime"), 2);
    EXPECT_EQ(preferences().integerForKey("/dev/sdt_TestType"), 8);
    EXPECT_EQ(preferences().integerForKey("TestsInProgress"), 1);
    EXPECT_TRUE(drive.testInProgress());
}

TEST_F(SelfTests, ExtendedTestOnADriveThatStaysReadable)
{
    FakeSmartctl fake({{"t-long", begun("Extended", 120)}});
    KZSMARTDrive drive = fakeDrive(fake, "/dev/sdu");
    KZSMARTDriveTesting::setCapabilities(drive, 0x7b, 2, 120); // bit 2 clear
    const QDateTime before = QDateTime::currentDateTime();
    EXPECT_EQ(drive.runSelfTest(KZSMARTDrive::StartExtendedSelfTest), 1u);
    EXPECT_EQ(fake.calls().first().section(' ', 0, 0), "-t|long|/dev/sdu|");
    const QDateTime end = preferences().dateForKey("/dev/sdu_TestEndTime");
    EXPECT_GE(end, before.addSecs(7200).addMSecs(-1));
    EXPECT_LE(end, QDateTime::currentDateTime().addSecs(7200));
    EXPECT_EQ(preferences().integerForKey("/dev/sdu_TestRunTime"), 120);
    EXPECT_EQ(preferences().integerForKey("/dev/sdu_TestType"), 9);
    EXPECT_EQ(preferences().integerForKey("TestsInProgress"), 0);
    EXPECT_FALSE(drive.testInProgress());
}

TEST_F(SelfTests, BusyDriveRefusesAndNothingIsBooked)
{
    FakeSmartctl fake({{"t-short", busy}});
    KZSMARTDrive drive = fakeDrive(fake, "/dev/sdv");
    KZSMARTDriveTesting::setCapabilities(drive, 0x5f, 2, 120);
    EXPECT_EQ(drive.runSelfTest(KZSMARTDrive::StartShortSelfTest), 3u);
    EXPECT_FALSE(preferences().hasStoredValue("/dev/sdv_TestEndTime"));
    EXPECT_FALSE(preferences().hasStoredValue("/dev/sdv_TestRunTime"));
    EXPECT_FALSE(preferences().hasStoredValue("/dev/sdv_TestType"));
    EXPECT_EQ(preferences().integerForKey("TestsInProgress"), 0);
    EXPECT_FALSE(drive.testInProgress());
}

TEST_F(SelfTests, RefusalsAndSilenceAreTold)
{
    FakeSmartctl fake({});
    KZSMARTDrive drive = fakeDrive(fake, "/dev/sdw");
    // No output at all.
    EXPECT_EQ(drive.runSelfTest(KZSMARTDrive::StartShortSelfTest), 0u);
    // An open failure right after the banner is no output either.
    fake.setAnswer("t-short", banner + "Smartctl open device: /dev/sdw failed: No such device\n");
    EXPECT_EQ(drive.runSelfTest(KZSMARTDrive::StartShortSelfTest), 0u);
    // smartctl reports the command failed.
    fake.setAnswer("t-long", banner + testSection +
                                 "Sending command: \"Execute SMART Extended self-test routine "
                                 "immediately in off-line mode\".\n"
                                 "Command \"Execute SMART Extended self-test routine immediately "
                                 "in off-line mode\" failed: Input/output error\n");
    EXPECT_EQ(drive.runSelfTest(KZSMARTDrive::StartExtendedSelfTest), 2u);
    // Nothing recognised.
    fake.setAnswer("t-short", banner + testSection + "Self-test functions not supported\n");
    EXPECT_EQ(drive.runSelfTest(KZSMARTDrive::StartShortSelfTest), 2u);
    EXPECT_FALSE(preferences().hasStoredValue("/dev/sdw_TestType"));
}

TEST_F(SelfTests, AbortLowersTheCountAndForgetsTheEndTime)
{
    FakeSmartctl fake({{"t-short", begun("Short", 2)}, {"X", aborted}});
    KZSMARTDrive drive = fakeDrive(fake, "/dev/sdx");
    KZSMARTDriveTesting::setCapabilities(drive, 0x5f, 2, 120);
    preferences().setInteger("TestsInProgress", 1); // another drive's test
    ASSERT_EQ(drive.runSelfTest(KZSMARTDrive::StartShortSelfTest), 1u);
    ASSERT_EQ(preferences().integerForKey("TestsInProgress"), 2);

    EXPECT_EQ(drive.stopSelfTest(), 1u);
    EXPECT_EQ(fake.calls().last().section(' ', 0, 0), "-X|/dev/sdx|");
    EXPECT_FALSE(preferences().hasStoredValue("/dev/sdx_TestEndTime"));
    EXPECT_EQ(preferences().integerForKey("TestsInProgress"), 1);
    EXPECT_FALSE(drive.testInProgress());
    // The test type stays for the self-test window.
    EXPECT_EQ(preferences().integerForKey("/dev/sdx_TestType"), 8);

    // The count never goes below zero.
    preferences().setInteger("TestsInProgress", 0);
    EXPECT_EQ(drive.stopSelfTest(), 1u);
    EXPECT_EQ(preferences().integerForKey("TestsInProgress"), 0);
}

TEST_F(SelfTests, FailedAbortIsReported)
{
    FakeSmartctl fake({{"X", banner + testSection +
                                 "Sending command: \"Abort SMART off-line mode self-test "
                                 "routine\".\nCommand \"Abort SMART off-line mode self-test "
                                 "routine\" failed: Input/output error\n"}});
    KZSMARTDrive drive = fakeDrive(fake, "/dev/sdy");
    preferences().setDate("/dev/sdy_TestEndTime", QDateTime::currentDateTime());
    EXPECT_EQ(drive.runSelfTest(KZSMARTDrive::AbortSelfTest), 2u);
    EXPECT_EQ(drive.stopSelfTest(), 0u);
    EXPECT_TRUE(preferences().hasStoredValue("/dev/sdy_TestEndTime"));
    fake.setAnswer("X", "");
    EXPECT_EQ(drive.stopSelfTest(), 0u);
}

TEST_F(SelfTests, CorpusDriveWithATestRunningRefusesANewOne)
{
    SKIP_WITHOUT_CORPUS();
    const QString report =
        TestSupport::corpusFile("ata-healthy/rkarlsba_72_ST8000VN0022_a_selftest-in-progress.txt");
    ASSERT_FALSE(report.isEmpty());
    KZSMARTDrive drive = LogTestSupport::corpusDrive(report);
    EXPECT_EQ(drive.runSelfTest(KZSMARTDrive::StartShortSelfTest), 3u);
    EXPECT_EQ(drive.runSelfTest(KZSMARTDrive::AbortSelfTest), 1u);

    KZSMARTDrive idle = LogTestSupport::corpusDrive(
        TestSupport::corpusFile("ata-healthy/pysmart_64_sat_ST2000NM000A.txt"));
    KZSMARTDriveTesting::setCapabilities(idle, 0x5b, 1, 240);
    EXPECT_EQ(idle.runSelfTest(KZSMARTDrive::StartExtendedSelfTest), 1u);
    EXPECT_EQ(preferences().integerForKey("/dev/sdc_TestRunTime"), 240);
}

// ---------------------------------------------------------------- real outputs

TEST_F(SelfTests, CorpusSelfTestLogsParseWithTheirCounts)
{
    SKIP_WITHOUT_CORPUS();
    const QRegularExpression rowPattern("^#\\s*(\\d+)\\s.*?(\\d+)%\\s+(\\d+)\\s+(\\S+)\\s*$");
    int withRows = 0;
    const QString copy = TestSupport::homeDir() + "/corpus-self-test-log.txt";
    for (const QString &report :
         LogTestSupport::corpusReports({"Self-test log", "Self-test Log", "Self-tests"})) {
        SCOPED_TRACE(report.toStdString());
        KZSMARTDrive drive = LogTestSupport::corpusDrive(report, copy);
        EXPECT_NO_THROW(drive.parseSelftestLog());
        const QStringList printed = LogTestSupport::copiedLines(copy);
        // NVMe tables have a test of their own (CorpusReplay).
        if (!printed.filter(QRegularExpression("^Self-test Log \\(NVMe Log")).isEmpty())
            continue;
        // The rows as printed, read independently of the parser.
        bool revision = false, noTests = false, failed = false;
        QList<QRegularExpressionMatch> rows;
        for (const QString &line : printed) {
            if (line.startsWith("SMART Self-test log structure revision number"))
                revision = true;
            if (revision && line.startsWith("No self-tests have been logged"))
                noTests = true;
            if (revision && line.startsWith('#')) {
                rows.append(rowPattern.match(line));
                failed = failed || line.contains("failure") || line.contains("Fatal") ||
                         line.contains("damage");
            }
        }

        if (printed.size() < 3 || noTests) {
            EXPECT_FALSE(drive.driveSelfTestLogEntries());
            EXPECT_EQ(drive.driveTestsCount(), 0u);
            continue;
        }
        ASSERT_TRUE(drive.driveSelfTestLogEntries());
        ASSERT_EQ(drive.driveTestsCount(), quint64(rows.size()));
        EXPECT_EQ(drive.driveTestsFail(), failed);
        EXPECT_EQ(drive.driveHealth() == 2, failed);
        for (qsizetype at = 0; at < rows.size(); ++at) {
            ASSERT_TRUE(rows[at].hasMatch()) << at;
            const KZSMARTSelfTestLog entry = *drive.driveSelfTestLog(quint64(at));
            EXPECT_EQ(entry.getNumber(), rows[at].captured(1).toInt());
            EXPECT_EQ(entry.getRemaining(), rows[at].captured(2).toInt());
            EXPECT_EQ(entry.getLifetime(), rows[at].captured(3).toInt());
            EXPECT_EQ(entry.getLBA(),
                      rows[at].captured(4) == "-" ? -1 : rows[at].captured(4).toLongLong());
        }
        if (!rows.isEmpty())
            ++withRows;
    }
    EXPECT_GT(withRows, 8);
}
