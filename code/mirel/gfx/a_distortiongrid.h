#pragma once
// aDistortionGrid: one image rectangle spread over a grid of vertices that
// the caller may move and colour one by one, so that a picture can wave,
// bulge or ripple. At rest the grid shows the rectangle undistorted. All
// grids share one vertex and one index buffer, sized for the largest grid
// made so far.
//
// A grid has at least 2 x 2 vertices and at most 16384 cells (the reach of
// 16-bit indices); other sizes are logged and made 2 x 2.

#include "mirel/base/a_rect.h"
#include "mirel/gfx/a_image.h"

#include <cstdint>
#include <vector>

class aDevice;

class aDistortionGrid {
public:
    struct Vertex {
        float x = 0.0f, y = 0.0f; // relative to the grid's origin
        float u = 0.0f, v = 0.0f;
        uint32_t colour = 0xFFFFFFFFu;
    };

    static constexpr uint32_t MAX_CELLS = 16384;

    aDistortionGrid(uint32_t columns, uint32_t rows);
    virtual ~aDistortionGrid();
    aDistortionGrid(const aDistortionGrid&) = delete;
    aDistortionGrid& operator=(const aDistortionGrid&) = delete;

    // A copy of the image; the rectangle is the given one or the whole image.
    // A null image changes nothing.
    void setImage(const aImage* image, const aRect* rect = nullptr);
    // Every vertex back to its rest place with the colour.
    void reset(uint32_t colour = 0xFFFFFFFFu);
    void setColor(uint32_t c, uint32_t r, uint32_t colour);
    // Mode 0: rest place + (x, y); mode 1: grid centre + (x, y); else (x, y).
    void setVertex(uint32_t c, uint32_t r, float x, float y, int mode);
    // A scaleY of exactly -1 takes scaleX.
    void render(float x, float y, float scaleX = 1.0f, float scaleY = -1.0f);

    uint32_t getColumns() const { return m_columns; }
    uint32_t getRows() const { return m_rows; }
    uint32_t getCellWidth() const { return m_cellWidth; }
    uint32_t getCellHeight() const { return m_cellHeight; }
    const Vertex& getVertex(uint32_t c, uint32_t r) const { return m_vertices[size_t(r) * m_columns + c]; }
    const aImage& getImage() const { return m_image; }

    // The cell count the shared buffers serve (0 when there are none).
    static uint32_t getSharedCells();

private:
    aDevice* m_device;
    uint32_t m_columns;
    uint32_t m_rows;
    std::vector<Vertex> m_vertices;
    aImage m_image;
    uint32_t m_cellWidth = 0;
    uint32_t m_cellHeight = 0;
};
