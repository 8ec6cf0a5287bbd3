#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// The whole disks of a Linux machine and the names of the volumes mounted from
// them, read from one run of lsblk in its key="value" pair format.
namespace KZBlockDeviceList {

// One whole disk: its kernel name (sda, nvme0n1), its device path, the
// names of the volumes mounted from it, in lsblk's order, and the model and
// serial number lsblk reports (empty when it reports none).
struct Disk
{
    QString name;
    QString path;
    QStringList volumeNames;
    QString model;
    QString serial;
};

// The arguments of the lsblk run: every device once per parent, as pairs.
QStringList lsblkArguments();

// Undoes lsblk's quoting: every \xNN becomes the byte NN, and the bytes are
// read as UTF-8 (a label with blanks or accented letters comes back whole).
QString decodeValue(QStringView raw);

// Reads one line of KEY="value" pairs. Nothing when the line has any other form.
std::optional<QMap<QString, QString>> parsePairs(const QString &line);

// True for the kernel names of whole disks whose S.M.A.R.T. data can exist:
// sdX, hdX, vdX, nvmeNnM and mmcblkN. Loop, RAM, zram, device-mapper, md,
// optical drives and the boot partitions of eMMC chips are not disks here.
bool isWholeDiskName(const QString &name);

// The whole disks of an lsblk listing, in listing order, each with the
// volumes mounted from it: a partition's mount, a disk's own mount when it is
// mounted without partitions, and a mount of a device built on top of its
// partitions (LVM, encryption, RAID). A volume is named by its file-system
// label, else by its mount point; swap areas are not volumes.
// Nothing when a line is not in the pair format or lacks NAME or TYPE;
// `problem` then names the line.
std::optional<QList<Disk>> disksFromLsblk(const QStringList &lines, QString *problem = nullptr);

} // namespace KZBlockDeviceList
