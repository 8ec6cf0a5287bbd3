#include "KZSMARTDrive.h"
#include "KZPaths.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

using TestSupport::readFile;
using TestSupport::writeFile;

using TestSupport::FakeSmartctl;

namespace {

const QByteArray banner = TestSupport::smartctlBanner;

const QByteArray ataIdentity = "=== START OF INFORMATION SECTION ===\n"
                               "Model Family:     Western Digital Blue\n"
                               "Device Model:     WDC WD10EZEX-08WN4A0\n"
                               "Serial Number:    WD-WCC6Y0000001\n"
                               "Firmware Version: 01.01A01\n"
                               "User Capacity:    1,000,204,886,016 bytes [1.00 TB]\n"
                               "Sector Sizes:     512 bytes logical, 4096 bytes physical\n"
                               "Rotation Rate:    7200 rpm\n"
                               "ATA Version is:   ACS-3 T13/2161-D revision 3b\n"
                               "SATA Version is:  SATA 3.1, 6.0 Gb/s (current: 6.0 Gb/s)\n"
                               "SMART support is: Available - device has SMART capability.\n"
                               "SMART support is: Enabled\n";

const QByteArray passedHealth = "=== START OF READ SMART DATA SECTION ===\n"
                                "SMART overall-health self-assessment test result: PASSED\n";

KZSMARTDrive commandLineDrive(const FakeSmartctl &fake, const QString &location = "/dev/sdz")
{
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(location);
    drive.setSmartctlOverride(fake.program());
    return drive;
}

} // namespace

TEST(DriveErrors, OpenFailureOnTheFirstLineMarksTheDriveUnsupported)
{
    const QByteArray line = "Smartctl open device: /dev/sdz failed: No such device\n";
    // A device that cannot be opened answers every option the same way.
    QMap<QString, QByteArray> answers;
    for (const char *option : {"i", "H", "c", "A", "l-error", "l-selftest"})
        answers.insert(QString::fromLatin1(option), banner + line);
    FakeSmartctl fake(answers);
    KZSMARTDrive drive = commandLineDrive(fake);
    drive.updateInfo();
    EXPECT_FALSE(drive.smartSupported());
    EXPECT_FALSE(drive.runVeryPermissive());
    EXPECT_EQ(drive.getLastSMARTErrorMessage(), line.trimmed());
    EXPECT_FALSE(drive.driveModel());
}

TEST(DriveErrors, LinuxWordsForUnknownDevicesCountAsOpenFailures)
{
    for (const QByteArray &line :
         {QByteArray("/dev/sdz: Unable to detect device type"),
          QByteArray("/dev/sdz: Unknown USB bridge [0x152d:0x0578 (0x209)]"),
          QByteArray("Read Device Identity failed: Device Read Identity Failed: scsi error")}) {
        FakeSmartctl fake(
            {{"i", banner + line + "\nPlease specify device type with the -d option.\n"}});
        KZSMARTDrive drive = commandLineDrive(fake);
        drive.parseInfo();
        EXPECT_FALSE(drive.smartSupported()) << line.constData();
        EXPECT_EQ(drive.getLastSMARTErrorMessage(), QString::fromUtf8(line));
    }
}

TEST(DriveErrors, ShortOutputAndSyntaxErrorsAreRecorded)
{
    FakeSmartctl shortOutput({{"i", banner.left(banner.indexOf('\n') + 1)}});
    KZSMARTDrive first = commandLineDrive(shortOutput);
    first.parseInfo();
    EXPECT_FALSE(first.smartSupported());
    EXPECT_EQ(first.getLastSMARTErrorMessage(), QStringLiteral("unknown error"));

    const QByteArray syntax =
        "Smartctl open device: - failed: <stdin>(3): Syntax error: No information found";
    FakeSmartctl replayError({{"i", banner + "Some line\n" + syntax + "\n"}});
    KZSMARTDrive second = commandLineDrive(replayError);
    second.parseInfo();
    EXPECT_FALSE(second.smartSupported());
    EXPECT_EQ(second.getLastSMARTErrorMessage(), QString::fromUtf8(syntax));
}

