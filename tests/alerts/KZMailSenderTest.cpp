#include "KZMailSender.h"
#include "AlertTestSupport.h"
#include "KZPreferences.h"
#include "TestSupport.h"

#include <QFile>
#include <QRegularExpression>

#include <future>

using AlertTestSupport::makeRecordingSender;
using AlertTestSupport::RecordingSender;

namespace {

const QByteArray successOutput =
    "echo \"Dec 07 21:45:26 host sendemail[1]: Email was sent successfully!\"";
const QString secret = QStringLiteral("s3cr€t-pässword");

class MailSenderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        static int counter = 0;
        m_preferences = std::make_unique<KZPreferences>(
            TestSupport::homeDir() + QStringLiteral("/mail-prefs-%1.conf").arg(++counter));
        m_preferences->registerApplicationDefaults();
        m_preferences->setString("EmailFromAddress", "monitor@example.org");
        m_preferences->setString("EmailToAddress", "admin@example.org");
        m_preferences->setString("EmailSMTPAddress", "mail.example.org");
        m_preferences->setInteger("EmailCustomPort", 587);
    }

    KZMailSender sender(const RecordingSender &recorder,
                        KZMailSender::Copy copy = KZMailSender::Copy::Application)
    {
        KZMailSender result(copy);
        result.setSenderProgram(recorder.program);
        result.setPreferences(m_preferences.get());
        result.setPasswordLookup(
            [this](const std::optional<QString> &service, const std::optional<QString> &user) {
                m_lookups.append({service.value_or("<absent>"), user.value_or("<absent>")});
                return m_storedPassword;
            });
        return result;
    }

    std::unique_ptr<KZPreferences> m_preferences;
    std::optional<QString> m_storedPassword;
    QList<QStringList> m_lookups;
};

const QStringList message{QStringLiteral("Subject line"), QStringLiteral("Body text")};

} // namespace

TEST_F(MailSenderTest, ArgumentsWithoutAuthentication)
{
    const RecordingSender recorder = makeRecordingSender(successOutput);
    const KZMailResult result = sender(recorder).sendEmailWithSubjectAndMessage(message);
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.errorText, QStringLiteral("None"));
    EXPECT_TRUE(result.senderRun);
    EXPECT_EQ(recorder.arguments(),
              (QStringList{"-f", "monitor@example.org", "-t", "admin@example.org", "-u",
                           "Subject line", "-m", "Body text", "-o", "message-charset=utf-8", "-s",
                           "mail.example.org:587"}));
    EXPECT_TRUE(recorder.standardInput().isEmpty());
    EXPECT_TRUE(m_lookups.isEmpty());
    EXPECT_EQ(KZMailSender::resultText(result), "Email sent successfully.");
}

TEST_F(MailSenderTest, TlsAddsItsPairAfterTheServer)
{
    m_preferences->setBool("EmailSSL", true);
    const RecordingSender recorder = makeRecordingSender(successOutput);
    sender(recorder).sendEmailWithSubjectAndMessage(message);
    const QStringList arguments = recorder.arguments();
    ASSERT_GE(arguments.size(), 14);
    EXPECT_EQ(arguments.mid(10), (QStringList{"-s", "mail.example.org:587", "-o", "tls=yes"}));
}

TEST_F(MailSenderTest, PasswordGoesToStandardInputNeverToTheCommandLineOrLog)
{
    m_preferences->setBool("EmailSSL", true);
    m_preferences->setInteger("EmailAuthenticationType", 1);
    m_preferences->setString("EmailUsername", "jörg");
    m_preferences->setBool("OutputDebugMessages", true);
    m_storedPassword = secret;
    const RecordingSender recorder = makeRecordingSender(successOutput);
    TestSupport::StderrCapture capture;
    const KZMailResult result = sender(recorder).sendEmailWithSubjectAndMessage(message);
    const QString log = capture.text();

    EXPECT_FALSE(result.failed);
    EXPECT_EQ(m_lookups, (QList<QStringList>{{"Tarnwell (SMTP): jörg", "jörg"}}));
    const QStringList arguments = recorder.arguments();
    EXPECT_EQ(arguments.mid(arguments.size() - 4), (QStringList{"-o", "tls=yes", "-xu", "jörg"}));
    EXPECT_FALSE(arguments.contains("-xp"));
    for (const QString &argument : arguments)
        EXPECT_FALSE(argument.contains(secret));
    EXPECT_EQ(recorder.standardInput(), secret.toUtf8() + "\n");

    EXPECT_TRUE(log.contains("Host: mail.example.org"));
    EXPECT_TRUE(log.contains("Arguments: "));
    EXPECT_TRUE(log.contains("\"-xu\", \"jörg\""));
    EXPECT_TRUE(log.contains("Sending mail..."));
    EXPECT_TRUE(log.contains("Output: "));
    EXPECT_FALSE(log.contains(secret));
    EXPECT_FALSE(TestSupport::readFile(m_preferences->fileName()).contains(secret.toUtf8()));
}

