#include "mirel/platform/window/a_framescale.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

// Two pixels as their eight channels, and the channels widened for mixing.
typedef uint8_t aChannels8 __attribute__((vector_size(8)));
typedef uint16_t aChannels16 __attribute__((vector_size(16)));

// Two pixels of a and two of b, each channel mixed with the weight of b out
// of 256 that w holds for it.
inline void mixTwo(uint32_t* out, const uint32_t a[2], const uint32_t b[2], aChannels16 w) {
    aChannels8 x, y;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    const aChannels16 wide =
        __builtin_convertvector(x, aChannels16) * (256 - w) + __builtin_convertvector(y, aChannels16) * w;
    const aChannels8 mixed = __builtin_convertvector(wide >> 8, aChannels8);
    std::memcpy(out, &mixed, sizeof mixed);
}

// One pixel of a and one of b mixed with b's weight w out of 256.
inline uint32_t mixOne(uint32_t a, uint32_t b, uint32_t w) {
    const uint32_t v = 256 - w;
    const uint32_t rb = (((a & 0x00FF00FFu) * v + (b & 0x00FF00FFu) * w) >> 8) & 0x00FF00FFu;
    const uint32_t ag = (((a >> 8) & 0x00FF00FFu) * v + ((b >> 8) & 0x00FF00FFu) * w) & 0xFF00FF00u;
    return rb | ag;
}

// Where the centre of target pixel i of n lands among m frame pixels: the
// frame pixel on its left (or at it) and the weight of the next one, 0..255.
void sampleAt(int32_t i, int32_t n, int32_t m, int32_t& first, uint32_t& weight) {
    const int64_t at = (int64_t(2 * i + 1) * m * 256) / (int64_t(2) * n) - 128;
    if (at <= 0) {
        first = 0;
        weight = 0;
        return;
    }
    first = int32_t(at >> 8);
    weight = uint32_t(at & 255);
    if (first >= m - 1) {
        first = m - 1;
        weight = 0;
    }
}

// Blackens the part of the rectangle inside the target.
void fill(const aPixels& target, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    left = std::max(left, 0);
    right = std::min(right, target.width);
    if (left >= right)
        return;
    for (int32_t y = std::max(top, 0); y < std::min(bottom, target.height); ++y) {
        uint32_t* row = target.pixels + size_t(y) * size_t(target.pitch);
        std::fill(row + left, row + right, kBlack);
    }
}

} // namespace

const uint32_t* aFrameScaler::scaledRow(const aConstPixels& frame, int32_t row, int slot) {
    const uint32_t* source = frame.pixels + size_t(row) * size_t(frame.pitch);
    if (m_width == frame.width)
        return source;
    std::vector<uint32_t>& out = m_rows[slot];
    if (m_rowOf[slot] == row)
        return out.data();
    out.resize(size_t(m_width));
    const size_t n = size_t(m_width);
    size_t i = 0;
    for (; i + 2 <= n; i += 2) {
        const int32_t c0 = m_columns[i], c1 = m_columns[i + 1];
        const uint32_t left[2] = {source[c0], source[c1]};
        const uint32_t right[2] = {source[c0 + m_steps[i]], source[c1 + m_steps[i + 1]]};
        aChannels16 w;
        std::memcpy(&w, &m_weights[4 * i], sizeof w);
        mixTwo(&out[i], left, right, w);
    }
    for (; i < n; ++i)
        out[i] = mixOne(source[m_columns[i]], source[m_columns[i] + m_steps[i]], m_weights[4 * i]);
    m_rowOf[slot] = row;
    return out.data();
}

