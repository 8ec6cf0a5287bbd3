// The scan and the update of the tray monitor, on a worker thread.
#include "KZTarnwellMenuItemController.h"

#include "KZCheckCycle.h"
#include "KZDesktopNotifier.h"
#include "KZLocalization.h"
#include "KZLog.h"
#include "KZMailSender.h"
#include "KZNotificationCenter.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "KZSMARTScanner.h"

#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include <atomic>
#include <thread>

namespace {

// Jobs on worker threads that have not finished yet.
std::atomic<int> runningJobs{0};

} // namespace

// What a job hands back to the GUI thread: values only, nothing of the drive
// list, which belongs to the worker while a job runs.
struct KZTarnwellMenuItemController::Outcome
{
    KZMenuItemSnapshot snapshot;
    QList<KZHealthHistory::Change> worse;
    // Notifications no notification service took; the tray shows them.
    QList<KZHealthHistory::Change> unshown;
};

// Progress notifications come from the threads that read the drives (more
// than one when drives are read side by side): they are counted here and
// the count is handed to the GUI thread, one queued call at a time.
struct KZTarnwellMenuItemController::ProgressState
{
    std::atomic<bool> active{false};
    std::atomic<int> count{0};
    std::atomic<int> total{0};
    std::atomic<bool> queued{false};
    QPointer<KZTarnwellMenuItemController> controller;
};

KZTarnwellMenuItemController::~KZTarnwellMenuItemController()
{
    if (!m_terminated)
        applicationWillTerminate();
    if (m_progressObserver)
        KZNotificationCenter::defaultCenter().removeObserver(m_progressObserver);
    if (m_progress)
        m_progress->controller = nullptr;
}

int KZTarnwellMenuItemController::workerJobsRunning()
{
    return runningJobs.load();
}

void KZTarnwellMenuItemController::configureScanner(KZSMARTScanner &scanner) const
{
    if (!m_environment.options.smartctl.isEmpty())
        scanner.setSmartctlOverride(m_environment.options.smartctl);
    if (!m_environment.options.lsblk.isEmpty())
        scanner.setToolProgram(KZSMARTScanner::lsblkTool, m_environment.options.lsblk);
}

void KZTarnwellMenuItemController::setUpProgressObserver()
{
    m_progress = std::make_shared<ProgressState>();
    m_progress->controller = this;
    std::weak_ptr<ProgressState> weak = m_progress;
    m_progressObserver = KZNotificationCenter::defaultCenter().addObserver(
        KZUpdateInfoProgressBarNotification, [weak](const QString &, const QVariant &) {
            const std::shared_ptr<ProgressState> state = weak.lock();
            if (!state || !state->active.load())
                return;
            ++state->count;
            if (state->queued.exchange(true))
                return;
            QMetaObject::invokeMethod(
                qApp,
                [state] {
                    state->queued = false;
                    if (state->controller && state->active.load())
                        state->controller->showProgress(state->count.load());
                },
                Qt::QueuedConnection);
        });
}

void KZTarnwellMenuItemController::showProgress(int notifications)
{
    if (!m_twStatusItem)
        return;
    const int total = qMax(1, m_progress->total.load());
    const int percent = qBound(0, notifications * 100 / total, 100);
    m_twStatusItem->setToolTip(
        KZLocalization::localizedString(QStringLiteral("CheckingDrives"),
                                        QStringLiteral("Tarnwell: checking the drives (%@%)"))
            .replace(QStringLiteral("%@"), QString::number(percent)));
}

void KZTarnwellMenuItemController::scanForDrives()
{
    startJob(Job::Scan);
}

void KZTarnwellMenuItemController::updateDrives()
{
    startJob(Job::Update);
}

void KZTarnwellMenuItemController::startJob(Job job)
{
    if (!m_smartScanner)
        return;
    if (m_busy) {
        // A rescan asked for during an update wins over a second update.
        if (job == Job::Scan || m_pendingJob == Job::None)
            m_pendingJob = job;
        KZLog::debug(m_outputDebugMessages,
                     QStringLiteral("The drives are being read: the command runs afterwards."));
        return;
    }
    m_busy = true;
    m_outputDebugMessages =
        KZPreferences::standard().boolForKey(QStringLiteral("OutputDebugMessages"));
    m_progress->count = 0;
    m_progress->total = 7 * qMax<qsizetype>(1, m_smartScanner->getDrives().size());
    m_progress->active = true;
    showProgress(0);

    const std::shared_ptr<KZSMARTScanner> scanner = m_smartScanner;
    const std::shared_ptr<KZHealthHistory> history = m_history;
    const Environment environment = m_environment;
    const bool blink1Available = m_blink1Available;
    const bool debug = m_outputDebugMessages;
    const std::shared_ptr<Outcome> outcome = std::make_shared<Outcome>();
    QPointer<KZTarnwellMenuItemController> guard(this);
    ++runningJobs;
    std::thread([=] {
        scanner->setOutputDebugMessages(debug);
        bool listed = true;
        if (job == Job::Scan) {
            KZLog::debug(debug, QStringLiteral("Starting drive scan."));
            listed = scanner->scanForDrives();
        }
        if (!listed)
            outcome->snapshot.outcome = KZMenuItemSnapshot::Outcome::ScanFailed;
        else if (scanner->getDrives().isEmpty())
            outcome->snapshot.outcome = KZMenuItemSnapshot::Outcome::NoDrives;
        else
            runUpdate(*scanner, environment, blink1Available, *history, *outcome);
        QMetaObject::invokeMethod(
            qApp,
            [guard, outcome] {
                --runningJobs;
                if (guard)
                    guard->finishJob(outcome);
            },
            Qt::QueuedConnection);
    }).detach();
}

