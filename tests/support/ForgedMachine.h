#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The disks a program under test finds: an lsblk stand-in listing
// /dev/<name> with its volumes, and a smartctl stand-in that replays each
// disk's forged capture through the real smartctl
// (tools/fakes/fake-smartctl-replay), so every parser reads real smartctl
// output. Disks can answer as smartctl does for a disk it cannot read, and
// runs can be held or hung to catch a program in the middle of a check.
class ForgedMachine
{
public:
    ForgedMachine();
    ForgedMachine(const ForgedMachine &) = delete;
    ForgedMachine &operator=(const ForgedMachine &) = delete;

    // Adds /dev/<name>, forged from the JSON description, with mounted
    // volumes of these labels.
    void addDrive(const QString &name, const QByteArray &json, const QStringList &volumes = {});
    // Replaces the capture of /dev/<name>.
    void setDrive(const QString &name, const QByteArray &json);
    // Adds /dev/<name> whose capture is empty: every read of it fails.
    void addUnreadableDrive(const QString &name);
    // Adds /dev/<name> that smartctl cannot type (a virtual disk, a card
    // reader): "Unable to detect device type".
    void addUntypedDrive(const QString &name);
    // Adds /dev/<name> that a normal user may not open ("Permission denied").
    void addRefusedDrive(const QString &name);

    // Whether /dev/<name> sleeps: a run that asks it to stay asleep ("-n
    // standby") then gets smartctl's answer for a disk in STANDBY and
    // nothing else.
    void setAsleep(const QString &name, bool asleep);

    // From now on every smartctl run waits until release().
    void hold();
    // Whether a held run is waiting.
    bool held() const;
    // From now on, the first smartctl run for /dev/<name> hangs (the
    // tools/fakes stand-in) until release() ends it; later runs answer.
    void hangFirstRun(const QString &name);
    // Whether the hanging stand-in has started (and holds its worker).
    bool hanging() const;
    // Lets held runs go on and ends a hanging one.
    void release();

    QString lsblk() const { return m_lsblk; }
    QString smartctl() const { return m_smartctl; }

private:
    void addDisk(const QString &name, const QStringList &volumes);
    void answerWith(const QString &name, const QByteArray &line);
    QString path(const QString &file) const;
    QString m_dir;
    QString m_lsblk;
    QString m_smartctl;
    QList<QPair<QString, QStringList>> m_disks;
};
