#pragma once
// Clouds drifting through a window (class key "MovingClouds"): the image
// rectangle is a tile repeated without end across an area "AreaWidth" pixels
// wide and as high as the tile, moving "Speed" pixels a second (negative: to
// the left), clipped to the area. Neighbouring tiles overlap by 1.5 pixels;
// a tile of 1.5 pixels or less could never fill the area and is logged and
// not drawn. The offset always stays within one tile, however long a frame
// is. It is drawn whatever its state.

#include "game/scenes/objects/spy_obj_image.h"

#include <vector>

class SpyObjMovingClouds : public SpyObjImage {
public:
    static constexpr float kOverlap = 1.5f;

    SpyObjMovingClouds(SpyRoom* room, const std::string& name);
    ~SpyObjMovingClouds() override;

    void Create(const aOptionsFile& section) override;
    void Init() override;
    bool IsKindOf(const std::string& key) const override;
    // The offset moves and wraps by whole tiles; nothing else runs.
    void Update(float dt) override;
    bool HitTest(int32_t x, int32_t y) const override;
    float GetWidth() const override { return m_areaWidth; }
    float GetHeight() const override { return float(m_rect.height); }
    void Draw(uint32_t colour) override;

    float GetOffset() const { return m_offset; }
    float GetSpeed() const { return m_speed; }
    // The x of every tile drawn, from the area's left edge.
    std::vector<float> GetTilePlaces() const;

private:
    float TileWidth() const { return float(m_rect.width); }

    float m_areaWidth = 0.0f;
    float m_speed = 0.0f;
    float m_offset = 0.0f;
};
