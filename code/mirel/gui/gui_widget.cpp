#include "mirel/gui/gui_widget.h"

#include "mirel/base/a_log.h"
#include "mirel/base/a_string.h"
#include "mirel/base/a_utf.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gui/gui_keys.h"
#include "mirel/gui/gui_region.h"
#include "mirel/gui/gui_widgethost.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/sound/a_sound.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <unordered_map>

namespace GUI {

const std::string Widget::EventFocusGain = "FocusGain";
const std::string Widget::EventFocusLost = "FocusLost";
const std::string Widget::EventHide = "Hide";
const std::string Widget::EventShow = "Show";
const std::string Widget::EventEnabled = "Enabled";
const std::string Widget::EventDisabled = "Disabled";
const std::string Widget::EventMouseEnter = "MouseEnter";
const std::string Widget::EventMouseLeave = "MouseLeave";
const std::string Widget::EventMouseDown = "MouseDown";
const std::string Widget::EventMouseUp = "MouseUp";
const std::string Widget::EventMouseMove = "MouseMove";
const std::string Widget::EventMouseWheel = "MouseWheel";
const std::string Widget::EventClick = "Click";
const std::string Widget::EventDoubleClick = "DoubleClick";
const std::string Widget::EventTripleClick = "TripleClick";
const std::string Widget::EventKeyDown = "KeyDown";
const std::string Widget::EventKeyUp = "KeyUp";
const std::string Widget::EventKeyPress = "KeyPress";
const std::string Widget::EventTextChanged = "TextChanged";
const std::string Widget::EventFontChanged = "FontChanged";
const std::string Widget::EventMoved = "Moved";
const std::string Widget::EventSized = "Sized";
const std::string Widget::EventBeginRender = "BeginRender";
const std::string Widget::EventEndRender = "EndRender";

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int digitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// Reads one integer the way "%i" does (sign, 0x hex, leading-0 octal) from
// pos on; false when no digits stand there. Values beyond the range of
// int32 are held at its ends.
bool scanInt(const std::string& s, size_t& pos, int32_t& out) {
    size_t p = pos;
    while (p < s.size() && isBlank(s[p]))
        ++p;
    bool negative = false;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) {
        negative = s[p] == '-';
        ++p;
    }
    int base = 10;
    if (p + 1 < s.size() && s[p] == '0' && (s[p + 1] == 'x' || s[p + 1] == 'X') && p + 2 < s.size() &&
        digitValue(s[p + 2]) < 16) {
        base = 16;
        p += 2;
    } else if (p < s.size() && s[p] == '0') {
        base = 8;
    }
    const size_t first = p;
    int64_t value = 0;
    while (p < s.size() && digitValue(s[p]) < base) {
        value = std::min<int64_t>(value * base + digitValue(s[p]), int64_t(1) << 40);
        ++p;
    }
    if (p == first)
        return false;
    if (negative)
        value = -value;
    value =
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    out = static_cast<int32_t>(value);
    pos = p;
    return true;
}

int16_t toInt16(int32_t v) {
    return static_cast<int16_t>(
        std::clamp<int32_t>(v, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

MouseEventArgs mouseRecord(Widget* widget) {
    MouseEventArgs e;
    e.widget = widget;
    return e;
}

WidgetEventArgs widgetRecord(Widget* widget) {
    WidgetEventArgs e;
    e.widget = widget;
    return e;
}

bool contains(const std::vector<Widget*>& list, const Widget* w) {
    return std::find(list.begin(), list.end(), w) != list.end();
}

void removeFrom(std::vector<Widget*>& list, const Widget* w) {
    auto it = std::find(list.begin(), list.end(), w);
    if (it != list.end())
        list.erase(it);
}

// Grows whenever any widget gains or loses a child, so that a name index
// made before knows it is out of date.
uint64_t g_treeShape = 0;

// Levels of the subtree under the widget (0: no children). Every tree keeps
// to the depth limit, so the recursion is bounded.
size_t subtreeHeight(const Widget* w) {
    size_t height = 0;
    for (const Widget* child : w->GetChildren())
        height = std::max(height, 1 + subtreeHeight(child));
    return height;
}

} // namespace

bool PropertyToBool(const std::string& value) {
    return PropertyToInt(value) != 0;
}

int32_t PropertyToInt(const std::string& value) {
    int32_t v = 0;
    size_t pos = 0;
    return scanInt(value, pos, v) ? v : 0;
}

float PropertyToFloat(const std::string& value) {
    size_t p = 0;
    while (p < value.size() && isBlank(value[p]))
        ++p;
    const char* begin = value.c_str() + p;
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(v))
        return 0.0f;
    const double limit = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(v, -limit, limit));
}

