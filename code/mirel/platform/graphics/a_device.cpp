#include "mirel/platform/graphics/a_device.h"

#include "mirel/base/a_memory.h"
#include "mirel/platform/graphics/a_axissampler.h"
#include "mirel/platform/graphics/a_raster.h"
#include "mirel/platform/graphics/a_sampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace {
constexpr uint32_t kMaxSize = 8192;
int32_t g_createFault = A_OK;

void releaseRef(aDeviceResource* r) {
    if (r) {
        r->release();
    }
}

int64_t floorDiv(int64_t a, int64_t b) { // b > 0
    const int64_t q = a / b;
    return q - int64_t((a % b != 0) & (a < 0));
}

uint32_t clampByte(double v) {
    if (!(v > 0.0)) {
        return 0;
    }
    if (v >= 255.0) {
        return 255;
    }
    return uint32_t(v + 0.5);
}
} // namespace

const char* a_deviceErrorText(int32_t code) {
    switch (code) {
    case A_OK:
        return "D3D_OK";
    case A_ERR_DEVICELOST:
        return "D3DERR_DEVICELOST";
    case A_ERR_DEVICENOTRESET:
        return "D3DERR_DEVICENOTRESET";
    case A_ERR_DRIVERINTERNALERROR:
        return "D3DERR_DRIVERINTERNALERROR";
    case A_ERR_INVALIDCALL:
        return "D3DERR_INVALIDCALL";
    case A_ERR_NOTAVAILABLE:
        return "D3DERR_NOTAVAILABLE";
    case A_ERR_OUTOFVIDEOMEMORY:
        return "D3DERR_OUTOFVIDEOMEMORY";
    case A_ERR_OUTOFMEMORY:
        return "E_OUTOFMEMORY";
    default:
        return "Unknown error";
    }
}

int a_formatBytes(int format) {
    switch (format) {
    case A_FMT_A8R8G8B8:
    case A_FMT_X8R8G8B8:
        return 4;
    case A_FMT_R5G6B5:
    case A_FMT_A1R5G5B5:
    case A_FMT_A4R4G4B4:
        return 2;
    default:
        return 0;
    }
}

// ---- resources ---------------------------------------------------------------

uint32_t aDeviceResource::addRef() {
    return ++m_refs;
}

uint32_t aDeviceResource::release() {
    uint32_t left = --m_refs;
    if (left == 0) {
        delete this;
    }
    return left;
}

aTexture::aTexture(std::shared_ptr<aDeviceFaults> faults, uint32_t w, uint32_t h, int format, int pool)
    : aDeviceResource(std::move(faults)), m_width(w), m_height(h), m_format(format), m_pool(pool),
      m_pitch(w * uint32_t(a_formatBytes(format))) {
    const size_t words = (size_t(m_pitch) * h + 3) / 4;
    a_reserveResident(m_words, words);
    m_words.resize(words);
}

aTexture::aTexture(std::shared_ptr<aDeviceFaults> faults, uint32_t w, uint32_t h, int format, int pool,
                   std::vector<uint32_t>&& texels)
    : aDeviceResource(std::move(faults)), m_width(w), m_height(h), m_format(format), m_pool(pool),
      m_pitch(w * uint32_t(a_formatBytes(format))), m_words(std::move(texels)) {}

int32_t aTexture::lockRect(aLockedRect* out, const aDeviceRect* rect, uint32_t /*flags*/) {
    if (int32_t f = fault(aDeviceCall::LockTexture)) {
        return f;
    }
    if (!out || m_locked) {
        return A_ERR_INVALIDCALL;
    }
    aDeviceRect r = rect ? *rect : aDeviceRect{0, 0, int32_t(m_width), int32_t(m_height)};
    if (r.left < 0 || r.top < 0 || r.right > int32_t(m_width) || r.bottom > int32_t(m_height) ||
        r.left >= r.right || r.top >= r.bottom) {
        return A_ERR_INVALIDCALL;
    }
    m_clearMade = false;
    m_opaque = -1;
    out->pitch = int32_t(m_pitch);
    out->bits = data() + size_t(r.top) * m_pitch + size_t(r.left) * a_formatBytes(m_format);
    m_locked = true;
    return A_OK;
}

int32_t aTexture::unlockRect() {
    if (int32_t f = fault(aDeviceCall::UnlockTexture)) {
        return f;
    }
    if (!m_locked) {
        return A_ERR_INVALIDCALL;
    }
    m_locked = false;
    return A_OK;
}

const aClearBlocks* aTexture::clearBlocks() const {
    if (m_format != A_FMT_A8R8G8B8) {
        return nullptr;
    }
    if (m_clearMade) {
        return &m_clear;
    }
    const int shift = aClearBlocks::kShift;
    const size_t across = (size_t(m_width) + (1u << shift) - 1) >> shift;
    const size_t down = (size_t(m_height) + (1u << shift) - 1) >> shift;
    const size_t c = across + 1;
    m_clear.columns = int(c);
    m_clear.sums.assign((down + 1) * c, 0u);
    // The alpha bits of each block's texels or-ed together, row by row.
    std::vector<uint32_t> seen(across);
    for (size_t by = 0; by < down; ++by) {
        std::fill(seen.begin(), seen.end(), 0u);
        const size_t y1 = std::min<size_t>(m_height, (by + 1) << shift);
        for (size_t y = by << shift; y < y1; ++y) {
            const uint32_t* row = m_words.data() + y * m_width;
            for (size_t bx = 0; bx < across; ++bx) {
                const size_t x1 = std::min<size_t>(m_width, (bx + 1) << shift);
                uint32_t a = 0;
                for (size_t x = bx << shift; x < x1; ++x) {
                    a |= row[x];
                }
                seen[bx] |= a & 0xFF000000u;
            }
        }
        uint32_t line = 0;
        for (size_t bx = 0; bx < across; ++bx) {
            line += seen[bx] ? 1u : 0u;
            m_clear.sums[(by + 1) * c + bx + 1] = m_clear.sums[by * c + bx + 1] + line;
        }
    }
    m_clearMade = true;
    return &m_clear;
}

bool aTexture::opaque() const {
    if (m_format == A_FMT_X8R8G8B8 || m_format == A_FMT_R5G6B5) {
        return true;
    }
    if (m_format != A_FMT_A8R8G8B8) {
        return false;
    }
    if (m_opaque < 0) {
        uint32_t all = 0xFF000000u;
        const size_t n = size_t(m_width) * m_height;
        for (size_t i = 0; i < n; ++i) {
            all &= m_words[i];
        }
        m_opaque = (all & 0xFF000000u) == 0xFF000000u ? 1 : 0;
    }
    return m_opaque == 1;
}

