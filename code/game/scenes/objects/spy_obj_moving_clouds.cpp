#include "game/scenes/objects/spy_obj_moving_clouds.h"

#include "game/scenes/objects/spy_object_factory.h"
#include "game/scenes/spy_values.h"
#include "mirel/base/a_log.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>
#include <cmath>

namespace {

[[maybe_unused]] const bool g_registered =
    SpyObjectFactory::Instance().Register("MovingClouds", &SpyObjectFactory::Create<SpyObjMovingClouds>);

} // namespace

SpyObjMovingClouds::SpyObjMovingClouds(SpyRoom* room, const std::string& name) : SpyObjImage(room, name) {}

SpyObjMovingClouds::~SpyObjMovingClouds() = default;

void SpyObjMovingClouds::Create(const aOptionsFile& section) {
    SpyObjImage::Create(section);
    m_areaWidth = float(section.getInt("AreaWidth"));
    m_speed = SpyReadFloat(section.getString("Speed"));
    if (TileWidth() <= kOverlap)
        a_log("SpyObjMovingClouds::Create - tile of object '%s' is %d pixels wide, 1.5 or less: it is not "
              "drawn",
              m_name.c_str(), int(m_rect.width));
}

void SpyObjMovingClouds::Init() {
    SpyObjImage::Init();
    m_offset = 0.0f;
}

bool SpyObjMovingClouds::IsKindOf(const std::string& key) const {
    return key == "MovingClouds" || SpyObjImage::IsKindOf(key);
}

void SpyObjMovingClouds::Update(float dt) {
    m_offset += dt * m_speed;
    const float tile = TileWidth();
    if (!std::isfinite(m_offset) || tile <= 0.0f) {
        m_offset = 0.0f;
        return;
    }
    // Back by whole tiles: one in a frame shorter than a tile's travel, more
    // after a long frame, so that the tiles always start inside one width.
    if (m_speed >= 0.0f) {
        if (m_offset > 0.0f)
            m_offset -= tile * std::ceil(m_offset / tile);
    } else if (m_offset <= -tile) {
        m_offset += tile * std::floor(-m_offset / tile);
    }
}

bool SpyObjMovingClouds::HitTest(int32_t x, int32_t y) const {
    if (!m_image || m_rect.width <= 0)
        return false;
    int32_t across = int32_t(float(x) - m_offset) % int32_t(m_rect.width);
    if (across < 0)
        across += m_rect.width;
    return int32_t(m_image->getPixel(m_rect.x + across, m_rect.y + y) >> 24) >= m_alphaThreshold;
}

std::vector<float> SpyObjMovingClouds::GetTilePlaces() const {
    std::vector<float> places;
    if (TileWidth() <= kOverlap)
        return places;
    for (float t = m_offset; t < m_areaWidth; t += TileWidth() - kOverlap)
        places.push_back(t);
    return places;
}

void SpyObjMovingClouds::Draw(uint32_t colour) {
    if (!m_image)
        return;
    aGraphServer* gs = aImage::getGraphServer();
    const aRect saved = gs ? gs->getViewport() : aRect();
    if (gs)
        gs->setViewport(
            int16_t(std::clamp(m_x, -32768.0f, 32767.0f)), int16_t(std::clamp(m_y, -32768.0f, 32767.0f)),
            uint16_t(std::clamp(m_areaWidth, 0.0f, 65535.0f)), uint16_t(std::max<int16_t>(m_rect.height, 0)));
    for (float t : GetTilePlaces()) {
        const float position[2] = {m_x + t, m_y};
        m_image->draw(position, &m_rect, colour, nullptr, 0.0f, nullptr, true);
    }
    if (gs)
        gs->setViewport(saved);
}
