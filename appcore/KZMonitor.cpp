#include "KZMonitor.h"

#include "KZBackground.h"
#include "KZBlink1Controller.h"
#include "KZDesktopNotifier.h"
#include "KZDriveStatus.h"
#include "KZLog.h"
#include "KZPreferenceKeys.h"
#include "KZPreferenceRules.h"
#include "KZPreferences.h"
#include "KZPrometheusExport.h"
#include "KZSMARTDrive.h"
#include "KZSmartctlHelper.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <limits>

namespace {

KZPreferences &preferences()
{
    return KZPreferences::standard();
}

// Runs `call` on the GUI thread unless the monitor is gone by then.
void onGuiThread(const QPointer<KZMonitor> &monitor, std::function<void()> call)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [monitor, call = std::move(call)] {
            if (monitor)
                call();
        },
        Qt::QueuedConnection);
}

} // namespace

// The steps of the running update, counted on the threads that read the
// drives and handed to the GUI thread, a queued call for each.
struct KZMonitor::ProgressState
{
    std::atomic<int> done{0};
    std::atomic<int> total{0};
    std::atomic<quint64> generation{0};
};

KZMonitor::KZMonitor(Settings settings, QObject *parent)
    : QObject(parent), m_settings(std::move(settings)),
      m_scanner(std::make_shared<KZSMARTScanner>()), m_history(std::make_shared<KZHealthHistory>()),
      m_progress(std::make_shared<ProgressState>())
{
    qRegisterMetaType<KZMonitor::Result>();
    if (!m_settings.clock)
        m_settings.clock = [] { return QDateTime::currentDateTime(); };
    const KZProgramOptions &options = m_settings.options;
    if (!options.smartctl.isEmpty())
        m_scanner->setSmartctlOverride(options.smartctl);
    if (!options.lsblk.isEmpty())
        m_scanner->setToolProgram(KZSMARTScanner::lsblkTool, options.lsblk);
    if (!options.blink1Tool.isEmpty())
        KZBlink1Controller::setToolPath(options.blink1Tool);
    m_blink1Available = KZBlink1Controller::toolAvailable();
}

KZMonitor::~KZMonitor() = default;

KZDriveList &KZMonitor::drives()
{
    return m_scanner->getDrives();
}

const KZDriveList &KZMonitor::drives() const
{
    return m_scanner->getDrives();
}

KZMailSender KZMonitor::mailSender(KZMailSender::Copy copy) const
{
    KZMailSender sender(copy);
    if (!m_settings.options.sendemail.isEmpty())
        sender.setSenderProgram(m_settings.options.sendemail);
    return sender;
}

std::shared_ptr<KZSMARTDrive> KZMonitor::makeDrive(const QString &location) const
{
    auto drive = std::make_shared<KZSMARTDrive>();
    drive->setLocation(location);
    drive->setDebugState(preferences().boolForKey(KZPreferenceKeys::outputDebugMessages));
    if (!m_settings.options.smartctl.isEmpty())
        drive->setSmartctlOverride(m_settings.options.smartctl);
    return drive;
}

bool KZMonitor::checksWithoutDrives() const
{
    return m_settings.program == KZMailProgram::Application;
}

// ---- jobs ----

void KZMonitor::scan(Origin origin)
{
    start(Job::Scan, origin);
}

void KZMonitor::update(Origin origin)
{
    start(Job::Update, origin);
}

void KZMonitor::start(Job job, Origin origin)
{
    if (isBusy()) {
        if (origin == Origin::Timer) {
            KZLog::log(QStringLiteral("Timed update skipped: a scan or update is running."));
            return;
        }
        // A rescan asked for during a job wins over an update.
        if (job == Job::Scan || m_pending == Job::None)
            m_pending = job;
        KZLog::debug(preferences().boolForKey(KZPreferenceKeys::outputDebugMessages),
                     QStringLiteral("The drives are being read: the command runs afterwards."));
        return;
    }
    m_running = job;
    Q_EMIT busyChanged(true);

    auto result = std::make_shared<Result>();
    result->job = job;
    result->origin = origin;
    result->started = QDateTime::currentDateTimeUtc();
    if (job == Job::Update) {
        runUpdate(result);
        return;
    }

    m_scanner->resetDrives();
    Q_EMIT scanStarted();
    KZLog::debug(preferences().boolForKey(KZPreferenceKeys::outputDebugMessages),
                 QStringLiteral("Starting drive scan."));
    const std::shared_ptr<KZSMARTScanner> scanner = m_scanner;
    KZBackground::run(
        this, [scanner, result] { result->scanSucceeded = scanner->scanForDrives(); },
        [this, result] {
            if (const std::optional<QString> &alert = m_scanner->scanAlert())
                result->alerts.append(*alert);
            if (!result->scanSucceeded)
                KZLog::log(QStringLiteral("Error parsing drives. Please contact developer."));
            Q_EMIT drivesListed(result->scanSucceeded);
            if (!checksWithoutDrives() && (!result->scanSucceeded || drives().isEmpty())) {
                finish(result);
                return;
            }
            runUpdate(result);
        });
}