aPlatformRect aFrameScaler::put(const aConstPixels& frame, const aPixels& target, const aPlatformRect& area) {
    const aPlatformRect whole{0, 0, target.width, target.height};
    if (!target.pixels || target.width <= 0 || target.height <= 0)
        return aPlatformRect{};
    if (!frame.pixels || frame.width <= 0 || frame.height <= 0 || area.width() <= 0 || area.height() <= 0) {
        fill(target, 0, 0, target.width, target.height);
        m_lastTarget = nullptr;
        return whole;
    }
    // The target still holds the last frame when nothing but the frame's
    // pixels changed: only the rows drawn from changed frame rows are made.
    const bool again = m_lastTarget == target.pixels && m_lastTargetWidth == target.width &&
                       m_lastTargetHeight == target.height && m_lastPitch == target.pitch &&
                       m_lastArea.left == area.left && m_lastArea.top == area.top &&
                       m_lastArea.right == area.right && m_lastArea.bottom == area.bottom &&
                       m_lastWidth == frame.width && m_lastHeight == frame.height;
    const size_t rowBytes = size_t(frame.width) * sizeof(uint32_t);
    m_last.resize(size_t(frame.width) * size_t(frame.height));
    m_changed.assign(size_t(frame.height), again ? 0 : 1);
    bool anyChanged = !again;
    for (int32_t r = 0; r < frame.height; ++r) {
        const uint32_t* source = frame.pixels + size_t(r) * size_t(frame.pitch);
        uint32_t* kept = m_last.data() + size_t(r) * size_t(frame.width);
        if (again && std::memcmp(source, kept, rowBytes) == 0)
            continue;
        std::memcpy(kept, source, rowBytes);
        m_changed[size_t(r)] = 1;
        anyChanged = true;
    }
    m_lastTarget = target.pixels;
    m_lastTargetWidth = target.width;
    m_lastTargetHeight = target.height;
    m_lastPitch = target.pitch;
    m_lastArea = area;
    m_lastWidth = frame.width;
    m_lastHeight = frame.height;
    if (!anyChanged)
        return aPlatformRect{};
    if (!again) {
        // The bars around the picture.
        fill(target, 0, 0, target.width, area.top);
        fill(target, 0, area.bottom, target.width, target.height);
        fill(target, 0, area.top, area.left, area.bottom);
        fill(target, area.right, area.top, target.width, area.bottom);
    }

    if (m_width != area.width() || m_frameWidth != frame.width) {
        m_width = area.width();
        m_frameWidth = frame.width;
        m_columns.resize(size_t(m_width));
        m_steps.resize(size_t(m_width));
        m_weights.resize(4 * size_t(m_width));
        for (int32_t i = 0; i < m_width; ++i) {
            uint32_t weight = 0;
            sampleAt(i, m_width, frame.width, m_columns[size_t(i)], weight);
            m_steps[size_t(i)] = weight ? 1 : 0; // the last column has no right neighbour
            for (size_t c = 0; c < 4; ++c)
                m_weights[4 * size_t(i) + c] = uint16_t(weight);
        }
    }
    m_rowOf[0] = m_rowOf[1] = -1; // a new frame

    // The part of the area inside the target.
    const int32_t x0 = std::max(area.left, 0), x1 = std::min(area.right, target.width);
    const int32_t y0 = std::max(area.top, 0), y1 = std::min(area.bottom, target.height);
    aPlatformRect made{0, 0, target.width, 0};
    bool first = true;
    if (x0 >= x1)
        return again ? made : whole;
    const aConstPixels kept{m_last.data(), frame.width, frame.height, frame.width};
    const size_t skip = size_t(x0 - area.left), count = size_t(x1 - x0);
    for (int32_t y = y0; y < y1; ++y) {
        int32_t row = 0;
        uint32_t weight = 0;
        sampleAt(y - area.top, area.height(), frame.height, row, weight);
        if (!m_changed[size_t(row)] && !(weight && m_changed[size_t(row) + 1]))
            continue;
        if (first)
            made.top = y;
        first = false;
        made.bottom = y + 1;
        uint32_t* out = target.pixels + size_t(y) * size_t(target.pitch) + x0;
        // The two scaled rows take turns in the slots as the rows go down.
        const uint32_t* upper = scaledRow(kept, row, row & 1) + skip;
        if (!weight) {
            std::memcpy(out, upper, count * sizeof(uint32_t));
            continue;
        }
        const uint32_t* lower = scaledRow(kept, row + 1, (row + 1) & 1) + skip;
        const aChannels16 w = aChannels16{} + uint16_t(weight);
        size_t i = 0;
        for (; i + 2 <= count; i += 2)
            mixTwo(out + i, upper + i, lower + i, w);
        for (; i < count; ++i)
            out[i] = mixOne(upper[i], lower[i], weight);
    }
    return again ? made : whole;
}

void aFrameScaler::forget() {
    m_lastTarget = nullptr;
}
