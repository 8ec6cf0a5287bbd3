// The drive outline, the summary's buttons and the detail windows inside the
// running application: forged drives found by a scan, windows opened by the
// buttons, refreshed by an update and closed by a rescan.
#include "AppTestSupport.h"
#include "KZAttributesController.h"
#include "KZDetailTableModel.h"
#include "KZDetailWindows.h"
#include "KZDriveBrowser.h"
#include "KZDriveInfoController.h"
#include "KZDriveOutlineModel.h"
#include "KZErrorsController.h"
#include "KZMonitor.h"
#include "KZSummaryPanel.h"
#include "KZTestsController.h"

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>

using namespace AppTestSupport;

namespace {

class DriveWindowsAppTest : public AppTest
{
protected:
    QPushButton *button(const char *name)
    {
        return controller().driveBrowser()->summaryPanel()->button(QString::fromLatin1(name));
    }
};

} // namespace

TEST_F(DriveWindowsAppTest, ButtonsOpenOneWindowPerDriveAndKindUntilTheNextScan)
{
    machine.addDrive("sda", passedDrive("FORGE GOOD", "APPGOOD1"));
    machine.addDrive("sdb", failingDrive("FORGE BAD", "APPBAD1"));
    launch();
    KZAppController &app = controller();
    KZDriveBrowser *browser = app.driveBrowser();
    ASSERT_NE(browser, nullptr);
    const KZDriveOutlineModel *outline = browser->outlineModel();
    ASSERT_EQ(outline->rowCount(), 2);
    EXPECT_EQ(outline->index(0, 0).data().toString(), "FORGE GOOD  [PASSED]");
    EXPECT_EQ(outline->index(1, 0).data().toString(), "FORGE BAD  [FAILING]");
    EXPECT_TRUE(outline->index(1, 0).data(Qt::ForegroundRole).isValid());
    EXPECT_EQ(browser->driveSelected(), 0);
    EXPECT_EQ(browser->summaryPanel()->field("overallSMARTStatus")->text(), "PASSED");

    browser->selectDrive(1);
    EXPECT_EQ(app.driveSelected(), 1);
    EXPECT_EQ(browser->summaryPanel()->field("reallocatedBadSectors")->text(), "24");
    button("attributesShowAll")->click();
    button("attributesShowAll")->click();
    KZDetailWindows *windows = app.detailWindows();
    ASSERT_EQ(windows->attributesControllers().size(), 1);
    KZAttributesController *attributes = windows->attributesControllers().first();
    EXPECT_TRUE(attributes->isVisible());
    EXPECT_EQ(attributes->windowTitle(), "sdb Attributes");
    button("driveInformationShowAll")->click();
    button("testsMoreInfo")->click();
    ASSERT_EQ(windows->driveInfoControllers().size(), 1);
    EXPECT_EQ(windows->driveInfoControllers().first()->field("serialNumber")->text(), "APPBAD1");
    ASSERT_EQ(windows->testsControllers().size(), 1);
    // No errors logged: nothing to open.
    EXPECT_FALSE(button("errorsShowAll")->isEnabled());

    KZTestsController *tests = windows->testsControllers().first();
    EXPECT_EQ(tests->testsModel()->rowCount(), 0);

    // An update selects the first drive again and refreshes the open windows.
    QByteArray changed = failingDrive("FORGE BAD", "APPBAD1").replace("\"raw\": 24", "\"raw\": 31");
    changed.chop(1);
    changed += ", \"selfTestLog\": [{\"type\": 1, \"status\": \"0x00\", \"lifetimeHours\": 4242}]}";
    machine.addDrive("sdb", changed);
    updateAndWait();
    // The self-test window follows once the update has let go of the drives.
    EXPECT_TRUE(waitFor([tests] { return tests->testsModel()->rowCount() == 1; }));
    EXPECT_EQ(browser->driveSelected(), 0);
    EXPECT_EQ(app.driveSelected(), 0);
    const KZDetailTableModel *rows = attributes->attributesModel();
    EXPECT_EQ(rows->index(0, 0).data().toString(), "5");
    EXPECT_EQ(rows->index(0, 9).data().toString(), "31");
    EXPECT_EQ(windows->attributesControllers().size(), 1);

    // A rescan closes every window and forgets it.
    QPointer<KZAttributesController> watched = attributes;
    QSignalSpy scanned(&app, &KZAppController::scanFinished);
    app.rescanDrives();
    ASSERT_TRUE(waitFor([&] { return scanned.count() > 0; }));
    EXPECT_TRUE(windows->attributesControllers().isEmpty());
    EXPECT_TRUE(windows->driveInfoControllers().isEmpty());
    EXPECT_TRUE(windows->testsControllers().isEmpty());
    EXPECT_TRUE(!watched || !watched->isVisible());
    EXPECT_EQ(outline->rowCount(), 2);
}

