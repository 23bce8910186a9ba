// Particle files, emission, motion, callbacks, drawing and the manager.

#include "content/content_writers.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gfx/a_particle.h"
#include "mirel/gfx/particles/particle_env.h"

#include <cmath>
#include <vector>

using namespace ptest;

namespace {

aParticleParams parse(const std::string& text) {
    aParticleParams p;
    a_readParticleText(text.data(), text.size(), p, "test.psi");
    return p;
}

} // namespace

TEST(ParticleFile, DefaultsAndEveryKey) {
    const aParticleParams d = parse("");
    EXPECT_EQ(d.maxParticles, 100);
    EXPECT_EQ(d.fps, 0);
    EXPECT_EQ(d.emitterType, 0);
    EXPECT_EQ(d.emitterLife, -1.0f);
    EXPECT_EQ(d.emitPerSec, 30);
    EXPECT_EQ(d.blendMode, 0);
    EXPECT_EQ(d.spreadMin, 0.0f);
    EXPECT_EQ(d.spreadMax, 6.2831855f);
    EXPECT_EQ(d.lifeMin, 2.0f);
    EXPECT_EQ(d.lifeMax, 3.0f);
    EXPECT_EQ(d.velocityMin, 0.5f);
    EXPECT_EQ(d.velocityMax, 1.0f);
    EXPECT_EQ(d.sizeStart, 1.0f);
    EXPECT_EQ(d.sizeEnd, 0.0f);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(d.colorStart[i], 1.0f);
    EXPECT_EQ(d.colorEnd[3], 0.0f);
    EXPECT_EQ(d.colorEnd[0], 1.0f);

    const aParticleParams p = parse("max_particles 250\n"
                                    "fps 25\r\n"
                                    "  emitter_type 2\n"
                                    "emitter_life 1.5\n"
                                    "emitter_size 3 4\n"
                                    "emitter_angle 0.25\n"
                                    "emit_per_sec 12\n"
                                    "blend_mode 1\n"
                                    "spread -1 1\n"
                                    "spread_relative 1\n"
                                    "spin_by_dir 1\n"
                                    "particle_life 0.5 0.75\n"
                                    "gravity 5 6\n"
                                    "wind 7 8\n"
                                    "radial_acc 9 10\n"
                                    "tangential_acc 11 12\n"
                                    "velocity 13 14\n"
                                    "spin 0.1 0.2 0.3\n"
                                    "size 2 3 0.5\n"
                                    "color FF336699 0x80102030 0.25 0.75\n"
                                    "unknown_key 1 2 3\n"
                                    "FPS 99\n");
    EXPECT_EQ(p.maxParticles, 250);
    EXPECT_EQ(p.fps, 25);
    EXPECT_EQ(p.emitterType, 2);
    EXPECT_EQ(p.emitterLife, 1.5f);
    EXPECT_EQ(p.emitterSizeX, 3.0f);
    EXPECT_EQ(p.emitterSizeY, 4.0f);
    EXPECT_EQ(p.emitterAngle, 0.25f);
    EXPECT_EQ(p.emitPerSec, 12);
    EXPECT_EQ(p.blendMode, 1);
    EXPECT_EQ(p.spreadMin, -1.0f);
    EXPECT_EQ(p.spreadMax, 1.0f);
    EXPECT_EQ(p.spreadRelative, 1);
    EXPECT_EQ(p.spinByDir, 1);
    EXPECT_EQ(p.lifeMin, 0.5f);
    EXPECT_EQ(p.lifeMax, 0.75f);
    EXPECT_EQ(p.gravityMin, 5.0f);
    EXPECT_EQ(p.gravityMax, 6.0f);
    EXPECT_EQ(p.windMin, 7.0f);
    EXPECT_EQ(p.windMax, 8.0f);
    EXPECT_EQ(p.radialMin, 9.0f);
    EXPECT_EQ(p.radialMax, 10.0f);
    EXPECT_EQ(p.tangentialMin, 11.0f);
    EXPECT_EQ(p.tangentialMax, 12.0f);
    EXPECT_EQ(p.velocityMin, 13.0f);
    EXPECT_EQ(p.velocityMax, 14.0f);
    EXPECT_EQ(p.spinStart, 0.1f);
    EXPECT_EQ(p.spinEnd, 0.2f);
    EXPECT_EQ(p.spinVar, 0.3f);
    EXPECT_EQ(p.sizeStart, 2.0f);
    EXPECT_EQ(p.sizeEnd, 3.0f);
    EXPECT_EQ(p.sizeVar, 0.5f);
    const float start[4] = {0x33 / 255.0f, 0x66 / 255.0f, 0x99 / 255.0f, 1.0f};
    const float end[4] = {0x10 / 255.0f, 0x20 / 255.0f, 0x30 / 255.0f, 0x80 / 255.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(p.colorStart[i], start[i]) << i;
        EXPECT_EQ(p.colorEnd[i], end[i]) << i;
    }
    EXPECT_EQ(p.colorVar, 0.25f);
    EXPECT_EQ(p.alphaVar, 0.75f);
}

