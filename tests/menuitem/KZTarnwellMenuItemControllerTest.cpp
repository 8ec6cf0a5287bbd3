// The tray monitor in-process: its menu from real (replayed) drives, the
// worker thread, the timer and the preferences, quitting, the update hand-off.
#include "KZTarnwellMenuItemController.h"

#include "AlertTestSupport.h"
#include "KZAlertPresenter.h"
#include "KZBlink1Controller.h"
#include "KZDistributedNotificationCenter.h"
#include "KZDriveListFile.h"
#include "KZMailSender.h"
#include "KZPaths.h"
#include "KZPreferences.h"
#include "KZSessionBus.h"
#include "KZStatusIcons.h"
#include "MenuItemTestSupport.h"
#include "WebTestServer.h"

#include <QAction>
#include <QDBusConnection>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTimer>

#include <atomic>

using namespace MenuItemTestSupport;

namespace {

class MenuItemControllerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        static int counter = 0;
        m_record = TestSupport::homeDir() + QStringLiteral("/run-%1").arg(++counter);
        m_sender = AlertTestSupport::makeRecordingSender(
            "echo 'Dec 07 21:00:00 host sendemail[1]: Email was sent successfully!'");
        writePreferences({{"EmailDriveFailing", "YES"}, {"EmailDriveFailed", "YES"}});
        qputenv("FAKE_RECORD", QFile::encodeName(m_record + "-blink"));
        m_environment.options.smartctl = m_machine.smartctl();
        m_environment.options.lsblk = m_machine.lsblk();
        m_environment.options.sendemail = m_sender.program;
        m_environment.options.blink1Tool = TestSupport::fake("fake-blink1-tool");
        m_environment.terminate = [this] { ++m_terminated; };
        m_environment.applicationProgram = recordingProgram(m_record + "-launched");
        m_environment.clock = [] { return QDateTime(QDate(2026, 12, 7), QTime(9, 30)); };
    }
    void TearDown() override
    {
        m_machine.release();
        if (m_controller)
            waitFor([this] { return !m_controller->isBusy(); });
        m_controller.reset();
        KZBlink1Controller::setToolPath({});
        qunsetenv("FAKE_RECORD");
    }

    KZTarnwellMenuItemController &launch()
    {
        m_controller = std::make_unique<KZTarnwellMenuItemController>(m_environment);
        QSignalSpy updated(m_controller.get(), &KZTarnwellMenuItemController::menuUpdated);
        m_controller->awakeFromNib();
        m_controller->applicationDidFinishLaunching();
        EXPECT_TRUE(waitFor([&] { return updated.count() > 0; })) << "no first scan";
        return *m_controller;
    }

    // The menu's titles as shown, indentation removed.
    QStringList shownTitles() const
    {
        QStringList titles;
        for (QAction *action : m_controller->twMenu()->actions())
            titles.append(action->isSeparator() ? QStringLiteral("-") : action->text().trimmed());
        return titles;
    }

    bool waitForUpdates(int count)
    {
        QSignalSpy updated(m_controller.get(), &KZTarnwellMenuItemController::menuUpdated);
        return waitFor([&] { return updated.count() >= count; });
    }

    ForgedMachine m_machine;
    QString m_record;
    AlertTestSupport::RecordingSender m_sender;
    KZTarnwellMenuItemController::Environment m_environment;
    std::unique_ptr<KZTarnwellMenuItemController> m_controller;
    int m_terminated = 0;
};

} // namespace

