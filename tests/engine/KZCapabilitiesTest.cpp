#include "CorpusSections.h"
#include "ForgedCapture.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "KZTask.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

using ForgedCapture::forge;
using ForgedCapture::replayDrive;
using TestSupport::FakeSmartctl;

namespace {

const QByteArray banner = TestSupport::smartctlBanner;

// smartctl's "-c" text with the two status bytes and polling times filled in.
QByteArray capabilitiesText(int offlineStatus, int selftestStatus, int shortMinutes = 2,
                            int longMinutes = 120, bool conveyance = true)
{
    QByteArray text = "=== START OF READ SMART DATA SECTION ===\n"
                      "General SMART Values:\n"
                      "Offline data collection status:  (0x" +
                      QByteArray::number(offlineStatus, 16).rightJustified(2, '0') +
                      ")\tOffline data collection activity\n"
                      "\t\t\t\t\twas completed without error.\n"
                      "Self-test execution status:      (" +
                      QByteArray::number(selftestStatus).rightJustified(4, ' ') +
                      ")\tThe previous self-test routine completed\n"
                      "Total time to complete Offline \n"
                      "data collection: \t\t(  600) seconds.\n"
                      "Offline data collection\n"
                      "capabilities: \t\t\t (0x7b) SMART execute Offline immediate.\n"
                      "SMART capabilities:            (0x0003)\tSaves SMART data before entering\n"
                      "Error logging capability:        (0x01)\tError logging supported.\n"
                      "\t\t\t\t\tGeneral Purpose Logging supported.\n"
                      "Short self-test routine \n"
                      "recommended polling time: \t (" +
                      QByteArray::number(shortMinutes).rightJustified(4, ' ') +
                      ") minutes.\n"
                      "Extended self-test routine\n"
                      "recommended polling time: \t (" +
                      QByteArray::number(longMinutes).rightJustified(4, ' ') + ") minutes.\n";
    if (conveyance)
        text += "Conveyance self-test routine\n"
                "recommended polling time: \t (   5) minutes.\n";
    return banner + text;
}

KZSMARTDrive fakeDrive(const FakeSmartctl &fake)
{
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation("/dev/sdc");
    drive.setSmartctlOverride(fake.program());
    return drive;
}

class Capabilities : public ::testing::Test
{
protected:
    void SetUp() override { KZPreferences::standard().registerApplicationDefaults(); }
    void TearDown() override { KZPreferences::standard().removeObjectForKey("FailedTestIsNew"); }
};

using ForgedCapabilities = Capabilities;

} // namespace

