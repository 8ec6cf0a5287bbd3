// The drive information, attributes and errors windows and the lists that
// keep them, over drives read through the real smartctl from forged captures.
#include "KZDetailWindows.h"
#include "ForgedDrives.h"
#include "KZAttributesController.h"
#include "KZDetailTableModel.h"
#include "KZDriveColours.h"
#include "KZDriveInfoController.h"
#include "KZErrorsController.h"
#include "KZPreferences.h"
#include "KZTestsController.h"

#include <QAccessible>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

namespace {

class DetailWindows : public testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_SMARTCTL();
        KZPreferences::standard().registerApplicationDefaults();
    }
    KZDetailWindows windows{KZDriveViewFlavour::MainWindow, nullptr, {}};
};

QString cell(const KZDetailTableModel *model, int row, int column)
{
    return model->index(row, column).data().toString();
}

int rowOf(const KZDetailTableModel *model, const QString &id)
{
    for (int row = 0; row < model->rowCount(); ++row) {
        if (cell(model, row, 0) == id)
            return row;
    }
    ADD_FAILURE() << "no row " << id.toStdString();
    return 0;
}

} // namespace

TEST_F(DetailWindows, EachKindOpensOnceForADriveAndEveryScanClosesThem)
{
    const auto first = ForgedDrives::read(R"({"identity": {"serial": "DW1"}})");
    const auto second = ForgedDrives::read(R"({"identity": {"serial": "DW2"}})");
    first->setID(0);
    second->setID(1);

    auto *attributes = windows.show(KZDetailWindows::Kind::Attributes, first);
    ASSERT_NE(attributes, nullptr);
    EXPECT_TRUE(attributes->isVisible());
    attributes->close();
    EXPECT_EQ(windows.show(KZDetailWindows::Kind::Attributes, first), attributes);
    EXPECT_TRUE(attributes->isVisible());
    EXPECT_EQ(windows.attributesControllers().size(), 1);
    EXPECT_NE(windows.show(KZDetailWindows::Kind::Attributes, second), attributes);
    EXPECT_EQ(windows.attributesControllers().size(), 2);
    for (auto kind : {KZDetailWindows::Kind::DriveInformation, KZDetailWindows::Kind::Errors,
                      KZDetailWindows::Kind::Tests})
        ASSERT_NE(windows.show(kind, first), nullptr);
    EXPECT_EQ(windows.show(KZDetailWindows::Kind::Errors, nullptr), nullptr);

    QPointer<KZDetailWindowController> watched = attributes;
    windows.closeAll();
    EXPECT_TRUE(windows.driveInfoControllers().isEmpty());
    EXPECT_TRUE(windows.attributesControllers().isEmpty());
    EXPECT_TRUE(windows.errorsControllers().isEmpty());
    EXPECT_TRUE(windows.testsControllers().isEmpty());
    ASSERT_TRUE(watched);
    EXPECT_FALSE(watched->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(watched);
}

TEST_F(DetailWindows, AttributesTableWithItsColours)
{
    const auto drive = ForgedDrives::read(
        R"({"identity": {"serial": "DW3"}, "health": "failing", "attributes": [
            {"id": 1, "flags": 47, "value": 82, "worst": 64, "thresh": 44, "raw": 1633},
            {"id": 5, "flags": "0x0033", "value": 100, "worst": 5, "thresh": 10, "raw": 12},
            {"id": 190, "flags": "0x0022", "value": 30, "worst": 30, "thresh": 40, "raw": 70}]})",
        {"Backup"});
    auto *window = static_cast<KZAttributesController *>(
        windows.show(KZDetailWindows::Kind::Attributes, drive));
    EXPECT_EQ(window->windowTitle(), "drive.twdr Attributes"); // a saved report
    const KZDetailTableModel *model = window->attributesModel();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->columnCount(), 12);

    const int first = rowOf(model, "1");
    EXPECT_EQ(cell(model, first, 2), "0x002F");
    EXPECT_EQ(cell(model, first, 9), "1633");
    EXPECT_EQ(model->index(first, 9).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
              Qt::AlignRight);
    EXPECT_EQ(model->index(first, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignLeft,
              Qt::AlignLeft);
    EXPECT_FALSE(model->index(first, 0).data(Qt::ForegroundRole).isValid());
    // Failed in the past, on a failed drive: red in every cell.
    const int reallocated = rowOf(model, "5");
    for (int column = 0; column < 12; ++column)
        EXPECT_EQ(
            model->index(reallocated, column).data(Qt::ForegroundRole).value<QBrush>().color(),
            KZDriveColours::alertColor());
    // 190 is failing now, but ignored by default: black.
    EXPECT_FALSE(model->index(rowOf(model, "190"), 0).data(Qt::ForegroundRole).isValid());

    // Rows are read-only and never selected; columns can be resized.
    QTableView *view = window->attributesList();
    EXPECT_FALSE(model->index(0, 0).flags() & Qt::ItemIsSelectable);
    EXPECT_EQ(view->horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(view)->text(QAccessible::Name), "Attributes");
}

TEST_F(DetailWindows, ErrorsWindowListsTheFiveMostRecent)
{
    QByteArray entries;
    for (int hours = 1200; hours >= 800; hours -= 100)
        entries += QByteArray(entries.isEmpty() ? "" : ",") +
                   "{\"lifetimeHours\": " + QByteArray::number(hours) + "}";
    const auto drive = ForgedDrives::read(
        R"({"identity": {"serial": "DW4"}, "errorLog": {"count": 12, "entries": [)" + entries +
        "]}}");
    auto *window =
        static_cast<KZErrorsController *>(windows.show(KZDetailWindows::Kind::Errors, drive));
    const KZDetailTableModel *model = window->errorsModel();
    ASSERT_EQ(model->rowCount(), 5);
    EXPECT_EQ(cell(model, 0, 0), "12");
    EXPECT_EQ(cell(model, 4, 1), "800 hours");
    EXPECT_EQ(window->windowTitle(), "drive.twdr Errors");
}

TEST_F(DetailWindows, DriveInformationWithDisplayOnlyCheckBoxes)
{
    const auto drive = ForgedDrives::read(
        R"({"identity": {"serial": "DW5", "sataVersion": "3.2"}, "selfTestStatus": "0x74",
            "offlineCapabilities": "0x5b"})");
    auto *window = static_cast<KZDriveInfoController *>(
        windows.show(KZDetailWindows::Kind::DriveInformation, drive));
    EXPECT_EQ(window->windowTitle(), "drive.twdr Drive information");
    EXPECT_EQ(window->field("serialNumber")->text(), "DW5");
    EXPECT_EQ(window->label("ataVersionText")->text(), "SATA Version:");
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(window->field("ataVersion"))->text(QAccessible::Name),
        "SATA Version:");
    QLabel *status = window->label("selfTestExecution");
    EXPECT_EQ(status->palette().color(QPalette::WindowText), KZDriveColours::alertColor());
    EXPECT_EQ(window->label("selfTestExecutionText")->palette().color(QPalette::WindowText),
              KZDriveColours::alertColor());

    QCheckBox *selfTest = window->checkBox("selfTest");
    QCheckBox *conveyance = window->checkBox("conveyanceSelfTest");
    EXPECT_TRUE(selfTest->isChecked());
    EXPECT_FALSE(conveyance->isChecked());
    QTest::mouseClick(conveyance, Qt::LeftButton);
    EXPECT_FALSE(conveyance->isChecked());
    EXPECT_EQ(window->field("conveyanceSelfTestTime")->text(), "-");
}