TEST(ParticleFile, BadValuesKeepDefaultsAndAreLogged) {
    struct Case {
        const char* line;
        bool logged;
        float spreadMin, spreadMax;
        int fps;
    };
    const Case cases[] = {
        {"spread 1.5", true, 1.5f, 6.2831855f, 0},      // missing second value
        {"spread x 2", true, 0.0f, 6.2831855f, 0},      // unreadable first value
        {"spread 1 2 3 4", false, 1.0f, 2.0f, 0},       // extra values are ignored
        {"spread nan 2", true, 0.0f, 6.2831855f, 0},    // not a finite number
        {"spread 1e99 2", true, 0.0f, 6.2831855f, 0},   // out of range
        {"spread", true, 0.0f, 6.2831855f, 0},          // no value at all
        {"fps -5", true, 0.0f, 6.2831855f, 0},          // negative step rate
        {"fps 99999999999", true, 0.0f, 6.2831855f, 0}, // does not fit
        {"fps 12.7", false, 0.0f, 6.2831855f, 12},      // read as an integer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        LogCapture log;
        const aParticleParams p = parse(c.line);
        EXPECT_EQ(p.spreadMin, c.spreadMin);
        EXPECT_EQ(p.spreadMax, c.spreadMax);
        EXPECT_EQ(p.fps, c.fps);
        EXPECT_EQ(!log.lines.empty(), c.logged);
        EXPECT_LE(log.lines.size(), 1u);
    }
    LogCapture log;
    const aParticleParams p = parse("color FFFF0000 zz 1 1\ncolor 1FFFFFFFF 0 0 0\n");
    EXPECT_EQ(p.colorStart[0], 1.0f);
    EXPECT_EQ(p.colorStart[1], 0.0f);
    EXPECT_EQ(p.colorEnd[0], 1.0f); // the unreadable end colour keeps its default
    EXPECT_EQ(p.colorEnd[3], 0.0f);
    EXPECT_EQ(log.lines.size(), 2u);
}

class ParticleTest : public GraphFixture {
protected:
    std::unique_ptr<aParticleSystem> make(const std::string& text) {
        const std::string path = m_dir + "test.psi";
        writeText(path, text);
        return std::make_unique<aParticleSystem>(path);
    }
};

