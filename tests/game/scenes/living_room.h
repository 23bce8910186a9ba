#pragma once
// A hidden-object room "living" of the tests' own making, for the scene
// objects that move or run effects: its "objects.ini", pictures and sounds
// are given by each test, and a particle manager of the test's own (over
// "data:particles/config.ini") stands in for the game's. Every test starts
// with the engine's random numbers seeded.

#include "room_alone.h"

#include "game/scenes/objects/spy_obj_services.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_particle.h"

#include "soundgen.h"

#include <filesystem>
#include <initializer_list>
#include <utility>
#include <vector>

namespace scenetest {

// A picture for a room: the file stem (the image's name) and its pixels.
struct NamedPicture {
    std::string name;
    content::Picture picture;
};

class LivingRoom : public RoomAlone {
protected:
    static constexpr uint32_t kSeed = 20261210;

    void SetUp() override {
        RoomAlone::SetUp();
        a_srand(kSeed);
    }
    void TearDown() override {
        room.reset();
        SpySetParticles(nullptr);
        particles.reset();
        RoomAlone::TearDown();
    }

    std::string Folder() const { return data + "rooms/living/"; }

    // Writes the room's files; sounds become short tones of the room's group.
    void Write(const std::string& objects, const std::vector<NamedPicture>& pictures = {},
               std::initializer_list<const char*> sounds = {}, const std::string& items = std::string()) {
        std::string list;
        for (const NamedPicture& p : pictures) {
            const std::string path = Folder() + "images/" + p.name + ".png";
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            content::saveFile(path, content::writePng(p.picture));
            list += p.name + ".png 8888 8888\n";
        }
        gametest::WriteText(Folder() + "images/ImageList.txt", list);
        std::string soundList;
        for (const char* s : sounds) {
            const std::string path = Folder() + "sounds/" + s + ".wav";
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            soundgen::Tone t;
            t.seconds = 0.05;
            t.frequency = 440.0;
            t.rate = 22050;
            soundgen::writeFile(t, soundgen::Format::Wav, path);
            soundList += std::string(s) + ".wav 1.0\n";
        }
        gametest::WriteText(Folder() + "sounds/SoundList.txt", soundList);
        gametest::WriteText(Folder() + "objects.ini", objects);
        gametest::WriteText(Folder() + "items.ini", items);
    }
    // Makes and loads the room with the files written.
    SpyRoom& Load(const std::string& section = "ItemsCount = 0, 0, 0\n") {
        Make("living");
        room->LoadResources(Level("[Room.living]\n" + section));
        return *room;
    }
    SpyRoom& Living(const std::string& objects, const std::vector<NamedPicture>& pictures = {},
                    std::initializer_list<const char*> sounds = {}) {
        Write(objects, pictures, sounds);
        return Load();
    }
    // The particle configuration and files (name, text), and the manager over them.
    void Particles(const std::string& config,
                   std::initializer_list<std::pair<const char*, const char*>> files) {
        gametest::WriteText(data + "particles/config.ini", config);
        for (const auto& f : files)
            gametest::WriteText(data + "particles/" + f.first, f.second);
        particles = std::make_unique<aParticlesManager>("data:particles/config.ini", "data:particles/",
                                                        gui.images.get());
        SpySetParticles(particles.get());
    }
    template <class T> T* As(const std::string& name) const { return dynamic_cast<T*>(Object(name)); }
    // One frame as the game runs it: the room, then the particles.
    void Frame(float dt) {
        room->Update(dt);
        if (particles)
            particles->update(dt, 2, 3);
    }
    // The object's saved record.
    static std::vector<uint8_t> Record(SpyObject& object) {
        std::vector<uint8_t> bytes;
        SaveLoadSystem system(1);
        SaveWriter writer(bytes);
        object.Save(system, writer);
        return bytes;
    }
    static void Restore(SpyObject& object, const std::vector<uint8_t>& bytes) {
        SaveLoadSystem system(1);
        SaveReader reader(bytes.data(), bytes.size());
        object.Load(system, reader);
    }

    std::unique_ptr<aParticlesManager> particles;
};

} // namespace scenetest