TEST(DriveErrors, OneInvalidByteLeavesTheRestOfTheIdentity)
{
    QByteArray identity = ataIdentity;
    identity.replace("WDC WD10EZEX", "WDC WD10\xe9ZEX");
    FakeSmartctl fake({{"i", banner + identity}});
    KZSMARTDrive drive = commandLineDrive(fake);
    drive.parseInfo();
    EXPECT_TRUE(drive.smartSupported());
    EXPECT_FALSE(drive.driveReadFailed());
    EXPECT_EQ(drive.driveModel(), QStringLiteral("WDC WD10\uFFFDZEX-08WN4A0"));
    EXPECT_EQ(drive.driveSerialNumber(), QStringLiteral("WD-WCC6Y0000001"));
    EXPECT_EQ(drive.driveCapacity(), QStringLiteral("1.00 TB"));
}

TEST(DriveErrors, ChildKilledBySignalIsLoggedWithItsNegativeStatus)
{
    const QString program = TestSupport::writeScript("smartctl", "#!/bin/sh\necho x\nkill -9 $$\n");
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/sdz");
    drive.setSmartctlOverride(program);
    TestSupport::StderrCapture log;
    drive.parseHealth();
    EXPECT_FALSE(drive.smartSupported());
    EXPECT_TRUE(log.text().contains("smartctl returned error code: -9"));
}

TEST(DriveErrors, HangingSmartctlIsStoppedAndTheRefreshGoesOn)
{
    const QString program =
        TestSupport::writeScript("smartctl", "#!/bin/sh\necho started\nexec sleep 600\n");
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/sdz");
    drive.setSmartctlOverride(program);
    drive.setTaskTimeout(1);
    TestSupport::StderrCapture log;
    drive.parseInfo();
    EXPECT_FALSE(drive.smartSupported());
    EXPECT_TRUE(log.text().contains(program + " did not finish within 1 seconds"));
}

TEST(DriveErrors, ReadFailuresOfTheOneRunAndATimeOutEndsTheRefresh)
{
    // The refresh's run prints something that is no smartctl output, then
    // never answers, then answers.
    const QString calls = TestSupport::homeDir() + "/mixed-calls.txt";
    const QString answer = TestSupport::homeDir() + "/mixed-answer.txt";
    const QString program = TestSupport::writeScript(
        "smartctl", "#!/bin/bash\necho \"$*\" >> '" + QFile::encodeName(calls) +
                        "'\n"
                        "case $(cat '" +
                        QFile::encodeName(answer) +
                        "') in\n"
                        "  garbage) echo 'sh: 1: smartctl: Input/output error';;\n"
                        "  hang) exec sleep 600;;\n"
                        "  *) printf '%s\\n' '" +
                        banner + ataIdentity + "' '" + passedHealth +
                        "';;\n"
                        "esac\n");
    KZSMARTDrive drive = commandLineDrive(FakeSmartctl({}));
    drive.setSmartctlOverride(program);
    drive.setTaskTimeout(1);

    writeFile(answer, "garbage");
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 0); // never passed without an answer
    EXPECT_EQ(drive.driveReadFailure(), KZSMARTDrive::ReadFailure::NotSmartctl);
    const QString reason =
        "smartctl's output is not a smartctl report (it begins \"sh: 1: smartctl: Input/output "
        "error\")";
    EXPECT_EQ(drive.driveReadFailureReason(), reason);
    EXPECT_EQ(drive.getLastSMARTErrorMessage(), reason);

    // After the time-out nothing more is asked.
    QFile::remove(calls);
    writeFile(answer, "hang");
    drive.updateInfo();
    EXPECT_EQ(QString::fromUtf8(readFile(calls)), "-r ataioctl,2 -a /dev/sdz\n");
    EXPECT_EQ(drive.driveHealth(), 0);
    EXPECT_EQ(drive.driveReadFailure(), KZSMARTDrive::ReadFailure::TimedOut);
    EXPECT_EQ(drive.getLastSMARTErrorMessage(),
              QStringLiteral("smartctl did not answer within 1 s"));

    // The next refresh starts afresh.
    writeFile(answer, "report");
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_FALSE(drive.driveReadFailed());
}