TEST_F(ForgedCapabilities, HealthyDriveReadsEveryValue)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString capture = forge("caps-healthy", R"({
        "identity": {"serial": "CAPS00000001"},
        "offlineStatus": "0x82", "selfTestStatus": "0x00", "offlineTime": 567,
        "offlineCapabilities": "0x7b", "smartCapabilities": "0x0003",
        "errorLoggingCapability": "0x01", "shortTestMinutes": 1, "longTestMinutes": 1530,
        "conveyanceTestMinutes": 2})");
    KZSMARTDrive drive = replayDrive(capture);
    drive.setDebugState(true);
    TestSupport::StderrCapture log;
    drive.updateInfo();
    EXPECT_FALSE(drive.exceptionOccurred());
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_EQ(drive.driveOfflineDataStatus(), 0x82u);
    EXPECT_EQ(drive.driveSelftestStatus(), 0);
    EXPECT_EQ(drive.driveOfflineDataCollectionTime(), 567);
    EXPECT_EQ(drive.driveDataCapabilities(), 0x7bu);
    EXPECT_EQ(drive.driveSMARTCapabilities(), 3u);
    EXPECT_EQ(drive.driveErrorLoggingCapabilities(), 1u);
    EXPECT_TRUE(drive.driveGeneralPurposeLogging());
    EXPECT_EQ(drive.driveShortSelfTestTime(), 1);
    EXPECT_EQ(drive.driveExtendedSelfTestTime(), 1530);
    EXPECT_EQ(drive.driveConveyanceSelfTestTime(), 2);

    EXPECT_TRUE(drive.driveAutoOfflineDataCollectionEnable());
    EXPECT_TRUE(drive.driveSMARTExecuteOfflineImmediate());
    EXPECT_TRUE(drive.driveAutoOfflineDataCollection());
    EXPECT_FALSE(drive.driveAbortOfflineCollection());
    EXPECT_TRUE(drive.driveOfflineSurfaceScan());
    EXPECT_TRUE(drive.driveSelfTest());
    EXPECT_TRUE(drive.driveConveyanceSelfTest());
    EXPECT_TRUE(drive.driveSelectiveSelfTest());
    EXPECT_TRUE(drive.driveAutoSavingSMARTData());
    EXPECT_TRUE(drive.driveSavesSMARTDataPowerSave());
    EXPECT_TRUE(drive.driveSMARTAutoSaveTimer());
    EXPECT_TRUE(drive.driveErrorLogging());

    EXPECT_EQ(drive.driveOfflineDataCollectionActivity(),
              QStringLiteral("was completed without error"));
    EXPECT_EQ(drive.driveSelfTestExecution(),
              QStringLiteral("The previous self-test routine completed without error or no "
                             "self-test has ever been run."));
    EXPECT_FALSE(drive.driveSelfTestExecutionInProgress());
    EXPECT_FALSE(drive.driveSelftestFail());

    const QString text = log.text();
    const QStringList debugLines = {"Parsing capabilities.",
                                    "Found offline data collection status.",
                                    "Found self-test execution status.",
                                    "Found offline data collection time.",
                                    "Found offline data collection capabilities.",
                                    "Found SMART capabilites.",
                                    "Found error logging capability.",
                                    "Found general purpose logging.",
                                    "Found short self-test time.",
                                    "Found long self-test time.",
                                    "Found conveyance self-test time.",
                                    "Done parsing capabilites."};
    qsizetype at = 0;
    for (const QString &line : debugLines) {
        const qsizetype found = text.indexOf(line, at);
        EXPECT_GE(found, 0) << line.toStdString();
        EXPECT_EQ(text.count(line), 1) << line.toStdString();
        at = qMax(at, found);
    }

    const QJsonObject json = drive.toJSON();
    EXPECT_EQ(json.value("offlineDataStatus").toInt(), 0x82);
    EXPECT_EQ(json.value("longSelftestTime").toInt(), 1530);
    EXPECT_EQ(json.value("selftestFail").toBool(), false);
}

TEST_F(ForgedCapabilities, DriveWithoutConveyanceTestsKeepsThePreviousTime)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString capture = forge("caps-noconveyance", R"({
        "offlineCapabilities": "0x1b", "offlineStatus": "0x00", "smartCapabilities": "0x0000",
        "errorLoggingCapability": "0x00"})");
    KZSMARTDrive drive = replayDrive(capture);
    drive.updateInfo();
    EXPECT_EQ(drive.driveConveyanceSelfTestTime(), 0);
    EXPECT_FALSE(drive.driveConveyanceSelfTest());
    EXPECT_FALSE(drive.driveSelectiveSelfTest());
    EXPECT_FALSE(drive.driveAutoSavingSMARTData());
    EXPECT_FALSE(drive.driveAutoOfflineDataCollectionEnable());
    EXPECT_EQ(drive.driveOfflineDataCollectionActivity(), QStringLiteral("was never started"));
    EXPECT_EQ(drive.driveShortSelfTestTime(), 2);
}

TEST_F(ForgedCapabilities, FailedSelfTestStatusAndFailedTestIsNew)
{
    SKIP_WITHOUT_SMARTCTL();
    // 0x79: read element failed, 90 % remaining.
    const QString capture = forge("caps-failedtest", R"({"identity": {"serial": "CAPS00000002"},
                                     "selfTestStatus": "0x79"})");
    KZSMARTDrive drive = replayDrive(capture);
    drive.updateInfo();
    EXPECT_EQ(drive.driveSelftestStatus(), 121);
    EXPECT_EQ(drive.driveHealth(), 2);
    EXPECT_TRUE(drive.driveSelftestFail());
    EXPECT_EQ(drive.getFailureReasonsText(), QStringList{"Failed selftest status"});
    EXPECT_EQ(drive.driveSelfTestExecution(),
              QStringLiteral("The previous self-test completed having the read element of the "
                             "test failed."));
    EXPECT_TRUE(drive.toJSON().value("selftestFail").toBool());

    // With the preference on the status byte never marks the drive.
    KZPreferences::standard().setBool("FailedTestIsNew", true);
    KZSMARTDrive quiet = replayDrive(capture);
    quiet.updateInfo();
    EXPECT_EQ(quiet.driveHealth(), 1);
    EXPECT_FALSE(quiet.driveSelftestFail());
    EXPECT_FALSE(quiet.getFailureReasonsText());

    // A drive that is failed already stays failed and gets no self-test mark.
    KZPreferences::standard().setBool("FailedTestIsNew", false);
    const QString failed = forge("caps-failedtest-failed", R"({"health": "failing",
                                                               "selfTestStatus": "0x79"})");
    KZSMARTDrive worse = replayDrive(failed);
    worse.updateInfo();
    EXPECT_EQ(worse.driveHealth(), 3);
    EXPECT_FALSE(worse.driveSelftestFail());
    // Only the health check says why.
    EXPECT_EQ(worse.getFailureReasonsText(),
              QStringList{"SMART overall-health self-assessment test failed"});
}

