#pragma once
// aParticleSystem: a 2D particle emitter. It emits textured quads from a
// point, a rotated rectangle or a line, moves them with their own velocity
// under radial, tangential, wind and gravity accelerations, blends colour,
// size and rotation from start to end over their life, and draws them all in
// one indexed draw call through vertex and index buffers that every system
// shares. Its parameters come from a particle file (a_particlefile.h).
//
// aParticlesManager keeps the templates of a particle configuration file,
// starts copies of them by name as instances tagged with an id (the layer),
// updates and draws the instances of given ids and removes finished ones.

#include "mirel/base/a_rect.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_particlefile.h"

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

class aImageManager;

// One particle (pooled: spent particles wait on the free list for reuse).
struct aParticle {
    float birth = 0.0f; // the system clock at emission
    float life = 0.0f;  // seconds
    float originX = 0.0f, originY = 0.0f;
    float dirX = 0.0f, dirY = 0.0f; // unit: the emission direction, then origin -> position
    float wind = 0.0f, gravity = 0.0f, tangential = 0.0f, radial = 0.0f;
    uint8_t spinByDir = 0;
    float dr = 0.0f, dg = 0.0f, db = 0.0f, da = 0.0f; // colour change per second
    float spinRate = 0.0f;                            // radians per second
    float sizeRate = 0.0f;
    float velX = 0.0f, velY = 0.0f;
    float x = 0.0f, y = 0.0f;
    float r = 1.0f, g = 1.0f, b = 1.0f, a = 1.0f; // 0..1
    float angle = 0.0f;                           // radians
    float size = 1.0f;                            // scale of the image rectangle
    aParticle* next = nullptr;                    // the live list or the free list
};

// A line particles may not cross: those that do bounce, die or stop.
struct aParticleCollisionLine {
    enum Kind { BOUNCE = 0, KILL = 1, STOP = 2 };
    float x = 0.0f, y = 0.0f;   // a point of the line
    float nx = 0.0f, ny = 0.0f; // the normal, pointing to the free side
    int kind = BOUNCE;
    float bounce = 1.0f; // share of the normal speed kept by a bounce
};

// A rectangle (edges included) that pushes the particles inside it.
struct aParticleForceRect {
    float x1 = 0.0f, y1 = 0.0f, x2 = 0.0f, y2 = 0.0f;
    float fx = 0.0f, fy = 0.0f;
};

class aParticleSystem {
public:
    // The most particles any system has alive (the size of the shared buffers).
    static constexpr int MAX_LIVE = 1000;
    // The most work one update does: a particle moved by one step counts 1,
    // and 1 more for each collision line and force rectangle it meets. A
    // larger backlog of steps (a huge frame time or step rate) is dropped.
    // It lets 1000 particles take 200 steps (a step rate of 1000 over a frame
    // of 0.2 s); the game's systems take a few thousand.
    static constexpr int64_t MAX_WORK_PER_UPDATE = 200000;

    using StoppedCallback = void (*)(aParticleSystem* system, void* user);
    using ParticleCallback = void (*)(aParticleSystem* system, aParticle* particle, void* user);

    // Emitter motion modes: 1 and 3 move the emitter on a ballistic path (1
    // carries the live particles along, 3 leaves them), 2 and 4 only wait.
    enum MotionMode { MOTION_NONE = 0, MOTION_SHIFT = 1, MOTION_WAIT = 2, MOTION_MOVE = 3, MOTION_WAIT2 = 4 };

    // The defaults, then the particle file (through the file server).
    explicit aParticleSystem(const std::string& file);
    // A copy of a template: its parameters, bounding-box flag, image and
    // rectangle and callbacks, with no particles. Collision lines and force
    // rectangles are shared with the template.
    aParticleSystem(const aParticleSystem& other);
    aParticleSystem& operator=(const aParticleSystem&) = delete;
    ~aParticleSystem();

    // A copy of the image; the rectangle (null: the whole image) is the part
    // each particle shows.
    void setImage(const aImage* image, const aRect* rect = nullptr);
    const aImage& getImage() const { return m_image; }
    const aRect& getImageRect() const { return m_rect; }

    void setParticleCallback(ParticleCallback callback, void* user) { // a particle died
        m_diedCallback = callback;
        m_diedUser = user;
    }
    void setEmittedCallback(ParticleCallback callback, void* user) {
        m_emittedCallback = callback;
        m_emittedUser = user;
    }
    void setStoppedCallback(StoppedCallback callback, void* user) {
        m_stoppedCallback = callback;
        m_stoppedUser = user;
    }

    void reset();
    void start();
    void startAt(float x, float y);
    void stop();
    void moveTo(float x, float y);
    void shiftTo(float x, float y);

    void update(float dt);
    void render();

    // Emitting, or any particle still alive.
    bool isAlive() const { return m_active || m_liveCount > 0; }
    bool isActive() const { return m_active; }
    int getLiveCount() const { return m_liveCount; }
    // The head of the live list (newest first), null when none lives.
    aParticle* getFirstParticle() const { return m_live; }

    float getX() const { return m_curX; }
    float getY() const { return m_curY; }
    float getClock() const { return m_clock; }

