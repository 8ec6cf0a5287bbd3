#include "KZApplicationService.h"

#include "KZLog.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>

KZApplicationService::KZApplicationService(QObject *parent) : QObject(parent) {}

KZApplicationService::Claim KZApplicationService::claim()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return Claim::NoBus;
    // The object first, so a second instance that finds the name owned can
    // call it at once.
    if (!bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots)) {
        KZLog::log(QStringLiteral("Could not export %1 on the session bus.").arg(objectPath));
        return Claim::NoBus;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus.interface()->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return Claim::Owned;
    bus.unregisterObject(objectPath);
    if (!reply.isValid()) {
        KZLog::log(QStringLiteral("Could not ask for %1 on the session bus: %2")
                       .arg(serviceName, reply.error().message()));
        return Claim::NoBus;
    }
    return Claim::Taken;
}

bool KZApplicationService::forwardToRunningInstance(const QStringList &files, QString *error)
{
    QDBusInterface running(serviceName, objectPath, serviceName, QDBusConnection::sessionBus());
    // Files open in viewer windows that come to the front themselves; raising
    // the main window after them would hide them.
    const QDBusMessage reply = files.isEmpty() ? running.call(QStringLiteral("Activate"))
                                               : running.call(QStringLiteral("Open"), files);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        *error = reply.errorMessage();
        return false;
    }
    return true;
}

void KZApplicationService::setHandlers(std::function<void()> activate,
                                       std::function<void(const QStringList &)> open)
{
    m_activate = std::move(activate);
    m_open = std::move(open);
    if (!m_pendingFiles.isEmpty() && m_open)
        m_open(std::exchange(m_pendingFiles, {}));
    if (m_pendingActivate && m_activate) {
        m_pendingActivate = false;
        m_activate();
    }
}

void KZApplicationService::Activate()
{
    if (m_activate)
        m_activate();
    else
        m_pendingActivate = true;
}

void KZApplicationService::Open(const QStringList &paths)
{
    KZLog::log(QStringLiteral("Asked to open: %1").arg(paths.join(QStringLiteral(", "))));
    if (m_open)
        m_open(paths);
    else
        m_pendingFiles += paths;
}
