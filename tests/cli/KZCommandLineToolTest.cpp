#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

using TestSupport::FakeSmartctl;
using TestSupport::readFile;
using TestSupport::writeFile;
using TestSupport::writeScript;

namespace {

struct ToolRun
{
    int exitCode = -1;
    bool crashed = true;
    QString out;
    QString err;
    QStringList lines() const { return out.split('\n', Qt::SkipEmptyParts); }
};

// A fresh home with its own XDG folders for one run of the tool.
QString freshHome()
{
    static int counter = 0;
    const QString home = TestSupport::homeDir() + QStringLiteral("/runs/%1").arg(++counter);
    QDir().mkpath(home + "/config/Tarnwell");
    QDir().mkpath(home + "/state");
    QDir().mkpath(home + "/data");
    return home;
}

void setPreference(const QString &home, const QByteArray &line)
{
    writeFile(home + "/config/Tarnwell/Tarnwell.conf", "[General]\n" + line + "\n");
}

ToolRun runCli(const QStringList &arguments, const QString &home = freshHome(),
               int timeoutMs = 120000)
{
    QProcess process;
    process.setProcessEnvironment(TestSupport::homeEnvironment(home));
    process.start(TARNWELL_CLI, arguments);
    ToolRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "tarnwell-cli did not finish: " << arguments.join(' ').toStdString();
        return run;
    }
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

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

QString healthyCapture()
{
    static const QString path = forge(
        "healthy", R"({"identity": {"model": "FORGED HEALTHY DISK", "serial": "FRGCLI00001"}})");
    return path;
}

QString failedCapture()
{
    static const QString path =
        forge("failed", R"({"identity": {"model": "FORGED FAILED DISK", "serial": "FRGCLI00002"},
                            "health": "failing"})");
    return path;
}

// Healthy by its own verdict, but its reallocated sector count is above zero.
QString failingCapture()
{
    static const QString path =
        forge("failing", R"({"identity": {"model": "FORGED FAILING DISK", "serial": "FRGCLI00003"},
                       "attributes": [
                         {"id": 5, "flags": "0x0033", "value": 100, "thresh": 10, "raw": 8},
                         {"id": 9, "flags": "0x0032", "value": 99, "raw": 1200}]})");
    return path;
}

QString notACapture()
{
    static const QString path =
        writeFile(TestSupport::homeDir() + "/forged/not-a-capture.twdr", "hello\nworld\n");
    return path;
}

QJsonObject jsonOf(const ToolRun &run)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    return document.object();
}

QString lsblkScript(const QByteArray &listing)
{
    const QString recording = writeFile(
        TestSupport::homeDir() + QStringLiteral("/lsblk-%1.txt").arg(qHash(listing)), listing);
    return writeScript("lsblk",
                       "#!/bin/sh\nexec /bin/cat '" + QFile::encodeName(recording) + "'\n");
}

const QByteArray banner = "smartctl 7.3 2022-02-28 r5338 [x86_64-linux-6.1.0] (local build)\n"
                          "Copyright (C) 2002-22, Bruce Allen, Christian Franke, "
                          "www.smartmontools.org\n\n";

} // namespace

// ---- check ----

TEST(CheckCommand, PassedDriveIsOk)
{
    SKIP_WITHOUT_SMARTCTL();
    const ToolRun run = runCli({"check", healthyCapture()});
    ASSERT_FALSE(run.crashed);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.lines(),
              QStringList({"TARNWELL OK - 1 drive: 1 PASSED", "FORGED HEALTHY DISK  [PASSED]"}));
}

