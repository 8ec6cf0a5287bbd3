#include "KZBlockDeviceList.h"

#include "KZHelperRules.h"

#include <QHash>

namespace KZBlockDeviceList {

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

// What lsblk prints for an active swap area in the mount point column.
const QString swapMount = QStringLiteral("[SWAP]");

// One device of the listing; a device built on several parents (a RAID or
// a volume group over two disks) is listed once per parent.
struct Node
{
    QString type;
    QString path;
    QString mountPoint;
    QString label;
    QString model;
    QString serial;
    QStringList parents;
};

} // namespace

QStringList lsblkArguments()
{
    return {QStringLiteral("-P"), QStringLiteral("-o"),
            QStringLiteral("NAME,TYPE,PKNAME,MOUNTPOINT,LABEL,PATH,MODEL,SERIAL")};
}

QString decodeValue(QStringView raw)
{
    QByteArray bytes;
    QString plain; // characters that were not escaped stand for themselves
    for (qsizetype at = 0; at < raw.size(); ++at) {
        if (raw.at(at) == QLatin1Char('\\') && at + 3 < raw.size() &&
            raw.at(at + 1) == QLatin1Char('x')) {
            const int high = hexDigit(raw.at(at + 2));
            const int low = hexDigit(raw.at(at + 3));
            if (high >= 0 && low >= 0) {
                bytes += plain.toUtf8();
                plain.clear();
                bytes.append(char(high * 16 + low));
                at += 3;
                continue;
            }
        }
        plain.append(raw.at(at));
    }
    bytes += plain.toUtf8();
    return QString::fromUtf8(bytes);
}

std::optional<QMap<QString, QString>> parsePairs(const QString &line)
{
    QMap<QString, QString> pairs;
    const qsizetype length = line.size();
    qsizetype at = 0;
    for (;;) {
        while (at < length && isBlank(line.at(at)))
            ++at;
        if (at >= length)
            return pairs;
        const qsizetype keyStart = at;
        while (at < length && line.at(at) != QLatin1Char('=') && line.at(at) != QLatin1Char('"') &&
               !isBlank(line.at(at)))
            ++at;
        if (at == keyStart || at + 1 >= length || line.at(at) != QLatin1Char('=') ||
            line.at(at + 1) != QLatin1Char('"'))
            return std::nullopt;
        const QString key = line.mid(keyStart, at - keyStart);
        const qsizetype valueStart = at + 2;
        const qsizetype valueEnd = line.indexOf(QLatin1Char('"'), valueStart);
        if (valueEnd < 0)
            return std::nullopt;
        pairs.insert(key, decodeValue(QStringView(line).mid(valueStart, valueEnd - valueStart)));
        at = valueEnd + 1;
        if (at < length && !isBlank(line.at(at)))
            return std::nullopt;
    }
}

bool isWholeDiskName(const QString &name)
{
    // The same rule decides which devices the privileged helper reads.
    return KZHelperRules::isWholeDiskName(name.toStdString());
}

std::optional<QList<Disk>> disksFromLsblk(const QStringList &lines, QString *problem)
{
    QStringList order;
    QHash<QString, Node> nodes;
    for (const QString &line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const std::optional<QMap<QString, QString>> pairs = parsePairs(line);
        if (!pairs || pairs->value(QStringLiteral("NAME")).isEmpty() ||
            !pairs->contains(QStringLiteral("TYPE"))) {
            if (problem)
                *problem = line;
            return std::nullopt;
        }
        const QString name = pairs->value(QStringLiteral("NAME"));
        if (!nodes.contains(name)) {
            order.append(name);
            Node fresh;
            fresh.type = pairs->value(QStringLiteral("TYPE"));
            fresh.path = pairs->value(QStringLiteral("PATH"));
            if (fresh.path.isEmpty())
                fresh.path = QStringLiteral("/dev/") + name;
            fresh.model = pairs->value(QStringLiteral("MODEL")).trimmed();
            fresh.serial = pairs->value(QStringLiteral("SERIAL")).trimmed();
            nodes.insert(name, fresh);
        }
        Node &node = nodes[name];
        const QString parent = pairs->value(QStringLiteral("PKNAME"));
        if (!parent.isEmpty() && parent != name && !node.parents.contains(parent))
            node.parents.append(parent);
        if (node.mountPoint.isEmpty())
            node.mountPoint = pairs->value(QStringLiteral("MOUNTPOINT"));
        if (node.label.isEmpty())
            node.label = pairs->value(QStringLiteral("LABEL"));
    }

    auto isDisk = [&nodes](const QString &name) {
        return nodes.value(name).type == QLatin1String("disk") && isWholeDiskName(name);
    };

    QList<Disk> disks;
    QHash<QString, qsizetype> diskIndex;
    for (const QString &name : order) {
        if (isDisk(name)) {
            diskIndex.insert(name, disks.size());
            const Node &node = nodes[name];
            disks.append(Disk{name, node.path, {}, node.model, node.serial});
        }
    }

    for (const QString &name : order) {
        const Node &node = nodes[name];
        if (node.mountPoint.isEmpty() || node.mountPoint == swapMount)
            continue;
        const QString volume = node.label.isEmpty() ? node.mountPoint : node.label;
        // Walk down from the mounted device to the whole disks it lives on.
        QStringList pending{name};
        QStringList seen;
        while (!pending.isEmpty()) {
            const QString current = pending.takeFirst();
            if (seen.contains(current))
                continue;
            seen.append(current);
            if (isDisk(current)) {
                QStringList &names = disks[diskIndex.value(current)].volumeNames;
                if (!names.contains(volume))
                    names.append(volume);
                continue;
            }
            pending += nodes.value(current).parents;
        }
    }
    return disks;
}

} // namespace KZBlockDeviceList
