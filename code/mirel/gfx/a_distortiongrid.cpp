#include "mirel/gfx/a_distortiongrid.h"

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/platform/graphics/a_device.h"

#include <algorithm>

namespace {

struct GridBuffers {
    int grids = 0;
    uint32_t cells = 0; // the largest cell count served
    aVertexBuffer* vertices = nullptr;
    aIndexBuffer* indices = nullptr;
};
GridBuffers g_grid;

void releaseBuffers() {
    if (g_grid.vertices)
        g_grid.vertices->release();
    if (g_grid.indices)
        g_grid.indices->release();
    g_grid.vertices = nullptr;
    g_grid.indices = nullptr;
    g_grid.cells = 0;
}

void createBuffers(aDevice* device, uint32_t cells) {
    releaseBuffers();
    if (!device)
        return;
    g_grid.cells = cells;
    const uint32_t vertexCount = cells * 4;
    int32_t rc = device->createVertexBuffer(vertexCount * sizeof(aVertex), A_USAGE_WRITEONLY, A_FVF_TLVERTEX,
                                            A_POOL_MANAGED, &g_grid.vertices);
    if (rc != A_OK) {
        a_log("aDistortionGrid. Vertex buffer creation failed (%s)", a_deviceErrorText(rc));
        g_grid.vertices = nullptr;
    } else {
        void* data = nullptr;
        if (g_grid.vertices->lock(0, 0, &data, 0) == A_OK) {
            aVertex* v = static_cast<aVertex*>(data);
            for (uint32_t i = 0; i < vertexCount; ++i)
                v[i] = aVertex{0.0f, 0.0f, 0.0f, 1.0f, 0u, 0.0f, 0.0f};
            g_grid.vertices->unlock();
        }
    }
    rc = device->createIndexBuffer(cells * 6 * sizeof(uint16_t), A_USAGE_WRITEONLY, A_FMT_INDEX16,
                                   A_POOL_MANAGED, &g_grid.indices);
    if (rc != A_OK) {
        a_log("aDistortionGrid. Index buffer creation failed (%s)", a_deviceErrorText(rc));
        g_grid.indices = nullptr;
        return;
    }
    void* data = nullptr;
    if (g_grid.indices->lock(0, 0, &data, 0) == A_OK) {
        uint16_t* idx = static_cast<uint16_t*>(data);
        for (uint32_t q = 0; q < cells; ++q) {
            const uint16_t b = uint16_t(q * 4);
            uint16_t* o = idx + size_t(q) * 6;
            o[0] = b;
            o[1] = uint16_t(b + 1);
            o[2] = uint16_t(b + 2);
            o[3] = uint16_t(b + 1);
            o[4] = uint16_t(b + 2);
            o[5] = uint16_t(b + 3);
        }
        g_grid.indices->unlock();
    }
}

} // namespace

uint32_t aDistortionGrid::getSharedCells() {
    return g_grid.vertices && g_grid.indices ? g_grid.cells : 0;
}

aDistortionGrid::aDistortionGrid(uint32_t columns, uint32_t rows) : m_columns(columns), m_rows(rows) {
    const uint64_t cells = columns >= 2 && rows >= 2 ? uint64_t(columns - 1) * (rows - 1) : 0;
    if (cells == 0 || cells > MAX_CELLS) {
        a_log("aDistortionGrid. Grid of %u x %u vertices cannot be drawn, 2 x 2 is used", columns, rows);
        m_columns = m_rows = 2;
    }
    m_vertices.resize(size_t(m_columns) * m_rows);
    aGraphServer* server = aImage::getGraphServer();
    m_device = server ? server->getDevice() : nullptr;

    const uint32_t myCells = (m_columns - 1) * (m_rows - 1);
    ++g_grid.grids;
    if (g_grid.grids == 1 || myCells > g_grid.cells || !g_grid.vertices || !g_grid.indices)
        createBuffers(m_device, std::max(myCells, g_grid.grids == 1 ? 0u : g_grid.cells));
    reset(0xFFFFFFFFu);
}

aDistortionGrid::~aDistortionGrid() {
    if (--g_grid.grids <= 0) {
        g_grid.grids = 0;
        releaseBuffers();
    }
}