TEST_F(MailSenderTest, MissingSecretStartsNoProcess)
{
    m_preferences->setInteger("EmailAuthenticationType", 1);
    m_preferences->setString("EmailUsername", "nobody");
    const RecordingSender recorder = makeRecordingSender(successOutput);
    const KZMailResult result = sender(recorder).sendEmailWithSubjectAndMessage(message);
    EXPECT_TRUE(result.failed);
    EXPECT_FALSE(result.senderRun);
    EXPECT_FALSE(recorder.wasRun());
    EXPECT_EQ(result.errorText, QStringLiteral("Username/password item not found"));
    EXPECT_EQ(KZMailSender::resultText(result), "Send failed: Username/password item not found");
}

TEST_F(MailSenderTest, AbsentUsernameFindsNoSecret)
{
    KZPreferences bare(TestSupport::homeDir() + QStringLiteral("/bare-prefs.conf"));
    bare.setString("EmailFromAddress", "a@example.org");
    bare.setString("EmailToAddress", "b@example.org");
    bare.setString("EmailSMTPAddress", "127.0.0.1");
    bare.setInteger("EmailAuthenticationType", 1);
    const RecordingSender recorder = makeRecordingSender(successOutput);
    KZMailSender mailer = sender(recorder);
    mailer.setPreferences(&bare);
    const KZMailResult result = mailer.sendEmailWithSubjectAndMessage(message);
    EXPECT_EQ(m_lookups, (QList<QStringList>{{"<absent>", "<absent>"}}));
    EXPECT_EQ(result.errorText, QStringLiteral("Username/password item not found"));
}

TEST_F(MailSenderTest, EmptyUsernameStillFormsAServiceName)
{
    m_preferences->setInteger("EmailAuthenticationType", 2);
    m_preferences->setString("EmailUsername", "");
    const RecordingSender recorder = makeRecordingSender(successOutput);
    sender(recorder).sendEmailWithSubjectAndMessage(message);
    EXPECT_EQ(m_lookups, (QList<QStringList>{{"Tarnwell (SMTP): ", ""}}));
}

TEST_F(MailSenderTest, MissingPortIsStoredAs25)
{
    KZPreferences bare(TestSupport::homeDir() + QStringLiteral("/portless-prefs.conf"));
    bare.setString("EmailFromAddress", "a@example.org");
    bare.setString("EmailToAddress", "b@example.org");
    bare.setString("EmailSMTPAddress", "smtp.example.org");
    const RecordingSender recorder = makeRecordingSender(successOutput);
    KZMailSender mailer = sender(recorder);
    mailer.setPreferences(&bare);
    EXPECT_FALSE(mailer.sendEmailWithSubjectAndMessage(message).failed);
    EXPECT_TRUE(recorder.arguments().contains("smtp.example.org:25"));
    EXPECT_TRUE(bare.hasStoredValue("EmailCustomPort"));
    EXPECT_EQ(bare.integerForKey("EmailCustomPort"), 25);
}

TEST_F(MailSenderTest, RegisteredPortIsUsedAndNotStored)
{
    m_preferences->removeObjectForKey("EmailCustomPort");
    const RecordingSender recorder = makeRecordingSender(successOutput);
    sender(recorder).sendEmailWithSubjectAndMessage(message);
    EXPECT_TRUE(recorder.arguments().contains("mail.example.org:25"));
    EXPECT_FALSE(m_preferences->hasStoredValue("EmailCustomPort"));
}

TEST_F(MailSenderTest, ErrorTextIsWhatFollowsTheSeparatorOfTheLastErrorLine)
{
    const RecordingSender one =
        makeRecordingSender("echo 'Dec 07 host sendemail[1]: ERROR => Connection refused'");
    KZMailResult result = sender(one).sendEmailWithSubjectAndMessage(message);
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(result.errorText, QStringLiteral("Connection refused"));
    EXPECT_EQ(KZMailSender::resultText(result), "Send failed: Connection refused");

    const RecordingSender two = makeRecordingSender(
        "echo 'x: ERROR => first problem'; echo 'between'; echo 'y: ERROR => ERROR => second'");
    result = sender(two).sendEmailWithSubjectAndMessage(message);
    EXPECT_EQ(result.errorText, QStringLiteral("ERROR => second"));

    // The prompt for the password stands before the message on the same line.
    const RecordingSender prompted =
        makeRecordingSender("echo 'Password: Dec 07 host sendemail[1]: ERROR => bad login'");
    result = sender(prompted).sendEmailWithSubjectAndMessage(message);
    EXPECT_EQ(result.errorText, QStringLiteral("bad login"));
}

TEST_F(MailSenderTest, ErrorAtTheEndOfALineStillFails)
{
    const RecordingSender recorder = makeRecordingSender("echo 'sendemail: ERROR'");
    const KZMailResult result = sender(recorder).sendEmailWithSubjectAndMessage(message);
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(result.errorText, QStringLiteral("ERROR"));
}

