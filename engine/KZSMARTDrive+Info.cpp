// Identity ("-i") and overall health ("-H") of a drive.
#include "KZSMARTDrive.h"

#include "KZException.h"
#include "KZLog.h"
#include "KZTask.h"

namespace {

// The text between the first "[" and the following "]" of a value.
QString bracketedText(const QString &value)
{
    const qsizetype open = value.indexOf(QLatin1Char('['));
    if (open < 0)
        throw KZException(KZException::unreadableText,
                          QStringLiteral("no capacity in \"%1\"").arg(value));
    const qsizetype close = value.indexOf(QLatin1Char(']'), open + 1);
    return value.mid(open + 1, close < 0 ? -1 : close - open - 1);
}

// The first run of decimal digits of a text as a number, or nothing.
std::optional<int> firstNumber(const QString &text)
{
    qsizetype at = 0;
    while (at < text.size() && !(text.at(at).isDigit() && text.at(at).unicode() < 128))
        ++at;
    if (at >= text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; at < text.size() && text.at(at).isDigit() && text.at(at).unicode() < 128; ++at)
        value = qMin<qint64>(value * 10 + (text.at(at).unicode() - '0'), INT32_MAX);
    return int(value);
}

} // namespace

void KZSMARTDrive::parseInfo()
{
    m_isNVMe = false;
    const std::optional<QStringList> lines = stepLines(Identity);
    if (!lines) {
        debugLog(QStringLiteral("Error parsing information."));
        return;
    }
    debugLog(QStringLiteral("Parsing information."));

    bool family = false, model = false, serial = false, firmware = false, capacity = false,
         rotation = false, ata = false, sata = false, vendor = false;
    bool reenabledSeen = false;
    QString value;
    // SCSI and SAS devices name their maker and product on lines of their
    // own ("Vendor:", "Product:"); the model is both, as in "HPE LOGICAL VOLUME".
    QString vendorName;

    for (const QString &line : *lines) {
        if (!family && line.contains(QLatin1String("Model Family"))) {
            value = parseLine(line);
            storeOnce(m_modelFamily, value);
            family = true;
            debugLog(QStringLiteral("Found model family"));
        }
        if (!model && (line.contains(QLatin1String("Device Model")) ||
                       line.contains(QLatin1String("Model Number")))) {
            value = parseLine(line);
            storeOnce(m_model, value);
            model = true;
            debugLog(QStringLiteral("Found device model."));
        }
        if (!vendor && line.startsWith(QLatin1String("Vendor:"))) {
            vendorName = parseLine(line);
            vendor = true;
            debugLog(QStringLiteral("Found vendor."));
        }
        if (!model && line.startsWith(QLatin1String("Product:"))) {
            value = parseLine(line);
            storeOnce(m_model,
                      vendorName.isEmpty() ? value : vendorName + QLatin1Char(' ') + value);
            model = true;
            debugLog(QStringLiteral("Found device model."));
        }
        if (!serial && (line.contains(QLatin1String("Serial Number")) ||
                        line.contains(QLatin1String("Serial number")))) {
            value = parseLine(line);
            storeOnce(m_serialNumber, value);
            serial = true;
            debugLog(QStringLiteral("Found serial number."));
        }
        if (!firmware && (line.contains(QLatin1String("Firmware Version")) ||
                          (vendor && line.startsWith(QLatin1String("Revision:"))))) {
            value = parseLine(line);
            storeOnce(m_firmwareVersion, value);
            firmware = true;
            debugLog(QStringLiteral("Found firmware version."));
        }
        if (!capacity && line.contains(QLatin1String("User Capacity"))) {
            value = parseLine(line);
            storeOnce(m_capacity, bracketedText(value));
            capacity = true;
            debugLog(QStringLiteral("Found capacity."));
        }
        if (!rotation && line.contains(QLatin1String("Rotation Rate"))) {
            value = parseLine(line);
            storeOnce(m_rotationRate, value);
            rotation = true;
            debugLog(QStringLiteral("Found rotation rate."));
        }
        if (!rotation && line.contains(QLatin1String("PCI Vendor"))) {
            storeOnce(m_rotationRate, QStringLiteral("NVMe SSD"));
            m_isNVMe = true;
            rotation = true;
            debugLog(QStringLiteral("Found rotation rate."));
        }
        if (!ata && line.contains(QLatin1String("ATA Version"))) {
            value = parseLine(line);
            if (value.contains(
                    QLatin1String("Exact ATA specification draft version not indicated")))
                value = QStringLiteral("Unknown");
            if (!m_ataVersion) {
                // A value without any digit (such as "Unknown") is kept as it reads.
                const std::optional<int> major = firstNumber(value);
                m_ataVersion = major ? QString::number(*major) : value;
            }
            ata = true;
            debugLog(QStringLiteral("Found ATA version."));
        }
        if (!sata && line.contains(QLatin1String("SATA Version"))) {
            value = parseLine(line);
            storeOnce(m_sataVersion, value);
            sata = true;
            debugLog(QStringLiteral("Found SATA version."));
        }
        if (ata && line.contains(QLatin1String("Disabled"))) {
            value = parseLine(line);
            debugLog(QStringLiteral("SMART Disabled. Reenabling..."));
            m_argumentCode = SwitchSMARTOn;
            if (const std::optional<QStringList> answer = runSMARTbinary(false)) {
                for (const QString &reply : *answer) {
                    if (reply.contains(QLatin1String("SMART Enabled."))) {
                        debugLog(QStringLiteral("SMART Reenabled."));
                        reenabledSeen = true;
                    }
                }
            }
            if (!reenabledSeen)
                debugLog(QStringLiteral("SMART cannot be reenabled."));
            // In a refresh, the rest is read from a run made after this one.
            m_rereadReport = m_readingReport && reenabledSeen;
        }
    }

    if (!capacity && m_isNVMe)
        readNVMeCapacity(*lines);
    debugLog(QStringLiteral("Done parsing information."));
}

