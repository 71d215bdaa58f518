#pragma once
// Scratch files for fuzz targets whose loaders read from a path: one private
// folder per process under TMPDIR, made once, removed at exit.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Removed by an exit handler, which may run after static strings are gone,
// so the path also lives in a plain buffer.
inline char fuzzScratchPath[512];

inline void removeFuzzScratch()
{
    std::string cmd = std::string("rm -rf '") + fuzzScratchPath + "'";
    if (std::system(cmd.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", fuzzScratchPath);
}

// Prefers memory-backed /dev/shm: the loaders read real files at every run.
inline const std::string& fuzzScratch()
{
    static const std::string dir = [] {
        const char* tmp = std::getenv("TMPDIR");
        struct stat shm;
        std::string base = tmp && *tmp ? tmp : stat("/dev/shm", &shm) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/vantor-fuzz-XXXXXX";
        if (pattern.size() >= sizeof fuzzScratchPath || !mkdtemp(&pattern[0]))
            std::abort();
        std::snprintf(fuzzScratchPath, sizeof fuzzScratchPath, "%s", pattern.c_str());
        std::atexit(removeFuzzScratch);
        return pattern;
    }();
    return dir;
}

// Creates every folder of path below the scratch folder ("a/b/c" -> a, a/b, a/b/c).
inline std::string fuzzFolder(const std::string& relative)
{
    std::string path = fuzzScratch();
    size_t start = 0;
    while (start < relative.size()) {
        size_t slash = relative.find('/', start);
        if (slash == std::string::npos)
            slash = relative.size();
        path += "/" + relative.substr(start, slash - start);
        mkdir(path.c_str(), 0700);
        start = slash + 1;
    }
    return path;
}

inline void fuzzWrite(const std::string& path, const uint8_t* data, size_t size)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
}
