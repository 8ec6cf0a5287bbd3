#include "KZCheckCycle.h"
#include "AlertTestSupport.h"
#include "KZAlertMail.h"
#include "KZBlink1Controller.h"
#include "KZMenuItemMenu.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>

#include <future>
#include <plist/plist.h>

using AlertTestSupport::makeRecordingSender;
using KZCheckCycle::Options;
using TestSupport::FakeSmartctl;

namespace {

const QByteArray banner = TestSupport::smartctlBanner;
const QByteArray passed =
    "=== START ===\nSMART overall-health self-assessment test result: PASSED\n";
const QByteArray failed =
    "=== START ===\nSMART overall-health self-assessment test result: FAILED!\n";

// A drive read through the real engine from a smartctl stand-in.
std::unique_ptr<KZSMARTDrive> readDrive(const QByteArray &model, const QByteArray &health)
{
    static std::vector<std::unique_ptr<FakeSmartctl>> fakes;
    const QByteArray identity = "=== START OF INFORMATION SECTION ===\nDevice Model:     " + model +
                                "\nSerial Number:    SN-" + model +
                                "\nUser Capacity:    500,107,862,016 bytes [500 GB]\n";
    fakes.push_back(std::make_unique<FakeSmartctl>(
        QMap<QString, QByteArray>{{"i", banner + identity}, {"H", banner + health}}));
    auto drive = std::make_unique<KZSMARTDrive>(KZSMARTDrive::initForCommandLine());
    drive->setLocation("/dev/sdq");
    drive->setSmartctlOverride(fakes.back()->program());
    drive->parseInfo();
    drive->parseHealth();
    return drive;
}

// A drive refreshed as a scan refreshes it; a section without an answer
// holds only its heading.
std::unique_ptr<KZSMARTDrive> refreshedDrive(QMap<QString, QByteArray> answers)
{
    static std::vector<std::unique_ptr<FakeSmartctl>> fakes;
    for (const char *key : {"A", "l-error", "l-selftest"}) {
        if (!answers.contains(key))
            answers.insert(key, banner + "=== START OF READ SMART DATA SECTION ===\n");
    }
    fakes.push_back(std::make_unique<FakeSmartctl>(answers));
    auto drive = std::make_unique<KZSMARTDrive>(KZSMARTDrive::initForCommandLine());
    drive->setLocation("/dev/sdq");
    drive->setSmartctlOverride(fakes.back()->program());
    drive->updateInfo();
    return drive;
}

QByteArray identity(const QByteArray &model)
{
    return banner + "=== START OF INFORMATION SECTION ===\nDevice Model:     " + model +
           "\nSerial Number:    SN-" + model +
           "\nUser Capacity:    500,107,862,016 bytes [500 GB]\n";
}

// Failing by its self-test status byte (the read element failed).
std::unique_ptr<KZSMARTDrive> failingDrive(const QByteArray &model)
{
    return refreshedDrive(
        {{"i", identity(model)},
         {"H", banner + passed},
         {"c", banner + "=== START OF READ SMART DATA SECTION ===\nGeneral SMART Values:\n"
                        "Self-test execution status:      ( 121)\tThe previous self-test "
                        "completed having\n\t\t\t\t\tthe read element of the test failed.\n"
                        "Total time to complete Offline \ndata collection: \t\t(  600) "
                        "seconds.\n"}});
}

std::unique_ptr<KZSMARTDrive> unsupportedDrive()
{
    const QByteArray refused = banner + "Smartctl open device: /dev/sdq failed: No such device\n";
    QMap<QString, QByteArray> answers;
    for (const char *key : {"i", "H", "c", "A", "l-error", "l-selftest", "capture"})
        answers.insert(key, refused);
    return refreshedDrive(answers);
}

class CheckCycleTest : public testing::Test
{
protected:
    void SetUp() override { makePreferences(false); }

