// A report opened from the file manager while Tarnwell runs: a second
// tarnwell process hands the file to the running one over the session bus
// and ends; the running one replays it in a viewer window.
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
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(KZApplicationService::serviceName).value();
}

QString logText()
{
    return QString::fromUtf8(TestSupport::readFile(KZPaths::logFile()));
}

} // namespace

TEST(ReportHandOver, FileOfASecondStartOpensInTheFirstInstancesViewer)
{
    SKIP_WITHOUT_SMARTCTL();
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        GTEST_SKIP() << "no D-Bus session bus: run the tests through scripts/with-test-session.sh";
    ASSERT_FALSE(nameOwned()) << "another Tarnwell owns the name";
    ForgedMachine machine; // no drives: the first instance scans nothing real
    const QStringList tools{"--lsblk", machine.lsblk(), "--smartctl", machine.smartctl()};
    const QString report =
        TestSupport::forge(passedDrive("FORGE HANDED OVER", "HAND0001"), "handed over.twdr");

    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(QStringLiteral(TARNWELL_APP), tools);
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(waitFor("tarnwell on the bus",
                        [&] { return nameOwned() || first.state() == QProcess::NotRunning; }));
    ASSERT_TRUE(nameOwned());
    const qsizetype logged = logText().size();

    QProcess second;
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.start(QStringLiteral(TARNWELL_APP), tools + QStringList{report});
    ASSERT_TRUE(second.waitForFinished(TestSupport::waitLimitMs))
        << "the second tarnwell did not end";
    EXPECT_EQ(second.exitCode(), 0);

    // The viewer of the first instance reads the file, once; the second
    // instance read nothing and scanned nothing.
    EXPECT_TRUE(waitFor([&] { return logText().mid(logged).contains("Starting file read"); }))
        << logText().mid(logged).toStdString();
    const QString since = logText().mid(logged);
    EXPECT_EQ(since.count("Starting file read"), 1) << since.toStdString();
    EXPECT_EQ(qint64(QDBusConnection::sessionBus().interface()->servicePid(
                  KZApplicationService::serviceName)),
              first.processId());
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    ASSERT_TRUE(first.waitForFinished(TestSupport::waitLimitMs)) << "tarnwell did not end";
    EXPECT_EQ(first.exitCode(), 0);
}
