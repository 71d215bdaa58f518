#include "save/save_status.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "assets/regular_file.h"

std::string shownName(const std::string& text)
{
    return text.size() > maxShownNameChars ? text.substr(0, maxShownNameChars) : text;
}

namespace {

std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string lowerErrno(int error)
{
    FileRead failed;
    failed.status = FileStatus::failed;
    failed.error = error;
    return describeFileRead(failed);
}

// An existing copy in folder whose name starts with prefix and whose bytes are bytes.
std::string findSameCopy(const std::string& folder, const std::string& prefix, const std::vector<uint8_t>& bytes)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return "";
    std::string found;
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        FileRead copy = readRegularFile(folder + "/" + name, maxSaveFileBytes);
        if (copy.status == FileStatus::ok && copy.bytes == bytes) {
            found = name;
            break;
        }
    }
    closedir(dir);
    return found;
}

// Creates path exclusively and fills it with bytes, flushed to disk; errno on failure, else 0.
int writeNewFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int failure = 0;
    size_t done = 0;
    while (done < bytes.size() && failure == 0) {
        ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            failure = w == 0 ? ENOSPC : errno;
        else
            done += static_cast<size_t>(w);
    }
    if (failure == 0 && fsync(fd) != 0)
        failure = errno;
    if (close(fd) != 0 && failure == 0)
        failure = errno;
    // A half-written copy would pass for a true one on a later start.
    if (failure != 0)
        unlink(path.c_str());
    return failure;
}

}  // namespace

std::string keepDamagedCopy(const std::string& path, const std::vector<uint8_t>& bytes, std::time_t now,
                            std::string& error)
{
    const std::string folder = folderOf(path);
    const std::string prefix = fileNameOf(path) + ".damaged-";
    std::string existing = findSameCopy(folder, prefix, bytes);
    if (!existing.empty())
        return existing;

    struct tm local;
    char stamp[32] = "";
    if (localtime_r(&now, &local))
        strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    // Two different damaged files within one second get a counter after the time.
    for (int n = 0; n < 100; ++n) {
        std::string name = prefix + stamp + (n == 0 ? "" : "-" + std::to_string(n));
        int failure = writeNewFile(folder + "/" + name, bytes);
        if (failure == 0)
            return name;
        if (failure != EEXIST) {
            error = lowerErrno(failure);
            return "";
        }
    }
    error = "too many copies with the same time";
    return "";
}

SaveStatus openSaveFile(SaveData& save, const std::string& path, std::time_t now)
{
    SaveStatus status;
    SaveData read = save;
    SaveFileRead file = readSaveFile(read, path);
    if (file.found == SaveFound::unreadable) {
        status.writable = false;
        status.startNotice =
            "cannot read the save file: " + file.reason + "; runs of this session will not be saved";
        return status;
    }
    if (file.found == SaveFound::damaged) {
        std::string error;
        std::string copy = keepDamagedCopy(path, file.bytes, now, error);
        if (copy.empty()) {
            // Rewriting the file would lose what could not be read, with no copy left.
            status.writable = false;
            status.startNotice = "save file damaged and cannot be copied: " + error + "; runs will not be saved";
        } else {
            // Short enough for one line of the menu with the longest copy name.
            status.startNotice = "save file damaged: kept what was read, copy in " + copy;
        }
    }
    save = std::move(read);
    return status;
}

bool storeSaveFile(const SaveData& save, const std::string& path, SaveStatus& status)
{
    if (!status.writable) {
        status.writeError = "could not save: " + (status.blockedReason.empty()
                                                      ? std::string("the save file could not be read at start")
                                                      : status.blockedReason);
        return false;
    }
    std::string error;
    if (!writeSaveFile(save, path, &error)) {
        status.writeError = "could not save: " + error;
        return false;
    }
    status.writeError.clear();
    return true;
}
