#include "KZTarnwellMenuItemController.h"

#include "KZDistributedNotificationCenter.h"
#include "KZLog.h"
#include "KZLoginItem.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZSessionBus.h"
#include "KZStatusIcons.h"
#include "KZTask.h"

#include <QAction>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

KZPreferences &preferences()
{
    return KZPreferences::standard();
}

} // namespace

KZTarnwellMenuItemController::KZTarnwellMenuItemController(Environment environment, QObject *parent)
    : QObject(parent), m_environment(std::move(environment))
{
    if (!m_environment.clock)
        m_environment.clock = [] { return QDateTime::currentDateTime(); };
    if (!m_environment.terminate)
        m_environment.terminate = [] { QCoreApplication::quit(); };
    if (m_environment.applicationProgram.isEmpty())
        m_environment.applicationProgram =
            KZLoginItem::siblingProgram(QStringLiteral("tarnwell"), QStringLiteral("app"));
}

QDateTime KZTarnwellMenuItemController::now() const
{
    return m_environment.clock();
}

void KZTarnwellMenuItemController::awakeFromNib()
{
    // The application's table of defaults without the blink(1) keys; stored
    // values are the application's own, both programs sharing one file.
    KZPreferences &prefs = preferences();
    prefs.registerMenuItemDefaults();
    m_outputDebugMessages = prefs.boolForKey(KZPreferenceKeys::outputDebugMessages);

    KZDistributedNotificationCenter &center = KZDistributedNotificationCenter::defaultCenter();
    m_distributedObservers.append(
        center.addObserver(KZDistributedNotifications::prefsChanged,
                           [this](const QString &, const QString &) { reloadPreferences(); }));
    m_distributedObservers.append(center.addObserver(
        KZDistributedNotifications::quit, [this](const QString &, const QString &) { quit(); }));

    createMonitor();

    m_twMenu = std::make_unique<QMenu>();
    m_twMenu->setAccessibleName(QStringLiteral("Tarnwell"));
    m_twMenu->setToolTipsVisible(true);
    m_twStatusItem = new QSystemTrayIcon(this);
    m_twStatusItem->setContextMenu(m_twMenu.get());
    m_twStatusItem->setToolTip(QStringLiteral("Tarnwell"));
    // A click (not only the context button) opens the menu, as on every panel.
    connect(m_twStatusItem, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger && m_twMenu && !m_twMenu->isVisible())
                    m_twMenu->popup(m_twStatusItem->geometry().bottomLeft());
            });
    setStatusImage(1);
    rebuildMenu();
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        KZLog::log(QStringLiteral("No system tray is available yet: the drives are checked all "
                                  "the same, and the icon shows once a tray is there."));
    m_twStatusItem->show();
}

void KZTarnwellMenuItemController::applicationDidFinishLaunching()
{
    // No question and no automatic checks: at most one silent check now.
    m_updater = new KZAppcastReader(this);
    connect(m_updater, &KZAppcastReader::finished, this, [this](const KZUpdateCheckResult &result) {
        switch (result.outcome) {
        case KZUpdateCheckResult::Outcome::UpdateFound:
            updaterDidFindValidUpdate(result.item);
            break;
        case KZUpdateCheckResult::Outcome::NoUpdate:
            KZLog::debug(m_outputDebugMessages, QStringLiteral("No update is available."));
            break;
        case KZUpdateCheckResult::Outcome::Failed:
            KZLog::log(QStringLiteral("Update check failed: %1").arg(result.error));
            break;
        }
        Q_EMIT updateCheckFinished(result);
    });
    if (KZAppcastReader::checksEnabled(preferences()))
        m_updater->checkForUpdateInformation(KZAppcastReader::feedURL(preferences()),
                                             KZAppcastReader::currentVersion());

    m_overallStatus = 1;
    m_started = true;
    scanForDrives();
    checkTimer();
}

void KZTarnwellMenuItemController::applicationWillTerminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    KZDistributedNotificationCenter &center = KZDistributedNotificationCenter::defaultCenter();
    for (const quint64 token : std::as_const(m_distributedObservers))
        center.removeObserver(token);
    m_distributedObservers.clear();
    center.postNotification(KZDistributedNotifications::menuItemUnload,
                            KZDistributedNotifications::menuItemUnloadObject);
    // A call answered by the bus comes after the signal: once it is back,
    // the signal has left, before the connection closes with the process.
    QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")),
        QDBus::Block, 2000);
    if (m_monitor)
        m_monitor->setPolling(false);
}

void KZTarnwellMenuItemController::quit()
{
    applicationWillTerminate();
    if (m_twStatusItem)
        m_twStatusItem->hide();
    m_environment.terminate();
}

void KZTarnwellMenuItemController::resetMenu()
{
    m_menuModel.resetMenu();
    rebuildMenu();
}

void KZTarnwellMenuItemController::checkTimer()
{
    // A new interval set in the application takes effect at once.
    if (m_monitor)
        m_monitor->applyPollingPreferences();
}

void KZTarnwellMenuItemController::reloadPreferences()
{
    preferences().synchronize();
    m_outputDebugMessages = preferences().boolForKey(KZPreferenceKeys::outputDebugMessages);
    KZLog::debug(m_outputDebugMessages, QStringLiteral("Preferences changed: reloading."));
    checkTimer();
}

void KZTarnwellMenuItemController::launchTarnwell()
{
    // A running application is raised; otherwise it is started, with the
    // tools this monitor was told to use.
    if (KZSessionBus::isNameOwned(KZSessionBus::applicationName)) {
        QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
            KZSessionBus::applicationName, KZSessionBus::applicationPath,
            KZSessionBus::applicationInterface, QStringLiteral("Activate")));
        return;
    }
    const QStringList arguments = m_environment.options.toolArguments();
    QString error;
    if (!KZTask::launchDetached(m_environment.applicationProgram, arguments, &error))
        KZLog::log(QStringLiteral("Cannot launch Tarnwell: %1").arg(error));
}

void KZTarnwellMenuItemController::updaterDidFindValidUpdate(const KZAppcastItem &item)
{
    KZLog::log(QStringLiteral("An update is available: Tarnwell %1.").arg(item.displayVersion));
    // A check still running would reset the menu when it ends: the item then
    // follows its result.
    if (isBusy()) {
        m_updateItemAfterJob = true;
    } else {
        m_menuModel.appendUpdateAvailable();
        rebuildMenu();
    }
    // The application, at its start, sees the key, checks for the update
    // itself and removes the key.
    preferences().setBool(KZPreferenceKeys::updateAvailable, true);
    launchTarnwell();
}
