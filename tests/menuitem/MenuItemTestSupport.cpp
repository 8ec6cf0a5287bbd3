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
