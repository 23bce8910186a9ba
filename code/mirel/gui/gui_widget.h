#pragma once
// The base of every widget: a named rectangle in a tree of widgets with script
// properties, named events, a hover fade, click counting, a keyboard hotkey,
// clipping by the parent and a drawing order with always-on-top children.
//
// A widget reaches the GUI server only through the registered WidgetHost
// (gui_widgethost.h). Its destructor detaches it from its parent, removes its
// children (deleting those owned by it), hands its sounds back and tells the
// host to forget it.

#include "mirel/base/a_format.h"
#include "mirel/base/a_rect.h"
#include "mirel/gui/gui_event.h"
#include "mirel/gui/gui_property.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class aFont;
class aSound;

namespace GUI {

class Region;

enum HorizontalAlignment : uint8_t { HA_LEFT = 0, HA_CENTER = 1, HA_RIGHT = 2 };
enum VerticalAlignment : uint8_t { VA_TOP = 0, VA_CENTER = 1, VA_BOTTOM = 2 };

class Widget : public PropertySet, public EventSet {
public:
    // Event names, shared by registration and launching.
    static const std::string EventFocusGain;
    static const std::string EventFocusLost;
    static const std::string EventHide;
    static const std::string EventShow;
    static const std::string EventEnabled;
    static const std::string EventDisabled;
    static const std::string EventMouseEnter;
    static const std::string EventMouseLeave;
    static const std::string EventMouseDown;
    static const std::string EventMouseUp;
    static const std::string EventMouseMove;
    static const std::string EventMouseWheel;
    static const std::string EventClick;
    static const std::string EventDoubleClick;
    static const std::string EventTripleClick;
    static const std::string EventKeyDown;
    static const std::string EventKeyUp;
    static const std::string EventKeyPress;
    static const std::string EventTextChanged;
    static const std::string EventFontChanged;
    static const std::string EventMoved;
    static const std::string EventSized;
    static const std::string EventBeginRender;
    static const std::string EventEndRender;

    explicit Widget(const std::string& name);
    ~Widget() override;

    // Applies the properties set since BeginFillProperties.
    void EndFillProperties() override;

    // The class name without namespace.
    virtual std::string GetType() const { return "Widget"; }
    // True for the class's own type name and those of its bases below Widget.
    virtual bool IsKindOf(const std::string& type) const;
    // Called once after the whole script is loaded.
    virtual void Initialize();
    // The fade, then every child in creation order.
    virtual void Update(float dt);
    // Draws the widget and its children with the clipping they ask for.
    virtual void Render();
    // The widget's own drawing.
    virtual void Draw() {}
    virtual void UpdateFade(float dt);
    virtual bool AcceptsFocus() const { return false; }

    // Handlers, each raising the event of its name.
    virtual void OnMouseEnter(MouseEventArgs& e);
    virtual void OnMouseLeave(MouseEventArgs& e);
    virtual void OnMouseMove(MouseEventArgs& e);
    virtual void OnMouseDown(MouseEventArgs& e);
    virtual void OnMouseUp(MouseEventArgs& e);
    virtual void OnMouseWheel(MouseEventArgs& e);
    virtual void OnClick(MouseEventArgs& e);
    virtual void OnDoubleClick(MouseEventArgs& e);
    virtual void OnTripleClick(MouseEventArgs& e);
    virtual void OnFocusGain(WidgetEventArgs& e);
    virtual void OnFocusLost(WidgetEventArgs& e);
    virtual void OnKeyDown(KeybEventArgs& e);
    virtual void OnKeyUp(KeybEventArgs& e);
    virtual void OnKeyPress(KeybEventArgs& e);
    virtual void OnEnabled(WidgetEventArgs& e);
    virtual void OnDisabled(WidgetEventArgs& e);
    virtual void OnShow(WidgetEventArgs& e);
    virtual void OnHide(WidgetEventArgs& e);
    virtual void OnTextChanged(WidgetEventArgs& e);
    virtual void OnFontChanged(WidgetEventArgs& e);
    virtual void OnMoved(WidgetEventArgs& e);
    virtual void OnSized(WidgetEventArgs& e);
    virtual void OnBeginRender(WidgetEventArgs& e);
    virtual void OnEndRender(WidgetEventArgs& e);

