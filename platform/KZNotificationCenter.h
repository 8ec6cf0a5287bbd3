#pragma once

#include <QMutex>
#include <QString>
#include <QVariant>
#include <functional>
#include <map>

// The in-process notification centre: observers register for a name and are
// called synchronously, on the posting thread, in the order they registered.
class KZNotificationCenter
{
public:
    using Observer = std::function<void(const QString &name, const QVariant &object)>;

    static KZNotificationCenter &defaultCenter();

    // Returns a token for removeObserver().
    quint64 addObserver(const QString &name, Observer observer);
    void removeObserver(quint64 token);
    void postNotification(const QString &name, const QVariant &object = {});

private:
    struct Entry
    {
        QString name;
        Observer observer;
    };
    QMutex m_mutex;
    std::map<quint64, Entry> m_observers;
    quint64 m_nextToken = 1;
};

// Posted by a drive after each read step of a refresh; the object is "NONE".
inline const QString KZUpdateInfoProgressBarNotification =
    QStringLiteral("KZUpdateInfoProgressBar");
