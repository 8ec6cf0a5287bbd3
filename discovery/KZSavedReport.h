#pragma once

#include <QList>
#include <QString>
#include <optional>

// A saved report (TWDR file) is cut out of a drive's raw smartctl capture: it
// keeps only the command-report blocks, each from its "REPORT-IOCTL:" line to
// the end of the closing line of its data dump, which is all smartctl needs to
// replay the drive. Used by the command-line capture and by saving a drive.
namespace KZSavedReport {

// Positions of the blocks in a raw capture text, as a flat list: start,
// length, start, length, ... A start marker without a later end marker ends
// the list.
QList<qsizetype> blockList(const QString &rawText);

// The block list of a raw capture file read as UTF-8; empty when the file
// cannot be read or is not valid UTF-8.
QList<qsizetype> prepareSaveFile(const QString &rawCapturePath);

// The blocks of a raw capture text back to back, without the text between them.
QString cutBlocks(const QString &rawText);

// What a raw capture holds. smartctl writes and replays command blocks of ATA
// commands only: the capture of an NVMe or a SCSI / SAS drive is smartctl's
// text report alone, which no replay can read back.
enum class CaptureContent
{
    CommandBlocks, // a report can be saved from it
    NVMeDrive,
    SCSIDrive,
    Nothing, // no blocks, and no drive that smartctl could report on
};
CaptureContent captureContent(const QString &rawText);

// Why a raw capture cannot be saved as a report that smartctl replays, as a
// sentence for the user (without a final full stop), or nothing when it can.
// The capture command and saving a drive from the application both say this.
std::optional<QString> unreplayableReason(const QString &rawText);

// Writes a saved report whole or not at all (the file appears only when
// everything was written). False with a message when it cannot be written.
bool writeSavedReport(const QString &path, const QString &reportText,
                      QString *errorMessage = nullptr);

} // namespace KZSavedReport
