#include "KZSMARTScanner.h"
#include "KZAlertPresenter.h"
#include "KZDriveStatus.h"
#include "KZNotificationCenter.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QMutex>
#include <QProcess>
#include <QSet>
#include <QThread>

using TestSupport::StderrCapture;
using TestSupport::writeFile;
using TestSupport::writeScript;

namespace {

QString recordingPath(const QString &name)
{
    return TestSupport::sourceDir() + "/tests/discovery/data/" + name;
}

// A tool stand-in that prints a recorded output.
QString catScript(const QString &name, const QString &recording)
{
    return writeScript(name, "#!/bin/sh\nexec /bin/cat '" + QFile::encodeName(recording) + "'\n");
}

// `ls` of a Mac: the device folder, or the long listing of /Volumes.
QString lsScript(const QString &devRecording, const QString &volumesRecording)
{
    return writeScript("ls", "#!/bin/sh\n"
                             "if [ \"$1\" = -la ] && [ \"$2\" = /Volumes ]; then exec /bin/cat '" +
                                 QFile::encodeName(volumesRecording) +
                                 "'; fi\n"
                                 "if [ \"$1\" = /dev ]; then exec /bin/cat '" +
                                 QFile::encodeName(devRecording) +
                                 "'; fi\n"
                                 "echo \"unexpected arguments: $*\"\n");
}

KZSMARTScanner macScanner(const QString &dev, const QString &df, const QString &volumes)
{
    KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
    scanner.setBackEnd(KZSMARTScanner::BackEnd::MacOS);
    scanner.setToolProgram(KZSMARTScanner::lsTool, lsScript(dev, volumes));
    scanner.setToolProgram(KZSMARTScanner::dfTool, catScript("df", df));
    return scanner;
}

KZSMARTScanner linuxScanner(const QString &lsblk)
{
    KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
    scanner.setBackEnd(KZSMARTScanner::BackEnd::Linux);
    scanner.setToolProgram(KZSMARTScanner::lsblkTool, lsblk);
    return scanner;
}

QStringList locations(const KZSMARTScanner &scanner)
{
    QStringList result;
    for (const auto &drive : scanner.getDrives())
        result << drive->driveLocation();
    return result;
}

const KZSMARTDrive *driveAt(const KZSMARTScanner &scanner, const QString &location)
{
    for (const auto &drive : scanner.getDrives()) {
        if (drive->driveLocation() == location)
            return drive.get();
    }
    return nullptr;
}

class RecordingPresenter : public KZAlertPresenter
{
public:
    RecordingPresenter() { setCurrent(this); }
    ~RecordingPresenter() override { setCurrent(nullptr); }
    int runAlert(Style, const QString &title, const QString &text, const QStringList &) override
    {
        alerts.append(title + " | " + text);
        return 0;
    }
    QStringList alerts;
};

// A capture written by twdr-forge from a JSON description.
QString forge(const QString &name, const QByteArray &json)
{
    const QString dir = TestSupport::homeDir() + "/forged";
    const QString input = writeFile(dir + "/" + name + ".json", json);
    const QString output = dir + "/" + name + ".twdr";
    QProcess process;
    process.start(TWDR_FORGE, {input, "-o", output});
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return output;
}

QString forgeDisk(const QString &name, const QString &serial, const QString &model = "FORGED DISK")
{
    return forge(name, QStringLiteral(R"({"identity": {"model": "%1", "serial": "%2"}})")
                           .arg(model, serial)
                           .toUtf8());
}

// A drive replayed from a capture through the real smartctl.
std::shared_ptr<KZSMARTDrive> fileDrive(const QString &path, const QStringList &volumes = {})
{
    auto drive = std::make_shared<KZSMARTDrive>(KZSMARTDrive::initForCommandLine());
    drive->setLocation(path);
    drive->setDriveAsFile(true);
    drive->setSmartctlOverride(TestSupport::realSmartctl());
    for (const QString &volume : volumes)
        drive->addPartitionName(volume);
    return drive;
}

QString notACapture()
{
    static const QString path =
        writeFile(TestSupport::homeDir() + "/forged/not-a-capture.twdr", "hello\nworld\n");
    return path;
}

} // namespace

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
        {"printf 'disk0\\n\\377\\376\\n'", "ls returned error code: 0"},
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
    scanner.setToolProgram(KZSMARTScanner::dfTool,
                           writeScript("df", "#!/bin/sh\nprintf '\\377\\n'\n"));
    StderrCapture log;
    EXPECT_FALSE(scanner.scanForDrives());
    EXPECT_EQ(scanner.getDrives().size(), 3);
    EXPECT_TRUE(log.text().contains("df returned error code: 0"));
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
        {"printf 'NAME=\"sda\" TYPE=\"disk\" LABEL=\"\\377\"\\n'", "lsblk returned error code: 0"},
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