TEST(DriveErrors, ProgramThatCannotStartIsLoggedAndKeptAsTheDrivesAlert)
{
    KZSMARTDrive drive;
    drive.setLocation("/dev/sdz");
    drive.setSmartctlOverride(TestSupport::homeDir() + "/missing/smartctl");
    TestSupport::StderrCapture log;
    EXPECT_FALSE(drive.runSMARTbinary(false));
    EXPECT_FALSE(drive.runSMARTbinary(false));
    // Recorded for whoever ran the drive to show, the first one kept.
    ASSERT_TRUE(drive.driveAlert());
    EXPECT_TRUE(drive.driveAlert()->startsWith("An error occurred attempting to scan"));
    EXPECT_EQ(log.text().count("Exception occured in runSMARTBinary- CannotRun"), 2);
}

TEST(VeryPermissive, AmbiguousRetryThatIsAmbiguousAgainStillCountsAsSuccess)
{
    const QByteArray ambiguous = banner + "SMART support is: Ambiguous\n";
    FakeSmartctl fake({{"i", ambiguous}});
    KZSMARTDrive drive = commandLineDrive(fake);
    drive.parseInfo();
    EXPECT_TRUE(drive.smartSupported());
    EXPECT_FALSE(drive.runVeryPermissive());
    EXPECT_EQ(fake.calls().size(), 2);
}

TEST(VeryPermissive, AmbiguousSupportIsRetriedOnceAndModeIsResetOnSuccess)
{
    FakeSmartctl fake(
        {{"i", banner + "SMART support is: Ambiguous - ATA IDENTIFY DEVICE words 82-83\n"},
         {"p-i", banner + ataIdentity}});
    KZSMARTDrive drive = commandLineDrive(fake);
    drive.parseInfo();
    EXPECT_TRUE(drive.smartSupported());
    EXPECT_FALSE(drive.runVeryPermissive());
    EXPECT_EQ(drive.driveModel(), QStringLiteral("WDC WD10EZEX-08WN4A0"));
    const QStringList calls = fake.calls();
    ASSERT_EQ(calls.size(), 2);
    EXPECT_TRUE(calls[0].startsWith("-i|/dev/sdz|"));
    EXPECT_TRUE(calls[1].startsWith("-T|verypermissive|-i|/dev/sdz|"));
}

TEST(VeryPermissive, FailedRetryKeepsPermissiveListsForLaterRuns)
{
    const QByteArray ambiguous = banner + "SMART support is: Ambiguous - words 82-83\n";
    // The retry prints too little to be judged, so it yields nothing.
    FakeSmartctl fake({{"i", ambiguous},
                       {"p-i", banner.left(banner.indexOf('\n') + 1)},
                       {"p-H", banner + passedHealth}});
    KZSMARTDrive drive = commandLineDrive(fake);
    TestSupport::StderrCapture log;
    drive.parseInfo();
    EXPECT_FALSE(drive.smartSupported());
    EXPECT_TRUE(drive.runVeryPermissive());
    EXPECT_EQ(
        drive.getLastSMARTErrorMessage(),
        QStringLiteral("smartctl returned error message: SMART support is ambiguous but SMART "
                       "cannot be enabled."));
    EXPECT_TRUE(log.text().contains("smartctl returned error message: SMART support is ambiguous "
                                    "but SMART cannot be enabled."));
    // Exactly one retry, even though the retry was ambiguous too.
    EXPECT_EQ(fake.calls().size(), 2);

    drive.parseHealth();
    EXPECT_TRUE(fake.calls().last().startsWith("-T|verypermissive|-H|/dev/sdz|"));
    EXPECT_EQ(drive.driveHealth(), 1);
}

