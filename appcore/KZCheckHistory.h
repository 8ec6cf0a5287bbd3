#pragma once

#include "KZHistoryRow.h"
#include "KZHistorySeries.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QVariant>
#include <optional>

class KZPreferences;
class KZSMARTDrive;
class QSqlDatabase;
class QSqlError;
class QSqlQuery;

// What the history says about the drives of a check: which drives it knows,
// and how their bad-sector counts changed over the last 30 days.
struct KZHistoryFacts
{
    QSet<QString> known;
    QHash<QString, KZDriveTrend> trends;
};

// The history of every check: one SQLite file
// ($XDG_DATA_HOME/Tarnwell/history.sqlite, WAL mode), read and written
// through Qt SQL by the application, the tray monitor and tarnwell-cli, even
// at the same time (a writer waits for another at most busyTimeoutMs).
//
// The table "checks" holds one row per drive per check; "attributes" every
// attribute's value, worst and raw value of that check; "attribute_names"
// the names the drives give them. Every check of the last 90 days is kept,
// one row per drive and day before that (the day's worst status, highest
// temperature and last counts), nothing older than the retention the user
// sets ("HistoryRetentionDays"; 0 switches the history off).
//
// An object is one connection of one thread (Qt SQL's rule): make it, use
// it and destroy it on the same thread. Nothing here ever stops a check: a
// locked, read-only, full or corrupt file makes the call fail with a reason
// (a corrupt file is moved aside as "history.sqlite.corrupt-DATE" and a new
// one started); a file written by a newer Tarnwell is left untouched.
class KZCheckHistory
{
public:
    static constexpr int schemaVersion = 1;
    static constexpr int busyTimeoutMs = 2000;
    // Every check of this many days is kept; older days keep one row.
    static constexpr int fullDays = 90;

    explicit KZCheckHistory(QString path = defaultPath());
    ~KZCheckHistory();
    KZCheckHistory(const KZCheckHistory &) = delete;
    KZCheckHistory &operator=(const KZCheckHistory &) = delete;

    // $XDG_DATA_HOME/Tarnwell/history.sqlite
    static QString defaultPath();
    // "HistoryRetentionDays" (0: the history is off).
    static int retentionDays(const KZPreferences &preferences);

    const QString &path() const { return m_path; }
    // Why the last call failed.
    const QString &errorString() const { return m_error; }

    // Opens the file, making it and its tables when missing. False when it
    // cannot be used (errorString() says why); a corrupt file is moved aside
    // and a new one made. Every other call opens the file when needed.
    // `create` false: a missing file is not made (for readers).
    bool open(bool create = true);

    // Writes the rows of one check in one transaction. A timed check
    // (timedIntervalSeconds > 0) skips a drive whose last row is younger
    // than half the interval and has the same status. Then, once a day,
    // thins out and trims the older rows (maintain()). Returns the number of
    // rows written, or nothing when the write failed.
    std::optional<int> write(const QList<KZHistoryRow> &rows, const QDateTime &now,
                             int retentionDays, qint64 timedIntervalSeconds = 0);

    // Keeps one row per drive and day for days older than fullDays before
    // `now` and removes rows older than the retention; then checks the
    // file's integrity (PRAGMA quick_check).
    bool maintain(const QDateTime &now, int retentionDays);

    // ---- reading (KZCheckHistory+Read.cpp) ----

    // The rows of a drive from `since` on (all when invalid), oldest first;
    // with `attribute`, each row holds that attribute when the check read it.
    std::optional<QList<KZHistoryRow>> rows(const QString &drive, const QDateTime &since = {},
                                            std::optional<qint32> attribute = {});
    // The drive's last row, and its last row with values at or before a time.
    std::optional<KZHistoryRow> lastRow(const QString &drive);
    std::optional<KZHistoryRow> lastValuesAtOrBefore(const QString &drive, const QDateTime &time);
    std::optional<KZHistoryRow> firstValues(const QString &drive);
    // Every attribute the drive's checks recorded, by id, with its name.
    QMap<qint32, QString> attributeNames(const QString &drive);
    // The drive last checked at a device, or the drive of a serial number.
    std::optional<QString> driveOf(const QString &target);
    // The drives of `keys` that have rows.
    QSet<QString> knownDrives(const QSet<QString> &keys);
    // How many checks, of every drive, are older than `time` (0 without a
    // history file).
    std::optional<qint64> checksBefore(const QDateTime &time);
    // How many stored checks the next check removes when the retention goes
    // from `oldDays` to `newDays` (0 when it does not get shorter).
    std::optional<qint64> checksRemovedByRetention(int oldDays, int newDays, const QDateTime &now);
    // How the bad-sector counts of a drive changed since 30 days before its
    // last row with values.
    std::optional<KZDriveTrend> trend(const QString &drive);

    // ---- what a program does after a check ----

    // Writes the check of `drives` as the programs do (not a replayed
    // report, not a drive asleep; a drive that could not be read gets its
    // status alone), off the GUI thread; logs one line when the history is
    // not written. Fills `facts` for the drives when asked.
    static void recordCheck(const QList<const KZSMARTDrive *> &drives, const QDateTime &now,
                            const KZPreferences &preferences, qint64 timedIntervalSeconds,
                            KZHistoryFacts *facts = nullptr, const QString &path = defaultPath());

private:
    QSqlDatabase database() const;
    bool ensureOpen();
    bool migrate();
    bool createSchema();
    std::optional<QString> pragma(const QString &name);
    bool exec(const QString &statement);
    // Records why a statement failed (and whether the file is damaged).
    // Returns false.
    bool fail(const QSqlError &error, const QString &what);
    bool failQuery(const QSqlQuery &query, const QString &what);
    // After a call met damage, with no statement left: closes the
    // connection and moves the file aside. True when it did.
    bool settle();
    bool moveAside();
    void close();
    std::optional<int> writeOnce(const QList<KZHistoryRow> &rows, const QDateTime &now,
                                 int retentionDays, qint64 timedIntervalSeconds);
    bool trim(const QDateTime &now, int retentionDays);
    bool thinOut(const QDateTime &before);
    bool quickCheck();
    std::optional<QString> meta(const QString &key);
    bool setMeta(const QString &key, const QString &value);
    static KZHistoryRow rowFrom(const QSqlQuery &query);
    // The first row of `checks c` that meets the condition (which may end
    // with its ORDER BY), its ? bound to the values in order.
    std::optional<KZHistoryRow> singleRow(const QString &condition, const QVariantList &values);

    QString m_path;
    QString m_connection;
    QString m_error;
    bool m_open = false;
    bool m_corrupt = false;
    bool m_newer = false;
};