// ---- the list: construction, update, filter and merge ----

TEST(DriveList, InitWithFileHoldsOneReplayedDrive)
{
    KZPreferences::standard().setBool("OutputDebugMessages", true);
    KZSMARTScanner scanner = KZSMARTScanner::initWithFile("/tmp/some report.twdr");
    KZPreferences::standard().removeObjectForKey("OutputDebugMessages");
    EXPECT_FALSE(scanner.commandLineMode());
    ASSERT_EQ(scanner.getDrives().size(), 1);
    const KZSMARTDrive &drive = *scanner.getDrives().first();
    EXPECT_EQ(drive.driveLocation(), "/tmp/some report.twdr");
    EXPECT_TRUE(drive.driveFromFile());
    EXPECT_TRUE(drive.debugState());
    EXPECT_FALSE(drive.commandLineMode());
    EXPECT_FALSE(drive.smartSupported()); // nothing has run yet
}

TEST(DriveList, TheListIsSharedNotCopied)
{
    KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
    EXPECT_TRUE(scanner.commandLineMode());
    EXPECT_FALSE(KZSMARTScanner().commandLineMode());
    KZDriveList &drives = scanner.getDrives();
    scanner.addDrive(fileDrive("/tmp/a.twdr"));
    scanner.addDrive(nullptr);
    EXPECT_EQ(drives.size(), 1);
    scanner.resetDrives();
    EXPECT_TRUE(drives.isEmpty());
}

TEST(DriveList, UnsupportedDrivesFollowThePreference)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString good = forgeDisk("filter-good", "FRGFILTER01");
    auto build = [&] {
        KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
        scanner.addDrive(fileDrive(notACapture()));
        scanner.addDrive(fileDrive(good));
        scanner.addDrive(fileDrive(notACapture()));
        return scanner;
    };

    KZSMARTScanner hidden = build();
    hidden.updateDrives();
    ASSERT_EQ(locations(hidden), QStringList({good}));
    EXPECT_TRUE(hidden.getDrives().first()->smartSupported());

    KZPreferences::standard().setBool("ShowUnsupportedDrives", true);
    KZSMARTScanner shown = build();
    shown.updateDrives();
    // Drives without a serial number never merge with each other.
    ASSERT_EQ(locations(shown), QStringList({notACapture(), good, notACapture()}));
    EXPECT_EQ(KZDriveStatus::getDriveStatus(*shown.getDrives().first()), "UNSUPPORTED");
    EXPECT_EQ(shown.getDrives().first()->getLastSMARTErrorMessage().value_or("").contains(
                  "Syntax error: No information found"),
              true);

    // The list's own choice wins over the preference, either way.
    KZSMARTScanner overridden = build();
    overridden.setShowUnsupportedDrives(false);
    overridden.updateDrives();
    EXPECT_EQ(locations(overridden), QStringList({good}));
    KZPreferences::standard().removeObjectForKey("ShowUnsupportedDrives");

    KZSMARTScanner forced = build();
    forced.setShowUnsupportedDrives(true);
    forced.updateDrives();
    EXPECT_EQ(forced.getDrives().size(), 3);
}

