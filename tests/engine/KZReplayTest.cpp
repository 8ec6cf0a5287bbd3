// Whole refreshes against the real smartctl replaying forged captures, and
// against real outputs of real drives answered section by section.
#include "KZSMARTDrive.h"
#include "KZTask.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonObject>
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

// A private folder of compiled locales (for LOCPATH) with a German UTF-8 and
// a French Latin-1 locale, built with localedef; empty when it cannot be built.
QString privateLocales()
{
    static const QString folder = [] {
        const QString dir = TestSupport::homeDir() + QStringLiteral("/locales");
        QDir().mkpath(dir);
        const char *const locales[][3] = {{"de_DE", "UTF-8", "de_DE.UTF-8"},
                                          {"fr_FR", "ISO-8859-1", "fr_FR.ISO-8859-1"}};
        for (const auto &locale : locales) {
            const QString target = dir + QLatin1Char('/') + QLatin1String(locale[2]);
            try {
                KZTask task;
                task.parseCommandLine(QStringLiteral("/usr/bin/localedef"),
                                      QStringList{"-i", locale[0], "-f", locale[1], target});
            } catch (const std::exception &) {
                return QString();
            }
            if (!QFileInfo::exists(target + QStringLiteral("/LC_NUMERIC")))
                return QString();
        }
        return dir;
    }();
    return folder;
}

} // namespace

TEST(ForgedReplay, UserLocalesGiveTheSameValuesAsC)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString locales = privateLocales();
    if (locales.isEmpty())
        GTEST_SKIP() << "localedef cannot build de_DE.UTF-8 and fr_FR.ISO-8859-1 (Debian package "
                        "locales)";
    const QString capture = TestSupport::forge(R"({
        "identity": {"model": "FORGED LOCALE DISK", "serial": "FRGLOC0001", "firmware": "L1",
                     "sectors": 1953525168},
        "attributes": [{"id": 9, "flags": "0x0032", "value": 60, "raw": 38150},
                       {"id": 241, "flags": "0x0032", "value": 100, "raw": 123456789012}]})");
    const QByteArray savedLocale = qgetenv("LC_ALL");
    const QByteArray savedPath = qgetenv("LOCPATH");
    auto readUnder = [&](const char *locale) {
        qputenv("LOCPATH", QFile::encodeName(locales));
        qputenv("LC_ALL", locale);
        KZSMARTDrive drive = replayDrive(capture);
        drive.updateInfo();
        return drive.toJSON();
    };
    const QJsonObject inC = readUnder("C");
    for (const char *locale : {"de_DE.UTF-8", "fr_FR.ISO-8859-1"})
        EXPECT_EQ(readUnder(locale), inC) << locale;
    savedLocale.isNull() ? qunsetenv("LC_ALL") : qputenv("LC_ALL", savedLocale);
    savedPath.isNull() ? qunsetenv("LOCPATH") : qputenv("LOCPATH", savedPath);
    EXPECT_EQ(inC.value("capacity").toString(), "1.00 TB");
    EXPECT_EQ(inC.value("model").toString(), "FORGED LOCALE DISK");
}

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
