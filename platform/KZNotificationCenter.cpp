#include "KZNotificationCenter.h"

#include <QMutexLocker>
#include <vector>

KZNotificationCenter &KZNotificationCenter::defaultCenter()
{
    static KZNotificationCenter center;
    return center;
}

quint64 KZNotificationCenter::addObserver(const QString &name, Observer observer)
{
    QMutexLocker locker(&m_mutex);
    const quint64 token = m_nextToken++;
    m_observers.emplace(token, Entry{name, std::move(observer)});
    return token;
}

void KZNotificationCenter::removeObserver(quint64 token)
{
    QMutexLocker locker(&m_mutex);
    m_observers.erase(token);
}

void KZNotificationCenter::postNotification(const QString &name, const QVariant &object)
{
    // Copy the matching observers first so that an observer may add or remove
    // observers while it runs without deadlocking.
    std::vector<Observer> matching;
    {
        QMutexLocker locker(&m_mutex);
        for (const auto &[token, entry] : m_observers) {
            if (entry.name == name)
                matching.push_back(entry.observer);
        }
    }
    for (const Observer &observer : matching)
        observer(name, object);
}