TEST_F(ParticleTest, EmissionCounts) {
    // No fps: the system never moves nor emits on update.
    auto still = make("emit_per_sec 50\n");
    still->startAt(5, 5);
    still->update(2.0f);
    EXPECT_EQ(still->getLiveCount(), 0);
    EXPECT_EQ(still->getClock(), 0.0f);
    EXPECT_TRUE(still->isAlive());

    // A burst: emit_per_sec at once and no more.
    auto burst = make("fps 10\nemitter_life 0\nemit_per_sec 7\nparticle_life 100 100\n");
    burst->startAt(0, 0);
    EXPECT_EQ(burst->getLiveCount(), 7);
    EXPECT_FALSE(burst->isActive());
    burst->update(3.0f);
    EXPECT_EQ(burst->getLiveCount(), 7);

    // At most 1000 live, whatever the file asks.
    auto big = make("fps 10\nemitter_life 0\nemit_per_sec 3000\nmax_particles 5000\nparticle_life 100 100\n");
    big->start();
    EXPECT_EQ(big->getLiveCount(), 1000);

    // A steady stream: 16 per second for one second of life of the emitter.
    auto stream = make("fps 8\nemitter_life 1\nemit_per_sec 16\nparticle_life 100 100\nmax_particles 15\n");
    stream->start();
    stream->update(0.5f);
    EXPECT_EQ(stream->getLiveCount(), 8);
    stream->update(2.0f);
    EXPECT_EQ(stream->getLiveCount(), 15); // the limit
    EXPECT_FALSE(stream->isActive());      // stopped at the end of its life
    EXPECT_TRUE(stream->isAlive());
}

TEST_F(ParticleTest, PathUnderFixedAccelerations) {
    auto sys = make("fps 10\nemitter_life 0\nemit_per_sec 1\nparticle_life 100 100\n"
                    "spread 0 0\nvelocity 20 20\ngravity 30 30\nwind -10 -10\n");
    sys->startAt(100, 50);
    ASSERT_EQ(sys->getLiveCount(), 1);
    const int k = 10;
    sys->update(1.0f + 0.01f);
    const aParticle* p = sys->getFirstParticle();
    ASSERT_NE(p, nullptr);
    // Velocity first, then position, each step of t = 0.1:
    // x_k = x0 + v t k + a t^2 k (k + 1) / 2.
    const double t = 0.1, tri = k * (k + 1) / 2.0;
    EXPECT_NEAR(p->x, 100 + 20 * t * k - 10 * t * t * tri, 1e-3);
    EXPECT_NEAR(p->y, 50 + 30 * t * t * tri, 1e-3);
    EXPECT_NEAR(p->velX, 20 - 10 * t * k, 1e-4);
    EXPECT_NEAR(p->velY, 30 * t * k, 1e-4);
    // The direction follows the way from the origin.
    const double dx = p->x - 100, dy = p->y - 50, d = std::sqrt(dx * dx + dy * dy);
    EXPECT_NEAR(p->dirX, dx / d, 1e-5);
    EXPECT_NEAR(p->dirY, dy / d, 1e-5);

    // Radial acceleration alone keeps the particle on its ray from a ring
    // emitter's centre.
    auto ring = make("fps 10\nemitter_life 0\nemit_per_sec 1\nparticle_life 100 100\n"
                     "spread 1 1\nvelocity 0 0\nradial_acc 10 10\nemitter_size 5 5\n");
    ring->startAt(0, 0);
    ring->update(1.0f + 0.01f);
    p = ring->getFirstParticle();
    ASSERT_NE(p, nullptr);
    const double r = 5 + 10 * t * t * tri;
    EXPECT_NEAR(p->x, r * std::cos(1.0), 1e-3);
    EXPECT_NEAR(p->y, r * std::sin(1.0), 1e-3);
}

namespace {
struct Deaths {
    std::vector<float> clocks;
    std::vector<float> births;
};
void onDied(aParticleSystem* s, aParticle* p, void* user) {
    auto* d = static_cast<Deaths*>(user);
    d->clocks.push_back(s->getClock());
    d->births.push_back(p->birth);
}
} // namespace