void PropertyToInts(const std::string& value, int32_t* out, int count) {
    size_t pos = 0;
    int i = 0;
    for (; i < count; ++i) {
        if (!scanInt(value, pos, out[i]))
            break;
    }
    for (; i < count; ++i)
        out[i] = 0;
}

Widget::Widget(const std::string& name)
    : m_name(name), m_multiClickTime(float(aInputServer::getDoubleClickTime()) / 1000.0f),
      m_life(std::make_shared<bool>(true)) {
    AddProperty("AreaRect", &m_propAreaRect);
    AddProperty("Region", &m_propRegion);
    AddProperty("Visible", &m_propVisible);
    AddProperty("Enabled", &m_propEnabled);
    AddProperty("Static", &m_propStatic);
    AddProperty("MouseAutoRepeat", &m_propMouseAutoRepeat);
    AddProperty("AutoRepeatRate", &m_propAutoRepeatRate);
    AddProperty("AutoRepeatDelay", &m_propAutoRepeatDelay);
    AddProperty("FadeInTime", &m_propFadeInTime);
    AddProperty("FadeOutTime", &m_propFadeOutTime);
    AddProperty("SoundMove", &m_propSoundMove);
    AddProperty("SoundClick", &m_propSoundClick);
    AddProperty("Parent", &m_propParent);
    AddProperty("Font", &m_propFont);
    AddProperty("FontSize", &m_propFontSize);
    AddProperty("Text", &m_propText);
    AddProperty("Alpha", &m_propAlpha);
    AddProperty("InheritsAlpha", &m_propInheritsAlpha);
    AddProperty("AlwaysOnTop", &m_propAlwaysOnTop);
    AddProperty("RiseOnClick", &m_propRiseOnClick);
    AddProperty("NotifyRender", &m_propNotifyRender);
    AddProperty("MultiClick", &m_propMultiClick);
    AddProperty("MultiClickTime", &m_propMultiClickTime);
    AddProperty("HorizontalAlign", &m_propHorizontalAlign);
    AddProperty("VerticalAlign", &m_propVerticalAlign);
    AddProperty("Modal", &m_propModal);
    AddProperty("Cursor", &m_propCursor);
    AddProperty("ClipByParent", &m_propClipByParent);
    AddProperty("Tag", &m_propTag);
    AddProperty("Hotkey", &m_propHotkey);

    for (const std::string* event :
         {&EventFocusGain, &EventFocusLost,  &EventHide,        &EventShow,        &EventEnabled,
          &EventDisabled,  &EventMouseEnter, &EventMouseLeave,  &EventMouseDown,   &EventMouseUp,
          &EventMouseMove, &EventMouseWheel, &EventClick,       &EventDoubleClick, &EventTripleClick,
          &EventKeyDown,   &EventKeyUp,      &EventKeyPress,    &EventTextChanged, &EventFontChanged,
          &EventMoved,     &EventSized,      &EventBeginRender, &EventEndRender}) {
        AddEvent(*event);
    }
}

Widget::~Widget() {
    m_life.reset();
    WidgetHost* host = GetWidgetHost();
    // While the widget is still in the tree, so that the host can tell which
    // of the widgets it holds lie below it.
    if (host)
        host->ForgetWidget(this);
    if (m_parent)
        m_parent->RemoveChild(this);
    RemoveAllChildren();
    if (host) {
        if (m_moveSound)
            host->DeleteSound(m_moveSound);
        if (m_clickSound)
            host->DeleteSound(m_clickSound);
    }
    // Without a host the sound manager keeps its clones until it is destroyed.
    m_moveSound = nullptr;
    m_clickSound = nullptr;
}

bool Widget::Raise(const std::string& name, EventArgs& args) {
    std::weak_ptr<bool> life = m_life;
    LaunchEvent(name, args);
    return !life.expired();
}

void Widget::ReplaceSound(aSound*& sound, const std::string& name) {
    WidgetHost* host = GetWidgetHost();
    if (!host)
        return;
    if (sound)
        host->DeleteSound(sound);
    sound = host->NewSound(name);
}

