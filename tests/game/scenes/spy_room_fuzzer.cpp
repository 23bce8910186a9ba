// A hidden-object room over damaged data: the input is split at its first
// three 0 bytes into "objects.ini", "items.ini", the level file and the
// room's saved record. The room is made and loaded for the level, given the
// record, then every object is clicked and the room is saved again.

#include "game/save_load.h"
#include "game/scenes/spy_object.h"
#include "game/scenes/spy_room.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/util/a_optionsfile.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string root = "/tmp/mirel-room-fuzz-" + std::to_string(getpid()) + "/";
    static aFileServer* server = [] {
        std::filesystem::create_directories(root + "rooms/fz");
        std::filesystem::create_directories(root + "levels");
        aFileServerSources s;
        s.useSystem = false;
        s.exePath = root + "prog";
        auto* fs = new aFileServer(s);
        fs->setAssign("data", root);
        return fs;
    }();
    (void)server;

    const uint8_t* parts[4] = {data, nullptr, nullptr, nullptr};
    size_t sizes[4] = {size, 0, 0, 0};
    size_t part = 0;
    for (size_t i = 0; i < size && part < 3; ++i) {
        if (data[i] != 0)
            continue;
        sizes[part] = size_t(data + i - parts[part]);
        ++part;
        parts[part] = data + i + 1;
        sizes[part] = size - i - 1;
    }
    writeFile(root + "rooms/fz/objects.ini", parts[0], sizes[0]);
    writeFile(root + "rooms/fz/items.ini", parts[1] ? parts[1] : data, parts[1] ? sizes[1] : 0);
    writeFile(root + "levels/fz.ini", parts[2] ? parts[2] : data, parts[2] ? sizes[2] : 0);

    SpyRoom room("fz", nullptr, nullptr);
    const aOptionsFile level("data:levels/fz.ini");
    room.LoadResources(level);
    SaveLoadSystem system(1);
    if (parts[3]) {
        SaveReader reader(parts[3], sizes[3]);
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
