#include "mirel/gui/gui_listbox.h"

#include "mirel/gui/gui_draw.h"

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_font.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_linedrawer.h"
#include "mirel/gui/gui_widgethost.h"

#include <algorithm>
#include <cstdio>

namespace GUI {

const std::string Listbox::EventListContentsChanged = "ListContentsChanged";
const std::string Listbox::EventSelectionChanged = "SelectionChanged";
const std::string Listbox::EventSortingModeChanged = "SortingModeChanged";
const std::string Listbox::EventMultiselectModeChanged = "MultiselectModeChanged";

namespace {

int16_t clamp16(int v) {
    return int16_t(std::clamp(v, -32768, 32767));
}

} // namespace

// ---- text item ----

aFont* ListboxTextItem::Font() const {
    if (m_font)
        return m_font;
    return GetOwner() ? GetOwner()->GetFont() : nullptr;
}

void ListboxTextItem::GetSize(float& width, float& height) const {
    width = height = 0.0f;
    aFont* font = Font();
    if (!font)
        return;
    font->setSize(GetOwner() ? GetOwner()->GetFontSize() : 1.0f);
    font->getTextExtentW(m_text, width, height);
}

void ListboxTextItem::Draw(const aRect& rect) {
    aFont* font = Font();
    if (!font)
        return;
    const float fade = GetOwner() ? GetOwner()->GetAlpha() : 1.0f;
    const uint32_t alpha = ColorChannelToByte(float(m_color >> 24) / 255.0f * fade);
    if (!alpha)
        return;
    font->setSize(GetOwner() ? GetOwner()->GetFontSize() : 1.0f);
    font->setColor((m_color & 0x00FFFFFFu) | alpha << 24);
    font->drawTextW(float(rect.x), float(rect.y), m_text, A_FONT_SNAP);
}

bool ListboxTextItem::IsGreater(const ListboxItem& other) const {
    const auto* text = dynamic_cast<const ListboxTextItem*>(&other);
    return text && m_text > text->m_text;
}

bool ListboxTextItem::IsLess(const ListboxItem& other) const {
    const auto* text = dynamic_cast<const ListboxTextItem*>(&other);
    return text && m_text < text->m_text;
}

// ---- list box ----

Listbox::Listbox(const std::string& name) : ScrollContainer(name) {
    AddProperty("Sorting", &m_propSorting);
    AddProperty("Multiselect", &m_propMultiselect);
    AddProperty("Bounds", &m_propBounds);
    AddProperty("SelectionColor", &m_propSelectionColor);
    AddEvent(EventListContentsChanged);
    AddEvent(EventSelectionChanged);
    AddEvent(EventSortingModeChanged);
    AddEvent(EventMultiselectModeChanged);
}

Listbox::~Listbox() = default;

void Listbox::EndFillProperties() {
    ScrollContainer::EndFillProperties();
    const std::weak_ptr<const bool> life = GetLifeToken();
    if (m_propSorting.set) {
        const std::string& v = m_propSorting.value;
        SetSortingMode(v == "ascend" ? SORT_ASCENDING : v == "descend" ? SORT_DESCENDING : SORT_NONE);
        if (life.expired())
            return;
    }
    if (m_propMultiselect.set) {
        SetMultiselect(PropertyToBool(m_propMultiselect.value));
        if (life.expired())
            return;
    }
    if (m_propBounds.set) {
        unsigned int b[4] = {0, 0, 0, 0};
        std::sscanf(m_propBounds.value.c_str(), "%x %x %x %x", &b[0], &b[1], &b[2], &b[3]);
        m_boundLeft = int(b[0]);
        m_boundRight = int(b[1]);
        m_boundTop = int(b[2]);
        m_boundBottom = int(b[3]);
        UpdateContentSize();
        if (life.expired())
            return;
    }
    if (m_propSelectionColor.set) {
        ArgbToColor(PropertyToHex(m_propSelectionColor.value), m_selectionColor);
    }
}

uint32_t Listbox::GetSelectionColor() const {
    return ColorToArgb(m_selectionColor);
}

void Listbox::Initialize() {
    ScrollContainer::Initialize();
    UpdatePageSizes();
    UpdateContentSize();
}

void Listbox::Launch(void (Listbox::*handler)(WidgetEventArgs&)) {
    WidgetEventArgs e;
    e.widget = this;
    (this->*handler)(e);
}

void Listbox::OnListContentsChanged(WidgetEventArgs& e) {
    Raise(EventListContentsChanged, e);
}
void Listbox::OnSelectionChanged(WidgetEventArgs& e) {
    Raise(EventSelectionChanged, e);
}
void Listbox::OnSortingModeChanged(WidgetEventArgs& e) {
    Raise(EventSortingModeChanged, e);
}
void Listbox::OnMultiselectModeChanged(WidgetEventArgs& e) {
    Raise(EventMultiselectModeChanged, e);
}

int Listbox::GetRowHeight(int index) const {
    if (index < 0 || index >= int(m_items.size()))
        return 0;
    float w = 0.0f, h = 0.0f;
    m_items[size_t(index)]->GetSize(w, h);
    return std::max(0, m_boundTop + int(h) + m_boundBottom);
}

// ---- items ----

ListboxItem* Listbox::GetItem(int index) const {
    if (index < 0 || index >= int(m_items.size()))
        return nullptr;
    return m_items[size_t(index)].get();
}

int Listbox::AddItem(std::unique_ptr<ListboxItem> item) {
    if (!item) {
        a_log("Listbox::AddItem - no item given to list box '%s'", m_name.c_str());
        return -1;
    }
    item->m_owner = this;
    const bool selected = item->m_selected;
    if (selected && !m_multiselect)
        item->m_selected = false; // a single-selection list keeps its one selected item
    auto at = m_items.end();
    if (m_sorting == SORT_ASCENDING)
        at = std::find_if(m_items.begin(), m_items.end(), [&](const auto& o) { return item->IsLess(*o); });
    else if (m_sorting == SORT_DESCENDING)
        at = std::find_if(m_items.begin(), m_items.end(), [&](const auto& o) { return item->IsGreater(*o); });
    const int index = int(at - m_items.begin());
    m_items.insert(at, std::move(item));
    if (m_current >= index)
        ++m_current;
    if (m_anchor >= index)
        ++m_anchor;
    ContentsChanged(selected && m_multiselect);
    return index;
}

void Listbox::RemoveItem(int index) {
    if (index < 0 || index >= int(m_items.size())) {
        a_log("Listbox::RemoveItem - item index %i is out of range", index);
        return;
    }
    const bool selected = m_items[size_t(index)]->m_selected;
    m_items.erase(m_items.begin() + index);
    for (int* i : {&m_current, &m_anchor}) {
        if (*i == index)
            *i = -1;
        else if (*i > index)
            --*i;
    }
    ContentsChanged(selected);
}

void Listbox::ClearItems() {
    if (m_items.empty())
        return;
    const bool selected = GetSelectedCount() > 0;
    m_items.clear();
    m_current = m_anchor = -1;
    ContentsChanged(selected);
}

void Listbox::ContentsChanged(bool selectionChanged) {
    const std::weak_ptr<const bool> life = GetLifeToken();
    UpdateContentSize();
    if (life.expired())
        return;
    if (selectionChanged) {
        Launch(&Listbox::OnSelectionChanged);
        if (life.expired())
            return;
    }
    Launch(&Listbox::OnListContentsChanged);
}

void Listbox::UpdateContentSize() {
    float height = 0.0f, width = 0.0f;
    for (int i = 0; i < int(m_items.size()); ++i) {
        float w = 0.0f, h = 0.0f;
        m_items[size_t(i)]->GetSize(w, h);
        height += float(GetRowHeight(i));
        width = std::max(width, float(int(w) + m_boundLeft + m_boundRight));
    }
    const std::weak_ptr<const bool> life = GetLifeToken();
    SetContentSize(width, height);
    if (!life.expired())
        UpdateFirstVisible();
}

void Listbox::OnFontChanged(WidgetEventArgs& e) {
    const std::weak_ptr<const bool> life = GetLifeToken();
    ScrollContainer::OnFontChanged(e);
    if (!life.expired())
        UpdateContentSize();
}

// ---- scrolling ----

void Listbox::UpdateFirstVisible() {
    const int offset = int(m_offsetY);
    int top = 0;
    int i = 0;
    for (; i < int(m_items.size()); ++i) {
        const int bottom = top + GetRowHeight(i);
        if (bottom > offset)
            break;
        top = bottom;
    }
    m_firstVisible = i;
    m_firstVisibleTop = i < int(m_items.size()) ? top - offset : 0;
}

void Listbox::OnPositionChanged(WidgetEventArgs& e) {
    UpdateFirstVisible();
    ScrollContainer::OnPositionChanged(e);
}

int Listbox::HitTest(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= m_area.width || y >= m_area.height)
        return -1;
    if (m_items.empty() || m_firstVisible >= int(m_items.size()))
        return -1;
    int bottom = m_firstVisibleTop;
    for (int i = m_firstVisible; i < int(m_items.size()); ++i) {
        bottom += GetRowHeight(i);
        if (bottom > y)
            return i;
    }
    return -1;
}

