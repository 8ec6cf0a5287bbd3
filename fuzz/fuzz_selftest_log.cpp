// The self-test log parse ("-l selftest") of arbitrary output never crashes,
// keeps its count equal to its list and judges the drive within the model's
// values. The first input byte chooses the drive and the settings: bit 0 its
// health step said FAILED, bit 1 the drive has a serial number, bit 2
// "FailedTestIsNew", bit 3 a newest test at 1000 power-on hours was remembered
// by the previous parse. The rest is the output after the smartctl banner.
#include "FuzzSupport.h"

#include "KZSMARTSelfTestLog.h"

namespace {

const KZSMARTDrive *preparedDrives[4];
const QString serialNumber = QStringLiteral("FUZZ0001");

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzUsePrivateHome();
    const QStringList identity{QStringLiteral("=== START OF INFORMATION SECTION ==="),
                               QStringLiteral("Device Model: FUZZ ATA"),
                               QStringLiteral("Serial Number: ") + serialNumber};
    static const KZSMARTDrive passed = fuzzPreparedDrive({}, false);
    static const KZSMARTDrive failed = fuzzPreparedDrive({}, true);
    static const KZSMARTDrive namedPassed = fuzzPreparedDrive(identity, false);
    static const KZSMARTDrive namedFailed = fuzzPreparedDrive(identity, true);
    preparedDrives[0] = &passed;
    preparedDrives[1] = &failed;
    preparedDrives[2] = &namedPassed;
    preparedDrives[3] = &namedFailed;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t flags = data[0];
    fuzzSetSwitch(QStringLiteral("FailedTestIsNew"), flags & 4);
    for (const QString &name : {fuzzLocation, serialNumber})
        fuzzRemember(name + QStringLiteral("_LastTestPowerOnHours"), flags & 8 ? 1000 : 0);
    fuzzRemember(QStringLiteral("TestsInProgress"), 0);

    KZSMARTDrive drive = *preparedDrives[flags & 3];
    answerWithFuzz(drive, data + 1, size - 1);
    try {
        drive.parseSelftestLog();
    } catch (const std::exception &) {
        // A line the text routines cannot read ends the step, as in a refresh.
    }

    fuzzCheckDrive(drive);
    FUZZ_CHECK((flags & 1) == 0 || drive.driveHealth() == 3);
    FUZZ_CHECK(!drive.driveNewTestFail() || drive.driveTestsFail());
    FUZZ_CHECK(!drive.driveNewTestFail() || drive.driveHealth() == 2);
    const std::optional<QList<KZSMARTSelfTestLog>> &entries = drive.driveSelfTestLogEntries();
    if (!entries) {
        FUZZ_CHECK(drive.driveTestsCount() == 0);
        FUZZ_CHECK(!drive.driveSelfTestLog(0));
        FUZZ_CHECK(!drive.driveLastTestStatus() && drive.driveLastTestTime() == -1);
        return 0;
    }
    FUZZ_CHECK(drive.driveTestsCount() == quint64(entries->size()));
    for (qsizetype index = 0; index < entries->size(); ++index) {
        const std::optional<KZSMARTSelfTestLog> entry = drive.driveSelfTestLog(quint64(index));
        FUZZ_CHECK(entry.has_value());
        FUZZ_CHECK(entry->getNumber() == entries->at(index).getNumber());
    }
    FUZZ_CHECK(!drive.driveSelfTestLog(quint64(entries->size())));
    FUZZ_CHECK(!drive.driveSelfTestLog(~quint64(0)));
    if (entries->isEmpty())
        FUZZ_CHECK(!drive.driveLastTestStatus() && drive.driveLastTestTime() == -1);
    else
        FUZZ_CHECK(drive.driveLastTestTime() == entries->first().getLifetime());
    return 0;
}