TEST(DriveList, LaterNodeWithVolumesMergesIntoTheEarlierDrive)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString physical = forgeDisk("merge-physical", "FRGSAME0001", "FORGED SAME DISK");
    const QString container = forgeDisk("merge-container", "FRGSAME0001", "FORGED SAME DISK");
    const QString other = forgeDisk("merge-other", "FRGOTHER001", "FORGED OTHER DISK");

    KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
    scanner.addDrive(fileDrive(physical));
    scanner.addDrive(fileDrive(other, {"Scratch"}));
    scanner.addDrive(fileDrive(container, {"Macintosh HD", "Data"}));
    const auto earlier = scanner.getDrives()[0];
    scanner.updateDrives();
    ASSERT_EQ(locations(scanner), QStringList({physical, other}));
    EXPECT_EQ(scanner.getDrives()[0], earlier);
    EXPECT_EQ(earlier->partitionNames(), QStringList({"Macintosh HD", "Data"}));
    EXPECT_EQ(earlier->driveSerialNumber(), "FRGSAME0001");
    EXPECT_EQ(KZDriveStatus::displayName(*earlier),
              "FORGED SAME DISK with partitions Macintosh HD, and Data");
    EXPECT_EQ(scanner.getDrives()[1]->partitionNames(), QStringList({"Scratch"}));
}

TEST(DriveList, LaterNodeWithoutVolumesTakesTheEarlierOnesPlace)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString first = forgeDisk("place-first", "FRGPLACE001");
    const QString second = forgeDisk("place-second", "FRGPLACE001");

    KZSMARTScanner withVolumes = KZSMARTScanner::initForCommandLine();
    withVolumes.addDrive(fileDrive(first, {"Boot"}));
    withVolumes.addDrive(fileDrive(second));
    const auto later = withVolumes.getDrives()[1];
    withVolumes.updateDrives();
    ASSERT_EQ(withVolumes.getDrives().size(), 1);
    EXPECT_EQ(withVolumes.getDrives()[0], later);
    EXPECT_EQ(later->partitionNames(), QStringList({"Boot"}));

    KZSMARTScanner bare = KZSMARTScanner::initForCommandLine();
    bare.addDrive(fileDrive(first));
    bare.addDrive(fileDrive(second));
    const auto bareLater = bare.getDrives()[1];
    bare.updateDrives();
    ASSERT_EQ(bare.getDrives().size(), 1);
    EXPECT_EQ(bare.getDrives()[0], bareLater);
    EXPECT_TRUE(bareLater->partitionNames().isEmpty());
}

TEST(DriveList, ThreeNodesOfOneDiskEndAsOneDrive)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString a = forgeDisk("three-a", "FRGTHREE001");
    const QString b = forgeDisk("three-b", "FRGTHREE001");
    const QString c = forgeDisk("three-c", "FRGTHREE001");
    const QString after = forgeDisk("three-after", "FRGAFTER001");
    KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
    scanner.addDrive(fileDrive(a));
    scanner.addDrive(fileDrive(b, {"One", "Shared"}));
    scanner.addDrive(fileDrive(c, {"Shared", "Two"}));
    scanner.addDrive(fileDrive(after));
    scanner.updateDrives();
    ASSERT_EQ(locations(scanner), QStringList({a, after}));
    // A name both nodes carry is kept once.
    EXPECT_EQ(scanner.getDrives()[0]->partitionNames(), QStringList({"One", "Shared", "Two"}));
    EXPECT_EQ(scanner.getDrives()[0]->drivePartitionCount(), 3u);
}

