#include "KZSMARTScanner.h"

#include "KZAlertPresenter.h"
#include "KZBlockDeviceList.h"
#include "KZException.h"
#include "KZLocalization.h"
#include "KZLog.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "KZTask.h"

#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QThreadPool>

namespace {

const QString diskPrefix = QStringLiteral("/dev/disk");
const QString volumesFolder = QStringLiteral("/Volumes/");
const QString privateFolder = QStringLiteral("/private/");
const QString rootLinkArrow = QStringLiteral("-> /");

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
        KZPreferences::standard().boolForKey(QStringLiteral("OutputDebugMessages")));
    scanner.m_drives.append(drive);
    return scanner;
}

KZSMARTScanner::BackEnd KZSMARTScanner::platformBackEnd()
{
#ifdef Q_OS_MACOS
    return BackEnd::MacOS;
#else
    return BackEnd::Linux;
#endif
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
    if (tool == lsTool)
        return QStringLiteral("/bin/ls");
    if (tool == dfTool)
        return QStringLiteral("/bin/df");
    if (tool == lsblkTool)
        return defaultLsblk();
    return tool;
}

void KZSMARTScanner::debugLog(const QString &message) const
{
    KZLog::debug(m_outputDebugMessages, message);
}

void KZSMARTScanner::showScanAlert() const
{
    if (m_enableCommandLineOption)
        return;
    KZAlertPresenter::showCritical(
        KZLocalization::localizedString(QStringLiteral("Exception1"),
                                        QStringLiteral("An Error Occurred")),
        KZLocalization::localizedString(
            QStringLiteral("Exception2"),
            QStringLiteral("An error occurred attempting to scan for drives. Tarnwell may work "
                           "incorrectly. Please contact ")) +
            KZSupportEmailAddress + QStringLiteral(" for help."));
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
            KZPreferences::standard().boolForKey(QStringLiteral("OutputDebugMessages"));
    m_drives.clear();
    debugLog(QStringLiteral("Parsing drives..."));
    return m_backEnd == BackEnd::MacOS ? scanMacOS() : scanLinux();
}

bool KZSMARTScanner::scanMacOS()
{
    std::optional<QStringList> listing;
    KZTask lsTask;
    lsTask.setTimeout(m_taskTimeoutSeconds);
    try {
        listing = lsTask.parseCommandLine(toolProgram(lsTool), QStringList{QStringLiteral("/dev")});
    } catch (const std::exception &error) {
        KZLog::log(
            QStringLiteral("Exception occured in parseDrives->parseCommandLine(lsArray)- %1: %2")
                .arg(KZException::nameOf(error), KZException::reasonOf(error)));
        showScanAlert();
        return false;
    }
    if (!listing) {
        KZLog::log(QStringLiteral("ls returned error code: %1").arg(lsTask.getErrorCode()));
        return false;
    }
    // Whole disks only: disk0 or disk12, not the slices (disk0s1) or the raw
    // nodes (rdisk0).
    for (const QString &line : *listing) {
        if (line.startsWith(QLatin1String("disk")) && (line.size() == 5 || line.size() == 6))
            newDrive(line);
    }

    debugLog(QStringLiteral("Parsing volumes."));
    std::optional<QStringList> volumes;
    KZTask dfTask;
    dfTask.setTimeout(m_taskTimeoutSeconds);
    try {
        volumes = dfTask.parseCommandLine(toolProgram(dfTool), QStringList());
    } catch (const std::exception &error) {
        KZLog::log(
            QStringLiteral("Exception occured in parseDrives->parseCommandLine(lsArray)- %1: %2")
                .arg(KZException::nameOf(error), KZException::reasonOf(error)));
        showScanAlert();
        return false;
    }
    if (!volumes) {
        KZLog::log(QStringLiteral("df returned error code: %1").arg(dfTask.getErrorCode()));
        return false;
    }
    for (const QString &line : *volumes) {
        if (line.contains(diskPrefix))
            addVolume(line);
    }
    return true;
}

bool KZSMARTScanner::scanLinux()
{
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
        showScanAlert();
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
        for (const QString &volume : disk.volumeNames) {
            debugLog(QStringLiteral("Adding volume:"));
            debugLog(volume);
            drive->addPartitionName(volume);
        }
        m_drives.append(drive);
    }
    return true;
}

void KZSMARTScanner::newDrive(const QString &name)
{
    debugLog(QStringLiteral("Adding new drive to array: %1.").arg(name));
    m_drives.append(makeDrive(QStringLiteral("/dev/") + name));
}

QString KZSMARTScanner::wholeDiskIdentifier(const QString &line)
{
    const qsizetype at = line.indexOf(diskPrefix);
    const QString remainder = line.mid(at < 0 ? 0 : at + diskPrefix.size());
    const qsizetype slice = remainder.indexOf(QLatin1Char('s'));
    QString number;
    if (slice >= 0 && slice <= 3) {
        number = remainder.left(slice);
    } else {
        // A whole disk mounted without slices: the number ends at the first blank.
        qsizetype blank = 0;
        while (blank < remainder.size() && remainder.at(blank) != QLatin1Char(' ') &&
               remainder.at(blank) != QLatin1Char('\t'))
            ++blank;
        number = remainder.left(blank);
    }
    return diskPrefix + number;
}

