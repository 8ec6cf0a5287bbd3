// The drive outline and summary panel as a user meets them: drives read
// through the real smartctl from forged captures, read back from the model
// and the widgets (texts, colours, enabled states, accessible names).
#include "KZDriveBrowser.h"
#include "ForgedDrives.h"
#include "KZDriveColours.h"
#include "KZDriveOutlineModel.h"
#include "KZPreferences.h"
#include "KZSummaryPanel.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

namespace {

constexpr auto mainWindow = KZDriveViewFlavour::MainWindow;

class DriveBrowser : public testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_SMARTCTL();
        KZPreferences::standard().registerApplicationDefaults();
    }
    void TearDown() override { KZPreferences::standard().removeObjectForKey("AutoExpandDrives"); }

    QString value(const KZDriveBrowser &browser, const char *name) const
    {
        return browser.summaryPanel()->field(QString::fromLatin1(name))->text();
    }
    QColor valueColor(const KZDriveBrowser &browser, const char *name) const
    {
        return browser.summaryPanel()
            ->field(QString::fromLatin1(name))
            ->palette()
            .color(QPalette::Text);
    }
    QColor captionColor(const KZDriveBrowser &browser, const char *name) const
    {
        return browser.summaryPanel()
            ->caption(QString::fromLatin1(name))
            ->palette()
            .color(QPalette::WindowText);
    }
    bool enabled(const KZDriveBrowser &browser, const char *name) const
    {
        return browser.summaryPanel()->button(QString::fromLatin1(name))->isEnabled();
    }
    const QColor red = KZDriveColours::alertColor();
    const QColor black = QColor(Qt::black);
};

QString accessible(QWidget *widget, QAccessible::Text kind)
{
    QAccessibleInterface *interface = QAccessible::queryAccessibleInterface(widget);
    return interface ? interface->text(kind) : QString();
}

// Whether a colour is near a hue (degrees), saturated enough to be a colour.
bool isHue(const QColor &color, int low, int high)
{
    return color.hsvSaturation() > 100 && color.hsvHue() >= low && color.hsvHue() <= high;
}

} // namespace

TEST_F(DriveBrowser, OutlineRowsPartitionsAndAutoExpand)
{
    const auto data = ForgedDrives::read(R"({"identity": {"serial": "BRW1"}})", {"Data"});
    const auto two = ForgedDrives::read(
        R"({"identity": {"model": "FORGE TWO PARTS", "serial": "BRW2"}})", {"A", "B"});
    KZPreferences::standard().setBool("AutoExpandDrives", false);
    KZDriveBrowser browser(mainWindow);
    browser.setDrives({data, two});
    KZDriveOutlineModel *model = browser.outlineModel();

    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(0, 0).data().toString(), "Data  [PASSED]");
    EXPECT_FALSE(model->index(0, 0).data(Qt::ForegroundRole).isValid());
    EXPECT_EQ(model->rowCount(model->index(0, 0)), 0);
    const QModelIndex drive = model->index(1, 0);
    EXPECT_EQ(drive.data().toString(), "FORGE TWO PARTS  [PASSED]");
    ASSERT_EQ(model->rowCount(drive), 2);
    for (int row = 0; row < 2; ++row) {
        const QModelIndex partition = model->index(row, 0, drive);
        EXPECT_EQ(partition.data().toString(), row == 0 ? "A" : "B");
        EXPECT_FALSE(partition.flags() & Qt::ItemIsSelectable);
        EXPECT_FALSE(partition.flags() & Qt::ItemIsEditable);
    }
    EXPECT_TRUE(drive.flags() & Qt::ItemIsSelectable);
    EXPECT_EQ(browser.driveSelected(), 0);

    // Unfolded after a selection change only while the preference asks for it.
    browser.selectDrive(1);
    EXPECT_FALSE(browser.outlineView()->isExpanded(drive));
    KZPreferences::standard().setBool("AutoExpandDrives", true);
    browser.selectDrive(0);
    EXPECT_TRUE(browser.outlineView()->isExpanded(drive));
    EXPECT_EQ(browser.driveSelected(), 0);
}

TEST_F(DriveBrowser, FailingDriveIsRedWithItsStatusBlackOnYellow)
{
    const auto failing = ForgedDrives::read(R"({"identity": {"serial": "BRW3"},
        "attributes": [{"id": 197, "raw": 12}, {"id": 5, "raw": 0}], "selfTestStatus": "0x74"})");
    ASSERT_EQ(failing->driveHealth(), 2);
    KZDriveBrowser browser(mainWindow);
    browser.setDrives({failing});

    EXPECT_EQ(browser.outlineModel()->index(0, 0).data(Qt::ForegroundRole).value<QBrush>().color(),
              red);
    QLineEdit *status = browser.summaryPanel()->field("overallSMARTStatus");
    EXPECT_EQ(status->text(), "FAILING");
    EXPECT_EQ(status->palette().color(QPalette::Text), black);
    EXPECT_TRUE(isHue(status->palette().color(QPalette::Base), 45, 65))
        << status->palette().color(QPalette::Base).name().toStdString();
    // The reason is shown with the status.
    EXPECT_TRUE(browser.summaryPanel()->findChild<QLabel *>("statusReason")->isVisibleTo(&browser));
    EXPECT_TRUE(status->toolTip().contains("Failed selftest status"));

    EXPECT_EQ(value(browser, "pendingBadSectors"), "12");
    EXPECT_EQ(valueColor(browser, "pendingBadSectors"), red);
    EXPECT_EQ(captionColor(browser, "pendingBadSectorsText"), red);
    EXPECT_EQ(valueColor(browser, "reallocatedBadSectors"), black);
    EXPECT_EQ(
        browser.summaryPanel()->button("attributesShowAll")->palette().color(QPalette::ButtonText),
        red);
    EXPECT_TRUE(enabled(browser, "attributesShowAll"));
}

