// The game's own record of a saved game, read from any bytes.

#include "game/save/game_record.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SaveReader reader(data, size);
    GameRecord record;
    if (ReadGameRecord(reader, record)) {
        (void)IsPlayableGameRecord(record, 8);
        std::vector<uint8_t> buffer;
        SaveWriter writer(buffer);
        WriteGameRecord(writer, record);
    }
    return 0;
}
