#pragma once

#include <QDBusConnection>
#include <QMutex>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <optional>

// Notifications between programs: a notification (a name and an object text)
// posted here is one D-Bus signal on the session bus, which every program
// observing that name receives, Tarnwell's own programs included.
//
//   path       /org/tarnwell/DistributedNotificationCenter
//   interface  org.tarnwell.DistributedNotificationCenter
//   signal     Notification(s name, s object)   (object "" for none)
//
// Observers are called on the thread the centre lives on (the main thread
// for the default centre), in the order they registered.
class KZDistributedNotificationCenter : public QObject
{
    Q_OBJECT

public:
    using Observer = std::function<void(const QString &name, const QString &object)>;

    static inline const QString path =
        QStringLiteral("/org/tarnwell/DistributedNotificationCenter");
    static inline const QString interface =
        QStringLiteral("org.tarnwell.DistributedNotificationCenter");
    static inline const QString member = QStringLiteral("Notification");

    // The centre on the session bus; make it first on the main thread.
    static KZDistributedNotificationCenter &defaultCenter();

    explicit KZDistributedNotificationCenter(const QDBusConnection &connection,
                                             QObject *parent = nullptr);
    ~KZDistributedNotificationCenter() override;

    // Observes notifications of this name, with any object, or only with
    // the given one. Returns a token for removeObserver().
    quint64 addObserver(const QString &name, Observer observer);
    quint64 addObserver(const QString &name, const QString &object, Observer observer);
    void removeObserver(quint64 token);
    void removeAllObservers();

    // Sends the notification; false when there is no bus to send it on.
    bool postNotification(const QString &name, const QString &object = {});

    bool isConnected() const { return m_connected; }

private Q_SLOTS:
    void receive(const QString &name, const QString &object);

private:
    struct Entry
    {
        QString name;
        std::optional<QString> object;
        Observer observer;
    };

    QDBusConnection m_connection;
    bool m_connected = false;
    QMutex m_mutex;
    std::map<quint64, Entry> m_observers;
    quint64 m_nextToken = 1;
};

// The notifications the two programs exchange.
namespace KZDistributedNotifications {

// Posted by the application after every change of its preferences.
inline const QString prefsChanged = QStringLiteral("TWPrefsChanged");
// Asks the tray monitor to quit.
inline const QString quit = QStringLiteral("TWQuit");
// Posted by the tray monitor when it quits: its identifier in lower case,
// with this object.
inline const QString menuItemUnload = QStringLiteral("org.tarnwell.tarnwellmenuitem");
inline const QString menuItemUnloadObject = QStringLiteral("tarnwellMenuItemUnload");

} // namespace KZDistributedNotifications