void aDistortionGrid::setImage(const aImage* image, const aRect* rect) {
    if (!image)
        return;
    m_image = *image;
    const aRect r = rect ? *rect
                         : aRect(0, 0, int16_t(std::min<uint32_t>(m_image.getWidth(), 32767)),
                                 int16_t(std::min<uint32_t>(m_image.getHeight(), 32767)));
    const int32_t cw = int32_t(r.width) / int32_t(m_columns - 1);
    const int32_t ch = int32_t(r.height) / int32_t(m_rows - 1);
    m_cellWidth = uint32_t(std::max(cw, 0));
    m_cellHeight = uint32_t(std::max(ch, 0));
    const float tw = float(m_image.getTextureWidth()), th = float(m_image.getTextureHeight());
    for (uint32_t row = 0; row < m_rows; ++row) {
        for (uint32_t c = 0; c < m_columns; ++c) {
            Vertex& v = m_vertices[size_t(row) * m_columns + c];
            v.x = float(m_cellWidth * c);
            v.y = float(m_cellHeight * row);
            const float px = float(r.x) + float(c) * float(r.width) / float(m_columns - 1);
            const float py = float(r.y) + float(row) * float(r.height) / float(m_rows - 1);
            v.u = tw > 0.0f ? px / tw : 0.0f;
            v.v = th > 0.0f ? py / th : 0.0f;
        }
    }
}

void aDistortionGrid::reset(uint32_t colour) {
    for (uint32_t row = 0; row < m_rows; ++row) {
        for (uint32_t c = 0; c < m_columns; ++c) {
            Vertex& v = m_vertices[size_t(row) * m_columns + c];
            v.x = float(m_cellWidth * c);
            v.y = float(m_cellHeight * row);
            v.colour = colour;
        }
    }
}

void aDistortionGrid::setColor(uint32_t c, uint32_t r, uint32_t colour) {
    if (c >= m_columns || r >= m_rows)
        return;
    m_vertices[size_t(r) * m_columns + c].colour = colour;
}

void aDistortionGrid::setVertex(uint32_t c, uint32_t r, float x, float y, int mode) {
    if (c >= m_columns || r >= m_rows)
        return;
    Vertex& v = m_vertices[size_t(r) * m_columns + c];
    if (mode == 0) {
        v.x = float(m_cellWidth * c) + x;
        v.y = float(m_cellHeight * r) + y;
    } else if (mode == 1) {
        v.x = float(m_columns - 1) * float(m_cellWidth) * 0.5f + x;
        v.y = float(m_rows - 1) * float(m_cellHeight) * 0.5f + y;
    } else {
        v.x = x;
        v.y = y;
    }
}

void aDistortionGrid::render(float x, float y, float scaleX, float scaleY) {
    if (!m_image.hasTexture() || !m_device)
        return;
    if (scaleY == -1.0f)
        scaleY = scaleX;
    const uint32_t cells = (m_columns - 1) * (m_rows - 1);
    if (!g_grid.vertices || !g_grid.indices || cells > g_grid.cells)
        return;
    void* data = nullptr;
    int32_t rc = g_grid.vertices->lock(0, cells * 4 * sizeof(aVertex), &data, A_LOCK_DISCARD);
    if (rc != A_OK) {
        a_log("aDistortionGrid. Vertex buffer lock failed on render (%s)", a_deviceErrorText(rc));
        return;
    }
    // The device samples triangles at whole pixel positions and a sprite at
    // pixel centres: half a pixel up and left puts each texel centre on its
    // pixel, so a grid at rest draws exactly what a sprite draws.
    const float ox = x - 0.5f, oy = y - 0.5f;
    aVertex* out = static_cast<aVertex*>(data);
    auto put = [&](const Vertex& v) {
        out->x = v.x * scaleX + ox;
        out->y = v.y * scaleY + oy;
        out->z = 0.0f;
        out->rhw = 1.0f;
        out->diffuse = v.colour;
        out->u = v.u;
        out->v = v.v;
        ++out;
    };
    for (uint32_t r = 0; r + 1 < m_rows; ++r) {
        const Vertex* top = &m_vertices[size_t(r) * m_columns];
        const Vertex* bottom = top + m_columns;
        for (uint32_t c = 0; c + 1 < m_columns; ++c) {
            put(top[c]);
            put(top[c + 1]);
            put(bottom[c]);
            put(bottom[c + 1]);
        }
    }
    if (g_grid.vertices->unlock() != A_OK)
        return;
    m_device->setTexture(0, m_image.getTexture());
    m_device->setVertexShader(A_FVF_TLVERTEX);
    m_device->setStreamSource(0, g_grid.vertices, sizeof(aVertex));
    m_device->setIndices(g_grid.indices, 0);
    rc = m_device->drawIndexedPrimitive(A_PT_TRIANGLELIST, 0, cells * 4, 0, cells * 2);
    if (rc != A_OK)
        a_log("aDistortionGrid. Render error (%s)", a_deviceErrorText(rc));
}
