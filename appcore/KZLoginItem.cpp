#include "KZLoginItem.h"

#include "KZDistributedNotificationCenter.h"
#include "KZLog.h"
#include "KZPaths.h"
#include "KZSessionBus.h"
#include "KZTask.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QMutex defaultProgramMutex;
QString defaultProgram;

} // namespace

KZLoginItem::KZLoginItem()
{
    QMutexLocker locker(&defaultProgramMutex);
    m_program = defaultProgram.isEmpty() ? siblingProgram(programName, QStringLiteral("menuitem"))
                                         : defaultProgram;
}

void KZLoginItem::setDefaultProgram(const QString &program)
{
    QMutexLocker locker(&defaultProgramMutex);
    defaultProgram = program;
}

QString KZLoginItem::autostartFile()
{
    return KZPaths::autostartFolder() + QLatin1Char('/') + entryName;
}

QString KZLoginItem::execArgument(const QString &argument)
{
    // Field codes start with "%"; a literal one is doubled.
    QString escaped = argument;
    escaped.replace(QLatin1Char('%'), QStringLiteral("%%"));
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = escaped.isEmpty();
    for (const QChar c : escaped)
        needsQuotes = needsQuotes || reserved.contains(c);
    if (!needsQuotes)
        return escaped;
    QString quoted;
    for (const QChar c : escaped) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray KZLoginItem::desktopEntry(const QString &program)
{
    // The value of a key is itself a string: its backslashes are escaped once more.
    QString exec = execArgument(program);
    exec.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Tarnwell Menu Item\n"
                                        "Comment=Checks the health of your disks from the tray\n"
                                        "Exec=%1\n"
                                        "Icon=org.tarnwell.Tarnwell\n"
                                        "Terminal=false\n"
                                        "Categories=System;Monitor;\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(exec);
    return text.toUtf8();
}

bool KZLoginItem::isMonitorRunning()
{
    return KZSessionBus::isNameOwned(KZSessionBus::menuItemName);
}

QString KZLoginItem::siblingProgram(const QString &name, const QString &buildFolder)
{
    if (QCoreApplication::instance()) {
        const QDir here(QCoreApplication::applicationDirPath());
        for (const QString &candidate :
             {here.filePath(name),
              here.filePath(QStringLiteral("../") + buildFolder + '/' + name)}) {
            const QFileInfo info(candidate);
            if (info.isFile() && info.isExecutable())
                return info.canonicalFilePath();
        }
    }
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? name : found;
}

bool KZLoginItem::fail(const QString &reason)
{
    m_lastError = reason;
    KZLog::log(reason);
    return false;
}

bool KZLoginItem::setEnabled(bool enabled)
{
    m_lastError.clear();
    const QString file = autostartFile();
    if (enabled) {
        if (!QFileInfo(m_program).isExecutable())
            return fail(
                QStringLiteral("The tray monitor %1 is not an executable program.").arg(m_program));
        QDir().mkpath(QFileInfo(file).absolutePath());
        QSaveFile entry(file);
        const QByteArray text = desktopEntry(m_program);
        if (!entry.open(QIODevice::WriteOnly) || entry.write(text) != text.size() ||
            !entry.commit())
            return fail(QStringLiteral("Cannot write the autostart entry %1: %2")
                            .arg(file, entry.errorString()));
        if (isMonitorRunning())
            return true;
        QString why;
        if (!KZTask::launchDetached(m_program, m_launchArguments, &why)) {
            QFile::remove(file);
            return fail(QStringLiteral("Cannot start the tray monitor: %1").arg(why));
        }
        // Briefly, so that whoever asks next finds it running; a slow start
        // is no failure (the entry stands and the monitor comes up).
        if (!KZSessionBus::waitForName(KZSessionBus::menuItemName, true, m_startTimeoutMs))
            KZLog::log(QStringLiteral("The tray monitor has not appeared on the session bus yet."));
        return true;
    }

    if (QFileInfo::exists(file) && !QFile::remove(file))
        return fail(QStringLiteral("Cannot remove the autostart entry %1").arg(file));
    if (!isMonitorRunning())
        return true;
    KZDistributedNotificationCenter::defaultCenter().postNotification(
        KZDistributedNotifications::quit);
    if (!KZSessionBus::waitForName(KZSessionBus::menuItemName, false, m_stopTimeoutMs))
        return fail(
            QStringLiteral("The tray monitor did not quit within %1 ms.").arg(m_stopTimeoutMs));
    return true;
}
