#pragma once
// Drawing helpers shared by the widgets: an image or a sprite frame stretched
// into a screen rectangle, an image tiled into one, and the state-image slots
// that buttons keep.
//
// Destinations are screen pixels, sources image pixels; colours are ARGB and
// tint what is drawn. A colour whose alpha byte is 0 draws nothing.

#include "mirel/base/a_rect.h"
#include "mirel/gfx/a_image.h"

#include <cstdint>
#include <string>

class aGDI;
class aSprite;

namespace GUI {

// The source rectangle of the image, placed at the destination's top-left
// corner and scaled to the destination's size, rotated (radians) about that
// corner.
void DrawImageStretched(const aImage* image, const aRect& source, const aRect& dest, uint32_t argb,
                        float rotation = 0.0f);

// The sprite's current frame, scaled to the destination's size.
void DrawSpriteStretched(const aSprite* sprite, const aRect& dest, uint32_t argb, float rotation = 0.0f);

// Fills the destination with unscaled copies of the source rectangle, rows
// and columns from the top-left corner; the last row and column are cut to
// what is left of the destination.
void DrawImageTiled(const aImage* image, const aRect& source, const aRect& dest, uint32_t argb);

// Points a state-image slot at another image: the slot shares the image's
// picture (a reference of its own) and the rectangle slot becomes `rect`, or
// the whole image when `rect` is null. A null image empties the slot.
void SetStateImage(const aImage* image, const aRect* rect, aImage& imageSlot, aRect& rectSlot);

// A colour channel 0..1 as a byte: 255 at 1 or more, 0 at 0 or less, else rounded.
uint8_t ColorChannelToByte(float c);
// Four floats (red, green, blue, alpha) as ARGB.
uint32_t ColorToArgb(const float rgba[4]);
// ARGB as four floats (red, green, blue, alpha).
void ArgbToColor(uint32_t argb, float rgba[4]);
// The first hexadecimal number of a property value; 0 when there is none.
uint32_t PropertyToHex(const std::string& value);

// A line drawer on the widget host's graphics device, shared by every widget
// and made again when the device changes; null without a device.
aGDI* SharedLineDrawer();

} // namespace GUI
