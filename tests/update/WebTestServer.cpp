#include "WebTestServer.h"

#include "TestSupport.h"

#include <QRegularExpression>

WebTestServer::WebTestServer()
{
    m_process.setProgram(QStringLiteral("/usr/bin/python3"));
    m_process.setArguments(
        {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", m_folder.path()});
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start();
    if (!m_process.waitForStarted(10000))
        return;
    // The server names the port it was given once it listens.
    const QRegularExpression serving(QStringLiteral("port (\\d+)"));
    QByteArray said;
    while (m_port == 0 && m_process.waitForReadyRead(15000)) {
        said += m_process.readAll();
        const QRegularExpressionMatch match = serving.match(QString::fromUtf8(said));
        if (match.hasMatch())
            m_port = match.captured(1).toInt();
    }
}

WebTestServer::~WebTestServer()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

QUrl WebTestServer::put(const QString &name, const QByteArray &content)
{
    TestSupport::writeFile(m_folder.path() + QLatin1Char('/') + name, content);
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(name));
}

QByteArray WebTestServer::appcast(const QList<QByteArray> &versions)
{
    QByteArray items;
    for (const QByteArray &version : versions)
        items += "<item><title>Tarnwell " + version +
                 "</title><link>https://tarnwell.org/release/" + version +
                 "</link><enclosure url=\"https://tarnwell.org/tarnwell-" + version +
                 ".tar.gz\" sparkle:version=\"" + version +
                 "\" length=\"1\" type=\"application/octet-stream\"/></item>\n";
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">\n<channel>\n"
           "<title>Tarnwell</title>\n" +
           items + "</channel>\n</rss>\n";
}
