#pragma once
// Containers of a hidden-object room: objects carried into them show inside.
// Both cut their frames from the object's image rectangle, divided across
// into "FramesCount" frames of equal width; an object put in shows the frame
// of its "PosInContainer".
//
// "Container" (SpyObjContainer): frames drawn one over the other, lowest
// first; "ContainerFrames" lists the frames shown while it is empty (frame 0
// without the key). At most 32 frames.
//
// "HeapContainer" (SpyObjHeapContainer): frame 0 is the container itself;
// the objects put in pile up at the marker pixels of the strip's last frame
// (pixels with alpha, red and blue each at least 0x80), taken from the
// bottom row up and each row from the left, in the order they arrive. With
// "HeapInFront" the heap is drawn over the container, else behind it.
//
// A "FramesCount" below 1 is read as 1 with a log line.

#include "game/scenes/objects/spy_obj_image.h"

#include <vector>

class SpyObjContainer : public SpyObjImage {
public:
    static constexpr uint32_t kMaxFrames = 32;
    // u32 shown frames, then the base record.
    static constexpr size_t kRecordSize = 4 + SpyObject::kRecordSize;

    SpyObjContainer(SpyRoom* room, const std::string& name);

    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;

    void Create(const aOptionsFile& section) override;
    void Init() override;
    bool IsKindOf(const std::string& key) const override;
    // Shows the used object's frame; false without one.
    bool Activate(bool on, SpyObject* used) override;
    bool IsEmpty() const override { return m_shownFrames == m_initialFrames; }
    bool HitTest(int32_t x, int32_t y) const override;
    float GetWidth() const override { return float(m_frameWidth); }
    float GetHeight() const override { return float(m_rect.height); }
    void Draw(uint32_t colour) override;

    uint32_t GetFramesCount() const { return m_framesCount; }
    uint32_t GetInitialFrames() const { return m_initialFrames; }
    uint32_t GetShownFrames() const { return m_shownFrames; }

private:
    uint32_t m_framesCount = 1;
    int32_t m_frameWidth = 0;
    uint32_t m_initialFrames = 1;
    uint32_t m_shownFrames = 1;
};

class SpyObjHeapContainer : public SpyObjImage {
public:
    struct Position {
        int32_t x = 0;
        int32_t y = 0;
    };

    SpyObjHeapContainer(SpyRoom* room, const std::string& name);

    // u32 count, the frames from the last put in to the first (u32 each),
    // then the base record.
    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;

    void Create(const aOptionsFile& section) override;
    void Init() override;
    bool IsKindOf(const std::string& key) const override;
    // Piles the used object's frame on the next free position.
    bool Activate(bool on, SpyObject* used) override;
    bool IsEmpty() const override { return m_putIn.empty(); }
    bool HitTest(int32_t x, int32_t y) const override;
    float GetWidth() const override { return float(m_frameWidth); }
    float GetHeight() const override { return float(m_rect.height); }
    void Draw(uint32_t colour) override;

    uint32_t GetFramesCount() const { return m_framesCount; }
    const std::vector<uint32_t>& GetPutIn() const { return m_putIn; }
    const std::vector<Position>& GetPositions() const { return m_positions; }

private:
    void DrawHeap(uint32_t colour) const;

    std::vector<uint32_t> m_putIn; // frame indices, in arrival order
    std::vector<Position> m_positions;
    bool m_heapInFront = false;
    uint32_t m_framesCount = 1;
    int32_t m_frameWidth = 0;
};
