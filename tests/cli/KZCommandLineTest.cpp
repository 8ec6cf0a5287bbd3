// tarnwell-cli run as a user runs it: a separate process with its own folders.
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

struct Result
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Result runCli(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString home = TestSupport::homeDir() + "/cli-home";
    environment.insert("HOME", home);
    environment.insert("XDG_CONFIG_HOME", home + "/config");
    environment.insert("XDG_STATE_HOME", home + "/state");
    environment.insert("XDG_DATA_HOME", home + "/data");
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TARNWELL_CLI), arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        ADD_FAILURE() << "tarnwell-cli did not finish";
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

QJsonArray jsonDrives(const Result &result)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << result.out.constData();
    return document.array();
}

} // namespace

TEST(CommandLine, UsageErrorsNameTheProblemAndPointToHelp)
{
    const struct
    {
        QStringList arguments;
        int status;
        const char *problem;
    } cases[] = {
        {{}, 1, "no command given"},
        {{"frobnicate"}, 1, "unknown command \"frobnicate\""},
        {{"--frobnicate"}, 1, "unknown option \"--frobnicate\""},
        {{"--json", "check"}, 1, "unknown option \"--json\""},
        {{"report"}, 1, "report needs at least one TARGET"},
        {{"report", "--bogus", "x"}, 1, "unknown option \"--bogus\""},
        {{"report", "--smartctl"}, 1, "--smartctl needs a value"},
        {{"report", "--smartctl", "/nonexistent/smartctl", "/dev/sda"},
         1,
         "\"/nonexistent/smartctl\" does not exist"},
        {{"check", "--frobnicate"}, 3, "unknown option \"--frobnicate\""},
        {{"mail-test", "--frobnicate"}, 1, "unknown option \"--frobnicate\""},
        {{"mail-test", "frobnicate"}, 1, "unknown argument \"frobnicate\""},
    };
    for (const auto &item : cases) {
        const Result result = runCli(item.arguments);
        const QByteArray expected = QByteArray("tarnwell-cli: ") + item.problem +
                                    "\nRun \"tarnwell-cli --help\" for the usage.\n";
        EXPECT_EQ(result.status, item.status) << item.problem;
        EXPECT_EQ(result.err, expected);
        EXPECT_TRUE(result.out.isEmpty()) << item.problem;
    }
}

TEST(CommandLine, HelpAndVersionAnswerOnStandardOutput)
{
    for (const QStringList &arguments :
         {QStringList{"--help"}, QStringList{"-h"}, QStringList{"check", "--help"}}) {
        const Result help = runCli(arguments);
        EXPECT_EQ(help.status, 0);
        EXPECT_TRUE(help.out.startsWith("usage: tarnwell-cli")) << help.out.constData();
    }
    const Result version = runCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "tarnwell-cli " TARNWELL_VERSION "\n");
}

TEST(CommandLine, ReportOfTheSampleCaptureNamesEveryField)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString sample = TestSupport::sourceDir() + "/resources/samples/healthy.twdr";
    const QByteArray before = TestSupport::readFile(sample);
    const Result result = runCli({"report", "--json", sample});
    ASSERT_EQ(result.status, 0) << result.err.constData();
    const QJsonArray drives = jsonDrives(result);
    ASSERT_EQ(drives.size(), 1);
    const QJsonObject drive = drives.first().toObject();
    EXPECT_EQ(drive.value("location").toString(), sample);
    EXPECT_EQ(drive.value("model").toString(), "FORGE HX16000 ENTERPRISE");
    EXPECT_EQ(drive.value("health").toInt(), 1);
    EXPECT_TRUE(drive.value("smartSupport").toBool());
    EXPECT_TRUE(drive.value("driveFromFile").toBool());
    EXPECT_TRUE(drive.value("smartError").isNull());
    for (const char *key :
         {"serialNumber", "capacity", "overallHealth", "isNVMe", "rotationRate", "modelFamily",
          "firmwareVersion", "ataVersion", "sataVersion", "failureReasonsText"})
        EXPECT_TRUE(drive.contains(key)) << key;
    // Opening a capture never rewrites it.
    EXPECT_EQ(TestSupport::readFile(sample), before);
}

