// Starting, cancelling and following a self-test. Every smartctl run works on
// a copy of the drive on a worker thread; the GUI thread copies the result
// back once no scan or update is busy with the drives.
#include "KZTestsController.h"

#include "KZAlertPresenter.h"
#include "KZBackground.h"
#include "KZBlink1Controller.h"
#include "KZLog.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZRecordedTexts.h"
#include "KZSMARTDrive.h"
#include "KZTestsControllerHost.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace {

// How often a deferred step asks again whether the drives are free.
constexpr int idleRetryMilliseconds = 250;

} // namespace

void KZTestsController::whenDrivesIdle(std::function<void()> action)
{
    if (!drivesBusy()) {
        action();
        return;
    }
    QTimer::singleShot(idleRetryMilliseconds, this, [this, action = std::move(action)]() mutable {
        whenDrivesIdle(std::move(action));
    });
}

void KZTestsController::runDriveJob(Work work, Done done, bool keepsRunningMark)
{
    m_jobRunning = true;
    m_testRunButton->setEnabled(false);
    whenDrivesIdle([this, work = std::move(work), done = std::move(done), keepsRunningMark] {
        auto copy = std::make_shared<KZSMARTDrive>(*m_drive);
        const quint64 generation = m_host ? m_host->drivesGeneration() : 0;
        auto result = std::make_shared<quint64>(0);
        KZBackground::run(
            this, [copy, work, result] { *result = work(*copy); },
            [this, copy, done, generation, keepsRunningMark, result] {
                finishDriveJob(copy, generation, done, keepsRunningMark, *result);
            });
    });
}

void KZTestsController::finishDriveJob(const std::shared_ptr<KZSMARTDrive> &copy,
                                       quint64 generation, const Done &done, bool keepsRunningMark,
                                       quint64 result)
{
    whenDrivesIdle([this, copy, generation, done, keepsRunningMark, result] {
        const bool refreshedMeanwhile = m_host && m_host->drivesGeneration() != generation;
        if (!refreshedMeanwhile)
            *m_drive = *copy;
        else if (keepsRunningMark)
            // The refresh read the drive afresh; keep only what the start or
            // abort decided.
            m_drive->setSelfTestInProgress(copy->testInProgress());
        m_jobRunning = false;
        m_testRunButton->setEnabled(true);
        // A run that broke off is told now, on this thread.
        if (const std::optional<QString> alert = copy->driveAlert()) {
            m_drive->clearAlert();
            KZAlertPresenter::showCritical(tr("An Error Occurred"), KZRecordedTexts::shown(*alert));
        }
        done(result);
        if (!m_jobRunning)
            Q_EMIT driveJobFinished();
    });
}

void KZTestsController::toggleTest()
{
    if (!m_drive || m_jobRunning)
        return;
    if (!m_drive->driveSelfTestExecutionInProgress()) {
        startSelectedTest(false);
        return;
    }
    runDriveJob([](KZSMARTDrive &drive) { return drive.stopSelfTest(); },
                [this](quint64 result) {
                    if (result == 1) {
                        stopTimer();
                        stopTest();
                        m_monitor.forgetTimes();
                        return;
                    }
                    // The drive would not abort: go on as if no test were running.
                    startSelectedTest(false);
                },
                true);
}

void KZTestsController::startSelectedTest(bool fromWarning)
{
    if (!fromWarning && m_drive->driveAbortOfflineCollection()) {
        // Such a drive cannot be read while it tests: ask first.
        if (!m_abortWarningSheet) {
            m_abortWarningSheet =
                new QMessageBox(QMessageBox::Warning, tr("Start the self-test?"),
                                tr("This drive cannot report its S.M.A.R.T. data while it runs a "
                                   "self-test."),
                                QMessageBox::NoButton, this);
            m_abortWarningSheet->setObjectName(QStringLiteral("abortWarningSheet"));
            m_abortWarningSheet->setInformativeText(
                tr("Until the test has finished, Tarnwell will not read the "
                   "drive, and a rescan will ask whether to skip it. The window "
                   "estimates the progress from the clock."));
            QPushButton *start =
                m_abortWarningSheet->addButton(tr("Start Test"), QMessageBox::AcceptRole);
            m_abortWarningSheet->addButton(QMessageBox::Cancel);
            m_abortWarningSheet->setDefaultButton(start);
            m_abortWarningSheet->setWindowModality(Qt::WindowModal);
            connect(m_abortWarningSheet, &QMessageBox::finished, this, [this, start] {
                if (m_abortWarningSheet->clickedButton() == start)
                    confirmTest();
                else
                    cancelTest();
            });
        }
        m_abortWarningSheet->open();
        return;
    }
    const quint64 code = KZSelfTestMonitor::testCode(selectedKind());
    runDriveJob([code](KZSMARTDrive &drive) { return drive.runSelfTest(code); },
                [this, fromWarning](quint64 result) { testStartAnswered(result, fromWarning); },
                true);
}