TEST_F(ForgedCapabilities, SelfTestInProgress)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString running = forge("caps-running", R"({"selfTestStatus": 249,
                                                      "offlineStatus": "0x83"})");
    KZSMARTDrive drive = replayDrive(running);
    drive.updateInfo();
    EXPECT_EQ(drive.driveSelftestStatus(), 249);
    EXPECT_TRUE(drive.driveSelfTestExecutionInProgress());
    EXPECT_EQ(drive.driveSelfTestExecutionRemaining(), 90);
    EXPECT_EQ(drive.driveSelfTestExecution(),
              QStringLiteral("Self-test routine in progress... 90% of test remaining."));
    EXPECT_EQ(drive.driveOfflineDataCollectionActivity(), QStringLiteral("is in progress"));
    EXPECT_TRUE(drive.driveAutoOfflineDataCollectionEnable());
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_FALSE(drive.testInProgress());

    // A test this program started is forgotten once "-c" answers again.
    const QString idle = forge("caps-idle", R"({"selfTestStatus": 0})");
    KZSMARTDrive started = replayDrive(idle);
    started.setSelfTestInProgress(true);
    EXPECT_TRUE(started.driveSelfTestExecutionInProgress());
    started.updateInfo();
    EXPECT_FALSE(started.testInProgress());
    EXPECT_FALSE(started.driveSelfTestExecutionInProgress());
}

TEST_F(Capabilities, OfflineActivityTexts)
{
    const struct
    {
        int status;
        const char *text;
        bool enabled;
    } cases[] = {
        {0x00, "was never started", false},
        {0x82, "was completed without error", true},
        {0x83, "is in progress", true},
        {0x04, "was suspended by an interrupting command from host", false},
        {0x85, "was aborted by an interrupting command from host", true},
        {0x06, "was aborted by the device with a fatal error", false},
        {0x01, "is in a Reserved state", false},
        {0x07, "is in a Reserved state", false},
        {0xbf, "is in a Reserved state", true},
        {0x45, "is in a Vendor Specific state", false},
        {0xff, "is in a Vendor Specific state", true},
    };
    FakeSmartctl fake({});
    for (const auto &c : cases) {
        fake.setAnswer("c", capabilitiesText(c.status, 0));
        KZSMARTDrive drive = fakeDrive(fake);
        drive.parseCapabilities();
        EXPECT_EQ(drive.driveOfflineDataStatus(), quint32(c.status));
        EXPECT_EQ(drive.driveOfflineDataCollectionActivity(), QString::fromLatin1(c.text))
            << c.status;
        EXPECT_EQ(drive.driveAutoOfflineDataCollectionEnable(), c.enabled) << c.status;
    }
}

