#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The tray monitor as a login item: an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/org.tarnwell.TarnwellMenuItem.desktop) that
// starts it at every login, plus starting it now or stopping it now.
// "Running" means its name is owned on the session bus.
class KZLoginItem
{
public:
    static inline const QString programName = QStringLiteral("tarnwell-menu-item");
    static inline const QString entryName = QStringLiteral("org.tarnwell.TarnwellMenuItem.desktop");

    // The monitor program: setDefaultProgram()'s, else tarnwell-menu-item
    // beside this program.
    KZLoginItem();
    // The program every login item made from now on starts (tests; empty:
    // the one beside this program).
    static void setDefaultProgram(const QString &program);

    static QString autostartFile();
    // The entry's text, starting the given program.
    static QByteArray desktopEntry(const QString &program);
    // A desktop entry's Exec word for an argument (quoted when it needs it).
    static QString execArgument(const QString &argument);

    static bool isMonitorRunning();

    // Another of Tarnwell's programs: beside this one (installed), in its
    // build folder beside this one's (build tree), else found on PATH.
    static QString siblingProgram(const QString &name, const QString &buildFolder);

    // The monitor started, and the arguments it is started with now (not in
    // the entry: the test options of the application are passed on).
    QString program() const { return m_program; }
    void setProgram(const QString &program) { m_program = program; }
    void setLaunchArguments(const QStringList &arguments) { m_launchArguments = arguments; }
    // Milliseconds to wait for a stopped monitor's name to vanish.
    void setStopTimeout(int milliseconds) { m_stopTimeoutMs = milliseconds; }

    // Enabling writes the entry and starts the monitor unless it runs;
    // disabling removes the entry and asks a running monitor to quit
    // ("TWQuit"), waiting briefly until it has. False, with the reason in
    // lastError(), when that failed.
    bool setEnabled(bool enabled);
    QString lastError() const { return m_lastError; }

private:
    bool fail(const QString &reason);

    QString m_program;
    QStringList m_launchArguments;
    int m_stopTimeoutMs = 5000;
    int m_startTimeoutMs = 10000;
    QString m_lastError;
};
