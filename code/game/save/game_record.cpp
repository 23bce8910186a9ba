#include "game/save/game_record.h"

void WriteGameRecord(SaveWriter& writer, const GameRecord& r) {
    writer.WriteU32(r.level);
    writer.WriteU32(r.timeOverCount);
    writer.WriteU8(r.scenePlaying);
    writer.WriteString(r.sceneName);
    writer.WriteU8(r.hiddenRoomsPending);
    writer.WriteU8(r.levelCompleted);
    writer.WriteF32(r.levelCompleteTimer);
    writer.WriteU32(r.hintsLeft);
    writer.WriteF32(r.timeLeft);
    writer.WriteF32(r.timeAtGoal);
    writer.WriteF64(r.playTime);
    writer.WriteU8(r.goalAnnounced);
    writer.WriteU8(r.spareFlag);
    writer.WriteU8(r.evidenceAdded);
    writer.WriteU8(r.mapHintShown);
}

bool ReadGameRecord(SaveReader& reader, GameRecord& out) {
    GameRecord r;
    reader.ReadU32(r.level);
    reader.ReadU32(r.timeOverCount);
    reader.ReadU8(r.scenePlaying);
    reader.ReadString(r.sceneName);
    reader.ReadU8(r.hiddenRoomsPending);
    reader.ReadU8(r.levelCompleted);
    reader.ReadF32(r.levelCompleteTimer);
    reader.ReadU32(r.hintsLeft);
    reader.ReadF32(r.timeLeft);
    reader.ReadF32(r.timeAtGoal);
    reader.ReadF64(r.playTime);
    reader.ReadU8(r.goalAnnounced);
    reader.ReadU8(r.spareFlag);
    reader.ReadU8(r.evidenceAdded);
    reader.ReadU8(r.mapHintShown);
    if (!reader.IsOk())
        return false;
    out = r;
    return true;
}