TEST_F(Capabilities, SelfTestTextsAndTheFailingCodes)
{
    const char *texts[16] = {
        "The previous self-test routine completed without error or no self-test has ever been "
        "run.",
        "The self-test routine was aborted by the host.",
        "The self-test routine was interrupted by the host with a hard or soft reset.",
        "A fatal error or unknown test error occurred while the device was executing its "
        "self-test routine and the device was unable to complete the self-test routine.",
        "The previous self-test completed having a test element that failed and the test element "
        "that failed is not known.",
        "The previous self-test completed having the electrical element of the test failed.",
        "The previous self-test completed having the servo (and/or seek) element of the test "
        "failed.",
        "The previous self-test completed having the read element of the test failed.",
        "The previous self-test completed having a test element that failed and the device is "
        "suspected of having handling damage.",
        "Reserved",
        "Reserved",
        "Reserved",
        "Reserved",
        "Reserved",
        "Reserved",
        "Self-test routine in progress... 30% of test remaining.",
    };
    FakeSmartctl fake({});
    for (int code = 0; code < 16; ++code) {
        fake.setAnswer("c", capabilitiesText(0x82, code * 16 + 3));
        KZSMARTDrive drive = fakeDrive(fake);
        drive.updateInfo();
        EXPECT_EQ(drive.driveSelfTestExecution(), QString::fromLatin1(texts[code])) << code;
        const bool failing = code >= 3 && code <= 7;
        EXPECT_EQ(drive.driveSelftestFail(), failing) << code;
        EXPECT_EQ(drive.driveHealth(), failing ? 2 : 1) << code;
        EXPECT_EQ(drive.driveSelfTestExecutionInProgress(), code == 15) << code;
    }

    // Statuses beyond one byte and negative ones are reserved.
    for (int status : {256, 4095, -1, -16}) {
        fake.setAnswer("c", capabilitiesText(0x82, status));
        KZSMARTDrive drive = fakeDrive(fake);
        drive.parseCapabilities();
        EXPECT_EQ(drive.driveSelftestStatus(), status);
        EXPECT_EQ(drive.driveSelfTestExecution(), QStringLiteral("Reserved")) << status;
        EXPECT_FALSE(drive.driveSelftestFail()) << status;
    }
}

TEST_F(Capabilities, TruncatedOutputWarnsAndKeepsTheTimesFoundEarlier)
{
    FakeSmartctl fake({{"c", capabilitiesText(0x82, 0, 3, 200)}});
    KZSMARTDrive drive = fakeDrive(fake);
    drive.parseCapabilities();
    ASSERT_EQ(drive.driveShortSelfTestTime(), 3);
    ASSERT_EQ(drive.driveExtendedSelfTestTime(), 200);
    ASSERT_EQ(drive.driveConveyanceSelfTestTime(), 5);

    QByteArray truncated = capabilitiesText(0x83, 0, 9, 900);
    truncated.truncate(truncated.indexOf("Short self-test routine") + 25);
    fake.setAnswer("c", truncated);
    drive.setDebugState(true);
    TestSupport::StderrCapture log;
    drive.parseCapabilities();
    const QString text = log.text();
    EXPECT_EQ(text.count("Warning: Capabilities did not return all data. Please rescan."), 1);
    EXPECT_FALSE(text.contains("Done parsing capabilites."));
    EXPECT_EQ(drive.driveOfflineDataStatus(), 0x83u); // found before the end stays
    EXPECT_EQ(drive.driveShortSelfTestTime(), 3);
    EXPECT_EQ(drive.driveExtendedSelfTestTime(), 200);
    EXPECT_EQ(drive.driveConveyanceSelfTestTime(), 5);

    // The warning is written without debug output as well.
    drive.setDebugState(false);
    TestSupport::StderrCapture quiet;
    drive.parseCapabilities();
    EXPECT_TRUE(quiet.text().contains("Warning: Capabilities did not return all data."));
}

TEST_F(Capabilities, GeneralPurposeLoggingNeedsTheWordSupported)
{
    QByteArray text = capabilitiesText(0x82, 0);
    text.replace("General Purpose Logging supported.", "No General Purpose Logging support.");
    FakeSmartctl fake({{"c", text}});
    KZSMARTDrive drive = fakeDrive(fake);
    drive.parseCapabilities();
    EXPECT_FALSE(drive.driveGeneralPurposeLogging());
}

TEST_F(Capabilities, FailedRunChangesNothing)
{
    FakeSmartctl fake({{"c", capabilitiesText(0x82, 0, 7, 70)}});
    KZSMARTDrive drive = fakeDrive(fake);
    drive.parseCapabilities();
    drive.setSelfTestInProgress(true);
    fake.setAnswer("c", banner + "Smartctl open device: /dev/sdc failed: No such device\n");
    drive.setDebugState(true);
    TestSupport::StderrCapture log;
    drive.parseCapabilities();
    EXPECT_TRUE(log.text().contains("Error parsing capabilities."));
    EXPECT_TRUE(drive.testInProgress());
    EXPECT_EQ(drive.driveShortSelfTestTime(), 7);
    EXPECT_EQ(drive.driveOfflineDataStatus(), 0x82u);
}

