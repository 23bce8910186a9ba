#include "mirel/gfx/a_particle.h"

#include "mirel/base/a_log.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr float kPi = 3.14159265f;
constexpr uint32_t kVertexCount = aParticleSystem::MAX_LIVE * 4;
constexpr uint32_t kIndexCount = aParticleSystem::MAX_LIVE * 6;
// One update never runs more steps than this; a larger backlog is dropped so
// that a huge frame time or step rate cannot stall the caller.
constexpr int kMaxStepsPerUpdate = 10000;

// The vertex and index buffers every particle system draws through.
struct SharedBuffers {
    int users = 0;
    aVertexBuffer* vertices = nullptr;
    aIndexBuffer* indices = nullptr;
    const aDevice* triedOn = nullptr; // the device of the last creation attempt
};
SharedBuffers g_shared;

aDevice* currentDevice() {
    aGraphServer* server = aImage::getGraphServer();
    return server ? server->getDevice() : nullptr;
}

void releaseShared() {
    if (g_shared.vertices)
        g_shared.vertices->release();
    if (g_shared.indices)
        g_shared.indices->release();
    g_shared.vertices = nullptr;
    g_shared.indices = nullptr;
    g_shared.triedOn = nullptr;
}

// Creates the shared buffers on the current device when they are missing and
// this device has not been tried yet.
void createShared() {
    aDevice* device = currentDevice();
    if (!device || (g_shared.vertices && g_shared.indices) || g_shared.triedOn == device)
        return;
    releaseShared();
    g_shared.triedOn = device;

    int32_t rc = device->createVertexBuffer(kVertexCount * sizeof(aVertex), A_USAGE_WRITEONLY, A_FVF_TLVERTEX,
                                            A_POOL_MANAGED, &g_shared.vertices);
    if (rc != A_OK) {
        a_log("aParticleSystem. Vertex buffer creation failed (%s)", a_deviceErrorText(rc));
        g_shared.vertices = nullptr;
    } else {
        void* data = nullptr;
        rc = g_shared.vertices->lock(0, 0, &data, 0);
        if (rc != A_OK) {
            a_log("aParticleSystem. Vertex buffer lock failed (%s)", a_deviceErrorText(rc));
        } else {
            aVertex* v = static_cast<aVertex*>(data);
            for (uint32_t i = 0; i < kVertexCount; ++i)
                v[i] = aVertex{0.0f, 0.0f, 0.0f, 1.0f, 0u, 0.0f, 0.0f};
            rc = g_shared.vertices->unlock();
            if (rc != A_OK)
                a_log("aParticleSystem. Vertex buffer unlock failed (%s)", a_deviceErrorText(rc));
        }
    }

    rc = device->createIndexBuffer(kIndexCount * sizeof(uint16_t), A_USAGE_WRITEONLY, A_FMT_INDEX16,
                                   A_POOL_MANAGED, &g_shared.indices);
    if (rc != A_OK) {
        a_log("aParticleSystem. Index buffer creation failed (%s)", a_deviceErrorText(rc));
        g_shared.indices = nullptr;
        return;
    }
    void* data = nullptr;
    rc = g_shared.indices->lock(0, 0, &data, 0);
    if (rc != A_OK) {
        a_log("aParticleSystem. Index buffer lock failed (%s)", a_deviceErrorText(rc));
        return;
    }
    uint16_t* idx = static_cast<uint16_t*>(data);
    for (uint32_t q = 0; q < uint32_t(aParticleSystem::MAX_LIVE); ++q) {
        const uint16_t b = uint16_t(q * 4);
        const uint16_t tri[6] = {
            b, uint16_t(b + 1), uint16_t(b + 2), uint16_t(b + 1), uint16_t(b + 2), uint16_t(b + 3)};
        std::memcpy(idx + q * 6, tri, sizeof(tri));
    }
    rc = g_shared.indices->unlock();
    if (rc != A_OK)
        a_log("aParticleSystem. Index buffer unlock failed (%s)", a_deviceErrorText(rc));
}

