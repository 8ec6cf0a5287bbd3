#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

// One failing or failed drive in the persisted drive list.
struct KZProblemDriveRecord
{
    std::optional<QString> driveModel;
    std::optional<QString> driveSize;
    std::optional<QString> driveSerialNumber;
    std::optional<QString> driveNames;
    QString driveHealth; // "FAILING" or "FAILED"

    // The fields as written, in order: "DriveModel", "DriveSize", "DriveSN",
    // "DriveNames", "DriveHealth". The first missing value ends the record,
    // so a drive without a model gives an empty record.
    QList<QPair<QString, QString>> fields() const;
};

// The persisted drive list: a property list holding one dictionary with
// "CheckTime", "TWProblemDrivesCount" and, when that count is above 0,
// "TWProblemDrives" (the records). Both programs rewrite it whole and
// atomically after every check; nothing reads it back.
namespace KZDriveListFile {

// $XDG_DATA_HOME/Tarnwell/DrivesList.plist
QString filePath();

// A time in the system's short date and short time style.
QString checkTimeText(const QDateTime &time);

// The file's XML property-list text.
QByteArray toXML(const QString &checkTime, qint64 problemCount,
                 const QList<KZProblemDriveRecord> &records);

// Replaces the file (creating its folder when missing); false when it could
// not be written, in which case the old file is left as it was.
bool write(const QString &checkTime, qint64 problemCount,
           const QList<KZProblemDriveRecord> &records, const QString &path = filePath());

} // namespace KZDriveListFile