TEST(DriveList, TwoScannedDeviceNodesOfOneDiskMerge)
{
    // Two device nodes that smartctl reports with one serial number, as the
    // paths of a multipath disk do: the scan lists both, the update keeps one.
    // SAS disks, the usual multipath disks, name themselves with SCSI labels.
    const QByteArray banner = "smartctl 7.3 2022-02-28 r5338 [x86_64-linux-6.1.0] (local build)\n"
                              "Copyright (C) 2002-22, Bruce Allen, Christian Franke\n\n";
    const QByteArray nothingMore = banner + "=== START OF READ SMART DATA SECTION ===\n";
    struct Disk
    {
        QByteArray identity;
        QByteArray health;
    };
    const Disk disks[] = {
        {"Device Model:     MULTIPATH DISK\nSerial Number:    MP0001\n",
         "SMART overall-health self-assessment test result: PASSED\n"},
        {"Vendor:               SEAGATE\nProduct:              ST4000NM0023\n"
         "Serial number:        Z1Z0MP0001\n",
         "SMART Health Status: OK\n"},
    };
    for (const Disk &disk : disks) {
        SCOPED_TRACE(disk.identity.constData());
        TestSupport::FakeSmartctl fake(
            {{"i", banner + "=== START OF INFORMATION SECTION ===\n" + disk.identity},
             {"H", banner + "=== START OF READ SMART DATA SECTION ===\n" + disk.health},
             {"c", nothingMore},
             {"A", nothingMore},
             {"l-error", nothingMore},
             {"l-selftest", nothingMore},
             {"capture", nothingMore}});
        const QString listing = writeFile(
            TestSupport::homeDir() + "/linux/multipath.txt",
            "NAME=\"sdx\" TYPE=\"disk\" PKNAME=\"\" MOUNTPOINT=\"\" LABEL=\"\" PATH=\"/dev/sdx\"\n"
            "NAME=\"mpatha\" TYPE=\"mpath\" PKNAME=\"sdx\" MOUNTPOINT=\"/data\" LABEL=\"\" "
            "PATH=\"/dev/mapper/mpatha\"\n"
            "NAME=\"sdy\" TYPE=\"disk\" PKNAME=\"\" MOUNTPOINT=\"\" LABEL=\"\" PATH=\"/dev/sdy\"\n"
            "NAME=\"mpatha\" TYPE=\"mpath\" PKNAME=\"sdy\" MOUNTPOINT=\"/data\" LABEL=\"\" "
            "PATH=\"/dev/mapper/mpatha\"\n");
        KZSMARTScanner scanner = linuxScanner(catScript("lsblk", listing));
        scanner.setSmartctlOverride(fake.program());
        ASSERT_TRUE(scanner.scanForDrives());
        ASSERT_EQ(locations(scanner), QStringList({"/dev/sdx", "/dev/sdy"}));
        scanner.updateDrives();
        ASSERT_EQ(locations(scanner), QStringList({"/dev/sdx"}));
        EXPECT_EQ(scanner.getDrives()[0]->partitionNames(), QStringList({"/data"}));
        EXPECT_EQ(KZDriveStatus::getDriveStatus(*scanner.getDrives()[0]), "PASSED");
    }
}

TEST(DriveList, DriveRunningASelfTestKeepsItsData)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString healthy = forgeDisk("testing-healthy", "FRGTEST0001");
    const QString failing =
        forge("testing-failing", R"({"identity": {"serial": "FRGTEST0001"}, "health": "failing"})");
    const QString path = TestSupport::homeDir() + "/forged/testing-live.twdr";
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(healthy, path));

    KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
    scanner.addDrive(fileDrive(path));
    scanner.updateDrives();
    const auto drive = scanner.getDrives().first();
    ASSERT_EQ(drive->driveHealth(), 1);

    // The disk now reads as failed, but it cannot be read while its test runs.
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(failing, path));
    drive->setDataCapabilities(0x7f);
    drive->setSelfTestInProgress(true);
    ASSERT_TRUE(drive->driveAbortOfflineCollection());
    scanner.updateDrives();
    ASSERT_EQ(scanner.getDrives().size(), 1);
    EXPECT_EQ(drive->driveHealth(), 1);

    // A drive that can be read during its test is refreshed.
    drive->setDataCapabilities(0x7b);
    scanner.updateDrives();
    EXPECT_EQ(drive->driveHealth(), 3);

    // Once the test is over it is refreshed again.
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(healthy, path));
    drive->setDataCapabilities(0x7f);
    drive->setSelfTestInProgress(false);
    scanner.updateDrives();
    EXPECT_EQ(drive->driveHealth(), 1);
}