uint32_t aTexture::texel(uint32_t x, uint32_t y) const {
    if (x >= m_width || y >= m_height) {
        return 0;
    }
    return a_convertPixel(data() + size_t(y) * m_pitch + size_t(x) * a_formatBytes(m_format), m_format);
}

aDeviceBuffer::aDeviceBuffer(std::shared_ptr<aDeviceFaults> faults, uint32_t length, uint32_t usage, int pool,
                             aDeviceCall lockCall, aDeviceCall unlockCall)
    : aDeviceResource(std::move(faults)), m_usage(usage), m_pool(pool), m_lockCall(lockCall),
      m_unlockCall(unlockCall), m_data(length, 0) {}

int32_t aDeviceBuffer::lock(uint32_t offset, uint32_t size, void** out, uint32_t) {
    if (int32_t f = fault(m_lockCall)) {
        return f;
    }
    if (!out || m_locked) {
        return A_ERR_INVALIDCALL;
    }
    if (size == 0) {
        if (offset > m_data.size()) {
            return A_ERR_INVALIDCALL;
        }
    } else if (uint64_t(offset) + size > m_data.size()) {
        return A_ERR_INVALIDCALL;
    }
    *out = m_data.data() + offset;
    m_locked = true;
    return A_OK;
}

int32_t aDeviceBuffer::unlock() {
    if (int32_t f = fault(m_unlockCall)) {
        return f;
    }
    if (!m_locked) {
        return A_ERR_INVALIDCALL;
    }
    m_locked = false;
    return A_OK;
}

aVertexBuffer::aVertexBuffer(std::shared_ptr<aDeviceFaults> faults, uint32_t length, uint32_t usage,
                             uint32_t fvf, int pool)
    : aDeviceBuffer(std::move(faults), length, usage, pool, aDeviceCall::LockVertexBuffer,
                    aDeviceCall::UnlockVertexBuffer),
      m_fvf(fvf) {}

aIndexBuffer::aIndexBuffer(std::shared_ptr<aDeviceFaults> faults, uint32_t length, uint32_t usage, int format,
                           int pool)
    : aDeviceBuffer(std::move(faults), length, usage, pool, aDeviceCall::LockIndexBuffer,
                    aDeviceCall::UnlockIndexBuffer),
      m_format(format) {}

// ---- device: life, states, scene -----------------------------------------------

int32_t aDevice::create(const aPresentParams& params, aPresentSink* sink, std::unique_ptr<aDevice>* out) {
    if (!out) {
        return A_ERR_INVALIDCALL;
    }
    out->reset();
    if (g_createFault != A_OK) {
        return g_createFault;
    }
    if (params.backBufferWidth < 1 || params.backBufferHeight < 1 || params.backBufferWidth > kMaxSize ||
        params.backBufferHeight > kMaxSize) {
        return A_ERR_INVALIDCALL;
    }
    out->reset(new aDevice(params, sink));
    return A_OK;
}

void aDevice::setCreateFault(int32_t code) {
    g_createFault = code;
}

aDevice::aDevice(const aPresentParams& params, aPresentSink* sink)
    : m_faults(std::make_shared<aDeviceFaults>()), m_params(params), m_sink(sink),
      m_axis(std::make_unique<aAxisSampler>()) {
    resize(params.backBufferWidth, params.backBufferHeight);
    resetStates();
}

aDevice::~aDevice() {
    releaseRef(m_texture);
    releaseRef(m_stream);
    releaseRef(m_indices);
}

bool aDevice::resize(uint32_t w, uint32_t h) {
    m_width = w;
    m_height = h;
    for (std::vector<uint32_t>* buffer : {&m_back, &m_front}) {
        a_reserveResident(*buffer, size_t(w) * h);
        buffer->assign(size_t(w) * h, 0xFF000000u);
    }
    m_pending.row.assign(h, 0);
    m_pending.rows = 0;
    m_backStale = false;
    m_viewport = aViewport{0, 0, w, h, 0.0f, 1.0f};
    return true;
}

void aDevice::resetStates() {
    m_alphaBlend = 0;
    m_srcBlend = A_BLEND_ONE;
    m_destBlend = A_BLEND_ZERO;
    m_zEnable = m_params.enableAutoDepthStencil ? 1 : 0;
    m_lighting = 1;
    m_magFilter = A_TEXF_POINT;
    m_minFilter = A_TEXF_POINT;
    m_fvf = 0;
    releaseRef(m_texture);
    m_texture = nullptr;
    releaseRef(m_stream);
    m_stream = nullptr;
    m_streamStride = 0;
    releaseRef(m_indices);
    m_indices = nullptr;
    m_baseVertex = 0;
    m_inScene = false;
}

int32_t aDevice::reset(const aPresentParams& params) {
    if (int32_t f = fault(aDeviceCall::Reset)) {
        return f;
    }
    if (m_coopState == A_ERR_DEVICELOST || m_coopState == A_ERR_DRIVERINTERNALERROR) {
        return m_coopState;
    }
    if (params.backBufferWidth < 1 || params.backBufferHeight < 1 || params.backBufferWidth > kMaxSize ||
        params.backBufferHeight > kMaxSize) {
        return A_ERR_INVALIDCALL;
    }
    m_params = params;
    resize(params.backBufferWidth, params.backBufferHeight);
    resetStates();
    m_coopState = A_OK;
    if (m_sink) {
        m_sink->presentParamsChanged(m_params);
    }
    return A_OK;
}

int32_t aDevice::beginScene() {
    if (int32_t f = fault(aDeviceCall::BeginScene)) {
        return f;
    }
    if (m_inScene) {
        return A_ERR_INVALIDCALL;
    }
    m_inScene = true;
    return A_OK;
}

int32_t aDevice::endScene() {
    if (int32_t f = fault(aDeviceCall::EndScene)) {
        return f;
    }
    if (!m_inScene) {
        return A_ERR_INVALIDCALL;
    }
    m_inScene = false;
    return A_OK;
}

int32_t aDevice::clear(uint32_t flags, uint32_t colour, float) {
    if (int32_t f = fault(aDeviceCall::Clear)) {
        return f;
    }
    if (flags & ~A_CLEAR_TARGET) {
        return A_ERR_INVALIDCALL; // there is no depth or stencil buffer
    }
    if (flags & A_CLEAR_TARGET) {
        if (m_viewport.x == 0 && m_viewport.y == 0 && m_viewport.width == m_width &&
            m_viewport.height == m_height) {
            m_backStale = false; // nothing of the older frame stays
        }
        keepBack();
        // A clear still waiting is done first; then the rows of this one wait.
        settleClear();
        m_pending.colour = colour | 0xFF000000u;
        m_pending.x0 = m_viewport.x;
        m_pending.x1 = m_viewport.x + m_viewport.width;
        std::fill(m_pending.row.begin() + m_viewport.y,
                  m_pending.row.begin() + m_viewport.y + m_viewport.height, uint8_t(1));
        m_pending.rows = m_viewport.height;
        if (m_reference) {
            settleClear();
        }
    }
    return A_OK;
}

