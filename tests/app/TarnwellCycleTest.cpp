// The scan and update cycle of the application, through the real parts:
// forged drives replayed by the real smartctl, the real sendemail and an SMTP
// server on 127.0.0.1, the blink(1) stand-in.
#include "AppTestSupport.h"

#include "AlertTestSupport.h"
#include "KZDriveBrowser.h"
#include "KZDriveListFile.h"
#include "KZPreferences.h"
#include "KZProgressSheet.h"
#include "KZSMARTDrive.h"
#include "KZSmartctlHelper.h"
#include "KZSummaryPanel.h"
#include "KZStatusIcons.h"

#include <QApplication>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>

using namespace AppTestSupport;

namespace {

KZPreferences &preferences()
{
    return KZPreferences::standard();
}

class CycleTest : public AppTest
{
protected:
    void useMailServer(int port)
    {
        preferences().setString("EmailHostName", "testhost");
        preferences().setString("EmailFromAddress", "tarnwell@example.org");
        preferences().setString("EmailToAddress", "admin@example.org");
        preferences().setString("EmailSMTPAddress", "127.0.0.1");
        preferences().setInteger("EmailCustomPort", port);
    }
};

} // namespace

// Three drives, one of each verdict: the window, the icon, the LED, the
// drive list file and the alert mail all follow one update.
TEST_F(CycleTest, ScanAndUpdateOfForgedDrives)
{
    SKIP_WITHOUT_SMTP();
    AlertTestSupport::SmtpServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    useMailServer(server.port());
    preferences().setBool("EmailDriveFailing", true);
    preferences().setBool("EmailDriveFailed", true);
    machine.addDrive("sda", passedDrive("FORGE PASS 1", "SN-PASS-1"));
    machine.addDrive("sdb", failingDrive("FORGE SOFT 2", "SN-SOFT-2"));
    machine.addDrive("sdc", failedDrive("FORGE DEAD 3", "SN-DEAD-3"));

    QSignalSpy results(&controller(), &KZAppController::emailResultShown);
    launch();
    KZAppController &app = controller();

    ASSERT_EQ(app.drives().size(), 3);
    QStringList words;
    for (qsizetype index = 0; index < app.drives().size(); ++index) {
        EXPECT_EQ(app.drives().at(index)->getID(), quint64(index));
        words << KZAppController::getDriveStatus(*app.drives().at(index));
    }
    EXPECT_EQ(words, QStringList({"PASSED", "FAILING", "FAILED"}));
    EXPECT_EQ(app.drivesWindow()->windowTitle(), "Tarnwell - Current Drives (Last Update: " +
                                                     KZDriveListFile::checkTimeText(clock) + ")");
    EXPECT_EQ(app.shownStatus(), 3);
    EXPECT_EQ(app.drivesWindow()->windowIcon().cacheKey(), KZStatusIcons::icon(3).cacheKey());

    // Red: colour, black, store, play.
    const QStringList led = blink1Commands();
    ASSERT_EQ(led.size(), 4) << led.join(" / ").toStdString();
    EXPECT_EQ(led.at(0), "--quiet --rgb=255,0,0 --setpattline 1");

    const QByteArray list = TestSupport::readFile(KZDriveListFile::filePath());
    EXPECT_TRUE(list.contains("<key>TWProblemDrivesCount</key>\n\t<integer>2</integer>"))
        << list.toStdString();
    EXPECT_LT(list.indexOf("FORGE SOFT 2"), list.indexOf("FORGE DEAD 3"));
    EXPECT_FALSE(list.contains("FORGE PASS 1"));
    EXPECT_TRUE(list.contains(KZDriveListFile::checkTimeText(clock).toUtf8()));

    const QList<QJsonObject> mails = server.waitForMessages(1, TestSupport::waitLimitMs);
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails.first().value("subject").toString(),
              "Tarnwell Report (testhost): FAILING AND FAILED DRIVES!");
    EXPECT_EQ(mails.first().value("body").toString().trimmed(),
              "FORGE SOFT 2: FAILING\nFORGE DEAD 3: FAILED");
    // The mail's result reaches the GUI thread's result display.
    ASSERT_TRUE(waitFor([&] { return results.count() > 0; }));
    EXPECT_EQ(results.first().first().toString(), "Email sent successfully.");
    EXPECT_TRUE(alerts().isEmpty());
}

