#include "mirel/gfx/a_stillpicture.h"

#include "mirel/gfx/a_graphserver.h"

#include <algorithm>
#include <cmath>
#include <cstring>

bool a_readPictureCover(const aImage& image, bool* opaque, double* reach) {
    if (!image.hasTexture() || image.getFormat() != A_FMT_A8R8G8B8)
        return false;
    const aTexture* texture = image.getTexture();
    const int w = int(image.getWidth()), h = int(image.getHeight());
    uint32_t all = 0xFF000000u;
    double farthest = 0.0;
    for (int y = 0; y < h; ++y) {
        const uint32_t* row =
            reinterpret_cast<const uint32_t*>(texture->data() + size_t(y) * texture->pitch());
        const double dy = y + 0.5 - h * 0.5;
        for (int x = 0; x < w; ++x) {
            all &= row[x];
            if (row[x] >> 24) {
                const double dx = x + 0.5 - w * 0.5;
                farthest = std::max(farthest, dx * dx + dy * dy);
            }
        }
    }
    *opaque = (all >> 24) == 0xFF;
    *reach = std::sqrt(farthest);
    return true;
}

bool aStillPicture::State::operator==(const State& other) const {
    return viewport.x == other.viewport.x && viewport.y == other.viewport.y &&
           viewport.width == other.viewport.width && viewport.height == other.viewport.height &&
           linearFilter == other.linearFilter;
}

bool aStillPicture::usableState(State* state) {
    aGraphServer* gs = aImage::getGraphServer();
    if (!gs || !gs->getDevice()) {
        return false;
    }
    int32_t a, r, g, b;
    gs->getGlobalColor(a, r, g, b);
    if (a != 255 || r != 255 || g != 255 || b != 255 || gs->getBlendMode() != 0) {
        return false;
    }
    state->viewport = gs->getViewport();
    state->linearFilter = gs->getLinearFilter();
    return true;
}

bool aStillPicture::draw(const Key& key) const {
    State now;
    if (!m_held || key != m_key || !usableState(&now) || !(now == m_state)) {
        return false;
    }
    m_image.drawAt(float(m_area.x), float(m_area.y));
    return true;
}

void aStillPicture::take(const aRect& area, const Key& key) {
    forget();
    aGraphServer* gs = aImage::getGraphServer();
    if (!usableState(&m_state) || area.x < 0 || area.y < 0 || area.width <= 0 || area.height <= 0) {
        return;
    }
    const aDevice* device = gs->getDevice();
    if (uint32_t(area.x) + uint32_t(area.width) > device->width() ||
        uint32_t(area.y) + uint32_t(area.height) > device->height()) {
        return;
    }
    if (m_image.getWidth() != uint32_t(area.width) || m_image.getHeight() != uint32_t(area.height) ||
        !m_image.hasTexture()) {
        m_image.createEmpty(uint32_t(area.width), uint32_t(area.height));
    }
    uint32_t* bits = nullptr;
    int pitch = 0;
    if (!m_image.lock(nullptr, false, &bits, &pitch)) {
        return;
    }
    const uint32_t* back = device->backBuffer();
    for (int16_t y = 0; y < area.height; ++y) {
        std::memcpy(bits + size_t(y) * size_t(pitch),
                    back + size_t(area.y + y) * device->width() + size_t(area.x), size_t(area.width) * 4);
    }
    m_image.unlock();
    m_area = area;
    m_key = key;
    m_held = true;
}

void aStillPicture::forget() {
    m_held = false;
    m_key.clear();
}
