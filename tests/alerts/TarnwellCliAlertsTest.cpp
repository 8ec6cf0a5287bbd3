// tarnwell-cli mail-test and password, and the SMTP password of the check
// service, run as the real program.
#include "AlertTestSupport.h"
#include "EMKeychainItem.h"
#include "ForgedDrives.h"
#include "KZMailSender.h"
#include "KZPaths.h"
#include "KZPreferences.h"
#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

using AlertTestSupport::SmtpServer;
using AlertTestSupport::uniqueName;
using AlertTestSupport::writePreferences;

namespace {

struct CliRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun runCli(const QStringList &arguments, const QByteArray &input = {},
              const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TARNWELL_CLI), arguments);
    CliRun run;
    if (!process.waitForStarted(10000))
        return run;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(90000)) {
        process.kill();
        process.waitForFinished(5000);
        run.err = QStringLiteral("timed out");
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// What tarnwell-check.service gives the program: no session bus, so no
// Secret Service, and the SMTP password as the credential "smtp-password"
// (none when credential is null).
QProcessEnvironment serviceEnvironment(const QString &credential)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DBUS_SESSION_BUS_ADDRESS");
    environment.remove("XDG_RUNTIME_DIR");
    if (!credential.isNull()) {
        const QString folder = TestSupport::homeDir() + "/" + uniqueName("credentials");
        TestSupport::writeFile(folder + "/smtp-password", credential.toUtf8());
        environment.insert("CREDENTIALS_DIRECTORY", folder);
    }
    return environment;
}

} // namespace

TEST(CliServicePassword, TheCredentialFeedsTheSenderWithoutASecretService)
{
    writePreferences({{"EmailUsername", "service"}, {"EmailAuthenticationType", 1}});
    const auto recorder = AlertTestSupport::makeRecordingSender("echo 'Email was sent'");
    const CliRun run = runCli({"mail-test", "--sendemail", recorder.program}, {},
                              serviceEnvironment(QStringLiteral("Kennwört 7\r\nsecond line\n")));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(recorder.standardInput(), "Kennwört 7\n");
    EXPECT_FALSE(recorder.arguments().join(' ').contains("Kennw"));
}

TEST(CliServicePassword, WithoutOneTheMailIsSkippedAndTheExportStillWritten)
{
    SKIP_WITHOUT_SMARTCTL();
    const QString capture = TestSupport::forge(ForgedDrives::failingDrive("SERVICE", "SVC1"));
    // The empty credential of a service whose password file is missing, and none.
    for (const QString &credential : {QStringLiteral("\n"), QString()}) {
        writePreferences({{"EmailUsername", "service"},
                          {"EmailAuthenticationType", 1},
                          {"EmailDriveFailing", "YES"}});
        const auto recorder = AlertTestSupport::makeRecordingSender("echo 'Email was sent'");
        const QString metrics = TestSupport::homeDir() + "/" + uniqueName("metrics") + ".prom";
        const CliRun run =
            runCli({"check", "--alert", "--sendemail", recorder.program, "--smartctl",
                    TestSupport::realSmartctl(), "--prometheus", metrics, capture},
                   {}, serviceEnvironment(credential));
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        EXPECT_FALSE(recorder.wasRun());
        EXPECT_EQ(run.err.count("Mail not sent: Username/password item not found"), 1)
            << run.err.toStdString();
        EXPECT_TRUE(
            TestSupport::readFile(metrics).contains("model=\"SERVICE\",status=\"FAILING\"} 1\n"));
    }
}

TEST(CliMailTest, SendsTheTestMailAndPrintsTheResult)
{
    SKIP_WITHOUT_SMTP();
    SmtpServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    writePreferences({{"EmailCustomPort", server.port()}});
    const CliRun run = runCli({"mail-test"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "Email sent successfully.\n");
    const auto messages = server.waitForMessages(1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.first()["subject"].toString(), "Tarnwell Test Email (Prüfstand)");
    EXPECT_EQ(messages.first()["body"].toString().trimmed(),
              "If you are reading this, the email test was successful.");
}

TEST(CliMailTest, FailureIsPrintedAsSendFailed)
{
    SKIP_WITHOUT_SMTP();
    const int port = AlertTestSupport::closedPort();
    writePreferences({{"EmailCustomPort", port}});
    const CliRun run = runCli({"mail-test"});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_TRUE(run.out.startsWith(
        QStringLiteral("Send failed: Connection attempt to 127.0.0.1:%1 failed").arg(port)))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.endsWith("Connection refused\n")) << run.out.toStdString();
}

