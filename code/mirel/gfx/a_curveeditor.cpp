#include "mirel/gfx/a_curveeditor.h"

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/input/a_inputserver.h"

#include <cmath>
#include <cstdlib>

namespace {

// Menu labels by command id, in the Windows-1251 code page.
const char* const kLabels[aCurveEditor::CMD_COUNT] = {
    "",
    "Handles mirrored",
    "Handles aligned",
    "Handles free",
    "Pinned",
    "Remove point",
    "New spline",
    "New Bezier curve",
    "Pick all points",
    "Pick the path only",
    "Pick anchors",
    "Draw as one polyline",
    "Closed",
    "Remove all points",
    "Finish (result 3)",
    "Finish (result 2)",
    "Finish (result 1)",
};

constexpr uint32_t kPathColor = 0xFFFFFFFFu;
constexpr uint32_t kAnchorColor = 0xFFFFFF00u;
constexpr uint32_t kHandleColor = 0xFF00FFFFu;
constexpr uint32_t kHandleLineColor = 0xFF008080u;
constexpr uint32_t kSelectedColor = 0xFFFF4040u;
constexpr uint32_t kMenuBack = 0xE0303030u;
constexpr uint32_t kMenuFrame = 0xFFC0C0C0u;
constexpr uint32_t kMenuHover = 0xFF5060A0u;
constexpr uint32_t kMenuText = 0xFFFFFFFFu;

// Button states of the input server.
constexpr uint32_t kReleased = 1;
constexpr uint32_t kPressed = 2;

} // namespace

aCurveEditor::aCurveEditor(const aCurvePath& path, aInputServer* input, aGraphServer* graph)
    : aCurvePath(path), m_input(input), m_graph(graph) {
    aGraphHost* host = a_graphHost();
    if (!m_graph && host) {
        m_graph = host->getGraphServer();
    }
    if (!m_input && host) {
        m_input = host->getInputServer();
    }
    if (!m_input) {
        a_log("aCurveEditor. Error, aInputServer object not created!");
    }
    if (m_graph) {
        if (m_graph->hasFont(kFontName)) {
            a_log("aCurveEditor. Font '%s' already in use, the menu is drawn without text", kFontName);
        } else {
            aFontDesc desc;
            desc.height = 14;
            desc.weight = 400;
            desc.charSet = 204; // Windows-1251
            desc.faceName = "Arial";
            m_graph->createFont(kFontName, desc, &m_font);
            m_ownFont = true;
        }
    }
    rebuild();
}

aCurveEditor::~aCurveEditor() {
    if (m_graph && m_ownFont) {
        m_graph->deleteFont(kFontName);
    }
}

const char* aCurveEditor::getMenuLabel(uint32_t id) {
    return id < CMD_COUNT ? kLabels[id] : "";
}

void aCurveEditor::getMenuBox(float& x, float& y, float& width, float& height) const {
    x = m_menuX;
    y = m_menuY;
    width = m_menuW;
    height = m_menuH;
}

// ---- frame ------------------------------------------------------------------

uint32_t aCurveEditor::update() {
    m_result = 0;
    if (!m_input) {
        return m_result;
    }
    m_input->getMousePos(m_mouseX, m_mouseY);
    if (m_input->getButtonState(1) == kReleased && !m_adding) {
        openMenu(float(m_mouseX), float(m_mouseY));
    }
    if (!m_menuOpen) {
        editWithMouse();
    } else {
        handleMenu();
    }
    return m_result;
}

// ---- menu -------------------------------------------------------------------

void aCurveEditor::openMenu(float x, float y) {
    m_menuOpenX = x;
    m_menuOpenY = y;
    m_dragging = false;
    buildMenu();
}

int32_t aCurveEditor::kindAnchor() const {
    if (m_selected < 0) {
        return -1;
    }
    return isHandle(uint32_t(m_selected)) ? m_selectedAnchor : m_selected;
}

bool aCurveEditor::isChecked(uint32_t id) const {
    switch (id) {
    case CMD_MIRRORED:
    case CMD_ALIGNED:
    case CMD_FREE: {
        const int32_t a = kindAnchor();
        return a >= 0 && m_tags[size_t(a)].kind == id - CMD_MIRRORED;
    }
    case CMD_PIN:
        return m_selected >= 0 && m_tags[size_t(m_selected)].pinned;
    case CMD_PICK_ALL:
    case CMD_PICK_NONE:
    case CMD_PICK_ANCHORS:
        return m_pickMode == id;
    case CMD_DRAW_MODE:
        return getDrawMode() == 0;
    case CMD_CLOSED:
        return isClosed();
    default:
        return false;
    }
}

