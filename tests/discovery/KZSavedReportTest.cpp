#include "KZSavedReport.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString block(const QString &command)
{
    QString text =
        "REPORT-IOCTL: Device=/dev/sda Command=" + command + "\n" +
        " Input:   FR=0xd0, SC=...., LL=...., LM=0x4f, LH=0xc2, DEV=...., CMD=0xb0 IN\n" +
        "REPORT-IOCTL: Device=/dev/sda Command=" + command + " returned 0\n\n" + "===== [" +
        command + "] DATA START (BASE-16) =====\n";
    for (int row = 0; row < 32; ++row)
        text += QString("%1-%2: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n")
                    .arg(row * 16, 3, 10, QChar('0'))
                    .arg(row * 16 + 15, 3, 10, QChar('0'));
    text += "===== [" + command + "] DATA END (512 Bytes) =====\n";
    return text;
}

const QString banner =
    "smartctl 7.3 2022-02-28 r5338 [x86_64-linux-6.1.0] (local build)\n"
    "Copyright (C) 2002-22, Bruce Allen, Christian Franke, www.smartmontools.org\n"
    "\n";

} // namespace

TEST(SavedReport, KeepsOnlyTheBlocksBackToBack)
{
    const QString a = block("IDENTIFY DEVICE");
    const QString b = block("SMART READ ATTRIBUTE VALUES");
    const QString c = block("SMART READ LOG");
    const QString raw = banner + a + "\n=== START OF INFORMATION SECTION ===\nModel: X\n\n" + b +
                        "text between\n" + c + "trailing report text\n";
    const QList<qsizetype> blocks = KZSavedReport::blockList(raw);
    ASSERT_EQ(blocks.size(), 6);
    EXPECT_EQ(blocks[0], banner.size());
    EXPECT_EQ(blocks[1], a.size());
    EXPECT_EQ(raw.mid(blocks[2], blocks[3]), b);
    EXPECT_EQ(KZSavedReport::cutBlocks(raw), a + b + c);
}

TEST(SavedReport, BlockEndingTheTextIsKept)
{
    const QString raw = banner + block("IDENTIFY DEVICE");
    EXPECT_EQ(KZSavedReport::cutBlocks(raw), block("IDENTIFY DEVICE"));
}

TEST(SavedReport, DataLessCommandsTravelWithTheNextBlock)
{
    const QString status = "REPORT-IOCTL: Device=/dev/sda Command=SMART STATUS CHECK\n"
                           "REPORT-IOCTL: Device=/dev/sda Command=SMART STATUS CHECK returned 0\n";
    const QString raw =
        banner + status + "SMART overall-health: PASSED\n" + block("SMART READ LOG");
    EXPECT_EQ(KZSavedReport::cutBlocks(raw),
              status + "SMART overall-health: PASSED\n" + block("SMART READ LOG"));
}

TEST(SavedReport, NoStartMarkerGivesNothing)
{
    EXPECT_TRUE(
        KZSavedReport::blockList(banner + "Smartctl open device: /dev/sdz failed\n").isEmpty());
    EXPECT_TRUE(KZSavedReport::blockList(QString()).isEmpty());
    EXPECT_TRUE(KZSavedReport::cutBlocks(banner).isEmpty());
}

TEST(SavedReport, StartWithoutEndEndsTheList)
{
    const QString first = block("IDENTIFY DEVICE");
    QString cutShort = block("SMART READ LOG");
    cutShort.chop(10);
    const QList<qsizetype> blocks = KZSavedReport::blockList(banner + first + cutShort);
    EXPECT_EQ(blocks.size(), 2);
    EXPECT_EQ(KZSavedReport::cutBlocks(banner + first + cutShort), first);
    // The end marker includes its line feed.
    QString noFeed = block("IDENTIFY DEVICE");
    noFeed.chop(1);
    EXPECT_TRUE(KZSavedReport::blockList(noFeed).isEmpty());
}

TEST(SavedReport, PrepareSaveFileReadsUtf8Files)
{
    const QString raw = banner + block("IDENTIFY DEVICE") + block("SMART READ LOG");
    const QString path =
        TestSupport::writeFile(TestSupport::homeDir() + "/saved/raw.twdr", raw.toUtf8());
    EXPECT_EQ(KZSavedReport::prepareSaveFile(path), KZSavedReport::blockList(raw));
    EXPECT_TRUE(
        KZSavedReport::prepareSaveFile(TestSupport::homeDir() + "/saved/none.twdr").isEmpty());
    const QString broken = TestSupport::writeFile(TestSupport::homeDir() + "/saved/broken.twdr",
                                                  raw.toUtf8() + "\xff\xfe\n");
    EXPECT_TRUE(KZSavedReport::prepareSaveFile(broken).isEmpty());
}

