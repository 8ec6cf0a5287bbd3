#include "KZPrometheusExport.h"

#include "KZAtomicFile.h"
#include "KZDriveStatus.h"
#include "KZDriveSummary.h"
#include "KZLog.h"
#include "KZSMARTDrive.h"

#include <QSet>
#include <functional>
#include <optional>

namespace {

// A drive of the exposition with its labels written once.
struct ExportedDrive
{
    const KZSMARTDrive *drive = nullptr;
    QByteArray labels; // device="…",serial="…",model="…"
    bool hasValues = false;
};

QByteArray label(const char *name, const QString &value)
{
    return QByteArray(name) + "=\"" + KZPrometheusExport::escapeLabelValue(value).toUtf8() + '"';
}

// Collects the samples of one metric; the family is written only when it
// has samples, its HELP and TYPE lines first.
class Family
{
public:
    Family(QByteArray &text, const char *name, const char *help)
        : m_text(text), m_name(name), m_help(help)
    {
    }
    ~Family()
    {
        if (m_samples.isEmpty())
            return;
        m_text += "# HELP " + m_name + ' ' + m_help + "\n# TYPE " + m_name + " gauge\n";
        m_text += m_samples;
    }
    Family(const Family &) = delete;
    Family &operator=(const Family &) = delete;

    void add(const QByteArray &labels, const QByteArray &value)
    {
        m_samples += m_name;
        if (!labels.isEmpty())
            m_samples += '{' + labels + '}';
        m_samples += ' ' + value + '\n';
    }
    void add(const QByteArray &labels, qint64 value) { add(labels, QByteArray::number(value)); }

private:
    QByteArray &m_text;
    QByteArray m_name;
    QByteArray m_help;
    QByteArray m_samples;
};

QList<ExportedDrive> exportedDrives(const QList<const KZSMARTDrive *> &drives)
{
    QList<ExportedDrive> exported;
    QSet<QString> devices;
    for (const KZSMARTDrive *drive : drives) {
        const QString &device = drive->driveLocation();
        if (devices.contains(device)) {
            KZLog::log(QStringLiteral("Prometheus export: %1 is listed twice; exported once.")
                           .arg(device));
            continue;
        }
        devices.insert(device);
        ExportedDrive entry;
        entry.drive = drive;
        entry.labels = label("device", device) + ',' +
                       label("serial", drive->driveSerialNumber().value_or(QString())) + ',' +
                       label("model", drive->driveModel().value_or(QString()));
        // Only a drive that answered with S.M.A.R.T. data, or whose reading
        // failed part of the way, has values of its own.
        entry.hasValues = drive->smartSupported() || drive->driveReadFailed();
        exported.append(entry);
    }
    return exported;
}

std::optional<qint64> unlessUnread(qint64 value)
{
    return value == -1 ? std::nullopt : std::optional<qint64>(value);
}

std::optional<qint64> powerOnSeconds(const KZSMARTDrive &drive)
{
    const qint64 hours = drive.drivePowerOnHours();
    return hours < 0 ? std::nullopt : std::optional<qint64>(hours * 3600);
}

// The error count, when the drive's error log was read: an ATA log names
// its version, an NVMe drive's log is its error information table.
std::optional<qint64> errorLogEntries(const KZSMARTDrive &drive)
{
    if (!drive.driveErrorLogEntries() || drive.driveTotalErrors() < 0)
        return std::nullopt;
    if (!drive.driveIsNVMe() && drive.driveErrorLogVersion() == 0 && drive.driveTotalErrors() == 0)
        return std::nullopt;
    return drive.driveTotalErrors();
}

// 1 when the last self-test failed or the self-test log holds a failed test;
// nothing when the drive has no self-test log (an empty log of a drive that
// keeps one still names its revision).
std::optional<qint64> selfTestFailed(const KZSMARTDrive &drive)
{
    if (!drive.driveSelfTestLogEntries() && drive.driveSelfTestLogRevision() == 0)
        return std::nullopt;
    return drive.driveSelftestFail() || drive.driveTestsFail() ? 1 : 0;
}

struct ValueMetric
{
    const char *name;
    const char *help;
    std::function<std::optional<qint64>(const KZSMARTDrive &)> value;
};

const QList<ValueMetric> &valueMetrics()
{
    static const QList<ValueMetric> metrics{
        {"tarnwell_drive_temperature_celsius", "Temperature of the drive in degrees Celsius.",
         [](const KZSMARTDrive &drive) { return drive.driveTemperatureCelsius(); }},
        {"tarnwell_drive_power_on_seconds", "Power-on time of the drive (its hours x 3600).",
         powerOnSeconds},
        {"tarnwell_drive_reallocated_sectors", "Reallocated sectors (attribute 5).",
         KZDriveSummary::reallocatedSectorCount},
        {"tarnwell_drive_pending_sectors", "Sectors waiting to be reallocated (attribute 197).",
         [](const KZSMARTDrive &drive) { return unlessUnread(drive.drivePendingBadSectors()); }},
        {"tarnwell_drive_offline_uncorrectable_sectors",
         "Sectors the offline scan could not correct (attribute 198).",
         [](const KZSMARTDrive &drive) { return unlessUnread(drive.driveRemovedBadSectors()); }},
        {"tarnwell_drive_error_log_entries", "Errors the drive has logged.", errorLogEntries},
        {"tarnwell_drive_self_test_failed",
         "1 when the drive's last self-test or one in its self-test log failed, else 0.",
         selfTestFailed},
    };
    return metrics;
}

} // namespace

