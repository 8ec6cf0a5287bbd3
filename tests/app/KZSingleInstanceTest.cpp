// One Tarnwell at a time: two real processes on the test session's D-Bus
// session bus. The second start hands its report file to the first, which
// opens it in a viewer window, and ends.
#include "AppTestSupport.h"

#include "KZApplicationService.h"
#include "KZPaths.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>

using namespace AppTestSupport;

namespace {

bool nameOwned()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(
        KZApplicationService::serviceName);
}

QString logText()
{
    return QString::fromUtf8(TestSupport::readFile(KZPaths::logFile()));
}

} // namespace

TEST(SingleInstance, SecondStartHandsItsFileToTheFirstAndEnds)
{
    SKIP_WITHOUT_SMARTCTL();
    if (!QDBusConnection::sessionBus().isConnected())
        GTEST_SKIP() << "no D-Bus session bus (run under scripts/with-test-session.sh)";
    // Another test of the session may be running the application.
    if (!waitFor([] { return !nameOwned(); }, 120000))
        GTEST_SKIP() << "another Tarnwell owns the name on this bus";

    ForgedMachine machine; // no drives: the first instance scans nothing real
    const QStringList tools{"--lsblk",       machine.lsblk(),
                            "--smartctl",    machine.smartctl(),
                            "--blink1-tool", TestSupport::fake("fake-blink1-tool")};
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess first;
    first.setProcessEnvironment(environment);
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(QStringLiteral(TARNWELL_APP), tools);
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return nameOwned() || first.state() == QProcess::NotRunning; }));
    ASSERT_EQ(first.state(), QProcess::Running);
    const uint owner =
        QDBusConnection::sessionBus().interface()->servicePid(KZApplicationService::serviceName);
    EXPECT_EQ(qint64(owner), first.processId());

    const QString report =
        TestSupport::forge(passedDrive("FORGE HANDED OVER", "ONCE0001"), "handed.twdr");
    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(TARNWELL_APP), tools + QStringList{report});
    ASSERT_TRUE(second.waitForFinished(120000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

    // The first one opened the file; the name is still its own.
    EXPECT_TRUE(waitFor([&] {
        return logText().contains("Asked to open: " + report) &&
               logText().contains("Starting file read");
    })) << logText().toStdString();
    EXPECT_EQ(qint64(QDBusConnection::sessionBus().interface()->servicePid(
                  KZApplicationService::serviceName)),
              first.processId());
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    if (!first.waitForFinished(60000)) {
        first.kill();
        first.waitForFinished();
    }
}
