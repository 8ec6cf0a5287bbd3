#pragma once

#include "KZCheckCycle.h"
#include "KZCheckHistory.h"
#include "KZHealthHistory.h"
#include "KZMailSender.h"
#include "KZProgramOptions.h"
#include "KZSMARTScanner.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

class KZPreferences;
class KZSMARTDrive;
class QTimer;

// The checking core of one program, the same for the application and the
// tray monitor: the drive list (through its scanner), the check timer, the
// runner of scans and updates, and what follows every check (the drive list
// file, the LED, the alert mail: KZCheckCycle). Built once from the
// program's options; the programs show what it reports.
//
// Threads. The monitor lives on the GUI thread. A scan or an update runs on
// the background pool (KZBackground), one at a time; nothing else may read
// or change the drive list while one runs (isBusy()). A timer tick that comes
// during one is skipped and logged; a scan or update the user asks for
// during one runs when it has ended (a rescan wins over an update). The
// engine never waits for a person: what calls for an alert comes back in the
// job's result, and the program shows it when the job has ended.
//
// A scan lists the drives (scanStarted(), then drivesListed() on the GUI
// thread, where the program may still ask the user something), then updates
// them; an update reads every listed drive again (updateStarted(), progress())
// and runs the check cycle, then writes the verdicts for Prometheus when
// "PrometheusExportPath" names a file and the drives' rows into the history
// of checks (KZCheckHistory). checkFinished() ends both.
class KZMonitor : public QObject
{
    Q_OBJECT

public:
    enum class Job
    {
        None,
        Scan,
        Update
    };
    // Who asked: the user (a command, a menu, the start) or the check timer.
    enum class Origin
    {
        User,
        Timer
    };

    struct Settings
    {
        // Whose check it is: the mail subjects and the mail sender's copy.
        KZMailProgram program = KZMailProgram::Application;
        // The tools: --smartctl, --lsblk, --sendemail, --blink1-tool.
        KZProgramOptions options;
        // The time now (the check time). Default: the clock.
        std::function<QDateTime()> clock;
        // Called with the outcome of every alert mail, on the mail's thread.
        std::function<void(const KZMailResult &)> mailFinished;
    };

    // What a scan or an update found.
    struct Result
    {
        Job job = Job::None;
        Origin origin = Origin::User;
        // When the job began (its scan, or its update).
        QDateTime started;
        // False when the discovery of a scan failed.
        bool scanSucceeded = true;
        // The check cycle ran (the drive list file, the LED, the mail).
        bool checked = false;
        KZCheckCycle::Result cycle;
        // What a person should be told (each text once): a discovery that
        // broke off, a drive whose reading broke off.
        QStringList alerts;
        // The disks the update left out for having no S.M.A.R.T. data.
        QList<KZSkippedDisk> skipped;
        // Why no disk can be read and what installs the missing helper: a
        // normal user's disks refused for lack of permission where the helper
        // is not installed. Told once in a program's life (its first check).
        std::optional<QString> helperMissing;
        // Drives that got worse since the previous check (only while the
        // monitor notifies), and those no notification service showed.
        QList<KZHealthHistory::Change> worse;
        QList<KZHealthHistory::Change> unshown;
        // What the history of checks knows of the drives after this check.
        KZHistoryFacts history;
    };

    explicit KZMonitor(Settings settings, QObject *parent = nullptr);
    ~KZMonitor() override;

    // The drive list: the scanner's own, not a copy. Not to be read or
    // changed while isBusy().
    KZDriveList &drives();
    const KZDriveList &drives() const;
    KZSMARTScanner &scanner() { return *m_scanner; }
    bool isBusy() const { return m_running != Job::None; }
    Job runningJob() const { return m_running; }
    // The job asked for while another ran; it starts when that one ends.
    Job pendingJob() const { return m_pending; }
    const Settings &settings() const { return m_settings; }
    // Whether the blink(1) tool is there (tested once, when the monitor is made).
    bool blink1Available() const { return m_blink1Available; }
    // The mail sender of this program (its --sendemail honoured).
    KZMailSender mailSender(KZMailSender::Copy copy) const;
    // A drive configured like the scanner's (its --smartctl honoured).
    std::shared_ptr<KZSMARTDrive> makeDrive(const QString &location) const;
    QDateTime now() const { return m_settings.clock(); }

