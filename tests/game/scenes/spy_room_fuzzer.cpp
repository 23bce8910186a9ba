// A hidden-object room over damaged data: the input is split at lines
// holding only "%%" into "objects.ini", "items.ini", the level file and the
// room's saved record. The room is made and loaded for the level, given the
// record, then every object is clicked and the room is saved again.

#include "game/save/save_load.h"
#include "game/scenes/objects/spy_object.h"
#include "game/scenes/spy_room.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/util/a_optionsfile.h"
#include "support/fuzz_files.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzFolder folder("room", "data");
    const std::vector<std::string> parts = FuzzParts(data, size, "%%", 4);
    folder.write("rooms/fz/objects.ini", parts[0]);
    folder.write("rooms/fz/items.ini", parts[1]);
    folder.write("levels/fz.ini", parts[2]);

    SpyRoom room("fz", nullptr, nullptr, nullptr);
    const aOptionsFile level("data:levels/fz.ini");
    room.LoadResources(level);
    SaveLoadSystem system(1);
    if (!parts[3].empty()) {
        SaveReader reader(reinterpret_cast<const uint8_t*>(parts[3].data()), parts[3].size());
        room.Load(system, reader);
    }
    for (SpyObject* object : room.GetObjects()) {
        room.OnObjectClicked(object);
        room.Update(0.5f);
    }
    room.OnObjectClicked(nullptr);
    room.UseHint();
    room.Update(2.0f);
    std::vector<uint8_t> out;
    SaveWriter writer(out);
    room.Save(system, writer);
    room.OnLevelComplete();
    room.UnloadResources();
    return 0;
}