TEST_F(DriveBrowser, WithoutDrivesOrWithAnUnsupportedOne)
{
    KZDriveBrowser browser(mainWindow);
    browser.setDrives({});
    QLineEdit *status = browser.summaryPanel()->field("overallSMARTStatus");
    EXPECT_EQ(status->text(), "NO DRIVES");
    EXPECT_EQ(status->palette().color(QPalette::Text), QColor(Qt::white));
    EXPECT_EQ(status->palette().color(QPalette::Base), black);
    for (const char *name :
         {"driveInformationShowAll", "attributesShowAll", "errorsShowAll", "testsMoreInfo"})
        EXPECT_FALSE(enabled(browser, name)) << name;

    browser.setDrives({ForgedDrives::unsupported()});
    EXPECT_EQ(status->text(), "UNSUPPORTED");
    EXPECT_EQ(status->palette().color(QPalette::Text), QColor(Qt::white));
    EXPECT_TRUE(isHue(status->palette().color(QPalette::Base), 200, 230));
    for (const char *name :
         {"driveModel", "serialNumber", "capacity", "powerOnHours", "temperature",
          "pendingBadSectors", "removedBadSectors", "reallocatedBadSectors", "crcErrorCount",
          "totalErrors", "lastErrorType", "lastErrorTime", "testCount", "lastTestStatus",
          "lastTestTime"})
        EXPECT_EQ(value(browser, name), "-") << name;
}

TEST_F(DriveBrowser, ColoursAreSetAgainByEveryRefresh)
{
    const auto newFailure = ForgedDrives::read(R"({"identity": {"serial": "BRW4"},
        "selfTestLog": [{"type": 1, "status": "0x74", "lifetimeHours": 90}]})");
    ASSERT_TRUE(newFailure->driveNewTestFail());
    const auto clean = ForgedDrives::read(R"({"identity": {"serial": "BRW5"},
        "selfTestLog": [{"type": 1, "status": "0x00", "lifetimeHours": 90}]})");
    KZDriveBrowser browser(mainWindow);
    browser.setDrives({newFailure, clean});
    EXPECT_EQ(valueColor(browser, "lastTestStatus"), red);
    EXPECT_EQ(browser.summaryPanel()
                  ->button("driveInformationShowAll")
                  ->palette()
                  .color(QPalette::ButtonText),
              red);
    browser.selectDrive(1);
    EXPECT_EQ(value(browser, "lastTestStatus"), "Completed without error");
    EXPECT_EQ(valueColor(browser, "lastTestStatus"), black);
    EXPECT_EQ(browser.summaryPanel()
                  ->button("driveInformationShowAll")
                  ->palette()
                  .color(QPalette::ButtonText),
              black);
}

TEST_F(DriveBrowser, ScreenReadersReadEachValueUnderItsCaption)
{
    const auto drive = ForgedDrives::read(
        R"({"identity": {"serial": "BRW6"}, "attributes": [{"id": 194, "raw": 35}]})");
    KZDriveBrowser browser(mainWindow);
    browser.setDrives({drive});
    QLineEdit *temperature = browser.summaryPanel()->field("temperature");
    EXPECT_EQ(accessible(temperature, QAccessible::Name), "Temperature (Celsius):");
    EXPECT_EQ(accessible(temperature, QAccessible::Value), "35");
    QLineEdit *status = browser.summaryPanel()->field("overallSMARTStatus");
    EXPECT_EQ(accessible(status, QAccessible::Name), "Overall Status:");
    EXPECT_EQ(accessible(status, QAccessible::Value), "PASSED");
    EXPECT_EQ(accessible(browser.summaryPanel()->button("errorsShowAll"), QAccessible::Name),
              "Errors: Show All");
    EXPECT_EQ(accessible(browser.outlineView(), QAccessible::Name), "Drives");

    // The caption follows the preference, and the field's name with it.
    KZPreferences::standard().setBool("DisplayTempInFahrenheit", true);
    browser.refreshWindow();
    KZPreferences::standard().removeObjectForKey("DisplayTempInFahrenheit");
    EXPECT_EQ(accessible(temperature, QAccessible::Name), "Temperature (F):");
}

TEST_F(DriveBrowser, ViewerListsSavedDrivesByModelWithoutStatusWords)
{
    const auto drive =
        ForgedDrives::read(R"({"identity": {"model": "FORGE SAVED", "serial": "BRW7"}})");
    KZDriveBrowser browser(KZDriveViewFlavour::ReportViewer);
    browser.setDrives({drive});
    EXPECT_EQ(browser.outlineModel()->index(0, 0).data().toString(), "FORGE SAVED");
    EXPECT_EQ(value(browser, "driveModel"), "FORGE SAVED");
}
