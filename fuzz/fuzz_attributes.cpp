// The attribute table parse ("-A") of arbitrary output never crashes, keeps
// its count equal to its list and judges the drive within the model's values.
// The first input byte chooses the drive and the settings: bit 0 the drive is
// NVMe (its identity had a "PCI Vendor" line), bit 1 its health step said
// FAILED, then "DisplayTempInFahrenheit", "IgnoreAttribute190",
// "IgnoreAttribute196", "RememberBadSectors" and "CustomBadSectorCount" (with
// a limit of 10). The rest is the output after the smartctl banner.
#include "FuzzSupport.h"

#include "KZSMARTAttribute.h"

namespace {

const KZSMARTDrive *preparedDrives[4];

const char *const switches[] = {"DisplayTempInFahrenheit", "IgnoreAttribute190",
                                "IgnoreAttribute196", "RememberBadSectors", "CustomBadSectorCount"};

const char *const rememberedSuffixes[] = {"_LastReallocatedSectorCount",
                                          "_LastReallocatedEventCount", "_LastCurrentSectorCount",
                                          "_LastOfflineSectorCount"};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzUsePrivateHome();
    KZPreferences::standard().setInteger(QStringLiteral("CustomBadSectorCountValue"), 10);
    const QStringList nvmeIdentity{QStringLiteral("=== START OF INFORMATION SECTION ==="),
                                   QStringLiteral("Model Number: FUZZ NVMe"),
                                   QStringLiteral("PCI Vendor/Subsystem ID: 0x144d")};
    static const KZSMARTDrive ataPassed = fuzzPreparedDrive({}, false);
    static const KZSMARTDrive nvmePassed = fuzzPreparedDrive(nvmeIdentity, false);
    static const KZSMARTDrive ataFailed = fuzzPreparedDrive({}, true);
    static const KZSMARTDrive nvmeFailed = fuzzPreparedDrive(nvmeIdentity, true);
    preparedDrives[0] = &ataPassed;
    preparedDrives[1] = &nvmePassed;
    preparedDrives[2] = &ataFailed;
    preparedDrives[3] = &nvmeFailed;
    if (ataPassed.driveIsNVMe() || !nvmePassed.driveIsNVMe())
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t flags = data[0];
    for (int bit = 0; bit < int(std::size(switches)); ++bit)
        fuzzSetSwitch(QString::fromLatin1(switches[bit]), flags & (4 << bit));
    for (const char *suffix : rememberedSuffixes)
        fuzzRemember(fuzzLocation + QString::fromLatin1(suffix), 0);

    KZSMARTDrive drive = *preparedDrives[flags & 3];
    const bool nvme = drive.driveIsNVMe();
    answerWithFuzz(drive, data + 1, size - 1);
    try {
        drive.parseAttributes();
    } catch (const std::exception &) {
        // An NVMe line without a value ends the step, as in a refresh.
    }

    fuzzCheckDrive(drive);
    FUZZ_CHECK((flags & 2) == 0 || drive.driveHealth() == 3);
    const std::optional<QList<KZSMARTAttribute>> &attributes = drive.driveAttributes();
    if (!attributes) {
        FUZZ_CHECK(drive.driveAttributeCount() == 0);
        FUZZ_CHECK(drive.driveAttribute(0) == nullptr);
        return 0;
    }
    FUZZ_CHECK(drive.driveAttributeCount() == attributes->size());
    FUZZ_CHECK(drive.driveAttribute(quint64(attributes->size())) == nullptr);
    FUZZ_CHECK(drive.driveAttribute(~quint64(0)) == nullptr);
    qint32 nextNVMeID = -1;
    QHash<qint32, qint64> firstRaw;
    for (qsizetype index = 0; index < attributes->size(); ++index) {
        const KZSMARTAttribute *attribute = drive.driveAttribute(quint64(index));
        FUZZ_CHECK(attribute != nullptr);
        FUZZ_CHECK(attribute->getFailed() >= KZSMARTAttribute::FailedNotRead &&
                   attribute->getFailed() <= KZSMARTAttribute::FailedInThePast);
        FUZZ_CHECK(!attribute->description().isEmpty());
        FUZZ_CHECK(attribute->nvmeValue().has_value() == nvme);
        if (nvme && attribute->getIDNumber() != 194 && attribute->getIDNumber() != 9) {
            FUZZ_CHECK(attribute->getIDNumber() == nextNVMeID);
            --nextNVMeID;
        }
        if (!firstRaw.contains(attribute->getIDNumber()))
            firstRaw.insert(attribute->getIDNumber(), attribute->getRaw());
    }
    // The raw value read by ID is the one of the first row with that ID.
    for (auto it = firstRaw.cbegin(); it != firstRaw.cend(); ++it)
        FUZZ_CHECK(drive.readRawAttribute(it.key()) == it.value());
    if (nvme)
        FUZZ_CHECK(drive.nvmeNextAttributeID() == nextNVMeID);
    return 0;
}
