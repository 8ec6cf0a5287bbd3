#include "KZException.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "LogTestSupport.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

using LogTestSupport::captureDrive;
using LogTestSupport::forge;
using TestSupport::FakeSmartctl;

namespace {

const QByteArray banner = TestSupport::smartctlBanner;

const QByteArray logHead = "=== START OF READ SMART DATA SECTION ===\n"
                           "SMART Error Log Version: 1\n";

const QByteArray legend = "\tCR = Command Register [HEX]\n"
                          "\tFR = Features Register [HEX]\n"
                          "Powered_Up_Time is measured from power on, and printed as\n"
                          "DDd+hh:mm:SS.sss where DD=days, hh=hours, mm=minutes,\n"
                          "SS=sec, and sss=millisec. It \"wraps\" after 49.710 days.\n"
                          "\n";

// One logged error as smartctl prints it, with the given register line and command rows.
QByteArray entry(int number, int hours, const QByteArray &registers, int commands)
{
    QByteArray text = "Error " + QByteArray::number(number) +
                      " occurred at disk power-on lifetime: " + QByteArray::number(hours) +
                      " hours (0 days + 0 hours)\n"
                      "  When the command that caused the error occurred, the device was active "
                      "or idle.\n\n"
                      "  After command completion occurred, registers were:\n"
                      "  ER ST SC SN CL CH DH\n"
                      "  -- -- -- -- -- -- --\n"
                      "  " +
                      registers +
                      "\n\n"
                      "  Commands leading to the command that caused the error were:\n"
                      "  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name\n"
                      "  -- -- -- -- -- -- -- --  ----------------  --------------------\n";
    for (int row = 0; row < commands; ++row)
        text +=
            "  c8 00 08 56 34 12 e0 08      00:00:0" + QByteArray::number(row) + ".000  READ DMA\n";
    return text + "\n";
}

// A forged drive whose summary error log holds the given count and entries.
QByteArray errorLogDrive(const QByteArray &serial, int count, const QByteArray &entries = "",
                         const QByteArray &health = "passed")
{
    return "{\"identity\": {\"serial\": \"" + serial + "\"}, \"health\": \"" + health +
           "\", \"errorLog\": {\"count\": " + QByteArray::number(count) + ", \"entries\": [" +
           entries + "]}}";
}

// An entry for twdr-forge: a READ DMA (or the given command) that failed with
// the error register er, with `commands` command rows.
QByteArray forgedEntry(int hours, const char *er, int sectors, const char *lba, int commands = 1,
                       const char *command = "0xc8")
{
    QByteArray rows;
    for (int row = 0; row < commands; ++row) {
        if (row > 0)
            rows += ",";
        rows += "{\"command\": \"" + QByteArray(command) +
                "\", \"count\": " + QByteArray::number(sectors) + ", \"lba\": \"" + lba +
                "\", \"timestampMs\": " + QByteArray::number(1000 - row * 100) + "}";
    }
    return "{\"lifetimeHours\": " + QByteArray::number(hours) + ", \"error\": {\"er\": \"" + er +
           "\", \"st\": \"0x51\", \"sc\": " + QByteArray::number(sectors) + ", \"lba\": \"" + lba +
           "\"}, \"commands\": [" + rows + "]}";
}

KZSMARTDrive fakeDrive(const FakeSmartctl &fake, const QString &location = "/dev/sdq")
{
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(location);
    drive.setSmartctlOverride(fake.program());
    return drive;
}

class ErrorLog : public testing::Test
{
protected:
    void SetUp() override { LogTestSupport::resetPreferences(); }
    KZPreferences &preferences() { return KZPreferences::standard(); }
};

class ForgedErrorLog : public ErrorLog
{
protected:
    void SetUp() override
    {
        ErrorLog::SetUp();
        if (TestSupport::realSmartctl().isEmpty())
            GTEST_SKIP() << "smartctl is not installed";
    }
};

} // namespace

// ---------------------------------------------------------------- error count and limit

