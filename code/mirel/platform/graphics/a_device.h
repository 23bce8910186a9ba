#pragma once
// The engine's graphics device: a deterministic software rasterizer with the
// shape of a classic fixed-function 3D device. It draws pre-transformed
// vertices, textured sprites, points and lines into a 32-bit back buffer and
// hands each finished frame to a present sink (the window backend); without a
// sink it runs headless.
//
// Conventions (pixel-exact, the same on every machine):
// - Screen coordinates are back-buffer pixels, y downward. Pixel (i, j) is
//   sampled at the point (i, j): a triangle covers it when that point is
//   inside, and points on an edge belong to the triangle only on a top or left
//   edge. A filled rectangle from (x, y) to (x + w, y + h) with integer corners
//   covers exactly w x h pixels.
// - Texture coordinates: texel t has its centre at (t + 0.5) / size. Point
//   filtering takes texel floor(u * size); linear filtering blends the four
//   texels around u * size - 0.5 with 8-bit weights. Coordinates are clamped to
//   the texture (sprites: to their source rectangle).
// - Colour arithmetic is done on bytes with exact rounding: a x b / 255 is
//   rounded to nearest. Textured primitives modulate texture colour and alpha
//   by the vertex colour; untextured primitives use the vertex colour.
// - Blending (when alpha blending is enabled) uses the source and destination
//   factors set with setRenderState; the two pairs in use are
//   (A_BLEND_SRCALPHA, A_BLEND_INVSRCALPHA) for normal and
//   (A_BLEND_SRCALPHA, A_BLEND_ONE) for additive drawing. A_BLEND_ZERO and
//   A_BLEND_ONE as source factor are also understood.
// - The back buffer has no alpha: every pixel reads back with alpha 0xFF.
// - Draw calls outside beginScene/endScene still draw (the device is lenient).
// - Vertex rhw is taken as 1 (no perspective); z is ignored (no depth buffer).
//
// Results are 32-bit codes: A_OK (0) or one of the A_ERR_* codes below. Every
// error path can be forced in tests through setFault.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// ---- result codes -------------------------------------------------------------
constexpr int32_t A_OK = 0;
constexpr int32_t A_ERR_DEVICELOST = int32_t(0x88760868);
constexpr int32_t A_ERR_DEVICENOTRESET = int32_t(0x88760869);
constexpr int32_t A_ERR_DRIVERINTERNALERROR = int32_t(0x88760827);
constexpr int32_t A_ERR_INVALIDCALL = int32_t(0x8876086C);
constexpr int32_t A_ERR_NOTAVAILABLE = int32_t(0x8876086A);
constexpr int32_t A_ERR_OUTOFVIDEOMEMORY = int32_t(0x8876017C);
constexpr int32_t A_ERR_OUTOFMEMORY = int32_t(0x8007000E);

// The name of a result code ("D3DERR_DEVICELOST", "D_OK", ...) for log lines;
// unknown codes give "Unknown error".
const char* a_deviceErrorText(int32_t code);

// ---- texture formats (codes as stored in image lists and font files) ---------
constexpr int A_FMT_UNKNOWN = 0;
constexpr int A_FMT_A8R8G8B8 = 21; // 32 bit, bytes B, G, R, A in memory
constexpr int A_FMT_X8R8G8B8 = 22; // 32 bit, alpha byte ignored (reads 0xFF)
constexpr int A_FMT_R5G6B5 = 23;   // 16 bit
constexpr int A_FMT_A1R5G5B5 = 25; // 16 bit, bit 15 = alpha
constexpr int A_FMT_A4R4G4B4 = 26; // 16 bit
constexpr int A_FMT_INDEX16 = 101;
constexpr int A_FMT_INDEX32 = 102;

// Bytes per pixel of a texture format, 0 for an unsupported one.
int a_formatBytes(int format);

