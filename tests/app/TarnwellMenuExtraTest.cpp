// The application's side of the tray monitor, with the real monitor program
// on the test session's bus and trayer as its tray: the checkbox, the login
// item, the unload notification, preference changes, start-up and the
// update hooks.
#include "AppTestSupport.h"

#include "KZAppcastReader.h"
#include "KZLoginItem.h"
#include "KZPreferences.h"
#include "KZPreferencesWindow.h"
#include "KZSessionBus.h"
#include "KZTask.h"
#include "MenuItemTestSupport.h"
#include "WebTestServer.h"

#include <QCheckBox>
#include <QDBusInterface>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSpinBox>

using namespace AppTestSupport;

namespace {

const QString monitorProgram = QStringLiteral(TARNWELL_MENU_ITEM);

class MenuExtraTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        if (IsSkipped())
            return;
        QString why;
        if (!MenuItemTestSupport::TrayHost::available(&why))
            GTEST_SKIP() << why.toStdString();
        if (!KZSessionBus::isConnected())
            GTEST_SKIP() << "no D-Bus session bus: run through scripts/with-test-session.sh";
        // This program paints offscreen; the monitors it starts use the
        // virtual display and its tray.
        qunsetenv("QT_QPA_PLATFORM");
        m_tray = std::make_unique<MenuItemTestSupport::TrayHost>();
        ASSERT_TRUE(m_tray->start());
        KZLoginItem::setDefaultProgram(monitorProgram);
        QFile::remove(KZLoginItem::autostartFile());
        // What an earlier test left in the shared preferences.
        for (const char *key : {"MenuItemEnabled", "UpdateInProgress", "UpdateAvailable",
                                "UpdateFeedURL", "PollDrives", "PollingInterval"})
            KZPreferences::standard().removeObjectForKey(key);
        machine.addDrive("sda", passedDrive("ALPHA DISK", "SN-A"));
    }
    void TearDown() override
    {
        if (KZSessionBus::isNameOwned(KZSessionBus::menuItemName)) {
            monitor("Quit");
            EXPECT_TRUE(waitFor("the tray monitor to leave the bus", [] { return !running(); }));
        }
        KZLoginItem::setDefaultProgram({});
        qputenv("QT_QPA_PLATFORM", "offscreen");
        AppTest::TearDown();
    }

    static bool running() { return KZSessionBus::isNameOwned(KZSessionBus::menuItemName); }
    static QVariant monitorProperty(const char *name)
    {
        QDBusInterface monitor(KZSessionBus::menuItemName, "/org/tarnwell/TarnwellMenuItem",
                               "org.tarnwell.TarnwellMenuItem");
        return monitor.property(name);
    }
    static void monitor(const char *method)
    {
        QDBusInterface monitor(KZSessionBus::menuItemName, "/org/tarnwell/TarnwellMenuItem",
                               "org.tarnwell.TarnwellMenuItem");
        monitor.call(QString::fromLatin1(method));
    }
    QCheckBox *box()
    {
        controller().preferencesWindow();
        return controller().prefShowMenuExtra();
    }
    static bool enabledKey() { return KZPreferences::standard().boolForKey("MenuItemEnabled"); }

    std::unique_ptr<MenuItemTestSupport::TrayHost> m_tray;
};

} // namespace

TEST_F(MenuExtraTest, CheckboxStartsAndStopsTheMonitorWithItsLoginItem)
{
    launch();
    ASSERT_TRUE(box());
    EXPECT_FALSE(box()->isChecked());
    EXPECT_EQ(box()->accessibleName(), "Show Tarnwell Menu Item in the tray");
    EXPECT_FALSE(running());

    box()->click();
    ASSERT_TRUE(waitFor("the tray monitor on the bus", [] { return running(); }));
    EXPECT_TRUE(box()->isChecked());
    EXPECT_TRUE(enabledKey());
    const QString entry = QString::fromUtf8(TestSupport::readFile(KZLoginItem::autostartFile()));
    EXPECT_TRUE(entry.split('\n').contains("Exec=" + monitorProgram)) << entry.toStdString();
    // The monitor checks the drives the application was told to use.
    ASSERT_TRUE(waitFor("ALPHA DISK in the tray monitor's menu", [] {
        return monitorProperty("MenuTitles").toStringList().contains("ALPHA DISK");
    }));

    box()->click();
    EXPECT_FALSE(running());
    EXPECT_FALSE(box()->isChecked());
    EXPECT_FALSE(enabledKey());
    EXPECT_FALSE(QFileInfo::exists(KZLoginItem::autostartFile()));
}

