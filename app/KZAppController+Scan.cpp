// The scan and update cycle: what the main window shows of the checks its
// monitor core runs.
#include "KZAppController.h"

#include "KZAlertPresenter.h"
#include "KZCheckCycle.h"
#include "KZDriveBrowser.h"
#include "KZDriveStatus.h"
#include "KZDriveSummary.h"
#include "KZLog.h"
#include "KZMainWindow.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZProgressSheet.h"
#include "KZRecordedTexts.h"
#include "KZSMARTDrive.h"
#include "KZStatusIcons.h"

#include <QApplication>
#include <QProgressBar>
#include <QTimer>

namespace {

KZPreferences &preferences()
{
    return KZPreferences::standard();
}

} // namespace

KZAppController::~KZAppController()
{
    if (m_drivesWindow)
        m_drivesWindow->rememberGeometry();
    delete m_drivesWindow;
}

void KZAppController::createMonitor()
{
    KZMonitor::Settings settings;
    settings.program = KZMailProgram::Application;
    settings.options = m_environment.options;
    settings.clock = m_environment.clock;
    settings.mailFinished = emailResultHandler();
    m_monitor = new KZMonitor(settings, this);
    connect(m_monitor, &KZMonitor::scanStarted, this, &KZAppController::beginScan);
    connect(m_monitor, &KZMonitor::drivesListed, this, &KZAppController::finishListing);
    connect(m_monitor, &KZMonitor::updateStarted, this, &KZAppController::beginUpdate);
    connect(m_monitor, &KZMonitor::progress, this, &KZAppController::updateInfoProgressBar);
    connect(m_monitor, &KZMonitor::checkFinished, this, &KZAppController::finishCheck);
}

bool KZAppController::isBusy() const
{
    return m_optionsRunning || (m_monitor && m_monitor->isBusy());
}

bool KZAppController::blink1Available() const
{
    return m_monitor && m_monitor->blink1Available();
}

QTimer *KZAppController::pollingTimer() const
{
    return m_monitor ? m_monitor->pollingTimer() : nullptr;
}

// ---- scan ----

void KZAppController::scanDrives()
{
    if (m_optionsRunning) {
        KZLog::log(QStringLiteral("Drive scan skipped: smartctl with options is running."));
        return;
    }
    m_monitor->scan();
}

void KZAppController::beginScan()
{
    // The list is empty now: nothing of the last scan stays on the screen,
    // and the summary says that the drives are being read.
    m_driveSelected = 0;
    m_driveBrowser->setEmptyListText(KZDriveSummary::emptyList({}, true));
    refreshWindow();
    closeDetailWindows();
    m_scanSheet->begin();
}

void KZAppController::finishListing(bool scanSucceeded)
{
    m_scanSheet->end();
    if (!scanSucceeded)
        KZAlertPresenter::showCritical(tr("Error parsing drives"),
                                       tr("Cannot parse drives. Please contact %1 for help.")
                                           .arg(KZRecordedTexts::supportEmailAddress));

    if (!selfTestWarningCalledFor())
        return;
    const int answer = KZAlertPresenter::current().runAlert(
        KZAlertPresenter::Style::Informational, tr("Warning: Self Tests in Progress!"),
        tr("Warning: One or more drives currently has a self test in progress but "
           "does not support scanning SMART information while running tests. Do you "
           "want to scan anyway, or skip those drives?"),
        {tr("OK"), tr("Continue Scanning"), tr("Skip Drives")});
    if (answer != 2)
        return;
    for (const std::shared_ptr<KZSMARTDrive> &drive : drives()) {
        const QString key = drive->driveLocation() + KZPreferenceKeys::testEndTimeSuffix;
        const QVariant stored = preferences().objectForKey(key);
        if (stored.isValid() && !stored.toString().contains(QLatin1String("None")))
            drive->setSelfTestInProgress(true);
    }
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

void KZAppController::updateDriveInfo()
{
    if (m_optionsRunning) {
        KZLog::log(QStringLiteral("Update skipped: smartctl with options is running."));
        return;
    }
    m_monitor->update();
}

void KZAppController::beginUpdate(KZMonitor::Origin origin)
{
    m_outputDebugMessages = preferences().boolForKey(KZPreferenceKeys::outputDebugMessages);
    // A timed update in the background shows no sheet; any other one does.
    if (origin == KZMonitor::Origin::User || m_environment.applicationActive())
        m_updateSheet->begin();
}

void KZAppController::updateInfoProgressBar(int done, int total)
{
    QProgressBar *bar = updateProgressBar();
    if (!bar || total <= 0)
        return;
    // The bar is full when the last drive has reported its last step.
    const int value = int(qMin<qint64>(100, (qint64(done) * 100 + total / 2) / total));
    if (value > bar->value())
        bar->setValue(value);
}

void KZAppController::finishCheck(const KZMonitor::Result &result)
{
    m_updateSheet->end();
    if (result.job == KZMonitor::Job::Scan) {
        KZLog::debug(m_outputDebugMessages, QStringLiteral("Reloading drive display."));
        const KZDriveList &list = drives();
        for (qsizetype index = 0; index < list.size(); ++index)
            list.at(index)->setID(quint64(index));
    }
    m_driveSelected = 0;
    m_driveBrowser->setEmptyListText(KZDriveSummary::emptyList(result.skipped, false));
    updateDockIcon();
    if (result.checked && m_driveBrowser)
        m_driveBrowser->setHistoryFacts(result.history);
    refreshWindow();
    updateDetailWindows();
    if (result.checked)
        applyTitle(result.cycle.checkTime);
    // What broke off while the drives were read, told now: the check has
    // long ended, and the window-modal alert holds up nobody.
    if (!result.alerts.isEmpty())
        KZAlertPresenter::showCritical(
            tr("An Error Occurred"), KZRecordedTexts::shown(result.alerts, QStringLiteral("\n\n")));
    if (result.helperMissing)
        KZAlertPresenter::current().runAlert(KZAlertPresenter::Style::Informational,
                                             tr("Your disks cannot be read"), *result.helperMissing,
                                             {tr("OK")});
    if (result.job == KZMonitor::Job::Scan)
        Q_EMIT scanFinished();
    else
        Q_EMIT updateFinished();
}

void KZAppController::applyTitle(const QString &checkTime)
{
    m_drivesWindow->setWindowTitle(
        KZRecordedTexts::fill(tr("Tarnwell - Current Drives (Last Update: %1)"), {checkTime}));
}

// ---- timer, status, icon ----

void KZAppController::toggleTimer()
{
    m_monitor->setPolling(m_monitor->pollingTimer() == nullptr);
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
