#include "TestSupport.h"

#include "KZTask.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TestSupport {

namespace {

QTemporaryDir &home()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace

QString homeDir()
{
    return home().path();
}

void isolateHome()
{
    const QByteArray home = QFile::encodeName(homeDir());
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/config");
    qputenv("XDG_STATE_HOME", home + "/state");
    qputenv("XDG_DATA_HOME", home + "/data");
}

QString corpusDir()
{
    const QString dir = QStringLiteral(TARNWELL_CORPUS_DIR);
    return QFileInfo(dir + QStringLiteral("/MANIFEST.tsv")).isFile() ? QDir(dir).absolutePath()
                                                                     : QString();
}

QString corpusFile(const QString &relativePath)
{
    const QString dir = corpusDir();
    if (dir.isEmpty())
        return {};
    const QString path = dir + QLatin1Char('/') + relativePath;
    return QFileInfo::exists(path) ? path : QString();
}

QString fakesDir()
{
    return QStringLiteral(TARNWELL_FAKES_DIR);
}

QString fake(const QString &name)
{
    return fakesDir() + QLatin1Char('/') + name;
}

QString sourceDir()
{
    return QStringLiteral(TARNWELL_SOURCE_DIR);
}

QString realSmartctl()
{
    for (const char *candidate : {"/usr/local/sbin/smartctl", "/usr/sbin/smartctl"}) {
        if (QFileInfo(QString::fromLatin1(candidate)).isExecutable())
            return QString::fromLatin1(candidate);
    }
    return {};
}

KZSMARTDrive diskDrive(const QString &capture)
{
    // The device argument, a capture file, becomes smartctl's standard input.
    static const QString standIn =
        writeScript(QStringLiteral("smartctl-disk"), "#!/bin/bash\n"
                                                     "device=\"${@: -1}\"\n"
                                                     "set -- \"${@:1:$#-1}\"\n"
                                                     "exec '" +
                                                         QFile::encodeName(realSmartctl()) +
                                                         "' \"$@\" - < \"$device\"\n");
    KZSMARTDrive drive = KZSMARTDrive::initForCommandLine();
    drive.setLocation(capture);
    drive.setSmartctlOverride(standIn);
    return drive;
}

QString writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        ADD_FAILURE() << "cannot write " << path.toStdString();
    file.write(content);
    return path;
}

