#include "KZDriveListFile.h"

#include "KZAtomicFile.h"
#include "KZPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <plist/plist.h>

#include <cstdlib>
#include <memory>

namespace {

struct PlistFree
{
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPointer = std::unique_ptr<std::remove_pointer_t<plist_t>, PlistFree>;

} // namespace

QList<QPair<QString, QString>> KZProblemDriveRecord::fields() const
{
    QList<QPair<QString, QString>> result;
    const std::pair<const char *, const std::optional<QString> *> ordered[] = {
        {"DriveModel", &driveModel},
        {"DriveSize", &driveSize},
        {"DriveSN", &driveSerialNumber},
        {"DriveNames", &driveNames},
    };
    for (const auto &[key, value] : ordered) {
        if (!*value)
            return result;
        result.append({QString::fromLatin1(key), **value});
    }
    result.append({QStringLiteral("DriveHealth"), driveHealth});
    return result;
}

namespace KZDriveListFile {

QString filePath()
{
    return KZPaths::dataFolder() + QStringLiteral("/DrivesList.plist");
}

QString checkTimeText(const QDateTime &time)
{
    const QLocale locale = QLocale::system();
    return locale.toString(time.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(time.time(), QLocale::ShortFormat);
}

QByteArray toXML(const QString &checkTime, qint64 problemCount,
                 const QList<KZProblemDriveRecord> &records)
{
    // Dictionary items keep the order in which they are set.
    PlistPointer root(plist_new_dict());
    plist_dict_set_item(root.get(), "CheckTime", plist_new_string(checkTime.toUtf8().constData()));
    plist_dict_set_item(root.get(), "TWProblemDrivesCount",
                        plist_new_uint(uint64_t(qMax<qint64>(problemCount, 0))));
    if (problemCount > 0) {
        plist_t array = plist_new_array();
        for (const KZProblemDriveRecord &record : records) {
            plist_t entry = plist_new_dict();
            for (const auto &[key, value] : record.fields())
                plist_dict_set_item(entry, key.toUtf8().constData(),
                                    plist_new_string(value.toUtf8().constData()));
            plist_array_append_item(array, entry);
        }
        plist_dict_set_item(root.get(), "TWProblemDrives", array);
    }
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &xml, &length);
    const QByteArray text(xml, xml ? qsizetype(length) : 0);
    std::free(xml);
    return text;
}

bool write(const QString &checkTime, qint64 problemCount,
           const QList<KZProblemDriveRecord> &records, const QString &path)
{
    const QByteArray xml = toXML(checkTime, problemCount, records);
    if (xml.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Written to a temporary file and renamed over the old one: a reader
    // sees the old list or the new one, never a part.
    return KZAtomicFile::write(path, xml);
}

} // namespace KZDriveListFile
