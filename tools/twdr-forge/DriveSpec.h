// The drive description that twdr-forge turns into a raw capture, and its JSON reader.
// Every member carries the default used when the JSON leaves the key out, so an empty
// object describes a healthy generic SATA hard disk. README.md documents the JSON keys.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <stdexcept>

namespace twdrforge {

// Raised for any invalid input; what() is a complete message naming the offending key.
class ForgeError : public std::runtime_error
{
public:
    explicit ForgeError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

struct Identity
{
    QString model = QStringLiteral("FORGED TEST DISK 1TB"); // up to 40 ASCII characters
    QString serial = QStringLiteral("FRG0000000001");       // up to 20
    QString firmware = QStringLiteral("FRG1.0");            // up to 8
    uint64_t sectors = 1953525168;                          // 512-byte sectors (48-bit LBA count)
    uint16_t rotationRate = 7200;                // 0 not reported, 1 solid state, else rpm
    int ataMajor = 8;                            // highest ATA major version (8 = ATA8-ACS)
    uint16_t ataMinor = 0;                       // minor version word, 0 = not indicated
    QString sataVersion = QStringLiteral("3.0"); // "" = no SATA transport reported
    QString sataCurrentSpeed;                    // "1.5", "3.0", "6.0"; "" = the maximum
    int physicalSectorSize = 512;                // 512 or 4096
    QString formFactor;                          // "", "5.25", "3.5", "2.5", "1.8", "<1.8"
    QString wwn;                                 // "N OOOOOO IIIIIIIII" (hex), "" = none
    bool trim = false;                           // default: true for solid state drives
};

struct Attribute
{
    int id = 0;
    uint16_t flags = 0x0032;
    uint8_t value = 100;
    uint8_t worst = 100; // default: the value
    uint8_t thresh = 0;
    std::array<uint8_t, 6> raw{}; // in sector order, least significant byte first
};

// One command of the five that an error log entry keeps (the failing one and four before it).
struct ErrorCommand
{
    uint8_t command = 0xc8; // READ DMA
    uint8_t features = 0;
    uint8_t count = 0;
    uint32_t lba = 0; // 28 bits; bits 27..24 go to the low nibble of the device register
    uint8_t device = 0xe0;
    uint8_t devctl = 0;
    uint32_t timestampMs = 0;
};

struct ErrorEntry
{
    uint16_t lifetimeHours = 0;
    uint8_t state = 0x03; // device state, low nibble 3 = active or idle
    uint8_t er = 0x40;    // error register (UNC)
    uint8_t st = 0x51;    // status register (DRDY, DSC, ERR)
    uint8_t sc = 0;
    uint32_t lba = 0;
    uint8_t dh = 0xe0;
    QList<ErrorCommand> commands; // as printed: the failing command first, at most 5
};

struct SelfTestEntry
{
    uint8_t type = 0x01;   // self-test subcommand (1 short, 2 extended, 3 conveyance, 0x81 ...)
    uint8_t status = 0x00; // high nibble status code, low nibble remaining tenths
    uint16_t lifetimeHours = 0;
    uint32_t lba = 0; // first failing LBA (printed only for failed tests)
};

enum class Health
{
    Passed,
    Failing,
    Unsupported
};

struct DriveSpec
{
    QString device = QStringLiteral("/dev/sda");
    Identity identity;
    bool smartSupported = true;
    bool smartEnabled = true;
    bool smartEnableBlock = false; // default: !smartEnabled
    Health health = Health::Passed;

    uint16_t attributeRevision = 16;
    QList<Attribute> attributes; // default: a typical hard disk table

    uint8_t offlineStatus = 0x82;
    uint8_t selfTestStatus = 0x00;
    uint16_t offlineTime = 600;
    uint8_t offlineCapabilities = 0x7b;
    uint16_t smartCapabilities = 0x0003;
    uint8_t errorLoggingCapability = 0x01;
    uint8_t shortTestMinutes = 2;
    uint16_t longTestMinutes = 120;
    uint8_t conveyanceTestMinutes = 5;

    uint16_t errorCount = 0;        // default: the number of entries
    QList<ErrorEntry> errors;       // newest first, at most 5
    QList<SelfTestEntry> selfTests; // newest first, at most 21
};

// Parses and validates a JSON drive description. Throws ForgeError.
DriveSpec readDriveSpec(const QByteArray &json);

} // namespace twdrforge