void KZMonitor::runUpdate(const std::shared_ptr<Result> &result)
{
    const bool debug = preferences().boolForKey(KZPreferenceKeys::outputDebugMessages);
    m_scanner->setOutputDebugMessages(debug);
    KZLog::debug(debug, QStringLiteral("Updating drive info."));
    if (!checksWithoutDrives() && drives().isEmpty()) {
        finish(result);
        return;
    }

    m_scanner->setSleepPolicy(sleepPolicy(result->origin, preferences()));
    const std::shared_ptr<ProgressState> state = m_progress;
    const quint64 generation = ++state->generation;
    state->done = 0;
    state->total = int(m_scanner->progressStepCount());
    Q_EMIT updateStarted(result->origin);
    Q_EMIT progress(0, state->total);

    KZCheckCycle::Options options;
    options.program = m_settings.program;
    options.checkTime = now();
    options.blink1Available = m_blink1Available;
    options.mailSender =
        mailSender(m_settings.program == KZMailProgram::MenuItem ? KZMailSender::Copy::MenuItem
                                                                 : KZMailSender::Copy::Application);
    options.waitForMail = false;
    options.mailFinished = m_settings.mailFinished;
    options.preferences = &preferences();

    const std::shared_ptr<KZSMARTScanner> scanner = m_scanner;
    const std::shared_ptr<KZHealthHistory> history = m_notifiesWorse ? m_history : nullptr;
    const QDateTime checked = now();
    const QPointer<KZMonitor> self(this);
    const KZSMARTScanner::ProgressHandler stepDone = [state, generation, self] {
        const int done = ++state->done;
        onGuiThread(self, [state, generation, self, done] {
            if (generation == state->generation.load())
                Q_EMIT self->progress(done, state->total.load());
        });
    };
    KZBackground::run(
        this,
        [scanner, options, history, checked, result, stepDone] {
            scanner->updateDrives(stepDone);
            afterUpdate(*scanner, options, history.get(), checked, *result);
        },
        [this, result] { finish(result); });
}

KZSMARTScanner::SleepPolicy KZMonitor::sleepPolicy(Origin origin, const KZPreferences &preferences)
{
    KZSMARTScanner::SleepPolicy policy;
    if (origin != Origin::Timer || !preferences.boolForKey(KZPreferenceKeys::skipSleepingDrives))
        return policy;
    policy.leaveAsleep = true;
    policy.maxSkipped = maxSkippedChecks(preferences);
    return policy;
}

int KZMonitor::maxSkippedChecks(const KZPreferences &preferences)
{
    const qint64 stored = preferences.integerForKey(KZPreferenceKeys::maxSkippedChecks);
    return stored < 1 ? 24 : int(qMin<qint64>(stored, 1000000));
}

void KZMonitor::afterUpdate(KZSMARTScanner &scanner, const KZCheckCycle::Options &options,
                            KZHealthHistory *history, const QDateTime &checked, Result &result)
{
    QList<const KZSMARTDrive *> drives;
    for (const std::shared_ptr<KZSMARTDrive> &drive : scanner.getDrives()) {
        drives.append(drive.get());
        // Shown once, whichever drives broke off the same way.
        if (const std::optional<QString> &alert = drive->driveAlert();
            alert && !result.alerts.contains(*alert))
            result.alerts.append(*alert);
    }
    result.cycle = KZCheckCycle::finishUpdate(drives, options);
    result.checked = true;
    result.skipped = scanner.skippedDisks();
    if (!result.cycle.driveListWritten)
        KZLog::log(QStringLiteral("The drive list file could not be written."));
    exportForPrometheus(drives, *options.preferences, result);
    // A timed check leaves out a drive the other program has just recorded.
    KZCheckHistory::recordCheck(
        drives, checked, *options.preferences,
        result.origin == Origin::Timer ? pollingIntervalSeconds(*options.preferences) : 0,
        &result.history);
    for (const QString &alert : std::as_const(result.alerts))
        KZLog::log(QStringLiteral("Alert: %1").arg(alert));

    if (!history)
        return;
    result.worse = history->record(KZHealthHistory::observationsOf(drives));
    if (!KZHealthHistory::notificationsEnabled(*options.preferences))
        return;
    for (const KZHealthHistory::Change &change : std::as_const(result.worse)) {
        KZLog::log(QStringLiteral("Drive got worse: %1").arg(KZHealthHistory::summaryOf(change)));
        if (!KZDesktopNotifier::notify(
                QStringLiteral("Tarnwell Menu Item"),
                change.health == 3 ? QStringLiteral("org.tarnwell.Tarnwell-red")
                                   : QStringLiteral("org.tarnwell.Tarnwell-yellow"),
                KZHealthHistory::summaryOf(change), KZHealthHistory::bodyOf(change)))
            result.unshown.append(change);
    }
}

