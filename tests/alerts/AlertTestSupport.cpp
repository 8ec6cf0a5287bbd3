#include "AlertTestSupport.h"

#include "KZPaths.h"
#include "KZPreferences.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QThread>
#include <QUuid>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace AlertTestSupport {

namespace {

const QString python = QStringLiteral("/usr/bin/python3");

QString serverScript()
{
    return QStringLiteral(TARNWELL_ALERT_TESTS_DIR "/smtp_server.py");
}

} // namespace

bool keychainSessionAvailable(QString *why)
{
    if (qEnvironmentVariable("TARNWELL_TEST_SESSION") != QLatin1String("1")) {
        *why = QStringLiteral("no test session with a Secret Service: run the tests through "
                              "scripts/with-test-session.sh (scripts/test.sh does)");
        return false;
    }
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        *why = QStringLiteral("no D-Bus session bus (DBUS_SESSION_BUS_ADDRESS is not set)");
        return false;
    }
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    if (!bus || !bus->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value()) {
        *why = QStringLiteral("org.freedesktop.secrets is not on the session bus");
        return false;
    }
    return true;
}

bool smtpToolsAvailable(QString *why)
{
    static int known = -1;
    static QString reason;
    if (known < 0) {
        known = 0;
        if (!QFileInfo(QStringLiteral("/usr/bin/sendemail")).isExecutable()) {
            reason = QStringLiteral("/usr/bin/sendemail is not installed (package sendemail)");
        } else if (!QFileInfo(python).isExecutable()) {
            reason = QStringLiteral("/usr/bin/python3 is not installed");
        } else {
            QProcess probe;
            probe.start(python, {QStringLiteral("-c"), QStringLiteral("import aiosmtpd")});
            if (!probe.waitForFinished(20000) || probe.exitStatus() != QProcess::NormalExit ||
                probe.exitCode() != 0) {
                probe.kill();
                reason = QStringLiteral("aiosmtpd is not installed (package python3-aiosmtpd)");
            } else {
                known = 1;
            }
        }
    }
    *why = reason;
    return known == 1;
}

QString uniqueName(const QString &prefix)
{
    return prefix + QLatin1Char('-') + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

TestCertificate makeCertificate()
{
    TestCertificate result;
    const QString dir = TestSupport::homeDir() + QStringLiteral("/tls-") + uniqueName("c");
    QDir().mkpath(dir);
    result.certificate = dir + QStringLiteral("/cert.pem");
    result.key = dir + QStringLiteral("/key.pem");
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                   result.key, QStringLiteral("-out"), result.certificate, QStringLiteral("-days"),
                   QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1")});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
        openssl.kill();
        result.error = QStringLiteral("openssl could not make a test certificate: %1")
                           .arg(QString::fromLocal8Bit(openssl.readAll()) + openssl.errorString());
        return result;
    }
    result.valid = QFileInfo::exists(result.certificate) && QFileInfo::exists(result.key);
    return result;
}

SmtpServer::SmtpServer(const Options &options) : m_process(std::make_unique<QProcess>())
{
    QStringList arguments{serverScript(), QStringLiteral("--store"), m_store.path()};
    if (!options.user.isEmpty())
        arguments << QStringLiteral("--auth") << options.user + QLatin1Char(':') + options.password;
    if (!options.certificate.isEmpty())
        arguments << QStringLiteral("--tls") << options.certificate << options.key;
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->start(python, arguments);
    if (!m_process->waitForStarted(10000)) {
        m_error = QStringLiteral("cannot start the SMTP server: ") + m_process->errorString();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    QByteArray seen;
    while (clock.elapsed() < 15000) {
        if (!m_process->canReadLine() && !m_process->waitForReadyRead(500)) {
            if (m_process->state() == QProcess::NotRunning)
                break;
            continue;
        }
        seen += m_process->readLine();
        bool ok = false;
        const int port = seen.trimmed().toInt(&ok);
        if (ok && port > 0) {
            m_port = port;
            return;
        }
    }
    m_error = QStringLiteral("the SMTP server did not start: ") +
              QString::fromLocal8Bit(seen + m_process->readAllStandardError());
}

SmtpServer::~SmtpServer()
{
    if (m_process->state() == QProcess::NotRunning)
        return;
    m_process->closeWriteChannel(); // the server stops when its input ends
    if (!m_process->waitForFinished(3000)) {
        m_process->kill();
        m_process->waitForFinished(3000);
    }
}

QList<QJsonObject> SmtpServer::messages() const
{
    QList<QJsonObject> result;
    QDir dir(m_store.path());
    QStringList names = dir.entryList({QStringLiteral("message-*.json")}, QDir::Files);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const QString &name : names)
        result.append(QJsonDocument::fromJson(TestSupport::readFile(dir.filePath(name))).object());
    return result;
}

QList<QJsonObject> SmtpServer::waitForMessages(int count, int timeoutMs) const
{
    QElapsedTimer clock;
    clock.start();
    QList<QJsonObject> found = messages();
    while (found.size() < count && clock.elapsed() < timeoutMs) {
        QThread::msleep(50);
        found = messages();
    }
    return found;
}

int closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd); // bound but never listening: connections are refused
    return port;
}

RecordingSender makeRecordingSender(const QByteArray &outputBody)
{
    RecordingSender sender;
    sender.folder = TestSupport::homeDir() + QStringLiteral("/recorder-") + uniqueName("r");
    QDir().mkpath(sender.folder);
    const QByteArray script = "#!/bin/bash\n"
                              "dir='" +
                              QFile::encodeName(sender.folder) +
                              "'\n"
                              "printf '%s\\0' \"$@\" > \"$dir/argv.part\"\n"
                              "cat > \"$dir/stdin\"\n"
                              // whole once it is there: wasRun() means all is recorded
                              "mv \"$dir/argv.part\" \"$dir/argv\"\n" +
                              outputBody + "\n";
    sender.program = TestSupport::writeScript(QStringLiteral("sendemail"), script);
    return sender;
}

QStringList RecordingSender::arguments() const
{
    QString text = QString::fromUtf8(TestSupport::readFile(folder + QStringLiteral("/argv")));
    if (text.endsWith(QChar(0)))
        text.chop(1);
    return text.isEmpty() ? QStringList() : text.split(QChar(0));
}

QByteArray RecordingSender::standardInput() const
{
    return TestSupport::readFile(folder + QStringLiteral("/stdin"));
}

bool RecordingSender::wasRun() const
{
    return QFileInfo::exists(folder + QStringLiteral("/argv"));
}

void writePreferences(const QVariantMap &values)
{
    QFile::remove(KZPaths::preferencesFile());
    KZPreferences preferences(KZPaths::preferencesFile());
    preferences.setString("EmailFromAddress", "monitor@example.org");
    preferences.setString("EmailToAddress", "admin@example.org");
    preferences.setString("EmailSMTPAddress", "127.0.0.1");
    preferences.setString("EmailHostName", "Prüfstand");
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        preferences.setString(it.key(), it.value().toString());
    preferences.synchronize();
}

} // namespace AlertTestSupport
