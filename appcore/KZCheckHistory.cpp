#include "KZCheckHistory.h"

#include "KZLog.h"
#include "KZPaths.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <algorithm>
#include <atomic>

namespace {

const QString driverName = QStringLiteral("QSQLITE");
const QString maintainedKey = QStringLiteral("maintained");

// SQLite's primary result codes that mean the file itself is damaged:
// SQLITE_CORRUPT and SQLITE_NOTADB.
bool isCorruption(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    return ok && (code == 11 || code == 26);
}

// Files written by a newer Tarnwell, each logged once per process.
QMutex newerMutex;
QSet<QString> newerLogged;

QString schemaStatements()
{
    return QStringLiteral(
        "CREATE TABLE IF NOT EXISTS checks ("
        " id INTEGER PRIMARY KEY,"
        " time INTEGER NOT NULL,"
        " drive TEXT NOT NULL,"
        " model TEXT,"
        " device TEXT,"
        " status TEXT NOT NULL,"
        " health INTEGER NOT NULL DEFAULT 0,"
        " has_values INTEGER NOT NULL DEFAULT 0,"
        " temperature INTEGER,"
        " power_on_hours INTEGER,"
        " reallocated INTEGER,"
        " pending INTEGER,"
        " offline_uncorrectable INTEGER,"
        " crc_errors INTEGER,"
        " error_count INTEGER,"
        " self_test TEXT,"
        " daily INTEGER NOT NULL DEFAULT 0);"
        "CREATE INDEX IF NOT EXISTS checks_by_drive ON checks (drive, time);"
        "CREATE INDEX IF NOT EXISTS checks_by_time ON checks (time);"
        "CREATE TABLE IF NOT EXISTS attributes ("
        " check_id INTEGER NOT NULL,"
        " attribute INTEGER NOT NULL,"
        " value INTEGER NOT NULL,"
        " worst INTEGER NOT NULL,"
        " raw INTEGER NOT NULL,"
        " PRIMARY KEY (check_id, attribute)) WITHOUT ROWID;"
        "CREATE TABLE IF NOT EXISTS attribute_names ("
        " drive TEXT NOT NULL,"
        " attribute INTEGER NOT NULL,"
        " name TEXT NOT NULL,"
        " PRIMARY KEY (drive, attribute)) WITHOUT ROWID;"
        "CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL) "
        "WITHOUT ROWID");
}

QVariant optionalValue(const std::optional<qint64> &value)
{
    return value ? QVariant(*value) : QVariant();
}

} // namespace

KZCheckHistory::KZCheckHistory(QString path) : m_path(std::move(path))
{
    static std::atomic<quint64> counter{0};
    m_connection = QStringLiteral("KZCheckHistory-%1-%2")
                       .arg(quintptr(QThread::currentThreadId()))
                       .arg(++counter);
}

KZCheckHistory::~KZCheckHistory()
{
    close();
}

QString KZCheckHistory::defaultPath()
{
    return KZPaths::dataFolder() + QStringLiteral("/history.sqlite");
}

int KZCheckHistory::retentionDays(const KZPreferences &preferences)
{
    const QVariant stored = preferences.objectForKey(KZPreferenceKeys::historyRetentionDays);
    bool ok = false;
    const qint64 days = stored.toString().trimmed().toLongLong(&ok);
    if (!stored.isValid() || !ok)
        return 3650;
    return int(std::clamp<qint64>(days, 0, 100000));
}

QSqlDatabase KZCheckHistory::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

void KZCheckHistory::close()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = database();
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_open = false;
}

bool KZCheckHistory::open(bool create)
{
    if (m_open)
        return true;
    if (!create && !QFileInfo::exists(m_path)) {
        m_error = QStringLiteral("no check has been recorded yet (%1 does not exist)").arg(m_path);
        return false;
    }
    // A damaged file is moved aside once, and a new one made.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (ensureOpen())
            return true;
        if (!settle())
            return false;
    }
    return false;
}

bool KZCheckHistory::settle()
{
    if (!m_corrupt)
        return false;
    m_corrupt = false;
    close();
    if (!moveAside()) {
        KZLog::log(QStringLiteral("History of checks: %1 is damaged (%2) and could not be moved "
                                  "aside.")
                       .arg(m_path, m_error));
        return false;
    }
    return true;
}

