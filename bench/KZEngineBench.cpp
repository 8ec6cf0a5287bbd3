// Engine benchmarks (and the Prometheus export, KZPrometheusBench.cpp).
// Run: build/bench/tarnwell-bench
//  - RefreshReplayedDrive: one refresh of a drive replayed from the sample
//    capture through the real smartctl; reports the engine's own CPU time
//    beside the CPU time of the smartctl children (goal: engine under 5%).
//  - RefreshAgainstSmartctlX: in pairs, one refresh of that drive and one
//    "smartctl -x" of the same capture through the same runner; the median
//    of the pairs' CPU ratios (goal: at most 1.3).
//  - SplitLines: the line splitter on outputs of growing size (goal: linear,
//    at least 200 MB/s).
//  - ParseAttributeTable: the attribute table parse ("-A") of tables with a
//    growing number of rows (goal: linear).
//  - ParseErrorLog: the error log parse ("-l error") of logs with a growing
//    number of entries, each with five commands; five entries is a full log
//    as smartctl prints it (goal: linear).
//  Both parse benchmarks answer the drive's smartctl run from memory, so no
//  child process runs and only the engine is measured; each parse runs in a
//  preferences batch, as in a refresh.
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "KZTask.h"

#include "BenchSample.h"
#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <vector>

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
    std::optional<KZSMARTDrive> sample = benchSample(state, false);
    if (!sample)
        return;
    KZSMARTDrive &drive = *sample;
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