    // The tray monitor's defaults: no blink(1) keys.
    void makePreferences(bool menuItem)
    {
        static int counter = 0;
        ++counter;
        m_preferences = std::make_unique<KZPreferences>(
            TestSupport::homeDir() + QStringLiteral("/cycle-%1.conf").arg(counter));
        if (menuItem)
            m_preferences->registerMenuItemDefaults();
        else
            m_preferences->registerApplicationDefaults();
        m_preferences->setString("EmailHostName", "büro");
        m_preferences->setString("EmailFromAddress", "monitor@example.org");
        m_preferences->setString("EmailToAddress", "admin@example.org");
        m_preferences->setString("EmailSMTPAddress", "127.0.0.1");
        m_record = TestSupport::homeDir() + QStringLiteral("/cycle-blink-%1.txt").arg(counter);
        qputenv("FAKE_RECORD", QFile::encodeName(m_record));
        KZBlink1Controller::setToolPath(TestSupport::fake(QStringLiteral("fake-blink1-tool")));
        m_recorder = makeRecordingSender(
            "echo 'Dec 07 21:00:00 host sendemail[1]: Email was sent successfully!'");
        m_options.preferences = m_preferences.get();
        m_options.driveListPath =
            TestSupport::homeDir() + QStringLiteral("/cycle-%1/DrivesList.plist").arg(counter);
        m_options.mailSender.setSenderProgram(m_recorder.program);
        m_options.mailSender.setPasswordLookup(
            [](const auto &, const auto &) { return std::optional<QString>(); });
        m_options.checkTime = QDateTime(QDate(2026, 12, 7), QTime(9, 30));
        m_options.program = menuItem ? KZMailProgram::MenuItem : KZMailProgram::Application;
        if (menuItem) {
            m_options.mailSender = KZMailSender(KZMailSender::Copy::MenuItem);
            m_options.mailSender.setSenderProgram(m_recorder.program);
            m_options.mailSender.setPasswordLookup(
                [](const auto &, const auto &) { return std::optional<QString>(); });
        }
    }
    void TearDown() override
    {
        KZBlink1Controller::setToolPath({});
        qunsetenv("FAKE_RECORD");
    }

    QStringList ledCommands() const
    {
        QStringList commands;
        QStringList current;
        for (const QString &line :
             QString::fromUtf8(TestSupport::readFile(m_record)).split(QLatin1Char('\n'))) {
            if (line == QLatin1String("----")) {
                commands.append(current.join(' '));
                current.clear();
            } else if (!line.isEmpty()) {
                current.append(line);
            }
        }
        return commands;
    }

    QByteArray driveList() const { return TestSupport::readFile(m_options.driveListPath); }

    std::unique_ptr<KZPreferences> m_preferences;
    QString m_record;
    AlertTestSupport::RecordingSender m_recorder;
    Options m_options;
};

} // namespace

TEST_F(CheckCycleTest, NoDrivesIsGreenWithAnEmptyListAndNoMail)
{
    m_preferences->setBool("EmailDrivePassed", true);
    const auto result = KZCheckCycle::finishUpdate({}, m_options);
    EXPECT_EQ(result.mergedStatus, 1);
    EXPECT_EQ(result.blink1, KZBlink1Signal::Green);
    EXPECT_EQ(ledCommands().first(), "--quiet --rgb=0,255,0 --setpattline 1");
    EXPECT_EQ(ledCommands().size(), 4);
    EXPECT_TRUE(result.driveListWritten);
    EXPECT_TRUE(driveList().contains("<key>TWProblemDrivesCount</key>"));
    EXPECT_FALSE(driveList().contains("TWProblemDrives<"));
    EXPECT_FALSE(result.mail.has_value());
    EXPECT_FALSE(m_recorder.wasRun());
}