void Listbox::ScrollIntoView(int index) {
    if (index > m_firstVisible) {
        // The whole row, margins included, is brought into view.
        int bottom = m_firstVisibleTop;
        for (int i = m_firstVisible; i <= index; ++i)
            bottom += GetRowHeight(i);
        if (bottom > m_area.height)
            SetScrollOffsets(m_offsetX, m_offsetY + float(bottom - m_area.height));
    } else if (index == m_firstVisible && m_firstVisibleTop != 0) {
        SetScrollOffsets(m_offsetX, m_offsetY + float(m_firstVisibleTop));
    }
}

// ---- selection ----

bool Listbox::IsItemSelected(int index) const {
    if (index < 0 || index >= int(m_items.size())) {
        a_log("Listbox::IsItemSelected - item index %i is out of range", index);
        return false;
    }
    return m_items[size_t(index)]->m_selected;
}

void Listbox::SetItemSelected(int index, bool selected) {
    if (index < 0 || index >= int(m_items.size())) {
        a_log("Listbox::SetItemSelected - item index %i is out of range", index);
        return;
    }
    ListboxItem& item = *m_items[size_t(index)];
    if (item.m_selected == selected)
        return;
    item.m_selected = selected;
    Launch(&Listbox::OnSelectionChanged);
}