void acquireShared() {
    ++g_shared.users;
    createShared();
}

void dropShared() {
    if (--g_shared.users <= 0) {
        g_shared.users = 0;
        releaseShared();
    }
}

inline float rnd(float a, float b) {
    return a + float(a_rand()) * (b - a) / 32767.0f;
}

inline uint32_t channelByte(float v) {
    if (v >= 1.0f)
        return 255u;
    if (!(v > 0.0f))
        return 0u;
    return uint32_t(v * 255.0f + 0.5f);
}

inline int16_t clampShort(float v) {
    if (!(v > -32768.0f))
        return v == v ? int16_t(-32768) : int16_t(0);
    if (v > 32767.0f)
        return 32767;
    return int16_t(v);
}

} // namespace

// ---- aParticleSystem ----------------------------------------------------------

aParticleSystem::aParticleSystem(const std::string& file) {
    acquireShared();
    a_readParticleFile(file, m_params);
}

aParticleSystem::aParticleSystem(const aParticleSystem& other)
    : m_params(other.m_params), m_lines(other.m_lines), m_forces(other.m_forces), m_useBox(other.m_useBox),
      m_image(other.m_image), m_rect(other.m_rect), m_u0(other.m_u0), m_v0(other.m_v0), m_u1(other.m_u1),
      m_v1(other.m_v1), m_stoppedCallback(other.m_stoppedCallback), m_stoppedUser(other.m_stoppedUser),
      m_emittedCallback(other.m_emittedCallback), m_emittedUser(other.m_emittedUser),
      m_diedCallback(other.m_diedCallback), m_diedUser(other.m_diedUser) {
    acquireShared();
}

aParticleSystem::~aParticleSystem() {
    dropShared();
}

void aParticleSystem::setImage(const aImage* image, const aRect* rect) {
    if (!image) {
        m_image = aImage();
        m_rect = aRect();
        m_u0 = m_v0 = m_u1 = m_v1 = 0.0f;
        return;
    }
    m_image = *image;
    m_rect = rect ? *rect
                  : aRect(0, 0, int16_t(std::min<uint32_t>(m_image.getWidth(), 32767)),
                          int16_t(std::min<uint32_t>(m_image.getHeight(), 32767)));
    const float tw = float(m_image.getTextureWidth()), th = float(m_image.getTextureHeight());
    if (tw > 0.0f && th > 0.0f) {
        m_u0 = float(m_rect.x) / tw;
        m_v0 = float(m_rect.y) / th;
        m_u1 = float(m_rect.x + m_rect.width) / tw;
        m_v1 = float(m_rect.y + m_rect.height) / th;
    } else {
        m_u0 = m_v0 = m_u1 = m_v1 = 0.0f;
    }
}

void aParticleSystem::resetParticles() {
    while (m_live) {
        aParticle* p = m_live;
        m_live = p->next;
        p->next = m_free;
        m_free = p;
    }
    m_liveCount = 0;
}

void aParticleSystem::reset() {
    if (m_inUpdate) { // a callback: the live list is being walked
        m_resetPending = true;
        m_active = false;
        return;
    }
    resetParticles();
    m_box = aRect();
    m_clock = 0.0f;
    m_accumulator = 0.0f;
    m_active = false;
    m_motion.mode = MOTION_NONE;
}

void aParticleSystem::start() {
    if (m_params.emitterLife == 0.0f) {
        emit(double(m_params.emitPerSec));
    } else if (!m_active) {
        m_active = true;
        m_lastEmission = m_startTime = m_clock;
    }
}

void aParticleSystem::startAt(float x, float y) {
    m_prevX = m_curX = x;
    m_prevY = m_curY = y;
    start();
}

void aParticleSystem::stop() {
    if (!m_active)
        return;
    if (m_stoppedCallback)
        m_stoppedCallback(this, m_stoppedUser);
    m_active = false;
}