// CPU time of this process and its finished children.
double cpuWithChildren()
{
    return cpuSeconds(RUSAGE_SELF) + cpuSeconds(RUSAGE_CHILDREN);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void RefreshAgainstSmartctlX(benchmark::State &state)
{
    const QString smartctl = QStringLiteral("/usr/sbin/smartctl");
    if (!QFileInfo(smartctl).isExecutable()) {
        state.SkipWithError("smartctl is not installed");
        return;
    }
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(QStringLiteral(TARNWELL_SAMPLE));
    drive.setDriveAsFile(true);
    std::vector<double> refreshes, singles, ratios;
    for (auto _ : state) {
        const double start = cpuWithChildren();
        drive.updateInfo();
        const double between = cpuWithChildren();
        KZTask task;
        task.setCLocale(true);
        task.setReadFromFilePath(QStringLiteral(TARNWELL_SAMPLE));
        benchmark::DoNotOptimize(task.parseCommandLine(
            smartctl, QStringList{QStringLiteral("-x"), QStringLiteral("-")}));
        const double end = cpuWithChildren();
        refreshes.push_back(between - start);
        singles.push_back(end - between);
        ratios.push_back(singles.back() > 0 ? refreshes.back() / singles.back() : 0);
    }
    state.counters["refresh_cpu_ms"] = 1000.0 * median(refreshes);
    state.counters["smartctl_x_cpu_ms"] = 1000.0 * median(singles);
    state.counters["ratio_median"] = median(ratios);
}
BENCHMARK(RefreshAgainstSmartctlX)->Unit(benchmark::kMillisecond)->Iterations(21);

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

// smartctl's output as the real splitter hands it to the parsers.
QStringList outputLines(const QString &text)
{
    return KZTask::splitLines(text);
}

// A command-line drive whose every smartctl run answers with these lines.
KZSMARTDrive drivePrinting(const QStringList &lines)
{
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(QStringLiteral("/dev/bench"));
    drive.setOutputProvider([lines](const QStringList &) { return std::optional(lines); });
    return drive;
}

// An "-A" output with the given number of attribute rows. The IDs run through
// 1 to 254 and start again, so the rows that make the drive remember a count
// (5, 196, 197, 198) come once in 254 rows, as often as in a real table.
QString attributeTable(qint64 rows)
{
    QString text = QStringLiteral(
        "smartctl 7.3 2022-02-28 r5338 [x86_64-linux-6.1.0] (local build)\n"
        "Copyright (C) 2002-22, Bruce Allen, Christian Franke, www.smartmontools.org\n\n"
        "=== START OF READ SMART DATA SECTION ===\n"
        "SMART Attributes Data Structure revision number: 16\n"
        "Vendor Specific SMART Attributes with Thresholds:\n"
        "ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  "
        "WHEN_FAILED RAW_VALUE\n");
    for (qint64 row = 0; row < rows; ++row) {
        const int id = int(row % 254) + 1;
        text += QString::asprintf("%3d Attribute_%-16d 0x0033   100   100   010    Pre-fail  "
                                  "Always       -       %lld\n",
                                  id, id, qlonglong(row % 1000));
    }
    return text;
}

void ParseAttributeTable(benchmark::State &state)
{
    const qint64 rows = state.range(0);
    const QString text = attributeTable(rows);
    KZSMARTDrive drive = drivePrinting(outputLines(text));
    for (auto _ : state) {
        // As in a refresh: the preferences read once, the counts written at the end.
        const KZPreferences::Batch preferences;
        drive.parseAttributes();
        benchmark::DoNotOptimize(drive.driveAttributeCount());
    }
    if (drive.driveAttributeCount() != rows) {
        state.SkipWithError("the table was not read row by row");
        return;
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.SetBytesProcessed(state.iterations() * text.size());
    state.SetComplexityN(rows);
}
BENCHMARK(ParseAttributeTable)
    ->Arg(32)
    ->Arg(128)
    ->Arg(512)
    ->Arg(2048)
    ->Arg(8192)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

// An "-l error" output with the given number of entries, newest first, each
// with its register line and five commands, as in smartctl's summary log.
QString errorLog(qint64 entries)
{
    QString text = QStringLiteral(
        "smartctl 7.3 2022-02-28 r5338 [x86_64-linux-6.1.0] (local build)\n"
        "Copyright (C) 2002-22, Bruce Allen, Christian Franke, www.smartmontools.org\n\n"
        "=== START OF READ SMART DATA SECTION ===\n"
        "SMART Error Log Version: 1\n");
    text += QStringLiteral("ATA Error Count: %1 (device log contains only the most recent five "
                           "errors)\n")
                .arg(entries);
    text += QStringLiteral("\tCR = Command Register [HEX]\n"
                           "\tFR = Features Register [HEX]\n"
                           "Powered_Up_Time is measured from power on, and printed as\n"
                           "DDd+hh:mm:SS.sss where DD=days, hh=hours, mm=minutes,\n"
                           "SS=sec, and sss=millisec. It \"wraps\" after 49.710 days.\n\n");
    for (qint64 number = entries; number > 0; --number) {
        text += QString::asprintf(
            "Error %lld occurred at disk power-on lifetime: %lld hours (%lld days + %lld hours)\n"
            "  When the command that caused the error occurred, the device was active or idle.\n\n"
            "  After command completion occurred, registers were:\n"
            "  ER ST SC SN CL CH DH\n"
            "  -- -- -- -- -- -- --\n"
            "  40 51 08 56 34 12 e0  Error: UNC 8 sectors at LBA = 0x00123456 = 1193046\n\n"
            "  Commands leading to the command that caused the error were:\n"
            "  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name\n"
            "  -- -- -- -- -- -- -- --  ----------------  --------------------\n",
            qlonglong(number), qlonglong(1000 + number), qlonglong((1000 + number) / 24),
            qlonglong((1000 + number) % 24));
        for (int command = 0; command < 5; ++command)
            text += QString::asprintf("  c8 00 08 56 34 12 e0 08      00:00:%02d.%03d  READ DMA\n",
                                      10 - command, command * 100);
        text += QLatin1Char('\n');
    }
    return text;
}

void ParseErrorLog(benchmark::State &state)
{
    const qint64 entries = state.range(0);
    const QString text = errorLog(entries);
    KZSMARTDrive drive = drivePrinting(outputLines(text));
    for (auto _ : state) {
        const KZPreferences::Batch preferences;
        drive.parseErrorLog();
        benchmark::DoNotOptimize(drive.driveTotalErrors());
    }
    const auto &log = drive.driveErrorLogEntries();
    if (!log || log->size() != entries || log->last().getErrorCommands().size() != 5) {
        state.SkipWithError("the log was not read entry by entry");
        return;
    }
    state.SetItemsProcessed(state.iterations() * entries);
    state.SetBytesProcessed(state.iterations() * text.size());
    state.SetComplexityN(entries);
}
BENCHMARK(ParseErrorLog)
    ->Arg(5)
    ->Arg(20)
    ->Arg(80)
    ->Arg(320)
    ->Arg(1280)
    ->Arg(5120)
    ->Unit(benchmark::kMicrosecond)
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
