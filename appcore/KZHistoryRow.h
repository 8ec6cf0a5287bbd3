#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

class KZSMARTDrive;

// One attribute of a drive at one check: its normalised value, worst value
// and raw value.
struct KZHistoryAttribute
{
    qint32 id = 0;
    qint64 value = 0;
    qint64 worst = 0;
    qint64 raw = 0;
    // The name the drive gave it (kept once per drive, not per check).
    QString name;
};

// One drive at one check, as the history of checks keeps it. A drive that
// could not be read has a row with its status alone (hasValues false).
struct KZHistoryRow
{
    // The row in the database (0 while not stored).
    qint64 id = 0;
    // When the check ran, in UTC, to the second.
    QDateTime time;
    // The drive's key (KZHealthHistory::keyOf: "serial:…", else "location:…").
    QString drive;
    QString model;
    QString device;
    // The status word in English ("PASSED", "FAILING", ...).
    QString status;
    qint32 health = 0;
    bool hasValues = false;
    std::optional<qint64> temperature; // °C
    std::optional<qint64> powerOnHours;
    std::optional<qint64> reallocated;          // attribute 5
    std::optional<qint64> pending;              // attribute 197
    std::optional<qint64> offlineUncorrectable; // attribute 198
    std::optional<qint64> crcErrors;            // attribute 199
    std::optional<qint64> errorCount;           // the error log's count
    // The last self-test's status; empty when the drive logged none.
    QString selfTest;
    // The one row kept for a whole day of older checks: the day's worst
    // status, highest temperature and last counts.
    bool daily = false;
    // Every attribute of the check, or only the one asked for when read back.
    QList<KZHistoryAttribute> attributes;

    // The row of a drive just checked. Values and attributes only when the
    // drive answered with S.M.A.R.T. data; temperatures in °C whatever the
    // drive's display unit.
    static KZHistoryRow fromDrive(const KZSMARTDrive &drive, const QDateTime &time);

    // The attribute with that id, if the row holds it.
    const KZHistoryAttribute *attribute(qint32 id) const;
};

namespace KZHistoryStatus {

// How bad a status word is: FAILED 5, FAILING 4, UNKNOWN 3, TESTING 2,
// UNSUPPORTED 1, PASSED (and anything else) 0.
int severity(const QString &status);
// The worse of two status words.
QString worse(const QString &first, const QString &second);

} // namespace KZHistoryStatus
