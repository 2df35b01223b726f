// Saving a store file: the bounded lock beside it, the atomic replacement, and the in-place rewrite
// for a folder that refuses new files.
#include "platform/registry/Store.Internal.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex g_saveLock;    // guards the three below; saves run on one thread in practice
QSet<QString> g_readOnly; // files whose lock could neither be taken nor cleared
qint64 g_byteLimit = -1;  // test seam: bytes in-place saves may still write (< 0: any)

// Takes what a write of size bytes may use from the test seam's allowance.
qint64 Allowed(qint64 size) {
    if (g_byteLimit < 0) return size;
    const qint64 allowed = std::min(size, g_byteLimit);
    g_byteLimit -= allowed;
    return allowed;
}

// How long one save may still wait on locks. A holder that never lets go costs one save this
// second; the lock is then taken over or, when it cannot be cleared, the store is read-only for the
// run, so the run as a whole waits about a second at most.
class TWaitAllowance {
public:
    // Sleeps a little towards a lock's release; false when the allowance is spent.
    bool WaitALittle() {
        if (FLeftMs <= 0) return false;
        QElapsedTimer slept;
        slept.start();
        QThread::msleep(5);
        FLeftMs -= std::max<qint64>(1, slept.elapsed());
        return true;
    }

private:
    qint64 FLeftMs = 1000;
};

qint64 AgeMs(const QString& fileName) {
    return QFileInfo(fileName).lastModified().msecsTo(QDateTime::currentDateTime());
}

// Takes the lock file beside the store. A lock whose process has ended is cleared by tryLock; an
// empty or unreadable one (its owner killed while writing it) once it is a moment old; one held
// longer than the save's waiting allowance is taken over (saves replace the file atomically all the
// same). False when the lock can be neither taken nor cleared (a directory, a folder that refuses
// it): the store is then read-only for the run.
bool TakeLock(QLockFile& lock, const QString& lockName, TWaitAllowance& wait) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (lock.tryLock(0)) return true;
        if (lock.error() == QLockFile::PermissionError) return false;
        const QFileInfo info(lockName);
        if (!info.exists() && !info.isSymLink()) continue; // released meanwhile
        qint64 pid = 0;
        QString host, application;
        const bool owned = lock.getLockInfo(&pid, &host, &application);
        const bool abandoned = !info.isFile() || (!owned && AgeMs(lockName) > 100);
        if (abandoned || !wait.WaitALittle()) {
            // Failing to remove it matters only when it is still there (not released meanwhile).
            if (!lock.removeStaleLockFile() && !QFile::remove(lockName) &&
                (QFileInfo::exists(lockName) || QFileInfo(lockName).isSymLink()))
                return false;
        }
    }
    return false;
}

// Replaces the file through a temporary file renamed over it.
bool ReplaceWhole(const QString& fileName, const QByteArray& contents) {
    QSaveFile save(fileName);
    save.setDirectWriteFallback(false);
    return save.open(QIODevice::WriteOnly) && save.write(contents) == contents.size() &&
           save.commit();
}