void aParticleSystem::moveTo(float x, float y) {
    m_prevX = m_curX;
    m_prevY = m_curY;
    m_curX = x;
    m_curY = y;
    m_motion.mode = MOTION_NONE;
}

void aParticleSystem::shiftTo(float x, float y) {
    const float dx = x - m_curX, dy = y - m_curY;
    for (aParticle* p = m_live; p; p = p->next) {
        p->x += dx;
        p->y += dy;
        p->originX += dx;
        p->originY += dy;
    }
    m_prevX = m_curX;
    m_prevY = m_curY;
    m_curX = x;
    m_curY = y;
}

void aParticleSystem::addCollisionLine(const aParticleCollisionLine& line) {
    m_lines.push_back(std::make_shared<aParticleCollisionLine>(line));
}

void aParticleSystem::addForceRect(const aParticleForceRect& rect) {
    m_forces.push_back(std::make_shared<aParticleForceRect>(rect));
}

void aParticleSystem::setEmitterMotion(int mode, float duration, float vx, float vy, float ax, float ay,
                                       bool stopAtEnd) {
    m_motion.mode = mode;
    m_motion.duration = duration;
    m_motion.startTime = m_clock;
    m_motion.startX = m_curX;
    m_motion.startY = m_curY;
    m_motion.vx = vx;
    m_motion.vy = vy;
    m_motion.ax = ax;
    m_motion.ay = ay;
    m_motion.stopAtEnd = stopAtEnd;
}

void aParticleSystem::emit(double count) {
    const int limit = std::min(m_params.maxParticles, MAX_LIVE);
    const float rel = m_params.spreadRelative ? std::atan2(m_curY - m_prevY, m_curX - m_prevX) + kPi : 0.0f;
    float c = 1.0f, s = 0.0f;
    if (m_params.emitterType == 1 || m_params.emitterType == 2) {
        c = std::cos(m_params.emitterAngle);
        s = std::sin(m_params.emitterAngle);
    }
    const aParticleParams& P = m_params;
    for (double i = 0; i < count && m_liveCount < limit; i += 1.0) {
        aParticle* p = m_free;
        if (p) {
            m_free = p->next;
        } else {
            m_pool.emplace_back();
            p = &m_pool.back();
        }
        p->next = m_live;
        m_live = p;

        p->birth = m_clock;
        p->life = rnd(P.lifeMin, P.lifeMax);
        p->radial = rnd(P.radialMin, P.radialMax);
        p->tangential = rnd(P.tangentialMin, P.tangentialMax);
        p->wind = rnd(P.windMin, P.windMax);
        p->gravity = rnd(P.gravityMin, P.gravityMax);
        // A particle whose life is over dies on the next step before it
        // changes, so its rates do not matter; they stay finite.
        const float perLife = p->life > 0.0f ? 1.0f / p->life : 0.0f;

        p->size = P.sizeStart + (P.sizeEnd - P.sizeStart) * rnd(0.0f, P.sizeVar);
        p->sizeRate = (P.sizeEnd - p->size) * perLife;

        const float cf = rnd(0.0f, P.colorVar);
        p->r = P.colorStart[0] + (P.colorEnd[0] - P.colorStart[0]) * cf;
        p->g = P.colorStart[1] + (P.colorEnd[1] - P.colorStart[1]) * cf;
        p->b = P.colorStart[2] + (P.colorEnd[2] - P.colorStart[2]) * cf;
        p->a = P.colorStart[3] + (P.colorEnd[3] - P.colorStart[3]) * rnd(0.0f, P.alphaVar);
        p->dr = (P.colorEnd[0] - p->r) * perLife;
        p->dg = (P.colorEnd[1] - p->g) * perLife;
        p->db = (P.colorEnd[2] - p->b) * perLife;
        p->da = (P.colorEnd[3] - p->a) * perLife;

        const float angle = rnd(P.spreadMin, P.spreadMax) + rel;
        p->dirX = std::cos(angle);
        p->dirY = std::sin(angle);
        const float speed = rnd(P.velocityMin, P.velocityMax);
        p->velX = speed * p->dirX;
        p->velY = speed * p->dirY;

        p->spinByDir = P.spinByDir ? 1 : 0;
        if (p->spinByDir)
            p->angle = std::atan2(p->dirY, p->dirX);
        else
            p->angle = P.spinStart + (P.spinEnd - P.spinStart) * rnd(0.0f, P.spinVar);
        p->spinRate = (P.spinEnd - p->angle) * perLife;

        switch (P.emitterType) {
        case 1: {
            const float u = rnd(-P.emitterSizeX, P.emitterSizeX);
            const float w = rnd(-P.emitterSizeY, P.emitterSizeY);
            p->x = m_curX - c * u + s * w;
            p->y = m_curY - u * s - w * c;
            p->originX = p->x;
            p->originY = p->y;
            break;
        }
        case 2: {
            const float u = rnd(-P.emitterSizeX, P.emitterSizeY);
            p->x = m_curX + u * c;
            p->y = m_curY + u * s;
            p->originX = p->x;
            p->originY = p->y;
            break;
        }
        default: {
            const float u = rnd(P.emitterSizeX, P.emitterSizeY);
            p->x = m_curX + u * p->dirX;
            p->y = m_curY + u * p->dirY;
            p->originX = m_curX;
            p->originY = m_curY;
            break;
        }
        }
        ++m_liveCount;
        if (m_emittedCallback)
            m_emittedCallback(this, p, m_emittedUser);
    }
}

