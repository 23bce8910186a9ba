#pragma once
// The game application's own record "app" in a saved game (little-endian):
//   u32 level number, u32 time-over count, u8 scene playing, scene name + 0,
//   u8 hidden rooms pending, u8 level completed, f32 level-complete timer,
//   u32 hints left, f32 time left, f32 time at goal, f64 play time,
//   u8 goal announced, u8 spare flag, u8 evidence added, u8 map hint shown.

#include "game/save/save_record.h"

#include <cstdint>
#include <string>

struct GameRecord {
    uint32_t level = 0;
    uint32_t timeOverCount = 0;
    uint8_t scenePlaying = 0;
    std::string sceneName;
    uint8_t hiddenRoomsPending = 0;
    uint8_t levelCompleted = 0;
    float levelCompleteTimer = 0.0f;
    uint32_t hintsLeft = 0;
    float timeLeft = 0.0f;
    float timeAtGoal = 0.0f;
    double playTime = 0.0;
    uint8_t goalAnnounced = 0;
    uint8_t spareFlag = 0;
    uint8_t evidenceAdded = 0;
    uint8_t mapHintShown = 0;
};

void WriteGameRecord(SaveWriter& writer, const GameRecord& record);
// False when the record ends before its last field.
bool ReadGameRecord(SaveReader& reader, GameRecord& record);
// A record the game can continue from: its level is one of the levels there are.
inline bool IsPlayableGameRecord(const GameRecord& record, uint32_t levelCount) {
    return record.level >= 1 && record.level <= levelCount;
}