bool KZCheckHistory::ensureOpen()
{
    if (m_open)
        return true;
    if (!QSqlDatabase::isDriverAvailable(driverName)) {
        m_error = QStringLiteral("Qt's SQLite driver (libqt6sql6-sqlite) is not installed");
        return false;
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    {
        QSqlDatabase db = QSqlDatabase::contains(m_connection)
                              ? database()
                              : QSqlDatabase::addDatabase(driverName, m_connection);
        db.setDatabaseName(m_path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
        if (!db.open())
            return fail(db.lastError(), QStringLiteral("cannot open %1").arg(m_path));
    }
    const std::optional<QString> version = pragma(QStringLiteral("user_version"));
    if (!version)
        return false;
    if (version->toInt() > schemaVersion) {
        m_newer = true;
        m_error = QStringLiteral("%1 was written by a newer Tarnwell (schema version %2, this one "
                                 "knows %3); the history is switched off and the file left as "
                                 "it is")
                      .arg(m_path, *version)
                      .arg(schemaVersion);
        QMutexLocker locker(&newerMutex);
        if (!newerLogged.contains(m_path)) {
            newerLogged.insert(m_path);
            KZLog::log(QStringLiteral("History of checks: %1.").arg(m_error));
        }
        close();
        return false;
    }
    const std::optional<QString> journal = pragma(QStringLiteral("journal_mode"));
    if (!journal)
        return false;
    if (journal->compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0 &&
        !exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        return false;
    if (!exec(QStringLiteral("PRAGMA synchronous=NORMAL")))
        return false;
    if (version->toInt() < schemaVersion && !migrate())
        return false;
    m_open = true;
    return true;
}

std::optional<QString> KZCheckHistory::pragma(const QString &name)
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("PRAGMA ") + name) || !query.next()) {
        failQuery(query, QStringLiteral("cannot read %1").arg(m_path));
        return std::nullopt;
    }
    return query.value(0).toString();
}

