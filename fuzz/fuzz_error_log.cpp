// The error log parse ("-l error", ATA and NVMe) of arbitrary output never
// crashes and keeps every entry readable: at most five commands each (none
// for an NVMe entry, which also has no time and is never judged), the index
// access agreeing with the list. The first input byte chooses the drive and
// the settings: bit 0 its health step said FAILED, bit 1 the drive has a
// serial number, then "CustomErrorCount" (with a limit of 3) and
// "RememberErrorCount". The rest is the output after the smartctl banner.
#include "FuzzSupport.h"

#include "KZSMARTErrorLog.h"

namespace {

const KZSMARTDrive *preparedDrives[4];
const QString serialNumber = QStringLiteral("FUZZ0001");

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzUsePrivateHome();
    KZPreferences::standard().setInteger(QStringLiteral("CustomErrorCountValue"), 3);
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
    if (namedPassed.driveSerialNumber() != serialNumber)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t flags = data[0];
    fuzzSetSwitch(QStringLiteral("CustomErrorCount"), flags & 4);
    fuzzSetSwitch(QStringLiteral("RememberErrorCount"), flags & 8);
    fuzzRemember(fuzzLocation + QStringLiteral("_LastErrorCount"), 0);
    fuzzRemember(serialNumber + QStringLiteral("_LastErrorCount"), 0);

    KZSMARTDrive drive = *preparedDrives[flags & 3];
    answerWithFuzz(drive, data + 1, size - 1);
    try {
        drive.parseErrorLog();
    } catch (const std::exception &) {
        // A line without the phrase the layout promises ends the step.
    }

    fuzzCheckDrive(drive);
    FUZZ_CHECK((flags & 1) == 0 || drive.driveHealth() == 3);
    FUZZ_CHECK(!drive.driveErrorsFail() || drive.driveHealth() == 2);
    const bool ataErrorCount =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1))
            .contains("ATA Error Count:");
    const std::optional<QList<KZSMARTErrorLog>> &entries = drive.driveErrorLogEntries();
    if (!entries) {
        FUZZ_CHECK(!drive.driveErrorLog(0));
        FUZZ_CHECK(!drive.driveLastErrorType());
        FUZZ_CHECK(drive.driveLastErrorTime() == -1);
        return 0;
    }
    for (qsizetype index = 0; index < entries->size(); ++index) {
        const KZSMARTErrorLog &entry = entries->at(index);
        const QList<KZSMARTErrorCommand> commands = entry.getErrorCommands();
        FUZZ_CHECK(commands.size() <= 5);
        FUZZ_CHECK(entry.getLastErrorCommand().has_value() ==
                   (!commands.isEmpty() && commands.first().getCommand().has_value()));
        FUZZ_CHECK(!entry.getError1().isEmpty() && !entry.getError2().isEmpty());
        if (entry.isNVMe()) {
            FUZZ_CHECK(commands.isEmpty() && entry.getTime() == -1 && entry.getLBA() >= -1);
            FUZZ_CHECK(entry.getNumber() <= drive.driveTotalErrors());
            // NVMe entries never judge; an ATA error count in the same
            // output (no real smartctl prints both) is judged as ever.
            FUZZ_CHECK(!drive.driveErrorsFail() || ataErrorCount);
            FUZZ_CHECK(entry.description().count(QLatin1Char('\n')) == 0);
        } else {
            FUZZ_CHECK(entry.getLBA() >= 0);
        }
        const std::optional<KZSMARTErrorLog> byIndex = drive.driveErrorLog(quint64(index));
        FUZZ_CHECK(byIndex.has_value() == (index < 5));
        if (byIndex)
            FUZZ_CHECK(byIndex->getNumber() == entry.getNumber() &&
                       byIndex->getTime() == entry.getTime());
    }
    FUZZ_CHECK(!drive.driveErrorLog(quint64(entries->size())));
    FUZZ_CHECK(!drive.driveErrorLog(~quint64(0)));
    if (entries->isEmpty()) {
        FUZZ_CHECK(!drive.driveLastErrorType() && drive.driveLastErrorTime() == -1);
    } else {
        FUZZ_CHECK(drive.driveLastErrorType() == entries->first().getError1());
        FUZZ_CHECK(drive.driveLastErrorTime() == entries->first().getTime());
    }
    return 0;
}
