#pragma once
// Writing files without ever leaving half of one, and without ever replacing
// something that is not a file of our own: a device, a FIFO, a folder or a
// link's target elsewhere. Every file the game or a tool writes comes here.

#include <cstdint>
#include <string>
#include <vector>

struct AtomicWrite {
    // Creates missing folders on the way with mode 0700. Only the game's own
    // per-user folders are made; a tool's output folder must already exist.
    bool createFolders = false;
};

// Replaces the file at path with bytes: written beside it under a unique
// name, flushed to disk and renamed over it, the folder flushed after, so the
// path holds either the complete old file or the complete new one. A link is
// written through: the link's final target is replaced, in its own folder.
// An existing path that is not a regular file (or a link to nothing) is
// refused and left as it is. After a success, temporary files of earlier
// writes to the same path that a crash left behind are removed. False when it
// failed, with the reason in lower-case words in error when given; the old
// file is then untouched.
bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error = nullptr,
                         const AtomicWrite& how = AtomicWrite{});

// Where a write to path lands: path itself, or the final target of a link.
// False with error set when path exists and is not a regular file, or is a
// link to nothing.
bool outputTarget(const std::string& path, std::string& target, std::string& error);

// Opens path for writing a stream of text from the start, without blocking
// on a FIFO and without truncating anything but a regular file. Returns the
// descriptor (blocking again, close-on-exec) or -1 with error set.
int openOutputFile(const std::string& path, std::string& error);

// True when both paths exist and name the same file (after links).
bool sameFile(const std::string& a, const std::string& b);

// A temporary name left by writeFileAtomically for path, and no other:
// "NAME.tmp-" and six letters or digits.
bool isTemporaryNameFor(const std::string& fileName, const std::string& targetName);

// Creates dir and any missing parents with mode 0700; true when it exists afterwards.
bool makeDirectories(const std::string& dir);

// errno as lower-case words, for a line the player or a tool's user reads.
std::string errorWords(int error);
