#pragma once

#include "KZSMARTScanner.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

// The verdict of one check of all drives in the style of a monitoring plugin:
// a state with its exit status, a one-line summary, one line per drive with
// its failure reasons, and the same as JSON.
namespace KZDriveCheck {

// Exit statuses of a monitoring plugin.
enum State
{
    Ok = 0,
    Warning = 1,
    Critical = 2,
    Unknown = 3
};

// Failed drives make the check critical, even when the scan failed and other
// drives may be missing; otherwise a failed scan makes it unknown, and a
// failing drive a warning.
State checkState(int mergedStatus, bool scanSucceeded);
// The state of a check of these drives: as above, and unknown too when a
// drive could not be read (KZSMARTDrive::driveReadFailed()) and no drive is
// failed or failing; a check is never OK about a disk that did not answer.
// A disk left asleep counts by its last read, if any.
State checkState(const KZDriveList &drives, bool scanSucceeded);
// "OK", "WARNING", "CRITICAL" or "UNKNOWN".
QString stateWord(State state);

// "TARNWELL OK - 2 drives: 2 PASSED", with the number of drives of each
// status word; "drive scan failed" leads the counts when the scan failed.
QString summaryLine(const KZDriveList &drives, bool scanSucceeded);
// "<display name>  [<status word>]", then why the drive could not be read
// (or, for a disk left asleep, that it was and when it was last read) and
// each failure reason, indented by two blanks.
QStringList driveLines(const KZSMARTDrive &drive);
// Why a disk without S.M.A.R.T. data was left out, from smartctl's answer,
// in plain words ("smartctl cannot tell its device type"); smartctl's own
// line when it says something else.
QString skippedReason(const QString &smartError);
// "1 disk without S.M.A.R.T. data not checked: vda (smartctl cannot tell its
// device type)"; empty when no disk was left out.
QString skippedLine(const QList<KZSkippedDisk> &skipped);
// The summary line, the disks left out (skippedLine()) and the lines of every
// drive, each ended by a line feed.
QString textReport(const KZDriveList &drives, bool scanSucceeded,
                   const QList<KZSkippedDisk> &skipped = {});
// The state, the merged status, whether the scan succeeded, every drive as
// driveJSON() gives it, and the disks left out ("skipped": device, name,
// reason, smartError).
QJsonObject jsonReport(const KZDriveList &drives, bool scanSucceeded,
                       const QList<KZSkippedDisk> &skipped = {});
// Every field of the drive plus its status word (English), display name,
// "powerMode" ("STANDBY" or "SLEEP" while left asleep, "ACTIVE" after a read
// of a disk, null for a saved report) and "lastRead" (the time of its last
// read, null before any).
QJsonObject driveJSON(const KZSMARTDrive &drive);

int mergedDriveStatus(const KZDriveList &drives);

} // namespace KZDriveCheck