void KZSMARTDrive::readNVMeCapacity(const QStringList &identityLines)
{
    try {
        // smartctl's own NVMe identity has the size: the controller's total
        // capacity, or else the size of the first namespace.
        for (const char *label : {"Total NVM Capacity", "Namespace 1 Size/Capacity"}) {
            for (const QString &line : identityLines) {
                if (line.contains(QLatin1String(label)) && line.contains(QLatin1Char('['))) {
                    storeOnce(m_capacity, bracketedText(parseLine(line)));
                    return;
                }
            }
        }
    } catch (const std::exception &error) {
        KZLog::log(QStringLiteral("Exception occured in parseInfo->NVMe capacity read- %1: %2")
                       .arg(KZException::nameOf(error), KZException::reasonOf(error)));
    }
}

void KZSMARTDrive::parseHealth()
{
    m_healthCheckFailed = false;
    const std::optional<QStringList> lines = stepLines(OverallHealth);
    if (!lines) {
        debugLog(QStringLiteral("Error parsing health."));
        return;
    }
    debugLog(QStringLiteral("Parsing health."));
    const QString notReturned = QStringLiteral("Error parsing health: health not returned.");
    if (lines->size() < 4) {
        debugLog(notReturned);
        m_health = 0;
        return;
    }
    const QString marker = QStringLiteral("result: ");
    // SCSI and SAS devices answer with a status line instead of a test
    // result: "OK", or the device's failure prediction.
    const QString scsiMarker = QStringLiteral("SMART Health Status:");
    for (qsizetype index = 3; index < lines->size(); ++index) {
        const QString &line = lines->at(index);
        const qsizetype at = line.indexOf(marker);
        if (at >= 0) {
            m_overallHealth = line.mid(at + marker.size());
            if (m_overallHealth->contains(QLatin1String("PASSED"))) {
                m_health = 1;
                debugLog(QStringLiteral("Found PASSED health."));
            } else if (m_overallHealth->contains(QLatin1String("FAILED"))) {
                m_health = 3;
                m_healthCheckFailed = true;
                debugLog(QStringLiteral("Found FAILED health."));
            } else {
                m_health = 0;
                debugLog(QStringLiteral("Could not find health."));
            }
            return;
        }
        const qsizetype scsiAt = line.indexOf(scsiMarker);
        if (scsiAt >= 0) {
            m_overallHealth = line.mid(scsiAt + scsiMarker.size()).trimmed();
            if (*m_overallHealth == QLatin1String("OK")) {
                m_health = 1;
                debugLog(QStringLiteral("Found PASSED health."));
            } else {
                m_health = 3;
                m_healthCheckFailed = true;
                debugLog(QStringLiteral("Found FAILED health."));
            }
            return;
        }
    }
    debugLog(notReturned);
    m_health = 0;
}
