#pragma once

#include "KZAppcastReader.h"
#include "KZHealthHistory.h"
#include "KZMenuItemMenu.h"
#include "KZMonitor.h"
#include "KZProgramOptions.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QTimer;

// The tray monitor: a tray icon showing the merged health of the drives as
// green, yellow or red, with a menu of the drives and their status lines. It
// checks the drives on its own timer with the same engine and discovery as
// the application, lights the blink(1) LED, records the problem drives in
// the shared drive list, mails alerts, and shows a desktop notification when
// a drive gets worse. It has no windows: it reads the application's
// preferences and re-reads them when the application says they changed.
//
// One class split by concern:
//   KZTarnwellMenuItemController.cpp         launch, shutdown, timer, preferences, the links
//                                            to the application, the update hand-off
//   KZTarnwellMenuItemController+Update.cpp  what a check of the monitor core shows
//   KZTarnwellMenuItemController+Menu.cpp    the menu and the icons
//
// The drives are checked by its KZMonitor, with the application's rules: a
// scan or an update runs off the GUI thread, one at a time; the menu keeps
// showing the last result until the new one is ready, and the tray icon
// answers all the while. A timer tick during a job is skipped; a command
// chosen during one runs when it has finished.
class KZTarnwellMenuItemController : public QObject
{
    Q_OBJECT

public:
    // What the controller asks of its surroundings; tests replace parts.
    struct Environment
    {
        // --smartctl, --lsblk, --sendemail, --blink1-tool.
        KZProgramOptions options;
        // The time now. Default: the clock.
        std::function<QDateTime()> clock;
        // Ends the program after the shutdown steps. Default: QCoreApplication::quit().
        std::function<void()> terminate;
        // The application started by "Launch Tarnwell" when it does not run.
        // Default: "tarnwell" beside this program.
        QString applicationProgram;
    };

    explicit KZTarnwellMenuItemController(Environment environment = {}, QObject *parent = nullptr);
    ~KZTarnwellMenuItemController() override;

    // ---- launch and shutdown ----
    // Defaults, observers, blink(1), the tray icon with its menu.
    void awakeFromNib();
    // The updater, the first scan, the timer.
    void applicationDidFinishLaunching();
    // Stops observing, announces the unload, stops the timer.
    void applicationWillTerminate();

    // ---- menu actions ----
    void resetMenu();
    void scanForDrives();
    void updateDrives();
    void launchTarnwell();
    void quit();

    // ---- timer and preferences ----
    // Brings the check timer in line with "PollDrives" and "PollingInterval".
    void checkTimer();
    void reloadPreferences();

    // ---- update hand-off ----
    void updaterDidFindValidUpdate(const KZAppcastItem &item);

    // ---- state ----
    const KZMenuItemMenu &menuModel() const { return m_menuModel; }
    QMenu *twMenu() const { return m_twMenu.get(); }
    QSystemTrayIcon *twStatusItem() const { return m_twStatusItem; }
    int overallStatus() const { return m_overallStatus; }
    // The status whose icon the tray shows now.
    int shownStatus() const { return m_shownStatus; }
    bool blink1Available() const;
    QTimer *pollingTimer() const;
    bool isBusy() const;
    // The monitor core (made by awakeFromNib()).
    KZMonitor *monitor() const { return m_monitor; }
    KZAppcastReader *updater() const { return m_updater; }
    QDateTime now() const;
    // The action of a menu item, by its title (tests and accessibility).
    QAction *actionNamed(const QString &title) const;

Q_SIGNALS:
    // The menu shows the result of a scan or an update.
    void menuUpdated();
    // The launch-time update check has ended.
    void updateCheckFinished(const KZUpdateCheckResult &result);

private:
    // +Update.cpp
    void createMonitor();
    void showProgress(int done, int total);
    void showCheck(const KZMonitor::Result &result);

    // +Menu.cpp
    void rebuildMenu();
    void setStatusImage(int status);
    void showNotifications(const QList<KZHealthHistory::Change> &changes);

    Environment m_environment;

    std::unique_ptr<QMenu> m_twMenu;
    QSystemTrayIcon *m_twStatusItem = nullptr;
    KZMenuItemMenu m_menuModel;
    KZMonitor *m_monitor = nullptr;
    bool m_started = false; // the first scan was asked for
    int m_overallStatus = 1;
    int m_shownStatus = 1;
    bool m_outputDebugMessages = false;
    KZAppcastReader *m_updater = nullptr;

    // An update was found while a check ran: its item follows that check's menu.
    bool m_updateItemAfterJob = false;
    QList<quint64> m_distributedObservers;
    bool m_terminated = false;
};