TEST(VeryPermissive, SelfTestCommandsAndVersionRunOnlyVersionInPermissiveMode)
{
    const QByteArray ambiguous = banner + "SMART support is: Ambiguous\n";
    FakeSmartctl fake({{"i", ambiguous}, {"p-i", "\n"}});
    KZSMARTDrive drive = commandLineDrive(fake);
    drive.parseInfo();
    ASSERT_TRUE(drive.runVeryPermissive());
    for (quint64 code : {8, 9, 10, 11}) {
        drive.setArgumentCode(code);
        EXPECT_EQ(drive.argumentList(), QStringList{"-V"}) << code;
    }
    drive.setArgumentCode(KZSMARTDrive::Identity);
    EXPECT_EQ(drive.argumentList(), (QStringList{"-T", "verypermissive", "-i", "/dev/sdz"}));
}

TEST(ArgumentCodes, EveryCodeBuildsItsListForLiveAndFileDrives)
{
    KZSMARTDrive live;
    live.setLocation("/dev/sda");
    const QMap<KZSMARTDrive::ArgumentCode, QStringList> expected{
        {KZSMARTDrive::OverallHealth, {"-H", "/dev/sda"}},
        {KZSMARTDrive::Identity, {"-i", "/dev/sda"}},
        {KZSMARTDrive::Capabilities, {"-c", "/dev/sda"}},
        {KZSMARTDrive::AttributeTable, {"-A", "/dev/sda"}},
        {KZSMARTDrive::ErrorLog, {"-l", "error", "/dev/sda"}},
        {KZSMARTDrive::SelfTestLog, {"-l", "selftest", "/dev/sda"}},
        {KZSMARTDrive::SelectiveSelfTestLog, {"-l", "selective", "/dev/sda"}},
        {KZSMARTDrive::StartShortSelfTest, {"-t", "short", "/dev/sda"}},
        {KZSMARTDrive::StartExtendedSelfTest, {"-t", "long", "/dev/sda"}},
        {KZSMARTDrive::AbortSelfTest, {"-X", "/dev/sda"}},
        {KZSMARTDrive::ToolVersion, {"-V"}},
        {KZSMARTDrive::SwitchSMARTOn, {"-s", "on", "/dev/sda"}},
        {KZSMARTDrive::RawCapture, {"-r", "ataioctl,2", "-a", "/dev/sda"}},
    };
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        live.setArgumentCode(it.key());
        EXPECT_EQ(live.argumentList(), it.value()) << int(it.key());
    }
    live.setArgumentCode(99);
    EXPECT_EQ(live.argumentList(), QStringList{"-V"});

    KZSMARTDrive file;
    file.setLocation("/tmp/drive.twdr");
    file.setDriveAsFile(true);
    file.setArgumentCode(KZSMARTDrive::ErrorLog);
    EXPECT_EQ(file.argumentList(), (QStringList{"-l", "error", "-"}));
}

TEST(Refresh, FileDrivePassesDashAndTheFileOnEveryRunAndNeverCaptures)
{
    const QString capture = writeFile(TestSupport::homeDir() + "/saved/drive.twdr", "capture\n");
    const QDateTime modified = QFileInfo(capture).lastModified();
    FakeSmartctl fake({{"i", banner + ataIdentity}, {"H", banner + passedHealth}});
    KZSMARTDrive drive = commandLineDrive(fake, capture);
    drive.setDriveAsFile(true);
    int progress = 0;
    drive.setProgressHandler([&] { ++progress; });
    drive.updateInfo();
    drive.updateInfo();

    // One run per refresh, replaying the file.
    EXPECT_EQ(fake.calls(), QStringList(2, "-r|ataioctl,2|-a|-| stdin=" + capture));
    // One step per parse step and update; no capture step for a file.
    EXPECT_EQ(progress, 2 * drive.progressStepCount());
    EXPECT_EQ(progress, 2 * 6);
    EXPECT_EQ(QFileInfo(capture).lastModified(), modified);
    EXPECT_EQ(drive.driveModel(), QStringLiteral("WDC WD10EZEX-08WN4A0"));
}

