#include "DriveSpec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>
#include <limits>

namespace twdrforge {

namespace {

QString typeName(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

// An integer given as a JSON number or as a decimal or "0x" hexadecimal string.
uint64_t toInteger(const QJsonValue &value, const QString &path, uint64_t min, uint64_t max)
{
    uint64_t number = 0;
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (d < 0 || d != std::floor(d) || d > 9007199254740992.0)
            throw ForgeError(QStringLiteral("%1: %2 is not a whole number from %3 to %4")
                                 .arg(path, QString::number(d, 'g', 17))
                                 .arg(min)
                                 .arg(max));
        number = static_cast<uint64_t>(d);
    } else if (value.isString()) {
        const QString text = value.toString().trimmed();
        bool ok = false;
        if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            number = text.mid(2).toULongLong(&ok, 16);
        else
            number = text.toULongLong(&ok, 10);
        if (!ok)
            throw ForgeError(QStringLiteral("%1: \"%2\" is not a decimal or 0x-hexadecimal number")
                                 .arg(path, value.toString()));
    } else {
        throw ForgeError(QStringLiteral("%1: expected a number (or a string such as \"0x1f\"), "
                                        "found %2")
                             .arg(path, typeName(value)));
    }
    if (number < min || number > max)
        throw ForgeError(QStringLiteral("%1: %2 is out of range %3..%4")
                             .arg(path)
                             .arg(number)
                             .arg(min)
                             .arg(max));
    return number;
}

// Reads the keys of one JSON object, remembering which keys were asked for so that
// misspelt keys are reported instead of silently ignored.
class ObjectReader
{
public:
    ObjectReader(const QJsonObject &object, const QString &path) : m_object(object), m_path(path) {}

    QString pathOf(const QString &key) const
    {
        return m_path.isEmpty() ? key : m_path + QLatin1Char('.') + key;
    }

    bool has(const QString &key)
    {
        m_known.append(key);
        return m_object.contains(key);
    }

    // Undefined when the key is absent.
    QJsonValue value(const QString &key)
    {
        return has(key) ? m_object.value(key) : QJsonValue(QJsonValue::Undefined);
    }

    template <typename T>
    void integer(const QString &key, T &field, uint64_t min = 0,
                 uint64_t max = std::numeric_limits<T>::max())
    {
        if (has(key))
            field = static_cast<T>(toInteger(m_object.value(key), pathOf(key), min, max));
    }

    void boolean(const QString &key, bool &field)
    {
        if (!has(key))
            return;
        const QJsonValue v = m_object.value(key);
        if (!v.isBool())
            throw ForgeError(QStringLiteral("%1: expected true or false, found %2")
                                 .arg(pathOf(key), typeName(v)));
        field = v.toBool();
    }

    void text(const QString &key, QString &field)
    {
        if (!has(key))
            return;
        const QJsonValue v = m_object.value(key);
        if (!v.isString())
            throw ForgeError(
                QStringLiteral("%1: expected a string, found %2").arg(pathOf(key), typeName(v)));
        field = v.toString();
    }

    // A string stored in an IDENTIFY DEVICE text field: printable ASCII, at most maxLength.
    void ataText(const QString &key, QString &field, int maxLength)
    {
        QString s = field;
        text(key, s);
        for (const QChar c : s) {
            if (c.unicode() < 0x20 || c.unicode() > 0x7e)
                throw ForgeError(QStringLiteral("%1: only printable ASCII characters are allowed")
                                     .arg(pathOf(key)));
        }
        if (s.size() > maxLength)
            throw ForgeError(QStringLiteral("%1: \"%2\" is longer than %3 characters")
                                 .arg(pathOf(key), s)
                                 .arg(maxLength));
        field = s;
    }

    QJsonObject object(const QString &key)
    {
        if (!has(key))
            return {};
        const QJsonValue v = m_object.value(key);
        if (!v.isObject())
            throw ForgeError(
                QStringLiteral("%1: expected an object, found %2").arg(pathOf(key), typeName(v)));
        return v.toObject();
    }