// ---- primitive types ---------------------------------------------------------
constexpr int A_PT_POINTLIST = 1;
constexpr int A_PT_LINELIST = 2;
constexpr int A_PT_LINESTRIP = 3;
constexpr int A_PT_TRIANGLELIST = 4;
constexpr int A_PT_TRIANGLESTRIP = 5;
constexpr int A_PT_TRIANGLEFAN = 6;

// ---- render states and values ---------------------------------------------
constexpr int A_RS_ZENABLE = 7;
constexpr int A_RS_SRCBLEND = 19;
constexpr int A_RS_DESTBLEND = 20;
constexpr int A_RS_ALPHABLENDENABLE = 27;
constexpr int A_RS_LIGHTING = 137;

constexpr int A_BLEND_ZERO = 1;
constexpr int A_BLEND_ONE = 2;
constexpr int A_BLEND_SRCALPHA = 5;
constexpr int A_BLEND_INVSRCALPHA = 6;

// Texture stage states (stage 0 only) and filters.
constexpr int A_TSS_MAGFILTER = 16;
constexpr int A_TSS_MINFILTER = 17;
constexpr int A_TEXF_NONE = 0;
constexpr int A_TEXF_POINT = 1;
constexpr int A_TEXF_LINEAR = 2;

// ---- lock flags, usage, pools, clear flags -----------------------------------
constexpr uint32_t A_LOCK_READONLY = 0x10;
constexpr uint32_t A_LOCK_DISCARD = 0x2000;
constexpr uint32_t A_LOCK_NOOVERWRITE = 0x1000;
constexpr uint32_t A_USAGE_WRITEONLY = 0x8;
constexpr uint32_t A_USAGE_DYNAMIC = 0x200;
constexpr int A_POOL_DEFAULT = 0;
constexpr int A_POOL_MANAGED = 1;
constexpr int A_POOL_SYSTEMMEM = 2;
constexpr uint32_t A_CLEAR_TARGET = 0x1;

// ---- the pre-transformed vertex ----------------------------------------------
// Vertex format code of aVertex (position with rhw, diffuse colour, one pair of
// texture coordinates).
constexpr uint32_t A_FVF_XYZRHW = 0x004;
constexpr uint32_t A_FVF_DIFFUSE = 0x040;
constexpr uint32_t A_FVF_TEX1 = 0x100;
constexpr uint32_t A_FVF_TLVERTEX = A_FVF_XYZRHW | A_FVF_DIFFUSE | A_FVF_TEX1; // 0x144

struct aVertex {
    float x, y, z, rhw;
    uint32_t diffuse; // ARGB
    float u, v;
};
static_assert(sizeof(aVertex) == 28, "the pre-transformed vertex is 28 bytes");

// ---- small structures --------------------------------------------------------
// A rectangle given by its edges; right and bottom are exclusive.
struct aDeviceRect {
    int32_t left, top, right, bottom;
};

struct aLockedRect {
    int32_t pitch; // bytes from one row to the next
    void* bits;    // the first pixel of the locked rectangle
};

struct aViewport {
    uint32_t x, y, width, height;
    float minZ, maxZ;
};

// Swap effects and presentation intervals of the present parameters.
constexpr int A_SWAPEFFECT_DISCARD = 1;
constexpr int A_SWAPEFFECT_FLIP = 2;
constexpr int A_SWAPEFFECT_COPY = 3;
constexpr int A_SWAPEFFECT_COPY_VSYNC = 4;
constexpr uint32_t A_PRESENT_INTERVAL_DEFAULT = 0;
constexpr uint32_t A_PRESENT_INTERVAL_ONE = 1;
constexpr uint32_t A_PRESENT_INTERVAL_IMMEDIATE = 0x80000000u;
constexpr uint32_t A_PRESENTFLAG_LOCKABLE_BACKBUFFER = 1;

