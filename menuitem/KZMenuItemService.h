#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class KZTarnwellMenuItemController;

// The monitor on the session bus, beside its name org.tarnwell.TarnwellMenuItem:
// object /org/tarnwell/TarnwellMenuItem, interface org.tarnwell.TarnwellMenuItem.
// Scripts (a udev rule after plugging a disk, a test) reach the menu's
// commands and read what the menu shows.
class KZMenuItemService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tarnwell.TarnwellMenuItem")
    Q_PROPERTY(int OverallStatus READ overallStatus)
    Q_PROPERTY(QStringList MenuTitles READ menuTitles)
    Q_PROPERTY(qlonglong TimerInterval READ timerInterval)
    Q_PROPERTY(bool Busy READ busy)

public:
    static inline const QString objectPath = QStringLiteral("/org/tarnwell/TarnwellMenuItem");

    explicit KZMenuItemService(KZTarnwellMenuItemController *controller);

    // Exports the object on the session bus; false without a bus.
    bool exportObject();

    int overallStatus() const;
    // The menu's titles in order, a separator as "-".
    QStringList menuTitles() const;
    // Seconds between timed checks; 0 while polling is off.
    qlonglong timerInterval() const;
    bool busy() const;

public Q_SLOTS:
    Q_SCRIPTABLE void ScanForDrives();
    Q_SCRIPTABLE void UpdateDrives();
    Q_SCRIPTABLE void LaunchTarnwell();
    Q_SCRIPTABLE void Quit();

Q_SIGNALS:
    // The menu shows the result of a new scan or update.
    Q_SCRIPTABLE void MenuUpdated();

private:
    QPointer<KZTarnwellMenuItemController> m_controller;
};
