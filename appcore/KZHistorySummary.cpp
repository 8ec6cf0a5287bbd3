#include "KZHistorySummary.h"

#include "KZHealthHistory.h"
#include "KZSMARTDrive.h"

#include <QCoreApplication>

namespace KZHistorySummary {

namespace {

KZSummaryValue trendValue(const std::optional<KZCountTrend> &trend)
{
    if (!trend)
        return {};
    return {KZHistorySeries::trendText(*trend),
            KZHistorySeries::grew(trend) ? KZTone::Alert : KZTone::Normal};
}

} // namespace

void apply(KZDriveSummaryContent &content, const KZSMARTDrive *drive, const KZHistoryFacts &facts)
{
    content.history.title = QCoreApplication::translate("KZSummaryPanel", "History...");
    content.history.tone = KZTone::Normal;
    const QString key = drive ? KZHealthHistory::keyOf(*drive) : QString();
    content.history.enabled = drive && facts.known.contains(key);
    const auto trend = facts.trends.constFind(key);
    if (!drive || trend == facts.trends.cend()) {
        content.pendingTrend = content.removedTrend = content.reallocatedTrend =
            content.crcTrend = {};
        return;
    }
    content.pendingTrend = trendValue(trend->pending);
    content.removedTrend = trendValue(trend->offlineUncorrectable);
    content.reallocatedTrend = trendValue(trend->reallocated);
    content.crcTrend = trendValue(trend->crcErrors);
}

} // namespace KZHistorySummary