// The icon follows the worst drive: green, yellow, red.
TEST_F(CycleTest, IconColourFollowsTheMergedStatus)
{
    const struct
    {
        QList<QByteArray> drives;
        int status;
    } cases[] = {
        {{passedDrive("A", "SA"), passedDrive("B", "SB")}, 1},
        {{passedDrive("A", "SA"), failingDrive("B", "SB")}, 2},
        {{failedDrive("A", "SA"), failingDrive("B", "SB")}, 3},
    };
    const QString names[] = {"sda", "sdb"};
    for (const auto &item : cases) {
        ForgedMachine forged;
        for (qsizetype index = 0; index < item.drives.size(); ++index)
            forged.addDrive(names[index], item.drives.at(index));
        environment.options.lsblk = forged.lsblk();
        environment.options.smartctl = forged.smartctl();
        KZAppController app(environment);
        app.awakeFromNib();
        QSignalSpy scanned(&app, &KZAppController::scanFinished);
        app.applicationDidFinishLaunching();
        ASSERT_TRUE(waitFor([&] { return scanned.count() > 0; }));
        EXPECT_EQ(app.shownStatus(), item.status);
        EXPECT_EQ(app.drivesWindow()->windowIcon().cacheKey(),
                  KZStatusIcons::icon(item.status).cacheKey());
        EXPECT_EQ(QApplication::windowIcon().cacheKey(),
                  KZStatusIcons::icon(item.status).cacheKey());
        app.toggleTimer(); // stopped again, so no timer outlives the case
    }
}

// Seven steps per drive: the bar grows with them and is full at the end of
// the last, never before. (Steps that end at once, as the parse steps of one
// smartctl run do, reach the bar together.)
TEST_F(CycleTest, ProgressBarIsFullAtTheEndOfTheLastDrive)
{
    machine.addDrive("sda", passedDrive("FORGE ONE", "SN-ONE"));
    machine.addDrive("sdb", passedDrive("FORGE TWO", "SN-TWO"));
    launch();
    QList<int> values;
    QObject::connect(controller().updateProgressBar(), &QProgressBar::valueChanged,
                     [&](int value) { values.append(value); });
    QSignalSpy steps(controller().monitor(), &KZMonitor::progress);
    updateAndWait();
    ASSERT_FALSE(values.isEmpty());
    ASSERT_FALSE(steps.isEmpty());
    EXPECT_EQ(steps.last(), (QList<QVariant>{14, 14}));
    EXPECT_EQ(values.last(), 100);
    EXPECT_EQ(values.count(100), 1);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
}

// A timed update in the background shows no sheet; the user's update does.
TEST_F(CycleTest, TimedUpdateInTheBackgroundShowsNoSheet)
{
    launch();
    applicationActive = false;
    QSignalSpy updated(&controller(), &KZAppController::updateFinished);
    controller().monitor()->update(KZMonitor::Origin::Timer);
    EXPECT_TRUE(controller().isBusy());
    EXPECT_FALSE(controller().updateSheet()->isVisible());
    ASSERT_TRUE(waitFor([&] { return updated.count() > 0; }));

    controller().updateSMARTInfo();
    EXPECT_TRUE(controller().updateSheet()->isVisible());
    ASSERT_TRUE(waitFor([&] { return updated.count() > 1; }));
    EXPECT_FALSE(controller().updateSheet()->isVisible());
}

