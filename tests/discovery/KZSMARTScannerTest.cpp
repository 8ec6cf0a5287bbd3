// Discovery: the disks and volumes of recorded lsblk listings.
#include "KZSMARTScanner.h"
#include "KZDriveStatus.h"
#include "KZRecordedTexts.h"
#include "KZSMARTDrive.h"
#include "ScannerTestSupport.h"
#include "TestSupport.h"

using TestSupport::StderrCapture;
using TestSupport::writeFile;
using TestSupport::writeScript;
using namespace ScannerTestSupport;

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
        StderrCapture log;
        EXPECT_FALSE(scanner.scanForDrives()) << test.body.constData();
        EXPECT_TRUE(scanner.getDrives().isEmpty());
        EXPECT_TRUE(log.text().contains(test.logged)) << log.text().toStdString();
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

TEST(LinuxDiscovery, MissingLsblkFailsTheScanAndKeepsItsAlert)
{
    KZSMARTScanner scanner;
    scanner.setToolProgram(KZSMARTScanner::lsblkTool, TestSupport::homeDir() + "/no/lsblk");
    StderrCapture log;
    EXPECT_FALSE(scanner.scanForDrives());
    EXPECT_TRUE(log.text().contains("Exception occured in parseDrives->parseCommandLine(lsblk)- "));
    EXPECT_EQ(scanner.scanAlert(),
              "An error occurred attempting to scan for drives. Tarnwell may work incorrectly. "
              "Please contact " +
                  KZRecordedTexts::supportEmailAddress + " for help.");
    // A scan that works again forgets it.
    scanner.setToolProgram(KZSMARTScanner::lsblkTool, writeScript("lsblk", "#!/bin/sh\nexit 0\n"));
    EXPECT_TRUE(scanner.scanForDrives());
    EXPECT_FALSE(scanner.scanAlert());
}

TEST(LinuxDiscovery, HungLsblkIsStopped)
{
    KZSMARTScanner scanner = linuxScanner(writeScript("lsblk", "#!/bin/sh\nexec sleep 30\n"));
    scanner.setTaskTimeout(1);
    StderrCapture log;
    EXPECT_FALSE(scanner.scanForDrives());
    EXPECT_TRUE(log.text().contains("did not finish within 1 seconds"));
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

TEST(LinuxDiscovery, DebugLinesOnlyWhenAskedFor)
{
    for (const bool debug : {false, true}) {
        KZSMARTScanner scanner =
            linuxScanner(catScript("lsblk", recordingPath("lsblk-desktop.txt")));
        scanner.setOutputDebugMessages(debug);
        StderrCapture log;
        ASSERT_TRUE(scanner.scanForDrives());
        const QString text = log.text();
        for (const char *line :
             {"Parsing drives...", "Adding new drive to array: sda.", "Adding volume:"})
            EXPECT_EQ(text.contains(line), debug) << line;
        EXPECT_EQ(scanner.getDrives().first()->debugState(), debug);
    }
}
