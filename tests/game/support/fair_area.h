#pragma once
// What a player can fairly see and click of a hidden-object room's object:
// the playfield pixels where
//   - the object's own hit test takes the point (its alpha threshold, without
//     the neighbours a listed object also accepts),
//   - the room's hit search finds no object drawn later, and
//   - what the room draws later lets at least half of the light through
//     (drawn over black and over white: the difference is what shows of the
//     object beneath).
// The area counts those pixels and the side of the largest square of them;
// a fair one holds 300 pixels and an 8 x 8 square.

#include "game/support/clickable_point.h"

#include "mirel/gfx/a_graphserver.h"
#include "mirel/platform/graphics/a_device.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace gametest {

constexpr int32_t kFairPixels = 300;
constexpr int32_t kFairSquare = 8;
// Of 255: the least light the later layers let through for a pixel to show.
constexpr int32_t kFairLight = 128;

struct FairArea {
    int32_t pixels = 0;
    int32_t square = 0; // the side of the largest square of fair pixels
    bool Fair() const { return pixels >= kFairPixels && square >= kFairSquare; }
};

// One begun scene of the graphics server, for drawing into the back buffer.
class DrawingScene {
public:
    explicit DrawingScene(aGraphServer& graphics) : m_graphics(graphics), m_begun(graphics.beginScene()) {}
    ~DrawingScene() {
        if (m_begun) {
            m_graphics.setViewport(0, 0, m_graphics.getBackBufferWidth(), m_graphics.getBackBufferHeight());
            m_graphics.endScene();
        }
    }
    bool Begun() const { return m_begun; }

private:
    aGraphServer& m_graphics;
    bool m_begun;
};

// A box of screen pixels.
struct Box {
    int32_t x0, y0, x1, y1;
    int32_t Width() const { return x1 - x0; }
    int32_t Height() const { return y1 - y0; }
};

// The object's box on the playfield.
inline Box BoxOf(const SpyObject& object) {
    const int32_t x = int32_t(std::floor(object.GetX())), y = int32_t(std::floor(object.GetY()));
    return {std::max(x, SpyRoom::kPlayfieldLeft), std::max(y, 0),
            std::min(x + int32_t(object.GetWidth()) + 1, SpyRoom::kPlayfieldRight + 1),
            std::min(y + int32_t(object.GetHeight()) + 1, SpyRoom::kPlayfieldBottom + 1)};
}

// The green channel of what the room draws after the object, over the box
// cleared to the colour.
inline std::vector<int32_t> LaterLayers(aGraphServer& graphics, const SpyRoom& room, const SpyObject* object,
                                        const Box& box, uint32_t clear) {
    graphics.setViewport(int16_t(box.x0), int16_t(box.y0), uint16_t(box.Width()), uint16_t(box.Height()));
    aDevice* device = graphics.getDevice();
    device->clear(A_CLEAR_TARGET, clear);
    const auto& objects = room.GetObjects();
    const auto at = std::find(objects.begin(), objects.end(), object);
    for (auto it = at == objects.end() ? at : at + 1; it < objects.end(); ++it) {
        if (!(*it)->IsLifted())
            (*it)->DrawHighlighted();
    }
    for (SpyObject* lifted : room.GetTopList()) {
        if (lifted->IsLifted() && lifted != object)
            lifted->DrawHighlighted();
    }
    std::vector<int32_t> green;
    green.reserve(size_t(box.Width() * box.Height()));
    for (int32_t y = box.y0; y < box.y1; ++y) {
        for (int32_t x = box.x0; x < box.x1; ++x)
            green.push_back(int32_t(device->backPixel(uint32_t(x), uint32_t(y)) >> 8 & 0xFF));
    }
    return green;
}

// The object's fair area in the room as it stands, drawn in a begun scene.
inline FairArea MeasureFairArea(aGraphServer& graphics, const SpyRoom& room, SpyObject* object) {
    FairArea area;
    const Box box = BoxOf(*object);
    if (box.Width() <= 0 || box.Height() <= 0)
        return area;
    const std::vector<int32_t> overBlack = LaterLayers(graphics, room, object, box, 0xFF000000u);
    const std::vector<int32_t> overWhite = LaterLayers(graphics, room, object, box, 0xFFFFFFFFu);
    std::vector<int32_t> squares(size_t(box.Width() * box.Height()), 0);
    for (int32_t y = box.y0; y < box.y1; ++y) {
        for (int32_t x = box.x0; x < box.x1; ++x) {
            const size_t i = size_t((y - box.y0) * box.Width() + (x - box.x0));
            const bool own = room.HitTestObject(object, int32_t(float(x) - object->GetX()),
                                                int32_t(float(y) - object->GetY()), false);
            if (!own || TopObjectAt(room, x, y) != object || overWhite[i] - overBlack[i] < kFairLight)
                continue;
            ++area.pixels;
            const int32_t up = y > box.y0 ? squares[i - size_t(box.Width())] : 0;
            const int32_t left = x > box.x0 ? squares[i - 1] : 0;
            const int32_t diagonal = x > box.x0 && y > box.y0 ? squares[i - size_t(box.Width()) - 1] : 0;
            squares[i] = std::min({up, left, diagonal}) + 1;
            area.square = std::max(area.square, squares[i]);
        }
    }
    return area;
}

} // namespace gametest
