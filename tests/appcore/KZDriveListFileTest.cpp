#include "KZDriveListFile.h"
#include "KZPaths.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <plist/plist.h>

#include <cstdlib>

namespace {

// The file read back through libplist's C API.
struct ReadBack
{
    bool valid = false;
    QStringList rootKeys;
    QString checkTime;
    qint64 count = -1;
    bool hasDrives = false;
    QList<QList<QPair<QString, QString>>> drives;
};

QString stringValue(plist_t node)
{
    char *text = nullptr;
    plist_get_string_val(node, &text);
    const QString result = QString::fromUtf8(text);
    std::free(text);
    return result;
}

QStringList dictKeys(plist_t dict)
{
    QStringList keys;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(dict, &iterator);
    for (;;) {
        char *key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(dict, iterator, &key, &value);
        if (!key)
            break;
        keys.append(QString::fromUtf8(key));
        std::free(key);
    }
    std::free(iterator);
    return keys;
}

ReadBack readBack(const QString &path)
{
    ReadBack result;
    const QByteArray xml = TestSupport::readFile(path);
    plist_t root = nullptr;
    plist_from_xml(xml.constData(), uint32_t(xml.size()), &root);
    if (!root || plist_get_node_type(root) != PLIST_DICT)
        return result;
    result.valid = true;
    result.rootKeys = dictKeys(root);
    if (plist_t time = plist_dict_get_item(root, "CheckTime"))
        result.checkTime = stringValue(time);
    if (plist_t count = plist_dict_get_item(root, "TWProblemDrivesCount")) {
        EXPECT_EQ(plist_get_node_type(count), PLIST_UINT);
        uint64_t value = 0;
        plist_get_uint_val(count, &value);
        result.count = qint64(value);
    }
    if (plist_t drives = plist_dict_get_item(root, "TWProblemDrives")) {
        result.hasDrives = true;
        for (uint32_t index = 0; index < plist_array_get_size(drives); ++index) {
            plist_t entry = plist_array_get_item(drives, index);
            QList<QPair<QString, QString>> fields;
            for (const QString &key : dictKeys(entry))
                fields.append(
                    {key, stringValue(plist_dict_get_item(entry, key.toUtf8().constData()))});
            result.drives.append(fields);
        }
    }
    plist_free(root);
    return result;
}

KZProblemDriveRecord record(std::optional<QString> model, std::optional<QString> size,
                            std::optional<QString> serial, QString names, QString health)
{
    return {std::move(model), std::move(size), std::move(serial), std::move(names),
            std::move(health)};
}

QString listPath(const QString &name)
{
    return TestSupport::homeDir() + QStringLiteral("/lists/") + name + QStringLiteral(".plist");
}

} // namespace

TEST(DriveList, LivesInTheDataFolder)
{
    EXPECT_EQ(KZDriveListFile::filePath(), KZPaths::dataFolder() + "/DrivesList.plist");
    EXPECT_TRUE(KZDriveListFile::filePath().startsWith(TestSupport::homeDir()));
}

TEST(DriveList, RecordsKeepTheirFieldOrderAndStopAtTheFirstMissingValue)
{
    using Fields = QList<QPair<QString, QString>>;
    EXPECT_EQ(record("M", "500 GB", "SN1", "M", "FAILED").fields(),
              (Fields{{"DriveModel", "M"},
                      {"DriveSize", "500 GB"},
                      {"DriveSN", "SN1"},
                      {"DriveNames", "M"},
                      {"DriveHealth", "FAILED"}}));
    EXPECT_EQ(record("M", std::nullopt, "SN1", "M", "FAILING").fields(),
              (Fields{{"DriveModel", "M"}}));
    EXPECT_EQ(record("M", "1 TB", std::nullopt, "M", "FAILING").fields(),
              (Fields{{"DriveModel", "M"}, {"DriveSize", "1 TB"}}));
    EXPECT_TRUE(record(std::nullopt, "1 TB", "SN", "sda", "FAILED").fields().isEmpty());
}