void aParticleSystem::update(float dt) {
    if (m_params.fps <= 0) {
        m_accumulator = 0.0f;
        return;
    }
    if (!std::isfinite(dt) || dt <= 0.0f)
        return;
    const float t = 1.0f / float(m_params.fps);
    m_accumulator += dt;
    m_inUpdate = true;
    int steps = 0;
    while (m_accumulator >= t) {
        if (++steps > kMaxStepsPerUpdate) {
            m_accumulator = 0.0f;
            break;
        }
        m_clock += t;
        step(t);
        m_accumulator -= t;
        if (m_resetPending)
            break;
    }
    m_inUpdate = false;
    if (m_resetPending) {
        m_resetPending = false;
        reset();
    }
}

void aParticleSystem::step(float t) {
    float minX = 0.0f, minY = 0.0f, maxX = 0.0f, maxY = 0.0f;
    bool boxStarted = false;

    aParticle** link = &m_live;
    while (aParticle* p = *link) {
        if (m_clock - p->birth >= p->life) {
            if (m_diedCallback) {
                m_diedCallback(this, p, m_diedUser);
                if (m_resetPending)
                    return;
            }
            // The callback may have emitted into the head of the list: find
            // the link again before unlinking.
            while (*link != p)
                link = &(*link)->next;
            *link = p->next;
            p->next = m_free;
            m_free = p;
            --m_liveCount;
            continue;
        }
        p->velX += p->radial * t * p->dirX;
        p->velY += p->radial * t * p->dirY;
        p->velX += p->tangential * t * -p->dirY;
        p->velY += p->tangential * t * p->dirX;
        p->velX += p->wind * t;
        p->velY += p->gravity * t;

        p->r += p->dr * t;
        p->g += p->dg * t;
        p->b += p->db * t;
        p->a += p->da * t;
        p->size += p->sizeRate * t;

        for (const auto& f : m_forces) {
            if (p->x >= f->x1 && p->x <= f->x2 && p->y >= f->y1 && p->y <= f->y2) {
                p->velX += f->fx * t;
                p->velY += f->fy * t;
            }
        }

        const float oldX = p->x, oldY = p->y;
        p->x += p->velX * t;
        p->y += p->velY * t;

        for (const auto& l : m_lines) {
            if (l->nx * (l->x - p->x) + l->ny * (l->y - p->y) <= 0.001f)
                continue;
            switch (l->kind) {
            case aParticleCollisionLine::BOUNCE: {
                const float d = l->nx * p->velX + l->ny * p->velY;
                const float vnx = d * l->nx, vny = d * l->ny;
                p->velX = (p->velX - vnx) - l->bounce * vnx;
                p->velY = (p->velY - vny) - l->bounce * vny;
                p->x = p->originX = oldX;
                p->y = p->originY = oldY;
                break;
            }
            case aParticleCollisionLine::KILL:
                p->birth -= p->life;
                break;
            case aParticleCollisionLine::STOP:
                p->velX = p->velY = 0.0f;
                p->radial = p->tangential = 0.0f;
                p->x = oldX;
                p->y = oldY;
                break;
            default:
                break;
            }
        }

        const float ddx = p->x - p->originX, ddy = p->y - p->originY;
        const float d = std::sqrt(ddx * ddx + ddy * ddy);
        if (d != 0.0f) {
            p->dirX = ddx / d;
            p->dirY = ddy / d;
        }
        if (p->spinByDir)
            p->angle = std::atan2(p->dirY, p->dirX);
        else
            p->angle += p->spinRate * t;

        if (m_useBox) {
            if (!boxStarted) {
                minX = maxX = p->x;
                minY = maxY = p->y;
                boxStarted = true;
            } else {
                minX = std::min(minX, p->x);
                maxX = std::max(maxX, p->x);
                minY = std::min(minY, p->y);
                maxY = std::max(maxY, p->y);
            }
        }
        link = &p->next;
    }

    if (m_useBox && m_live && boxStarted) {
        const float bx = std::floor(minX), by = std::floor(minY);
        m_box = aRect(clampShort(bx), clampShort(by), clampShort(maxX - bx), clampShort(maxY - by));
    } else {
        m_box = aRect();
    }

    if (m_active && m_params.emitterLife != 0.0f) {
        if (m_params.emitPerSec == 0) {
            m_lastEmission = m_clock;
        } else {
            const double eps = double(m_params.emitPerSec);
            const double n = std::trunc(eps * double(m_clock - m_lastEmission));
            m_lastEmission += float(n / eps);
            emit(n);
            if (m_resetPending)
                return;
        }
        if (m_params.emitterLife > 0.0f && m_clock - m_startTime >= m_params.emitterLife)
            stop();
    }
    runMotion();
}

