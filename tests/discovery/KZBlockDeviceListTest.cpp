#include "KZBlockDeviceList.h"
#include "KZTask.h"
#include "TestSupport.h"

using KZBlockDeviceList::Disk;

namespace {

// A recorded lsblk output, split into lines the way the process runner does.
QStringList recording(const QString &name)
{
    const QByteArray text =
        TestSupport::readFile(TestSupport::sourceDir() + "/tests/discovery/data/" + name);
    EXPECT_FALSE(text.isEmpty()) << name.toStdString();
    return KZTask::splitLines(QString::fromUtf8(text));
}

QList<Disk> disksOf(const QString &name)
{
    QString problem;
    const std::optional<QList<Disk>> disks =
        KZBlockDeviceList::disksFromLsblk(recording(name), &problem);
    EXPECT_TRUE(disks.has_value()) << problem.toStdString();
    return disks.value_or(QList<Disk>());
}

QStringList namesOf(const QList<Disk> &disks)
{
    QStringList names;
    for (const Disk &disk : disks)
        names << disk.name;
    return names;
}

} // namespace

TEST(BlockDeviceList, AsksLsblkForPairsWithTheNeededColumns)
{
    EXPECT_EQ(KZBlockDeviceList::lsblkArguments(),
              QStringList({"-P", "-o", "NAME,TYPE,PKNAME,MOUNTPOINT,LABEL,PATH,MODEL,SERIAL"}));
}

TEST(BlockDeviceList, SataAndNvmeDisksWithTheirMountedPartitions)
{
    const QList<Disk> disks = disksOf("lsblk-desktop.txt");
    // Loop devices, the optical drive and zram are not disks.
    ASSERT_EQ(namesOf(disks), QStringList({"sda", "sdb", "nvme0n1"}));
    EXPECT_EQ(disks[0].path, "/dev/sda");
    // Unlabelled partitions are named by their mount point; swap and
    // unmounted partitions are no volumes.
    EXPECT_EQ(disks[0].volumeNames, QStringList({"/boot/efi", "rootfs"}));
    // A disk mounted without partitions carries its own mount.
    EXPECT_EQ(disks[1].volumeNames, QStringList({"BACKUP"}));
    // Labels keep their blanks and accented letters; a mount of an encrypted
    // volume on a partition belongs to the partition's disk.
    EXPECT_EQ(disks[2].path, "/dev/nvme0n1");
    EXPECT_EQ(disks[2].volumeNames,
              QStringList({"Home Data", QString::fromUtf8("Fotos \xc3\x84rger"), "Vault"}));
}

TEST(BlockDeviceList, EscapedLabelsAndMountPointsAreDecoded)
{
    const QList<Disk> disks = disksOf("lsblk-escaped.txt");
    ASSERT_EQ(disks.size(), 1);
    EXPECT_EQ(disks[0].volumeNames,
              QStringList({"My Passport", "say \"hi\" \\ $HOME `x`",
                           QString::fromUtf8("/media/anna/\xe6\x97\xa5\xe6\x9c\xac")}));
}

TEST(BlockDeviceList, RaidMembersMmcAndOldIdeDisks)
{
    const QList<Disk> disks = disksOf("lsblk-server.txt");
    // eMMC boot partitions, RAM disks and md/dm devices are not disks.
    ASSERT_EQ(namesOf(disks), QStringList({"sdc", "sdd", "mmcblk0", "hda"}));
    // A RAID listed once under each member is a volume of both members, once each.
    EXPECT_EQ(disks[0].volumeNames, QStringList({"store"}));
    EXPECT_EQ(disks[1].volumeNames, QStringList({"store"}));
    EXPECT_EQ(disks[2].volumeNames, QStringList({"bootfs", "rootfs"}));
    EXPECT_TRUE(disks[3].volumeNames.isEmpty());
}

TEST(BlockDeviceList, VirtualMachineDiskMountedWhole)
{
    const QList<Disk> disks = disksOf("lsblk-virtual.txt");
    ASSERT_EQ(namesOf(disks), QStringList({"vda"}));
    EXPECT_EQ(disks[0].volumeNames, QStringList({"/"}));
}

