// The NVMe error table ("Error Information (NVMe Log 0x01 ...)") and the
// error logs of the real outputs in the corpus.
#include "KZException.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "LogTestSupport.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

using TestSupport::FakeSmartctl;

namespace {

const QByteArray banner = TestSupport::smartctlBanner;

class ErrorLog : public testing::Test
{
protected:
    void SetUp() override { LogTestSupport::resetPreferences(); }
    KZPreferences &preferences() { return KZPreferences::standard(); }
};

} // namespace

TEST(NVMeErrorRows, RowsGiveTheirColumnsAndAMessage)
{
    struct Case
    {
        const char *line;
        int index, number, queue, command, status, location;
        qint64 lba, nameSpace;
        int vendor;
        const char *message;
    };
    const Case cases[] = {
        // smartctl 7.4 prints the message.
        {"  5       2900     0  0x0012  0x4212  0x028            0     -     -  Invalid Log Page",
         5, 2900, 0, 0x12, 0x4212, 0x28, 0, -1, -1, "Invalid Log Page"},
        // Earlier versions print none: the status field is decoded.
        {"  0       2597     0  0x1001  0xc005  0x028            -     0     -", 0, 2597, 0, 0x1001,
         0xc005, 0x28, -1, 0, -1, "Invalid Field in Command"},
        {"  1         77     3  0x0040  0x0502      -     12345678     1  0x7f", 1, 77, 3, 0x40,
         0x502, -1, 12345678, 1, 0x7f, "Unrecovered Read Error"},
        // A status this program does not know keeps no message.
        {"  2          9     1  0x0001  0x0e00      -            0     1     -", 2, 9, 1, 1, 0xe00,
         -1, 0, 1, -1, nullptr},
        {"  3", 3, 0, -1, -1, 0, -1, -1, -1, -1, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const KZSMARTErrorLog entry = KZSMARTDrive::parseNVMeErrorLine(c.line);
        EXPECT_TRUE(entry.isNVMe());
        EXPECT_EQ(entry.getLogIndex(), c.index);
        EXPECT_EQ(entry.getNumber(), c.number);
        EXPECT_EQ(entry.getTime(), -1);
        EXPECT_EQ(entry.getSubmissionQueueID(), c.queue);
        EXPECT_EQ(entry.getCommandID(), c.command);
        EXPECT_EQ(entry.getStatusField(), c.status);
        EXPECT_EQ(entry.getParameterErrorLocation(), c.location);
        EXPECT_EQ(entry.getLBA(), c.lba);
        EXPECT_EQ(entry.getNamespaceID(), c.nameSpace);
        EXPECT_EQ(entry.getVendorSpecific(), c.vendor);
        EXPECT_EQ(entry.getMessage(), c.message ? std::optional<QString>(c.message) : std::nullopt);
        EXPECT_EQ(entry.getError1(), c.message ? QString(c.message) : QString("Unknown"));
    }
}

TEST_F(ErrorLog, NVMeEntriesAreShownButNeverJudged)
{
    KZPreferences::standard().setBool("CustomErrorCount", true);
    KZPreferences::standard().setInteger("CustomErrorCountValue", 1);
    QByteArray rows;
    for (int row = 0; row < 3; ++row)
        rows +=
            "  " + QByteArray::number(row) + "       " + QByteArray::number(500 - row) +
            "     0  0x2014  0x4004      -            0     0     -  Invalid Field in Command\n";
    FakeSmartctl fake({{"l-error", banner +
                                       "=== START OF SMART DATA SECTION ===\n"
                                       "Error Information (NVMe Log 0x01, 16 of 64 entries)\n"
                                       "Num   ErrCount  SQId   CmdId  Status  PELoc          "
                                       "LBA  NSID    VS  Message\n" +
                                       rows + "... (13 entries not read)\n"}});
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/nvme0");
    drive.setSmartctlOverride(fake.program());
    drive.updateInfo();
    ASSERT_EQ(drive.driveErrorLogEntries()->size(), 3);
    EXPECT_EQ(drive.driveTotalErrors(), 500);
    EXPECT_EQ(drive.driveLastErrorType(), QStringLiteral("Invalid Field in Command"));
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_FALSE(drive.driveErrorsFail());
    EXPECT_FALSE(drive.failureReasons());
    EXPECT_FALSE(KZPreferences::standard().objectForKey("/dev/nvme0_LastErrorCount").isValid());
}

// ---------------------------------------------------------------- real outputs

TEST_F(ErrorLog, CorpusErrorLogsParseWithTheirCounts)
{
    SKIP_WITHOUT_CORPUS();
    const QRegularExpression entryLine(
        "^Error (\\d+) .*occurred at disk power-on lifetime: (\\d+)");
    const QRegularExpression countLine("^ATA Error Count: (\\d+)");
    int files = 0;
    const QString copy = TestSupport::homeDir() + "/corpus-error-log.txt";
    for (const QString &report :
         LogTestSupport::corpusReports({"Error Log", "Error Information"})) {
        SCOPED_TRACE(report.toStdString());
        KZSMARTDrive drive = LogTestSupport::corpusDrive(report, copy);
        bool aborted = false;
        try {
            drive.parseErrorLog();
        } catch (const KZException &) {
            aborted = true;
        }

        // What the log shows, read independently of the parser.
        const QStringList printed = LogTestSupport::copiedLines(copy);
        // NVMe tables have a test of their own (CorpusReplay).
        if (!printed.filter(QRegularExpression("^Error Information \\(NVMe Log")).isEmpty())
            continue;
        QList<int> numbers, hours;
        int count = 0;
        bool emptyEntry = false;
        for (qsizetype at = 0; at < printed.size(); ++at) {
            const QString &line = printed[at];
            if (const auto match = countLine.match(line); match.hasMatch())
                count = match.captured(1).toInt();
            if (line.startsWith("Error ") && at >= 5) {
                const auto match = entryLine.match(line);
                if (!match.hasMatch()) {
                    emptyEntry = true;
                    break;
                }
                numbers.append(match.captured(1).toInt());
                hours.append(match.captured(2).toInt());
            }
        }

        EXPECT_EQ(aborted, emptyEntry);
        if (!drive.driveErrorLogEntries()) {
            // Only an output smartctl itself judges an error gives no log.
            EXPECT_TRUE(printed.size() < 3 || printed[2].contains(" failed: "));
            continue;
        }
        ++files;
        EXPECT_EQ(drive.driveTotalErrors(), count);
        const QList<KZSMARTErrorLog> &log = *drive.driveErrorLogEntries();
        ASSERT_EQ(log.size(), numbers.size());
        for (qsizetype at = 0; at < log.size(); ++at) {
            EXPECT_EQ(log[at].getNumber(), numbers[at]);
            EXPECT_EQ(log[at].getTime(), hours[at]);
            EXPECT_GE(log[at].getErrorCommands().size(), 1);
            EXPECT_LE(log[at].getErrorCommands().size(), 5);
        }
        EXPECT_EQ(drive.driveHealth() == 2, count > 50);
    }
    EXPECT_GT(files, 20);
}

TEST_F(ErrorLog, CorpusSummaryLogsDecode)
{
    SKIP_WITHOUT_CORPUS();
    struct Expected
    {
        const char *file;
        int count;
        int entries;
        int firstCommands;
        int error1;
        int error2;
        int sectors;
        qint64 lba;
    };
    const Expected expected[] = {
        {"ata-errorlog/ed_x_SP0812C_summary-errlog-nodecode-aborted-test.txt", 1699, 5, 2, 0, 0, 0,
         0},
        {"ata-errorlog/ed_x_ST2000LM015_summary-errlog-1-DeviceFault.txt", 1, 1, 5, 1, 0, 3,
         0xc0206},
        {"ata-errorlog/ed_x_ST3120022A-PATA_summary-errlog-UNC.txt", 247, 5, 5, 13, 0, 1,
         0x017ca29b},
        {"ata-errorlog/forum_66_TOSHIBA-TR200_a_ICRC-ABRT-summary.txt", 1, 1, 5, 5, 1, 0,
         0x00640800},
        {"ata-failing/ed_x_NeutronSSD_FAILED-NOW-summary-errlog.txt", 306, 5, 5, 0, 0, 0, 0},
    };
    for (const Expected &want : expected) {
        const QString report = TestSupport::corpusFile(QString::fromLatin1(want.file));
        if (report.isEmpty()) {
            ADD_FAILURE() << want.file << " is missing from the corpus";
            continue;
        }
        SCOPED_TRACE(want.file);
        KZSMARTDrive drive = LogTestSupport::corpusDrive(report);
        drive.parseErrorLog();
        EXPECT_EQ(drive.driveTotalErrors(), want.count);
        ASSERT_EQ(drive.driveErrorLogEntries()->size(), want.entries);
        const KZSMARTErrorLog &first = drive.driveErrorLogEntries()->first();
        EXPECT_EQ(first.getErrorCommands().size(), want.firstCommands);
        EXPECT_EQ(first.getError1Code(), want.error1);
        EXPECT_EQ(first.getError2Code(), want.error2);
        EXPECT_EQ(first.getSectors(), want.sectors);
        EXPECT_EQ(first.getLBA(), want.lba);
    }
}
