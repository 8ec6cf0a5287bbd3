#include "KZPreferences.h"

#include "KZAtomicFile.h"
#include "KZLog.h"
#include "KZPaths.h"
#include "KZPreferenceKeys.h"

#include <QDir>
#include <QFileInfo>

#include <QMutexLocker>
#include <atomic>

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

QString keyOfEntry(const QString &storageKey)
{
    QString key = storageKey;
    key.replace(QStringLiteral("%5C"), QStringLiteral("\\"));
    key.replace(QStringLiteral("%2F"), QStringLiteral("/"));
    key.replace(QStringLiteral("%25"), QStringLiteral("%"));
    return key;
}

std::atomic<KZPreferences *> installedStandard{nullptr};

// Two entries hold the same value when they read the same in the file.
bool sameEntry(const std::optional<QVariant> &a, const std::optional<QVariant> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    if (!a)
        return true;
    if (a->typeId() == QMetaType::QStringList || b->typeId() == QMetaType::QStringList)
        return *a == *b;
    return a->isValid() == b->isValid() && a->toString() == b->toString();
}
} // namespace

KZPreferences &KZPreferences::standard()
{
    if (KZPreferences *installed = installedStandard.load())
        return *installed;
    static KZPreferences preferences(KZPaths::preferencesFile());
    return preferences;
}

void KZPreferences::setStandard(KZPreferences *preferences)
{
    installedStandard.store(preferences);
}

KZPreferences::KZPreferences() = default;

KZPreferences::KZPreferences(const QString &iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

KZPreferences::~KZPreferences()
{
    QMutexLocker locker(&m_mutex);
    writeLocked();
}

void KZPreferences::registerApplicationDefaults()
{
    QVariantMap defaults;
    for (const KZPreferenceKeys::Default &entry : KZPreferenceKeys::defaults())
        defaults.insert(entry.key, entry.value);
    registerDefaults(defaults);
}

void KZPreferences::registerMenuItemDefaults()
{
    QVariantMap defaults;
    for (const KZPreferenceKeys::Default &entry : KZPreferenceKeys::defaults()) {
        if (!entry.applicationOnly)
            defaults.insert(entry.key, entry.value);
    }
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

void KZPreferences::readLocked() const
{
    if (m_settings && m_batchDepth == 0)
        m_settings->sync();
}

std::optional<QVariant> KZPreferences::storedLocked(const QString &storageKey) const
{
    const auto pending = m_pending.constFind(storageKey);
    if (pending != m_pending.constEnd())
        return *pending;
    if (!m_settings) {
        const auto stored = m_memory.constFind(storageKey);
        if (stored == m_memory.constEnd())
            return std::nullopt;
        return *stored;
    }
    QVariant stored = m_settings->value(storageKey);
    if (!stored.isValid())
        return std::nullopt;
    return stored;
}

QVariant KZPreferences::objectForKey(const QString &key) const
{
    QMutexLocker locker(&m_mutex);
    readLocked();
    if (std::optional<QVariant> stored = storedLocked(storageKey(key)))
        return *stored;
    return m_registered.value(key);
}

bool KZPreferences::hasStoredValue(const QString &key) const
{
    QMutexLocker locker(&m_mutex);
    readLocked();
    return storedLocked(storageKey(key)).has_value();
}

qint64 KZPreferences::rememberedIntegerForKey(const QString &key) const
{
    QMutexLocker locker(&m_mutex);
    readLocked();
    const QString entry = storageKey(key);
    const auto original = m_batchOriginals.constFind(entry);
    const std::optional<QVariant> value =
        original != m_batchOriginals.constEnd() ? *original : storedLocked(entry);
    return toInteger(value ? *value : m_registered.value(key));
}

void KZPreferences::changeLocked(const QString &key, const std::optional<QVariant> &value)
{
    const QString entry = storageKey(key);
    const std::optional<QVariant> current = storedLocked(entry);
    if (sameEntry(current, value))
        return;
    if (m_batchDepth > 0) {
        const auto original = m_batchOriginals.constFind(entry);
        if (original == m_batchOriginals.constEnd()) {
            m_batchOriginals.insert(entry, current);
        } else if (sameEntry(*original, value)) {
            // Back to what the file holds: nothing to write.
            m_pending.remove(entry);
            return;
        }
    }
    m_pending.insert(entry, value);
    if (m_batchDepth == 0)
        writeLocked();
}

void KZPreferences::writeLocked()
{
    if (m_pending.isEmpty())
        return;
    const QHash<QString, std::optional<QVariant>> changes = std::exchange(m_pending, {});
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        m_unannounced.append(keyOfEntry(it.key()));
    if (!m_settings) {
        for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
            if (it.value())
                m_memory.insert(it.key(), *it.value());
            else
                m_memory.remove(it.key());
        }
        return;
    }
    // Every change of the file goes through here. The folder lock makes the
    // writers of both programs take turns, so a lock file or temporary file
    // found now was left by a writer that was killed, and would otherwise
    // make QSettings wait for its lock to grow stale.
    const QString path = m_settings->fileName();
    const QString folder = QFileInfo(path).absolutePath();
    QDir().mkpath(folder);
    const KZAtomicFile::FolderLock lock(folder);
    if (lock.isHeld())
        KZAtomicFile::removeLeftovers(path, {path + QStringLiteral(".lock")});
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        if (it.value())
            m_settings->setValue(it.key(), *it.value());
        else
            m_settings->remove(it.key());
    }
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        KZLog::log(QStringLiteral("The preferences could not be written to %1.").arg(path));
}

