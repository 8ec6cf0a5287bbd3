// The self-test window against a smartctl stand-in whose answers are the real
// smartctl's replies to forged captures, with the clock in the test's hand
// (no test waits for a real self-test), the completion mail received by a
// real SMTP server on 127.0.0.1 and the LED through the recording blink1-tool.
#include "KZTestsController.h"
#include "AlertTestSupport.h"
#include "ForgedDrives.h"
#include "KZAlertPresenter.h"
#include "KZBlink1Controller.h"
#include "KZDetailTableModel.h"
#include "KZPreferences.h"
#include "KZTask.h"
#include "KZTestsControllerHost.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using TestSupport::FakeSmartctl;

namespace {

const QByteArray testSection = "=== START OF OFFLINE IMMEDIATE AND SELF-TEST SECTION ===\n";

QByteArray begun(const char *name, int minutes)
{
    const QByteArray command =
        "Execute SMART " + QByteArray(name) + " self-test routine immediately in off-line mode";
    return TestSupport::smartctlBanner + testSection + "Sending command: \"" + command +
           "\".\nDrive command \"" + command + "\" successful.\nTesting has begun.\nPlease wait " +
           QByteArray::number(minutes) + " minutes for test to complete.\n";
}

const QByteArray refused = TestSupport::smartctlBanner + testSection +
                           "Sending command: \"Abort SMART off-line mode self-test routine\".\n"
                           "Command \"Abort SMART off-line mode self-test routine\" failed: "
                           "Input/output error\n";

// What the real smartctl prints for these options when it replays the capture.
QByteArray replay(const QString &capture, const QStringList &options)
{
    KZTask task;
    task.setReadFromFilePath(capture);
    const std::optional<QStringList> lines =
        task.parseCommandLine(TestSupport::realSmartctl(), options + QStringList{"-"});
    return lines ? lines->join('\n').toUtf8() + "\n" : QByteArray();
}

// The answers of a drive in one state, forged from a description.
QMap<QString, QByteArray> answers(const QByteArray &json)
{
    const QString capture = TestSupport::forge(json);
    return {{"i", replay(capture, {"-i"})},
            {"H", replay(capture, {"-H"})},
            {"c", replay(capture, {"-c"})},
            {"A", replay(capture, {"-A"})},
            {"l-error", replay(capture, {"-l", "error"})},
            {"l-selftest", replay(capture, {"-l", "selftest"})}};
}

QByteArray state(const char *status, const QByteArray &log, const char *capabilities = "0x5b",
                 int shortMinutes = 2)
{
    return R"({"identity": {"serial": "STWIN1"}, "shortTestMinutes": )" +
           QByteArray::number(shortMinutes) + R"(, "longTestMinutes": 120,
              "offlineCapabilities": ")" +
           capabilities + R"(", "selfTestStatus": ")" + status + R"(", "selfTestLog": [)" + log +
           "]}";
}

const QByteArray oldLog = R"({"type": 1, "status": "0x00", "lifetimeHours": 100})";
const QByteArray newLog = R"({"type": 1, "status": "0x00", "lifetimeHours": 101}, )" + oldLog;

class RecordingPresenter : public KZAlertPresenter
{
public:
    int runAlert(Style, const QString &title, const QString &, const QStringList &) override
    {
        titles.append(title);
        return 0;
    }
    QStringList titles;
};

class Host : public KZTestsControllerHost
{
public:
    void refreshWindow() override { ++refreshes; }
    int refreshes = 0;
};

class SelfTestWindow : public testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_SMARTCTL();
        static int counter = 0;
        location = QStringLiteral("/dev/sdt%1").arg(++counter);
        KZPreferences &preferences = KZPreferences::standard();
        preferences.registerApplicationDefaults();
        preferences.setInteger("TestsInProgress", 0);
        preferences.setBool("EmailTestCompleted", false);
        preferences.setBool("Blink1TestCompleted", false);
        KZAlertPresenter::setCurrent(&presenter);
        now = QDateTime::currentDateTime();
    }
    void TearDown() override
    {
        KZAlertPresenter::setCurrent(nullptr);
        KZBlink1Controller::setToolPath({});
        qunsetenv("FAKE_RECORD");
    }

    // The window over a drive read from the stand-in in the given state.
    void open(const QByteArray &json)
    {
        fake = std::make_unique<FakeSmartctl>(answers(json));
        drive = std::make_shared<KZSMARTDrive>();
        drive->setLocation(location);
        drive->setSmartctlOverride(fake->program());
        drive->updateInfo();
        window = std::make_unique<KZTestsController>();
        window->setDrive(drive);
        window->setAppController(&host);
        window->setClock([this] { return now; });
        window->updateWindow();
        settle();
    }
    void setState(const QByteArray &json)
    {
        for (auto [key, text] : answers(json).asKeyValueRange())
            fake->setAnswer(key, text);
    }
    // Lets the window's smartctl runs end.
    void settle()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !window->driveJobRunning(); }, 120000));
    }
    QStringList calls(const char *option) const
    {
        return fake->calls().filter(QString::fromLatin1(option));
    }
    QString remaining() const { return window->currentTestRemainingTime()->text(); }

    RecordingPresenter presenter;
    Host host;
    QString location;
    QDateTime now;
    std::unique_ptr<FakeSmartctl> fake;
    std::shared_ptr<KZSMARTDrive> drive;
    std::unique_ptr<KZTestsController> window;
};

} // namespace