QString writeScript(const QString &name, const QByteArray &body)
{
    static int counter = 0;
    const QString dir = homeDir() + QStringLiteral("/scripts/%1").arg(++counter);
    const QString path = writeFile(dir + QLatin1Char('/') + name, body);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString forge(const QByteArray &json, const QString &name)
{
    static int counter = 0;
    const QString dir = homeDir() + QStringLiteral("/forged-%1").arg(++counter);
    const QString input = writeFile(dir + QStringLiteral("/drive.json"), json);
    const QString output = dir + QLatin1Char('/') + name;
    KZTask task;
    std::optional<QStringList> printed;
    try {
        printed = task.parseCommandLine(QStringLiteral(TARNWELL_FORGE),
                                        QStringList{input, QStringLiteral("-o"), output});
    } catch (const std::exception &error) {
        ADD_FAILURE() << "twdr-forge did not run: " << error.what();
        return {};
    }
    if (!QFileInfo::exists(output)) {
        ADD_FAILURE() << "twdr-forge failed: "
                      << (printed ? printed->join('\n').toStdString() : "");
        return {};
    }
    return output;
}

FileState fileState(const QString &path)
{
    struct stat status
    {
    };
    ::stat(QFile::encodeName(path).constData(), &status);
    return {status.st_ino, qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec,
            readFile(path)};
}

QProcessEnvironment homeEnvironment(const QString &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("XDG_CONFIG_HOME", home + "/config");
    environment.insert("XDG_STATE_HOME", home + "/state");
    environment.insert("XDG_DATA_HOME", home + "/data");
    return environment;
}

StderrCapture::StderrCapture()
{
    static int counter = 0;
    m_path = homeDir() + QStringLiteral("/stderr-%1.txt").arg(++counter);
    std::fflush(stderr);
    m_saved = ::dup(STDERR_FILENO);
    const int fd =
        ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
}

StderrCapture::~StderrCapture()
{
    text();
}

QString StderrCapture::text()
{
    if (!m_done) {
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_done = true;
    }
    return QString::fromUtf8(readFile(m_path));
}

FakeSmartctl::FakeSmartctl(const QMap<QString, QByteArray> &answers)
{
    static int counter = 0;
    m_dir = homeDir() + QStringLiteral("/fake-smartctl-%1").arg(++counter);
    QDir().mkpath(m_dir);
    for (auto it = answers.cbegin(); it != answers.cend(); ++it)
        writeFile(m_dir + QLatin1Char('/') + it.key() + QStringLiteral(".txt"), it.value());
    const QByteArray script =
        "#!/bin/bash\n"
        "dir=" +
        QFile::encodeName(m_dir) +
        "\n"
        "{ printf '%s|' \"$@\"; printf ' stdin=%s\\n' \"$(readlink /proc/$$/fd/0)\"; } >> "
        "\"$dir/calls.log\"\n"
        "banner=('" +
        smartctlBanner.split('\n').value(0) + "' '" + smartctlBanner.split('\n').value(1) +
        "' '')\n"
        "args=(\"$@\")\n"
        "if [ \"${args[0]}\" = -T ] && [ \"${args[1]}\" = verypermissive ]; then "
        "args=(\"${args[@]:2}\"); "
        "permissive=p-; fi\n"
        // A disk asked to stay asleep that has a "standby" answer sleeps.
        "if [ \"${args[0]}\" = -n ]; then args=(\"${args[@]:2}\"); "
        "if [ -f \"$dir/standby.txt\" ]; then cat \"$dir/standby.txt\"; exit 2; fi; fi\n"
        "case \"${args[0]}\" in\n"
        "  -i) key=i;; -H) key=H;; -c) key=c;; -A) key=A;; -V) key=V;; -X) key=X;;\n"
        "  -s) key=s-on;; -t) key=t-${args[1]};; -l) key=l-${args[1]};; -r) key=capture;;\n"
        "  *) key=other;;\n"
        "esac\n"
        "answer() { if [ -f \"$dir/$permissive$1.txt\" ]; then echo \"$dir/$permissive$1.txt\"; "
        "elif [ -f \"$dir/$1.txt\" ]; then echo \"$dir/$1.txt\"; fi; }\n"
        "file=$(answer \"$key\")\n"
        "if [ -n \"$file\" ]; then cat \"$file\"; "
        "elif [ \"$key\" = capture ]; then\n"
        // A whole report: the banner, then each reading command's answer
        // without its banner, in the order smartctl prints them.
        "  printf '%s\\n' \"${banner[@]}\"\n"
        "  for part in i H c A l-error l-selftest; do\n"
        "    file=$(answer \"$part\")\n"
        "    [ -n \"$file\" ] || continue\n"
        "    awk 'NR == 1 && /^smartctl / { banner = 1; next }\n"
        "         banner && NR == 2 { next }\n"
        "         banner && NR == 3 && $0 == \"\" { next }\n"
        "         { print }' \"$file\"\n"
        "    echo\n"
        "  done\n"
        "else printf '%s\\n' \"${banner[@]}\"; fi\n";
    m_program = writeFile(m_dir + QStringLiteral("/smartctl"), script);
    QFile::setPermissions(m_program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList FakeSmartctl::calls() const
{
    return QString::fromUtf8(readFile(m_dir + QStringLiteral("/calls.log")))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void FakeSmartctl::setAnswer(const QString &key, const QByteArray &text)
{
    writeFile(m_dir + QLatin1Char('/') + key + QStringLiteral(".txt"), text);
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

testing::AssertionResult waitFor(const char *what, const std::function<bool()> &condition,
                                 int timeoutMs)
{
    if (waitFor(condition, timeoutMs))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "waited " << timeoutMs / 1000 << " s for " << what;
}

} // namespace TestSupport
