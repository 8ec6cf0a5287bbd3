// Prometheus export benchmark. Run: build/bench/tarnwell-bench --benchmark_filter=Prometheus
//  - PrometheusExport16Drives: what --prometheus FILE adds to a check of 16
//    drives: the exposition of 16 drives read from the sample capture (each
//    under a device of its own) written atomically to a file, as after every
//    check (goal: under 1 ms); write:0 the exposition alone.
#include "KZPrometheusExport.h"
#include "KZSMARTDrive.h"

#include "BenchSample.h"
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void PrometheusExport16Drives(benchmark::State &state)
{
    const std::optional<KZSMARTDrive> read = benchSample(state);
    if (!read)
        return;
    const KZSMARTDrive &sample = *read;
    QList<KZSMARTDrive> drives(16, sample);
    QList<const KZSMARTDrive *> checked;
    for (qsizetype index = 0; index < drives.size(); ++index) {
        drives[index].setLocation(QStringLiteral("/dev/sd%1").arg(QChar(char16_t(u'a' + index))));
        checked.append(&drives[index]);
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("tarnwell.prom"));
    KZCheckFacts facts;
    facts.durationSeconds = 2.4;
    qint64 bytes = 0;
    const bool write = state.range(0) != 0;
    for (auto _ : state) {
        facts.finished = QDateTime::currentDateTimeUtc();
        const QByteArray text = KZPrometheusExport::exposition(checked, facts);
        if (write && !KZPrometheusExport::writeFile(path, text)) {
            state.SkipWithError("the metrics file could not be written");
            return;
        }
        bytes += text.size();
    }
    state.SetBytesProcessed(bytes);
    state.counters["file_bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(PrometheusExport16Drives)
    ->ArgName("write")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(1.0);

} // namespace
