#pragma once

#include <QMutex>
#include <QString>
#include <QVariant>
#include <QWaitCondition>
#include <functional>
#include <map>
#include <memory>

// The in-process notification centre: observers register for a name and are
// called synchronously, on the posting thread, in the order they registered.
// Any thread may post (several drives are refreshed at the same time, each on
// a thread of its own), so an observer may run on several threads at once.
class KZNotificationCenter
{
public:
    using Observer = std::function<void(const QString &name, const QVariant &object)>;

    static KZNotificationCenter &defaultCenter();

    // Returns a token for removeObserver().
    quint64 addObserver(const QString &name, Observer observer);
    // Once it returns, the observer is not running on another thread and is
    // not called again, so what it uses may be destroyed. It may be called
    // from within an observer.
    void removeObserver(quint64 token);
    void postNotification(const QString &name, const QVariant &object = {});

private:
    struct Entry
    {
        QString name;
        Observer observer;
        bool removed = false;
        // The threads of the posts that are about to call it, or calling it.
        std::multimap<Qt::HANDLE, int> posting;
    };
    QMutex m_mutex;
    QWaitCondition m_postFinished;
    std::map<quint64, std::shared_ptr<Entry>> m_observers;
    quint64 m_nextToken = 1;
};

// Posted by a drive after each read step of a refresh; the object is "NONE".
inline const QString KZUpdateInfoProgressBarNotification =
    QStringLiteral("KZUpdateInfoProgressBar");
