#include "mirel/platform/graphics/a_devicesprite.h"

#include <cmath>

int32_t aDeviceSprite::create(aDevice* device, aDeviceSprite** out) {
    if (!out) {
        return A_ERR_INVALIDCALL;
    }
    *out = nullptr;
    if (!device) {
        return A_ERR_INVALIDCALL;
    }
    if (int32_t f = device->fault(aDeviceCall::CreateSprite)) {
        return f;
    }
    *out = new aDeviceSprite(device);
    return A_OK;
}

uint32_t aDeviceSprite::addRef() {
    return ++m_refs;
}

uint32_t aDeviceSprite::release() {
    uint32_t left = --m_refs;
    if (left == 0) {
        delete this;
    }
    return left;
}

int32_t aDeviceSprite::begin() {
    if (int32_t f = m_device->fault(aDeviceCall::SpriteBegin)) {
        return f;
    }
    if (m_begun) {
        return A_ERR_INVALIDCALL;
    }
    m_begun = true;
    m_device->setRenderState(A_RS_ALPHABLENDENABLE, 1);
    return A_OK;
}

int32_t aDeviceSprite::end() {
    if (int32_t f = m_device->fault(aDeviceCall::SpriteEnd)) {
        return f;
    }
    if (!m_begun) {
        return A_ERR_INVALIDCALL;
    }
    m_begun = false;
    return A_OK;
}

int32_t aDeviceSprite::draw(aTexture* texture, const aDeviceRect* srcRect, const aVec2* scaling,
                            const aVec2* rotationCenter, float rotation, const aVec2* translation,
                            uint32_t colour) {
    if (int32_t f = m_device->fault(aDeviceCall::SpriteDraw)) {
        return f;
    }
    if (!texture) {
        return A_ERR_INVALIDCALL;
    }
    const aDeviceRect src =
        srcRect ? *srcRect : aDeviceRect{0, 0, int32_t(texture->width()), int32_t(texture->height())};
    if (src.left < 0 || src.top < 0 || src.right > int32_t(texture->width()) ||
        src.bottom > int32_t(texture->height()) || src.left >= src.right || src.top >= src.bottom) {
        return A_ERR_INVALIDCALL;
    }
    const float sx = scaling ? scaling->x : 1.0f, sy = scaling ? scaling->y : 1.0f;
    const float cx = rotationCenter ? rotationCenter->x : 0.0f,
                cy = rotationCenter ? rotationCenter->y : 0.0f;
    const float tx = translation ? translation->x : 0.0f, ty = translation ? translation->y : 0.0f;
    if (!std::isfinite(sx) || !std::isfinite(sy) || !std::isfinite(cx) || !std::isfinite(cy) ||
        !std::isfinite(rotation) || !std::isfinite(tx) || !std::isfinite(ty)) {
        return A_ERR_INVALIDCALL;
    }
    // screen = R * (S * p - c) + c + t, R counter-clockwise on a y-down screen.
    float c = 1.0f, s = 0.0f;
    if (rotation != 0.0f) {
        c = std::cos(rotation);
        s = std::sin(rotation);
    }
    const float m[4] = {c * sx, s * sy, -s * sx, c * sy};
    const float ox = (c * -cx + s * -cy) + cx + tx;
    const float oy = (-s * -cx + c * -cy) + cy + ty;
    m_device->drawTexturedQuad(texture, src, m, ox, oy, colour);
    return A_OK;
}
