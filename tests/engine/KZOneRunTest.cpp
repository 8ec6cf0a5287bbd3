// A refresh runs smartctl once and reads every part from that one report: it
// gives the drive the engine got from one run per command, and asks the
// device no more than it must.
#include "CorpusSections.h"
#include "KZPaths.h"
#include "LogTestSupport.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using TestSupport::FakeSmartctl;

namespace {

struct Refreshed
{
    QJsonObject json;
    int progressSteps = 0;
    std::string preferences; // what the refresh remembered
    std::string capture;     // the raw capture, without the run times smartctl prints
};

// Refreshes a fresh drive made by `make` one way or the other, with
// preferences of its own.
Refreshed refresh(const std::function<KZSMARTDrive()> &make, bool oneRun)
{
    static int counter = 0;
    const QString ini = TestSupport::homeDir() + QStringLiteral("/one-run-%1.conf").arg(++counter);
    KZPaths::createFolders(); // where the raw captures go
    KZPreferences preferences(ini);
    preferences.registerApplicationDefaults();
    KZPreferences::setStandard(&preferences);
    KZSMARTDrive drive = make();
    QFile::remove(drive.rawCaptureFilePath());
    Refreshed result;
    drive.setProgressHandler([&result] { ++result.progressSteps; });
    {
        TestSupport::StderrCapture log;
        oneRun ? drive.updateInfo() : KZSMARTDriveTesting::refreshCommandByCommand(drive);
    }
    KZPreferences::setStandard(nullptr);
    result.json = drive.toJSON();
    result.json.remove("argumentCode");
    result.preferences = TestSupport::readFile(ini).toStdString();
    for (const QByteArray &line : TestSupport::readFile(drive.rawCaptureFilePath()).split('\n')) {
        // The clock smartctl reads may tick between the two refreshes.
        if (!line.isEmpty() && !line.startsWith(" [Duration:") &&
            !line.startsWith("Local Time is:"))
            result.capture += line.toStdString() + '\n';
    }
    return result;
}

// The fields of the JSON report that differ, with both values.
std::string differences(const QJsonObject &oneRun, const QJsonObject &commandByCommand)
{
    std::string text;
    QStringList keys = oneRun.keys() + commandByCommand.keys();
    keys.removeDuplicates();
    for (const QString &key : keys) {
        if (oneRun.value(key) == commandByCommand.value(key))
            continue;
        const auto shown = [&key](const QJsonObject &object) {
            return QJsonDocument(QJsonObject{{key, object.value(key)}})
                .toJson(QJsonDocument::Compact)
                .toStdString();
        };
        text +=
            "\n  one run: " + shown(oneRun) + "\n  one run per command: " + shown(commandByCommand);
    }
    return text;
}

// Refreshes drives made by `make` both ways. Before, a command that printed
// nothing but the banner was judged "unknown error" and cleared the drive's
// support; the one run is judged as a whole, and such a part is only read as
// nothing. With `emptyParts`, that difference is allowed (and counted).
void expectSameRefresh(const std::function<KZSMARTDrive()> &make, int *emptyParts = nullptr)
{
    Refreshed commandByCommand = refresh(make, false);
    const Refreshed oneRun = refresh(make, true);
    if (emptyParts && commandByCommand.json.value("smartError") == "unknown error") {
        ++*emptyParts;
        commandByCommand.json.insert("smartSupport", true);
        commandByCommand.json.insert("smartError", QJsonValue::Null);
    }
    EXPECT_EQ(differences(oneRun.json, commandByCommand.json), "");
    EXPECT_EQ(oneRun.progressSteps, commandByCommand.progressSteps);
    EXPECT_EQ(oneRun.preferences, commandByCommand.preferences);
    EXPECT_EQ(oneRun.capture, commandByCommand.capture);
    EXPECT_EQ(oneRun.capture.empty(), oneRun.json.value("driveFromFile").toBool());
}

} // namespace

TEST(OneRun, EveryForgedExampleReadsAsWithOneRunPerCommand)
{
    SKIP_WITHOUT_SMARTCTL();
    QDirIterator examples(TestSupport::sourceDir() + "/tools/twdr-forge/examples", {"*.json"});
    int compared = 0;
    while (examples.hasNext()) {
        const QString example = examples.next();
        const QString capture =
            LogTestSupport::forge(QFileInfo(example).baseName(), TestSupport::readFile(example));
        // As a saved report, and as the disk itself (a live drive).
        for (const bool disk : {false, true}) {
            SCOPED_TRACE(example.toStdString() + (disk ? " as a disk" : " as a report"));
            expectSameRefresh([&] {
                return disk ? TestSupport::diskDrive(capture)
                            : LogTestSupport::captureDrive(capture);
            });
            ++compared;
        }
    }
    EXPECT_GE(compared, 14);
}