TEST(CheckCommand, FailedDriveIsCritical)
{
    SKIP_WITHOUT_SMARTCTL();
    const ToolRun run = runCli({"check", healthyCapture(), failedCapture()});
    EXPECT_EQ(run.exitCode, 2);
    const QStringList lines = run.lines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "TARNWELL CRITICAL - 2 drives: 1 FAILED, 1 PASSED");
    EXPECT_EQ(lines[1], "FORGED HEALTHY DISK  [PASSED]");
    EXPECT_EQ(lines[2], "FORGED FAILED DISK  [FAILED]");
    // Whatever follows are the failed drive's reasons, indented by two blanks.
    for (qsizetype index = 3; index < lines.size(); ++index)
        EXPECT_TRUE(lines[index].startsWith("  ")) << lines[index].toStdString();
}

TEST(CheckCommand, FailingDriveIsAWarning)
{
    SKIP_WITHOUT_SMARTCTL();
    const ToolRun report = runCli({"report", "--json", failingCapture()});
    const QJsonObject fields = QJsonDocument::fromJson(report.out.toUtf8()).array()[0].toObject();
    if (!fields.contains("attributes") && !fields.contains("attributeCount"))
        GTEST_SKIP() << "this build does not judge the attribute table yet";

    const ToolRun run = runCli({"check", failingCapture(), healthyCapture()});
    EXPECT_EQ(run.exitCode, 1) << run.out.toStdString();
    const QStringList lines = run.lines();
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], "TARNWELL WARNING - 2 drives: 1 FAILING, 1 PASSED");
    EXPECT_EQ(lines[1], "FORGED FAILING DISK  [FAILING]");
    EXPECT_TRUE(lines.contains("  Too many reallocated bad sectors"));
    EXPECT_EQ(lines.last(), "FORGED HEALTHY DISK  [PASSED]");
}

TEST(CheckCommand, ScanFailureIsUnknown)
{
    const ToolRun garbled = runCli({"check", "--lsblk", lsblkScript("this is not lsblk output\n")});
    ASSERT_FALSE(garbled.crashed);
    EXPECT_EQ(garbled.exitCode, 3);
    EXPECT_EQ(garbled.lines(), QStringList({"TARNWELL UNKNOWN - drive scan failed; NO DRIVES"}));
    EXPECT_TRUE(garbled.err.contains("lsblk returned unreadable output: this is not lsblk output"));
    // No alert in command-line mode.
    EXPECT_FALSE(garbled.err.contains("An Error Occurred"));

    const ToolRun killed =
        runCli({"check", "--lsblk", writeScript("lsblk", "#!/bin/sh\nkill -9 $$\n")});
    EXPECT_EQ(killed.exitCode, 3);
    EXPECT_TRUE(killed.err.contains("lsblk returned error code: -9"));
}

TEST(CheckCommand, DiscoveredDisksAreReadMergedAndNamed)
{
    // smartctl answers the same for every device: the two scanned disks are
    // one physical disk and end as one drive carrying both volumes.
    const QByteArray more = banner + "=== START OF READ SMART DATA SECTION ===\n";
    FakeSmartctl fake({{"i", banner + "=== START OF INFORMATION SECTION ===\n"
                                      "Device Model:     TWIN PATH DISK\n"
                                      "Serial Number:    TWIN0001\n"},
                       {"H", more + "SMART overall-health self-assessment test result: PASSED\n"},
                       {"c", more},
                       {"A", more},
                       {"l-error", more},
                       {"l-selftest", more}});
    const QString lsblk = lsblkScript(
        "NAME=\"loop0\" TYPE=\"loop\" PKNAME=\"\" MOUNTPOINT=\"/snap/x/1\" LABEL=\"\" "
        "PATH=\"/dev/loop0\"\n"
        "NAME=\"sdx\" TYPE=\"disk\" PKNAME=\"\" MOUNTPOINT=\"\" LABEL=\"\" PATH=\"/dev/sdx\"\n"
        "NAME=\"sdx1\" TYPE=\"part\" PKNAME=\"sdx\" MOUNTPOINT=\"/home\" LABEL=\"Home\\x20Disk\" "
        "PATH=\"/dev/sdx1\"\n"
        "NAME=\"sdy\" TYPE=\"disk\" PKNAME=\"\" MOUNTPOINT=\"\" LABEL=\"\" PATH=\"/dev/sdy\"\n"
        "NAME=\"sdy1\" TYPE=\"part\" PKNAME=\"sdy\" MOUNTPOINT=\"/srv\" LABEL=\"\" "
        "PATH=\"/dev/sdy1\"\n");
    const ToolRun run = runCli({"check", "--smartctl", fake.program(), "--lsblk", lsblk});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.lines(),
              QStringList({"TARNWELL OK - 1 drive: 1 PASSED",
                           "TWIN PATH DISK with partitions Home Disk, and /srv  [PASSED]"}));
    // Both device nodes were read; the loop device was not.
    const QString calls = fake.calls().join('\n');
    EXPECT_TRUE(calls.contains("-r|ataioctl,2|-a|/dev/sdx|"));
    EXPECT_TRUE(calls.contains("-r|ataioctl,2|-a|/dev/sdy|"));
    EXPECT_FALSE(calls.contains("loop0"));
}

