// Discovery: the disks and volumes of recorded macOS and Linux listings.
#include "KZSMARTScanner.h"
#include "KZDriveStatus.h"
#include "KZSMARTDrive.h"
#include "ScannerTestSupport.h"
#include "TestSupport.h"

using TestSupport::StderrCapture;
using TestSupport::writeFile;
using TestSupport::writeScript;
using namespace ScannerTestSupport;

// ---- macOS discovery on recorded ls and df outputs ----

TEST(MacDiscovery, WholeDiskNodesInListingOrder)
{
    const QString noVolumes =
        writeFile(TestSupport::homeDir() + "/mac/df-empty.txt",
                  "Filesystem 512-blocks Used Available Capacity Mounted on\n");
    KZSMARTScanner scanner =
        macScanner(recordingPath("ls-dev.txt"), noVolumes, recordingPath("ls-volumes.txt"));
    ASSERT_TRUE(scanner.scanForDrives());
    EXPECT_EQ(locations(scanner), QStringList({"/dev/disk0", "/dev/disk1", "/dev/disk10"}));
    for (const auto &drive : scanner.getDrives()) {
        EXPECT_EQ(drive->drivePartitionCount(), 0u);
        EXPECT_TRUE(drive->commandLineMode());
    }
}

TEST(MacDiscovery, VolumesAreAttachedToTheirWholeDisks)
{
    KZSMARTScanner scanner = macScanner(recordingPath("ls-dev.txt"), recordingPath("df.txt"),
                                        recordingPath("ls-volumes.txt"));
    ASSERT_TRUE(scanner.scanForDrives());
    // Listed disks first, then disks that only df knew about; Time Machine
    // snapshots and temporary app volumes make no drive.
    EXPECT_EQ(locations(scanner), QStringList({"/dev/disk0", "/dev/disk1", "/dev/disk10",
                                               "/dev/disk2", "/dev/disk3", "/dev/disk6"}));
    // / is named by the start-up volume link; /private/var/vm adds no name.
    EXPECT_EQ(driveAt(scanner, "/dev/disk1")->partitionNames(),
              QStringList({"Macintosh HD", "Data"}));
    EXPECT_TRUE(driveAt(scanner, "/dev/disk0")->partitionNames().isEmpty());
    EXPECT_EQ(driveAt(scanner, "/dev/disk10")->partitionNames(), QStringList({"Backup Disk"}));
    EXPECT_EQ(driveAt(scanner, "/dev/disk2")->partitionNames(), QStringList({"Camera Card"}));
    // A whole disk mounted without slices.
    EXPECT_EQ(driveAt(scanner, "/dev/disk3")->partitionNames(), QStringList({"USB STICK"}));
    // A disk known only by a mount below /private/ has no volume name.
    EXPECT_TRUE(driveAt(scanner, "/dev/disk6")->partitionNames().isEmpty());
}

TEST(MacDiscovery, RootLinkWithAYearGivesUnknown)
{
    KZSMARTScanner scanner = macScanner(recordingPath("ls-dev.txt"), recordingPath("df.txt"),
                                        recordingPath("ls-volumes-year.txt"));
    StderrCapture log;
    EXPECT_EQ(scanner.findRootVolumeName(), std::nullopt);
    EXPECT_EQ(scanner.findVolumeName("/dev/disk1s1  976490568 21089120 920812744  3%  /"),
              "unknown");
    EXPECT_TRUE(log.text().contains("Error: could not find root volume name from ls"));
}

TEST(MacDiscovery, VolumeNames)
{
    KZSMARTScanner scanner = macScanner(recordingPath("ls-dev.txt"), recordingPath("df.txt"),
                                        recordingPath("ls-volumes.txt"));
    EXPECT_EQ(scanner.findRootVolumeName(), "Macintosh HD");
    EXPECT_EQ(scanner.findVolumeName("/dev/disk1s1   100 50 50 50% 1 2 0%   /"), "Macintosh HD");
    EXPECT_EQ(scanner.findVolumeName("/dev/disk2s1 1 1 1 1% 1 1 1% /Volumes/My  Disk "),
              "My  Disk ");
    EXPECT_EQ(scanner.findVolumeName("/dev/disk1s4 1 1 1 1% 1 1 1% /private/var/vm"),
              "<REMOVE DUPLICATE>");
    EXPECT_EQ(scanner.findVolumeName("/dev/disk1s4 1 1 1 1% 1 1 1% /private/Volumes/x"),
              "<REMOVE DUPLICATE>");
}