TEST(OneRun, EveryCorpusRecordingReadsAsWithOneRunPerCommand)
{
    SKIP_WITHOUT_CORPUS();
    int compared = 0, emptyParts = 0;
    for (const char *category :
         {"ata-errorlog", "ata-failing", "ata-healthy", "nvme", "raw-captures", "usb-or-odd"}) {
        for (const QString &report : CorpusSections::reports(category)) {
            SCOPED_TRACE(report.toStdString());
            // The stand-in answers each command with its part of the
            // recording, and the one run with those parts together.
            FakeSmartctl fake({{"i", CorpusSections::output(report, "-i")},
                               {"H", CorpusSections::output(report, "-H")},
                               {"c", CorpusSections::output(report, "-c")},
                               {"A", CorpusSections::output(report, "-A")},
                               {"l-error", CorpusSections::output(report, {"-l", "error"})},
                               {"l-selftest", CorpusSections::output(report, {"-l", "selftest"})},
                               {"s-on", CorpusSections::output(report, {"-s", "on"})}});
            expectSameRefresh(
                [&] {
                    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
                    drive.setLocation("/dev/sdc");
                    drive.setSmartctlOverride(fake.program());
                    return drive;
                },
                &emptyParts);
            ++compared;
        }
    }
    EXPECT_GT(compared, 60);
    EXPECT_GT(compared - emptyParts, 30); // compared field by field without exception
}

// The calls of a refresh as the latency stand-in logs them; a disk asked to
// stay asleep is asked once, whatever it answers, and one asleep is not read.
TEST(OneRun, OneCallPerRefreshTwoAfterAnAmbiguousAnswerAndAroundSwitchingSmartOn)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString record = TestSupport::homeDir() + "/latency-calls.txt";
    KZPaths::createFolders(); // where the raw captures go
    qputenv("FAKE_LATENCY", "0");
    qputenv("FAKE_RECORD", QFile::encodeName(record));
    const QString examples = TestSupport::sourceDir() + "/tools/twdr-forge/examples/";
    struct Row
    {
        const char *what;
        QString smartctl; // what the latency stand-in runs
        QString location; // a disk, or a saved report replayed
        QStringList calls;
        const char *model;
        bool leaveAsleep;
        QString powerMode; // what the drive says after the refresh
    };
    const auto answering = [](const QByteArray &line) {
        return TestSupport::writeScript("smartctl-answer", "#!/bin/sh\nprintf '%s\\n' '" +
                                                               TestSupport::smartctlBanner + line +
                                                               "'\nexit 2\n");
    };
    const QString realSmartctl = TestSupport::realSmartctl();
    const QString healthy =
        LogTestSupport::forge("calls-healthy", TestSupport::readFile(examples + "healthy.json"));
    const QString disabled = LogTestSupport::forge(
        "calls-disabled", TestSupport::readFile(examples + "smart-disabled.json"));
    const Row rows[] = {
        {"a replayed report",
         realSmartctl,
         healthy,
         {"-r ataioctl,2 -a -"},
         "FORGE HX16000 ENTERPRISE",
         false,
         ""},
        {"S.M.A.R.T. switched off",
         realSmartctl,
         disabled,
         {"-r ataioctl,2 -a -", "-s on -", "-r ataioctl,2 -a -"},
         "FORGE DT500 HD",
         false,
         ""},
        {"an ambiguous answer",
         TestSupport::fake("fake-smartctl-ambiguous"),
         "/dev/sdx",
         {"-r ataioctl,2 -a /dev/sdx", "-T verypermissive -r ataioctl,2 -a /dev/sdx"},
         "FAKE AMBIGUOUS DISK",
         false,
         "ACTIVE"},
        {"an awake disk asked to stay asleep",
         TestSupport::fake("fake-smartctl-ambiguous"),
         "/dev/sdx",
         {"-n standby -r ataioctl,2 -a /dev/sdx",
          "-T verypermissive -n standby -r ataioctl,2 -a /dev/sdx"},
         "FAKE AMBIGUOUS DISK",
         true,
         "ACTIVE"},
        {"a disk in standby",
         answering("Device is in STANDBY mode, exit(2)"),
         "/dev/sdx",
         {"-n standby -r ataioctl,2 -a /dev/sdx"},
         "",
         true,
         "STANDBY"},
        {"a disk asleep",
         answering("Device is in SLEEP mode, exit(2)"),
         "/dev/sdx",
         {"-n standby -r ataioctl,2 -a /dev/sdx"},
         "",
         true,
         "SLEEP"},
        {"exit status 2 of an open failure",
         answering("Smartctl open device: /dev/sdx failed: No such device"),
         "/dev/sdx",
         {"-n standby -r ataioctl,2 -a /dev/sdx"},
         "",
         true,
         "ACTIVE"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        qputenv("FAKE_SMARTCTL", QFile::encodeName(row.smartctl));
        QFile::remove(record);
        KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
        drive.setLocation(row.location);
        drive.setDriveAsFile(row.location != "/dev/sdx");
        drive.setSmartctlOverride(TestSupport::fake("fake-smartctl-latency"));
        drive.setLeaveAsleep(row.leaveAsleep);
        QFile::remove(drive.rawCaptureFilePath());
        drive.updateInfo();
        // The stand-in's lines: start, end, process, arguments. (The
        // ambiguous stand-in behind it writes its own lines there too.)
        const QRegularExpression call("^[0-9.]+ [0-9.]+ [0-9]+ (.*)$");
        QStringList calls;
        for (const QString &line : QString::fromUtf8(TestSupport::readFile(record)).split('\n')) {
            if (const QRegularExpressionMatch match = call.match(line); match.hasMatch())
                calls.append(match.captured(1));
        }
        EXPECT_EQ(calls, row.calls);
        EXPECT_EQ(drive.driveModel().value_or(""), QString::fromLatin1(row.model));
        EXPECT_FALSE(drive.runVeryPermissive());
        // Asleep, the refresh ends with the disk's answer: no capture either.
        const bool asleep = row.powerMode == "STANDBY" || row.powerMode == "SLEEP";
        EXPECT_EQ(drive.drivePowerMode(), row.powerMode);
        EXPECT_EQ(drive.driveSleeping(), asleep);
        EXPECT_EQ(drive.driveLastRead().isValid(), !asleep);
        EXPECT_EQ(QFile::exists(drive.rawCaptureFilePath()), row.powerMode == "ACTIVE");
    }
    for (const char *name : {"FAKE_LATENCY", "FAKE_RECORD", "FAKE_SMARTCTL"})
        qunsetenv(name);
}

