#include "mirel/gui/gui_draw.h"

#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_linedrawer.h"
#include "mirel/gfx/a_sprite.h"
#include "mirel/gui/gui_widgethost.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace GUI {

namespace {

bool Invisible(uint32_t argb) {
    return (argb >> 24) == 0;
}

} // namespace

void DrawImageStretched(const aImage* image, const aRect& source, const aRect& dest, uint32_t argb,
                        float rotation) {
    if (!image || Invisible(argb) || source.width <= 0 || source.height <= 0)
        return;
    const float pos[2] = {float(dest.x), float(dest.y)};
    const float scale[2] = {float(dest.width) / float(source.width),
                            float(dest.height) / float(source.height)};
    const float corner[2] = {0.0f, 0.0f};
    image->draw(pos, &source, argb, scale, rotation, corner, true);
}

void DrawSpriteStretched(const aSprite* sprite, const aRect& dest, uint32_t argb, float rotation) {
    if (!sprite || Invisible(argb))
        return;
    const uint16_t w = sprite->getWidth();
    const uint16_t h = sprite->getHeight();
    if (w == 0 || h == 0)
        return;
    const float pos[2] = {float(dest.x), float(dest.y)};
    const float scale[2] = {float(dest.width) / float(w), float(dest.height) / float(h)};
    const float corner[2] = {0.0f, 0.0f};
    sprite->draw(pos, argb, scale, rotation, corner);
}

void DrawImageTiled(const aImage* image, const aRect& source, const aRect& dest, uint32_t argb) {
    // A source without area would never advance.
    if (!image || Invisible(argb) || source.width <= 0 || source.height <= 0)
        return;
    const int right = int(dest.x) + int(dest.width);
    const int bottom = int(dest.y) + int(dest.height);
    const float corner[2] = {0.0f, 0.0f};
    for (int y = dest.y; y < bottom; y += source.height) {
        const int h = std::min<int>(source.height, bottom - y);
        for (int x = dest.x; x < right; x += source.width) {
            const int w = std::min<int>(source.width, right - x);
            const aRect part(source.x, source.y, int16_t(w), int16_t(h));
            const float pos[2] = {float(x), float(y)};
            image->draw(pos, &part, argb, nullptr, 0.0f, corner, true);
        }
    }
}

void SetStateImage(const aImage* image, const aRect* rect, aImage& imageSlot, aRect& rectSlot) {
    if (!image) {
        if (imageSlot.getData() && imageSlot.hasTexture())
            imageSlot = aImage();
        rectSlot = rect ? *rect : aRect();
        return;
    }
    if (imageSlot.getData() != image->getData())
        imageSlot = *image;
    rectSlot = rect ? *rect
                    : aRect(0, 0, int16_t(std::min<uint32_t>(image->getWidth(), 32767)),
                            int16_t(std::min<uint32_t>(image->getHeight(), 32767)));
}

uint8_t ColorChannelToByte(float c) {
    if (c >= 1.0f)
        return 255;
    if (!(c > 0.0f)) // also NaN
        return 0;
    return uint8_t(int(c * 255.0f + 0.5f));
}

uint32_t ColorToArgb(const float rgba[4]) {
    return uint32_t(ColorChannelToByte(rgba[3])) << 24 | uint32_t(ColorChannelToByte(rgba[0])) << 16 |
           uint32_t(ColorChannelToByte(rgba[1])) << 8 | uint32_t(ColorChannelToByte(rgba[2]));
}

void ArgbToColor(uint32_t argb, float rgba[4]) {
    rgba[0] = float((argb >> 16) & 0xFF) / 255.0f;
    rgba[1] = float((argb >> 8) & 0xFF) / 255.0f;
    rgba[2] = float(argb & 0xFF) / 255.0f;
    rgba[3] = float((argb >> 24) & 0xFF) / 255.0f;
}

uint32_t PropertyToHex(const std::string& value) {
    unsigned v = 0;
    return std::sscanf(value.c_str(), "%x", &v) == 1 ? uint32_t(v) : 0u;
}

aGDI* SharedLineDrawer() {
    static std::unique_ptr<aGDI> s_gdi;
    static aDevice* s_device = nullptr;
    WidgetHost* host = GetWidgetHost();
    aGraphServer* graph = host ? host->GetGraphServer() : nullptr;
    aDevice* device = graph ? graph->getDevice() : nullptr;
    if (!device)
        return nullptr;
    if (!s_gdi || s_device != device) {
        s_gdi = std::make_unique<aGDI>(device);
        s_device = device;
    }
    return s_gdi.get();
}

} // namespace GUI