TEST_F(SelfTestWindow, ShortTestFromStartToTheCompletionMailAndTheBlueLight)
{
    SKIP_WITHOUT_SMTP();
    AlertTestSupport::SmtpServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    KZPreferences &preferences = KZPreferences::standard();
    preferences.setBool("EmailTestCompleted", true);
    preferences.setString("EmailFromAddress", "tarnwell@example.org");
    preferences.setString("EmailToAddress", "admin@example.org");
    preferences.setString("EmailSMTPAddress", "127.0.0.1");
    preferences.setInteger("EmailCustomPort", server.port());
    preferences.setInteger("EmailAuthenticationType", 0);
    preferences.setBool("Blink1TestCompleted", true);
    const QString record = TestSupport::homeDir() + "/blink-short.txt";
    qputenv("FAKE_RECORD", QFile::encodeName(record));
    KZBlink1Controller::setToolPath(TestSupport::fake("fake-blink1-tool"));

    open(state("0x00", oldLog));
    EXPECT_EQ(window->testRunButton()->text(), "Run");
    EXPECT_TRUE(window->testRunButton()->isEnabled());
    EXPECT_FALSE(window->currentTestStatusProgress()->isVisibleTo(window.get()));
    EXPECT_EQ(window->testsModel()->rowCount(), 1);

    fake->setAnswer("t-short", begun("Short", 2));
    setState(state("0xf9", oldLog));
    window->testRunButton()->click();
    settle();
    ASSERT_EQ(calls("-t|short|").size(), 1);
    ASSERT_TRUE(window->pollTimer());
    EXPECT_EQ(window->pollTimer()->interval(), 12000); // ten polls over two minutes
    EXPECT_EQ(window->testRunButton()->text(), "Cancel");
    EXPECT_TRUE(window->testRunButton()->isEnabled());
    EXPECT_FALSE(window->testType()->isEnabled());
    EXPECT_TRUE(window->currentTestStatusProgress()->isVisibleTo(window.get()));
    EXPECT_EQ(window->currentTestStatusProgress()->value(), 10);
    EXPECT_EQ(remaining(), "about a minute");

    now = now.addSecs(65);
    setState(state("0xf3", oldLog));
    window->runTest();
    settle();
    EXPECT_EQ(window->currentTestStatusProgress()->value(), 70);
    EXPECT_EQ(remaining(), "about a minute");
    EXPECT_EQ(calls("-c|").size(), 2); // two polls (the drive was read by one run)

    now = now.addSecs(60);
    setState(state("0x00", newLog));
    window->runTest();
    settle();
    EXPECT_FALSE(window->pollTimer());
    EXPECT_EQ(window->testRunButton()->text(), "Run");
    EXPECT_FALSE(window->currentTestStatusProgress()->isVisibleTo(window.get()));
    EXPECT_EQ(window->testsModel()->rowCount(), 2);
    EXPECT_GT(host.refreshes, 0);

    // A drive without partitions is named by its location alone.
    const QList<QJsonObject> mails = server.waitForMessages(1, TestSupport::waitLimitMs);
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails.first().value("subject").toString(), "Test completed");
    EXPECT_TRUE(mails.first().value("body").toString().contains("The test on drive " + location +
                                                                " has completed."))
        << mails.first().value("body").toString().toStdString();

    ASSERT_TRUE(
        QTest::qWaitFor([&] { return TestSupport::readFile(record).count("----") == 4; }, 60000));
    EXPECT_EQ(QString::fromUtf8(TestSupport::readFile(record)),
              "--quiet\n--rgb=0,0,255\n--setpattline\n1\n----\n"
              "--quiet\n--rgb=0,0,0\n--setpattline\n2\n----\n"
              "--quiet\n--savepattern\n2\n----\n"
              "--quiet\n--play=1,1,2\n2\n----\n");
}

// Counts take their plural form, and what a screen reader announces of the
// button says what the button shows.
TEST_F(SelfTestWindow, TestLengthsAndTheSpokenButton)
{
    open(state("0x00", oldLog, "0x5b", 1));
    EXPECT_EQ(window->testType()->itemText(0), "Short test (1 minute)");
    EXPECT_EQ(window->testType()->itemText(1), "Extended test (120 minutes)");
    EXPECT_EQ(window->testRunButton()->text(), "Run");
    EXPECT_EQ(window->testRunButton()->accessibleName(), "Run the self-test");
}