TEST(DriveList, SelfTestReportedByTheDriveItselfIsSkipped)
{
    SKIP_WITHOUT_SMARTCTL();
    // The drive reports a running self-test (status 0xf4) and that it aborts
    // offline collection upon a new command (capability bit 2).
    const QString path = forge("selftest-running", R"({"identity": {"serial": "FRGRUN00001"},
        "offlineCapabilities": "0x7f", "selfTestStatus": "0xf4"})");
    const QString failing = forge(
        "selftest-failing", R"({"identity": {"serial": "FRGRUN00001"}, "health": "failing"})");
    const QString live = TestSupport::homeDir() + "/forged/selftest-live.twdr";
    QFile::remove(live);
    ASSERT_TRUE(QFile::copy(path, live));
    KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
    scanner.addDrive(fileDrive(live));
    scanner.updateDrives();
    const auto drive = scanner.getDrives().first();
    if (!drive->driveAbortOfflineCollection())
        GTEST_SKIP() << "this build does not read the capabilities (\"-c\") yet";
    ASSERT_TRUE(drive->driveSelfTestExecutionInProgress());
    QFile::remove(live);
    ASSERT_TRUE(QFile::copy(failing, live));
    scanner.updateDrives();
    EXPECT_EQ(drive->driveHealth(), 1);
}

// ---- refreshing several drives at a time ----

namespace {

// One smartctl run as the latency stand-in recorded it.
struct RecordedRun
{
    double start = 0;
    double end = 0;
};

QList<RecordedRun> recordedRuns(const QString &record)
{
    QList<RecordedRun> runs;
    for (const QString &line : QString::fromUtf8(TestSupport::readFile(record)).split('\n')) {
        const QStringList fields = line.split(' ');
        if (fields.size() >= 3)
            runs.append({fields[0].toDouble(), fields[1].toDouble()});
    }
    return runs;
}

// The largest number of runs that were under way at one moment.
int mostAtOnce(const QList<RecordedRun> &runs)
{
    QList<std::pair<double, int>> events;
    for (const RecordedRun &run : runs) {
        events.append({run.start, 1});
        events.append({run.end, -1});
    }
    std::sort(events.begin(), events.end()); // an end sorts before a start at the same time
    int current = 0;
    int most = 0;
    for (const auto &[time, change] : events)
        most = std::max(most, current += change);
    return most;
}

// An alert presenter that several threads may call at once.
class ThreadSafePresenter : public KZAlertPresenter
{
public:
    ThreadSafePresenter() { setCurrent(this); }
    ~ThreadSafePresenter() override { setCurrent(nullptr); }
    int runAlert(Style, const QString &, const QString &text, const QStringList &) override
    {
        QMutexLocker locker(&m_mutex);
        texts.append(text);
        threads.insert(QThread::currentThread());
        return 0;
    }
    QMutex m_mutex;
    QStringList texts;
    QSet<QThread *> threads;
};

} // namespace

