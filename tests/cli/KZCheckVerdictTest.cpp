// tarnwell-cli check against smartctl stand-ins that fail to answer and
// against captures smartctl cannot replay: every failure to get an answer is
// an UNKNOWN drive with its reason, never a passed one and never dropped.
#include "KZPreferences.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QRandomGenerator>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

using TestSupport::readFile;
using TestSupport::writeFile;
using TestSupport::writeScript;

namespace {

struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
    long maxResidentKilobytes = 0; // of the tool and every child it waited for
    QStringList lines() const { return out.split('\n', Qt::SkipEmptyParts); }
};

QString freshHome()
{
    static int counter = 0;
    const QString home = TestSupport::homeDir() + QStringLiteral("/verdict-runs/%1").arg(++counter);
    QDir().mkpath(home);
    return home;
}

// Runs tarnwell-cli as a separate process and collects what wait4 tells of
// its memory use.
ToolRun runCli(const QStringList &arguments, const QMap<QString, QString> &extraEnvironment = {},
               const QString &home = freshHome())
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("XDG_CONFIG_HOME", home + "/config");
    environment.insert("XDG_STATE_HOME", home + "/state");
    environment.insert("XDG_DATA_HOME", home + "/data");
    for (auto it = extraEnvironment.cbegin(); it != extraEnvironment.cend(); ++it)
        environment.insert(it.key(), it.value());

    std::vector<QByteArray> bytes;
    bytes.push_back(QByteArrayLiteral(TARNWELL_CLI));
    for (const QString &argument : arguments)
        bytes.push_back(argument.toUtf8());
    const qsizetype argumentCount = qsizetype(bytes.size());
    for (const QString &entry : environment.toStringList())
        bytes.push_back(entry.toUtf8());
    std::vector<char *> argv, envp;
    for (qsizetype index = 0; index < qsizetype(bytes.size()); ++index)
        (index < argumentCount ? argv : envp).push_back(bytes[size_t(index)].data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    const QByteArray outPath = QFile::encodeName(home + "/stdout.txt");
    const QByteArray errPath = QFile::encodeName(home + "/stderr.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    ToolRun run;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        ADD_FAILURE() << "cannot start tarnwell-cli: " << error;
        return run;
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.maxResidentKilobytes = usage.ru_maxrss;
    run.out = QString::fromUtf8(readFile(QFile::decodeName(outPath)));
    run.err = QString::fromUtf8(readFile(QFile::decodeName(errPath)));
    return run;
}

QByteArray bannerLines()
{
    return TestSupport::smartctlBanner;
}

// printf-safe text of a shell script that prints these bytes.
QByteArray printfOf(const QByteArray &text)
{
    QByteArray escaped;
    for (const char c : text) {
        const auto byte = quint8(c);
        if (byte >= 32 && byte < 127 && c != '\'' && c != '\\' && c != '%')
            escaped += c;
        else
            escaped += '\\' + QByteArray::number(byte, 8).rightJustified(3, '0');
    }
    return "printf '" + escaped + "'\n";
}

QString printingStandIn(const QByteArray &output)
{
    return writeScript("smartctl", "#!/bin/sh\n" + printfOf(output));
}

// Answers every option like a healthy drive whose model line holds one
// byte that is not UTF-8.
QString strayByteStandIn()
{
    static std::unique_ptr<TestSupport::FakeSmartctl> fake;
    const QByteArray more = bannerLines() + "=== START OF READ SMART DATA SECTION ===\n";
    fake = std::make_unique<TestSupport::FakeSmartctl>(QMap<QString, QByteArray>{
        {"i", bannerLines() + "=== START OF INFORMATION SECTION ===\n"
                              "Device Model:     FAKE CAF\xe9 DISK\n"
                              "Serial Number:    STRAY0001\n"
                              "Firmware Version: FW01\n"
                              "User Capacity:    500,107,862,016 bytes [500 GB]\n"},
        {"H", more + "SMART overall-health self-assessment test result: PASSED\n"},
        {"c", more},
        {"A", more},
        {"l-error", more},
        {"l-selftest", more}});
    return fake->program();
}

QString captureOf(const QString &name, const QByteArray &content)
{
    return writeFile(TestSupport::homeDir() + "/bad-captures/" + name, content);
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, '\0');
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

} // namespace

