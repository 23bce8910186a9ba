// The clue-card and evidence rooms and the animated and container objects
// over damaged data: the input is split at lines holding only "%%" into the
// level file (its "CardsOrder" and evidence lists), the clue-card room's
// record, the evidence room's record, an "objects.ini" and one record given
// to every object. Everything is loaded, played a little and saved again.

#include "game/save/save_load.h"
#include "game/scenes/card_room.h"
#include "game/scenes/evidence_room.h"
#include "game/scenes/objects/spy_object.h"
#include "game/scenes/spy_room.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/util/a_optionsfile.h"
#include "support/fuzz_files.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

template <class T> void loadFrom(T& entity, SaveLoadSystem& system, const std::string& bytes) {
    SaveReader reader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    entity.Load(system, reader);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzFolder folder("cards", "data");
    const std::vector<std::string> parts = FuzzParts(data, size, "%%", 5);
    folder.write("levels/fz.ini", parts[0]);
    folder.write("rooms/fz/objects.ini", parts[3]);
    folder.write("rooms/fz/items.ini", "");
    const aOptionsFile level("data:levels/fz.ini");
    SaveLoadSystem system(1);

    SpyRoom room("fz", nullptr, nullptr, nullptr);
    room.LoadResources(level);
    for (SpyObject* object : room.GetObjects()) {
        loadFrom(*object, system, parts[4]);
        object->Activate(true, nullptr);
        for (SpyObject* other : room.GetObjects())
            object->Activate(true, other);
        object->SetHighlight(true);
        for (int i = 0; i < 8; ++i)
            object->Update(0.4f);
        object->HitTest(1, 1);
        std::vector<uint8_t> out;
        SaveWriter writer(out);
        object->Save(system, writer);
        object->Init();
    }

    CardRoom cards(nullptr, nullptr, nullptr);
    cards.SetRoomLookup([&](const std::string& name) -> Room* { return name == "fz" ? &room : nullptr; });
    cards.LoadResources(level);
    loadFrom(cards, system, parts[1]);
    for (const CardRoom::CardDef& def : cards.GetDefinitions()) {
        for (const std::string& entry : def.entries)
            cards.UnlockNextCard(entry);
    }
    std::vector<uint8_t> cardBytes;
    SaveWriter cardWriter(cardBytes);
    cards.Save(system, cardWriter);

    EvidenceRoom evidence(nullptr, nullptr, nullptr);
    evidence.LoadResources(level);
    loadFrom(evidence, system, parts[2]);
    evidence.OnLevelComplete();
    evidence.LoadResources(level);
    evidence.ShowEvidence(evidence.GetCurrentPicture());
    std::vector<uint8_t> evidenceBytes;
    SaveWriter evidenceWriter(evidenceBytes);
    evidence.Save(system, evidenceWriter);
    return 0;
}