TEST(CheckCommand, NoWakeLeavesASleepingDiskAsleepNamedAsLsblkNamesIt)
{
    const QByteArray more = banner + "=== START OF READ SMART DATA SECTION ===\n";
    FakeSmartctl fake({{"i", banner + "=== START OF INFORMATION SECTION ===\n"
                                      "Device Model:     AWAKE DISK\n"
                                      "Serial Number:    AWK0001\n"},
                       {"H", more + "SMART overall-health self-assessment test result: PASSED\n"},
                       {"standby", banner + "Device is in STANDBY mode, exit(2)\n"}});
    const QString lsblk = lsblkScript("NAME=\"sdz\" TYPE=\"disk\" PKNAME=\"\" MOUNTPOINT=\"\" "
                                      "LABEL=\"\" PATH=\"/dev/sdz\" MODEL=\"LISTED\\x20DISK \" "
                                      "SERIAL=\"LST0001\"\n");
    const QStringList common{"--smartctl", fake.program(), "--lsblk", lsblk};
    // Without the option every disk is read, woken if need be.
    EXPECT_EQ(runCli(QStringList{"check"} + common).lines(),
              QStringList({"TARNWELL OK - 1 drive: 1 PASSED", "AWAKE DISK  [PASSED]"}));
    const ToolRun asleep = runCli(QStringList{"check", "--no-wake"} + common);
    EXPECT_EQ(asleep.exitCode, 0) << asleep.err.toStdString();
    EXPECT_EQ(asleep.lines(),
              QStringList({"TARNWELL OK - 1 drive: 1 SLEEPING", "LISTED DISK  [SLEEPING]",
                           "  asleep (STANDBY): not read, so as not to wake it; no values yet"}));
    const QJsonObject drive = jsonOf(runCli(QStringList{"check", "--json", "--no-wake"} + common))
                                  .value("drives")
                                  .toArray()
                                  .at(0)
                                  .toObject();
    EXPECT_EQ(drive.value("status"), "SLEEPING");
    EXPECT_EQ(drive.value("powerMode"), "STANDBY");
    EXPECT_EQ(drive.value("serialNumber"), "LST0001");
    EXPECT_TRUE(drive.value("lastRead").isNull());
    EXPECT_EQ(fake.calls().filter(QRegularExpression("^-n\\|standby\\|-r\\|")).size(), 2);
}

