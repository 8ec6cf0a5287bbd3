#pragma once

#include "ForgedDrives.h"
#include "ForgedMachine.h"
#include "KZAppController.h"
#include "KZMessageBoxAlertPresenter.h"
#include "TestSupport.h"

#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

// Helpers of the windowed application's tests. The test programs run an
// offscreen QApplication (their own main()) with private HOME and XDG folders.
namespace AppTestSupport {

// One alert the application showed, as the user would have seen it.
struct ShownAlert
{
    bool critical = false;
    QString title;
    QString text;
    QStringList buttons;
    bool onGuiThread = false;
};

using ForgedDrives::failedDrive;
using ForgedDrives::failingDrive;
using ForgedDrives::passedDrive;

using TestSupport::waitFor;

class AppTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The controller, made with the environment below and set up
    // (awakeFromNib); not started.
    KZAppController &controller();
    // Start-up to the end of the first scan.
    void launch();
    // Starts an update as the user does and waits for its end.
    void updateAndWait();

    // What the controller is given; change before controller().
    KZAppController::Environment environment;
    ForgedMachine machine;
    QDateTime clock = QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53));
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    bool applicationActive = true;

    // Alerts shown so far, and the answers given to the next ones (button
    // indexes, in order; 0 once they are used up).
    QList<ShownAlert> alerts() const;
    void answerNextAlerts(const QList<int> &answers);

    // The blink(1) stand-in's recorded commands, one per run.
    QStringList blink1Commands() const;

private:
    KZMessageBoxAlertPresenter m_presenter;
    mutable QMutex m_mutex;
    QList<ShownAlert> m_alerts;
    QList<int> m_answers;
    std::unique_ptr<KZAppController> m_controller;
    QString m_blink1Record;
};

} // namespace AppTestSupport
