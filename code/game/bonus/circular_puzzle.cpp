#include "game/bonus/circular_puzzle.h"

#include "game/bonus/bonus_round_factory.h"
#include "game/bonus/bonus_values.h"
#include "mirel/base/a_format.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_math.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_image.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace {

[[maybe_unused]] const bool g_registered =
    BonusRoundFactory::Instance().Register<CircularPuzzle>("CircularPuzzle");

constexpr float kOneDegree = 0.017453292f;
constexpr float kHintSpeed = 1.0471976f; // pi / 3 a second more than the distance left

} // namespace

CircularPuzzle::CircularPuzzle(const aOptionsFile& options, GameServices* game)
    : BonusRound(kPuzzleName, options, game) {
    m_soundRotateStart = GetSound("circular_rotate_start");
    m_soundRotateEnd = GetSound("circular_rotate_end");
    m_soundRotating = GetSound("circular_rotating");
    m_soundLock = GetSound("circular_lock");
    m_soundOpen = GetSound("circular_open");
    m_background = GetImage("background");
    m_backgroundOpen = GetImage("background_open");
    m_overlay = GetImage("overlay");

    int32_t count = bonusvalues::ParseInt(options.getString("CirclesCount"), -1, kMaxRings + 1);
    m_radius0 = bonusvalues::ParseInt(options.getString("Radius0"), 0, bonusvalues::kCoordinateLimit);
    m_radiusDelta = bonusvalues::ParseInt(options.getString("RadiusDelta"), 0, bonusvalues::kCoordinateLimit);
    if (count < 0 || count > kMaxRings) {
        a_log("CircularPuzzle - CirclesCount must be 0 to %d; %d rings are used", int(kMaxRings),
              int(std::clamp(count, 0, kMaxRings)));
        count = std::clamp(count, 0, kMaxRings);
    }
    if (count > 1 && m_radiusDelta <= 0)
        a_log("CircularPuzzle - RadiusDelta is 0: only the innermost ring can be reached");
    m_rings.resize(size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        Ring& ring = m_rings[size_t(i)];
        ring.image = GetImage(a_format("%02d", {i + 1}));
        if (i == 0) {
            ring.locked = true;
            ring.angle = 0.0f;
        } else {
            ring.angle = float(a_rand()) * 5.7595867f / 32767.0f + 0.5235988f;
        }
        ring.dragBase = ring.angle;
    }
}

CircularPuzzle::~CircularPuzzle() {
    bonusvalues::Stop(m_soundRotating);
}

float CircularPuzzle::PointerAngle(float dx, float dy) {
    return wrapAngle2Pi(-std::atan2(dy, dx));
}

float CircularPuzzle::WrapAngle(float a) {
    return wrapAngle2Pi(a);
}

int32_t CircularPuzzle::RingAt(float dx, float dy) const {
    const double d2 = double(dx) * dx + double(dy) * dy;
    for (size_t i = 0; i < m_rings.size(); ++i) {
        const double r = double(m_radius0) + double(i) * m_radiusDelta;
        if (d2 <= r * r)
            return int32_t(i);
    }
    return -1;
}

void CircularPuzzle::Update(float dt) {
    if (m_completed)
        return;
    if (m_hint) {
        RotateHintedRing(dt);
        return;
    }
    aInputServer* input = Input();
    int32_t mx = kCentreX, my = kCentreY;
    if (input)
        input->getMousePos(mx, my);
    const uint32_t button = input ? input->getButtonState(0) : 0;
    const float dx = float(mx - kCentreX), dy = float(my - kCentreY);

    if (m_grabbed >= 0) {
        Ring& ring = m_rings[size_t(m_grabbed)];
        if (button != 2 && button != 3) {
            bonusvalues::Stop(m_soundRotating);
            if (ring.angle <= kLockAngle || ring.angle >= A_2PI - kLockAngle) {
                ring.locked = true;
                ring.angle = 0.0f;
                bonusvalues::Play(m_soundLock);
            } else {
                bonusvalues::Play(m_soundRotateEnd);
            }
            ring.dragBase = ring.angle;
            m_grabbed = -1;
        } else {
            const float angle = WrapAngle(PointerAngle(dx, dy) + ring.dragBase - m_grabReference);
            if (std::fabs(angle - ring.angle) < kOneDegree)
                bonusvalues::Stop(m_soundRotating);
            else
                bonusvalues::PlayLooped(m_soundRotating);
            ring.angle = angle;
        }
    } else if (button == 2) {
        const int32_t i = RingAt(dx, dy);
        if (i >= 0 && !m_rings[size_t(i)].locked) {
            m_grabReference = PointerAngle(dx, dy);
            m_grabbed = i;
            bonusvalues::Play(m_soundRotateStart);
        }
    }

    bool allLocked = true;
    for (Ring& ring : m_rings) {
        if (ring.locked)
            ring.glow = std::min(1.0f, ring.glow + 3.0f * dt);
        allLocked = allLocked && ring.locked;
    }
    if (allLocked)
        m_completed = true;
}