TEST_F(ParticleTest, ParticleDiesOnTheStepItsLifeEnds) {
    auto sys = make("fps 10\nemitter_life 0\nemit_per_sec 1\nparticle_life 2 2\n");
    Deaths deaths;
    sys->setParticleCallback(&onDied, &deaths);
    sys->start();
    for (int i = 0; i < 40 && deaths.clocks.empty(); ++i)
        sys->update(0.1f);
    ASSERT_EQ(deaths.clocks.size(), 1u);
    EXPECT_GE(deaths.clocks[0] - deaths.births[0], 2.0f);
    EXPECT_LT(deaths.clocks[0] - 0.1f - deaths.births[0], 2.0f);
    EXPECT_EQ(sys->getLiveCount(), 0);
    EXPECT_FALSE(sys->isAlive());
}

TEST_F(ParticleTest, ColourFadeAndRoundingInDrawnQuads) {
    // Opaque red to transparent red.
    auto fade =
        make("fps 8\nemitter_life 0\nemit_per_sec 1\nparticle_life 2 2\ncolor FFFF0000 00FF0000 0 0\n");
    fade->start();
    fade->update(1.0f);
    const aParticle* p = fade->getFirstParticle();
    ASSERT_NE(p, nullptr);
    EXPECT_NEAR(p->r, 1.0f, 1e-6);
    EXPECT_NEAR(p->g, 0.0f, 1e-6);
    EXPECT_NEAR(p->a, 0.5f, 1e-5);

    // The vertex colour of a channel: 255 from 1 up, 0 from 0 down, else
    // trunc(c * 255 + 0.5). On an opaque white texture the drawn pixel is the
    // vertex colour.
    const aImage white = solidImage(4, 4, 0xFFFFFFFF);
    auto sys = make("fps 10\nemitter_life 0\nemit_per_sec 2\nspread 0 0\nvelocity 0 0\nsize 1 1 0\n");
    sys->setImage(&white);
    sys->startAt(0, 0);
    aParticle* a = sys->getFirstParticle();
    ASSERT_TRUE(a && a->next);
    aParticle* b = a->next;
    a->x = 10, a->y = 10, a->r = 0.5f, a->g = 1.2f, a->b = -0.1f, a->a = 1.0f;
    b->x = 30, b->y = 10, b->r = 0.001f, b->g = 0.002f, b->b = 0.998f, b->a = 2.0f;
    device()->clear(A_CLEAR_TARGET, 0xFF000000);
    const uint32_t draws = device()->drawCallCount();
    sys->render();
    EXPECT_EQ(device()->drawCallCount(), draws + 1); // one call for all particles
    EXPECT_EQ(px(10, 10), 0x80FF00u);
    EXPECT_EQ(px(30, 10), 0x0001FEu);
    // The 4 x 4 quad around (10, 10) covers pixels 8..11.
    EXPECT_EQ(px(8, 8), 0x80FF00u);
    EXPECT_EQ(px(11, 11), 0x80FF00u);
    EXPECT_EQ(px(12, 10), 0u);
    EXPECT_EQ(px(7, 10), 0u);
    // Size 2 and a quarter turn: an 8 x 8 square.
    a->size = 2.0f;
    a->angle = 1.5707964f;
    device()->clear(A_CLEAR_TARGET, 0xFF000000);
    sys->render();
    EXPECT_EQ(px(6, 6), 0x80FF00u);
    EXPECT_EQ(px(13, 13), 0x80FF00u);
    EXPECT_EQ(px(14, 10), 0u);
    EXPECT_EQ(m_server->getBlendMode(), 0); // restored
}

TEST_F(ParticleTest, RenderFailuresAreLogged) {
    const aImage white = solidImage(2, 2, 0xFFFFFFFF);
    auto sys = make("emitter_life 0\nemit_per_sec 3\n");
    sys->setImage(&white);
    sys->start();
    LogCapture log;
    device()->setFault(aDeviceCall::LockVertexBuffer, A_ERR_INVALIDCALL);
    sys->render();
    device()->setFault(aDeviceCall::LockVertexBuffer, A_OK);
    device()->setFault(aDeviceCall::Draw, A_ERR_DEVICELOST);
    sys->render();
    device()->setFault(aDeviceCall::Draw, A_OK);
    EXPECT_TRUE(log.has("aParticleSystem. Vertex buffer lock failed on render (D3DERR_INVALIDCALL)"));
    EXPECT_TRUE(log.has("aParticleSystem. Render error (D3DERR_DEVICELOST)"));
}

