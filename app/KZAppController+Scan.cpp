#include "KZAppController.h"

#include "KZAlertPresenter.h"
#include "KZCheckCycle.h"
#include "KZDriveStatus.h"
#include "KZLocalization.h"
#include "KZLog.h"
#include "KZMainWindow.h"
#include "KZNotificationCenter.h"
#include "KZPreferences.h"
#include "KZProgressSheet.h"
#include "KZSMARTDrive.h"
#include "KZStatusIcons.h"

#include <QApplication>
#include <QProgressBar>
#include <QTimer>

#include <atomic>
#include <climits>
#include <thread>

namespace {

KZPreferences &preferences()
{
    return KZPreferences::standard();
}

QString localized(const char *key, const char *english)
{
    return KZLocalization::localizedString(QString::fromLatin1(key), QString::fromUtf8(english));
}

// Jobs on worker threads that have not finished yet (see workerJobsRunning()).
std::atomic<int> runningJobs{0};

} // namespace

// The progress notifications of an update come from the threads that read
// the drives (several at once when drives are read side by side). They are
// counted here and the count is handed to the GUI thread, which alone draws.
struct KZAppController::ProgressState
{
    std::atomic<bool> active{false};
    std::atomic<int> count{0};
    std::atomic<quint64> generation{0};
    QPointer<KZAppController> controller; // read on the GUI thread only
};

int KZAppController::workerJobsRunning()
{
    return runningJobs.load();
}

void KZAppController::runJob(std::function<void()> work, std::function<void()> done)
{
    QPointer<KZAppController> guard(this);
    ++runningJobs;
    std::thread([work = std::move(work), done = std::move(done), guard] {
        work();
        QMetaObject::invokeMethod(
            qApp,
            [done, guard] {
                --runningJobs;
                if (guard)
                    done();
            },
            Qt::QueuedConnection);
    }).detach();
}

void KZAppController::runDetached(std::function<void()> work)
{
    ++runningJobs;
    std::thread([work = std::move(work)] {
        work();
        --runningJobs;
    }).detach();
}

void KZAppController::setUpProgressObserver()
{
    if (m_progressObserver)
        return;
    m_progress = std::make_shared<ProgressState>();
    m_progress->controller = this;
    const std::shared_ptr<ProgressState> state = m_progress;
    m_progressObserver = KZNotificationCenter::defaultCenter().addObserver(
        KZUpdateInfoProgressBarNotification, [state](const QString &, const QVariant &) {
            if (!state->active.load())
                return;
            const quint64 generation = state->generation.load();
            const int count = ++state->count;
            QMetaObject::invokeMethod(
                qApp,
                [state, generation, count] {
                    if (state->controller && generation == state->generation.load())
                        state->controller->updateInfoProgressBar(count);
                },
                Qt::QueuedConnection);
        });
}

KZAppController::~KZAppController()
{
    if (m_progressObserver)
        KZNotificationCenter::defaultCenter().removeObserver(m_progressObserver);
    if (m_drivesWindow)
        m_drivesWindow->rememberGeometry();
    delete m_drivesWindow;
}

void KZAppController::createScanner()
{
    m_smartScanner = std::make_shared<KZSMARTScanner>();
    if (!m_environment.options.smartctl.isEmpty())
        m_smartScanner->setSmartctlOverride(m_environment.options.smartctl);
    if (!m_environment.options.lsblk.isEmpty())
        m_smartScanner->setToolProgram(KZSMARTScanner::lsblkTool, m_environment.options.lsblk);
}

// ---- scan ----

void KZAppController::scanDrives(QObject *sender)
{
    Q_UNUSED(sender);
    if (m_busy) {
        KZLog::log(QStringLiteral("Drive scan skipped: a scan or update is running."));
        return;
    }
    m_busy = true;
    if (m_smartScanner) {
        m_smartScanner->resetDrives();
        m_driveSelected = 0;
        refreshWindow();
    } else {
        createScanner();
    }
    closeDetailWindows();
    KZLog::debug(m_outputDebugMessages, QStringLiteral("Starting drive scan."));
    m_scanSheet->begin();

    const std::shared_ptr<KZSMARTScanner> scanner = m_smartScanner;
    auto succeeded = std::make_shared<bool>(true);
    runJob([scanner, succeeded] { *succeeded = scanner->scanForDrives(); },
           [this, succeeded] { finishScan(*succeeded); });
}

void KZAppController::finishScan(bool scanSucceeded)
{
    m_scanSheet->end();
    if (!scanSucceeded) {
        KZLog::log(QStringLiteral("Error parsing drives. Please contact developer."));
        KZAlertPresenter::showCritical(localized("ScanError1", "Error parsing drives"),
                                       localized("ScanError2", "Cannot parse drives. Please "
                                                               "contact ") +
                                           KZSupportEmailAddress + QStringLiteral(" for help."));
    }

    if (selfTestWarningCalledFor()) {
        const int answer = KZAlertPresenter::current().runAlert(
            KZAlertPresenter::Style::Informational,
            localized("TestWarning1", "Warning: Self Tests in Progress!"),
            localized("TestWarning2",
                      "Warning: One or more drives currently has a self test in progress but "
                      "does not support scanning SMART information while running tests. Do you "
                      "want to scan anyway, or skip those drives?"),
            {localized("OK", "OK"), localized("Continue", "Continue Scanning"),
             localized("Skip", "Skip Drives")});
        if (answer == 2) {
            for (const std::shared_ptr<KZSMARTDrive> &drive : drives()) {
                const QString key = drive->driveLocation() + QStringLiteral("_TestEndTime");
                const QVariant stored = preferences().objectForKey(key);
                if (stored.isValid() && !stored.toString().contains(QLatin1String("None")))
                    drive->setSelfTestInProgress(true);
            }
        }
    }

    startUpdate(nullptr, [this] {
        KZLog::debug(preferences().boolForKey(QStringLiteral("OutputDebugMessages")),
                     QStringLiteral("Reloading drive display."));
        const KZDriveList &list = drives();
        for (qsizetype index = 0; index < list.size(); ++index)
            list.at(index)->setID(quint64(index));
        m_driveSelected = 0;
        refreshWindow();
        m_busy = false;
        Q_EMIT scanFinished();
    });
}

