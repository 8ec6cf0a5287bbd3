#pragma once

#include "KZCheckHistory.h"
#include "KZDriveSummary.h"

class KZSMARTDrive;

// What the history of checks adds to the summary of the selected drive: the
// trend under each bad-sector count and the state of the History button.
namespace KZHistorySummary {

void apply(KZDriveSummaryContent &content, const KZSMARTDrive *drive, const KZHistoryFacts &facts);

} // namespace KZHistorySummary
