// A whole refresh of arbitrary smartctl output never crashes and leaves the
// drive in a state of the model: the text routines' exceptions are caught by
// the refresh like any other, and a drive that did not answer is never judged
// passed. The input holds the output of every command of a refresh, each
// after the smartctl banner, separated by zero bytes, in the order the
// refresh runs them: "-i", "-H", "-c", "-A", "-l error", "-l selftest". A
// command without a part gets no answer.
#include "FuzzSupport.h"

namespace {

// The part of the input a command's arguments ask for, or -1 for none.
int partOf(const QStringList &arguments)
{
    static const char *const options[] = {"-i", "-H", "-c", "-A"};
    for (int part = 0; part < int(std::size(options)); ++part) {
        if (arguments.contains(QLatin1String(options[part])))
            return part;
    }
    if (arguments.contains(QLatin1String("error")))
        return 4;
    if (arguments.contains(QLatin1String("selftest")))
        return 5;
    return -1;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzUsePrivateHome();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<std::optional<QStringList>> parts;
    size_t start = 0;
    for (size_t at = 0; at <= size && parts.size() < 6; ++at) {
        if (at == size || data[at] == 0) {
            std::optional<QStringList> output = fuzzOutput(data + start, at - start);
            if (output)
                *output = smartctlBanner() + *output;
            parts.append(output);
            start = at + 1;
        }
    }

    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(fuzzLocation);
    drive.setOutputProvider([&parts](const QStringList &arguments) -> std::optional<QStringList> {
        const int part = partOf(arguments);
        if (part < 0 || part >= parts.size())
            return std::nullopt;
        return parts.at(part);
    });
    drive.updateInfo();

    fuzzCheckDrive(drive);
    FUZZ_CHECK(!drive.driveReadFailed() || drive.driveHealth() != 1);
    FUZZ_CHECK(!drive.driveReadFailed() || drive.driveReadFailureReason().has_value());
    return 0;
}
