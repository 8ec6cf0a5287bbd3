#include "KZErrorsController.h"

#include "KZDetailRows.h"
#include "KZDetailTableModel.h"
#include "KZSMARTDrive.h"

#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

using Column = KZDetailRows::ErrorColumn;

} // namespace

KZErrorsController::KZErrorsController(QWidget *parent)
    : KZDetailWindowController(parent),
      m_model(new KZDetailTableModel({tr("Number"), tr("Occurred At"), tr("Error"), tr("Command")},
                                     {int(Column::Number), int(Column::Time)}, this)),
      m_count(new QLabel)
{
    setObjectName(QStringLiteral("errorsWindow"));
    m_errorList = makeDetailTableView(m_model, QStringLiteral("errorList"), tr("Errors"));
    m_count->setObjectName(QStringLiteral("errorCount"));
    m_count->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_count);
    layout->addWidget(m_errorList);
    resize(680, 260);
}

void KZErrorsController::updateWindow()
{
    if (!m_drive)
        return;
    const KZSMARTDrive &drive = *m_drive;
    setWindowTitle(KZDetailRows::windowTitle(drive, tr("%1 Errors")));
    QList<KZDetailTableModel::Row> rows;
    const int count = KZDetailRows::errorRowCount(drive);
    for (int index = 0; index < count; ++index) {
        const std::optional<KZSMARTErrorLog> entry = drive.driveErrorLog(quint64(index));
        if (!entry)
            break;
        KZDetailTableModel::Row row;
        for (int column = 0; column < KZDetailRows::errorColumnCount; ++column)
            row.cells.append(KZDetailRows::errorCellText(*entry, Column(column)));
        rows.append(row);
    }
    m_model->setRows(rows);
    m_count->setText(tr("Errors logged by the drive: %n (its log keeps the five most recent).",
                        nullptr, qMax(drive.driveTotalErrors(), 0)));
    fitDetailTableColumns(m_errorList, int(Column::Command));
}