TEST_F(CheckCycleTest, FailedDriveLightsRedRecordsAndMails)
{
    m_preferences->setBool("EmailDriveFailed", true);
    const auto good = readDrive("GOOD DISK", passed);
    const auto bad = readDrive("BAD DISK", failed);
    const auto result = KZCheckCycle::finishUpdate({good.get(), bad.get()}, m_options);

    EXPECT_EQ(result.mergedStatus, 3);
    EXPECT_EQ(result.blink1, KZBlink1Signal::Red);
    EXPECT_EQ(ledCommands(), (QStringList{"--quiet --rgb=255,0,0 --setpattline 1",
                                          "--quiet --rgb=0,0,0 --setpattline 2",
                                          "--quiet --savepattern 2", "--quiet --play=1,1,2 2"}));

    EXPECT_EQ(result.checkTime, KZDriveListFile::checkTimeText(m_options.checkTime));
    const QByteArray xml = driveList();
    EXPECT_TRUE(xml.contains(result.checkTime.toUtf8()));
    EXPECT_TRUE(xml.contains("<string>BAD DISK</string>"));
    EXPECT_TRUE(xml.contains("<string>SN-BAD DISK</string>"));
    EXPECT_TRUE(xml.contains("<string>500 GB</string>"));
    EXPECT_FALSE(xml.contains("GOOD DISK"));

    ASSERT_TRUE(result.mail);
    EXPECT_EQ(*result.mail,
              (QStringList{"Tarnwell Report (büro): FAILED DRIVES!", "BAD DISK: FAILED\n"}));
    ASSERT_TRUE(result.mailResult);
    EXPECT_FALSE(result.mailResult->failed);
    const QStringList arguments = m_recorder.arguments();
    EXPECT_TRUE(arguments.contains("BAD DISK: FAILED\n"));
    EXPECT_TRUE(arguments.contains(KZMailSender::encodeSubject(result.mail->first())));
}

TEST_F(CheckCycleTest, PassedWithGreenSwitchedOffTurnsTheLedOff)
{
    m_preferences->setBool("Blink1DrivePassed", false);
    const auto good = readDrive("GOOD DISK", passed);
    const auto result = KZCheckCycle::finishUpdate({good.get()}, m_options);
    EXPECT_EQ(result.blink1, KZBlink1Signal::Off);
    EXPECT_EQ(ledCommands(), QStringList{"--quiet --off"});
}

TEST_F(CheckCycleTest, FailedWithRedSwitchedOffLeavesTheLedAlone)
{
    m_preferences->setBool("Blink1DriveFailed", false);
    const auto bad = readDrive("BAD DISK", failed);
    const auto result = KZCheckCycle::finishUpdate({bad.get()}, m_options);
    EXPECT_EQ(result.blink1, KZBlink1Signal::None);
    EXPECT_TRUE(ledCommands().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(m_record));
}

TEST_F(CheckCycleTest, NoToolNoCommand)
{
    KZBlink1Controller::setToolPath(TestSupport::homeDir() + QStringLiteral("/absent-blink1"));
    const auto bad = readDrive("BAD DISK", failed);
    TestSupport::StderrCapture capture;
    const auto result = KZCheckCycle::finishUpdate({bad.get()}, m_options);
    EXPECT_EQ(result.blink1, KZBlink1Signal::None);
    EXPECT_FALSE(capture.text().contains("blink(1)"));
    // Told explicitly that the tool is there, the decision is made again.
    KZBlink1Controller::setToolPath(TestSupport::fake(QStringLiteral("fake-blink1-tool")));
    m_options.blink1Available = false;
    EXPECT_EQ(KZCheckCycle::finishUpdate({bad.get()}, m_options).blink1, KZBlink1Signal::None);
    EXPECT_TRUE(ledCommands().isEmpty());
}

TEST_F(CheckCycleTest, LedRulesForEveryStatus)
{
    using KZCheckCycle::blink1SignalForStatus;
    EXPECT_EQ(blink1SignalForStatus(1, *m_preferences), KZBlink1Signal::Green);
    EXPECT_EQ(blink1SignalForStatus(2, *m_preferences), KZBlink1Signal::Yellow);
    EXPECT_EQ(blink1SignalForStatus(3, *m_preferences), KZBlink1Signal::Red);
    EXPECT_EQ(blink1SignalForStatus(0, *m_preferences), KZBlink1Signal::Green);
    m_preferences->setBool("Blink1DriveFailing", false);
    EXPECT_EQ(blink1SignalForStatus(2, *m_preferences), KZBlink1Signal::None);
    EXPECT_EQ(KZCheckCycle::updateBlink1(2, *m_preferences), KZBlink1Signal::None);
    EXPECT_TRUE(ledCommands().isEmpty());
    m_preferences->setBool("Blink1DriveFailing", true);
    EXPECT_EQ(KZCheckCycle::updateBlink1(2, *m_preferences), KZBlink1Signal::Yellow);
    EXPECT_EQ(ledCommands().first(), "--quiet --rgb=255,255,0 --setpattline 1");
}