TEST_F(ForgedErrorLog, FiftyErrorsIsStillWithinTheDefaultLimit)
{
    KZSMARTDrive drive = TestSupport::diskDrive(
        forge("count50", errorLogDrive("ERRCOUNT50", 50, forgedEntry(10, "0x40", 1, "0x10"))));
    drive.updateInfo();
    EXPECT_FALSE(drive.exceptionOccurred());
    EXPECT_EQ(drive.driveTotalErrors(), 50);
    EXPECT_EQ(drive.driveErrorLogVersion(), 1);
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_FALSE(drive.driveErrorsFail());
    EXPECT_FALSE(drive.failureReasons());
    EXPECT_EQ(preferences().integerForKey("ERRCOUNT50_LastErrorCount"), 50);
}

TEST_F(ForgedErrorLog, FiftyOneErrorsMakeTheDriveFailing)
{
    KZSMARTDrive drive = TestSupport::diskDrive(
        forge("count51", errorLogDrive("ERRCOUNT51", 51, forgedEntry(10, "0x40", 1, "0x10"))));
    drive.updateInfo();
    EXPECT_EQ(drive.driveTotalErrors(), 51);
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_TRUE(drive.driveErrorsFail());
    EXPECT_EQ(drive.failureReasons(), QStringList{"Too many drive errors"});
    EXPECT_EQ(preferences().integerForKey("ERRCOUNT51_LastErrorCount"), 51);
}

TEST_F(ForgedErrorLog, CustomLimitReplacesFifty)
{
    preferences().setBool("CustomErrorCount", true);
    preferences().setInteger("CustomErrorCountValue", 3);
    KZSMARTDrive atLimit = captureDrive(forge("custom3", errorLogDrive("CUSTOM3", 3)));
    atLimit.updateInfo();
    EXPECT_EQ(atLimit.driveHealth(), 1);
    KZSMARTDrive above = captureDrive(forge("custom4", errorLogDrive("CUSTOM4", 4)));
    above.updateInfo();
    EXPECT_EQ(above.driveHealth(), 2);
    EXPECT_TRUE(above.driveErrorsFail());

    // Switched off, the stored value is ignored and the limit is 50 again.
    preferences().setBool("CustomErrorCount", false);
    KZSMARTDrive off = captureDrive(forge("custom4off", errorLogDrive("CUSTOM4OFF", 4)));
    off.updateInfo();
    EXPECT_EQ(off.driveHealth(), 1);
}

TEST_F(ForgedErrorLog, RememberedCountReportsOnlyGrowth)
{
    preferences().setBool("RememberErrorCount", true);
    const QByteArray entries = forgedEntry(10, "0x40", 1, "0x10");
    KZSMARTDrive drive =
        TestSupport::diskDrive(forge("remember", errorLogDrive("REMEMBER1", 51, entries)));

    drive.updateInfo(); // nothing remembered yet: 0 < 51
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_TRUE(drive.driveErrorsFail());

    drive.updateInfo(); // same count again
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_FALSE(drive.driveErrorsFail());
    EXPECT_EQ(drive.failureReasons()->size(), 1);

    forge("remember", errorLogDrive("REMEMBER1", 52, entries));
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_EQ(drive.failureReasons(),
              (QStringList{"Too many drive errors", "Too many drive errors"}));
    EXPECT_EQ(preferences().integerForKey("REMEMBER1_LastErrorCount"), 52);
}

TEST_F(ForgedErrorLog, WithoutRememberingEveryRefreshReportsTheCount)
{
    KZSMARTDrive drive = captureDrive(forge("forget", errorLogDrive("FORGET1", 51)));
    drive.updateInfo();
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_TRUE(drive.driveErrorsFail());
    EXPECT_EQ(drive.failureReasons()->size(), 2);
}

TEST_F(ForgedErrorLog, FailedDriveGetsNoReasonButItsCountIsStored)
{
    KZSMARTDrive drive =
        TestSupport::diskDrive(forge("failedhealth", errorLogDrive("FAILED51", 51, "", "failing")));
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 3);
    EXPECT_FALSE(drive.driveErrorsFail());
    // Only the health check says why.
    EXPECT_EQ(drive.failureReasons(),
              QStringList{"SMART overall-health self-assessment test failed"});
    EXPECT_EQ(preferences().integerForKey("FAILED51_LastErrorCount"), 51);
}

