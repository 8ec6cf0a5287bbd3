#include "KZSMARTScanner.h"

#include "KZBlockDeviceList.h"
#include "KZException.h"
#include "KZLog.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZRecordedTexts.h"
#include "KZSMARTDrive.h"
#include "KZSmartctlHelper.h"
#include "KZTask.h"

#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QThreadPool>

namespace {

// The serial number a drive can be merged by; a blank one (as some USB
// bridges report) says nothing about which disk it is.
std::optional<QString> mergeSerial(const KZSMARTDrive &drive)
{
    const std::optional<QString> &serial = drive.driveSerialNumber();
    if (!serial || serial->trimmed().isEmpty())
        return std::nullopt;
    return serial;
}

// Moves one volume name to the drive that stays after a merge. A name the
// drive already holds is not added twice (two device nodes of one disk, such
// as the paths of a multipath disk, both carry the volume built on them).
void moveVolumeName(KZSMARTDrive &drive, const QString &name)
{
    if (!drive.partitionNames().contains(name))
        drive.addPartitionName(name);
}

QString defaultLsblk()
{
    for (const char *candidate :
         {"/usr/bin/lsblk", "/bin/lsblk", "/usr/sbin/lsblk", "/sbin/lsblk"}) {
        const QString path = QString::fromLatin1(candidate);
        if (QFileInfo(path).isExecutable())
            return path;
    }
    const QString found = QStandardPaths::findExecutable(QStringLiteral("lsblk"));
    return found.isEmpty() ? QStringLiteral("/usr/bin/lsblk") : found;
}

} // namespace

KZSMARTScanner::KZSMARTScanner() = default;

KZSMARTScanner KZSMARTScanner::initForCommandLine()
{
    KZSMARTScanner scanner;
    scanner.m_enableCommandLineOption = true;
    return scanner;
}

KZSMARTScanner KZSMARTScanner::initWithFile(const QString &path)
{
    KZSMARTScanner scanner;
    auto drive = std::make_shared<KZSMARTDrive>();
    drive->setLocation(path);
    drive->setDriveAsFile(true);
    drive->setDebugState(
        KZPreferences::standard().boolForKey(KZPreferenceKeys::outputDebugMessages));
    scanner.m_drives.append(drive);
    return scanner;
}

void KZSMARTScanner::setToolProgram(const QString &tool, const QString &program)
{
    m_toolPrograms.insert(tool, program);
}

QString KZSMARTScanner::toolProgram(const QString &tool) const
{
    const QString chosen = m_toolPrograms.value(tool);
    if (!chosen.isEmpty())
        return chosen;
    if (tool == lsblkTool)
        return defaultLsblk();
    return tool;
}

void KZSMARTScanner::debugLog(const QString &message) const
{
    KZLog::debug(m_outputDebugMessages, message);
}

void KZSMARTScanner::recordScanAlert()
{
    m_scanAlert = KZRecordedTexts::english(KZRecordedTexts::scanAlert,
                                           {KZRecordedTexts::supportEmailAddress});
}

std::shared_ptr<KZSMARTDrive> KZSMARTScanner::makeDrive(const QString &location) const
{
    auto drive = std::make_shared<KZSMARTDrive>(
        m_enableCommandLineOption ? KZSMARTDrive::initForCommandLine() : KZSMARTDrive());
    drive->setLocation(location);
    drive->setDebugState(m_outputDebugMessages);
    if (!m_smartctlOverride.isEmpty())
        drive->setSmartctlOverride(m_smartctlOverride);
    return drive;
}

void KZSMARTScanner::addDrive(std::shared_ptr<KZSMARTDrive> drive)
{
    if (drive)
        m_drives.append(std::move(drive));
}

bool KZSMARTScanner::scanForDrives()
{
    if (!m_enableCommandLineOption)
        m_outputDebugMessages =
            KZPreferences::standard().boolForKey(KZPreferenceKeys::outputDebugMessages);
    m_drives.clear();
    m_skipped.clear();
    m_scanAlert.reset();
    debugLog(QStringLiteral("Parsing drives..."));

    std::optional<QStringList> listing;
    KZTask task;
    task.setTimeout(m_taskTimeoutSeconds);
    try {
        listing =
            task.parseCommandLine(toolProgram(lsblkTool), KZBlockDeviceList::lsblkArguments());
    } catch (const std::exception &error) {
        KZLog::log(
            QStringLiteral("Exception occured in parseDrives->parseCommandLine(lsblk)- %1: %2")
                .arg(KZException::nameOf(error), KZException::reasonOf(error)));
        recordScanAlert();
        return false;
    }
    if (!listing) {
        KZLog::log(QStringLiteral("lsblk returned error code: %1").arg(task.getErrorCode()));
        return false;
    }
    QString problem;
    const std::optional<QList<KZBlockDeviceList::Disk>> disks =
        KZBlockDeviceList::disksFromLsblk(*listing, &problem);
    if (!disks) {
        KZLog::log(QStringLiteral("lsblk returned unreadable output: %1").arg(problem));
        return false;
    }
    for (const KZBlockDeviceList::Disk &disk : *disks) {
        debugLog(QStringLiteral("Adding new drive to array: %1.").arg(disk.name));
        std::shared_ptr<KZSMARTDrive> drive = makeDrive(disk.path);
        drive->setListedIdentity(disk.model, disk.serial);
        for (const QString &volume : disk.volumeNames) {
            debugLog(QStringLiteral("Adding volume:"));
            debugLog(volume);
            drive->addPartitionName(volume);
        }
        m_drives.append(drive);
    }
    return true;
}

