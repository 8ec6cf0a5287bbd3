// Whole refreshes against the real smartctl replaying forged captures, and
// against real outputs of real drives answered section by section.
#include "KZSMARTDrive.h"
#include "KZTask.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>

namespace {

KZSMARTDrive replayDrive(const QString &capture)
{
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(capture);
    drive.setDriveAsFile(true);
    drive.setSmartctlOverride(TestSupport::realSmartctl());
    return drive;
}

// Drives answered from a real report by the corpus stand-in.
KZSMARTDrive corpusDrive(const QString &report)
{
    qputenv("FAKE_SMARTCTL_REPORT", QFile::encodeName(report));
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(QStringLiteral("/dev/sdc"));
    drive.setSmartctlOverride(TestSupport::fake(QStringLiteral("fake-smartctl-corpus")));
    return drive;
}

// The value of the first line of a report holding the label, as the report prints it.
QString reportValue(const QString &report, const QString &label)
{
    const QString text = QString::fromUtf8(TestSupport::readFile(report));
    const QRegularExpression pattern(
        QStringLiteral("^\\s*%1:\\s+(.*?)\\s*$").arg(QRegularExpression::escape(label)),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? match.captured(1) : QString();
}

QStringList corpusReports(const char *category)
{
    QStringList reports;
    QDirIterator it(TestSupport::corpusDir() + QLatin1Char('/') + QLatin1String(category),
                    {"*.txt"}, QDir::Files);
    while (it.hasNext())
        reports << it.next();
    reports.sort();
    return reports;
}

} // namespace

TEST(ForgedReplay, HealthyDriveGivesItsIdentityAndPassedHealth)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString capture = TestSupport::forge(R"({
        "identity": {"model": "FORGED DISK 2000", "serial": "FRG-0001", "firmware": "FW1.23",
                     "sectors": 3907029168, "rotationRate": 5400, "ataMajor": 8, "sataVersion": "3.1"},
        "health": "passed"})");
    ASSERT_FALSE(capture.isEmpty());
    KZSMARTDrive drive = replayDrive(capture);
    drive.updateInfo();
    EXPECT_TRUE(drive.smartSupported());
    EXPECT_FALSE(drive.exceptionOccurred());
    EXPECT_EQ(drive.driveModel(), QStringLiteral("FORGED DISK 2000"));
    EXPECT_EQ(drive.driveSerialNumber(), QStringLiteral("FRG-0001"));
    EXPECT_EQ(drive.driveFirmwareVersion(), QStringLiteral("FW1.23"));
    EXPECT_EQ(drive.driveCapacity(), QStringLiteral("2.00 TB"));
    EXPECT_EQ(drive.driveRotationRate(), QStringLiteral("5400 rpm"));
    EXPECT_EQ(drive.driveATAVersion(), QStringLiteral("8"));
    EXPECT_TRUE(drive.driveSATAVersion()->startsWith("SATA 3.1"));
    EXPECT_FALSE(drive.driveIsNVMe());
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_EQ(drive.driveOverallHealth(), QStringLiteral("PASSED"));
}

TEST(ForgedReplay, FailingHealthIsFailed)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString capture = TestSupport::forge(R"({"identity": {"model": "DYING DISK"},
                                                   "health": "failing"})");
    ASSERT_FALSE(capture.isEmpty());
    KZSMARTDrive drive = replayDrive(capture);
    drive.updateInfo();
    EXPECT_TRUE(drive.smartSupported());
    EXPECT_EQ(drive.driveHealth(), 3);
    EXPECT_TRUE(drive.driveOverallHealth()->startsWith("FAILED"));
}

TEST(ForgedReplay, SmartSwitchedOffIsSwitchedOnAgain)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString capture = TestSupport::forge(R"({"identity": {"model": "QUIET DISK"},
                                                   "smartEnabled": false})");
    ASSERT_FALSE(capture.isEmpty());
    KZSMARTDrive drive = replayDrive(capture);
    drive.setDebugState(true);
    TestSupport::StderrCapture log;
    drive.parseInfo();
    const QString text = log.text();
    EXPECT_EQ(drive.driveModel(), QStringLiteral("QUIET DISK"));
    EXPECT_TRUE(text.contains("SMART Disabled. Reenabling..."));
    EXPECT_TRUE(text.contains("SMART Reenabled."));
    EXPECT_FALSE(text.contains("SMART cannot be reenabled."));
}

