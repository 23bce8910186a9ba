#include "mirel/gfx/a_sprite.h"

aSprite::aSprite() : m_list(new aSpriteFrameList) {}

aSprite::aSprite(const aSprite& other) : aRoot(other), m_list(nullptr) {
    share(other);
}

aSprite& aSprite::operator=(const aSprite& other) {
    if (this != &other) {
        releaseList();
        share(other);
    }
    return *this;
}

aSprite::~aSprite() {
    releaseList();
}

void aSprite::share(const aSprite& other) {
    m_list = other.m_list;
    ++m_list->refCount;
    m_frame = other.m_frame;
    m_ticksLeft = other.m_ticksLeft;
}

void aSprite::releaseList() {
    if (m_list && --m_list->refCount == 0)
        delete m_list;
    m_list = nullptr;
}

void aSprite::addFrame(uint16_t ticks, const aImage* image, const aRect* rect) {
    aSpriteFrame f;
    f.ticks = ticks;
    if (rect)
        f.rect = *rect;
    if (image)
        f.image = std::make_unique<aImage>(*image);
    m_list->frames.push_back(std::move(f));
    rewind();
}

void aSprite::setFramesFromGrid(const aImage* image, const aRect* area, uint16_t width, uint16_t height,
                                uint16_t count) {
    clearFrames();
    if (!image || width == 0 || height == 0)
        return;
    int ox = area ? area->x : 0, oy = area ? area->y : 0;
    int areaWidth = area ? area->width : int(image->getWidth());
    int columns = areaWidth / width;
    if (columns < 1)
        columns = 1; // an area narrower than one frame still gives one column
    for (int i = 0; i < count; ++i) {
        aRect r(int16_t(ox + (i % columns) * width), int16_t(oy + (i / columns) * height), int16_t(width),
                int16_t(height));
        addFrame(1, image, &r);
    }
}

void aSprite::clearFrames() {
    if (m_list->refCount == 1) {
        m_list->frames.clear();
    } else {
        --m_list->refCount;
        m_list = new aSpriteFrameList;
    }
    m_frame = 0;
    m_ticksLeft = 0;
}

void aSprite::rewind() {
    if (frames().empty())
        return;
    m_frame = 0;
    m_ticksLeft = frames()[0].ticks;
}

void aSprite::setFrame(uint16_t index, uint16_t ticks) {
    if (frames().empty() || index >= frames().size())
        return;
    m_frame = index;
    m_ticksLeft = ticks ? ticks : frames()[index].ticks;
}

bool aSprite::nextFrame() {
    if (frames().empty())
        return false;
    if (m_ticksLeft > 0)
        --m_ticksLeft;
    if (m_ticksLeft != 0)
        return false;
    m_frame = uint16_t(m_frame + 1u >= frames().size() ? 0 : m_frame + 1);
    m_ticksLeft = frames()[m_frame].ticks;
    return true;
}

bool aSprite::prevFrame() {
    if (frames().empty())
        return false;
    if (m_ticksLeft > 0)
        --m_ticksLeft;
    if (m_ticksLeft != 0)
        return false;
    m_frame = uint16_t(m_frame == 0 ? frames().size() - 1 : m_frame - 1);
    m_ticksLeft = frames()[m_frame].ticks;
    return true;
}

void aSprite::setFrameSkip(uint16_t index, bool skip) {
    if (index < frames().size())
        m_list->frames[index].skip = skip ? 1 : 0;
}

uint32_t aSprite::getPixel(int x, int y) const {
    if (frames().empty())
        return 0;
    const aSpriteFrame& f = frames()[m_frame];
    if (!f.image)
        return 0;
    return f.image->getPixel(f.rect.x + x, f.rect.y + y);
}

void aSprite::draw(const float* position, uint32_t colour, const float* scale, float rotation,
                   const float* centre) const {
    if (frames().empty())
        return;
    const aSpriteFrame& f = frames()[m_frame];
    if (f.skip || !f.image)
        return;
    f.image->draw(position, &f.rect, colour, scale, rotation, centre, true);
}
