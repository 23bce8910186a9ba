#pragma once
// aCurveEditor: a developer tool for editing a curve path on screen with the
// mouse. A new curve is drawn point by point (each left click fixes a point, a
// double click ends); control points and Bezier handles are picked and dragged,
// the whole path is dragged by grabbing it, and a double click on the path
// inserts a point there. The right button opens a small popup menu that
// changes the curve, its drawing and the picking, and ends editing.
//
// The owner calls update and render once a frame and ends editing when update
// returns a result other than 0 (1, 2 or 3, as chosen in the menu); the edited
// curve is the editor itself (an aCurvePath).

#include "mirel/gfx/a_curve.h"

#include <cstdint>
#include <vector>

class aDeviceFont;
class aGraphServer;
class aInputServer;

class aCurveEditor : public aCurvePath {
public:
    // Menu command ids (0 is a separator line).
    enum : uint32_t {
        CMD_SEPARATOR = 0,
        CMD_MIRRORED = 1,
        CMD_ALIGNED = 2,
        CMD_FREE = 3,
        CMD_PIN = 4,
        CMD_REMOVE = 5,
        CMD_NEW_SPLINE = 6,
        CMD_NEW_BEZIER = 7,
        CMD_PICK_ALL = 8,
        CMD_PICK_NONE = 9,
        CMD_PICK_ANCHORS = 10,
        CMD_DRAW_MODE = 11,
        CMD_CLOSED = 12,
        CMD_CLEAR = 13,
        CMD_END_3 = 14,
        CMD_END_2 = 15,
        CMD_END_1 = 16,
        CMD_COUNT = 17,
    };
    // Pick modes: every point, none (only the whole path), anchors and the
    // handles within 4 indices of the last selected anchor.
    enum : uint32_t { PICK_ALL = 8, PICK_NONE = 9, PICK_ANCHORS = 10 };
    static constexpr uint8_t kNoLine = 0xFF;
    static constexpr float kMenuWidth = 168.0f;
    static constexpr float kLineHeight = 16.0f;
    static constexpr float kSeparatorHeight = 8.0f;
    static constexpr float kMenuMargin = 3.0f;
    static constexpr const char* kFontName = "CurvesFont";

    // Edits a copy of the path. Input and drawing go through the given servers
    // (null: those of the application). Creates the font "CurvesFont".
    explicit aCurveEditor(const aCurvePath& path, aInputServer* input = nullptr,
                          aGraphServer* graph = nullptr);
    ~aCurveEditor() override;
    aCurveEditor(const aCurveEditor&) = delete;
    aCurveEditor& operator=(const aCurveEditor&) = delete;

    // One frame of editing; 0, or the result chosen in the menu.
    uint32_t update();
    // The path, its control points, the handle lines of a Bezier curve and the
    // menu when open.
    void render();

    // The menu label of a command id (Windows-1251 text; "" beyond the table).
    static const char* getMenuLabel(uint32_t id);

    // State, for the owner and for tests.
    bool isMenuOpen() const { return m_menuOpen; }
    const std::vector<uint32_t>& getMenuItems() const { return m_menuItems; }
    const std::vector<uint8_t>& getMenuChecks() const { return m_menuChecked; }
    const std::vector<float>& getMenuLineY() const { return m_menuLineY; }
    void getMenuBox(float& x, float& y, float& width, float& height) const;
    uint8_t getHoveredLine() const { return m_hovered; }
    int32_t getSelected() const { return m_selected; }
    uint32_t getSelectedKind() const { return m_selectedKind; }
    int32_t getSelectedAnchor() const { return m_selectedAnchor; }
    int32_t getLastAnchor() const { return m_lastAnchor; }
    bool isAdding() const { return m_adding; }
    bool isDragging() const { return m_dragging; }
    bool isOverPath() const { return m_overPath; }
    uint32_t getPickMode() const { return m_pickMode; }
    uint32_t getResult() const { return m_result; }
    bool isPinned(uint32_t index) const { return index < m_tags.size() && m_tags[index].pinned; }
    uint32_t getKind(uint32_t index) const { return index < m_tags.size() ? m_tags[index].kind : 0; }

private:
    void openMenu(float x, float y);
    void buildMenu();
    void handleMenu();
    void runCommand(uint32_t id);
    bool isChecked(uint32_t id) const;
    // The anchor whose kind the menu's kind commands change (-1 none).
    int32_t kindAnchor() const;

    void editWithMouse();
    void addWithMouse();
    void dragStep();
    void pick();
    // The anchor that owns the handle at index i (-1 none).
    int32_t handleAnchor(int32_t i) const;
    // The handle across the anchor from the handle (-1 none).
    int32_t oppositeHandle(int32_t handle, int32_t anchor) const;
    void insertAtMouse();
    void setCursor(int32_t shape);

    void renderMenu();

    aInputServer* m_input = nullptr;
    aGraphServer* m_graph = nullptr;
    aDeviceFont* m_font = nullptr;
    bool m_ownFont = false;

    int32_t m_mouseX = 0, m_mouseY = 0;
    float m_menuOpenX = 0.0f, m_menuOpenY = 0.0f;
    int32_t m_selected = -1;
    uint32_t m_selectedKind = 0;
    int32_t m_selectedAnchor = -1;
    int32_t m_lastAnchor = -1;
    bool m_adding = false;
    bool m_dragging = false;
    bool m_dragPath = false;
    bool m_measure = false;
    bool m_overPath = false;
    int32_t m_prevDragX = 0, m_prevDragY = 0;
    float m_oppositeLength = 0.0f;
    uint32_t m_pickMode = PICK_ALL;

    bool m_menuOpen = false;
    float m_menuX = 0.0f, m_menuY = 0.0f, m_menuW = 0.0f, m_menuH = 0.0f;
    std::vector<uint32_t> m_menuItems;
    std::vector<float> m_menuLineY;
    std::vector<uint8_t> m_menuChecked;
    uint8_t m_hovered = kNoLine;
    uint32_t m_result = 0;
    int32_t m_cursor = -1; // the system cursor set last
};
