#include "Capture.h"

#include <QList>
#include <QStringList>

#include <algorithm>
#include <array>
#include <optional>

namespace twdrforge {

namespace {

// One 512-byte sector as a device returns it. Multi-byte fields are little-endian.
class Sector
{
public:
    void setByte(int offset, uint8_t value) { m_bytes[offset] = value; }

    void setLittleEndian(int offset, uint64_t value, int size)
    {
        for (int i = 0; i < size; ++i)
            m_bytes[offset + i] = (value >> (8 * i)) & 0xff;
    }

    // IDENTIFY DEVICE data is addressed in 16-bit words.
    void setWord(int word, uint16_t value) { setLittleEndian(2 * word, value, 2); }

    // IDENTIFY DEVICE text: two characters per word, the first in the word's high byte,
    // padded with blanks.
    void setAtaString(int firstWord, const QString &text, int words)
    {
        const QByteArray ascii = text.toLatin1().leftJustified(2 * words, ' ', true);
        for (int i = 0; i < words; ++i)
            setWord(firstWord + i, static_cast<uint16_t>((uint8_t(ascii[2 * i]) << 8) |
                                                         uint8_t(ascii[2 * i + 1])));
    }

    // Byte 511 makes the sum of all 512 bytes zero (modulo 256).
    void setChecksum()
    {
        uint8_t sum = 0;
        for (int i = 0; i < 511; ++i)
            sum += m_bytes[i];
        m_bytes[511] = static_cast<uint8_t>(-sum);
    }

