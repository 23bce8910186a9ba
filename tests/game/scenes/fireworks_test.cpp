// Fireworks: the sequence file read, shots launched on their delays and in
// order, bullets exploding where their first particle dies, trails stopped,
// every system leaving the particle manager once it has run out, and a room
// left running for an hour holding no more systems than are in the air.

#include "living_room.h"

#include "game/scenes/objects/spy_obj_fireworks.h"

#include <cmath>
#include <filesystem>
#include <vector>

using namespace scenetest;

namespace {

// A bullet flies 1 s at 100 px/s in its shot's direction; a trail emits
// until it is stopped; an explosion is one burst of 0.8 s.
constexpr const char* kConfig = "[fw_bullet]\nSystem = bullet.txt\n[fw_triple]\nSystem = triple.txt\n"
                                "[fw_trail]\nSystem = trail.txt\n[fw_boom]\nSystem = boom.txt\n";
constexpr const char* kBullet = "fps 50\nmax_particles 1\nemitter_life 0\nemit_per_sec 1\n"
                                "particle_life 1 1\nvelocity 100 100\n";
constexpr const char* kTriple = "fps 50\nmax_particles 3\nemitter_life 0\nemit_per_sec 3\n"
                                "particle_life 0.5 1.5\nvelocity 100 100\n";
constexpr const char* kTrail = "fps 50\nmax_particles 40\nemitter_life -1\nemit_per_sec 20\n"
                               "particle_life 0.3 0.3\nvelocity 5 10\n";
constexpr const char* kBoom = "fps 50\nmax_particles 30\nemitter_life 0\nemit_per_sec 30\n"
                              "particle_life 0.8 0.8\nvelocity 50 80\n";

constexpr const char* kShotTypes = "[shot_type]\nname = red\nps_bullet = fw_bullet\nps_trail = fw_trail\n"
                                   "ps_explode = fw_boom\nsnd_launch1 = whoosh\nsnd_launch2 = nothing\n"
                                   "snd_explode1 = bang\n"
                                   "[shot_type]\nname = dud\nps_bullet = fw_bullet\n";

class FireworksTest : public LivingRoom {
protected:
    SpyObjFireworks* Show(const std::string& sequence) {
        Particles(
            kConfig,
            {{"bullet.txt", kBullet}, {"triple.txt", kTriple}, {"trail.txt", kTrail}, {"boom.txt", kBoom}});
        Write("[show]\nClass = Fireworks\nX = 0\nY = 0\n", {}, {"whoosh", "bang"});
        gametest::WriteText(Folder() + "show.ini", sequence);
        Load();
        return As<SpyObjFireworks>("show");
    }
};

} // namespace

TEST_F(FireworksTest, TheSequenceFileGivesShotTypesAndShotsInFileOrder) {
    SpyObjFireworks* show =
        Show(std::string(kShotTypes) + "[red]\nx = 400\ny = 700\nangle = -90\ndelay = 1.0\n"
                                       "[blue]\nx = 1\ny = 1\nangle = 0\ndelay = 1\n"
                                       "[dud]\nx = 600\ny = 650\nangle = -60\ndelay = 0.5\n"
                                       "[red]\nx = 500\ny = 720\nangle = -100\ndelay = -2\n");
    ASSERT_NE(show, nullptr);
    EXPECT_TRUE(show->IsKindOf("Fireworks"));
    EXPECT_FALSE(show->IsKindOf("Image"));
    EXPECT_FALSE(show->HitTest(0, 0));
    EXPECT_FALSE(show->Activate(true, nullptr));
    EXPECT_FLOAT_EQ(show->GetWidth(), 0.0f);
    const SpyFireworksSequence& s = show->GetSequence();
    ASSERT_EQ(s.types.size(), 2u);
    EXPECT_EQ(s.types[0].name, "red");
    EXPECT_EQ(s.types[0].bullet, "fw_bullet");
    EXPECT_EQ(s.types[0].trail, "fw_trail");
    EXPECT_EQ(s.types[0].trail2, "");
    EXPECT_EQ(s.types[0].explode, "fw_boom");
    ASSERT_EQ(s.types[0].launchSounds.size(), 2u) << "a sound not found stays as an empty entry";
    EXPECT_NE(s.types[0].launchSounds[0], nullptr);
    EXPECT_EQ(s.types[0].launchSounds[1], nullptr);
    EXPECT_EQ(s.types[0].explodeSounds.size(), 1u);
    EXPECT_TRUE(s.types[1].launchSounds.empty());
    ASSERT_EQ(s.shots.size(), 3u);
    EXPECT_TRUE(log.has("SpyObjFireworks - invalid shot type 'blue' for object 'show'"));
    EXPECT_EQ(s.shots[0].type, 0u);
    EXPECT_EQ(s.shots[0].x, 400);
    EXPECT_EQ(s.shots[0].y, 700) << "screen pixels, as given";
    EXPECT_EQ(s.shots[0].angle, -90);
    EXPECT_FLOAT_EQ(s.shots[0].delay, 1.0f);
    EXPECT_EQ(s.shots[1].type, 1u);
    EXPECT_FLOAT_EQ(s.shots[2].delay, 0.0f);
    EXPECT_TRUE(
        log.has("SpyObjFireworks - delay '-2' of a 'red' shot for object 'show' is below 0, 0 is used"));
}

