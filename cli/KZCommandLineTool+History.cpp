// The history of checks on the command line: check writes its rows, history
// prints them (text, --json or --csv), always in English and in UTC.
#include "KZCommandLineTool.h"

#include "KZCheckHistory.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

namespace {

QString utcText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODate);
}

// "2026-01-31" (that day's start) or an ISO 8601 time; without a zone, UTC.
QDateTime parseSince(const QString &text)
{
    const QDate day = QDate::fromString(text, Qt::ISODate);
    if (day.isValid())
        return QDateTime(day, QTime(0, 0), Qt::UTC);
    QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (time.isValid() && time.timeSpec() == Qt::LocalTime)
        time.setTimeSpec(Qt::UTC);
    return time;
}

QJsonValue jsonNumber(const std::optional<qint64> &value)
{
    return value ? QJsonValue(double(*value)) : QJsonValue();
}

QString plain(const std::optional<qint64> &value)
{
    return value ? QString::number(*value) : QString();
}

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// The printed columns of a row, in the order of the text and CSV headers.
QStringList rowFields(const KZHistoryRow &row)
{
    return {row.device,
            row.status,
            QString::number(row.health),
            plain(row.temperature),
            plain(row.powerOnHours),
            plain(row.reallocated),
            plain(row.pending),
            plain(row.offlineUncorrectable),
            plain(row.crcErrors),
            plain(row.errorCount),
            row.selfTest};
}

QStringList attributeFields(const KZHistoryRow &row, qint32 attribute)
{
    const KZHistoryAttribute *found = row.attribute(attribute);
    if (!found)
        return {QString(), QString(), QString()};
    return {QString::number(found->value), QString::number(found->worst),
            QString::number(found->raw)};
}

} // namespace

void KZCommandLineTool::recordHistory(const KZDriveList &drives)
{
    QList<const KZSMARTDrive *> checked;
    for (const auto &drive : drives)
        checked.append(drive.get());
    // A check someone started: it is always written.
    KZCheckHistory::recordCheck(checked, QDateTime::currentDateTimeUtc(), KZPreferences::standard(),
                                0);
}