bool KZSMARTScanner::skippedWhileTesting(const KZSMARTDrive &drive)
{
    return drive.driveAbortOfflineCollection() && drive.driveSelfTestExecutionInProgress();
}

qint64 KZSMARTScanner::progressStepCount() const
{
    qint64 count = 0;
    for (const std::shared_ptr<KZSMARTDrive> &drive : m_drives) {
        if (!skippedWhileTesting(*drive))
            count += drive->progressStepCount();
    }
    return count;
}

void KZSMARTScanner::updateDrives(const ProgressHandler &stepDone)
{
    // The whole update reads the preferences once and writes what its drives
    // remembered once, when it ends.
    const KZPreferences::Batch preferences;
    const bool showUnsupported = m_showUnsupportedDrives.value_or(
        KZPreferences::standard().boolForKey(KZPreferenceKeys::showUnsupportedDrives));

    KZSmartctlHelper::beginScan();
    m_skipped.clear();
    // A drive that cannot be read while its self-test runs keeps its data.
    KZDriveList readable;
    QSet<const KZSMARTDrive *> testing;
    for (const std::shared_ptr<KZSMARTDrive> &drive : std::as_const(m_drives)) {
        if (skippedWhileTesting(*drive)) {
            debugLog(QStringLiteral("Skipping drive %1 while its self-test runs.")
                         .arg(drive->driveLocation()));
            testing.insert(drive.get());
        } else {
            readable.append(drive);
        }
    }
    for (const std::shared_ptr<KZSMARTDrive> &drive : std::as_const(readable)) {
        drive->setProgressHandler(stepDone);
        drive->setLeaveAsleep(leavesAsleep(*drive));
    }
    refresh(readable);
    for (const std::shared_ptr<KZSMARTDrive> &drive : std::as_const(readable))
        drive->setProgressHandler({});

    // Then, in list order, the filter and the merge.
    QSet<QString> serialNumbers;
    for (qsizetype index = 0; index < m_drives.size(); ++index) {
        const std::shared_ptr<KZSMARTDrive> drive = m_drives.at(index);
        if (testing.contains(drive.get()))
            continue;
        if (m_outputDebugMessages)
            debugLog(QStringLiteral("Update drive:\n%1").arg(drive->description()));

        const std::optional<QString> serial = mergeSerial(*drive);
        // A drive that did not answer stays: it may be a dying disk; and so
        // do a device the user named and a disk left asleep.
        if (!showUnsupported && !drive->smartSupported() && !drive->driveReadFailed() &&
            !drive->namedTarget() && !drive->driveSleeping()) {
            m_skipped.append(
                {drive->driveLocation(), drive->getLastSMARTErrorMessage().value_or(QString())});
            m_drives.removeAt(index);
            --index;
        } else if (serial && serialNumbers.contains(*serial) && merge(index)) {
            --index;
        } else if (serial) {
            serialNumbers.insert(*serial);
        }
    }
}

bool KZSMARTScanner::leavesAsleep(const KZSMARTDrive &drive) const
{
    const SleepPolicy &policy = m_sleepPolicy;
    if (!policy.leaveAsleep || (policy.wakeUnread && !drive.driveLastRead().isValid()))
        return false;
    return policy.maxSkipped <= 0 || drive.sleepingRefreshes() + 1 < policy.maxSkipped;
}

void KZSMARTScanner::refresh(const KZDriveList &drives) const
{
    // smartctl mostly waits for the device, so several drives are read at
    // once, each on a thread of its own that runs the drive's steps in order.
    const int workers = int(qMin<qsizetype>(m_refreshConcurrency, drives.size()));
    if (workers <= 1) {
        for (const std::shared_ptr<KZSMARTDrive> &drive : drives)
            drive->updateInfo();
        return;
    }
    QThreadPool pool;
    pool.setMaxThreadCount(workers);
    for (const std::shared_ptr<KZSMARTDrive> &drive : drives) {
        pool.start([drive] {
            try {
                drive->updateInfo();
            } catch (...) {
                KZLog::log(QStringLiteral("Exception occured in updateInfo of %1.")
                               .arg(drive->driveLocation()));
            }
        });
    }
    pool.waitForDone();
}

bool KZSMARTScanner::merge(qsizetype index)
{
    const std::shared_ptr<KZSMARTDrive> later = m_drives.at(index);
    const std::optional<QString> serial = mergeSerial(*later);
    qsizetype earlierIndex = 0;
    while (earlierIndex < index && mergeSerial(*m_drives.at(earlierIndex)) != serial)
        ++earlierIndex;
    // The drive that entered the serial number lies before this one; should
    // it not, nothing is merged.
    if (earlierIndex >= index)
        return false;
    const std::shared_ptr<KZSMARTDrive> earlier = m_drives.at(earlierIndex);
    debugLog(
        QStringLiteral("Merging drive %1 with drive %2 (same serial number %3).")
            .arg(later->driveLocation(), earlier->driveLocation(), serial.value_or(QString())));

    if (later->drivePartitionCount() > 0) {
        for (const QString &name : later->partitionNames())
            moveVolumeName(*earlier, name);
        m_drives.removeAt(index);
    } else if (earlier->drivePartitionCount() > 0) {
        for (const QString &name : earlier->partitionNames())
            moveVolumeName(*later, name);
        m_drives.removeAt(earlierIndex);
    } else {
        m_drives.removeAt(earlierIndex);
    }
    return true;
}
