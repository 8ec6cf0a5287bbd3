#pragma once

#include "KZSMARTScanner.h"

#include <QString>
#include <optional>

class KZSMARTDrive;

// Which window shows a drive list: the main window (live drives) or the
// report viewer (a saved report). The two differ in a few rules of the
// outline and the summary panel.
enum class KZDriveViewFlavour
{
    MainWindow,
    ReportViewer
};

// The colour a text is drawn in: the normal text colour, or red for a value
// judged bad.
enum class KZTone
{
    Normal,
    Alert
};

// The colours of the overall status field, one per status shown there.
enum class KZStatusStyle
{
    Passed,      // white on green
    Failing,     // black on yellow
    Failed,      // white on red
    Unknown,     // white on brown
    Testing,     // black on orange
    Unsupported, // white on blue
    Sleeping,    // white on grey
    NoDrives     // white on black
};

// One value of the summary with the tone of the value and of its caption.
struct KZSummaryValue
{
    QString text;
    KZTone tone = KZTone::Normal;
};

// One of the four buttons under the summary. A tone of nothing leaves the
// title's colour as the previous refresh set it.
struct KZSummaryButton
{
    bool enabled = false;
    QString title;
    std::optional<KZTone> tone;
};

// Everything the summary panel shows for the selected drive.
struct KZDriveSummaryContent
{
    // "Temperature (F):" or "Temperature (Celsius):"; nothing keeps the
    // caption as it was.
    std::optional<QString> temperatureCaption;
    QString model;
    QString serialNumber;
    QString capacity;
    QString powerOnHours;
    QString temperature;
    KZSummaryValue pendingBadSectors;
    KZSummaryValue removedBadSectors;
    KZSummaryValue reallocatedBadSectors;
    QString crcErrorCount;
    // How each count changed since 30 days ago, from the history of checks
    // ("+32 in 30 days", red when it grew); empty without a history.
    KZSummaryValue pendingTrend;
    KZSummaryValue removedTrend;
    KZSummaryValue reallocatedTrend;
    KZSummaryValue crcTrend;
    KZSummaryValue totalErrors;
    QString lastErrorType;
    QString lastErrorTime;
    QString testCount;
    KZSummaryValue lastTestStatus;
    QString lastTestTime;

    // The overall status field: its text ("PASSED", ..., "NO DRIVES") and colours.
    QString status;
    KZStatusStyle statusStyle = KZStatusStyle::NoDrives;
    // Why the drive has that status: the error of a drive that could not be
    // read, the failure reasons of a failing or failed drive, for a disk
    // left asleep that it was and when it was last read; empty otherwise.
    QString statusReason;

    KZSummaryButton driveInformation;
    KZSummaryButton attributes;
    KZSummaryButton errors;
    KZSummaryButton tests;
    // The history window: enabled when the history of checks knows the drive.
    KZSummaryButton history;
};

// What a window that lists no drive says in its status field and below it.
struct KZEmptyListText
{
    QString status;
    QString reason;
};

namespace KZDriveSummary {

// The main window without drives: while its first scan reads the drives,
// that it does; afterwards what was found, why it was left out and how to
// list it anyway ("Also list drives without S.M.A.R.T. support").
KZEmptyListText emptyList(const QList<KZSkippedDisk> &skipped, bool reading);

// The summary of `drive` (null when no drive is selected); `listEmpty` tells
// whether the window lists no drives at all. `fahrenheit` is the preference
// "DisplayTempInFahrenheit".
KZDriveSummaryContent summarize(const KZSMARTDrive *drive, bool listEmpty,
                                KZDriveViewFlavour flavour, bool fahrenheit);

// The caption of the temperature: "Temperature (F):" or "Temperature (Celsius):".
QString temperatureCaption(bool fahrenheit);

// A drive value, or "-" when it is -1 (not available).
QString numberOrDash(qint64 value);

// The count of reallocated sectors (attribute 5), or nothing when the drive
// does not report one or its raw value is above 10000, which is taken for a
// raw value that is not a plain count.
std::optional<qint64> reallocatedSectorCount(const KZSMARTDrive &drive);

// Whether a fail level (1 not failed, 2 failing, 3 failed) counts as bad.
inline bool isBadLevel(qint32 level)
{
    return level == 2 || level == 3;
}

// Whether a self-test status names a failure ("failure", "Fatal" or "damage").
bool isFailedTestStatus(const QString &status);

} // namespace KZDriveSummary