TEST_F(ErrorLog, DriveWithoutSerialNumberRemembersUnderItsLocation)
{
    preferences().setBool("RememberErrorCount", true);
    FakeSmartctl fake({{"l-error", banner + logHead + "ATA Error Count: 77\n" + legend}});
    KZSMARTDrive drive = fakeDrive(fake, "/dev/sdq");
    drive.parseErrorLog();
    EXPECT_EQ(drive.driveTotalErrors(), 77);
    EXPECT_EQ(preferences().integerForKey("/dev/sdq_LastErrorCount"), 77);
    EXPECT_TRUE(fake.calls().first().startsWith("-l|error|/dev/sdq|"));
}

// ---------------------------------------------------------------- decoding

TEST_F(ForgedErrorLog, EntriesAreDecodedFromTheRealOutput)
{
    const QByteArray entries = forgedEntry(100, "0x28", 1, "0x1234") + "," +
                               forgedEntry(99, "0x08", 1, "0x1234") + "," +
                               forgedEntry(98, "0x20", 1, "0x1234") + "," +
                               forgedEntry(97, "0x84", 8, "0x0a000010", 1, "0xca") + "," +
                               forgedEntry(96, "0x40", 8, "0x0fffffff", 5);
    KZSMARTDrive drive = captureDrive(forge("decode", errorLogDrive("DECODE1", 5, entries)));
    drive.updateInfo();
    ASSERT_FALSE(drive.exceptionOccurred());
    ASSERT_TRUE(drive.driveErrorLogEntries());
    const QList<KZSMARTErrorLog> &log = *drive.driveErrorLogEntries();
    ASSERT_EQ(log.size(), 5);

    // Newest first: "Error: MC, MCR 1 sectors at LBA = 0x00001234 = 4660".
    EXPECT_EQ(log[0].getNumber(), 5);
    EXPECT_EQ(log[0].getTime(), 100);
    EXPECT_EQ(log[0].getActivity(), QStringLiteral("the device was active or idle."));
    EXPECT_EQ(log[0].getRegisterER(), 0x28u);
    EXPECT_EQ(log[0].getRegisterST(), 0x51u);
    EXPECT_EQ(log[0].getRegisterSC(), 1u);
    EXPECT_EQ(log[0].getRegisterSN(), 0x34u);
    EXPECT_EQ(log[0].getRegisterCL(), 0x12u);
    EXPECT_EQ(log[0].getRegisterCH(), 0u);
    EXPECT_EQ(log[0].getRegisterDH(), 0xe0u);
    EXPECT_EQ(log[0].getError1Code(), 8);
    EXPECT_EQ(log[0].getError1(), "Media Changed");
    EXPECT_EQ(log[0].getError2Code(), 9);
    EXPECT_EQ(log[0].getError2(), "Media Change Request");
    EXPECT_EQ(log[0].getSectors(), 1);
    EXPECT_EQ(log[0].getLBA(), 0x1234);

    // "Error: MCR ..." is a media change request, never MC.
    EXPECT_EQ(log[1].getError1Code(), 9);
    EXPECT_EQ(log[1].getError2Code(), 0);
    EXPECT_EQ(log[1].getError2(), "Unknown");
    EXPECT_EQ(log[2].getError1Code(), 8);

    // "Error: ICRC, ABRT at LBA = 0x0a000010 = 167772176": no sector count.
    EXPECT_EQ(log[3].getError1Code(), 5);
    EXPECT_EQ(log[3].getError1(), "Interface CRC error");
    EXPECT_EQ(log[3].getError2Code(), 1);
    EXPECT_EQ(log[3].getError2(), "Command Aborted");
    EXPECT_EQ(log[3].getSectors(), 0);
    EXPECT_EQ(log[3].getLBA(), 0x0a000010);
    EXPECT_EQ(log[3].getLastErrorCommand(), QStringLiteral("WRITE DMA"));

    // "Error: UNC 8 sectors at LBA = 0x0fffffff = 268435455" with five commands.
    EXPECT_EQ(log[4].getError1Code(), 13);
    EXPECT_EQ(log[4].getError1(), "Uncorrectable Error");
    EXPECT_EQ(log[4].getError2Code(), 0);
    EXPECT_EQ(log[4].getSectors(), 8);
    EXPECT_EQ(log[4].getLBA(), 0x0fffffff);
    const QList<KZSMARTErrorCommand> commands = log[4].getErrorCommands();
    ASSERT_EQ(commands.size(), 5);
    EXPECT_EQ(commands[0].getRegisterCR(), 0xc8u);
    EXPECT_EQ(commands[0].getRegisterFR(), 0u);
    EXPECT_EQ(commands[0].getRegisterSC(), 8u);
    EXPECT_EQ(commands[0].getRegisterSN(), 0xffu);
    EXPECT_EQ(commands[0].getRegisterCL(), 0xffu);
    EXPECT_EQ(commands[0].getRegisterCH(), 0xffu);
    EXPECT_EQ(commands[0].getRegisterDH(), 0xefu);
    EXPECT_EQ(commands[0].getRegisterDC(), 0u);
    EXPECT_EQ(commands[0].getPowerUpTime(), QStringLiteral("00:00:01.000"));
    EXPECT_EQ(commands[0].getCommand(), QStringLiteral("READ DMA"));
    EXPECT_EQ(commands[4].getPowerUpTime(), QStringLiteral("00:00:00.600"));

    EXPECT_EQ(drive.driveLastErrorType(), QStringLiteral("Media Changed"));
    EXPECT_EQ(drive.driveLastErrorTime(), 100);
    ASSERT_TRUE(drive.driveErrorLog(4));
    EXPECT_EQ(drive.driveErrorLog(4)->getNumber(), 1);
    EXPECT_FALSE(drive.driveErrorLog(5));
}

