// Notifications between programs over the session bus, and the bus names
// that tell whether a program runs.
#include "KZDistributedNotificationCenter.h"
#include "KZSessionBus.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QThread>

namespace {

#define SKIP_WITHOUT_SESSION_BUS()                                                                 \
    do {                                                                                           \
        if (!KZSessionBus::isConnected())                                                          \
            GTEST_SKIP() << "no D-Bus session bus: run through scripts/with-test-session.sh";      \
    } while (0)

// A second connection to the session bus, as another program would have.
QDBusConnection otherProgram(const QString &name)
{
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
}

} // namespace

using TestSupport::waitFor;

TEST(DistributedNotifications, ReachObserversOfTheNameAndObjectInOtherPrograms)
{
    SKIP_WITHOUT_SESSION_BUS();
    KZDistributedNotificationCenter sender(otherProgram("sender"));
    KZDistributedNotificationCenter receiver(otherProgram("receiver"));
    QStringList received;
    Qt::HANDLE observerThread = nullptr;
    receiver.addObserver("TWPrefsChanged", [&](const QString &name, const QString &object) {
        received.append(name + '|' + object);
        observerThread = QThread::currentThreadId();
    });
    receiver.addObserver("org.tarnwell.tarnwellmenuitem", "tarnwellMenuItemUnload",
                         [&](const QString &name, const QString &) { received.append(name); });
    const quint64 removed = receiver.addObserver(
        "TWPrefsChanged", [&](const QString &, const QString &) { received.append("removed"); });
    receiver.removeObserver(removed);

    ASSERT_TRUE(sender.postNotification("TWQuit"));
    ASSERT_TRUE(sender.postNotification("org.tarnwell.tarnwellmenuitem", "somethingElse"));
    ASSERT_TRUE(sender.postNotification("org.tarnwell.tarnwellmenuitem", "tarnwellMenuItemUnload"));
    ASSERT_TRUE(sender.postNotification("TWPrefsChanged"));
    // Signals of one sender arrive in order: once the last one is here, so
    // are the others.
    ASSERT_TRUE(waitFor([&] { return received.contains("TWPrefsChanged|"); }));
    EXPECT_EQ(received, (QStringList{"org.tarnwell.tarnwellmenuitem", "TWPrefsChanged|"}));
    EXPECT_EQ(observerThread, QThread::currentThreadId());
}

TEST(DistributedNotifications, WithoutABusNothingIsSentAndNothingBreaks)
{
    KZDistributedNotificationCenter center(
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "none"));
    EXPECT_FALSE(center.isConnected());
    EXPECT_FALSE(center.postNotification("TWQuit"));
}

TEST(SessionBus, AProgramRunsWhileItOwnsItsName)
{
    SKIP_WITHOUT_SESSION_BUS();
    const QString name =
        QStringLiteral("org.tarnwell.Test.Running%1").arg(QCoreApplication::applicationPid());
    EXPECT_FALSE(KZSessionBus::isNameOwned(name));
    QDBusConnection other = otherProgram("owner");
    ASSERT_TRUE(other.registerService(name));
    EXPECT_TRUE(KZSessionBus::isNameOwned(name));
    EXPECT_FALSE(KZSessionBus::registerName(name)); // taken
    EXPECT_FALSE(KZSessionBus::waitForName(name, false, 200));

    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&other, name] { other.unregisterService(name); },
        Qt::QueuedConnection);
    EXPECT_TRUE(KZSessionBus::waitForName(name, false, 10000));
    EXPECT_TRUE(KZSessionBus::registerName(name));
    EXPECT_TRUE(KZSessionBus::isNameOwned(name));
    QDBusConnection::sessionBus().unregisterService(name);
}
