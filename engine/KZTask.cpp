#include "KZTask.h"

#include "KZAtomicFile.h"
#include "KZException.h"
#include "KZLog.h"
#include "KZRecordedTexts.h"

#include <QElapsedTimer>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// A chunk shorter than this marks the end of the first burst of output: from
// then on the runner keeps reading only while the child is still running.
constexpr qsizetype shortChunkLimit = 4096;
constexpr int pollIntervalMs = 50;

std::atomic<int> processDefaultTimeout{KZTask::defaultTimeoutSeconds};

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Reads once; returns the number of bytes appended, 0 at end of file, -1 when
// nothing was available (EAGAIN) or on error.
qsizetype readChunk(int fd, QByteArray &collected)
{
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count >= 0) {
            collected.append(buffer, count);
            return count;
        }
        if (errno == EINTR)
            continue;
        return -1;
    }
}

// The environment of this process, with LC_ALL=C in place of any LC_ALL.
std::vector<QByteArray> cLocaleEnvironment()
{
    std::vector<QByteArray> entries;
    for (char **entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "LC_ALL=", 7) != 0)
            entries.emplace_back(*entry);
    }
    entries.emplace_back("LC_ALL=C");
    return entries;
}

QString megabytes(qsizetype bytes)
{
    return QString::number(bytes / (1024 * 1024));
}

} // namespace

KZTask::KZTask() : m_timeoutSeconds(processDefaultTimeout.load()) {}

void KZTask::setDefaultTimeout(int seconds)
{
    processDefaultTimeout.store(seconds > 0 ? seconds : defaultTimeoutSeconds);
}

int KZTask::defaultTimeout()
{
    return processDefaultTimeout.load();
}

