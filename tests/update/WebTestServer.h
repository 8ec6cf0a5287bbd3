#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

// python3's web server on a free port of 127.0.0.1, serving one folder.
class WebTestServer
{
public:
    WebTestServer();
    ~WebTestServer();
    bool started() const { return m_port > 0; }
    // Writes a file into the served folder; returns its address.
    QUrl put(const QString &name, const QByteArray &content);

    // An appcast offering the given versions (one release each).
    static QByteArray appcast(const QList<QByteArray> &versions);

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    int m_port = 0;
};
