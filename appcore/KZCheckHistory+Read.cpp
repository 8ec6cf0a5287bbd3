// Reading the history of checks: a drive's rows (with one attribute), its
// last rows, the names of its attributes, the drive of a device or serial
// number, and the trend of its bad-sector counts.
#include "KZCheckHistory.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>

namespace {

const QString rowColumns = QStringLiteral(
    "c.id, c.time, c.drive, c.model, c.device, c.status, c.health, c.has_values, "
    "c.temperature, c.power_on_hours, c.reallocated, c.pending, c.offline_uncorrectable, "
    "c.crc_errors, c.error_count, c.self_test, c.daily");
constexpr int attributeColumn = 17;

std::optional<qint64> optionalAt(const QSqlQuery &query, int column)
{
    const QVariant value = query.value(column);
    return value.isNull() ? std::nullopt : std::optional<qint64>(value.toLongLong());
}

} // namespace

KZHistoryRow KZCheckHistory::rowFrom(const QSqlQuery &query)
{
    KZHistoryRow row;
    row.id = query.value(0).toLongLong();
    row.time = QDateTime::fromSecsSinceEpoch(query.value(1).toLongLong(), Qt::UTC);
    row.drive = query.value(2).toString();
    row.model = query.value(3).toString();
    row.device = query.value(4).toString();
    row.status = query.value(5).toString();
    row.health = query.value(6).toInt();
    row.hasValues = query.value(7).toInt() != 0;
    row.temperature = optionalAt(query, 8);
    row.powerOnHours = optionalAt(query, 9);
    row.reallocated = optionalAt(query, 10);
    row.pending = optionalAt(query, 11);
    row.offlineUncorrectable = optionalAt(query, 12);
    row.crcErrors = optionalAt(query, 13);
    row.errorCount = optionalAt(query, 14);
    row.selfTest = query.value(15).toString();
    row.daily = query.value(16).toInt() != 0;
    return row;
}

std::optional<QList<KZHistoryRow>>
KZCheckHistory::rows(const QString &drive, const QDateTime &since, std::optional<qint32> attribute)
{
    if (!open(false))
        return std::nullopt;
    std::optional<QList<KZHistoryRow>> found;
    {
        QSqlQuery query(database());
        query.setForwardOnly(true);
        QString statement = QStringLiteral("SELECT ") + rowColumns;
        if (attribute)
            statement += QStringLiteral(", a.attribute, a.value, a.worst, a.raw FROM checks c "
                                        "LEFT JOIN attributes a ON a.check_id = c.id AND "
                                        "a.attribute = :attribute");
        else
            statement += QStringLiteral(" FROM checks c");
        statement +=
            QStringLiteral(" WHERE c.drive = :drive AND c.time >= :since ORDER BY c.time, c.id");
        query.prepare(statement);
        query.bindValue(QStringLiteral(":drive"), drive);
        query.bindValue(QStringLiteral(":since"), since.isValid()
                                                      ? since.toSecsSinceEpoch()
                                                      : std::numeric_limits<qint64>::min());
        if (attribute)
            query.bindValue(QStringLiteral(":attribute"), *attribute);
        if (query.exec()) {
            QList<KZHistoryRow> list;
            while (query.next()) {
                KZHistoryRow row = rowFrom(query);
                if (attribute && !query.value(attributeColumn).isNull())
                    row.attributes.append({*attribute,
                                           query.value(attributeColumn + 1).toLongLong(),
                                           query.value(attributeColumn + 2).toLongLong(),
                                           query.value(attributeColumn + 3).toLongLong(),
                                           {}});
                list.append(std::move(row));
            }
            found = std::move(list);
        } else {
            failQuery(query, QStringLiteral("cannot read %1").arg(m_path));
        }
    }
    settle();
    return found;
}

std::optional<KZHistoryRow> KZCheckHistory::singleRow(const QString &condition,
                                                      const QVariantList &values)
{
    if (!open(false))
        return std::nullopt;
    std::optional<KZHistoryRow> found;
    {
        QSqlQuery query(database());
        query.prepare(QStringLiteral("SELECT ") + rowColumns +
                      QStringLiteral(" FROM checks c WHERE ") + condition +
                      QStringLiteral(" LIMIT 1"));
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (!query.exec())
            failQuery(query, QStringLiteral("cannot read %1").arg(m_path));
        else if (query.next())
            found = rowFrom(query);
    }
    settle();
    return found;
}

std::optional<KZHistoryRow> KZCheckHistory::lastRow(const QString &drive)
{
    return singleRow(QStringLiteral("c.drive = ? ORDER BY c.time DESC, c.id DESC"), {drive});
}

