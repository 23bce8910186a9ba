#include "game/scenes/objects/spy_obj_panel.h"

#include "game/scenes/objects/spy_obj_services.h"
#include "game/scenes/objects/spy_object_factory.h"
#include "game/scenes/spy_room.h"
#include "game/scenes/spy_values.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_math.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_particle.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>
#include <cmath>

namespace {

[[maybe_unused]] const bool g_registered =
    SpyObjectFactory::Instance().Register("Panel", &SpyObjectFactory::Create<SpyObjPanel>);

constexpr uint32_t kFrames = 3;

// A time of the panel: one that is not above 0 makes that part instant.
float readTime(const aOptionsFile& section, const char* key, const std::string& object) {
    const float t = SpyReadFloat(section.getString(key));
    if (t > 0.0f)
        return t;
    a_log("SpyObjPanel::Create - %s of object '%s' is not above 0, that part happens at once", key,
          object.c_str());
    return 0.0f;
}

} // namespace

SpyObjPanel::SpyObjPanel(SpyRoom* room, const std::string& name) : SpyObjImage(room, name) {}

SpyObjPanel::~SpyObjPanel() = default;

void SpyObjPanel::Create(const aOptionsFile& section) {
    SpyObjImage::Create(section);
    m_popDistance = SpyReadFloat(section.getString("PopDistance"));
    m_popTime = readTime(section, "PopTime", m_name);
    m_slideDistance = SpyReadFloat(section.getString("SlideDistance"));
    m_slideTime = readTime(section, "SlideTime", m_name);
    aSoundManager* sounds = m_room ? m_room->GetSoundManager() : nullptr;
    m_sound = sounds ? sounds->getSound(m_name, m_room->GetName()) : nullptr;
}

void SpyObjPanel::UnloadResources() {
    m_sound = nullptr;
    SpyObjImage::UnloadResources();
}

void SpyObjPanel::Init() {
    m_opened = false;
    m_startX = m_x;
    m_startY = m_y;
    m_timer = 0.0f;
    m_ended = false;
    SpyObjImage::Init();
}

bool SpyObjPanel::IsKindOf(const std::string& key) const {
    return key == "Panel" || SpyObjImage::IsKindOf(key);
}

bool SpyObjPanel::Activate(bool, SpyObject*) {
    if (!m_opened && m_sound)
        m_sound->play(false, -1.0f, -2.0f);
    m_opened = true;
    return true;
}

bool SpyObjPanel::Step(float dt) {
    const float total = m_popTime + m_slideTime;
    if (m_ended)
        return false;
    m_timer = std::min(m_timer + (std::isfinite(dt) && dt > 0.0f ? dt : 0.0f), total);
    if (m_timer >= m_popTime) {
        // Popped out: the slide goes on from the pop's end.
        const float slid =
            m_slideTime > 0.0f ? (m_timer - m_popTime) * m_slideDistance / m_slideTime : m_slideDistance;
        m_x = m_startX + m_popDistance + slid;
        m_y = m_startY - m_popDistance;
    } else {
        const float d = m_popDistance * m_timer / m_popTime;
        m_x = m_startX + d;
        m_y = m_startY - d;
    }
    m_ended = m_timer >= total;
    return m_ended;
}

std::string SpyObjPanel::GetParticleName() const {
    return (m_room ? m_room->GetName() : std::string()) + "_" + m_name;
}

void SpyObjPanel::Update(float dt) {
    if (m_opened && Step(dt)) {
        if (aParticlesManager* particles = SpyParticles(m_room)) {
            const SpyPoint hint = GetHotspot(HOTSPOT_HINT, false);
            const float at[2] = {m_startX + hint.x, m_startY + hint.y};
            particles->Add(GetParticleName(), at, 2, true, true);
        }
        PlayPickupSound(nullptr);
    }
    SpyObjImage::Update(dt);
}

uint8_t SpyObjPanel::GetGlowAlpha() const {
    const float a = m_popTime > 0.0f ? std::clamp(m_timer / m_popTime, 0.0f, 1.0f) : 1.0f;
    return alphaByte(a);
}

void SpyObjPanel::Draw(uint32_t) {
    if (m_state != STATE_PRESENT || !m_image)
        return;
    const int16_t height = int16_t(m_rect.height / int32_t(kFrames));
    const float position[2] = {m_x, m_y};
    auto frame = [&](int16_t index) {
        return aRect(m_rect.x, int16_t(m_rect.y + index * height), m_rect.width, height);
    };
    if (m_opened) {
        const aRect glow = frame(2);
        m_image->draw(position, &glow, uint32_t(GetGlowAlpha()) << 24 | 0xFFFFFFu, nullptr, 0.0f, nullptr,
                      true);
    }
    const aRect panel = frame(0);
    m_image->draw(position, &panel, 0xFFFFFFFFu, nullptr, 0.0f, nullptr, true);
    if (m_opened) {
        const aRect over = frame(1);
        m_image->draw(position, &over, 0xFFFFFFFFu, nullptr, 0.0f, nullptr, true);
    }
}

void SpyObjPanel::Save(SaveLoadSystem&, SaveWriter& record) {
    record.WriteU8(m_opened ? 1 : 0);
}

void SpyObjPanel::Load(SaveLoadSystem&, SaveReader& record) {
    uint8_t opened = 0;
    if (!record.ReadU8(opened) || opened > 1) {
        a_log("SpyObjPanel::Load - bad record of object '%s', not taken", m_name.c_str());
        return;
    }
    m_opened = opened != 0;
    if (m_opened)
        Step(m_popTime + m_slideTime);
}