// How the device presents. The back buffer is always 32-bit internally; the
// size decides the back buffer, the rest is handed to the present sink.
struct aPresentParams {
    uint32_t backBufferWidth = 0;
    uint32_t backBufferHeight = 0;
    int backBufferFormat = A_FMT_UNKNOWN;
    uint32_t backBufferCount = 0;
    int swapEffect = 0;
    void* deviceWindow = nullptr;
    bool windowed = true;
    bool enableAutoDepthStencil = false;
    uint32_t flags = 0;
    uint32_t fullScreenRefreshRate = 0;
    uint32_t presentationInterval = A_PRESENT_INTERVAL_DEFAULT;
};

// What the rasterizer can do, for the capability log.
struct aDeviceCaps {
    bool canRenderWindowed = true;
    bool canManageResource = true;
    bool dynamicTextures = true;
    bool no2DDuring3DScene = false;
    bool intervalImmediate = true, intervalOne = true, intervalTwo = false, intervalThree = false,
         intervalFour = false;
    bool separateTextureMemories = false;
    bool textureNonLocalVidMem = false;
    bool textureSystemMemory = true;
    bool textureVideoMemory = true;
    bool srcBlendSrcAlpha = true;
    bool destBlendInvSrcAlpha = true;
    bool destBlendOne = true;
    uint32_t maxTextureWidth = 8192, maxTextureHeight = 8192;
    uint32_t maxTextureAspectRatio = 8192;
    bool powerOf2 = false;
    bool squareOnly = false;
    bool alphaPixels = true;
    uint32_t maxPrimitiveCount = 0xFFFFF;
};

// One finished frame, handed to the present sink: 32-bit pixels 0xAARRGGBB
// (alpha always 0xFF), row after row.
struct aFrame {
    const uint32_t* pixels;
    uint32_t width, height;
    uint32_t pitch; // in pixels
    const aPresentParams* params;
};

// Implemented by the window backend: shows a finished frame. A result other
// than A_OK is returned from aDevice::present (A_ERR_DEVICELOST marks the
// device lost).
class aPresentSink {
public:
    virtual ~aPresentSink() = default;
    virtual int32_t present(const aFrame& frame) = 0;
    // The device was reset with new present parameters (window/full screen,
    // vertical sync). Default: nothing.
    virtual void presentParamsChanged(const aPresentParams&) {}
};

// ---- fault injection ---------------------------------------------------------
// Calls whose result can be forced. A forced code stays until set back to A_OK.
enum class aDeviceCall {
    Create, // aDevice::create (static: see aDevice::setCreateFault)
    Reset,
    Clear,
    BeginScene,
    EndScene,
    Present,
    Draw, // drawPrimitiveUP and drawIndexedPrimitive
    CreateTexture,
    LockTexture,
    UnlockTexture,
    CreateVertexBuffer,
    LockVertexBuffer,
    UnlockVertexBuffer,
    CreateIndexBuffer,
    LockIndexBuffer,
    UnlockIndexBuffer,
    CreateSprite,
    SpriteBegin,
    SpriteDraw,
    SpriteEnd,
    Count_
};

struct aDeviceFaults {
    int32_t codes[int(aDeviceCall::Count_)] = {};
    int32_t get(aDeviceCall call) const { return codes[int(call)]; }
};

// ---- resources -----------------------------------------------------------
// Resources are reference counted: created with a count of 1, freed by the
// last release(). They live on their own (a device reset or the device's end
// leaves them usable for locking; drawing needs a live device).
class aDeviceResource {
public:
    uint32_t addRef();
    uint32_t release(); // returns the new count; at 0 the object is deleted

protected:
    explicit aDeviceResource(std::shared_ptr<aDeviceFaults> faults) : m_faults(std::move(faults)) {}
    virtual ~aDeviceResource() = default;
    int32_t fault(aDeviceCall call) const { return m_faults ? m_faults->get(call) : A_OK; }

private:
    uint32_t m_refs = 1;
    std::shared_ptr<aDeviceFaults> m_faults;
};

