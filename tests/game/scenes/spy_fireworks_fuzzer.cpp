// The fireworks of a room over a damaged sequence file: the input is the
// file "data:rooms/fz/show.ini" of the room's one fireworks object, whose
// shots may name the bullet, trail and explosion templates "b", "t" and "e"
// of a small particle configuration. The room is loaded and runs for
// twenty seconds of frames with its particles, and is unloaded.

#include "game/scenes/objects/spy_obj_services.h"
#include "game/scenes/objects/spy_object.h"
#include "game/scenes/spy_room.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/gfx/a_particle.h"
#include "mirel/util/a_optionsfile.h"
#include "support/fuzz_files.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzFolder folder("fireworks", "data");
    static aParticlesManager* particles = [] {
        folder.write("rooms/fz/objects.ini", "[show]\nClass = Fireworks\nX = 0\nY = 0\n");
        folder.write("levels/fz.ini", "[Room.fz]\nItemsCount = 0, 0, 0\n");
        folder.write("particles/config.ini",
                     "[b]\nSystem = b.txt\n[t]\nSystem = t.txt\n[e]\nSystem = e.txt\n");
        folder.write("particles/b.txt", "fps 30\nemitter_life 0\nemit_per_sec 2\nparticle_life 0.5 1\n");
        folder.write("particles/t.txt", "fps 30\nemit_per_sec 20\nparticle_life 0.2 0.4\n");
        folder.write("particles/e.txt", "fps 30\nemitter_life 0\nemit_per_sec 20\nparticle_life 0.5 1\n");
        auto* manager = new aParticlesManager("data:particles/config.ini", "data:particles/", nullptr);
        SpySetParticles(manager);
        return manager;
    }();

    folder.write("rooms/fz/show.ini", std::string_view(reinterpret_cast<const char*>(data), size));
    {
        SpyRoom room("fz", nullptr, nullptr, nullptr);
        const aOptionsFile level("data:levels/fz.ini");
        room.LoadResources(level);
        for (int frame = 0; frame < 200; ++frame) {
            room.Update(0.1f);
            particles->update(0.1f, 2, 3);
        }
        room.UnloadResources();
    }
    particles->update(0.1f, 2, 3);
    return 0;
}