// While a smartctl that never answers holds the worker, the GUI thread goes
// on: a queued call and a timer on it run before the stand-in is released.
TEST_F(CycleTest, GuiKeepsRunningWhileSmartctlHangs)
{
    machine.addDrive("sda", passedDrive("FORGE SLOW", "SN-SLOW"));
    launch();
    machine.hangFirstRun("sda");
    QSignalSpy updated(&controller(), &KZAppController::updateFinished);
    controller().updateSMARTInfo();
    ASSERT_TRUE(waitFor([&] { return machine.hanging(); }));

    bool queuedCallRan = false;
    bool timerRan = false;
    bool busyMeanwhile = false;
    QMetaObject::invokeMethod(
        controller().drivesWindow(),
        [&] {
            queuedCallRan = true;
            busyMeanwhile = controller().isBusy() && machine.hanging();
        },
        Qt::QueuedConnection);
    QTimer::singleShot(0, controller().drivesWindow(), [&] { timerRan = true; });
    ASSERT_TRUE(waitFor([&] { return queuedCallRan && timerRan; }));
    EXPECT_TRUE(busyMeanwhile);
    EXPECT_EQ(updated.count(), 0);
    EXPECT_TRUE(controller().updateSheet()->isVisible());

    machine.release();
    ASSERT_TRUE(waitFor([&] { return updated.count() > 0; }));
    EXPECT_FALSE(controller().isBusy());
}

