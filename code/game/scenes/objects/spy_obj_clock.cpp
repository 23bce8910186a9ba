#include "game/scenes/objects/spy_obj_clock.h"

#include "game/game_services.h"
#include "game/scenes/objects/spy_object_factory.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_image.h"
#include "mirel/util/a_optionsfile.h"

#include <cmath>
#include <ctime>

namespace {

[[maybe_unused]] const bool g_registered =
    SpyObjectFactory::Instance().Register("Clock", &SpyObjectFactory::Create<SpyObjClock>);

constexpr float kPi = 3.1415927f;
constexpr char kLayerLetters[4] = {'b', 's', 'm', 'h'};

} // namespace

SpyObjClock::SpyObjClock(SpyRoom* room, const std::string& name) : SpyObjImage(room, name) {}

SpyObjClock::~SpyObjClock() = default;

void SpyObjClock::Create(const aOptionsFile& section) {
    SpyObjImage::Create(section);
    const std::string layers = section.getString("Layers");
    m_layers = 0;
    m_layerCount = 0;
    for (uint32_t bit = 0; bit < 4; ++bit) {
        if (layers.find(kLayerLetters[bit]) != std::string::npos) {
            m_layers |= 1u << bit;
            ++m_layerCount;
        }
    }
    if (m_layerCount == 0)
        a_log("SpyObjClock::Create - no layers for object '%s', nothing is drawn", m_name.c_str());
}

void SpyObjClock::Init() {
    struct tm now {};
    GetLocalDateTime(now);
    const int jitter = a_rand() % 4;
    const int minutes = now.tm_min + a_rand() % 7 - 3;
    const int seconds = a_rand() % 60;
    SetTime(float(minutes * 60 + seconds + 11 + jitter));
    m_angles[LAYER_DIAL] = 0.0f;
    SpyObjImage::Init();
}

bool SpyObjClock::IsKindOf(const std::string& key) const {
    return key == "Clock" || SpyObjImage::IsKindOf(key);
}

void SpyObjClock::ComputeAngles(float time, float angles[4]) {
    const int64_t t = int64_t(time);
    angles[LAYER_HOURS] = float(t) * (-2.0f * kPi) / kDialSeconds;
    angles[LAYER_MINUTES] = float((t / 60) % 60) * (-2.0f * kPi) / 60.0f;
    angles[LAYER_SECONDS] = float(t - (t / 60) * 60) * (-2.0f * kPi) / 60.0f;
}

void SpyObjClock::SetTime(float seconds) {
    m_time = std::isfinite(seconds) ? seconds : 0.0f;
    ComputeAngles(m_time, m_angles);
}

void SpyObjClock::Update(float dt) {
    if (!m_vanishing)
        SetTime(std::fmod(m_time + dt, kDialSeconds));
    SpyObjImage::Update(dt);
}

float SpyObjClock::GetWidth() const {
    return m_layerCount ? float(m_rect.width / int32_t(m_layerCount)) : float(m_rect.width);
}

void SpyObjClock::DrawLayers(const float* position, uint32_t colour, const float* scale) const {
    const int32_t width = int32_t(GetWidth());
    const SpyPoint pivot = GetHotspot(HOTSPOT_DRAG, false);
    const float centre[2] = {pivot.x, pivot.y};
    int32_t frame = 0;
    for (uint32_t bit = 0; bit < 4; ++bit) {
        if (!(m_layers & (1u << bit)))
            continue;
        const aRect rect(int16_t(m_rect.x + frame * width), m_rect.y, int16_t(width), m_rect.height);
        m_image->draw(position, &rect, colour, scale, m_angles[bit], centre, true);
        ++frame;
    }
}

void SpyObjClock::Draw(uint32_t colour) {
    if (m_state != STATE_PRESENT || !m_image || m_layerCount == 0)
        return;
    if (!m_vanishing) {
        const float position[2] = {m_x, m_y};
        DrawLayers(position, colour, nullptr);
        return;
    }
    const float s = GetVanishScale();
    const float position[2] = {m_x + GetWidth() * 0.5f * (1.0f - s), m_y + GetHeight() * 0.5f * (1.0f - s)};
    const float scale[2] = {s, s};
    DrawLayers(position, 0xFFFFFFFFu, scale);
}
