#include "KZAttributesController.h"

#include "KZDetailRows.h"
#include "KZDetailTableModel.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"

#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

namespace {

using Column = KZDetailRows::AttributeColumn;

} // namespace

KZAttributesController::KZAttributesController(QWidget *parent)
    : KZDetailWindowController(parent),
      m_model(new KZDetailTableModel(
          {tr("ID"), tr("Attribute"), tr("Flag"), tr("Value"), tr("Worst"), tr("Threshold"),
           tr("Type"), tr("Updated"), tr("When Failed"), tr("Raw Value"), tr("Min"), tr("Max")},
          {int(Column::ID), int(Column::Flag), int(Column::Value), int(Column::Worst),
           int(Column::Thresh), int(Column::Raw), int(Column::Min), int(Column::Max)},
          this))
{
    setObjectName(QStringLiteral("attributesWindow"));
    m_attributesList =
        makeDetailTableView(m_model, QStringLiteral("attributesList"), tr("Attributes"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_attributesList);
    resize(1000, 560);
}

void KZAttributesController::updateWindow()
{
    if (!m_drive)
        return;
    const KZSMARTDrive &drive = *m_drive;
    setWindowTitle(KZDetailRows::windowTitle(drive, tr("%1 Attributes")));
    const KZPreferences &preferences = KZPreferences::standard();
    const bool ignore190 = preferences.boolForKey(KZPreferenceKeys::ignoreAttribute190);
    const bool ignore196 = preferences.boolForKey(KZPreferenceKeys::ignoreAttribute196);

    QList<KZDetailTableModel::Row> rows;
    for (quint64 index = 0; index < quint64(qMax(drive.driveAttributeCount(), 0)); ++index) {
        const KZSMARTAttribute *attribute = drive.driveAttribute(index);
        if (!attribute)
            break;
        KZDetailTableModel::Row row;
        for (int column = 0; column < KZDetailRows::attributeColumnCount; ++column)
            row.cells.append(KZDetailRows::attributeCellText(*attribute, Column(column)));
        row.tone = KZDetailRows::attributeRowTone(*attribute, drive, ignore190, ignore196);
        rows.append(row);
    }
    m_model->setRows(rows);
    fitDetailTableColumns(m_attributesList, int(Column::Name));
}