TEST_F(MenuItemControllerTest, MenuListsTheDrivesInReverseWithTheirStatusAndIconsAndMails)
{
    SKIP_WITHOUT_SMARTCTL_FOR_MONITOR();
    m_machine.addDrive("sda", passedDrive("ALPHA DISK", "SN-A"), {"Data", "Media"});
    m_machine.addDrive("sdb", failingDrive("BETA DISK", "SN-B"), {"Backup"});
    m_machine.addDrive("sdc", passedDrive("GAMMA DISK", "SN-C"));
    const QString exported = TestSupport::homeDir() + "/tarnwell.prom";
    writePreferences({{"EmailDriveFailing", "YES"}, {"PrometheusExportPath", exported}});
    KZTarnwellMenuItemController &controller = launch();

    const QString time = KZDriveListFile::checkTimeText(m_environment.clock());
    EXPECT_EQ(
        shownTitles(),
        (QStringList{"GAMMA DISK", "Overall Status: Passed", "Backup", "Overall Status: FAILING!",
                     "ALPHA DISK", "Overall Status: Passed", "-", "Last Updated: " + time, "-",
                     "Rescan For Drives", "Update Drives", "-", "Launch Tarnwell", "Quit"}));
    const QList<QAction *> actions = controller.twMenu()->actions();
    EXPECT_FALSE(actions.at(1)->isEnabled());
    EXPECT_TRUE(actions.at(1)->text().startsWith("    ")); // indented
    EXPECT_FALSE(actions.at(7)->isEnabled());
    EXPECT_EQ(actions.last()->shortcut(), QKeySequence("Ctrl+Q"));
    ASSERT_TRUE(actions.at(4)->menu());
    QStringList volumes;
    for (QAction *volume : actions.at(4)->menu()->actions()) {
        volumes.append(volume->text());
        EXPECT_FALSE(volume->isEnabled());
    }
    EXPECT_EQ(volumes, (QStringList{"Data", "Media"}));
    EXPECT_EQ(actions.at(2)->icon().cacheKey(), KZStatusIcons::icon(2).cacheKey());
    EXPECT_EQ(actions.at(0)->icon().cacheKey(), KZStatusIcons::icon(1).cacheKey());
    EXPECT_EQ(controller.shownStatus(), 2);
    EXPECT_EQ(controller.twStatusItem()->icon().cacheKey(), KZStatusIcons::icon(2).cacheKey());

    // The drive list and the mail name drives as the application does.
    const QByteArray list = TestSupport::readFile(KZDriveListFile::filePath());
    EXPECT_TRUE(list.contains("<string>Backup</string>"));
    EXPECT_TRUE(list.contains("<string>FAILING</string>"));
    ASSERT_TRUE(waitFor([&] { return m_sender.wasRun(); }));
    const QStringList mail = m_sender.arguments();
    EXPECT_TRUE(mail.contains(
        KZMailSender::encodeSubject("Tarnwell Menu Item Report (Prüfstand): FAILING DRIVES!")))
        << mail.join('|').toStdString();
    EXPECT_TRUE(mail.contains("Backup: FAILING\n"));
    // The verdicts for Prometheus follow the same check.
    EXPECT_TRUE(TestSupport::readFile(exported).contains("\ntarnwell_merged_status 2\n"));
    // The LED follows the merged status, whose yellow key reads as off in the
    // monitor until the user stored it: no command at all.
    EXPECT_TRUE(TestSupport::readFile(m_record + "-blink").isEmpty());
}

TEST_F(MenuItemControllerTest, UpdateRunsOnTheWorkerWhileTheMenuShowsTheLastResult)
{
    SKIP_WITHOUT_SMARTCTL_FOR_MONITOR();
    m_machine.addDrive("sda", passedDrive("ALPHA DISK", "SN-A"));
    KZTarnwellMenuItemController &controller = launch();
    const QStringList before = shownTitles();

    m_machine.hold();
    m_machine.setDrive("sda", failedDrive("ALPHA DISK", "SN-A"));
    controller.actionNamed("Update Drives")->trigger();
    ASSERT_TRUE(waitFor([&] { return m_machine.held(); }));
    EXPECT_TRUE(controller.isBusy());
    // The GUI thread goes on: a queued call runs while smartctl is held.
    bool ran = false;
    QTimer::singleShot(0, &controller, [&ran] { ran = true; });
    EXPECT_TRUE(waitFor([&] { return ran; }));
    EXPECT_EQ(shownTitles(), before);
    EXPECT_EQ(controller.shownStatus(), 1);
    EXPECT_TRUE(controller.twStatusItem()->toolTip().startsWith("Tarnwell: checking the drives"));
    // A rescan chosen meanwhile runs once the update is done.
    controller.actionNamed("Rescan For Drives")->trigger();

    QSignalSpy updated(&controller, &KZTarnwellMenuItemController::menuUpdated);
    m_machine.release();
    ASSERT_TRUE(waitFor([&] { return updated.count() >= 2 && !controller.isBusy(); }));
    EXPECT_EQ(shownTitles().mid(0, 2), (QStringList{"ALPHA DISK", "Overall Status: FAILED!"}));
    EXPECT_EQ(controller.shownStatus(), 3);
    EXPECT_EQ(controller.twStatusItem()->toolTip(), "Tarnwell");
}