// A timer tick that comes while an update runs is skipped and logged.
TEST_F(CycleTest, TimerTickDuringAnUpdateIsSkipped)
{
    machine.addDrive("sda", passedDrive("FORGE SLOW", "SN-SLOW"));
    launch();
    ASSERT_NE(controller().pollingTimer(), nullptr);
    machine.hangFirstRun("sda");
    QSignalSpy updated(&controller(), &KZAppController::updateFinished);
    controller().updateSMARTInfo();
    ASSERT_TRUE(waitFor([&] { return machine.hanging(); }));

    TestSupport::StderrCapture log;
    QSignalSpy ticks(controller().pollingTimer(), &QTimer::timeout);
    controller().pollingTimer()->setInterval(1);
    ASSERT_TRUE(waitFor([&] { return ticks.count() > 0; }));
    controller().pollingTimer()->setInterval(3600 * 1000);
    EXPECT_TRUE(log.text().contains("Timed update skipped: a scan or update is running."));
    machine.release();
    ASSERT_TRUE(waitFor([&] { return updated.count() > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(updated.count(), 1) << "the skipped tick ran no update of its own";
}

// The self-test warning before the update: its three buttons, "Skip Drives"
// marking the drives (a drive that cannot be read while it tests keeps the
// mark), and the count reset when no test end lies ahead.
TEST_F(CycleTest, SelfTestWarning)
{
    const struct
    {
        qint64 secondsAhead;
        int answer;
        bool warned;
        bool marked;
    } cases[] = {
        {300, 2, true, true},   // "Skip Drives"
        {300, 1, true, false},  // "Continue Scanning"
        {300, 0, true, false},  // "OK"
        {30, 2, false, false},  // less than a minute ahead: no warning
        {-600, 2, false, false} // ended long ago
    };
    machine.addUnreadableDrive("sda");
    preferences().setBool("ShowUnsupportedDrives", true);
    for (const auto &item : cases) {
        preferences().setInteger("TestsInProgress", 1);
        preferences().setDate("/dev/sda_TestEndTime", clock.addSecs(item.secondsAhead));
        answerNextAlerts({item.answer});
        const qsizetype before = alerts().size();
        KZAppController app(environment);
        app.awakeFromNib();
        QSignalSpy scanned(&app, &KZAppController::scanFinished);
        app.applicationDidFinishLaunching();
        ASSERT_TRUE(waitFor([&] { return scanned.count() > 0; }));
        app.toggleTimer();

        const QList<ShownAlert> shown = alerts().mid(before);
        ASSERT_EQ(shown.size(), item.warned ? 1 : 0) << item.secondsAhead;
        if (item.warned) {
            EXPECT_FALSE(shown.first().critical);
            EXPECT_EQ(shown.first().title, "Warning: Self Tests in Progress!");
            EXPECT_TRUE(shown.first().text.startsWith("Warning: One or more drives"));
            EXPECT_EQ(shown.first().buttons,
                      QStringList({"OK", "Continue Scanning", "Skip Drives"}));
            EXPECT_EQ(preferences().integerForKey("TestsInProgress"), 1);
        } else {
            EXPECT_EQ(preferences().integerForKey("TestsInProgress"), 0);
        }
        ASSERT_EQ(app.drives().size(), 1);
        EXPECT_EQ(app.drives().first()->testInProgress(), item.marked) << item.secondsAhead;
    }
}

// A failed discovery shows the "Error parsing drives" alert once per scan
// (on the GUI thread) and the scan goes on.
TEST_F(CycleTest, FailedDiscoveryAlertsAndGoesOn)
{
    environment.options.lsblk = TestSupport::writeScript("lsblk", "#!/bin/sh\necho garbage\n");
    launch();
    const QList<ShownAlert> shown = alerts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.first().critical);
    EXPECT_TRUE(shown.first().onGuiThread);
    EXPECT_EQ(shown.first().title, "Error parsing drives");
    EXPECT_EQ(shown.first().text,
              "Cannot parse drives. Please contact support@tarnwell.org for help.");
    EXPECT_FALSE(controller().isBusy());
    EXPECT_TRUE(controller().drivesWindow()->windowTitle().contains("Last Update"));
}

// A window without drives says why. While the first scan reads, it says so;
// afterwards it names the disk left out and why. A disk refused to a normal
// user where no helper is installed brings the advice once, after the scan.
TEST_F(CycleTest, WithoutDrivesTheWindowSaysWhy)
{
    machine.addUntypedDrive("vda");
    machine.hold();
    QSignalSpy scanned(&controller(), &KZAppController::scanFinished);
    controller().applicationDidFinishLaunching();
    ASSERT_TRUE(waitFor([&] { return machine.held(); })) << "smartctl was not run";
    const KZSummaryPanel *summary = controller().driveBrowser()->summaryPanel();
    const QLineEdit *status = summary->field("overallSMARTStatus");
    const QLabel *reason = summary->findChild<QLabel *>("statusReason");
    EXPECT_EQ(status->text(), "READING");
    machine.release();
    ASSERT_TRUE(waitFor([&] { return scanned.count() > 0; })) << "the first scan did not end";
    EXPECT_EQ(status->text(), "NO DRIVES");
    EXPECT_TRUE(reason->text().startsWith("1 disk found, none with S.M.A.R.T. data: vda "
                                          "(smartctl cannot tell its device type)."))
        << reason->text().toStdString();
    EXPECT_TRUE(reason->text().contains("\"Also list drives without S.M.A.R.T. support\""));

    KZSmartctlHelper::setSetupForTesting(KZSmartctlHelper::Setup{});
    machine.addRefusedDrive("sdb");
    controller().scanDrives();
    ASSERT_TRUE(waitFor([&] { return scanned.count() > 1; })) << "the second scan did not end";
    updateAndWait();
    KZSmartctlHelper::setSetupForTesting(std::nullopt);
    const QList<ShownAlert> shown = alerts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_FALSE(shown.first().critical);
    EXPECT_TRUE(shown.first().onGuiThread);
    EXPECT_EQ(shown.first().title, "Your disks cannot be read");
    EXPECT_TRUE(shown.first().text.contains(KZSmartctlHelper::expectedHelperPath()));
    EXPECT_EQ(controller().drives().size(), 1);
    EXPECT_EQ(controller().drives().first()->driveReadFailure(),
              KZSMARTDrive::ReadFailure::PermissionDenied);
}
