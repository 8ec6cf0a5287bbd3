#pragma once

#include "AlertTestSupport.h"
#include "ForgedDrives.h"
#include "TestSupport.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

// Helpers of the tray monitor's tests.
namespace MenuItemTestSupport {

// Disks the monitor finds: an lsblk stand-in listing /dev/<name> with its
// volumes, and a smartctl that replays each disk's forged capture through
// the real smartctl (tools/fakes/fake-smartctl-replay). Captures can be
// changed between updates, and smartctl runs can be held.
class Machine
{
public:
    Machine();
    // Adds /dev/<name>, forged from the JSON description, with mounted
    // volumes of these labels.
    void addDrive(const QString &name, const QByteArray &json, const QStringList &volumes = {});
    // Replaces the capture of /dev/<name>.
    void setDrive(const QString &name, const QByteArray &json);
    // From now on every smartctl run waits until release().
    void hold();
    // Whether a held run is waiting.
    bool held() const;
    void release();

    QString lsblk() const { return m_lsblk; }
    QString smartctl() const { return m_smartctl; }

private:
    void writeListing();
    QString m_dir;
    QString m_lsblk;
    QString m_smartctl;
    QList<QPair<QString, QStringList>> m_disks;
};

// trayer, the tray host of the virtual display, while the object lives;
// available() is false without a display, trayer or xdotool.
class TrayHost
{
public:
    ~TrayHost();
    static bool available(QString *why);
    // Starts trayer and waits until its tray is up (at most 30 s); the
    // failure says what trayer printed.
    testing::AssertionResult start();

private:
    QProcess m_process;
};

using ForgedDrives::failedDrive;
using ForgedDrives::failingDrive;
using ForgedDrives::passedDrive;

using TestSupport::waitFor;

using AlertTestSupport::writePreferences;

// A script that records its arguments (one per line) into <file>.
QString recordingProgram(const QString &file);

} // namespace MenuItemTestSupport

#define SKIP_WITHOUT_SMARTCTL_FOR_MONITOR()                                                        \
    do {                                                                                           \
        if (TestSupport::realSmartctl().isEmpty())                                                 \
            GTEST_SKIP() << "smartctl is not installed";                                           \
    } while (0)
