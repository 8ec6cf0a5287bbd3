// The plain-text report: exact lines of every record and the whole layout.
#include "CatalogueSupport.h"
#include "KZSMARTAttribute.h"
#include "KZSMARTDrive.h"
#include "KZSMARTErrorLog.h"
#include "KZSMARTSelfTestLog.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

KZSMARTAttribute reallocatedSectors()
{
    KZSMARTAttribute attribute;
    attribute.setIDNumber(5);
    attribute.setName(QStringLiteral("Reallocated_Sector_Ct"));
    attribute.setFlag(0x33);
    attribute.setValue(100);
    attribute.setWorst(100);
    attribute.setThresh(10);
    attribute.setType(QStringLiteral("Pre-fail"));
    attribute.setUpdated(QStringLiteral("Always"));
    attribute.setFailed(KZSMARTAttribute::NeverFailed);
    attribute.setRaw(0);
    return attribute;
}

KZSMARTDrive unreadableDrive()
{
    static const TestSupport::FakeSmartctl fake(
        {{"i", TestSupport::smartctlBanner + "Smartctl open device: /dev/sdu failed: gone\n"}});
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/sdu");
    drive.setSmartctlOverride(fake.program());
    drive.parseInfo();
    return drive;
}

} // namespace

TEST(ReportLines, AtaAttributeLineHasItsColumns)
{
    const QString line = reallocatedSectors().description();
    EXPECT_EQ(line.size(), 116);
    EXPECT_EQ(line, "5     Reallocated_Sector_Ct" + QString(18, ' ') +
                        "0x0033     100     100     010     Pre-fail     Always      Never     0");

    KZSMARTAttribute oldAge = reallocatedSectors();
    oldAge.setType(QStringLiteral("Old_age"));
    oldAge.setUpdated(QStringLiteral("Offline"));
    oldAge.setFailed(KZSMARTAttribute::FailingNow);
    oldAge.setRaw(-1);
    EXPECT_TRUE(
        oldAge.description().endsWith("010     Old_age      Offline     FAILING NOW     -1"));
    oldAge.setFailed(KZSMARTAttribute::FailedInThePast);
    EXPECT_TRUE(oldAge.description().endsWith("Offline     In the past     -1"));
    oldAge.setFailed(KZSMARTAttribute::FailedNotRead);
    EXPECT_TRUE(oldAge.description().endsWith("Offline     -1"));
}

TEST(ReportLines, TemperatureRangeAndMissingTextsAndNVMe)
{
    KZSMARTAttribute temperature = reallocatedSectors();
    temperature.setIDNumber(194);
    temperature.setRaw(36);
    temperature.setTemperatureAvailable(true);
    temperature.setMin(20);
    temperature.setMax(45);
    EXPECT_TRUE(temperature.description().endsWith("Never     36 (Lifetime Min/Max 20/45)"));

    KZSMARTAttribute bare;
    bare.setIDNumber(200);
    bare.setValue(-1);
    const QString line = bare.description();
    EXPECT_TRUE(line.startsWith("200   *not set*"));
    EXPECT_TRUE(line.contains("0x0000     -01     000     000     *not set*     *not set*     0"));

    KZSMARTAttribute nvme;
    nvme.setIDNumber(-3);
    nvme.setName(QStringLiteral("Available Spare"));
    nvme.setNvmeValue(QStringLiteral("100%"));
    EXPECT_EQ(nvme.description(), "-3    Available Spare" + QString(24, ' ') + "100%");

    {
        const TestSupport::UserLanguage french("fr");
        EXPECT_EQ(nvme.description().size(), 6 + 90 + 4);
    }
}

TEST(ReportLines, SelfTestLineHasItsColumns)
{
    KZSMARTSelfTestLog entry;
    entry.setNumber(1);
    entry.setType(QStringLiteral("Short offline"));
    entry.setStatus(QStringLiteral("Completed without error"));
    entry.setRemaining(0);
    entry.setLifetime(1234);
    entry.setLBA(-1);
    const QString line = entry.description();
    EXPECT_EQ(line.size(), 79);
    EXPECT_EQ(line,
              "# 1  Short offline       Completed without error         0%      1234         -");

    entry.setNumber(12);
    entry.setLBA(2930466576);
    entry.setRemaining(90);
    EXPECT_TRUE(entry.description().startsWith("#12  Short offline"));
    EXPECT_TRUE(entry.description().endsWith("        90%      1234         2930466576"));

    KZSMARTSelfTestLog unknown;
    EXPECT_TRUE(unknown.description().startsWith("# 0  Unknown type        Unknown type"));
}

