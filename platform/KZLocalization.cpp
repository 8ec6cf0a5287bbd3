#include "KZLocalization.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>

namespace {
QMutex tablesMutex;
QHash<QString, QHash<QString, QString>> tables;
QString preferred = QStringLiteral("English");
} // namespace

namespace KZLocalization {

QString localizedString(const QString &key, const QString &defaultValue, const QString &table)
{
    QMutexLocker locker(&tablesMutex);
    const auto found = tables.constFind(table);
    if (found != tables.constEnd()) {
        const auto text = found->constFind(key);
        if (text != found->constEnd())
            return *text;
    }
    return defaultValue;
}

bool loadTable(const QString &table, const QString &jsonPath)
{
    QFile file(jsonPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    QHash<QString, QString> entries;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.value().isString())
            entries.insert(it.key(), it.value().toString());
    }
    QMutexLocker locker(&tablesMutex);
    tables.insert(table, entries);
    return true;
}

QString preferredLocalization()
{
    QMutexLocker locker(&tablesMutex);
    return preferred;
}

void setPreferredLocalization(const QString &localization)
{
    QMutexLocker locker(&tablesMutex);
    preferred = localization;
}

QString localizationForLanguages(const QStringList &languages)
{
    for (const QString &language : languages) {
        const QString code =
            language.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0).toLower();
        if (code == QLatin1String("fr"))
            return QStringLiteral("French");
        if (code == QLatin1String("en"))
            return QStringLiteral("English");
    }
    return QStringLiteral("English");
}

void clearTables()
{
    QMutexLocker locker(&tablesMutex);
    tables.clear();
}

} // namespace KZLocalization
