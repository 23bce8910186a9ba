// Curves and curve paths: control points and handles, flattening against the
// exact curves, lengths, the walker and drawing.

#include "mirel/gfx/a_curve.h"

#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct P {
    double x, y;
};

double distToSegment(const P& p, const aPathPoint& a, const aPathPoint& b) {
    const double cx = double(b.x) - a.x, cy = double(b.y) - a.y;
    const double len2 = cx * cx + cy * cy;
    double t = len2 > 0 ? ((p.x - a.x) * cx + (p.y - a.y) * cy) / len2 : 0.0;
    t = std::fmin(1.0, std::fmax(0.0, t));
    return std::hypot(p.x - (a.x + t * cx), p.y - (a.y + t * cy));
}

double distToPolyline(const P& p, const std::vector<aPathPoint>& line) {
    double best = 1e300;
    for (size_t i = 1; i < line.size(); ++i) {
        best = std::fmin(best, distToSegment(p, line[i - 1], line[i]));
    }
    return best;
}

P bezier(const P& a, const P& b, const P& c, const P& d, double t) {
    const double u = 1 - t;
    return {u * u * u * a.x + 3 * u * u * t * b.x + 3 * u * t * t * c.x + t * t * t * d.x,
            u * u * u * a.y + 3 * u * u * t * b.y + 3 * u * t * t * c.y + t * t * t * d.y};
}

// The cardinal spline written as Hermite segments with tangents T x (P2 - P0),
// independently of the path code's Bezier form.
P hermite(const P& p0, const P& p1, const P& p2, const P& p3, double t) {
    const double T = 0.5;
    const double t2 = t * t, t3 = t2 * t;
    const double h00 = 2 * t3 - 3 * t2 + 1, h10 = t3 - 2 * t2 + t, h01 = -2 * t3 + 3 * t2, h11 = t3 - t2;
    return {h00 * p1.x + h10 * T * (p2.x - p0.x) + h01 * p2.x + h11 * T * (p3.x - p1.x),
            h00 * p1.y + h10 * T * (p2.y - p0.y) + h01 * p2.y + h11 * T * (p3.y - p1.y)};
}

// Dense samples of the exact curve of a path's control points.
std::vector<P> exactCurve(const aCurve& c, int perSegment = 400) {
    std::vector<P> out;
    const auto& pts = c.getPoints();
    const long n = long(pts.size());
    auto at = [&](long i) {
        if (c.isClosed()) {
            i = ((i % n) + n) % n;
        } else {
            i = std::max(0L, std::min(n - 1, i));
        }
        return P{double(pts[size_t(i)].x), double(pts[size_t(i)].y)};
    };
    if (c.getType() == aCurve::TYPE_BEZIER) {
        for (long i = 0; i + 3 < n; i += 3) {
            for (int k = 0; k <= perSegment; ++k) {
                out.push_back(bezier(at(i), at(i + 1), at(i + 2), at(i + 3), double(k) / perSegment));
            }
        }
        return out;
    }
    const long segments = c.isClosed() ? n : n - 1;
    for (long i = 0; i < segments; ++i) {
        for (int k = 0; k <= perSegment; ++k) {
            out.push_back(hermite(at(i - 1), at(i), at(i + 1), at(i + 2), double(k) / perSegment));
        }
    }
    return out;
}

aCurvePath makePath(uint32_t type, bool closed, const std::vector<aCurvePoint>& points) {
    aCurvePath path(nullptr);
    path.setType(type);
    path.setClosed(closed);
    for (const aCurvePoint& p : points) {
        path.addPoint(p.x, p.y);
    }
    return path;
}

aCurvePath straightBezier(const std::vector<aCurvePoint>& anchors) {
    // Appended segments keep both handles on their end anchor: straight lines.
    aCurvePath path(nullptr);
    path.setType(aCurve::TYPE_BEZIER);
    path.addPoint(anchors[0].x, anchors[0].y);
    for (size_t i = 1; i < anchors.size(); ++i) {
        path.insertPoint(1000, anchors[i].x, anchors[i].y);
    }
    return path;
}

void expectTags(const aCurve& c, const std::string& pattern) {
    std::string got;
    for (const aCurveTag& t : c.getTags()) {
        got += t.isHandle() ? 'H' : 'A';
    }
    EXPECT_EQ(got, pattern);
}

} // namespace

