#pragma once

#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "KZTask.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <sanitizer/common_interface_defs.h>

// Where every fuzzed drive lives; remembered counts without a serial number
// are stored under it.
inline const QString fuzzLocation = QStringLiteral("/dev/fuzz");

// Turns fuzz bytes into what a smartctl run yields: text decoded as the runner
// decodes it (bytes that are not UTF-8 read as U+FFFD) and split by the real
// splitter, or nothing where the splitter gives nothing.
inline std::optional<QStringList> fuzzOutput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = QString::fromUtf8(bytes);
    try {
        return KZTask::splitLines(text);
    } catch (...) {
        return std::nullopt;
    }
}

// Fuzz bytes as the lines a program printed, blank ones kept (what a drive's
// output provider answers); a last line without a line feed counts as one.
inline QStringList fuzzPrinted(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The first two lines of every smartctl output.
inline QStringList smartctlBanner()
{
    return {QStringLiteral("smartctl 7.3 (fuzz)"), QStringLiteral("Copyright")};
}

// Makes every smartctl run of the drive answer with the fuzz text after the
// smartctl banner (or with nothing when the bytes are no usable output).
inline void answerWithFuzz(KZSMARTDrive &drive, const uint8_t *data, size_t size)
{
    std::optional<QStringList> output = fuzzOutput(data, size);
    if (output)
        *output = smartctlBanner() + *output;
    drive.setOutputProvider([output](const QStringList &) { return output; });
}

// A command-line drive whose every smartctl run answers with the fuzz text
// after the smartctl banner.
inline KZSMARTDrive fuzzDrive(const uint8_t *data, size_t size)
{
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(fuzzLocation);
    answerWithFuzz(drive, data, size);
    return drive;
}

// Keeps the preferences of this process in memory (no input reads or writes
// a file, so the parsers are fuzzed at the speed they run) and points the log
// and data folders at a private temporary folder (removed at exit), so that
// no fuzz run reads or changes the files of the person running it; registers
// the program's defaults. Call once, from LLVMFuzzerInitialize, before any
// preference is read.
inline void fuzzUsePrivateHome()
{
    static KZPreferences preferences;
    KZPreferences::setStandard(&preferences);
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/tarnwell-fuzz-XXXXXX"));
    if (!home.isValid()) {
        std::fprintf(stderr, "fuzz: cannot create a temporary folder in %s\n",
                     qPrintable(QDir::tempPath()));
        std::abort();
    }
    for (const char *variable :
         {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, QFile::encodeName(home.path()));
    KZPreferences::standard().registerApplicationDefaults();
}

// Sets a boolean preference for the next input. The value is registered as
// a default: no stored value of the key exists to override it.
inline void fuzzSetSwitch(const QString &key, bool on)
{
    KZPreferences::standard().registerDefaults(
        {{key, on ? QStringLiteral("YES") : QStringLiteral("NO")}});
}

// Sets a count remembered in the preferences (as a previous parse would have
// left it). A count of 0 reads like none at all. Every input starts from the
// same remembered counts, so that a finding can be replayed alone; and since
// the key stays in the store, resetting it allocates no more than it frees,
// which keeps libFuzzer from suspecting a leak after every input.
inline void fuzzRemember(const QString &key, qint64 count)
{
    KZPreferences::standard().setInteger(key, count);
}

// A drive in the state a refresh leaves it in before its parse steps: every
// failure level at 1 (not failing), health passed, or failed when the health
// step was told so. With identity lines, the identity step reads them first
// (a "PCI Vendor" line marks the drive NVMe, a "Serial Number" line names the
// drive in remembered counts). The refresh's run is answered with a report of
// those parts; every other smartctl run gets no answer.
inline KZSMARTDrive fuzzPreparedDrive(const QStringList &identity, bool failedHealth)
{
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(fuzzLocation);
    drive.setOutputProvider([identity, failedHealth](const QStringList &arguments) {
        if (!arguments.contains(QStringLiteral("-a")))
            return std::optional<QStringList>();
        QStringList report = smartctlBanner() + QStringList{QString()} + identity;
        if (failedHealth)
            report += {QString(), QStringLiteral("=== START OF READ SMART DATA SECTION ==="),
                       QStringLiteral("SMART overall-health self-assessment test result: FAILED!")};
        return std::optional(report);
    });
    drive.updateInfo();
    return drive;
}

// Reports a broken invariant through the sanitizer's report channel (standard
// error may be closed by -close_fd_mask) and stops with a stack trace.
[[noreturn]] inline void fuzzFailed(const char *condition, const char *file, int line)
{
    char text[512];
    std::snprintf(text, sizeof text, "fuzz invariant broken at %s:%d: %s", file, line, condition);
    __sanitizer_report_error_summary(text);
    __builtin_trap();
}

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            fuzzFailed(#condition, __FILE__, __LINE__);                                            \
    } while (0)

// What holds for every drive after any parse step from the prepared state:
// a health value of the model and every failure level between 1 and 3. The
// JSON of a drive and of its records copies parsed fields without reading
// any text; building it costs several times the parse, so the targets leave
// it to the tests.
inline void fuzzCheckDrive(const KZSMARTDrive &drive)
{
    FUZZ_CHECK(drive.driveHealth() >= 0 && drive.driveHealth() <= 3);
    for (const qint32 level : {drive.driveReallocatedSectorsFail(),
                               drive.driveReallocatedEventsFail(), drive.driveCurrentSectorsFail(),
                               drive.driveOfflineSectorsFail(), drive.driveOtherAttributesFail()})
        FUZZ_CHECK(level >= 1 && level <= 3);
}
