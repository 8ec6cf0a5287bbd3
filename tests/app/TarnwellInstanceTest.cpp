// The application as a program on the session bus: one instance owns
// org.tarnwell.Tarnwell; a second start hands its files over and ends.
#include "AppTestSupport.h"

#include "KZPaths.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDir>
#include <QProcess>

using namespace AppTestSupport;

namespace {

bool nameOwned()
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(QStringLiteral("org.tarnwell.Tarnwell")).value();
}

} // namespace

TEST(SingleInstance, SecondStartHandsItsFilesToTheFirstAndEnds)
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        GTEST_SKIP() << "no D-Bus session bus: run the tests through scripts/with-test-session.sh";
    ASSERT_FALSE(nameOwned()) << "another Tarnwell owns the name";
    ForgedMachine machine;
    const QStringList tools{"--lsblk", machine.lsblk(), "--smartctl", machine.smartctl()};

    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(QStringLiteral(TARNWELL_APP), tools);
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(waitFor("tarnwell on the bus",
                        [&] { return nameOwned() || first.state() == QProcess::NotRunning; }));
    ASSERT_TRUE(nameOwned()) << "the first instance did not take the name";

    const QString folder = TestSupport::homeDir() + QStringLiteral("/reports");
    QDir().mkpath(folder);
    QProcess second;
    second.setWorkingDirectory(folder);
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.start(QStringLiteral(TARNWELL_APP), tools + QStringList{"old disk.twdr"});
    ASSERT_TRUE(second.waitForFinished(TestSupport::waitLimitMs))
        << "the second tarnwell did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // The first instance got the file with its absolute path.
    const QString expected = QStringLiteral("Asked to open: %1/old disk.twdr").arg(folder);
    EXPECT_TRUE(waitFor([&] {
        return QString::fromUtf8(TestSupport::readFile(KZPaths::logFile())).contains(expected);
    })) << TestSupport::readFile(KZPaths::logFile()).toStdString();

    QDBusInterface running("org.tarnwell.Tarnwell", "/org/tarnwell/Tarnwell",
                           "org.tarnwell.Tarnwell");
    const QDBusMessage activated = running.call("Activate");
    EXPECT_NE(activated.type(), QDBusMessage::ErrorMessage)
        << activated.errorMessage().toStdString();

    // SIGTERM ends it like Quit; the name is free again.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(TestSupport::waitLimitMs)) << "tarnwell did not end";
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(waitFor("tarnwell to leave the bus", [] { return !nameOwned(); }));
}
