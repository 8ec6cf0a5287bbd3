#include "KZDriveCheck.h"
#include "CatalogueSupport.h"
#include "ForgedDrives.h"
#include "KZSMARTDrive.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

using TestSupport::FakeSmartctl;

namespace {

const QByteArray banner = "smartctl 7.3 2022-02-28 r5338 [x86_64-linux-6.1.0] (local build)\n"
                          "Copyright (C) 2002-22, Bruce Allen, Christian Franke, "
                          "www.smartmontools.org\n"
                          "\n";

// A drive read through identity and health only, with the given health text.
std::shared_ptr<KZSMARTDrive> drive(const QString &model, const QByteArray &result,
                                    const QString &location = "/dev/sdk")
{
    static std::vector<std::unique_ptr<FakeSmartctl>> fakes;
    fakes.push_back(std::make_unique<FakeSmartctl>(QMap<QString, QByteArray>{
        {"i", banner + "=== START OF INFORMATION SECTION ===\nDevice Model:     " + model.toUtf8() +
                  "\nSerial Number:    S-" + model.toUtf8() + "\n"},
        {"H", banner +
                  "=== START OF READ SMART DATA SECTION ===\n"
                  "SMART overall-health self-assessment test result: " +
                  result + "\n"}}));
    auto made = std::make_shared<KZSMARTDrive>(KZSMARTDrive::initForCommandLine());
    made->setLocation(location);
    made->setSmartctlOverride(fakes.back()->program());
    made->parseInfo();
    made->parseHealth();
    return made;
}

// A drive smartctl cannot read at all.
std::shared_ptr<KZSMARTDrive> unreadable(const QString &location)
{
    static std::vector<std::unique_ptr<FakeSmartctl>> fakes;
    const QByteArray failure =
        banner + "Smartctl open device: " + location.toUtf8() + " failed: No such device\n";
    fakes.push_back(
        std::make_unique<FakeSmartctl>(QMap<QString, QByteArray>{{"i", failure}, {"H", failure}}));
    auto made = std::make_shared<KZSMARTDrive>(KZSMARTDrive::initForCommandLine());
    made->setLocation(location);
    made->setSmartctlOverride(fakes.back()->program());
    made->parseInfo();
    made->parseHealth();
    return made;
}

} // namespace

TEST(DriveCheck, StatesFollowTheMergedStatusAndTheScan)
{
    using namespace KZDriveCheck;
    EXPECT_EQ(checkState(1, true), Ok);
    EXPECT_EQ(checkState(2, true), Warning);
    EXPECT_EQ(checkState(3, true), Critical);
    EXPECT_EQ(checkState(1, false), Unknown);
    EXPECT_EQ(checkState(2, false), Unknown);
    // A failed drive stays critical even when other drives may be missing.
    EXPECT_EQ(checkState(3, false), Critical);
    EXPECT_EQ(stateWord(Ok), "OK");
    EXPECT_EQ(stateWord(Warning), "WARNING");
    EXPECT_EQ(stateWord(Critical), "CRITICAL");
    EXPECT_EQ(stateWord(Unknown), "UNKNOWN");
}

TEST(DriveCheck, SummaryCountsDrivesByStatus)
{
    const KZDriveList none;
    EXPECT_EQ(KZDriveCheck::summaryLine(none, true), "TARNWELL OK - NO DRIVES");
    EXPECT_EQ(KZDriveCheck::summaryLine(none, false),
              "TARNWELL UNKNOWN - drive scan failed; NO DRIVES");

    const KZDriveList one{drive("DISK A", "PASSED")};
    EXPECT_EQ(KZDriveCheck::summaryLine(one, true), "TARNWELL OK - 1 drive: 1 PASSED");

    const KZDriveList mixed{drive("DISK A", "PASSED"), drive("DISK B", "FAILED!"),
                            drive("DISK C", "PASSED"), drive("DISK D", "???"),
                            unreadable("/dev/sdq")};
    EXPECT_EQ(KZDriveCheck::summaryLine(mixed, true),
              "TARNWELL CRITICAL - 5 drives: 1 FAILED, 1 UNKNOWN, 1 UNSUPPORTED, 2 PASSED");
    EXPECT_EQ(KZDriveCheck::summaryLine(mixed, false),
              "TARNWELL CRITICAL - drive scan failed; 5 drives: 1 FAILED, 1 UNKNOWN, 1 "
              "UNSUPPORTED, 2 PASSED");
    EXPECT_EQ(KZDriveCheck::summaryLine({drive("DISK A", "PASSED")}, false),
              "TARNWELL UNKNOWN - drive scan failed; 1 drive: 1 PASSED");
}