TEST_F(SelfTestWindow, AnAbortTheDriveRefusesStartsTheChosenTest)
{
    // A test started elsewhere runs: the window follows it again, every 15 s.
    KZPreferences::standard().setInteger(location + "_TestType", 9);
    open(state("0xf9", oldLog));
    ASSERT_TRUE(window->pollTimer());
    EXPECT_EQ(window->pollTimer()->interval(), 15000);
    EXPECT_EQ(window->testType()->currentData().toInt(), 1);
    EXPECT_EQ(window->testRunButton()->text(), "Cancel");
    EXPECT_EQ(window->testRunButton()->accessibleName(), "Cancel the self-test");

    fake->setAnswer("X", refused);
    fake->setAnswer("t-long", begun("Extended", 120));
    window->testRunButton()->click();
    settle();
    ASSERT_EQ(calls("-X|").size(), 1);
    EXPECT_EQ(calls("-t|long|").size(), 1);
    ASSERT_TRUE(window->pollTimer());
    EXPECT_EQ(window->pollTimer()->interval(), 720000);
    EXPECT_EQ(window->testRunButton()->text(), "Cancel");
}

TEST_F(SelfTestWindow, DriveThatCannotBeReadWhileTestingIsFollowedByTheClock)
{
    open(state("0x00", oldLog, "0x5f")); // aborts offline collection on a new command
    fake->setAnswer("t-short", begun("Short", 2));

    // The warning comes first; cancelling it starts nothing.
    window->testRunButton()->click();
    ASSERT_TRUE(window->abortWarningSheet());
    ASSERT_TRUE(window->abortWarningSheet()->isVisible());
    window->abortWarningSheet()->button(QMessageBox::Cancel)->click();
    EXPECT_TRUE(calls("-t|").isEmpty());

    window->testRunButton()->click();
    QAbstractButton *start = nullptr;
    for (QAbstractButton *button : window->abortWarningSheet()->buttons()) {
        if (button->text() == "Start Test")
            start = button;
    }
    ASSERT_TRUE(start);
    start->click();
    settle();
    ASSERT_EQ(calls("-t|short|").size(), 1);
    EXPECT_TRUE(drive->testInProgress());
    EXPECT_TRUE(window->testRunButton()->isEnabled()); // the test can be cancelled
    const int reads = calls("-c|").size();

    const QDateTime end = KZPreferences::standard().dateForKey(location + "_TestEndTime");
    ASSERT_TRUE(end.isValid());
    now = end.addSecs(-30);
    window->runTest();
    settle();
    EXPECT_EQ(remaining(), "less than a minute");
    EXPECT_EQ(window->currentTestStatusProgress()->value(), 100);

    // An hour past the end the test counts as finished; the drive was never
    // read while it tested.
    now = end.addSecs(3600);
    window->runTest();
    settle();
    EXPECT_FALSE(drive->testInProgress());
    EXPECT_FALSE(window->pollTimer());
    EXPECT_EQ(window->testRunButton()->text(), "Run");
    EXPECT_EQ(calls("-c|").size(), reads);
    EXPECT_TRUE(presenter.titles.isEmpty());
}

TEST_F(SelfTestWindow, AStartTheDriveRefusesIsReportedAndNothingIsFollowed)
{
    open(state("0x00", oldLog, "0x5b", 0));
    fake->setAnswer("t-short", TestSupport::smartctlBanner + testSection +
                                   "Command \"Execute SMART Short self-test routine immediately "
                                   "in off-line mode\" failed: Input/output error\n");
    bool completed = false;
    QObject::connect(window.get(), &KZTestsController::testCompleted, [&] { completed = true; });
    window->testRunButton()->click();
    settle();
    EXPECT_EQ(presenter.titles, QStringList{"The self-test did not start"});
    EXPECT_FALSE(window->pollTimer());
    EXPECT_EQ(window->testRunButton()->text(), "Run");
    EXPECT_TRUE(window->testRunButton()->isEnabled());
    EXPECT_FALSE(completed);

    // A drive that gives its test a length of 0 minutes is polled every 10 s.
    fake->setAnswer("t-short", begun("Short", 0));
    setState(state("0xf9", oldLog, "0x5b", 0));
    window->testRunButton()->click();
    settle();
    ASSERT_TRUE(window->pollTimer());
    EXPECT_EQ(window->pollTimer()->interval(), 10000);
}

TEST_F(SelfTestWindow, SavedReportShowsItsLogWithTheControlsDisabled)
{
    const auto saved = ForgedDrives::read(state("0x00", newLog));
    KZTestsController report;
    report.setDrive(saved);
    report.updateWindow();
    EXPECT_EQ(report.windowTitle(), "drive.twdr Tests");
    EXPECT_EQ(report.testsModel()->rowCount(), 2);
    EXPECT_EQ(report.testsModel()->index(0, 2).data().toString(), "Completed without error");
    EXPECT_FALSE(report.testType()->isEnabled());
    EXPECT_FALSE(report.testRunButton()->isEnabled());
    EXPECT_FALSE(report.currentTestStatusProgress()->isVisibleTo(&report));
}