void aDevice::settleClear() const {
    for (uint32_t y = 0; m_pending.rows != 0 && y < m_height; ++y) {
        prepareRow(y, 0, 0, false);
    }
}

void aDevice::fillPendingRow(int64_t y, int64_t x0, int64_t x1, bool opaque) const {
    m_pending.row[size_t(y)] = 0;
    --m_pending.rows;
    uint32_t* row = m_back.data() + size_t(y) * m_width;
    const int64_t from = m_pending.x0, to = m_pending.x1;
    if (!opaque) {
        std::fill(row + from, row + to, m_pending.colour);
        return;
    }
    std::fill(row + from, row + std::clamp(x0, from, to), m_pending.colour);
    std::fill(row + std::clamp(x1, from, to), row + to, m_pending.colour);
}

int32_t aDevice::present() {
    if (int32_t f = fault(aDeviceCall::Present)) {
        return f;
    }
    if (m_coopState != A_OK) {
        return m_coopState == A_ERR_DEVICENOTRESET ? A_ERR_DEVICELOST : m_coopState;
    }
    keepBack();
    settleClear();
    m_front.swap(m_back);
    m_backStale = true;
    ++m_presents;
    if (m_sink) {
        aFrame frame{m_front.data(), m_width, m_height, m_width, &m_params};
        int32_t r = m_sink->present(frame);
        if (r == A_ERR_DEVICELOST) {
            m_coopState = A_ERR_DEVICELOST;
        }
        return r;
    }
    return A_OK;
}

void aDevice::takeFrontBack() const {
    std::copy(m_front.begin(), m_front.end(), m_back.begin());
    m_backStale = false;
}

int32_t aDevice::getFrontBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height) const {
    if (!pixels) {
        return A_ERR_INVALIDCALL;
    }
    *pixels = m_front;
    if (width) {
        *width = m_width;
    }
    if (height) {
        *height = m_height;
    }
    return A_OK;
}

int32_t aDevice::setViewport(const aViewport& vp) {
    if (vp.width == 0 || vp.height == 0 || uint64_t(vp.x) + vp.width > m_width ||
        uint64_t(vp.y) + vp.height > m_height) {
        return A_ERR_INVALIDCALL;
    }
    m_viewport = vp;
    return A_OK;
}

int32_t aDevice::setRenderState(int state, uint32_t value) {
    auto blendOk = [](uint32_t v) {
        return v == A_BLEND_ZERO || v == A_BLEND_ONE || v == A_BLEND_SRCALPHA || v == A_BLEND_INVSRCALPHA;
    };
    switch (state) {
    case A_RS_ALPHABLENDENABLE:
        m_alphaBlend = value ? 1 : 0;
        return A_OK;
    case A_RS_SRCBLEND:
        if (!blendOk(value)) {
            return A_ERR_INVALIDCALL;
        }
        m_srcBlend = value;
        return A_OK;
    case A_RS_DESTBLEND:
        if (!blendOk(value)) {
            return A_ERR_INVALIDCALL;
        }
        m_destBlend = value;
        return A_OK;
    case A_RS_ZENABLE:
        m_zEnable = value;
        return A_OK;
    case A_RS_LIGHTING:
        m_lighting = value;
        return A_OK;
    default:
        return A_ERR_INVALIDCALL;
    }
}

uint32_t aDevice::renderState(int state) const {
    switch (state) {
    case A_RS_ALPHABLENDENABLE:
        return m_alphaBlend;
    case A_RS_SRCBLEND:
        return m_srcBlend;
    case A_RS_DESTBLEND:
        return m_destBlend;
    case A_RS_ZENABLE:
        return m_zEnable;
    case A_RS_LIGHTING:
        return m_lighting;
    default:
        return 0;
    }
}

int32_t aDevice::setTextureStageState(uint32_t stage, int type, uint32_t value) {
    if (stage != 0 || value > A_TEXF_LINEAR) {
        return A_ERR_INVALIDCALL;
    }
    if (type == A_TSS_MAGFILTER) {
        m_magFilter = value;
    } else if (type == A_TSS_MINFILTER) {
        m_minFilter = value;
    } else {
        return A_ERR_INVALIDCALL;
    }
    return A_OK;
}

uint32_t aDevice::textureStageState(uint32_t stage, int type) const {
    if (stage != 0) {
        return 0;
    }
    return type == A_TSS_MAGFILTER ? m_magFilter : type == A_TSS_MINFILTER ? m_minFilter : 0;
}

int32_t aDevice::setTexture(uint32_t stage, aTexture* texture) {
    if (stage != 0) {
        return A_ERR_INVALIDCALL;
    }
    if (texture) {
        texture->addRef();
    }
    releaseRef(m_texture);
    m_texture = texture;
    return A_OK;
}

int32_t aDevice::setVertexShader(uint32_t fvf) {
    m_fvf = fvf;
    return A_OK;
}

int32_t aDevice::createTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t, int format,
                               int pool, aTexture** out) {
    if (!out) {
        return A_ERR_INVALIDCALL;
    }
    *out = nullptr;
    if (int32_t f = fault(aDeviceCall::CreateTexture)) {
        return f;
    }
    if (width < 1 || height < 1 || width > kMaxSize || height > kMaxSize || levels > 1 ||
        a_formatBytes(format) == 0) {
        return A_ERR_INVALIDCALL;
    }
    *out = new aTexture(m_faults, width, height, format, pool);
    return A_OK;
}

int32_t aDevice::createTextureFromPixels(std::vector<uint32_t>& argb, uint32_t width, uint32_t height,
                                         int format, int pool, aTexture** out) {
    if (!out) {
        return A_ERR_INVALIDCALL;
    }
    *out = nullptr;
    if (int32_t f = fault(aDeviceCall::CreateTexture)) {
        return f;
    }
    if (width < 1 || height < 1 || width > kMaxSize || height > kMaxSize ||
        (format != A_FMT_A8R8G8B8 && format != A_FMT_X8R8G8B8) || argb.size() != size_t(width) * height) {
        return A_ERR_INVALIDCALL;
    }
    if (format == A_FMT_X8R8G8B8) {
        for (uint32_t& v : argb) {
            v |= 0xFF000000u;
        }
    }
    *out = new aTexture(m_faults, width, height, format, pool, std::move(argb));
    argb.clear();
    return A_OK;
}

