#include "mirel/gfx/a_anim.h"

aAnim::aAnim() = default;

aAnim::aAnim(const aAnim& other)
    : aSprite(other), m_stopped(other.m_stopped), m_frameTime(other.m_frameTime), m_accum(other.m_accum),
      m_startFlags(other.m_startFlags), m_flags(other.m_flags) {
    setFrame(other.m_frame);
}

aAnim& aAnim::operator=(const aAnim& other) {
    if (this != &other) {
        aSprite::operator=(other);
        m_frameTime = other.m_frameTime;
        m_accum = other.m_accum;
        m_startFlags = other.m_startFlags;
        m_flags = other.m_flags;
        m_stopped = other.m_stopped;
        setFrame(other.m_frame);
    }
    return *this;
}

void aAnim::play() {
    m_accum = 0.0f;
    m_flags = m_startFlags;
    m_stopped = 0;
}

void aAnim::update(float dt) {
    if (m_stopped)
        return;
    m_accum += dt;
    // A frame time that is not above 0 would never leave the loop.
    if (!(m_frameTime > 0.0f))
        return;
    while (m_accum >= m_frameTime) {
        m_accum -= m_frameTime;
        if (!(m_flags & A_ANIM_REVERSE)) {
            if (isLastFrame() && m_ticksLeft == 1) {
                if (m_flags & A_ANIM_PINGPONG) {
                    m_flags |= A_ANIM_REVERSE;
                    if (!(m_flags & A_ANIM_LOOP))
                        m_flags &= ~A_ANIM_PINGPONG;
                    continue;
                }
                if (!(m_flags & A_ANIM_LOOP)) {
                    m_stopped = 1;
                    break;
                }
            }
            nextFrame();
        } else {
            if (isFirstFrame() && m_ticksLeft == 1) {
                if (m_flags & A_ANIM_PINGPONG) {
                    m_flags &= ~A_ANIM_REVERSE;
                    if (!(m_flags & A_ANIM_LOOP))
                        m_flags &= ~A_ANIM_PINGPONG;
                    continue;
                }
                if (!(m_flags & A_ANIM_LOOP)) {
                    m_stopped = 1;
                    break;
                }
            }
            prevFrame();
        }
    }
}