TEST(BlockDeviceList, WholeDiskNames)
{
    for (const char *name : {"sda", "sdaa", "hdb", "vda", "nvme0n1", "nvme12n3", "mmcblk0"})
        EXPECT_TRUE(KZBlockDeviceList::isWholeDiskName(name)) << name;
    for (const char *name :
         {"sda1", "nvme0n1p1", "nvme0", "nvme0c0n1", "mmcblk0p1", "mmcblk0boot0", "mmcblk0rpmb",
          "loop0", "ram0", "zram0", "dm-0", "md0", "sr0", "xvda1", "", "sd", "SDA"})
        EXPECT_FALSE(KZBlockDeviceList::isWholeDiskName(name)) << name;
}

TEST(BlockDeviceList, PairsAndValues)
{
    const auto pairs = KZBlockDeviceList::parsePairs(
        R"(NAME="sda1" MAJ:MIN="8:1" FSUSE%="" LABEL="a=b c" PATH="/dev/sda1")");
    ASSERT_TRUE(pairs);
    EXPECT_EQ(pairs->value("NAME"), "sda1");
    EXPECT_EQ(pairs->value("MAJ:MIN"), "8:1");
    EXPECT_EQ(pairs->value("FSUSE%"), "");
    EXPECT_EQ(pairs->value("LABEL"), "a=b c");
    EXPECT_TRUE(KZBlockDeviceList::parsePairs("")->isEmpty());

    EXPECT_EQ(KZBlockDeviceList::decodeValue(u"\\x41\\x62"), "Ab");
    EXPECT_EQ(KZBlockDeviceList::decodeValue(u"\\xC3\\xA9t\\xc3\\xa9"),
              QString::fromUtf8("\xc3\xa9t\xc3\xa9"));
    // Backslashes that start no escape stay as they are.
    EXPECT_EQ(KZBlockDeviceList::decodeValue(u"a\\b\\x4"), "a\\b\\x4");
    EXPECT_EQ(KZBlockDeviceList::decodeValue(u"\\xZZ"), "\\xZZ");
    // Text that was not escaped, such as a newer lsblk's UTF-8, stays whole.
    EXPECT_EQ(KZBlockDeviceList::decodeValue(QString::fromUtf8("\xc3\x84 x")),
              QString::fromUtf8("\xc3\x84 x"));
}

TEST(BlockDeviceList, GarbledOutputIsRefused)
{
    const QStringList bad[] = {
        {"lsblk: failed to access sysfs directory: /sys/dev/block: No such file or directory"},
        {R"(NAME="sda" TYPE="disk)"},
        {R"(NAME="sda"TYPE="disk")"},
        {R"(NAME=sda TYPE="disk")"},
        {R"(="sda" TYPE="disk")"},
        {R"(NAME="sda" TYPE="disk")", R"(TYPE="part")"},
        {R"(NAME="" TYPE="disk")"},
        {R"(NAME="sda" PATH="/dev/sda")"},
        {"sda    8:0    0 931.5G  0 disk"},
    };
    for (const QStringList &lines : bad) {
        QString problem;
        EXPECT_FALSE(KZBlockDeviceList::disksFromLsblk(lines, &problem).has_value())
            << lines.join('|').toStdString();
        EXPECT_FALSE(problem.isEmpty());
    }
}

TEST(BlockDeviceList, EmptyListingHasNoDisks)
{
    const auto disks = KZBlockDeviceList::disksFromLsblk({""});
    ASSERT_TRUE(disks);
    EXPECT_TRUE(disks->isEmpty());
    EXPECT_TRUE(KZBlockDeviceList::disksFromLsblk({})->isEmpty());
}

TEST(BlockDeviceList, MissingPathFallsBackToTheKernelName)
{
    const auto disks =
        KZBlockDeviceList::disksFromLsblk({R"(NAME="sdb" TYPE="disk" MOUNTPOINT="/data")"});
    ASSERT_TRUE(disks);
    ASSERT_EQ(disks->size(), 1);
    EXPECT_EQ(disks->first().path, "/dev/sdb");
    EXPECT_EQ(disks->first().volumeNames, QStringList({"/data"}));
}

TEST(BlockDeviceList, ParentLoopsDoNotHang)
{
    const auto disks = KZBlockDeviceList::disksFromLsblk({
        R"(NAME="sda" TYPE="disk" PKNAME="")",
        R"(NAME="x" TYPE="lvm" PKNAME="y" MOUNTPOINT="/x")",
        R"(NAME="y" TYPE="lvm" PKNAME="x" MOUNTPOINT="")",
    });
    ASSERT_TRUE(disks);
    ASSERT_EQ(disks->size(), 1);
    EXPECT_TRUE(disks->first().volumeNames.isEmpty());
}
