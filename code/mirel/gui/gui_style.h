#pragma once
// A nine-slice frame drawn from one image: four corners drawn as they are,
// four edges and an interior each left out, stretched or tiled. Filled from a
// "style" section of a GUI script.

#include "mirel/base/a_rect.h"
#include "mirel/gui/gui_property.h"

#include <cstdint>

class aImage;

namespace GUI {

class Style : public PropertySet {
public:
    enum FillType : int32_t { FILL_NONE = 1, FILL_STRETCH = 2, FILL_TILE = 3 };
    // Order of the part rectangles.
    enum Part : int32_t {
        PART_TOPLEFT,
        PART_TOPRIGHT,
        PART_BOTTOMLEFT,
        PART_BOTTOMRIGHT,
        PART_LEFT,
        PART_TOP,
        PART_RIGHT,
        PART_BOTTOM,
        PART_INTERIOR,
        PART_COUNT
    };
    // Order of the edge types.
    enum Edge : int32_t { EDGE_LEFT, EDGE_TOP, EDGE_RIGHT, EDGE_BOTTOM, EDGE_COUNT };

    Style();
    ~Style() override = default;

    void EndFillProperties() override;
    // Draws the frame into the screen rectangle, tinted by argb.
    virtual void Draw(const aRect& rect, uint32_t argb) const;

    const aImage* GetImage() const { return m_image; }
    const aRect& GetPart(Part part) const { return m_parts[part]; }
    int32_t GetFillType() const { return m_fillType; }
    int32_t GetEdgeType(Edge edge) const { return m_edgeTypes[edge]; }

private:
    void DrawPart(Part part, int32_t type, const aRect& dest, uint32_t argb) const;

    const aImage* m_image = nullptr;
    aRect m_parts[PART_COUNT];
    int32_t m_fillType = FILL_NONE;
    int32_t m_edgeTypes[EDGE_COUNT] = {FILL_NONE, FILL_NONE, FILL_NONE, FILL_NONE};

    Property m_propImage, m_propAutoSlice, m_propEdgeGlobal, m_propFillType;
    Property m_propParts[PART_COUNT];
    Property m_propEdges[EDGE_COUNT];
};

} // namespace GUI