TEST_F(MailSenderTest, OutputWithoutErrorIsSuccessWhateverTheExitStatus)
{
    const RecordingSender recorder = makeRecordingSender("echo 'something else'; exit 1");
    const KZMailResult result = sender(recorder).sendEmailWithSubjectAndMessage(message);
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.output, QStringList{"something else"});
}

TEST_F(MailSenderTest, CrashOrSilenceIsAFailure)
{
    const RecordingSender crashing = makeRecordingSender("kill -SEGV $$");
    KZMailResult result = sender(crashing).sendEmailWithSubjectAndMessage(message);
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(result.errorText, QStringLiteral("Error running email command"));

    const RecordingSender silent = makeRecordingSender("exit 0");
    result = sender(silent).sendEmailWithSubjectAndMessage(message);
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(result.errorText, QStringLiteral("Error running email command"));
}

TEST_F(MailSenderTest, SenderThatCannotStartFailsWithTheReason)
{
    KZMailSender mailer(KZMailSender::Copy::Application);
    mailer.setPreferences(m_preferences.get());
    mailer.setSenderProgram(TestSupport::homeDir() + QStringLiteral("/no-such-sendemail"));
    m_preferences->setBool("OutputDebugMessages", true);
    TestSupport::StderrCapture capture;
    const KZMailResult result = mailer.sendEmailWithSubjectAndMessage(message);
    EXPECT_TRUE(result.failed);
    ASSERT_TRUE(result.errorText);
    EXPECT_TRUE(result.errorText->contains("no-such-sendemail"));
    EXPECT_TRUE(capture.text().contains("Mail send exception raised. Name: "));
}

TEST_F(MailSenderTest, MessageMustBeSubjectAndBody)
{
    const RecordingSender recorder = makeRecordingSender(successOutput);
    const KZMailResult result =
        sender(recorder).sendEmailWithSubjectAndMessage({QStringLiteral("only a subject")});
    EXPECT_TRUE(result.failed);
    EXPECT_FALSE(recorder.wasRun());
}

TEST_F(MailSenderTest, MenuItemCopyDiffersOnlyInItsLogAndInitialErrorText)
{
    m_preferences->setBool("OutputDebugMessages", true);
    const RecordingSender recorder = makeRecordingSender(successOutput);
    TestSupport::StderrCapture capture;
    const KZMailResult result =
        sender(recorder, KZMailSender::Copy::MenuItem).sendEmailWithSubjectAndMessage(message);
    const QString log = capture.text();
    EXPECT_FALSE(result.failed);
    EXPECT_FALSE(result.errorText.has_value());
    EXPECT_FALSE(log.contains("Arguments: "));
    EXPECT_TRUE(log.contains("SendEmail Output: "));
    EXPECT_EQ(recorder.arguments().size(), 12);
}

TEST_F(MailSenderTest, NoDebugLinesWhenDebuggingIsOff)
{
    const RecordingSender recorder = makeRecordingSender(successOutput);
    TestSupport::StderrCapture capture;
    sender(recorder).sendEmailWithSubjectAndMessage(message);
    EXPECT_TRUE(capture.text().isEmpty());
}

TEST_F(MailSenderTest, BackgroundSendReportsOnItsThread)
{
    const RecordingSender recorder = makeRecordingSender(successOutput);
    std::promise<KZMailResult> done;
    sender(recorder).sendInBackground(message,
                                      [&done](const KZMailResult &r) { done.set_value(r); });
    auto future = done.get_future();
    ASSERT_EQ(future.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_FALSE(future.get().failed);
    EXPECT_TRUE(recorder.wasRun());
}

namespace {

// Decodes "=?UTF-8?B?...?=" words joined by blanks.
QString decodeWords(const QString &header)
{
    static const QRegularExpression word(QStringLiteral("=\\?UTF-8\\?B\\?([A-Za-z0-9+/=]*)\\?="));
    QByteArray bytes;
    auto it = word.globalMatch(header);
    while (it.hasNext())
        bytes += QByteArray::fromBase64(it.next().captured(1).toLatin1());
    return QString::fromUtf8(bytes);
}

} // namespace

TEST(MailSubject, AsciiStaysAsItIs)
{
    EXPECT_EQ(KZMailSender::encodeSubject("Tarnwell Report (host): FAILED DRIVES!"),
              "Tarnwell Report (host): FAILED DRIVES!");
}

TEST(MailSubject, NonAsciiBecomesShortEncodedWordsWithWholeCharacters)
{
    const QString subject =
        QStringLiteral("Tarnwell Report (Jürgens Rechner 🖥 ünd sö weiter): FAILING DRIVES!");
    const QString encoded = KZMailSender::encodeSubject(subject);
    EXPECT_TRUE(encoded.startsWith("=?UTF-8?B?"));
    for (const QString &piece : encoded.split(QLatin1Char(' ')))
        EXPECT_LE(piece.size(), 75) << piece.toStdString();
    EXPECT_EQ(decodeWords(encoded), subject);
    // Every word decodes on its own: no character is split between words.
    for (const QString &piece : encoded.split(QLatin1Char(' ')))
        EXPECT_FALSE(decodeWords(piece).contains(QChar::ReplacementCharacter));
}
