#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class KZSMARTDrive;

// The drive list: the drives of the machine in discovery order, shared (not
// copied) with whoever shows or checks them.
using KZDriveList = QList<std::shared_ptr<KZSMARTDrive>>;

// A disk the last update left out of the list because it answered that it
// has no S.M.A.R.T. data: where it is and smartctl's own answer.
struct KZSkippedDisk
{
    QString location;
    QString smartError;
};

// Keeps the list of drives the rest of the system shows and checks. A scan
// lists the whole disks and the volumes mounted from them with one run of
// lsblk; an update refreshes every drive, drops drives without S.M.A.R.T.
// support (unless the user wants to see them) and merges drive objects that
// turn out to be the same physical disk (the same serial number under two
// device nodes).
//
// No locks: nothing else may read or change the list while a scan or an
// update runs.
class KZSMARTScanner
{
public:
    // The tool a scan runs, as the key of setToolProgram.
    static inline const QString lsblkTool = QStringLiteral("lsblk");

    KZSMARTScanner(); // init: empty list, alerts allowed
    static KZSMARTScanner initForCommandLine();
    // One drive replayed from a raw capture file; nothing is run yet.
    static KZSMARTScanner initWithFile(const QString &path);

    KZSMARTScanner(const KZSMARTScanner &) = delete;
    KZSMARTScanner &operator=(const KZSMARTScanner &) = delete;
    KZSMARTScanner(KZSMARTScanner &&) = default;
    KZSMARTScanner &operator=(KZSMARTScanner &&) = default;

    // Rebuilds the list; false when the listing program failed (the list is
    // then empty). A failure that calls for an alert is kept in scanAlert().
    bool scanForDrives();
    // The alert a person should see after the last scan, if any; only
    // recorded here (whoever ran the scan shows it, on its own thread).
    const std::optional<QString> &scanAlert() const { return m_scanAlert; }
    // Called once for every step a drive of an update ends normally.
    using ProgressHandler = std::function<void()>;
    // Refreshes, filters and merges the drives. Up to refreshConcurrency()
    // drives are refreshed at the same time, each on a thread of its own:
    // `stepDone` is called from those threads. The filter and the merge then
    // walk the list in order.
    void updateDrives(const ProgressHandler &stepDone = {});
    // How many steps the next updateDrives() reports when every step ends
    // normally: seven for a drive read from its device (the six parse steps
    // of its smartctl run and the writing of the raw capture), six for one
    // replayed from a file, none for a drive left out while its self-test runs.
    qint64 progressStepCount() const;
    static constexpr int defaultRefreshConcurrency = 8;
    // At most this many drives are refreshed at the same time (1: one after
    // another).
    void setRefreshConcurrency(int drives) { m_refreshConcurrency = qMax(drives, 1); }
    int refreshConcurrency() const { return m_refreshConcurrency; }
    // The disks the last update dropped for having no S.M.A.R.T. data, in
    // list order (empty while unsupported drives are shown).
    const QList<KZSkippedDisk> &skippedDisks() const { return m_skipped; }
    KZDriveList &getDrives() { return m_drives; }
    const KZDriveList &getDrives() const { return m_drives; }
    void resetDrives()
    {
        m_drives.clear();
        m_skipped.clear();
    }
    void setOutputDebugMessages(bool enabled) { m_outputDebugMessages = enabled; }
    bool outputDebugMessages() const { return m_outputDebugMessages; }
    bool commandLineMode() const { return m_enableCommandLineOption; }

    // Appends a drive made elsewhere (such as a device or capture named on a
    // command line); it is updated, filtered and merged like a scanned one.
    void addDrive(std::shared_ptr<KZSMARTDrive> drive);

    // Runs this program in place of a listing tool (lsblk).
    void setToolProgram(const QString &tool, const QString &program);
    // The program a scan runs for a listing tool.
    QString toolProgram(const QString &tool) const;
    // Seconds after which a listing tool that has not finished is stopped.
    void setTaskTimeout(int seconds) { m_taskTimeoutSeconds = seconds; }

    // Every drive made by this list runs this smartctl.
    void setSmartctlOverride(const QString &program) { m_smartctlOverride = program; }
    // Which sleeping disks the next updates leave asleep
    // (KZSMARTDrive::setLeaveAsleep). By default every disk is read.
    struct SleepPolicy
    {
        // Ask each disk to stay asleep ("-n standby").
        bool leaveAsleep = false;
        // A drive never read yet is read all the same (its identity names
        // and merges it).
        bool wakeUnread = true;
        // The Nth refresh in a row that would leave a disk asleep reads it
        // (smartd's "-n standby,N"); 0: none does.
        int maxSkipped = 0;
    };
    void setSleepPolicy(const SleepPolicy &policy) { m_sleepPolicy = policy; }
    const SleepPolicy &sleepPolicy() const { return m_sleepPolicy; }
    // Whether the next update asks this drive to stay asleep.
    bool leavesAsleep(const KZSMARTDrive &drive) const;

    // Decides whether drives without S.M.A.R.T. support stay in the list,
    // in place of the preference "ShowUnsupportedDrives"; nothing restores it.
    void setShowUnsupportedDrives(std::optional<bool> show) { m_showUnsupportedDrives = show; }

private:
    // A drive that cannot be read while its self-test runs keeps its data.
    static bool skippedWhileTesting(const KZSMARTDrive &drive);
    std::shared_ptr<KZSMARTDrive> makeDrive(const QString &location) const;
    // Refreshes the drives, several at a time.
    void refresh(const KZDriveList &drives) const;
    // Merges the drive at index with the earlier drive of the same serial
    // number; false when there is none.
    bool merge(qsizetype index);
    void recordScanAlert();
    void debugLog(const QString &message) const;

    KZDriveList m_drives;
    QList<KZSkippedDisk> m_skipped;
    bool m_outputDebugMessages = false;
    bool m_enableCommandLineOption = false;

    std::optional<QString> m_scanAlert;
    QMap<QString, QString> m_toolPrograms;
    QString m_smartctlOverride;
    std::optional<bool> m_showUnsupportedDrives;
    int m_taskTimeoutSeconds = 60;
    int m_refreshConcurrency = defaultRefreshConcurrency;
    SleepPolicy m_sleepPolicy;
};
