#include "HelperTestSupport.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace HelperTestSupport {

namespace {

QString recordPath()
{
    return QFileInfo(QStringLiteral(TARNWELL_TEST_STANDIN)).absolutePath() +
           QStringLiteral("/calls-%1").arg(::getpid());
}

} // namespace

QString testHelper()
{
    return QStringLiteral(TARNWELL_TEST_HELPER);
}

QString devicesFolder()
{
    return QStringLiteral(TARNWELL_TEST_DEVICES);
}

TestDisk::TestDisk(const QString &suffix)
{
    static int counter = 0;
    const QString path =
        devicesFolder() + QStringLiteral("/nvme%1n%2").arg(::getpid()).arg(++counter) + suffix;
    QFile::remove(path);
    if (::mknod(QFile::encodeName(path).constData(), S_IFBLK | 0600, makedev(7, 0)) == 0)
        m_path = path;
}

TestDisk::~TestDisk()
{
    if (!m_path.isEmpty()) {
        QFile::remove(m_path);
        QFile::remove(m_path + QStringLiteral(".twdr"));
    }
}

void TestDisk::setCapture(const QString &capturePath) const
{
    QFile::remove(m_path + QStringLiteral(".twdr"));
    QFile::copy(capturePath, m_path + QStringLiteral(".twdr"));
}

QList<QStringList> standinCalls()
{
    QList<QStringList> calls;
    QStringList current;
    const QString text = QString::fromUtf8(TestSupport::readFile(recordPath()));
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line == QLatin1String("----")) {
            calls.append(current);
            current.clear();
        } else {
            current.append(line);
        }
    }
    return calls;
}

void clearStandinCalls()
{
    QFile::remove(recordPath());
}

HelperRun runHelper(const QStringList &arguments)
{
    QProcess process;
    process.start(testHelper(), arguments);
    HelperRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAllStandardOutput();
    run.error = process.readAllStandardError();
    return run;
}

} // namespace HelperTestSupport
