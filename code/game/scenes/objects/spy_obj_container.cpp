#include "game/scenes/objects/spy_obj_container.h"

#include "game/scenes/objects/spy_object_factory.h"
#include "mirel/base/a_log.h"
#include "mirel/gfx/a_image.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>

namespace {

[[maybe_unused]] const bool g_registeredContainer =
    SpyObjectFactory::Instance().Register("Container", &SpyObjectFactory::Create<SpyObjContainer>);
[[maybe_unused]] const bool g_registeredHeap =
    SpyObjectFactory::Instance().Register("HeapContainer", &SpyObjectFactory::Create<SpyObjHeapContainer>);

// "FramesCount" below 1 is read as 1 (logged).
uint32_t readFramesCount(const aOptionsFile& section, const char* where, const std::string& name) {
    const int count = section.getInt("FramesCount");
    if (count >= 1)
        return uint32_t(count);
    a_log("%s - FramesCount %d of object '%s' is below 1, read as 1", where, count, name.c_str());
    return 1;
}

bool alphaAt(const aImage* image, int32_t x, int32_t y, int32_t threshold) {
    return image && int32_t(image->getPixel(x, y) >> 24) >= threshold;
}

// All the bits of 0x80800080: alpha, red and blue each at least 0x80.
constexpr uint32_t kMarkerBits = 0x80800080u;

} // namespace

// ---------------------------------------------------------------- SpyObjContainer

SpyObjContainer::SpyObjContainer(SpyRoom* room, const std::string& name) : SpyObjImage(room, name) {}

void SpyObjContainer::Create(const aOptionsFile& section) {
    SpyObjImage::Create(section);
    m_framesCount = readFramesCount(section, "SpyObjContainer::Create", m_name);
    m_frameWidth = int32_t(m_rect.width) / int32_t(m_framesCount);
    std::vector<int> frames;
    if (section.hasKey("ContainerFrames"))
        section.getIntList(section.getSectionName(), "ContainerFrames", frames);
    else
        frames.push_back(0);
    m_initialFrames = 0;
    for (int frame : frames) {
        if (frame >= 0 && frame < int(kMaxFrames))
            m_initialFrames |= 1u << frame;
        else
            a_log("SpyObjContainer::Create - frame %d of object '%s' is out of range, ignored", frame,
                  m_name.c_str());
    }
    m_shownFrames = m_initialFrames;
}

void SpyObjContainer::Init() {
    SpyObjImage::Init();
    m_shownFrames = m_initialFrames;
}

bool SpyObjContainer::IsKindOf(const std::string& key) const {
    return key == "Container" || SpyObjImage::IsKindOf(key);
}

bool SpyObjContainer::Activate(bool on, SpyObject* used) {
    if (!on || !used)
        return false;
    const int32_t position = used->GetPosInContainer();
    if (position >= 0 && position < int32_t(kMaxFrames))
        m_shownFrames |= 1u << position;
    else
        a_log("SpyObjContainer::Activate - position %d of object '%s' is out of range", position,
              used->GetName().c_str());
    return true;
}

bool SpyObjContainer::HitTest(int32_t x, int32_t y) const {
    for (int32_t i = int32_t(kMaxFrames) - 1; i >= 0; --i) {
        if (!(m_shownFrames & (1u << i)))
            continue;
        if (alphaAt(m_image, m_rect.x + i * m_frameWidth + x, m_rect.y + y, m_alphaThreshold))
            return true;
    }
    return false;
}

void SpyObjContainer::Draw(uint32_t colour) {
    if (m_state != STATE_PRESENT || !m_image)
        return;
    const float position[2] = {m_x, m_y};
    for (uint32_t i = 0; i < kMaxFrames; ++i) {
        if (!(m_shownFrames & (1u << i)))
            continue;
        const aRect source(int16_t(m_rect.x + int32_t(i) * m_frameWidth), m_rect.y, int16_t(m_frameWidth),
                           m_rect.height);
        m_image->draw(position, &source, colour, nullptr, 0.0f, nullptr, true);
    }
}

void SpyObjContainer::Save(SaveLoadSystem& system, SaveWriter& record) {
    record.WriteU32(m_shownFrames);
    SpyObjImage::Save(system, record);
}

void SpyObjContainer::Load(SaveLoadSystem& system, SaveReader& record) {
    uint32_t shown = 0;
    if (!record.ReadU32(shown) || record.GetRemaining() < SpyObject::kRecordSize) {
        a_log("SpyObjContainer::Load - bad record of object '%s', not taken", m_name.c_str());
        return;
    }
    m_shownFrames = shown;
    SpyObjImage::Load(system, record);
}

// ---------------------------------------------------------------- SpyObjHeapContainer