TEST(Refresh, LiveDriveRunsOnceAndKeepsWhatItPrintedAsTheRawCapture)
{
    KZPaths::createFolders();
    const QByteArray ioctl =
        "REPORT-IOCTL: Device=/dev/sdq Command=IDENTIFY DEVICE\n"
        " Input:   FR=...., SC=0x01, CMD=0xec IN\n"
        "REPORT-IOCTL: Device=/dev/sdq Command=IDENTIFY DEVICE returned 0\n\n"
        "===== [IDENTIFY DEVICE] DATA START (BASE-16) =====\n"
        "000-015: 40 00 ff 3f 37 c8 10 00 00 00 00 00 3f 00 00 00 |@..?7.......?...|\n"
        "===== [IDENTIFY DEVICE] DATA END (512 Bytes) =====\n\n";
    const QByteArray report = banner + ioctl + ataIdentity + "\n" + passedHealth;
    FakeSmartctl fake({{"capture", report}});
    KZSMARTDrive drive = commandLineDrive(fake, "/dev/sdq");
    int progress = 0;
    drive.setProgressHandler([&] { ++progress; });
    drive.updateInfo();
    EXPECT_EQ(fake.calls(), QStringList{"-r|ataioctl,2|-a|/dev/sdq| stdin=/dev/null"});
    EXPECT_EQ(progress, 7);
    EXPECT_EQ(readFile(KZPaths::logFolder() + "/sdq.twdr"), report);
    // The parts are smartctl's own text: the ioctl report is not read.
    EXPECT_TRUE(drive.smartSupported());
    EXPECT_EQ(drive.driveModel(), QStringLiteral("WDC WD10EZEX-08WN4A0"));
    EXPECT_EQ(drive.driveHealth(), 1);
}

TEST(Refresh, StepExceptionsAreLoggedAndGiveOneAlertWhileLaterStepsRun)
{
    FakeSmartctl fake({{"i", banner + "Device Model:     Broken\nSerial Number:\n"},
                       {"H", banner + passedHealth}});
    KZSMARTDrive drive;
    drive.setLocation("/dev/sdz");
    drive.setSmartctlOverride(fake.program());
    drive.setDriveAsFile(false);
    TestSupport::StderrCapture log;
    drive.updateInfo();
    EXPECT_TRUE(drive.exceptionOccurred());
    EXPECT_EQ(drive.driveModel(), QStringLiteral("Broken")); // stored before the failure stays
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_EQ(drive.driveOverallHealth(), QStringLiteral("PASSED"));
    ASSERT_TRUE(drive.driveAlert());
    EXPECT_TRUE(drive.driveAlert()->contains("attempting to read some SMART data"));
    // The next refresh starts without it.
    fake.setAnswer("i", banner + ataIdentity);
    drive.updateInfo();
    EXPECT_FALSE(drive.driveAlert());
    EXPECT_TRUE(log.text().contains("Exception occured in parseInfo- UnreadableText: "));
}