TEST(ReportLines, ErrorEntryBlockWithItsCommands)
{
    KZSMARTErrorLog entry;
    entry.setNumber(3);
    entry.setTime(1234);
    entry.setActivity(QStringLiteral("the device was active or idle."));
    entry.setRegisterER(0x40);
    entry.setRegisterST(0x51);
    entry.setRegisterSC(0x08);
    entry.setRegisterSN(0x56);
    entry.setRegisterCL(0x34);
    entry.setRegisterCH(0x12);
    entry.setRegisterDH(0xe0);
    entry.setError1(KZSMARTErrorLog::UncorrectableError);
    entry.setSectors(8);
    entry.setLBA(0x123456);
    KZSMARTErrorCommand command;
    command.setRegisterCR(0xc8);
    command.setRegisterDH(0xe0);
    command.setRegisterSC(0x08);
    command.setPowerUpTime(QStringLiteral("00:12:34.567"));
    command.setCommand(QStringLiteral("READ DMA"));
    entry.setErrorCommands({command, command});
    const QStringList lines = entry.description().split('\n');
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[0], "Error 3 occured at disk power-on lifetime: 1234 hours");
    EXPECT_EQ(lines[1],
              "  When the command that caused the error occurred, the device was active or idle.");
    EXPECT_EQ(lines[2], "  After command completion occurred, registers were:");
    EXPECT_EQ(lines[3], "  ER ST SC SN CL CH DH");
    EXPECT_EQ(lines[4], "  -- -- -- -- -- -- --");
    EXPECT_EQ(lines[5], "  40 51 08 56 34 12 E0");
    EXPECT_TRUE(lines[6].startsWith("  Error: ")) << lines[6].toStdString();
    EXPECT_TRUE(lines[6].endsWith("  with 8 sectors at LBA = 123456")) << lines[6].toStdString();
    EXPECT_EQ(lines[7], "  Commands leading to the command that caused the error were:");
    EXPECT_EQ(lines[8], "  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name");
    EXPECT_EQ(lines[9], "  -- -- -- -- -- -- -- --  ----------------  --------------------");
    EXPECT_EQ(lines[10], "  C8 00 08 00 00 00 E0 00      00:12:34.567  READ DMA");
    EXPECT_EQ(lines[12], "");

    entry.setSectors(0);
    entry.setError2(entry.getError1Code());
    entry.setErrorCommands({});
    const QString second = entry.description().split('\n')[6];
    EXPECT_EQ(second, "  Error: " + entry.getError1() + ", " + entry.getError2());
}

TEST(DriveReport, UnsupportedDriveGivesFiveLinesWithoutAFinalLineFeed)
{
    KZSMARTDrive drive = unreadableDrive();
    drive.addPartitionName("Data");
    drive.addPartitionName("Home");
    const QString report = drive.description();
    EXPECT_EQ(report, "location: /dev/sdu\npartition count: 2\npartitions: Data, Home, \n"
                      "SMART Support: Unsupported\n"
                      "Last SMART Error: Smartctl open device: /dev/sdu failed: gone");

    KZSMARTDrive empty;
    EXPECT_EQ(empty.description(), "location: *not set*\npartition count: 0\n\n"
                                   "SMART Support: Unsupported\nLast SMART Error: *not set*");
}