    QJsonArray array(const QString &key, qsizetype maxSize)
    {
        if (!has(key))
            return {};
        const QJsonValue v = m_object.value(key);
        if (!v.isArray())
            throw ForgeError(
                QStringLiteral("%1: expected an array, found %2").arg(pathOf(key), typeName(v)));
        const QJsonArray a = v.toArray();
        if (a.size() > maxSize)
            throw ForgeError(QStringLiteral("%1: %2 elements given, at most %3 fit")
                                 .arg(pathOf(key))
                                 .arg(a.size())
                                 .arg(maxSize));
        return a;
    }

    void rejectUnknownKeys() const
    {
        for (const QString &key : m_object.keys()) {
            if (!m_known.contains(key))
                throw ForgeError(QStringLiteral("unknown key \"%1\"%2")
                                     .arg(key, m_path.isEmpty() ? QStringLiteral(" at top level")
                                                                : QStringLiteral(" in ") + m_path));
        }
    }

private:
    QJsonObject m_object;
    QString m_path;
    QStringList m_known;
};

QJsonObject elementObject(const QJsonValue &value, const QString &path)
{
    if (!value.isObject())
        throw ForgeError(
            QStringLiteral("%1: expected an object, found %2").arg(path, typeName(value)));
    return value.toObject();
}

QString indexed(const QString &path, qsizetype index)
{
    return QStringLiteral("%1[%2]").arg(path).arg(index);
}

// Bits 27..24 of a 28-bit LBA live in the low nibble of the device/head register.
uint8_t deviceRegister(uint8_t given, uint32_t lba, const QString &path)
{
    const uint8_t nibble = (lba >> 24) & 0x0f;
    if ((given & 0x0f) != 0 && (given & 0x0f) != nibble)
        throw ForgeError(QStringLiteral("%1: low nibble 0x%2 contradicts LBA bits 27..24 (0x%3); "
                                        "give the LBA only")
                             .arg(path)
                             .arg(given & 0x0f, 0, 16)
                             .arg(nibble, 0, 16));
    return (given & 0xf0) | nibble;
}

std::array<uint8_t, 6> rawBytes(uint64_t value)
{
    std::array<uint8_t, 6> raw{};
    for (int i = 0; i < 6; ++i)
        raw[i] = (value >> (8 * i)) & 0xff;
    return raw;
}

// The attribute table of an ordinary, healthy hard disk.
QList<Attribute> defaultAttributes()
{
    auto a = [](int id, uint16_t flags, uint8_t value, uint8_t worst, uint8_t thresh,
                uint64_t raw) {
        Attribute attribute;
        attribute.id = id;
        attribute.flags = flags;
        attribute.value = value;
        attribute.worst = worst;
        attribute.thresh = thresh;
        attribute.raw = rawBytes(raw);
        return attribute;
    };
    Attribute temperature = a(194, 0x0022, 35, 45, 0, 0);
    temperature.raw = {35, 0, 18, 0, 45, 0}; // current, minimum and maximum
    return {a(1, 0x000f, 100, 100, 6, 0),
            a(3, 0x0003, 97, 97, 0, 0),
            a(4, 0x0032, 100, 100, 20, 120),
            a(5, 0x0033, 100, 100, 10, 0),
            a(7, 0x000f, 100, 100, 30, 0),
            a(9, 0x0032, 99, 99, 0, 1234),
            a(10, 0x0013, 100, 100, 97, 0),
            a(12, 0x0032, 100, 100, 20, 118),
            temperature,
            a(197, 0x0012, 100, 100, 0, 0),
            a(198, 0x0010, 100, 100, 0, 0),
            a(199, 0x003e, 200, 200, 0, 0)};
}

void readIdentity(const QJsonObject &object, Identity &id)
{
    ObjectReader r(object, QStringLiteral("identity"));
    r.ataText(QStringLiteral("model"), id.model, 40);
    r.ataText(QStringLiteral("serial"), id.serial, 20);
    r.ataText(QStringLiteral("firmware"), id.firmware, 8);
    r.integer(QStringLiteral("sectors"), id.sectors, 1, (uint64_t(1) << 48) - 1);
    r.integer(QStringLiteral("rotationRate"), id.rotationRate, 0, 0xfffe);
    r.integer(QStringLiteral("ataMajor"), id.ataMajor, 1, 14);
    r.integer(QStringLiteral("ataMinor"), id.ataMinor);

    r.text(QStringLiteral("sataVersion"), id.sataVersion);
    static const QStringList sataVersions = {QString(),
                                             QStringLiteral("1.0"),
                                             QStringLiteral("2.5"),
                                             QStringLiteral("2.6"),
                                             QStringLiteral("3.0"),
                                             QStringLiteral("3.1"),
                                             QStringLiteral("3.2"),
                                             QStringLiteral("3.3"),
                                             QStringLiteral("3.4"),
                                             QStringLiteral("3.5")};
    if (!sataVersions.contains(id.sataVersion))
        throw ForgeError(QStringLiteral("identity.sataVersion: \"%1\" is not one of \"%2\"")
                             .arg(id.sataVersion, sataVersions.join(QStringLiteral("\", \""))));

    r.text(QStringLiteral("sataCurrentSpeed"), id.sataCurrentSpeed);
    static const QStringList speeds = {QString(), QStringLiteral("1.5"), QStringLiteral("3.0"),
                                       QStringLiteral("6.0")};
    if (!speeds.contains(id.sataCurrentSpeed))
        throw ForgeError(QStringLiteral("identity.sataCurrentSpeed: \"%1\" is not one of "
                                        "\"1.5\", \"3.0\", \"6.0\"")
                             .arg(id.sataCurrentSpeed));

    r.integer(QStringLiteral("physicalSectorSize"), id.physicalSectorSize, 512, 4096);
    if (id.physicalSectorSize != 512 && id.physicalSectorSize != 4096)
        throw ForgeError(QStringLiteral("identity.physicalSectorSize: must be 512 or 4096"));

    r.text(QStringLiteral("formFactor"), id.formFactor);
    static const QStringList formFactors = {QString(),
                                            QStringLiteral("5.25"),
                                            QStringLiteral("3.5"),
                                            QStringLiteral("2.5"),
                                            QStringLiteral("1.8"),
                                            QStringLiteral("<1.8")};
    if (!formFactors.contains(id.formFactor))
        throw ForgeError(QStringLiteral("identity.formFactor: \"%1\" is not one of \"%2\"")
                             .arg(id.formFactor, formFactors.join(QStringLiteral("\", \""))));

    r.text(QStringLiteral("wwn"), id.wwn);
    static const QRegularExpression wwnPattern(
        QStringLiteral("^[0-9a-fA-F] [0-9a-fA-F]{6} [0-9a-fA-F]{9}$"));
    if (!id.wwn.isEmpty() && !wwnPattern.match(id.wwn).hasMatch())
        throw ForgeError(QStringLiteral("identity.wwn: \"%1\" is not of the form "
                                        "\"5 000c50 0a1b2c3d4\" (NAA, OUI, unique id in hex)")
                             .arg(id.wwn));

    id.trim = id.rotationRate == 1;
    r.boolean(QStringLiteral("trim"), id.trim);
    r.rejectUnknownKeys();
}

Attribute readAttribute(const QJsonObject &object, const QString &path)
{
    ObjectReader r(object, path);
    Attribute a;
    if (!r.has(QStringLiteral("id")))
        throw ForgeError(path + QStringLiteral(": \"id\" is required"));
    r.integer(QStringLiteral("id"), a.id, 1, 255);
    r.integer(QStringLiteral("flags"), a.flags);
    r.integer(QStringLiteral("value"), a.value);
    a.worst = a.value;
    r.integer(QStringLiteral("worst"), a.worst);
    r.integer(QStringLiteral("thresh"), a.thresh);
    const QJsonValue raw = r.value(QStringLiteral("raw"));
    const QString rawPath = r.pathOf(QStringLiteral("raw"));
    if (raw.isArray()) {
        const QJsonArray bytes = raw.toArray();
        if (bytes.size() != 6)
            throw ForgeError(rawPath + QStringLiteral(": an array must hold exactly 6 bytes"));
        for (int i = 0; i < 6; ++i)
            a.raw[i] = static_cast<uint8_t>(toInteger(bytes[i], indexed(rawPath, i), 0, 255));
    } else if (!raw.isUndefined()) {
        a.raw = rawBytes(toInteger(raw, rawPath, 0, (uint64_t(1) << 48) - 1));
    }
    r.rejectUnknownKeys();
    return a;
}

ErrorCommand readErrorCommand(const QJsonObject &object, const QString &path)
{
    ObjectReader r(object, path);
    ErrorCommand c;
    r.integer(QStringLiteral("command"), c.command);
    r.integer(QStringLiteral("features"), c.features);
    r.integer(QStringLiteral("count"), c.count);
    r.integer(QStringLiteral("lba"), c.lba, 0, 0x0fffffff);
    r.integer(QStringLiteral("device"), c.device);
    c.device = deviceRegister(c.device, c.lba, r.pathOf(QStringLiteral("device")));
    r.integer(QStringLiteral("devctl"), c.devctl);
    r.integer(QStringLiteral("timestampMs"), c.timestampMs);
    r.rejectUnknownKeys();
    return c;
}

ErrorEntry readErrorEntry(const QJsonObject &object, const QString &path)
{
    ObjectReader r(object, path);
    ErrorEntry e;
    r.integer(QStringLiteral("lifetimeHours"), e.lifetimeHours);
    r.integer(QStringLiteral("state"), e.state);

    ObjectReader er(r.object(QStringLiteral("error")), r.pathOf(QStringLiteral("error")));
    er.integer(QStringLiteral("er"), e.er);
    er.integer(QStringLiteral("st"), e.st);
    er.integer(QStringLiteral("sc"), e.sc);
    er.integer(QStringLiteral("lba"), e.lba, 0, 0x0fffffff);
    er.integer(QStringLiteral("dh"), e.dh);
    e.dh = deviceRegister(e.dh, e.lba, er.pathOf(QStringLiteral("dh")));
    er.rejectUnknownKeys();

    const QString commandsPath = r.pathOf(QStringLiteral("commands"));
    const QJsonArray commands = r.array(QStringLiteral("commands"), 5);
    for (qsizetype i = 0; i < commands.size(); ++i) {
        const QString p = indexed(commandsPath, i);
        e.commands.append(readErrorCommand(elementObject(commands[i], p), p));
    }
    if (e.commands.isEmpty())
        e.commands.append(ErrorCommand{});
    r.rejectUnknownKeys();
    return e;
}

SelfTestEntry readSelfTest(const QJsonObject &object, const QString &path)
{
    ObjectReader r(object, path);
    SelfTestEntry t;
    r.integer(QStringLiteral("type"), t.type);
    r.integer(QStringLiteral("status"), t.status);
    r.integer(QStringLiteral("lifetimeHours"), t.lifetimeHours);
    r.integer(QStringLiteral("lba"), t.lba);
    r.rejectUnknownKeys();
    return t;
}

} // namespace

DriveSpec readDriveSpec(const QByteArray &json)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw ForgeError(QStringLiteral("JSON syntax error at offset %1: %2")
                             .arg(parseError.offset)
                             .arg(parseError.errorString()));
    if (!document.isObject())
        throw ForgeError(QStringLiteral("the description must be a JSON object"));