void KZTestsController::confirmTest()
{
    if (m_abortWarningSheet && m_abortWarningSheet->isVisible())
        m_abortWarningSheet->hide();
    if (m_drive && !m_jobRunning)
        startSelectedTest(true);
}

void KZTestsController::cancelTest()
{
    if (m_abortWarningSheet && m_abortWarningSheet->isVisible())
        m_abortWarningSheet->hide();
}

void KZTestsController::testStartAnswered(quint64 result, bool fromWarning)
{
    // 1: the test has begun; 3: another test runs already, which is followed
    // the same way. Anything else: the drive did not start a test, so there
    // is nothing to follow and nothing will be reported as completed.
    if (result != 1 && result != 3) {
        KZLog::log(
            QStringLiteral("Self-test of %1 was not started.").arg(m_drive->driveLocation()));
        KZAlertPresenter::showCritical(
            tr("The self-test did not start"),
            tr("The drive %1 did not start the self-test. It may not support "
               "it, or smartctl could not send the command.")
                .arg(m_drive->driveLocation()));
        stopTest();
        return;
    }
    const KZSelfTestMonitor::TestKind kind = selectedKind();
    const int interval =
        KZSelfTestMonitor::pollIntervalSeconds(KZSelfTestMonitor::testMinutes(*m_drive, kind));
    if (fromWarning) {
        // After the warning no start time is stored: the clock follows the
        // end the drive's start stored.
        runTest();
        startTimer(interval);
        return;
    }
    startTimer(interval);
    m_monitor.testStarted(*m_drive, kind);
    runTest();
}

void KZTestsController::runTest()
{
    if (!m_drive || m_jobRunning)
        return;
    m_testType->setEnabled(false);
    whenDrivesIdle([this] {
        if (m_jobRunning)
            return;
        if (m_monitor.clockSource(*m_drive) == KZSelfTestMonitor::ClockSource::Drive) {
            runDriveJob(
                [](KZSMARTDrive &drive) {
                    drive.parseCapabilities();
                    drive.parseSelftestLog();
                    return quint64(1);
                },
                [this](quint64) {
                    finishPoll(KZSelfTestMonitor::ClockSource::Drive,
                               m_monitor.estimateFromStart(*m_drive));
                },
                false);
            return;
        }
        m_testRunButton->setEnabled(true);
        finishPoll(KZSelfTestMonitor::ClockSource::Clock, m_monitor.estimateFromEnd(*m_drive));
    });
}

void KZTestsController::finishPoll(KZSelfTestMonitor::ClockSource source,
                                   KZSelfTestMonitor::Estimate estimate)
{
    if (!m_drive->driveSelfTestExecutionInProgress()) {
        testEnded();
        return;
    }
    reloadLog();
    m_testType->setEnabled(false);
    setRunButton(RunButton::Cancel);
    m_testRunButton->setEnabled(true);
    showProgress(true);
    const qint32 length = KZSelfTestMonitor::testMinutes(*m_drive, selectedKind());
    m_currentTestRemainingTime->setText(
        KZSelfTestMonitor::remainingText(estimate.remaining, length));
    KZLog::debug(KZPreferences::standard().boolForKey(KZPreferenceKeys::outputDebugMessages),
                 QStringLiteral("Estimated time remaining for test: %1").arg(estimate.remaining));
    m_currentTestStatusProgress->setValue(KZSelfTestMonitor::progress(source, *m_drive, estimate));
}

void KZTestsController::testEnded()
{
    stopTimer();
    Q_EMIT testCompleted();
    const KZPreferences &preferences = KZPreferences::standard();
    if (preferences.boolForKey(KZPreferenceKeys::emailTestCompleted)) {
        const KZMailSender sender =
            m_host ? m_host->testMailSender() : KZMailSender(KZMailSender::Copy::SelfTest);
        sender.sendInBackground(KZSelfTestMonitor::completionMessage(*m_drive));
    }
    if (preferences.boolForKey(KZPreferenceKeys::blink1TestCompleted) &&
        KZBlink1Controller::toolAvailable()) {
        // Four runs of the tool, one after the other: not on the GUI thread.
        KZBackground::run(
            this, [] { KZBlink1Controller::blueAlert(); }, [this] { Q_EMIT ledSignalled(); });
    }
    updateWindow();
}
