#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>
#include <gtest/gtest.h>
#include <memory>

// Helpers of the alert tests: the test session's Secret Service, a real SMTP
// server on 127.0.0.1, a test certificate, and a sender stand-in that
// records what it was given.
namespace AlertTestSupport {

// Whether the Secret Service of a test session is reachable. Keychain tests
// run only inside scripts/with-test-session.sh (TARNWELL_TEST_SESSION=1), so
// they never write into the keyring of the person running them. `why` gets
// the reason when not.
bool keychainSessionAvailable(QString *why);

// Whether /usr/bin/sendemail and aiosmtpd (for /usr/bin/python3) are installed.
bool smtpToolsAvailable(QString *why);

// A unique text for account names and the like, so tests never meet each other.
QString uniqueName(const QString &prefix);

// A self-signed certificate for 127.0.0.1 made with openssl.
struct TestCertificate
{
    QString certificate;
    QString key;
    bool valid = false;
    QString error;
};
TestCertificate makeCertificate();

// tests/alerts/smtp_server.py, started on a free port of 127.0.0.1.
class SmtpServer
{
public:
    struct Options
    {
        QString user; // with password: AUTH required
        QString password;
        QString certificate; // with key: STARTTLS required
        QString key;
    };

    explicit SmtpServer(const Options &options = {});
    ~SmtpServer();
    bool started() const { return m_port > 0; }
    QString error() const { return m_error; }
    int port() const { return m_port; }
    // Waits (at most `timeoutMs`) until `count` messages have arrived.
    QList<QJsonObject> waitForMessages(int count, int timeoutMs = 10000) const;
    QList<QJsonObject> messages() const;

private:
    QTemporaryDir m_store;
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
    QString m_error;
};

// A port of 127.0.0.1 where nothing listens.
int closedPort();

// A sendemail stand-in that writes its arguments (each ended by a NUL) to
// <folder>/argv, its standard input to <folder>/stdin, then prints
// `outputBody` (shell text run after recording).
struct RecordingSender
{
    QString program;
    QString folder;
    QStringList arguments() const;
    QByteArray standardInput() const;
    bool wasRun() const;
};
RecordingSender makeRecordingSender(const QByteArray &outputBody);

// Replaces the preferences file with these values and the e-mail settings
// of the SMTP server on 127.0.0.1 (port 25 unless given).
void writePreferences(const QVariantMap &values);

} // namespace AlertTestSupport

#define SKIP_WITHOUT_KEYCHAIN()                                                                    \
    do {                                                                                           \
        QString reason;                                                                            \
        if (!AlertTestSupport::keychainSessionAvailable(&reason))                                  \
            GTEST_SKIP() << reason.toStdString();                                                  \
    } while (0)

#define SKIP_WITHOUT_SMTP()                                                                        \
    do {                                                                                           \
        QString reason;                                                                            \
        if (!AlertTestSupport::smtpToolsAvailable(&reason))                                        \
            GTEST_SKIP() << reason.toStdString();                                                  \
    } while (0)
