#pragma once

#include "KZAppcastReader.h"
#include "KZHealthHistory.h"
#include "KZMenuItemMenu.h"
#include "KZProgramOptions.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class KZSMARTScanner;
class KZSparkleVersionComparator;
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
//   KZTarnwellMenuItemController+Update.cpp  scan and update on the worker thread
//   KZTarnwellMenuItemController+Menu.cpp    the menu and the icons
//
// Threads. A scan or an update runs on a worker thread, one at a time; the
// menu keeps showing the last result until the new one is ready, and the
// tray icon answers all the while. A timer tick during a job is skipped; a
// command chosen during one runs when it has finished. Mails are sent on
// their own detached threads.
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
    void checkTimer();
    void toggleTimer();
    void reloadPreferences();
    // The timer's period: "PollingInterval" seconds, never below an hour.
    static qint64 pollingIntervalSeconds();

    // ---- update hand-off ----
    bool updaterShouldPromptForPermissionToCheckForUpdates() const { return false; }
    void updaterDidFindValidUpdate(const KZAppcastItem &item);
    const KZSparkleVersionComparator &versionComparatorForUpdater() const;

    // ---- state ----
    const KZMenuItemMenu &menuModel() const { return m_menuModel; }
    QMenu *twMenu() const { return m_twMenu.get(); }
    QSystemTrayIcon *twStatusItem() const { return m_twStatusItem; }
    int overallStatus() const { return m_overallStatus; }
    // The status whose icon the tray shows now.
    int shownStatus() const { return m_shownStatus; }
    bool blink1Available() const { return m_blink1Available; }
    QTimer *pollingTimer() const { return m_pollingTimer; }
    bool isBusy() const { return m_busy; }
    KZAppcastReader *updater() const { return m_updater; }
    QDateTime now() const;
    // The action of a menu item, by its title (tests and accessibility).
    QAction *actionNamed(const QString &title) const;
    // Worker jobs that have not finished (the program ends without waiting
    // for a hung one).
    static int workerJobsRunning();

Q_SIGNALS:
    // The menu shows the result of a scan or an update.
    void menuUpdated();
    // The launch-time update check has ended.
    void updateCheckFinished(const KZUpdateCheckResult &result);

private:
    enum class Job
    {
        None,
        Update,
        Scan
    };
    struct Outcome;
    struct ProgressState;

    // +Update.cpp
    void startJob(Job job);
    void finishJob(const std::shared_ptr<Outcome> &outcome);
    void runPendingJob();
    static void runUpdate(KZSMARTScanner &scanner, const Environment &environment,
                          bool blink1Available, KZHealthHistory &history, Outcome &outcome);
    void setUpProgressObserver();
    void showProgress(int notifications);
    void configureScanner(KZSMARTScanner &scanner) const;

    // +Menu.cpp
    void rebuildMenu();
    void setStatusImage(int status);
    void showNotifications(const QList<KZHealthHistory::Change> &changes);

    Environment m_environment;

    std::unique_ptr<QMenu> m_twMenu;
    QSystemTrayIcon *m_twStatusItem = nullptr;
    KZMenuItemMenu m_menuModel;
    QTimer *m_pollingTimer = nullptr;
    qint64 m_pollingSeconds = 0;
    std::shared_ptr<KZSMARTScanner> m_smartScanner;
    std::shared_ptr<KZHealthHistory> m_history;
    int m_overallStatus = 1;
    int m_shownStatus = 1;
    bool m_blink1Available = false;
    bool m_outputDebugMessages = false;
    KZAppcastReader *m_updater = nullptr;

    bool m_busy = false;
    // An update was found while a check ran: its item follows that check's menu.
    bool m_updateItemAfterJob = false;
    Job m_pendingJob = Job::None;
    std::shared_ptr<ProgressState> m_progress;
    quint64 m_progressObserver = 0;
    QList<quint64> m_distributedObservers;
    bool m_terminated = false;
};
