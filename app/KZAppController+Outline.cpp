// The main window's drive outline and summary, the four buttons under the
// summary, and the detail windows they open: one controller per drive and
// kind, found again by the drive's identifier, updated after every update
// and closed by every scan.
#include "KZAppController.h"

#include "KZDetailWindows.h"
#include "KZDriveBrowser.h"
#include "KZDriveOutlineModel.h"
#include "KZDriveSummary.h"
#include "KZSMARTDrive.h"

#include "KZSummaryPanel.h"

#include <QAction>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QWidget>

namespace {

// The menu commands that stand beside the four buttons, by the buttons' names.
struct DriveCommand
{
    const char *button;
    const char *text;
    Qt::Key key;
};
const DriveCommand driveCommands[] = {
    {"driveInformationShowAll", QT_TRANSLATE_NOOP("KZAppController", "Drive &Information"),
     Qt::Key_1},
    {"attributesShowAll", QT_TRANSLATE_NOOP("KZAppController", "&Attributes"), Qt::Key_2},
    {"errorsShowAll", QT_TRANSLATE_NOOP("KZAppController", "&Errors"), Qt::Key_3},
    {"testsMoreInfo", QT_TRANSLATE_NOOP("KZAppController", "Self-&Tests"), Qt::Key_4},
    {"historyShowAll", QT_TRANSLATE_NOOP("KZAppController", "&History..."), Qt::Key_5},
};

} // namespace

void KZAppController::setUpDriveArea()
{
    QWidget *area = driveArea();
    m_driveBrowser = new KZDriveBrowser(KZDriveViewFlavour::MainWindow, area);
    // The first scan follows the first paint: until it has read the drives,
    // the window says so rather than "NO DRIVES".
    m_driveBrowser->setEmptyListText(KZDriveSummary::emptyList({}, true));
    area->layout()->addWidget(m_driveBrowser);
    connect(m_driveBrowser, &KZDriveBrowser::driveSelectionChanged, this,
            [this] { m_driveSelected = m_driveBrowser->driveSelected(); });
    connect(m_driveBrowser, &KZDriveBrowser::showAllDriveInformation, this,
            &KZAppController::showAllDriveInformation);
    connect(m_driveBrowser, &KZDriveBrowser::showAllAttributes, this,
            &KZAppController::showAllAttributes);
    connect(m_driveBrowser, &KZDriveBrowser::showAllErrors, this, &KZAppController::showAllErrors);
    connect(m_driveBrowser, &KZDriveBrowser::moreInfoTests, this, &KZAppController::moreInfoTests);
    connect(m_driveBrowser, &KZDriveBrowser::showHistory, this, &KZAppController::showHistory);

    // The Drives menu opens the same windows, enabled as the buttons are.
    QMenu *drivesMenu = nullptr;
    for (QAction *menu : drivesWindow()->menuBar()->actions()) {
        if (menu->menu() && menu->text() == tr("&Drives"))
            drivesMenu = menu->menu();
    }
    if (drivesMenu) {
        drivesMenu->addSeparator();
        for (const DriveCommand &command : driveCommands) {
            QPushButton *button =
                m_driveBrowser->summaryPanel()->button(QString::fromLatin1(command.button));
            QAction *action = drivesMenu->addAction(tr(command.text));
            action->setObjectName(QString::fromLatin1(command.button) + QStringLiteral("Action"));
            action->setShortcut(QKeySequence(Qt::CTRL | command.key));
            action->setEnabled(button->isEnabled());
            connect(action, &QAction::triggered, button, &QPushButton::click);
            connect(m_driveBrowser->summaryPanel(), &KZSummaryPanel::summaryShown, action,
                    [action, button] { action->setEnabled(button->isEnabled()); });
        }
    }

    KZDetailWindows::Hooks hooks;
    hooks.refreshWindow = [this] { refreshWindow(); };
    hooks.drivesBusy = [this] { return isBusy(); };
    hooks.mailSender = [this] { return mailSender(KZMailSender::Copy::SelfTest); };
    hooks.clock = [this] { return now(); };
    m_detailWindows =
        new KZDetailWindows(KZDriveViewFlavour::MainWindow, drivesWindow(), hooks, this);
}

void KZAppController::refreshWindow()
{
    if (!m_driveBrowser)
        return;
    const KZDriveList &list = drives();
    if (m_driveBrowser->drives() != list)
        m_driveBrowser->setDrives(list);
    else
        m_driveBrowser->outlineModel()->reload();
    m_driveBrowser->selectDrive(int(m_driveSelected));
    m_driveBrowser->refreshWindow();
}

void KZAppController::updateDetailWindows()
{
    if (m_detailWindows)
        m_detailWindows->updateAll();
}

void KZAppController::closeDetailWindows()
{
    if (m_detailWindows)
        m_detailWindows->closeAll();
}

void KZAppController::showAllDriveInformation()
{
    if (!isBusy() && m_detailWindows)
        m_detailWindows->show(KZDetailWindows::Kind::DriveInformation,
                              m_driveBrowser->selectedDrive());
}

void KZAppController::showAllAttributes()
{
    if (!isBusy() && m_detailWindows)
        m_detailWindows->show(KZDetailWindows::Kind::Attributes, m_driveBrowser->selectedDrive());
}

void KZAppController::showAllErrors()
{
    if (!isBusy() && m_detailWindows)
        m_detailWindows->show(KZDetailWindows::Kind::Errors, m_driveBrowser->selectedDrive());
}

void KZAppController::moreInfoTests()
{
    if (!isBusy() && m_detailWindows)
        m_detailWindows->show(KZDetailWindows::Kind::Tests, m_driveBrowser->selectedDrive());
}

void KZAppController::showHistory()
{
    if (!isBusy() && m_detailWindows)
        m_detailWindows->show(KZDetailWindows::Kind::History, m_driveBrowser->selectedDrive());
}
