#pragma once

#include "KZDriveListFile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class KZPreferences;
class KZSMARTDrive;

// Which program composes the mail: the subjects differ ("Tarnwell Report" or
// "Tarnwell Menu Item Report"); the rules are the same.
enum class KZMailProgram
{
    Application,
    MenuItem
};

// Which drive events add a line to the alert mail ("EmailDrivePassed",
// "EmailDriveFailing", "EmailDriveFailed").
struct KZEmailEvents
{
    bool passed = false;
    bool failing = false;
    bool failed = false;

    static KZEmailEvents fromPreferences(const KZPreferences &preferences);
};

// What the alert mail and the drive list need to know of one checked drive.
struct KZCheckedDrive
{
    qint32 health = 0; // 1 passed, 2 failing, 3 failed, else undetermined
    bool smartSupported = false;
    QString displayName;
    std::optional<QString> driveModel;
    std::optional<QString> driveCapacity;
    std::optional<QString> driveSerialNumber;
    // smartctl gave no answer (not the drive's own "no S.M.A.R.T.").
    bool readFailed = false;
    // Left asleep by the check: never mailed; a problem only by its last read.
    bool sleeping = false;

    // The drive's facts, named by its display name (the same in both
    // programs: a drive without partitions is named by its model alone).
    static KZCheckedDrive fromDrive(const KZSMARTDrive &drive);
};

// What a check found, for the alert mail and the persisted drive list.
struct KZCheckSummary
{
    QStringList lines;    // "%@: PASSED" / "%@: FAILING" / "%@: FAILED", in drive order
    int failingLines = 0; // failing lines added (not failing drives)
    int failedLines = 0;  // failed lines added
    int problemCount = 0; // drives with health 2 or 3, mailed or not
    QList<KZProblemDriveRecord> records;
};

namespace KZAlertMail {

// Both programs: every drive, in order. A passed drive adds a line only
// when it supports SMART (a drive without SMART data is neither mailed nor
// recorded); failing and failed drives always count as problems and add a
// line when their event is on. A sleeping disk adds no line: it counts as a
// problem only by the verdict of its last read.
KZCheckSummary summarizeCheck(const QList<const KZSMARTDrive *> &drives,
                              const KZEmailEvents &events);
KZCheckSummary summarizeCheck(const QList<KZCheckedDrive> &drives, const KZEmailEvents &events);

// The subject chosen by the counts of added lines (not of drives), filled
// with the host name.
QString alertSubject(KZMailProgram program, int failingLines, int failedLines,
                     const QString &hostName);

// Every line followed by "\n".
QString alertBody(const QStringList &lines);

// (subject, body), or nothing when no line was added.
std::optional<QStringList> alertMessage(KZMailProgram program, const KZCheckSummary &summary,
                                        const QString &hostName);

// The test mail of the preferences: "Tarnwell Test Email (%@)" and its body.
QStringList testMessage(const QString &hostName);

} // namespace KZAlertMail