TEST_F(MenuItemControllerTest, TimedChecksLeaveSleepingDisksAsleepUntilTheirNthCheckInARow)
{
    SKIP_WITHOUT_SMARTCTL_FOR_MONITOR();
    writePreferences(
        {{"EmailDriveFailing", "YES"}, {"EmailDriveFailed", "YES"}, {"MaxSkippedChecks", 3}});
    m_machine.addDrive("sda", failingDrive("ALPHA DISK", "SN-A"));
    m_machine.addDrive("sdb", passedDrive("BETA DISK", "SN-B"));
    for (const char *disk : {"sda", "sdb"})
        m_machine.setAsleep(disk, true);
    // The first check of the program's life reads them all the same.
    KZTarnwellMenuItemController &controller = launch();
    EXPECT_EQ(shownTitles().mid(0, 4), (QStringList{"BETA DISK", "Overall Status: Passed",
                                                    "ALPHA DISK", "Overall Status: FAILING!"}));
    const QByteArray capture = TestSupport::readFile(KZPaths::rawCaptureFile("sdb"));
    for (const char *disk : {"sda", "sdb"})
        m_machine.setDrive(disk,
                           failedDrive(disk == QLatin1String("sda") ? "ALPHA DISK" : "BETA DISK",
                                       disk == QLatin1String("sda") ? "SN-A" : "SN-B"));
    const auto timedCheck = [&controller] {
        QSignalSpy finished(controller.monitor(), &KZMonitor::checkFinished);
        controller.monitor()->update(KZMonitor::Origin::Timer);
        EXPECT_TRUE(waitFor("a timed check", [&] { return finished.count() > 0; }));
        return finished.value(0).value(0).value<KZMonitor::Result>();
    };

    // Asleep: the last read's values and verdicts, no mail, no new capture.
    const KZMonitor::Result asleep = timedCheck();
    const QStringList titles = shownTitles();
    EXPECT_EQ(titles.mid(0, 2), (QStringList{"BETA DISK", "Overall Status: SLEEPING"}));
    EXPECT_TRUE(titles.at(2).startsWith("Values of the read at ")) << titles.at(2).toStdString();
    EXPECT_EQ(titles.mid(3, 2), (QStringList{"ALPHA DISK", "Overall Status: SLEEPING"}));
    // The menu's picture, when asked for one.
    if (const QString folder = qEnvironmentVariable("TARNWELL_SCREENSHOT_DIR"); !folder.isEmpty()) {
        EXPECT_TRUE(controller.twMenu()->grab().save(folder + "/tray-menu-sleeping.png"));
    }
    EXPECT_FALSE(asleep.cycle.mail);
    EXPECT_EQ(asleep.cycle.mergedStatus, 2);
    ASSERT_EQ(asleep.cycle.summary.records.size(), 1);
    EXPECT_EQ(asleep.cycle.summary.records.at(0).driveHealth, "FAILING");
    EXPECT_EQ(TestSupport::readFile(KZPaths::rawCaptureFile("sdb")), capture);

    // Awake at the next check: its new values, mailed.
    m_machine.setAsleep("sdb", false);
    const KZMonitor::Result awake = timedCheck();
    EXPECT_EQ(shownTitles().mid(0, 4), (QStringList{"BETA DISK", "Overall Status: FAILED!",
                                                    "ALPHA DISK", "Overall Status: SLEEPING"}));
    ASSERT_TRUE(awake.cycle.mail);
    EXPECT_EQ(awake.cycle.mail->at(1), "BETA DISK: FAILED\n");

    // The third timed check in a row that would leave it asleep reads it.
    timedCheck();
    EXPECT_EQ(shownTitles().mid(2, 2), (QStringList{"ALPHA DISK", "Overall Status: FAILED!"}));

    // A check the user starts reads every disk.
    m_machine.setAsleep("sda", true);
    m_machine.setDrive("sda", passedDrive("ALPHA DISK", "SN-A"));
    ASSERT_TRUE(timedCheck().checked);
    ASSERT_EQ(shownTitles().at(3), "Overall Status: SLEEPING");
    QSignalSpy updated(&controller, &KZTarnwellMenuItemController::menuUpdated);
    controller.actionNamed("Update Drives")->trigger();
    ASSERT_TRUE(waitFor("the update", [&] { return updated.count() > 0 && !controller.isBusy(); }));
    EXPECT_EQ(shownTitles().at(3), "Overall Status: Passed");
}

