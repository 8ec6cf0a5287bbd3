// History of checks benchmarks. Run: build/bench/tarnwell-bench --benchmark_filter=History
//  - HistoryWrite16Drives: what the history adds to a check of 16 drives:
//    the rows of 16 drives read from the sample capture (14 attributes each),
//    each under a serial number of its own, written as after every check (a
//    connection opened, one transaction, closed), on the checking thread
//    (goal: under 5 ms of CPU). The file grows by one check per iteration.
//  - HistoryYearOf16Drives: the file after a simulated year of hourly checks
//    of 16 drives with 30 attributes each, thinned as the programs thin it
//    (counters: file_mb, rows; goal: under 50 MB). Runs once.
#include "KZCheckHistory.h"
#include "KZSMARTDrive.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

double fileMegabytes(const QString &path)
{
    qint64 bytes = 0;
    for (const QString &suffix : {QString(), QStringLiteral("-wal")})
        bytes += QFileInfo(path + suffix).size();
    return double(bytes) / (1024.0 * 1024.0);
}

void HistoryWrite16Drives(benchmark::State &state)
{
    if (!QFileInfo(QStringLiteral("/usr/sbin/smartctl")).isExecutable()) {
        state.SkipWithError("smartctl is not installed");
        return;
    }
    KZSMARTDrive sample = KZSMARTDrive::initForCommandLine();
    sample.setLocation(QStringLiteral(TARNWELL_SAMPLE));
    sample.setDriveAsFile(true);
    sample.updateInfo();
    QDateTime now = QDateTime::currentDateTimeUtc();
    QList<KZHistoryRow> rows;
    for (int index = 0; index < 16; ++index) {
        KZHistoryRow row = KZHistoryRow::fromDrive(sample, now);
        row.drive = QStringLiteral("serial:BENCH%1").arg(index);
        row.device = QStringLiteral("/dev/sd%1").arg(QChar(char16_t(u'a' + index)));
        rows.append(row);
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("history.sqlite"));
    // The file made and the day's upkeep done before the clock starts.
    KZCheckHistory(path).write(rows, now, 3650);
    for (auto _ : state) {
        now = now.addSecs(1);
        for (KZHistoryRow &row : rows)
            row.time = now;
        KZCheckHistory history(path);
        if (!history.write(rows, now, 3650)) {
            state.SkipWithError(history.errorString().toUtf8().constData());
            return;
        }
    }
    state.counters["attributes_per_drive"] = double(rows.first().attributes.size());
    state.counters["file_mb"] = fileMegabytes(path);
}
BENCHMARK(HistoryWrite16Drives)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void HistoryYearOf16Drives(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("history.sqlite"));
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-365);
    qint64 rowsWritten = 0;
    for (auto _ : state) {
        KZCheckHistory history(path);
        for (int hour = 0; hour < 365 * 24; ++hour) {
            const QDateTime now = start.addSecs(qint64(hour) * 3600);
            QList<KZHistoryRow> rows;
            for (int drive = 0; drive < 16; ++drive) {
                KZHistoryRow row;
                row.drive = QStringLiteral("serial:YEAR%1").arg(drive);
                row.model = QStringLiteral("FORGE HX16000 ENTERPRISE");
                row.device = QStringLiteral("/dev/sd%1").arg(QChar(char16_t(u'a' + drive)));
                row.time = now;
                row.status = QStringLiteral("PASSED");
                row.health = 1;
                row.hasValues = true;
                row.temperature = 30 + hour % 12;
                row.powerOnHours = 10000 + hour;
                row.reallocated = hour / 1000;
                row.pending = row.offlineUncorrectable = row.crcErrors = row.errorCount = 0;
                row.selfTest = QStringLiteral("Completed without error");
                for (int id = 1; id <= 30; ++id)
                    row.attributes.append({id, 100 - id % 7, 90, qint64(hour) * id % 100000,
                                           QStringLiteral("Attribute_%1").arg(id)});
                rows.append(row);
            }
            if (!history.write(rows, now, 3650)) {
                state.SkipWithError(history.errorString().toUtf8().constData());
                return;
            }
            rowsWritten += rows.size();
        }
    }
    KZCheckHistory history(path);
    qint64 kept = 0;
    for (int drive = 0; drive < 16; ++drive)
        kept += history.rows(QStringLiteral("serial:YEAR%1").arg(drive))->size();
    state.counters["rows_written"] = double(rowsWritten);
    state.counters["rows_kept"] = double(kept);
    state.counters["file_mb"] = fileMegabytes(path);
}
BENCHMARK(HistoryYearOf16Drives)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