int32_t aDevice::createVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, int pool,
                                    aVertexBuffer** out) {
    if (!out) {
        return A_ERR_INVALIDCALL;
    }
    *out = nullptr;
    if (int32_t f = fault(aDeviceCall::CreateVertexBuffer)) {
        return f;
    }
    if (length == 0 || length > (256u << 20)) {
        return A_ERR_INVALIDCALL;
    }
    *out = new aVertexBuffer(m_faults, length, usage, fvf, pool);
    return A_OK;
}

int32_t aDevice::createIndexBuffer(uint32_t length, uint32_t usage, int format, int pool,
                                   aIndexBuffer** out) {
    if (!out) {
        return A_ERR_INVALIDCALL;
    }
    *out = nullptr;
    if (int32_t f = fault(aDeviceCall::CreateIndexBuffer)) {
        return f;
    }
    if (length == 0 || length > (256u << 20) || (format != A_FMT_INDEX16 && format != A_FMT_INDEX32)) {
        return A_ERR_INVALIDCALL;
    }
    *out = new aIndexBuffer(m_faults, length, usage, format, pool);
    return A_OK;
}

int32_t aDevice::setStreamSource(uint32_t stream, aVertexBuffer* buffer, uint32_t stride) {
    if (stream != 0) {
        return A_ERR_INVALIDCALL;
    }
    if (buffer) {
        buffer->addRef();
    }
    releaseRef(m_stream);
    m_stream = buffer;
    m_streamStride = stride;
    return A_OK;
}

int32_t aDevice::setIndices(aIndexBuffer* buffer, uint32_t baseVertexIndex) {
    if (buffer) {
        buffer->addRef();
    }
    releaseRef(m_indices);
    m_indices = buffer;
    m_baseVertex = baseVertexIndex;
    return A_OK;
}

// ---- drawing -----------------------------------------------------------------

