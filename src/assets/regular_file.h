#pragma once
// Reading a whole game file safely. Every loader goes through here, so none of
// them can be hung by a FIFO, fed endless bytes by a device such as /dev/zero,
// or handed a directory: only a regular file of a bounded size is read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class FileStatus { ok, missing, notRegular, tooLarge, failed };

struct FileRead {
    FileStatus status = FileStatus::missing;
    // errno of the failed open, stat or read; 0 otherwise.
    int error = 0;
    std::vector<uint8_t> bytes;
};

// Opens path without blocking, checks that it is a regular file of at most
// maxBytes and reads all of it. A missing file (or a missing folder on the
// way) is FileStatus::missing; bytes are filled only when the status is ok.
FileRead readRegularFile(const std::string& path, size_t maxBytes);

// True when path is a regular file of at most maxBytes that can be opened for
// reading. For files handed by name to a library that opens them itself.
bool regularFileWithin(const std::string& path, size_t maxBytes);

// Lower-case words for a failed read, such as "permission denied" or
// "not a regular file"; "" for ok.
std::string describeFileRead(const FileRead& read);

// The bytes as text, for loaders that parse words.
std::string asText(const FileRead& read);