int KZCommandLineTool::history(const QStringList &arguments)
{
    ParsedOptions options;
    if (const std::optional<QString> problem =
            parseOptions(arguments,
                         {QStringLiteral("--json"), QStringLiteral("--csv"),
                          QStringLiteral("--since"), QStringLiteral("--attribute")},
                         options))
        return usage(*problem);
    if (options.json && options.csv)
        return usage(QStringLiteral("--json and --csv cannot be given together"));
    if (options.targets.isEmpty())
        return usage(QStringLiteral("history needs at least one TARGET"));
    QDateTime since;
    if (!options.since.isEmpty()) {
        since = parseSince(options.since);
        if (!since.isValid())
            return usage(QStringLiteral("--since needs a day such as 2026-01-31 or a time such "
                                        "as 2026-01-31T12:00:00Z, not \"%1\"")
                             .arg(options.since));
    }
    if (KZCheckHistory::retentionDays(KZPreferences::standard()) <= 0) {
        m_err << "tarnwell-cli: the history of checks is switched off (\""
              << KZPreferenceKeys::historyRetentionDays << "\" is 0)\n";
        m_err.flush();
        return DriveUnreadable;
    }

    const std::optional<qint32> attribute = options.attribute;
    KZCheckHistory history;
    bool allFound = true;
    QJsonArray jsonDrives;
    QStringList csvHeader{QStringLiteral("time"),
                          QStringLiteral("drive"),
                          QStringLiteral("model"),
                          QStringLiteral("device"),
                          QStringLiteral("status"),
                          QStringLiteral("health"),
                          QStringLiteral("temperature"),
                          QStringLiteral("powerOnHours"),
                          QStringLiteral("reallocated"),
                          QStringLiteral("pending"),
                          QStringLiteral("offlineUncorrectable"),
                          QStringLiteral("crcErrors"),
                          QStringLiteral("errorCount"),
                          QStringLiteral("selfTest"),
                          QStringLiteral("daily")};
    if (attribute)
        csvHeader += {QStringLiteral("attribute"), QStringLiteral("value"), QStringLiteral("worst"),
                      QStringLiteral("raw")};
    if (options.csv)
        m_out << csvHeader.join(QLatin1Char(',')) << "\n";

    bool firstText = true;
    for (const QString &target : std::as_const(options.targets)) {
        const std::optional<QString> drive = history.driveOf(target);
        const std::optional<QList<KZHistoryRow>> rows =
            drive ? history.rows(*drive, since, attribute) : std::nullopt;
        if (!rows) {
            m_err << "tarnwell-cli: " << target << ": " << history.errorString() << "\n";
            allFound = false;
            continue;
        }
        const QString attributeName =
            attribute ? history.attributeNames(*drive).value(*attribute) : QString();
        const QString model = rows->isEmpty() ? QString() : rows->last().model;

        if (options.json) {
            QJsonArray jsonRows;
            for (const KZHistoryRow &row : *rows) {
                QJsonObject object{
                    {QStringLiteral("time"), utcText(row.time)},
                    {QStringLiteral("device"), row.device},
                    {QStringLiteral("model"), row.model},
                    {QStringLiteral("status"), row.status},
                    {QStringLiteral("health"), row.health},
                    {QStringLiteral("read"), row.hasValues},
                    {QStringLiteral("temperature"), jsonNumber(row.temperature)},
                    {QStringLiteral("powerOnHours"), jsonNumber(row.powerOnHours)},
                    {QStringLiteral("reallocated"), jsonNumber(row.reallocated)},
                    {QStringLiteral("pending"), jsonNumber(row.pending)},
                    {QStringLiteral("offlineUncorrectable"), jsonNumber(row.offlineUncorrectable)},
                    {QStringLiteral("crcErrors"), jsonNumber(row.crcErrors)},
                    {QStringLiteral("errorCount"), jsonNumber(row.errorCount)},
                    {QStringLiteral("selfTest"), row.selfTest},
                    {QStringLiteral("daily"), row.daily}};
                if (attribute) {
                    const KZHistoryAttribute *found = row.attribute(*attribute);
                    object.insert(QStringLiteral("attribute"),
                                  found
                                      ? QJsonObject{{QStringLiteral("id"), *attribute},
                                                    {QStringLiteral("value"), double(found->value)},
                                                    {QStringLiteral("worst"), double(found->worst)},
                                                    {QStringLiteral("raw"), double(found->raw)}}
                                      : QJsonValue());
                }
                jsonRows.append(object);
            }
            QJsonObject entry{{QStringLiteral("target"), target},
                              {QStringLiteral("drive"), *drive},
                              {QStringLiteral("model"), model},
                              {QStringLiteral("rows"), jsonRows}};
            if (attribute)
                entry.insert(QStringLiteral("attributeName"), attributeName);
            jsonDrives.append(entry);
            continue;
        }

        if (options.csv) {
            for (const KZHistoryRow &row : *rows) {
                QStringList fields{utcText(row.time), *drive, row.model};
                fields += rowFields(row);
                fields.append(row.daily ? QStringLiteral("1") : QStringLiteral("0"));
                if (attribute)
                    fields +=
                        QStringList{QString::number(*attribute)} + attributeFields(row, *attribute);
                for (QString &field : fields)
                    field = csvField(field);
                m_out << fields.join(QLatin1Char(',')) << "\n";
            }
            continue;
        }

        // Text: a heading per drive, then a table with columns as wide as
        // their widest cell.
        if (!firstText)
            m_out << "\n";
        firstText = false;
        m_out << target << ": "
              << (model.isEmpty() ? *drive : model + QStringLiteral(", ") + *drive) << ", "
              << rows->size() << (rows->size() == 1 ? " check" : " checks") << "\n";
        QList<QStringList> table;
        QStringList header{
            QStringLiteral("time (UTC)"), QStringLiteral("device"),  QStringLiteral("status"),
            QStringLiteral("health"),     QStringLiteral("temp"),    QStringLiteral("hours"),
            QStringLiteral("realloc"),    QStringLiteral("pending"), QStringLiteral("offline"),
            QStringLiteral("crc"),        QStringLiteral("errors"),  QStringLiteral("self-test")};
        if (attribute) {
            const QString label = QStringLiteral("attr %1").arg(*attribute);
            header.insert(header.size() - 1, label + QStringLiteral(" value"));
            header.insert(header.size() - 1, QStringLiteral("worst"));
            header.insert(header.size() - 1, QStringLiteral("raw"));
        }
        table.append(header);
        for (const KZHistoryRow &row : *rows) {
            QStringList fields{
                row.daily ? row.time.toUTC().toString(QStringLiteral("yyyy-MM-dd")) +
                                QStringLiteral(" (day)")
                          : row.time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))};
            fields += rowFields(row);
            for (qsizetype index = 3; index < fields.size() - 1; ++index) {
                if (fields[index].isEmpty())
                    fields[index] = QStringLiteral("-");
            }
            if (attribute) {
                const QStringList values = attributeFields(row, *attribute);
                for (qsizetype index = 0; index < values.size(); ++index)
                    fields.insert(fields.size() - 1, values.at(index).isEmpty()
                                                         ? QStringLiteral("-")
                                                         : values.at(index));
            }
            table.append(fields);
        }
        if (attribute && !attributeName.isEmpty())
            m_out << "attribute " << *attribute << ": " << attributeName << "\n";
        QList<qsizetype> widths(header.size(), 0);
        for (const QStringList &line : std::as_const(table)) {
            for (qsizetype column = 0; column < line.size(); ++column)
                widths[column] = qMax(widths[column], line.at(column).size());
        }
        for (const QStringList &line : std::as_const(table)) {
            QString text;
            for (qsizetype column = 0; column < line.size(); ++column)
                text += column + 1 == line.size()
                            ? line.at(column)
                            : line.at(column).leftJustified(widths.at(column) + 2);
            m_out << text.trimmed() << "\n";
        }
    }
    if (options.json)
        m_out << QJsonDocument(jsonDrives).toJson(QJsonDocument::Indented);
    m_out.flush();
    m_err.flush();
    return allFound ? Success : DriveUnreadable;
}
