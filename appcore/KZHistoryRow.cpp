#include "KZHistoryRow.h"

#include "KZDriveStatus.h"
#include "KZDriveSummary.h"
#include "KZHealthHistory.h"
#include "KZSMARTDrive.h"

#include <cmath>

namespace {

std::optional<qint64> unlessUnread(qint64 value)
{
    return value < 0 ? std::nullopt : std::optional<qint64>(value);
}

// The error count where the drive's error log was read (an ATA log names its
// version; an NVMe drive's log is its error information table).
std::optional<qint64> errorLogCount(const KZSMARTDrive &drive)
{
    if (!drive.driveErrorLogEntries() || drive.driveTotalErrors() < 0)
        return std::nullopt;
    if (!drive.driveIsNVMe() && drive.driveErrorLogVersion() == 0 && drive.driveTotalErrors() == 0)
        return std::nullopt;
    return drive.driveTotalErrors();
}

// The table's temperatures in Fahrenheit hold 1.8 x C + 32, truncated.
qint64 celsiusOf(qint64 fahrenheit)
{
    const auto estimate = qint64(std::floor((double(fahrenheit) - 32.0) / 1.8));
    for (qint64 celsius = estimate - 1; celsius <= estimate + 2; ++celsius) {
        if (qint64(1.8 * double(celsius) + 32.0) == fahrenheit)
            return celsius;
    }
    return qRound64((double(fahrenheit) - 32.0) / 1.8);
}

} // namespace

KZHistoryRow KZHistoryRow::fromDrive(const KZSMARTDrive &drive, const QDateTime &time)
{
    KZHistoryRow row;
    row.time = time.toUTC();
    row.time.setTime(
        QTime(row.time.time().hour(), row.time.time().minute(), row.time.time().second()));
    row.drive = KZHealthHistory::keyOf(drive);
    row.model = drive.driveModel().value_or(QString());
    row.device = drive.driveLocation();
    row.status = KZDriveStatus::statusWord(drive);
    row.health = drive.driveHealth();
    row.hasValues = drive.smartSupported() && !drive.driveReadFailed();
    if (!row.hasValues)
        return row;
    row.temperature = drive.driveTemperatureCelsius();
    row.powerOnHours = unlessUnread(drive.drivePowerOnHours());
    row.reallocated = KZDriveSummary::reallocatedSectorCount(drive);
    row.pending = unlessUnread(drive.drivePendingBadSectors());
    row.offlineUncorrectable = unlessUnread(drive.driveRemovedBadSectors());
    row.crcErrors = unlessUnread(drive.driveCRCErrorCount());
    row.errorCount = errorLogCount(drive);
    row.selfTest = drive.driveLastTestStatus().value_or(QString());
    if (const auto &attributes = drive.driveAttributes()) {
        row.attributes.reserve(attributes->size());
        for (const KZSMARTAttribute &attribute : *attributes) {
            KZHistoryAttribute kept{attribute.getIDNumber(), attribute.getValue(),
                                    attribute.getWorst(), attribute.getRaw(),
                                    attribute.getName().value_or(QString())};
            const bool temperature = kept.id == 190 || kept.id == 194;
            if (temperature && drive.driveTemperaturesInFahrenheit() && kept.raw >= 0)
                kept.raw = celsiusOf(kept.raw);
            row.attributes.append(kept);
        }
    }
    return row;
}

const KZHistoryAttribute *KZHistoryRow::attribute(qint32 id) const
{
    for (const KZHistoryAttribute &attribute : attributes) {
        if (attribute.id == id)
            return &attribute;
    }
    return nullptr;
}

namespace KZHistoryStatus {

int severity(const QString &status)
{
    static const QStringList order{QStringLiteral("UNSUPPORTED"), QStringLiteral("TESTING"),
                                   QStringLiteral("UNKNOWN"), QStringLiteral("FAILING"),
                                   QStringLiteral("FAILED")};
    return int(order.indexOf(status)) + 1;
}

QString worse(const QString &first, const QString &second)
{
    return severity(second) > severity(first) ? second : first;
}

} // namespace KZHistoryStatus
