#include "KZTask.h"

#include "KZAtomicFile.h"
#include "KZException.h"
#include "KZLog.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>

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

} // namespace

QStringList KZTask::splitLines(const QString &text)
{
    QStringList lines;
    if (text.isEmpty())
        return lines;
    const qsizetype firstFeed = text.indexOf(QLatin1Char('\n'));
    if (firstFeed < 0)
        throw KZException(QStringLiteral("NSRangeException"),
                          QStringLiteral("output holds no line feed"));
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
    FileDescriptor input;
    if (!m_filePath.isEmpty()) {
        input.reset(::open(QFile::encodeName(m_filePath).constData(), O_RDONLY | O_CLOEXEC));
        if (input.get() < 0)
            throw KZException(
                QStringLiteral("NSFileHandleOperationException"),
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
                QStringLiteral("NSInternalInconsistencyException"),
                QStringLiteral("cannot create a socket pair: %1").arg(systemError(errno)));
        textInput.reset(socketEnds[0]);
        textInputChild.reset(socketEnds[1]);
        ::shutdown(textInput.get(), SHUT_RD);
        ::shutdown(textInputChild.get(), SHUT_WR);
    }

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw KZException(QStringLiteral("NSInternalInconsistencyException"),
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

    pid_t pid = 0;
    const int spawnError =
        ::posix_spawn(&pid, programBytes.constData(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawnError != 0)
        throw KZException(
            QStringLiteral("NSInvalidArgumentException"),
            QStringLiteral("cannot run %1: %2").arg(program, systemError(spawnError)));

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

    // Ends a child that ran past the time-out, with anything it started.
    auto stopChild = [&] {
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
        reapChild(0);
        KZLog::log(QStringLiteral("%1 did not finish within %2 seconds and was stopped.")
                       .arg(program)
                       .arg(m_timeoutSeconds));
    };

    for (;;) {
        if (clock.elapsed() >= timeoutMs) {
            stopChild();
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
            continue;
        }
        // Nothing to read for a moment. Once a short chunk has been seen the
        // runner stops as soon as the child has ended, even when something it
        // started still holds the pipe open; what the child wrote before it
        // ended is still in the pipe and is taken along.
        if (shortChunkSeen && reapChild(WNOHANG)) {
            while (readChunk(readEnd.get(), collected) > 0) {
            }
            break;
        }
    }
    while (!reapChild(WNOHANG)) {
        // The child closed its output but has not ended yet.
        if (clock.elapsed() >= timeoutMs) {
            stopChild();
            return std::nullopt;
        }
        ::usleep(1000);
    }

    if (WIFSIGNALED(status)) {
        m_errorCode = -WTERMSIG(status);
        return std::nullopt;
    }

    // Decode once, at the end, so that a character split across two reads
    // stays whole; output that is not valid UTF-8 as a whole gives nothing.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(collected);
    if (decoder.hasError())
        return std::nullopt;

    if (!m_rawDataPath.isEmpty()) {
        // Written whole: a reader never sees a half-written capture.
        KZAtomicFile::write(m_rawDataPath, text.toUtf8());
        return std::nullopt;
    }
    return splitLines(text);
}