TEST_F(Capabilities, UnreadableNumberIsOneFailedStepOfTheRefresh)
{
    FakeSmartctl fake(
        {{"c", banner + "Offline data collection status:  0x82 without parenthesis\n"
                        "SMART capabilities:            (0x0003)\n"},
         {"A", banner + "ID# ATTRIBUTE_NAME\n  9 Power_On_Hours 0x0032 100 100 000 Old_age "
                        "Always - 5\n"}});
    KZSMARTDrive drive = fakeDrive(fake);
    TestSupport::StderrCapture log;
    drive.updateInfo();
    EXPECT_TRUE(drive.exceptionOccurred());
    EXPECT_EQ(log.text().count("Exception occured in parseCapabilities. UnreadableText: "), 1);
    EXPECT_EQ(drive.driveSMARTCapabilities(), 0u); // the parse ended at the bad line
    EXPECT_EQ(drive.drivePowerOnHours(), 5);       // the attribute step still ran
}

namespace {
class CorpusCapabilities : public Capabilities, public ::testing::WithParamInterface<const char *>
{
};
} // namespace

TEST_P(CorpusCapabilities, EverySectionIsRead)
{
    SKIP_WITHOUT_CORPUS();
    const QStringList reports = CorpusSections::reports(QString::fromLatin1(GetParam()));
    if (reports.isEmpty())
        GTEST_SKIP() << "no reports in " << GetParam();
    for (const QString &report : reports) {
        SCOPED_TRACE(report.toStdString());
        const QByteArray output = CorpusSections::output(report, "-c");
        FakeSmartctl fake({{"c", output}});
        KZSMARTDrive drive = fakeDrive(fake);
        drive.setSelfTestInProgress(true);
        drive.parseCapabilities();

        // Only a run that gave lines forgets the test this program started.
        EXPECT_EQ(drive.testInProgress(), !drive.smartSupported());
        const std::optional<QStringList> lines = CorpusSections::lines(output);
        const QString text = lines.value_or(QStringList()).join('\n');
        const QRegularExpressionMatch status =
            QRegularExpression("Self-test execution status:\\s*\\(\\s*(\\d+)\\)").match(text);
        if (!status.hasMatch()) {
            EXPECT_EQ(drive.driveSelftestStatus(), 0);
            continue;
        }
        const int selftest = status.captured(1).toInt();
        EXPECT_EQ(drive.driveSelftestStatus(), selftest);
        const QRegularExpressionMatch offline =
            QRegularExpression("Offline data collection status:\\s*\\((0x[0-9a-f]+)\\)")
                .match(text);
        ASSERT_TRUE(offline.hasMatch());
        EXPECT_EQ(drive.driveOfflineDataStatus(), offline.captured(1).toUInt(nullptr, 16));
        for (const auto &[label, minutes] :
             {std::pair{"Short", drive.driveShortSelfTestTime()},
              std::pair{"Extended", drive.driveExtendedSelfTestTime()},
              std::pair{"Conveyance", drive.driveConveyanceSelfTestTime()}}) {
            const QRegularExpressionMatch polling =
                QRegularExpression(QString::fromLatin1(label) +
                                   " self-test routine\\s*\\nrecommended polling time:"
                                   "\\s*\\(\\s*(\\d+)\\)")
                    .match(text);
            EXPECT_EQ(minutes, polling.hasMatch() ? polling.captured(1).toInt() : 0) << label;
        }
        const QRegularExpressionMatch capabilities =
            QRegularExpression("\\ncapabilities:\\s*\\((0x[0-9a-f]+)\\)").match(text);
        EXPECT_EQ(drive.driveDataCapabilities(),
                  capabilities.hasMatch() ? capabilities.captured(1).toUInt(nullptr, 16) : 0u);
        EXPECT_EQ(drive.driveSelftestFail(), (selftest >> 4) >= 3 && (selftest >> 4) <= 7);
        EXPECT_EQ(drive.driveSelfTestExecutionInProgress(), (selftest >> 4) == 15);
        EXPECT_FALSE(drive.driveSelfTestExecution().isEmpty());
        EXPECT_FALSE(drive.driveOfflineDataCollectionActivity().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusCapabilities, CorpusSections::categories);