TEST_F(MenuExtraTest, QuittingTheMonitorUnticksTheCheckbox)
{
    launch();
    box()->click();
    ASSERT_TRUE(waitFor("the tray monitor on the bus", [] { return running(); }));
    monitor("Quit"); // what its menu's Quit does
    ASSERT_TRUE(waitFor([this] { return !box()->isChecked(); }));
    EXPECT_TRUE(enabledKey()); // the wish stays
    EXPECT_TRUE(waitFor("the tray monitor to leave the bus", [] { return !running(); }));
}

TEST_F(MenuExtraTest, PreferencesChangedInTheApplicationReachTheMonitorsTimer)
{
    launch();
    box()->click();
    ASSERT_TRUE(waitFor("the tray monitor on the bus", [] { return running(); }));
    ASSERT_TRUE(waitFor("the tray monitor's timer at 1 hour",
                        [] { return monitorProperty("TimerInterval").toLongLong() == 3600; }));
    controller().preferencesWindow()->pollingHours()->setValue(5);
    EXPECT_TRUE(waitFor("the tray monitor's timer at 5 hours",
                        [] { return monitorProperty("TimerInterval").toLongLong() == 5 * 3600; }));
    controller().preferencesWindow()->findChild<QCheckBox *>("PollDrives")->click();
    EXPECT_TRUE(waitFor("the tray monitor's timer at 0 (off)",
                        [] { return monitorProperty("TimerInterval").toLongLong() == 0; }));
}

TEST_F(MenuExtraTest, StartUpTicksARunningMonitorAndStartsAWishedOne)
{
    // Wished for and not running: started.
    KZPreferences::standard().setBool("MenuItemEnabled", true);
    launch();
    ASSERT_TRUE(waitFor("the tray monitor on the bus", [] { return running(); }));
    EXPECT_TRUE(box()->isChecked());
    EXPECT_TRUE(QFileInfo::exists(KZLoginItem::autostartFile()));
}

TEST_F(MenuExtraTest, AMonitorAlreadyRunningIsRememberedAsWished)
{
    KZPreferences::standard().removeObjectForKey("MenuItemEnabled");
    ASSERT_TRUE(KZTask::launchDetached(
        monitorProgram, {"--lsblk", machine.lsblk(), "--smartctl", machine.smartctl()}));
    ASSERT_TRUE(waitFor("the tray monitor on the bus", [] { return running(); }));
    launch();
    EXPECT_TRUE(box()->isChecked());
    EXPECT_TRUE(enabledKey());
}

TEST_F(MenuExtraTest, AMonitorThatCannotBeAddedIsReported)
{
    KZLoginItem::setDefaultProgram(TestSupport::homeDir() + "/no-such-monitor");
    launch();
    TestSupport::StderrCapture log;
    box()->click();
    EXPECT_FALSE(box()->isChecked());
    EXPECT_FALSE(enabledKey());
    ASSERT_FALSE(alerts().isEmpty());
    EXPECT_TRUE(alerts().last().critical);
    EXPECT_EQ(alerts().last().title, "Adding Menu Item Failed");
    EXPECT_TRUE(log.text().contains("Failed adding Menu Item. Please contact support."));
}

TEST_F(MenuExtraTest, AnUpdateFoundByTheMonitorIsCheckedAtTheNextStart)
{
    WebTestServer server;
    ASSERT_TRUE(server.started());
    const QUrl feed = server.put("appcast.xml", WebTestServer::appcast({"99.1.0"}));
    KZPreferences &prefs = KZPreferences::standard();
    prefs.setString("UpdateFeedURL", feed.toString());
    prefs.setBool("UpdateAvailable", true);
    prefs.setBool("MenuItemEnabled", true);
    answerNextAlerts({1}); // "Later"
    launch();
    EXPECT_FALSE(prefs.hasStoredValue("UpdateAvailable"));
    ASSERT_TRUE(waitFor([this] {
        for (const ShownAlert &alert : alerts()) {
            if (alert.title == "A new version of Tarnwell is available")
                return true;
        }
        return false;
    }));
    // The monitor is back after the update.
    EXPECT_TRUE(waitFor("the tray monitor on the bus", [] { return running(); }));
}