namespace {

uint32_t vertexCount(int type, uint32_t prims, bool* ok) {
    *ok = true;
    switch (type) {
    case A_PT_POINTLIST:
        return prims;
    case A_PT_LINELIST:
        return prims * 2;
    case A_PT_LINESTRIP:
        return prims + 1;
    case A_PT_TRIANGLELIST:
        return prims * 3;
    case A_PT_TRIANGLESTRIP:
    case A_PT_TRIANGLEFAN:
        return prims + 2;
    default:
        *ok = false;
        return 0;
    }
}

struct Clip {
    int x0, y0, x1, y1; // x1, y1 exclusive
};

// What every primitive of one draw call shares.
struct DrawContext {
    uint32_t* target;
    uint32_t pitch;
    Clip clip;
    aBlendOp op;
    const aTexture* texture;
    uint32_t magFilter, minFilter;
    std::vector<uint32_t>* scratch;
};

bool validPosition(const aVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::fabs(v.x) < 1.0e6f && std::fabs(v.y) < 1.0e6f;
}

void channels(uint32_t c, double out[4]) {
    out[0] = double(c >> 24);
    out[1] = double((c >> 16) & 255);
    out[2] = double((c >> 8) & 255);
    out[3] = double(c & 255);
}

uint32_t packChannels(const double c[4]) {
    return (clampByte(c[0]) << 24) | (clampByte(c[1]) << 16) | (clampByte(c[2]) << 8) | clampByte(c[3]);
}

uint32_t shadeOne(const DrawContext& dc, uint32_t diffuse, double u, double v) {
    if (!dc.texture) {
        return diffuse;
    }
    aSampler s(*dc.texture, aDeviceRect{0, 0, int32_t(dc.texture->width()), int32_t(dc.texture->height())},
               dc.magFilter == A_TEXF_LINEAR);
    uint32_t t;
    s.sampleRow(&t, 1, u * dc.texture->width(), v * dc.texture->height(), 0.0, 0.0);
    return a_modulate(t, diffuse);
}

void plot(const DrawContext& dc, int x, int y, uint32_t colour) {
    if (x < dc.clip.x0 || x >= dc.clip.x1 || y < dc.clip.y0 || y >= dc.clip.y1) {
        return;
    }
    uint32_t* p = dc.target + size_t(y) * dc.pitch + x;
    a_blendSpan(p, &colour, 1, 0xFFFFFFFFu, dc.op);
}

void drawPoint(const DrawContext& dc, const aVertex& v) {
    if (!validPosition(v)) {
        return;
    }
    plot(dc, int(std::floor(v.x + 0.5f)), int(std::floor(v.y + 0.5f)), shadeOne(dc, v.diffuse, v.u, v.v));
}

// A line covers, along its major axis, the pixels from the one nearest its
// start up to but not including the one nearest its end.
void drawLine(const DrawContext& dc, const aVertex& a, const aVertex& b) {
    if (!validPosition(a) || !validPosition(b)) {
        return;
    }
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const bool xMajor = std::fabs(dx) >= std::fabs(dy);
    const double major0 = xMajor ? a.x : a.y, major1 = xMajor ? b.x : b.y;
    const double d = xMajor ? dx : dy;
    const int64_t s = int64_t(std::floor(major0 + 0.5)), e = int64_t(std::floor(major1 + 0.5));
    if (s == e) {
        return;
    }
    const int step = e > s ? 1 : -1;
    double ca[4], cb[4];
    channels(a.diffuse, ca);
    channels(b.diffuse, cb);
    const bool flat = a.diffuse == b.diffuse;
    for (int64_t m = s; m != e; m += step) {
        const double t = std::clamp((double(m) - major0) / d, 0.0, 1.0);
        const double minor = xMajor ? a.y + t * dy : a.x + t * dx;
        const int64_t n = int64_t(std::floor(minor + 0.5));
        const int64_t px = xMajor ? m : n, py = xMajor ? n : m;
        if (px < dc.clip.x0 || px >= dc.clip.x1 || py < dc.clip.y0 || py >= dc.clip.y1) {
            continue;
        }
        uint32_t colour = a.diffuse;
        if (!flat) {
            double c[4];
            for (int k = 0; k < 4; ++k) {
                c[k] = ca[k] + t * (cb[k] - ca[k]);
            }
            colour = packChannels(c);
        }
        colour = dc.texture
                     ? shadeOne(dc, colour, a.u + t * (double(b.u) - a.u), a.v + t * (double(b.v) - a.v))
                     : colour;
        plot(dc, int(px), int(py), colour);
    }
}

// Triangles: vertices snapped to 1/256 pixel; pixel (i, j) is covered when the
// point (i, j) is inside or on a top or left edge. No culling. The plain form,
// the reference for drawTriangle.
void drawTriangleReference(const DrawContext& dc, const aVertex* v0, const aVertex* v1, const aVertex* v2) {
    if (!validPosition(*v0) || !validPosition(*v1) || !validPosition(*v2)) {
        return;
    }
    const aVertex* v[3] = {v0, v1, v2};
    int64_t X[3], Y[3];
    for (int k = 0; k < 3; ++k) {
        X[k] = std::llround(double(v[k]->x) * 256.0);
        Y[k] = std::llround(double(v[k]->y) * 256.0);
    }
    int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
    if (area == 0) {
        return;
    }
    if (area < 0) {
        std::swap(v[1], v[2]);
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
        area = -area;
    }
    // Edge k lies opposite vertex k: from vertex k+1 to vertex k+2.
    int64_t edx[3], edy[3], thr[3];
    for (int k = 0; k < 3; ++k) {
        const int a = (k + 1) % 3, b = (k + 2) % 3;
        edx[k] = X[b] - X[a];
        edy[k] = Y[b] - Y[a];
        const bool topLeft = (edy[k] == 0 && edx[k] > 0) || edy[k] < 0;
        thr[k] = topLeft ? 0 : 1;
    }
    const int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
    const int64_t minX = std::min({X[0], X[1], X[2]}), maxX = std::max({X[0], X[1], X[2]});
    const int64_t jy0 = std::max<int64_t>(dc.clip.y0, floorDiv(minY + 255, 256));
    const int64_t jy1 = std::min<int64_t>(dc.clip.y1 - 1, floorDiv(maxY, 256));
    const int64_t ix0 = std::max<int64_t>(dc.clip.x0, floorDiv(minX + 255, 256));
    const int64_t ix1 = std::min<int64_t>(dc.clip.x1 - 1, floorDiv(maxX, 256));
    if (jy0 > jy1 || ix0 > ix1) {
        return;
    }

    const double inv = 1.0 / double(area);
    double col[3][4];
    for (int k = 0; k < 3; ++k) {
        channels(v[k]->diffuse, col[k]);
    }
    const bool flat = v[0]->diffuse == v[1]->diffuse && v[1]->diffuse == v[2]->diffuse;
    const aTexture* tex = dc.texture;
    const double tw = tex ? tex->width() : 0.0, th = tex ? tex->height() : 0.0;
    // Texel position per pixel step: the filter follows how much the texture is
    // shrunk.
    bool linear = false;
    if (tex) {
        double dudi = 0, dvdi = 0, dudj = 0, dvdj = 0;
        for (int k = 0; k < 3; ++k) {
            dudi += v[k]->u * (-256.0 * edy[k]) * inv;
            dvdi += v[k]->v * (-256.0 * edy[k]) * inv;
            dudj += v[k]->u * (256.0 * edx[k]) * inv;
            dvdj += v[k]->v * (256.0 * edx[k]) * inv;
        }
        const double det = std::fabs(dudi * dvdj - dudj * dvdi) * tw * th;
        linear = (det > 1.0 + 1e-9 ? dc.minFilter : dc.magFilter) == A_TEXF_LINEAR;
    }
    std::vector<uint32_t>& scratch = *dc.scratch;
    if (scratch.size() < size_t(ix1 - ix0 + 1)) {
        scratch.resize(size_t(ix1 - ix0 + 1));
    }
    std::unique_ptr<aSampler> sampler;
    if (tex) {
        sampler = std::make_unique<aSampler>(
            *tex, aDeviceRect{0, 0, int32_t(tex->width()), int32_t(tex->height())}, linear);
    }

    for (int64_t j = jy0; j <= jy1; ++j) {
        const int64_t py = j * 256;
        int64_t lo = ix0, hi = ix1;
        int64_t ea[3], eb[3];
        for (int k = 0; k < 3 && lo <= hi; ++k) {
            const int a = (k + 1) % 3;
            ea[k] = -256 * edy[k];
            eb[k] = edx[k] * (py - Y[a]) + edy[k] * X[a];
            // ea * i + eb >= thr
            const int64_t need = thr[k] - eb[k];
            if (ea[k] > 0) {
                lo = std::max(lo, -floorDiv(-need, ea[k]));
            } else if (ea[k] < 0) {
                hi = std::min(hi, floorDiv(-need, -ea[k]));
            } else if (eb[k] < thr[k]) {
                lo = hi + 1;
            }
        }
        if (lo > hi) {
            continue;
        }
        const int n = int(hi - lo + 1);
        uint32_t* out = scratch.data();
        uint32_t constColour = 0xFFFFFFFFu;
        if (tex) {
            // u, v are affine in i along the row.
            double uA = 0, uB = 0, vA = 0, vB = 0;
            for (int k = 0; k < 3; ++k) {
                uA += v[k]->u * ea[k] * inv;
                uB += v[k]->u * eb[k] * inv;
                vA += v[k]->v * ea[k] * inv;
                vB += v[k]->v * eb[k] * inv;
            }
            sampler->sampleRowReference(out, n, (uA * lo + uB) * tw, (vA * lo + vB) * th, uA * tw, vA * th);
            if (flat) {
                constColour = v[0]->diffuse;
            }
        } else if (flat) {
            std::fill(out, out + n, v[0]->diffuse);
        }
        if (!flat) {
            for (int i = 0; i < n; ++i) {
                const int64_t x = lo + i;
                double c[4] = {0, 0, 0, 0};
                for (int k = 0; k < 3; ++k) {
                    const double l = double(ea[k] * x + eb[k]) * inv;
                    for (int ch = 0; ch < 4; ++ch) {
                        c[ch] += l * col[k][ch];
                    }
                }
                const uint32_t d = packChannels(c);
                out[i] = tex ? a_modulate(out[i], d) : d;
            }
        }
        a_blendSpanReference(dc.target + size_t(j) * dc.pitch + lo, out, n, constColour, dc.op);
    }
}

// round(v) half away from zero, as llround, for |v| well inside 2^52.
inline int64_t roundHalfAway(double v) {
    const int64_t t = int64_t(v); // toward zero; v - t is exact
    const double f = v - double(t);
    return t + int64_t(f >= 0.5) - int64_t(f <= -0.5); // no branch: the sign of f is anyone's guess
}

// floor(N / d) for d > 0 while N moves by the same step every row, with no
// division after the first.
struct FloorStepper {
    int64_t q, r, d, dq, dr;
    void start(int64_t n, int64_t divisor, int64_t step) {
        d = divisor;
        divide(n, q, r);
        divide(step, dq, dr);
    }
    // floor(n / d) and the remainder: through a double division, one step
    // from the exact result, where that is exact enough (always but for
    // vertices far outside any screen).
    void divide(int64_t n, int64_t& quotient, int64_t& remainder) const {
        constexpr int64_t kExact = int64_t(1) << 50;
        if (n > -kExact && n < kExact && d < kExact) {
            int64_t x = int64_t(std::floor(double(n) / double(d)));
            int64_t m = n - x * d;
            const int64_t below = -int64_t(m < 0), above = -int64_t(m >= d);
            x += above - below;
            m += (d & below) - (d & above);
            quotient = x;
            remainder = m;
            return;
        }
        quotient = floorDiv(n, d);
        remainder = n - quotient * d;
    }
    void next() {
        // Without a branch: whether the remainder wraps is anyone's guess.
        r += dr;
        const int64_t over = -int64_t(r >= d);
        q += dq - over;
        r -= d & over;
    }
};

// The same triangles as drawTriangleReference, pixel for pixel: the row ends
// are stepped in integers rather than divided anew on every row, and nothing
// is allocated per triangle.
void drawTriangle(const DrawContext& dc, const aVertex* v0, const aVertex* v1, const aVertex* v2) {
    if (!validPosition(*v0) || !validPosition(*v1) || !validPosition(*v2)) {
        return;
    }
    const aVertex* v[3] = {v0, v1, v2};
    int64_t X[3], Y[3];
    for (int k = 0; k < 3; ++k) {
        X[k] = roundHalfAway(double(v[k]->x) * 256.0);
        Y[k] = roundHalfAway(double(v[k]->y) * 256.0);
    }
    int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
    if (area == 0) {
        return;
    }
    if (area < 0) {
        std::swap(v[1], v[2]);
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
        area = -area;
    }
    const int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
    const int64_t minX = std::min({X[0], X[1], X[2]}), maxX = std::max({X[0], X[1], X[2]});
    // floor(v / 256) is an arithmetic shift.
    const int64_t jy0 = std::max<int64_t>(dc.clip.y0, (minY + 255) >> 8);
    const int64_t jy1 = std::min<int64_t>(dc.clip.y1 - 1, maxY >> 8);
    const int64_t ix0 = std::max<int64_t>(dc.clip.x0, (minX + 255) >> 8);
    const int64_t ix1 = std::min<int64_t>(dc.clip.x1 - 1, maxX >> 8);
    if (jy0 > jy1 || ix0 > ix1) {
        return;
    }
    // Edge k lies opposite vertex k: from vertex k+1 to vertex k+2. On row j
    // pixel i is inside edge k when ea * i + eb >= thr, so the row runs from
    // the largest ceil((thr - eb) / ea) of the edges with ea > 0 to the
    // smallest floor((thr - eb) / ea) of those with ea < 0: both are
    // floor((eb - thr) / |ea|) (negated for the first kind), and eb - thr
    // grows by 256 * edx from one row to the next.
    int64_t edx[3], edy[3], thr[3], ea[3], eb[3];
    FloorStepper bound[3];
    for (int k = 0; k < 3; ++k) {
        const int a = (k + 1) % 3, b = (k + 2) % 3;
        edx[k] = X[b] - X[a];
        edy[k] = Y[b] - Y[a];
        const bool topLeft = (edy[k] == 0 && edx[k] > 0) || edy[k] < 0;
        thr[k] = topLeft ? 0 : 1;
        ea[k] = -256 * edy[k];
        eb[k] = edx[k] * (jy0 * 256 - Y[a]) + edy[k] * X[a];
        if (ea[k] != 0) {
            bound[k].start(eb[k] - thr[k], ea[k] > 0 ? ea[k] : -ea[k], 256 * edx[k]);
        }
    }

    const double inv = 1.0 / double(area);
    const bool flat = v[0]->diffuse == v[1]->diffuse && v[1]->diffuse == v[2]->diffuse;
    double col[3][4];
    for (int k = 0; k < 3 && !flat; ++k) {
        channels(v[k]->diffuse, col[k]);
    }
    const aTexture* tex = dc.texture;
    const double tw = tex ? tex->width() : 0.0, th = tex ? tex->height() : 0.0;
    // Texel position per pixel step: the filter follows how much the texture is
    // shrunk.
    bool linear = false;
    double uA = 0, vA = 0;
    if (tex) {
        double dudi = 0, dvdi = 0, dudj = 0, dvdj = 0;
        for (int k = 0; k < 3; ++k) {
            dudi += v[k]->u * (-256.0 * edy[k]) * inv;
            dvdi += v[k]->v * (-256.0 * edy[k]) * inv;
            dudj += v[k]->u * (256.0 * edx[k]) * inv;
            dvdj += v[k]->v * (256.0 * edx[k]) * inv;
        }
        const double det = std::fabs(dudi * dvdj - dudj * dvdi) * tw * th;
        linear = (det > 1.0 + 1e-9 ? dc.minFilter : dc.magFilter) == A_TEXF_LINEAR;
        for (int k = 0; k < 3; ++k) {
            uA += v[k]->u * ea[k] * inv;
            vA += v[k]->v * ea[k] * inv;
        }
    }
    std::vector<uint32_t>& scratch = *dc.scratch;
    if (scratch.size() < size_t(ix1 - ix0 + 1)) {
        scratch.resize(size_t(ix1 - ix0 + 1));
    }
    std::optional<aSampler> sampler;
    int64_t dfx = 0, dfy = 0;
    if (tex) {
        sampler.emplace(*tex, aDeviceRect{0, 0, int32_t(tex->width()), int32_t(tex->height())}, linear);
        dfx = aSampler::fixedStep(uA * tw);
        dfy = aSampler::fixedStep(vA * th);
    }

    auto stepRow = [&] {
        for (int k = 0; k < 3; ++k) {
            eb[k] += 256 * edx[k];
            if (ea[k] != 0) {
                bound[k].next();
            }
        }
    };
    for (int64_t j = jy0; j <= jy1; ++j) {
        int64_t lo = ix0, hi = ix1;
        for (int k = 0; k < 3; ++k) {
            if (ea[k] > 0) {
                lo = std::max(lo, -bound[k].q);
            } else if (ea[k] < 0) {
                hi = std::min(hi, bound[k].q);
            } else if (eb[k] < thr[k]) {
                lo = hi + 1;
            }
        }
        if (lo <= hi) {
            const int n = int(hi - lo + 1);
            uint32_t* out = scratch.data();
            uint32_t constColour = 0xFFFFFFFFu;
            if (tex) {
                // u, v are affine in i along the row.
                double uB = 0, vB = 0;
                for (int k = 0; k < 3; ++k) {
                    uB += v[k]->u * eb[k] * inv;
                    vB += v[k]->v * eb[k] * inv;
                }
                const double tx0 = (uA * lo + uB) * tw, ty0 = (vA * lo + vB) * th;
                uint32_t* target = dc.target + size_t(j) * dc.pitch + lo;
                if (flat && sampler->sampleBlendRow(target, n, tx0, ty0, dfx, dfy, v[0]->diffuse, dc.op)) {
                    stepRow();
                    continue;
                }
                sampler->sampleRowStepped(out, n, tx0, ty0, dfx, dfy);
                if (flat) {
                    constColour = v[0]->diffuse;
                }
            } else if (flat) {
                std::fill(out, out + n, v[0]->diffuse);
            }
            if (!flat) {
                for (int i = 0; i < n; ++i) {
                    const int64_t x = lo + i;
                    double c[4] = {0, 0, 0, 0};
                    for (int k = 0; k < 3; ++k) {
                        const double l = double(ea[k] * x + eb[k]) * inv;
                        for (int ch = 0; ch < 4; ++ch) {
                            c[ch] += l * col[k][ch];
                        }
                    }
                    const uint32_t d = packChannels(c);
                    out[i] = tex ? a_modulate(out[i], d) : d;
                }
            }
            a_blendSpan(dc.target + size_t(j) * dc.pitch + lo, out, n, constColour, dc.op);
        }
        stepRow();
    }
}

} // namespace