TEST(Curve, BezierHandlesFollowTheNewAnchors) {
    aCurve c;
    c.setType(aCurve::TYPE_BEZIER);
    c.addPoint(0, 0);
    c.addPoint(100, 0);
    expectTags(c, "AHHA");
    int32_t x, y;
    ASSERT_TRUE(c.getPoint(1, x, y));
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 0);
    ASSERT_TRUE(c.getPoint(2, x, y));
    EXPECT_EQ(x, 50);
    // The third anchor lines the handles around (100, 0) up with the chord
    // from (0, 0) to (200, 100), a sixth of its length long, floored.
    c.addPoint(200, 100);
    expectTags(c, "AHHAHHA");
    const std::vector<aCurvePoint> expected = {{0, 0},    {50, 0},   {67, -16}, {100, 0},
                                               {133, 16}, {166, 58}, {200, 100}};
    EXPECT_EQ(c.getPoints(), expected);
    c.getLastAdded(x, y);
    EXPECT_EQ(x, 200);
    EXPECT_EQ(y, 100);

    // Bezier points are edited through the editor, not setPoint.
    c.setPoint(3, 7, 7);
    EXPECT_EQ(c.getPoints(), expected);
    EXPECT_FALSE(c.getPoint(7, x, y));
}

TEST(Curve, BezierAnchorsGoInAndOutWithTheirHandles) {
    aCurve c;
    c.setType(aCurve::TYPE_BEZIER);
    c.addPoint(0, 0);
    c.addPoint(90, 0);
    c.insertPoint(3, 30, 30); // starts the segment the old anchor there started
    expectTags(c, "AHHAHHA");
    EXPECT_EQ(c.getPoints()[3], (aCurvePoint{30, 30}));
    EXPECT_EQ(c.getPoints()[6], (aCurvePoint{90, 0}));
    c.insertPoint(0, -10, 0);
    expectTags(c, "AHHAHHAHHA");
    EXPECT_EQ(c.getPoints()[0], (aCurvePoint{-10, 0}));
    c.insertPoint(99, 120, 0);
    expectTags(c, "AHHAHHAHHAHHA");
    EXPECT_EQ(c.getPoints().back(), (aCurvePoint{120, 0}));

    c.removePoint(1); // a handle alone stays
    EXPECT_EQ(c.getPointCount(), 13u);
    c.removePoint(6); // a middle anchor
    expectTags(c, "AHHAHHAHHA");
    c.removePoint(0); // the first anchor takes the handles after it
    expectTags(c, "AHHAHHA");
    EXPECT_EQ(c.getPoints()[0], (aCurvePoint{0, 0}));
    EXPECT_EQ(c.getPoints()[3], (aCurvePoint{90, 0}));
    c.removePoint(6); // the last takes those before it
    expectTags(c, "AHHA");
    EXPECT_EQ(c.getPoints()[3], (aCurvePoint{90, 0}));
    c.removePoint(40);
    EXPECT_EQ(c.getPointCount(), 4u);

    c.setClosed(true);
    c.clear();
    EXPECT_EQ(c.getPointCount(), 0u);
    EXPECT_FALSE(c.isClosed());
}

TEST(CurvePath, FlatteningStaysWithinAQuarterPixelOfTheExactCurve) {
    struct Case {
        const char* name;
        aCurvePath path;
    };
    Case cases[] = {
        {"open spline",
         makePath(aCurve::TYPE_SPLINE, false, {{10, 10}, {200, 40}, {90, 300}, {400, 250}, {420, 30}})},
        {"closed spline",
         makePath(aCurve::TYPE_SPLINE, true, {{100, 100}, {300, 100}, {300, 300}, {100, 300}})},
        {"two-point closed spline", makePath(aCurve::TYPE_SPLINE, true, {{0, 0}, {200, 50}})},
        {"bezier chain", makePath(aCurve::TYPE_BEZIER, false, {{0, 0}, {300, 80}, {120, 400}, {700, 500}})},
    };
    for (Case& c : cases) {
        const auto& flat = c.path.getFlattened();
        ASSERT_GE(flat.size(), 2u) << c.name;
        EXPECT_EQ(c.path.getLastStatus(), A_PATH_OK) << c.name;
        const std::vector<P> exact = exactCurve(c.path);
        double worst = 0.0;
        for (const P& e : exact) {
            worst = std::fmax(worst, distToPolyline(e, flat));
        }
        EXPECT_LE(worst, 0.25 + 1e-3) << c.name;
        // Every corner of the polyline lies on the curve.
        std::vector<aPathPoint> exactLine;
        for (const P& e : exact) {
            exactLine.push_back({float(e.x), float(e.y)});
        }
        for (const aPathPoint& f : flat) {
            EXPECT_LE(distToPolyline({f.x, f.y}, exactLine), 0.05) << c.name << " " << f.x << "," << f.y;
        }
        // A spline passes through its control points.
        if (c.path.getType() == aCurve::TYPE_SPLINE) {
            for (const aCurvePoint& cp : c.path.getPoints()) {
                EXPECT_LT(distToPolyline({double(cp.x), double(cp.y)}, flat), 1e-3) << c.name;
            }
        }
        // Flattening is adaptive: not far more points than the tolerance needs.
        EXPECT_LT(flat.size(), 400u) << c.name;
    }
}

