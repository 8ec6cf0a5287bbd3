// Engine benchmarks. Run: build/bench/tarnwell-bench
//  - RefreshReplayedDrive: one refresh of a drive replayed from the sample
//    capture through the real smartctl; reports the engine's own CPU time
//    beside the CPU time of the smartctl children (goal: engine under 5%).
//  - SplitLines: the line splitter on outputs of growing size (goal: linear,
//    at least 200 MB/s).
#include "KZSMARTDrive.h"
#include "KZTask.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

namespace {

double seconds(const timeval &time)
{
    return double(time.tv_sec) + double(time.tv_usec) / 1e6;
}

double cpuSeconds(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void RefreshReplayedDrive(benchmark::State &state)
{
    if (!QFileInfo(QStringLiteral("/usr/sbin/smartctl")).isExecutable()) {
        state.SkipWithError("smartctl is not installed");
        return;
    }
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(QStringLiteral(TARNWELL_SAMPLE));
    drive.setDriveAsFile(true);
    const double selfBefore = cpuSeconds(RUSAGE_SELF);
    const double childrenBefore = cpuSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) {
        drive.updateInfo();
        benchmark::DoNotOptimize(drive.driveHealth());
    }
    const double self = cpuSeconds(RUSAGE_SELF) - selfBefore;
    const double children = cpuSeconds(RUSAGE_CHILDREN) - childrenBefore;
    const double runs = double(state.iterations());
    state.counters["engine_cpu_ms"] = 1000.0 * self / runs;
    state.counters["smartctl_cpu_ms"] = 1000.0 * children / runs;
    state.counters["engine_share_%"] = children > 0 ? 100.0 * self / children : 0;
}
BENCHMARK(RefreshReplayedDrive)->Unit(benchmark::kMillisecond)->MinTime(2.0);

QString syntheticOutput(qsizetype bytes)
{
    const QString line = QStringLiteral("  5 Reallocated_Sector_Ct   0x0033   100   100   010    "
                                        "Pre-fail  Always       -       0\n");
    QString text;
    text.reserve(bytes + line.size());
    text += QStringLiteral("smartctl 7.3\nCopyright\n\n");
    while (text.size() < bytes)
        text += line;
    return text;
}

void SplitLines(benchmark::State &state)
{
    const QString text = syntheticOutput(state.range(0));
    for (auto _ : state) {
        const QStringList lines = KZTask::splitLines(text);
        benchmark::DoNotOptimize(lines.size());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(SplitLines)
    ->RangeMultiplier(2)
    ->Range(1 << 20, 16 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace

int main(int argc, char **argv)
{
    // Keep freed memory in the process: otherwise every iteration of the
    // large splitter runs hands its memory back and pays the first-touch
    // page faults again, which measures the kernel rather than the splitter.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    QTemporaryDir home;
    qputenv("XDG_STATE_HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
