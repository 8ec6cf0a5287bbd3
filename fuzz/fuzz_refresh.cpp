// A whole refresh of arbitrary smartctl output never crashes and leaves the
// drive in a state of the model: the text routines' exceptions are caught by
// the refresh like any other, and a drive that did not answer is never judged
// passed. The input is what the refresh's one run prints after the smartctl
// banner: the report every parse step reads its own part of. A zero byte
// ends it; what follows answers the refresh's second run, the one after
// switching S.M.A.R.T. on (answered "SMART Enabled.") or after an ambiguous
// answer. Without a second part the second run gets no answer.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzUsePrivateHome();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<QStringList> reports;
    size_t start = 0;
    for (size_t at = 0; at <= size && reports.size() < 2; ++at) {
        if (at == size || data[at] == 0) {
            reports.append(smartctlBanner() + fuzzPrinted(data + start, at - start));
            start = at + 1;
        }
    }

    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(fuzzLocation);
    qsizetype runs = 0;
    drive.setOutputProvider(
        [&reports, &runs](const QStringList &arguments) -> std::optional<QStringList> {
            if (arguments.contains(QLatin1String("on")))
                return smartctlBanner() + QStringList{QString(), QStringLiteral("SMART Enabled.")};
            if (!arguments.contains(QLatin1String("-a")))
                return std::nullopt;
            const qsizetype run = runs++;
            return run < reports.size() ? std::optional(reports.at(run)) : std::nullopt;
        });
    drive.updateInfo();

    fuzzCheckDrive(drive);
    FUZZ_CHECK(!drive.driveReadFailed() || drive.driveHealth() != 1);
    FUZZ_CHECK(!drive.driveReadFailed() || drive.driveReadFailureReason().has_value());
    // The report at most twice (again after switching S.M.A.R.T. on), each
    // time at most once more very permissively.
    FUZZ_CHECK(runs <= 4);
    return 0;
}