void Widget::EndFillProperties() {
    PropertySet::EndFillProperties();
    WidgetHost* host = GetWidgetHost();

    if (m_propAreaRect.set) {
        int32_t v[4];
        PropertyToInts(m_propAreaRect.value, v, 4);
        m_area = aRect(toInt16(v[0]), toInt16(v[1]), toInt16(v[2]), toInt16(v[3]));
        if (m_area.x != v[0] || m_area.y != v[1] || m_area.width != v[2] || m_area.height != v[3])
            a_log("GUI::Widget '%s' - AreaRect %s out of range, %d %d %d %d taken", GetName().c_str(),
                  m_propAreaRect.value.c_str(), int(m_area.x), int(m_area.y), int(m_area.width),
                  int(m_area.height));
    }
    if (m_propRegion.set)
        m_region = host ? host->GetRegion(m_propRegion.value) : nullptr;
    if (m_propSoundMove.set)
        ReplaceSound(m_moveSound, m_propSoundMove.value);
    if (m_propSoundClick.set)
        ReplaceSound(m_clickSound, m_propSoundClick.value);
    if (m_propFont.set)
        SetFont(host ? host->GetFont(m_propFont.value) : nullptr);
    if (m_propFontSize.set)
        SetFontSize(PropertyToFloat(m_propFontSize.value));
    if (m_propText.set) {
        const aLocaleServer* locale = aLocaleServer::getInstance();
        const std::u16string* text = locale ? locale->findString(m_propText.value) : nullptr;
        SetText(text ? *text : utf8ToWide(m_propText.value));
    }
    if (m_propEnabled.set)
        SetEnabled(PropertyToBool(m_propEnabled.value));
    if (m_propVisible.set)
        SetVisible(PropertyToBool(m_propVisible.value));
    if (m_propStatic.set)
        m_static = PropertyToBool(m_propStatic.value);
    if (m_propMouseAutoRepeat.set)
        m_mouseAutoRepeat = PropertyToBool(m_propMouseAutoRepeat.value);
    if (m_propAutoRepeatDelay.set)
        m_autoRepeatDelay = PropertyToFloat(m_propAutoRepeatDelay.value);
    if (m_propAutoRepeatRate.set)
        m_autoRepeatRate = PropertyToFloat(m_propAutoRepeatRate.value);
    if (m_propFadeInTime.set)
        m_fadeInTime = PropertyToFloat(m_propFadeInTime.value);
    if (m_propFadeOutTime.set)
        m_fadeOutTime = PropertyToFloat(m_propFadeOutTime.value);
    if (m_propHorizontalAlign.set) {
        const std::string& v = m_propHorizontalAlign.value;
        m_horizontalAlign = a_stricmp(v, "center") == 0  ? HA_CENTER
                            : a_stricmp(v, "right") == 0 ? HA_RIGHT
                                                         : HA_LEFT;
    }
    if (m_propVerticalAlign.set) {
        const std::string& v = m_propVerticalAlign.value;
        m_verticalAlign = a_stricmp(v, "center") == 0   ? VA_CENTER
                          : a_stricmp(v, "bottom") == 0 ? VA_BOTTOM
                                                        : VA_TOP;
    }
    if (m_propAlwaysOnTop.set)
        m_alwaysOnTop = PropertyToBool(m_propAlwaysOnTop.value);
    if (m_propRiseOnClick.set)
        m_riseOnClick = PropertyToBool(m_propRiseOnClick.value);
    if (m_propNotifyRender.set)
        m_notifyRender = PropertyToBool(m_propNotifyRender.value);
    if (m_propMultiClick.set)
        m_multiClick = PropertyToBool(m_propMultiClick.value);
    if (m_propMultiClickTime.set)
        m_multiClickTime = PropertyToFloat(m_propMultiClickTime.value);
    if (m_propModal.set)
        m_modal = PropertyToBool(m_propModal.value);
    if (m_propCursor.set)
        m_cursorName = m_propCursor.value;
    if (m_propClipByParent.set)
        m_clipByParent = PropertyToBool(m_propClipByParent.value);
    if (m_propTag.set)
        m_tag = PropertyToInt(m_propTag.value);
    if (m_propAlpha.set)
        m_alpha = PropertyToFloat(m_propAlpha.value);
    if (m_propInheritsAlpha.set)
        m_inheritsAlpha = PropertyToBool(m_propInheritsAlpha.value);
    if (m_propHotkey.set)
        ParseHotkey(m_propHotkey.value, m_hotkey, m_hotkeyModifiers);
}

