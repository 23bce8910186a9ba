#pragma once
// A scrollable vertical list of items of varying height with single or
// multiple selection and optional sorting. The list box owns its items.
//
// Clicks: a plain click selects one item. With multiselect on, Shift+click
// selects the range from the anchor to the item, and Ctrl+click toggles one
// item (the last selected item stays selected). The clicked item is scrolled
// into view. There is no keyboard navigation.

#include "mirel/base/a_rect.h"
#include "mirel/gui/gui_scrollcontainer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class aFont;

namespace GUI {

class Listbox;

// What the list box needs of an item.
class ListboxItem {
public:
    virtual ~ListboxItem() = default;
    // The item's size in pixels; the list box uses the height.
    virtual void GetSize(float& width, float& height) const = 0;
    // Draws the item into the screen rectangle.
    virtual void Draw(const aRect& rect) = 0;
    virtual void Update(float) {}
    virtual bool IsGreater(const ListboxItem& other) const = 0;
    virtual bool IsLess(const ListboxItem& other) const = 0;

    bool IsSelected() const { return m_selected; }
    // The list box holding the item (null before it is added).
    Listbox* GetOwner() const { return m_owner; }

private:
    friend class Listbox;
    bool m_selected = false;
    Listbox* m_owner = nullptr;
};

// A line of text in the list box's font and size (an item's own font, when
// given, takes its place), faded with the list box. Sorted by text.
class ListboxTextItem : public ListboxItem {
public:
    explicit ListboxTextItem(std::u16string text, uint32_t argb = 0xFFFFFFFFu, aFont* font = nullptr)
        : m_text(std::move(text)), m_color(argb), m_font(font) {}

    void GetSize(float& width, float& height) const override;
    void Draw(const aRect& rect) override;
    bool IsGreater(const ListboxItem& other) const override;
    bool IsLess(const ListboxItem& other) const override;

    const std::u16string& GetText() const { return m_text; }
    uint32_t GetColor() const { return m_color; }

private:
    aFont* Font() const;

    std::u16string m_text;
    uint32_t m_color;
    aFont* m_font;
};

class Listbox : public ScrollContainer {
public:
    enum SortingMode { SORT_ASCENDING = 0, SORT_DESCENDING = 1, SORT_NONE = 2 };

    static const std::string EventListContentsChanged;
    static const std::string EventSelectionChanged;
    static const std::string EventSortingModeChanged;
    static const std::string EventMultiselectModeChanged;

    explicit Listbox(const std::string& name);
    ~Listbox() override;

    void EndFillProperties() override;
    std::string GetType() const override { return "Listbox"; }
    bool IsKindOf(const std::string& type) const override {
        return type == "Listbox" || ScrollContainer::IsKindOf(type);
    }
    void Initialize() override;
    void Draw() override;
    // Advances the items, then the widget's own fade and click timer.
    void UpdateFade(float dt) override;
    bool AcceptsFocus() const override { return true; }
    void OnMouseDown(MouseEventArgs& e) override;
    void OnFontChanged(WidgetEventArgs& e) override;
    void OnPositionChanged(WidgetEventArgs& e) override;

    // A filled rectangle in the selection colour.
    virtual void DrawSelection(const aRect& rect);
    virtual void OnListContentsChanged(WidgetEventArgs& e);
    virtual void OnSelectionChanged(WidgetEventArgs& e);
    virtual void OnSortingModeChanged(WidgetEventArgs& e);
    virtual void OnMultiselectModeChanged(WidgetEventArgs& e);

    // Items. A sorted list puts a new item in its place, an unsorted one at
    // the end; the index it got is returned (-1 for a null item).
    int AddItem(std::unique_ptr<ListboxItem> item);
    void RemoveItem(int index);
    void ClearItems();
    int GetItemCount() const { return int(m_items.size()); }
    // Null for an index out of range.
    ListboxItem* GetItem(int index) const;

    // Selection.
    bool IsItemSelected(int index) const;
    void SetItemSelected(int index, bool selected);
    void ClearSelection(bool notify);
    int GetSelectedCount() const;
    int GetCurrentIndex() const { return m_current; }
    int GetAnchorIndex() const { return m_anchor; }

    void SetSortingMode(int mode);
    SortingMode GetSortingMode() const { return m_sorting; }
    void SetMultiselect(bool multiselect);
    bool IsMultiselect() const { return m_multiselect; }

    // The item under a point relative to the box, or -1.
    int HitTest(int32_t x, int32_t y) const;
    int GetFirstVisibleIndex() const { return m_firstVisible; }
    int GetFirstVisibleTop() const { return m_firstVisibleTop; }
    // Top, item height and bottom together.
    int GetRowHeight(int index) const;
    uint32_t GetSelectionColor() const;

private:
    void ContentsChanged(bool selectionChanged);
    void UpdateContentSize();
    void UpdateFirstVisible();
    void SortItems();
    void ScrollIntoView(int index);
    void Launch(void (Listbox::*handler)(WidgetEventArgs&));

    std::vector<std::unique_ptr<ListboxItem>> m_items;
    SortingMode m_sorting = SORT_NONE;
    bool m_multiselect = false;
    int m_boundLeft = 0, m_boundRight = 0, m_boundTop = 0, m_boundBottom = 0;
    int m_current = -1;
    int m_anchor = -1;
    int m_firstVisible = 0;
    int m_firstVisibleTop = 0;                            // 0 or negative: how much of it is scrolled out
    float m_selectionColor[4] = {1.0f, 1.0f, 1.0f, 1.0f}; // red, green, blue, alpha

    Property m_propSorting;
    Property m_propMultiselect;
    Property m_propBounds;
    Property m_propSelectionColor;
};

} // namespace GUI
