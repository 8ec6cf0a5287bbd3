// The drive list: construction, update, filter and merge, and refreshing
// several drives at a time.
#include "KZDriveStatus.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "KZSMARTScanner.h"
#include "ScannerTestSupport.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QMutex>
#include <QSet>
#include <QThread>

using TestSupport::StderrCapture;
using TestSupport::writeFile;
using namespace ScannerTestSupport;

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
    const QString absent = missingDevice()->driveLocation();
    auto build = [&] {
        KZSMARTScanner scanner = KZSMARTScanner::initForCommandLine();
        scanner.addDrive(missingDevice());
        scanner.addDrive(fileDrive(good));
        scanner.addDrive(missingDevice());
        // A capture smartctl cannot replay is not a drive without S.M.A.R.T.:
        // it did not answer, and stays whatever the preference says.
        scanner.addDrive(fileDrive(notACapture()));
        return scanner;
    };

    KZSMARTScanner hidden = build();
    hidden.updateDrives();
    ASSERT_EQ(locations(hidden), QStringList({good, notACapture()}));
    EXPECT_TRUE(hidden.getDrives().first()->smartSupported());
    EXPECT_EQ(KZDriveStatus::getDriveStatus(*hidden.getDrives().last()), "UNKNOWN");
    EXPECT_TRUE(hidden.getDrives().last()->getLastSMARTErrorMessage().value_or("").contains(
        "Syntax error: No information found"));

    KZPreferences::standard().setBool("ShowUnsupportedDrives", true);
    KZSMARTScanner shown = build();
    shown.updateDrives();
    // Drives without a serial number never merge with each other.
    ASSERT_EQ(locations(shown), QStringList({absent, good, absent, notACapture()}));
    EXPECT_EQ(KZDriveStatus::getDriveStatus(*shown.getDrives().first()), "UNSUPPORTED");
    EXPECT_TRUE(shown.getDrives().first()->getLastSMARTErrorMessage().value_or("").contains(
        "Unable to detect device type"));

    // The list's own choice wins over the preference, either way.
    KZSMARTScanner overridden = build();
    overridden.setShowUnsupportedDrives(false);
    overridden.updateDrives();
    EXPECT_EQ(locations(overridden), QStringList({good, notACapture()}));
    KZPreferences::standard().removeObjectForKey("ShowUnsupportedDrives");

    KZSMARTScanner forced = build();
    forced.setShowUnsupportedDrives(true);
    forced.updateDrives();
    EXPECT_EQ(forced.getDrives().size(), 4);
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
             {"l-selftest", nothingMore}});
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
        scanner.updateDrives([&] { ++notifications; });
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

    // One smartctl run for each of ten drives, two more for the one whose
    // S.M.A.R.T. is off (switching it on, reading again); six steps each.
    EXPECT_EQ(one.runs.size(), 12);
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

TEST(DriveList, AlertsOfDrivesReadAtOnceAreKeptOnTheDrives)
{
    // Drives of the application whose identity step fails: one alert each,
    // kept on the drive for whoever shows it; no thread waits for a person.
    KZSMARTScanner scanner;
    scanner.setShowUnsupportedDrives(true);
    for (int index = 0; index < 8; ++index) {
        auto drive = std::make_shared<KZSMARTDrive>();
        drive->setLocation(QStringLiteral("/dev/sd%1").arg(QChar('a' + index)));
        drive->setOutputProvider([](const QStringList &arguments) -> std::optional<QStringList> {
            if (!arguments.contains("-a"))
                return std::nullopt;
            return QStringList{"smartctl 7.3", "Copyright",
                               "=== START OF INFORMATION SECTION ===", "Device Model:"};
        });
        scanner.addDrive(drive);
    }
    StderrCapture log;
    scanner.updateDrives();
    ASSERT_EQ(scanner.getDrives().size(), 8);
    for (const auto &drive : scanner.getDrives())
        EXPECT_TRUE(drive->driveAlert() && drive->driveAlert()->contains("read some SMART data"));
    EXPECT_EQ(log.text().count("Exception occured in parseInfo- "), 8);
}
