#pragma once
// Puts a finished frame into a window's pixels: scaled to the picture area
// (bilinear; the same size is a plain copy) with the client area around it
// black. Frames and targets are 32-bit pixels 0xAARRGGBB (alpha ignored),
// rows a pitch apart counted in pixels.

#include "mirel/platform/window/a_platform_window.h"

#include <cstdint>
#include <vector>

struct aPixels {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0; // pixels from one row to the next
};

struct aConstPixels {
    const uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;
};

// Keeps the frame it put last, so that the next one makes only the target
// rows drawn from frame rows that changed (a still screen costs a compare).
class aFrameScaler {
public:
    // Draws the frame into the area of the target and blackens the rest of
    // the target. Each target pixel samples the frame at its own centre,
    // between the four nearest frame pixels; frame edges are repeated. An
    // empty frame or area leaves the whole target black. Returns the part of
    // the target that changed (empty when nothing did).
    aPlatformRect put(const aConstPixels& frame, const aPixels& target, const aPlatformRect& area);
    // The target's pixels are no longer what put left there: the next put
    // makes all of them.
    void forget();

private:
    // The kept frame's row scaled to the area's width (kept for the next
    // target row).
    const uint32_t* scaledRow(const aConstPixels& frame, int32_t row, int slot);

    int32_t m_width = 0; // the area width the column table is for
    int32_t m_frameWidth = 0;
    // Per target column: its left frame column, 1 when the next one counts
    // (else 0), and the next one's weight (0..255) once for each channel.
    std::vector<int32_t> m_columns;
    std::vector<int32_t> m_steps;
    std::vector<uint16_t> m_weights;
    std::vector<uint32_t> m_rows[2];
    int32_t m_rowOf[2] = {-1, -1}; // the frame row each scaled row holds

    // The last frame and where it went.
    std::vector<uint32_t> m_last;
    std::vector<uint8_t> m_changed; // per frame row: differs from the one before
    const uint32_t* m_lastTarget = nullptr;
    int32_t m_lastTargetWidth = 0, m_lastTargetHeight = 0, m_lastPitch = 0;
    aPlatformRect m_lastArea;
    int32_t m_lastWidth = 0, m_lastHeight = 0;
};
