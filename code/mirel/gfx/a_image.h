#pragma once
// aImage: the engine's picture. A small handle, copied by value, that shares
// one reference-counted body holding the device texture made from an image
// file (or created empty), pixel access, blurred and grey copies, and drawing
// through the graphics server's sprite drawer.

#include "mirel/base/a_rect.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class aGraphServer;
class aTexture;
struct aImageFile;

// One texture of a body: the picture's own size and the texture's size.
struct aImageCell {
    aTexture* texture = nullptr;
    uint16_t imageWidth = 0;
    uint16_t imageHeight = 0;
    uint16_t textureWidth = 0;
    uint16_t textureHeight = 0;
};

struct aImageEffectParams {
    virtual ~aImageEffectParams() = default;
};
struct aImageBlurParams : aImageEffectParams {
    int radius = 0;
    float strength = 1.0f; // 0..1, alpha factor of the glow
};
struct aImageGrayParams : aImageEffectParams {
    uint8_t inPlace = 0;
};

// Effect codes of the effect list, re-applied after every texture creation.
enum : uint32_t { A_IMAGE_EFFECT_BLUR = 1, A_IMAGE_EFFECT_BLUR2 = 2, A_IMAGE_EFFECT_GRAY = 3 };

// The shared body.
struct aImageData {
    enum { CELL_MAIN = 0, CELL_BLUR = 1, CELL_GRAY = 2 };
    enum { PARAM_BLUR = 1, PARAM_GRAY = 2 };
    std::vector<uint32_t> effects;
    aImageCell cells[3];
    std::unique_ptr<aImageEffectParams> params[4];
    int format16 = 0;
    int format32 = 0;
    uint32_t refCount = 1;
    std::string fileName;
    uint32_t emptyWidth = 0;
    uint32_t emptyHeight = 0;
    uint8_t emptyCreated = 0;
    bool outsideReadLogged = false; // one log line per body for reads outside the picture
    size_t bodyIndex = 0;           // its place in the list of bodies (aImage::getBodies)
};

class aImage {
public:
    aImage();
    aImage(const std::string& file, int format16, int format32);
    // The same from the file already read and decoded (a_readImageFile): its
    // held log lines are written, then the texture is made as from the file.
    aImage(const std::string& file, int format16, int format32, aImageFile&& read);
    aImage(const aImage& other);
    aImage& operator=(const aImage& other);
    ~aImage();

    // The graphics server every image loads into and draws through; set by
    // whoever creates the server (null: images neither load nor draw).
    static void setGraphServer(aGraphServer* server);
    static aGraphServer* getGraphServer();
    // Bodies made by the constructors and still alive.
    static const std::vector<aImageData*>& getBodies();
    static void clearBodyList();

    // Detaches this handle from its body: the texture goes with the last
    // handle; this handle is left with an empty body of its own, so other
    // handles keep their picture.
    void unload();
    void load(const std::string& file, int format16, int format32);
    void createEmpty(uint32_t width, uint32_t height);

    // ARGB of a pixel of the main texture; 0 outside the picture, without a
    // texture or for a format that cannot be read.
    uint32_t getPixel(int x, int y) const;
    // Writes one pixel (converted to the texture's format); false when it cannot.
    bool setPixel(int x, int y, uint32_t argb);

    // A8R8G8B8 textures only; pitch is in pixels.
    bool lock(const aRect* rect, bool readOnly, uint32_t** bits, int* pitch);
    void unlock();

    void draw(const float* position, const aRect* rect, uint32_t colour, const float* scale = nullptr,
              float rotation = 0.0f, const float* centre = nullptr, bool useRect = false) const;
    void drawAt(float x, float y, uint32_t colour = 0xFFFFFFFF, const float* scale = nullptr,
                float rotation = 0.0f, const float* centre = nullptr) const {
        const float pos[2] = {x, y};
        aRect r(0, 0, static_cast<int16_t>(getWidth()), static_cast<int16_t>(getHeight()));
        draw(pos, &r, colour, scale, rotation, centre, false);
    }
    void drawAtInt(int16_t x, int16_t y, uint32_t colour = 0xFFFFFFFF, const float* scale = nullptr,
                   float rotation = 0.0f, const float* centre = nullptr) const {
        drawAt(static_cast<float>(x), static_cast<float>(y), colour, scale, rotation, centre);
    }
    void drawRectAtInt(int16_t x, int16_t y, const aRect& rect, uint32_t colour = 0xFFFFFFFF,
                       const float* scale = nullptr, float rotation = 0.0f,
                       const float* centre = nullptr) const {
        const float pos[2] = {static_cast<float>(x), static_cast<float>(y)};
        draw(pos, &rect, colour, scale, rotation, centre, true);
    }

    // Effects, kept in the effect list and re-applied after every load.
    // Blur makes a copy grown by radius on each side; drawing with it is
    // selected with setBlurDrawing.
    void addBlur(int radius, float strength = 1.0f);
    void addGrayscale(bool inPlace);
    void setBlurDrawing(bool on) { m_cellIndex = on ? 2 : 0; }

    uint32_t getWidth() const { return m_data->cells[0].imageWidth; }
    uint32_t getHeight() const { return m_data->cells[0].imageHeight; }
    uint32_t getTextureWidth() const { return m_data->cells[0].textureWidth; }
    uint32_t getTextureHeight() const { return m_data->cells[0].textureHeight; }
    bool hasTexture() const { return m_data->cells[0].texture != nullptr; }
    // Bytes of texture memory the body holds: its picture and its blurred and grey copies.
    size_t getTextureBytes() const;
    // The format of the main texture (0 without one).
    int getFormat() const;
    const std::string& getFileName() const { return m_data->fileName; }
    aTexture* getTexture() const { return m_data->cells[0].texture; }
    aTexture* getBlurTexture() const { return m_data->cells[1].texture; }
    aTexture* getGrayTexture() const { return m_data->cells[2].texture; }
    const aImageData* getData() const { return m_data; }
    uint32_t getRefCount() const { return m_data->refCount; }

private:
    aImage(const std::string& file, int format16, int format32, aImageFile* read);
    void release();
    void loadTexture(aImageFile* read = nullptr);
    void applyEffects();
    void runBlur(int radius);
    void runGrayscale(bool inPlace);

    aImageData* m_data;
    aImageCell* m_cell;
    int m_cellIndex = 0;
};