bool Widget::IsKindOf(const std::string&) const {
    return false;
}

void Widget::Initialize() {
    m_clickCount = 0;
    m_focused = false;
}

void Widget::Update(float dt) {
    UpdateFade(dt);
    // A child's update may remove or destroy siblings: walk a copy and skip
    // the ones that left.
    const std::vector<Widget*> children = m_children;
    const uint32_t version = m_childrenVersion;
    for (Widget* child : children) {
        if (version == m_childrenVersion || contains(m_children, child))
            child->Update(dt);
    }
}

void Widget::UpdateFade(float dt) {
    if (m_hovered) {
        if (m_fadeInTime == 0.0f)
            m_hoverFactor = 1.0f;
        else
            m_hoverFactor = std::min(1.0f, m_hoverFactor + dt / m_fadeInTime);
    } else {
        if (m_fadeOutTime == 0.0f)
            m_hoverFactor = 0.0f;
        else
            m_hoverFactor = std::max(0.0f, m_hoverFactor - dt / m_fadeOutTime);
    }
    m_multiClickTimer += dt;
}

void Widget::Render() {
    if (!IsVisible())
        return;
    WidgetHost* host = GetWidgetHost();
    aGraphServer* graph = host ? host->GetGraphServer() : nullptr;
    const aRect remembered = graph ? graph->getViewport() : aRect();
    const aRect screen(toInt16(GetAbsoluteX()), toInt16(GetAbsoluteY()), m_area.width, m_area.height);

    WidgetEventArgs begin = widgetRecord(this);
    OnBeginRender(begin);
    Draw();

    // With nothing left of the clip rectangle the children that clip by this
    // widget are skipped: the device keeps its old viewport for an empty one.
    const aRect clipped = remembered.intersection(screen);
    const bool clippedEmpty = clipped.width <= 0 || clipped.height <= 0;
    bool clipping = false;
    const std::vector<Widget*> order = m_drawOrder;
    const uint32_t version = m_childrenVersion;
    for (Widget* child : order) {
        if (version != m_childrenVersion && !contains(m_drawOrder, child))
            continue;
        if (graph && child->m_clipByParent != clipping) {
            clipping = child->m_clipByParent;
            graph->setViewport(clipping ? clipped : remembered);
        }
        if (graph && clipping && clippedEmpty)
            continue;
        child->Render();
    }
    if (graph && clipping)
        graph->setViewport(remembered);

    WidgetEventArgs end = widgetRecord(this);
    OnEndRender(end);
}

// Tree.

void Widget::InsertIntoDrawOrder(Widget* child, bool present) {
    if (present)
        removeFrom(m_drawOrder, child);
    if (child->m_alwaysOnTop) {
        m_drawOrder.push_back(child);
        return;
    }
    auto it = m_drawOrder.end();
    while (it != m_drawOrder.begin() && (*(it - 1))->m_alwaysOnTop)
        --it;
    m_drawOrder.insert(it, child);
}

bool Widget::AddChild(Widget* child) {
    if (!child || child == this)
        return false;
    size_t depth = 1; // of the child once added
    for (const Widget* w = this; w; w = w->m_parent, ++depth) {
        if (w == child) {
            a_log("GUI::Widget::AddChild - '%s' is an ancestor of '%s', not added", child->m_name.c_str(),
                  m_name.c_str());
            return false;
        }
    }
    if (depth + subtreeHeight(child) > kMaxTreeDepth + 1) {
        a_log("GUI::Widget::AddChild - '%s' under '%s' would nest the tree deeper than %u levels, not added",
              child->m_name.c_str(), m_name.c_str(), unsigned(kMaxTreeDepth));
        return false;
    }
    if (child->m_parent)
        child->m_parent->RemoveChild(child);
    child->m_parent = this;
    child->m_names.reset(); // no longer a root
    m_children.push_back(child);
    ++m_childrenVersion;
    ++g_treeShape;
    InsertIntoDrawOrder(child, false); // new here: left its old parent above
    return true;
}

void Widget::RemoveChild(Widget* child) {
    if (!child || child->m_parent != this)
        return;
    removeFrom(m_children, child);
    removeFrom(m_drawOrder, child);
    ++m_childrenVersion;
    ++g_treeShape;
    child->m_parent = nullptr;
}