    // Tree.
    void AddChild(Widget* child);
    void RemoveChild(Widget* child);
    void RemoveAllChildren();
    void SetParent(Widget* parent);
    Widget* GetParent() const { return m_parent; }
    Widget* FindChild(const std::string& name, bool recursive = false) const;
    size_t GetChildCount() const { return m_children.size(); }
    // Children in creation order, and in drawing order (bottom first).
    const std::vector<Widget*>& GetChildren() const { return m_children; }
    const std::vector<Widget*>& GetDrawOrder() const { return m_drawOrder; }
    // Topmost of its kind among its siblings.
    void MoveToFront();
    // MoveToFront on this widget and every ancestor whose rise on click is set.
    void Rise();

    // Geometry. x and y are offsets from the parent's anchor point.
    void SetAreaRect(int16_t x, int16_t y, int16_t width, int16_t height);
    void SetAreaRect(const aRect& rect) { SetAreaRect(rect.x, rect.y, rect.width, rect.height); }
    void SetPosition(int16_t x, int16_t y);
    void SetSize(int16_t width, int16_t height);
    void SetY(int16_t y);
    void SetHeight(int16_t height);
    const aRect& GetAreaRect() const { return m_area; }
    int16_t GetWidth() const { return m_area.width; }
    int16_t GetHeight() const { return m_area.height; }
    // Offset in the parent, the anchor included.
    int32_t GetX() const;
    int32_t GetY() const;
    // Screen position.
    int32_t GetAbsoluteX() const;
    int32_t GetAbsoluteY() const;
    // The point is relative to the widget; a region decides where there is one.
    bool IsPointInside(int32_t x, int32_t y) const;

    // State. Without `local` visibility, enabling and alpha count the
    // ancestors, and the font and its size come from the nearest ancestor
    // that has one.
    void SetVisible(bool visible);
    bool IsVisible(bool local = false) const;
    void SetEnabled(bool enabled);
    bool IsEnabled(bool local = false) const;
    float GetAlpha(bool local = false) const;
    // The own alpha, as the "Alpha" property sets it.
    void SetAlpha(float alpha) { m_alpha = alpha; }
    void SetFont(aFont* font);
    aFont* GetFont(bool local = false) const;
    void SetFontSize(float size);
    float GetFontSize(bool local = false) const;
    void SetText(const std::u16string& text);
    // Formats through the engine's safe formatter: the format may come from data.
    void SetTextFormatted(std::u16string_view format, std::initializer_list<aFormatArg> args);
    const std::u16string& GetText() const { return m_text; }

    const std::string& GetName() const { return m_name; }
    int32_t GetTag() const { return m_tag; }
    bool IsStatic() const { return m_static; }
    bool IsAlwaysOnTop() const { return m_alwaysOnTop; }
    bool IsModal() const { return m_modal; }
    bool IsClipByParent() const { return m_clipByParent; }
    bool IsRiseOnClick() const { return m_riseOnClick; }
    bool IsNotifyRender() const { return m_notifyRender; }
    bool IsInheritsAlpha() const { return m_inheritsAlpha; }
    bool IsMouseAutoRepeat() const { return m_mouseAutoRepeat; }
    float GetAutoRepeatDelay() const { return m_autoRepeatDelay; }
    float GetAutoRepeatRate() const { return m_autoRepeatRate; }
    float GetFadeInTime() const { return m_fadeInTime; }
    float GetFadeOutTime() const { return m_fadeOutTime; }
    float GetHoverFactor() const { return m_hoverFactor; }
    bool IsHovered() const { return m_hovered; }
    bool IsFocused() const { return m_focused; }
    bool IsMultiClick() const { return m_multiClick; }
    float GetMultiClickTime() const { return m_multiClickTime; }
    int32_t GetClickCount() const { return m_clickCount; }
    const std::string& GetCursorName() const { return m_cursorName; }
    Region* GetRegion() const { return m_region; }
    aSound* GetMoveSound() const { return m_moveSound; }
    aSound* GetClickSound() const { return m_clickSound; }
    HorizontalAlignment GetHorizontalAlign() const { return m_horizontalAlign; }
    VerticalAlignment GetVerticalAlign() const { return m_verticalAlign; }
    uint32_t GetHotkey() const { return m_hotkey; }
    uint32_t GetHotkeyModifiers() const { return m_hotkeyModifiers; }
    // An owned child is deleted when its parent removes all children.
    bool IsOwnedByParent() const { return m_ownedByParent; }
    void SetOwnedByParent(bool owned) { m_ownedByParent = owned; }

