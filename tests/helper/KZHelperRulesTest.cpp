// The privileged helper's rules: it accepts exactly the engine's own command
// lines for a whole disk, and refuses everything else without running
// anything.

#include "KZHelperRules.h"
#include "HelperTestSupport.h"
#include "KZSMARTDrive.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <set>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using HelperTestSupport::TestDisk;

namespace {

std::vector<std::string> words(const QStringList &list)
{
    std::vector<std::string> result;
    for (const QString &word : list)
        result.push_back(word.toStdString());
    return result;
}

// A drive of the engine in its normal or its very-permissive mode: an
// ambiguous identity whose permissive retry gives nothing leaves the drive in
// permissive mode.
KZSMARTDrive engineDrive(const QString &location, bool permissive)
{
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(location);
    if (permissive) {
        drive.setOutputProvider([](const QStringList &arguments) -> std::optional<QStringList> {
            if (arguments.first() == QLatin1String("-T"))
                return std::nullopt;
            return QStringList{"smartctl 7.3", "Copyright", "SMART support is: Ambiguous"};
        });
        drive.parseInfo();
        drive.setOutputProvider(nullptr);
    }
    EXPECT_EQ(drive.runVeryPermissive(), permissive);
    return drive;
}

} // namespace

TEST(HelperRules, AcceptsExactlyTheEnginesCommandLinesForAWholeDisk)
{
    const TestDisk disk;
    SKIP_WITHOUT_DEVICE_NODES(disk);
    // What the engine runs on a disk: a refresh's run (which is also the raw
    // capture), switching S.M.A.R.T. on, the self-test window's polling and
    // the self-test commands. The other reading codes are parts of the
    // refresh's run now, never run on their own.
    const quint64 sent[] = {KZSMARTDrive::RawCapture,         KZSMARTDrive::SwitchSMARTOn,
                            KZSMARTDrive::Capabilities,       KZSMARTDrive::SelfTestLog,
                            KZSMARTDrive::StartShortSelfTest, KZSMARTDrive::StartExtendedSelfTest,
                            KZSMARTDrive::AbortSelfTest,      KZSMARTDrive::ToolVersion};
    const quint64 parts[] = {KZSMARTDrive::OverallHealth, KZSMARTDrive::Identity,
                             KZSMARTDrive::AttributeTable, KZSMARTDrive::ErrorLog,
                             KZSMARTDrive::SelectiveSelfTestLog};
    std::set<std::vector<std::string>> engineLines;
    for (const bool permissive : {false, true}) {
        KZSMARTDrive drive = engineDrive(disk.path(), permissive);
        const auto verdictOf = [&](quint64 code) {
            drive.setArgumentCode(code);
            return KZHelperRules::check(words(QStringList{"--read"} + drive.argumentList()),
                                        HelperTestSupport::devicesFolder().toStdString());
        };
        for (const quint64 code : sent) {
            const KZHelperRules::Verdict verdict = verdictOf(code);
            const QStringList list = drive.argumentList();
            if (list.last() != disk.path()) {
                // The tool version names no device: the engine runs it itself.
                EXPECT_EQ(list, QStringList{"-V"}) << code;
                EXPECT_NE(verdict.status, KZHelperRules::Accepted) << code;
                continue;
            }
            EXPECT_EQ(verdict.status, KZHelperRules::Accepted)
                << code << " " << permissive << ": " << verdict.reason;
            EXPECT_EQ(verdict.smartctlArguments, words(list)) << code;
            engineLines.insert(words(list.mid(0, list.size() - 1)));
        }
        for (const quint64 code : parts)
            EXPECT_EQ(verdictOf(code).status, KZHelperRules::UnknownCommand) << code;
    }
    // A timed check that leaves a sleeping disk asleep runs the refresh's
    // run with "-n standby" before "-r".
    for (const auto &prefix :
         {std::vector<std::string>{}, std::vector<std::string>{"-T", "verypermissive"}}) {
        std::vector<std::string> line = prefix;
        for (const char *word : {"-n", "standby", "-r", "ataioctl,2", "-a"})
            line.push_back(word);
        engineLines.insert(line);
    }
    // Nothing else is accepted.
    std::set<std::vector<std::string>> helperLines;
    for (const auto &line : KZHelperRules::commandLines())
        helperLines.insert(std::vector<std::string>(line.begin(), line.end()));
    EXPECT_EQ(helperLines, engineLines);
}