TEST(MacDiscovery, WholeDiskIdentifiers)
{
    EXPECT_EQ(KZSMARTScanner::wholeDiskIdentifier("/dev/disk1s2  100 /"), "/dev/disk1");
    EXPECT_EQ(KZSMARTScanner::wholeDiskIdentifier("/dev/disk10s1 100 /Volumes/A"), "/dev/disk10");
    EXPECT_EQ(KZSMARTScanner::wholeDiskIdentifier("/dev/disk123s4 100 /Volumes/A"), "/dev/disk123");
    EXPECT_EQ(KZSMARTScanner::wholeDiskIdentifier("/dev/disk3   976773120 /Volumes/USB"),
              "/dev/disk3");
    EXPECT_EQ(KZSMARTScanner::wholeDiskIdentifier("/dev/disk4"), "/dev/disk4");
}

TEST(MacDiscovery, LineForAnUnlistedDiskMakesADrive)
{
    KZSMARTScanner scanner = macScanner(recordingPath("ls-dev.txt"), recordingPath("df.txt"),
                                        recordingPath("ls-volumes.txt"));
    scanner.addVolume("/dev/disk7s1 1 1 1 1% 1 1 1% /Volumes/New Disk");
    ASSERT_EQ(locations(scanner), QStringList({"/dev/disk7"}));
    scanner.addVolume("/dev/disk7s2 1 1 1 1% 1 1 1% /Volumes/Second");
    scanner.addVolume("/dev/disk8s1 1 1 1 1% 1 1 1% /Volumes/com.apple.TimeMachine.x");
    scanner.addVolume("/dev/disk9s1 1 1 1 1% 1 1 1% /Volumes/var/folders/T/x");
    // A matched drive whose mount lies below /private/ counts as matched.
    scanner.addVolume("/dev/disk7s3 1 1 1 1% 1 1 1% /private/var/vm");
    ASSERT_EQ(locations(scanner), QStringList({"/dev/disk7"}));
    EXPECT_EQ(scanner.getDrives().first()->partitionNames(), QStringList({"New Disk", "Second"}));
}

TEST(MacDiscovery, ListingThatCannotRunFailsTheScan)
{
    KZSMARTScanner scanner = macScanner(recordingPath("ls-dev.txt"), recordingPath("df.txt"),
                                        recordingPath("ls-volumes.txt"));
    scanner.setToolProgram(KZSMARTScanner::lsTool, TestSupport::homeDir() + "/no/such/ls");
    RecordingPresenter alerts;
    StderrCapture log;
    EXPECT_FALSE(scanner.scanForDrives());
    EXPECT_TRUE(scanner.getDrives().isEmpty());
    EXPECT_TRUE(
        log.text().contains("Exception occured in parseDrives->parseCommandLine(lsArray)- "));
    // Command-line mode shows no alert.
    EXPECT_TRUE(alerts.alerts.isEmpty());
}

TEST(MacDiscovery, ApplicationModeShowsTheScanAlertOnce)
{
    KZSMARTScanner scanner;
    scanner.setBackEnd(KZSMARTScanner::BackEnd::MacOS);
    scanner.setToolProgram(KZSMARTScanner::lsTool,
                           lsScript(recordingPath("ls-dev.txt"), recordingPath("ls-volumes.txt")));
    scanner.setToolProgram(KZSMARTScanner::dfTool, TestSupport::homeDir() + "/no/such/df");
    RecordingPresenter alerts;
    StderrCapture log;
    EXPECT_FALSE(scanner.scanForDrives());
    // The list keeps what was found before the failure.
    EXPECT_EQ(locations(scanner), QStringList({"/dev/disk0", "/dev/disk1", "/dev/disk10"}));
    EXPECT_FALSE(scanner.getDrives().first()->commandLineMode());
    ASSERT_EQ(alerts.alerts.size(), 1);
    EXPECT_EQ(alerts.alerts.first(),
              "An Error Occurred | An error occurred attempting to scan for drives. Tarnwell may "
              "work incorrectly. Please contact " +
                  KZSupportEmailAddress + " for help.");
}

TEST(MacDiscovery, UnreadableOrGarbledListingsFailTheScan)
{
    const QString volumes = recordingPath("ls-volumes.txt");
    const QString df = recordingPath("df.txt");
    struct Case
    {
        QByteArray lsBody;
        const char *logged;
    } cases[] = {
        {"kill -9 $$", "ls returned error code: -9"},
        {"printf 'disk0'", "Exception occured in parseDrives->parseCommandLine(lsArray)- "},
    };
    for (const Case &test : cases) {
        KZSMARTScanner scanner = macScanner(recordingPath("ls-dev.txt"), df, volumes);
        scanner.setToolProgram(KZSMARTScanner::lsTool,
                               writeScript("ls", "#!/bin/sh\n" + test.lsBody + "\n"));
        StderrCapture log;
        EXPECT_FALSE(scanner.scanForDrives()) << test.lsBody.constData();
        EXPECT_TRUE(log.text().contains(test.logged)) << log.text().toStdString();
    }
    KZSMARTScanner scanner = macScanner(recordingPath("ls-dev.txt"), df, volumes);
    scanner.setToolProgram(KZSMARTScanner::dfTool, writeScript("df", "#!/bin/sh\nkill -9 $$\n"));
    StderrCapture log;
    EXPECT_FALSE(scanner.scanForDrives());
    EXPECT_EQ(scanner.getDrives().size(), 3);
    EXPECT_TRUE(log.text().contains("df returned error code: -9"));
}