namespace KZPrometheusExport {

QString escapeLabelValue(const QString &value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            escaped += QLatin1String("\\\\");
        else if (c == QLatin1Char('"'))
            escaped += QLatin1String("\\\"");
        else if (c == QLatin1Char('\n'))
            escaped += QLatin1String("\\n");
        else
            escaped += c;
    }
    return escaped;
}

QByteArray exposition(const QList<const KZSMARTDrive *> &drives, const KZCheckFacts &facts)
{
    const QList<ExportedDrive> exported = exportedDrives(drives);
    QByteArray text;
    text.reserve(1024 + 2048 * exported.size());
    {
        Family info(text, "tarnwell_drive_info", "Identity of a drive Tarnwell checked; always 1.");
        for (const ExportedDrive &entry : exported)
            info.add(entry.labels + ',' +
                         label("firmware", entry.drive->driveFirmwareVersion().value_or(QString())),
                     1);
    }
    {
        Family health(text, "tarnwell_drive_health",
                      "Health of the drive: 0 not determined, 1 passed, 2 failing, 3 failed.");
        for (const ExportedDrive &entry : exported)
            health.add(entry.labels, entry.drive->driveHealth());
    }
    {
        Family status(text, "tarnwell_drive_status",
                      "1 for the status word of the drive, 0 for the other words.");
        for (const ExportedDrive &entry : exported) {
            const QString word = KZDriveStatus::statusWord(*entry.drive);
            for (const QString &candidate : KZDriveStatus::statusWords())
                status.add(entry.labels + ',' + label("status", candidate),
                           candidate == word ? 1 : 0);
        }
    }
    for (const ValueMetric &metric : valueMetrics()) {
        Family family(text, metric.name, metric.help);
        for (const ExportedDrive &entry : exported) {
            if (!entry.hasValues)
                continue;
            if (const std::optional<qint64> value = metric.value(*entry.drive))
                family.add(entry.labels, *value);
        }
    }
    {
        Family reasons(text, "tarnwell_drive_failure_reason",
                       "1 for each reason why the drive is failing or failed.");
        for (const ExportedDrive &entry : exported) {
            QStringList seen;
            for (const QString &reason : entry.drive->failureReasons().value_or(QStringList())) {
                if (seen.contains(reason))
                    continue;
                seen.append(reason);
                reasons.add(entry.labels + ',' + label("reason", reason), 1);
            }
        }
    }
    {
        Family failures(text, "tarnwell_drive_read_failure",
                        "1 for a drive that could not be read, with the kind of failure.");
        for (const ExportedDrive &entry : exported) {
            if (entry.drive->driveReadFailed())
                failures.add(entry.labels + ',' +
                                 label("reason", KZSMARTDrive::readFailureName(
                                                     entry.drive->driveReadFailure())),
                             1);
        }
    }
    const QDateTime finished =
        facts.finished.isValid() ? facts.finished : QDateTime::currentDateTimeUtc();
    Family(text, "tarnwell_check_timestamp_seconds",
           "When the check ended, in seconds since the Unix epoch.")
        .add({}, QByteArray::number(double(finished.toMSecsSinceEpoch()) / 1000.0, 'f', 3));
    Family(text, "tarnwell_check_duration_seconds",
           "How long the check took, from the drive scan to the end of the last reading.")
        .add({}, QByteArray::number(qMax(0.0, facts.durationSeconds), 'f', 3));
    Family(text, "tarnwell_check_success", "1 when the scan for drives succeeded, else 0.")
        .add({}, facts.scanSucceeded ? 1 : 0);
    Family(text, "tarnwell_merged_status",
           "Merged status of the drives: 1 all passed, 2 one is failing or could not be read, "
           "3 one failed.")
        .add({}, facts.mergedStatus);
    return text;
}

bool writeFile(const QString &path, const QByteArray &text, QString *error)
{
    // The folder is the user's (or node_exporter's): files in it that look
    // like our temporary files are left alone.
    return KZAtomicFile::write(path, text, error, KZAtomicFile::Leftovers::Keep);
}

bool exportCheck(const QString &path, const QList<const KZSMARTDrive *> &drives,
                 const KZCheckFacts &facts, QString *error)
{
    return writeFile(path, exposition(drives, facts), error);
}

} // namespace KZPrometheusExport
