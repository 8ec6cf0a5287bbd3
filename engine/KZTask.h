#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// Runs one program with an argument list (never through a shell), merges its
// standard error into its standard output and returns the text split into
// lines; or writes the text unsplit to a file (raw capture); optionally feeds
// a file (replay) or a text held in memory (a secret that must never appear
// on a command line) to the child as standard input. A runner is made for one
// run.
class KZTask
{
public:
    static constexpr int defaultTimeoutSeconds = 120;

    KZTask() = default;

    // Runs the program and blocks until it has finished. Returns nothing when
    // the output is not valid UTF-8, when the child was killed by a signal
    // (errorCode then holds the negative signal number), when it ran past the
    // time-out, or in raw-capture mode. Throws KZException when the program
    // cannot be started or the standard-input file cannot be opened, and
    // when non-empty output holds no line feed at all.
    std::optional<QStringList> parseCommandLine(const QString &program,
                                                const std::optional<QStringList> &arguments);

    void setRawDataPath(const QString &path) { m_rawDataPath = path; }
    // Standard input comes from this file; replaces a text given before.
    void setReadFromFilePath(const QString &path)
    {
        m_filePath = path;
        m_standardInputText.reset();
    }
    // Standard input is this text, written while the child runs and then
    // closed; replaces a file given before. A child that exits without
    // reading it all is not an error.
    void setStandardInputText(const QByteArray &text)
    {
        m_standardInputText = text;
        m_filePath.clear();
    }
    // Seconds after which a child that has not finished is killed.
    void setTimeout(int seconds) { m_timeoutSeconds = seconds; }
    int getErrorCode() const { return m_errorCode; }

    // Starts a program that outlives this one (another of Tarnwell's
    // programs): in a session of its own, with standard input from
    // /dev/null and this process's standard output and error, never waited
    // for. False (with the reason) when it could not be started.
    static bool launchDetached(const QString &program, const QStringList &arguments,
                               QString *error = nullptr);

    // The line-splitting rule every parser indexes into: the first line is
    // always kept (even empty); later lines drop leading tab, LF and CR
    // characters and empty lines vanish; an unterminated last piece is
    // dropped. Throws KZException for non-empty text without any line feed.
    static QStringList splitLines(const QString &text);

private:
    qint32 m_errorCode = 0;
    QString m_rawDataPath;
    QString m_filePath;
    std::optional<QByteArray> m_standardInputText;
    int m_timeoutSeconds = defaultTimeoutSeconds;
};