QStringList KZTask::splitLines(const QString &text)
{
    QStringList lines;
    if (text.isEmpty())
        return lines;
    const qsizetype firstFeed = text.indexOf(QLatin1Char('\n'));
    if (firstFeed < 0)
        throw KZException(KZException::unreadableText, QStringLiteral("output holds no line feed"));
    lines.append(text.left(firstFeed));
    const qsizetype length = text.size();
    qsizetype next = firstFeed + 1;
    while (next < length) {
        const qsizetype feed = text.indexOf(QLatin1Char('\n'), next + 1);
        if (feed < 0)
            break;
        qsizetype start = next;
        qsizetype candidateLength = feed - next;
        next = feed + 1;
        while (candidateLength > 0 && start < length - 1) {
            const QChar c = text.at(start);
            if (c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
                break;
            ++start;
            --candidateLength;
        }
        if (candidateLength > 0)
            lines.append(text.mid(start, candidateLength));
    }
    return lines;
}

std::optional<QStringList> KZTask::parseCommandLine(const QString &program,
                                                    const std::optional<QStringList> &arguments)
{
    m_failure = Failure::None;
    m_outputCutOff = false;
    m_output.clear();
    FileDescriptor input;
    if (!m_filePath.isEmpty()) {
        input.reset(::open(QFile::encodeName(m_filePath).constData(), O_RDONLY | O_CLOEXEC));
        if (input.get() < 0)
            throw KZException(
                KZException::cannotOpenFile,
                QStringLiteral("cannot open %1: %2").arg(m_filePath, systemError(errno)));
    }

    // A text for standard input goes through a socket pair rather than a
    // pipe: send() with MSG_NOSIGNAL reports a child that stopped reading as
    // an error instead of raising SIGPIPE in this process.
    FileDescriptor textInput;
    FileDescriptor textInputChild;
    if (m_standardInputText) {
        int socketEnds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, socketEnds) != 0)
            throw KZException(
                KZException::systemFailure,
                QStringLiteral("cannot create a socket pair: %1").arg(systemError(errno)));
        textInput.reset(socketEnds[0]);
        textInputChild.reset(socketEnds[1]);
        ::shutdown(textInput.get(), SHUT_RD);
        ::shutdown(textInputChild.get(), SHUT_WR);
    }

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw KZException(KZException::systemFailure,
                          QStringLiteral("cannot create a pipe: %1").arg(systemError(errno)));
    FileDescriptor readEnd(pipeEnds[0]);
    FileDescriptor writeEnd(pipeEnds[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input.get() >= 0)
        posix_spawn_file_actions_adddup2(&actions, input.get(), STDIN_FILENO);
    else if (textInputChild.get() >= 0)
        posix_spawn_file_actions_adddup2(&actions, textInputChild.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDERR_FILENO);

    // The child gets its own process group so that a time-out can end it
    // together with anything it started, and default signal handling.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t defaultSignals;
    sigemptyset(&defaultSignals);
    sigaddset(&defaultSignals, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setsigdefault(&attributes, &defaultSignals);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETSIGDEF);

    const QByteArray programBytes = QFile::encodeName(program);
    std::vector<QByteArray> argumentBytes;
    argumentBytes.push_back(programBytes);
    if (arguments) {
        for (const QString &argument : *arguments)
            argumentBytes.push_back(argument.toUtf8());
    }
    std::vector<char *> argv;
    for (QByteArray &bytes : argumentBytes)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);

    std::vector<QByteArray> environmentBytes;
    std::vector<char *> environment;
    if (m_cLocale) {
        environmentBytes = cLocaleEnvironment();
        for (QByteArray &bytes : environmentBytes)
            environment.push_back(bytes.data());
        environment.push_back(nullptr);
    }

    pid_t pid = 0;
    const int spawnError = ::posix_spawn(&pid, programBytes.constData(), &actions, &attributes,
                                         argv.data(), m_cLocale ? environment.data() : environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawnError != 0)
        throw KZException(KZException::cannotRun,
                          KZRecordedTexts::english(KZRecordedTexts::cannotRun,
                                                   {program, systemError(spawnError)}));

    // Only the child writes to the pipe from here on, so end of file comes
    // when it (and anything it started) has closed its output.
    writeEnd.reset();
    input.reset();
    textInputChild.reset();
    ::fcntl(readEnd.get(), F_SETFL, ::fcntl(readEnd.get(), F_GETFL) | O_NONBLOCK);

    // The text is written piece by piece whenever the child can take more, in
    // the same loop that reads its output, so that neither side can block the
    // other; the socket is closed once everything is written.
    const QByteArray inputText = m_standardInputText.value_or(QByteArray());
    qsizetype inputWritten = 0;
    auto feedInput = [&]() {
        while (textInput.get() >= 0 && inputWritten < inputText.size()) {
            const ssize_t sent =
                ::send(textInput.get(), inputText.constData() + inputWritten,
                       size_t(inputText.size() - inputWritten), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent > 0) {
                inputWritten += sent;
                continue;
            }
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            textInput.reset(); // the child closed its input: stop writing
        }
        textInput.reset();
    };
    feedInput();

    QByteArray collected;
    bool shortChunkSeen = false;
    bool childEnded = false;
    int status = 0;
    QElapsedTimer clock;
    clock.start();
    const qint64 timeoutMs = qint64(m_timeoutSeconds) * 1000;

    auto reapChild = [&](int options) {
        if (childEnded)
            return true;
        for (;;) {
            const pid_t reaped = ::waitpid(pid, &status, options);
            if (reaped == pid) {
                childEnded = true;
                return true;
            }
            if (reaped < 0 && errno == EINTR)
                continue;
            return false;
        }
    };

    // Ends a child that ran past the time-out or printed too much, with
    // anything it started.
    auto stopChild = [&](Failure why) {
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
        reapChild(0);
        m_failure = why;
        if (why == Failure::TimedOut)
            KZLog::log(QStringLiteral("%1 did not finish within %2 seconds and was stopped.")
                           .arg(program)
                           .arg(m_timeoutSeconds));
        else
            KZLog::log(QStringLiteral("%1 printed more than %2 MB and was stopped.")
                           .arg(program, megabytes(m_outputLimit)));
    };

    for (;;) {
        if (clock.elapsed() >= timeoutMs) {
            stopChild(Failure::TimedOut);
            return std::nullopt;
        }
        pollfd descriptors[2] = {{readEnd.get(), POLLIN, 0}, {textInput.get(), POLLOUT, 0}};
        const nfds_t watched = textInput.get() >= 0 ? 2 : 1;
        const int ready = ::poll(descriptors, watched, pollIntervalMs);
        if (watched == 2 && descriptors[1].revents != 0)
            feedInput();
        if (ready > 0 && descriptors[0].revents == 0)
            continue;
        if (ready > 0) {
            const qsizetype count = readChunk(readEnd.get(), collected);
            if (count == 0)
                break; // end of file: the child has closed its output
            if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                break; // the pipe failed: take what was read
            if (count > 0 && count < shortChunkLimit)
                shortChunkSeen = true;
            if (collected.size() > m_outputLimit) {
                stopChild(Failure::OutputTooLarge);
                return std::nullopt;
            }
            continue;
        }
        // Nothing to read for a moment. Once a short chunk has been seen the
        // runner stops as soon as the child has ended, even when something it
        // started still holds the pipe open; what the child wrote before it
        // ended is still in the pipe and is taken along.
        if (shortChunkSeen && reapChild(WNOHANG)) {
            while (readChunk(readEnd.get(), collected) > 0) {
                if (collected.size() > m_outputLimit)
                    break;
            }
            break;
        }
    }
    if (collected.size() > m_outputLimit) {
        stopChild(Failure::OutputTooLarge);
        return std::nullopt;
    }
    while (!reapChild(WNOHANG)) {
        // The child closed its output but has not ended yet.
        if (clock.elapsed() >= timeoutMs) {
            stopChild(Failure::TimedOut);
            return std::nullopt;
        }
        ::usleep(1000);
    }

    if (WIFSIGNALED(status)) {
        m_errorCode = -WTERMSIG(status);
        m_failure = Failure::Signalled;
        return std::nullopt;
    }
    m_outputCutOff = !collected.isEmpty() && !collected.endsWith('\n');
    if (m_keepOutput)
        m_output = collected;

    if (!m_rawDataPath.isEmpty()) {
        // The bytes as printed, written whole: a reader never sees a
        // half-written capture.
        KZAtomicFile::write(m_rawDataPath, collected);
        return std::nullopt;
    }
    // Decoded once, at the end, so that a character split across two reads
    // stays whole. A byte that is not valid UTF-8 becomes U+FFFD and the rest
    // of the text stands: one stray byte in a model name must not blank the
    // whole answer.
    return splitLines(QString::fromUtf8(collected));
}

