#include "MenuItemTestSupport.h"

#include "KZPaths.h"
#include "KZPreferences.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace MenuItemTestSupport {

Machine::Machine()
{
    static int counter = 0;
    m_dir = TestSupport::homeDir() + QStringLiteral("/machine-%1").arg(++counter);
    QDir().mkpath(m_dir);
    writeListing();
    const QByteArray dir = QFile::encodeName(m_dir);
    m_lsblk =
        TestSupport::writeScript("lsblk", "#!/bin/sh\nexec /bin/cat '" + dir + "/lsblk.txt'\n");
    m_smartctl = TestSupport::writeScript(
        "smartctl",
        "#!/bin/sh\ndir='" + dir +
            "'\n"
            "if [ -e \"$dir/hold\" ]; then\n"
            "    : > \"$dir/held\"\n"
            "    while [ -e \"$dir/hold\" ]; do sleep 0.05; done\n"
            "fi\n"
            "unset FAKE_RECORD\n"
            "FAKE_REPLAY_DIR=\"$dir\" FAKE_SMARTCTL='" +
            QFile::encodeName(TestSupport::realSmartctl()) + "' exec '" +
            QFile::encodeName(TestSupport::fake(QStringLiteral("fake-smartctl-replay"))) +
            "' \"$@\"\n");
}

void Machine::writeListing()
{
    QByteArray listing;
    for (const auto &[name, volumes] : std::as_const(m_disks)) {
        const QByteArray disk = name.toUtf8();
        listing += "NAME=\"" + disk +
                   "\" TYPE=\"disk\" PKNAME=\"\" MOUNTPOINT=\"\" LABEL=\"\" "
                   "PATH=\"/dev/" +
                   disk + "\"\n";
        for (qsizetype index = 0; index < volumes.size(); ++index) {
            const QByteArray part = disk + QByteArray::number(index + 1);
            const QByteArray label = volumes.at(index).toUtf8();
            listing += "NAME=\"" + part + "\" TYPE=\"part\" PKNAME=\"" + disk +
                       "\" MOUNTPOINT=\"/media/" + label + "\" LABEL=\"" + label +
                       "\" PATH=\"/dev/" + part + "\"\n";
        }
    }
    TestSupport::writeFile(m_dir + QStringLiteral("/lsblk.txt"), listing);
}

void Machine::addDrive(const QString &name, const QByteArray &json, const QStringList &volumes)
{
    setDrive(name, json);
    m_disks.append({name, volumes});
    writeListing();
}

void Machine::setDrive(const QString &name, const QByteArray &json)
{
    const QString forged = TestSupport::forge(json, name + QStringLiteral(".twdr"));
    const QString target = m_dir + QLatin1Char('/') + name + QStringLiteral(".twdr");
    QFile::remove(target);
    QFile::copy(forged, target);
}

void Machine::hold()
{
    QFile::remove(m_dir + QStringLiteral("/held"));
    TestSupport::writeFile(m_dir + QStringLiteral("/hold"), "");
}

bool Machine::held() const
{
    return QFileInfo::exists(m_dir + QStringLiteral("/held"));
}

void Machine::release()
{
    QFile::remove(m_dir + QStringLiteral("/hold"));
}

testing::AssertionResult TrayHost::start()
{
    // trayer ends with this program, also when a test crashes: one left
    // behind would keep the tray and every later trayer would find "another
    // systray already running".
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QStringLiteral("trayer"), {"--edge", "top", "--align", "right", "--SetDockType",
                                               "true", "--width", "10", "--height", "24"});
    // trayer maps its window once it owns the tray selection. Its own
    // window: one left behind by another program does not count.
    const testing::AssertionResult up = waitFor("trayer's window", [this] {
        if (m_process.state() == QProcess::NotRunning)
            return true;
        QProcess search;
        search.start(QStringLiteral("xdotool"),
                     {"search", "--onlyvisible", "--pid", QString::number(m_process.processId())});
        return search.waitForFinished(10000) && search.exitCode() == 0;
    });
    const QByteArray said = m_process.readAll().trimmed();
    if (m_process.state() == QProcess::NotRunning)
        return testing::AssertionFailure()
               << "trayer ended before its window was up ("
               << (m_process.error() == QProcess::FailedToStart
                       ? m_process.errorString().toStdString()
                   : m_process.exitStatus() == QProcess::CrashExit
                       ? "killed by a signal"
                       : "exit status " + std::to_string(m_process.exitCode()))
               << "); trayer said: " << said.constData();
    if (!up || said.contains("another systray"))
        return testing::AssertionFailure()
               << (up ? "trayer's window is up without the tray" : up.message())
               << "; trayer said: " << said.constData();
    return up;
}

TrayHost::~TrayHost()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

bool TrayHost::available(QString *why)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        *why = QStringLiteral("no X display: run through scripts/with-test-session.sh");
        return false;
    }
    if (QStandardPaths::findExecutable("trayer").isEmpty() ||
        QStandardPaths::findExecutable("xdotool").isEmpty()) {
        *why = QStringLiteral("trayer or xdotool is not installed");
        return false;
    }
    return true;
}

QString recordingProgram(const QString &file)
{
    // The record is replaced whole, so a test that sees it sees every argument.
    const QByteArray path = QFile::encodeName(file);
    return TestSupport::writeScript(
        "recorder", "#!/bin/sh\n{ cat '" + path + "' 2>/dev/null; printf '%s\\n' \"$@\"; } > '" +
                        path + ".part' && mv '" + path + ".part' '" + path + "'\n");
}

} // namespace MenuItemTestSupport