void aParticleSystem::runMotion() {
    switch (m_motion.mode) {
    case MOTION_SHIFT:
    case MOTION_MOVE: {
        const float tau = std::min(m_clock - m_motion.startTime, m_motion.duration);
        const float px = m_motion.startX + m_motion.vx * tau + 0.5f * m_motion.ax * tau * tau;
        const float py = m_motion.startY + m_motion.vy * tau + 0.5f * m_motion.ay * tau * tau;
        if (m_motion.mode == MOTION_MOVE) {
            m_prevX = m_curX;
            m_prevY = m_curY;
            m_curX = px;
            m_curY = py;
        } else {
            shiftTo(px, py);
        }
        if (tau < m_motion.duration)
            return;
        if (m_motion.stopAtEnd)
            stop();
        m_motion.mode = MOTION_NONE;
        break;
    }
    case MOTION_WAIT:
    case MOTION_WAIT2:
        if (m_clock - m_motion.startTime < m_motion.duration)
            return;
        if (m_motion.stopAtEnd)
            stop();
        m_motion.mode = MOTION_NONE;
        break;
    default:
        m_prevX = m_curX;
        m_prevY = m_curY;
        break;
    }
}

void aParticleSystem::render() {
    if (!m_image.hasTexture() || !m_live)
        return;
    aGraphServer* server = aImage::getGraphServer();
    aDevice* device = server ? server->getDevice() : nullptr;
    if (!device)
        return;
    createShared();
    if (!g_shared.vertices || !g_shared.indices)
        return;

    const uint32_t count = uint32_t(std::min(m_liveCount, MAX_LIVE));
    void* data = nullptr;
    int32_t rc = g_shared.vertices->lock(0, count * 4 * sizeof(aVertex), &data, A_LOCK_DISCARD);
    if (rc != A_OK) {
        a_log("aParticleSystem. Vertex buffer lock failed on render (%s)", a_deviceErrorText(rc));
        return;
    }
    aVertex* v = static_cast<aVertex*>(data);
    const float hw = float(m_rect.width) * 0.5f, hh = float(m_rect.height) * 0.5f;
    const float lx[4] = {-hw, hw, -hw, hw};
    const float ly[4] = {-hh, -hh, hh, hh};
    const float us[4] = {m_u0, m_u1, m_u0, m_u1};
    const float vs[4] = {m_v0, m_v0, m_v1, m_v1};
    uint32_t written = 0;
    for (const aParticle* p = m_live; p && written < count; p = p->next, ++written) {
        const float c = std::cos(p->angle) * p->size, s = std::sin(p->angle) * p->size;
        const uint32_t colour = (channelByte(p->a) << 24) | (channelByte(p->r) << 16) |
                                (channelByte(p->g) << 8) | channelByte(p->b);
        for (int k = 0; k < 4; ++k, ++v) {
            v->x = p->x + lx[k] * c - ly[k] * s;
            v->y = p->y + lx[k] * s + ly[k] * c;
            v->z = 0.0f;
            v->rhw = 1.0f;
            v->diffuse = colour;
            v->u = us[k];
            v->v = vs[k];
        }
    }
    rc = g_shared.vertices->unlock();
    if (rc != A_OK) {
        a_log("aParticleSystem. Vertex buffer unlock failed (%s)", a_deviceErrorText(rc));
        return;
    }

    const int32_t oldBlend = server->getBlendMode();
    server->setBlendMode(m_params.blendMode);
    device->setVertexShader(A_FVF_TLVERTEX);
    device->setStreamSource(0, g_shared.vertices, sizeof(aVertex));
    device->setIndices(g_shared.indices, 0);
    device->setTexture(0, m_image.getTexture());
    rc = device->drawIndexedPrimitive(A_PT_TRIANGLELIST, 0, written * 4, 0, written * 2);
    if (rc != A_OK)
        a_log("aParticleSystem. Render error (%s)", a_deviceErrorText(rc));
    server->setBlendMode(oldBlend);
}

