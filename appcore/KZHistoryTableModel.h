#pragma once

#include "KZHistoryRow.h"

#include <QAbstractTableModel>
#include <QList>

// The rows of a drive's history as a table, the latest check first: what the
// history window's charts plot, for screen readers and for copying. Every
// column has a name; the bad-sector counts come first, then the other values,
// the attribute chosen in the window (its value or raw value, when one is
// chosen) and the last self-test.
class KZHistoryTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // The columns, in their order; Attribute is left out while no attribute
    // is chosen (section() gives a column's place).
    enum Column
    {
        Time,
        Status,
        Reallocated,
        Pending,
        OfflineUncorrectable,
        CrcErrors,
        Temperature,
        PowerOnHours,
        ErrorCount,
        Attribute,
        SelfTest,
        ColumnCount
    };
    // The status word of a row, for its colour.
    static constexpr int StatusRole = Qt::UserRole + 1;
    // The row's index in rows().
    static constexpr int RowIndexRole = Qt::UserRole + 2;

    explicit KZHistoryTableModel(QObject *parent = nullptr);

    // The rows, oldest first (as read); `attribute` 0: no attribute column.
    void setRows(const QList<KZHistoryRow> &rows, qint32 attribute = 0,
                 const QString &attributeName = {}, bool raw = false);
    const QList<KZHistoryRow> &rows() const { return m_rows; }
    qint32 attribute() const { return m_attribute; }
    // The table row that shows rows().at(index).
    int tableRowOf(qsizetype index) const { return int(m_rows.size() - 1 - index); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The place of a column in the table, or -1 when it is left out.
    int section(Column column) const;
    // The column at a place in the table.
    Column columnAt(int section) const;
    // The text of a cell (what the view shows and a copy takes).
    QString cellText(const KZHistoryRow &row, Column column) const;
    // A column's whole name on one line (the header may break it in two).
    QString columnName(Column column) const;

private:
    QString headerText(Column column) const;

    QList<KZHistoryRow> m_rows;
    qint32 m_attribute = 0;
    QString m_attributeName;
    bool m_raw = false;
};