void Listbox::ClearSelection(bool notify) {
    bool changed = false;
    for (auto& item : m_items) {
        changed = changed || item->m_selected;
        item->m_selected = false;
    }
    m_current = -1;
    if (changed && notify)
        Launch(&Listbox::OnSelectionChanged);
}

int Listbox::GetSelectedCount() const {
    return int(std::count_if(m_items.begin(), m_items.end(), [](const auto& i) { return i->m_selected; }));
}

void Listbox::OnMouseDown(MouseEventArgs& e) {
    const std::weak_ptr<const bool> life = GetLifeToken();
    const int i = e.button == 0 ? HitTest(e.x, e.y) : -1;
    if (i >= 0) {
        const bool shift = (e.modifiers & MOD_SHIFT) != 0;
        const bool ctrl = (e.modifiers & MOD_CTRL) != 0;
        const bool selected = m_items[size_t(i)]->m_selected;
        if (!m_multiselect || (!shift && !ctrl)) {
            if (!selected || GetSelectedCount() >= 2) {
                ClearSelection(false);
                m_current = m_anchor = i;
                SetItemSelected(i, true);
            }
        } else if (shift && !ctrl) {
            if (m_anchor < 0)
                m_anchor = i;
            const int from = std::min(m_anchor, i), to = std::max(m_anchor, i);
            for (int k = 0; k < int(m_items.size()); ++k)
                m_items[size_t(k)]->m_selected = k >= from && k <= to;
            m_current = i;
            Launch(&Listbox::OnSelectionChanged);
        } else if (!selected) {
            m_current = m_anchor = i;
            SetItemSelected(i, true);
        } else if (GetSelectedCount() >= 2) {
            m_current = m_anchor = -1;
            SetItemSelected(i, false);
        }
        if (life.expired())
            return;
        ScrollIntoView(i);
        if (life.expired())
            return;
    }
    ScrollContainer::OnMouseDown(e);
}