bool KZTask::launchDetached(const QString &program, const QStringList &arguments, QString *error)
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    // Everything the children need is prepared here: between fork and exec
    // only async-signal-safe calls are made.
    const QByteArray programBytes = QFile::encodeName(program);
    std::vector<QByteArray> argumentBytes{programBytes};
    for (const QString &argument : arguments)
        argumentBytes.push_back(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &bytes : argumentBytes)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);

    int statusPipe[2];
    if (::pipe2(statusPipe, O_CLOEXEC) != 0)
        return fail(QStringLiteral("cannot create a pipe: %1").arg(systemError(errno)));
    FileDescriptor statusRead(statusPipe[0]);
    FileDescriptor statusWrite(statusPipe[1]);

    // The middle child starts the program and exits at once, so the program
    // is never this process's child and never left as a zombie.
    const pid_t middle = ::fork();
    if (middle < 0)
        return fail(QStringLiteral("cannot fork: %1").arg(systemError(errno)));
    if (middle == 0) {
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::signal(SIGPIPE, SIG_DFL);
            const int devNull = ::open("/dev/null", O_RDONLY);
            if (devNull >= 0) {
                ::dup2(devNull, STDIN_FILENO);
                if (devNull != STDIN_FILENO)
                    ::close(devNull);
            }
            ::execve(programBytes.constData(), argv.data(), environ);
            const int reason = errno;
            [[maybe_unused]] const ssize_t written =
                ::write(statusWrite.get(), &reason, sizeof reason);
            ::_exit(127);
        }
        if (grandchild < 0) {
            const int reason = errno;
            [[maybe_unused]] const ssize_t written =
                ::write(statusWrite.get(), &reason, sizeof reason);
        }
        ::_exit(0);
    }
    statusWrite.reset();
    int middleStatus = 0;
    while (::waitpid(middle, &middleStatus, 0) < 0 && errno == EINTR) {
    }
    // End of file without a number: the program was executed.
    int reason = 0;
    ssize_t got = 0;
    do {
        got = ::read(statusRead.get(), &reason, sizeof reason);
    } while (got < 0 && errno == EINTR);
    if (got == ssize_t(sizeof reason))
        return fail(
            KZRecordedTexts::english(KZRecordedTexts::cannotRun, {program, systemError(reason)}));
    return true;
}
