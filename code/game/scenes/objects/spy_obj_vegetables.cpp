#include "game/scenes/objects/spy_obj_vegetables.h"

#include "game/scenes/objects/spy_object_factory.h"
#include "game/scenes/spy_values.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_image.h"
#include "mirel/util/a_optionsfile.h"

#include <cmath>

namespace {

[[maybe_unused]] const bool g_registered =
    SpyObjectFactory::Instance().Register("Vegetables", &SpyObjectFactory::Create<SpyObjVegetables>);

constexpr double kPi = 3.141592653589793;

float share() {
    return float(a_rand()) / float(A_RAND_MAX);
}

void readRange(const aOptionsFile& section, const char* key, float range[2]) {
    SpyPoint p{0.0f, 0.0f};
    SpyReadPoint(section.getString(key), p);
    range[0] = p.x;
    range[1] = p.y;
}

} // namespace

SpyObjVegetables::SpyObjVegetables(SpyRoom* room, const std::string& name) : SpyObjImage(room, name) {}

SpyObjVegetables::~SpyObjVegetables() = default;

void SpyObjVegetables::Create(const aOptionsFile& section) {
    SpyObjImage::Create(section);
    readRange(section, "Amplitude", m_amplitudeRange);
    readRange(section, "Interval", m_intervalRange);
    m_count = section.getInt("Count");
    if (m_count <= 0) {
        a_log("SpyObjVegetables::Create - Count %d of object '%s' is not above 0, 1 is used", m_count,
              m_name.c_str());
        m_count = 1;
    }
    m_periodTime = SpyReadFloat(section.getString("PeriodTime"));
    if (!(m_periodTime > 0.0f)) {
        a_log("SpyObjVegetables::Create - PeriodTime of object '%s' is not above 0, 1 is used",
              m_name.c_str());
        m_periodTime = 1.0f;
    }
    m_bobbing = -1;
    m_amplitude = 0.0f;
    m_phaseTime = NextPause();
}

float SpyObjVegetables::NextPause() const {
    return -(m_intervalRange[0] + (m_intervalRange[1] - m_intervalRange[0]) * share());
}

bool SpyObjVegetables::IsKindOf(const std::string& key) const {
    return key == "Vegetables" || SpyObjImage::IsKindOf(key);
}

void SpyObjVegetables::Update(float dt) {
    if (m_bobbing >= 0) {
        m_phaseTime += dt / m_periodTime;
        if (m_phaseTime >= 1.0f) {
            m_bobbing = -1;
            m_phaseTime = NextPause();
        }
    } else {
        m_phaseTime += dt;
        if (m_phaseTime >= 0.0f) {
            m_bobbing = a_rand() % m_count;
            m_amplitude = m_amplitudeRange[0] + (m_amplitudeRange[1] - m_amplitudeRange[0]) * share();
            m_phaseTime = 0.0f;
        }
    }
    SpyObjImage::Update(dt);
}

bool SpyObjVegetables::HitTest(int32_t, int32_t) const {
    return true;
}

bool SpyObjVegetables::Activate(bool on, SpyObject*) {
    if (on) {
        m_vanishing = true;
        m_effectTimer = 0.0f;
    }
    return on;
}

float SpyObjVegetables::GetLift() const {
    return m_bobbing >= 0 ? float(std::sin(double(m_phaseTime) * kPi) * double(m_amplitude)) : 0.0f;
}

void SpyObjVegetables::Draw(uint32_t colour) {
    if (m_state != STATE_PRESENT || !m_image)
        return;
    const int32_t width = LayerWidth();
    const float s = m_vanishing ? GetVanishScale() : 1.0f;
    const float scale[2] = {s, s};
    for (int32_t i = 0; i < m_count; ++i) {
        const aRect layer(int16_t(m_rect.x + i * width), m_rect.y, int16_t(width), m_rect.height);
        if (m_vanishing) {
            const float position[2] = {m_x + GetWidth() * 0.5f * (1.0f - s),
                                       m_y + GetHeight() * 0.5f * (1.0f - s)};
            m_image->draw(position, &layer, 0xFFFFFFFFu, scale, 0.0f, nullptr, true);
        } else {
            const float position[2] = {m_x, i == m_bobbing ? m_y - GetLift() : m_y};
            m_image->draw(position, &layer, colour, nullptr, 0.0f, nullptr, true);
        }
    }
}