TEST(CheckCommand, NamedTargetsAreAlwaysListedAndDiscoveredOnesFollowTheOption)
{
    SKIP_WITHOUT_SMARTCTL();
    // smartctl cannot tell the type of the first (its own answer: listed as
    // UNSUPPORTED); the second does not exist (the user asked for it: UNKNOWN
    // with smartctl's own line). Discovered disks without S.M.A.R.T. data are
    // listed on request, else named with their reason on the skipped line.
    const QString untyped = "/dev/tarnwell-no-such-disk";
    const QString listed = lsblkScript(
        "NAME=\"vdzz\" TYPE=\"disk\" PKNAME=\"\" MOUNTPOINT=\"\" LABEL=\"\" PATH=\"/dev/vdzz\"\n"
        "NAME=\"sdzz\" TYPE=\"disk\" PKNAME=\"\" MOUNTPOINT=\"\" LABEL=\"\" PATH=\"/dev/sdzz\"\n");
    const QString home = freshHome();
    setPreference(home, "ShowUnsupportedDrives=false");
    const struct Case
    {
        QStringList arguments;
        int exitCode;
        QStringList lines;
    } cases[] = {
        {{"check", untyped, healthyCapture()},
         0,
         {"TARNWELL OK - 2 drives: 1 UNSUPPORTED, 1 PASSED", "tarnwell-no-such-disk  [UNSUPPORTED]",
          "FORGED HEALTHY DISK  [PASSED]"}},
        {{"check", "/dev/sdzz"},
         3,
         {"TARNWELL UNKNOWN - 1 drive: 1 UNKNOWN", "sdzz  [UNKNOWN]",
          "  Smartctl open device: /dev/sdzz failed: No such device"}},
        {{"check", "/dev/sdzz", failedCapture()},
         2,
         {"TARNWELL CRITICAL - 2 drives: 1 FAILED, 1 UNKNOWN", "sdzz  [UNKNOWN]",
          "  Smartctl open device: /dev/sdzz failed: No such device",
          "FORGED FAILED DISK  [FAILED]", "  SMART overall-health self-assessment test failed"}},
        {{"check", "--lsblk", listed},
         0,
         {"TARNWELL OK - NO DRIVES",
          "2 disks without S.M.A.R.T. data not checked: vdzz (smartctl cannot tell its device "
          "type), sdzz (the device is gone)"}},
        {{"check", "--lsblk", listed, "--show-unsupported"},
         0,
         {"TARNWELL OK - 2 drives: 2 UNSUPPORTED", "vdzz  [UNSUPPORTED]", "sdzz  [UNSUPPORTED]"}},
    };
    for (const Case &test : cases) {
        const ToolRun run = runCli(test.arguments, home);
        EXPECT_EQ(run.exitCode, test.exitCode) << test.arguments.join(' ').toStdString();
        EXPECT_EQ(run.lines(), test.lines) << run.err.toStdString();
    }

    const QJsonArray skipped =
        jsonOf(runCli({"check", "--json", "--lsblk", listed}, home)).value("skipped").toArray();
    ASSERT_EQ(skipped.size(), 2);
    EXPECT_EQ(skipped[0]["device"], "/dev/vdzz");
    EXPECT_EQ(skipped[0]["reason"], "smartctl cannot tell its device type");
    EXPECT_TRUE(skipped[1]["smartError"].toString().contains("No such device"));

    // A report says the same in JSON as a check.
    const ToolRun report = runCli({"report", "--json", untyped, "/dev/sdzz"});
    EXPECT_EQ(report.exitCode, 3);
    const QJsonArray drives = QJsonDocument::fromJson(report.out.toUtf8()).array();
    ASSERT_EQ(drives.size(), 2);
    EXPECT_EQ(drives[0]["status"], "UNSUPPORTED");
    EXPECT_EQ(drives[0]["displayName"], "tarnwell-no-such-disk");
    EXPECT_EQ(drives[0]["health"], 0);
    EXPECT_EQ(drives[1]["status"], "UNKNOWN");
    EXPECT_EQ(drives[1]["readFailure"], "OpenFailed");
}

TEST(CheckCommand, SameSerialNumberTargetsMerge)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString twin = TestSupport::homeDir() + "/forged/healthy-twin.twdr";
    QFile::remove(twin);
    ASSERT_TRUE(QFile::copy(healthyCapture(), twin));
    const ToolRun run = runCli({"check", healthyCapture(), twin});
    EXPECT_EQ(run.lines(),
              QStringList({"TARNWELL OK - 1 drive: 1 PASSED", "FORGED HEALTHY DISK  [PASSED]"}));
}

