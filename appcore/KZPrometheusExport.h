#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

class KZSMARTDrive;

// What a check found besides its drives.
struct KZCheckFacts
{
    // When the check ended (now when invalid).
    QDateTime finished;
    // How long it took, from the start of the drive scan to the end of the
    // last drive's reading.
    double durationSeconds = 0;
    // false when the scan for drives failed.
    bool scanSucceeded = true;
    // The merged status of the drives: 1 green, 2 yellow, 3 red.
    int mergedStatus = 1;
};

// The verdicts of a check as metrics for Prometheus: the text exposition
// format (version 0.0.4) that node_exporter's textfile collector reads from
// "*.prom" files. One series per drive, labelled "device", "serial" and
// "model" (English, whatever the language of the user), every value in base
// units, and a value a drive does not report left out, never written as -1.
//
// tarnwell_drive_info{device,serial,model,firmware}   1
// tarnwell_drive_health                               0-3 as in the JSON report
// tarnwell_drive_status{status}                       1 for the drive's status word,
//                                                     0 for every other word
// tarnwell_drive_temperature_celsius, tarnwell_drive_power_on_seconds,
// tarnwell_drive_reallocated_sectors, tarnwell_drive_pending_sectors,
// tarnwell_drive_offline_uncorrectable_sectors,
// tarnwell_drive_error_log_entries, tarnwell_drive_self_test_failed
// tarnwell_drive_failure_reason{reason}               1 per failure reason
// tarnwell_drive_read_failure{reason}                 1 for a drive that could not be read
// tarnwell_check_timestamp_seconds, tarnwell_check_duration_seconds,
// tarnwell_check_success, tarnwell_merged_status
//
// A drive without S.M.A.R.T. data of its own (unsupported, or testing with
// S.M.A.R.T. switched off) exports only its info, health and status.
namespace KZPrometheusExport {

// The exposition of the drives (in list order) and of the check. A drive
// whose device another drive of the list already has is left out (and
// logged): a series may appear once only.
QByteArray exposition(const QList<const KZSMARTDrive *> &drives, const KZCheckFacts &facts);

// A label value as the format writes it between double quotes: backslash,
// double quote and line feed escaped with a backslash.
QString escapeLabelValue(const QString &value);

// Replaces the file with the text: written to a temporary file beside it
// ("NAME.XXXXXX", which node_exporter's "*.prom" pattern does not match) and
// renamed over it, so that a reader sees the old exposition or the new one,
// never a part. False, with the reason in *error, when it could not be
// written; the old file then stays as it was.
bool writeFile(const QString &path, const QByteArray &text, QString *error = nullptr);

// The one call after a check: the exposition of the drives and the facts,
// written to path as writeFile() does.
bool exportCheck(const QString &path, const QList<const KZSMARTDrive *> &drives,
                 const KZCheckFacts &facts, QString *error = nullptr);

} // namespace KZPrometheusExport
