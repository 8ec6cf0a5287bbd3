// The attribute table ("-A"): ATA rows and NVMe health-log lines become
// attribute objects, and each new attribute is judged for failure.
#include "KZSMARTDrive.h"

#include "KZLog.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZRecordedTexts.h"

#include <cmath>
#include <limits>

namespace {

// A failure reason, kept in English (see KZRecordedTexts).
QString reason(const char *english)
{
    return QString::fromLatin1(english);
}

const QString revisionKey = QStringLiteral("SMART Attributes Data Structure revision number:");

bool isBlankOrTab(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Reads a row column by column. Before every read it skips blanks and tabs; a
// read that finds nothing it can use leaves the position where it was.
class RowScanner
{
public:
    explicit RowScanner(const QString &text) : m_text(text) {}

    // A signed decimal integer; digits beyond the 64-bit range saturate.
    std::optional<qint64> scanInteger()
    {
        skipBlanks();
        qsizetype at = m_at;
        bool negative = false;
        if (at < m_text.size() &&
            (m_text.at(at) == QLatin1Char('-') || m_text.at(at) == QLatin1Char('+'))) {
            negative = m_text.at(at) == QLatin1Char('-');
            ++at;
        }
        if (at >= m_text.size() || !isDigit(m_text.at(at)))
            return std::nullopt;
        constexpr quint64 limit = quint64(std::numeric_limits<qint64>::max()) + 1;
        quint64 magnitude = 0;
        for (; at < m_text.size() && isDigit(m_text.at(at)); ++at) {
            const quint64 digit = m_text.at(at).unicode() - '0';
            magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
        }
        m_at = at;
        if (negative)
            return magnitude >= limit ? std::numeric_limits<qint64>::min() : -qint64(magnitude);
        return magnitude >= limit ? std::numeric_limits<qint64>::max() : qint64(magnitude);
    }

    // A hexadecimal number with an optional "0x" prefix; saturates at 32 bits.
    std::optional<quint32> scanHex()
    {
        skipBlanks();
        qsizetype at = m_at;
        if (m_text.mid(at, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0 &&
            at + 2 < m_text.size() && hexDigit(m_text.at(at + 2)) >= 0)
            at += 2;
        if (at >= m_text.size() || hexDigit(m_text.at(at)) < 0)
            return std::nullopt;
        quint64 value = 0;
        for (; at < m_text.size() && hexDigit(m_text.at(at)) >= 0; ++at)
            value = qMin<quint64>(value * 16 + quint64(hexDigit(m_text.at(at))), 0xffffffffu);
        m_at = at;
        return quint32(value);
    }

    // The next run of characters that are neither blank nor tab.
    std::optional<QString> scanRun()
    {
        skipBlanks();
        const qsizetype start = m_at;
        while (m_at < m_text.size() && !isBlankOrTab(m_text.at(m_at)))
            ++m_at;
        if (m_at == start)
            return std::nullopt;
        return m_text.mid(start, m_at - start);
    }

    // Moves to the next decimal digit; false (and no move) when none follows.
    bool skipToDigit()
    {
        qsizetype at = m_at;
        while (at < m_text.size() && !isDigit(m_text.at(at)))
            ++at;
        if (at >= m_text.size())
            return false;
        m_at = at;
        return true;
    }

private:
    static int hexDigit(QChar c)
    {
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9')
            return u - '0';
        if (u >= 'a' && u <= 'f')
            return u - 'a' + 10;
        if (u >= 'A' && u <= 'F')
            return u - 'A' + 10;
        return -1;
    }

    void skipBlanks()
    {
        while (m_at < m_text.size() && isBlankOrTab(m_text.at(m_at)))
            ++m_at;
    }

    const QString &m_text;
    qsizetype m_at = 0;
};

// 1.8 x value + 32 in double precision, truncated toward zero; values beyond
// the 64-bit range saturate instead of overflowing.
qint64 toFahrenheit(qint64 celsius)
{
    const double fahrenheit = 1.8 * double(celsius) + 32.0;
    if (fahrenheit >= 9.2e18)
        return std::numeric_limits<qint64>::max();
    if (fahrenheit <= -9.2e18)
        return std::numeric_limits<qint64>::min();
    return qint64(fahrenheit);
}

bool preference(const char *key)
{
    return KZPreferences::standard().boolForKey(QString::fromLatin1(key));
}

} // namespace

KZSMARTDrive::AttributeSettings KZSMARTDrive::AttributeSettings::current()
{
    AttributeSettings settings;
    settings.fahrenheit = preference("DisplayTempInFahrenheit");
    settings.ignore190 = preference("IgnoreAttribute190");
    settings.ignore196 = preference("IgnoreAttribute196");
    settings.rememberBadSectors = preference("RememberBadSectors");
    if (preference("CustomBadSectorCount"))
        settings.badSectorLimit =
            KZPreferences::standard().integerForKey(KZPreferenceKeys::customBadSectorCountValue);
    return settings;
}

QString KZSMARTDrive::rememberedCountKey(const QString &suffix) const
{
    return (m_serialNumber ? *m_serialNumber : m_location) + suffix;
}

const KZSMARTAttribute *KZSMARTDrive::driveAttribute(quint64 index) const
{
    if (!m_attributes || index >= quint64(m_attributes->size()))
        return nullptr;
    return &m_attributes->at(qsizetype(index));
}

qint64 KZSMARTDrive::readRawAttribute(qint32 idNumber) const
{
    if (m_attributes) {
        for (const KZSMARTAttribute &attribute : *m_attributes) {
            if (attribute.getIDNumber() == idNumber)
                return attribute.getRaw();
        }
    }
    return -1;
}

std::optional<qint64> KZSMARTDrive::driveTemperatureCelsius() const
{
    qint64 value = driveTemperature();
    if (value == -1)
        value = driveAirflowTemperature();
    if (value == -1)
        return std::nullopt;
    if (!m_temperaturesInFahrenheit)
        return value;
    // The table holds 1.8 x C + 32 truncated: the whole C that gives it.
    const auto estimate = qint64(std::floor((double(value) - 32.0) / 1.8));
    for (qint64 celsius = estimate - 1; celsius <= estimate + 2; ++celsius) {
        if (toFahrenheit(celsius) == value)
            return celsius;
    }
    return qRound64((double(value) - 32.0) / 1.8);
}

void KZSMARTDrive::parseAttributes()
{
    m_nvmeNextAttributeID = -1;
    const std::optional<QStringList> lines = stepLines(AttributeTable);
    if (!lines) {
        debugLog(QStringLiteral("Error parsing attributes."));
        return;
    }
    debugLog(QStringLiteral("Parsing attributes."));
    m_attributeCount = 0;
    m_attributes = QList<KZSMARTAttribute>();
    const AttributeSettings settings = AttributeSettings::current();
    m_temperaturesInFahrenheit = settings.fahrenheit;

    bool revisionFound = false;
    bool headerFound = false;
    for (const QString &line : *lines) {
        if (!revisionFound) {
            const qsizetype at = line.indexOf(revisionKey);
            if (at >= 0) {
                // The number follows the label, wherever the label starts.
                m_attributeRevision = convertStringToInt(line.mid(at + revisionKey.size()), false);
                revisionFound = true;
                debugLog(QStringLiteral("Found SMART attributes data structure revision."));
            }
        }
        if (headerFound && !line.contains(QLatin1String("REPLAY-IOCTL"))) {
            debugLog(QStringLiteral("Found attribute."));
            m_attributes->append(m_isNVMe ? parseNVMeAttributeLine(line, settings)
                                          : parseAttributeLine(line, settings));
            ++m_attributeCount;
            evaluateAttribute(m_attributes->last(), settings);
        }
        if (!headerFound && (line.contains(QLatin1String("ID# ATTRIBUTE_NAME")) ||
                             line.contains(QLatin1String("NVMe Log"))))
            headerFound = true;
    }
    debugLog(QStringLiteral("Done parsing attributes"));
}

KZSMARTAttribute KZSMARTDrive::parseAttributeLine(const QString &line) const
{
    return parseAttributeLine(line, AttributeSettings::current());
}

KZSMARTAttribute KZSMARTDrive::parseAttributeLine(const QString &line,
                                                  const AttributeSettings &settings) const
{
    KZSMARTAttribute attribute;
    const bool fahrenheit = settings.fahrenheit;
    RowScanner scanner(line);

    if (const std::optional<qint64> id = scanner.scanInteger())
        attribute.setIDNumber(qint32(qBound(qint64(std::numeric_limits<qint32>::min()), *id,
                                            qint64(std::numeric_limits<qint32>::max()))));
    const bool temperatureID = attribute.getIDNumber() == 190 || attribute.getIDNumber() == 194;

    if (const std::optional<QString> name = scanner.scanRun()) {
        if (temperatureID && fahrenheit)
            attribute.setName(
                QString::fromLatin1(QT_TRANSLATE_NOOP("KZSMARTAttribute", "Temperature (F)")));
        else
            attribute.setName(*name);
    }

    if (const std::optional<quint32> flag = scanner.scanHex()) {
        attribute.setFlag(*flag);
    } else {
        attribute.setFlag(0);
        scanner.scanRun();
    }

    const auto readNumber = [&scanner]() -> qint64 {
        if (const std::optional<qint64> number = scanner.scanInteger())
            return *number;
        scanner.scanRun();
        return -1;
    };
    attribute.setValue(readNumber());
    attribute.setWorst(readNumber());
    attribute.setThresh(readNumber());

    if (const std::optional<QString> type = scanner.scanRun())
        attribute.setType(*type);
    if (const std::optional<QString> updated = scanner.scanRun())
        attribute.setUpdated(*updated);

    if (const std::optional<QString> whenFailed = scanner.scanRun()) {
        if (whenFailed->contains(QLatin1Char('-')))
            attribute.setFailed(KZSMARTAttribute::NeverFailed);
        if (whenFailed->contains(QLatin1String("FAILING_NOW")))
            attribute.setFailed(KZSMARTAttribute::FailingNow);
        if (whenFailed->contains(QLatin1String("In_the_past")))
            attribute.setFailed(KZSMARTAttribute::FailedInThePast);
    }

    if (const std::optional<qint64> raw = scanner.scanInteger())
        attribute.setRaw(fahrenheit && temperatureID ? toFahrenheit(*raw) : *raw);
    else
        attribute.setRaw(-1);

    if (line.contains(QLatin1String("Min/Max"))) {
        const auto readLimit = [&]() -> std::optional<qint64> {
            if (!scanner.skipToDigit())
                return std::nullopt;
            const std::optional<qint64> limit = scanner.scanInteger();
            if (limit && fahrenheit)
                return toFahrenheit(*limit);
            return limit;
        };
        if (const std::optional<qint64> min = readLimit())
            attribute.setMin(*min);
        if (const std::optional<qint64> max = readLimit())
            attribute.setMax(*max);
        attribute.setTemperatureAvailable(true);
    } else {
        attribute.setTemperatureAvailable(false);
    }
    return attribute;
}

KZSMARTAttribute KZSMARTDrive::parseNVMeAttributeLine(const QString &line)
{
    return parseNVMeAttributeLine(line, AttributeSettings::current());
}

KZSMARTAttribute KZSMARTDrive::parseNVMeAttributeLine(const QString &line,
                                                      const AttributeSettings &settings)
{
    KZSMARTAttribute attribute;
    const qsizetype separator = line.indexOf(QStringLiteral(": "));
    const QString name = separator < 0 ? line : line.left(separator);
    QString value = parseLine(line);
    value.remove(QLatin1Char(','));

    const auto firstNumber = [&value]() -> qint64 {
        const std::optional<qint64> number = RowScanner(value).scanInteger();
        return number.value_or(-1);
    };

    if (name == QLatin1String("Temperature")) {
        attribute.setIDNumber(194);
        const std::optional<qint64> celsius = RowScanner(value).scanInteger();
        if (settings.fahrenheit) {
            attribute.setName(QString::fromLatin1(
                QT_TRANSLATE_NOOP("KZSMARTAttribute", "Temperature Fahrenheit")));
            attribute.setRaw(celsius ? toFahrenheit(*celsius) : -1);
        } else {
            attribute.setName(
                QString::fromLatin1(QT_TRANSLATE_NOOP("KZSMARTAttribute", "Temperature Celsius")));
            attribute.setRaw(celsius.value_or(-1));
        }
        attribute.setNvmeValue(QString::number(attribute.getRaw()));
    } else if (name == QLatin1String("Power On Hours")) {
        attribute.setIDNumber(9);
        attribute.setName(name);
        attribute.setRaw(firstNumber());
        attribute.setNvmeValue(QString::number(attribute.getRaw()));
    } else {
        attribute.setIDNumber(m_nvmeNextAttributeID);
        --m_nvmeNextAttributeID;
        attribute.setName(name);
        attribute.setNvmeValue(value);
    }
    return attribute;
}

void KZSMARTDrive::evaluateAttribute(const KZSMARTAttribute &attribute,
                                     const AttributeSettings &settings)
{
    const qint32 id = attribute.getIDNumber();
    const bool ignore190 = settings.ignore190;
    const bool ignore196 = settings.ignore196;
    const bool ignored = (ignore190 && id == 190) || (ignore196 && id == 196);

    if (attribute.getFailed() == KZSMARTAttribute::FailingNow) {
        if (!ignored)
            m_health = 3;
        switch (id) {
        case 5:
            m_reallocatedSectorsFail = 3;
            addFailureReasonsString(reason(
                QT_TRANSLATE_NOOP("KZRecordedTexts", "Reallocated bad sector status is failed")));
            break;
        case 190:
            if (!ignore190) {
                m_otherAttributesFail = 3;
                addFailureReasonsString(
                    reason(QT_TRANSLATE_NOOP("KZRecordedTexts", "Attribute 190 status is failed")));
            }
            break;
        case 196:
            if (!ignore196) {
                m_reallocatedEventsFail = 3;
                addFailureReasonsString(reason(
                    QT_TRANSLATE_NOOP("KZRecordedTexts", "Reallocated event status is failed")));
            }
            break;
        case 197:
            m_currentSectorsFail = 3;
            addFailureReasonsString(reason(
                QT_TRANSLATE_NOOP("KZRecordedTexts", "Current bad sectors status is failed")));
            break;
        case 198:
            m_offlineSectorsFail = 3;
            addFailureReasonsString(reason(
                QT_TRANSLATE_NOOP("KZRecordedTexts", "Offline bad sector status is failed")));
            break;
        default:
            m_otherAttributesFail = 3;
            addFailureReasonsString(
                KZRecordedTexts::english(KZRecordedTexts::attributeFailed, {QString::number(id)}));
            break;
        }
        debugLog(QStringLiteral("Found failed attribute!!"));
    } else if (attribute.getFailed() == KZSMARTAttribute::FailedInThePast && m_health != 3) {
        if (!ignored)
            m_health = 2;
        switch (id) {
        case 5:
            m_reallocatedSectorsFail = 2;
            addFailureReasonsString(reason(QT_TRANSLATE_NOOP(
                "KZRecordedTexts", "Reallocated bad sector status failed in the past")));
            break;
        case 190:
            if (!ignore190) {
                m_otherAttributesFail = 2;
                addFailureReasonsString(reason(QT_TRANSLATE_NOOP(
                    "KZRecordedTexts", "Attribute 190 status is failed in the past")));
            }
            break;
        case 196:
            if (!ignore196) {
                m_reallocatedEventsFail = 2;
                addFailureReasonsString(reason(QT_TRANSLATE_NOOP(
                    "KZRecordedTexts", "Reallocated event status failed in the past")));
            }
            break;
        case 197:
            m_currentSectorsFail = 2;
            addFailureReasonsString(reason(QT_TRANSLATE_NOOP(
                "KZRecordedTexts", "Current bad sector status failed in the past")));
            break;
        case 198:
            m_offlineSectorsFail = 2;
            addFailureReasonsString(reason(QT_TRANSLATE_NOOP(
                "KZRecordedTexts", "Offline bad sector status failed in the past")));
            break;
        default:
            m_otherAttributesFail = 2;
            addFailureReasonsString(KZRecordedTexts::english(
                KZRecordedTexts::attributeFailedInThePast, {QString::number(id)}));
            break;
        }
        debugLog(QStringLiteral("Found failing in the past attribute!!"));
    }

    // Bad-sector counts: a count above the limit that grew since the last
    // remembered one makes the drive failing.
    struct CountRule
    {
        qint32 id;
        const char *suffix;
        qint32 KZSMARTDrive::*level;
        const char *reason;
        const char *debugLine;
    };
    static const CountRule rules[] = {
        {5, "_LastReallocatedSectorCount", &KZSMARTDrive::m_reallocatedSectorsFail,
         QT_TRANSLATE_NOOP("KZRecordedTexts", "Too many reallocated bad sectors"),
         "Found too many reallocated bad sectors!!!"},
        {196, "_LastReallocatedEventCount", &KZSMARTDrive::m_reallocatedEventsFail,
         QT_TRANSLATE_NOOP("KZRecordedTexts", "Too many reallocated events"),
         "Found too many reallocated events!!!"},
        {197, "_LastCurrentSectorCount", &KZSMARTDrive::m_currentSectorsFail,
         QT_TRANSLATE_NOOP("KZRecordedTexts", "Too many current bad sectors"),
         "Found too many current bad sectors!!!"},
        {198, "_LastOfflineSectorCount", &KZSMARTDrive::m_offlineSectorsFail,
         QT_TRANSLATE_NOOP("KZRecordedTexts", "Too many offline bad sectors"),
         "Found too many offline bad sectors!!!"},
    };
    for (const CountRule &rule : rules) {
        if (rule.id != id)
            continue;
        KZPreferences &preferences = KZPreferences::standard();
        const QString key = rememberedCountKey(QString::fromLatin1(rule.suffix));
        const qint64 remembered =
            settings.rememberBadSectors ? preferences.rememberedIntegerForKey(key) : -1;
        const qint64 threshold = settings.badSectorLimit;
        const qint64 raw = attribute.getRaw();
        const bool grew =
            remembered < raw && raw > threshold && raw < 1000000 && (id != 196 || !ignore196);
        if (grew && m_health != 3 && this->*rule.level != 3) {
            m_health = 2;
            this->*rule.level = 2;
            addFailureReasonsString(reason(rule.reason));
            debugLog(QString::fromLatin1(rule.debugLine));
        }
        // A saved report is judged with the live drive's remembered count
        // but never changes it: viewing an old report must not change how
        // the disk is judged at its next check.
        if (!m_driveFromFile)
            preferences.setInteger(key, id == 5 ? raw : qint64(qint32(raw)));
        break;
    }
}
