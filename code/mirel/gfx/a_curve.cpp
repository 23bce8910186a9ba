#include "mirel/gfx/a_curve.h"

#include "mirel/base/a_log.h"

#include <algorithm>
#include <cmath>

// ---- aCurve ---------------------------------------------------------------

void aCurve::addPoint(int32_t x, int32_t y) {
    m_lastX = x;
    m_lastY = y;
    if (m_type != TYPE_BEZIER || m_points.empty()) {
        m_points.push_back({x, y});
        m_tags.push_back({A_CURVE_ANCHOR, 0});
        return;
    }
    for (uint32_t kind : {A_CURVE_HANDLE, A_CURVE_HANDLE, A_CURVE_ANCHOR}) {
        m_points.push_back({x, y});
        m_tags.push_back({kind, 0});
    }
    alignHandles(uint32_t(m_points.size() - 1));
}

void aCurve::insertPoint(uint32_t index, int32_t x, int32_t y) {
    const aCurvePoint p{x, y};
    if (m_type != TYPE_BEZIER || m_points.empty()) {
        index = std::min<uint32_t>(index, uint32_t(m_points.size()));
        m_points.insert(m_points.begin() + index, p);
        m_tags.insert(m_tags.begin() + index, aCurveTag{A_CURVE_ANCHOR, 0});
        return;
    }
    const aCurveTag anchor{A_CURVE_ANCHOR, 0}, handle{A_CURVE_HANDLE, 0};
    if (index >= m_points.size()) {
        // A new last segment: two handles and the anchor.
        m_points.insert(m_points.end(), {p, p, p});
        m_tags.insert(m_tags.end(), {handle, handle, anchor});
        return;
    }
    // The new anchor starts the segment the anchor at the boundary started,
    // with its two handles after it.
    index -= index % 3;
    m_points.insert(m_points.begin() + index, {p, p, p});
    m_tags.insert(m_tags.begin() + index, {anchor, handle, handle});
}

void aCurve::removePoint(uint32_t index) {
    if (index >= m_points.size()) {
        return;
    }
    if (m_type != TYPE_BEZIER) {
        m_points.erase(m_points.begin() + index);
        m_tags.erase(m_tags.begin() + index);
        return;
    }
    if (m_tags[index].isHandle()) {
        return;
    }
    // The anchor and its two handles: those after it for the first anchor,
    // those before it for every other.
    size_t first = index, last = index + 1;
    if (index == 0) {
        last = std::min<size_t>(m_points.size(), 3);
    } else {
        first = index >= 2 ? index - 2 : 0;
    }
    m_points.erase(m_points.begin() + first, m_points.begin() + last);
    m_tags.erase(m_tags.begin() + first, m_tags.begin() + last);
}

void aCurve::setPoint(uint32_t index, int32_t x, int32_t y) {
    if (index >= m_points.size() || m_type == TYPE_BEZIER) {
        return;
    }
    m_points[index] = {x, y};
}

bool aCurve::getPoint(uint32_t index, int32_t& x, int32_t& y) const {
    if (index >= m_points.size()) {
        return false;
    }
    x = m_points[index].x;
    y = m_points[index].y;
    return true;
}

void aCurve::clear() {
    m_points.clear();
    m_tags.clear();
    m_closed = false;
}

void aCurve::alignHandles(uint32_t i) {
    if (i <= 2 || i >= m_points.size()) {
        return;
    }
    std::vector<aCurvePoint>& p = m_points;
    if (i == 3) {
        const aCurvePoint mid{(p[0].x + p[3].x) / 2, (p[0].y + p[3].y) / 2};
        p[1] = mid;
        p[2] = mid;
        return;
    }
    if (i < 6) {
        return;
    }
    const aCurvePoint& prev = p[i - 3];
    const aCurvePoint& before = p[i - 6];
    const double dx = double(p[i].x) - before.x, dy = double(p[i].y) - before.y;
    const double length = std::sqrt(dx * dx + dy * dy) / 6.0;
    const double angle = std::atan2(dy, dx);
    const int32_t ox = int32_t(std::floor(std::cos(angle) * length));
    const int32_t oy = int32_t(std::floor(std::sin(angle) * length));
    p[i - 2] = {prev.x + ox, prev.y + oy};
    p[i - 4] = {prev.x - ox, prev.y - oy};
    p[i - 1] = {(p[i - 2].x + p[i].x) / 2, (p[i - 2].y + p[i].y) / 2};
}

// ---- flattening -------------------------------------------------------------

