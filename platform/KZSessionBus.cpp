#include "KZSessionBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QTimer>

namespace KZSessionBus {

bool isConnected()
{
    return QDBusConnection::sessionBus().isConnected();
}

bool isNameOwned(const QString &name)
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    if (!bus)
        return false;
    const QDBusReply<bool> reply = bus->isServiceRegistered(name);
    return reply.isValid() && reply.value();
}

bool registerName(const QString &name)
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    if (!bus)
        return false;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus->registerService(name, QDBusConnectionInterface::DontQueueService,
                             QDBusConnectionInterface::DontAllowReplacement);
    return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
}

bool waitForName(const QString &name, bool owned, int timeoutMs)
{
    if (!isConnected())
        return !owned;
    // The watcher is set up before the first look, so a change between the
    // look and the wait is not missed.
    QDBusServiceWatcher watcher(name, QDBusConnection::sessionBus(),
                                owned ? QDBusServiceWatcher::WatchForRegistration
                                      : QDBusServiceWatcher::WatchForUnregistration);
    if (isNameOwned(name) == owned)
        return true;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &loop, &QEventLoop::quit);
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceUnregistered, &loop, &QEventLoop::quit);
    timeout.start(timeoutMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return isNameOwned(name) == owned;
}

} // namespace KZSessionBus