TEST_F(ParticleTest, StopCallbackAndReset) {
    auto sys = make("fps 10\nemitter_life 0.5\nemit_per_sec 10\nparticle_life 100 100\n");
    int stops = 0;
    sys->setStoppedCallback([](aParticleSystem*, void* u) { ++*static_cast<int*>(u); }, &stops);
    sys->start();
    sys->update(1.0f);
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(sys->isActive());
    sys->stop(); // not active: no second call
    EXPECT_EQ(stops, 1);
    EXPECT_GT(sys->getLiveCount(), 0);
    sys->reset();
    EXPECT_EQ(sys->getLiveCount(), 0);
    EXPECT_EQ(sys->getClock(), 0.0f);
    EXPECT_FALSE(sys->isAlive());
}

// ---- the manager ----

class ParticleManagerTest : public GraphFixture {
protected:
    void SetUp() override {
        GraphFixture::SetUp();
        writeText(m_dir + "spark.psi", "fps 10\nemitter_life 0\nemit_per_sec 3\nparticle_life 0.2 0.2\n");
        writeText(m_dir + "smoke.psi", "fps 10\nemit_per_sec 10\nparticle_life 1 1\n");
        writeText(m_dir + "config.ini", "[spark]\nSystem = spark.psi\nImage = white\nRect = 1 1 2 2\n"
                                        "[smoke]\nSystem = smoke.psi\nImage = white\n");
        m_white = solidImage(4, 4, 0xFFFFFFFF);
    }
    aImage m_white;
};

TEST_F(ParticleManagerTest, TemplatesInstancesAndLayers) {
    aParticlesManager mgr(m_dir + "config.ini", m_dir, nullptr);
    EXPECT_EQ(mgr.getTemplateCount(), 2u);
    ASSERT_NE(mgr.getTemplate("spark"), nullptr);
    EXPECT_EQ(mgr.getTemplate("spark")->getParams().emitPerSec, 3);

    LogCapture log;
    EXPECT_EQ(mgr.Add("nothing", nullptr, 1, true, true), nullptr);
    EXPECT_TRUE(log.has("aParticlesManager::Add() - system template 'nothing' not found!"));

    const float pos[2] = {20, 30};
    aParticleSystem* spark = mgr.Add("spark", pos, 1, true, true);
    aParticleSystem* kept = mgr.Add("spark", pos, 2, false, true);
    aParticleSystem* smoke = mgr.Add("smoke", pos, 2, true, false);
    ASSERT_TRUE(spark && kept && smoke);
    EXPECT_EQ(spark->getLiveCount(), 3);
    EXPECT_EQ(spark->getX(), 20.0f);
    EXPECT_FALSE(smoke->isAlive()); // placed, not started
    EXPECT_EQ(mgr.getInstanceCount(), 3u);

    // Layer 2 only: the sparks of layer 1 do not age.
    mgr.update(1.0f, 2, -1);
    EXPECT_EQ(spark->getLiveCount(), 3);
    EXPECT_EQ(kept->getLiveCount(), 0);
    EXPECT_EQ(mgr.getInstanceCount(), 3u); // kept is not removed; smoke never ran
    mgr.update(1.0f, 1, -1);
    EXPECT_EQ(mgr.getInstanceCount(), 2u); // the finished sparks of layer 1 are gone
    mgr.remove(kept);
    EXPECT_EQ(mgr.getInstanceCount(), 1u);
}