// ---- aParticlesManager --------------------------------------------------------

namespace {

bool readRect(const std::string& text, aRect& out) {
    int v[4];
    const char* p = text.c_str();
    for (int& x : v) {
        char* end = nullptr;
        const long n = std::strtol(p, &end, 10);
        if (end == p || n < -32768 || n > 32767)
            return false;
        x = int(n);
        p = end;
    }
    out = aRect(int16_t(v[0]), int16_t(v[1]), int16_t(v[2]), int16_t(v[3]));
    return true;
}

} // namespace

aParticlesManager::aParticlesManager(const std::string& config, const std::string& directory,
                                     aImageManager* images)
    : m_images(images), m_directory(directory) {
    loadConfig(config);
}

aParticlesManager::~aParticlesManager() {
    m_instances.clear();
    m_templates.clear();
}

void aParticlesManager::loadConfig(const std::string& config) {
    aOptionsFile options(config);
    for (const std::string& name : options.getSectionNames()) {
        if (m_templates.count(name) || !options.setSection(name))
            continue; // a repeated section: the first one counts
        auto system = std::make_unique<aParticleSystem>(m_directory + options.getString("System"));
        aRect rect;
        bool hasRect = false;
        if (options.hasKey("Rect")) {
            hasRect = readRect(options.getString("Rect"), rect);
            if (!hasRect)
                a_log("aParticlesManager. Bad rectangle \"%s\" of system \"%s\", the whole image is used",
                      options.getString("Rect").c_str(), name.c_str());
        }
        const std::string imageName = options.getString("Image");
        aImage* image = m_images && !imageName.empty() ? m_images->getImage(imageName) : nullptr;
        if (image)
            system->setImage(image, hasRect ? &rect : nullptr);
        m_templates[name] = std::move(system);
    }
}

