#include "KZDriveStatus.h"
#include "KZSMARTDrive.h"
#include "TestSupport.h"

using TestSupport::FakeSmartctl;

namespace {

const QByteArray banner = TestSupport::smartctlBanner;

KZSMARTDrive readDrive(const QByteArray &identity, const QByteArray &health)
{
    static std::vector<std::unique_ptr<FakeSmartctl>> fakes;
    fakes.push_back(std::make_unique<FakeSmartctl>(
        QMap<QString, QByteArray>{{"i", banner + identity}, {"H", banner + health}}));
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/sdk");
    drive.setDriveAsFile(false);
    drive.setSmartctlOverride(fakes.back()->program());
    drive.parseInfo();
    drive.parseHealth();
    return drive;
}

const QByteArray model = "=== START OF INFORMATION SECTION ===\nDevice Model:     DISK M\n";
const QByteArray passed =
    "=== START ===\nSMART overall-health self-assessment test result: PASSED\n";
const QByteArray failed =
    "=== START ===\nSMART overall-health self-assessment test result: FAILED!\n";
const QByteArray unknown = "=== START ===\nSMART overall-health self-assessment test result: ???\n";

} // namespace

TEST(DriveStatus, WordsFollowSupportAndHealth)
{
    EXPECT_EQ(KZDriveStatus::getDriveStatus(readDrive(model, passed)), "PASSED");
    EXPECT_EQ(KZDriveStatus::getDriveStatus(readDrive(model, failed)), "FAILED");
    EXPECT_EQ(KZDriveStatus::getDriveStatus(readDrive(model, unknown)), "UNKNOWN");
    const QByteArray openFailure = "Smartctl open device: /dev/sdk failed: No such device\n";
    KZSMARTDrive unsupported = readDrive(openFailure, openFailure);
    EXPECT_EQ(KZDriveStatus::getDriveStatus(unsupported), "UNSUPPORTED");
    unsupported.setSelfTestInProgress(true);
    EXPECT_EQ(KZDriveStatus::getDriveStatus(unsupported), "TESTING");
}

TEST(DriveStatus, MergedStatusIsTheWorstHealth)
{
    const KZSMARTDrive good = readDrive(model, passed);
    const KZSMARTDrive bad = readDrive(model, failed);
    const KZSMARTDrive undetermined = readDrive(model, unknown);
    EXPECT_EQ(KZDriveStatus::mergedDriveStatus({}), 1);
    // Nor is a drive that answered without a verdict.
    EXPECT_EQ(KZDriveStatus::mergedDriveStatus({&good, &undetermined}), 2);
    EXPECT_EQ(KZDriveStatus::mergedDriveStatus({&good, &bad, &good}), 3);

    // A drive that did not answer is never green, and never outranks a failed one.
    KZSMARTDrive unread = readDrive(model, passed);
    unread.recordReadFailure(KZSMARTDrive::ReadFailure::Refused, "reading was refused");
    EXPECT_EQ(unread.driveHealth(), 0);
    EXPECT_EQ(KZDriveStatus::getDriveStatus(unread), "UNKNOWN");
    EXPECT_EQ(KZDriveStatus::mergedDriveStatus({&good, &unread}), 2);
    EXPECT_EQ(KZDriveStatus::mergedDriveStatus({&unread, &bad}), 3);
}

TEST(DriveStatus, DisplayNamesListPartitions)
{
    KZSMARTDrive drive = readDrive(model, passed);
    EXPECT_EQ(KZDriveStatus::displayName(drive), "DISK M");
    drive.addPartitionName("Home");
    EXPECT_EQ(KZDriveStatus::displayName(drive), "Home");
    drive.addPartitionName("Data");
    EXPECT_EQ(KZDriveStatus::displayName(drive), "DISK M with partitions Home, and Data");
    drive.addPartitionName("Backup");
    EXPECT_EQ(KZDriveStatus::displayName(drive), "DISK M with partitions Home, Data, and Backup");

    KZSMARTDrive nameless = KZSMARTDrive::initForCommandLine();
    nameless.setLocation("/dev/nvme0n1");
    EXPECT_EQ(KZDriveStatus::displayName(nameless), "nvme0n1");
}
