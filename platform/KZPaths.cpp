#include "KZPaths.h"

#include <QDir>

namespace {

QString xdgFolder(const char *variable, const char *fallbackBelowHome)
{
    const QString value = qEnvironmentVariable(variable);
    // The XDG rules say a relative value is invalid and must be ignored.
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(fallbackBelowHome);
}

} // namespace

namespace KZPaths {

QString preferencesFile()
{
    return xdgFolder("XDG_CONFIG_HOME", ".config") + QStringLiteral("/Tarnwell/Tarnwell.conf");
}

QString autostartFolder()
{
    return xdgFolder("XDG_CONFIG_HOME", ".config") + QStringLiteral("/autostart");
}

QString logFolder()
{
    return xdgFolder("XDG_STATE_HOME", ".local/state") + QStringLiteral("/Tarnwell");
}

QString logFile()
{
    return logFolder() + QStringLiteral("/Tarnwell.log");
}

QString dataFolder()
{
    return xdgFolder("XDG_DATA_HOME", ".local/share") + QStringLiteral("/Tarnwell");
}

QString rawCaptureFile(const QString &locationID)
{
    return logFolder() + QLatin1Char('/') + locationID + QStringLiteral(".twdr");
}

void createFolders()
{
    QDir().mkpath(logFolder());
    QDir().mkpath(dataFolder());
}

} // namespace KZPaths