TEST(DriveCheck, DriveLinesShowNameStatusAndReasons)
{
    auto failing = drive("DISK F", "FAILED!");
    failing->addPartitionName("Home");
    failing->addPartitionName("Data");
    failing->addFailureReasonsString("Reallocated bad sector status is failed");
    failing->addFailureReasonsString("Attribute 1 failed");
    EXPECT_EQ(KZDriveCheck::driveLines(*failing),
              QStringList({"DISK F with partitions Home, and Data  [FAILED]",
                           "  Reallocated bad sector status is failed", "  Attribute 1 failed"}));
    EXPECT_EQ(KZDriveCheck::driveLines(*unreadable("/dev/sdq")),
              QStringList({"sdq  [UNSUPPORTED]"}));

    const KZDriveList drives{drive("DISK A", "PASSED"), failing};
    EXPECT_EQ(KZDriveCheck::textReport(drives, true),
              "TARNWELL CRITICAL - 2 drives: 1 FAILED, 1 PASSED\n"
              "DISK A  [PASSED]\n"
              "DISK F with partitions Home, and Data  [FAILED]\n"
              "  Reallocated bad sector status is failed\n"
              "  Attribute 1 failed\n");
}

TEST(DriveCheck, JsonHoldsTheVerdictAndEveryDrive)
{
    auto passed = drive("DISK A", "PASSED");
    passed->addPartitionName("Home");
    const QJsonObject report = KZDriveCheck::jsonReport({passed, drive("DISK B", "FAILED!")}, true);
    EXPECT_EQ(report.value("state").toString(), "CRITICAL");
    EXPECT_EQ(report.value("exitStatus").toInt(), 2);
    EXPECT_EQ(report.value("mergedStatus").toInt(), 3);
    EXPECT_TRUE(report.value("scanSucceeded").toBool());
    EXPECT_EQ(report.value("summary").toString(),
              "TARNWELL CRITICAL - 2 drives: 1 FAILED, 1 PASSED");
    const QJsonArray drives = report.value("drives").toArray();
    ASSERT_EQ(drives.size(), 2);
    EXPECT_EQ(drives[0].toObject().value("status").toString(), "PASSED");
    EXPECT_EQ(drives[0].toObject().value("displayName").toString(), "Home");
    EXPECT_EQ(drives[0].toObject().value("model").toString(), "DISK A");
    EXPECT_EQ(drives[0].toObject().value("serialNumber").toString(), "S-DISK A");
    EXPECT_EQ(drives[1].toObject().value("status").toString(), "FAILED");
    EXPECT_EQ(drives[1].toObject().value("health").toInt(), 3);

    const QJsonObject empty = KZDriveCheck::jsonReport({}, false);
    EXPECT_EQ(empty.value("state").toString(), "UNKNOWN");
    EXPECT_EQ(empty.value("exitStatus").toInt(), 3);
    EXPECT_EQ(empty.value("mergedStatus").toInt(), 1);
    EXPECT_FALSE(empty.value("scanSucceeded").toBool());
    EXPECT_TRUE(empty.value("drives").toArray().isEmpty());
}

// Drives read and judged while the French catalogue is installed give byte
// for byte the JSON and the verdict lines they give in English: the drive
// keeps English values, and only windows translate what they show.
TEST(DriveCheck, JsonAndVerdictLinesStayEnglishUnderLanguageFr)
{
    using namespace ForgedDrives;
    const QString failing = TestSupport::forge(failingDrive("DISK FR", "FR000001"));
    const QString failed = TestSupport::forge(failedDrive("DISK FR2", "FR000002"));
    const QString notACapture =
        TestSupport::writeFile(TestSupport::homeDir() + "/french/not-a-capture.twdr", "Texte.\n");
    const QList<KZSkippedDisk> skipped{{"/dev/vda", "/dev/vda: Unable to detect device type"}};
    const auto check = [&] {
        const KZDriveList drives{readCapture(failing, {"Home", "Data", "Backup"}),
                                 readCapture(failed), readCapture(notACapture), unsupported()};
        // The time of each read differs between the two checks.
        return QString::fromUtf8(
                   QJsonDocument(KZDriveCheck::jsonReport(drives, true, skipped)).toJson())
                   .replace(QRegularExpression("\"lastRead\": \"[^\"]*\""), "\"lastRead\"") +
               KZDriveCheck::textReport(drives, true, skipped);
    };
    const std::string english = check().toStdString();
    EXPECT_NE(english.find("Too many reallocated bad sectors"), std::string::npos) << english;
    const TestSupport::UserLanguage french("fr");
    EXPECT_EQ(check().toStdString(), english);
}