aParticleSystem* aParticlesManager::Add(const std::string& name, const float* position, uint32_t id,
                                        bool removeWhenDone, bool startNow) {
    auto it = m_templates.find(name);
    if (it == m_templates.end()) {
        a_log("aParticlesManager::Add() - system template '%s' not found!", name.c_str());
        return nullptr;
    }
    auto instance = std::make_unique<Instance>();
    instance->system = std::make_unique<aParticleSystem>(*it->second);
    instance->removeWhenDone = removeWhenDone ? 1 : 0;
    instance->id = id;
    aParticleSystem* system = instance->system.get();
    system->reset();
    const float x = position ? position[0] : 0.0f, y = position ? position[1] : 0.0f;
    if (startNow)
        system->startAt(x, y);
    else
        system->moveTo(x, y);
    m_instances.push_back(std::move(instance));
    return system;
}

void aParticlesManager::remove(aParticleSystem* system) {
    for (size_t i = 0; i < m_instances.size(); ++i) {
        Instance& in = *m_instances[i];
        if (in.system.get() != system || in.removed)
            continue;
        if (m_updating) {
            in.removed = true;
        } else {
            m_instances.erase(m_instances.begin() + std::ptrdiff_t(i));
        }
        return;
    }
}

void aParticlesManager::attach(aParticleSystem* system, const float* x, const float* y, float offsetX,
                               float offsetY) {
    for (auto& in : m_instances) {
        if (in->system.get() == system && !in->removed) {
            in->attached = x && y ? 1 : 0;
            in->followX = x;
            in->followY = y;
            in->offsetX = offsetX;
            in->offsetY = offsetY;
            return;
        }
    }
}

void aParticlesManager::update(float dt, std::initializer_list<int> ids) {
    ++m_updating;
    for (int id : ids) {
        if (id == -1)
            break;
        // By index: a callback may append instances while this runs.
        for (size_t i = 0; i < m_instances.size(); ++i) {
            Instance* in = m_instances[i].get();
            if (in->removed || in->id != uint32_t(id))
                continue;
            aParticleSystem* system = in->system.get();
            if (system->isAlive()) {
                in->hasRun = true;
                if (in->attached)
                    system->moveTo(*in->followX + in->offsetX, *in->followY + in->offsetY);
                system->update(dt);
            }
            // An instance placed but not started yet is not finished.
            if (in->hasRun && !system->isAlive() && in->removeWhenDone)
                in->removed = true;
        }
    }
    if (--m_updating == 0)
        purge();
}

void aParticlesManager::purge() {
    m_instances.erase(std::remove_if(m_instances.begin(), m_instances.end(),
                                     [](const std::unique_ptr<Instance>& in) { return in->removed; }),
                      m_instances.end());
}

void aParticlesManager::render(std::initializer_list<int> ids) {
    for (int id : ids) {
        if (id == -1)
            break;
        for (size_t i = 0; i < m_instances.size(); ++i) {
            Instance* in = m_instances[i].get();
            if (!in->removed && in->id == uint32_t(id))
                in->system->render();
        }
    }
}

const aParticleSystem* aParticlesManager::getTemplate(const std::string& name) const {
    auto it = m_templates.find(name);
    return it == m_templates.end() ? nullptr : it->second.get();
}

size_t aParticlesManager::getInstanceCount() const {
    return size_t(std::count_if(m_instances.begin(), m_instances.end(),
                                [](const std::unique_ptr<Instance>& in) { return !in->removed; }));
}