    DriveSpec drive;
    ObjectReader r(document.object(), QString());

    r.text(QStringLiteral("device"), drive.device);
    static const QRegularExpression devicePattern(QStringLiteral("^[!-~]+$"));
    if (!devicePattern.match(drive.device).hasMatch())
        throw ForgeError(QStringLiteral("device: \"%1\" must be non-empty printable ASCII "
                                        "without blanks")
                             .arg(drive.device));

    readIdentity(r.object(QStringLiteral("identity")), drive.identity);

    r.boolean(QStringLiteral("smartSupported"), drive.smartSupported);
    r.boolean(QStringLiteral("smartEnabled"), drive.smartEnabled);
    drive.smartEnabled = drive.smartEnabled && drive.smartSupported;
    drive.smartEnableBlock = !drive.smartEnabled;
    r.boolean(QStringLiteral("smartEnableBlock"), drive.smartEnableBlock);

    QString health = QStringLiteral("passed");
    r.text(QStringLiteral("health"), health);
    if (health == QLatin1String("passed"))
        drive.health = Health::Passed;
    else if (health == QLatin1String("failing"))
        drive.health = Health::Failing;
    else if (health == QLatin1String("unsupported"))
        drive.health = Health::Unsupported;
    else
        throw ForgeError(QStringLiteral("health: \"%1\" is not one of \"passed\", \"failing\", "
                                        "\"unsupported\"")
                             .arg(health));