TEST(ForgedReplay, TextThatIsNoCaptureIsASyntaxError)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString notACapture =
        TestSupport::writeFile(TestSupport::homeDir() + "/notes.twdr", "just some notes\n");
    KZSMARTDrive drive = replayDrive(notACapture);
    drive.updateInfo();
    EXPECT_FALSE(drive.smartSupported());
    ASSERT_TRUE(drive.getLastSMARTErrorMessage());
    EXPECT_TRUE(drive.getLastSMARTErrorMessage()->contains("Syntax error: No information found"));
    EXPECT_FALSE(drive.driveModel());
}

TEST(ForgedReplay, FullCaptureOfAForgedDriveReplaysTheSame)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString blocks =
        TestSupport::forge(R"({"identity": {"model": "ROUND TRIP", "serial": "RT1"}})");
    ASSERT_FALSE(blocks.isEmpty());
    // Re-capture the forged blocks as a drive refresh would capture a device.
    KZTask task;
    const QString full = TestSupport::homeDir() + "/full-capture.twdr";
    task.setReadFromFilePath(blocks);
    task.setRawDataPath(full);
    task.parseCommandLine(TestSupport::realSmartctl(), QStringList{"-r", "ataioctl,2", "-a", "-"});
    KZSMARTDrive drive = replayDrive(full);
    drive.updateInfo();
    EXPECT_EQ(drive.driveModel(), QStringLiteral("ROUND TRIP"));
    EXPECT_EQ(drive.driveSerialNumber(), QStringLiteral("RT1"));
    EXPECT_EQ(drive.driveHealth(), 1);
}