TEST_F(ParticleManagerTest, DiedCallbackMayAddAndRemoveSystems) {
    aParticlesManager mgr(m_dir + "config.ini", m_dir, nullptr);
    struct Ctx {
        aParticlesManager* mgr;
        std::vector<aParticleSystem*> added;
        int deaths = 0;
    } ctx{&mgr, {}, 0};
    const float pos[2] = {0, 0};
    aParticleSystem* spark = mgr.Add("spark", pos, 3, false, false);
    ASSERT_NE(spark, nullptr);
    spark->setParticleCallback(
        [](aParticleSystem* s, aParticle* p, void* u) {
            auto* c = static_cast<Ctx*>(u);
            ++c->deaths;
            const float at[2] = {p->x, p->y};
            // Enough additions to move the manager's storage around.
            for (int i = 0; i < 20; ++i)
                c->added.push_back(c->mgr->Add("smoke", at, 3, true, true));
            if (c->deaths == 3)
                c->mgr->remove(s); // the system being updated
        },
        &ctx);
    spark->start();
    mgr.update(0.5f, 3, -1);
    EXPECT_EQ(ctx.deaths, 3);
    EXPECT_EQ(ctx.added.size(), 60u);
    EXPECT_EQ(mgr.getInstanceCount(), 60u);
    for (int i = 0; i < 40; ++i)
        mgr.update(0.1f, 3, -1);
    EXPECT_EQ(mgr.getInstanceCount(), 60u); // streams run for ever
}

TEST_F(ParticleManagerTest, ImagesAndRectsFromTheConfiguration) {
    content::Picture pic(8, 4, 0xFFFFFFFF);
    ASSERT_TRUE(content::saveFile(m_dir + "white.png", content::writePng(pic)));
    writeText(m_dir + "ImageList.txt", "white.png 8888 8888\n");
    writeText(m_dir + "config.ini", "[spark]\nSystem = spark.psi\nImage = white\nRect = 2 1 4 2\n"
                                    "[smoke]\nSystem = smoke.psi\nImage = white\nRect = 1 2\n"
                                    "[gone]\nSystem = none.psi\nImage = nobody\n");
    aImageManager images;
    images.loadList(m_dir + "ImageList.txt");
    LogCapture log;
    aParticlesManager mgr(m_dir + "config.ini", m_dir, &images);
    EXPECT_EQ(mgr.getTemplateCount(), 3u);
    const aParticleSystem* spark = mgr.getTemplate("spark");
    const aParticleSystem* smoke = mgr.getTemplate("smoke");
    ASSERT_TRUE(spark && smoke);
    EXPECT_TRUE(spark->getImage().hasTexture());
    EXPECT_EQ(spark->getImageRect(), aRect(2, 1, 4, 2));
    // A short rectangle is logged and the whole image is used.
    EXPECT_TRUE(
        log.has("aParticlesManager. Bad rectangle \"1 2\" of system \"smoke\", the whole image is used"));
    EXPECT_EQ(smoke->getImageRect(), aRect(0, 0, 8, 4));
    // A missing image or file gives a template that runs but draws nothing.
    EXPECT_FALSE(mgr.getTemplate("gone")->getImage().hasTexture());

    // The copy keeps the image part: drawn at (20, 20) with size 1 it covers
    // 4 x 2 pixels.
    const float pos[2] = {20, 20};
    aParticleSystem* s = mgr.Add("spark", pos, 0, false, true);
    ASSERT_NE(s, nullptr);
    for (aParticle* p = s->getFirstParticle(); p; p = p->next)
        p->x = 20, p->y = 20, p->size = 1, p->angle = 0, p->r = p->g = p->b = p->a = 1;
    device()->clear(A_CLEAR_TARGET, 0xFF000000);
    mgr.render(0, -1);
    EXPECT_EQ(px(18, 19), 0xFFFFFFu);
    EXPECT_EQ(px(21, 20), 0xFFFFFFu);
    EXPECT_EQ(px(22, 20), 0u);
    EXPECT_EQ(px(20, 21), 0u);
}

