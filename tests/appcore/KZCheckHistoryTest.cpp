// The history of checks as a file: a simulated year under an injected clock
// (rows built directly), the rule that keeps two programs' timed checks
// from doubling the rows, and the faults that must never stop a check: a
// damaged file, one from a newer Tarnwell, a writer holding the lock.
#include "KZCheckHistory.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimeZone>

namespace {

const QDateTime yearStart(QDate(2025, 1, 1), QTime(0, 30), Qt::UTC);

QString freshPath()
{
    static int counter = 0;
    const QString dir = TestSupport::homeDir() + QStringLiteral("/history-%1").arg(++counter);
    QDir().mkpath(dir);
    return dir + QStringLiteral("/history.sqlite");
}

KZHistoryRow row(const QString &drive, const QDateTime &time, qint64 reallocated,
                 qint64 temperature, const QString &status = QStringLiteral("PASSED"))
{
    KZHistoryRow row;
    row.drive = drive;
    row.time = time;
    row.model = QStringLiteral("FORGE HX16000");
    row.device = QStringLiteral("/dev/sda");
    row.status = status;
    row.health = status == QLatin1String("PASSED") ? 1 : 2;
    row.hasValues = true;
    row.temperature = temperature;
    row.reallocated = reallocated;
    row.pending = 0;
    row.offlineUncorrectable = 0;
    row.crcErrors = 0;
    row.attributes = {{5, 100, 100, reallocated, QStringLiteral("Reallocated_Sector_Ct")},
                      {194, temperature, 50, temperature, QStringLiteral("Temperature_Celsius")}};
    return row;
}

// Runs a statement on a connection of the test's own; the first column of
// the first row.
QVariant scalar(const QString &path, const QString &statement)
{
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "probe");
        db.setDatabaseName(path);
        EXPECT_TRUE(db.open());
        QSqlQuery query(db);
        EXPECT_TRUE(query.exec(statement)) << statement.toStdString();
        if (query.next())
            value = query.value(0);
    }
    QSqlDatabase::removeDatabase("probe");
    return value;
}

} // namespace

// A year of hourly checks of two drives, written a day at a time with the
// clock at the end of that day: 90 days of every check, one row a day
// before, nothing past the retention.
TEST(CheckHistory, SimulatedYearKeepsNinetyDaysWholeAndOneRowADayBefore)
{
    const QString path = freshPath();
    KZCheckHistory history(path);
    for (int day = 0; day < 365; ++day) {
        QList<KZHistoryRow> rows;
        for (int hour = 0; hour < 24; ++hour) {
            const QDateTime time = yearStart.addDays(day).addSecs(hour * 3600);
            // Day 10 has a failing check at 03:30 and a hot hour at 05:30;
            // its counts grow through the day.
            const QString status = day == 10 && hour == 3 ? "FAILING" : "PASSED";
            rows.append(
                row("serial:A", time, day * 24 + hour, day == 10 && hour == 5 ? 61 : 35, status));
            KZHistoryRow unread;
            unread.drive = "serial:B";
            unread.time = time;
            unread.status = "UNKNOWN";
            rows.append(unread);
        }
        ASSERT_EQ(history.write(rows, yearStart.addDays(day).addSecs(23 * 3600 + 1800), 3650), 48)
            << history.errorString().toStdString();
    }
    const QDateTime now = yearStart.addDays(364).addSecs(23 * 3600 + 1800);
    const QList<KZHistoryRow> all = *history.rows("serial:A", {}, 5);
    const QDateTime fullSince(now.date().addDays(-KZCheckHistory::fullDays), QTime(0, 0), Qt::UTC);
    qsizetype daily = 0;
    for (const KZHistoryRow &kept : all) {
        EXPECT_EQ(kept.daily, kept.time < fullSince) << kept.time.toString().toStdString();
        daily += kept.daily ? 1 : 0;
    }
    EXPECT_EQ(daily, fullSince.date().toJulianDay() - yearStart.date().toJulianDay());
    EXPECT_EQ(all.size() - daily, 90 * 24);

    // The day's worst status, highest temperature, last counts and attributes.
    const KZHistoryRow &tenth = all.at(10);
    EXPECT_EQ(tenth.time.date(), yearStart.date().addDays(10));
    EXPECT_EQ(tenth.status, "FAILING");
    EXPECT_EQ(tenth.temperature, 61);
    EXPECT_EQ(tenth.reallocated, 10 * 24 + 23);
    ASSERT_NE(tenth.attribute(5), nullptr);
    EXPECT_EQ(tenth.attribute(5)->raw, 10 * 24 + 23);
    // A drive never read keeps its status alone, a row a day.
    const QList<KZHistoryRow> unread = *history.rows("serial:B", yearStart.addDays(10));
    EXPECT_TRUE(unread.first().daily);
    EXPECT_FALSE(unread.first().hasValues);
    EXPECT_EQ(unread.first().status, "UNKNOWN");

    // A shorter retention removes what is older, attributes and all.
    ASSERT_TRUE(history.maintain(now, 200));
    EXPECT_GE(history.rows("serial:A")->first().time, now.addDays(-200));
    EXPECT_EQ(scalar(path, "SELECT COUNT(*) FROM attributes WHERE check_id NOT IN "
                           "(SELECT id FROM checks)")
                  .toInt(),
              0);
    EXPECT_EQ(history.attributeNames("serial:A").value(194), "Temperature_Celsius");
}