TEST(CheckCommand, JsonHoldsTheDrivesAndTheMergedStatus)
{
    SKIP_WITHOUT_SMARTCTL();
    const ToolRun run = runCli({"check", "--json", healthyCapture(), failedCapture()});
    EXPECT_EQ(run.exitCode, 2);
    const QJsonObject report = jsonOf(run);
    EXPECT_EQ(report.value("mergedStatus").toInt(), 3);
    EXPECT_EQ(report.value("state").toString(), "CRITICAL");
    EXPECT_TRUE(report.value("scanSucceeded").toBool());
    const QJsonArray drives = report.value("drives").toArray();
    ASSERT_EQ(drives.size(), 2);
    EXPECT_EQ(drives[0].toObject().value("status").toString(), "PASSED");
    EXPECT_EQ(drives[0].toObject().value("displayName").toString(), "FORGED HEALTHY DISK");
    EXPECT_EQ(drives[0].toObject().value("serialNumber").toString(), "FRGCLI00001");
    EXPECT_EQ(drives[0].toObject().value("location").toString(), healthyCapture());
    EXPECT_EQ(drives[1].toObject().value("status").toString(), "FAILED");

    const ToolRun failedScan = runCli({"check", "--json", "--lsblk", lsblkScript("garbage\n")});
    EXPECT_EQ(failedScan.exitCode, 3);
    EXPECT_FALSE(jsonOf(failedScan).value("scanSucceeded").toBool());
    EXPECT_EQ(jsonOf(failedScan).value("mergedStatus").toInt(), 1);
}

TEST(CheckCommand, BadCommandLinesAreUnknown)
{
    const ToolRun unknownOption = runCli({"check", "--bogus"});
    EXPECT_EQ(unknownOption.exitCode, 3);
    EXPECT_TRUE(unknownOption.err.contains("unknown option \"--bogus\""));
    EXPECT_TRUE(unknownOption.out.isEmpty());
    EXPECT_EQ(runCli({"check", "--smartctl"}).exitCode, 3);
    EXPECT_EQ(runCli({"check", "--lsblk", "/no/such/lsblk"}).exitCode, 3);
}

TEST(CheckCommand, PrometheusExportProblemsAreReported)
{
    SKIP_WITHOUT_SMARTCTL();
    const ToolRun noFile = runCli({"check", "--prometheus"});
    EXPECT_EQ(noFile.exitCode, 3);
    EXPECT_TRUE(noFile.err.contains("--prometheus needs a value"));
    const ToolRun twice = runCli({"check", "--json", "--prometheus", "-", healthyCapture()});
    EXPECT_EQ(twice.exitCode, 3);
    EXPECT_TRUE(twice.err.contains("--json and --prometheus - both print to standard output"));
    EXPECT_TRUE(twice.out.isEmpty());
    // A file that cannot be written is named; the check's verdict stands.
    const ToolRun unwritable =
        runCli({"check", "--prometheus", "/no/such/folder/tarnwell.prom", failingCapture()});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.out.startsWith("TARNWELL WARNING"));
    EXPECT_TRUE(
        unwritable.err.contains("tarnwell-cli: cannot write /no/such/folder/tarnwell.prom: "))
        << unwritable.err.toStdString();
}

TEST(CheckCommand, RealCheckOfThisMachineFinishes)
{
    // Whatever disks this machine has (or none that can be read).
    for (const QStringList &arguments :
         {QStringList{"check"}, QStringList{"check", "--show-unsupported", "--json"}}) {
        const ToolRun run = runCli(arguments);
        ASSERT_FALSE(run.crashed) << run.err.toStdString();
        EXPECT_GE(run.exitCode, 0);
        EXPECT_LE(run.exitCode, 3);
        if (arguments.contains("--json"))
            EXPECT_TRUE(jsonOf(run).contains("drives"));
        else
            EXPECT_TRUE(run.out.startsWith("TARNWELL ")) << run.out.toStdString();
    }
}

