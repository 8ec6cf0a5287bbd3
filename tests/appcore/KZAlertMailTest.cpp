#include "KZAlertMail.h"
#include "KZSMARTDrive.h"
#include "TestSupport.h"

using namespace KZAlertMail;

namespace {

KZCheckedDrive drive(const QString &name, qint32 health, bool supported = true)
{
    return {health, supported, name, name, QStringLiteral("500 GB"), QStringLiteral("SN-") + name};
}

const KZEmailEvents allEvents{true, true, true};
const QString host = QStringLiteral("büro");

} // namespace

TEST(AlertMail, FailingAndFailedDrivesGiveBothInTheSubject)
{
    const KZCheckSummary summary =
        summarizeCheck(QList<KZCheckedDrive>{drive("A", 2), drive("B", 3)}, {false, true, true});
    EXPECT_EQ(summary.lines, (QStringList{"A: FAILING", "B: FAILED"}));
    EXPECT_EQ(summary.failingLines, 1);
    EXPECT_EQ(summary.failedLines, 1);
    EXPECT_EQ(summary.problemCount, 2);
    ASSERT_EQ(summary.records.size(), 2);
    EXPECT_EQ(summary.records.at(0).driveHealth, "FAILING");
    EXPECT_EQ(summary.records.at(1).driveHealth, "FAILED");
    EXPECT_EQ(summary.records.at(1).driveSerialNumber, QStringLiteral("SN-B"));

    const auto message = alertMessage(KZMailProgram::Application, summary, host);
    ASSERT_TRUE(message);
    EXPECT_EQ(*message, (QStringList{"Tarnwell Report (büro): FAILING AND FAILED DRIVES!",
                                     "A: FAILING\nB: FAILED\n"}));
    EXPECT_EQ(alertMessage(KZMailProgram::MenuItem, summary, host)->first(),
              "Tarnwell Menu Item Report (büro): FAILING AND FAILED DRIVES!");
}

TEST(AlertMail, SubjectCountsOnlyAddedLines)
{
    // The failing drive adds no line, so the mail about the passed drive
    // says all drives passed.
    const KZCheckSummary summary =
        summarizeCheck(QList<KZCheckedDrive>{drive("A", 1), drive("B", 2)}, {true, false, false});
    EXPECT_EQ(summary.lines, QStringList{"A: PASSED"});
    EXPECT_EQ(summary.problemCount, 1);
    EXPECT_EQ(alertMessage(KZMailProgram::Application, summary, host)->first(),
              "Tarnwell Report (büro): All drives passed.");
}

TEST(AlertMail, EachSubjectOfBothPrograms)
{
    EXPECT_EQ(alertSubject(KZMailProgram::Application, 1, 0, "h"),
              "Tarnwell Report (h): FAILING DRIVES!");
    EXPECT_EQ(alertSubject(KZMailProgram::Application, 0, 2, "h"),
              "Tarnwell Report (h): FAILED DRIVES!");
    EXPECT_EQ(alertSubject(KZMailProgram::Application, 0, 0, "h"),
              "Tarnwell Report (h): All drives passed.");
    EXPECT_EQ(alertSubject(KZMailProgram::MenuItem, 3, 0, "h"),
              "Tarnwell Menu Item Report (h): FAILING DRIVES!");
    EXPECT_EQ(alertSubject(KZMailProgram::MenuItem, 0, 1, "h"),
              "Tarnwell Menu Item Report (h): FAILED DRIVES!");
    EXPECT_EQ(alertSubject(KZMailProgram::MenuItem, 0, 0, "h"),
              "Tarnwell Menu Item Report (h): All drives passed.");
    // A host name is inserted as it is, even when it looks like a placeholder.
    EXPECT_EQ(alertSubject(KZMailProgram::Application, 0, 0, "%1 %@"),
              "Tarnwell Report (%1 %@): All drives passed.");
}

TEST(AlertMail, NoLineNoMailButTheListStillRecordsProblems)
{
    const KZCheckSummary summary =
        summarizeCheck(QList<KZCheckedDrive>{drive("A", 3)}, {false, true, false});
    EXPECT_TRUE(summary.lines.isEmpty());
    EXPECT_EQ(summary.problemCount, 1);
    EXPECT_EQ(summary.records.size(), 1);
    EXPECT_FALSE(alertMessage(KZMailProgram::Application, summary, host).has_value());
    EXPECT_FALSE(alertMessage(KZMailProgram::Application, {}, host).has_value());
}

TEST(AlertMail, OnlySupportedPassedDrivesAreMailedButEveryDriveIsWalked)
{
    const KZCheckSummary summary =
        summarizeCheck(QList<KZCheckedDrive>{drive("A", 1), drive("U", 1, false), drive("B", 1),
                                             drive("X", 0), drive("F", 3, false)},
                       allEvents);
    EXPECT_EQ(summary.lines, (QStringList{"A: PASSED", "B: PASSED", "F: FAILED"}));
    EXPECT_EQ(summary.problemCount, 1);
}

TEST(AlertMail, UndeterminedHealthAddsNothing)
{
    const KZCheckSummary summary =
        summarizeCheck(QList<KZCheckedDrive>{drive("A", 0), drive("B", 7)}, allEvents);
    EXPECT_TRUE(summary.lines.isEmpty());
    EXPECT_EQ(summary.problemCount, 0);
}

TEST(AlertMail, BothProgramsNameDrivesByTheDisplayName)
{
    // The tray program once named a drive without partitions "M with
    // partitions " with nothing after it; it now names drives as the
    // application does, in mail lines and drive list records alike.
    KZSMARTDrive disk = KZSMARTDrive::initForCommandLine();
    disk.setLocation("/dev/sdc");
    const auto name = [&disk] { return KZCheckedDrive::fromDrive(disk).displayName; };
    EXPECT_EQ(name(), "sdc");
    disk.addPartitionName("A");
    EXPECT_EQ(name(), "A");
    disk.addPartitionName("B");
    EXPECT_EQ(name(), "sdc with partitions A, and B");
    disk.addPartitionName("C");
    EXPECT_EQ(name(), "sdc with partitions A, B, and C");
}

TEST(AlertMail, TestMessage)
{
    EXPECT_EQ(testMessage("büro"),
              (QStringList{"Tarnwell Test Email (büro)",
                           "If you are reading this, the email test was successful."}));
}