// Which 8 x 8 blocks of an A8R8G8B8 texture hold a texel of alpha above 0,
// counted over all blocks above and to the left of each corner, so that any
// rectangle of blocks is asked in four reads. The rasterizer leaves the
// target as it is where a blend of such texels would change nothing.
struct aClearBlocks {
    static constexpr int kShift = 3;
    int columns = 0;            // blocks across, plus one
    std::vector<uint32_t> sums; // (blocks down + 1) x columns
    // Whether every texel of [x0, x1] x [y0, y1] (inclusive, inside the
    // texture) has alpha 0.
    bool clear(int x0, int y0, int x1, int y1) const { return coverage(x0, y0, x1, y1) == Clear; }
    // Whether every block the rectangle touches is clear, none is, or some are.
    enum Coverage { Clear, Some, None };
    Coverage coverage(int x0, int y0, int x1, int y1) const {
        const size_t c = size_t(columns);
        const size_t bx0 = size_t(x0 >> kShift), by0 = size_t(y0 >> kShift);
        const size_t bx1 = size_t(x1 >> kShift) + 1, by1 = size_t(y1 >> kShift) + 1;
        const uint32_t* s = sums.data();
        const uint32_t held = s[by1 * c + bx1] - s[by0 * c + bx1] - s[by1 * c + bx0] + s[by0 * c + bx0];
        return held == 0 ? Clear : held == (bx1 - bx0) * (by1 - by0) ? None : Some;
    }
    // Whether any block is clear (the last sum counts the blocks that are not).
    bool anyClear() const {
        const size_t c = size_t(columns);
        return !sums.empty() && sums.back() < (c - 1) * (sums.size() / c - 1);
    }
};

// A texture of one level stored in its own format (16-bit formats keep their
// 16-bit precision).
class aTexture : public aDeviceResource {
public:
    uint32_t width() const { return m_width; }
    uint32_t height() const { return m_height; }
    int format() const { return m_format; }
    int pool() const { return m_pool; }

    // Locks a rectangle (null: the whole texture) and gives the address of its
    // first pixel and the row pitch in bytes. A_ERR_INVALIDCALL when already
    // locked or the rectangle is empty or leaves the texture.
    int32_t lockRect(aLockedRect* out, const aDeviceRect* rect, uint32_t flags);
    int32_t unlockRect();
    bool isLocked() const { return m_locked; }

    // Raw storage for the rasterizer: row pitch in bytes and the first row.
    uint32_t pitch() const { return m_pitch; }
    const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(m_words.data()); }
    uint8_t* data() { return reinterpret_cast<uint8_t*>(m_words.data()); }

    // One texel as 0xAARRGGBB (16-bit channels expanded by bit replication, so
    // the full 16-bit value reads 0xFF; X8R8G8B8 and R5G6B5 read alpha 0xFF).
    uint32_t texel(uint32_t x, uint32_t y) const;

    // The clear blocks of an A8R8G8B8 texture (null for other formats), made
    // at the first call after the texture was created or locked: the texels
    // are written only between lockRect and unlockRect.
    const aClearBlocks* clearBlocks() const;
    // Whether every texel reads with alpha 0xFF (formats without alpha
    // always; A8R8G8B8 looked at, as clearBlocks, once after each lock).
    bool opaque() const;

private:
    friend class aDevice;
    aTexture(std::shared_ptr<aDeviceFaults> faults, uint32_t w, uint32_t h, int format, int pool);
    // A 32-bit texture over words already holding its texels (w x h).
    aTexture(std::shared_ptr<aDeviceFaults> faults, uint32_t w, uint32_t h, int format, int pool,
             std::vector<uint32_t>&& texels);
    uint32_t m_width, m_height;
    int m_format;
    int m_pool;
    uint32_t m_pitch;
    bool m_locked = false;
    // The rows, pitch bytes each, in whole words (a 16-bit texture of an odd
    // size ends in two spare bytes).
    std::vector<uint32_t> m_words;
    mutable aClearBlocks m_clear;
    mutable bool m_clearMade = false;
    mutable int m_opaque = -1; // -1 not looked at since the last lock
};