TEST(CheckVerdict, FailuresToAnswerAreUnknownWithTheirReason)
{
    const QString device = "/dev/sdq";
    const QString notExecutable = writeScript("smartctl", "#!/bin/sh\necho never\n");
    QFile::setPermissions(notExecutable, QFile::ReadOwner | QFile::WriteOwner);
    const QString folder = TestSupport::homeDir() + "/smartctl-folder";
    QDir().mkpath(folder);
    const QString missing = writeScript("smartctl", "#!/no/such/interpreter\n");
    const QString record = TestSupport::homeDir() + "/hang-calls.txt";
    QFile::remove(record);

    const QString readme = TestSupport::sourceDir() + "/README.md";
    const QString readmeFirstLine =
        QString::fromUtf8(readFile(readme)).section('\n', 0, 0).left(60);
    const QString hang = TestSupport::fake("fake-smartctl-hang");
    const QString unknown = "TARNWELL UNKNOWN - 1 drive: 1 UNKNOWN";
    const QString capturePrefix = TestSupport::homeDir() + "/bad-captures/";

    struct Case
    {
        const char *name;
        QString smartctl; // empty: the system's smartctl replays the target
        QString target;
        int exitCode;
        QString summary;
        QString driveLine; // empty: no drive is listed
        QString reason;    // the line below the drive, without its indent
        bool reasonIsPrefix = false;
    } cases[] = {
        {"missing", missing, device, 3, unknown, "sdq  [UNKNOWN]",
         "cannot run " + missing + ": No such file or directory"},
        {"not executable", notExecutable, device, 3, unknown, "sdq  [UNKNOWN]",
         "cannot run " + notExecutable + ": Permission denied"},
        {"a directory", folder, device, 3, unknown, "sdq  [UNKNOWN]",
         "cannot run " + folder + ": Permission denied"},
        {"killed by a signal", TestSupport::fake("fake-smartctl-selfkill"), device, 3, unknown,
         "sdq  [UNKNOWN]", "smartctl was stopped by signal 9 (SIGKILL)"},
        {"hung", hang, device, 3, unknown, "sdq  [UNKNOWN]", "smartctl did not answer within 2 s"},
        {"empty", printingStandIn(""), device, 3, unknown, "sdq  [UNKNOWN]",
         "smartctl printed nothing"},
        {"truncated",
         printingStandIn(bannerLines() + "=== START OF INFORMATION SECTION ===\nDevice Model:  "),
         device, 3, unknown, "sdq  [UNKNOWN]", "smartctl's output ended in the middle of a line"},
        {"invalid in every line",
         printingStandIn("\xff\xfe garbage\n\xfe\xff more\n\xc3\x28 and more\n"), device, 3,
         unknown, "sdq  [UNKNOWN]", "smartctl's output is not readable text"},
        {"100 MB of output",
         writeScript("smartctl", "#!/bin/sh\n" + printfOf(bannerLines()) +
                                     "yes 'SMART Attributes Data Structure revision number: "
                                     "16' | head -c 104857600\n"),
         device, 3, unknown, "sdq  [UNKNOWN]", "smartctl printed more than 16 MB"},
        {"a README",
         writeScript("smartctl", "#!/bin/sh\nexec cat '" + QFile::encodeName(readme) + "'\n"),
         device, 3, unknown, "sdq  [UNKNOWN]",
         "smartctl's output is not a smartctl report (it begins \"" + readmeFirstLine + "\")"},
        {"permission denied",
         printingStandIn(bannerLines() +
                         "Smartctl open device: /dev/sdq failed: Permission denied\n"),
         device, 3, unknown, "sdq  [UNKNOWN]",
         "cannot read /dev/sdq: permission denied \u2014 run as root or install the helper"},
        {"an input/output error",
         printingStandIn(bannerLines() +
                         "Smartctl open device: /dev/sdq failed: Input/output error\n"),
         device, 3, unknown, "sdq  [UNKNOWN]",
         "the disk did not answer: Smartctl open device: /dev/sdq failed: Input/output error"},
        // A named device that is not there is listed with smartctl's own line.
        {"no such device",
         printingStandIn(bannerLines() + "Smartctl open device: /dev/sdq failed: No such device\n"),
         device, 3, unknown, "sdq  [UNKNOWN]",
         "Smartctl open device: /dev/sdq failed: No such device"},
        {"one invalid byte in the model line",
         strayByteStandIn(),
         device,
         0,
         "TARNWELL OK - 1 drive: 1 PASSED",
         "FAKE CAF\uFFFD DISK  [PASSED]",
         {}},
        {"an empty capture",
         {},
         captureOf("empty.twdr", ""),
         3,
         unknown,
         "empty.twdr  [UNKNOWN]",
         "cannot replay " + capturePrefix +
             "empty.twdr: Smartctl open device: - failed: <stdin>: Unexpected EOF"},
        {"a random capture",
         {},
         captureOf("random.twdr", randomBytes(4096, 7)),
         3,
         unknown,
         "random.twdr  [UNKNOWN]",
         "cannot replay " + capturePrefix + "random.twdr: ",
         true},
        {"a 50 MB capture",
         {},
         captureOf("large.twdr", randomBytes(50 * 1024 * 1024, 11)),
         3,
         unknown,
         "large.twdr  [UNKNOWN]",
         "cannot replay " + capturePrefix + "large.twdr: ",
         true},
    };

    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        if (test.smartctl.isEmpty() && TestSupport::realSmartctl().isEmpty())
            continue; // captures are replayed by the real smartctl
        QStringList options{"--timeout", "2"};
        if (!test.smartctl.isEmpty())
            options << "--smartctl" << test.smartctl;
        QMap<QString, QString> environment;
        if (test.smartctl == hang)
            environment.insert("FAKE_RECORD", record);

        const ToolRun text =
            runCli(QStringList{"check"} + options + QStringList{test.target}, environment);
        EXPECT_EQ(text.exitCode, test.exitCode) << text.err.toStdString();
        const QStringList lines = text.lines();
        ASSERT_GE(lines.size(), 1) << text.err.toStdString();
        EXPECT_EQ(lines.value(0), test.summary);
        EXPECT_EQ(lines.value(1), test.driveLine);
        const QString reasonLine = lines.value(2).mid(2);
        if (test.reasonIsPrefix)
            EXPECT_TRUE(reasonLine.startsWith(test.reason)) << reasonLine.toStdString();
        else
            EXPECT_EQ(reasonLine, test.reason);
        EXPECT_EQ(lines.size(), test.reason.isEmpty() ? (test.driveLine.isEmpty() ? 1 : 2) : 3);
        EXPECT_LT(text.maxResidentKilobytes, 100 * 1024);

        const ToolRun json = runCli(
            QStringList{"check", "--json"} + options + QStringList{test.target}, environment);
        EXPECT_EQ(json.exitCode, test.exitCode);
        const QJsonObject report = QJsonDocument::fromJson(json.out.toUtf8()).object();
        EXPECT_EQ(report.value("exitStatus").toInt(-1), test.exitCode);
        const QJsonArray drives = report.value("drives").toArray();
        EXPECT_EQ(drives.size(), test.driveLine.isEmpty() ? 0 : 1);
        if (test.exitCode != 3)
            continue;
        EXPECT_EQ(report.value("state").toString(), "UNKNOWN");
        const QJsonObject drive = drives.first().toObject();
        EXPECT_EQ(drive.value("status").toString(), "UNKNOWN");
        EXPECT_EQ(drive.value("health").toInt(-1), 0);
        EXPECT_EQ(drive.value("smartError").toString(), reasonLine);
        EXPECT_FALSE(drive.value("readFailure").toString().isEmpty());
    }

    // Each of the two hung checks asked smartctl once: the time-out ended
    // the drive's refresh.
    EXPECT_EQ(QString::fromUtf8(readFile(record)).count("----\n"), 2);
}