TEST(Identity, ReadsEveryFieldOnceAndKeepsItAcrossRefreshes)
{
    FakeSmartctl fake({{"i", banner + ataIdentity}, {"H", banner + passedHealth}});
    KZSMARTDrive drive = commandLineDrive(fake);
    drive.updateInfo();
    EXPECT_EQ(drive.driveModelFamily(), QStringLiteral("Western Digital Blue"));
    EXPECT_EQ(drive.driveSerialNumber(), QStringLiteral("WD-WCC6Y0000001"));
    EXPECT_EQ(drive.driveFirmwareVersion(), QStringLiteral("01.01A01"));
    EXPECT_EQ(drive.driveCapacity(), QStringLiteral("1.00 TB"));
    EXPECT_EQ(drive.driveRotationRate(), QStringLiteral("7200 rpm"));
    EXPECT_EQ(drive.driveATAVersion(), QStringLiteral("3"));
    EXPECT_EQ(drive.driveSATAVersion(), QStringLiteral("SATA 3.1, 6.0 Gb/s (current: 6.0 Gb/s)"));
    EXPECT_FALSE(drive.driveIsNVMe());

    QByteArray renamed = ataIdentity;
    renamed.replace("WDC WD10EZEX-08WN4A0", "SOMETHING ELSE");
    fake.setAnswer("i", banner + renamed);
    drive.updateInfo();
    EXPECT_EQ(drive.driveModel(), QStringLiteral("WDC WD10EZEX-08WN4A0"));
}

TEST(Identity, FirstOfDeviceModelAndModelNumberWins)
{
    FakeSmartctl fake({{"i", banner + "Model Number:     FIRST\nDevice Model:     SECOND\n"}});
    KZSMARTDrive drive = commandLineDrive(fake);
    drive.parseInfo();
    EXPECT_EQ(drive.driveModel(), QStringLiteral("FIRST"));
}

TEST(Identity, NVMeDriveTakesItsCapacityFromTheControllerOrTheNamespace)
{
    const QByteArray nvme = "=== START OF INFORMATION SECTION ===\n"
                            "Model Number:                       Samsung SSD 970 EVO Plus 500GB\n"
                            "Serial Number:                      S4EVNX0N000000\n"
                            "Firmware Version:                   2B2QEXM7\n"
                            "PCI Vendor/Subsystem ID:            0x144d\n";
    FakeSmartctl total(
        {{"i", banner + nvme +
                   "Total NVM Capacity:                 500,107,862,016 [500 GB]\n"
                   "Namespace 1 Size/Capacity:          400,088,457,216 [400 GB]\n"}});
    KZSMARTDrive first = commandLineDrive(total);
    first.parseInfo();
    EXPECT_TRUE(first.driveIsNVMe());
    EXPECT_EQ(first.driveRotationRate(), QStringLiteral("NVMe SSD"));
    EXPECT_EQ(first.driveCapacity(), QStringLiteral("500 GB"));

    FakeSmartctl namespaceOnly(
        {{"i", banner + nvme + "Namespace 1 Size/Capacity:          256,060,514,304 [256 GB]\n"}});
    KZSMARTDrive second = commandLineDrive(namespaceOnly);
    second.parseInfo();
    EXPECT_EQ(second.driveCapacity(), QStringLiteral("256 GB"));

    FakeSmartctl none({{"i", banner + nvme}});
    KZSMARTDrive third = commandLineDrive(none);
    third.parseInfo();
    EXPECT_FALSE(third.driveCapacity());
}

TEST(Identity, RotationRateBeforePciVendorIsNotNVMe)
{
    FakeSmartctl fake(
        {{"i", banner + "Rotation Rate:    Solid State Device\nPCI Vendor/Subsystem ID: 0x1\n"}});
    KZSMARTDrive drive = commandLineDrive(fake);
    drive.parseInfo();
    EXPECT_FALSE(drive.driveIsNVMe());
    EXPECT_EQ(drive.driveRotationRate(), QStringLiteral("Solid State Device"));
}

TEST(Identity, SataVersionAloneAlsoGivesTheAtaVersion)
{
    FakeSmartctl fake({{"i", banner + "SATA Version is:  SATA 2.6, 3.0 Gb/s\n"}});
    KZSMARTDrive drive = commandLineDrive(fake);
    drive.parseInfo();
    EXPECT_EQ(drive.driveATAVersion(), QStringLiteral("2"));
    EXPECT_EQ(drive.driveSATAVersion(), QStringLiteral("SATA 2.6, 3.0 Gb/s"));

    FakeSmartctl unknown(
        {{"i",
          banner + "ATA Version is:   Exact ATA specification draft version not indicated\n"}});
    KZSMARTDrive other = commandLineDrive(unknown);
    other.parseInfo();
    EXPECT_EQ(other.driveATAVersion(), QStringLiteral("Unknown"));
}