// A block of device memory that is filled between lock and unlock; the base of
// vertex and index buffers.
class aDeviceBuffer : public aDeviceResource {
public:
    uint32_t length() const { return uint32_t(m_data.size()); }
    uint32_t usage() const { return m_usage; }
    int pool() const { return m_pool; }
    // size 0 with offset 0 locks the whole buffer.
    int32_t lock(uint32_t offset, uint32_t size, void** out, uint32_t flags);
    int32_t unlock();
    bool isLocked() const { return m_locked; }
    const uint8_t* data() const { return m_data.data(); }

protected:
    aDeviceBuffer(std::shared_ptr<aDeviceFaults> faults, uint32_t length, uint32_t usage, int pool,
                  aDeviceCall lockCall, aDeviceCall unlockCall);

private:
    uint32_t m_usage;
    int m_pool;
    aDeviceCall m_lockCall, m_unlockCall;
    bool m_locked = false;
    std::vector<uint8_t> m_data;
};

// A buffer of vertices (aVertex records for drawing).
class aVertexBuffer : public aDeviceBuffer {
public:
    uint32_t fvf() const { return m_fvf; }

private:
    friend class aDevice;
    aVertexBuffer(std::shared_ptr<aDeviceFaults> faults, uint32_t length, uint32_t usage, uint32_t fvf,
                  int pool);
    uint32_t m_fvf;
};

// A buffer of 16-bit (A_FMT_INDEX16) or 32-bit (A_FMT_INDEX32) indices.
class aIndexBuffer : public aDeviceBuffer {
public:
    int format() const { return m_format; }

private:
    friend class aDevice;
    aIndexBuffer(std::shared_ptr<aDeviceFaults> faults, uint32_t length, uint32_t usage, int format,
                 int pool);
    int m_format;
};

class aDeviceSprite;
class aAxisSampler;

// ---- the device -----------------------------------------------------------
class aDevice {
public:
    // Creates a device with a back buffer of the parameters' size (both at
    // least 1, at most 8192). The sink may be null (headless); it must outlive
    // the device or be replaced with setPresentSink first.
    static int32_t create(const aPresentParams& params, aPresentSink* sink, std::unique_ptr<aDevice>* out);
    // Forces the result of the next and every later create (A_OK clears it).
    static void setCreateFault(int32_t code);
    static aDeviceCaps caps() { return aDeviceCaps{}; }

    ~aDevice();
    aDevice(const aDevice&) = delete;
    aDevice& operator=(const aDevice&) = delete;

    void setPresentSink(aPresentSink* sink) { m_sink = sink; }

    // A_OK, A_ERR_DEVICELOST, A_ERR_DEVICENOTRESET or A_ERR_DRIVERINTERNALERROR:
    // the state set with setCooperativeState (the window backend marks the
    // device lost or not reset; tests do the same).
    int32_t testCooperativeLevel() const { return m_coopState; }
    void setCooperativeState(int32_t code) { m_coopState = code; }

    // Applies new present parameters: the back buffer gets the new size and is
    // cleared to black, the viewport covers it, render states return to their
    // defaults, and a not-reset device becomes usable. Fails with
    // A_ERR_DEVICELOST while the device is lost (not yet resettable) and with
    // A_ERR_INVALIDCALL for a bad size (the old buffer stays).
    int32_t reset(const aPresentParams& params);
    const aPresentParams& presentParams() const { return m_params; }

    int32_t beginScene(); // A_ERR_INVALIDCALL when a scene is already begun
    int32_t endScene();   // A_ERR_INVALIDCALL when none is begun
    bool inScene() const { return m_inScene; }

    // Fills the viewport with the colour (only A_CLEAR_TARGET is understood;
    // z is ignored). The fill of a row waits for the first draw over it:
    // where that draw covers the row with opaque pixels that it writes
    // without reading the target, those pixels are not filled first. Every
    // read of the back buffer sees the fill done.
    int32_t clear(uint32_t flags, uint32_t colour, float z = 1.0f);

