#include "assets/regular_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens without blocking and checks type and size. Returns the descriptor or
// -1 with read.status set.
int openRegular(const std::string& path, size_t maxBytes, FileRead& read, size_t& size)
{
    if (path.empty()) {
        read.status = FileStatus::missing;
        return -1;
    }
    // O_NONBLOCK: opening a FIFO with no writer returns at once instead of
    // waiting for one; the type check below then refuses it.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        read.error = errno;
        read.status = (errno == ENOENT || errno == ENOTDIR) ? FileStatus::missing : FileStatus::failed;
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        read.error = errno;
        read.status = FileStatus::failed;
        close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        read.status = FileStatus::notRegular;
        close(fd);
        return -1;
    }
    if (st.st_size < 0 || static_cast<uint64_t>(st.st_size) > maxBytes) {
        read.status = FileStatus::tooLarge;
        close(fd);
        return -1;
    }
    size = static_cast<size_t>(st.st_size);
    return fd;
}

}  // namespace

FileRead readRegularFile(const std::string& path, size_t maxBytes)
{
    FileRead read;
    size_t size = 0;
    int fd = openRegular(path, maxBytes, read, size);
    if (fd < 0)
        return read;
    read.bytes.resize(size);
    size_t got = 0;
    while (got < size) {
        ssize_t r = ::read(fd, read.bytes.data() + got, size - got);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0) {
            read.error = errno;
            read.status = FileStatus::failed;
            read.bytes.clear();
            close(fd);
            return read;
        }
        if (r == 0)
            break;
        got += static_cast<size_t>(r);
    }
    close(fd);
    // A file that shrank while being read is taken as far as it went.
    read.bytes.resize(got);
    read.status = FileStatus::ok;
    return read;
}

bool regularFileWithin(const std::string& path, size_t maxBytes)
{
    FileRead read;
    size_t size = 0;
    int fd = openRegular(path, maxBytes, read, size);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

std::string describeFileRead(const FileRead& read)
{
    switch (read.status) {
    case FileStatus::ok:
        return "";
    case FileStatus::missing:
        return "no such file";
    case FileStatus::notRegular:
        return "not a regular file";
    case FileStatus::tooLarge:
        return "file too large";
    case FileStatus::failed:
        break;
    }
    std::string text = std::strerror(read.error);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

std::string asText(const FileRead& read) { return std::string(read.bytes.begin(), read.bytes.end()); }