// ---- capture ----

TEST(CaptureCommand, RoundTripGivesTheSameDrive)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString source = forge("roundtrip", R"({"identity": {"model": "FORGED ROUND TRIP",
        "serial": "FRGTRIP0001", "firmware": "RT01"}, "health": "failing"})");
    const QString saved = TestSupport::homeDir() + "/captures/roundtrip.twdr";
    QDir().mkpath(QFileInfo(saved).path());
    const ToolRun capture = runCli({"capture", source, "-o", saved});
    ASSERT_EQ(capture.exitCode, 0) << capture.err.toStdString();
    EXPECT_TRUE(capture.out.contains("saved "));

    // Only the command blocks, nothing of smartctl's report text around them.
    const QString text = QString::fromUtf8(readFile(saved));
    EXPECT_TRUE(text.startsWith("REPORT-IOCTL: Device=- Command=IDENTIFY DEVICE\n"));
    EXPECT_TRUE(text.endsWith("Bytes) =====\n"));
    EXPECT_FALSE(text.contains("Copyright"));

    QJsonObject before = QJsonDocument::fromJson(runCli({"report", "--json", source}).out.toUtf8())
                             .array()[0]
                             .toObject();
    QJsonObject after = QJsonDocument::fromJson(runCli({"report", "--json", saved}).out.toUtf8())
                            .array()[0]
                            .toObject();
    ASSERT_EQ(after.value("model").toString(), "FORGED ROUND TRIP");
    for (const char *key : {"location", "locationID"}) {
        before.remove(key);
        after.remove(key);
    }
    EXPECT_EQ(before, after);

    // A capture of the saved report gives the same commands again.
    const QString again = TestSupport::homeDir() + "/captures/again.twdr";
    ASSERT_EQ(runCli({"capture", saved, "-o", again}).exitCode, 0);
    // (smartctl notes how long each replayed command took; that differs.)
    auto withoutDurations = [](const QString &path) {
        QStringList lines = QString::fromUtf8(readFile(path)).split('\n');
        lines.removeIf([](const QString &line) { return line.startsWith(" [Duration: "); });
        return lines;
    };
    EXPECT_EQ(withoutDurations(again), withoutDurations(saved));
}

TEST(CaptureCommand, RealCaptureFromTheCorpusReopens)
{
    SKIP_WITHOUT_SMARTCTL();
    SKIP_WITHOUT_CORPUS();
    const QString source = TestSupport::corpusFile(
        "raw-captures/kintech_75_fake870EVO-SMI2259XT_S5Y4R020A077805_r-ataioctl2-A.txt");
    ASSERT_FALSE(source.isEmpty());
    const QString saved = TestSupport::homeDir() + "/captures/corpus.twdr";
    QDir().mkpath(QFileInfo(saved).path());
    ASSERT_EQ(runCli({"capture", source, "-o", saved}).exitCode, 0);
    const QJsonObject before =
        QJsonDocument::fromJson(runCli({"report", "--json", source}).out.toUtf8())
            .array()[0]
            .toObject();
    const QJsonObject after =
        QJsonDocument::fromJson(runCli({"report", "--json", saved}).out.toUtf8())
            .array()[0]
            .toObject();
    EXPECT_FALSE(after.value("serialNumber").toString().isEmpty());
    for (const char *key : {"model", "serialNumber", "firmwareVersion", "capacity", "health"})
        EXPECT_EQ(before.value(key), after.value(key)) << key;
}