void Widget::RemoveAllChildren() {
    // All leave at once (one at a time from the front would move the rest
    // each time); then the owned ones are deleted in creation order, each
    // unless the deletion of an earlier one took it already.
    while (!m_children.empty()) {
        std::vector<Widget*> children;
        children.swap(m_children);
        m_drawOrder.clear();
        ++m_childrenVersion;
        ++g_treeShape;
        std::vector<std::weak_ptr<const bool>> lives;
        lives.reserve(children.size());
        for (Widget* child : children) {
            child->m_parent = nullptr;
            lives.push_back(child->GetLifeToken());
        }
        for (size_t i = 0; i < children.size(); ++i) {
            if (!lives[i].expired() && children[i]->m_ownedByParent)
                delete children[i];
        }
    }
}

void Widget::SetParent(Widget* parent) {
    if (parent == m_parent)
        return;
    if (parent)
        parent->AddChild(this);
    else
        m_parent->RemoveChild(this);
}

struct Widget::NameIndex {
    uint64_t shape = 0;                             // g_treeShape when made
    std::unordered_map<std::string, Widget*> first; // lower-case name -> first widget in search order
};

Widget* Widget::FindChild(const std::string& name, bool recursive) const {
    if (recursive && !m_parent) {
        if (!m_names || m_names->shape != g_treeShape) {
            auto index = std::make_unique<NameIndex>();
            index->shape = g_treeShape;
            std::vector<const Widget*> stack(m_children.rbegin(), m_children.rend());
            while (!stack.empty()) {
                const Widget* w = stack.back();
                stack.pop_back();
                index->first.emplace(a_toLowerAscii(w->m_name), const_cast<Widget*>(w));
                stack.insert(stack.end(), w->m_children.rbegin(), w->m_children.rend());
            }
            m_names = std::move(index);
        }
        auto it = m_names->first.find(a_toLowerAscii(name));
        return it == m_names->first.end() ? nullptr : it->second;
    }
    for (Widget* child : m_children) {
        if (a_stricmp(child->m_name, name) == 0)
            return child;
        if (recursive) {
            if (Widget* found = child->FindChild(name, true))
                return found;
        }
    }
    return nullptr;
}

void Widget::MoveToFront() {
    if (m_parent)
        m_parent->InsertIntoDrawOrder(this, true);
}

void Widget::Rise() {
    for (Widget* w = this; w; w = w->m_parent) {
        if (w->m_riseOnClick)
            w->MoveToFront();
    }
}

// Geometry.

void Widget::SetAreaRect(int16_t x, int16_t y, int16_t width, int16_t height) {
    if (width < m_minWidth)
        width = m_minWidth;
    if (m_maxWidth != 0 && width > m_maxWidth)
        width = m_maxWidth;
    if (height < m_minHeight)
        height = m_minHeight;
    if (m_maxHeight != 0 && height > m_maxHeight)
        height = m_maxHeight;
    const bool moved = x != m_area.x || y != m_area.y;
    const bool sized = width != m_area.width || height != m_area.height;
    m_area = aRect(x, y, width, height);
    if (moved) {
        WidgetEventArgs e = widgetRecord(this);
        OnMoved(e);
    }
    if (sized) {
        WidgetEventArgs e = widgetRecord(this);
        OnSized(e);
    }
}

void Widget::SetPosition(int16_t x, int16_t y) {
    SetAreaRect(x, y, m_area.width, m_area.height);
}
void Widget::SetSize(int16_t width, int16_t height) {
    SetAreaRect(m_area.x, m_area.y, width, height);
}
void Widget::SetY(int16_t y) {
    SetAreaRect(m_area.x, y, m_area.width, m_area.height);
}
void Widget::SetHeight(int16_t height) {
    SetAreaRect(m_area.x, m_area.y, m_area.width, height);
}

int32_t Widget::GetX() const {
    int32_t x = m_area.x;
    if (m_parent) {
        if (m_horizontalAlign == HA_CENTER)
            x += m_parent->m_area.width / 2;
        else if (m_horizontalAlign == HA_RIGHT)
            x += m_parent->m_area.width;
    }
    return x;
}

int32_t Widget::GetY() const {
    int32_t y = m_area.y;
    if (m_parent) {
        if (m_verticalAlign == VA_CENTER)
            y += m_parent->m_area.height / 2;
        else if (m_verticalAlign == VA_BOTTOM)
            y += m_parent->m_area.height;
    }
    return y;
}

