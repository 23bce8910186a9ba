#include "game/scenes/objects/spy_object.h"

#include "game/scenes/spy_room.h"
#include "game/scenes/spy_values.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_math.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

#include <cmath>
#include <cstdlib>

const char* const SpyObject::kHotspotKeys[2] = {"HintHotspot", "DragHotspot"};

namespace {

constexpr const char* kShadowPrefix = "#s";
constexpr const char* kLinkedPrefix = "#i";

// A flag key: absent gives the default, else non-zero is true.
bool readFlag(const aOptionsFile& section, const char* key, bool absent) {
    return section.hasKey(key) ? std::atoi(section.getString(key).c_str()) != 0 : absent;
}

// A saved coordinate or timer the game can work with.
bool sane(float v) {
    return std::isfinite(v) && std::fabs(v) <= 1.0e6f;
}

} // namespace

SpyObject::SpyObject(SpyRoom* room, const std::string& name)
    : SaveLoadEntity("o:" + (room ? room->GetName() : std::string()) + ":" + name), m_room(room),
      m_name(name), m_shadow(IsShadowName(name)) {}

SpyObject::~SpyObject() = default;

bool SpyObject::IsShadowName(const std::string& name) {
    return name.size() > 1 && name.compare(0, 2, kShadowPrefix) == 0;
}

std::string SpyObject::LinkedName(const std::string& name) {
    if (name.compare(0, 2, kLinkedPrefix) == 0)
        return kShadowPrefix + name.substr(2);
    return std::string(kShadowPrefix) + "_" + name;
}

void SpyObject::Create(const aOptionsFile& section) {
    if (section.hasKey("Alpha"))
        m_alphaThreshold = section.getInt("Alpha");
    m_vanish = readFlag(section, "Vanish", m_vanish);
    if (section.hasKey("PickupSound") && m_room) {
        aSoundManager* sounds = m_room->GetSoundManager();
        m_pickupSound =
            sounds ? sounds->getSound(section.getString("PickupSound"), m_room->GetName()) : nullptr;
    }
    m_linked = m_room ? m_room->FindObjectByName(LinkedName(m_name), true) : nullptr;
    m_posInContainer = section.hasKey("PosInContainer") ? section.getInt("PosInContainer") : 0;
    m_dropDistance = SpyPoint{kUnset, 0.0f};
    if (section.hasKey("DropDistance"))
        SpyReadPoint(section.getString("DropDistance"), m_dropDistance);
    m_itemClickOnly = readFlag(section, "ItemClickOnly", true);
    // Read without a presence test: a missing one is logged and reads as 0.
    m_x = float(section.getInt("X")) + kPlayfieldX;
    m_y = float(section.getInt("Y"));
    for (uint32_t kind = 0; kind < 2; ++kind) {
        m_hotspots[kind] = SpyPoint{kUnset, 0.0f};
        if (section.hasKey(kHotspotKeys[kind]))
            SpyReadPoint(section.getString(kHotspotKeys[kind]), m_hotspots[kind]);
    }
    m_dragAngle = section.hasKey("DragAngle") ? SpyReadFloat(section.getString("DragAngle")) : 0.0f;
    m_moveToTop = readFlag(section, "MoveToTop", true);
    m_state = STATE_PRESENT;
}

void SpyObject::UnloadResources() {
    // It went with the room's sound group.
    m_pickupSound = nullptr;
}

void SpyObject::Init() {
    m_vanishing = false;
    m_highlighted = false;
}

bool SpyObject::IsKindOf(const std::string&) const {
    return false;
}

void SpyObject::Update(float dt) {
    if (m_vanishing) {
        m_effectTimer += dt;
        if (m_effectTimer >= kVanishTime) {
            m_vanishing = false;
            if (m_vanish)
                SetState(STATE_TAKEN, false);
        }
    } else if (m_highlighted) {
        m_effectTimer += dt;
    }
}