    // The back buffer becomes the front buffer, which goes to the sink; the
    // back buffer keeps the presented frame for the next draws (as a copy
    // would). While lost: A_ERR_DEVICELOST and nothing is shown.
    int32_t present();

    // The viewport clips every draw and clear. It must lie inside the back
    // buffer (A_ERR_INVALIDCALL otherwise; the old one stays).
    int32_t setViewport(const aViewport& viewport);
    aViewport viewport() const { return m_viewport; }

    // Render states: A_RS_ALPHABLENDENABLE (0/1), A_RS_SRCBLEND, A_RS_DESTBLEND
    // (A_BLEND_*); A_RS_ZENABLE and A_RS_LIGHTING are stored and ignored. An
    // unknown state or value: A_ERR_INVALIDCALL.
    int32_t setRenderState(int state, uint32_t value);
    uint32_t renderState(int state) const;
    // Stage 0: A_TSS_MAGFILTER / A_TSS_MINFILTER with A_TEXF_POINT or
    // A_TEXF_LINEAR (A_TEXF_NONE counts as point). Other stages or states:
    // A_ERR_INVALIDCALL. The magnification filter serves draws that enlarge
    // or keep the size, the minification filter draws that shrink.
    int32_t setTextureStageState(uint32_t stage, int type, uint32_t value);
    uint32_t textureStageState(uint32_t stage, int type) const;

    // The texture of stage 0 (null: untextured). The device holds a reference.
    int32_t setTexture(uint32_t stage, aTexture* texture);
    aTexture* texture() const { return m_texture; }
    // Only A_FVF_TLVERTEX (0x144) is drawable; other formats are stored and
    // make draws fail with A_ERR_INVALIDCALL.
    int32_t setVertexShader(uint32_t fvf);

    // Draws primitiveCount primitives from user memory; stride must be 28.
    int32_t drawPrimitiveUP(int type, uint32_t primitiveCount, const void* vertices, uint32_t stride);

    int32_t createTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, int format,
                          int pool, aTexture** out);
    // A one-level A8R8G8B8 or X8R8G8B8 texture (A_ERR_INVALIDCALL for other
    // formats) holding a picture of width x height ARGB words, as
    // createTexture and a lock that writes every row would give it: the
    // texture takes the words as its storage (argb is left empty; X8R8G8B8
    // reads them with alpha 0xFF). argb must hold width x height words.
    int32_t createTextureFromPixels(std::vector<uint32_t>& argb, uint32_t width, uint32_t height, int format,
                                    int pool, aTexture** out);
    int32_t createVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, int pool, aVertexBuffer** out);
    int32_t createIndexBuffer(uint32_t length, uint32_t usage, int format, int pool, aIndexBuffer** out);
    int32_t setStreamSource(uint32_t stream, aVertexBuffer* buffer, uint32_t stride);
    int32_t setIndices(aIndexBuffer* buffer, uint32_t baseVertexIndex);
    // Draws from the stream source and the indices: every index + base vertex
    // must name a vertex of the buffer, and neither buffer may be locked
    // (A_ERR_INVALIDCALL, nothing drawn).
    int32_t drawIndexedPrimitive(int type, uint32_t minIndex, uint32_t numVertices, uint32_t startIndex,
                                 uint32_t primitiveCount);

    // The back buffer (pitch in pixels, 0xAARRGGBB, alpha 0xFF) and the last
    // presented frame (black before the first present). Whoever writes the
    // back buffer keeps its alpha 0xFF: the sampling kernels leave the pixels
    // under clear samples unwritten, where a blend would only set that alpha.
    uint32_t width() const { return m_width; }
    uint32_t height() const { return m_height; }
    const uint32_t* backBuffer() const {
        keepBack();
        settleClear();
        return m_back.data();
    }
    uint32_t* backBuffer() {
        keepBack();
        settleClear();
        return m_back.data();
    }
    uint32_t backPixel(uint32_t x, uint32_t y) const {
        keepBack();
        settleClear();
        return m_back[size_t(y) * m_width + x];
    }
    const std::vector<uint32_t>& frontBuffer() const { return m_front; }
    // Copies the last presented frame; returns A_OK.
    int32_t getFrontBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height) const;

    // Fault injection: the call returns the code (and does nothing) until the
    // fault is set back to A_OK. Resources made by this device share the table.
    void setFault(aDeviceCall call, int32_t code) { m_faults->codes[int(call)] = code; }
    int32_t fault(aDeviceCall call) const { return m_faults->get(call); }

    // Draws through the plain one-pixel-at-a-time paths, the reference that
    // the fast paths must match pixel for pixel (tests). Off by default.
    void setReferenceRaster(bool on) { m_reference = on; }

    // Counters for tests and statistics.
    uint32_t presentCount() const { return m_presents; }
    uint32_t drawCallCount() const { return m_drawCalls; } // successful draw calls

    // ---- used by aDeviceSprite -----
    // Draws a texture quad under an affine map: screen = M * (source texel
    // coordinates relative to src.left/top) + offset, with the source clamped
    // to src. colour modulates. The sprite path (exact texel mapping for
    // integer positions).
    void drawTexturedQuad(aTexture* texture, const aDeviceRect& src, const float m[4], float ox, float oy,
                          uint32_t colour);