int32_t aDevice::drawVertices(int type, uint32_t count, const aVertex* const* verts) {
    keepBack();
    settleClear();
    DrawContext dc{m_back.data(),
                   m_width,
                   Clip{int(m_viewport.x), int(m_viewport.y), int(m_viewport.x + m_viewport.width),
                        int(m_viewport.y + m_viewport.height)},
                   a_blendOp(m_alphaBlend != 0, int(m_srcBlend), int(m_destBlend)),
                   m_texture,
                   m_magFilter,
                   m_minFilter,
                   &m_scratch};
    auto triangle = m_reference ? drawTriangleReference : drawTriangle;
    switch (type) {
    case A_PT_POINTLIST:
        for (uint32_t i = 0; i < count; ++i) {
            drawPoint(dc, *verts[i]);
        }
        break;
    case A_PT_LINELIST:
        for (uint32_t i = 0; i + 1 < count; i += 2) {
            drawLine(dc, *verts[i], *verts[i + 1]);
        }
        break;
    case A_PT_LINESTRIP:
        for (uint32_t i = 0; i + 1 < count; ++i) {
            drawLine(dc, *verts[i], *verts[i + 1]);
        }
        break;
    case A_PT_TRIANGLELIST:
        for (uint32_t i = 0; i + 2 < count; i += 3) {
            triangle(dc, verts[i], verts[i + 1], verts[i + 2]);
        }
        break;
    case A_PT_TRIANGLESTRIP:
        for (uint32_t i = 0; i + 2 < count; ++i) {
            triangle(dc, verts[i], verts[i + 1], verts[i + 2]);
        }
        break;
    case A_PT_TRIANGLEFAN:
        for (uint32_t i = 1; i + 1 < count; ++i) {
            triangle(dc, verts[0], verts[i], verts[i + 1]);
        }
        break;
    default:
        return A_ERR_INVALIDCALL;
    }
    ++m_drawCalls;
    return A_OK;
}

