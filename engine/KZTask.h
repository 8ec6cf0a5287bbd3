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
    // A child that prints more than this is stopped: no tool run here prints
    // anywhere near as much, and the output is held in memory.
    static constexpr qsizetype defaultOutputLimit = 16 * 1024 * 1024;

    // Why a run returned nothing although the program was started.
    enum class Failure
    {
        None,
        Signalled,      // ended by a signal; getErrorCode() holds minus its number
        TimedOut,       // ran past the time-out and was stopped
        OutputTooLarge, // printed more than the output limit and was stopped
    };

    KZTask();

    // Runs the program and blocks until it has finished. Returns nothing when
    // the child was killed by a signal (errorCode then holds the negative
    // signal number), when it ran past the time-out or printed more than the
    // output limit (failure() tells which), or in raw-capture mode. Bytes
    // that are not valid UTF-8 are decoded as U+FFFD, the rest of the text
    // stands. Throws KZException when the program cannot be started or the
    // standard-input file cannot be opened, and when non-empty output holds
    // no line feed at all.
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
    int timeout() const { return m_timeoutSeconds; }
    // The time-out of every runner made from now on that is not given its
    // own (defaultTimeoutSeconds until changed); for the whole process.
    static void setDefaultTimeout(int seconds);
    static int defaultTimeout();
    // Bytes of output after which the child is stopped.
    void setOutputLimit(qsizetype bytes) { m_outputLimit = bytes; }
    // The child runs with the C locale (LC_ALL=C), so that numbers carry no
    // grouping marks of the user's locale; other variables are inherited.
    void setCLocale(bool on) { m_cLocale = on; }
    int getErrorCode() const { return m_errorCode; }
    Failure failure() const { return m_failure; }
    // The last run printed text whose last line has no line feed.
    bool outputCutOff() const { return m_outputCutOff; }
    // Keeps the bytes the next run prints, as printed, besides returning
    // them split into lines (for a caller that both reads and stores them).
    void setKeepOutput(bool keep) { m_keepOutput = keep; }
    // What the last run printed when it was kept; empty otherwise.
    const QByteArray &output() const { return m_output; }

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
    int m_timeoutSeconds;
    qsizetype m_outputLimit = defaultOutputLimit;
    bool m_cLocale = false;
    Failure m_failure = Failure::None;
    bool m_outputCutOff = false;
    bool m_keepOutput = false;
    QByteArray m_output;
};
