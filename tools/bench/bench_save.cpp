// Growth of the save file: its size and the time to write (atomically, as
// the game does after every recorded run) and to read it with 1, 100 and
// 1000 recorded runs on one track, the ghost run being a race of 90 s.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "bench.h"
#include "save/save_file.h"

int benchSaveFile(const BenchOptions&)
{
    using Clock = std::chrono::steady_clock;
    char pattern[] = "/tmp/vantor-bench-save-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::fprintf(stderr, "vantor-bench: no temporary folder\n");
        return 1;
    }
    const std::string dir = pattern;
    const std::string path = dir + "/game.save";
    std::printf("== save file: one track, ghost run of 9000 records\n");
    std::printf("%6s %12s %14s %14s\n", "runs", "bytes", "write ms", "read ms");
    int status = 0;
    for (int runs : {1, 100, 1000}) {
        SaveData save;
        TrackRecord& record = recordFor(save, "00");
        record.name = "00";
        record.medal = 4;
        for (int i = 0; i < runs; ++i)
            record.scores.push_back({"player" + std::to_string(i % 7), "ship", 9000 + i, 1700000000 + i});
        for (int i = 0; i < 9000; ++i)
            record.ghostRun.push_back({0.001f * float(i % 500), i % 3 ? 0.0f : 1.0f, 1.0f});
        std::vector<double> writes, reads;
        for (int k = 0; k < 7; ++k) {
            Clock::time_point start = Clock::now();
            if (!writeSaveFile(save, path))
                status = 1;
            writes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            SaveData back;
            start = Clock::now();
            if (!loadSaveFile(back, path))
                status = 1;
            reads.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        struct stat st;
        long long bytes = stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
        std::printf("%6d %12lld %14.3f %14.3f\n", runs, bytes, medianOf(writes), medianOf(reads));
    }
    std::remove(path.c_str());
    rmdir(dir.c_str());
    if (status)
        std::fprintf(stderr, "vantor-bench: a save file could not be written or read back\n");
    return status;
}