TEST(CliMailTest, AnotherSenderProgramCanBeNamed)
{
    const auto recorder = AlertTestSupport::makeRecordingSender("echo 'x: ERROR => no route'");
    writePreferences({{"EmailCustomPort", 2525}});
    const CliRun run = runCli({"mail-test", "--sendemail", recorder.program});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.out, "Send failed: no route\n");
    EXPECT_TRUE(recorder.arguments().contains("127.0.0.1:2525"));
    EXPECT_EQ(runCli({"mail-test", "--sendemail"}).exitCode, 1);
    EXPECT_EQ(runCli({"mail-test", "extra"}).exitCode, 1);
}

TEST(CliPassword, TakesNoArgumentsSoNoPasswordLandsOnACommandLine)
{
    const CliRun run = runCli({"password", "secret"}, "secret\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("standard input"));
}

TEST(CliPassword, StoresChangesAndFeedsTheSender)
{
    SKIP_WITHOUT_KEYCHAIN();
    const QString user = uniqueName(QStringLiteral("cli-ü"));
    const QString service = KZMailSender::keychainServiceName(user);
    writePreferences({{"EmailUsername", user}, {"EmailAuthenticationType", 1}});

    CliRun run = runCli({"password"}, "först pass\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(user));
    auto item = EMGenericKeychainItem::genericKeychainItemForService(service, user);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->password(), "först pass");

    run = runCli({"password"}, "second\r\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    item = EMGenericKeychainItem::genericKeychainItemForService(service, user);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->password(), "second");

    // Nothing on standard input changes nothing.
    run = runCli({"password"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(EMGenericKeychainItem::genericKeychainItemForService(service, user)->password(),
              "second");
    EXPECT_FALSE(TestSupport::readFile(KZPaths::preferencesFile()).contains("second"));

    // The stored password reaches the sender on its standard input only.
    const auto recorder = AlertTestSupport::makeRecordingSender(
        "echo 'Password: x sendemail[1]: Email was sent successfully!'");
    run = runCli({"mail-test", "--sendemail", recorder.program});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(recorder.standardInput(), "second\n");
    const QStringList arguments = recorder.arguments();
    EXPECT_FALSE(arguments.contains("second"));
    EXPECT_FALSE(arguments.contains("-xp"));
    EXPECT_EQ(arguments.mid(arguments.size() - 2), (QStringList{"-xu", user}));
}

TEST(CliPassword, MissingSecretMeansNoSenderRun)
{
    SKIP_WITHOUT_KEYCHAIN();
    writePreferences(
        {{"EmailUsername", uniqueName(QStringLiteral("nobody"))}, {"EmailAuthenticationType", 1}});
    const auto recorder = AlertTestSupport::makeRecordingSender("echo 'sent'");
    const CliRun run = runCli({"mail-test", "--sendemail", recorder.program});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.out, "Send failed: Username/password item not found\n");
    EXPECT_FALSE(recorder.wasRun());
}

TEST(CliPassword, StoredPasswordAuthenticatesAtARealServer)
{
    SKIP_WITHOUT_KEYCHAIN();
    SKIP_WITHOUT_SMTP();
    const QString user = uniqueName(QStringLiteral("real"));
    const QString password = QStringLiteral("Zugangs-Wört 9");
    SmtpServer server({user, password, {}, {}});
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    writePreferences({{"EmailUsername", user},
                      {"EmailAuthenticationType", 1},
                      {"EmailCustomPort", server.port()},
                      {"OutputDebugMessages", "YES"}});
    ASSERT_EQ(runCli({"password"}, password.toUtf8() + "\n").exitCode, 0);
    const CliRun run = runCli({"mail-test"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(server.waitForMessages(1).size(), 1);
    // Debug logging was on: the log (standard error) never holds the password.
    EXPECT_TRUE(run.err.contains("Arguments: "));
    EXPECT_FALSE(run.err.contains(password));
}