TEST(HelperRules, EveryBadRequestIsRefusedOnOneLineAndNothingRuns)
{
    using namespace KZHelperRules;
    const TestDisk disk;
    SKIP_WITHOUT_DEVICE_NODES(disk);
    const TestDisk partition(QStringLiteral("p1"));
    const QTemporaryDir scratch;
    const QString file = TestSupport::writeFile(scratch.filePath("sda"), "not a disk\n");
    const QString fileLink = scratch.filePath("file-link");
    QFile::link(file, fileLink);
    const QString nullLink = scratch.filePath("null-link");
    QFile::link("/dev/null", nullLink);
    // A whole-disk name, but outside the device folder.
    const QString elsewhere = scratch.filePath(QFileInfo(disk.path()).fileName());
    ::mknod(QFile::encodeName(elsewhere).constData(), S_IFBLK | 0600, makedev(7, 0));
    const QString dev = disk.path();
    const QString dotDot =
        HelperTestSupport::devicesFolder() + "/../dev/" + QFileInfo(dev).fileName();
    QStringList tooMany{"--options"};
    for (int index = 0; index < 40; ++index)
        tooMany << "-a";
    tooMany << dev;

    struct Row
    {
        const char *what;
        QStringList arguments;
        int status;
        QString reason;
    };
    const Row rows[] = {
        {"no arguments", {}, BadMode, "the first argument must be \"--read\" or \"--options\""},
        {"no action word", {"-c", dev}, BadMode, "not \"-c\""},
        {"unknown action word", {"--write", "-c", dev}, BadMode, "not \"--write\""},
        {"no command", {"--read"}, UnknownCommand, "no smartctl command given"},
        {"missing device", {"--read", "-c"}, UnknownCommand, "the device is missing after \"-c\""},
        {"extra argument",
         {"--read", "-c", dev, dev},
         UnknownCommand,
         "expected one device after \"-c\", got 2 arguments"},
        {"other option before",
         {"--read", "-d", "sat", "-c", dev},
         UnknownCommand,
         "option \"-d\" is not one Tarnwell uses"},
        {"other option after",
         {"--read", "-c", "-d", "sat", dev},
         UnknownCommand,
         "starting with the option \"-d\""},
        {"other -T value",
         {"--read", "-T", "permissive", "-c", dev},
         UnknownCommand,
         "value \"permissive\" of \"-T\" is not one Tarnwell uses"},
        {"other -l value",
         {"--read", "-l", "devstat", dev},
         UnknownCommand,
         "value \"devstat\" of \"-l\""},
        {"self-test in permissive form",
         {"--read", "-T", "verypermissive", "-t", "short", dev},
         UnknownCommand,
         "option \"-t\" is not one Tarnwell uses"},
        {"incomplete command",
         {"--read", "-T", "verypermissive"},
         UnknownCommand,
         "\"-T verypermissive\" is not a whole command"},
        {"version", {"--read", "-V"}, UnknownCommand, "option \"-V\""},
        // Reading commands whose parts the refresh's one run prints.
        {"health alone", {"--read", "-H", dev}, UnknownCommand, "option \"-H\" is not one"},
        {"a log read alone",
         {"--read", "-l", "error", dev},
         UnknownCommand,
         "value \"error\" of \"-l\""},
        {"-n with another mode",
         {"--read", "-n", "sleep", "-r", "ataioctl,2", "-a", dev},
         UnknownCommand,
         "value \"sleep\" of \"-n\""},
        {"options without device", {"--options"}, UnknownCommand, "no device given"},
        {"relative device",
         {"--read", "-c", "dev/sda"},
         BadDevicePath,
         "the device \"dev/sda\" is not an absolute path"},
        {"standard input", {"--read", "-c", "-"}, BadDevicePath, "is not an absolute path"},
        {"dot-dot", {"--read", "-c", dotDot}, BadDevicePath, "contains \"..\""},
        {"no such device", {"--read", "-c", dev + "9"}, BadDevicePath, "cannot resolve"},
        {"regular file", {"--read", "-c", file}, NotAWholeDisk, "is a regular file, not a disk"},
        {"link to a regular file",
         {"--read", "-c", fileLink},
         NotAWholeDisk,
         "is a regular file, not a disk"},
        {"character device",
         {"--read", "-c", "/dev/null"},
         NotAWholeDisk,
         "\"/dev/null\" is not a block device"},
        {"link to a character device",
         {"--read", "-c", nullLink},
         NotAWholeDisk,
         "(\"/dev/null\") is not a block device"},
        {"partition", {"--read", "-c", partition.path()}, NotAWholeDisk, "is not a whole disk"},
        {"disk outside the device folder",
         {"--read", "-c", elsewhere},
         NotAWholeDisk,
         "is not a whole disk"},
        {"options on a partition",
         {"--options", "-a", partition.path()},
         NotAWholeDisk,
         "is not a whole disk"},
        {"options on a file",
         {"--options", "-a", "-d", "sat", file},
         NotAWholeDisk,
         "is a regular file"},
        // A NUL cannot reach a program through its arguments; line breaks can.
        {"line break in the device",
         {"--read", "-c", dev + "\n/dev/sdb"},
         MalformedArguments,
         "argument 3 \"" + dev + "\\n/dev/sdb\" holds a line break or control character"},
        {"control character in an option",
         {"--read", "-c\t", dev},
         MalformedArguments,
         "\"-c\\x09\" holds a line break"},
        {"line break in typed options",
         {"--options", "-a\n-s off", dev},
         MalformedArguments,
         "holds a line break"},
        {"too many arguments", tooMany, MalformedArguments,
         "42 arguments are too many (at most 32)"},
        {"over-long argument",
         {"--read", "-c", "/" + QString(5000, 'a')},
         MalformedArguments,
         "argument 3 is longer than 4096 bytes"},
    };
    HelperTestSupport::clearStandinCalls();
    for (const Row &row : rows) {
        const HelperTestSupport::HelperRun run = HelperTestSupport::runHelper(row.arguments);
        EXPECT_EQ(run.status, row.status) << row.what;
        EXPECT_TRUE(run.output.isEmpty()) << row.what;
        const QString error = QString::fromUtf8(run.error);
        EXPECT_TRUE(error.startsWith("tarnwell-smartctl-helper: refused: ")) << row.what;
        EXPECT_EQ(error.count('\n'), 1) << row.what << ": " << error.toStdString();
        EXPECT_TRUE(error.endsWith('\n')) << row.what;
        EXPECT_TRUE(error.contains(row.reason))
            << row.what << ": " << error.toStdString() << " lacks " << row.reason.toStdString();
    }
    EXPECT_TRUE(HelperTestSupport::standinCalls().isEmpty());
    HelperTestSupport::clearStandinCalls();
}