namespace {

struct Vec {
    double x, y;
};

// The larger distance of the two handles from the chord segment. The curve
// lies in the hull of its four points, and every point within the tolerance
// of the segment keeps the whole hull, and so the curve, within it; the chord
// in turn stays within it of the curve (the curve runs from one end of the
// chord to the other). Measuring against the segment rather than its line
// catches handles that overshoot the chord's ends.
double handleDeviation(const Vec& a, const Vec& b, const Vec& c, const Vec& d) {
    const double cx = d.x - a.x, cy = d.y - a.y;
    const double len2 = cx * cx + cy * cy;
    auto dist = [&](const Vec& p) {
        double t = 0.0;
        if (len2 > 1e-24) {
            t = std::clamp(((p.x - a.x) * cx + (p.y - a.y) * cy) / len2, 0.0, 1.0);
        }
        return std::hypot(p.x - (a.x + t * cx), p.y - (a.y + t * cy));
    };
    return std::max(dist(b), dist(c));
}

void flattenBezier(const Vec& a, const Vec& b, const Vec& c, const Vec& d, int depth,
                   std::vector<aPathPoint>& out) {
    const double dev = handleDeviation(a, b, c, d);
    // Each split quarters the deviation: 16 levels flatten curves spanning
    // a thousand million pixels, and bound the points of a segment to 65536.
    if (!(dev > aCurvePath::kFlatness) || depth >= 16) {
        out.push_back({float(d.x), float(d.y)});
        return;
    }
    const Vec ab{(a.x + b.x) / 2, (a.y + b.y) / 2}, bc{(b.x + c.x) / 2, (b.y + c.y) / 2},
        cd{(c.x + d.x) / 2, (c.y + d.y) / 2};
    const Vec abc{(ab.x + bc.x) / 2, (ab.y + bc.y) / 2}, bcd{(bc.x + cd.x) / 2, (bc.y + cd.y) / 2};
    const Vec m{(abc.x + bcd.x) / 2, (abc.y + bcd.y) / 2};
    flattenBezier(a, ab, abc, m, depth + 1, out);
    flattenBezier(m, bcd, cd, d, depth + 1, out);
}

Vec toVec(const aCurvePoint& p) {
    return {double(p.x), double(p.y)};
}

// The Bezier segments of a cardinal spline through the points, the closing
// one included when closed.
void splineToBeziers(const std::vector<aCurvePoint>& pts, bool closed, std::vector<Vec>& out) {
    const size_t n = pts.size();
    const double k = aCurvePath::kTension / 3.0;
    auto at = [&](long i) -> Vec {
        if (closed) {
            return toVec(pts[size_t((i % long(n) + long(n)) % long(n))]);
        }
        return toVec(pts[size_t(std::clamp<long>(i, 0, long(n) - 1))]);
    };
    const long segments = closed ? long(n) : long(n) - 1;
    out.push_back(at(0));
    for (long i = 0; i < segments; ++i) {
        const Vec p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
        out.push_back({p1.x + k * (p2.x - p0.x), p1.y + k * (p2.y - p0.y)});
        out.push_back({p2.x - k * (p3.x - p1.x), p2.y - k * (p3.y - p1.y)});
        out.push_back(p2);
    }
}

} // namespace

// ---- aCurvePath -------------------------------------------------------------

aCurvePath::aCurvePath() : m_gdi() {}

aCurvePath::aCurvePath(aDevice* device) : m_gdi(device) {}

aCurvePath::aCurvePath(const aCurvePath& other) = default;

aCurvePath& aCurvePath::operator=(const aCurvePath& other) {
    if (this != &other) {
        aCurve::operator=(other);
        m_status = other.m_status;
        m_flat = other.m_flat;
        m_length = other.m_length;
        m_posX = other.m_posX;
        m_posY = other.m_posY;
        m_angle = other.m_angle;
        m_segment = other.m_segment;
        m_segDist = other.m_segDist;
        m_segLength = other.m_segLength;
        m_moving = other.m_moving;
    }
    return *this;
}

void aCurvePath::addPoint(int32_t x, int32_t y) {
    aCurve::addPoint(x, y);
    rebuild();
}
void aCurvePath::insertPoint(uint32_t index, int32_t x, int32_t y) {
    aCurve::insertPoint(index, x, y);
    rebuild();
}
void aCurvePath::removePoint(uint32_t index) {
    aCurve::removePoint(index);
    rebuild();
}
void aCurvePath::setPoint(uint32_t index, int32_t x, int32_t y) {
    aCurve::setPoint(index, x, y);
    rebuild();
}
void aCurvePath::clearPoints() {
    aCurve::clear();
    rebuild();
}
void aCurvePath::setType(uint32_t type) {
    aCurve::setType(type);
    rebuild();
}
void aCurvePath::setClosed(bool closed) {
    aCurve::setClosed(closed);
    rebuild();
}