TEST(DriveList, WrittenListReadsBackWithLibplist)
{
    const QString path = listPath("two-problems");
    const QList<KZProblemDriveRecord> records{
        record("WDC WD10 ü", "1,00 TB", "WD-123", "Daten", "FAILING"),
        record(std::nullopt, "2 TB", "SN2", "sdb", "FAILED"),
        record("ST2000", "2 TB", std::nullopt, "ST2000 with partitions A, and B", "FAILED")};
    ASSERT_TRUE(KZDriveListFile::write("07/12/2026 21:00", 3, records, path));

    const ReadBack list = readBack(path);
    ASSERT_TRUE(list.valid);
    EXPECT_EQ(list.rootKeys, (QStringList{"CheckTime", "TWProblemDrivesCount", "TWProblemDrives"}));
    EXPECT_EQ(list.checkTime, "07/12/2026 21:00");
    EXPECT_EQ(list.count, 3);
    ASSERT_EQ(list.drives.size(), 3);
    EXPECT_EQ(list.drives.at(0), (QList<QPair<QString, QString>>{{"DriveModel", "WDC WD10 ü"},
                                                                 {"DriveSize", "1,00 TB"},
                                                                 {"DriveSN", "WD-123"},
                                                                 {"DriveNames", "Daten"},
                                                                 {"DriveHealth", "FAILING"}}));
    EXPECT_TRUE(list.drives.at(1).isEmpty());
    EXPECT_EQ(list.drives.at(2),
              (QList<QPair<QString, QString>>{{"DriveModel", "ST2000"}, {"DriveSize", "2 TB"}}));
    const QByteArray xml = TestSupport::readFile(path);
    EXPECT_TRUE(xml.startsWith("<?xml"));
    EXPECT_TRUE(xml.contains("<!DOCTYPE plist"));
}

TEST(DriveList, NoProblemsLeavesOnlyTimeAndCount)
{
    const QString path = listPath("healthy");
    ASSERT_TRUE(KZDriveListFile::write("today", 0, {}, path));
    const ReadBack list = readBack(path);
    ASSERT_TRUE(list.valid);
    EXPECT_EQ(list.rootKeys, (QStringList{"CheckTime", "TWProblemDrivesCount"}));
    EXPECT_EQ(list.count, 0);
    EXPECT_FALSE(list.hasDrives);
}

TEST(DriveList, EveryWriteReplacesTheWholeFile)
{
    const QString path = listPath("replaced");
    ASSERT_TRUE(KZDriveListFile::write("first", 1, {record("A", "1", "2", "A", "FAILED")}, path));
    ASSERT_TRUE(KZDriveListFile::write("second", 0, {}, path));
    const ReadBack list = readBack(path);
    EXPECT_EQ(list.checkTime, "second");
    EXPECT_FALSE(list.hasDrives);
    // No temporary file is left beside it.
    EXPECT_EQ(
        QDir(QFileInfo(path).absolutePath()).entryList({"replaced*"}, QDir::Files | QDir::Hidden),
        QStringList{"replaced.plist"});
}

TEST(DriveList, PlistutilAcceptsTheFile)
{
    if (!QFileInfo(QStringLiteral("/usr/bin/plistutil")).isExecutable())
        GTEST_SKIP() << "plistutil is not installed (package libplist-utils)";
    const QString path = listPath("converted");
    ASSERT_TRUE(KZDriveListFile::write("now", 1, {record("M", "S", "N", "M", "FAILED")}, path));
    const QString binary = path + QStringLiteral(".bin");
    QProcess tool;
    tool.start(QStringLiteral("/usr/bin/plistutil"), {"-i", path, "-o", binary});
    ASSERT_TRUE(tool.waitForFinished(20000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    EXPECT_TRUE(TestSupport::readFile(binary).startsWith("bplist00"));
}

TEST(DriveList, AnUnwritablePlaceLeavesTheOldFileAndReportsFalse)
{
    const QString path = listPath("blocked");
    ASSERT_TRUE(KZDriveListFile::write("old", 0, {}, path));
    // A folder where the temporary file would go: the write cannot happen.
    const QString blockedParent = TestSupport::homeDir() + QStringLiteral("/not-a-folder");
    TestSupport::writeFile(blockedParent, "file");
    EXPECT_FALSE(KZDriveListFile::write("new", 0, {}, blockedParent + QStringLiteral("/x.plist")));
    // A folder standing where the list should be cannot be replaced.
    const QString folderInTheWay = listPath("folder-in-the-way");
    QDir().mkpath(folderInTheWay);
    EXPECT_FALSE(KZDriveListFile::write("new", 0, {}, folderInTheWay));
    EXPECT_EQ(readBack(path).checkTime, "old");
}

TEST(DriveList, CheckTimeUsesTheShortDateAndTimeStyle)
{
    const QDateTime time(QDate(2026, 12, 7), QTime(21, 5));
    const QString text = KZDriveListFile::checkTimeText(time);
    const QLocale locale = QLocale::system();
    EXPECT_EQ(text, locale.toString(time.date(), QLocale::ShortFormat) + " " +
                        locale.toString(time.time(), QLocale::ShortFormat));
    EXPECT_FALSE(text.isEmpty());
}