TEST(Identity, EveryDisabledLineAfterTheAtaVersionSwitchesSmartOn)
{
    FakeSmartctl fake(
        {{"i", banner + ataIdentity.left(ataIdentity.indexOf("SMART support is: Enabled")) +
                   "SMART support is: Disabled\nAAM feature is:   Disabled\n"},
         {"s-on", banner + "=== START OF ENABLE/DISABLE COMMANDS SECTION ===\nSMART Enabled.\n"}});
    KZSMARTDrive drive = commandLineDrive(fake);
    drive.setDebugState(true);
    TestSupport::StderrCapture log;
    drive.parseInfo();
    const QStringList calls = fake.calls();
    EXPECT_EQ(calls.filter(QRegularExpression("^-s\\|on\\|/dev/sdz\\|")).size(), 2);
    const QString text = log.text();
    EXPECT_EQ(text.count("SMART Disabled. Reenabling..."), 2);
    EXPECT_EQ(text.count("SMART Reenabled."), 2);
    EXPECT_FALSE(text.contains("SMART cannot be reenabled."));
}

TEST(Identity, ScsiLabelsGiveTheIdentityWithTheSameRules)
{
    // SCSI and SAS devices print "Vendor:", "Product:", "Revision:" and
    // "Serial number:"; the first model line counts and a field is filled once.
    const QByteArray scsi = "=== START OF INFORMATION SECTION ===\n"
                            "Vendor:               SEAGATE\n"
                            "Product:              ST4000NM0023\n"
                            "Revision:             0004\n"
                            "Compliance:           SPC-4\n"
                            "User Capacity:        4,000,787,030,016 bytes [4.00 TB]\n"
                            "Rotation Rate:        7200 rpm\n"
                            "Serial number:        Z1Z0ABCD0000C4130001\n"
                            "Product:              SECOND PRODUCT\n"
                            "Temperature Warning:  Disabled or Not Supported\n";
    FakeSmartctl fake({{"i", banner + scsi}});
    KZSMARTDrive drive = commandLineDrive(fake);
    drive.parseInfo();
    EXPECT_EQ(drive.driveModel(), QStringLiteral("SEAGATE ST4000NM0023"));
    EXPECT_EQ(drive.driveSerialNumber(), QStringLiteral("Z1Z0ABCD0000C4130001"));
    EXPECT_EQ(drive.driveFirmwareVersion(), QStringLiteral("0004"));
    EXPECT_EQ(drive.driveCapacity(), QStringLiteral("4.00 TB"));
    EXPECT_EQ(drive.driveRotationRate(), QStringLiteral("7200 rpm"));
    EXPECT_FALSE(drive.driveIsNVMe());
    // No "-s on" run: "Disabled" only counts after an ATA version line.
    EXPECT_EQ(fake.calls().size(), 1);

    QByteArray renamed = scsi;
    renamed.replace("SEAGATE", "OTHER").replace("Z1Z0ABCD0000C4130001", "CHANGED");
    fake.setAnswer("i", banner + renamed);
    drive.parseInfo();
    EXPECT_EQ(drive.driveModel(), QStringLiteral("SEAGATE ST4000NM0023"));
    EXPECT_EQ(drive.driveSerialNumber(), QStringLiteral("Z1Z0ABCD0000C4130001"));

    // An ATA model line before a product line is the model.
    FakeSmartctl mixed({{"i", banner + "Device Model:     ATA FIRST\nVendor: V\nProduct: P\n"}});
    KZSMARTDrive ata = commandLineDrive(mixed);
    ata.parseInfo();
    EXPECT_EQ(ata.driveModel(), QStringLiteral("ATA FIRST"));
}