TEST_F(MenuItemControllerTest, AStepThatBreaksOffNeitherWaitsForAPersonNorStopsTheNextTimedCheck)
{
    // Nobody answers alerts in the tray: the engine must never ask for one.
    struct Presenter : KZAlertPresenter
    {
        int runAlert(Style, const QString &, const QString &, const QStringList &) override
        {
            return ++asked, 0;
        }
        std::atomic<int> asked{0};
    } presenter;
    KZAlertPresenter::setCurrent(&presenter);
    m_machine.addDrive("sdq", passedDrive("ODD DISK", "SN-Q"));
    // Its identity breaks off; every other part answers (the stand-in's one
    // run prints the parts together).
    const QByteArray banner = TestSupport::smartctlBanner;
    QMap<QString, QByteArray> answers{
        {"i", banner + "=== START OF INFORMATION SECTION ===\nDevice Model:\n"},
        {"H", banner + "SMART overall-health self-assessment test result: PASSED\n"}};
    for (const char *key : {"c", "A", "l-error", "l-selftest"})
        answers.insert(key, banner + "=== START OF READ SMART DATA SECTION ===\n");
    TestSupport::FakeSmartctl broken(answers);
    m_environment.options.smartctl = broken.program();
    TestSupport::StderrCapture log;
    KZTarnwellMenuItemController &controller = launch();
    ASSERT_TRUE(controller.pollingTimer());
    controller.pollingTimer()->setInterval(50);
    EXPECT_TRUE(waitForUpdates(2)) << "the timed check stopped";
    controller.pollingTimer()->stop();
    KZAlertPresenter::setCurrent(nullptr);
    EXPECT_EQ(presenter.asked, 0);
    EXPECT_GE(broken.calls().filter(QRegularExpression("(^|\\|)-r\\|ataioctl,2\\|-a\\|")).size(),
              2);
    const QString text = log.text();
    EXPECT_TRUE(text.contains("Exception occured in parseInfo- "));
    EXPECT_TRUE(text.contains("Alert: An error occurred attempting to read some SMART data"));
}

TEST_F(MenuItemControllerTest, MessagesWhenNothingIsFoundOrTheScanFails)
{
    KZTarnwellMenuItemController &empty = launch();
    EXPECT_EQ(shownTitles().first(), "No drives found");
    EXPECT_EQ(empty.shownStatus(), 1);
    EXPECT_FALSE(QFile::exists(KZDriveListFile::filePath()));

    // A disk left out is named below, with why.
    m_machine.addUntypedDrive("vda");
    launch();
    EXPECT_EQ(shownTitles().mid(0, 2),
              QStringList({"No drives found", "vda: smartctl cannot tell its device type"}));

    m_environment.options.lsblk = TestSupport::writeScript("lsblk", "#!/bin/sh\nkill -9 $$\n");
    launch();
    EXPECT_EQ(shownTitles().first(), "Error Scanning for Drives");
    EXPECT_EQ(shownTitles().size(), 8);
}