TEST_F(ForgedErrorLog, ShortEntryIsFollowedByTheNextOne)
{
    const QByteArray entries =
        forgedEntry(20, "0x40", 1, "0x10", 3) + "," + forgedEntry(19, "0x04", 1, "0x10", 5);
    KZSMARTDrive drive = captureDrive(forge("short", errorLogDrive("SHORT1", 2, entries)));
    drive.updateInfo();
    ASSERT_TRUE(drive.driveErrorLogEntries());
    ASSERT_EQ(drive.driveErrorLogEntries()->size(), 2);
    EXPECT_EQ(drive.driveErrorLogEntries()->at(0).getErrorCommands().size(), 3);
    EXPECT_EQ(drive.driveErrorLogEntries()->at(1).getNumber(), 1);
    EXPECT_EQ(drive.driveErrorLogEntries()->at(1).getErrorCommands().size(), 5);
    EXPECT_EQ(drive.driveErrorLogEntries()->at(1).getError1Code(), 1);
}

TEST_F(ForgedErrorLog, ReplayNoteAfterTheLastEntryIsNoCommand)
{
    // A replayed capture ends with "REPLAY-IOCTL: Warning: commands replayed
    // out of sync" right after the last entry's single command row.
    KZSMARTDrive drive = captureDrive(
        forge("replaynote", errorLogDrive("REPLAY1", 1, forgedEntry(7, "0x04", 1, "0x10"))));
    drive.updateInfo();
    ASSERT_EQ(drive.driveErrorLogEntries()->size(), 1);
    const QList<KZSMARTErrorCommand> commands =
        drive.driveErrorLogEntries()->first().getErrorCommands();
    ASSERT_EQ(commands.size(), 1);
    EXPECT_EQ(commands[0].getCommand(), QStringLiteral("READ DMA"));
}