SpyObjHeapContainer::SpyObjHeapContainer(SpyRoom* room, const std::string& name) : SpyObjImage(room, name) {}

void SpyObjHeapContainer::Create(const aOptionsFile& section) {
    SpyObjImage::Create(section);
    m_framesCount = readFramesCount(section, "SpyObjHeapContainer::Create", m_name);
    m_frameWidth = int32_t(m_rect.width) / int32_t(m_framesCount);
    m_heapInFront = section.hasKey("HeapInFront") && section.getInt("HeapInFront") != 0;
    if (!m_positions.empty() || !m_image)
        return;
    const int32_t left = m_rect.x + int32_t(m_framesCount - 1) * m_frameWidth;
    for (int32_t y = int32_t(m_rect.height) - 1; y >= 0; --y) {
        for (int32_t x = 0; x < m_frameWidth; ++x) {
            if ((m_image->getPixel(left + x, m_rect.y + y) & kMarkerBits) == kMarkerBits)
                m_positions.push_back(Position{x, y});
        }
    }
}

void SpyObjHeapContainer::Init() {
    SpyObjImage::Init();
    m_putIn.clear();
}

bool SpyObjHeapContainer::IsKindOf(const std::string& key) const {
    return key == "HeapContainer" || SpyObjImage::IsKindOf(key);
}

bool SpyObjHeapContainer::Activate(bool on, SpyObject* used) {
    if (!on)
        return false;
    if (!used || m_putIn.size() >= m_positions.size())
        return true;
    const int32_t position = used->GetPosInContainer();
    if (position >= 0 && uint32_t(position) < m_framesCount)
        m_putIn.push_back(uint32_t(position));
    else
        a_log("SpyObjHeapContainer::Activate - position %d of object '%s' is not a frame of '%s'", position,
              used->GetName().c_str(), m_name.c_str());
    return true;
}

bool SpyObjHeapContainer::HitTest(int32_t x, int32_t y) const {
    if (alphaAt(m_image, m_rect.x + x, m_rect.y + y, m_alphaThreshold))
        return true;
    for (size_t n = 0; n < m_putIn.size() && n < m_positions.size(); ++n) {
        const Position& p = m_positions[n];
        if (x < p.x || y < p.y)
            continue;
        const int32_t start = m_rect.x + int32_t(m_putIn[n]) * m_frameWidth;
        if (alphaAt(m_image, start + x - p.x, m_rect.y + y - p.y, m_alphaThreshold))
            return true;
    }
    return false;
}

void SpyObjHeapContainer::DrawHeap(uint32_t colour) const {
    for (size_t n = 0; n < m_putIn.size() && n < m_positions.size(); ++n) {
        const Position& p = m_positions[n];
        const aRect source(int16_t(m_rect.x + int32_t(m_putIn[n]) * m_frameWidth), m_rect.y,
                           int16_t(m_frameWidth), m_rect.height);
        const float position[2] = {m_x + float(p.x), m_y + float(p.y)};
        m_image->draw(position, &source, colour, nullptr, 0.0f, nullptr, true);
    }
}

void SpyObjHeapContainer::Draw(uint32_t colour) {
    if (m_state != STATE_PRESENT || !m_image)
        return;
    const aRect container(m_rect.x, m_rect.y, int16_t(m_frameWidth), m_rect.height);
    const float position[2] = {m_x, m_y};
    if (!m_heapInFront)
        DrawHeap(colour);
    m_image->draw(position, &container, colour, nullptr, 0.0f, nullptr, true);
    if (m_heapInFront)
        DrawHeap(colour);
}

void SpyObjHeapContainer::Save(SaveLoadSystem& system, SaveWriter& record) {
    record.WriteU32(uint32_t(m_putIn.size()));
    for (auto it = m_putIn.rbegin(); it != m_putIn.rend(); ++it)
        record.WriteU32(*it);
    SpyObjImage::Save(system, record);
}

void SpyObjHeapContainer::Load(SaveLoadSystem& system, SaveReader& record) {
    uint32_t count = 0;
    // A count the record cannot hold is a bad record, not a long read.
    if (!record.ReadU32(count) ||
        count > (record.GetRemaining() - std::min(record.GetRemaining(), SpyObject::kRecordSize)) / 4) {
        a_log("SpyObjHeapContainer::Load - bad record of object '%s', not taken", m_name.c_str());
        return;
    }
    std::vector<uint32_t> frames(count);
    for (uint32_t i = 0; i < count; ++i)
        record.ReadU32(frames[count - 1 - i]);
    for (uint32_t frame : frames) {
        if (frame >= m_framesCount) {
            a_log("SpyObjHeapContainer::Load - bad record of object '%s', not taken", m_name.c_str());
            return;
        }
    }
    m_putIn = frames;
    SpyObjImage::Load(system, record);
}