    const std::array<uint8_t, 512> &bytes() const { return m_bytes; }

private:
    std::array<uint8_t, 512> m_bytes{};
};

int sataGeneration(const QString &speed)
{
    return speed == QLatin1String("1.5") ? 1 : speed == QLatin1String("3.0") ? 2 : 3;
}

// IDENTIFY DEVICE (ATA8-ACS table "IDENTIFY DEVICE data"); only words smartctl reads or that a
// plausible SATA disk reports are filled, everything else stays zero.
Sector identifySector(const DriveSpec &drive)
{
    const Identity &id = drive.identity;
    Sector s;
    s.setWord(0, 0x0040); // general configuration: ATA device, fixed
    s.setWord(1, 16383);  // obsolete CHS geometry
    s.setWord(3, 16);
    s.setWord(6, 63);
    s.setAtaString(10, id.serial, 10);  // words 10-19: serial number
    s.setAtaString(23, id.firmware, 4); // words 23-26: firmware revision
    s.setAtaString(27, id.model, 20);   // words 27-46: model number
    s.setWord(47, 0x8010);              // up to 16 sectors per DRQ block
    s.setWord(49, 0x2f00);              // LBA, DMA, IORDY, standby timer
    s.setWord(50, 0x4000);
    s.setWord(53, 0x0007); // words 54-58, 64-70 and 88 valid
    s.setWord(59, 0x0110);
    const uint64_t lba28 = std::min<uint64_t>(id.sectors, 0x0fffffff);
    s.setWord(60, lba28 & 0xffff); // words 60-61: 28-bit addressable sectors
    s.setWord(61, static_cast<uint16_t>(lba28 >> 16));
    s.setWord(63, 0x0007); // multiword DMA modes
    s.setWord(64, 0x0003); // PIO modes 3 and 4
    for (int w = 65; w <= 68; ++w)
        s.setWord(w, 0x0078); // cycle times (ns)

    if (!id.sataVersion.isEmpty()) {
        // Word 76: SATA capabilities, bits 1..3 = supported speeds (Gen1..Gen3), bit 8 = NCQ.
        // Word 77: bits 3..1 = current speed. Word 222: transport major version, 0x1 in the
        // top nibble for serial, then one bit per SATA revision supported.
        static const QStringList versions = {
            QStringLiteral("ATA8-AST"), QStringLiteral("1.0"), QStringLiteral("II Ext"),
            QStringLiteral("2.5"),      QStringLiteral("2.6"), QStringLiteral("3.0"),
            QStringLiteral("3.1"),      QStringLiteral("3.2"), QStringLiteral("3.3"),
            QStringLiteral("3.4"),      QStringLiteral("3.5")};
        const int versionBit = static_cast<int>(versions.indexOf(id.sataVersion));
        const int maxGen = id.sataVersion.startsWith(QLatin1Char('3'))   ? 3
                           : id.sataVersion.startsWith(QLatin1Char('2')) ? 2
                                                                         : 1;
        const int currentGen = id.sataCurrentSpeed.isEmpty()
                                   ? maxGen
                                   : std::min(maxGen, sataGeneration(id.sataCurrentSpeed));
        s.setWord(75, 0x001f); // queue depth 32
        s.setWord(76, static_cast<uint16_t>(0x0100 | (((1 << maxGen) - 1) << 1)));
        s.setWord(77, static_cast<uint16_t>(currentGen << 1));
        s.setWord(222, static_cast<uint16_t>(0x1000 | ((1 << (versionBit + 1)) - 1)));
    }

    // Word 80: one bit per supported ATA major version, the highest is reported.
    uint16_t major = 0;
    for (int v = std::max(1, id.ataMajor - 4); v <= id.ataMajor; ++v)
        major |= static_cast<uint16_t>(1 << v);
    s.setWord(80, major);
    s.setWord(81, id.ataMinor);

    // Words 82-84 supported and 85-87 enabled feature sets. Bit 0 of 82/85 is the SMART
    // feature set; 83/86 bit 10 is 48-bit addressing; 84/87 bits 0, 1, 5 are SMART error
    // logging, SMART self-test and General Purpose Logging, bit 8 the world wide name.
    const uint16_t commonFeatures = 0x7068; // NOP, buffers, look-ahead, write cache, PM
    const uint16_t loggingFeatures =
        static_cast<uint16_t>(0x4023 | (id.wwn.isEmpty() ? 0 : 0x0100));
    s.setWord(82, commonFeatures | (drive.smartSupported ? 0x0001 : 0));
    s.setWord(83, 0x7400);
    s.setWord(84, loggingFeatures);
    s.setWord(85, commonFeatures | (drive.smartEnabled ? 0x0001 : 0));
    s.setWord(86, 0x3400);
    s.setWord(87, loggingFeatures);
    s.setWord(88, 0x407f); // UDMA modes 0-6 supported, 6 selected

    for (int i = 0; i < 4; ++i)
        s.setWord(100 + i, (id.sectors >> (16 * i)) & 0xffff); // words 100-103: 48-bit sectors

    // Word 106: bit 14 valid, bit 13 several logical sectors per physical one,
    // bits 3..0 log2 of that number.
    s.setWord(106, id.physicalSectorSize == 4096 ? 0x6003 : 0x4000);

    if (!id.wwn.isEmpty()) {
        // Words 108-111: NAA (4 bits), IEEE OUI (24 bits), unique id (36 bits).
        const QStringList parts = id.wwn.split(QLatin1Char(' '));
        const uint64_t naa = parts[0].toULongLong(nullptr, 16);
        const uint64_t oui = parts[1].toULongLong(nullptr, 16);
        const uint64_t unique = parts[2].toULongLong(nullptr, 16);
        const uint64_t wwn = (naa << 60) | (oui << 36) | unique;
        for (int i = 0; i < 4; ++i)
            s.setWord(108 + i, (wwn >> (48 - 16 * i)) & 0xffff);
    }

    static const QStringList formFactors = {QString(),
                                            QStringLiteral("5.25"),
                                            QStringLiteral("3.5"),
                                            QStringLiteral("2.5"),
                                            QStringLiteral("1.8"),
                                            QStringLiteral("<1.8")};
    s.setWord(168, static_cast<uint16_t>(formFactors.indexOf(id.formFactor))); // form factor
    s.setWord(169, id.trim ? 0x0001 : 0); // DATA SET MANAGEMENT (TRIM) supported
    s.setWord(217, id.rotationRate);      // nominal media rotation rate
    s.setWord(255, 0x00a5);               // integrity word: signature 0xa5, checksum byte 511
    s.setChecksum();
    return s;
}

// SMART READ DATA (attribute values):
//   0-1     data structure revision
//   2-361   30 attribute entries of 12 bytes: id, flags (2), value, worst, raw (6), reserved
//   362     offline data collection status
//   363     self-test execution status
//   364-365 seconds to complete offline data collection
//   367     offline data collection capabilities
//   368-369 SMART capabilities
//   370     error logging capability
//   372     short self-test polling time (minutes)
//   373     extended self-test polling time (minutes, 0xff = see 375-376)
//   374     conveyance self-test polling time (minutes)
//   375-376 extended self-test polling time (minutes, word)
//   511     checksum
Sector valuesSector(const DriveSpec &drive)
{
    Sector s;
    s.setLittleEndian(0, drive.attributeRevision, 2);
    for (qsizetype i = 0; i < drive.attributes.size(); ++i) {
        const Attribute &a = drive.attributes[i];
        const int at = 2 + 12 * static_cast<int>(i);
        s.setByte(at, static_cast<uint8_t>(a.id));
        s.setLittleEndian(at + 1, a.flags, 2);
        s.setByte(at + 3, a.value);
        s.setByte(at + 4, a.worst);
        for (int b = 0; b < 6; ++b)
            s.setByte(at + 5 + b, a.raw[b]);
    }
    s.setByte(362, drive.offlineStatus);
    s.setByte(363, drive.selfTestStatus);
    s.setLittleEndian(364, drive.offlineTime, 2);
    s.setByte(367, drive.offlineCapabilities);
    s.setLittleEndian(368, drive.smartCapabilities, 2);
    s.setByte(370, drive.errorLoggingCapability);
    s.setByte(372, drive.shortTestMinutes);
    s.setByte(373, static_cast<uint8_t>(std::min<int>(drive.longTestMinutes, 0xff)));
    s.setByte(374, drive.conveyanceTestMinutes);
    s.setLittleEndian(375, drive.longTestMinutes, 2);
    s.setChecksum();
    return s;
}

// SMART READ ATTRIBUTE THRESHOLDS: revision (2 bytes), then 30 entries of 12 bytes
// (id, threshold, 10 reserved) in the same slots as the values, checksum in byte 511.
Sector thresholdsSector(const DriveSpec &drive)
{
    Sector s;
    s.setLittleEndian(0, drive.attributeRevision, 2);
    for (qsizetype i = 0; i < drive.attributes.size(); ++i) {
        const int at = 2 + 12 * static_cast<int>(i);
        s.setByte(at, static_cast<uint8_t>(drive.attributes[i].id));
        s.setByte(at + 1, drive.attributes[i].thresh);
    }
    s.setChecksum();
    return s;
}

bool hasSelectiveLog(const DriveSpec &drive)
{
    return drive.offlineCapabilities & 0x40; // selective self-test supported
}

// SMART log directory (log 0): version word, then for each log address N the number of
// sectors in byte 2*N. Not checksummed.
Sector logDirectorySector(const DriveSpec &drive)
{
    Sector s;
    s.setLittleEndian(0, 1, 2);
    s.setByte(2 * 0x01, 1); // summary error log
    s.setByte(2 * 0x06, 1); // self-test log
    if (hasSelectiveLog(drive))
        s.setByte(2 * 0x09, 1); // selective self-test log
    return s;
}

// Summary error log (log 1):
//   0       version (1)
//   1       index of the most recent entry, 1-5 (0 = no errors logged)
//   2-451   five 90-byte entries, a circular buffer
//   452-453 device error count
//   511     checksum
// Each entry: five 12-byte command structures, oldest first (device control, features,
// count, LBA low, LBA mid, LBA high, device/head, command, 4-byte timestamp in ms), then the
// error structure at 60: reserved, error, count, LBA low, mid, high, device/head, status,
// 19 extended bytes, state at 87, lifetime hours at 88-89.
Sector errorLogSector(const DriveSpec &drive)
{
    Sector s;
    s.setByte(0, 1);
    const int count = drive.errorCount;
    if (count > 0) {
        // Error number k lives in slot (k-1) mod 5, so the newest is error number `count`.
        const int newest = (count - 1) % 5;
        s.setByte(1, static_cast<uint8_t>(newest + 1));
        for (qsizetype n = 0; n < drive.errors.size(); ++n) {
            const ErrorEntry &e = drive.errors[n];
            const int at = 2 + 90 * ((newest - static_cast<int>(n) + 5) % 5);
            for (qsizetype c = 0; c < e.commands.size(); ++c) {
                // The failing command is the fifth structure, earlier ones come before it.
                const ErrorCommand &cmd = e.commands[c];
                const int ca = at + 12 * (4 - static_cast<int>(c));
                s.setByte(ca + 0, cmd.devctl);
                s.setByte(ca + 1, cmd.features);
                s.setByte(ca + 2, cmd.count);
                s.setLittleEndian(ca + 3, cmd.lba & 0xffffff, 3);
                s.setByte(ca + 6, cmd.device);
                s.setByte(ca + 7, cmd.command);
                s.setLittleEndian(ca + 8, cmd.timestampMs, 4);
            }
            s.setByte(at + 61, e.er);
            s.setByte(at + 62, e.sc);
            s.setLittleEndian(at + 63, e.lba & 0xffffff, 3);
            s.setByte(at + 66, e.dh);
            s.setByte(at + 67, e.st);
            s.setByte(at + 87, e.state);
            s.setLittleEndian(at + 88, e.lifetimeHours, 2);
        }
    }
    s.setLittleEndian(452, drive.errorCount, 2);
    s.setChecksum();
    return s;
}

// Self-test log (log 6):
//   0-1     revision (1)
//   2-505   21 descriptors of 24 bytes, a circular buffer: test type (the LBA low value the
//           test was started with), status, lifetime hours (2), checkpoint, failing LBA (4),
//           15 vendor bytes
//   508     index of the most recent descriptor, 1-21 (0 = none)
//   511     checksum
Sector selfTestLogSector(const DriveSpec &drive)
{
    Sector s;
    s.setLittleEndian(0, 1, 2);
    const int total = static_cast<int>(drive.selfTests.size());
    for (int n = 0; n < total; ++n) {
        const SelfTestEntry &t = drive.selfTests[n];
        const int at = 2 + 24 * (total - 1 - n);
        s.setByte(at, t.type);
        s.setByte(at + 1, t.status);
        s.setLittleEndian(at + 2, t.lifetimeHours, 2);
        s.setLittleEndian(at + 5, t.lba, 4);
    }
    s.setByte(508, static_cast<uint8_t>(total));
    s.setChecksum();
    return s;
}

// Selective self-test log (log 9): revision 1, five empty spans, no test running.
Sector selectiveLogSector()
{
    Sector s;
    s.setLittleEndian(0, 1, 2);
    s.setChecksum();
    return s;
}

// One command as smartctl's ioctl report shows it.
struct Command
{
    QByteArray name;
    int logAddress = -1; // SMART READ LOG only
    QByteArray input;    // the " Input:" register line
    QByteArray output;   // the " Output:" register line, if any
    QByteArray result = "0";
    std::optional<Sector> data;
};

QByteArray smartInput(const char *features, const char *lbaLow, bool dataIn)
{
    return QByteArray(" Input:   FR=") + features + ", SC=" + (dataIn ? "0x01" : "....") +
           ", LL=" + lbaLow + ", LM=0x4f, LH=0xc2, DEV=...., CMD=0xb0" + (dataIn ? " IN" : "");
}

Command identifyCommand(const DriveSpec &drive)
{
    return {"IDENTIFY DEVICE",
            -1,
            " Input:   FR=...., SC=0x01, LL=...., LM=...., LH=...., DEV=...., CMD=0xec IN",
            {},
            "0",
            identifySector(drive)};
}

Command enableCommand()
{
    return {"SMART ENABLE", -1, smartInput("0xd8", "0x01", false), {}, "0", std::nullopt};
}

Command readLogCommand(int address, const Sector &sector)
{
    const QByteArray lbaLow = "0x" + QByteArray::number(address, 16).rightJustified(2, '0');
    return {
        "SMART READ LOG", address, smartInput("0xd5", lbaLow.constData(), true), {}, "0", sector};
}

// SMART RETURN STATUS answers through the LBA mid/high registers: 0x4f/0xc2 when the drive
// is fine, 0xf4/0x2c when a threshold is exceeded. In a capture the verdict is the
// command's return value: 0 passed, 1 failing; a failed command carries an errno.
Command statusCommand(Health health)
{
    Command c{"SMART STATUS CHECK", -1, smartInput("0xda", "....", false), {}, "0", std::nullopt};
    switch (health) {
    case Health::Passed:
        c.output = " Output: ERR=...., SC=...., LL=...., LM=0x4f, LH=0xc2, DEV=...., STS=....";
        break;
    case Health::Failing:
        c.output = " Output: ERR=...., SC=...., LL=...., LM=0xf4, LH=0x2c, DEV=...., STS=....";
        c.result = "1";
        break;
    case Health::Unsupported:
        c.result = "-1 errno=38 [Function not implemented]";
        break;
    }
    return c;
}

// The commands "smartctl -a" sends, in its order. A drive with SMART switched off only
// answers IDENTIFY DEVICE to "-a"; its SMART ENABLE follows so that "-s on" replays, and the
// SMART data follow that so that "-s on -a" replays as well.
QList<Command> commandSequence(const DriveSpec &drive)
{
    QList<Command> commands{identifyCommand(drive)};
    if (!drive.smartSupported)
        return commands;
    if (drive.smartEnableBlock && !drive.smartEnabled)
        commands.append(enableCommand());

    commands.append({"SMART READ ATTRIBUTE VALUES",
                     -1,
                     smartInput("0xd0", "....", true),
                     {},
                     "0",
                     valuesSector(drive)});
    commands.append({"SMART READ ATTRIBUTE THRESHOLDS",
                     -1,
                     smartInput("0xd1", "0x01", true),
                     {},
                     "0",
                     thresholdsSector(drive)});
    commands.append(statusCommand(drive.health));
    commands.append(readLogCommand(0x00, logDirectorySector(drive)));
    commands.append(readLogCommand(0x01, errorLogSector(drive)));
    commands.append(readLogCommand(0x06, selfTestLogSector(drive)));
    if (hasSelectiveLog(drive))
        commands.append(readLogCommand(0x09, selectiveLogSector()));

    // Asked for on a drive with SMART on: last, so that "-a" replays everything before it.
    if (drive.smartEnableBlock && drive.smartEnabled)
        commands.append(enableCommand());
    return commands;
}

// A sector as 32 lines "000-015: xx xx ... xx |ascii|".
QByteArray hexDump(const Sector &sector)
{
    QByteArray text;
    const auto &bytes = sector.bytes();
    for (int line = 0; line < 32; ++line) {
        QByteArray hex, ascii;
        for (int i = 0; i < 16; ++i) {
            const uint8_t b = bytes[16 * line + i];
            hex += QByteArray::number(b, 16).rightJustified(2, '0') + ' ';
            ascii += (b >= 0x20 && b <= 0x7e) ? char(b) : '.';
        }
        text += QByteArray::number(16 * line).rightJustified(3, '0') + '-' +
                QByteArray::number(16 * line + 15).rightJustified(3, '0') + ": " + hex + '|' +
                ascii + "|\n";
    }
    return text;
}

QByteArray formatCommand(const QByteArray &device, const Command &c)
{
    const QByteArray head = "REPORT-IOCTL: Device=" + device + " Command=" + c.name;
    QByteArray text = head;
    if (c.logAddress >= 0)
        text += " InputParameter=" + QByteArray::number(c.logAddress);
    text += '\n' + c.input + '\n';
    if (!c.output.isEmpty())
        text += c.output + '\n';
    text += head + " returned " + c.result + "\n\n";
    if (c.data) {
        text += "===== [" + c.name + "] DATA START (BASE-16) =====\n";
        text += hexDump(*c.data);
        text += "===== [" + c.name + "] DATA END (512 Bytes) =====\n\n";
    }
    return text;
}

} // namespace

QByteArray forgeCapture(const DriveSpec &drive)
{
    const QList<Command> commands = commandSequence(drive);
    if (commands.size() > MaxReplayCommands)
        throw ForgeError(QStringLiteral("%1 commands exceed smartctl's replay limit of %2")
                             .arg(commands.size())
                             .arg(MaxReplayCommands));
    QByteArray text;
    const QByteArray device = drive.device.toLatin1();
    for (const Command &c : commands)
        text += formatCommand(device, c);
    if (text.size() >= MaxReplayBytes)
        throw ForgeError(QStringLiteral("the capture (%1 bytes) exceeds smartctl's replay limit "
                                        "of %2 bytes")
                             .arg(text.size())
                             .arg(MaxReplayBytes - 1));
    return text;
}

} // namespace twdrforge