TEST(MacDiscovery, DebugLinesOnlyWhenAskedFor)
{
    KZSMARTScanner quiet = macScanner(recordingPath("ls-dev.txt"), recordingPath("df.txt"),
                                      recordingPath("ls-volumes.txt"));
    {
        StderrCapture log;
        ASSERT_TRUE(quiet.scanForDrives());
        EXPECT_FALSE(log.text().contains("Parsing drives..."));
    }
    KZSMARTScanner chatty = macScanner(recordingPath("ls-dev.txt"), recordingPath("df.txt"),
                                       recordingPath("ls-volumes.txt"));
    chatty.setOutputDebugMessages(true);
    StderrCapture log;
    ASSERT_TRUE(chatty.scanForDrives());
    const QString text = log.text();
    for (const char *line :
         {"Parsing drives...", "Adding new drive to array: disk0.", "Parsing volumes.",
          "Adding volume:", "Finding volume name.", "Finding root volume name.",
          "Found root volume name: Macintosh HD", "Found volume name: Backup Disk",
          "Adding new drive to array.", "Skipping drive since its a local Time Machine snapshot.",
          "Skipping drive since its a temporary app volume."})
        EXPECT_TRUE(text.contains(line)) << line;
    EXPECT_TRUE(chatty.getDrives().first()->debugState());
}

// ---- Linux discovery on recorded lsblk outputs ----

TEST(LinuxDiscovery, DisksAndVolumesFromOneLsblkRun)
{
    KZSMARTScanner scanner = linuxScanner(catScript("lsblk", recordingPath("lsblk-desktop.txt")));
    ASSERT_TRUE(scanner.scanForDrives());
    EXPECT_EQ(locations(scanner), QStringList({"/dev/sda", "/dev/sdb", "/dev/nvme0n1"}));
    EXPECT_EQ(scanner.getDrives()[0]->partitionNames(), QStringList({"/boot/efi", "rootfs"}));
    EXPECT_EQ(scanner.getDrives()[1]->partitionNames(), QStringList({"BACKUP"}));
    EXPECT_EQ(scanner.getDrives()[2]->partitionNames(),
              QStringList({"Home Data", QString::fromUtf8("Fotos \xc3\x84rger"), "Vault"}));
    EXPECT_TRUE(scanner.getDrives()[2]->commandLineMode());
}

TEST(LinuxDiscovery, ARescanStartsAFreshList)
{
    KZSMARTScanner scanner = linuxScanner(catScript("lsblk", recordingPath("lsblk-virtual.txt")));
    ASSERT_TRUE(scanner.scanForDrives());
    const auto first = scanner.getDrives().first();
    ASSERT_TRUE(scanner.scanForDrives());
    ASSERT_EQ(locations(scanner), QStringList({"/dev/vda"}));
    EXPECT_NE(scanner.getDrives().first(), first);
    EXPECT_EQ(scanner.getDrives().first()->partitionNames(), QStringList({"/"}));
}

TEST(LinuxDiscovery, EmptyListingIsAScanWithoutDrives)
{
    KZSMARTScanner scanner = linuxScanner(writeScript("lsblk", "#!/bin/sh\nexit 0\n"));
    EXPECT_TRUE(scanner.scanForDrives());
    EXPECT_TRUE(scanner.getDrives().isEmpty());
}

TEST(LinuxDiscovery, BadListingsFailTheScanCleanly)
{
    struct Case
    {
        QByteArray body;
        const char *logged;
    } cases[] = {
        {"echo 'lsblk: failed to access sysfs directory: /sys/dev/block: No such file or "
         "directory'; exit 32",
         "lsblk returned unreadable output: lsblk: failed to access sysfs directory"},
        {"echo 'NAME=\"sda\" TYPE=\"disk'", "lsblk returned unreadable output: NAME=\"sda\""},
        {"kill -TERM $$", "lsblk returned error code: -15"},
        {"printf 'NAME=\"sda\" TYPE=\"disk\"'",
         "Exception occured in parseDrives->parseCommandLine(lsblk)- "},
        {"head -c 300000 /dev/zero | tr '\\0' 'x'; echo", "lsblk returned unreadable output: xxxx"},
    };
    for (const Case &test : cases) {
        KZSMARTScanner scanner =
            linuxScanner(writeScript("lsblk", "#!/bin/sh\n" + test.body + "\n"));
        RecordingPresenter alerts;
        StderrCapture log;
        EXPECT_FALSE(scanner.scanForDrives()) << test.body.constData();
        EXPECT_TRUE(scanner.getDrives().isEmpty());
        EXPECT_TRUE(log.text().contains(test.logged)) << log.text().toStdString();
        EXPECT_TRUE(alerts.alerts.isEmpty());
    }
}

