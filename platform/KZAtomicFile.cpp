#include "KZAtomicFile.h"

#include "KZLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// How long a writer waits for another one before it goes on without the lock.
constexpr int lockAttempts = 500;
constexpr useconds_t lockPauseMicroseconds = 10000;

bool isLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

} // namespace

namespace KZAtomicFile {

FolderLock::FolderLock(const QString &folder)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    for (int attempt = 0; attempt < lockAttempts; ++attempt) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_fd = fd;
            return;
        }
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            break; // this file system cannot lock folders
        ::usleep(lockPauseMicroseconds);
    }
    if (errno == EWOULDBLOCK)
        KZLog::log(QStringLiteral("%1 stays locked by another writer; writing without the lock.")
                       .arg(folder));
    ::close(fd);
}

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing the last descriptor drops the lock
}

bool isTemporaryName(const QString &fileName, const QString &candidate)
{
    // QSaveFile (and so QSettings) names its temporary file after the file,
    // with a dot and six random letters.
    if (candidate.size() != fileName.size() + 7 || !candidate.startsWith(fileName) ||
        candidate.at(fileName.size()) != QLatin1Char('.'))
        return false;
    for (qsizetype at = fileName.size() + 1; at < candidate.size(); ++at) {
        if (!isLetter(candidate.at(at)))
            return false;
    }
    return true;
}

void removeLeftovers(const QString &path, const QStringList &extraPaths)
{
    const QFileInfo target(path);
    const QDir folder = target.absoluteDir();
    const QString name = target.fileName();
    const QStringList candidates =
        folder.entryList({name + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden);
    QStringList removals;
    for (const QString &candidate : candidates) {
        if (isTemporaryName(name, candidate))
            removals.append(folder.filePath(candidate));
    }
    for (const QString &extra : extraPaths) {
        if (QFileInfo::exists(extra))
            removals.append(extra);
    }
    for (const QString &leftover : std::as_const(removals)) {
        if (QFile::remove(leftover))
            KZLog::log(
                QStringLiteral("Removed %1, left by a write that was cut short.").arg(leftover));
    }
}

bool write(const QString &path, const QByteArray &data, QString *error, Leftovers leftovers)
{
    const FolderLock lock(QFileInfo(path).absolutePath());
    if (lock.isHeld() && leftovers == Leftovers::Remove)
        removeLeftovers(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(data) != data.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace KZAtomicFile
