#pragma once

#include "KZSMARTDrive.h"

#include <QMap>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/types.h>

// Shared helpers of the test programs: a private XDG home for every test
// program, the real smartctl, the fakes folder and the shared corpus.
namespace TestSupport {

// The two banner lines and the blank line smartctl starts every output with.
inline const QByteArray smartctlBanner =
    "smartctl 7.3 2022-02-28 r5338 [x86_64-linux-6.1.0] (local build)\n"
    "Copyright (C) 2002-22, Bruce Allen, Christian Franke, www.smartmontools.org\n"
    "\n";

// Folder of the real smartctl outputs; empty when the corpus is not beside the checkout.
QString corpusDir();
// A corpus file by its path below the corpus folder; empty when absent.
QString corpusFile(const QString &relativePath);
QString fakesDir();
QString fake(const QString &name);
QString sourceDir();
// The real smartctl, or empty when it is not installed.
QString realSmartctl();
// A drive whose device is a capture file read as the disk itself, not as a
// saved report: smartctl gets the file as standard input, and the drive
// remembers its counts for the next refresh as a live disk does.
KZSMARTDrive diskDrive(const QString &capture);
// The temporary folder that stands in for the home folder of this test program.
QString homeDir();
// Points HOME and the XDG folders into homeDir(); the standard main() does
// this before anything else.
void isolateHome();

// Writes a file (creating folders); returns its path.
QString writeFile(const QString &path, const QByteArray &content);
// Writes an executable script into a fresh temporary folder; returns its path.
QString writeScript(const QString &name, const QByteArray &body);
QByteArray readFile(const QString &path);

// Forges a raw capture from a JSON drive description with tools/twdr-forge;
// returns the capture's path (empty, with a test failure, when forging failed).
QString forge(const QByteArray &json, const QString &name = QStringLiteral("drive.twdr"));

// A file's identity and contents: a rewrite renames a new file over it, so
// the inode changes too.
struct FileState
{
    ino_t inode = 0;
    qint64 modified = 0; // nanoseconds
    QByteArray bytes;
    bool operator==(const FileState &) const = default;
};
FileState fileState(const QString &path);

// The environment of a child program whose home and XDG folders lie in home.
QProcessEnvironment homeEnvironment(const QString &home);

// Captures everything the code under test writes to standard error.
class StderrCapture
{
public:
    StderrCapture();
    ~StderrCapture();
    QString text();

private:
    int m_saved = -1;
    QString m_path;
    bool m_done = false;
};

// A smartctl stand-in written for one test. It answers from files named after
// the option it was given (i, H, c, A, l-error, l-selftest, s-on, t-short,
// t-long, X, V, capture, other) in its own folder; with "-T verypermissive"
// a file with the prefix "p-" is preferred. An option without a file gets
// smartctl's banner alone, as smartctl prints it before an answer it has
// nothing to put in. The refresh's run ("-r ataioctl,2 -a") without a file
// "capture" gets a whole report made of the others: the banner, then the
// answers of i, H, c, A, l-error and l-selftest, each without its banner and
// followed by a blank line. A run with "-n standby" gets the file "standby"
// and exit status 2 when there is one (a disk asleep), else the answer
// without it. It records every call: its
// arguments joined by "|" and where its standard input came from.
class FakeSmartctl
{
public:
    explicit FakeSmartctl(const QMap<QString, QByteArray> &answers);
    const QString &program() const { return m_program; }
    QStringList calls() const;
    void setAnswer(const QString &key, const QByteArray &text);

private:
    QString m_dir;
    QString m_program;
};

// How long a test waits for one thing to happen (a program's window, a name on
// the bus, the end of a scan): generous, never a measure of speed.
inline constexpr int waitLimitMs = 30000;

// Runs the event loop until `condition` holds; false when it still does not
// after `timeoutMs`.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = waitLimitMs);
// The same for something outside this program (a program's window, a name on
// the bus), for ASSERT_TRUE / EXPECT_TRUE: the failure says "waited 30 s for
// <what>".
testing::AssertionResult waitFor(const char *what, const std::function<bool()> &condition,
                                 int timeoutMs = waitLimitMs);

} // namespace TestSupport

#define SKIP_WITHOUT_CORPUS()                                                                      \
    do {                                                                                           \
        if (TestSupport::corpusDir().isEmpty())                                                    \
            GTEST_SKIP() << "shared corpus not found beside the checkout";                         \
    } while (0)

#define SKIP_WITHOUT_SMARTCTL()                                                                    \
    do {                                                                                           \
        if (TestSupport::realSmartctl().isEmpty())                                                 \
            GTEST_SKIP() << "smartctl is not installed";                                           \
    } while (0)