TEST(CheckVerdict, AFailedOrFailingDriveOutranksAnUnreadOne)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString failed = TestSupport::forge(
        R"({"identity": {"model": "FORGED FAILED DISK", "serial": "FRGVERD0001"},
            "health": "failing"})");
    const QString unread = captureOf("unread.twdr", "");
    const ToolRun run = runCli({"check", unread, failed});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.lines().value(0), "TARNWELL CRITICAL - 2 drives: 1 FAILED, 1 UNKNOWN");
    EXPECT_EQ(run.lines().value(1), "unread.twdr  [UNKNOWN]");
}

TEST(CheckState, RepeatedChecksOfADisabledDriveKeepNoTestCountAndLeaveItsCapture)
{
    SKIP_WITHOUT_SMARTCTL();
    // A device whose smartctl answers replay a drive with S.M.A.R.T. off: its
    // self-test log says "SMART Disabled", which marks a test as running.
    const QString capture = TestSupport::forge(TestSupport::readFile(
        TestSupport::sourceDir() + "/tools/twdr-forge/examples/smart-disabled.json"));
    const QString smartctl = writeScript(
        "smartctl", "#!/bin/bash\nexec '" + QFile::encodeName(TestSupport::realSmartctl()) +
                        "' \"${@:1:$#-1}\" - < '" + QFile::encodeName(capture) + "'\n");
    const QString home = freshHome();
    const QString preferences = home + "/config/Tarnwell/Tarnwell.conf";
    const QString rawCapture = home + "/state/Tarnwell/sdq.twdr";
    for (int check = 1; check <= 3; ++check) {
        SCOPED_TRACE(check);
        const ToolRun run = runCli({"check", "--smartctl", smartctl, "/dev/sdq"}, {}, home);
        EXPECT_TRUE(run.lines().value(1).startsWith("FORGE DT500 HD  [")) << run.err.toStdString();
        EXPECT_EQ(KZPreferences(preferences).integerForKey("TestsInProgress"), 0);
        // The folders were made at start, so the capture is there.
        EXPECT_TRUE(QString::fromUtf8(readFile(rawCapture)).contains("REPORT-IOCTL: "));
    }
}