    r.integer(QStringLiteral("attributeRevision"), drive.attributeRevision);
    if (r.has(QStringLiteral("attributes"))) {
        const QJsonArray attributes = r.array(QStringLiteral("attributes"), 30);
        for (qsizetype i = 0; i < attributes.size(); ++i) {
            const QString p = indexed(QStringLiteral("attributes"), i);
            drive.attributes.append(readAttribute(elementObject(attributes[i], p), p));
        }
    } else {
        drive.attributes = defaultAttributes();
    }

    r.integer(QStringLiteral("offlineStatus"), drive.offlineStatus);
    r.integer(QStringLiteral("selfTestStatus"), drive.selfTestStatus);
    r.integer(QStringLiteral("offlineTime"), drive.offlineTime);
    r.integer(QStringLiteral("offlineCapabilities"), drive.offlineCapabilities);
    r.integer(QStringLiteral("smartCapabilities"), drive.smartCapabilities);
    r.integer(QStringLiteral("errorLoggingCapability"), drive.errorLoggingCapability);
    r.integer(QStringLiteral("shortTestMinutes"), drive.shortTestMinutes);
    r.integer(QStringLiteral("longTestMinutes"), drive.longTestMinutes);
    r.integer(QStringLiteral("conveyanceTestMinutes"), drive.conveyanceTestMinutes);

    ObjectReader log(r.object(QStringLiteral("errorLog")), QStringLiteral("errorLog"));
    const QJsonArray entries = log.array(QStringLiteral("entries"), 5);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString p = indexed(QStringLiteral("errorLog.entries"), i);
        drive.errors.append(readErrorEntry(elementObject(entries[i], p), p));
    }
    drive.errorCount = static_cast<uint16_t>(drive.errors.size());
    log.integer(QStringLiteral("count"), drive.errorCount);
    if (drive.errorCount < drive.errors.size())
        throw ForgeError(QStringLiteral("errorLog.count: %1 is less than the %2 entries given")
                             .arg(drive.errorCount)
                             .arg(drive.errors.size()));
    log.rejectUnknownKeys();

    const QJsonArray selfTests = r.array(QStringLiteral("selfTestLog"), 21);
    for (qsizetype i = 0; i < selfTests.size(); ++i) {
        const QString p = indexed(QStringLiteral("selfTestLog"), i);
        drive.selfTests.append(readSelfTest(elementObject(selfTests[i], p), p));
    }

    r.rejectUnknownKeys();
    return drive;
}

} // namespace twdrforge
