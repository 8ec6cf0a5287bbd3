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

namespace MenuItemTestSupport {

TrayHost::TrayHost()
{
    m_process.start(QStringLiteral("trayer"), {"--edge", "top", "--align", "right", "--SetDockType",
                                               "true", "--width", "10", "--height", "24"});
    m_process.waitForStarted(10000);
    // trayer owns the tray selection once its window is up.
    waitFor([] {
        QProcess search;
        search.start(QStringLiteral("xdotool"), {"search", "--classname", "trayer"});
        return search.waitForFinished(10000) && search.exitCode() == 0;
    });
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
    return TestSupport::writeScript("recorder", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" +
                                                    QFile::encodeName(file) + "'\n");
}

} // namespace MenuItemTestSupport
