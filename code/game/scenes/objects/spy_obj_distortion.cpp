#include "game/scenes/objects/spy_obj_distortion.h"

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_distortiongrid.h"

SpyObjDistortion::SpyObjDistortion(SpyRoom* room, const std::string& name) : SpyObjImage(room, name) {}

SpyObjDistortion::~SpyObjDistortion() = default;

void SpyObjDistortion::Create(const aOptionsFile& section) {
    SpyObjImage::Create(section);
    if (!m_dist) {
        a_log("SpyObjDistortion::Create - m_dist is NULL for object '%s'", m_name.c_str());
        return;
    }
    if (m_image)
        m_dist->setImage(m_image, &m_rect);
}

void SpyObjDistortion::UnloadResources() {
    m_dist.reset();
    SpyObjImage::UnloadResources();
}

bool SpyObjDistortion::IsKindOf(const std::string& key) const {
    return key == "Distortion" || SpyObjImage::IsKindOf(key);
}

bool SpyObjDistortion::HitTest(int32_t, int32_t) const {
    return true;
}

float SpyObjDistortion::GetWidth() const {
    return m_dist ? float((m_dist->getColumns() - 1) * m_dist->getCellWidth()) : 0.0f;
}

float SpyObjDistortion::GetHeight() const {
    return m_dist ? float((m_dist->getRows() - 1) * m_dist->getCellHeight()) : 0.0f;
}

void SpyObjDistortion::Draw(uint32_t colour) {
    if (m_state != STATE_PRESENT || !m_dist)
        return;
    for (uint32_t r = 0; r < m_dist->getRows(); ++r)
        for (uint32_t c = 0; c < m_dist->getColumns(); ++c)
            m_dist->setColor(c, r, colour);
    if (!m_vanishing) {
        m_dist->render(m_x, m_y, 1.0f);
        return;
    }
    const float s = GetVanishScale();
    const int32_t halfWidth = int32_t((m_dist->getColumns() - 1) * m_dist->getCellWidth()) / 2;
    const int32_t halfHeight = int32_t((m_dist->getRows() - 1) * m_dist->getCellHeight()) / 2;
    m_dist->render(m_x - (s - 1.0f) * float(halfWidth), m_y - (s - 1.0f) * float(halfHeight), s);
}
