#include "mirel/gfx/a_linedrawer.h"

#include "mirel/base/a_log.h"

#include <cmath>

namespace {
constexpr float kTwoPi = 6.28318530717958647692f;
}

aGDI::aGDI(aDevice* device) : m_device(device) {}

aVertex* aGDI::vertices() {
    std::unique_ptr<aVertex[]>& v = m_vertices.made;
    if (!v) {
        v = std::make_unique<aVertex[]>(kMaxVertices);
        for (int i = 0; i < kMaxVertices; ++i) {
            v[i] = aVertex{0.0f, 0.0f, 0.0f, 1.0f, m_color, 0.0f, 0.0f};
        }
    }
    return v.get();
}

aDevice* aGDI::device() const {
    return m_server && m_deviceOf ? m_deviceOf(m_server) : m_device;
}

void aGDI::setSegmentCount(uint16_t segments) {
    if (segments < kMinSegments || segments > kMaxSegments) {
        a_log("aGDI::setSegmentCount - segment count %u out of range, %u used", unsigned(segments),
              unsigned(segments < kMinSegments ? kMinSegments : kMaxSegments));
        segments = segments < kMinSegments ? kMinSegments : kMaxSegments;
    }
    m_segments = segments;
}

void aGDI::set(int i, float x, float y) {
    aVertex& v = vertices()[i];
    v.x = x;
    v.y = y;
    v.diffuse = m_color;
}

void aGDI::submit(int type, uint32_t primitives) {
    aDevice* dev = device();
    if (!dev) {
        return;
    }
    dev->setVertexShader(A_FVF_TLVERTEX);
    dev->setTexture(0, nullptr);
    dev->drawPrimitiveUP(type, primitives, vertices(), sizeof(aVertex));
}

void aGDI::drawPoint(float x, float y) {
    set(0, x, y);
    submit(A_PT_POINTLIST, 1);
    m_x = x;
    m_y = y;
}

void aGDI::drawPoints(const float* points, uint32_t count) {
    if (!points || count == 0) {
        return;
    }
    for (uint32_t done = 0; done < count;) {
        const uint32_t batch = count - done < uint32_t(kMaxVertices) ? count - done : uint32_t(kMaxVertices);
        for (uint32_t i = 0; i < batch; ++i) {
            set(int(i), points[(done + i) * 2], points[(done + i) * 2 + 1]);
        }
        submit(A_PT_POINTLIST, batch);
        done += batch;
    }
    m_x = points[(count - 1) * 2];
    m_y = points[(count - 1) * 2 + 1];
}

void aGDI::drawLine(float x1, float y1, float x2, float y2) {
    set(0, x1, y1);
    set(1, x2, y2);
    submit(A_PT_LINELIST, 1);
    m_x = x2;
    m_y = y2;
}

void aGDI::drawRect(float x, float y, float width, float height, bool filled) {
    if (filled) {
        set(0, x, y);
        set(1, x + width, y);
        set(2, x, y + height);
        set(3, x + width, y + height);
        submit(A_PT_TRIANGLESTRIP, 2);
        return;
    }
    const float r = x + width - 1, b = y + height - 1;
    set(0, x, y);
    set(1, r, y);
    set(2, r, b);
    set(3, x, b);
    set(4, x, y);
    submit(A_PT_LINESTRIP, 4);
}

void aGDI::drawRect16(const aRect& rect, bool filled) {
    drawRect(rect.x, rect.y, rect.width, rect.height, filled);
}

void aGDI::drawEllipse(float cx, float cy, float rx, float ry, bool filled) {
    const int s = m_segments;
    if (filled) {
        set(0, cx, cy);
        for (int i = 0; i < s - 1; ++i) {
            const float a = float(i) * kTwoPi / float(s - 1);
            set(1 + i, cx + std::cos(a) * rx, cy + std::sin(a) * ry);
        }
        set(s, vertices()[1].x, vertices()[1].y);
        submit(A_PT_TRIANGLEFAN, uint32_t(s - 1));
        return;
    }
    for (int i = 0; i < s; ++i) {
        const float a = float(i) * kTwoPi / float(s);
        set(i, cx + std::cos(a) * rx, cy + std::sin(a) * ry);
    }
    set(s, vertices()[0].x, vertices()[0].y);
    submit(A_PT_LINESTRIP, uint32_t(s));
}

void aGDI::drawEllipseRing(float cx1, float cy1, float rx1, float ry1, float cx2, float cy2, float rx2,
                           float ry2) {
    const int s = m_segments;
    for (int i = 0; i < s; ++i) {
        const float a = float(i) * kTwoPi / float(s);
        const float c = std::cos(a), sn = std::sin(a);
        set(2 * i, cx2 + c * rx2, cy2 + sn * ry2);
        set(2 * i + 1, cx1 + c * rx1, cy1 + sn * ry1);
    }
    set(2 * s, vertices()[0].x, vertices()[0].y);
    set(2 * s + 1, vertices()[1].x, vertices()[1].y);
    submit(A_PT_TRIANGLESTRIP, uint32_t(2 * s));
}
