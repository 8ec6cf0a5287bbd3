// Mails sent through the real sendemail to a real SMTP server on 127.0.0.1.
#include "AlertTestSupport.h"
#include "EMKeychainItem.h"
#include "KZMailSender.h"
#include "KZPreferences.h"
#include "TestSupport.h"

#include <QFile>
#include <QJsonArray>

using AlertTestSupport::SmtpServer;

namespace {

class MailDeliveryTest : public testing::Test
{
protected:
    void SetUp() override
    {
        static int counter = 0;
        m_preferences = std::make_unique<KZPreferences>(
            TestSupport::homeDir() + QStringLiteral("/delivery-prefs-%1.conf").arg(++counter));
        m_preferences->registerApplicationDefaults();
        m_preferences->setString("EmailFromAddress", "monitor@example.org");
        m_preferences->setString("EmailToAddress", "admin@example.org");
        m_preferences->setString("EmailSMTPAddress", "127.0.0.1");
    }
    void TearDown() override { qunsetenv("SSL_CERT_FILE"); }

    KZMailSender sender() const
    {
        KZMailSender result(KZMailSender::Copy::Application);
        result.setSenderProgram(QStringLiteral("/usr/bin/sendemail"));
        result.setPreferences(m_preferences.get());
        result.setTimeout(60);
        return result;
    }

    void useServer(const SmtpServer &server)
    {
        m_preferences->setInteger("EmailCustomPort", server.port());
    }

    std::unique_ptr<KZPreferences> m_preferences;
};

const QString hostName = QStringLiteral("Jürgen’s Rechner");
const QStringList utf8Message{
    QStringLiteral("Tarnwell Report (%1): FAILING AND FAILED DRIVES!").arg(hostName),
    QStringLiteral("Größe Platte with partitions Daten, and Ümlaut: FAILING\n"
                   "Диск 2: FAILED\n")};

} // namespace

TEST_F(MailDeliveryTest, PlainMailArrivesWithUtf8Intact)
{
    SKIP_WITHOUT_SMTP();
    SmtpServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    useServer(server);
    const KZMailResult result = sender().sendEmailWithSubjectAndMessage(utf8Message);
    EXPECT_FALSE(result.failed) << result.errorText.value_or("").toStdString();
    EXPECT_EQ(result.errorText, QStringLiteral("None"));
    ASSERT_TRUE(result.output.join("\n").contains("Email was sent successfully!"));

    const QList<QJsonObject> messages = server.waitForMessages(1);
    ASSERT_EQ(messages.size(), 1);
    const QJsonObject mail = messages.first();
    EXPECT_EQ(mail["mail_from"].toString(), "monitor@example.org");
    EXPECT_EQ(mail["rcpt_tos"].toArray(), QJsonArray{"admin@example.org"});
    EXPECT_EQ(mail["subject"].toString(), utf8Message.at(0));
    EXPECT_EQ(mail["charset"].toString(), "utf-8");
    EXPECT_TRUE(mail["body"].toString().contains(utf8Message.at(1)))
        << mail["body"].toString().toStdString();
}

TEST_F(MailDeliveryTest, ConnectionRefusedGivesTheSendersErrorText)
{
    SKIP_WITHOUT_SMTP();
    const int port = AlertTestSupport::closedPort();
    ASSERT_GT(port, 0);
    m_preferences->setInteger("EmailCustomPort", port);
    const KZMailResult result = sender().sendEmailWithSubjectAndMessage(utf8Message);
    EXPECT_TRUE(result.failed);
    ASSERT_TRUE(result.errorText);
    EXPECT_TRUE(result.errorText->startsWith(
        QStringLiteral("Connection attempt to 127.0.0.1:%1 failed").arg(port)))
        << result.errorText->toStdString();
    EXPECT_TRUE(result.errorText->endsWith("Connection refused"))
        << result.errorText->toStdString();
}

