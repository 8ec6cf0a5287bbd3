// The history of checks through tarnwell-cli: checks of a disk whose capture
// changes between them (replayed through the real smartctl) and what
// "history" prints of them, and a check killed in the middle of its write.
#include "ForgedDrives.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>

#include <iostream>
#include <unistd.h>

namespace {

struct ToolRun
{
    int exitCode = -1;
    bool killed = false;
    QString out;
    QString err;
};

class CliHistory : public testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_SMARTCTL();
        static int counter = 0;
        home = TestSupport::homeDir() + QStringLiteral("/history-home-%1").arg(++counter);
        QDir().mkpath(home + "/replay");
    }

    // Disk /dev/<name> answers with a forged capture of that description.
    void setDisk(const QString &name, const QByteArray &json)
    {
        const QString forged = TestSupport::forge(json, name + ".twdr");
        QFile::remove(home + "/replay/" + name + ".twdr");
        QFile::copy(forged, home + "/replay/" + name + ".twdr");
    }

    ToolRun run(const QStringList &arguments, const QString &program = TARNWELL_CLI)
    {
        QProcess process;
        QProcessEnvironment environment = TestSupport::homeEnvironment(home);
        environment.insert("FAKE_REPLAY_DIR", home + "/replay");
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        ToolRun result;
        if (!process.waitForFinished(300000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "did not finish: " << arguments.join(' ').toStdString();
            return result;
        }
        result.killed = process.exitStatus() != QProcess::NormalExit;
        result.exitCode = process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    QStringList check(const QStringList &disks)
    {
        return QStringList{"check", "--smartctl", TestSupport::fake("fake-smartctl-replay")} +
               disks;
    }

    QJsonArray history(const QStringList &arguments, int exitCode = 0)
    {
        const ToolRun printed = run(QStringList{"history", "--json"} + arguments);
        EXPECT_EQ(printed.exitCode, exitCode) << printed.err.toStdString();
        return QJsonDocument::fromJson(printed.out.toUtf8()).array();
    }

    QString databasePath() const { return home + "/data/Tarnwell/history.sqlite"; }

    QString home;
};

QByteArray disk(qint64 reallocated)
{
    return ForgedDrives::driveJson("FORGE HISTORY DISK", "HIST0001", "passed", reallocated);
}

} // namespace

TEST_F(CliHistory, ChecksOfAChangingDiskArePrintedAsTextJsonAndCsv)
{
    setDisk("sda", disk(0));
    // sdb has no capture: smartctl cannot open it, and it is UNKNOWN.
    EXPECT_EQ(run(check({"/dev/sda", "/dev/sdb"})).exitCode, 3);
    setDisk("sda", disk(8));
    EXPECT_EQ(run(check({"/dev/sda", "/dev/sdb"})).exitCode, 1);
    // Neither a check without history nor a replayed report is recorded.
    EXPECT_EQ(run(check({"--no-history", "/dev/sda"})).exitCode, 1);
    EXPECT_EQ(run(check({home + "/replay/sda.twdr"})).exitCode, 1);

    const QJsonArray drives = history({"/dev/sda", "HIST0001"});
    ASSERT_EQ(drives.size(), 2);
    for (const QJsonValue &drive : drives) {
        EXPECT_EQ(drive["drive"].toString(), "serial:HIST0001");
        const QJsonArray rows = drive["rows"].toArray();
        ASSERT_EQ(rows.size(), 2);
        EXPECT_EQ(rows.at(0)["reallocated"].toInt(), 0);
        EXPECT_EQ(rows.at(0)["status"].toString(), "PASSED");
        EXPECT_EQ(rows.at(1)["reallocated"].toInt(), 8);
        EXPECT_EQ(rows.at(1)["status"].toString(), "FAILING");
        EXPECT_EQ(rows.at(1)["temperature"].toInt(), 35);
        EXPECT_EQ(rows.at(1)["device"].toString(), "/dev/sda");
    }
    const QJsonArray unread = history({"/dev/sdb"}).at(0)["rows"].toArray();
    ASSERT_EQ(unread.size(), 2);
    EXPECT_EQ(unread.at(0)["status"].toString(), "UNKNOWN");
    EXPECT_FALSE(unread.at(0)["read"].toBool());
    EXPECT_TRUE(unread.at(0)["temperature"].isNull());

    const ToolRun csv = run({"history", "--csv", "--attribute", "5", "HIST0001"});
    const QStringList lines = csv.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << csv.out.toStdString();
    EXPECT_TRUE(lines.at(0).endsWith(",daily,attribute,value,worst,raw"));
    EXPECT_TRUE(lines.at(2).endsWith(",0,5,100,100,8")) << lines.at(2).toStdString();
    const ToolRun text = run({"history", "/dev/sda"});
    EXPECT_TRUE(text.out.startsWith("/dev/sda: FORGE HISTORY DISK, serial:HIST0001, 2 checks\n"))
        << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QRegularExpression("\n\\S+ \\S+ +/dev/sda +FAILING +2 +35 ")))
        << text.out.toStdString();

    EXPECT_EQ(history({"--since", "2999-01-01", "/dev/sda"}).at(0)["rows"].toArray().size(), 0);
    const ToolRun unknown = run({"history", "/dev/sdq", "/dev/sda"});
    EXPECT_EQ(unknown.exitCode, 3);
    EXPECT_TRUE(unknown.err.contains("/dev/sdq: no check of /dev/sdq is recorded"));
    EXPECT_TRUE(unknown.out.contains("2 checks"));
}