// Not a test: the README's pictures of the main window and the detail
// windows. Run with --gtest_also_run_disabled_tests and
// TARNWELL_SCREENSHOT_DIR set to the folder to write them to.
TEST_F(DriveWindowsAppTest, DISABLED_Screenshots)
{
    const QString folder = qEnvironmentVariable("TARNWELL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "TARNWELL_SCREENSHOT_DIR is not set";
    machine.addDrive("sda", passedDrive("FORGE SSD 960GB", "SHOTSSD1"));
    machine.addDrive("sdb", R"({"identity": {"model": "FORGE ST4000 ARCHIVE", "serial": "SHOTBAD1",
        "firmware": "CC54", "sectors": 7814037168, "rotationRate": 5900, "sataVersion": "3.1"},
        "selfTestStatus": "0x74", "attributes": [
        {"id": 1, "flags": "0x000f", "value": 82, "worst": 64, "thresh": 44, "raw": 163345236},
        {"id": 3, "flags": "0x0003", "value": 93, "worst": 92, "thresh": 0},
        {"id": 4, "flags": "0x0032", "value": 100, "worst": 100, "thresh": 20, "raw": 412},
        {"id": 5, "flags": "0x0033", "value": 97, "worst": 97, "thresh": 10, "raw": 168},
        {"id": 7, "flags": "0x000f", "value": 88, "worst": 60, "thresh": 30, "raw": 702143},
        {"id": 9, "flags": "0x0032", "value": 92, "worst": 92, "thresh": 0, "raw": 7342},
        {"id": 10, "flags": "0x0013", "value": 100, "worst": 100, "thresh": 97},
        {"id": 12, "flags": "0x0032", "value": 100, "worst": 100, "thresh": 20, "raw": 398},
        {"id": 187, "flags": "0x0032", "value": 88, "worst": 88, "thresh": 0, "raw": 12},
        {"id": 190, "flags": "0x0022", "value": 64, "worst": 52, "thresh": 40, "raw": [36, 0, 20, 45, 0, 0]},
        {"id": 194, "flags": "0x0022", "value": 36, "worst": 48, "thresh": 0, "raw": [36, 0, 20, 0, 45, 0]},
        {"id": 197, "flags": "0x0012", "value": 100, "worst": 100, "thresh": 0, "raw": 16},
        {"id": 198, "flags": "0x0010", "value": 100, "worst": 100, "thresh": 0, "raw": 16},
        {"id": 199, "flags": "0x003e", "value": 200, "worst": 200, "thresh": 0, "raw": 3}],
        "errorLog": {"count": 3, "entries": [
            {"lifetimeHours": 7300, "error": {"er": "0x40", "st": "0x51", "sc": 8, "lba": "0x00123456"},
             "commands": [{"command": "0xc8", "count": 8, "lba": "0x00123456", "timestampMs": 90061234}]},
            {"lifetimeHours": 7120, "error": {"er": "0x84", "st": "0x51", "lba": "0x0a000010"},
             "commands": [{"command": "0xca", "count": 32, "lba": "0x0a000010", "timestampMs": 4000}]},
            {"lifetimeHours": 6900, "error": {"er": "0x04", "st": "0x51", "sc": 1},
             "commands": [{"command": "0xb0", "features": "0xd0", "count": 1, "lba": "0xc24f00"}]}]},
        "selfTestLog": [
            {"type": 1, "status": "0x74", "lifetimeHours": 7342, "lba": 2930466576},
            {"type": 1, "status": "0x00", "lifetimeHours": 7300},
            {"type": 2, "status": "0x00", "lifetimeHours": 7000},
            {"type": 1, "status": "0x00", "lifetimeHours": 6800}]})");
    machine.addDrive("sdc", passedDrive("FORGE WD8000 BACKUP", "SHOTHDD1"));
    // Volumes on the first two disks, as a desktop has them.
    environment.options.lsblk = TestSupport::writeScript(
        "lsblk",
        "#!/bin/sh\ncat <<'END'\n"
        "NAME=\"sda\" TYPE=\"disk\" PKNAME=\"\" MOUNTPOINT=\"\" LABEL=\"\" PATH=\"/dev/sda\"\n"
        "NAME=\"sda1\" TYPE=\"part\" PKNAME=\"sda\" MOUNTPOINT=\"/\" LABEL=\"System\" "
        "PATH=\"/dev/sda1\"\n"
        "NAME=\"sda2\" TYPE=\"part\" PKNAME=\"sda\" MOUNTPOINT=\"/home\" LABEL=\"Home\" "
        "PATH=\"/dev/sda2\"\n"
        "NAME=\"sdb\" TYPE=\"disk\" PKNAME=\"\" MOUNTPOINT=\"\" LABEL=\"\" PATH=\"/dev/sdb\"\n"
        "NAME=\"sdb1\" TYPE=\"part\" PKNAME=\"sdb\" MOUNTPOINT=\"/srv/archive\" "
        "LABEL=\"Archive\" PATH=\"/dev/sdb1\"\n"
        "NAME=\"sdc\" TYPE=\"disk\" PKNAME=\"\" MOUNTPOINT=\"\" LABEL=\"\" PATH=\"/dev/sdc\"\n"
        "END\n");
    launch();
    KZAppController &app = controller();
    app.drivesWindow()->resize(1120, 600);
    app.drivesWindow()->show();
    app.driveBrowser()->selectDrive(1);
    QCoreApplication::processEvents();
    ASSERT_TRUE(app.drivesWindow()->grab().save(folder + "/main-window-failing.png"));

    KZDetailWindows *windows = app.detailWindows();
    const struct
    {
        const char *button;
        const char *file;
        std::function<QWidget *()> window;
    } shots[] = {
        {"driveInformationShowAll", "drive-information.png",
         [&] { return windows->driveInfoControllers().value(0); }},
        {"attributesShowAll", "attributes.png",
         [&] { return windows->attributesControllers().value(0); }},
        {"errorsShowAll", "errors.png", [&] { return windows->errorsControllers().value(0); }},
        {"testsMoreInfo", "self-tests.png", [&] { return windows->testsControllers().value(0); }},
    };
    for (const auto &shot : shots) {
        button(shot.button)->click();
        QCoreApplication::processEvents();
        QWidget *window = shot.window();
        ASSERT_TRUE(window) << shot.file;
        ASSERT_TRUE(window->grab().save(folder + "/" + shot.file)) << shot.file;
    }
}