std::optional<QString> KZMonitor::helperAdvice(const QList<const KZSMARTDrive *> &drives)
{
    const KZSmartctlHelper::Setup setup = KZSmartctlHelper::currentSetup();
    if (setup.runningAsRoot || !setup.helperPath.isEmpty())
        return std::nullopt;
    const bool refused = std::any_of(drives.cbegin(), drives.cend(), [](const KZSMARTDrive *drive) {
        return drive->driveReadFailure() == KZSMARTDrive::ReadFailure::PermissionDenied;
    });
    if (!refused)
        return std::nullopt;
    return tr("Tarnwell cannot read your disks: smartctl needs root to read them, and the helper "
              "that lets a normal user read them is not installed (this Tarnwell looks for it "
              "at %1).\n\nInstall the Tarnwell package, which puts the helper in place, and "
              "start the installed Tarnwell:\n    sudo apt install ./build/tarnwell_%2_amd64.deb\n"
              "(./scripts/package.sh builds the package from the checkout.)")
        .arg(KZSmartctlHelper::expectedHelperPath(), QStringLiteral(TARNWELL_VERSION));
}

void KZMonitor::exportForPrometheus(const QList<const KZSMARTDrive *> &drives,
                                    const KZPreferences &preferences, const Result &result)
{
    const QString path = preferences.stringForKey(KZPreferenceKeys::prometheusExportPath).trimmed();
    if (path.isEmpty())
        return;
    KZCheckFacts facts;
    facts.finished = QDateTime::currentDateTimeUtc();
    facts.durationSeconds = double(result.started.msecsTo(facts.finished)) / 1000.0;
    facts.scanSucceeded = result.scanSucceeded;
    facts.mergedStatus = result.cycle.mergedStatus;
    QString error;
    if (!KZPrometheusExport::exportCheck(path, drives, facts, &error))
        KZLog::log(QStringLiteral("The verdicts for Prometheus could not be written to %1: %2")
                       .arg(path, error));
}

void KZMonitor::finish(const std::shared_ptr<Result> &result)
{
    ++m_progress->generation;
    // Said once in the program's life, at its first check that calls for it.
    // Also when another smartctl was named (which never goes through the
    // helper): the advice is to start the installed Tarnwell.
    if (result->checked && !m_helperAdviceGiven) {
        QList<const KZSMARTDrive *> list;
        for (const std::shared_ptr<KZSMARTDrive> &drive : drives())
            list.append(drive.get());
        result->helperMissing = helperAdvice(list);
        m_helperAdviceGiven = result->helperMissing.has_value();
    }
    m_running = Job::None;
    Q_EMIT busyChanged(false);
    Q_EMIT checkFinished(*result);
    const Job pending = std::exchange(m_pending, Job::None);
    if (pending != Job::None && !isBusy())
        start(pending, Origin::User);
}

// ---- timer ----

qint64 KZMonitor::pollingIntervalSeconds(const KZPreferences &preferences)
{
    // Read as a number of seconds; a value below an hour (or none) would
    // check more often than the programs ever do, and zero would spin.
    const double stored =
        preferences.objectForKey(KZPreferenceKeys::pollingInterval).toString().toDouble();
    const double floor = double(KZPreferenceRules::minimumPollingInterval);
    // QTimer takes milliseconds in an int: about 24 days at most.
    const double ceiling = double(std::numeric_limits<int>::max() / 1000);
    return qint64(qBound(floor, stored, ceiling));
}

void KZMonitor::applyPollingPreferences()
{
    const bool poll = preferences().boolForKey(KZPreferenceKeys::pollDrives);
    if (poll != (m_pollingTimer != nullptr)) {
        setPolling(poll);
        return;
    }
    // A new interval takes effect at once.
    if (m_pollingTimer && pollingIntervalSeconds(preferences()) != m_pollingSeconds) {
        setPolling(false);
        setPolling(true);
    }
}

void KZMonitor::setPolling(bool enabled)
{
    const bool debug = preferences().boolForKey(KZPreferenceKeys::outputDebugMessages);
    if (!enabled) {
        if (!m_pollingTimer)
            return;
        m_pollingTimer->stop();
        m_pollingTimer->deleteLater();
        m_pollingTimer = nullptr;
        m_pollingSeconds = 0;
        KZLog::debug(debug, QStringLiteral("Check timer stopped."));
        return;
    }
    if (m_pollingTimer)
        return;
    m_pollingSeconds = pollingIntervalSeconds(preferences());
    m_pollingTimer = new QTimer(this);
    m_pollingTimer->setObjectName(QStringLiteral("pollingTimer"));
    m_pollingTimer->setTimerType(Qt::VeryCoarseTimer);
    m_pollingTimer->setInterval(int(m_pollingSeconds * 1000));
    connect(m_pollingTimer, &QTimer::timeout, this, [this] { update(Origin::Timer); });
    m_pollingTimer->start();
    KZLog::debug(debug, QStringLiteral("Check timer started: every %1 s.").arg(m_pollingSeconds));
}
