#pragma once

#include <QDateTime>
#include <QMutex>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <memory>

// The preferences store both programs share. Registered defaults live only in
// memory and are never written; stored values go to the INI file, so a key
// the user never changed always reads its default. Every read goes back to
// the file so that a change made by the other program is seen at once.
class KZPreferences
{
public:
    // The store of this process, over KZPaths::preferencesFile().
    static KZPreferences &standard();

    explicit KZPreferences(const QString &iniPath);

    // Registers the table of defaults of the application or of the tray
    // program (which lacks the blink(1) keys and has the port as a text).
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

    // Writes pending changes to the file.
    void synchronize();

    // Called with the key after every change this store makes (a stored or
    // removed value), on the thread that made it and outside the store's
    // lock. The application posts its change notification from here.
    using ChangeHook = std::function<void(const QString &key)>;
    void setChangeHook(ChangeHook hook);

    QString fileName() const;

    // Interpretation of a stored or registered value as a boolean or integer.
    static bool toBool(const QVariant &value);
    static qint64 toInteger(const QVariant &value);

private:
    // The one write path: every setter and removeObjectForKey go through it.
    // An invalid value removes the key.
    void store(const QString &key, const QVariant &value);

    mutable QMutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_registered;
    ChangeHook m_changeHook;
};
