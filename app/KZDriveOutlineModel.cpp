#include "KZDriveOutlineModel.h"

#include "KZDriveColours.h"
#include "KZDriveOutlineRows.h"
#include "KZSMARTDrive.h"
#include "KZStatusIcons.h"

namespace {

// Drive rows carry 0 as internal id; partition rows their drive's row + 1.
constexpr quintptr driveItem = 0;

} // namespace

KZDriveOutlineModel::KZDriveOutlineModel(KZDriveViewFlavour flavour, QObject *parent)
    : QAbstractItemModel(parent), m_flavour(flavour)
{
}

QList<KZDriveOutlineModel::Row> KZDriveOutlineModel::readRows() const
{
    QList<Row> rows;
    rows.reserve(m_drives.size());
    for (const std::shared_ptr<KZSMARTDrive> &drive : m_drives) {
        const KZDriveOutlineRows::Row row = KZDriveOutlineRows::driveRow(*drive, m_flavour);
        // The status icon beside a drive that could be judged.
        const qint32 health = drive->driveHealth();
        Row item{row.text,
                 row.tone,
                 drive->smartSupported() && health >= 1 && health <= 3 ? int(health) : 0,
                 {}};
        const quint64 count = KZDriveOutlineRows::partitionRowCount(*drive, m_flavour);
        for (quint64 index = 0; index < count; ++index) {
            const KZDriveOutlineRows::Row partition =
                KZDriveOutlineRows::partitionRow(*drive, index, m_flavour);
            item.partitions.append({partition.text, partition.tone, 0, {}});
        }
        rows.append(item);
    }
    return rows;
}

void KZDriveOutlineModel::setDrives(const KZDriveList &drives)
{
    beginResetModel();
    m_drives = drives;
    m_rows = readRows();
    endResetModel();
}

void KZDriveOutlineModel::reload()
{
    const QList<Row> rows = readRows();
    bool sameShape = rows.size() == m_rows.size();
    for (qsizetype index = 0; sameShape && index < rows.size(); ++index)
        sameShape = rows.at(index).partitions.size() == m_rows.at(index).partitions.size();
    if (!sameShape) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
        return;
    }
    // Same rows: keep the selection and what is unfolded.
    m_rows = rows;
    for (int row = 0; row < int(m_rows.size()); ++row) {
        const QModelIndex drive = index(row, 0);
        Q_EMIT dataChanged(drive, drive);
        const int partitions = int(m_rows.at(row).partitions.size());
        if (partitions > 0)
            Q_EMIT dataChanged(index(0, 0, drive), index(partitions - 1, 0, drive));
    }
}

std::shared_ptr<KZSMARTDrive> KZDriveOutlineModel::driveAt(const QModelIndex &index) const
{
    if (!index.isValid())
        return nullptr;
    const qsizetype row =
        index.internalId() == driveItem ? index.row() : qsizetype(index.internalId() - 1);
    return row >= 0 && row < m_drives.size() ? m_drives.at(row) : nullptr;
}

int KZDriveOutlineModel::driveRow(const QModelIndex &index) const
{
    return index.isValid() && index.internalId() == driveItem ? index.row() : -1;
}

QModelIndex KZDriveOutlineModel::driveIndex(int row) const
{
    return index(row, 0);
}

QModelIndex KZDriveOutlineModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < m_rows.size() ? createIndex(row, 0, driveItem) : QModelIndex();
    if (parent.internalId() != driveItem || parent.row() >= m_rows.size())
        return {};
    if (row >= m_rows.at(parent.row()).partitions.size())
        return {};
    return createIndex(row, 0, quintptr(parent.row()) + 1);
}

QModelIndex KZDriveOutlineModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == driveItem)
        return {};
    return createIndex(int(child.internalId() - 1), 0, driveItem);
}

int KZDriveOutlineModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return int(m_rows.size());
    if (parent.internalId() != driveItem || parent.row() >= m_rows.size())
        return 0;
    return int(m_rows.at(parent.row()).partitions.size());
}

int KZDriveOutlineModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant KZDriveOutlineModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return role == Qt::DisplayRole ? QVariant(KZDriveOutlineRows::noItemText) : QVariant();
    const Row *row = nullptr;
    if (index.internalId() == driveItem) {
        if (index.row() < m_rows.size())
            row = &m_rows.at(index.row());
    } else {
        const qsizetype drive = qsizetype(index.internalId() - 1);
        if (drive < m_rows.size() && index.row() < m_rows.at(drive).partitions.size())
            row = &m_rows.at(drive).partitions.at(index.row());
    }
    if (!row)
        return role == Qt::DisplayRole ? QVariant(KZDriveOutlineRows::noItemText) : QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return row->text;
    case Qt::ForegroundRole:
        return KZDriveColours::foreground(row->tone);
    case Qt::DecorationRole:
        return row->health ? QVariant(KZStatusIcons::icon(row->health)) : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags KZDriveOutlineModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Only drives can be chosen; partitions are shown, never selected or edited.
    if (index.internalId() == driveItem)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

QVariant KZDriveOutlineModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return tr("Drives");
    return {};
}