void aCurveEditor::buildMenu() {
    static const std::vector<uint32_t> bezierPoint = {CMD_MIRRORED, CMD_ALIGNED, CMD_FREE,  0,
                                                      CMD_PIN,      0,           CMD_REMOVE};
    static const std::vector<uint32_t> point = {CMD_PIN, 0, CMD_REMOVE};
    static const std::vector<uint32_t> curve = {
        CMD_CLOSED, 0,         CMD_DRAW_MODE, 0, CMD_PICK_ALL, CMD_PICK_NONE, CMD_PICK_ANCHORS, 0, CMD_CLEAR,
        0,          CMD_END_2, CMD_END_3,     0, CMD_END_1};
    static const std::vector<uint32_t> empty = {CMD_NEW_SPLINE, CMD_NEW_BEZIER, 0, CMD_END_2, 0, CMD_END_1};
    if (m_selected >= 0 && uint32_t(m_selected) >= m_points.size()) {
        m_selected = -1;
    }
    if (m_selected >= 0) {
        m_menuItems = getType() == TYPE_BEZIER ? bezierPoint : point;
    } else {
        m_menuItems = m_points.empty() ? empty : curve;
    }
    m_menuLineY.clear();
    m_menuChecked.clear();
    float height = kMenuMargin;
    for (uint32_t id : m_menuItems) {
        height += id ? kLineHeight : kSeparatorHeight;
    }
    height += kMenuMargin;
    // Kept on the screen.
    float screenW = 1024.0f, screenH = 768.0f;
    if (m_graph) {
        screenW = m_graph->getBackBufferWidth();
        screenH = m_graph->getBackBufferHeight();
    }
    m_menuX = std::fmax(0.0f, std::fmin(m_menuOpenX, screenW - kMenuWidth));
    m_menuY = std::fmax(0.0f, std::fmin(m_menuOpenY, screenH - height));
    m_menuW = kMenuWidth;
    m_menuH = height;
    float y = m_menuY + kMenuMargin;
    for (uint32_t id : m_menuItems) {
        m_menuLineY.push_back(y);
        m_menuChecked.push_back(isChecked(id) ? 1 : 0);
        y += id ? kLineHeight : kSeparatorHeight;
    }
    m_hovered = kNoLine;
    m_menuOpen = true;
}

void aCurveEditor::handleMenu() {
    const float mx = float(m_mouseX), my = float(m_mouseY);
    const bool inside = mx >= m_menuX && mx < m_menuX + m_menuW && my >= m_menuY && my < m_menuY + m_menuH;
    m_hovered = kNoLine;
    if (inside && my >= m_menuY + kMenuMargin && my < m_menuY + m_menuH - kMenuMargin) {
        for (size_t i = 0; i < m_menuItems.size(); ++i) {
            if (m_menuItems[i] != 0 && my >= m_menuLineY[i] && my < m_menuLineY[i] + kLineHeight) {
                m_hovered = uint8_t(i);
                break;
            }
        }
    }
    const uint32_t left = m_input->getButtonState(0);
    if (left == kReleased && m_hovered != kNoLine) {
        const uint32_t id = m_menuItems[m_hovered];
        m_menuOpen = false;
        m_hovered = kNoLine;
        runCommand(id);
    } else if (left == kPressed && !inside) {
        m_menuOpen = false;
        m_hovered = kNoLine;
    }
}