TEST_F(FireworksTest, ShotsLaunchOnTheirDelaysAndTheSequenceStartsOver) {
    SpyObjFireworks* show =
        Show(std::string(kShotTypes) + "[red]\nx = 400\ny = 700\nangle = -90\ndelay = 1.0\n"
                                       "[dud]\nx = 600\ny = 650\nangle = 0\ndelay = 0.5\n");
    struct Step {
        float dt;
        size_t rockets;
        uint32_t shot;
        float timer;
    };
    const Step steps[] = {{0.9f, 0, 0, 0.9f}, {0.2f, 1, 1, 0.1f}, {0.3f, 1, 1, 0.4f}, {0.2f, 2, 0, 0.0f}};
    for (const Step& s : steps) {
        SCOPED_TRACE(show->GetTimer() + s.dt);
        show->Update(s.dt);
        EXPECT_EQ(show->GetRocketCount(), s.rockets);
        EXPECT_EQ(show->GetCurrentShot(), s.shot);
        EXPECT_NEAR(show->GetTimer(), s.timer, 1e-5f);
    }
    EXPECT_EQ(particles->getInstanceCount(), 3u) << "two bullets and the red one's trail";

    // One long frame launches several shots, in order, and drops the rest of the time.
    Load();
    show = As<SpyObjFireworks>("show");
    show->Update(5.0f);
    EXPECT_EQ(show->GetRocketCount(), 2u);
    EXPECT_EQ(show->GetCurrentShot(), 0u);
    EXPECT_FLOAT_EQ(show->GetTimer(), 0.0f);
}

TEST_F(FireworksTest, ABulletExplodesWhereItsFirstParticleDiesAndTheRocketGoesWhenAllHaveRunOut) {
    SpyObjFireworks* show =
        Show(std::string(kShotTypes) + "[red]\nx = 400\ny = 700\nangle = -90\ndelay = 0.01\n"
                                       "[red]\nx = 0\ny = 0\nangle = 0\ndelay = 1000\n");
    Frame(0.02f);
    ASSERT_EQ(show->GetRocketCount(), 1u);
    EXPECT_EQ(show->GetSystemCount(), 2u) << "the bullet and its trail";
    const aParticleSystem* trail = show->GetTrail(0);
    ASSERT_NE(trail, nullptr);
    float flown = 0.0f;
    while (!show->GetExplosion(0) && flown < 3.0f) {
        Frame(0.02f);
        flown += 0.02f;
        if (const aParticle* head = show->GetBullet(0) ? show->GetBullet(0)->getFirstParticle() : nullptr) {
            EXPECT_NEAR(trail->getX(), head->x, 3.0f) << "the trail follows the bullet";
        }
    }
    ASSERT_NE(show->GetExplosion(0), nullptr);
    EXPECT_NEAR(flown, 1.0f, 0.08f) << "the bullet's particle lives a second";
    EXPECT_NEAR(show->GetExplosion(0)->getX(), 400.0f, 3.0f);
    EXPECT_NEAR(show->GetExplosion(0)->getY(), 600.0f, 3.0f) << "100 px up, where the particle died";
    ASSERT_NE(show->GetTrail(0), nullptr);
    EXPECT_FALSE(show->GetTrail(0)->isActive()) << "the trail stopped emitting";
    // The trail runs out and leaves; so does the spent bullet; the burst goes on.
    for (int i = 0; i < 20; ++i)
        Frame(0.02f);
    EXPECT_EQ(show->GetTrail(0), nullptr);
    EXPECT_EQ(show->GetBullet(0), nullptr);
    EXPECT_EQ(show->GetSystemCount(), 1u);
    EXPECT_EQ(particles->getInstanceCount(), 1u);
    for (int i = 0; i < 40; ++i)
        Frame(0.02f);
    EXPECT_EQ(show->GetRocketCount(), 0u);
    EXPECT_EQ(particles->getInstanceCount(), 0u) << "every system left the manager";
}

TEST_F(FireworksTest, OnlyTheFirstDyingBulletParticleStartsAnExplosion) {
    Particles(kConfig, {{"triple.txt", kTriple}, {"boom.txt", kBoom}});
    Write("[show]\nClass = Fireworks\nX = 0\nY = 0\n");
    gametest::WriteText(Folder() + "show.ini",
                        "[shot_type]\nname = three\nps_bullet = fw_triple\nps_explode = fw_boom\n"
                        "[three]\nx = 400\ny = 500\nangle = -90\ndelay = 0.01\n"
                        "[three]\nx = 0\ny = 0\nangle = 0\ndelay = 1000\n");
    Load();
    SpyObjFireworks* show = As<SpyObjFireworks>("show");
    Frame(0.02f);
    ASSERT_EQ(show->GetRocketCount(), 1u);
    int explosions = 0;
    const aParticleSystem* last = nullptr;
    for (int i = 0; i < 150; ++i) {
        Frame(0.02f);
        const aParticleSystem* now = show->GetExplosion(0);
        if (now && now != last)
            ++explosions;
        last = now;
        EXPECT_LE(particles->getInstanceCount(), 2u);
    }
    EXPECT_EQ(explosions, 1) << "three bullet particles die, one explosion";
    EXPECT_EQ(show->GetRocketCount(), 0u);
}