TEST_F(ParticleTest, HostileFilesNeitherHangNorCrash) {
    const aImage white = solidImage(2, 2, 0xFFFFFFFF);
    const char* files[] = {
        "fps 1000000\nemit_per_sec 2000000000\nparticle_life 0 0\n",
        "fps 60\nemit_per_sec -50\nmax_particles -3\n",
        "fps 60\nparticle_life -1 1e-38\nvelocity 1e38 3e38\ngravity 3e38 3e38\nsize 1e38 -1e38 1\n",
        "fps 60\nemitter_life 0\nemit_per_sec 100000\nspread_relative 1\nspin_by_dir 1\n",
        "fps 2147483647\nemitter_type 7\nemitter_size 1e30 -1e30\n",
        "fps -1\nemit_per_sec 10\n",
    };
    for (const char* f : files) {
        SCOPED_TRACE(f);
        auto sys = make(f);
        sys->setImage(&white);
        sys->setBoundingBoxEnabled(true);
        sys->startAt(10, 10);
        for (float dt : {0.2f, 1e30f, -1.0f, std::nanf(""), 0.016f}) {
            sys->update(dt);
            sys->render();
        }
        EXPECT_LE(sys->getLiveCount(), aParticleSystem::MAX_LIVE);
    }
}

TEST_F(ParticleTest, CallbacksMayResetOrRefillTheirSystem) {
    // Resetting from the died callback, and emitting from it through start.
    auto sys = make("fps 10\nemitter_life 0\nemit_per_sec 5\nparticle_life 0.3 0.3\n");
    int deaths = 0;
    struct Ctx {
        int* deaths;
    } ctx{&deaths};
    sys->setParticleCallback(
        [](aParticleSystem* s, aParticle*, void* u) {
            int& d = *static_cast<Ctx*>(u)->deaths;
            if (++d == 1)
                s->start(); // a burst into the list being walked
            else if (d == 7)
                s->reset();
        },
        &ctx);
    sys->start();
    sys->update(1.0f);
    EXPECT_EQ(deaths, 7);
    EXPECT_EQ(sys->getLiveCount(), 0);
    EXPECT_EQ(sys->getFirstParticle(), nullptr);
    EXPECT_EQ(sys->getClock(), 0.0f);
    sys->start();
    EXPECT_EQ(sys->getLiveCount(), 5); // the pool still serves
}

TEST_F(ParticleTest, EmitterShapes) {
    struct Case {
        const char* shape;
        // Checks one particle relative to the emitter at (100, 100).
        bool (*inside)(const aParticle&);
    };
    const Case cases[] = {
        {"emitter_type 0\nemitter_size 10 20\n", // a ring from 10 to 20 around the emitter
         [](const aParticle& p) {
             const float d = std::hypot(p.x - 100, p.y - 100);
             return d >= 9.999f && d <= 20.001f && p.originX == 100 && p.originY == 100;
         }},
        {"emitter_type 1\nemitter_size 30 5\n", // an upright rectangle 60 x 10
         [](const aParticle& p) {
             return std::fabs(p.x - 100) <= 30.001f && std::fabs(p.y - 100) <= 5.001f && p.originX == p.x;
         }},
        {"emitter_type 1\nemitter_size 30 5\nemitter_angle 1.5707964\n", // turned a quarter
         [](const aParticle& p) { return std::fabs(p.x - 100) <= 5.01f && std::fabs(p.y - 100) <= 30.01f; }},
        {"emitter_type 2\nemitter_size 10 40\nemitter_angle 1.5707964\n", // a vertical line -10..40
         [](const aParticle& p) {
             return std::fabs(p.x - 100) < 1e-3f && p.y >= 89.99f && p.y <= 140.01f && p.originY == p.y;
         }},
    };
    a_srand(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shape);
        auto sys = make(std::string("emitter_life 0\nemit_per_sec 200\nmax_particles 200\n") + c.shape);
        sys->startAt(100, 100);
        ASSERT_EQ(sys->getLiveCount(), 200);
        for (const aParticle* p = sys->getFirstParticle(); p; p = p->next)
            ASSERT_TRUE(c.inside(*p)) << p->x << ", " << p->y;
    }
}