TEST(DriveReport, ForgedDriveReportHasEverySection)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString capture = TestSupport::forge(R"({
        "identity": {"model": "REPORT DISK", "serial": "RPT-1", "firmware": "1.0",
                     "sectors": 976773168, "rotationRate": 7200},
        "health": "failing",
        "attributes": [
            {"id": 5, "flags": "0x0033", "value": 100, "worst": 100, "thresh": 10, "raw": 0},
            {"id": 9, "flags": "0x0032", "value": 99, "worst": 99, "thresh": 0, "raw": 321}],
        "selfTestLog": [
            {"type": 1, "status": 0, "lifetimeHours": 300, "lba": 0},
            {"type": 2, "status": 0, "lifetimeHours": 200, "lba": 0},
            {"type": 1, "status": 0, "lifetimeHours": 100, "lba": 0}]})");
    ASSERT_FALSE(capture.isEmpty());
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(capture);
    drive.setDriveAsFile(true);
    drive.setSmartctlOverride(TestSupport::realSmartctl());
    drive.updateInfo();
    const QStringList lines = drive.description().split('\n');
    EXPECT_EQ(lines.count("Health: Failed"), 1);
    EXPECT_EQ(lines.filter(QRegularExpression("^Health: ")).size(), 1);
    EXPECT_TRUE(lines.contains("Model: REPORT DISK"));
    EXPECT_TRUE(lines.contains("Capacity: 500 GB"));
    EXPECT_TRUE(lines.contains("Attribute Count: 2"));
    const qsizetype heading = lines.indexOf("ID#   ATTRIBUTE NAME                         FLAG     "
                                            "  VALUE   WORST   THRESH  TYPE         "
                                            "UPDATED     FAILED    RAW VALUE");
    ASSERT_GE(heading, 0);
    EXPECT_EQ(lines[heading].indexOf("FLAG"), 45);
    EXPECT_EQ(lines[heading].indexOf("UPDATED"), 93);
    EXPECT_EQ(lines[heading].indexOf("RAW VALUE"), 115);
    EXPECT_TRUE(lines[heading + 1].startsWith("5     Reallocated_Sector_Ct"));
    const qsizetype errorLog = lines.indexOf("Error Log: ");
    ASSERT_GE(errorLog, 0);
    EXPECT_EQ(lines[errorLog + 1], "No errors logged.");
    EXPECT_TRUE(lines.contains("Self Test Log Count: 3"));
    const qsizetype testHeading = lines.indexOf(
        "Num  Test_Description    Status                   Remaining  LifeTime(hours)  "
        "LBA_of_first_error");
    ASSERT_GE(testHeading, 0);
    EXPECT_EQ(lines[testHeading - 1], "");
    EXPECT_EQ(lines[testHeading - 2], "Self Test Log:");
    EXPECT_TRUE(lines[testHeading + 1].startsWith("# 1  Short offline"));
    EXPECT_EQ(lines.last(), "");
}

TEST(DriveReport, NVMeErrorEntriesAreRowsOfOneTable)
{
    const QByteArray heading =
        "Num   ErrCount  SQId   CmdId  Status  PELoc          LBA  NSID    VS  Message\n";
    const QByteArray rows =
        "  0       2905     0  0x2014  0x4004      -            0     0     -  Invalid Field in "
        "Command\n"
        "  1       2904     0  0x0012  0x4212  0x028            0     -     -  Invalid Log Page\n";
    const TestSupport::FakeSmartctl fake(
        {{"l-error", TestSupport::smartctlBanner +
                         "=== START OF SMART DATA SECTION ===\n"
                         "Error Information (NVMe Log 0x01, 16 of 64 "
                         "entries)\n" +
                         heading + rows}});
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/nvme0");
    drive.setSmartctlOverride(fake.program());
    drive.parseErrorLog();
    const QString report = drive.description();
    // The rows read back as smartctl printed them, under its heading.
    EXPECT_TRUE(report.contains("Error Count: 2905\nError Log: \n" + heading + rows))
        << report.toStdString();

    const QJsonObject entry = drive.toJSON()["errorLog"].toArray()[1].toObject();
    EXPECT_TRUE(entry["nvme"].toBool());
    EXPECT_EQ(entry["number"].toInt(), 2904);
    EXPECT_EQ(entry["time"].toInt(), -1);
    EXPECT_EQ(entry["statusField"].toInt(), 0x4212);
    EXPECT_EQ(entry["parameterErrorLocation"].toInt(), 0x28);
    EXPECT_EQ(entry["namespaceID"].toInt(), -1);
    EXPECT_EQ(entry["message"].toString(), "Invalid Log Page");
}