// ---- sorting and modes ----

void Listbox::SortItems() {
    // A merge sort stays inside the vector even when an item's order is not a
    // strict one, and equal items keep their order.
    ListboxItem* current = GetItem(m_current);
    ListboxItem* anchor = GetItem(m_anchor);
    if (m_sorting == SORT_ASCENDING)
        std::stable_sort(m_items.begin(), m_items.end(),
                         [](const auto& a, const auto& b) { return a->IsLess(*b); });
    else
        std::stable_sort(m_items.begin(), m_items.end(),
                         [](const auto& a, const auto& b) { return a->IsGreater(*b); });
    // The current and anchor items keep their indices pointing at them.
    for (int i = 0; i < int(m_items.size()); ++i) {
        if (m_items[size_t(i)].get() == current)
            m_current = i;
        if (m_items[size_t(i)].get() == anchor)
            m_anchor = i;
    }
    UpdateFirstVisible();
}

void Listbox::SetSortingMode(int mode) {
    const SortingMode m = mode == SORT_ASCENDING    ? SORT_ASCENDING
                          : mode == SORT_DESCENDING ? SORT_DESCENDING
                                                    : SORT_NONE;
    if (m == m_sorting)
        return;
    m_sorting = m;
    if (m != SORT_NONE)
        SortItems();
    Launch(&Listbox::OnSortingModeChanged);
}

void Listbox::SetMultiselect(bool multiselect) {
    if (multiselect == m_multiselect)
        return;
    m_multiselect = multiselect;
    Launch(&Listbox::OnMultiselectModeChanged);
}

// ---- frame ----

void Listbox::UpdateFade(float dt) {
    for (auto& item : m_items)
        item->Update(dt);
    // The base keeps the hover fade and the multi-click timer going.
    ScrollContainer::UpdateFade(dt);
}

void Listbox::Draw() {
    WidgetHost* host = GetWidgetHost();
    aGraphServer* graph = host ? host->GetGraphServer() : nullptr;
    if (!graph)
        return;
    const int sx = GetAbsoluteX();
    const int sy = GetAbsoluteY();
    const aRect saved = graph->getViewport();
    const aRect clip = saved.intersection(aRect(clamp16(sx), clamp16(sy), m_area.width, m_area.height));
    if (clip.width <= 0 || clip.height <= 0)
        return;
    graph->setViewport(clip);

    const int x = sx - int(m_offsetX);
    const int bottom = sy + m_area.height;
    int y = sy + m_firstVisibleTop;
    for (int i = m_firstVisible; i < int(m_items.size()) && y < bottom; ++i) {
        ListboxItem& item = *m_items[size_t(i)];
        const int row = GetRowHeight(i);
        if (item.m_selected)
            DrawSelection(aRect(clamp16(x), clamp16(y), m_area.width, clamp16(row)));
        float w = 0.0f, h = 0.0f;
        item.GetSize(w, h);
        item.Draw(aRect(clamp16(x + m_boundLeft), clamp16(y + m_boundTop),
                        clamp16(m_area.width - m_boundLeft - m_boundRight), clamp16(int(h))));
        y += row;
    }
    graph->setViewport(saved);
}

void Listbox::DrawSelection(const aRect& rect) {
    aGDI* gdi = SharedLineDrawer();
    if (!gdi)
        return;
    gdi->setColor(ColorToArgb(m_selectionColor));
    gdi->drawRect16(rect, true);
}

} // namespace GUI
