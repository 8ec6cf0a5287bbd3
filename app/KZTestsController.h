#pragma once

#include "KZDetailWindowController.h"
#include "KZSelfTestMonitor.h"

#include <functional>

class KZDetailTableModel;
class KZTestsControllerHost;
class QComboBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;

// The self-test window: a drive's self-test log, and the controls to start a
// short or extended test, follow it while it runs (estimate and progress)
// and cancel it. When the test has finished it can mail the user and flash
// the blink(1) LED blue.
//
// Every smartctl run (start, abort, the polls) works on a copy of the drive
// on a worker thread, so the window keeps painting while smartctl runs or
// hangs; the result is copied back on the GUI thread while no scan or update
// is reading the drives.
class KZTestsController : public KZDetailWindowController
{
    Q_OBJECT

public:
    explicit KZTestsController(QWidget *parent = nullptr);
    ~KZTestsController() override;

    void setAppController(KZTestsControllerHost *host) { m_host = host; }
    void setDrive(std::shared_ptr<KZSMARTDrive> drive) override;

    // Title, log and controls.
    void updateWindow() override;
    // The run button: cancels the running test, or starts the chosen one.
    void toggleTest();
    // The two buttons of the warning shown before a test on a drive that
    // cannot be read while it tests.
    void confirmTest();
    void cancelTest();
    // One poll of the running test (the timer calls it).
    void runTest();
    // Back to idle: "Run", no progress, no timer.
    void stopTest();

    // Test hooks: the clock the estimates use, and what the window is doing.
    void setClock(KZSelfTestMonitor::Clock clock);
    const QTimer *pollTimer() const { return m_timer; }
    bool driveJobRunning() const { return m_jobRunning; }
    QComboBox *testType() const { return m_testType; }
    QPushButton *testRunButton() const { return m_testRunButton; }
    QProgressBar *currentTestStatusProgress() const { return m_currentTestStatusProgress; }
    QLineEdit *currentTestRemainingTime() const { return m_currentTestRemainingTime; }
    QLabel *currentTestStatusText() const { return m_currentTestStatusText; }
    QTableView *testList() const { return m_testList; }
    KZDetailTableModel *testsModel() const { return m_model; }
    QMessageBox *abortWarningSheet() const { return m_abortWarningSheet; }

Q_SIGNALS:
    // A smartctl run of this window has ended and its result is in the drive.
    void driveJobFinished();
    // The running test has ended (before the mail and the LED).
    void testCompleted();
    // The blue LED signal has been sent.
    void ledSignalled();

private:
    using Work = std::function<quint64(KZSMARTDrive &)>;
    using Done = std::function<void(quint64)>;

    KZSelfTestMonitor::TestKind selectedKind() const;
    void startSelectedTest(bool fromWarning);
    void testStartAnswered(quint64 result, bool fromWarning);
    void finishPoll(KZSelfTestMonitor::ClockSource source, KZSelfTestMonitor::Estimate estimate);
    void testEnded();
    void startTimer(int seconds);
    void stopTimer();
    void showProgress(bool visible);
    enum class RunButton
    {
        Run,
        Cancel
    };
    void setRunButton(RunButton shows);
    void reloadLog();
    // Runs `work` on a copy of the drive on a worker thread; `done` gets its
    // answer on the GUI thread once the copy is back in the drive.
    void runDriveJob(Work work, Done done, bool keepsRunningMark);
    // Copies the job's drive back (unless a refresh came in between), then `done`.
    void finishDriveJob(const std::shared_ptr<KZSMARTDrive> &copy, quint64 generation,
                        const Done &done, bool keepsRunningMark, quint64 result);
    // Runs `action` now, or once no scan or update is busy with the drives.
    void whenDrivesIdle(std::function<void()> action);
    bool drivesBusy() const;

    KZTestsControllerHost *m_host = nullptr;
    KZSelfTestMonitor m_monitor;
    QTimer *m_timer = nullptr;
    bool m_jobRunning = false;
    // An update of the window waits for the scan or update that holds the drive.
    bool m_updatePending = false;

    KZDetailTableModel *m_model;
    QTableView *m_testList;
    QComboBox *m_testType;
    QPushButton *m_testRunButton;
    QLabel *m_currentTestStatusText;
    QProgressBar *m_currentTestStatusProgress;
    QLabel *m_currentTestRemainingText;
    QLineEdit *m_currentTestRemainingTime;
    QMessageBox *m_abortWarningSheet = nullptr;
};