TEST_F(CliHistory, BadCommandLinesAndHistorySwitchedOff)
{
    for (const QStringList &arguments : {QStringList{"history"},
                                         {"history", "--json", "--csv", "/dev/sda"},
                                         {"history", "--since", "yesterday", "/dev/sda"},
                                         {"history", "--attribute", "five", "/dev/sda"}}) {
        const ToolRun bad = run(arguments);
        EXPECT_EQ(bad.exitCode, 1) << arguments.join(' ').toStdString();
        EXPECT_TRUE(bad.err.startsWith("tarnwell-cli: ")) << bad.err.toStdString();
    }
    TestSupport::writeFile(home + "/config/Tarnwell/Tarnwell.conf",
                           "[General]\nHistoryRetentionDays=0\n");
    setDisk("sda", disk(0));
    EXPECT_EQ(run(check({"/dev/sda"})).exitCode, 0);
    EXPECT_FALSE(QFile::exists(databasePath()));
    const ToolRun off = run({"history", "/dev/sda"});
    EXPECT_EQ(off.exitCode, 3);
    EXPECT_TRUE(off.err.contains("switched off")) << off.err.toStdString();
}

// A check killed by a signal at each write of its transaction into the
// write-ahead log (strace injects it): the file passes PRAGMA
// integrity_check, holds the killed check whole or not at all, and the
// next check writes.
TEST_F(CliHistory, CheckKilledInTheMiddleOfItsWriteLeavesASoundFile)
{
    const QString strace = QStandardPaths::findExecutable("strace");
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is not installed";
    const QStringList disks{"/dev/sda", "/dev/sdb", "/dev/sdc", "/dev/sdd"};
    for (const QString &device : disks)
        setDisk(device.mid(5),
                ForgedDrives::driveJson("FORGE KILL", device.mid(5) + "KILL", "passed", 0));
    ASSERT_EQ(run(check(disks)).exitCode, 0);
    const QString trace = home + "/trace";
    ASSERT_EQ(run(QStringList{"-qq", "-y", "-e", "trace=pwrite64", "-o", trace, TARNWELL_CLI} +
                      check(disks),
                  strace)
                  .exitCode,
              0);
    QList<int> ordinals;
    int ordinal = 0;
    for (const QString &line : QString::fromUtf8(TestSupport::readFile(trace)).split('\n')) {
        if (!line.startsWith("pwrite64("))
            continue;
        ++ordinal;
        if (line.contains("history.sqlite-wal>"))
            ordinals.append(ordinal);
    }
    ASSERT_GE(ordinals.size(), 2) << TestSupport::readFile(trace).toStdString();

    const auto rowCount = [this] {
        int count = -1;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "probe");
            db.setDatabaseName(databasePath());
            EXPECT_TRUE(db.open());
            QSqlQuery query(db);
            EXPECT_TRUE(query.exec("PRAGMA integrity_check") && query.next());
            EXPECT_EQ(query.value(0).toString(), "ok");
            EXPECT_TRUE(query.exec("SELECT COUNT(*) FROM checks") && query.next());
            count = query.value(0).toInt();
        }
        QSqlDatabase::removeDatabase("probe");
        return count;
    };
    for (const int point : {ordinals.first(), ordinals.at(ordinals.size() / 2), ordinals.last()}) {
        SCOPED_TRACE(point);
        const int before = rowCount();
        const ToolRun killed =
            run(QStringList{"-qq", "-o", "/dev/null", "-e", "trace=pwrite64", "-e",
                            QStringLiteral("inject=pwrite64:signal=SIGKILL:when=%1").arg(point),
                            TARNWELL_CLI} +
                    check(disks),
                strace);
        EXPECT_TRUE(killed.killed);
        const int after = rowCount();
        EXPECT_TRUE(after == before || after == before + 4) << before << " then " << after;
        ASSERT_EQ(run(check(disks)).exitCode, 0);
        EXPECT_EQ(rowCount(), after + 4);
    }
}

// Another program holding the file in the middle of its write, or a file the
// user may not write: the check completes with its own verdict, and one log
// line says that its rows were not written.
TEST_F(CliHistory, CheckCompletesWhenItsRowsCannotBeWritten)
{
    setDisk("sda", disk(0));
    ASSERT_EQ(run(check({"/dev/sda"})).exitCode, 0);
    for (const bool locked : {true, false}) {
        SCOPED_TRACE(locked ? "locked" : "read-only");
        if (!locked && geteuid() == 0) {
            std::cout << "The read-only file is not tried: root writes it all the same.\n";
            continue;
        }
        const auto mode = QFile::ReadOwner | QFile::ExeOwner;
        if (!locked) {
            QFile::setPermissions(databasePath(), QFile::ReadOwner);
            QFile::setPermissions(QFileInfo(databasePath()).path(), mode);
        }
        ToolRun checked;
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
            other.setDatabaseName(databasePath());
            ASSERT_TRUE(other.open());
            QSqlQuery hold(other);
            if (locked) {
                ASSERT_TRUE(hold.exec("BEGIN IMMEDIATE"));
            }
            checked = run(check({"/dev/sda"}));
            if (locked)
                hold.exec("ROLLBACK");
        }
        QSqlDatabase::removeDatabase("other");
        QFile::setPermissions(QFileInfo(databasePath()).path(), mode | QFile::WriteOwner);
        QFile::setPermissions(databasePath(), QFile::ReadOwner | QFile::WriteOwner);
        EXPECT_EQ(checked.exitCode, 0) << checked.err.toStdString();
        EXPECT_TRUE(checked.out.startsWith("TARNWELL OK")) << checked.out.toStdString();
        EXPECT_EQ(checked.err.count("History of checks not written"), 1)
            << checked.err.toStdString();
        EXPECT_EQ(history({"/dev/sda"}).at(0)["rows"].toArray().size(), 1);
    }
}
