#pragma once
// aGDI: untextured points, lines, rectangles, ellipses and elliptic rings drawn
// straight on the graphics device in back-buffer pixels with one current
// colour. Meant for overlays, underlines and developer tools: every shape is
// one draw call from a fixed array of 400 pre-transformed vertices, made on
// the first shape (a drawer that never draws, as in every credits tile's
// path, costs no more than its settings).

#include "mirel/base/a_rect.h"
#include "mirel/platform/graphics/a_device.h"

#include <cstdint>
#include <memory>

class aGraphServer;

class aGDI {
public:
    static constexpr int kMaxVertices = 400;
    // Ellipse rims are kept below 200 points so that a ring (2S + 2 vertices)
    // fits the vertex array.
    static constexpr uint16_t kMaxSegments = 199;
    static constexpr uint16_t kMinSegments = 3;

    // Draws on the device of the application's graphics server.
    aGDI();
    // Draws on the given device (null: every call draws nothing).
    explicit aGDI(aDevice* device);

    void setColor(uint32_t argb) { m_color = argb; }
    uint32_t getColor() const { return m_color; }
    // Clamped to kMinSegments .. kMaxSegments (logged when out of range).
    void setSegmentCount(uint16_t segments);
    uint16_t getSegmentCount() const { return m_segments; }
    float getX() const { return m_x; }
    float getY() const { return m_y; }

    void drawPoint(float x, float y);
    // count points given as x, y pairs, in batches of at most 400.
    void drawPoints(const float* points, uint32_t count);
    void drawLine(float x1, float y1, float x2, float y2);
    void drawRect(float x, float y, float width, float height, bool filled);
    void drawRect16(const aRect& rect, bool filled);
    void drawEllipse(float cx, float cy, float rx, float ry, bool filled);
    void drawEllipseRing(float cx1, float cy1, float rx1, float ry1, float cx2, float cy2, float rx2,
                         float ry2);

private:
    aVertex* vertices();
    void set(int i, float x, float y);
    void submit(int type, uint32_t primitives);

    aDevice* device() const;

    aGraphServer* m_server = nullptr; // the device is asked of it per shape
    aDevice* (*m_deviceOf)(aGraphServer*) = nullptr;
    aDevice* m_device = nullptr;
    // kMaxVertices, once the first shape is drawn. A copy draws on the same
    // device with the same settings and makes its own.
    struct Vertices {
        Vertices() = default;
        Vertices(const Vertices&) {}
        Vertices& operator=(const Vertices&) { return *this; }
        std::unique_ptr<aVertex[]> made;
    } m_vertices;
    uint32_t m_color = 0xFFFFFFFFu;
    uint16_t m_segments = 50;
    float m_x = 0.0f, m_y = 0.0f;
};
