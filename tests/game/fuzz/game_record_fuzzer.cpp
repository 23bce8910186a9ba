// The game's own record of a saved game, read from any bytes; a record that
// reads is written again, byte for byte what was read, and reads back equal.

#include "game/save/game_record.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool Same(const GameRecord& a, const GameRecord& b) {
    return a.level == b.level && a.timeOverCount == b.timeOverCount && a.scenePlaying == b.scenePlaying &&
           a.sceneName == b.sceneName && a.hiddenRoomsPending == b.hiddenRoomsPending &&
           a.levelCompleted == b.levelCompleted && SameBits(a.levelCompleteTimer, b.levelCompleteTimer) &&
           a.hintsLeft == b.hintsLeft && SameBits(a.timeLeft, b.timeLeft) &&
           SameBits(a.timeAtGoal, b.timeAtGoal) && SameBits(a.playTime, b.playTime) &&
           a.goalAnnounced == b.goalAnnounced && a.spareFlag == b.spareFlag &&
           a.evidenceAdded == b.evidenceAdded && a.mapHintShown == b.mapHintShown;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SaveReader reader(data, size);
    GameRecord record;
    if (!ReadGameRecord(reader, record))
        return 0;
    (void)IsPlayableGameRecord(record, 8);
    std::vector<uint8_t> buffer;
    SaveWriter writer(buffer);
    WriteGameRecord(writer, record);
    const size_t read = size - reader.GetRemaining();
    if (buffer.size() != read || std::memcmp(buffer.data(), data, read) != 0)
        __builtin_trap(); // written otherwise than it was read
    SaveReader again(buffer.data(), buffer.size());
    GameRecord back;
    if (!ReadGameRecord(again, back) || again.GetRemaining() != 0 || !Same(back, record))
        __builtin_trap(); // does not read back as it was
    return 0;
}
