#include "AppTestSupport.h"

#include "KZDriveListFile.h"
#include "KZMainWindow.h"
#include "KZStatusIcons.h"

#include <QAction>
#include <QFileInfo>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>

using namespace AppTestSupport;

namespace {

QAction *menuAction(QMainWindow *window, const QString &menuTitle, const QString &text)
{
    for (QAction *menu : window->menuBar()->actions()) {
        if (menu->text().remove(QLatin1Char('&')) != menuTitle || !menu->menu())
            continue;
        for (QAction *action : menu->menu()->actions()) {
            if (action->text().remove(QLatin1Char('&')) == text)
                return action;
        }
    }
    return nullptr;
}

} // namespace

class StartUpTest : public AppTest
{
};

// No drives at all: the first scan ends, the title carries the check time,
// the icon is green and the drive list file holds a count of 0.
TEST_F(StartUpTest, FirstScanWithoutDrives)
{
    launch();
    KZAppController &app = controller();
    EXPECT_FALSE(app.isBusy());
    EXPECT_TRUE(app.drives().isEmpty());
    EXPECT_EQ(app.drivesWindow()->windowTitle(),
              QStringLiteral("Tarnwell - Current Drives (Last Update: %1)")
                  .arg(KZDriveListFile::checkTimeText(clock)));
    EXPECT_EQ(app.shownStatus(), 1);
    EXPECT_EQ(app.drivesWindow()->windowIcon().cacheKey(), KZStatusIcons::icon(1).cacheKey());
    const QByteArray list = TestSupport::readFile(KZDriveListFile::filePath());
    EXPECT_TRUE(list.contains("<key>TWProblemDrivesCount</key>")) << list.toStdString();
    EXPECT_FALSE(list.contains("TWProblemDrives</key>"));
    ASSERT_NE(app.driveArea(), nullptr);
    EXPECT_NE(app.driveArea()->layout(), nullptr);
}

// The menus follow desktop conventions, each command with its keys.
TEST_F(StartUpTest, MenusAndKeys)
{
    QMainWindow *window = controller().drivesWindow();
    const struct
    {
        const char *menu;
        const char *text;
        QKeySequence keys;
    } expected[] = {
        {"File", "Open...", QKeySequence::Open},
        {"File", "Save...", QKeySequence::Save},
        {"File", "Print...", QKeySequence::Print},
        {"File", "Quit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"Drives", "Rescan", QKeySequence(Qt::CTRL | Qt::Key_R)},
        {"Drives", "Update", QKeySequence(Qt::Key_F5)},
        {"Drives", "Run smartctl with Options...", QKeySequence()},
        {"Settings", "Preferences...", QKeySequence(Qt::CTRL | Qt::Key_Comma)},
        {"Window", "Log", QKeySequence(Qt::CTRL | Qt::Key_L)},
        {"Help", "Tarnwell Help", QKeySequence(Qt::Key_F1)},
        {"Help", "Tarnwell Web Page", QKeySequence()},
        {"Help", "About Tarnwell", QKeySequence()},
    };
    for (const auto &item : expected) {
        QAction *action = menuAction(window, item.menu, item.text);
        ASSERT_NE(action, nullptr) << item.menu << " > " << item.text;
        EXPECT_EQ(action->shortcut(), item.keys) << item.text;
    }
}
