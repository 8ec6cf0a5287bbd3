// The real tray monitor program on the test session's bus, under the virtual
// display with trayer as its tray: its name, its alert mail, its desktop
// notification, and quitting when asked.
#include "AlertTestSupport.h"
#include "KZDistributedNotificationCenter.h"
#include "KZDriveListFile.h"
#include "KZPaths.h"
#include "KZPreferences.h"
#include "KZSessionBus.h"
#include "MenuItemTestSupport.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace MenuItemTestSupport;

namespace {

class MenuItemProgramTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QString why;
        if (!TrayHost::available(&why))
            GTEST_SKIP() << why.toStdString();
        if (!KZSessionBus::isConnected())
            GTEST_SKIP() << "no D-Bus session bus: run through scripts/with-test-session.sh";
        if (TestSupport::realSmartctl().isEmpty())
            GTEST_SKIP() << "smartctl is not installed";
        m_tray = std::make_unique<TrayHost>();
        ASSERT_TRUE(m_tray->start());
        QFile::remove(KZPaths::logFile());
        QFile::remove(KZDriveListFile::filePath());
    }
    void TearDown() override
    {
        m_machine.release();
        if (m_monitor.state() != QProcess::NotRunning) {
            m_monitor.kill();
            m_monitor.waitForFinished(10000);
        }
        EXPECT_TRUE(waitFor("the tray monitor to leave the bus",
                            [] { return !KZSessionBus::isNameOwned(KZSessionBus::menuItemName); }));
    }

    testing::AssertionResult startMonitor(const QStringList &extra = {})
    {
        m_monitor.start(QStringLiteral(TARNWELL_MENU_ITEM),
                        QStringList{"--smartctl", m_machine.smartctl(), "--lsblk",
                                    m_machine.lsblk(), "--blink1-tool",
                                    "/nonexistent/blink1-tool"} +
                            extra);
        if (!m_monitor.waitForStarted(10000))
            return testing::AssertionFailure()
                   << "tarnwell-menu-item did not start: " << m_monitor.errorString().toStdString();
        return waitFor("the tray monitor on the bus",
                       [] { return KZSessionBus::isNameOwned(KZSessionBus::menuItemName); });
    }

    // The monitor's object on the bus.
    QVariant property(const char *name)
    {
        QDBusInterface monitor(KZSessionBus::menuItemName, "/org/tarnwell/TarnwellMenuItem",
                               "org.tarnwell.TarnwellMenuItem");
        return monitor.property(name);
    }
    testing::AssertionResult waitForMenu(const std::function<bool(const QStringList &)> &condition)
    {
        return waitFor("the tray monitor's menu", [&] {
            return !property("Busy").toBool() && condition(property("MenuTitles").toStringList());
        });
    }
    void call(const char *method)
    {
        QDBusInterface monitor(KZSessionBus::menuItemName, "/org/tarnwell/TarnwellMenuItem",
                               "org.tarnwell.TarnwellMenuItem");
        const QDBusMessage reply = monitor.call(QString::fromLatin1(method));
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }
    QString log() const { return QString::fromUtf8(TestSupport::readFile(KZPaths::logFile())); }

    std::unique_ptr<TrayHost> m_tray;
    ForgedMachine m_machine;
    QProcess m_monitor;
};

} // namespace

