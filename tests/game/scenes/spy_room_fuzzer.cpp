// A hidden-object room over damaged data: the input is split at lines
// holding only "%%" into "objects.ini", "items.ini", the level file and the
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

void writeFile(const std::string& path, const std::string& text) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
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

    // The parts are separated by lines holding only "%%".
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() < 3) {
        const size_t mark = input.find("\n%%\n", start);
        if (mark == std::string::npos)
            break;
        parts.push_back(input.substr(start, mark - start));
        start = mark + 4;
    }
    parts.push_back(input.substr(start));
    parts.resize(4);
    writeFile(root + "rooms/fz/objects.ini", parts[0]);
    writeFile(root + "rooms/fz/items.ini", parts[1]);
    writeFile(root + "levels/fz.ini", parts[2]);

    SpyRoom room("fz", nullptr, nullptr);
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
