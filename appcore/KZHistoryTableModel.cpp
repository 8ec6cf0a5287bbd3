#include "KZHistoryTableModel.h"

#include "KZHistorySeries.h"

KZHistoryTableModel::KZHistoryTableModel(QObject *parent) : QAbstractTableModel(parent) {}

void KZHistoryTableModel::setRows(const QList<KZHistoryRow> &rows, qint32 attribute,
                                  const QString &attributeName, bool raw)
{
    beginResetModel();
    m_rows = rows;
    m_attribute = attribute;
    m_attributeName = attributeName;
    m_raw = raw;
    endResetModel();
}

int KZHistoryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int KZHistoryTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_attribute > 0 ? ColumnCount : ColumnCount - 1;
}

QString KZHistoryTableModel::cellText(const KZHistoryRow &row, int column) const
{
    const auto number = [&row](const std::optional<qint64> &value) {
        return value ? QString::number(*value) : row.hasValues ? QStringLiteral("-") : QString();
    };
    switch (Column(column)) {
    case Time:
        return KZHistorySeries::timeText(row.time) + (row.daily ? tr(" (day)") : QString());
    case Status:
        return row.status;
    case Temperature:
        return number(row.temperature);
    case PowerOnHours:
        return number(row.powerOnHours);
    case Reallocated:
        return number(row.reallocated);
    case Pending:
        return number(row.pending);
    case OfflineUncorrectable:
        return number(row.offlineUncorrectable);
    case CrcErrors:
        return number(row.crcErrors);
    case ErrorCount:
        return number(row.errorCount);
    case SelfTest:
        return row.selfTest;
    case Attribute:
        return number(KZHistorySeries::valueOf(row,
                                               m_raw ? KZHistorySeries::Quantity::AttributeRaw
                                                     : KZHistorySeries::Quantity::AttributeValue,
                                               m_attribute));
    case ColumnCount:
        break;
    }
    return {};
}

QVariant KZHistoryTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const qsizetype rowIndex = m_rows.size() - 1 - index.row();
    const KZHistoryRow &row = m_rows.at(rowIndex);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return cellText(row, index.column());
    case Qt::ToolTipRole:
        return KZHistorySeries::describe(row, m_attribute, m_attributeName);
    case Qt::TextAlignmentRole:
        return index.column() == Time || index.column() == Status || index.column() == SelfTest
                   ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case StatusRole:
        return row.status;
    case RowIndexRole:
        return qlonglong(rowIndex);
    default:
        return {};
    }
}

QVariant KZHistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal ||
        (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (Column(section)) {
    case Time:
        return tr("Checked");
    case Status:
        return tr("Status");
    case Temperature:
        return tr("Temperature (°C)");
    case PowerOnHours:
        return tr("Power On Hours");
    case Reallocated:
        return tr("Reallocated");
    case Pending:
        return tr("Pending");
    case OfflineUncorrectable:
        return tr("Offline Uncorrectable");
    case CrcErrors:
        return tr("CRC Errors");
    case ErrorCount:
        return tr("Error Log");
    case SelfTest:
        return tr("Last Self-Test");
    case Attribute: {
        const QString name =
            m_attributeName.isEmpty() ? tr("Attribute %1").arg(m_attribute) : m_attributeName;
        return m_raw ? tr("%1 (raw)").arg(name) : tr("%1 (value)").arg(name);
    }
    case ColumnCount:
        break;
    }
    return {};
}