bool WriteAt(int fd, const QByteArray& bytes, qint64 offset) {
    const qint64 size = Allowed(bytes.size());
    qint64 done = 0;
    while (done < size) {
        const ssize_t n =
            pwrite(fd, bytes.constData() + done, size_t(size - done), off_t(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return size == bytes.size();
}

// Rewrites the file in place from old to new contents. Later lines win over earlier ones when the
// file is read, so each step leaves a file that reads as the old values or the new ones:
//  1. a line of padding after the old contents, long enough for the new ones;
//  2. the new contents after it, every section renamed with a leading mark, so none of it is read;
//  3. the sections' names restored one byte each, the main section last: from that byte on the
//     copy at the end wins;
//  4. the old contents overwritten with semicolons from their end backwards, line breaks kept, so
//     a cut line is the start of an old line and semicolons: without '=' it is not read, with '='
//     it is an old value the copy at the end overrides;
//  5. the new contents written at the front, whose cut last line the copy at the end overrides;
//  6. the file cut to the new contents.
bool RewriteInPlace(int fd, const QByteArray& previous, const QByteArray& next) {
    const qint64 front = std::max<qint64>(previous.size() + 1, next.size());
    const qint64 tail = front + 1;
    QByteArray padding(front - previous.size() + 1, ';');
    padding.front() = '\n';
    padding.back() = '\n';
    if (!WriteAt(fd, padding, previous.size())) return false;

    QByteArray pending = next;
    QList<qsizetype> sections; // offsets of the first letter of each section name
    qsizetype mainSection = -1;
    qsizetype line = 0;
    while (line < next.size()) {
        if (next[line] == '[' && line + 2 < next.size() && next[line + 1] != '\n' &&
            next[line + 1] != ']') {
            if (next.mid(line, 10) == "[General]\n") mainSection = line + 1;
            sections << line + 1;
            pending[line + 1] = PendingSectionMark;
        }
        const qsizetype end = next.indexOf('\n', line);
        if (end < 0) break;
        line = end + 1;
    }
    if (!WriteAt(fd, pending, tail)) return false;
    std::stable_partition(sections.begin(), sections.end(),
                          [&](qsizetype at) { return at != mainSection; });
    for (qsizetype at : sections)
        if (!WriteAt(fd, next.mid(at, 1), tail + at)) return false;

    // One byte at a time: a write of several could be cut after its first bytes, leaving the start
    // of a line blank and its old end in place.
    const QByteArray blank(1, ';');
    for (qsizetype byte = previous.size() - 1; byte >= 0; --byte)
        if (previous[byte] != '\n' && previous[byte] != ';' && !WriteAt(fd, blank, byte))
            return false;
    if (!WriteAt(fd, next, 0)) return false;
    return Allowed(1) == 1 && ftruncate(fd, off_t(next.size())) == 0;
}

// Reads the whole file through the descriptor; nullopt for a file too large to be a store.
std::optional<QByteArray> ReadAll(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_size > MaxStoreBytes) return std::nullopt;
    QByteArray bytes(qsizetype(info.st_size), '\0');
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = pread(fd, bytes.data() + done, size_t(bytes.size() - done), off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

// Saves through the lock file and an atomic rename.
LONG SaveReplacing(const QString& fileName,
                   const std::function<std::optional<QByteArray>(const QByteArray&)>& make) {
    const QString lockName = fileName + QStringLiteral(".lock");
    QLockFile lock(lockName);
    TWaitAllowance wait;
    if (!TakeLock(lock, lockName, wait)) {
        g_readOnly.insert(fileName);
        return ERROR_ACCESS_DENIED;
    }
    ClearOrphanSaves(fileName);
    QByteArray current;
    QFile file(fileName);
    if (file.exists()) {
        if (file.size() > MaxStoreBytes || !file.open(QIODevice::ReadOnly))
            return ERROR_ACCESS_DENIED;
        current = file.readAll();
        file.close();
    }
    const std::optional<QByteArray> contents = make(current);
    if (!contents || !ReplaceWhole(fileName, *contents)) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

// Saves in place, the file itself locked: the folder refuses the lock file and the rename. A lock
// file some other program left there cannot be cleared, so it leaves the store read-only.
LONG SaveInPlace(const QString& fileName,
                 const std::function<std::optional<QByteArray>(const QByteArray&)>& make) {
    const QString lockName = fileName + QStringLiteral(".lock");
    TWaitAllowance wait;
    while (QFileInfo::exists(lockName) || QFileInfo(lockName).isSymLink()) {
        if (!wait.WaitALittle()) {
            g_readOnly.insert(fileName);
            return ERROR_ACCESS_DENIED;
        }
    }
    const int fd = open(QFile::encodeName(fileName).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return ERROR_ACCESS_DENIED;
    LONG result = ERROR_ACCESS_DENIED;
    bool locked = false;
    while (!(locked = flock(fd, LOCK_EX | LOCK_NB) == 0) && wait.WaitALittle()) {
    }
    if (!locked) {
        // held by a live writer all this time (a file lock ends with its process): this save fails
    } else if (const std::optional<QByteArray> current = ReadAll(fd)) {
        const std::optional<QByteArray> contents = make(*current);
        if (contents && RewriteInPlace(fd, *current, *contents)) result = ERROR_SUCCESS;
    }
    close(fd); // also releases the file lock
    return result;
}

// The file's modification time in the milliseconds the settings parser compares.
qint64 ModifiedMs(const QString& fileName) {
    return QFileInfo(fileName).lastModified().toMSecsSinceEpoch();
}

// The settings parser re-reads a file only when its size or modification time (in milliseconds)
// has changed. The clock that stamps files ticks in a few milliseconds, so a save of the same size
// soon after the last read would go unseen: its time is moved on until it differs.
void MarkChanged(const QString& fileName, qint64 previousMs) {
    const QByteArray path = QFile::encodeName(fileName);
    for (int attempt = 0; attempt < 50 && ModifiedMs(fileName) == previousMs; ++attempt) {
        QThread::usleep(1000);
        utimensat(AT_FDCWD, path.constData(), nullptr, 0); // now: needs only the right to write
    }
}

} // namespace

bool IsReadOnlyForRun(const QString& fileName) {
    std::lock_guard<std::mutex> guard(g_saveLock);
    return g_readOnly.contains(fileName);
}

LONG SaveStore(const QString& fileName,
               const std::function<std::optional<QByteArray>(const QByteArray&)>& makeContents) {
    std::lock_guard<std::mutex> guard(g_saveLock);
    if (g_readOnly.contains(fileName)) return ERROR_ACCESS_DENIED;
    const QFileInfo info(fileName);
    const qint64 previousMs = ModifiedMs(fileName);
    const LONG result = QFileInfo(info.absolutePath()).isWritable()
                            ? SaveReplacing(fileName, makeContents)
                            : SaveInPlace(fileName, makeContents);
    if (result == ERROR_SUCCESS) MarkChanged(fileName, previousMs);
    return result;
}

void RegSetSaveByteLimit(long long bytes) {
    std::lock_guard<std::mutex> guard(g_saveLock);
    g_byteLimit = bytes;
}
