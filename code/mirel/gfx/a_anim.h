#pragma once
// aAnim: a sprite played over time. Each update adds the elapsed seconds and
// moves one tick per frame time; the flags choose looping, reverse and
// ping-pong play. A new animation is stopped until play.

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_sprite.h"

#include <cstdint>

enum : uint32_t { A_ANIM_LOOP = 1, A_ANIM_REVERSE = 2, A_ANIM_PINGPONG = 4 };

class aAnim : public aSprite {
public:
    aAnim();
    aAnim(const aAnim& other);
    aAnim& operator=(const aAnim& other);
    ~aAnim() override = default;

    void play();
    void update(float dt);

    void setFrameTime(float t) {
        A_ASSERT(t > 0);
        m_frameTime = t;
    }
    float getFrameTime() const { return m_frameTime; }
    float getAccumulator() const { return m_accum; }

    void setStartFlags(uint32_t flags) { m_startFlags = flags; }
    uint32_t getStartFlags() const { return m_startFlags; }
    uint32_t getFlags() const { return m_flags; }
    void setStopped(bool stopped) { m_stopped = stopped ? 1u : 0u; }
    bool isStopped() const { return m_stopped != 0; }

private:
    uint32_t m_stopped = 1;
    float m_frameTime = 0.025f;
    float m_accum = 0.0f;
    uint32_t m_startFlags = A_ANIM_LOOP;
    uint32_t m_flags = 0;
};