bool KZAppController::selfTestWarningCalledFor()
{
    // The rule the command line applies too; it also sets "TestsInProgress"
    // back to 0 when no stored test end lies ahead.
    QStringList locations;
    for (const std::shared_ptr<KZSMARTDrive> &drive : drives())
        locations.append(drive->driveLocation());
    return KZCheckCycle::selfTestWarningCalledFor(locations, now(), preferences());
}

// ---- update ----

void KZAppController::updateDriveInfo(QObject *sender)
{
    if (m_busy) {
        KZLog::log(sender == m_pollingTimer && sender
                       ? QStringLiteral("Timed update skipped: a scan or update is running.")
                       : QStringLiteral("Update skipped: a scan or update is running."));
        return;
    }
    if (!m_smartScanner)
        createScanner();
    m_busy = true;
    startUpdate(sender, [this] { m_busy = false; });
}

void KZAppController::startUpdate(QObject *sender, std::function<void()> then)
{
    m_outputDebugMessages = preferences().boolForKey(QStringLiteral("OutputDebugMessages"));
    // A timed update in the background shows no sheet; any other one does.
    if (sender == nullptr || m_environment.applicationActive())
        m_updateSheet->begin();
    m_maxInfoProgressCount = m_smartScanner->progressNotificationCount();
    KZLog::debug(m_outputDebugMessages, QStringLiteral("Updating drive info."));
    ++m_progress->generation;
    m_progress->count = 0;
    m_progress->active = true;

    KZCheckCycle::Options options;
    options.checkTime = now();
    options.blink1Available = m_blink1Available;
    options.mailSender = mailSender();
    options.waitForMail = false;
    options.mailFinished = emailResultHandler();

    const std::shared_ptr<KZSMARTScanner> scanner = m_smartScanner;
    auto result = std::make_shared<KZCheckCycle::Result>();
    runJob(
        [scanner, options, result] {
            scanner->updateDrives();
            QList<const KZSMARTDrive *> checked;
            for (const std::shared_ptr<KZSMARTDrive> &drive : scanner->getDrives())
                checked.append(drive.get());
            *result = KZCheckCycle::finishUpdate(checked, options);
        },
        [this, result, then] {
            m_progress->active = false;
            m_updateSheet->end();
            m_driveSelected = 0;
            updateDockIcon();
            refreshWindow();
            updateDetailWindows();
            applyTitle(result->checkTime);
            Q_EMIT updateFinished();
            then();
        });
}

void KZAppController::updateInfoProgressBar(int notifications)
{
    QProgressBar *bar = updateProgressBar();
    if (!bar || m_maxInfoProgressCount <= 0)
        return;
    // The bar is full when the last drive has posted its last step.
    const int value = int(qMin<qint64>(
        100, (qint64(notifications) * 100 + m_maxInfoProgressCount / 2) / m_maxInfoProgressCount));
    if (value > bar->value())
        bar->setValue(value);
}

void KZAppController::applyTitle(const QString &checkTime)
{
    QString title = localized("WindowLastUpdated", "Tarnwell - Current Drives (Last Update: %@)");
    m_drivesWindow->setWindowTitle(title.replace(QStringLiteral("%@"), checkTime));
}

// ---- timer, status, icon ----

void KZAppController::toggleTimer()
{
    if (m_pollingTimer) {
        m_pollingTimer->stop();
        m_pollingTimer->deleteLater();
        m_pollingTimer = nullptr;
        return;
    }
    // Never more often than hourly, even when another program stored less.
    const qint64 seconds =
        qMax<qint64>(preferences().integerForKey(QStringLiteral("PollingInterval")), 3600);
    m_pollingTimer = new QTimer(this);
    m_pollingTimer->setObjectName(QStringLiteral("pollingTimer"));
    m_pollingTimer->setTimerType(Qt::VeryCoarseTimer);
    m_pollingTimer->setInterval(int(qMin<qint64>(seconds * 1000, INT_MAX)));
    QTimer *timer = m_pollingTimer;
    connect(timer, &QTimer::timeout, this, [this, timer] { updateDriveInfo(timer); });
    m_pollingTimer->start();
}

QString KZAppController::getDriveStatus(const KZSMARTDrive &drive)
{
    return KZDriveStatus::getDriveStatus(drive);
}

int KZAppController::mergedDriveStatus() const
{
    QList<const KZSMARTDrive *> list;
    for (const std::shared_ptr<KZSMARTDrive> &drive : drives())
        list.append(drive.get());
    return KZDriveStatus::mergedDriveStatus(list);
}

void KZAppController::updateDockIcon()
{
    m_shownStatus = mergedDriveStatus();
    const QIcon icon = KZStatusIcons::icon(m_shownStatus);
    QApplication::setWindowIcon(icon);
    m_drivesWindow->setWindowIcon(icon);
}
