#include "ForgedMachine.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>

ForgedMachine::ForgedMachine()
{
    static int counter = 0;
    m_dir = TestSupport::homeDir() + QStringLiteral("/machine-%1").arg(++counter);
    QDir().mkpath(m_dir);
    addDisk({}, {});
    const QByteArray dir = QFile::encodeName(m_dir);
    m_lsblk =
        TestSupport::writeScript("lsblk", "#!/bin/sh\nexec /bin/cat '" + dir + "/lsblk.txt'\n");
    // A disk's own answer (<name>.answer) stands for smartctl's when it could
    // not open the disk; the device is the last argument (-V has none).
    // FAKE_RECORD belongs to the tests' other stand-ins.
    m_smartctl = TestSupport::writeScript(
        "smartctl",
        "#!/bin/bash\ndir='" + dir +
            "'\n"
            "if [ -e \"$dir/hold\" ]; then\n"
            "    : > \"$dir/held\"\n"
            "    while [ -e \"$dir/hold\" ]; do sleep 0.05; done\n"
            "fi\n"
            "unset FAKE_RECORD\n"
            "device=\"${@: -1}\"\n"
            "name=$(basename \"$device\")\n"
            "case \"$device\" in /dev/*)\n"
            "    if [ -e \"$dir/$name.hang\" ]; then\n"
            "        rm -f \"$dir/$name.hang\"\n"
            "        echo $$ > \"$dir/hanging.pid\"\n"
            "        exec '" +
            QFile::encodeName(TestSupport::fake(QStringLiteral("fake-smartctl-hang"))) +
            "' \"$@\"\n"
            "    fi\n"
            "    if [ -e \"$dir/$name.asleep\" ] && [[ \" $* \" == *' -n standby '* ]]; then\n"
            "        '" +
            QFile::encodeName(TestSupport::realSmartctl()) +
            "' -V | head -n 2\n"
            "        printf '\\nDevice is in STANDBY mode, exit(2)\\n'; exit 2\n"
            "    fi\n"
            "    if [ -e \"$dir/$name.answer\" ]; then\n"
            "        '" +
            QFile::encodeName(TestSupport::realSmartctl()) +
            "' -V | head -n 2\n"
            "        printf '\\n'; cat \"$dir/$name.answer\"; exit 2\n"
            "    fi;;\n"
            "esac\n"
            "FAKE_REPLAY_DIR=\"$dir\" FAKE_SMARTCTL='" +
            QFile::encodeName(TestSupport::realSmartctl()) + "' exec '" +
            QFile::encodeName(TestSupport::fake(QStringLiteral("fake-smartctl-replay"))) +
            "' \"$@\"\n");
}

QString ForgedMachine::path(const QString &file) const
{
    return m_dir + QLatin1Char('/') + file;
}

void ForgedMachine::addDisk(const QString &name, const QStringList &volumes)
{
    if (!name.isEmpty())
        m_disks.append({name, volumes});
    QByteArray listing;
    for (const auto &[disk, labels] : std::as_const(m_disks)) {
        const QByteArray node = disk.toUtf8();
        listing += "NAME=\"" + node + "\" TYPE=\"disk\" PKNAME=\"\" MOUNTPOINT=\"\" LABEL=\"\" " +
                   "PATH=\"/dev/" + node + "\"\n";
        for (qsizetype index = 0; index < labels.size(); ++index) {
            const QByteArray part = node + QByteArray::number(index + 1);
            const QByteArray label = labels.at(index).toUtf8();
            listing += "NAME=\"" + part + "\" TYPE=\"part\" PKNAME=\"" + node +
                       "\" MOUNTPOINT=\"/media/" + label + "\" LABEL=\"" + label +
                       "\" PATH=\"/dev/" + part + "\"\n";
        }
    }
    TestSupport::writeFile(path(QStringLiteral("lsblk.txt")), listing);
}

void ForgedMachine::addDrive(const QString &name, const QByteArray &json,
                             const QStringList &volumes)
{
    setDrive(name, json);
    addDisk(name, volumes);
}

void ForgedMachine::setDrive(const QString &name, const QByteArray &json)
{
    const QString forged = TestSupport::forge(json, name + QStringLiteral(".twdr"));
    const QString target = path(name + QStringLiteral(".twdr"));
    QFile::remove(target);
    QFile::copy(forged, target);
}

void ForgedMachine::addUnreadableDrive(const QString &name)
{
    TestSupport::writeFile(path(name + QStringLiteral(".twdr")), "");
    addDisk(name, {});
}

void ForgedMachine::answerWith(const QString &name, const QByteArray &line)
{
    TestSupport::writeFile(path(name + QStringLiteral(".answer")), line + '\n');
    addDisk(name, {});
}

void ForgedMachine::addUntypedDrive(const QString &name)
{
    answerWith(name, "/dev/" + name.toUtf8() +
                         ": Unable to detect device type\n"
                         "Please specify device type with the -d option.");
}

void ForgedMachine::addRefusedDrive(const QString &name)
{
    answerWith(name, "Smartctl open device: /dev/" + name.toUtf8() + " failed: Permission denied");
}

void ForgedMachine::setAsleep(const QString &name, bool asleep)
{
    const QString marker = path(name + QStringLiteral(".asleep"));
    if (asleep)
        TestSupport::writeFile(marker, "");
    else
        QFile::remove(marker);
}

void ForgedMachine::hold()
{
    QFile::remove(path(QStringLiteral("held")));
    TestSupport::writeFile(path(QStringLiteral("hold")), "");
}

bool ForgedMachine::held() const
{
    return QFileInfo::exists(path(QStringLiteral("held")));
}

void ForgedMachine::hangFirstRun(const QString &name)
{
    TestSupport::writeFile(path(name + QStringLiteral(".hang")), "");
}

bool ForgedMachine::hanging() const
{
    return QFileInfo::exists(path(QStringLiteral("hanging.pid")));
}

void ForgedMachine::release()
{
    QFile::remove(path(QStringLiteral("hold")));
    const QString pidFile = path(QStringLiteral("hanging.pid"));
    const qint64 pid = TestSupport::readFile(pidFile).trimmed().toLongLong();
    if (pid > 0)
        ::kill(pid_t(pid), SIGKILL);
    QFile::remove(pidFile);
}
