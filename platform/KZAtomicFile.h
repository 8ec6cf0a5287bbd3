#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Files of ours that are replaced whole: written to a temporary file beside
// the old one ("NAME.XXXXXX") and renamed over it, so that a reader sees the
// old file or the new one, never a part.
//
// The writers of one folder, in both programs, take turns under a lock on the
// folder that the system drops when a process ends, however it ends. So what
// a writer finds of an earlier write while it holds that lock (a temporary
// file, a lock file) was left by a process killed in the middle of a write,
// and it is removed.
namespace KZAtomicFile {

// Holds the write lock of a folder while it lives. Waits a few seconds at
// most for another writer. Without the lock (a folder that cannot be locked,
// as on some network file systems, or a writer that hangs) writing goes on,
// but nothing another writer may still use is removed.
class FolderLock
{
public:
    explicit FolderLock(const QString &folder);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;
    bool isHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Whether a name in the file's folder is one of the file's temporary files:
// the file's name, a dot and six letters.
bool isTemporaryName(const QString &fileName, const QString &candidate);

// Removes what a writer of the file killed mid-write left beside it: its
// temporary files and the extra files named (such as a lock file). Call it
// only while holding the folder's lock.
void removeLeftovers(const QString &path, const QStringList &extraPaths = {});

// Whether a write removes what a killed writer left: yes in our own folders;
// no in a folder the user chose, where a file of the user may bear such a name.
enum class Leftovers
{
    Remove,
    Keep
};

// Replaces the file with the data (its folder must exist). False, with the
// reason in *error, when it could not be written; the old file then stays as
// it was.
bool write(const QString &path, const QByteArray &data, QString *error = nullptr,
           Leftovers leftovers = Leftovers::Remove);

} // namespace KZAtomicFile
