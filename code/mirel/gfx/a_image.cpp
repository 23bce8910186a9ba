#include "mirel/gfx/a_image.h"

#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_imagedecode.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

aGraphServer* g_server = nullptr;
std::vector<aImageData*> g_bodies;

// The server set with setGraphServer, else the application's.
aGraphServer* server(bool logMissing) {
    if (g_server)
        return g_server;
    aGraphHost* host = a_graphHost();
    if (!host) {
        if (logMissing)
            a_log("aImage. Error, aApplication object not created!");
        return nullptr;
    }
    if (!host->getGraphServer() && logMissing)
        a_log("aImage. Error, aGraphServer object not created!");
    return host->getGraphServer();
}

void addBody(aImageData* d) {
    d->bodyIndex = g_bodies.size();
    g_bodies.push_back(d);
}

// The last body takes the place of the one that goes, so that thousands of
// images going one by one cost no more than their number.
void removeBody(aImageData* d) {
    const size_t i = d->bodyIndex;
    if (i >= g_bodies.size() || g_bodies[i] != d)
        return; // the list was cleared since
    g_bodies[i] = g_bodies.back();
    g_bodies[i]->bodyIndex = i;
    g_bodies.pop_back();
}

void releaseCell(aImageCell& c) {
    if (c.texture)
        c.texture->release();
    c = aImageCell();
}

// Reads a whole texture into ARGB words.
bool readTexture(aTexture* t, std::vector<uint32_t>& argb) {
    aLockedRect lr{};
    if (t->lockRect(&lr, nullptr, A_LOCK_READONLY) != A_OK)
        return false;
    argb.resize(size_t(t->width()) * t->height());
    for (uint32_t y = 0; y < t->height(); ++y)
        a_convertRowToArgb(t->format(), static_cast<const uint8_t*>(lr.bits) + size_t(y) * lr.pitch,
                           t->width(), &argb[size_t(y) * t->width()]);
    t->unlockRect();
    return true;
}

int32_t writeTexture(aTexture* t, const uint32_t* argb, uint32_t w, uint32_t h) {
    aLockedRect lr{};
    int32_t rc = t->lockRect(&lr, nullptr, 0);
    if (rc != A_OK)
        return rc;
    for (uint32_t y = 0; y < h && y < t->height(); ++y)
        a_convertRowFromArgb(t->format(), argb + size_t(y) * w, std::min(w, t->width()),
                             static_cast<uint8_t*>(lr.bits) + size_t(y) * lr.pitch);
    return t->unlockRect();
}

// Triangular-weight blur of one line of ARGB words (window 2r + 1, edge
// pixels repeated), all four channels.
void blurLine(const uint32_t* src, uint32_t* dst, int n, int stride, int r) {
    const int div = (r + 1) * (r + 1);
    std::vector<uint32_t> line(n);
    for (int i = 0; i < n; ++i)
        line[i] = src[size_t(i) * stride];
    for (int i = 0; i < n; ++i) {
        uint32_t sum[4] = {0, 0, 0, 0};
        for (int k = -r; k <= r; ++k) {
            int j = std::clamp(i + k, 0, n - 1);
            uint32_t w = uint32_t(r + 1 - std::abs(k));
            uint32_t v = line[j];
            sum[0] += (v & 0xFF) * w;
            sum[1] += ((v >> 8) & 0xFF) * w;
            sum[2] += ((v >> 16) & 0xFF) * w;
            sum[3] += (v >> 24) * w;
        }
        dst[size_t(i) * stride] =
            (sum[0] / div) | ((sum[1] / div) << 8) | ((sum[2] / div) << 16) | ((sum[3] / div) << 24);
    }
}

} // namespace

void aImage::setGraphServer(aGraphServer* graphServer) {
    g_server = graphServer;
}
aGraphServer* aImage::getGraphServer() {
    return server(false);
}
const std::vector<aImageData*>& aImage::getBodies() {
    return g_bodies;
}
void aImage::clearBodyList() {
    g_bodies.clear();
}

aImage::aImage() : m_data(new aImageData), m_cell(&m_data->cells[0]) {
    addBody(m_data);
}

aImage::aImage(const std::string& file, int format16, int format32)
    : aImage(file, format16, format32, nullptr) {}

aImage::aImage(const std::string& file, int format16, int format32, aImageFile&& read)
    : aImage(file, format16, format32, &read) {}

aImage::aImage(const std::string& file, int format16, int format32, aImageFile* read)
    : m_data(new aImageData), m_cell(&m_data->cells[0]) {
    m_data->fileName = file;
    m_data->format16 = format16;
    m_data->format32 = format32;
    addBody(m_data);
    loadTexture(read);
}

