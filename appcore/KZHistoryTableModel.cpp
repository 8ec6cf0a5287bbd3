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

int KZHistoryTableModel::section(Column column) const
{
    if (column == Attribute && m_attribute <= 0)
        return -1;
    return m_attribute <= 0 && column > Attribute ? column - 1 : column;
}

KZHistoryTableModel::Column KZHistoryTableModel::columnAt(int section) const
{
    return Column(m_attribute <= 0 && section >= Attribute ? section + 1 : section);
}

QString KZHistoryTableModel::cellText(const KZHistoryRow &row, Column column) const
{
    const auto number = [&row](const std::optional<qint64> &value) {
        return value ? QString::number(*value) : row.hasValues ? QStringLiteral("-") : QString();
    };
    switch (column) {
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
    const Column column = columnAt(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return cellText(row, column);
    case Qt::ToolTipRole:
        return KZHistorySeries::describe(row, m_attribute, m_attributeName);
    case Qt::TextAlignmentRole:
        return column == Time || column == Status || column == SelfTest
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

QString KZHistoryTableModel::columnName(Column column) const
{
    return headerText(column).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString KZHistoryTableModel::headerText(Column column) const
{
    // Narrow columns for numbers: long names take two lines.
    switch (column) {
    case Time:
        return tr("Checked");
    case Status:
        return tr("Status");
    case Reallocated:
        return tr("Reallocated");
    case Pending:
        return tr("Pending");
    case OfflineUncorrectable:
        return tr("Offline\nUncorrectable");
    case CrcErrors:
        return tr("CRC\nErrors");
    case Temperature:
        return tr("Temperature\n(°C)");
    case PowerOnHours:
        return tr("Power On\nHours");
    case ErrorCount:
        return tr("Error\nLog");
    case Attribute: {
        const QString name =
            m_attributeName.isEmpty() ? tr("Attribute %1").arg(m_attribute) : m_attributeName;
        return m_raw ? tr("%1\n(raw)").arg(name) : tr("%1\n(value)").arg(name);
    }
    case SelfTest:
        return tr("Last Self-Test");
    case ColumnCount:
        break;
    }
    return {};
}

QVariant KZHistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return headerText(columnAt(section));
    if (role == Qt::AccessibleTextRole)
        return columnName(columnAt(section));
    return QAbstractTableModel::headerData(section, orientation, role);
}
