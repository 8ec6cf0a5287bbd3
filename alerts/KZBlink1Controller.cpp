#include "KZBlink1Controller.h"

#include "KZException.h"
#include "KZLog.h"
#include "KZTask.h"

#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

namespace {

// The tool answers at once; a hung device must not hold a check for long.
constexpr int toolTimeoutSeconds = 30;

QMutex toolPathMutex;
QString configuredToolPath;

} // namespace

QString KZBlink1Controller::defaultToolPath()
{
    return QStringLiteral("/usr/local/bin/blink1-tool");
}

QString KZBlink1Controller::toolPath()
{
    QMutexLocker locker(&toolPathMutex);
    return configuredToolPath.isEmpty() ? defaultToolPath() : configuredToolPath;
}

void KZBlink1Controller::setToolPath(const QString &path)
{
    QMutexLocker locker(&toolPathMutex);
    configuredToolPath = path;
}

bool KZBlink1Controller::toolAvailable()
{
    return QFileInfo::exists(toolPath());
}

void KZBlink1Controller::redAlert()
{
    runBlinkFlashWithLED(1, 255, 0, 0);
}

void KZBlink1Controller::yellowAlert()
{
    runBlinkFlashWithLED(1, 255, 255, 0);
}

void KZBlink1Controller::greenAlert()
{
    runBlinkFlashWithLED(1, 0, 255, 0);
}

void KZBlink1Controller::blueAlert()
{
    runBlinkFlashWithLED(1, 0, 0, 255);
}

void KZBlink1Controller::noAlert()
{
    runBlinkWithArgs({QStringLiteral("--quiet"), QStringLiteral("--off")});
}

void KZBlink1Controller::runBlinkFlashWithLED(int led, qint64 red, qint64 green, qint64 blue)
{
    Q_UNUSED(led);
    const QString quiet = QStringLiteral("--quiet");
    // Pattern line 1 gets the colour, line 2 black; the pattern is stored
    // and then played, so the LED blinks in the colour until the next command.
    runBlinkWithArgs({quiet, QStringLiteral("--rgb=%1,%2,%3").arg(red).arg(green).arg(blue),
                      QStringLiteral("--setpattline"), QString::number(1)});
    runBlinkWithArgs({quiet, QStringLiteral("--rgb=0,0,0"), QStringLiteral("--setpattline"),
                      QString::number(2)});
    runBlinkWithArgs({quiet, QStringLiteral("--savepattern"), QString::number(2)});
    runBlinkWithArgs({quiet, QStringLiteral("--play=1,1,2"), QString::number(2)});
}

void KZBlink1Controller::runBlinkWithArgs(const QStringList &arguments)
{
    // A tool that vanished, cannot start or prints something unexpected is
    // ignored: the LED is a courtesy and never stops a check.
    try {
        KZTask task;
        task.setTimeout(toolTimeoutSeconds);
        task.parseCommandLine(toolPath(), arguments);
    } catch (const KZException &exception) {
        KZLog::log(QStringLiteral("blink(1) tool: %1").arg(exception.reason()));
    }
}