aImage::aImage(const aImage& other) : m_data(other.m_data), m_cell(&m_data->cells[0]) {
    ++m_data->refCount;
}

aImage& aImage::operator=(const aImage& other) {
    if (this == &other || m_data == other.m_data)
        return *this;
    release();
    m_data = other.m_data;
    m_cell = &m_data->cells[0];
    m_cellIndex = 0;
    ++m_data->refCount;
    return *this;
}

aImage::~aImage() {
    release();
}

void aImage::release() {
    if (!m_data)
        return;
    if (--m_data->refCount == 0) {
        removeBody(m_data);
        for (aImageCell& c : m_data->cells)
            releaseCell(c);
        delete m_data;
    }
    m_data = nullptr;
    m_cell = nullptr;
}

void aImage::unload() {
    // A body shared with other handles is left to them as it is: this handle
    // alone moves to a fresh body, so a later load cannot change their picture.
    if (m_data->refCount > 1 || m_data->cells[0].texture) {
        release();
        m_data = new aImageData;
        m_cell = &m_data->cells[0];
        m_cellIndex = 0;
    }
}

void aImage::load(const std::string& file, int format16, int format32) {
    // The effects stay with this handle and are applied to the new picture.
    std::vector<uint32_t> effects = m_data->effects;
    std::unique_ptr<aImageEffectParams> params[4];
    for (int i = 0; i < 4; ++i) {
        if (auto* b = dynamic_cast<aImageBlurParams*>(m_data->params[i].get()))
            params[i] = std::make_unique<aImageBlurParams>(*b);
        else if (auto* g = dynamic_cast<aImageGrayParams*>(m_data->params[i].get()))
            params[i] = std::make_unique<aImageGrayParams>(*g);
    }
    unload();
    m_data->effects = effects;
    for (int i = 0; i < 4; ++i)
        m_data->params[i] = std::move(params[i]);
    m_data->fileName = file;
    m_data->format16 = format16;
    m_data->format32 = format32;
    loadTexture();
}

void aImage::createEmpty(uint32_t width, uint32_t height) {
    unload();
    m_data->fileName.clear();
    m_data->format16 = m_data->format32 = A_FMT_A8R8G8B8;
    m_data->emptyWidth = width;
    m_data->emptyHeight = height;
    m_data->emptyCreated = 0;
    loadTexture();
}

size_t aImage::getTextureBytes() const {
    size_t bytes = 0;
    for (const aImageCell& c : m_data->cells) {
        if (c.texture)
            bytes += size_t(c.texture->pitch()) * c.texture->height();
    }
    return bytes;
}

int aImage::getFormat() const {
    return m_data->cells[0].texture ? m_data->cells[0].texture->format() : 0;
}

aImageFile a_readImageFile(const std::string& path) {
    aImageFile out;
    aLogHold hold;
    size_t size = 0;
    uint8_t* data = file_readFullAndMalloc(path, &size);
    if (data) {
        out.read = true;
        out.jng = size >= 4 && data[0] == 0x8B && data[1] == 'J' && data[2] == 'N' && data[3] == 'G';
        out.decoded = out.jng ? a_decodeJng(data, size, out.picture, out.error)
                              : a_decodeImage(data, size, out.picture, out.error);
        std::free(data);
    }
    out.log = hold.take();
    return out;
}

