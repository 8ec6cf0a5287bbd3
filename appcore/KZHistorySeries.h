#pragma once

#include "KZHistoryRow.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// How one count changed: by `change` over `days` days.
struct KZCountTrend
{
    qint64 change = 0;
    int days = 0;
    bool operator==(const KZCountTrend &) const = default;
};

// How a drive's four bad-sector counts changed since 30 days ago (or since
// its first check, when that is younger).
struct KZDriveTrend
{
    std::optional<KZCountTrend> reallocated;
    std::optional<KZCountTrend> pending;
    std::optional<KZCountTrend> offlineUncorrectable;
    std::optional<KZCountTrend> crcErrors;
};

// The rules of the history window and the summary's trend, without
// widgets: the ranges, the values plotted, their thinning to what a chart
// can show, the trend of the counts, and the texts of a check.
class KZHistorySeries
{
    Q_DECLARE_TR_FUNCTIONS(KZHistorySeries)

public:
    enum class Range
    {
        Week,
        Month,
        Year,
        All
    };
    static constexpr int trendDays = 30;

    // What a chart plots of a row.
    enum class Quantity
    {
        Temperature,
        Reallocated,
        Pending,
        OfflineUncorrectable,
        CrcErrors,
        AttributeValue,
        AttributeRaw
    };

    // One point of a chart: the row it stands for (its index in the rows),
    // its time, value and status. A point that stands for several rows has
    // the highest of their values, the worst of their statuses and the time
    // of the last of them.
    struct Point
    {
        QDateTime time;
        double value = 0;
        QString status;
        qsizetype row = 0;
    };

    // The ranges in the order of the selector, and their names.
    static QList<Range> ranges();
    static QString rangeName(Range range);
    // The first time a range shows (invalid for all).
    static QDateTime rangeStart(Range range, const QDateTime &now);

    // The value a row has for a quantity (for the attribute ones, of the
    // attribute the rows were read with).
    static std::optional<qint64> valueOf(const KZHistoryRow &row, Quantity quantity,
                                         qint32 attribute = 0);
    static QString quantityName(Quantity quantity);

    // The points of a quantity, at most `maxPoints`: rows without the value
    // are left out; beyond maxPoints, rows are gathered in equal spans of
    // time, one point each.
    static QList<Point> points(const QList<KZHistoryRow> &rows, Quantity quantity,
                               int maxPoints = 600, qint32 attribute = 0);

    // The change of each count from `baseline` to `latest`, over `days`.
    static KZDriveTrend trendBetween(const KZHistoryRow &baseline, const KZHistoryRow &latest,
                                     int days);
    // "+32 in 30 days", "-2 in 30 days", "no change in 30 days".
    static QString trendText(const KZCountTrend &trend);
    // Whether the count grew (shown in red).
    static bool grew(const std::optional<KZCountTrend> &trend)
    {
        return trend && trend->change > 0;
    }

    // The check of a row as the hover text of a point and a line of the table:
    // its local time and every value.
    static QString describe(const KZHistoryRow &row, qint32 attribute = 0,
                            const QString &attributeName = {});
    // A row's time as the window shows it (local time, to the minute).
    static QString timeText(const QDateTime &time);
};
