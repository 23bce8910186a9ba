#pragma once
// Where a player clicks a hidden-object room's object: a point on the screen
// where the room's own hit search finds that object first (objects drawn
// later lie above; lifted and taken ones are passed over). The search starts
// at the object's middle and widens in finer steps; false when every pixel
// of it is covered or clear.

#include "game/scenes/objects/spy_object.h"
#include "game/scenes/spy_room.h"

#include <cstdint>

namespace gametest {

// The object the room's hit search finds at the screen point among the
// objects that are not lifted: from the last drawn to the first, each in
// state 0 and tested with its own tolerance; null when none is hit.
inline SpyObject* TopObjectAt(const SpyRoom& room, int32_t x, int32_t y) {
    const auto& objects = room.GetObjects();
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        SpyObject* o = *it;
        if (o->IsLifted() || o->GetState() != SpyObject::STATE_PRESENT)
            continue;
        if (room.HitTestObject(o, int32_t(float(x) - o->GetX()), int32_t(float(y) - o->GetY()),
                               o->IsTolerant()))
            return o;
    }
    return nullptr;
}

inline bool ClickablePoint(SpyRoom& room, SpyObject* object, int32_t& outX, int32_t& outY) {
    const int32_t w = int32_t(object->GetWidth()), h = int32_t(object->GetHeight());
    if (w <= 0 || h <= 0)
        return false;
    for (int32_t step : {4, 2, 1}) {
        for (int32_t dy = h / 2; dy < h + h / 2; dy += step) {
            for (int32_t dx = w / 2; dx < w + w / 2; dx += step) {
                const int32_t x = int32_t(object->GetX()) + dx % w;
                const int32_t y = int32_t(object->GetY()) + dy % h;
                if (x < SpyRoom::kPlayfieldLeft || x > SpyRoom::kPlayfieldRight || y < 0 ||
                    y > SpyRoom::kPlayfieldBottom)
                    continue;
                if (TopObjectAt(room, x, y) == object) {
                    outX = x;
                    outY = y;
                    return true;
                }
            }
        }
    }
    return false;
}

} // namespace gametest
