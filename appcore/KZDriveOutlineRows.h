#pragma once

#include "KZDriveSummary.h"

#include <QString>

class KZSMARTDrive;

// The rows of the drive outline: one per drive, and under a drive the names
// of its partitions.
namespace KZDriveOutlineRows {

struct Row
{
    QString text;
    KZTone tone = KZTone::Normal;
};

// The main window: "%@  [%@]" with the only partition's name (or the model,
// or the location identifier) and the status word; red for a failing or
// failed drive. The viewer: the model of a healthy drive read from a file
// (its file name without a model), the file name of a failing or failed one
// (in red), the location of a live drive; no status word.
Row driveRow(const KZSMARTDrive &drive, KZDriveViewFlavour flavour);

// The number of partition rows under a drive: every partition in the viewer,
// in the main window only when there are two or more.
quint64 partitionRowCount(const KZSMARTDrive &drive, KZDriveViewFlavour flavour);

// A partition's name; red in the viewer when its drive is failing or failed.
Row partitionRow(const KZSMARTDrive &drive, quint64 index, KZDriveViewFlavour flavour);

// The text of an outline item that is neither a drive nor a partition.
inline const QString noItemText = QStringLiteral("-");

} // namespace KZDriveOutlineRows
