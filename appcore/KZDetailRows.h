#pragma once

#include "KZDriveSummary.h"

#include <QList>
#include <QString>

class KZSMARTAttribute;
class KZSMARTDrive;
class KZSMARTErrorLog;
class KZSMARTSelfTestLog;

// What the drive information, attributes, errors and self-test windows show
// of a drive: titles, cell texts and the rows drawn in red.
namespace KZDetailRows {

// The title of a detail window: `format` (a translated text such as
// "%1 Attributes") filled with the file name of a drive read from a saved
// report, else the name of its only partition, else its location identifier
// (such as sda).
QString windowTitle(const KZSMARTDrive &drive, const QString &format);

// Attributes.
enum class AttributeColumn
{
    ID,
    Name,
    Flag,
    Value,
    Worst,
    Thresh,
    Type,
    Updated,
    Failed,
    Raw,
    Min,
    Max
};
inline constexpr int attributeColumnCount = 12;

// "0x" and at least four upper-case hexadecimal digits: 47 is 0x002F.
QString flagText(quint32 flag);
QString attributeCellText(const KZSMARTAttribute &attribute, AttributeColumn column);
// Row 190 by its own state unless ignored, row 196 by the drive's
// reallocated-events level unless ignored, rows 5, 197 and 198 also by the
// drive's level for them, every row by its own failing or failed state.
KZTone attributeRowTone(const KZSMARTAttribute &attribute, const KZSMARTDrive &drive,
                        bool ignore190, bool ignore196);

// Error log.
enum class ErrorColumn
{
    Number,
    Time,
    Error,
    Command
};
inline constexpr int errorColumnCount = 4;
// The most recent entries, at most five, and never more than were read.
int errorRowCount(const KZSMARTDrive &drive);
// The time is "%n hours", or "-" for an entry without a power-on time (NVMe).
QString errorCellText(const KZSMARTErrorLog &entry, ErrorColumn column);

// Self-test log.
enum class SelfTestColumn
{
    Number,
    Type,
    Status,
    Remaining,
    Lifetime,
    LBA
};
inline constexpr int selfTestColumnCount = 6;
QString selfTestCellText(const KZSMARTSelfTestLog &entry, SelfTestColumn column);
// Every row is red when the last read found a new failed test.
KZTone selfTestRowTone(const KZSMARTDrive &drive);

// Drive information.
enum class CapabilityGroup
{
    SMARTData,
    OfflineDataCollection,
    SelfTests,
    Logging
};

struct Capability
{
    CapabilityGroup group = CapabilityGroup::SMARTData;
    QString name;  // the field's name, such as "selfTest"
    QString label; // the check box's text
    bool on = false;
};

struct DriveInfo
{
    QString title;
    QString modelFamily;
    QString model;
    QString serialNumber;
    QString firmwareVersion;
    QString capacity;
    QString rotationRate;
    // "SATA Version:" for a drive with a SATA version; nothing keeps the
    // window's own caption ("ATA Version:").
    std::optional<QString> versionCaption;
    QString version;
    QList<Capability> capabilities; // in the window's order
    QString offlineDataCollectionActivity;
    QString offlineDataCollectionTime; // whole seconds
    QString selfTestExecution;
    KZTone selfTestExecutionTone = KZTone::Normal;
    QString shortSelfTestTime;      // whole minutes
    QString extendedSelfTestTime;   // whole minutes
    QString conveyanceSelfTestTime; // whole minutes, or "-"
};
DriveInfo driveInfo(const KZSMARTDrive &drive);

} // namespace KZDetailRows
