#pragma once

// Shared pieces of the helper tests: disks made as block-device nodes in the
// folder the test build of the helper reads, the record of its stand-in
// smartctl, and runs of the test helper.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace HelperTestSupport {

QString testHelper();
QString devicesFolder();

// A block-device node in the devices folder, removed with the object. The
// name is nvme<process id>n<number> (a whole disk), unique across the test
// programs that run at the same time, plus the suffix ("p1" gives its
// partition). path() is empty when nodes cannot be made (not root).
class TestDisk
{
public:
    explicit TestDisk(const QString &suffix = QString());
    ~TestDisk();
    TestDisk(const TestDisk &) = delete;
    TestDisk &operator=(const TestDisk &) = delete;
    const QString &path() const { return m_path; }
    // Puts a capture beside the node: the stand-in smartctl replays it.
    void setCapture(const QString &capturePath) const;

private:
    QString m_path;
};

// Skips the test when this process cannot make device nodes.
#define SKIP_WITHOUT_DEVICE_NODES(disk)                                                            \
    do {                                                                                           \
        if ((disk).path().isEmpty())                                                               \
            GTEST_SKIP() << "cannot make block-device nodes here (needs root)";                    \
    } while (0)

// The calls of the stand-in smartctl made on behalf of this process, each
// the list of its record lines (arguments, "uid=N", "env:NAME=VALUE").
QList<QStringList> standinCalls();
void clearStandinCalls();

struct HelperRun
{
    int status = -1;
    QByteArray output;
    QByteArray error;
};
HelperRun runHelper(const QStringList &arguments);

} // namespace HelperTestSupport
