#include "game/scenes/objects/spy_obj_mouse.h"

#include "game/scenes/objects/spy_object_factory.h"
#include "game/scenes/spy_room.h"
#include "game/scenes/spy_values.h"
#include "mirel/base/a_format.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

#include <cstdlib>

namespace {

[[maybe_unused]] const bool g_registered =
    SpyObjectFactory::Instance().Register("Mouse", &SpyObjectFactory::Create<SpyObjMouse>);

constexpr float kScreenBottom = 768.0f;
// Faster frames would make an update step through more frames than it could draw.
constexpr float kMaxFps = 1000.0f;

// A fresh random share from 0 to 1.
float share() {
    return float(a_rand()) / float(A_RAND_MAX);
}

// "w h count fps"; missing numbers read as 0.
void readParams(const std::string& value, int& width, int& height, int& count, float& fps) {
    const char* at = value.c_str();
    char* end = nullptr;
    int* ints[3] = {&width, &height, &count};
    for (int* out : ints) {
        *out = int(std::strtol(at, &end, 10));
        at = end;
    }
    fps = SpyReadFloat(at);
}

} // namespace

SpyObjMouse::SpyObjMouse(SpyRoom* room, const std::string& name) : SpyObject(room, name) {}

SpyObjMouse::~SpyObjMouse() = default;

void SpyObjMouse::Create(const aOptionsFile& section) {
    SpyObject::Create(section);
    aImageManager* images = m_room ? m_room->GetImageManager() : nullptr;
    const std::string group = m_room ? m_room->GetName() : std::string();
    for (int n = 1; n <= kPhases; ++n) {
        aAnim& anim = m_anims[n - 1];
        int width = 0, height = 0, count = 0;
        float fps = 0.0f;
        readParams(section.getString(a_format("Anim%dParams", {n})), width, height, count, fps);
        if (count < 1) {
            a_log("SpyObjMouse::Create - frame count %d of animation %d of object '%s' is below 1, 1 is used",
                  count, n, m_name.c_str());
            count = 1;
        }
        if (fps > kMaxFps) {
            a_log(
                "SpyObjMouse::Create - animation %d of object '%s' runs above %d frames a second, %d is used",
                n, m_name.c_str(), int(kMaxFps), int(kMaxFps));
            fps = kMaxFps;
        }
        const aImage* image = images ? images->getImage(a_format("%s_%d", {m_name, n}), group) : nullptr;
        const auto clampSize = [](int v) { return uint16_t(v < 0 ? 0 : v > 4096 ? 4096 : v); };
        anim.setFramesFromGrid(image, nullptr, clampSize(width), clampSize(height),
                               uint16_t(count > 1024 ? 1024 : count));
        anim.setStartFlags(0);
        anim.setFrameTime(1.0f / fps);
        if (!(fps > 0.0f)) {
            // No frame time to go by: the phase would never end and the mouse
            // would stay out for good.
            a_log("SpyObjMouse::Create - frame rate of animation %d of object '%s' is not above 0, read as 1",
                  n, m_name.c_str());
            anim.setFrameTime(1.0f);
        }
        anim.setStopped(true);
    }
    m_offsets[0] = 0.0f;
    m_offsets[1] = float(section.getInt("Anim2x"));
    m_offsets[2] = float(section.getInt("Anim3x"));
    SpyPoint range{0.0f, 0.0f};
    SpyReadPoint(section.getString("XRange"), range);
    m_xRange[0] = range.x;
    m_xRange[1] = range.y;
    m_yRange = float(section.getInt("YRange"));
    range = SpyPoint{0.0f, 0.0f};
    SpyReadPoint(section.getString("OccurenceTime"), range);
    m_timeRange[0] = range.x;
    m_timeRange[1] = range.y;
    aSoundManager* sounds = m_room ? m_room->GetSoundManager() : nullptr;
    m_sound = sounds ? sounds->getSound(m_name, group) : nullptr;
}

void SpyObjMouse::UnloadResources() {
    for (aAnim& anim : m_anims)
        anim.clearFrames();
    m_sound = nullptr;
    SpyObject::UnloadResources();
}

void SpyObjMouse::Init() {
    SpyObject::Init();
    Reset();
}

bool SpyObjMouse::IsKindOf(const std::string& key) const {
    return key == "Mouse";
}

void SpyObjMouse::Reset() {
    m_anims[0].rewind();
    m_anims[0].setStopped(true);
    m_phase = 0;
    m_baseX = m_xRange[0] + (m_xRange[1] - m_xRange[0]) * share() + kPlayfieldX;
    m_baseY = m_yRange * share() + kScreenBottom;
    m_wait = m_timeRange[0] + (m_timeRange[1] - m_timeRange[0]) * share();
    Place();
}

void SpyObjMouse::Place() {
    m_x = m_baseX + m_offsets[m_phase];
    m_y = m_baseY - float(m_anims[m_phase].getHeight());
}

void SpyObjMouse::Update(float dt) {
    SpyObject::Update(dt);
    if (m_state != STATE_PRESENT || m_vanishing)
        return;
    aAnim& anim = m_anims[m_phase];
    if (!anim.isStopped()) {
        anim.update(dt);
        if (anim.isStopped()) {
            if (++m_phase < kPhases) {
                m_anims[m_phase].rewind();
                m_anims[m_phase].play();
            } else {
                Reset();
            }
        }
    } else {
        m_wait -= dt;
        if (m_wait <= 0.0f) {
            anim.play();
            if (m_sound)
                m_sound->play(false, -1.0f, -2.0f);
        }
    }
    Place();
}

bool SpyObjMouse::HitTest(int32_t x, int32_t y) const {
    if (m_vanishing)
        return false;
    return int32_t(m_anims[m_phase].getPixel(x, y) >> 24) >= m_alphaThreshold;
}

bool SpyObjMouse::Activate(bool on, SpyObject*) {
    if (!on)
        return false;
    if (m_sound && m_sound->isPlaying())
        m_sound->stop();
    m_vanishing = true;
    m_effectTimer = 0.0f;
    return true;
}

void SpyObjMouse::Leave() {
    SpyObject::Leave();
    if (m_sound && m_sound->isPlaying())
        m_sound->stop();
}

void SpyObjMouse::SetHighlight(bool on) {
    if (on)
        m_wait = 0.0f;
    SpyObject::SetHighlight(on);
}

void SpyObjMouse::Draw(uint32_t colour) {
    if (m_state != STATE_PRESENT)
        return;
    const aAnim& anim = m_anims[m_phase];
    if (!m_vanishing) {
        const float position[2] = {m_x, m_y};
        anim.draw(position, colour);
        return;
    }
    const float s = GetVanishScale();
    const float position[2] = {m_x + GetWidth() * 0.5f * (1.0f - s), m_y + GetHeight() * 0.5f * (1.0f - s)};
    const float scale[2] = {s, s};
    anim.draw(position, 0xFFFFFFFFu, scale);
}
