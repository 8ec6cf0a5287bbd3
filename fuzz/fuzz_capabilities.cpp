// The capabilities parse ("-c") of arbitrary output never crashes and leaves
// the drive in a state of the model. The first input byte chooses the
// settings: bit 0 the drive's health step said FAILED, bit 1 "FailedTestIsNew";
// the rest is the output after the smartctl banner.
#include "FuzzSupport.h"

namespace {

const KZSMARTDrive *preparedDrives[2];

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzUsePrivateHome();
    static const KZSMARTDrive passed = fuzzPreparedDrive({}, false);
    static const KZSMARTDrive failed = fuzzPreparedDrive({}, true);
    preparedDrives[0] = &passed;
    preparedDrives[1] = &failed;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t flags = data[0];
    fuzzSetSwitch(QStringLiteral("FailedTestIsNew"), flags & 2);

    KZSMARTDrive drive = *preparedDrives[flags & 1];
    answerWithFuzz(drive, data + 1, size - 1);
    try {
        drive.parseCapabilities();
    } catch (const std::exception &) {
        // A line the text routines cannot read ends the step, as in a refresh.
    }

    fuzzCheckDrive(drive);
    FUZZ_CHECK(!drive.driveSelfTestExecution().isEmpty());
    FUZZ_CHECK(!drive.driveOfflineDataCollectionActivity().isEmpty());
    FUZZ_CHECK(drive.driveSelfTestExecutionRemaining() >= 0 &&
               drive.driveSelfTestExecutionRemaining() <= 150);
    FUZZ_CHECK(!drive.driveSelftestFail() || drive.driveHealth() == 2);
    FUZZ_CHECK((flags & 1) == 0 || drive.driveHealth() == 3);
    return 0;
}