int32_t Widget::GetAbsoluteX() const {
    return GetX() + (m_parent ? m_parent->GetAbsoluteX() : 0);
}
int32_t Widget::GetAbsoluteY() const {
    return GetY() + (m_parent ? m_parent->GetAbsoluteY() : 0);
}

bool Widget::IsPointInside(int32_t x, int32_t y) const {
    const int32_t w = m_area.width;
    const int32_t h = m_area.height;
    if (w <= 0 || h <= 0)
        return false;
    if (m_region) {
        return m_region->HitTest(int32_t(int64_t(x) * m_region->GetWidth() / w),
                                 int32_t(int64_t(y) * m_region->GetHeight() / h));
    }
    return x >= 0 && x < w && y >= 0 && y < h;
}

// State.

void Widget::SetVisible(bool visible) {
    if (visible == m_visible)
        return;
    m_visible = visible;
    WidgetEventArgs e = widgetRecord(this);
    if (visible)
        OnShow(e);
    else
        OnHide(e);
}

bool Widget::IsVisible(bool local) const {
    if (local)
        return m_visible;
    for (const Widget* w = this; w; w = w->m_parent) {
        if (!w->m_visible)
            return false;
    }
    return true;
}

void Widget::SetEnabled(bool enabled) {
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    WidgetEventArgs e = widgetRecord(this);
    if (enabled)
        OnEnabled(e);
    else
        OnDisabled(e);
}

bool Widget::IsEnabled(bool local) const {
    if (local)
        return m_enabled;
    for (const Widget* w = this; w; w = w->m_parent) {
        if (!w->m_enabled)
            return false;
    }
    return true;
}

float Widget::GetAlpha(bool local) const {
    if (local || !m_inheritsAlpha || !m_parent)
        return m_alpha;
    return m_alpha * m_parent->GetAlpha(false);
}

void Widget::SetFont(aFont* font) {
    m_font = font;
    WidgetEventArgs e = widgetRecord(this);
    OnFontChanged(e);
}

aFont* Widget::GetFont(bool local) const {
    if (local)
        return m_font;
    for (const Widget* w = this; w; w = w->m_parent) {
        if (w->m_font)
            return w->m_font;
    }
    return nullptr;
}

void Widget::SetFontSize(float size) {
    if (size == m_fontSize)
        return;
    m_fontSize = size;
    WidgetEventArgs e = widgetRecord(this);
    OnFontChanged(e);
}

float Widget::GetFontSize(bool local) const {
    if (local)
        return m_fontSize;
    for (const Widget* w = this; w; w = w->m_parent) {
        if (w->m_fontSize != 0.0f)
            return w->m_fontSize;
    }
    return 0.0f;
}

void Widget::SetText(const std::u16string& text) {
    m_text = text;
    WidgetEventArgs e = widgetRecord(this);
    OnTextChanged(e);
}

void Widget::SetTextFormatted(std::u16string_view format, std::initializer_list<aFormatArg> args) {
    SetText(a_format(format, args));
}

// Hit search and hotkeys.

Widget* Widget::FindWidgetAt(int32_t x, int32_t y, bool recursive, bool skipStatic) {
    for (auto it = m_drawOrder.rbegin(); it != m_drawOrder.rend(); ++it) {
        Widget* child = *it;
        if (!child->IsVisible() || (skipStatic && child->m_static))
            continue;
        const int32_t cx = child->GetX();
        const int32_t cy = child->GetY();
        if (recursive) {
            if (Widget* hit = child->FindWidgetAt(x - cx, y - cy, true, skipStatic))
                return hit;
        }
        int32_t left = cx, top = cy;
        int32_t right = cx + child->m_area.width, bottom = cy + child->m_area.height;
        if (child->m_clipByParent) {
            left = std::max<int32_t>(left, 0);
            top = std::max<int32_t>(top, 0);
            right = std::min<int32_t>(right, m_area.width);
            bottom = std::min<int32_t>(bottom, m_area.height);
        }
        // The region is laid over the child's own rectangle, so a child cut by
        // its parent keeps its mask where it was drawn.
        if (x >= left && x < right && y >= top && y < bottom && child->IsPointInside(x - cx, y - cy))
            return child;
        if (child->m_modal)
            return nullptr;
    }
    return nullptr;
}

