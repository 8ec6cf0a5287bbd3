// The self-test window: its layout, the log table, and the idle and
// resumed states. Starting, cancelling and polling are in
// KZTestsController+Run.cpp.
#include "KZTestsController.h"

#include "KZDetailRows.h"
#include "KZDetailTableModel.h"
#include "KZSMARTDrive.h"
#include "KZTestsControllerHost.h"
#include "KZValueFields.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

using Column = KZDetailRows::SelfTestColumn;

} // namespace

KZTestsController::KZTestsController(QWidget *parent)
    : KZDetailWindowController(parent),
      m_model(new KZDetailTableModel(
          {tr("Number"), tr("Test"), tr("Status"), tr("Remaining"), tr("Lifetime (Hours)"),
           tr("First Error LBA")},
          {int(Column::Number), int(Column::Remaining), int(Column::Lifetime), int(Column::LBA)},
          this)),
      m_testType(new QComboBox), m_testRunButton(new QPushButton),
      m_currentTestStatusText(new QLabel(tr("A self-test is running."))),
      m_currentTestStatusProgress(new QProgressBar),
      m_currentTestRemainingText(new QLabel(tr("Time remaining:"))),
      m_currentTestRemainingTime(new QLineEdit)
{
    setObjectName(QStringLiteral("testsWindow"));
    m_testList = makeDetailTableView(m_model, QStringLiteral("testList"), tr("Self-test log"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_testList, 1);

    auto *controls = new QGroupBox(tr("Run a Self-Test"));
    auto *controlsLayout = new QVBoxLayout(controls);
    auto *row = new QHBoxLayout;
    auto *typeCaption = new QLabel(tr("&Test:"));
    typeCaption->setBuddy(m_testType);
    m_testType->setObjectName(QStringLiteral("testType"));
    m_testType->addItem(tr("Short test"), 0);
    m_testType->addItem(tr("Extended test"), 1);
    m_testType->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_testRunButton->setObjectName(QStringLiteral("testRunButton"));
    row->addWidget(typeCaption);
    row->addWidget(m_testType);
    row->addWidget(m_testRunButton);
    row->addStretch(1);
    controlsLayout->addLayout(row);

    m_currentTestStatusText->setObjectName(QStringLiteral("currentTestStatusText"));
    m_currentTestStatusProgress->setObjectName(QStringLiteral("currentTestStatusProgress"));
    m_currentTestStatusProgress->setRange(0, 100);
    m_currentTestStatusProgress->setAccessibleName(tr("Test progress"));
    m_currentTestRemainingText->setObjectName(QStringLiteral("currentTestRemainingText"));
    m_currentTestRemainingTime->setObjectName(QStringLiteral("currentTestRemainingTime"));
    KZValueFields::makeFlat(m_currentTestRemainingTime);
    m_currentTestRemainingText->setBuddy(m_currentTestRemainingTime);
    controlsLayout->addWidget(m_currentTestStatusText);
    controlsLayout->addWidget(m_currentTestStatusProgress);
    auto *remaining = new QFormLayout;
    remaining->addRow(m_currentTestRemainingText, m_currentTestRemainingTime);
    controlsLayout->addLayout(remaining);
    layout->addWidget(controls);

    connect(m_testRunButton, &QPushButton::clicked, this, &KZTestsController::toggleTest);
    setRunButton(RunButton::Run);
    showProgress(false);
    resize(760, 480);
}

KZTestsController::~KZTestsController() = default;

void KZTestsController::setDrive(std::shared_ptr<KZSMARTDrive> drive)
{
    KZDetailWindowController::setDrive(std::move(drive));
    if (!m_drive)
        return;
    // The pop-up says how long each test takes on this drive.
    const auto minutes = [this](KZSelfTestMonitor::TestKind kind) {
        return KZSelfTestMonitor::remainingText(-1, KZSelfTestMonitor::testMinutes(*m_drive, kind));
    };
    m_testType->setItemText(0,
                            tr("Short test (%1)").arg(minutes(KZSelfTestMonitor::TestKind::Short)));
    m_testType->setItemText(
        1, tr("Extended test (%1)").arg(minutes(KZSelfTestMonitor::TestKind::Extended)));
}

void KZTestsController::setClock(KZSelfTestMonitor::Clock clock)
{
    m_monitor = KZSelfTestMonitor(nullptr, std::move(clock));
}

KZSelfTestMonitor::TestKind KZTestsController::selectedKind() const
{
    return m_testType->currentData().toInt() == 1 ? KZSelfTestMonitor::TestKind::Extended
                                                  : KZSelfTestMonitor::TestKind::Short;
}

void KZTestsController::showProgress(bool visible)
{
    for (QWidget *widget : {static_cast<QWidget *>(m_currentTestStatusText),
                            static_cast<QWidget *>(m_currentTestStatusProgress),
                            static_cast<QWidget *>(m_currentTestRemainingText),
                            static_cast<QWidget *>(m_currentTestRemainingTime)})
        widget->setVisible(visible);
}

void KZTestsController::reloadLog()
{
    const KZSMARTDrive &drive = *m_drive;
    QList<KZDetailTableModel::Row> rows;
    const KZTone tone = KZDetailRows::selfTestRowTone(drive);
    for (quint64 index = 0; index < drive.driveTestsCount(); ++index) {
        const std::optional<KZSMARTSelfTestLog> entry = drive.driveSelfTestLog(index);
        if (!entry)
            break;
        KZDetailTableModel::Row row;
        for (int column = 0; column < KZDetailRows::selfTestColumnCount; ++column)
            row.cells.append(KZDetailRows::selfTestCellText(*entry, Column(column)));
        row.tone = tone;
        rows.append(row);
    }
    m_model->setRows(rows);
    fitDetailTableColumns(m_testList, int(Column::Status));
}

void KZTestsController::updateWindow()
{
    if (!m_drive)
        return;
    // A scan or update is still changing the drive (the update asks for this
    // just before it ends): the window is brought up to date once it is done.
    if (drivesBusy()) {
        if (!m_updatePending) {
            m_updatePending = true;
            whenDrivesIdle([this] {
                m_updatePending = false;
                updateWindow();
            });
        }
        return;
    }
    const KZSMARTDrive &drive = *m_drive;
    setWindowTitle(KZDetailRows::windowTitle(drive, tr("%1 Tests")));
    reloadLog();

    const bool inProgress = drive.driveSelfTestExecutionInProgress();
    if ((drive.driveSelfTest() || inProgress) && !drive.driveFromFile()) {
        m_testType->setEnabled(true);
        m_testRunButton->setEnabled(!m_jobRunning);
        if (!inProgress) {
            stopTest();
            return;
        }
        // A test runs (perhaps started before this window was opened):
        // follow it again.
        m_testType->setCurrentIndex(m_testType->findData(int(m_monitor.storedTestKind(drive))));
        runTest();
        if (!m_timer)
            startTimer(KZSelfTestMonitor::resumeIntervalSeconds);
        return;
    }
    m_testType->setEnabled(false);
    m_testRunButton->setEnabled(false);
    showProgress(false);
}

void KZTestsController::stopTest()
{
    m_testType->setEnabled(true);
    m_testRunButton->setEnabled(!m_jobRunning);
    setRunButton(RunButton::Run);
    showProgress(false);
    stopTimer();
    if (m_host)
        m_host->refreshWindow();
}

void KZTestsController::setRunButton(RunButton shows)
{
    // What a screen reader announces says what the button does now.
    const bool run = shows == RunButton::Run;
    m_testRunButton->setText(run ? tr("Run") : tr("Cancel"));
    m_testRunButton->setAccessibleName(run ? tr("Run the self-test") : tr("Cancel the self-test"));
}

void KZTestsController::startTimer(int seconds)
{
    stopTimer();
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("pollTimer"));
    m_timer->setInterval(seconds * 1000);
    connect(m_timer, &QTimer::timeout, this, &KZTestsController::runTest);
    m_timer->start();
}

void KZTestsController::stopTimer()
{
    delete m_timer;
    m_timer = nullptr;
}

bool KZTestsController::drivesBusy() const
{
    return m_host && m_host->drivesBusy();
}
