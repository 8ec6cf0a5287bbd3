#include "KZTarnwellMenuItemController.h"

#include "KZBlink1Controller.h"
#include "KZDistributedNotificationCenter.h"
#include "KZLocalization.h"
#include "KZLog.h"
#include "KZLoginItem.h"
#include "KZPreferenceRules.h"
#include "KZPreferences.h"
#include "KZSMARTScanner.h"
#include "KZSessionBus.h"
#include "KZSparkleVersionComparator.h"
#include "KZStatusIcons.h"
#include "KZTask.h"

#include <QAction>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

#include <limits>

namespace {

KZPreferences &preferences()
{
    return KZPreferences::standard();
}

QString localized(const char *key, const char *defaultText)
{
    return KZLocalization::localizedString(QString::fromLatin1(key),
                                           QString::fromUtf8(defaultText));
}

} // namespace

KZTarnwellMenuItemController::KZTarnwellMenuItemController(Environment environment, QObject *parent)
    : QObject(parent), m_environment(std::move(environment)),
      m_history(std::make_shared<KZHealthHistory>())
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
    // The application's table of defaults without the blink(1) keys and
    // with the port as a text; stored values are the application's own,
    // both programs sharing one preferences file.
    KZPreferences &prefs = preferences();
    prefs.registerMenuItemDefaults();
    m_outputDebugMessages = prefs.boolForKey(QStringLiteral("OutputDebugMessages"));

    KZDistributedNotificationCenter &center = KZDistributedNotificationCenter::defaultCenter();
    m_distributedObservers.append(
        center.addObserver(KZDistributedNotifications::prefsChanged,
                           [this](const QString &, const QString &) { reloadPreferences(); }));
    m_distributedObservers.append(center.addObserver(
        KZDistributedNotifications::quit, [this](const QString &, const QString &) { quit(); }));

    if (!m_environment.options.blink1Tool.isEmpty())
        KZBlink1Controller::setToolPath(m_environment.options.blink1Tool);
    m_blink1Available = KZBlink1Controller::toolAvailable();

    m_twMenu = std::make_unique<QMenu>();
    m_twMenu->setAccessibleName(localized("Tarnwell", "Tarnwell"));
    m_twMenu->setToolTipsVisible(true);
    m_twStatusItem = new QSystemTrayIcon(this);
    m_twStatusItem->setContextMenu(m_twMenu.get());
    m_twStatusItem->setToolTip(localized("Tarnwell", "Tarnwell"));
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
    setUpProgressObserver();
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
    m_smartScanner = std::make_shared<KZSMARTScanner>();
    configureScanner(*m_smartScanner);
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
    if (m_pollingTimer)
        toggleTimer();
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

qint64 KZTarnwellMenuItemController::pollingIntervalSeconds()
{
    // Read as a number of seconds; a value below an hour (or none) would
    // make the monitor check more often than the application ever does,
    // and zero would spin: the application's floor holds here too.
    const double stored =
        preferences().objectForKey(QStringLiteral("PollingInterval")).toString().toDouble();
    const double floor = double(KZPreferenceRules::minimumPollingInterval);
    // QTimer takes milliseconds in an int: about 24 days at most.
    const double ceiling = double(std::numeric_limits<int>::max() / 1000);
    return qint64(qBound(floor, stored, ceiling));
}

void KZTarnwellMenuItemController::checkTimer()
{
    const bool poll = preferences().boolForKey(QStringLiteral("PollDrives"));
    if (poll != (m_pollingTimer != nullptr)) {
        toggleTimer();
        return;
    }
    // A new interval set in the application takes effect at once.
    if (m_pollingTimer && pollingIntervalSeconds() != m_pollingSeconds) {
        toggleTimer();
        toggleTimer();
    }
}

void KZTarnwellMenuItemController::toggleTimer()
{
    if (m_pollingTimer) {
        m_pollingTimer->stop();
        m_pollingTimer->deleteLater();
        m_pollingTimer = nullptr;
        m_pollingSeconds = 0;
        KZLog::debug(m_outputDebugMessages, QStringLiteral("Check timer stopped."));
        return;
    }
    m_pollingSeconds = pollingIntervalSeconds();
    m_pollingTimer = new QTimer(this);
    m_pollingTimer->setTimerType(Qt::VeryCoarseTimer);
    m_pollingTimer->setInterval(int(m_pollingSeconds * 1000));
    connect(m_pollingTimer, &QTimer::timeout, this, [this] {
        if (m_busy) {
            KZLog::log(QStringLiteral("Timer update skipped: the drives are being read."));
            return;
        }
        updateDrives();
    });
    m_pollingTimer->start();
    KZLog::debug(m_outputDebugMessages,
                 QStringLiteral("Check timer started: every %1 s.").arg(m_pollingSeconds));
}

void KZTarnwellMenuItemController::reloadPreferences()
{
    preferences().synchronize();
    m_outputDebugMessages = preferences().boolForKey(QStringLiteral("OutputDebugMessages"));
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
    if (m_busy) {
        m_updateItemAfterJob = true;
    } else {
        m_menuModel.appendUpdateAvailable();
        rebuildMenu();
    }
    // The application, at its start, sees the key, checks for the update
    // itself and removes the key.
    preferences().setBool(QStringLiteral("UpdateAvailable"), true);
    launchTarnwell();
}

const KZSparkleVersionComparator &KZTarnwellMenuItemController::versionComparatorForUpdater() const
{
    return KZSparkleVersionComparator::defaultComparator();
}
