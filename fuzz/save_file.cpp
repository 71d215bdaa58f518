// The save-file reader on arbitrary bytes. Besides surviving them, whatever it
// keeps must be a consistent save: written and read back it stays the same.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "save/save_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SaveData save;
    decodeSaveData(save, data, size);
    std::vector<uint8_t> once = encodeSaveData(save);
    SaveData again;
    if (!decodeSaveData(again, once.data(), once.size()))
        std::abort();
    if (encodeSaveData(again) != once)
        std::abort();
    return 0;
}
