#pragma once
// The sprite drawer: textured rectangles with scale, rotation about a centre,
// translation and colour modulation, drawn at once in call order through the
// device's current blend and filter states.
//
// The transform of a source texel position p (relative to the source
// rectangle's top-left corner, in texels):
//     s = (p.x * scaling.x, p.y * scaling.y)
//     screen = R(rotation) * (s - centre) + centre + translation
// where centre is given in scaled units and R turns counter-clockwise on the
// screen for a positive angle (radians): with y downward,
//     R * (x, y) = (x cos a + y sin a, -x sin a + y cos a).
// Unscaled and unrotated at an integer translation, texel (i, j) of the source
// rectangle lands exactly on pixel (translation + (i, j)), whatever the
// filter.

#include "mirel/platform/graphics/a_device.h"

struct aVec2 {
    float x, y;
};

class aDeviceSprite {
public:
    // Creates a sprite drawer for the device; the device must outlive it.
    static int32_t create(aDevice* device, aDeviceSprite** out);
    uint32_t addRef();
    uint32_t release(); // deletes at 0

    // begin turns alpha blending on; the blend factors and filters stay as the
    // device has them. A_ERR_INVALIDCALL when already begun (end: when not).
    int32_t begin();
    int32_t end();
    bool isBegun() const { return m_begun; }

    // Draws the source rectangle (null: the whole texture) of the texture.
    // Null scaling = 1 x 1, null centre = (0, 0), null translation = (0, 0).
    // colour (ARGB) modulates every texel. Draws outside begin/end also draw.
    // A null texture or an empty or out-of-texture rectangle draws nothing and
    // returns A_ERR_INVALIDCALL.
    int32_t draw(aTexture* texture, const aDeviceRect* srcRect, const aVec2* scaling,
                 const aVec2* rotationCenter, float rotation, const aVec2* translation, uint32_t colour);

    aDevice* device() const { return m_device; }

private:
    explicit aDeviceSprite(aDevice* device) : m_device(device) {}
    ~aDeviceSprite() = default;
    aDevice* m_device;
    uint32_t m_refs = 1;
    bool m_begun = false;
};