// A disk left asleep by a timed check keeps its last read's values in the
// window under a grey SLEEPING; the pictures are taken when
// TARNWELL_SCREENSHOT_DIR names a folder.
TEST_F(DriveWindowsAppTest, ADiskLeftAsleepShowsItsLastReadUnderSleeping)
{
    machine.addDrive("sda", passedDrive("FORGE GOOD", "APPGOOD1"));
    machine.addDrive("sdb", failingDrive("FORGE BAD", "APPBAD1"));
    machine.setAsleep("sdb", true);
    launch();
    KZAppController &app = controller();
    KZDriveBrowser *browser = app.driveBrowser();
    QSignalSpy finished(app.monitor(), &KZMonitor::checkFinished);
    app.monitor()->update(KZMonitor::Origin::Timer);
    ASSERT_TRUE(waitFor("a timed check", [&] { return finished.count() > 0; }));

    const KZDriveOutlineModel *outline = browser->outlineModel();
    EXPECT_EQ(outline->index(0, 0).data().toString(), "FORGE GOOD  [PASSED]");
    EXPECT_EQ(outline->index(1, 0).data().toString(), "FORGE BAD  [SLEEPING]");
    browser->selectDrive(1);
    KZSummaryPanel *summary = browser->summaryPanel();
    EXPECT_EQ(summary->field("overallSMARTStatus")->text(), "SLEEPING");
    EXPECT_EQ(summary->field("overallSMARTStatus")->palette().color(QPalette::Base),
              QColor(0x54, 0x6e, 0x7a));
    EXPECT_EQ(summary->field("reallocatedBadSectors")->text(), "24");
    const auto *reason = summary->findChild<QLabel *>("statusReason");
    ASSERT_TRUE(reason);
    EXPECT_TRUE(reason->text().startsWith("The disk was asleep (STANDBY) and was left asleep. "
                                          "These are the values of its last read, "))
        << reason->text().toStdString();

    const QString folder = qEnvironmentVariable("TARNWELL_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        app.drivesWindow()->resize(1120, 600);
        app.drivesWindow()->show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(app.drivesWindow()->grab().save(folder + "/main-window-sleeping.png"));
    }
}
