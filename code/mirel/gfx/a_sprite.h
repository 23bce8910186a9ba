#pragma once
// aSprite: a list of frames, each a rectangle cut from an image, with a
// current frame. The frame list is shared between copies and reference
// counted; clearing the frames of a shared list gives the sprite a new list
// of its own. aAnim (a_anim.h) adds timing and play modes.

#include "mirel/base/a_rect.h"
#include "mirel/gfx/a_image.h"

#include <cstdint>
#include <memory>
#include <vector>

class aRoot {
public:
    virtual ~aRoot() = default;
};

struct aSpriteFrame {
    uint16_t ticks = 1;
    aRect rect;
    uint8_t skip = 0; // a skipped frame is not drawn
    std::unique_ptr<aImage> image;

    aSpriteFrame() = default;
    aSpriteFrame(const aSpriteFrame& o) : ticks(o.ticks), rect(o.rect), skip(o.skip) {
        if (o.image)
            image = std::make_unique<aImage>(*o.image);
    }
    aSpriteFrame& operator=(const aSpriteFrame& o) {
        if (this != &o) {
            ticks = o.ticks;
            rect = o.rect;
            skip = o.skip;
            image = o.image ? std::make_unique<aImage>(*o.image) : nullptr;
        }
        return *this;
    }
    aSpriteFrame(aSpriteFrame&&) = default;
    aSpriteFrame& operator=(aSpriteFrame&&) = default;
};

struct aSpriteFrameList {
    std::vector<aSpriteFrame> frames;
    uint16_t refCount = 1;
};

class aSprite : public aRoot {
public:
    aSprite();
    aSprite(const aSprite& other);
    aSprite& operator=(const aSprite& other);
    ~aSprite() override;

    void addFrame(uint16_t ticks, const aImage* image, const aRect* rect);
    void setFramesFromGrid(const aImage* image, const aRect* area, uint16_t width, uint16_t height,
                           uint16_t count);
    void clearFrames();

    void rewind();
    void setFrame(uint16_t index, uint16_t ticks = 0);
    bool nextFrame();
    bool prevFrame();

    bool isFirstFrame() const { return !frames().empty() && m_frame == 0; }
    bool isLastFrame() const { return !frames().empty() && m_frame + 1u == frames().size(); }
    uint16_t getFrameCount() const { return uint16_t(frames().size()); }
    uint16_t getFrame() const { return m_frame; }
    uint16_t getFrameTicks() const { return frames().empty() ? 0 : frames()[m_frame].ticks; }
    uint16_t getTicksLeft() const { return m_ticksLeft; }
    uint16_t getWidth() const { return frames().empty() ? 0 : uint16_t(frames()[m_frame].rect.width); }
    uint16_t getHeight() const { return frames().empty() ? 0 : uint16_t(frames()[m_frame].rect.height); }
    // The frame records (shared with copies).
    const std::vector<aSpriteFrame>& frames() const { return m_list->frames; }
    // Marks a frame as not drawn.
    void setFrameSkip(uint16_t index, bool skip);

    // ARGB of the current frame's image at its rectangle origin + (x, y); 0
    // without frames or image.
    uint32_t getPixel(int x, int y) const;

    void draw(const float* position, uint32_t colour = 0xFFFFFFFF, const float* scale = nullptr,
              float rotation = 0.0f, const float* centre = nullptr) const;
    void drawAtInt(int16_t x, int16_t y, uint32_t colour = 0xFFFFFFFF, const float* scale = nullptr,
                   float rotation = 0.0f, const float* centre = nullptr) const {
        const float pos[2] = {static_cast<float>(x), static_cast<float>(y)};
        draw(pos, colour, scale, rotation, centre);
    }

protected:
    void share(const aSprite& other);
    void releaseList();

    aSpriteFrameList* m_list;
    uint16_t m_frame = 0;
    uint16_t m_ticksLeft = 0;
};