TEST(CurvePath, HandlesPastTheChordEndsAreFollowed) {
    // One segment from (0, 0) to (100, 0) whose handles lie on the chord's line
    // beyond its ends: the exact curve reaches past both anchors.
    // Handles (400, 0) and (-300, 0), set as raw points.
    struct Raw : aCurvePath {
        Raw() : aCurvePath(nullptr) {}
        void put(uint32_t i, int32_t x, int32_t y) {
            m_points[i] = {x, y};
            rebuild();
        }
    } raw;
    raw.setType(aCurve::TYPE_BEZIER);
    raw.addPoint(0, 0);
    raw.addPoint(100, 0);
    raw.put(1, 400, 0);
    raw.put(2, -300, 0);
    const std::vector<P> exact = exactCurve(raw);
    double minX = 1e9, maxX = -1e9, worst = 0.0;
    for (const P& e : exact) {
        minX = std::fmin(minX, e.x);
        maxX = std::fmax(maxX, e.x);
        worst = std::fmax(worst, distToPolyline(e, raw.getFlattened()));
    }
    ASSERT_GT(maxX, 120.0);
    ASSERT_LT(minX, -20.0);
    EXPECT_LE(worst, 0.25 + 1e-3);
}

TEST(CurvePath, LengthsOfStraightAndCurvedPaths) {
    EXPECT_DOUBLE_EQ(makePath(aCurve::TYPE_SPLINE, false, {{0, 0}, {300, 400}}).getLength(), 500.0);
    EXPECT_DOUBLE_EQ(makePath(aCurve::TYPE_BEZIER, false, {{0, 0}, {100, 0}}).getLength(), 100.0);
    EXPECT_DOUBLE_EQ(straightBezier({{0, 0}, {100, 0}, {100, 100}}).getLength(), 200.0);

    aCurvePath closed = makePath(aCurve::TYPE_SPLINE, true, {{100, 100}, {300, 100}, {300, 300}, {100, 300}});
    const std::vector<P> exact = exactCurve(closed, 4000);
    double exactLength = 0.0;
    for (size_t i = 1; i < exact.size(); ++i) {
        exactLength += std::hypot(exact[i].x - exact[i - 1].x, exact[i].y - exact[i - 1].y);
    }
    // Chords are shorter than their arcs, but not by much at this tolerance.
    EXPECT_LE(closed.getLength(), exactLength + 1e-6);
    EXPECT_GT(closed.getLength(), exactLength * 0.998);
    EXPECT_DOUBLE_EQ(closed.calcLength(), closed.getLength());
    // The closed spline ends where it began.
    EXPECT_FLOAT_EQ(closed.getFlattened().back().x, 100.0f);
    EXPECT_FLOAT_EQ(closed.getFlattened().back().y, 100.0f);
}

TEST(CurvePath, PathsOfNoOrOnePointAreEmpty) {
    for (int points = 0; points < 2; ++points) {
        for (uint32_t type : {aCurve::TYPE_SPLINE, aCurve::TYPE_BEZIER}) {
            aCurvePath path(nullptr);
            path.setType(type);
            path.setClosed(true);
            if (points) {
                path.addPoint(5, 5);
            }
            EXPECT_TRUE(path.getFlattened().empty());
            EXPECT_EQ(path.getLength(), 0.0);
            EXPECT_EQ(path.updateMove(1.0), A_MOVE_STOPPED);
            path.startMove();
            EXPECT_EQ(path.updateMove(1.0), A_MOVE_END);
            EXPECT_EQ(path.updateMove(1.0), A_MOVE_STOPPED);
            path.draw();
        }
    }
}