TEST_F(MailDeliveryTest, AuthenticatedMailOverStartTlsWithThePasswordOnStandardInput)
{
    SKIP_WITHOUT_SMTP();
    const AlertTestSupport::TestCertificate certificate = AlertTestSupport::makeCertificate();
    if (!certificate.valid)
        GTEST_SKIP() << certificate.error.toStdString();
    const QString password = QStringLiteral("sëcret pass");
    SmtpServer server(
        {QStringLiteral("smtp-user"), password, certificate.certificate, certificate.key});
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    useServer(server);
    qputenv("SSL_CERT_FILE", QFile::encodeName(certificate.certificate));
    m_preferences->setBool("EmailSSL", true);
    m_preferences->setInteger("EmailAuthenticationType", 1);
    m_preferences->setString("EmailUsername", "smtp-user");
    m_preferences->setBool("OutputDebugMessages", true);

    KZMailSender mailer = sender();
    mailer.setPasswordLookup([&](const std::optional<QString> &service,
                                 const std::optional<QString> &user) -> std::optional<QString> {
        if (service == QStringLiteral("Tarnwell (SMTP): smtp-user") && user == "smtp-user")
            return password;
        return std::nullopt;
    });
    TestSupport::StderrCapture capture;
    KZMailResult result = mailer.sendEmailWithSubjectAndMessage(utf8Message);
    const QString log = capture.text();
    EXPECT_FALSE(result.failed) << result.errorText.value_or("").toStdString();
    ASSERT_EQ(server.waitForMessages(1).size(), 1);
    EXPECT_EQ(server.messages().first()["subject"].toString(), utf8Message.at(0));
    EXPECT_FALSE(log.contains(password));
    EXPECT_FALSE(log.contains(password.toUtf8().toBase64()));

    // The same server refuses a wrong password with the sender's own words.
    mailer.setPasswordLookup([](const auto &, const auto &) { return QStringLiteral("wrong"); });
    result = mailer.sendEmailWithSubjectAndMessage(utf8Message);
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(result.errorText,
              QStringLiteral("ERROR => SMTP-AUTH: Authentication to 127.0.0.1:%1 failed.")
                  .arg(server.port()));
    EXPECT_EQ(server.messages().size(), 1);
}

TEST_F(MailDeliveryTest, UntrustedCertificateIsRefused)
{
    SKIP_WITHOUT_SMTP();
    const AlertTestSupport::TestCertificate certificate = AlertTestSupport::makeCertificate();
    if (!certificate.valid)
        GTEST_SKIP() << certificate.error.toStdString();
    SmtpServer server({{}, {}, certificate.certificate, certificate.key});
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    useServer(server);
    m_preferences->setBool("EmailSSL", true);
    const KZMailResult result = sender().sendEmailWithSubjectAndMessage(utf8Message);
    EXPECT_TRUE(result.failed);
    ASSERT_TRUE(result.errorText);
    EXPECT_TRUE(result.errorText->startsWith("TLS setup failed"))
        << result.errorText->toStdString();
    EXPECT_TRUE(server.messages().isEmpty());
}

TEST_F(MailDeliveryTest, PasswordFromTheSecretStoreReachesTheServer)
{
    SKIP_WITHOUT_SMTP();
    SKIP_WITHOUT_KEYCHAIN();
    const QString user = AlertTestSupport::uniqueName(QStringLiteral("smtp-ü"));
    const QString password = QStringLiteral("pässwört ✓ 42");
    ASSERT_TRUE(EMGenericKeychainItem::addGenericKeychainItemForService(
        KZMailSender::keychainServiceName(user), user, password));
    SmtpServer server({user, password, {}, {}});
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    useServer(server);
    m_preferences->setInteger("EmailAuthenticationType", 1);
    m_preferences->setString("EmailUsername", user);
    m_preferences->setBool("OutputDebugMessages", true);

    TestSupport::StderrCapture capture;
    const KZMailResult result = sender().sendEmailWithSubjectAndMessage(utf8Message);
    const QString log = capture.text();
    EXPECT_FALSE(result.failed) << result.errorText.value_or("").toStdString();
    EXPECT_EQ(server.waitForMessages(1).size(), 1);
    EXPECT_FALSE(log.contains(password));
    EXPECT_FALSE(TestSupport::readFile(m_preferences->fileName()).contains(password.toUtf8()));

    // Another account has no secret: nothing is started.
    m_preferences->setString("EmailUsername", user + QStringLiteral("-other"));
    const KZMailResult missing = sender().sendEmailWithSubjectAndMessage(utf8Message);
    EXPECT_TRUE(missing.failed);
    EXPECT_FALSE(missing.senderRun);
    EXPECT_EQ(missing.errorText, QStringLiteral("Username/password item not found"));
}
