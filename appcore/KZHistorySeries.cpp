#include "KZHistorySeries.h"

#include <QLocale>

QList<KZHistorySeries::Range> KZHistorySeries::ranges()
{
    return {Range::Week, Range::Month, Range::Year, Range::All};
}

QString KZHistorySeries::rangeName(Range range)
{
    switch (range) {
    case Range::Week:
        return tr("Last week");
    case Range::Month:
        return tr("Last month");
    case Range::Year:
        return tr("Last year");
    case Range::All:
        break;
    }
    return tr("All checks");
}

QDateTime KZHistorySeries::rangeStart(Range range, const QDateTime &now)
{
    switch (range) {
    case Range::Week:
        return now.addDays(-7);
    case Range::Month:
        return now.addDays(-30);
    case Range::Year:
        return now.addDays(-365);
    case Range::All:
        break;
    }
    return {};
}

std::optional<qint64> KZHistorySeries::valueOf(const KZHistoryRow &row, Quantity quantity,
                                               qint32 attribute)
{
    switch (quantity) {
    case Quantity::Temperature:
        return row.temperature;
    case Quantity::Reallocated:
        return row.reallocated;
    case Quantity::Pending:
        return row.pending;
    case Quantity::OfflineUncorrectable:
        return row.offlineUncorrectable;
    case Quantity::CrcErrors:
        return row.crcErrors;
    case Quantity::AttributeValue:
    case Quantity::AttributeRaw:
        break;
    }
    const KZHistoryAttribute *found = row.attribute(attribute);
    if (!found)
        return std::nullopt;
    if (quantity == Quantity::AttributeValue)
        return found->value;
    return found->raw < 0 ? std::nullopt : std::optional<qint64>(found->raw);
}

QString KZHistorySeries::quantityName(Quantity quantity)
{
    switch (quantity) {
    case Quantity::Temperature:
        return tr("Temperature (°C)");
    case Quantity::Reallocated:
        return tr("Reallocated");
    case Quantity::Pending:
        return tr("Pending");
    case Quantity::OfflineUncorrectable:
        return tr("Offline uncorrectable");
    case Quantity::CrcErrors:
        return tr("Interface CRC errors");
    case Quantity::AttributeValue:
        return tr("Value");
    case Quantity::AttributeRaw:
        break;
    }
    return tr("Raw value");
}

QList<KZHistorySeries::Point> KZHistorySeries::points(const QList<KZHistoryRow> &rows,
                                                      Quantity quantity, int maxPoints,
                                                      qint32 attribute)
{
    QList<Point> all;
    for (qsizetype index = 0; index < rows.size(); ++index) {
        const KZHistoryRow &row = rows.at(index);
        if (const std::optional<qint64> value = valueOf(row, quantity, attribute))
            all.append({row.time, double(*value), row.status, index});
    }
    if (maxPoints <= 0 || all.size() <= maxPoints)
        return all;

    // Equal spans of time, so that a busy week does not crowd out a quiet year.
    const qint64 first = all.first().time.toSecsSinceEpoch();
    const qint64 span = qMax<qint64>(1, all.last().time.toSecsSinceEpoch() - first + 1);
    QList<Point> thinned;
    thinned.reserve(maxPoints);
    qint64 bucket = -1;
    for (const Point &point : std::as_const(all)) {
        const qint64 index = (point.time.toSecsSinceEpoch() - first) * maxPoints / span;
        if (index != bucket || thinned.isEmpty()) {
            thinned.append(point);
            bucket = index;
            continue;
        }
        Point &gathered = thinned.last();
        if (point.value >= gathered.value) {
            gathered.value = point.value;
            gathered.row = point.row;
        }
        gathered.status = KZHistoryStatus::worse(gathered.status, point.status);
        gathered.time = point.time;
    }
    return thinned;
}

KZDriveTrend KZHistorySeries::trendBetween(const KZHistoryRow &baseline, const KZHistoryRow &latest,
                                           int days)
{
    const auto change = [days](const std::optional<qint64> &before,
                               const std::optional<qint64> &after) -> std::optional<KZCountTrend> {
        if (!before || !after)
            return std::nullopt;
        return KZCountTrend{*after - *before, days};
    };
    KZDriveTrend trend;
    trend.reallocated = change(baseline.reallocated, latest.reallocated);
    trend.pending = change(baseline.pending, latest.pending);
    trend.offlineUncorrectable = change(baseline.offlineUncorrectable, latest.offlineUncorrectable);
    trend.crcErrors = change(baseline.crcErrors, latest.crcErrors);
    return trend;
}

QString KZHistorySeries::trendText(const KZCountTrend &trend)
{
    if (trend.change == 0)
        return trend.days == 1 ? tr("no change in 1 day")
                               : tr("no change in %1 days").arg(trend.days);
    const QString amount = (trend.change > 0 ? QStringLiteral("+") : QStringLiteral("\u2212")) +
                           QString::number(qAbs(trend.change));
    return trend.days == 1 ? tr("%1 in 1 day").arg(amount)
                           : tr("%1 in %2 days").arg(amount).arg(trend.days);
}

QString KZHistorySeries::timeText(const QDateTime &time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString KZHistorySeries::describe(const KZHistoryRow &row, qint32 attribute,
                                  const QString &attributeName)
{
    QStringList lines{timeText(row.time) + (row.daily ? tr(" (the day's summary)") : QString()),
                      tr("Status: %1").arg(row.status)};
    if (!row.hasValues) {
        lines.append(tr("The drive could not be read."));
        return lines.join(QLatin1Char('\n'));
    }
    const auto number = [](const std::optional<qint64> &value) {
        return value ? QString::number(*value) : QStringLiteral("-");
    };
    lines.append(tr("Temperature: %1 °C").arg(number(row.temperature)));
    lines.append(
        tr("Reallocated: %1, pending: %2, offline uncorrectable: %3")
            .arg(number(row.reallocated), number(row.pending), number(row.offlineUncorrectable)));
    lines.append(tr("Interface CRC errors: %1, error log: %2")
                     .arg(number(row.crcErrors), number(row.errorCount)));
    if (attribute > 0) {
        const KZHistoryAttribute *found = row.attribute(attribute);
        const QString name =
            attributeName.isEmpty() ? tr("Attribute %1").arg(attribute) : attributeName;
        lines.append(found ? tr("%1: value %2, worst %3, raw %4")
                                 .arg(name)
                                 .arg(found->value)
                                 .arg(found->worst)
                                 .arg(found->raw)
                           : tr("%1: not read").arg(name));
    }
    return lines.join(QLatin1Char('\n'));
}