TEST(DriveList, DrivesAreReadSeveralAtATimeWithTheResultsOfOneAtATime)
{
    SKIP_WITHOUT_SMARTCTL();
    // Ten drives of every kind the forge makes (failing, failed, errors,
    // self-tests, S.M.A.R.T. off, NVMe-less SSD), two nodes of one disk and a
    // file that is no capture, behind a device that takes 0.1 s to answer.
    QStringList captures;
    const QDir examples(TestSupport::sourceDir() + "/tools/twdr-forge/examples");
    for (const QString &name : examples.entryList({"*.json"}, QDir::Files, QDir::Name)) {
        QByteArray json = TestSupport::readFile(examples.filePath(name));
        json.replace("\"serial\": \"", "\"serial\": \"PAR");
        captures.append(forge("parallel-" + name.chopped(5), json));
    }
    captures.append(forgeDisk("parallel-node-a", "FRGPARNODE1"));
    captures.append(forgeDisk("parallel-node-b", "FRGPARNODE1"));
    captures.append(notACapture());
    ASSERT_EQ(captures.size(), 10);

    const QString latency = TestSupport::fake("fake-smartctl-latency");
    qputenv("FAKE_SMARTCTL", TestSupport::realSmartctl().toUtf8());
    qputenv("FAKE_LATENCY", "0.1");
    struct Outcome
    {
        QStringList locations;
        QList<QJsonObject> drives;
        int notifications = 0;
        QList<RecordedRun> runs;
    };
    const auto refresh = [&](int concurrency) {
        static int counter = 0;
        const QString record =
            TestSupport::homeDir() + QStringLiteral("/latency-%1.log").arg(++counter);
        qputenv("FAKE_RECORD", record.toUtf8());
        KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
        scanner.setShowUnsupportedDrives(true);
        scanner.setRefreshConcurrency(concurrency);
        for (const QString &capture : captures) {
            auto drive = fileDrive(capture, capture.contains("node-b") ? QStringList{"Data"}
                                                                       : QStringList{});
            drive->setSmartctlOverride(latency);
            scanner.addDrive(drive);
        }
        std::atomic<int> notifications{0};
        const quint64 observer = KZNotificationCenter::defaultCenter().addObserver(
            KZUpdateInfoProgressBarNotification, [&](const QString &, const QVariant &object) {
                if (object.toString() == "NONE")
                    ++notifications;
            });
        scanner.updateDrives();
        KZNotificationCenter::defaultCenter().removeObserver(observer);
        Outcome outcome;
        outcome.locations = locations(scanner);
        for (const auto &drive : scanner.getDrives())
            outcome.drives.append(drive->toJSON());
        outcome.notifications = notifications;
        outcome.runs = recordedRuns(record);
        return outcome;
    };
    const Outcome one = refresh(1);
    const Outcome several = refresh(KZSMARTScanner::defaultRefreshConcurrency);
    qunsetenv("FAKE_RECORD");

    // Six steps for each of ten drives, at least one smartctl run each.
    EXPECT_GE(one.runs.size(), 60);
    EXPECT_EQ(several.runs.size(), one.runs.size());
    EXPECT_EQ(mostAtOnce(one.runs), 1);
    const int most = mostAtOnce(several.runs);
    EXPECT_GE(most, 2);
    EXPECT_LE(most, 8);
    EXPECT_EQ(one.notifications, 60);
    EXPECT_EQ(several.notifications, 60);
    // The same list, in the same order, with the same data.
    ASSERT_EQ(one.locations.size(), 9); // the two nodes of one disk merged
    EXPECT_EQ(several.locations, one.locations);
    EXPECT_EQ(several.drives, one.drives);
}

TEST(DriveList, AlertsOfDrivesReadAtOnceReachThePresenter)
{
    // Drives of the application whose identity step fails: one alert each,
    // raised on the threads that read them.
    ThreadSafePresenter presenter;
    KZSMARTScanner scanner;
    scanner.setShowUnsupportedDrives(true);
    for (int index = 0; index < 8; ++index) {
        auto drive = std::make_shared<KZSMARTDrive>();
        drive->setLocation(QStringLiteral("/dev/sd%1").arg(QChar('a' + index)));
        drive->setOutputProvider([](const QStringList &arguments) -> std::optional<QStringList> {
            if (!arguments.contains("-i"))
                return std::nullopt;
            return QStringList{"smartctl 7.3", "Copyright",
                               "=== START OF INFORMATION SECTION ===", "Device Model:"};
        });
        scanner.addDrive(drive);
    }
    StderrCapture log;
    scanner.updateDrives();
    EXPECT_EQ(presenter.texts.size(), 8);
    EXPECT_FALSE(presenter.threads.contains(QThread::currentThread()));
    EXPECT_EQ(log.text().count("Exception occured in parseInfo- "), 8);
}
