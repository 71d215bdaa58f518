#include "save/save_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "assets/regular_file.h"
#include "shell/paths.h"

const char* const otherGameNotice = "another game is using this save; runs of this session will not be saved";

namespace {

const char* const otherGameReason = "another game is using this save";

std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string errnoWords(int error)
{
    FileRead failed;
    failed.status = FileStatus::failed;
    failed.error = error;
    return describeFileRead(failed);
}

bool folderExists(const std::string& dir)
{
    struct stat st;
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void markOtherGame(SaveStatus& status)
{
    status.writable = false;
    status.blockedReason = otherGameReason;
}

}  // namespace

std::string saveLockPath(const std::string& savePath) { return savePath + ".lock"; }

LockOutcome takeSaveLock(SaveLock& lock, const std::string& savePath, std::string& error)
{
    if (lock.fd >= 0 && lock.savePath == savePath)
        return LockOutcome::held;
    releaseSaveLock(lock);
    if (savePath.empty()) {
        lock.failure = ENOENT;
        error = "no folder for the save file";
        return LockOutcome::failed;
    }
    // Read-only is enough for flock, and it also opens a lock file left
    // read-only. No O_TRUNC and no following links: nothing is replaced.
    int fd = open(saveLockPath(savePath).c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        lock.failure = errno;
        error = errnoWords(errno);
        return LockOutcome::failed;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        lock.failure = EINVAL;
        error = "the lock file is not a regular file";
        return LockOutcome::failed;
    }
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int failure = errno;
        if (failure == EINTR)
            continue;
        close(fd);
        if (failure == EWOULDBLOCK) {
            lock.otherGame = true;
            return LockOutcome::busy;
        }
        lock.failure = failure;
        error = errnoWords(failure);
        return LockOutcome::failed;
    }
    lock.failure = 0;
    lock.fd = fd;
    lock.savePath = savePath;
    lock.otherGame = false;
    return LockOutcome::held;
}

void releaseSaveLock(SaveLock& lock)
{
    if (lock.fd >= 0)
        close(lock.fd);
    lock.fd = -1;
    lock.savePath.clear();
}

SaveStatus openLockedSave(SaveData& save, SaveLock& lock, const std::string& savePath, std::time_t now)
{
    std::string error;
    // No folder yet: nothing to protect, and start-up creates no folders.
    // The lock is taken before the first write instead.
    if (savePath.empty() || !folderExists(folderOf(savePath)) ||
        takeSaveLock(lock, savePath, error) != LockOutcome::busy)
        return openSaveFile(save, savePath, now);

    SaveStatus status;
    SaveData read = save;
    SaveFileRead file = readSaveFile(read, savePath);
    if (file.found == SaveFound::whole || file.found == SaveFound::damaged)
        save = std::move(read);
    markOtherGame(status);
    status.startNotice = otherGameNotice;
    return status;
}

bool lockForWriting(SaveLock& lock, const std::string& savePath, SaveStatus& status)
{
    if (lock.fd >= 0 && lock.savePath == savePath)
        return true;
    std::string error;
    const std::string folder = folderOf(savePath);
    if (!savePath.empty() && !folderExists(folder))
        makeDirectories(folder);
    LockOutcome outcome = takeSaveLock(lock, savePath, error);
    if (outcome == LockOutcome::held)
        return true;
    if (outcome == LockOutcome::busy) {
        // Once the other game has written, this one's picture of the save
        // is stale for good: writing later would lose the other's runs.
        markOtherGame(status);
        status.writeError = std::string("could not save: ") + otherGameReason;
        return false;
    }
    switch (lock.failure) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ENOSPC:
    case EDQUOT:
    case ENOENT:
    case ENOTDIR:
        return true;
    default:
        status.writeError = "could not save: cannot lock the save: " + error;
        return false;
    }
}
