#pragma once

#include "KZDriveSummary.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

// A read-only table of texts for the detail windows: headings, one text per
// cell, one colour per row and an alignment per column. Its rows are set
// whole from the drive at every update, so the view never reads the drive
// while it paints. No row can be selected.
class KZDetailTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    struct Row
    {
        QStringList cells;
        KZTone tone = KZTone::Normal;
    };

    // `numeric` lists the columns whose texts are right-aligned.
    KZDetailTableModel(const QStringList &headings, const QList<int> &numeric,
                       QObject *parent = nullptr);

    void setRows(const QList<Row> &rows);
    const QList<Row> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QStringList m_headings;
    QList<int> m_numeric;
    QList<Row> m_rows;
};

class QTableView;

// A read-only table view as the detail windows use it: rows never selected,
// columns resizable, numbers right-aligned, headings named for screen readers.
QTableView *makeDetailTableView(KZDetailTableModel *model, const QString &name,
                                const QString &accessibleName);
// Fits the columns to their contents, each at least as wide as its heading;
// the width left over goes to `stretchColumn` (none when -1).
void fitDetailTableColumns(QTableView *view, int stretchColumn = -1);