bool KZCheckHistory::migrate()
{
    // Two programs may make the file at once: the second finds it made.
    if (!exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    const std::optional<QString> version = pragma(QStringLiteral("user_version"));
    if (!version) {
        exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    if (version->toInt() == 0 && !createSchema()) {
        exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    if (!exec(QStringLiteral("PRAGMA user_version=%1").arg(schemaVersion)) ||
        !exec(QStringLiteral("COMMIT"))) {
        exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

bool KZCheckHistory::createSchema()
{
    QSqlQuery query(database());
    for (const QString &statement : schemaStatements().split(QLatin1Char(';'))) {
        if (!query.exec(statement))
            return failQuery(query, QStringLiteral("cannot make the tables of %1").arg(m_path));
    }
    return true;
}

bool KZCheckHistory::exec(const QString &statement)
{
    QSqlQuery query(database());
    if (!query.exec(statement))
        return failQuery(query, statement);
    return true;
}

bool KZCheckHistory::failQuery(const QSqlQuery &query, const QString &what)
{
    return fail(query.lastError(), what);
}

bool KZCheckHistory::fail(const QSqlError &error, const QString &what)
{
    m_error = QStringLiteral("%1: %2").arg(what, error.text());
    // The file is moved aside by the call that met the damage, once its
    // statements are gone (settle()).
    if (isCorruption(error))
        m_corrupt = true;
    return false;
}

bool KZCheckHistory::moveAside()
{
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    QString aside = m_path + QStringLiteral(".corrupt-") + stamp;
    for (int suffix = 2; QFileInfo::exists(aside); ++suffix)
        aside = m_path + QStringLiteral(".corrupt-%1-%2").arg(stamp).arg(suffix);
    if (!QFile::rename(m_path, aside))
        return false;
    // The write-ahead log belongs to the damaged file; the shared-memory
    // index is made anew from it.
    QFile::rename(m_path + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
    QFile::remove(m_path + QStringLiteral("-shm"));
    KZLog::log(QStringLiteral("History of checks: %1 was damaged (%2); moved aside as %3 and "
                              "started afresh.")
                   .arg(m_path, m_error, QFileInfo(aside).fileName()));
    return true;
}

std::optional<QString> KZCheckHistory::meta(const QString &key)
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT value FROM meta WHERE key = ?"));
    query.addBindValue(key);
    if (!query.exec()) {
        failQuery(query, QStringLiteral("cannot read %1").arg(m_path));
        return std::nullopt;
    }
    return query.next() ? query.value(0).toString() : QString();
}

bool KZCheckHistory::setMeta(const QString &key, const QString &value)
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO meta (key, value) VALUES (?, ?)"));
    query.addBindValue(key);
    query.addBindValue(value);
    return query.exec() || failQuery(query, QStringLiteral("cannot write %1").arg(m_path));
}

std::optional<int> KZCheckHistory::write(const QList<KZHistoryRow> &rows, const QDateTime &now,
                                         int retentionDays, qint64 timedIntervalSeconds)
{
    // A file found damaged is moved aside and the check written to a new one.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!open())
            return std::nullopt;
        const std::optional<int> written =
            writeOnce(rows, now, retentionDays, timedIntervalSeconds);
        if (written)
            return written;
        if (!settle())
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<int> KZCheckHistory::writeOnce(const QList<KZHistoryRow> &rows, const QDateTime &now,
                                             int retentionDays, qint64 timedIntervalSeconds)
{
    QSqlDatabase db = database();
    if (!exec(QStringLiteral("BEGIN IMMEDIATE")))
        return std::nullopt;
    const auto rollBack = [this]() -> std::optional<int> {
        const QString error = m_error;
        exec(QStringLiteral("ROLLBACK"));
        m_error = error;
        return std::nullopt;
    };
    const QString writing = QStringLiteral("cannot write %1").arg(m_path);

    QSqlQuery last(db);
    QSqlQuery insert(db);
    QSqlQuery insertAttribute(db);
    QSqlQuery names(db);
    QSqlQuery insertName(db);
    if (!last.prepare(QStringLiteral("SELECT time, status FROM checks WHERE drive = ? ORDER BY "
                                     "time DESC, id DESC LIMIT 1")) ||
        !insert.prepare(QStringLiteral(
            "INSERT INTO checks (time, drive, model, device, status, health, has_values, "
            "temperature, power_on_hours, reallocated, pending, offline_uncorrectable, "
            "crc_errors, error_count, self_test) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")) ||
        !insertAttribute.prepare(QStringLiteral(
            "INSERT OR REPLACE INTO attributes (check_id, attribute, value, worst, raw) "
            "VALUES (?, ?, ?, ?, ?)")) ||
        !names.prepare(
            QStringLiteral("SELECT attribute, name FROM attribute_names WHERE drive = ?")) ||
        !insertName.prepare(QStringLiteral(
            "INSERT OR REPLACE INTO attribute_names (drive, attribute, name) VALUES (?, ?, ?)"))) {
        failQuery(last.lastError().isValid()              ? last
                  : insert.lastError().isValid()          ? insert
                  : insertAttribute.lastError().isValid() ? insertAttribute
                  : names.lastError().isValid()           ? names
                                                          : insertName,
                  writing);
        return rollBack();
    }

    const qint64 nowSeconds = now.toSecsSinceEpoch();
    int written = 0;
    for (const KZHistoryRow &row : rows) {
        if (timedIntervalSeconds > 0) {
            last.addBindValue(row.drive);
            if (!last.exec()) {
                failQuery(last, writing);
                return rollBack();
            }
            const bool recent =
                last.next() && nowSeconds - last.value(0).toLongLong() < timedIntervalSeconds / 2 &&
                last.value(1).toString() == row.status;
            last.finish();
            if (recent)
                continue;
        }
        const qint64 time = row.time.isValid() ? row.time.toSecsSinceEpoch() : nowSeconds;
        for (const QVariant &value :
             {QVariant(time), QVariant(row.drive), QVariant(row.model), QVariant(row.device),
              QVariant(row.status), QVariant(row.health), QVariant(row.hasValues ? 1 : 0),
              optionalValue(row.temperature), optionalValue(row.powerOnHours),
              optionalValue(row.reallocated), optionalValue(row.pending),
              optionalValue(row.offlineUncorrectable), optionalValue(row.crcErrors),
              optionalValue(row.errorCount), QVariant(row.selfTest)})
            insert.addBindValue(value);
        if (!insert.exec()) {
            failQuery(insert, writing);
            return rollBack();
        }
        ++written;
        if (row.attributes.isEmpty())
            continue;
        const qint64 checkId = insert.lastInsertId().toLongLong();
        QHash<qint32, QString> known;
        names.addBindValue(row.drive);
        if (!names.exec()) {
            failQuery(names, writing);
            return rollBack();
        }
        while (names.next())
            known.insert(names.value(0).toInt(), names.value(1).toString());
        for (const KZHistoryAttribute &attribute : row.attributes) {
            insertAttribute.addBindValue(checkId);
            insertAttribute.addBindValue(attribute.id);
            insertAttribute.addBindValue(attribute.value);
            insertAttribute.addBindValue(attribute.worst);
            insertAttribute.addBindValue(attribute.raw);
            if (!insertAttribute.exec()) {
                failQuery(insertAttribute, writing);
                return rollBack();
            }
            const auto name = known.constFind(attribute.id);
            if (!attribute.name.isEmpty() && (name == known.cend() || *name != attribute.name)) {
                insertName.addBindValue(row.drive);
                insertName.addBindValue(attribute.id);
                insertName.addBindValue(attribute.name);
                if (!insertName.exec()) {
                    failQuery(insertName, writing);
                    return rollBack();
                }
            }
        }
    }

    // Once a day (and when the retention changes), the older rows are thinned out.
    const QString due = now.toUTC().date().toString(Qt::ISODate) + QLatin1Char('|') +
                        QString::number(retentionDays);
    const std::optional<QString> maintained = meta(maintainedKey);
    if (!maintained)
        return rollBack();
    const bool maintain = *maintained != due;
    if (maintain && (!trim(now, retentionDays) || !setMeta(maintainedKey, due)))
        return rollBack();
    if (!exec(QStringLiteral("COMMIT")))
        return rollBack();
    if (maintain && !quickCheck())
        return std::nullopt;
    return written;
}

bool KZCheckHistory::maintain(const QDateTime &now, int retentionDays)
{
    if (!open())
        return false;
    bool done = exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (done && (!trim(now, retentionDays) || !exec(QStringLiteral("COMMIT")))) {
        const QString error = m_error;
        exec(QStringLiteral("ROLLBACK"));
        m_error = error;
        done = false;
    }
    done = done && quickCheck();
    settle();
    return done;
}

bool KZCheckHistory::quickCheck()
{
    const std::optional<QString> result = pragma(QStringLiteral("quick_check"));
    if (!result)
        return false;
    if (*result == QLatin1String("ok"))
        return true;
    // Damage that no statement has met yet: the file is moved aside.
    m_error = QStringLiteral("%1 failed its integrity check: %2").arg(m_path, *result);
    m_corrupt = true;
    return false;
}

bool KZCheckHistory::trim(const QDateTime &now, int retentionDays)
{
    const QDateTime utc = now.toUTC();
    const QDateTime fullSince(utc.date().addDays(-fullDays), QTime(0, 0), Qt::UTC);
    if (!thinOut(fullSince))
        return false;
    if (retentionDays <= 0)
        return true;
    const qint64 oldest = utc.addDays(-retentionDays).toSecsSinceEpoch();
    QSqlQuery query(database());
    const QString writing = QStringLiteral("cannot write %1").arg(m_path);
    for (const QString &statement : {QStringLiteral("DELETE FROM attributes WHERE check_id IN "
                                                    "(SELECT id FROM checks WHERE time < :oldest)"),
                                     QStringLiteral("DELETE FROM checks WHERE time < :oldest")}) {
        query.prepare(statement);
        query.bindValue(QStringLiteral(":oldest"), oldest);
        if (!query.exec())
            return failQuery(query, writing);
    }
    if (!query.exec(QStringLiteral("DELETE FROM attribute_names WHERE drive NOT IN "
                                   "(SELECT DISTINCT drive FROM checks)")))
        return failQuery(query, writing);
    return true;
}

bool KZCheckHistory::thinOut(const QDateTime &before)
{
    const QString writing = QStringLiteral("cannot write %1").arg(m_path);
    QSqlDatabase db = database();
    QSqlQuery select(db);
    select.setForwardOnly(true);
    select.prepare(QStringLiteral(
        "SELECT id, drive, time, status, health, has_values, temperature FROM checks "
        "WHERE daily = 0 AND time < ? ORDER BY drive, time, id"));
    select.addBindValue(before.toSecsSinceEpoch());
    if (!select.exec())
        return failQuery(select, writing);

    struct Entry
    {
        qint64 id;
        QString drive;
        QDate day;
        QString status;
        qint32 health;
        bool hasValues;
        std::optional<qint64> temperature;
    };
    QList<Entry> entries;
    while (select.next()) {
        const QVariant temperature = select.value(6);
        entries.append({select.value(0).toLongLong(), select.value(1).toString(),
                        QDateTime::fromSecsSinceEpoch(select.value(2).toLongLong(), Qt::UTC).date(),
                        select.value(3).toString(), select.value(4).toInt(),
                        select.value(5).toInt() != 0,
                        temperature.isNull() ? std::nullopt
                                             : std::optional<qint64>(temperature.toLongLong())});
    }
    select.finish();
    if (entries.isEmpty())
        return true;

    QSqlQuery keep(db);
    QSqlQuery dropAttributes(db);
    QSqlQuery drop(db);
    keep.prepare(QStringLiteral(
        "UPDATE checks SET status = ?, health = ?, temperature = ?, daily = 1 WHERE id = ?"));
    dropAttributes.prepare(QStringLiteral("DELETE FROM attributes WHERE check_id = ?"));
    drop.prepare(QStringLiteral("DELETE FROM checks WHERE id = ?"));
    qsizetype start = 0;
    while (start < entries.size()) {
        qsizetype end = start;
        while (end < entries.size() && entries.at(end).drive == entries.at(start).drive &&
               entries.at(end).day == entries.at(start).day)
            ++end;
        // The day's last row with values keeps the day's last counts and
        // attributes; it takes the worst status and the highest temperature.
        qsizetype kept = end - 1;
        for (qsizetype index = end - 1; index >= start; --index) {
            if (entries.at(index).hasValues) {
                kept = index;
                break;
            }
        }
        QString status = entries.at(kept).status;
        qint32 health = entries.at(kept).health;
        std::optional<qint64> temperature;
        for (qsizetype index = start; index < end; ++index) {
            const Entry &entry = entries.at(index);
            if (KZHistoryStatus::severity(entry.status) > KZHistoryStatus::severity(status)) {
                status = entry.status;
                health = entry.health;
            }
            if (entry.temperature && (!temperature || *entry.temperature > *temperature))
                temperature = entry.temperature;
        }
        keep.addBindValue(status);
        keep.addBindValue(health);
        keep.addBindValue(optionalValue(temperature));
        keep.addBindValue(entries.at(kept).id);
        if (!keep.exec())
            return failQuery(keep, writing);
        for (qsizetype index = start; index < end; ++index) {
            if (index == kept)
                continue;
            dropAttributes.addBindValue(entries.at(index).id);
            drop.addBindValue(entries.at(index).id);
            if (!dropAttributes.exec())
                return failQuery(dropAttributes, writing);
            if (!drop.exec())
                return failQuery(drop, writing);
        }
        start = end;
    }
    return true;
}

void KZCheckHistory::recordCheck(const QList<const KZSMARTDrive *> &drives, const QDateTime &now,
                                 const KZPreferences &preferences, qint64 timedIntervalSeconds,
                                 KZHistoryFacts *facts, const QString &path)
{
    const int retention = retentionDays(preferences);
    if (retention <= 0)
        return;
    QList<KZHistoryRow> rows;
    for (const KZSMARTDrive *drive : drives) {
        // A replayed report is not a check of the disk; a sleeping disk was
        // not read.
        if (drive->driveFromFile() || drive->driveSleeping())
            continue;
        rows.append(KZHistoryRow::fromDrive(*drive, now));
    }
    if (rows.isEmpty())
        return;
    KZCheckHistory history(path);
    if (!history.write(rows, now, retention, timedIntervalSeconds)) {
        if (history.m_newer)
            return;
        KZLog::log(QStringLiteral("History of checks not written: %1").arg(history.m_error));
    }
    // What the file already holds still shows when this check's rows could
    // not be added (another program held it too long).
    if (!facts)
        return;
    QSet<QString> keys;
    for (const KZHistoryRow &row : std::as_const(rows))
        keys.insert(row.drive);
    facts->known = history.knownDrives(keys);
    for (const QString &key : std::as_const(facts->known)) {
        if (const std::optional<KZDriveTrend> trend = history.trend(key))
            facts->trends.insert(key, *trend);
    }
}
