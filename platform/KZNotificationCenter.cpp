#include "KZNotificationCenter.h"

#include <QMutexLocker>
#include <QThread>
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
    auto entry = std::make_shared<Entry>();
    entry->name = name;
    entry->observer = std::move(observer);
    m_observers.emplace(token, std::move(entry));
    return token;
}

void KZNotificationCenter::removeObserver(quint64 token)
{
    const Qt::HANDLE self = QThread::currentThreadId();
    QMutexLocker locker(&m_mutex);
    const auto found = m_observers.find(token);
    if (found == m_observers.end())
        return;
    const std::shared_ptr<Entry> entry = found->second;
    m_observers.erase(found);
    entry->removed = true;
    // A post on this very thread (the observer removing itself or another)
    // is not waited for: it sees the mark and calls nothing more.
    const auto postingElsewhere = [&] {
        for (const auto &[thread, unused] : entry->posting) {
            if (thread != self)
                return true;
        }
        return false;
    };
    while (postingElsewhere())
        m_postFinished.wait(&m_mutex);
}

void KZNotificationCenter::postNotification(const QString &name, const QVariant &object)
{
    const Qt::HANDLE self = QThread::currentThreadId();
    // Take the matching observers first so that an observer may add or remove
    // observers while it runs without deadlocking.
    std::vector<std::shared_ptr<Entry>> matching;
    {
        QMutexLocker locker(&m_mutex);
        for (const auto &[token, entry] : m_observers) {
            if (entry->name == name) {
                entry->posting.emplace(self, 0);
                matching.push_back(entry);
            }
        }
    }
    const auto finished = [&](Entry &entry) {
        QMutexLocker locker(&m_mutex);
        entry.posting.erase(entry.posting.find(self));
        m_postFinished.wakeAll();
    };
    for (const std::shared_ptr<Entry> &entry : matching) {
        bool removed = false;
        {
            QMutexLocker locker(&m_mutex);
            removed = entry->removed;
        }
        try {
            if (!removed)
                entry->observer(name, object);
        } catch (...) {
            finished(*entry);
            throw;
        }
        finished(*entry);
    }
}