TEST_F(ForgedErrorLog, CleanDriveHasAnEmptyLog)
{
    KZSMARTDrive drive = captureDrive(forge("clean", "{\"identity\": {\"serial\": \"CLEAN1\"}}"));
    drive.updateInfo();
    ASSERT_TRUE(drive.driveErrorLogEntries());
    EXPECT_TRUE(drive.driveErrorLogEntries()->isEmpty());
    EXPECT_EQ(drive.driveTotalErrors(), 0);
    EXPECT_EQ(drive.driveLastErrorTime(), -1);
    EXPECT_FALSE(drive.driveLastErrorType());
    EXPECT_FALSE(drive.driveErrorLog(0));
}

TEST(ErrorTypes, ListOrderDecidesNotThePositionInTheText)
{
    EXPECT_EQ(KZSMARTDrive::parseErrorType("Error: UNC ABRT"), 1);
    EXPECT_EQ(KZSMARTDrive::parseErrorType("Error: MCR"), 9);
    EXPECT_EQ(KZSMARTDrive::parseErrorType("Error: MC"), 8);
    EXPECT_EQ(KZSMARTDrive::parseErrorType(" TK0NF at"), 12);
    EXPECT_EQ(KZSMARTDrive::parseErrorType("Error: WP"), 14);
    EXPECT_EQ(KZSMARTDrive::parseErrorType("Error: CCTO"), 3);
    EXPECT_EQ(KZSMARTDrive::parseErrorType("error: unc"), 0); // case matters
    EXPECT_EQ(KZSMARTDrive::parseErrorType(""), 0);
}

TEST(ErrorTypes, TextsComeFromTheMainTableWithEnglishDefaults)
{
    const char *const english[] = {"Unknown",
                                   "Command Aborted",
                                   "Address Mark Not Found",
                                   "Command Timed Out",
                                   "End Of Media",
                                   "Interface CRC error",
                                   "Identity Not Found",
                                   "ILI",
                                   "Media Changed",
                                   "Media Change Request",
                                   "No Media",
                                   "Obsolete",
                                   "TracK 0 Not Found",
                                   "Uncorrectable Error",
                                   "Write Protected"};
    for (int code = 0; code < 15; ++code)
        EXPECT_EQ(KZSMARTErrorLog::errorTypeToString(code), QString::fromLatin1(english[code]));
    EXPECT_EQ(KZSMARTErrorLog::errorTypeToString(-1), "Unknown");
    EXPECT_EQ(KZSMARTErrorLog::errorTypeToString(15), "Unknown");
}

TEST(ErrorCommands, RowIsReadColumnByColumn)
{
    const KZSMARTErrorCommand row = KZSMARTDrive::parseErrorCommandLine(
        "  ef 03 46 00 00 00 a0 08   1d+01:01:01.100  SET FEATURES [Set transfer mode]");
    EXPECT_EQ(row.getRegisterCR(), 0xefu);
    EXPECT_EQ(row.getRegisterFR(), 3u);
    EXPECT_EQ(row.getRegisterSC(), 0x46u);
    EXPECT_EQ(row.getRegisterDH(), 0xa0u);
    EXPECT_EQ(row.getRegisterDC(), 8u);
    EXPECT_EQ(row.getPowerUpTime(), QStringLiteral("1d+01:01:01.100"));
    EXPECT_EQ(row.getCommand(), QStringLiteral("SET FEATURES [Set transfer mode]"));

    const KZSMARTErrorCommand empty = KZSMARTDrive::parseErrorCommandLine("");
    EXPECT_EQ(empty.getRegisterCR(), 0u);
    EXPECT_FALSE(empty.getPowerUpTime());
    EXPECT_FALSE(empty.getCommand());

    // Columns that cannot be read keep 0 and the rest is still taken apart.
    const KZSMARTErrorCommand odd = KZSMARTDrive::parseErrorCommandLine("zz 01 time name here");
    EXPECT_EQ(odd.getRegisterCR(), 0u);
    EXPECT_EQ(odd.getRegisterFR(), 0u);
    EXPECT_EQ(odd.getPowerUpTime(), QStringLiteral("zz"));
    EXPECT_EQ(odd.getCommand(), QStringLiteral("01 time name here"));
}