TEST(HelperRules, AcceptedRequestRunsSmartctlOnTheResolvedDiskWithAFixedEnvironment)
{
    const TestDisk disk;
    SKIP_WITHOUT_DEVICE_NODES(disk);
    const QTemporaryDir scratch;
    const QString link = scratch.filePath("by-id-link");
    QFile::link(disk.path(), link);
    qputenv("TARNWELL_INHERITED_SETTING", "must not reach smartctl");

    struct Row
    {
        QStringList arguments;
        QStringList smartctlArguments;
    };
    const Row rows[] = {
        {{"--read", "-r", "ataioctl,2", "-a", link}, {"-r", "ataioctl,2", "-a", disk.path()}},
        {{"--read", "-T", "verypermissive", "-n", "standby", "-r", "ataioctl,2", "-a", link},
         {"-T", "verypermissive", "-n", "standby", "-r", "ataioctl,2", "-a", disk.path()}},
        {{"--read", "-T", "verypermissive", "-l", "selftest", disk.path()},
         {"-T", "verypermissive", "-l", "selftest", disk.path()}},
        {{"--options", "-x", "-d", "sat", link}, {"-x", "-d", "sat", disk.path()}},
    };
    for (const Row &row : rows) {
        HelperTestSupport::clearStandinCalls();
        const HelperTestSupport::HelperRun run = HelperTestSupport::runHelper(row.arguments);
        EXPECT_EQ(run.status, 0) << run.error.toStdString();
        // What smartctl printed, unchanged.
        EXPECT_EQ(run.output, "smartctl 7.3 (stand-in behind the helper)\n"
                              "Copyright (C) 2002-22, Bruce Allen, Christian Franke, "
                              "www.smartmontools.org\n\n"
                              "stand-in ran: " +
                                  row.smartctlArguments.join(' ').toUtf8() + "\n");
        EXPECT_TRUE(run.error.isEmpty());
        const QList<QStringList> calls = HelperTestSupport::standinCalls();
        ASSERT_EQ(calls.size(), 1);
        QStringList call = calls.first();
        // A time limit ends smartctl even where its caller cannot stop it.
        const qsizetype alarm = call.indexOf(QRegularExpression("^alarm=[0-9]+$"));
        ASSERT_GE(alarm, 0);
        const int secondsLeft = call.takeAt(alarm).mid(6).toInt();
        EXPECT_GT(secondsLeft, 0);
        EXPECT_LE(secondsLeft, int(KZHelperRules::smartctlTimeLimitSeconds));
        const QStringList expected =
            row.smartctlArguments + QStringList{QStringLiteral("uid=%1").arg(::getuid()),
                                                "env:LC_ALL=C",
                                                "env:PATH=/usr/sbin:/usr/bin:/sbin:/bin"};
        EXPECT_EQ(call, expected);
    }
    qunsetenv("TARNWELL_INHERITED_SETTING");
    HelperTestSupport::clearStandinCalls();
}

