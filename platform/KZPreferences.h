#pragma once

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

// The preferences store both programs share. Registered defaults live only in
// memory and are never written; stored values go to the INI file, so a key
// the user never changed always reads its default. Outside a batch every read
// goes back to the file (when it changed) so that a change made by the other
// program is seen at once, and every change is written at once. A value
// stored again unchanged writes nothing.
//
// A batch (a refresh of the drives) reads the file once when it begins and
// writes its changes once when it ends; in between, reads and writes of every
// thread stay in memory. All operations may be called from any thread.
class KZPreferences
{
public:
    // The store of this process: the one installed with setStandard(), else
    // the file KZPaths::preferencesFile().
    static KZPreferences &standard();
    // Makes standard() return this store (not owned); null restores the file.
    static void setStandard(KZPreferences *preferences);

    // A store that lives in memory only: nothing is read or written.
    KZPreferences();
    explicit KZPreferences(const QString &iniPath);
    ~KZPreferences();
    KZPreferences(const KZPreferences &) = delete;
    KZPreferences &operator=(const KZPreferences &) = delete;

    // Registers the defaults of KZPreferenceKeys::defaults(): all of them for
    // the application; for the tray program all but the blink(1) keys, which
    // count there once the user stored them.
    void registerApplicationDefaults();
    void registerMenuItemDefaults();
    void registerDefaults(const QVariantMap &defaults);
    QVariantMap registeredDefaults() const;

    // The stored value, else the registered one, else an invalid QVariant.
    QVariant objectForKey(const QString &key) const;
    bool hasStoredValue(const QString &key) const;

    // Booleans may have been stored as "YES"/"NO", "true"/"false" or 1/0.
    bool boolForKey(const QString &key) const;
    qint64 integerForKey(const QString &key) const;
    QString stringForKey(const QString &key) const;
    // Dates are stored as ISO 8601 texts; an invalid date when absent or unreadable.
    QDateTime dateForKey(const QString &key) const;

    void setBool(const QString &key, bool value);
    void setInteger(const QString &key, qint64 value);
    void setString(const QString &key, const QString &value);
    void setDate(const QString &key, const QDateTime &value);
    void removeObjectForKey(const QString &key);
    // Adds to a stored integer in one step, never going below the floor, and
    // returns the new value (for counters that several threads change).
    qint64 addToInteger(const QString &key, qint64 delta,
                        qint64 floor = std::numeric_limits<qint64>::min());

    // A count remembered at the previous check (as integerForKey). Inside a
    // batch it is the value stored before the batch began, whatever the batch
    // stored under the key since: two device nodes of one disk refreshed in
    // one batch are both compared with the count of the previous check.
    qint64 rememberedIntegerForKey(const QString &key) const;

    // Writes pending changes to the file and reads the other program's.
    void synchronize();

    // Called, outside the store's lock and on the thread that wrote, with
    // the keys whose change has just reached the file (a stored or removed
    // value; a change that leaves a value as it was is none). The
    // application posts its change notification from here.
    using ChangeHook = std::function<void(const QStringList &keys)>;
    void setChangeHook(ChangeHook hook);

    // The file, or an empty text for a store in memory.
    QString fileName() const;

    // Interpretation of a stored or registered value as a boolean or integer.
    static bool toBool(const QVariant &value);
    static qint64 toInteger(const QVariant &value);

    // Reads the file once when it begins and writes the changes made while it
    // lives once when it ends. Batches nest; only the outermost reads and writes.
    class Batch
    {
    public:
        explicit Batch(KZPreferences &preferences = KZPreferences::standard());
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        KZPreferences &m_preferences;
    };

private:
    // An entry of the store by its key in the file; nothing when absent.
    std::optional<QVariant> storedLocked(const QString &storageKey) const;
    // Brings the values up to date with the file, unless a batch runs.
    void readLocked() const;
    // Records a change (nothing for a removal) and writes it unless a batch runs.
    void changeLocked(const QString &key, const std::optional<QVariant> &value);
    // The one way changes reach the file.
    void writeLocked();
    // Hands the keys written since the last call to the change hook; called
    // by every public operation that may write, once it has let go of the lock.
    void announceChanges();
    void store(const QString &key, const QVariant &value);

    mutable QMutex m_mutex;
    std::unique_ptr<QSettings> m_settings; // null for a store in memory
    QVariantMap m_memory;                  // the stored values of a store in memory
    QVariantMap m_registered;
    // Changes not written yet, by key in the file; nothing for a removal.
    QHash<QString, std::optional<QVariant>> m_pending;
    // The values the keys changed in the running batch had before it began.
    QHash<QString, std::optional<QVariant>> m_batchOriginals;
    int m_batchDepth = 0;
    ChangeHook m_changeHook;
    QStringList m_unannounced; // keys written, not yet handed to the hook
};