bool SpyObject::HitTest(int32_t, int32_t) const {
    return false;
}

void SpyObject::SetState(uint32_t state, bool propagate) {
    m_state = state;
    if (propagate && m_linked)
        m_linked->SetState(state, true);
}

bool SpyObject::Activate(bool, SpyObject*) {
    return false;
}

void SpyObject::Leave() {
    Update(5.0f);
    m_highlighted = false;
}

void SpyObject::SetHighlight(bool on) {
    m_highlighted = on;
    if (on)
        m_effectTimer = 0.0f;
}

void SpyObject::SetLinkedState(uint32_t state) {
    if (m_linked)
        m_linked->SetState(state, true);
}

SpyPoint SpyObject::GetHotspot(uint32_t kind, bool absolute) const {
    SpyPoint p;
    if (kind < 2 && m_hotspots[kind].x != kUnset)
        p = m_hotspots[kind];
    else
        p = SpyPoint{GetWidth() * 0.5f, GetHeight() * 0.5f};
    if (absolute) {
        p.x += m_x;
        p.y += m_y;
    }
    return p;
}

SpyPoint SpyObject::GetHotspotOffset(const SpyObject& other, uint32_t kind) const {
    const SpyPoint theirs = other.GetHotspot(kind, true);
    const SpyPoint mine = GetHotspot(kind, true);
    return SpyPoint{theirs.x - mine.x, theirs.y - mine.y};
}

float SpyObject::GetDragAngle() const {
    return m_lifted ? m_dragAngle * A_PI / 180.0f : 0.0f;
}

float SpyObject::GetVanishScale() const {
    return 1.0f + (1.0f + std::sin(m_effectTimer * 2.0f * A_PI / kVanishPeriod - A_PI / 2.0f)) * 0.25f;
}

void SpyObject::PlayPickupSound(aSound* defaultSound) const {
    if (aSound* sound = m_pickupSound ? m_pickupSound : defaultSound)
        sound->play(false, -1.0f, -2.0f);
}

uint8_t SpyObject::GetHighlightAlpha() const {
    const float a = 0.6f + 0.4f * std::sin(6.0f * A_PI * m_effectTimer);
    return alphaByte(a);
}

void SpyObject::DrawHighlighted() {
    Draw(0xFFFFFFFFu);
    if (!m_highlighted || m_vanishing)
        return;
    aGraphServer* gs = aImage::getGraphServer();
    if (gs)
        gs->setBlendMode(1);
    Draw(uint32_t(GetHighlightAlpha()) << 24 | 0xFFFFFFu);
    if (gs)
        gs->setBlendMode(0);
}

void SpyObject::Load(SaveLoadSystem&, SaveReader& record) {
    float x = 0.0f, y = 0.0f, timer = 0.0f;
    uint32_t state = 0, position = 0;
    uint8_t vanishing = 0;
    record.ReadF32(x);
    record.ReadF32(y);
    record.ReadU32(state);
    record.ReadU32(position);
    record.ReadU8(vanishing);
    record.ReadF32(timer);
    if (!record.IsOk() || !sane(x) || !sane(y) || !sane(timer) || timer < 0.0f || vanishing > 1 ||
        position > uint32_t(INT32_MAX)) {
        a_log("SpyObject::Load - bad record of object '%s', not taken", m_name.c_str());
        return;
    }
    m_x = x;
    m_y = y;
    m_state = state;
    m_posInContainer = int32_t(position);
    m_vanishing = vanishing != 0;
    m_effectTimer = timer;
}

void SpyObject::Save(SaveLoadSystem&, SaveWriter& record) {
    record.WriteF32(m_x);
    record.WriteF32(m_y);
    record.WriteU32(m_state);
    record.WriteU32(uint32_t(m_posInContainer));
    record.WriteU8(m_vanishing ? 1 : 0);
    record.WriteF32(m_effectTimer);
}