TEST(SavedReport, WritesWholeOrNothing)
{
    QDir().mkpath(TestSupport::homeDir() + "/written");
    const QString path = TestSupport::homeDir() + "/written/out.twdr";
    QString error;
    ASSERT_TRUE(KZSavedReport::writeSavedReport(path, block("IDENTIFY DEVICE"), &error));
    EXPECT_EQ(QString::fromUtf8(TestSupport::readFile(path)), block("IDENTIFY DEVICE"));

    const QString missingFolder = TestSupport::homeDir() + "/no/such/folder/out.twdr";
    EXPECT_FALSE(KZSavedReport::writeSavedReport(missingFolder, "x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(missingFolder));

    // A folder in the way of the file: the old folder stays, nothing is half written.
    const QString folder = TestSupport::homeDir() + "/written/folder.twdr";
    QDir().mkpath(folder);
    EXPECT_FALSE(KZSavedReport::writeSavedReport(folder, "x", &error));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(TestSupport::homeDir() + "/written").entryList(QDir::Files),
              QStringList({"out.twdr"}));
}

TEST(SavedReport, RealCaptureCutsIntoReplayableBlocks)
{
    SKIP_WITHOUT_CORPUS();
    const QString path = TestSupport::corpusFile(
        "raw-captures/kintech_75_fake870EVO-SMI2259XT_S5Y4R020A077805_r-ataioctl2-A.txt");
    ASSERT_FALSE(path.isEmpty());
    const QString raw = QString::fromUtf8(TestSupport::readFile(path));
    const QString report = KZSavedReport::cutBlocks(raw);
    EXPECT_TRUE(report.startsWith("REPORT-IOCTL: "));
    EXPECT_TRUE(report.endsWith("Bytes) =====\n"));
    EXPECT_EQ(report.count("DATA END ("), raw.count("DATA END ("));
    EXPECT_FALSE(report.contains("Copyright"));
}

TEST(SavedReport, CapturesOfNVMeAndScsiDrivesCannotBeReplayed)
{
    struct Case
    {
        QString raw;
        KZSavedReport::CaptureContent content;
        const char *reason; // a part of the sentence, or nothing when it can be replayed
    };
    const QString nvme = banner + "=== START OF INFORMATION SECTION ===\n"
                                  "Model Number:                       SAMSUNG MZVLW256HEHP\n"
                                  "PCI Vendor/Subsystem ID:            0x144d\n";
    const QString nvmeHealthOnly = banner + "=== START OF SMART DATA SECTION ===\n"
                                            "SMART/Health Information (NVMe Log 0x02)\n";
    const QString scsi = banner +
                         "=== START OF INFORMATION SECTION ===\n"
                         "Vendor:               HPE\nProduct:              LOGICAL VOLUME\n";
    const QString scsiHealth = banner + "=== START OF READ SMART DATA SECTION ===\n"
                                        "SMART Health Status: OK\n";
    const Case cases[] = {
        {banner + block("IDENTIFY DEVICE") + nvme, KZSavedReport::CaptureContent::CommandBlocks,
         nullptr},
        {nvme, KZSavedReport::CaptureContent::NVMeDrive, "NVMe drive"},
        {nvmeHealthOnly, KZSavedReport::CaptureContent::NVMeDrive, "NVMe drive"},
        {scsi, KZSavedReport::CaptureContent::SCSIDrive, "SCSI or SAS drive"},
        {scsiHealth, KZSavedReport::CaptureContent::SCSIDrive, "SCSI or SAS drive"},
        {banner + "Vendor:  only a vendor\n", KZSavedReport::CaptureContent::Nothing,
         "no command blocks (Vendor:  only a vendor)"},
        {banner + "Smartctl open device: /dev/sdz failed: No such device\n",
         KZSavedReport::CaptureContent::Nothing,
         "the capture holds no command blocks (Smartctl open device: /dev/sdz failed: No such "
         "device)"},
        {QString(), KZSavedReport::CaptureContent::Nothing, "the capture holds no command blocks"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.raw.toStdString());
        EXPECT_EQ(KZSavedReport::captureContent(c.raw), c.content);
        const std::optional<QString> reason = KZSavedReport::unreplayableReason(c.raw);
        ASSERT_EQ(reason.has_value(), c.reason != nullptr);
        if (reason) {
            EXPECT_TRUE(reason->contains(QString::fromLatin1(c.reason))) << reason->toStdString();
        }
    }
}