bool Widget::HandleHotkey(uint32_t key, uint32_t modifiers) {
    for (auto it = m_drawOrder.rbegin(); it != m_drawOrder.rend(); ++it) {
        Widget* child = *it;
        if (!child->m_visible)
            continue;
        if (child->m_enabled && child->HandleHotkey(key, modifiers))
            return true;
        if (child->m_modal)
            break;
    }
    if (m_hotkey != 0 && m_hotkey == key && m_hotkeyModifiers == (modifiers & 7u)) {
        // A hotkey acts as a left click, so check boxes and radio buttons
        // toggle by their keys too.
        MouseEventArgs e = mouseRecord(this);
        e.handled = true;
        e.button = 0;
        OnClick(e);
        return true;
    }
    return false;
}

// Handlers.

void Widget::OnMouseEnter(MouseEventArgs& e) {
    m_hovered = true;
    Raise(EventMouseEnter, e);
}

void Widget::OnMouseLeave(MouseEventArgs& e) {
    m_hovered = false;
    Raise(EventMouseLeave, e);
}

void Widget::OnMouseMove(MouseEventArgs& e) {
    if (WidgetHost* host = GetWidgetHost())
        host->SetMouseCursor(m_cursorName);
    if (!Raise(EventMouseMove, e))
        return;
    m_multiClickTimer = m_multiClickTime + 1.0f;
}

void Widget::OnMouseDown(MouseEventArgs& e) {
    if (!Raise(EventMouseDown, e))
        return;
    if (e.button == 0) {
        const bool continues = m_multiClick && m_clickCount < 3 && m_multiClickTimer <= m_multiClickTime;
        if (!continues)
            m_clickCount = 0;
        ++m_clickCount;
        m_multiClickTimer = 0.0f;
        std::weak_ptr<bool> life = m_life;
        if (m_clickCount == 2)
            OnDoubleClick(e);
        else if (m_clickCount == 3)
            OnTripleClick(e);
        if (life.expired())
            return;
    }
    if (WidgetHost* host = GetWidgetHost())
        host->SetFocus(this);
}

void Widget::OnMouseUp(MouseEventArgs& e) {
    if (!Raise(EventMouseUp, e))
        return;
    if (e.button == 0 && m_clickCount == 1 && IsPointInside(e.x, e.y))
        OnClick(e);
}

void Widget::OnMouseWheel(MouseEventArgs& e) {
    Raise(EventMouseWheel, e);
}

void Widget::OnClick(MouseEventArgs& e) {
    if (m_clickSound)
        m_clickSound->play(false, -1.0f, -2.0f);
    Raise(EventClick, e);
}

void Widget::OnDoubleClick(MouseEventArgs& e) {
    Raise(EventDoubleClick, e);
}
void Widget::OnTripleClick(MouseEventArgs& e) {
    Raise(EventTripleClick, e);
}

void Widget::OnFocusGain(WidgetEventArgs& e) {
    m_focused = true;
    Raise(EventFocusGain, e);
}

void Widget::OnFocusLost(WidgetEventArgs& e) {
    m_focused = false;
    Raise(EventFocusLost, e);
}

void Widget::OnKeyDown(KeybEventArgs& e) {
    Raise(EventKeyDown, e);
}
void Widget::OnKeyUp(KeybEventArgs& e) {
    Raise(EventKeyUp, e);
}
void Widget::OnKeyPress(KeybEventArgs& e) {
    Raise(EventKeyPress, e);
}
void Widget::OnEnabled(WidgetEventArgs& e) {
    Raise(EventEnabled, e);
}
void Widget::OnDisabled(WidgetEventArgs& e) {
    Raise(EventDisabled, e);
}
void Widget::OnShow(WidgetEventArgs& e) {
    Raise(EventShow, e);
}
void Widget::OnHide(WidgetEventArgs& e) {
    Raise(EventHide, e);
}
void Widget::OnTextChanged(WidgetEventArgs& e) {
    Raise(EventTextChanged, e);
}
void Widget::OnFontChanged(WidgetEventArgs& e) {
    Raise(EventFontChanged, e);
}
void Widget::OnMoved(WidgetEventArgs& e) {
    Raise(EventMoved, e);
}
void Widget::OnSized(WidgetEventArgs& e) {
    Raise(EventSized, e);
}

void Widget::OnBeginRender(WidgetEventArgs& e) {
    if (m_notifyRender)
        Raise(EventBeginRender, e);
}

void Widget::OnEndRender(WidgetEventArgs& e) {
    if (m_notifyRender)
        Raise(EventEndRender, e);
}

} // namespace GUI
