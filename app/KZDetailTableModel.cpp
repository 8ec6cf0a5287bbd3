#include "KZDetailTableModel.h"

#include "KZDriveColours.h"

#include <QHeaderView>
#include <QTableView>

KZDetailTableModel::KZDetailTableModel(const QStringList &headings, const QList<int> &numeric,
                                       QObject *parent)
    : QAbstractTableModel(parent), m_headings(headings), m_numeric(numeric)
{
}

void KZDetailTableModel::setRows(const QList<Row> &rows)
{
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

int KZDetailTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int KZDetailTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_headings.size());
}

QVariant KZDetailTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return row.cells.value(index.column());
    case Qt::ForegroundRole:
        return KZDriveColours::foreground(row.tone);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignVCenter |
                   (m_numeric.contains(index.column()) ? Qt::AlignRight : Qt::AlignLeft));
    default:
        return {};
    }
}

QVariant KZDetailTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headings.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_headings.at(section);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignVCenter |
                   (m_numeric.contains(section) ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

Qt::ItemFlags KZDetailTableModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

QTableView *makeDetailTableView(KZDetailTableModel *model, const QString &name,
                                const QString &accessibleName)
{
    auto *view = new QTableView;
    view->setObjectName(name);
    view->setAccessibleName(accessibleName);
    view->setModel(model);
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setHighlightSections(false);
    return view;
}

void fitDetailTableColumns(QTableView *view)
{
    view->resizeColumnsToContents();
    QHeaderView *header = view->horizontalHeader();
    const QFontMetrics metrics(header->font());
    for (int column = 0; column < header->count(); ++column) {
        const QString heading =
            view->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        const int wanted = metrics.horizontalAdvance(heading) + 24;
        if (header->sectionSize(column) < wanted)
            header->resizeSection(column, wanted);
    }
}