void aCurveEditor::runCommand(uint32_t id) {
    switch (id) {
    case CMD_MIRRORED:
    case CMD_ALIGNED:
    case CMD_FREE:
        if (getType() == TYPE_BEZIER) {
            const int32_t a = kindAnchor();
            if (a >= 0) {
                m_tags[size_t(a)].kind = id - CMD_MIRRORED;
            }
        }
        break;
    case CMD_PIN:
        if (m_selected >= 0) {
            m_tags[size_t(m_selected)].pinned ^= 1;
        }
        break;
    case CMD_REMOVE:
        if (m_selected >= 0) {
            removePoint(uint32_t(m_selected));
        }
        m_selected = -1;
        m_selectedAnchor = -1;
        m_lastAnchor = -1;
        break;
    case CMD_NEW_SPLINE:
    case CMD_NEW_BEZIER:
        setType(id == CMD_NEW_SPLINE ? TYPE_SPLINE : TYPE_BEZIER);
        m_adding = true;
        break;
    case CMD_PICK_ALL:
    case CMD_PICK_NONE:
    case CMD_PICK_ANCHORS:
        m_pickMode = id;
        buildMenu(); // the menu stays open to show the new mode
        break;
    case CMD_DRAW_MODE:
        setDrawMode(getDrawMode() == 0 ? 1 : 0);
        break;
    case CMD_CLOSED:
        setClosed(!isClosed());
        break;
    case CMD_CLEAR:
        clearPoints();
        m_selected = -1;
        m_selectedAnchor = -1;
        m_lastAnchor = -1;
        break;
    case CMD_END_3:
        m_result = 3;
        break;
    case CMD_END_2:
        m_result = 2;
        break;
    case CMD_END_1:
        m_result = 1;
        break;
    default:
        break;
    }
}

// ---- mouse editing ----------------------------------------------------------

void aCurveEditor::editWithMouse() {
    if (m_adding) {
        addWithMouse();
        return;
    }
    if (m_dragging) {
        dragStep();
        return;
    }
    pick();
    const uint32_t left = m_input->getButtonState(0);
    if (left == kPressed) {
        if (m_overPath) {
            m_dragging = true;
            m_dragPath = true;
        } else if (m_selected >= 0) {
            const aCurvePoint& p = m_points[size_t(m_selected)];
            m_input->setMousePos(p.x, p.y);
            m_mouseX = p.x;
            m_mouseY = p.y;
            if (!isHandle(uint32_t(m_selected))) {
                m_lastAnchor = m_selected;
            }
            m_dragging = true;
            m_dragPath = false;
            m_measure = true;
        } else {
            m_lastAnchor = -1;
        }
        m_prevDragX = m_mouseX;
        m_prevDragY = m_mouseY;
    }
    if (m_input->isDoubleClick(0) && m_overPath) {
        insertAtMouse();
    }
}

void aCurveEditor::addWithMouse() {
    if (!m_points.empty()) {
        m_points.back() = {m_mouseX, m_mouseY};
        m_lastX = m_mouseX;
        m_lastY = m_mouseY;
        if (getType() == TYPE_BEZIER) {
            alignHandles(uint32_t(m_points.size() - 1));
        }
        rebuild();
    }
    if (m_input->isDoubleClick(0)) {
        // The double click's first click fixed a point and added a follower:
        // both go, and the curve ends at the point fixed before.
        for (int i = 0; i < 2 && !m_points.empty(); ++i) {
            aCurve::removePoint(uint32_t(m_points.size() - 1));
        }
        rebuild();
        m_adding = false;
        return;
    }
    if (m_input->getButtonState(0) == kReleased) {
        if (m_points.empty()) {
            aCurve::addPoint(m_mouseX, m_mouseY);
        }
        addPoint(m_mouseX, m_mouseY);
    }
}

int32_t aCurveEditor::handleAnchor(int32_t i) const {
    const int32_t n = int32_t(m_points.size());
    if (i < 0 || i >= n || !isHandle(uint32_t(i))) {
        return -1;
    }
    int32_t a = -1;
    if (i + 1 < n && !isHandle(uint32_t(i + 1))) {
        a = i + 1;
    } else if (i > 0 && !isHandle(uint32_t(i - 1))) {
        a = i - 1;
    }
    // The first and the last anchor have one handle each: nothing to pair.
    if (a == 0 || a == n - 1) {
        return -1;
    }
    return a;
}

int32_t aCurveEditor::oppositeHandle(int32_t handle, int32_t anchor) const {
    const int32_t o = anchor + (anchor - handle);
    if (anchor < 0 || o < 0 || o >= int32_t(m_points.size()) || !isHandle(uint32_t(o))) {
        return -1;
    }
    return o;
}