TEST_F(MenuItemControllerTest, TimerFollowsThePreferencesWithAnHourAtLeast)
{
    KZTarnwellMenuItemController &controller = launch();
    ASSERT_TRUE(controller.pollingTimer());
    EXPECT_EQ(controller.pollingTimer()->interval(), 3600 * 1000);

    struct Step
    {
        const char *pollDrives;
        const char *interval;
        int expectedSeconds; // 0: no timer
    };
    const Step steps[] = {{"NO", "3600", 0},
                          {"YES", "7200", 7200},
                          {"YES", "60", 3600},
                          {"YES", "5400.5", 5400},
                          {"YES", "not a number", 3600}};
    KZPreferences &preferences = KZPreferences::standard();
    for (const Step &step : steps) {
        preferences.setString("PollDrives", step.pollDrives);
        preferences.setString("PollingInterval", step.interval);
        controller.reloadPreferences();
        if (step.expectedSeconds == 0) {
            EXPECT_EQ(controller.pollingTimer(), nullptr);
        } else {
            ASSERT_TRUE(controller.pollingTimer()) << step.interval;
            EXPECT_EQ(controller.pollingTimer()->interval(), step.expectedSeconds * 1000);
            EXPECT_TRUE(controller.pollingTimer()->isActive());
        }
    }
}

TEST_F(MenuItemControllerTest, QuitAnnouncesTheUnloadAndStopsTheTimer)
{
    if (!KZSessionBus::isConnected())
        GTEST_SKIP() << "no D-Bus session bus: run through scripts/with-test-session.sh";
    KZDistributedNotificationCenter application(
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "application"));
    QStringList heard;
    application.addObserver(
        "org.tarnwell.tarnwellmenuitem",
        [&heard](const QString &, const QString &object) { heard.append(object); });
    KZTarnwellMenuItemController &controller = launch();
    ASSERT_TRUE(controller.pollingTimer());
    controller.actionNamed("Quit")->trigger();
    EXPECT_EQ(m_terminated, 1);
    EXPECT_EQ(controller.pollingTimer(), nullptr);
    ASSERT_TRUE(waitFor([&] { return !heard.isEmpty(); }));
    EXPECT_EQ(heard, QStringList{"tarnwellMenuItemUnload"});
    // "TWQuit" from another program quits only a running monitor.
    application.postNotification("TWQuit");
    QCoreApplication::processEvents();
    EXPECT_EQ(m_terminated, 1);
}

TEST_F(MenuItemControllerTest, AnUpdateInTheFeedIsHandedToTheApplication)
{
    WebTestServer server;
    ASSERT_TRUE(server.started());
    const QUrl feed = server.put("appcast.xml", WebTestServer::appcast({"0.0.9", "99.0.0"}));
    writePreferences({{"CheckForUpdates", "YES"}, {"UpdateFeedURL", feed.toString()}});
    m_controller = std::make_unique<KZTarnwellMenuItemController>(m_environment);
    QSignalSpy checked(m_controller.get(), &KZTarnwellMenuItemController::updateCheckFinished);
    QSignalSpy updated(m_controller.get(), &KZTarnwellMenuItemController::menuUpdated);
    m_controller->awakeFromNib();
    m_controller->applicationDidFinishLaunching();
    ASSERT_TRUE(waitFor([&] { return checked.count() == 1 && updated.count() == 1; }));

    EXPECT_EQ(m_controller->menuModel().titles().mid(m_controller->menuModel().count() - 2),
              (QStringList{"Quit", "An update is available"}));
    EXPECT_EQ(shownTitles().last(), "An update is available");
    EXPECT_TRUE(KZPreferences::standard().boolForKey("UpdateAvailable"));
    // The application is started with the tools the monitor was given.
    ASSERT_TRUE(waitFor([&] { return QFile::exists(m_record + "-launched"); }));
    const QStringList launched = QString::fromUtf8(TestSupport::readFile(m_record + "-launched"))
                                     .split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(launched.mid(0, 2), (QStringList{"--smartctl", m_machine.smartctl()}));
    EXPECT_TRUE(launched.contains("--lsblk"));
    // The item stays until the next menu reset.
    m_controller->updateDrives();
    ASSERT_TRUE(waitFor([&] { return updated.count() == 2; }));
    EXPECT_EQ(shownTitles().last(), "Quit");
}