std::optional<KZHistoryRow> KZCheckHistory::lastValuesAtOrBefore(const QString &drive,
                                                                 const QDateTime &time)
{
    return singleRow(
        QStringLiteral(
            "c.drive = ? AND c.time <= ? AND c.has_values = 1 ORDER BY c.time DESC, c.id DESC"),
        {drive, time.toSecsSinceEpoch()});
}

std::optional<KZHistoryRow> KZCheckHistory::firstValues(const QString &drive)
{
    return singleRow(QStringLiteral("c.drive = ? AND c.has_values = 1 ORDER BY c.time, c.id"),
                     {drive});
}

QMap<qint32, QString> KZCheckHistory::attributeNames(const QString &drive)
{
    QMap<qint32, QString> names;
    if (!open(false))
        return names;
    {
        QSqlQuery query(database());
        query.prepare(
            QStringLiteral("SELECT attribute, name FROM attribute_names WHERE drive = ?"));
        query.addBindValue(drive);
        if (!query.exec())
            failQuery(query, QStringLiteral("cannot read %1").arg(m_path));
        while (query.next())
            names.insert(query.value(0).toInt(), query.value(1).toString());
    }
    settle();
    return names;
}

std::optional<QString> KZCheckHistory::driveOf(const QString &target)
{
    if (!open(false))
        return std::nullopt;
    std::optional<QString> found;
    {
        // A serial number names its drive; a device, the drive last checked
        // there (of two checks in one second, the one written last).
        QSqlQuery query(database());
        query.prepare(QStringLiteral(
            "SELECT drive FROM checks WHERE drive = ? OR device = ? ORDER BY drive = ? DESC, "
            "time DESC, id DESC LIMIT 1"));
        const QString serialKey = QStringLiteral("serial:") + target;
        query.addBindValue(serialKey);
        query.addBindValue(target);
        query.addBindValue(serialKey);
        if (!query.exec())
            failQuery(query, QStringLiteral("cannot read %1").arg(m_path));
        else if (query.next())
            found = query.value(0).toString();
        else
            m_error = QStringLiteral("no check of %1 is recorded").arg(target);
    }
    settle();
    return found;
}

QSet<QString> KZCheckHistory::knownDrives(const QSet<QString> &keys)
{
    QSet<QString> known;
    if (keys.isEmpty() || !open(false))
        return known;
    {
        QSqlQuery query(database());
        query.prepare(QStringLiteral("SELECT 1 FROM checks WHERE drive = ? LIMIT 1"));
        for (const QString &key : keys) {
            query.addBindValue(key);
            if (!query.exec()) {
                failQuery(query, QStringLiteral("cannot read %1").arg(m_path));
                break;
            }
            if (query.next())
                known.insert(key);
            query.finish();
        }
    }
    settle();
    return known;
}

std::optional<qint64> KZCheckHistory::checksBefore(const QDateTime &time)
{
    if (!QFileInfo::exists(m_path))
        return 0;
    if (!open(false))
        return std::nullopt;
    std::optional<qint64> count;
    {
        QSqlQuery query(database());
        query.prepare(QStringLiteral("SELECT COUNT(*) FROM checks WHERE time < ?"));
        query.addBindValue(time.toSecsSinceEpoch());
        if (query.exec() && query.next())
            count = query.value(0).toLongLong();
        else
            failQuery(query, QStringLiteral("cannot read %1").arg(m_path));
    }
    settle();
    return count;
}

std::optional<qint64> KZCheckHistory::checksRemovedByRetention(int oldDays, int newDays,
                                                               const QDateTime &now)
{
    // No retention (0) keeps every row already written.
    if (newDays <= 0 || (oldDays > 0 && newDays >= oldDays))
        return 0;
    return checksBefore(now.addDays(-newDays));
}

std::optional<KZDriveTrend> KZCheckHistory::trend(const QString &drive)
{
    const std::optional<KZHistoryRow> latest = lastValuesAtOrBefore(
        drive, QDateTime::fromSecsSinceEpoch(std::numeric_limits<qint32>::max(), Qt::UTC));
    if (!latest)
        return std::nullopt;
    const QDateTime monthAgo = latest->time.addDays(-KZHistorySeries::trendDays);
    if (const std::optional<KZHistoryRow> baseline = lastValuesAtOrBefore(drive, monthAgo))
        return KZHistorySeries::trendBetween(*baseline, *latest, KZHistorySeries::trendDays);
    // A younger history: the change since the first check, once it is a day old.
    const std::optional<KZHistoryRow> first = firstValues(drive);
    if (!first)
        return std::nullopt;
    const qint64 days = first->time.secsTo(latest->time) / 86400;
    if (days < 1)
        return std::nullopt;
    return KZHistorySeries::trendBetween(*first, *latest, int(days));
}