void aCurveEditor::dragStep() {
    if (m_input->getButtonState(0) <= kReleased) {
        m_dragging = false;
        m_dragPath = false;
        return;
    }
    const aCurvePoint mouse{m_mouseX, m_mouseY};
    if (m_dragPath) {
        const int32_t dx = m_mouseX - m_prevDragX, dy = m_mouseY - m_prevDragY;
        for (size_t i = 0; i < m_points.size(); ++i) {
            if (!m_tags[i].pinned) {
                m_points[i].x += dx;
                m_points[i].y += dy;
            }
        }
    } else if (m_selected >= 0 && size_t(m_selected) < m_points.size()) {
        const size_t s = size_t(m_selected);
        if (isHandle(uint32_t(s))) {
            const int32_t a = m_selectedAnchor;
            const int32_t o = oppositeHandle(m_selected, a);
            if (o >= 0) {
                const aCurvePoint anchor = m_points[size_t(a)];
                aCurvePoint& opp = m_points[size_t(o)];
                if (m_measure) {
                    m_oppositeLength = float(std::hypot(double(opp.x) - anchor.x, double(opp.y) - anchor.y));
                    m_measure = false;
                }
                switch (m_tags[size_t(a)].kind) {
                case A_CURVE_ANCHOR:
                    opp = {2 * anchor.x - mouse.x, 2 * anchor.y - mouse.y};
                    break;
                case A_CURVE_ALIGNED: {
                    const double dx = double(anchor.x) - mouse.x, dy = double(anchor.y) - mouse.y;
                    const double len = std::hypot(dx, dy);
                    if (len > 0.0) {
                        opp = {anchor.x + int32_t(std::floor(dx / len * m_oppositeLength)),
                               anchor.y + int32_t(std::floor(dy / len * m_oppositeLength))};
                    }
                    break;
                }
                default:
                    break;
                }
            }
            m_points[s] = mouse;
        } else if (getType() == TYPE_BEZIER) {
            const int32_t dx = mouse.x - m_points[s].x, dy = mouse.y - m_points[s].y;
            for (size_t h : {s - 1, s + 1}) {
                if (h < m_points.size() && isHandle(uint32_t(h))) {
                    m_points[h].x += dx;
                    m_points[h].y += dy;
                }
            }
            m_points[s] = mouse;
        } else {
            m_points[s] = mouse;
        }
    }
    m_prevDragX = m_mouseX;
    m_prevDragY = m_mouseY;
    rebuild();
}

void aCurveEditor::pick() {
    m_selected = -1;
    m_selectedAnchor = -1;
    for (size_t i = 0; i < m_points.size(); ++i) {
        if (std::abs(m_points[i].x - m_mouseX) < 5 && std::abs(m_points[i].y - m_mouseY) < 5) {
            m_selected = int32_t(i);
            m_selectedKind = m_tags[i].kind;
            break;
        }
    }
    if (m_pickMode == PICK_NONE) {
        m_selected = -1;
    } else if (m_pickMode == PICK_ANCHORS && m_selected >= 0 && isHandle(uint32_t(m_selected)) &&
               (m_lastAnchor < 0 || std::abs(m_selected - m_lastAnchor) > 4)) {
        m_selected = -1;
    }
    if (m_selected >= 0 && isHandle(uint32_t(m_selected))) {
        m_selectedAnchor = handleAnchor(m_selected);
    }
    m_overPath = false;
    if (m_selected >= 0) {
        setCursor(A_CURSOR_CROSS);
        return;
    }
    for (const aPathPoint& f : m_flat) {
        if (std::fabs(f.x - float(m_mouseX)) < 8.0f && std::fabs(f.y - float(m_mouseY)) < 8.0f) {
            m_overPath = true;
            break;
        }
    }
    setCursor(m_overPath ? A_CURSOR_HAND : A_CURSOR_ARROW);
}

