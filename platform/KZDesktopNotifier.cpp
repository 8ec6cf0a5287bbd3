#include "KZDesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace KZDesktopNotifier {

bool notify(const QString &applicationName, const QString &iconName, const QString &summary,
            const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // A drive getting worse is worth more than a passing bubble.
    QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue<uchar>(2)},
                      {QStringLiteral("desktop-entry"), QStringLiteral("org.tarnwell.Tarnwell")}};
    call << applicationName << uint(0) << iconName << summary << body << QStringList() << hints
         << qint32(-1);
    // A notification service that hangs must not hold the caller for long.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 3000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace KZDesktopNotifier