    // Expires when the widget is destroyed: lets a caller tell whether a
    // handler it called destroyed the widget.
    std::weak_ptr<const bool> GetLifeToken() const { return m_life; }

    // The child (and its subtree) under the point, which is relative to this
    // widget; never this widget itself.
    Widget* FindWidgetAt(int32_t x, int32_t y, bool recursive, bool skipStatic);
    // Offers the key to the subtree's hotkeys; true when one took it.
    bool HandleHotkey(uint32_t key, uint32_t modifiers);

protected:
    // Launches the event; false when a subscriber destroyed this widget, in
    // which case the caller must not touch its members any more.
    bool Raise(const std::string& name, EventArgs& args);

    std::string m_name;
    Widget* m_parent = nullptr;
    std::vector<Widget*> m_children;  // creation order
    std::vector<Widget*> m_drawOrder; // bottom first, always-on-top ones at the end

    aRect m_area{0, 0, 1, 1};
    int16_t m_minWidth = 0;
    int16_t m_maxWidth = 0; // 0: no limit
    int16_t m_minHeight = 0;
    int16_t m_maxHeight = 0;

    bool m_enabled = true;
    bool m_visible = true;
    bool m_static = false;
    bool m_alwaysOnTop = false;
    bool m_mouseAutoRepeat = false;
    float m_autoRepeatDelay = 0.3f;
    float m_autoRepeatRate = 0.05f;
    float m_fadeInTime = 0.0f;
    float m_fadeOutTime = 0.0f;
    float m_hoverFactor = 0.0f;
    bool m_hovered = false;
    float m_alpha = 1.0f;
    bool m_inheritsAlpha = true;
    bool m_notifyRender = false;
    bool m_riseOnClick = false;
    bool m_modal = false;
    bool m_clipByParent = true;
    bool m_multiClick = false;
    float m_multiClickTime;
    int32_t m_clickCount = 0;
    float m_multiClickTimer = 0.0f;
    bool m_focused = false;
    bool m_ownedByParent = false;
    std::string m_cursorName = "default";
    aFont* m_font = nullptr;
    float m_fontSize = 1.0f; // 0: the parent's
    aSound* m_moveSound = nullptr;
    aSound* m_clickSound = nullptr;
    Region* m_region = nullptr;
    int32_t m_tag = 0;
    HorizontalAlignment m_horizontalAlign = HA_LEFT;
    VerticalAlignment m_verticalAlign = VA_TOP;
    uint32_t m_hotkey = 0;
    uint32_t m_hotkeyModifiers = 0;
    std::u16string m_text;

    Property m_propAreaRect;
    Property m_propRegion;
    Property m_propVisible;
    Property m_propEnabled;
    Property m_propStatic;
    Property m_propMouseAutoRepeat;
    Property m_propAutoRepeatRate;
    Property m_propAutoRepeatDelay;
    Property m_propFadeInTime;
    Property m_propFadeOutTime;
    Property m_propSoundMove;
    Property m_propSoundClick;
    Property m_propParent;
    Property m_propFont;
    Property m_propFontSize;
    Property m_propText;
    Property m_propAlpha;
    Property m_propInheritsAlpha;
    Property m_propAlwaysOnTop;
    Property m_propRiseOnClick;
    Property m_propNotifyRender;
    Property m_propMultiClick;
    Property m_propMultiClickTime;
    Property m_propHorizontalAlign;
    Property m_propVerticalAlign;
    Property m_propModal;
    Property m_propCursor;
    Property m_propClipByParent;
    Property m_propTag;
    Property m_propHotkey;

private:
    void InsertIntoDrawOrder(Widget* child);
    void ReplaceSound(aSound*& sound, const std::string& name);

    std::shared_ptr<bool> m_life;
    uint32_t m_childrenVersion = 0; // grows with every child added or removed
};

// Value readers of script properties: unparsable numbers read as 0.
bool PropertyToBool(const std::string& value);
int32_t PropertyToInt(const std::string& value);
float PropertyToFloat(const std::string& value);
// Up to `count` integers separated by blanks; the ones missing are 0.
void PropertyToInts(const std::string& value, int32_t* out, int count);

} // namespace GUI