TEST(OneRun, TheOpenFailureCheckFindsSmartctlsOwnLineAmongWhatIsNotItsReport)
{
    const QByteArray banner = TestSupport::smartctlBanner;
    const QByteArray identityFailed = "Read Device Identity failed: scsi error unsupported field";
    const QByteArray noDevice = "Smartctl open device: /dev/sdq failed: No such device";
    const struct
    {
        const char *what;
        QByteArray printed;
        QByteArray error;
    } rows[] = {
        {"ioctl reports first",
         banner +
             "/dev/sdq [SAT]: Device open changed type from 'scsi' to 'sat'\n\n"
             "REPORT-IOCTL: Device=/dev/sdq Command=IDENTIFY DEVICE\n"
             " Input:   FR=...., SC=0x01, CMD=0xec IN\n"
             "REPORT-IOCTL: Device=/dev/sdq Command=IDENTIFY DEVICE returned -1 errno=22\n" +
             identityFailed + "\n\nA mandatory SMART command failed: exiting.\n",
         identityFailed},
        {"a replay's notes first",
         banner +
             "CHECK POWER MODE not implemented, ignoring -n option\n"
             "REPLAY-IOCTL: Warning: 3 command(s) not replayed\n" +
             noDevice + "\n",
         noDevice},
    };
    KZPaths::createFolders();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        FakeSmartctl fake({{"capture", row.printed}});
        KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
        drive.setLocation("/dev/sdq");
        drive.setSmartctlOverride(fake.program());
        drive.updateInfo();
        EXPECT_FALSE(drive.smartSupported());
        EXPECT_FALSE(drive.driveReadFailed());
        EXPECT_EQ(drive.getLastSMARTErrorMessage(), QString::fromUtf8(row.error));
        EXPECT_EQ(TestSupport::readFile(drive.rawCaptureFilePath()), row.printed);
    }
}