void aImage::loadTexture(aImageFile* read) {
    aImageData& d = *m_data;
    if (d.fileName.empty() && d.emptyCreated)
        return;
    aGraphServer* gs = server(true);
    if (!gs || !gs->getDevice())
        return;
    aDevice* device = gs->getDevice();
    int wanted = gs->is32Bit() ? d.format32 : d.format16;
    releaseCell(d.cells[0]);

    if (d.fileName.empty()) {
        if (d.emptyWidth == 0 || d.emptyHeight == 0 || d.emptyWidth > A_IMAGE_MAX_SIDE ||
            d.emptyHeight > A_IMAGE_MAX_SIDE) {
            a_log("Texture \"%s\" load failed (%s)", d.fileName.c_str(),
                  a_deviceErrorText(A_ERR_INVALIDCALL));
            return;
        }
        aTexture* t = nullptr;
        int32_t rc =
            device->createTexture(d.emptyWidth, d.emptyHeight, 1, 0, A_FMT_A8R8G8B8, A_POOL_MANAGED, &t);
        if (rc != A_OK || !t) {
            a_log("Texture \"%s\" load failed (%s)", d.fileName.c_str(), a_deviceErrorText(rc));
            return;
        }
        d.cells[0].texture = t;
        d.cells[0].imageWidth = uint16_t(d.emptyWidth);
        d.cells[0].imageHeight = uint16_t(d.emptyHeight);
        d.emptyCreated = 1;
    } else {
        aImageFile own;
        if (!read) {
            own = a_readImageFile(d.fileName);
            read = &own;
        }
        a_logLines(read->log);
        if (!read->read) {
            a_log("Texture \"%s\" load failed (%s)", d.fileName.c_str(), "file not found or empty");
            return;
        }
        aDecodedImage& pic = read->picture;
        const bool jng = read->jng;
        if (!read->decoded) {
            if (jng)
                a_log("aImage::createFromMNG - mnglib init/read error!");
            else
                a_log("Texture \"%s\" load failed (%s)", d.fileName.c_str(), read->error.c_str());
            return;
        }
        int format = wanted;
        if (format != 0 && a_formatBytes(format) == 0) {
            a_log("aImage. Unknown texture format %d for \"%s\", the file's own is used", format,
                  d.fileName.c_str());
            format = 0;
        }
        if (format == 0)
            format = jng ? A_FMT_A8R8G8B8 : pic.fileFormat;
        aTexture* t = nullptr;
        // A 32-bit texture takes the decoded words as they are: no second
        // copy of the picture is made.
        const bool adopt = format == A_FMT_A8R8G8B8 || format == A_FMT_X8R8G8B8;
        int32_t rc = adopt ? device->createTextureFromPixels(pic.pixels, pic.width, pic.height, format,
                                                             A_POOL_MANAGED, &t)
                           : device->createTexture(pic.width, pic.height, 1, 0, format, A_POOL_MANAGED, &t);
        if (rc != A_OK || !t) {
            if (jng)
                a_log("aImage::createFromMNG - D3DXCreateTexture error (%s)", a_deviceErrorText(rc));
            else
                a_log("Texture \"%s\" load failed (%s)", d.fileName.c_str(), a_deviceErrorText(rc));
            return;
        }
        if (!adopt)
            rc = writeTexture(t, pic.pixels.data(), pic.width, pic.height);
        if (rc != A_OK) {
            if (jng)
                a_log("aImage::createFromMNG - LockRect error (%s)", a_deviceErrorText(rc));
            else
                a_log("Texture \"%s\" load failed (%s)", d.fileName.c_str(), a_deviceErrorText(rc));
            t->release();
            return;
        }
        d.cells[0].texture = t;
        d.cells[0].imageWidth = uint16_t(pic.width);
        d.cells[0].imageHeight = uint16_t(pic.height);
    }
    d.cells[0].textureWidth = uint16_t(d.cells[0].texture->width());
    d.cells[0].textureHeight = uint16_t(d.cells[0].texture->height());
    applyEffects();
}

void aImage::applyEffects() {
    for (uint32_t code : m_data->effects) {
        if (code == A_IMAGE_EFFECT_BLUR || code == A_IMAGE_EFFECT_BLUR2) {
            auto* p = static_cast<aImageBlurParams*>(m_data->params[aImageData::PARAM_BLUR].get());
            if (p) {
                int r = p->radius;
                p->radius = -1; // force the copy to be made again for the new texture
                runBlur(r);
            }
        } else if (code == A_IMAGE_EFFECT_GRAY) {
            auto* p = static_cast<aImageGrayParams*>(m_data->params[aImageData::PARAM_GRAY].get());
            if (p)
                runGrayscale(p->inPlace != 0);
        }
    }
}

uint32_t aImage::getPixel(int x, int y) const {
    aTexture* t = m_data->cells[0].texture;
    if (!t)
        return 0;
    if (x < 0 || y < 0 || uint32_t(x) >= t->width() || uint32_t(y) >= t->height()) {
        if (!m_data->outsideReadLogged) {
            m_data->outsideReadLogged = true;
            a_log("aImage::getPixel - point %d,%d outside the image \"%s\"", x, y, m_data->fileName.c_str());
        }
        return 0;
    }
    int format = t->format();
    if (!a_formatBytes(format))
        return 0;
    aDeviceRect r{x, y, x + 1, y + 1};
    aLockedRect lr{};
    if (t->lockRect(&lr, &r, A_LOCK_READONLY) != A_OK)
        return 0;
    uint32_t argb = 0;
    a_convertRowToArgb(format, lr.bits, 1, &argb);
    t->unlockRect();
    return argb;
}