TEST(HelperRules, SmartctlIsTakenOnlyFromAFileNobodyElseCanChange)
{
    const QTemporaryDir folder;
    auto program = [&](const char *name, QFile::Permissions permissions) {
        const QString path = TestSupport::writeFile(folder.filePath(name), "#!/bin/sh\n");
        QFile::setPermissions(path, permissions);
        return path.toStdString();
    };
    const auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const std::string groupWritable = program("group-writable", owner | QFile::WriteGroup);
    const std::string worldWritable = program("world-writable", owner | QFile::WriteOther);
    const std::string notExecutable = program("not-executable", QFile::ReadOwner);
    const std::string missing = folder.filePath("missing").toStdString();
    const std::string good = program("good", owner | QFile::ExeGroup | QFile::ExeOther);

    std::string reason;
    EXPECT_EQ(KZHelperRules::findSmartctl(
                  {missing, groupWritable, worldWritable, notExecutable, good}, &reason),
              good);
    EXPECT_EQ(KZHelperRules::findSmartctl(
                  {missing, groupWritable, notExecutable, folder.path().toStdString()}, &reason),
              "");
    EXPECT_EQ(reason, "no trustworthy smartctl found (" + missing +
                          ": No such file or directory; " + groupWritable +
                          ": writable by other users; " + notExecutable +
                          ": not an executable file; " + folder.path().toStdString() +
                          ": not an executable file)");
}