    const aParticleParams& getParams() const { return m_params; }
    int getFps() const { return m_params.fps; }
    void getSpread(float& min, float& max) const {
        min = m_params.spreadMin;
        max = m_params.spreadMax;
    }
    void setSpread(float min, float max) {
        m_params.spreadMin = min;
        m_params.spreadMax = max;
    }
    void getEmitterSize(float& x, float& y) const {
        x = m_params.emitterSizeX;
        y = m_params.emitterSizeY;
    }
    void setEmitterSize(float x, float y) {
        m_params.emitterSizeX = x;
        m_params.emitterSizeY = y;
    }

    // Collision lines and force rectangles.
    void addCollisionLine(const aParticleCollisionLine& line);
    void addForceRect(const aParticleForceRect& rect);
    void clearCollisionLines() { m_lines.clear(); }
    void clearForceRects() { m_forces.clear(); }

    // The bounding box of the live particles, gathered on every step while on.
    void setBoundingBoxEnabled(bool on) { m_useBox = on; }
    const aRect& getBoundingBox() const { return m_box; }

    // Starts an emitter motion from the current position at the current clock.
    void setEmitterMotion(int mode, float duration, float vx, float vy, float ax, float ay, bool stopAtEnd);
    int getMotionMode() const { return m_motion.mode; }

private:
    struct Motion {
        int mode = MOTION_NONE;
        float duration = 0.0f;
        float startTime = 0.0f;
        float startX = 0.0f, startY = 0.0f;
        float vx = 0.0f, vy = 0.0f, ax = 0.0f, ay = 0.0f;
        bool stopAtEnd = false;
    };

    void emit(double count);
    void step(float t);
    void runMotion();
    void resetParticles();

    aParticleParams m_params;
    aParticle* m_live = nullptr;
    aParticle* m_free = nullptr;
    int m_liveCount = 0;
    std::deque<aParticle> m_pool; // every particle this system ever made
    std::vector<std::shared_ptr<aParticleCollisionLine>> m_lines;
    std::vector<std::shared_ptr<aParticleForceRect>> m_forces;

    float m_clock = 0.0f;
    float m_lastEmission = 0.0f;
    float m_startTime = 0.0f;
    float m_accumulator = 0.0f;
    bool m_active = false;
    bool m_useBox = false;
    aRect m_box;
    float m_prevX = 0.0f, m_prevY = 0.0f;
    float m_curX = 0.0f, m_curY = 0.0f;
    Motion m_motion;

    aImage m_image;
    aRect m_rect;
    float m_u0 = 0.0f, m_v0 = 0.0f, m_u1 = 0.0f, m_v1 = 0.0f;

    StoppedCallback m_stoppedCallback = nullptr;
    void* m_stoppedUser = nullptr;
    ParticleCallback m_emittedCallback = nullptr;
    void* m_emittedUser = nullptr;
    ParticleCallback m_diedCallback = nullptr;
    void* m_diedUser = nullptr;

    bool m_inUpdate = false;     // callbacks run inside update
    bool m_resetPending = false; // reset asked for by a callback
};

class aParticlesManager {
public:
    // One template per section of the configuration: "System" = the particle
    // file (directory + value), "Rect" (optional) = x y width height of the
    // image part, "Image" = the image's name in the image manager.
    aParticlesManager(const std::string& config, const std::string& directory, aImageManager* images);
    ~aParticlesManager();
    aParticlesManager(const aParticlesManager&) = delete;
    aParticlesManager& operator=(const aParticlesManager&) = delete;

    // Starts a copy of the named template at the position (null: 0, 0) as an
    // instance with the id; null (logged) for an unknown name. Safe to call
    // from a particle callback during update.
    aParticleSystem* Add(const std::string& name, const float* position, uint32_t id, bool removeWhenDone,
                         bool startNow);
    // Destroys the instance of the system (during update: once the update ends).
    void remove(aParticleSystem* system);
    // Makes an instance follow (*x + offsetX, *y + offsetY) while it updates.
    void attach(aParticleSystem* system, const float* x, const float* y, float offsetX = 0.0f,
                float offsetY = 0.0f);

    // The instances of each id in turn; the list of ids ends with -1.
    void update(float dt, std::initializer_list<int> ids);
    void render(std::initializer_list<int> ids);
    template <class... Ids> void update(float dt, Ids... ids) { update(dt, {int(ids)...}); }
    template <class... Ids> void render(Ids... ids) { render({int(ids)...}); }

    const aParticleSystem* getTemplate(const std::string& name) const;
    size_t getTemplateCount() const { return m_templates.size(); }
    size_t getInstanceCount() const;

private:
    struct Instance {
        std::unique_ptr<aParticleSystem> system;
        uint8_t removeWhenDone = 0;
        uint8_t attached = 0;
        uint32_t id = 0;
        const float* followX = nullptr;
        const float* followY = nullptr;
        float offsetX = 0.0f, offsetY = 0.0f;
        bool hasRun = false;  // seen alive: only a system that ran can be finished
        bool removed = false; // removed during update; erased when it ends
    };

    void loadConfig(const std::string& config);
    void purge();

    std::map<std::string, std::unique_ptr<aParticleSystem>> m_templates;
    std::vector<std::unique_ptr<Instance>> m_instances;
    aImageManager* m_images;
    std::string m_directory;
    int m_updating = 0;
};