TEST_F(CheckCycleTest, DetachedMailReportsWhenDone)
{
    m_preferences->setBool("EmailDrivePassed", true);
    m_options.waitForMail = false;
    std::promise<KZMailResult> done;
    m_options.mailFinished = [&done](const KZMailResult &result) { done.set_value(result); };
    const auto good = readDrive("GOOD DISK", passed);
    const auto result = KZCheckCycle::finishUpdate({good.get()}, m_options);
    ASSERT_TRUE(result.mail);
    EXPECT_EQ(result.mail->first(), "Tarnwell Report (büro): All drives passed.");
    EXPECT_FALSE(result.mailResult.has_value());
    auto future = done.get_future();
    ASSERT_EQ(future.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_FALSE(future.get().failed);
}

TEST_F(CheckCycleTest, DefaultListGoesToTheDataFolder)
{
    m_options.driveListPath.clear();
    QFile::remove(KZDriveListFile::filePath());
    EXPECT_TRUE(KZCheckCycle::finishUpdate({}, m_options).driveListWritten);
    EXPECT_TRUE(QFileInfo::exists(KZDriveListFile::filePath()));
}

TEST_F(CheckCycleTest, AlertMailReachesARealServer)
{
    SKIP_WITHOUT_SMTP();
    AlertTestSupport::SmtpServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    m_preferences->setInteger("EmailCustomPort", server.port());
    m_preferences->setBool("EmailDriveFailed", true);
    m_preferences->setBool("EmailDrivePassed", true);
    m_options.mailSender.setSenderProgram(QStringLiteral("/usr/bin/sendemail"));
    const auto good = readDrive("GOOD DISK", passed);
    const auto bad = readDrive("BAD DISK", failed);
    const auto result = KZCheckCycle::finishUpdate({good.get(), bad.get()}, m_options);
    ASSERT_TRUE(result.mailResult);
    EXPECT_FALSE(result.mailResult->failed) << result.mailResult->errorText->toStdString();
    const auto messages = server.waitForMessages(1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.first()["subject"].toString(), "Tarnwell Report (büro): FAILED DRIVES!");
    EXPECT_EQ(messages.first()["body"].toString().trimmed(), "GOOD DISK: PASSED\nBAD DISK: FAILED");
}

// ---- one set of rules for both programs ----

TEST_F(CheckCycleTest, BothProgramsJudgeLightAndRecordEveryListTheSame)
{
    // Whatever the order, a drive without S.M.A.R.T. data neither ends the
    // walk nor counts, an unread drive is never healthy, and the LED shows
    // the merged status, not the last drive.
    const auto good = readDrive("GOOD DISK", passed);
    const auto bad = readDrive("BAD DISK", failed);
    const auto slow = failingDrive("SLOW DISK");
    const auto unknown = readDrive("ODD DISK", "=== START ===\nno verdict here\n");
    const auto unsupported = unsupportedDrive();
    auto unread = std::make_unique<KZSMARTDrive>(KZSMARTDrive::initForCommandLine());
    unread->setLocation("/dev/sdr");
    unread->setSmartctlOverride("/nonexistent/smartctl");
    unread->updateInfo();
    ASSERT_TRUE(unread->driveReadFailed());
    ASSERT_TRUE(KZCheckCycle::isUnsupported(*unsupported));
    ASSERT_EQ(slow->driveHealth(), 2);

    using Drives = QList<const KZSMARTDrive *>;
    const struct Case
    {
        const char *name;
        Drives drives;
        int merged;
        KZBlink1Signal led;
        QStringList lines;    // with every "EmailDrive…" event on
        QStringList recorded; // the drives in the drive list file
    } cases[] = {
        {"unsupported between",
         {good.get(), unsupported.get(), bad.get()},
         3,
         KZBlink1Signal::Red,
         {"GOOD DISK: PASSED", "BAD DISK: FAILED"},
         {"BAD DISK"}},
        {"unsupported first",
         {unsupported.get(), good.get()},
         1,
         KZBlink1Signal::Green,
         {"GOOD DISK: PASSED"},
         {}},
        {"failed before passed",
         {bad.get(), good.get()},
         3,
         KZBlink1Signal::Red,
         {"BAD DISK: FAILED", "GOOD DISK: PASSED"},
         {"BAD DISK"}},
        {"failed before failing",
         {bad.get(), slow.get()},
         3,
         KZBlink1Signal::Red,
         {"BAD DISK: FAILED", "SLOW DISK: FAILING"},
         {"BAD DISK", "SLOW DISK"}},
        {"unread before failed",
         {unread.get(), bad.get()},
         3,
         KZBlink1Signal::Red,
         {"BAD DISK: FAILED"},
         {"BAD DISK"}},
        {"unread and passed",
         {good.get(), unread.get()},
         2,
         KZBlink1Signal::Yellow,
         {"GOOD DISK: PASSED"},
         {}},
        {"no verdict",
         {unknown.get(), good.get()},
         2,
         KZBlink1Signal::Yellow,
         {"GOOD DISK: PASSED"},
         {}},
    };
    for (const Case &test : cases) {
        for (const bool menuItem : {false, true}) {
            SCOPED_TRACE(std::string(test.name) + (menuItem ? " (tray)" : " (application)"));
            makePreferences(menuItem);
            for (const char *key : {"EmailDrivePassed", "EmailDriveFailing", "EmailDriveFailed",
                                    "Blink1DrivePassed", "Blink1DriveFailing", "Blink1DriveFailed"})
                m_preferences->setBool(key, true);
            m_preferences->setBool("Blink1DrivePassed", false); // green off: never "off" on red
            const auto result = KZCheckCycle::finishUpdate(test.drives, m_options);
            EXPECT_EQ(result.mergedStatus, test.merged);
            EXPECT_EQ(result.blink1,
                      test.led == KZBlink1Signal::Green ? KZBlink1Signal::Off : test.led);
            ASSERT_TRUE(result.mail);
            EXPECT_EQ(result.mail->at(1), test.lines.join('\n') + '\n');
            EXPECT_EQ(result.mail->first().startsWith("Tarnwell Menu Item Report"), menuItem);
            QStringList recorded;
            for (const KZProblemDriveRecord &record : result.summary.records)
                recorded.append(record.driveNames.value_or(QString()));
            EXPECT_EQ(recorded, test.recorded);
        }
    }
    // The tray menu lists the drive without S.M.A.R.T. data with its own line.
    KZMenuItemMenu menu;
    KZMenuItemSnapshot snapshot;
    for (const KZSMARTDrive *drive : cases[0].drives)
        snapshot.drives.append(KZMenuItemDrive::fromDrive(*drive));
    menu.showSnapshot(snapshot);
    EXPECT_EQ(menu.titles().mid(0, 6),
              (QStringList{"BAD DISK", "Overall Status: FAILED!", "sdq",
                           "Overall Status: Unsupported", "GOOD DISK", "Overall Status: Passed"}));
}

TEST_F(CheckCycleTest, MenuItemLedIsOffByDefault)
{
    // The blink(1) keys are not registered in the monitor: until the user
    // stored them, a check switches the LED off whatever it found.
    makePreferences(true);
    const auto bad = readDrive("BAD DISK", failed);
    EXPECT_EQ(KZCheckCycle::finishUpdate({bad.get()}, m_options).blink1, KZBlink1Signal::None);
    const auto good = readDrive("GOOD DISK", passed);
    EXPECT_EQ(KZCheckCycle::finishUpdate({good.get()}, m_options).blink1, KZBlink1Signal::Off);
    EXPECT_EQ(ledCommands(), QStringList{"--quiet --off"});
}