KZPreferences::Batch::Batch(KZPreferences &preferences) : m_preferences(preferences)
{
    QMutexLocker locker(&preferences.m_mutex);
    if (preferences.m_batchDepth++ > 0 || !preferences.m_settings)
        return;
    // The one read of the batch. A lock file left by a killed writer is
    // cleared away here too, so that it does not outlive a run that has
    // nothing to write.
    const QString path = preferences.m_settings->fileName();
    const QString lockPath = path + QStringLiteral(".lock");
    if (QFileInfo::exists(lockPath)) {
        const KZAtomicFile::FolderLock lock(QFileInfo(path).absolutePath());
        if (lock.isHeld())
            KZAtomicFile::removeLeftovers(path, {lockPath});
    }
    preferences.m_settings->sync();
}

KZPreferences::Batch::~Batch()
{
    {
        QMutexLocker locker(&m_preferences.m_mutex);
        if (--m_preferences.m_batchDepth > 0)
            return;
        m_preferences.m_batchOriginals.clear();
        m_preferences.writeLocked();
    }
    m_preferences.announceChanges();
}

void KZPreferences::setChangeHook(ChangeHook hook)
{
    QMutexLocker locker(&m_mutex);
    m_changeHook = std::move(hook);
}

void KZPreferences::announceChanges()
{
    QStringList keys;
    ChangeHook hook;
    {
        QMutexLocker locker(&m_mutex);
        keys = std::exchange(m_unannounced, {});
        hook = m_changeHook;
    }
    if (hook && !keys.isEmpty())
        hook(keys);
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
    {
        QMutexLocker locker(&m_mutex);
        readLocked();
        changeLocked(key, value);
    }
    announceChanges();
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
    {
        QMutexLocker locker(&m_mutex);
        readLocked();
        changeLocked(key, std::nullopt);
    }
    announceChanges();
}

qint64 KZPreferences::addToInteger(const QString &key, qint64 delta, qint64 floor)
{
    QMutexLocker locker(&m_mutex);
    readLocked();
    const std::optional<QVariant> stored = storedLocked(storageKey(key));
    const qint64 value = qMax(toInteger(stored ? *stored : m_registered.value(key)) + delta, floor);
    changeLocked(key, value);
    locker.unlock();
    announceChanges();
    return value;
}

void KZPreferences::synchronize()
{
    {
        QMutexLocker locker(&m_mutex);
        writeLocked();
        if (m_settings)
            m_settings->sync();
    }
    announceChanges();
}

QString KZPreferences::fileName() const
{
    return m_settings ? m_settings->fileName() : QString();
}