TEST(ErrorEntries, NewEntryIsEmpty)
{
    const KZSMARTErrorLog entry;
    EXPECT_EQ(entry.getNumber(), 0);
    EXPECT_FALSE(entry.getActivity());
    EXPECT_TRUE(entry.getErrorCommands().isEmpty());
    EXPECT_FALSE(entry.getLastErrorCommand());
    EXPECT_EQ(entry.getError1(), "Unknown");
    EXPECT_EQ(entry.getLBA(), 0);
}

// ---------------------------------------------------------------- register line descriptions

TEST_F(ErrorLog, ShortDescriptionsLeaveTheCodesButNotTheSectors)
{
    FakeSmartctl fake(
        {{"l-error",
          banner + logHead + "ATA Error Count: 3\n" + legend +
              entry(3, 30, "04 51 03 06 02 0c 40  ABRT 3 sectors at LBA = 0x000c0206", 1) +
              entry(2, 20, "04 51 00 00 00 00 a0", 1) +
              entry(1, 10,
                    "04 71 03 06 02 0c 40  Device Fault; Error: ABRT 3 sectors at LBA "
                    "= 0x000c0206 = 786950",
                    1)}});
    KZSMARTDrive drive = fakeDrive(fake);
    drive.parseErrorLog();
    ASSERT_TRUE(drive.driveErrorLogEntries());
    const QList<KZSMARTErrorLog> &log = *drive.driveErrorLogEntries();
    ASSERT_EQ(log.size(), 3);
    // "ABRT " has 5 characters: too short to be decoded.
    EXPECT_EQ(log[0].getError1Code(), 0);
    EXPECT_EQ(log[0].getSectors(), 3);
    EXPECT_EQ(log[0].getLBA(), 0xc0206);
    // No description at all.
    EXPECT_EQ(log[1].getRegisterER(), 4u);
    EXPECT_EQ(log[1].getRegisterDH(), 0xa0u);
    EXPECT_EQ(log[1].getError1Code(), 0);
    EXPECT_EQ(log[1].getSectors(), 0);
    EXPECT_EQ(log[1].getLBA(), 0);
    // A device fault in front of the error still decodes.
    EXPECT_EQ(log[2].getError1Code(), 1);
    EXPECT_EQ(log[2].getSectors(), 3);
    EXPECT_EQ(log[2].getLBA(), 786950);
}

TEST_F(ErrorLog, LongLBAsOfTheExtendedLayoutAreKept)
{
    FakeSmartctl fake(
        {{"l-error", banner + logHead + "ATA Error Count: 1\n" + legend +
                         entry(1, 10,
                               "84 51 02 63 96 c0 40  Error: ICRC, ABRT at LBA = 0x15dc09663 "
                               "= 5867869795",
                               2)}});
    KZSMARTDrive drive = fakeDrive(fake);
    drive.parseErrorLog();
    ASSERT_EQ(drive.driveErrorLogEntries()->size(), 1);
    EXPECT_EQ(drive.driveErrorLogEntries()->at(0).getLBA(), 5867869795LL);
}

// ---------------------------------------------------------------- layout problems

TEST_F(ErrorLog, ReadFailureKeepsWhatCameBefore)
{
    FakeSmartctl fake(
        {{"l-error", banner + logHead + "ATA Error Count: 2\n" + legend +
                         entry(2, 20,
                               "40 51 01 00 00 00 e0  Error: UNC 1 sectors at "
                               "LBA = 0x00000000 = 0",
                               1) +
                         "Error SMART Error Log Read failed: I/O error\n" +
                         "ATA Error Count: 99\n" + entry(1, 10, "04 51 00 00 00 00 a0", 1)}});
    KZSMARTDrive drive = fakeDrive(fake);
    drive.setDebugState(true);
    TestSupport::StderrCapture log;
    drive.parseErrorLog();
    const QString text = log.text();
    EXPECT_EQ(drive.driveErrorLogEntries()->size(), 1);
    EXPECT_EQ(drive.driveTotalErrors(), 2);
    EXPECT_TRUE(text.contains("Error reading SMART Error log."));
    EXPECT_TRUE(text.contains("Done parsing error log."));
}