    // Jobs.
    void scan(Origin origin = Origin::User);
    void update(Origin origin = Origin::User);

    // The check timer: it runs while "PollDrives" is on, every
    // pollingIntervalSeconds(), and calls update() as the timer. Brings the
    // timer in line with the preferences now (a new interval at once).
    void applyPollingPreferences();
    // Starts or stops the timer whatever the preferences say.
    void setPolling(bool enabled);
    QTimer *pollingTimer() const { return m_pollingTimer; }
    // "PollingInterval" seconds, never below an hour (whatever another
    // program stored) and never above what a timer can hold.
    static qint64 pollingIntervalSeconds(const KZPreferences &preferences);

    // Which sleeping disks an update of this origin leaves asleep: a timed
    // check while "SkipSleepingDrives" is on leaves every disk asleep that
    // has been read once, but reads the one it would leave asleep for the
    // "MaxSkippedChecks"th time in a row (a value below 1 reads as 24); what
    // the user starts reads every disk.
    static KZSMARTScanner::SleepPolicy sleepPolicy(Origin origin, const KZPreferences &preferences);
    // "MaxSkippedChecks" as the timed checks use it (below 1: 24).
    static int maxSkippedChecks(const KZPreferences &preferences);

    // Notifies the desktop when a drive gets worse between two checks (the
    // tray monitor's own; "NotifyHealthWorse" can switch it off).
    void setNotifiesWorseDrives(bool enabled) { m_notifiesWorse = enabled; }

Q_SIGNALS:
    void busyChanged(bool busy);
    // A scan has begun: the list is empty now.
    void scanStarted();
    // The discovery of a scan has ended; the update follows when the slots
    // have returned (they may ask the user something first).
    void drivesListed(bool succeeded);
    // The drives are being read again.
    void updateStarted(KZMonitor::Origin origin);
    // Steps of the running update done, of `total` when every step succeeds.
    void progress(int done, int total);
    // The job has ended; the drive list may be read again.
    void checkFinished(const KZMonitor::Result &result);

private:
    struct ProgressState;

    void start(Job job, Origin origin);
    void runUpdate(const std::shared_ptr<Result> &result);
    void finish(const std::shared_ptr<Result> &result);
    // Whether this program checks an empty list, and updates after a failed
    // discovery (the application does; the tray monitor leaves its icon,
    // LED and files as they were).
    bool checksWithoutDrives() const;
    // Runs on the job's thread after the drives were read.
    static void afterUpdate(KZSMARTScanner &scanner, const KZCheckCycle::Options &options,
                            KZHealthHistory *history, const QDateTime &checked, Result &result);
    // The advice for helperMissing, or nothing when it is not called for.
    static std::optional<QString> helperAdvice(const QList<const KZSMARTDrive *> &drives);
    static void exportForPrometheus(const QList<const KZSMARTDrive *> &drives,
                                    const KZPreferences &preferences, const Result &result);

    Settings m_settings;
    std::shared_ptr<KZSMARTScanner> m_scanner;
    std::shared_ptr<KZHealthHistory> m_history;
    std::shared_ptr<ProgressState> m_progress;
    QTimer *m_pollingTimer = nullptr;
    qint64 m_pollingSeconds = 0;
    Job m_running = Job::None;
    Job m_pending = Job::None;
    bool m_blink1Available = false;
    bool m_notifiesWorse = false;
    bool m_helperAdviceGiven = false;
};

Q_DECLARE_METATYPE(KZMonitor::Result)
