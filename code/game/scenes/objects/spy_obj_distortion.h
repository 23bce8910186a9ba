#pragma once
// An image object drawn through a distortion grid instead of as a flat
// rectangle. It has no class key of its own: a derived class makes the grid
// (columns x rows vertices) before it calls Create, which hands the grid the
// image and its rectangle. The object covers (columns - 1) x cell width by
// (rows - 1) x cell height pixels and is hit anywhere inside them.

#include "game/scenes/objects/spy_obj_image.h"

#include <memory>

class aDistortionGrid;

class SpyObjDistortion : public SpyObjImage {
public:
    SpyObjDistortion(SpyRoom* room, const std::string& name);
    ~SpyObjDistortion() override;

    // The image keys; the grid takes the image and its rectangle.
    void Create(const aOptionsFile& section) override;
    // The grid goes.
    void UnloadResources() override;
    bool IsKindOf(const std::string& key) const override;
    bool HitTest(int32_t x, int32_t y) const override;
    float GetWidth() const override;
    float GetHeight() const override;
    // Only in state 0: every vertex in the colour, at scale 1; while
    // vanishing scaled about its centre.
    void Draw(uint32_t colour) override;

    aDistortionGrid* GetGrid() const { return m_dist.get(); }

protected:
    std::unique_ptr<aDistortionGrid> m_dist;
};