void CircularPuzzle::RotateHintedRing(float dt) {
    if (m_grabbed < 0 || size_t(m_grabbed) >= m_rings.size()) {
        m_hint = false;
        m_grabbed = -1;
        return;
    }
    Ring& ring = m_rings[size_t(m_grabbed)];
    float d = -ring.angle;
    if (d <= -A_PI)
        d += A_2PI;
    else if (d > A_PI)
        d -= A_2PI;
    bool done = false;
    if (d <= 0.0f) {
        ring.angle += (d - kHintSpeed) * dt;
        done = ring.angle <= 0.0f;
    } else {
        ring.angle += (d + kHintSpeed) * dt;
        done = ring.angle >= A_2PI;
    }
    if (!done)
        return;
    ring.locked = true;
    ring.angle = 0.0f;
    ring.dragBase = 0.0f;
    m_hint = false;
    m_grabbed = -1;
    bonusvalues::Stop(m_soundRotating);
}

void CircularPuzzle::UseHint() {
    if (m_hint)
        return;
    m_grabbed = -1;
    for (size_t i = 0; i < m_rings.size(); ++i) {
        if (!m_rings[i].locked) {
            m_grabbed = int32_t(i);
            break;
        }
    }
    if (m_grabbed < 0)
        return;
    m_hint = true;
    bonusvalues::PlayLooped(m_soundRotating);
}

void CircularPuzzle::Solve() {
    bonusvalues::Stop(m_soundRotating);
    m_hint = false;
    m_grabbed = -1;
    for (Ring& ring : m_rings) {
        if (!ring.locked) {
            ring.locked = true;
            ring.angle = 0.0f;
            ring.dragBase = 0.0f;
        }
    }
    BonusRound::Solve();
}

namespace {

constexpr float kPictureX = 179.0f;

uint32_t RingGrey(const CircularPuzzle::Ring& ring) {
    const uint32_t c = bonusvalues::AlphaByte(1.0f - 0.5f * ring.glow);
    return 0xFF000000u | (c * 0x010101u);
}

void AddPointer(aStillPicture::Key& key, const void* p) {
    const uint64_t v = uint64_t(reinterpret_cast<uintptr_t>(p));
    key.push_back(uint32_t(v));
    key.push_back(uint32_t(v >> 32));
}

} // namespace

aStillPicture::Key CircularPuzzle::StillKey() const {
    aStillPicture::Key key;
    AddPointer(key, m_background);
    AddPointer(key, m_overlay);
    for (const Ring& ring : m_rings) {
        AddPointer(key, ring.image);
        key.push_back(std::bit_cast<uint32_t>(ring.angle));
        key.push_back(RingGrey(ring));
    }
    return key;
}

bool CircularPuzzle::StillFits() {
    if (m_stillFits >= 0)
        return m_stillFits == 1;
    m_stillFits = 0;
    bool opaque = false;
    double reach = 0.0;
    if (!m_background || !a_readPictureCover(*m_background, &opaque, &reach) || !opaque)
        return false;
    const double x0 = kPictureX, x1 = kPictureX + m_background->getWidth(), y1 = m_background->getHeight();
    if (m_overlay && (m_overlay->getWidth() > m_background->getWidth() ||
                      m_overlay->getHeight() > m_background->getHeight()))
        return false;
    // A turned ring reaches pixels within its farthest texel's distance of
    // the centre, and a few more for the filter.
    for (const Ring& ring : m_rings) {
        if (!ring.image || !ring.image->hasTexture())
            continue;
        if (!a_readPictureCover(*ring.image, &opaque, &reach))
            return false;
        const double r = reach + 3.0;
        if (kCentreX - r < x0 || kCentreX + r > x1 || kCentreY - r < 0.0 || kCentreY + r > y1)
            return false;
    }
    m_stillFits = 1;
    return true;
}

void CircularPuzzle::Draw() {
    m_drawnFromStill = false;
    if (m_completed) {
        if (m_backgroundOpen)
            m_backgroundOpen->drawAt(kPictureX, 0.0f);
        return;
    }
    const aStillPicture::Key key = StillKey();
    const bool still = StillFits();
    if (still && m_still.draw(key)) {
        m_drawnFromStill = true;
        return;
    }
    if (m_background)
        m_background->drawAt(kPictureX, 0.0f);
    for (auto it = m_rings.rbegin(); it != m_rings.rend(); ++it) {
        if (!it->image)
            continue;
        const float x = float(kCentreX) - float(it->image->getWidth()) * 0.5f;
        const float y = float(kCentreY) - float(it->image->getHeight()) * 0.5f;
        it->image->drawAt(x, y, RingGrey(*it), nullptr, it->angle);
    }
    if (m_overlay)
        m_overlay->drawAt(kPictureX, 0.0f);
    // Kept once the rings have stood still for a frame.
    if (still && key == m_lastKey)
        m_still.take(aRect(int16_t(kPictureX), 0, int16_t(m_background->getWidth()),
                           int16_t(m_background->getHeight())),
                     key);
    m_lastKey = key;
}

void CircularPuzzle::OnCompleted() {
    bonusvalues::Play(m_soundOpen);
}