TEST(CaptureCommand, SourcesWithoutBlocksWriteNothing)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString target = TestSupport::homeDir() + "/captures/nothing.twdr";
    QDir().mkpath(QFileInfo(target).path());
    const ToolRun device = runCli({"capture", "/dev/sdzz", "-o", target});
    EXPECT_EQ(device.exitCode, 3);
    EXPECT_TRUE(device.err.contains("/dev/sdzz: the capture holds no command blocks"));
    EXPECT_TRUE(device.err.contains("No such device"));
    EXPECT_FALSE(QFileInfo::exists(target));

    const ToolRun garbage = runCli({"capture", notACapture(), "-o", target});
    EXPECT_EQ(garbage.exitCode, 3);
    EXPECT_TRUE(garbage.err.contains("no command blocks"));
    EXPECT_FALSE(QFileInfo::exists(target));

    // An existing file is left as it was.
    writeFile(target, "keep me\n");
    EXPECT_EQ(runCli({"capture", notACapture(), "-o", target}).exitCode, 3);
    EXPECT_EQ(readFile(target), "keep me\n");
}

TEST(CaptureCommand, NVMeAndScsiDrivesAreNamedAsWhatCannotBeReplayed)
{
    SKIP_WITHOUT_CORPUS();
    const QString nvme = TestSupport::corpusFile("nvme/ed_nvme_MZVLW256_74_errlog-selftestlog.txt");
    const QString sas =
        TestSupport::corpusFile("usb-or-odd/glouton_71_HPE-LOGICAL-VOLUME_health-OK.txt");
    ASSERT_FALSE(nvme.isEmpty());
    ASSERT_FALSE(sas.isEmpty());
    const QString fake = TestSupport::fake("fake-smartctl-corpus");
    struct Case
    {
        QString report; // what the drive answers
        QString source; // a device, or a file that holds the drive's text
        const char *kind;
    };
    const Case cases[] = {
        {nvme, "/dev/nvme0", "NVMe drive"},
        {sas, "/dev/sdq", "SCSI or SAS drive"},
        // The application's raw capture of an NVMe drive is its text alone.
        {nvme, nvme, "NVMe drive"},
    };
    const QString target = TestSupport::homeDir() + "/captures/nvme.twdr";
    QDir().mkpath(QFileInfo(target).path());
    writeFile(target, "keep me\n");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.source.toStdString());
        qputenv("FAKE_SMARTCTL_REPORT", QFile::encodeName(c.report));
        const ToolRun run = runCli({"capture", "--smartctl", fake, c.source, "-o", target});
        EXPECT_EQ(run.exitCode, 3);
        EXPECT_TRUE(run.err.contains(c.source + ": the drive is an " + c.kind) ||
                    run.err.contains(c.source + ": the drive is a " + c.kind))
            << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("nothing was written"));
        EXPECT_EQ(readFile(target), "keep me\n");
    }
    qunsetenv("FAKE_SMARTCTL_REPORT");
}

TEST(CaptureCommand, UnwritableTargetIsReported)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString target = TestSupport::homeDir() + "/no/such/folder/out.twdr";
    const ToolRun run = runCli({"capture", healthyCapture(), "-o", target});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains("cannot write " + target));
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST(CaptureCommand, SmartctlThatCannotRunIsReported)
{
    const QString target = TestSupport::homeDir() + "/captures/no-smartctl.twdr";
    const QString broken = writeScript("smartctl", "#!/no/such/interpreter\n");
    const ToolRun run = runCli({"capture", "--smartctl", broken, "/dev/sda", "-o", target});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains("cannot run " + broken));
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST(CaptureCommand, BadCommandLines)
{
    EXPECT_EQ(runCli({"capture"}).exitCode, 1);
    EXPECT_EQ(runCli({"capture", "/dev/sda"}).exitCode, 1);
    EXPECT_EQ(runCli({"capture", "/dev/sda", "/dev/sdb", "-o", "x.twdr"}).exitCode, 1);
    EXPECT_EQ(runCli({"capture", "/dev/sda", "-o"}).exitCode, 1);
    EXPECT_TRUE(
        runCli({"capture", "/dev/sda", "--json", "-o", "x"}).err.contains("unknown option"));
}