void aCurveEditor::insertAtMouse() {
    // The flattened point under the mouse: the nearest within the pick box.
    size_t under = m_flat.size();
    float best = 1e30f;
    for (size_t i = 0; i < m_flat.size(); ++i) {
        const float dx = std::fabs(m_flat[i].x - float(m_mouseX)),
                    dy = std::fabs(m_flat[i].y - float(m_mouseY));
        if (dx < 8.0f && dy < 8.0f && dx + dy < best) {
            best = dx + dy;
            under = i;
        }
    }
    if (under == m_flat.size()) {
        return;
    }
    // Every anchor passed on the way moves the insert index past it (with its
    // handles on a Bezier curve).
    const uint32_t step = getType() == TYPE_BEZIER ? 3 : 1;
    uint32_t index = 0;
    size_t next = 0; // the next anchor to meet, in order
    for (size_t i = 0; i < under; ++i) {
        while (next < m_points.size() && isHandle(uint32_t(next))) {
            ++next;
        }
        if (next < m_points.size() && std::fabs(m_flat[i].x - float(m_points[next].x)) < 0.01f &&
            std::fabs(m_flat[i].y - float(m_points[next].y)) < 0.01f) {
            index += step;
            ++next;
        }
    }
    insertPoint(index, m_mouseX, m_mouseY);
}

void aCurveEditor::setCursor(int32_t shape) {
    if (shape == m_cursor) {
        return;
    }
    m_cursor = shape;
    aPlatformWindow* window = m_graph ? m_graph->getWindow() : nullptr;
    if (!window) {
        window = a_currentPlatformWindow();
    }
    if (window) {
        window->setCursorShape(shape);
    }
}

// ---- drawing ----------------------------------------------------------------

void aCurveEditor::render() {
    aGDI& gdi = getDrawer();
    gdi.setColor(kPathColor);
    showControlPoints(false); // drawn below, coloured by kind and selection
    draw();
    const bool bezier = getType() == TYPE_BEZIER;
    if (bezier) {
        gdi.setColor(kHandleLineColor);
        for (size_t i = 0; i < m_points.size(); ++i) {
            if (!isHandle(uint32_t(i))) {
                continue;
            }
            // A handle belongs to the anchor of its segment end next to it.
            size_t a = i;
            if (i > 0 && !isHandle(uint32_t(i - 1))) {
                a = i - 1;
            } else if (i + 1 < m_points.size() && !isHandle(uint32_t(i + 1))) {
                a = i + 1;
            }
            gdi.drawLine(float(m_points[a].x), float(m_points[a].y), float(m_points[i].x),
                         float(m_points[i].y));
        }
    }
    for (size_t i = 0; i < m_points.size(); ++i) {
        const aCurvePoint& p = m_points[i];
        uint32_t colour = m_tags[i].isHandle() ? kHandleColor : kAnchorColor;
        if (int32_t(i) == m_selected) {
            colour = kSelectedColor;
        }
        gdi.setColor(colour);
        gdi.drawRect(float(p.x - 3), float(p.y - 3), 6.0f, 6.0f, m_tags[i].pinned != 0);
    }
    if (m_menuOpen) {
        renderMenu();
    }
}

void aCurveEditor::renderMenu() {
    aGDI& gdi = getDrawer();
    gdi.setColor(kMenuBack);
    gdi.drawRect(m_menuX, m_menuY, m_menuW, m_menuH, true);
    gdi.setColor(kMenuFrame);
    gdi.drawRect(m_menuX, m_menuY, m_menuW, m_menuH, false);
    for (size_t i = 0; i < m_menuItems.size(); ++i) {
        const float y = m_menuLineY[i];
        if (m_menuItems[i] == 0) {
            gdi.setColor(kMenuFrame);
            const float sy = y + kSeparatorHeight / 2;
            gdi.drawLine(m_menuX + 4, sy, m_menuX + m_menuW - 4, sy);
            continue;
        }
        if (m_hovered == i) {
            gdi.setColor(kMenuHover);
            gdi.drawRect(m_menuX + 2, y, m_menuW - 4, kLineHeight, true);
        }
        if (m_menuChecked[i]) {
            gdi.setColor(kMenuText);
            gdi.drawLine(m_menuX + 5, y + 8, m_menuX + 8, y + 11);
            gdi.drawLine(m_menuX + 8, y + 11, m_menuX + 14, y + 4);
        }
        if (m_font) {
            aDeviceRect r{int32_t(m_menuX) + 20, int32_t(y), int32_t(m_menuX + m_menuW) - 4,
                          int32_t(y + kLineHeight)};
            m_font->drawText(getMenuLabel(m_menuItems[i]), &r, A_DT_LEFT | A_DT_VCENTER | A_DT_SINGLELINE,
                             kMenuText);
        }
    }
}