int32_t aDevice::drawPrimitiveUP(int type, uint32_t primitiveCount, const void* vertices, uint32_t stride) {
    if (int32_t f = fault(aDeviceCall::Draw)) {
        return f;
    }
    bool ok;
    const uint32_t n = vertexCount(type, primitiveCount, &ok);
    if (!ok || !vertices || stride != sizeof(aVertex) || m_fvf != A_FVF_TLVERTEX ||
        primitiveCount > (1u << 24)) {
        return A_ERR_INVALIDCALL;
    }
    if (primitiveCount == 0) {
        return A_OK;
    }
    std::vector<const aVertex*> list(n);
    const aVertex* base = static_cast<const aVertex*>(vertices);
    for (uint32_t i = 0; i < n; ++i) {
        list[i] = base + i;
    }
    return drawVertices(type, n, list.data());
}

int32_t aDevice::drawIndexedPrimitive(int type, uint32_t, uint32_t, uint32_t startIndex,
                                      uint32_t primitiveCount) {
    if (int32_t f = fault(aDeviceCall::Draw)) {
        return f;
    }
    bool ok;
    const uint32_t n = vertexCount(type, primitiveCount, &ok);
    if (!ok || !m_stream || !m_indices || m_stream->isLocked() || m_indices->isLocked() ||
        m_streamStride != sizeof(aVertex) || m_fvf != A_FVF_TLVERTEX || primitiveCount > (1u << 24)) {
        return A_ERR_INVALIDCALL;
    }
    const uint32_t indexBytes = m_indices->format() == A_FMT_INDEX32 ? 4 : 2;
    if ((uint64_t(startIndex) + n) * indexBytes > m_indices->length()) {
        return A_ERR_INVALIDCALL;
    }
    const uint32_t vertexTotal = m_stream->length() / sizeof(aVertex);
    const aVertex* verts = reinterpret_cast<const aVertex*>(m_stream->data());
    std::vector<const aVertex*> list(n);
    const uint8_t* idx = m_indices->data() + size_t(startIndex) * indexBytes;
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t index;
        if (indexBytes == 2) {
            uint16_t v16;
            std::memcpy(&v16, idx + size_t(i) * 2, 2);
            index = v16;
        } else {
            std::memcpy(&index, idx + size_t(i) * 4, 4);
        }
        const uint64_t at = uint64_t(index) + m_baseVertex;
        if (at >= vertexTotal) {
            return A_ERR_INVALIDCALL;
        }
        list[i] = verts + at;
    }
    return drawVertices(type, n, list.data());
}

// ---- sprites -------------------------------------------------------------------

namespace {
// Whether a sprite draw writes every pixel it covers opaquely, without
// reading the target: no blend, or the normal one with opaque texels under
// an opaque colour (whatever the filter mixes of them is opaque too).
bool writesOpaque(const aBlendOp& op, uint32_t colour, const aTexture& texture) {
    return op.kind == aBlendOp::Opaque ||
           (op.kind == aBlendOp::Normal && colour >> 24 == 0xFF && texture.opaque());
}
} // namespace

