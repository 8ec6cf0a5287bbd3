// A stand-in for the desktop's notification service
// (org.freedesktop.Notifications) that records every Notify call as one JSON
// line in the file named by its first argument, and prints "ready" once it
// owns the name. The tests read the file.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <cstdio>

class NotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    explicit NotificationServer(const QString &record) : m_record(record) {}

public Q_SLOTS:
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }

    QString GetServerInformation(QString &vendor, QString &version, QString &specVersion)
    {
        vendor = QStringLiteral("Tarnwell tests");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("notification-recorder");
    }

    uint Notify(const QString &appName, uint replacesId, const QString &appIcon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int expireTimeout)
    {
        Q_UNUSED(replacesId);
        Q_UNUSED(actions);
        QJsonObject call{{"appName", appName},
                         {"appIcon", appIcon},
                         {"summary", summary},
                         {"body", body},
                         {"urgency", hints.value(QStringLiteral("urgency")).toInt()},
                         {"expireTimeout", expireTimeout}};
        QFile file(m_record);
        if (file.open(QIODevice::Append))
            file.write(QJsonDocument(call).toJson(QJsonDocument::Compact) + '\n');
        return ++m_lastId;
    }

    void CloseNotification(uint id) { Q_UNUSED(id); }

private:
    QString m_record;
    uint m_lastId = 0;
};

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s RECORD-FILE\n", argv[0]);
        return 2;
    }
    NotificationServer server(QString::fromLocal8Bit(argv[1]));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        std::fprintf(stderr, "cannot serve org.freedesktop.Notifications: %s\n",
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    return application.exec();
}

#include "NotificationServer.moc"
