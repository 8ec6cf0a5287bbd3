// What the tray monitor shows of the checks its monitor core runs.
#include "KZTarnwellMenuItemController.h"

#include "KZDesktopNotifier.h"
#include "KZDriveCheck.h"
#include "KZLog.h"
#include "KZRecordedTexts.h"
#include "KZSMARTDrive.h"

#include <QFileInfo>
#include <QMenu>
#include <QSystemTrayIcon>

KZTarnwellMenuItemController::~KZTarnwellMenuItemController()
{
    if (!m_terminated)
        applicationWillTerminate();
}

void KZTarnwellMenuItemController::createMonitor()
{
    KZMonitor::Settings settings;
    settings.program = KZMailProgram::MenuItem;
    settings.options = m_environment.options;
    settings.clock = m_environment.clock;
    m_monitor = new KZMonitor(settings, this);
    m_monitor->setNotifiesWorseDrives(true);
    connect(m_monitor, &KZMonitor::updateStarted, this, [this] { showProgress(0, 1); });
    connect(m_monitor, &KZMonitor::progress, this, &KZTarnwellMenuItemController::showProgress);
    connect(m_monitor, &KZMonitor::checkFinished, this, &KZTarnwellMenuItemController::showCheck);
}

bool KZTarnwellMenuItemController::blink1Available() const
{
    return m_monitor && m_monitor->blink1Available();
}

QTimer *KZTarnwellMenuItemController::pollingTimer() const
{
    return m_monitor ? m_monitor->pollingTimer() : nullptr;
}

bool KZTarnwellMenuItemController::isBusy() const
{
    return m_monitor && m_monitor->isBusy();
}

void KZTarnwellMenuItemController::showProgress(int done, int total)
{
    if (!m_twStatusItem)
        return;
    const int percent = qBound(0, done * 100 / qMax(1, total), 100);
    m_twStatusItem->setToolTip(tr("Tarnwell: checking the drives (%1%)").arg(percent));
}

void KZTarnwellMenuItemController::scanForDrives()
{
    if (m_monitor && m_started)
        m_monitor->scan();
}

void KZTarnwellMenuItemController::updateDrives()
{
    if (m_monitor && m_started)
        m_monitor->update();
}

void KZTarnwellMenuItemController::showCheck(const KZMonitor::Result &result)
{
    if (m_twStatusItem)
        m_twStatusItem->setToolTip(QStringLiteral("Tarnwell"));
    // The list is the monitor's again until its next job: read it now.
    KZMenuItemSnapshot snapshot;
    if (result.job == KZMonitor::Job::Scan && !result.scanSucceeded) {
        snapshot.outcome = KZMenuItemSnapshot::Outcome::ScanFailed;
    } else if (!result.checked || m_monitor->drives().isEmpty()) {
        // Nothing to list: say why the disks found were left out.
        snapshot.outcome = KZMenuItemSnapshot::Outcome::NoDrives;
        for (const KZSkippedDisk &disk : result.skipped)
            snapshot.reasons.append(tr("%1: %2").arg(
                QFileInfo(disk.location).fileName(),
                KZRecordedTexts::shown(KZDriveCheck::skippedReason(disk.smartError))));
    } else {
        snapshot.outcome = KZMenuItemSnapshot::Outcome::Drives;
        for (const std::shared_ptr<KZSMARTDrive> &drive : m_monitor->drives())
            snapshot.drives.append(KZMenuItemDrive::fromDrive(*drive));
        snapshot.overallStatus = result.cycle.mergedStatus;
        snapshot.lastUpdated = result.cycle.checkTime;
    }
    m_menuModel.showSnapshot(snapshot);
    if (m_updateItemAfterJob) {
        m_updateItemAfterJob = false;
        m_menuModel.appendUpdateAvailable();
    }
    if (snapshot.outcome == KZMenuItemSnapshot::Outcome::Drives) {
        m_overallStatus = snapshot.overallStatus;
        setStatusImage(m_overallStatus);
    }
    rebuildMenu();
    showNotifications(result.unshown);
    if (result.helperMissing) {
        const QString summary = tr("Your disks cannot be read");
        if (!KZDesktopNotifier::notify(QStringLiteral("Tarnwell Menu Item"),
                                       QStringLiteral("org.tarnwell.Tarnwell-yellow"), summary,
                                       *result.helperMissing) &&
            m_twStatusItem)
            m_twStatusItem->showMessage(summary, *result.helperMissing, QSystemTrayIcon::Warning);
    }
    KZLog::debug(m_outputDebugMessages,
                 QStringLiteral("Menu: %1").arg(m_menuModel.titles().join(QStringLiteral(" | "))));
    Q_EMIT menuUpdated();
}
