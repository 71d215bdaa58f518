#include "assets/atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "assets/regular_file.h"

namespace {

// A temporary file this old cannot belong to a write still in progress (a
// write takes milliseconds), so another instance's write is never broken.
constexpr std::time_t staleTemporarySeconds = 60;

const char temporaryInfix[] = ".tmp-";
constexpr size_t temporarySuffixChars = 6;

// The folder holding path: "." for a bare file name, "/" for a file in the root.
std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string fileNameOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool failWith(std::string* error, const std::string& words)
{
    if (error)
        *error = words;
    return false;
}

bool writeAll(int fd, const uint8_t* p, size_t n)
{
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w == 0)
            errno = ENOSPC;
        if (w <= 0)
            return false;
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// Removes what earlier writes to target left when they were killed between
// creating their temporary file and renaming it.
void removeStaleTemporaries(const std::string& target)
{
    const std::string folder = folderOf(target);
    const std::string name = fileNameOf(target);
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    const std::time_t now = std::time(nullptr);
    while (struct dirent* entry = readdir(dir)) {
        if (!isTemporaryNameFor(entry->d_name, name))
            continue;
        const std::string path = folder + "/" + entry->d_name;
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() &&
            now - st.st_mtime > staleTemporarySeconds)
            unlink(path.c_str());
    }
    closedir(dir);
}

}  // namespace

std::string errorWords(int error)
{
    FileRead failed;
    failed.status = FileStatus::failed;
    failed.error = error;
    return describeFileRead(failed);
}

bool isTemporaryNameFor(const std::string& fileName, const std::string& targetName)
{
    const std::string prefix = targetName + temporaryInfix;
    if (targetName.empty() || fileName.size() != prefix.size() + temporarySuffixChars ||
        fileName.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (size_t i = prefix.size(); i < fileName.size(); ++i) {
        const char c = fileName[i];
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!plain)
            return false;
    }
    return true;
}

bool makeDirectories(const std::string& dir)
{
    if (dir.empty())
        return false;
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i != dir.size() && dir[i] != '/')
            continue;
        std::string prefix = dir.substr(0, i);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st;
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool outputTarget(const std::string& path, std::string& target, std::string& error)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        // Nothing there yet (or no folder, which the write reports).
        target = path;
        return true;
    }
    if (S_ISREG(st.st_mode)) {
        target = path;
        return true;
    }
    if (!S_ISLNK(st.st_mode)) {
        error = "not a regular file";
        return false;
    }
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved) {
        error = "a link to nothing";
        return false;
    }
    target = resolved;
    std::free(resolved);
    if (stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "a link to something that is not a regular file";
        return false;
    }
    return true;
}

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error,
                         const AtomicWrite& how)
{
    if (path.empty() || path.back() == '/')
        return failWith(error, "no file name to write to");
    std::string target;
    std::string refused;
    if (!outputTarget(path, target, refused))
        return failWith(error, path + " is " + refused);
    const std::string folder = folderOf(target);
    if (how.createFolders) {
        if (!makeDirectories(folder))
            return failWith(error, "cannot create " + folder + ": " + errorWords(errno));
    } else {
        struct stat st;
        if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return failWith(error, "no folder " + folder);
    }

    // A unique name beside the target, so the rename stays within one file
    // system and two writers never share a temporary file.
    std::string temp = target + temporaryInfix + "XXXXXX";
    int fd = mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0)
        return failWith(error, errorWords(errno));
    int failure = 0;
    if (!writeAll(fd, bytes.data(), bytes.size()) || fsync(fd) != 0)
        failure = errno ? errno : EIO;
    if (close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && std::rename(temp.c_str(), target.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        unlink(temp.c_str());
        return failWith(error, errorWords(failure));
    }
    // Makes the rename itself durable. The new file is already in place, so
    // a failure here cannot be undone and is not reported.
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    removeStaleTemporaries(target);
    return true;
}

int openOutputFile(const std::string& path, std::string& error)
{
    std::string target;
    std::string refused;
    if (!outputTarget(path, target, refused)) {
        error = path + " is " + refused;
        return -1;
    }
    // O_NONBLOCK: a FIFO put in place since the check makes open fail at
    // once instead of waiting for a reader. Truncated only once known to be a
    // regular file.
    int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot write " + path + ": " + errorWords(errno);
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        error = path + " is not a regular file";
        return -1;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (ftruncate(fd, 0) != 0 || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        error = "cannot write " + path + ": " + errorWords(errno);
        close(fd);
        return -1;
    }
    return fd;
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
