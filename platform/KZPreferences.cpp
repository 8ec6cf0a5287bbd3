#include "KZPreferences.h"

#include "KZPaths.h"

#include <QMutexLocker>
#include <QSysInfo>

namespace {

// QSettings treats "/" as a group separator and drops a leading one, which
// would merge keys like "/dev/sda_TestEndTime" with "dev/sda_TestEndTime".
// Keys are stored with "/" escaped so every key stays one flat entry.
QString storageKey(const QString &key)
{
    QString escaped = key;
    escaped.replace(QLatin1Char('%'), QStringLiteral("%25"));
    escaped.replace(QLatin1Char('/'), QStringLiteral("%2F"));
    escaped.replace(QLatin1Char('\\'), QStringLiteral("%5C"));
    return escaped;
}

QString hostName()
{
    const QString name = QSysInfo::machineHostName();
    return name.isEmpty() ? QStringLiteral("localhost") : name;
}

QVariantMap commonDefaults()
{
    const QString yes = QStringLiteral("YES");
    const QString no = QStringLiteral("NO");
    return {
        {QStringLiteral("AutoExpandDrives"), yes},
        {QStringLiteral("OutputDebugMessages"), no},
        {QStringLiteral("ShowUnsupportedDrives"), no},
        {QStringLiteral("IgnoreAttribute190"), yes},
        {QStringLiteral("IgnoreAttribute196"), no},
        {QStringLiteral("RememberErrorCount"), no},
        {QStringLiteral("RememberBadSectors"), no},
        {QStringLiteral("DisplayTempInFahrenheit"), no},
        {QStringLiteral("CustomBadSectorCount"), no},
        {QStringLiteral("CustomErrorCount"), no},
        {QStringLiteral("CustomBadSectorCountValue"), 0},
        {QStringLiteral("CustomErrorCountValue"), 50},
        {QStringLiteral("PollDrives"), yes},
        {QStringLiteral("PollingInterval"), 3600},
        {QStringLiteral("FailedTestIsNew"), no},
        {QStringLiteral("GrowlDrivePassed"), yes},
        {QStringLiteral("GrowlDriveFailing"), yes},
        {QStringLiteral("GrowlDriveFailed"), yes},
        {QStringLiteral("GrowlTestCompleted"), yes},
        {QStringLiteral("EmailDrivePassed"), no},
        {QStringLiteral("EmailDriveFailing"), no},
        {QStringLiteral("EmailDriveFailed"), no},
        {QStringLiteral("EmailTestCompleted"), no},
        {QStringLiteral("EmailHostName"), hostName()},
        {QStringLiteral("EmailFromAddress"), QString()},
        {QStringLiteral("EmailToAddress"), QString()},
        {QStringLiteral("EmailSMTPAddress"), QString()},
        {QStringLiteral("EmailAuthenticationType"), 0},
        {QStringLiteral("EmailUsername"), QString()},
        {QStringLiteral("EmailPassword"), QString()},
        {QStringLiteral("EmailCustomPort"), 25},
        {QStringLiteral("EmailSSL"), no},
    };
}

} // namespace

KZPreferences &KZPreferences::standard()
{
    static KZPreferences preferences(KZPaths::preferencesFile());
    return preferences;
}

KZPreferences::KZPreferences(const QString &iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

void KZPreferences::registerApplicationDefaults()
{
    QVariantMap defaults = commonDefaults();
    const QString yes = QStringLiteral("YES");
    defaults.insert(QStringLiteral("Blink1DrivePassed"), yes);
    defaults.insert(QStringLiteral("Blink1DriveFailing"), yes);
    defaults.insert(QStringLiteral("Blink1DriveFailed"), yes);
    defaults.insert(QStringLiteral("Blink1TestCompleted"), yes);
    registerDefaults(defaults);
}

void KZPreferences::registerMenuItemDefaults()
{
    QVariantMap defaults = commonDefaults();
    defaults.insert(QStringLiteral("EmailCustomPort"), QStringLiteral("25"));
    registerDefaults(defaults);
}

void KZPreferences::registerDefaults(const QVariantMap &defaults)
{
    QMutexLocker locker(&m_mutex);
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        m_registered.insert(it.key(), it.value());
}

QVariantMap KZPreferences::registeredDefaults() const
{
    QMutexLocker locker(&m_mutex);
    return m_registered;
}

QVariant KZPreferences::objectForKey(const QString &key) const
{
    QMutexLocker locker(&m_mutex);
    m_settings->sync();
    const QVariant stored = m_settings->value(storageKey(key));
    if (stored.isValid())
        return stored;
    return m_registered.value(key);
}

bool KZPreferences::hasStoredValue(const QString &key) const
{
    QMutexLocker locker(&m_mutex);
    m_settings->sync();
    return m_settings->contains(storageKey(key));
}

bool KZPreferences::toBool(const QVariant &value)
{
    // QVariant reads any non-empty text other than "0" and "false" as true,
    // which would make "NO" true: read the usual spellings by hand.
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return value.toDouble() != 0;
    default:
        break;
    }
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return false;
    if (text.compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0 ||
        text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
        text.compare(QLatin1String("Y"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("NO"), Qt::CaseInsensitive) == 0 ||
        text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 ||
        text.compare(QLatin1String("N"), Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double number = text.toDouble(&isNumber);
    return isNumber && number != 0;
}

qint64 KZPreferences::toInteger(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    bool ok = false;
    const QString text = value.toString().trimmed();
    const qint64 integer = text.toLongLong(&ok);
    if (ok)
        return integer;
    const double number = text.toDouble(&ok);
    if (ok)
        return qint64(number);
    if (text.compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0 ||
        text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return 1;
    return 0;
}

bool KZPreferences::boolForKey(const QString &key) const
{
    return toBool(objectForKey(key));
}

qint64 KZPreferences::integerForKey(const QString &key) const
{
    return toInteger(objectForKey(key));
}

QString KZPreferences::stringForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    return value.isValid() ? value.toString() : QString();
}

QDateTime KZPreferences::dateForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    if (!value.isValid())
        return {};
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
}

void KZPreferences::store(const QString &key, const QVariant &value)
{
    ChangeHook hook;
    {
        QMutexLocker locker(&m_mutex);
        if (value.isValid())
            m_settings->setValue(storageKey(key), value);
        else
            m_settings->remove(storageKey(key));
        m_settings->sync();
        hook = m_changeHook;
    }
    if (hook)
        hook(key);
}

void KZPreferences::setChangeHook(ChangeHook hook)
{
    QMutexLocker locker(&m_mutex);
    m_changeHook = std::move(hook);
}

void KZPreferences::setBool(const QString &key, bool value)
{
    store(key, value ? QStringLiteral("true") : QStringLiteral("false"));
}

void KZPreferences::setInteger(const QString &key, qint64 value)
{
    store(key, value);
}

void KZPreferences::setString(const QString &key, const QString &value)
{
    store(key, value);
}

void KZPreferences::setDate(const QString &key, const QDateTime &value)
{
    store(key, value.toString(Qt::ISODateWithMs));
}

void KZPreferences::removeObjectForKey(const QString &key)
{
    store(key, QVariant());
}

void KZPreferences::synchronize()
{
    QMutexLocker locker(&m_mutex);
    m_settings->sync();
}

QString KZPreferences::fileName() const
{
    return m_settings->fileName();
}