bool aImage::setPixel(int x, int y, uint32_t argb) {
    aTexture* t = m_data->cells[0].texture;
    if (!t || x < 0 || y < 0 || uint32_t(x) >= t->width() || uint32_t(y) >= t->height() ||
        !a_formatBytes(t->format()))
        return false;
    aDeviceRect r{x, y, x + 1, y + 1};
    aLockedRect lr{};
    if (t->lockRect(&lr, &r, 0) != A_OK)
        return false;
    a_convertRowFromArgb(t->format(), &argb, 1, lr.bits);
    t->unlockRect();
    return true;
}

bool aImage::lock(const aRect* rect, bool readOnly, uint32_t** bits, int* pitch) {
    aTexture* t = m_data->cells[0].texture;
    if (!t || t->format() != A_FMT_A8R8G8B8) {
        a_log("Image format != A8R8G8B8, lock failed!");
        return false;
    }
    aDeviceRect r = rect ? aDeviceRect{rect->x, rect->y, rect->x + rect->width, rect->y + rect->height}
                         : aDeviceRect{0, 0, int32_t(getWidth()), int32_t(getHeight())};
    aLockedRect lr{};
    if (t->lockRect(&lr, &r, readOnly ? A_LOCK_READONLY : 0) != A_OK) {
        a_log("Image lock failed!");
        return false;
    }
    *bits = static_cast<uint32_t*>(lr.bits);
    *pitch = lr.pitch / 4;
    return true;
}

void aImage::unlock() {
    if (m_data->cells[0].texture)
        m_data->cells[0].texture->unlockRect();
}

void aImage::draw(const float* position, const aRect* rect, uint32_t colour, const float* scale,
                  float rotation, const float* centre, bool useRect) const {
    aImageCell& main = m_data->cells[0];
    aGraphServer* gs = server(false);
    if (!gs || !gs->getSprite() || !main.texture || !rect || rect->width == 0 || rect->height == 0)
        return;
    int32_t ta, tr, tg, tb;
    gs->getGlobalColor(ta, tr, tg, tb);
    auto mul = [](uint32_t c, int32_t t) { return (c * uint32_t(std::clamp(t, 0, 255))) / 255u; };
    uint32_t a = mul(colour >> 24, ta), r = mul((colour >> 16) & 0xFF, tr), g = mul((colour >> 8) & 0xFF, tg),
             b = mul(colour & 0xFF, tb);
    uint32_t tinted = (a << 24) | (r << 16) | (g << 8) | b;
    aVec2 sc{scale ? scale[0] : 1.0f, scale ? scale[1] : 1.0f};
    aVec2 pos{position ? position[0] : 0.0f, position ? position[1] : 0.0f};
    aDeviceSprite* sprite = gs->getSprite();

    auto drawMain = [&]() {
        aDeviceRect src{rect->x, rect->y, rect->x + rect->width, rect->y + rect->height};
        aVec2 c = centre ? aVec2{centre[0] * sc.x, centre[1] * sc.y}
                         : aVec2{rect->width * sc.x * 0.5f, rect->height * sc.y * 0.5f};
        sprite->draw(main.texture, &src, &sc, &c, rotation, &pos, tinted);
    };

    aImageCell& blur = m_data->cells[1];
    auto* bp = static_cast<aImageBlurParams*>(m_data->params[aImageData::PARAM_BLUR].get());
    if (m_cellIndex != 2 || !blur.texture || !bp) {
        drawMain();
        return;
    }
    float rad = float(bp->radius);
    uint32_t glow = (uint32_t(bp->strength * float(a)) << 24) | (tinted & 0xFFFFFF);
    aDeviceRect bsrc;
    aVec2 bpos, bc;
    if (!useRect) {
        bsrc = aDeviceRect{0, 0, int32_t(blur.textureWidth), int32_t(blur.textureHeight)};
        bpos = aVec2{pos.x - rad * sc.x, pos.y - rad * sc.y};
    } else {
        bsrc = aDeviceRect{rect->x + bp->radius, rect->y + bp->radius, rect->x + bp->radius + rect->width,
                           rect->y + bp->radius + rect->height};
        bpos = pos;
    }
    if (!centre)
        bc = aVec2{(bsrc.right - bsrc.left) * 0.5f * sc.x, (bsrc.bottom - bsrc.top) * 0.5f * sc.y};
    else if (!useRect)
        bc = aVec2{(centre[0] + rad) * sc.x, (centre[1] + rad) * sc.y};
    else
        bc = aVec2{centre[0] * sc.x, centre[1] * sc.y};
    int32_t oldMode = gs->getBlendMode();
    sprite->draw(blur.texture, &bsrc, &sc, &bc, rotation, &bpos, glow);
    drawMain();
    gs->setBlendMode(1);
    sprite->draw(blur.texture, &bsrc, &sc, &bc, rotation, &bpos, glow);
    gs->setBlendMode(oldMode);
}

