#pragma once
// An integer screen rectangle; the right and bottom edges are exclusive.

#include <algorithm>
#include <cstdint>

struct aRect {
    int16_t x = 0;
    int16_t y = 0;
    int16_t width = 0;
    int16_t height = 0;

    aRect() = default;
    aRect(int16_t x_, int16_t y_, int16_t width_, int16_t height_)
        : x(x_), y(y_), width(width_), height(height_) {}

    bool contains(int16_t px, int16_t py) const {
        return px >= x && px < x + width && py >= y && py < y + height;
    }

    // The common part; all zero when the rectangles do not meet, while
    // touching rectangles give a zero width or height.
    aRect intersection(const aRect& other) const {
        const int left = std::max<int>(x, other.x);
        const int top = std::max<int>(y, other.y);
        const int right = std::min<int>(x + width, other.x + other.width);
        const int bottom = std::min<int>(y + height, other.y + other.height);
        if (right - left < 0 || bottom - top < 0) {
            return aRect();
        }
        return aRect(static_cast<int16_t>(left), static_cast<int16_t>(top),
                     static_cast<int16_t>(right - left), static_cast<int16_t>(bottom - top));
    }

    bool operator==(const aRect& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};