TEST_F(ErrorLog, EntryCutShortIsDropped)
{
    const QByteArray full = entry(1, 10,
                                  "40 51 01 00 00 00 e0  Error: UNC 1 sectors at LBA = "
                                  "0x00000000 = 0",
                                  2);
    const QList<QByteArray> lines = full.split('\n');
    // Cut after the "Error" line, inside the registers and before the commands.
    for (int keep : {1, 5, 9}) {
        QByteArray cut;
        for (int at = 0, kept = 0; at < lines.size() && kept < keep; ++at) {
            cut += lines[at] + "\n";
            if (!lines[at].isEmpty())
                ++kept;
        }
        FakeSmartctl fake({{"l-error", banner + logHead + "ATA Error Count: 1\n" + legend +
                                           entry(2, 20, "04 51 00 00 00 00 a0", 1) + cut}});
        KZSMARTDrive drive = fakeDrive(fake);
        drive.setDebugState(true);
        TestSupport::StderrCapture log;
        drive.parseErrorLog();
        const QString text = log.text();
        ASSERT_TRUE(drive.driveErrorLogEntries()) << keep;
        EXPECT_EQ(drive.driveErrorLogEntries()->size(), 1) << keep;
        EXPECT_TRUE(text.contains("Error log truncated- stopping read.")) << keep;
        // Only a cut right after the "Error" line lets the walk finish normally.
        EXPECT_EQ(text.contains("Done parsing error log."), keep == 1) << keep;
    }
}

TEST_F(ErrorLog, ErrorLineAmongTheFirstFiveEndsTheWalk)
{
    FakeSmartctl fake({{"l-error", banner + "=== START OF SMART DATA SECTION ===\n"
                                            "Error Information (NVMe Log 0x01, 16 of 64 entries)\n"
                                            "No Errors Logged\n"}});
    KZSMARTDrive drive = fakeDrive(fake);
    drive.parseErrorLog();
    ASSERT_TRUE(drive.driveErrorLogEntries());
    EXPECT_TRUE(drive.driveErrorLogEntries()->isEmpty());
}

TEST_F(ErrorLog, MissingPhraseAbortsOnlyThisStep)
{
    FakeSmartctl fake({{"i", banner + "=== START OF INFORMATION SECTION ===\n"
                                      "Serial Number:    PHRASE1\n"},
                       {"l-error", banner + logHead + "ATA Error Count: 2\n" + legend +
                                       entry(2, 20, "04 51 00 00 00 00 a0", 1) +
                                       "Error 1 [0] log entry is empty\n"},
                       {"l-selftest", banner + "=== START OF READ SMART DATA SECTION ===\n"
                                               "SMART Self-test log structure revision number 1\n"
                                               "Num  Test_Description    Status                  "
                                               "Remaining  LifeTime(hours)  LBA_of_first_error\n"
                                               "# 1  Short offline       Completed without error  "
                                               "     00%      1234         -\n"}});
    KZSMARTDrive drive = fakeDrive(fake);
    EXPECT_THROW(drive.parseErrorLog(), KZException);

    int progress = 0;
    KZSMARTDrive refreshed = fakeDrive(fake);
    refreshed.setProgressHandler([&] { ++progress; });
    TestSupport::StderrCapture log;
    refreshed.updateInfo();
    const QString text = log.text();

    EXPECT_TRUE(refreshed.exceptionOccurred());
    EXPECT_TRUE(text.contains(QRegularExpression(
        "Exception occured in parseErrorLog\\. UnreadableText: .*log entry is empty")))
        << text.toStdString();
    // The entry read before the bad line stays, and the self-test log still ran.
    EXPECT_EQ(refreshed.driveErrorLogEntries()->size(), 1);
    EXPECT_EQ(refreshed.driveTestsCount(), 1u);
    // Every step but the failed one (and the capture of a live drive) reports progress.
    EXPECT_GE(progress, 3);
    EXPECT_EQ(fake.calls().filter("-r|ataioctl,2|-a|/dev/sdq|").size(), 1);
}