private:
    aDevice(const aPresentParams& params, aPresentSink* sink);
    // The clear still to be done (see clear): its colour, its columns and
    // the rows that await it.
    struct PendingClear {
        uint32_t colour = 0;
        uint32_t x0 = 0, x1 = 0;
        uint32_t rows = 0;        // rows still waiting
        std::vector<uint8_t> row; // 1: the row still waits
    };
    // Does the waiting fill of every row (readers call it too).
    void settleClear() const;
    // Before a draw writes [x0, x1) of row y: a waiting fill of the row is
    // done, all of it or, when the draw writes those pixels opaquely without
    // reading them, the rest of it.
    void prepareRow(int64_t y, int64_t x0, int64_t x1, bool opaque) const {
        if (m_pending.rows != 0 && m_pending.row[size_t(y)]) {
            fillPendingRow(y, x0, x1, opaque);
        }
    }
    void fillPendingRow(int64_t y, int64_t x0, int64_t x1, bool opaque) const;
    bool resize(uint32_t w, uint32_t h);
    void resetStates();
    int32_t drawVertices(int type, uint32_t count, const aVertex* const* verts);

    std::shared_ptr<aDeviceFaults> m_faults;
    aPresentParams m_params;
    aPresentSink* m_sink;
    int32_t m_coopState = A_OK;
    bool m_inScene = false;
    uint32_t m_width = 0, m_height = 0;
    // A present swaps the two buffers instead of copying one into the other:
    // the back buffer then holds an older frame, and the first draw or read
    // of it takes the presented one back (a clear of all of it needs none).
    void keepBack() const {
        if (m_backStale) {
            takeFrontBack();
        }
    }
    void takeFrontBack() const;
    mutable std::vector<uint32_t> m_back;
    std::vector<uint32_t> m_front;
    mutable bool m_backStale = false;
    mutable PendingClear m_pending;
    aViewport m_viewport{};
    uint32_t m_alphaBlend = 0, m_srcBlend = A_BLEND_ONE, m_destBlend = A_BLEND_ZERO;
    uint32_t m_zEnable = 0, m_lighting = 1;
    uint32_t m_magFilter = A_TEXF_POINT, m_minFilter = A_TEXF_POINT;
    uint32_t m_fvf = 0;
    aTexture* m_texture = nullptr;
    aVertexBuffer* m_stream = nullptr;
    uint32_t m_streamStride = 0;
    aIndexBuffer* m_indices = nullptr;
    uint32_t m_baseVertex = 0;
    uint32_t m_presents = 0;
    uint32_t m_drawCalls = 0;
    std::vector<uint32_t> m_scratch; // one converted source row
    std::unique_ptr<aAxisSampler> m_axis;
    bool m_reference = false;
};