void KZSMARTScanner::addVolume(const QString &line)
{
    debugLog(QStringLiteral("Adding volume:"));
    debugLog(line);
    if (m_drives.isEmpty()) {
        newDriveWithVolume(line);
        return;
    }
    const QString identifier = wholeDiskIdentifier(line);
    std::optional<QString> found;
    for (const std::shared_ptr<KZSMARTDrive> &drive : std::as_const(m_drives)) {
        if (!drive->sameLocation(identifier))
            continue;
        found = findVolumeName(line);
        if (*found != removeDuplicateVolumeName)
            drive->addPartitionName(*found);
    }
    if (!found)
        newDriveWithVolume(line);
}

void KZSMARTScanner::newDriveWithVolume(const QString &line)
{
    debugLog(QStringLiteral("Adding new drive to array."));
    std::shared_ptr<KZSMARTDrive> drive = makeDrive(wholeDiskIdentifier(line));
    const QString name = findVolumeName(line);
    if (name.contains(QLatin1String("com.apple.TimeMachine"))) {
        debugLog(QStringLiteral("Skipping drive since its a local Time Machine snapshot."));
        return;
    }
    if (name.contains(QLatin1String("var/folders"))) {
        debugLog(QStringLiteral("Skipping drive since its a temporary app volume."));
        return;
    }
    // A mount below /private/ is never shown as a volume, also not on a
    // drive made for it.
    if (name != removeDuplicateVolumeName)
        drive->addPartitionName(name);
    drive->setDebugState(m_outputDebugMessages);
    m_drives.append(drive);
}

QString KZSMARTScanner::findVolumeName(const QString &line)
{
    debugLog(QStringLiteral("Finding volume name."));
    const bool inVolumes = line.contains(volumesFolder);
    const bool inPrivate = line.contains(privateFolder);
    QString name;
    if (!inVolumes && !inPrivate)
        name = findRootVolumeName().value_or(unknownVolumeName);
    else if (inVolumes && !inPrivate)
        name = line.mid(line.indexOf(volumesFolder) + volumesFolder.size());
    else
        name = removeDuplicateVolumeName;
    debugLog(QStringLiteral("Found volume name: %1").arg(name));
    return name;
}

std::optional<QString> KZSMARTScanner::findRootVolumeName()
{
    debugLog(QStringLiteral("Finding root volume name."));
    std::optional<QStringList> listing;
    KZTask task;
    task.setTimeout(m_taskTimeoutSeconds);
    try {
        listing = task.parseCommandLine(
            toolProgram(lsTool), QStringList{QStringLiteral("-la"), QStringLiteral("/Volumes")});
    } catch (const std::exception &error) {
        KZLog::log(
            QStringLiteral("Exception occured in findRootVolumeName->parseCommandLine- %1: %2")
                .arg(KZException::nameOf(error), KZException::reasonOf(error)));
        showScanAlert();
        return std::nullopt;
    }
    if (!listing) {
        KZLog::log(QStringLiteral("ls returned error code: %1").arg(task.getErrorCode()));
        return std::nullopt;
    }
    // The start-up volume is the link that points at / itself, as in
    // "lrwxr-xr-x  1 root  admin  1 Jan 12 10:30 Macintosh HD -> /". The name
    // lies between the blank after the minutes and the blank before the arrow.
    for (const QString &line : *listing) {
        if (!line.contains(rootLinkArrow) || !line.contains(QLatin1Char(':')) ||
            !line.endsWith(rootLinkArrow))
            continue;
        const qsizetype start = line.indexOf(QLatin1Char(':')) + 4;
        const qsizetype end = line.size() - rootLinkArrow.size() - 1;
        if (end <= start)
            continue;
        const QString name = line.mid(start, end - start);
        debugLog(QStringLiteral("Found root volume name: %1").arg(name));
        return name;
    }
    KZLog::log(QStringLiteral("Error: could not find root volume name from ls"));
    return std::nullopt;
}

bool KZSMARTScanner::skippedWhileTesting(const KZSMARTDrive &drive)
{
    return drive.driveAbortOfflineCollection() && drive.driveSelfTestExecutionInProgress();
}

qint64 KZSMARTScanner::progressNotificationCount() const
{
    qint64 count = 0;
    for (const std::shared_ptr<KZSMARTDrive> &drive : m_drives) {
        if (!skippedWhileTesting(*drive))
            count += drive->driveFromFile() ? 6 : 7;
    }
    return count;
}

void KZSMARTScanner::updateDrives()
{
    // The whole update reads the preferences once and writes what its drives
    // remembered once, when it ends.
    const KZPreferences::Batch preferences;
    const bool showUnsupported = m_showUnsupportedDrives.value_or(
        KZPreferences::standard().boolForKey(QStringLiteral("ShowUnsupportedDrives")));

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
    refresh(readable);

    // Then, in list order, the filter and the merge.
    QSet<QString> serialNumbers;
    for (qsizetype index = 0; index < m_drives.size(); ++index) {
        const std::shared_ptr<KZSMARTDrive> drive = m_drives.at(index);
        if (testing.contains(drive.get()))
            continue;
        if (m_outputDebugMessages)
            debugLog(QStringLiteral("Update drive:\n%1").arg(drive->description()));

        const std::optional<QString> serial = mergeSerial(*drive);
        if (!showUnsupported && !drive->smartSupported()) {
            m_drives.removeAt(index);
            --index;
        } else if (serial && serialNumbers.contains(*serial) && merge(index)) {
            --index;
        } else if (serial) {
            serialNumbers.insert(*serial);
        }
    }
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