TEST_F(MenuItemProgramTest, MailsItsAlertAndRunsUntilAskedToQuit)
{
    SKIP_WITHOUT_SMTP();
    AlertTestSupport::SmtpServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    writePreferences({{"EmailCustomPort", server.port()}, {"EmailDriveFailing", "YES"}});
    m_machine.addDrive("sda", passedDrive("ALPHA DISK", "SN-A"));
    m_machine.addDrive("sdb", failingDrive("BETA DISK", "SN-B"));
    ASSERT_TRUE(startMonitor());

    const auto messages = server.waitForMessages(1, TestSupport::waitLimitMs);
    ASSERT_EQ(messages.size(), 1) << log().toStdString();
    EXPECT_EQ(messages.first()["subject"].toString(),
              "Tarnwell Menu Item Report (Prüfstand): FAILING DRIVES!");
    // A drive without volumes is named by its model alone.
    EXPECT_EQ(messages.first()["body"].toString().trimmed(), "BETA DISK: FAILING");
    ASSERT_TRUE(waitForMenu([](const QStringList &titles) { return titles.size() > 8; }));
    EXPECT_EQ(property("OverallStatus").toInt(), 2);
    const QByteArray list = TestSupport::readFile(KZDriveListFile::filePath());
    EXPECT_TRUE(list.contains("<string>BETA DISK</string>"));
    EXPECT_FALSE(list.contains("with partitions"));
    // trayer took the icon.
    EXPECT_FALSE(log().contains("No system tray")) << log().toStdString();

    // A second monitor of the session ends at once.
    QProcess second;
    second.start(QStringLiteral(TARNWELL_MENU_ITEM), {"--lsblk", m_machine.lsblk()});
    ASSERT_TRUE(second.waitForFinished(TestSupport::waitLimitMs))
        << "the second monitor did not end";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(log().contains("Tarnwell Menu Item is already running."));

    KZDistributedNotificationCenter application(
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "application"));
    QStringList heard;
    application.addObserver(
        KZDistributedNotifications::menuItemUnload,
        [&heard](const QString &, const QString &object) { heard.append(object); });
    application.postNotification(KZDistributedNotifications::quit);
    ASSERT_TRUE(waitFor("the tray monitor to end",
                        [&] { return m_monitor.state() == QProcess::NotRunning; }));
    EXPECT_EQ(m_monitor.exitCode(), 0);
    ASSERT_TRUE(
        waitFor("the tray monitor's unload notification", [&] { return !heard.isEmpty(); }));
    EXPECT_EQ(heard, QStringList{"tarnwellMenuItemUnload"});
    EXPECT_FALSE(KZSessionBus::isNameOwned(KZSessionBus::menuItemName));
}

TEST_F(MenuItemProgramTest, NotifiesTheDesktopOnceWhenADriveGetsWorse)
{
    const QString record = TestSupport::homeDir() + "/notifications.jsonl";
    QFile::remove(record);
    QProcess notifications;
    notifications.start(QStringLiteral(TARNWELL_TEST_NOTIFICATIONS), {record});
    ASSERT_TRUE(notifications.waitForReadyRead(30000));
    ASSERT_EQ(notifications.readLine().trimmed(), "ready");

    writePreferences({});
    m_machine.addDrive("sda", passedDrive("ALPHA DISK", "SN-A"), {"Data", "Media"});
    ASSERT_TRUE(startMonitor());
    ASSERT_TRUE(waitForMenu(
        [](const QStringList &titles) { return titles.contains("Overall Status: Passed"); }));
    const auto calls = [&record] {
        return QString::fromUtf8(TestSupport::readFile(record)).split('\n', Qt::SkipEmptyParts);
    };
    // Passed to failed: one notification. Still failed: none more.
    for (int update = 0; update < 2; ++update) {
        m_machine.setDrive("sda", failedDrive("ALPHA DISK", "SN-A"));
        call("UpdateDrives");
        ASSERT_TRUE(waitForMenu(
            [](const QStringList &titles) { return titles.contains("Overall Status: FAILED!"); }));
    }
    ASSERT_TRUE(waitFor("a desktop notification", [&] { return calls().size() >= 1; }));
    ASSERT_EQ(calls().size(), 1);
    const QJsonObject notification = QJsonDocument::fromJson(calls().first().toUtf8()).object();
    EXPECT_EQ(notification["summary"].toString(),
              "ALPHA DISK with partitions Data, and Media: FAILED");
    EXPECT_EQ(notification["body"].toString(),
              "The drive was PASSED at the previous check. Back up its data now.");
    EXPECT_EQ(notification["appName"].toString(), "Tarnwell Menu Item");
    EXPECT_EQ(notification["urgency"].toInt(), 2);

    // Switched off, a drive that gets worse again is not announced.
    m_machine.setDrive("sda", passedDrive("ALPHA DISK", "SN-A"));
    call("UpdateDrives");
    ASSERT_TRUE(waitForMenu(
        [](const QStringList &titles) { return titles.contains("Overall Status: Passed"); }));
    KZPreferences(KZPaths::preferencesFile()).setBool("NotifyHealthWorse", false);
    m_machine.setDrive("sda", failingDrive("ALPHA DISK", "SN-A"));
    call("UpdateDrives");
    ASSERT_TRUE(waitForMenu(
        [](const QStringList &titles) { return titles.contains("Overall Status: FAILING!"); }));
    EXPECT_EQ(calls().size(), 1);
    notifications.kill();
    notifications.waitForFinished(5000);
}