void KZTarnwellMenuItemController::runUpdate(KZSMARTScanner &scanner,
                                             const Environment &environment, bool blink1Available,
                                             KZHealthHistory &history, Outcome &outcome)
{
#ifdef Q_OS_MACOS
    // The smartctl copy inside the monitor's own bundle, when the system has none.
    for (const std::shared_ptr<KZSMARTDrive> &drive : scanner.getDrives())
        drive->setBundlePath(QCoreApplication::applicationDirPath() + QStringLiteral("/../.."));
#endif
    scanner.updateDrives();
    QList<const KZSMARTDrive *> drives;
    for (const std::shared_ptr<KZSMARTDrive> &drive : scanner.getDrives())
        drives.append(drive.get());

    KZPreferences &preferences = KZPreferences::standard();
    KZCheckCycle::Options options;
    options.program = KZMailProgram::MenuItem;
    options.checkTime = environment.clock();
    options.blink1Available = blink1Available;
    options.mailSender = KZMailSender(KZMailSender::Copy::MenuItem);
    if (!environment.options.sendemail.isEmpty())
        options.mailSender.setSenderProgram(environment.options.sendemail);
    options.waitForMail = false;
    options.preferences = &preferences;
    const KZCheckCycle::Result result = KZCheckCycle::finishUpdate(drives, options);
    if (!result.driveListWritten)
        KZLog::log(QStringLiteral("The drive list file could not be written."));

    const QList<const KZSMARTDrive *> walked = KZAlertMail::menuItemWalk(drives);
    outcome.snapshot.outcome = KZMenuItemSnapshot::Outcome::Drives;
    for (const KZSMARTDrive *drive : walked)
        outcome.snapshot.drives.append(KZMenuItemDrive::fromDrive(*drive));
    outcome.snapshot.overallStatus = result.mergedStatus;
    outcome.snapshot.lastUpdated = result.checkTime;

    outcome.worse = history.record(KZHealthHistory::observationsOf(walked));
    if (!KZHealthHistory::notificationsEnabled(preferences))
        return;
    for (const KZHealthHistory::Change &change : std::as_const(outcome.worse)) {
        KZLog::log(QStringLiteral("Drive got worse: %1").arg(KZHealthHistory::summaryOf(change)));
        if (!KZDesktopNotifier::notify(
                QStringLiteral("Tarnwell Menu Item"),
                change.health == 3 ? QStringLiteral("org.tarnwell.Tarnwell-red")
                                   : QStringLiteral("org.tarnwell.Tarnwell-yellow"),
                KZHealthHistory::summaryOf(change), KZHealthHistory::bodyOf(change)))
            outcome.unshown.append(change);
    }
}

void KZTarnwellMenuItemController::finishJob(const std::shared_ptr<Outcome> &outcome)
{
    m_progress->active = false;
    m_busy = false;
    if (m_twStatusItem)
        m_twStatusItem->setToolTip(KZLocalization::localizedString(QStringLiteral("Tarnwell"),
                                                                   QStringLiteral("Tarnwell")));
    m_menuModel.showSnapshot(outcome->snapshot);
    if (m_updateItemAfterJob) {
        m_updateItemAfterJob = false;
        m_menuModel.appendUpdateAvailable();
    }
    if (outcome->snapshot.outcome == KZMenuItemSnapshot::Outcome::Drives) {
        m_overallStatus = outcome->snapshot.overallStatus;
        setStatusImage(m_overallStatus);
    }
    rebuildMenu();
    showNotifications(outcome->unshown);
    KZLog::debug(m_outputDebugMessages,
                 QStringLiteral("Menu: %1").arg(m_menuModel.titles().join(QStringLiteral(" | "))));
    Q_EMIT menuUpdated();
    runPendingJob();
}

void KZTarnwellMenuItemController::runPendingJob()
{
    const Job pending = m_pendingJob;
    m_pendingJob = Job::None;
    if (pending != Job::None && !m_terminated)
        startJob(pending);
}