void aDevice::drawTexturedQuad(aTexture* texture, const aDeviceRect& src, const float m[4], float ox,
                               float oy, uint32_t colour) {
    keepBack();
    const int w = src.right - src.left, h = src.bottom - src.top;
    if (!texture || w <= 0 || h <= 0) {
        return;
    }
    const aBlendOp op = a_blendOp(m_alphaBlend != 0, int(m_srcBlend), int(m_destBlend));
    const int cx0 = int(m_viewport.x), cy0 = int(m_viewport.y);
    const int cx1 = int(m_viewport.x + m_viewport.width), cy1 = int(m_viewport.y + m_viewport.height);
    const int fmt = texture->format();
    const int bpp = a_formatBytes(fmt);

    // Unscaled and unrotated at a whole-pixel position: a straight blit.
    if (m[0] == 1.0f && m[1] == 0.0f && m[2] == 0.0f && m[3] == 1.0f && ox == std::floor(ox) &&
        oy == std::floor(oy) && std::fabs(ox) < 1e7f && std::fabs(oy) < 1e7f) {
        const int64_t x0 = std::max<int64_t>(cx0, int64_t(ox)), x1 = std::min<int64_t>(cx1, int64_t(ox) + w);
        const int64_t y0 = std::max<int64_t>(cy0, int64_t(oy)), y1 = std::min<int64_t>(cy1, int64_t(oy) + h);
        if (x0 >= x1 || y0 >= y1) {
            return;
        }
        const int n = int(x1 - x0);
        if (m_scratch.size() < size_t(n)) {
            m_scratch.resize(size_t(n));
        }
        // An opaque format drawn untinted through the normal blend or none: a copy.
        const bool copy = !m_reference && fmt == A_FMT_X8R8G8B8 && colour == 0xFFFFFFFFu &&
                          (op.kind == aBlendOp::Opaque || op.kind == aBlendOp::Normal);
        const bool opaque = writesOpaque(op, colour, *texture);
        for (int64_t y = y0; y < y1; ++y) {
            prepareRow(y, x0, x1, opaque);
            const size_t ty = size_t(y - int64_t(oy) + src.top), tx = size_t(x0 - int64_t(ox) + src.left);
            const uint8_t* row = texture->data() + ty * texture->pitch() + tx * bpp;
            uint32_t* target = m_back.data() + size_t(y) * m_width + x0;
            if (copy) {
                a_convertRow(target, row, fmt, n);
                continue;
            }
            const uint32_t* s;
            if (fmt == A_FMT_A8R8G8B8) {
                s = reinterpret_cast<const uint32_t*>(row);
            } else {
                (m_reference ? a_convertRowReference : a_convertRow)(m_scratch.data(), row, fmt, n);
                s = m_scratch.data();
            }
            (m_reference ? a_blendSpanReference : a_blendSpan)(target, s, n, colour, op);
        }
        return;
    }

    const double det = double(m[0]) * m[3] - double(m[1]) * m[2];
    if (!std::isfinite(det) || std::fabs(det) < 1e-12 || !std::isfinite(ox) || !std::isfinite(oy)) {
        return;
    }
    const double i00 = m[3] / det, i01 = -m[1] / det, i10 = -m[2] / det, i11 = m[0] / det;
    double minx = 1e300, maxx = -1e300, miny = 1e300, maxy = -1e300;
    const double cxs[4] = {0, double(w), 0, double(w)}, cys[4] = {0, 0, double(h), double(h)};
    for (int k = 0; k < 4; ++k) {
        const double sx = m[0] * cxs[k] + m[1] * cys[k] + ox, sy = m[2] * cxs[k] + m[3] * cys[k] + oy;
        minx = std::min(minx, sx);
        maxx = std::max(maxx, sx);
        miny = std::min(miny, sy);
        maxy = std::max(maxy, sy);
    }
    // Held within +-1e9 on both sides before the conversion: a quad far off
    // the screen in either direction has corners beyond any integer.
    const int64_t bx0 = std::max<int64_t>(cx0, int64_t(std::clamp(std::floor(minx - 0.5), -1e9, 1e9)));
    const int64_t bx1 = std::min<int64_t>(cx1 - 1, int64_t(std::clamp(std::ceil(maxx - 0.5), -1e9, 1e9)));
    const int64_t by0 = std::max<int64_t>(cy0, int64_t(std::clamp(std::floor(miny - 0.5), -1e9, 1e9)));
    const int64_t by1 = std::min<int64_t>(cy1 - 1, int64_t(std::clamp(std::ceil(maxy - 0.5), -1e9, 1e9)));
    if (bx0 > bx1 || by0 > by1) {
        return;
    }
    const bool linear = (std::fabs(det) > 1.0 + 1e-9 ? m_magFilter : m_minFilter) == A_TEXF_LINEAR;
    aSampler sampler(*texture, src, linear);
    if (m_scratch.size() < size_t(bx1 - bx0 + 1)) {
        m_scratch.resize(size_t(bx1 - bx0 + 1));
    }
    // Neither turned nor sheared: every row samples the same columns.
    const bool axis = !m_reference && m[1] == 0.0f && m[2] == 0.0f;
    const bool opaque = writesOpaque(op, colour, *texture);
    const int64_t dfx = aSampler::fixedStep(i00), dfy = aSampler::fixedStep(i10);
    int64_t axisL = 0, axisR = -1;
    // Source position of pixel i on a row: p = (i00, i10) * i + base.
    for (int64_t j = by0; j <= by1; ++j) {
        const double qy = double(j) + 0.5 - oy;
        const double bx = i00 * (0.5 - ox) + i01 * qy, by = i10 * (0.5 - ox) + i11 * qy;
        auto inside = [&](int64_t i) {
            const double px = i00 * double(i) + bx, py = i10 * double(i) + by;
            return px >= 0.0 && px < w && py >= 0.0 && py < h;
        };
        // Estimate the covered run from the four half-planes, then settle its
        // ends with the exact test (the run is one interval).
        double lo = double(bx0), hi = double(bx1);
        auto limit = [&](double a, double b, double maxv) {
            if (a > 0) {
                lo = std::max(lo, std::floor(-b / a) - 1);
                hi = std::min(hi, std::ceil((maxv - b) / a) + 1);
            } else if (a < 0) {
                lo = std::max(lo, std::floor((maxv - b) / a) - 1);
                hi = std::min(hi, std::ceil(-b / a) + 1);
            } else if (b < 0 || b >= maxv) {
                lo = hi + 1;
            }
        };
        limit(i00, bx, w);
        limit(i10, by, h);
        if (lo > hi) {
            continue;
        }
        int64_t l = int64_t(lo), r = int64_t(hi);
        while (l <= r && !inside(l)) {
            ++l;
        }
        while (r >= l && !inside(r)) {
            --r;
        }
        if (l > r) {
            continue;
        }
        const int n = int(r - l + 1);
        prepareRow(j, l, r + 1, opaque);
        uint32_t* target = m_back.data() + size_t(j) * m_width + l;
        const double tx0 = src.left + i00 * double(l) + bx, ty0 = src.top + i10 * double(l) + by;
        if (m_reference) {
            sampler.sampleRowReference(m_scratch.data(), n, tx0, ty0, i00, i10);
            a_blendSpanReference(target, m_scratch.data(), n, colour, op);
            continue;
        }
        if (axis) {
            if (l != axisL || r != axisR) {
                m_axis->prepare(sampler, n, tx0, i00);
                axisL = l;
                axisR = r;
            }
            m_axis->blendRow(ty0, target, colour, op);
            continue;
        }
        if (sampler.sampleBlendRow(target, n, tx0, ty0, dfx, dfy, colour, op)) {
            continue;
        }
        sampler.sampleRowStepped(m_scratch.data(), n, tx0, ty0, dfx, dfy);
        a_blendSpan(target, m_scratch.data(), n, colour, op);
    }
}