TEST(CommandLine, UnreadableTargetsGiveStatusThreeAndStillReportTheOthers)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString good = TestSupport::forge(R"({"identity": {"model": "GOOD ONE"}})");
    const QString junk = TestSupport::writeFile(TestSupport::homeDir() + "/junk.twdr", "junk\n");
    const Result result = runCli({"report", "--json", good, junk, "/dev/tarnwell-no-such-disk"});
    EXPECT_EQ(result.status, 3);
    const QJsonArray drives = jsonDrives(result);
    ASSERT_EQ(drives.size(), 3);
    EXPECT_EQ(drives[0].toObject().value("model").toString(), "GOOD ONE");
    EXPECT_FALSE(drives[1].toObject().value("smartSupport").toBool());
    EXPECT_TRUE(drives[1].toObject().value("smartError").toString().contains("Syntax error"));
    EXPECT_FALSE(drives[2].toObject().value("smartSupport").toBool());
    EXPECT_TRUE(result.err.contains("could not be read"));
}

TEST(CommandLine, SmartctlOptionRunsTheNamedProgram)
{
    TestSupport::FakeSmartctl fake(
        {{"i", "smartctl 7.3\nCopyright\n\nDevice Model:     FAKE NAMED\nSerial Number:    N1\n"},
         {"H", "smartctl 7.3\nCopyright\n\n=== START ===\n"
               "SMART overall-health self-assessment test result: PASSED\n"},
         {"c", "smartctl 7.3\nCopyright\n\n=== START ===\nGeneral SMART Values:\n"},
         {"A", "smartctl 7.3\nCopyright\n\n=== START ===\nSMART Attributes Data Structure "
               "revision number: 16\n"},
         {"l-error", "smartctl 7.3\nCopyright\n\n=== START ===\nNo Errors Logged\n"},
         {"l-selftest", "smartctl 7.3\nCopyright\n\n=== START ===\nNo self-tests have been "
                        "logged.\n"}});
    const Result result = runCli({"report", "--json", "--smartctl", fake.program(), "/dev/sdx"});
    EXPECT_EQ(result.status, 0) << result.err.constData();
    const QJsonArray drives = jsonDrives(result);
    ASSERT_EQ(drives.size(), 1);
    EXPECT_EQ(drives[0].toObject().value("model").toString(), "FAKE NAMED");
    ASSERT_EQ(fake.calls().size(), 1);
    EXPECT_TRUE(fake.calls().first().startsWith("-r|ataioctl,2|-a|/dev/sdx|"));
}

TEST(CommandLine, CheckWithAlertWritesTheDriveListAndMailsTheProblem)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString home = TestSupport::homeDir() + "/cli-home";
    TestSupport::writeFile(home + "/config/Tarnwell/Tarnwell.conf",
                           "[General]\nEmailDriveFailed=true\nEmailHostName=testhost\n"
                           "EmailFromAddress=tarnwell@example.org\nEmailToAddress=me@example.org\n"
                           "EmailSMTPAddress=127.0.0.1\n");
    const QString record = TestSupport::homeDir() + "/sendemail-calls.txt";
    const QString sender = TestSupport::writeScript(
        "sendemail", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + QFile::encodeName(record) +
                         "'\necho 'Dec 07 sendemail[1]: Email was sent successfully!'\n");
    const QString failed =
        TestSupport::forge(R"({"identity": {"model": "FAILED DISK", "serial": "F1"},
                                                  "health": "failing"})");
    const Result result = runCli({"check", "--alert", "--sendemail", sender, failed});
    EXPECT_EQ(result.status, 2) << result.err.constData();
    EXPECT_TRUE(result.out.startsWith("TARNWELL CRITICAL")) << result.out.constData();
    EXPECT_TRUE(result.err.contains("alert mail:")) << result.err.constData();

    const QStringList arguments = QString::fromUtf8(TestSupport::readFile(record)).split('\n');
    const qsizetype subject = arguments.indexOf("-u");
    ASSERT_GE(subject, 0) << arguments.join(' ').toStdString();
    EXPECT_TRUE(arguments.value(subject + 1).startsWith("Tarnwell Report (testhost)"));
    EXPECT_TRUE(arguments.join('\n').contains("FAILED DISK: FAILED"));
    EXPECT_TRUE(arguments.contains("me@example.org"));

    const QByteArray list = TestSupport::readFile(home + "/data/Tarnwell/DrivesList.plist");
    EXPECT_TRUE(list.contains("<key>TWProblemDrivesCount</key>"));
    EXPECT_TRUE(list.contains("<string>FAILED DISK</string>"));
}