TEST(Health, ReadsTheVerdictFromTheResultLine)
{
    struct Case
    {
        QByteArray output;
        int health;
        QString overallHealth;
    };
    const QString healthFailed = QStringLiteral("SMART overall-health self-assessment test failed");
    const Case cases[] = {
        {banner + passedHealth, 1, "PASSED"},
        {banner + "=== START OF READ SMART DATA SECTION ===\n"
                  "SMART overall-health self-assessment test result: FAILED!\n"
                  "Drive failure expected in less than 24 hours. SAVE ALL DATA.\n",
         3, "FAILED!"},
        // SCSI and SAS devices: "OK", or anything else for a failure prediction.
        {banner + "=== START OF READ SMART DATA SECTION ===\nSMART Health Status: OK\n", 1, "OK"},
        {banner + "=== START OF READ SMART DATA SECTION ===\n"
                  "SMART Health Status: FAILURE PREDICTION THRESHOLD EXCEEDED [asc=5d, ascq=0]\n",
         3, "FAILURE PREDICTION THRESHOLD EXCEEDED [asc=5d, ascq=0]"},
        {banner + "=== START OF READ SMART DATA SECTION ===\n"
                  "SMART overall-health self-assessment test result: UNKNOWN\n",
         0, "UNKNOWN"},
        // The result on index 2 is never looked at.
        {banner + "SMART overall-health self-assessment test result: PASSED\nsomething\n", 0,
         QString()},
        {banner + "SMART Health Status: OK\nsomething\n", 0, QString()},
        {banner + "only one line\n", 0, QString()},
    };
    for (const Case &c : cases) {
        FakeSmartctl fake({{"H", c.output}});
        KZSMARTDrive drive = commandLineDrive(fake);
        drive.updateInfo();
        EXPECT_EQ(drive.driveHealth(), c.health) << c.output.constData();
        EXPECT_EQ(drive.driveOverallHealth().value_or(QString()), c.overallHealth);
        // A drive that only the health check judged failed says why, once
        // however often it is refreshed.
        drive.updateInfo();
        EXPECT_EQ(drive.failureReasons().value_or(QStringList()),
                  c.health == 3 ? QStringList{healthFailed} : QStringList())
            << c.output.constData();
    }
}

TEST(ToolVersion, ReadsTheVersionFromTheBanner)
{
    FakeSmartctl modern({{"V", banner + "smartctl comes with ABSOLUTELY NO WARRANTY.\n"}});
    KZSMARTDrive drive = commandLineDrive(modern);
    EXPECT_EQ(drive.smartctlVersion(), QStringLiteral("7.3"));

    FakeSmartctl older({{"V", "smartctl 6.2 2013-07-26 r3841\nCopyright\n\nmore\n"}});
    EXPECT_EQ(commandLineDrive(older).smartctlVersion(), QStringLiteral("6.2"));

    FakeSmartctl word({{"V", "smartctl version 5.43 [x86]\nCopyright\n\nmore\n"}});
    EXPECT_EQ(commandLineDrive(word).smartctlVersion(), QStringLiteral("5.43"));

    FakeSmartctl empty({});
    EXPECT_EQ(commandLineDrive(empty).smartctlVersion(), QStringLiteral("unknown"));
}

TEST(FreeOptions, TypedWordsAreSplitAtBlanksAndGetTheDeviceAppended)
{
    FakeSmartctl fake({{"other", banner + "done\n"}});
    KZSMARTDrive drive = commandLineDrive(fake, "/dev/sdy");
    TestSupport::StderrCapture log;
    drive.runOptions("  --xall    -d sat  ");
    EXPECT_TRUE(fake.calls().last().startsWith("--xall|-d|sat|/dev/sdy|"));
    EXPECT_TRUE(log.text().contains("\"done\""));
}
