#include "game/scenes/objects/spy_obj_image.h"

#include "game/scenes/objects/spy_object_factory.h"
#include "game/scenes/spy_room.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_imagebutton.h"
#include "mirel/util/a_optionsfile.h"

namespace {

[[maybe_unused]] const bool g_registered =
    SpyObjectFactory::Instance().Register("Image", &SpyObjectFactory::Create<SpyObjImage>);

} // namespace

SpyObjImage::SpyObjImage(SpyRoom* room, const std::string& name) : SpyObject(room, name) {}

SpyObjImage::~SpyObjImage() = default;

void SpyObjImage::Create(const aOptionsFile& section) {
    SpyObject::Create(section);
    m_image = nullptr;
    if (section.hasKey("Image") && m_room) {
        aImageManager* images = m_room->GetImageManager();
        m_image = images ? images->getImage(section.getString("Image"), m_room->GetName()) : nullptr;
    }
    if (section.hasKey("Rect"))
        m_rect = GUI::PropertyToRect(section.getString("Rect"));
    else if (m_image)
        m_rect = aRect(0, 0, int16_t(m_image->getWidth()), int16_t(m_image->getHeight()));
    else
        m_rect = aRect();
}

void SpyObjImage::UnloadResources() {
    SpyObject::UnloadResources();
    m_image = nullptr;
}

bool SpyObjImage::IsKindOf(const std::string& key) const {
    return key == "Image";
}

bool SpyObjImage::HitTest(int32_t x, int32_t y) const {
    if (m_vanishing || m_shadow || !m_image)
        return false;
    const uint32_t alpha = m_image->getPixel(m_rect.x + x, m_rect.y + y) >> 24;
    return int32_t(alpha) >= m_alphaThreshold;
}

bool SpyObjImage::Activate(bool on, SpyObject* used) {
    if (!on)
        return false;
    if (!used) {
        m_vanishing = true;
        m_effectTimer = 0.0f;
        SetLinkedState(STATE_TAKEN);
        return true;
    }
    SetState(STATE_TAKEN, true);
    return true;
}

void SpyObjImage::Draw(uint32_t colour) {
    if (m_state != STATE_PRESENT || !m_image)
        return;
    if (!m_vanishing) {
        const float position[2] = {m_x, m_y};
        const SpyPoint pivot = GetHotspot(HOTSPOT_DRAG, false);
        const float centre[2] = {pivot.x, pivot.y};
        m_image->draw(position, &m_rect, colour, nullptr, GetDragAngle(), centre, true);
        return;
    }
    const float s = GetVanishScale();
    const float position[2] = {m_x + GetWidth() * 0.5f * (1.0f - s), m_y + GetHeight() * 0.5f * (1.0f - s)};
    const float scale[2] = {s, s};
    m_image->draw(position, &m_rect, 0xFFFFFFFFu, scale, 0.0f, nullptr, true);
}