void aCurvePath::rebuild() {
    m_length = 0.0;
    m_flat.clear();
    m_status = A_PATH_OK;
    const size_t n = m_points.size();
    if (n >= 2) {
        std::vector<Vec> bez;
        if (m_type == TYPE_BEZIER) {
            // Whole segments only: a chain needs 3k + 1 points.
            const size_t whole = (n - 1) / 3 * 3 + 1;
            if (whole != n) {
                m_status = A_PATH_INVALID_PARAMETER;
                a_log("aCurvePath::rebuild - %u points are no chain of Bezier segments", unsigned(n));
            }
            for (size_t i = 0; i < whole; ++i) {
                bez.push_back(toVec(m_points[i]));
            }
        } else {
            splineToBeziers(m_points, m_closed, bez);
        }
        if (bez.size() >= 4) {
            m_flat.push_back({float(bez[0].x), float(bez[0].y)});
            for (size_t i = 0; i + 3 < bez.size(); i += 3) {
                flattenBezier(bez[i], bez[i + 1], bez[i + 2], bez[i + 3], 0, m_flat);
            }
        }
    }
    if (!m_moving) {
        if (!m_flat.empty()) {
            m_posX = m_flat[0].x;
            m_posY = m_flat[0].y;
        }
        m_angle = segmentAngle(0);
    }
    calcLength();
}

double aCurvePath::calcLength() {
    double total = 0.0;
    for (size_t i = 1; i < m_flat.size(); ++i) {
        total += std::hypot(double(m_flat[i].x) - m_flat[i - 1].x, double(m_flat[i].y) - m_flat[i - 1].y);
    }
    m_length = total;
    return total;
}

double aCurvePath::segmentAngle(size_t i) const {
    if (i + 1 >= m_flat.size()) {
        return 0.0;
    }
    return std::atan2(double(m_flat[i + 1].y) - m_flat[i].y, double(m_flat[i + 1].x) - m_flat[i].x);
}

void aCurvePath::startMove() {
    m_segDist = 0.0;
    m_segLength = 0.0;
    m_segment = -1;
    m_moving = true;
    if (!m_flat.empty()) {
        m_posX = m_flat[0].x;
        m_posY = m_flat[0].y;
    }
    m_angle = segmentAngle(0);
}

int aCurvePath::updateMove(double distance) {
    if (!m_moving) {
        return A_MOVE_STOPPED;
    }
    if (m_flat.empty()) {
        // Nothing to walk: the walk ends where it stands.
        m_moving = false;
        return A_MOVE_END;
    }
    const int32_t last = int32_t(m_flat.size()) - 1;
    if (!(distance > 0.0) || !std::isfinite(distance)) {
        distance = 0.0;
    }
    if (m_segment >= last) {
        // The path was rebuilt shorter while walking: the walk is over.
        m_segment = last;
        m_posX = m_flat[size_t(last)].x;
        m_posY = m_flat[size_t(last)].y;
        m_moving = false;
        return A_MOVE_END;
    }
    m_segDist += distance;
    while (m_segDist >= m_segLength) {
        ++m_segment;
        m_segDist -= m_segLength;
        if (m_segment >= last) {
            m_posX = m_flat[size_t(last)].x;
            m_posY = m_flat[size_t(last)].y;
            m_moving = false;
            return A_MOVE_END;
        }
        const aPathPoint& a = m_flat[size_t(m_segment)];
        const aPathPoint& b = m_flat[size_t(m_segment) + 1];
        m_angle = std::atan2(double(b.y) - a.y, double(b.x) - a.x);
        m_segLength = std::hypot(double(b.x) - a.x, double(b.y) - a.y);
    }
    const aPathPoint& start = m_flat[size_t(std::max<int32_t>(m_segment, 0))];
    m_posX = float(start.x + std::cos(m_angle) * m_segDist);
    m_posY = float(start.y + std::sin(m_angle) * m_segDist);
    return A_MOVE_ON;
}

void aCurvePath::getPosition(float& x, float& y, double* angle) const {
    x = m_posX;
    y = m_posY;
    if (angle) {
        *angle = m_angle;
    }
}

void aCurvePath::draw() {
    if (m_drawMode == 0 || m_drawMode == 1) {
        for (size_t i = 1; i < m_flat.size(); ++i) {
            m_gdi.drawLine(m_flat[i - 1].x, m_flat[i - 1].y, m_flat[i].x, m_flat[i].y);
        }
    }
    if (m_showControlPoints) {
        drawControlPoints();
    }
}

void aCurvePath::drawControlPoints() {
    for (const aCurvePoint& p : m_points) {
        m_gdi.drawRect(float(p.x - 3), float(p.y - 3), 6.0f, 6.0f, false);
    }
}
