// Writes the binary seeds of card_evidence_fuzzer (support/seed_writer.h):
// the level and objects of its text seed with the records of the clue-card
// room, the evidence room and the containers and animations as the rooms
// write them.
//   card_evidence_seeds <seeds folder> <regressions folder>

#include "game/save/save_record.h"
#include "support/seed_writer.h"

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

std::string text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// The object base record: x, y, state, position in container, vanishing, timer.
void objectBase(SaveWriter& w) {
    w.WriteF32(200.0f);
    w.WriteF32(120.0f);
    w.WriteU32(0);
    w.WriteU32(1);
    w.WriteU8(0);
    w.WriteF32(0.0f);
}

const char* const kLevel = "[General]\nEvidencesToAdd = harbour.summary\nEvidencesToDel = inn.quarrel\n"
                           "[Room.fz]\nItemsCount = 0, 0, 0\n"
                           "[CardsOrder]\nquillby = clockshop\ncrane = fz +fz.ledger\n";
const char* const kObjects =
    "[chest]\nClass = Animation\nFrameSize = 20 20\nFrameCount = 4\nFPS = 10\nPlayMode = 2\n"
    "[shelf]\nClass = Container\nFramesCount = 4\n"
    "[basket]\nClass = HeapContainer\nFramesCount = 3\n";

} // namespace

int main(int argc, char** argv) {
    SeedWriter seeds(argc, argv);

    Bytes cards;
    {
        SaveWriter w(cards);
        w.WriteU32(3);
        w.WriteString("crane");
        w.WriteString("quillby");
        w.WriteString("nell");
        w.WriteU32(2); // visits
    }
    Bytes evidence;
    {
        SaveWriter w(evidence);
        w.WriteString("harbour");
        w.WriteU32(2);
        w.WriteString("harbour");
        w.WriteU8(1);
        w.WriteString("inn");
        w.WriteU8(0);
        w.WriteU32(3);
        w.WriteString("ledger");
        w.WriteString("harbour");
        w.WriteU8(0);
        w.WriteString("rope_1");
        w.WriteString("harbour");
        w.WriteU8(1);
        w.WriteString("quarrel");
        w.WriteString("inn");
        w.WriteU8(0);
        w.WriteU32(1);
    }
    // An animation's record (27 bytes) serves the heap container too: a count
    // of 1 and frame 257.
    Bytes anim;
    {
        SaveWriter w(anim);
        w.WriteU8(1);
        w.WriteU8(1);
        w.WriteU8(1);
        w.WriteU8(3);
        w.WriteU8(0);
        w.WriteU8(0);
        objectBase(w);
    }
    Bytes heap;
    {
        SaveWriter w(heap);
        w.WriteU32(2);
        w.WriteU32(1);
        w.WriteU32(2);
        objectBase(w);
    }
    const std::string sep = "\n%%\n";
    seeds.save("card_evidence_fuzzer", "rooms.bin",
               std::string(kLevel) + sep + text(cards) + sep + text(evidence) + sep + kObjects + sep +
                   text(anim));
    seeds.save("card_evidence_fuzzer", "heap.bin",
               std::string(kLevel) + sep + text(cards) + sep + text(evidence) + sep + kObjects + sep +
                   text(heap));
    return seeds.finish();
}