TEST_F(ErrorLog, NoOutputLeavesThePreviousLog)
{
    FakeSmartctl fake({{"l-error", banner + logHead + "ATA Error Count: 1\n" + legend +
                                       entry(1, 10, "04 51 00 00 00 00 a0", 1)}});
    KZSMARTDrive drive = fakeDrive(fake);
    drive.parseErrorLog();
    ASSERT_EQ(drive.driveErrorLogEntries()->size(), 1);
    fake.setAnswer("l-error", "");
    drive.setDebugState(true);
    TestSupport::StderrCapture log;
    drive.parseErrorLog();
    EXPECT_TRUE(log.text().contains("Error parsing error log."));
    EXPECT_EQ(drive.driveErrorLogEntries()->size(), 1);
    EXPECT_EQ(drive.driveTotalErrors(), 1);
}

TEST_F(ForgedErrorLog, EveryCutOfARealOutputIsSurvived)
{
    const QString capture =
        forge("cuts", errorLogDrive("CUTS1", 3,
                                    forgedEntry(30, "0x84", 8, "0x10", 2, "0xca") + "," +
                                        forgedEntry(20, "0x40", 8, "0x20", 5) + "," +
                                        forgedEntry(10, "0x04", 1, "0x30", 1)));
    KZTask task;
    task.setReadFromFilePath(capture);
    const std::optional<QStringList> lines =
        task.parseCommandLine(TestSupport::realSmartctl(), QStringList{"-l", "error", "-"});
    ASSERT_TRUE(lines);
    FakeSmartctl fake({});
    for (qsizetype keep = 0; keep <= lines->size(); ++keep) {
        QByteArray text;
        for (qsizetype at = 0; at < keep; ++at)
            text += lines->at(at).toUtf8() + "\n";
        // Also mangle one line in the middle of every cut.
        if (keep > 6)
            text.replace(lines->at(keep / 2).toUtf8(), "\t##  zz -- Error: \xc3\xa9");
        fake.setAnswer("l-error", text);
        KZSMARTDrive drive = fakeDrive(fake);
        try {
            drive.parseErrorLog();
        } catch (const KZException &) {
            // A line without its phrase aborts the step; that is all it may do.
        }
        if (drive.driveErrorLogEntries()) {
            EXPECT_LE(drive.driveErrorLogEntries()->size(), 3);
        }
    }
}

// ---------------------------------------------------------------- machine-readable report

TEST_F(ForgedErrorLog, JsonHoldsTheLogWithItsCommands)
{
    KZSMARTDrive drive = captureDrive(forge(
        "json", errorLogDrive("JSON1", 51, forgedEntry(100, "0x84", 8, "0x1234", 2, "0xca"))));
    drive.updateInfo();
    const QJsonObject json = drive.toJSON();
    EXPECT_EQ(json["errorLogVersion"].toInt(), 1);
    EXPECT_EQ(json["errorCount"].toInt(), 51);
    EXPECT_TRUE(json["errorsFail"].toBool());
    const QJsonArray log = json["errorLog"].toArray();
    ASSERT_EQ(log.size(), 1);
    const QJsonObject first = log[0].toObject();
    for (const char *key : {"number", "time", "activity", "registerER", "registerST", "registerSC",
                            "registerSN", "registerCL", "registerCH", "registerDH", "error1",
                            "error2", "sectors", "lba", "errorCommands"})
        EXPECT_TRUE(first.contains(key)) << key;
    EXPECT_EQ(first["error1"].toInt(), 5);
    EXPECT_EQ(first["lba"].toInteger(), 0x1234);
    const QJsonArray commands = first["errorCommands"].toArray();
    ASSERT_EQ(commands.size(), 2);
    EXPECT_EQ(commands[0].toObject()["command"].toString(), "WRITE DMA");
    EXPECT_EQ(commands[0].toObject()["registerCR"].toInt(), 0xca);
    EXPECT_EQ(commands[0].toObject()["powerUpTime"].toString(), "00:00:01.000");
}
