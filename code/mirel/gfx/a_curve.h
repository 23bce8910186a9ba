#pragma once
// Curves and curve paths.
//
// aCurve is an editable list of integer control points describing either a
// cardinal spline (open or closed) or a chain of cubic Bezier segments. A
// Bezier curve keeps its points in the order anchor, handle, handle, anchor,
// handle, handle, anchor, ... (tags 0 for anchors, 3 for handles).
//
// aCurvePath turns a curve into a polyline (flattened to within 0.25 pixel of
// the exact curve), measures it, draws it with the line drawer and walks a
// position along it by a given distance per step.

#include "mirel/gfx/a_linedrawer.h"

#include <cstdint>
#include <vector>

struct aCurvePoint {
    int32_t x = 0, y = 0;
    bool operator==(const aCurvePoint& o) const { return x == o.x && y == o.y; }
};

struct aPathPoint {
    float x = 0.0f, y = 0.0f;
};

// Kinds of the control points. Every point of a spline is an anchor; on a
// Bezier curve the anchor kinds say how the two handles around an anchor move
// together when one of them is dragged (see aCurveEditor).
constexpr uint32_t A_CURVE_ANCHOR = 0;  // anchor, handles mirrored
constexpr uint32_t A_CURVE_ALIGNED = 1; // anchor, handles on one line
constexpr uint32_t A_CURVE_FREE = 2;    // anchor, handles independent
constexpr uint32_t A_CURVE_HANDLE = 3;  // a Bezier handle

// The record kept beside each control point.
struct aCurveTag {
    uint32_t kind = A_CURVE_ANCHOR;
    uint8_t pinned = 0; // stays in place when the whole path is dragged
    bool isHandle() const { return kind == A_CURVE_HANDLE; }
    bool operator==(const aCurveTag& o) const { return kind == o.kind && pinned == o.pinned; }
};

class aCurve {
public:
    enum : uint32_t { TYPE_SPLINE = 0, TYPE_BEZIER = 1 };

    aCurve() = default;
    virtual ~aCurve() = default;
    aCurve(const aCurve&) = default;
    aCurve& operator=(const aCurve&) = default;

    // A spline appends the point; a Bezier curve appends its first point as an
    // anchor and every later one as two handles and a new anchor, then lines
    // the handles up around it.
    void addPoint(int32_t x, int32_t y);
    // On a Bezier curve the anchor goes in (and out) together with its two
    // handles; removing a handle alone does nothing. A Bezier anchor is
    // inserted at the anchor boundary at or below the index (a multiple of 3)
    // as anchor, handle, handle, so that it starts the segment that the old
    // anchor there started; an index at or past the end appends a segment.
    void insertPoint(uint32_t index, int32_t x, int32_t y);
    void removePoint(uint32_t index);
    // Ignored beyond the end and for Bezier curves.
    void setPoint(uint32_t index, int32_t x, int32_t y);
    bool getPoint(uint32_t index, int32_t& x, int32_t& y) const;
    void setType(uint32_t type) { m_type = type; }
    uint32_t getType() const { return m_type; }
    void setClosed(bool closed) { m_closed = closed; }
    bool isClosed() const { return m_closed; }
    void clear();

    uint32_t getPointCount() const { return uint32_t(m_points.size()); }
    const std::vector<aCurvePoint>& getPoints() const { return m_points; }
    const std::vector<aCurveTag>& getTags() const { return m_tags; }
    bool isHandle(uint32_t index) const { return index < m_tags.size() && m_tags[index].isHandle(); }
    void getLastAdded(int32_t& x, int32_t& y) const {
        x = m_lastX;
        y = m_lastY;
    }

protected:
    // Lines up the handles around the anchor at index i (i > 2).
    void alignHandles(uint32_t i);

    int32_t m_lastX = 0, m_lastY = 0;
    uint32_t m_type = TYPE_SPLINE;
    bool m_closed = false;
    std::vector<aCurvePoint> m_points;
    std::vector<aCurveTag> m_tags;
};

// Result codes of aCurvePath::updateMove.
constexpr int A_MOVE_ON = 0;      // still on the path
constexpr int A_MOVE_END = 1;     // the last point was reached this step
constexpr int A_MOVE_STOPPED = 2; // the walker is not moving

// Status codes of building a path.
constexpr int A_PATH_OK = 0;
constexpr int A_PATH_INVALID_PARAMETER = 2;

class aCurvePath : public aCurve {
public:
    // The largest distance between the polyline and the exact curve.
    static constexpr float kFlatness = 0.25f;
    // The tension of the cardinal splines, 0.5 (the customary default of
    // 2D path libraries; 0 would give straight lines, 0.5 is the Catmull-Rom
    // spline). Each spline segment from P1 to P2 is the cubic Bezier with
    // handles P1 + T / 3 x (P2 - P0) and P2 - T / 3 x (P3 - P1). An open
    // spline repeats its end points (P0 = P1 on the first segment, P3 = P2 on
    // the last); a closed one wraps around and adds the segment back to the
    // first point.
    static constexpr float kTension = 0.5f;

    // Draws on the application's graphics device.
    aCurvePath();
    // Draws on the given device (null: draws nothing).
    explicit aCurvePath(aDevice* device);
    aCurvePath(const aCurvePath& other);
    aCurvePath& operator=(const aCurvePath& other);
    ~aCurvePath() override = default;

    // As in aCurve, each followed by rebuild.
    void addPoint(int32_t x, int32_t y);
    void insertPoint(uint32_t index, int32_t x, int32_t y);
    void removePoint(uint32_t index);
    void setPoint(uint32_t index, int32_t x, int32_t y);
    void clearPoints();
    void setType(uint32_t type);
    void setClosed(bool closed);

    void rebuild();
    double calcLength();
    double getLength() const { return m_length; }
    int getLastStatus() const { return m_status; }
    const std::vector<aPathPoint>& getFlattened() const { return m_flat; }

    // 0: the polyline, 1: segment by segment, other values: nothing.
    void setDrawMode(uint32_t mode) { m_drawMode = mode; }
    uint32_t getDrawMode() const { return m_drawMode; }
    void showControlPoints(bool on) { m_showControlPoints = on; }
    void draw();
    void drawControlPoints();
    aGDI& getDrawer() { return m_gdi; }

    // The walker: startMove puts it on the first point; each updateMove goes
    // the distance further along the polyline (a negative or non-finite
    // distance is taken as 0) and returns A_MOVE_ON, A_MOVE_END on the step
    // that reaches the last point (the walker stops there) or A_MOVE_STOPPED.
    void startMove();
    int updateMove(double distance);
    bool isMoving() const { return m_moving; }
    void getPosition(float& x, float& y, double* angle = nullptr) const;

protected:
    double segmentAngle(size_t i) const;

    aGDI m_gdi;
    int m_status = A_PATH_OK;
    std::vector<aPathPoint> m_flat;
    double m_length = 0.0;
    float m_posX = 0.0f, m_posY = 0.0f;
    double m_angle = 0.0;
    int32_t m_segment = -1;
    double m_segDist = 0.0;
    double m_segLength = 0.0;
    bool m_moving = false;
    uint32_t m_drawMode = 0;
    bool m_showControlPoints = false;
};