TEST(CurvePath, WalkerStepsAlongThePolyline) {
    aCurvePath path = straightBezier({{0, 0}, {100, 0}, {100, 100}});
    ASSERT_EQ(path.getFlattened().size(), 3u);
    EXPECT_EQ(path.updateMove(10.0), A_MOVE_STOPPED);
    path.startMove();
    struct Step {
        double distance;
        int code;
        float x, y;
        double angle;
    } steps[] = {
        {0.0, A_MOVE_ON, 0, 0, 0.0},
        {30.0, A_MOVE_ON, 30, 0, 0.0},
        {-5.0, A_MOVE_ON, 30, 0, 0.0}, // a step back is no step
        {NAN, A_MOVE_ON, 30, 0, 0.0},
        {100.0, A_MOVE_ON, 100, 30, M_PI / 2}, // round the corner
        {69.0, A_MOVE_ON, 100, 99, M_PI / 2},
        {5.0, A_MOVE_END, 100, 100, M_PI / 2}, // past the end: stops on it
        {5.0, A_MOVE_STOPPED, 100, 100, M_PI / 2},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(path.updateMove(s.distance), s.code) << s.distance;
        float x, y;
        double angle;
        path.getPosition(x, y, &angle);
        EXPECT_NEAR(x, s.x, 1e-4) << s.distance;
        EXPECT_NEAR(y, s.y, 1e-4) << s.distance;
        EXPECT_NEAR(angle, s.angle, 1e-9) << s.distance;
    }
    EXPECT_FALSE(path.isMoving());

    // A path cut shorter while walking ends the walk on its new last point.
    aCurvePath walk = straightBezier({{0, 0}, {100, 0}, {100, 100}, {0, 100}});
    walk.startMove();
    walk.updateMove(250.0);
    walk.removePoint(9);
    walk.removePoint(6);
    EXPECT_EQ(walk.updateMove(1.0), A_MOVE_END);
    float x, y;
    walk.getPosition(x, y);
    EXPECT_EQ(x, 100.0f);
    EXPECT_EQ(y, 0.0f);
}

TEST(CurvePath, BrokenBezierChainIsLoggedAndCut) {
    struct Raw : aCurvePath {
        Raw() : aCurvePath(nullptr) {}
        void add(int32_t x, int32_t y) {
            m_points.push_back({x, y});
            m_tags.push_back({});
        }
    } raw;
    raw.setType(aCurve::TYPE_BEZIER);
    for (int i = 0; i < 6; ++i) {
        raw.add(i * 10, 0);
    }
    LogCapture log;
    raw.rebuild();
    EXPECT_EQ(raw.getLastStatus(), A_PATH_INVALID_PARAMETER);
    EXPECT_TRUE(log.has("aCurvePath::rebuild - 6 points are no chain of Bezier segments"));
    EXPECT_DOUBLE_EQ(raw.getLength(), 30.0); // the whole first segment
}

TEST(CurvePath, DrawsThePolylineAndTheControlPoints) {
    aPresentParams pp;
    pp.backBufferWidth = 40;
    pp.backBufferHeight = 30;
    std::unique_ptr<aDevice> dev;
    ASSERT_EQ(aDevice::create(pp, nullptr, &dev), A_OK);
    aCurvePath path(dev.get());
    path.addPoint(5, 10);
    path.addPoint(30, 10);
    auto painted = [&] {
        int n = 0;
        for (uint32_t i = 0; i < dev->width() * dev->height(); ++i) {
            n += dev->backBuffer()[i] != 0xFF000000u;
        }
        return n;
    };
    for (uint32_t mode : {0u, 1u, 2u}) {
        dev->clear(A_CLEAR_TARGET, 0xFF000000u);
        path.setDrawMode(mode);
        path.draw();
        EXPECT_EQ(painted(), mode < 2 ? 25 : 0) << mode;
        if (mode < 2) {
            EXPECT_NE(dev->backPixel(5, 10), 0xFF000000u);
            EXPECT_NE(dev->backPixel(29, 10), 0xFF000000u);
        }
    }
    dev->clear(A_CLEAR_TARGET, 0xFF000000u);
    path.showControlPoints(true);
    path.draw(); // mode 2: only the two 6 x 6 squares around the points
    EXPECT_EQ(painted(), 40);
    EXPECT_NE(dev->backPixel(2, 7), 0xFF000000u);
    EXPECT_NE(dev->backPixel(7, 12), 0xFF000000u);
    EXPECT_EQ(dev->backPixel(8, 13), 0xFF000000u);
}