TEST(LinuxDiscovery, StrayByteInAListingDoesNotFailTheScan)
{
    KZSMARTScanner scanner = linuxScanner(
        writeScript("lsblk", "#!/bin/sh\nprintf 'NAME=\"sda\" TYPE=\"disk\" PKNAME=\"\" "
                             "MOUNTPOINT=\"\" LABEL=\"\" PATH=\"/dev/sda\"\\n"
                             "NAME=\"sda1\" TYPE=\"part\" PKNAME=\"sda\" MOUNTPOINT=\"/d\" "
                             "LABEL=\"Caf\\351\" PATH=\"/dev/sda1\"\\n'\n"));
    ASSERT_TRUE(scanner.scanForDrives());
    ASSERT_EQ(locations(scanner), QStringList{"/dev/sda"});
    EXPECT_EQ(scanner.getDrives().first()->partitionNames(), QStringList{"Caf\uFFFD"});
}

TEST(LinuxDiscovery, MissingLsblkFailsTheScanWithAnAlertInTheApplication)
{
    KZSMARTScanner scanner;
    scanner.setBackEnd(KZSMARTScanner::BackEnd::Linux);
    scanner.setToolProgram(KZSMARTScanner::lsblkTool, TestSupport::homeDir() + "/no/lsblk");
    RecordingPresenter alerts;
    StderrCapture log;
    EXPECT_FALSE(scanner.scanForDrives());
    EXPECT_TRUE(log.text().contains("Exception occured in parseDrives->parseCommandLine(lsblk)- "));
    EXPECT_EQ(alerts.alerts.size(), 1);
}

TEST(LinuxDiscovery, HungLsblkIsStopped)
{
    KZSMARTScanner scanner = linuxScanner(writeScript("lsblk", "#!/bin/sh\nexec sleep 30\n"));
    scanner.setTaskTimeout(1);
    StderrCapture log;
    EXPECT_FALSE(scanner.scanForDrives());
    EXPECT_TRUE(log.text().contains("did not finish within 1 seconds"));
}

TEST(LinuxDiscovery, PlatformChoosesTheBackEnd)
{
#ifdef Q_OS_MACOS
    EXPECT_EQ(KZSMARTScanner::platformBackEnd(), KZSMARTScanner::BackEnd::MacOS);
#else
    EXPECT_EQ(KZSMARTScanner::platformBackEnd(), KZSMARTScanner::BackEnd::Linux);
    EXPECT_EQ(KZSMARTScanner().backEnd(), KZSMARTScanner::BackEnd::Linux);
    EXPECT_TRUE(KZSMARTScanner().toolProgram(KZSMARTScanner::lsblkTool).endsWith("/lsblk"));
#endif
    EXPECT_EQ(KZSMARTScanner().toolProgram(KZSMARTScanner::lsTool), "/bin/ls");
    EXPECT_EQ(KZSMARTScanner().toolProgram(KZSMARTScanner::dfTool), "/bin/df");
}

TEST(LinuxDiscovery, DeviceThatVanishedEndsUnsupported)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString listing = writeFile(TestSupport::homeDir() + "/linux/vanished.txt",
                                      "NAME=\"sdzz\" TYPE=\"disk\" PKNAME=\"\" MOUNTPOINT=\"\" "
                                      "LABEL=\"\" PATH=\"/dev/sdzz\"\n");
    for (const bool show : {false, true}) {
        KZSMARTScanner scanner = linuxScanner(catScript("lsblk", listing));
        scanner.setSmartctlOverride(TestSupport::realSmartctl());
        scanner.setShowUnsupportedDrives(show);
        ASSERT_TRUE(scanner.scanForDrives());
        ASSERT_EQ(scanner.getDrives().size(), 1);
        scanner.updateDrives();
        if (!show) {
            EXPECT_TRUE(scanner.getDrives().isEmpty());
            continue;
        }
        ASSERT_EQ(scanner.getDrives().size(), 1);
        const KZSMARTDrive &drive = *scanner.getDrives().first();
        EXPECT_FALSE(drive.smartSupported());
        EXPECT_EQ(KZDriveStatus::getDriveStatus(drive), "UNSUPPORTED");
        EXPECT_TRUE(drive.getLastSMARTErrorMessage().value_or("").contains("/dev/sdzz"));
    }
}
