// The files tarnwell-cli keeps (the preferences, the drive list) as a user
// meets them across runs: a steady check leaves them alone, and a run killed
// in the middle of writing one neither stalls the next run nor leaves litter.
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>

using TestSupport::FileState;
using TestSupport::fileState;
using TestSupport::readFile;

namespace {

QString freshHome()
{
    static int counter = 0;
    const QString home = TestSupport::homeDir() + QStringLiteral("/homes/%1").arg(++counter);
    QDir().mkpath(home + "/replay");
    // The disk /dev/sda of this home answers with the sample capture.
    QFile::copy(TestSupport::sourceDir() + "/resources/samples/healthy.twdr",
                home + "/replay/sda.twdr");
    return home;
}

QString preferencesFile(const QString &home)
{
    return home + "/config/Tarnwell/Tarnwell.conf";
}

QString driveListFile(const QString &home)
{
    return home + "/data/Tarnwell/DrivesList.plist";
}

struct ProgramRun
{
    int exitCode = -1;
    bool killed = false; // ended by a signal
    QString out;
};

// Runs a program with the home's XDG folders (tarnwell-cli, or strace
// running it).
ProgramRun runIn(const QString &home, const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = TestSupport::homeEnvironment(home);
    environment.insert("FAKE_REPLAY_DIR", home + "/replay");
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(300000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " did not finish";
        return run;
    }
    run.killed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = run.killed ? -1 : process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    return run;
}

// A check of a disk that then writes the drive list, as a cron job with
// --alert does. The disk is the sample capture replayed through the real
// smartctl (a capture file itself would be a saved report, which never
// writes what it remembers).
QStringList checkArguments()
{
    return {"check", "--alert", "--smartctl",
            TestSupport::sourceDir() + "/tools/fakes/fake-smartctl-replay", "/dev/sda"};
}

// Files beside ours that a write cut short leaves: temporary "NAME.XXXXXX"
// files and the preferences' lock file.
QStringList litter(const QString &home)
{
    QStringList found;
    for (const QString &path : {preferencesFile(home), driveListFile(home)}) {
        const QFileInfo file(path);
        const QRegularExpression temporary(QRegularExpression::anchoredPattern(
            QRegularExpression::escape(file.fileName()) + "\\.[A-Za-z]{6}"));
        for (const QString &name : file.dir().entryList(QDir::Files | QDir::Hidden)) {
            if (temporary.match(name).hasMatch() || name == file.fileName() + ".lock")
                found.append(name);
        }
    }
    return found;
}

QString strace()
{
    return QStandardPaths::findExecutable("strace");
}

// A system call of the check that writes one of our files: its name and its
// number among the calls of that name, as strace's "when=" counts them.
struct WriteCall
{
    QString name;
    int ordinal = 0;
    QString line;
};

} // namespace

TEST(FileWrites, SteadyCheckLeavesThePreferencesFileAsItWas)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString home = freshHome();
    ASSERT_EQ(runIn(home, TARNWELL_CLI, checkArguments()).exitCode, 0);
    const FileState first = fileState(preferencesFile(home));
    // The first check remembered the drive's counts.
    EXPECT_TRUE(first.bytes.contains("ZL2FRG0A_LastReallocatedSectorCount=0"));
    EXPECT_TRUE(first.bytes.contains("ZL2FRG0A_LastTestPowerOnHours="));
    ASSERT_EQ(runIn(home, TARNWELL_CLI, checkArguments()).exitCode, 0);
    EXPECT_EQ(fileState(preferencesFile(home)), first);
}

TEST(FileWrites, CheckKilledWhileWritingLeavesTheNextOneQuickAndNoLitter)
{
    SKIP_WITHOUT_SMARTCTL();
    if (strace().isEmpty())
        GTEST_SKIP() << "strace is not installed";
    // Every system call by which a first check writes the preferences or the
    // drive list. One drive is read on the main thread, so the calls of the
    // one traced thread are the calls strace counts.
    const QStringList traced{"openat", "write",    "fdatasync", "fsync",  "linkat",
                             "rename", "renameat", "renameat2", "unlink", "unlinkat"};
    const QString first = freshHome();
    const QString trace = first + "/trace";
    ASSERT_EQ(runIn(first, strace(),
                    QStringList{"-qq", "-y", "-e", "trace=" + traced.join(','), "-o", trace,
                                QStringLiteral(TARNWELL_CLI)} +
                        checkArguments())
                  .exitCode,
              0);
    QList<WriteCall> calls;
    QHash<QString, int> seen;
    const QRegularExpression call("^(\\w+)\\(");
    for (const QString &line : QString::fromUtf8(readFile(trace)).split('\n')) {
        const QRegularExpressionMatch match = call.match(line);
        if (!match.hasMatch())
            continue;
        const QString name = match.captured(1);
        const int ordinal = ++seen[name];
        const bool ours = line.contains("/config/Tarnwell/") || line.contains("/data/Tarnwell/");
        const bool reading = name == "openat" && line.contains("O_RDONLY");
        if (ours && !reading)
            calls.append({name, ordinal, line});
    }
    // A lock file, a temporary file, its link and its rename for each file.
    ASSERT_GE(calls.size(), 8) << readFile(trace).toStdString();

    for (const WriteCall &point : std::as_const(calls)) {
        SCOPED_TRACE(point.line.toStdString());
        const QString home = freshHome();
        const ProgramRun killed =
            runIn(home, strace(),
                  QStringList{"-qq", "-o", "/dev/null", "-e", "trace=" + point.name, "-e",
                              QStringLiteral("inject=%1:signal=SIGKILL:when=%2")
                                  .arg(point.name)
                                  .arg(point.ordinal),
                              QStringLiteral(TARNWELL_CLI)} +
                      checkArguments());
        // strace ends itself with the signal that ended the check.
        EXPECT_TRUE(killed.killed) << "the check was not killed there";

        // The next check takes the preferences' lock at its first try (no
        // wait for a lock left behind to grow stale), and leaves no litter.
        const QString nextTrace = home + "/next-trace";
        const ProgramRun next = runIn(home, strace(),
                                      QStringList{"-qq", "-o", nextTrace, "-e", "trace=openat",
                                                  QStringLiteral(TARNWELL_CLI)} +
                                          checkArguments());
        EXPECT_EQ(next.exitCode, 0);
        EXPECT_TRUE(next.out.startsWith("TARNWELL OK")) << next.out.toStdString();
        for (const QString &line : QString::fromUtf8(readFile(nextTrace)).split('\n'))
            EXPECT_FALSE(line.contains(".lock") && line.contains("EEXIST")) << line.toStdString();
        EXPECT_EQ(litter(home), QStringList());
        EXPECT_TRUE(readFile(preferencesFile(home)).contains("ZL2FRG0A_LastTestPowerOnHours="));
        EXPECT_TRUE(readFile(driveListFile(home)).contains("TWProblemDrivesCount"));
    }
}
