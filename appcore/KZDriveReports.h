#pragma once

#include "KZSMARTScanner.h"

#include <QString>

class KZSMARTDrive;

// The reports a user takes away from the application: one drive saved as a
// TWDR report (the command blocks of its raw capture, which the report viewer
// replays) or as its plain-text report, and the text printed for a list of
// drives. Every saved file is written whole and atomically: a failed save
// leaves the file the user chose to replace as it was.
namespace KZDriveReports {

enum class Format
{
    TWDR,     // "twdr"
    PlainText // "txt"
};

// The file name suffix of a format.
QString suffix(Format format);

// The format a chosen file asks for: TWDR when its extension contains
// "twdr", plain text when it contains "txt", otherwise the type chosen in the
// save dialog (a name the user typed with another extension keeps it).
Format formatForPath(const QString &path, Format chosen);

// A file name to offer for a drive: its model (or device name) with the
// format's suffix, without characters a file name cannot hold.
QString suggestedFileName(const KZSMARTDrive &drive, Format format);

// Whether the drive has a raw capture to cut a report from.
bool hasRawCapture(const KZSMARTDrive &drive);

struct SaveResult
{
    enum class Outcome
    {
        Saved,
        NoCapture,         // the drive has no raw capture file
        UnreadableCapture, // the raw capture cannot be read as UTF-8 text
        NotReplayable,     // the capture holds no command blocks smartctl replays
        WriteFailed,       // the file could not be written; the old one is intact
        ExceptionRaised,   // a step failed with an exception
    };
    Outcome outcome = Outcome::Saved;
    // NotReplayable: why, as a sentence without a final full stop.
    // WriteFailed: the system's message. UnreadableCapture: what failed.
    // ExceptionRaised: the exception's reason.
    QString detail;
    // ExceptionRaised: the exception's name. UnreadableCapture: the error code.
    QString exceptionName;
    qint64 errorCode = 0;
};

// Saves the drive to `path` in the format given. With `debug`, the save's
// debug lines ("TWDR saving...", one line per block) are logged.
SaveResult saveDrive(const KZSMARTDrive &drive, const QString &path, Format format, bool debug);

// Follows every drive's report in a printout.
inline const QString printSeparator = QStringLiteral("\n\n--------------------------\n\n");

// The printed text of a drive list: the plain-text report of every drive
// with S.M.A.R.T. support, in list order, each followed by the separator.
QString printText(const KZDriveList &drives);

} // namespace KZDriveReports