TEST(CheckHistory, TimedCheckSkipsADriveRecordedWithinHalfTheInterval)
{
    const QString path = freshPath();
    KZCheckHistory history(path);
    const QDateTime start = yearStart;
    ASSERT_EQ(history.write({row("serial:A", start, 0, 35)}, start, 3650), 1);
    struct Case
    {
        int minutes;
        QString status;
        qint64 interval; // 0: a check the user started
        int written;
    };
    const QList<Case> cases{{20, "PASSED", 3600, 0},  {21, "FAILING", 3600, 1},
                            {22, "FAILING", 0, 1},    {23, "FAILING", 3600, 0},
                            {53, "FAILING", 3600, 1}, {54, "FAILING", 7200, 0}};
    for (const Case &check : cases) {
        const QDateTime time = start.addSecs(check.minutes * 60);
        EXPECT_EQ(
            history.write({row("serial:A", time, 0, 35, check.status)}, time, 3650, check.interval),
            check.written)
            << check.minutes;
    }
}

// A file that is not a database, and one whose pages were damaged: moved
// aside whole as "history.sqlite.corrupt-DATE", and the check written to a
// new file.
TEST(CheckHistory, DamagedFileIsMovedAsideAndTheCheckWritten)
{
    for (const bool header : {true, false}) {
        SCOPED_TRACE(header ? "not a database" : "damaged pages");
        const QString path = freshPath();
        QByteArray damaged = "This is not a database, nor ever was.\n";
        if (!header) {
            {
                KZCheckHistory history(path);
                QList<KZHistoryRow> rows;
                for (int hour = 0; hour < 400; ++hour)
                    rows.append(row("serial:A", yearStart.addSecs(hour * 3600), hour, 35));
                ASSERT_TRUE(history.write(rows, yearStart, 3650));
            }
            scalar(path, "PRAGMA wal_checkpoint(TRUNCATE)");
            damaged = TestSupport::readFile(path);
            for (qsizetype at = 4096; at < damaged.size(); at += 7)
                damaged[at] = char(0x5a);
        }
        TestSupport::writeFile(path, damaged);
        QFile::remove(path + "-wal");
        QFile::remove(path + "-shm");

        TestSupport::StderrCapture log;
        KZCheckHistory history(path);
        // The next day: the day's first write also checks the whole file.
        const QDateTime later = yearStart.addDays(30);
        ASSERT_EQ(history.write({row("serial:A", later, 3, 36)}, later, 3650), 1)
            << history.errorString().toStdString();
        const QStringList aside =
            QDir(QFileInfo(path).path()).entryList({"history.sqlite.corrupt-*"}, QDir::Files);
        ASSERT_EQ(aside.size(), 1);
        EXPECT_EQ(TestSupport::readFile(QFileInfo(path).path() + '/' + aside.first()), damaged);
        EXPECT_EQ(history.rows("serial:A")->size(), 1);
        EXPECT_EQ(log.text().count("moved aside as history.sqlite.corrupt-"), 1)
            << log.text().toStdString();
    }
}