void aImage::addBlur(int radius, float strength) {
    radius = std::clamp(radius, 0, 255);
    auto& slot = m_data->params[aImageData::PARAM_BLUR];
    if (!slot)
        slot = std::make_unique<aImageBlurParams>();
    static_cast<aImageBlurParams*>(slot.get())->strength = std::clamp(strength, 0.0f, 1.0f);
    if (std::find(m_data->effects.begin(), m_data->effects.end(), A_IMAGE_EFFECT_BLUR) ==
        m_data->effects.end())
        m_data->effects.push_back(A_IMAGE_EFFECT_BLUR);
    runBlur(radius);
}

void aImage::addGrayscale(bool inPlace) {
    if (std::find(m_data->effects.begin(), m_data->effects.end(), A_IMAGE_EFFECT_GRAY) ==
        m_data->effects.end())
        m_data->effects.push_back(A_IMAGE_EFFECT_GRAY);
    runGrayscale(inPlace);
}

void aImage::runBlur(int radius) {
    auto& slot = m_data->params[aImageData::PARAM_BLUR];
    if (!slot)
        slot = std::make_unique<aImageBlurParams>();
    auto* p = static_cast<aImageBlurParams*>(slot.get());
    aImageCell& main = m_data->cells[0];
    aImageCell& blur = m_data->cells[1];
    int stored = blur.texture ? p->radius : 0;
    if (radius == stored)
        return;
    p->radius = radius;
    releaseCell(blur);
    aGraphServer* gs = server(false);
    if (!main.texture || !gs || !gs->getDevice())
        return;
    std::vector<uint32_t> src;
    if (!readTexture(main.texture, src))
        return;
    uint32_t iw = main.imageWidth, ih = main.imageHeight, tw = main.texture->width();
    uint32_t bw = iw + 2 * uint32_t(radius), bh = ih + 2 * uint32_t(radius);
    aTexture* t = nullptr;
    if (gs->getDevice()->createTexture(bw, bh, 1, 0, main.texture->format(), A_POOL_MANAGED, &t) != A_OK ||
        !t) {
        a_log("aImage: Failed create empty texture for blur");
        return;
    }
    std::vector<uint32_t> px(size_t(bw) * bh, 0x00808080u);
    for (uint32_t y = 0; y < ih; ++y)
        std::memcpy(&px[size_t(y + radius) * bw + radius], &src[size_t(y) * tw], iw * 4u);
    if (radius > 0) {
        std::vector<uint32_t> tmp(px.size());
        for (uint32_t y = 0; y < bh; ++y)
            blurLine(&px[size_t(y) * bw], &tmp[size_t(y) * bw], int(bw), 1, radius);
        for (uint32_t x = 0; x < bw; ++x)
            blurLine(&tmp[x], &px[x], int(bh), int(bw), radius);
    }
    writeTexture(t, px.data(), bw, bh);
    blur.texture = t;
    blur.imageWidth = uint16_t(bw);
    blur.imageHeight = uint16_t(bh);
    blur.textureWidth = uint16_t(t->width());
    blur.textureHeight = uint16_t(t->height());
}

void aImage::runGrayscale(bool inPlace) {
    auto& slot = m_data->params[aImageData::PARAM_GRAY];
    if (!slot)
        slot = std::make_unique<aImageGrayParams>();
    auto* p = static_cast<aImageGrayParams*>(slot.get());
    aImageCell& main = m_data->cells[0];
    aImageCell& gray = m_data->cells[2];
    if (gray.texture && !inPlace)
        return;
    p->inPlace = inPlace ? 1 : 0;
    aGraphServer* gs = server(false);
    if (!main.texture || !gs || !gs->getDevice())
        return;
    std::vector<uint32_t> px;
    if (!readTexture(main.texture, px))
        return;
    for (uint32_t& v : px) {
        uint32_t grey = (((v >> 16) & 0xFF) + ((v >> 8) & 0xFF) + (v & 0xFF)) / 3;
        v = (v & 0xFF000000u) | (grey * 0x010101u);
    }
    aTexture* target = main.texture;
    if (!inPlace) {
        aTexture* t = nullptr;
        if (gs->getDevice()->createTexture(main.texture->width(), main.texture->height(), 1, 0,
                                           main.texture->format(), A_POOL_MANAGED, &t) != A_OK ||
            !t) {
            a_log("aImage: Failed create empty texture for grayscale");
            return;
        }
        gray = main;
        gray.texture = t;
        target = t;
    }
    writeTexture(target, px.data(), main.texture->width(), main.texture->height());
}
