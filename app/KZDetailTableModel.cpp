#include "KZDetailTableModel.h"

#include "KZDriveColours.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>

namespace {

// Room on both sides of a cell's text, so a right-aligned number never
// touches the text of the next column.
constexpr int cellMargin = 6;

// Draws cells with a margin and, since rows are never selected, never as the
// current cell.
class CellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem cell(option);
        initStyleOption(&cell, index);
        cell.state &= ~QStyle::State_HasFocus;
        const QString text = cell.text;
        cell.text.clear();
        QStyle *style = cell.widget ? cell.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
        const QRect area = cell.rect.adjusted(cellMargin, 0, -cellMargin, 0);
        painter->save();
        painter->setFont(cell.font);
        style->drawItemText(painter, area, int(cell.displayAlignment), cell.palette, true,
                            cell.fontMetrics.elidedText(text, Qt::ElideRight, area.width()),
                            QPalette::Text);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(2 * cellMargin, 0);
    }
};

// Room on both sides of a column's heading.
constexpr int columnPadding = 8;

} // namespace

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
    view->setItemDelegate(new CellDelegate(view));
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view->horizontalHeader()->setStretchLastSection(false);
    view->horizontalHeader()->setHighlightSections(false);
    return view;
}

void fitDetailTableColumns(QTableView *view, int stretchColumn)
{
    view->resizeColumnsToContents();
    QHeaderView *header = view->horizontalHeader();
    const QFontMetrics metrics(header->font());
    for (int column = 0; column < header->count(); ++column) {
        const QString heading =
            view->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        const int wanted = qMax(metrics.horizontalAdvance(heading) + 2 * columnPadding,
                                header->sectionSize(column));
        header->resizeSection(column, wanted);
    }
    // What is left of the window's width goes to the column of names.
    int total = 0;
    for (int column = 0; column < header->count(); ++column)
        total += header->sectionSize(column);
    const int spare = view->viewport()->width() - total;
    if (stretchColumn >= 0 && stretchColumn < header->count() && spare > 0)
        header->resizeSection(stretchColumn, header->sectionSize(stretchColumn) + spare);
}