TEST(CheckHistory, FileOfANewerVersionIsLeftAloneAndLoggedOnce)
{
    const QString path = freshPath();
    {
        KZCheckHistory history(path);
        ASSERT_TRUE(history.write({row("serial:A", yearStart, 0, 35)}, yearStart, 3650));
    }
    scalar(path, "PRAGMA user_version = 7");
    scalar(path, "PRAGMA wal_checkpoint(TRUNCATE)");
    const TestSupport::FileState before = TestSupport::fileState(path);

    TestSupport::StderrCapture log;
    for (int check = 0; check < 3; ++check) {
        KZCheckHistory history(path);
        EXPECT_FALSE(history.write({row("serial:A", yearStart, 0, 35)}, yearStart, 3650));
        EXPECT_TRUE(history.errorString().contains("newer Tarnwell"));
    }
    EXPECT_EQ(TestSupport::fileState(path), before);
    EXPECT_EQ(log.text().count("newer Tarnwell"), 1) << log.text().toStdString();
}

// Another program in the middle of its own write: this one waits at most
// the busy time-out, then gives up with a reason, and writes next time.
TEST(CheckHistory, WriterHoldingTheLockMakesTheWriteGiveUp)
{
    const QString path = freshPath();
    KZCheckHistory history(path);
    ASSERT_TRUE(history.write({row("serial:A", yearStart, 0, 35)}, yearStart, 3650));
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
        other.setDatabaseName(path);
        ASSERT_TRUE(other.open());
        QSqlQuery hold(other);
        ASSERT_TRUE(hold.exec("BEGIN IMMEDIATE"));
        EXPECT_FALSE(history.write({row("serial:A", yearStart.addSecs(60), 0, 35)},
                                   yearStart.addSecs(60), 3650));
        EXPECT_TRUE(history.errorString().contains("locked"))
            << history.errorString().toStdString();
        ASSERT_TRUE(hold.exec("ROLLBACK"));
    }
    QSqlDatabase::removeDatabase("other");
    EXPECT_EQ(history.write({row("serial:A", yearStart.addSecs(120), 0, 35)},
                            yearStart.addSecs(120), 3650),
              1);
    EXPECT_EQ(history.rows("serial:A")->size(), 2);
}

TEST(HistorySeries, TrendsThinningAndTexts)
{
    const QString path = freshPath();
    KZCheckHistory history(path);
    const QDateTime now = yearStart.addDays(100);
    // Counts 0 then 8 then 40: +32 since the check 30 days ago.
    for (const auto &[days, count] : {std::pair{60, 0}, {30, 8}, {1, 20}, {0, 40}})
        ASSERT_TRUE(history.write({row("serial:A", now.addDays(-days), count, 35)}, now, 3650));
    const std::optional<KZDriveTrend> trend = history.trend("serial:A");
    ASSERT_TRUE(trend);
    EXPECT_EQ(trend->reallocated, (KZCountTrend{32, 30}));
    EXPECT_EQ(KZHistorySeries::trendText(*trend->reallocated), "+32 in 30 days");
    EXPECT_TRUE(KZHistorySeries::grew(trend->reallocated));
    EXPECT_EQ(KZHistorySeries::trendText(*trend->pending), "no change in 30 days");
    EXPECT_EQ(KZHistorySeries::trendText({-2, 1}), "\u22122 in 1 day");
    // A history younger than a day has no trend yet.
    ASSERT_TRUE(history.write({row("serial:B", now, 0, 35)}, now, 3650));
    EXPECT_FALSE(history.trend("serial:B"));

    // Thinned to at most the points asked for, keeping the highest value
    // and the worst status of what each point stands for.
    QList<KZHistoryRow> rows;
    for (int hour = 0; hour < 1000; ++hour)
        rows.append(row("serial:A", yearStart.addSecs(hour * 3600), 0, hour == 501 ? 70 : 35,
                        hour == 502 ? "FAILED" : "PASSED"));
    const QList<KZHistorySeries::Point> points =
        KZHistorySeries::points(rows, KZHistorySeries::Quantity::Temperature, 100);
    EXPECT_LE(points.size(), 100);
    EXPECT_GE(points.size(), 90);
    const auto hot = std::find_if(points.cbegin(), points.cend(),
                                  [](const auto &point) { return point.value == 70; });
    ASSERT_NE(hot, points.cend());
    EXPECT_EQ(hot->row, 501);
    EXPECT_EQ(hot->status, "FAILED");
}