TEST_F(FireworksTest, ARoomLeftRunningForAnHourHoldsABoundedNumberOfSystems) {
    SpyObjFireworks* show =
        Show(std::string(kShotTypes) + "[red]\nx = 400\ny = 700\nangle = -80\ndelay = 0.7\n"
                                       "[dud]\nx = 600\ny = 650\nangle = -100\ndelay = 0.4\n"
                                       "[red]\nx = 700\ny = 720\nangle = -90\ndelay = 0\n");
    size_t most = 0;
    const float dt = 1.0f / 30.0f;
    for (int frame = 0; frame < 3600 * 30; ++frame) {
        Frame(dt);
        most = std::max(most, particles->getInstanceCount());
    }
    // Three shots every 1.1 s, each in the air for under 2 s with at most three systems.
    EXPECT_LE(most, 15u);
    EXPECT_LE(show->GetRocketCount(), 6u);
    EXPECT_EQ(show->GetSystemCount(), particles->getInstanceCount()) << "no system left behind";
}

TEST_F(FireworksTest, ASequenceThatShootsFasterThanItsRocketsBurnOutIsHeldBack) {
    std::string shots = kShotTypes;
    for (int i = 0; i < 10; ++i)
        shots += "[red]\nx = 400\ny = 700\nangle = -90\ndelay = 0\n";
    SpyObjFireworks* show = Show(shots);
    size_t most = 0;
    for (int frame = 0; frame < 100; ++frame) {
        Frame(0.02f);
        most = std::max(most, show->GetRocketCount());
    }
    EXPECT_EQ(most, SpyObjFireworks::kMaxRockets);
    EXPECT_TRUE(
        log.has("SpyObjFireworks - more than 64 rockets in the air for object 'show', shots are skipped"));
    EXPECT_EQ(
        log.count("SpyObjFireworks - more than 64 rockets in the air for object 'show', shots are skipped"),
        1u)
        << "logged once";
}

TEST_F(FireworksTest, WithoutItsFileOrItsBulletTemplateNothingLaunches) {
    Particles(kConfig, {{"bullet.txt", kBullet}});
    Living("[show]\nClass = Fireworks\nX = 0\nY = 0\n");
    SpyObjFireworks* show = As<SpyObjFireworks>("show");
    EXPECT_TRUE(show->GetSequence().shots.empty());
    show->Update(10.0f);
    EXPECT_EQ(show->GetRocketCount(), 0u);

    gametest::WriteText(Folder() + "show.ini", "[shot_type]\nname = odd\nps_bullet = fw_none\n"
                                               "[odd]\nx = 1\ny = 1\nangle = 0\ndelay = 0.1\n");
    Load();
    show = As<SpyObjFireworks>("show");
    show->Update(0.5f);
    EXPECT_EQ(show->GetRocketCount(), 0u);
    EXPECT_TRUE(log.has("aParticlesManager::Add() - system template 'fw_none' not found!"));

    // Taken, it draws nothing but goes on. Its bullets have a picture here,
    // so that a rocket in the air shows while the show is there.
    std::filesystem::create_directories(data + "images");
    content::saveFile(data + "images/spark.png", content::writePng(content::Picture(8, 8, 0xFFFFFF00u)));
    gametest::WriteText(data + "images/SparkList.txt", "spark.png 8888 8888\n");
    gui.images->loadList("data:images/SparkList.txt");
    Particles("[fw_bullet]\nSystem = bullet.txt\nImage = spark\n", {{"bullet.txt", kBullet}});
    gametest::WriteText(Folder() + "show.ini",
                        std::string(kShotTypes) + "[dud]\nx = 100\ny = 100\nangle = 0\ndelay = 0.1\n");
    Load();
    show = As<SpyObjFireworks>("show");
    auto frame = [&](bool withShow) {
        gui.DrawFrame([&] {
            if (withShow)
                show->Draw(0xFFFFFFFFu);
        });
        std::vector<uint32_t> px;
        for (uint32_t y = 0; y < 300; ++y)
            for (uint32_t x = 0; x < 400; ++x)
                px.push_back(gui.Pixel(x, y));
        return px;
    };
    const std::vector<uint32_t> empty = frame(false);
    show->Update(0.2f);
    ASSERT_EQ(show->GetRocketCount(), 1u);
    EXPECT_NE(frame(true), empty) << "its rocket shows";
    show->SetState(SpyObject::STATE_TAKEN, false);
    show->Update(0.1f);
    EXPECT_EQ(show->GetRocketCount(), 1u) << "the rocket flies on";
    EXPECT_EQ(frame(true), empty) << "taken, nothing is drawn";
    show->UnloadResources();
    EXPECT_EQ(show->GetRocketCount(), 0u);
    EXPECT_EQ(particles->getInstanceCount(), 0u);
}
