#include "KZDistributedNotificationCenter.h"

#include "KZLog.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QMutexLocker>
#include <QThread>
#include <vector>

KZDistributedNotificationCenter &KZDistributedNotificationCenter::defaultCenter()
{
    static KZDistributedNotificationCenter *center = [] {
        auto *made = new KZDistributedNotificationCenter(QDBusConnection::sessionBus());
        // Observers run on the main thread even when a worker asked first.
        if (QCoreApplication *application = QCoreApplication::instance())
            made->moveToThread(application->thread());
        return made;
    }();
    return *center;
}

KZDistributedNotificationCenter::KZDistributedNotificationCenter(const QDBusConnection &connection,
                                                                 QObject *parent)
    : QObject(parent), m_connection(connection)
{
    m_connected =
        m_connection.isConnected() && m_connection.connect(QString(), path, interface, member, this,
                                                           SLOT(receive(QString, QString)));
    if (!m_connection.isConnected())
        KZLog::log(QStringLiteral("No D-Bus session bus: notifications between the programs "
                                  "are not exchanged (%1)")
                       .arg(m_connection.lastError().message()));
}

KZDistributedNotificationCenter::~KZDistributedNotificationCenter()
{
    if (m_connected)
        m_connection.disconnect(QString(), path, interface, member, this,
                                SLOT(receive(QString, QString)));
}

quint64 KZDistributedNotificationCenter::addObserver(const QString &name, Observer observer)
{
    QMutexLocker locker(&m_mutex);
    const quint64 token = m_nextToken++;
    m_observers.emplace(token, Entry{name, std::nullopt, std::move(observer)});
    return token;
}

quint64 KZDistributedNotificationCenter::addObserver(const QString &name, const QString &object,
                                                     Observer observer)
{
    QMutexLocker locker(&m_mutex);
    const quint64 token = m_nextToken++;
    m_observers.emplace(token, Entry{name, object, std::move(observer)});
    return token;
}

void KZDistributedNotificationCenter::removeObserver(quint64 token)
{
    QMutexLocker locker(&m_mutex);
    m_observers.erase(token);
}

void KZDistributedNotificationCenter::removeAllObservers()
{
    QMutexLocker locker(&m_mutex);
    m_observers.clear();
}

bool KZDistributedNotificationCenter::postNotification(const QString &name, const QString &object)
{
    if (!m_connection.isConnected())
        return false;
    QDBusMessage signal = QDBusMessage::createSignal(path, interface, member);
    signal << name << object;
    return m_connection.send(signal);
}

void KZDistributedNotificationCenter::receive(const QString &name, const QString &object)
{
    // Copied first, so that an observer may add or remove observers.
    std::vector<Observer> matching;
    {
        QMutexLocker locker(&m_mutex);
        for (const auto &[token, entry] : m_observers) {
            if (entry.name == name && (!entry.object || *entry.object == object))
                matching.push_back(entry.observer);
        }
    }
    for (const Observer &observer : matching)
        observer(name, object);
}