TEST(CorpusReplay, AtaIdentityMatchesEveryReport)
{
    SKIP_WITHOUT_CORPUS();
    int checked = 0;
    for (const char *category : {"ata-healthy", "ata-failing", "ata-errorlog"}) {
        for (const QString &report : corpusReports(category)) {
            const QString model = reportValue(report, "Device Model");
            if (model.isEmpty())
                continue;
            SCOPED_TRACE(report.toStdString());
            KZSMARTDrive drive = corpusDrive(report);
            drive.updateInfo();
            // Values keep what the line holds after the label, trailing blanks included.
            EXPECT_EQ(drive.driveModel().value_or(QString()).trimmed(), model);
            EXPECT_EQ(drive.driveSerialNumber().value_or(QString()).trimmed(),
                      reportValue(report, "Serial Number"));
            EXPECT_EQ(drive.driveFirmwareVersion().value_or(QString()).trimmed(),
                      reportValue(report, "Firmware Version"));
            const QString capacity = reportValue(report, "User Capacity");
            if (!capacity.isEmpty()) {
                EXPECT_TRUE(capacity.endsWith("[" + drive.driveCapacity().value_or("?") + "]"));
            }
            EXPECT_FALSE(drive.driveIsNVMe());
            const QString verdict =
                reportValue(report, "SMART overall-health self-assessment test result");
            if (verdict.startsWith("PASSED")) {
                // Attributes and logs may still make a passing drive failing.
                EXPECT_TRUE(drive.driveHealth() == 1 || drive.driveHealth() == 2);
            } else if (verdict.startsWith("FAILED")) {
                EXPECT_EQ(drive.driveHealth(), 3);
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);
}

TEST(CorpusReplay, NVMeIdentityMatchesEveryReport)
{
    SKIP_WITHOUT_CORPUS();
    int checked = 0;
    for (const QString &report : corpusReports("nvme")) {
        const QString model = reportValue(report, "Model Number");
        if (model.isEmpty() || reportValue(report, "PCI Vendor/Subsystem ID").isEmpty())
            continue;
        SCOPED_TRACE(report.toStdString());
        KZSMARTDrive drive = corpusDrive(report);
        drive.updateInfo();
        EXPECT_TRUE(drive.driveIsNVMe());
        EXPECT_EQ(drive.driveModel(), model);
        EXPECT_EQ(drive.driveRotationRate(), QStringLiteral("NVMe SSD"));
        const QString total = reportValue(report, "Total NVM Capacity");
        const QString firstNamespace = reportValue(report, "Namespace 1 Size/Capacity");
        const QString sized = total.contains('[') ? total : firstNamespace;
        if (sized.contains('[')) {
            EXPECT_TRUE(sized.endsWith("[" + drive.driveCapacity().value_or("?") + "]"));
        }
        ++checked;
    }
    EXPECT_GT(checked, 5);
}

TEST(CorpusReplay, EveryReportRefreshesWithoutACrash)
{
    SKIP_WITHOUT_CORPUS();
    int refreshed = 0;
    for (const char *category :
         {"ata-healthy", "ata-failing", "ata-errorlog", "nvme", "usb-or-odd", "raw-captures"}) {
        for (const QString &report : corpusReports(category)) {
            SCOPED_TRACE(report.toStdString());
            KZSMARTDrive drive = corpusDrive(report);
            TestSupport::StderrCapture log; // keep the expected error lines out of the test output
            drive.updateInfo();
            const QJsonObject json = drive.toJSON();
            EXPECT_EQ(json.value("location").toString(), "/dev/sdc");
            ++refreshed;
        }
    }
    EXPECT_GT(refreshed, 60);
}

TEST(CorpusReplay, UsbReportsThatCannotBeOpenedAreUnsupported)
{
    SKIP_WITHOUT_CORPUS();
    const QString report = TestSupport::corpusFile(
        "usb-or-odd/forum_72_SeagateExpansion-UAS_read-identity-failed.txt");
    if (report.isEmpty())
        GTEST_SKIP() << "report not in the corpus";
    KZSMARTDrive drive = corpusDrive(report);
    drive.updateInfo();
    EXPECT_FALSE(drive.smartSupported());
    EXPECT_TRUE(drive.getLastSMARTErrorMessage().has_value());
}

TEST(CorpusReplay, NVMeAndScsiRecordingsReadWhole)
{
    SKIP_WITHOUT_CORPUS();
    const QString healthFailed = QStringLiteral("SMART overall-health self-assessment test failed");
    // Counts read from the recordings with grep and awk: table rows below the
    // "Error Information (NVMe Log 0x01" and "Self-test Log (NVMe Log 0x06"
    // headings, the ErrCount of the newest row, the verdict of "-H".
    struct Recording
    {
        const char *file;
        int health;
        int errors;
        int errorCount;
        const char *firstError;
        int selfTests;
        int firstTestHours;
    };
    const Recording recordings[] = {
        {"nvme/ed_nvme_970EVOPlus_cw0x0d.txt", 3, 0, 0, nullptr, 0, 0},
        // 2,905 errors, all answers to the host's probing: shown, not judged.
        {"nvme/ed_nvme_MZVLW256_74_errlog-selftestlog.txt", 1, 16, 2905, "Invalid Field in Command",
         0, 0},
        {"nvme/ed_nvme_PM1725_cw0x04-media2137.txt", 3, 0, 0, nullptr, 0, 0},
        {"nvme/ed_nvme_PM1725b_74_selftest.txt", 1, 0, 0, nullptr, 2, 16682},
        {"nvme/ed_nvme_SSDPEDMW400G4_cw0x08-70.txt", 3, 0, 0, nullptr, 0, 0},
        {"nvme/ed_nvme_THNSN5512_cw0x01-spare-below-threshold.txt", 3, 0, 0, nullptr, 0, 0},
        {"nvme/ed_nvme_TS512GMTE220S_cw0x09-FAILED-media75664.txt", 3, 0, 0, nullptr, 0, 0},
        {"nvme/glouton_72_KXG50ZNV512G.txt", 1, 0, 0, nullptr, 0, 0},
        {"nvme/glouton_74_darwin_APPLE-AP0512R.txt", 1, 0, 0, nullptr, 0, 0},
        {"nvme/pve_66_nvme_HA_NSIDffffffff.txt", 1, 0, 0, nullptr, 0, 0},
        {"nvme/pysmart_66_WDS100T2B0C_nvme-whitespace-collapsed.txt", 1, 0, 0, nullptr, 0, 0},
        {"nvme/pysmart_72_970EVOPlus_pve.txt", 1, 0, 0, nullptr, 0, 0},
        {"nvme/pysmart_73_win_NetacNVMe.txt", 1, 0, 0, nullptr, 0, 0},
        {"nvme/pysmart_74_darwin_APPLE-AP0512Z_getlogpage-failed.txt", 1, 0, 0, nullptr, 0, 0},
        {"nvme/pysmart_75_TSC3AN1T0.txt", 1, 0, 0, nullptr, 0, 0},
        // smartctl before 7.4 prints no message: the status 0xc005 is decoded.
        {"nvme/pysmart_pre74_KBG30ZMV256G.txt", 1, 1, 2597, "Invalid Field in Command", 1, 8737},
        {"usb-or-odd/pysmart_75_sntasmedia_SamsungT7-usb-nvme.txt", 1, 0, 0, nullptr, 0, 0},
        // SCSI and SAS devices. Only the HPE volume reports a health status;
        // the others give no answer to "-H", so the refresh's 1 stays.
        {"usb-or-odd/glouton_71_HPE-LOGICAL-VOLUME_health-OK.txt", 1, 0, 0, nullptr, 0, 0},
        {"usb-or-odd/glouton_71_DellVirtualDisk_unavailable.txt", 1, 0, 0, nullptr, 0, 0},
        {"usb-or-odd/glouton_73_HP-P410i_unavailable.txt", 1, 0, 0, nullptr, 0, 0},
        {"usb-or-odd/pysmart_73_MR9361_unavailable-with-cmdline.txt", 1, 0, 0, nullptr, 0, 0},
        {"usb-or-odd/lide_73_IOMEGA-ZIP100_i_unavailable.txt", 1, 0, 0, nullptr, 0, 0},
    };
    for (const Recording &want : recordings) {
        const QString report = TestSupport::corpusFile(QString::fromLatin1(want.file));
        if (report.isEmpty()) {
            ADD_FAILURE() << want.file << " is missing from the corpus";
            continue;
        }
        SCOPED_TRACE(want.file);
        KZSMARTDrive drive = corpusDrive(report);
        TestSupport::StderrCapture log; // sections the recording lacks log short outputs
        drive.updateInfo();

        const QString vendor = reportValue(report, "Vendor");
        const bool scsi = !vendor.isEmpty();
        const QString model = scsi ? vendor + ' ' + reportValue(report, "Product")
                                   : reportValue(report, "Model Number");
        const QString serial = reportValue(report, scsi ? "Serial number" : "Serial Number");
        // Values keep what the line holds after the label (a carriage return too).
        EXPECT_EQ(drive.driveModel().value_or(QString()).trimmed(), model);
        EXPECT_EQ(drive.driveSerialNumber().value_or(QString()).trimmed(), serial);
        const QString capacity = reportValue(report, "User Capacity");
        if (scsi && !capacity.isEmpty()) {
            EXPECT_TRUE(capacity.endsWith("[" + drive.driveCapacity().value_or("?") + "]"));
        }
        if (scsi) {
            EXPECT_EQ(drive.driveFirmwareVersion().value_or(QString()).trimmed(),
                      reportValue(report, "Revision"));
        }
        EXPECT_EQ(drive.driveIsNVMe(), !scsi && !model.isEmpty());

        EXPECT_EQ(drive.driveHealth(), want.health);
        EXPECT_EQ(drive.failureReasons().value_or(QStringList()),
                  want.health == 3 ? QStringList{healthFailed} : QStringList());

        const QList<KZSMARTErrorLog> errors =
            drive.driveErrorLogEntries().value_or(QList<KZSMARTErrorLog>());
        ASSERT_EQ(errors.size(), want.errors);
        EXPECT_EQ(drive.driveTotalErrors(), want.errorCount);
        EXPECT_FALSE(drive.driveErrorsFail());
        if (want.firstError) {
            EXPECT_TRUE(errors.first().isNVMe());
            EXPECT_EQ(errors.first().getNumber(), want.errorCount);
            EXPECT_EQ(drive.driveLastErrorType(), QString::fromLatin1(want.firstError));
            EXPECT_EQ(drive.driveLastErrorTime(), -1);
            // Entries are the rows newest first, one error number apart.
            for (qsizetype at = 0; at < errors.size(); ++at) {
                EXPECT_EQ(errors[at].getLogIndex(), at);
                EXPECT_EQ(errors[at].getNumber(), want.errorCount - at);
            }
        }

        EXPECT_EQ(drive.driveTestsCount(), quint64(want.selfTests));
        EXPECT_FALSE(drive.driveTestsFail());
        if (want.selfTests > 0) {
            const KZSMARTSelfTestLog first = *drive.driveSelfTestLog(0);
            EXPECT_EQ(first.getNumber(), 1);
            EXPECT_EQ(first.getStatus(), QStringLiteral("Completed without error"));
            EXPECT_EQ(first.getLifetime(), want.firstTestHours);
            EXPECT_EQ(first.getLBA(), -1);
        }
    }
}
