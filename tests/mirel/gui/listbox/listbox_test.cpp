// List box built from a script: the selection rules of plain, Shift and Ctrl
// clicks, hit tests at the edges, scrolling a clicked item into view,
// sorting, adding and removing items, and what is drawn.

#include "mirel/gui/listbox/w3_support.h"

using namespace w3test;

namespace {

class ListboxTest : public guitest::GuiFixture {
protected:
    void SetUp() override { RegisterTypes(); }

    // A list box at (100, 100), 100 wide, with a vertical scrollbar and the
    // items given (rows are 10 pixels high without margins).
    GUI::Listbox* Make(const std::vector<std::string>& texts, int height = 60,
                       const std::string& extra = "") {
        h.LoadScript(
            FontSection(h) + "listbox lb\n{\n AreaRect 100 100 100 " + std::to_string(height) +
            "\n Font fixed\n" + extra + " scrollbar lb_auto_vscroll\n {\n  AreaRect 100 0 10 " +
            std::to_string(height) +
            "\n  Vertical 1\n  widget lb_auto_vscroll_auto_thumb\n  {\n   AreaRect 0 0 10 10\n  }\n }\n}\n");
        auto* lb = h.FindAs<GUI::Listbox>("lb");
        EXPECT_NE(lb, nullptr);
        for (const std::string& t : texts)
            lb->AddItem(std::make_unique<GUI::ListboxTextItem>(std::u16string(t.begin(), t.end())));
        lb->SubscribeEvent(GUI::Listbox::EventSelectionChanged, &m_selection);
        lb->SubscribeEvent(GUI::Listbox::EventListContentsChanged, &m_contents);
        lb->SubscribeEvent(GUI::Listbox::EventSortingModeChanged, &m_sorting);
        return lb;
    }
    static std::string Selected(const GUI::Listbox& lb) {
        std::string s;
        for (int i = 0; i < lb.GetItemCount(); ++i)
            if (lb.GetItem(i)->IsSelected())
                s += char('0' + i);
        return s;
    }
    static std::string Texts(const GUI::Listbox& lb) {
        std::string s;
        for (int i = 0; i < lb.GetItemCount(); ++i) {
            const std::u16string& t = static_cast<GUI::ListboxTextItem*>(lb.GetItem(i))->GetText();
            s += std::string(t.begin(), t.end()) + " ";
        }
        return s;
    }
    // A click on the middle of a visible row.
    void ClickRow(int row, std::initializer_list<uint8_t> keys = {}) {
        Click(h, 150, 100 + row * 10 + 5, keys);
    }

    Counter m_selection, m_contents, m_sorting;
};

} // namespace

TEST_F(ListboxTest, MultiselectClicksFollowTheSelectionRules) {
    GUI::Listbox* lb = Make({"a", "b", "c", "d", "e", "f"}, 60, " Multiselect 1\n");
    ASSERT_TRUE(lb->IsMultiselect());
    struct Step {
        int row;
        std::vector<uint8_t> keys;
        const char* selected;
        int current, anchor, events; // events: SelectionChanged so far
    } steps[] = {
        {1, {}, "1", 1, 1, 1},           {4, {kLShift}, "1234", 4, 1, 2},
        {2, {kLCtrl}, "134", -1, -1, 3}, // unselects and forgets the anchor
        {0, {kLShift}, "0", 0, 0, 4},    // no anchor: the range is the item alone
        {0, {}, "0", 0, 0, 4},           // the only selected item: nothing happens
        {0, {kLCtrl}, "0", 0, 0, 4},     // the last selected item stays
        {5, {kLCtrl}, "05", 5, 5, 5},    {3, {kLShift, kLCtrl}, "035", 3, 3, 6}, // Ctrl wins over Shift
        {5, {}, "5", 5, 5, 7}, // a plain click on one of several selected
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "row " << s.row << " keys " << s.keys.size());
        for (uint8_t k : s.keys)
            h.SetKey(k, true);
        ClickRow(s.row);
        for (uint8_t k : s.keys)
            h.SetKey(k, false);
        h.Frame();
        EXPECT_EQ(Selected(*lb), s.selected);
        EXPECT_EQ(lb->GetCurrentIndex(), s.current);
        EXPECT_EQ(lb->GetAnchorIndex(), s.anchor);
        EXPECT_EQ(m_selection.count, s.events);
    }
    EXPECT_EQ(h.server->GetFocusWidget(), lb);

    // Without multiselect the keys change nothing: every click selects one item.
    lb->SetMultiselect(false);
    ClickRow(2, {kLShift});
    EXPECT_EQ(Selected(*lb), "2");
    ClickRow(4, {kLCtrl});
    EXPECT_EQ(Selected(*lb), "4");
    // The right button selects nothing.
    h.SetCursor(150, 115);
    h.Frame();
    h.SetButton(1, true);
    h.Frame();
    h.SetButton(1, false);
    h.Frame();
    EXPECT_EQ(Selected(*lb), "4");
}

TEST_F(ListboxTest, HitTestAtTheEdges) {
    GUI::Listbox* lb = Make({"a", "b", "c"}, 40, " Bounds 1 1 2 3\n"); // rows 2 + 10 + 3 = 15
    EXPECT_EQ(lb->GetRowHeight(0), 15);
    struct Case {
        int x, y, item;
    } cases[] = {
        {0, 0, 0},   {99, 14, 0}, {0, 15, 1},   {50, 29, 1}, {50, 30, 2},
        {50, 39, 2}, {-1, 5, -1}, {100, 5, -1}, {5, -1, -1}, {5, 40, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lb->HitTest(c.x, c.y), c.item) << c.x << "," << c.y;
    lb->SetScrollOffsets(0, 5); // content 45 high, box 40: the last position
    EXPECT_EQ(lb->GetFirstVisibleIndex(), 0);
    EXPECT_EQ(lb->GetFirstVisibleTop(), -5);
    EXPECT_EQ(lb->HitTest(5, 9), 0);
    EXPECT_EQ(lb->HitTest(5, 10), 1);
    EXPECT_EQ(lb->HitTest(5, 39), 2); // the last row ends exactly at the bottom

    // Past the last item and in an empty list nothing is hit.
    GUI::Listbox short_("short");
    short_.SetAreaRect(0, 0, 50, 50);
    EXPECT_EQ(short_.HitTest(5, 5), -1);
    short_.AddItem(std::make_unique<GUI::ListboxTextItem>(u"a"));
    EXPECT_EQ(short_.HitTest(5, 5), -1); // no font: a row of height 0 is hit by nothing
}

TEST_F(ListboxTest, ScrollingKeepsItsBoundsAndBringsTheClickedRowIntoView) {
    GUI::Listbox* lb = Make({"a", "b", "c", "d", "e", "f"}, 40); // content 60, box 40
    GUI::Scrollbar* sb = lb->GetVerticalScrollbar();
    ASSERT_NE(sb, nullptr);
    EXPECT_FLOAT_EQ(sb->GetDocumentSize(), 60);
    EXPECT_FLOAT_EQ(sb->GetPageSize(), 40);
    EXPECT_FALSE(sb->IsClipByParent());

    struct Case {
        float set, expected;
    } cases[] = {{1000, 20}, {-3, 0}, {7.5f, 7.5f}};
    for (const Case& c : cases) {
        lb->SetScrollOffsets(0, c.set);
        EXPECT_FLOAT_EQ(lb->GetVerticalOffset(), c.expected) << c.set;
        EXPECT_FLOAT_EQ(sb->GetScrollPosition(), c.expected) << c.set;
    }
    EXPECT_EQ(lb->GetFirstVisibleIndex(), 0);
    EXPECT_EQ(lb->GetFirstVisibleTop(), -7);

    // Item 4 is cut at the bottom (rows 33 .. 43 of a 40 high box): a click scrolls it in.
    Click(h, 150, 136);
    EXPECT_EQ(lb->GetCurrentIndex(), 4);
    EXPECT_FLOAT_EQ(lb->GetVerticalOffset(), 10.5f);
    // The first row is cut at the top: a click on it scrolls it in.
    lb->SetScrollOffsets(0, 13);
    EXPECT_EQ(lb->GetFirstVisibleIndex(), 1);
    EXPECT_EQ(lb->GetFirstVisibleTop(), -3);
    Click(h, 150, 101);
    EXPECT_EQ(lb->GetCurrentIndex(), 1);
    EXPECT_EQ(lb->GetFirstVisibleTop(), 0);
    EXPECT_FLOAT_EQ(lb->GetVerticalOffset(), 10);

    // Dragging the scrollbar moves the list.
    sb->SetScrollPosition(20);
    EXPECT_FLOAT_EQ(lb->GetVerticalOffset(), 20);
    EXPECT_EQ(lb->GetFirstVisibleIndex(), 2);

    // Content smaller than the box stays at 0.
    lb->ClearItems();
    lb->SetScrollOffsets(0, 10);
    EXPECT_FLOAT_EQ(lb->GetVerticalOffset(), 0);
}

TEST_F(ListboxTest, MarginsCountWhenAClickedRowIsBroughtIntoView) {
    GUI::Listbox* lb = Make({"a", "b", "c", "d"}, 40, " Bounds 0 0 4 4\n"); // rows of 18
    Click(h, 150, 139);                                                     // row 2: 36 .. 54
    EXPECT_EQ(lb->GetCurrentIndex(), 2);
    EXPECT_FLOAT_EQ(lb->GetVerticalOffset(), 14); // the whole row, bottom margin included
    EXPECT_EQ(lb->HitTest(50, 39), 2);
}

TEST_F(ListboxTest, SortingAndAddingKeepTheCurrentItem) {
    GUI::Listbox* lb = Make({"c", "a", "b"});
    ClickRow(1); // "a"
    EXPECT_EQ(lb->GetCurrentIndex(), 1);

    struct Step {
        const char* sorting;
        const char* order;
        int current, events;
    } steps[] = {
        {"ascend", "a b c ", 0, 1},
        {"ascend", "a b c ", 0, 1}, // the same mode again: no sorting, no event
        {"descend", "c b a ", 2, 2},
        {"Descend", "c b a ", 2, 3}, // not a word it knows: unsorted from now on
    };
    for (const Step& s : steps) {
        lb->BeginFillProperties();
        lb->Set("Sorting", s.sorting);
        lb->EndFillProperties();
        EXPECT_EQ(Texts(*lb), s.order) << s.sorting;
        EXPECT_EQ(lb->GetCurrentIndex(), s.current) << s.sorting;
        EXPECT_EQ(m_sorting.count, s.events) << s.sorting;
    }
    EXPECT_EQ(lb->GetSortingMode(), GUI::Listbox::SORT_NONE);

    // New items go to the end of an unsorted list and to their place in a sorted one.
    EXPECT_EQ(lb->AddItem(std::make_unique<GUI::ListboxTextItem>(u"ab")), 3);
    lb->SetSortingMode(GUI::Listbox::SORT_DESCENDING);
    EXPECT_EQ(Texts(*lb), "c b ab a ");
    EXPECT_EQ(lb->AddItem(std::make_unique<GUI::ListboxTextItem>(u"bb")), 1);
    EXPECT_EQ(Texts(*lb), "c bb b ab a ");
    EXPECT_EQ(lb->GetCurrentIndex(), 4); // still "a"
}

TEST_F(ListboxTest, RemovingItemsGuardsTheCurrentAndAnchorIndices) {
    GUI::Listbox* lb = Make({"a", "b", "c", "d", "e"}, 60, " Multiselect 1\n");
    GUI::Scrollbar* sb = lb->GetVerticalScrollbar();
    EXPECT_EQ(m_contents.count, 0); // counted from after the adds
    ClickRow(1);
    ClickRow(3, {kLCtrl}); // current and anchor 3, selected 1 and 3
    ASSERT_EQ(lb->GetAnchorIndex(), 3);

    lb->RemoveItem(0); // before both: they move down
    EXPECT_EQ(lb->GetCurrentIndex(), 2);
    EXPECT_EQ(lb->GetAnchorIndex(), 2);
    EXPECT_EQ(Selected(*lb), "02");
    EXPECT_EQ(m_contents.count, 1);
    EXPECT_FLOAT_EQ(sb->GetDocumentSize(), 40);

    const int selectionEvents = m_selection.count;
    lb->RemoveItem(2); // the current one: none is current
    EXPECT_EQ(lb->GetCurrentIndex(), -1);
    EXPECT_EQ(lb->GetAnchorIndex(), -1);
    EXPECT_EQ(m_selection.count, selectionEvents + 1); // a selected item went
    lb->RemoveItem(2);                                 // an unselected one
    EXPECT_EQ(m_selection.count, selectionEvents + 1);
    EXPECT_EQ(m_contents.count, 3);

    // A Shift+click after the removals starts a new range from the click.
    ClickRow(1, {kLShift});
    EXPECT_EQ(Selected(*lb), "1");

    LogCapture log;
    lb->RemoveItem(7);
    lb->SetItemSelected(-1, true);
    EXPECT_FALSE(lb->IsItemSelected(9));
    EXPECT_TRUE(log.has("Listbox::RemoveItem - item index 7 is out of range"));
    EXPECT_TRUE(log.has("Listbox::SetItemSelected - item index -1 is out of range"));
    EXPECT_TRUE(log.has("Listbox::IsItemSelected - item index 9 is out of range"));
    EXPECT_EQ(lb->AddItem(nullptr), -1);
    EXPECT_EQ(m_contents.count, 3);

    lb->ClearItems();
    EXPECT_EQ(lb->GetItemCount(), 0);
    EXPECT_EQ(lb->GetCurrentIndex(), -1);
    EXPECT_EQ(m_contents.count, 4);
    EXPECT_FLOAT_EQ(sb->GetDocumentSize(), 0);
    ClickRow(0); // nothing to hit
    EXPECT_EQ(lb->GetSelectedCount(), 0);
}

TEST_F(ListboxTest, DrawsSelectionRowsAndItemsInsideTheBox) {
    GUI::Listbox* lb =
        Make({"a", "b", "c", "d", "e", "f"}, 40, " Bounds 2 0 0 0\n SelectionColor ff0000ff\n");
    lb->SetItemSelected(1, true);
    lb->SetScrollOffsets(0, 5);
    h.Frame();
    const uint32_t black = 0xFF000000u, white = 0xFFFFFFFFu;
    EXPECT_EQ(h.Pixel(150, 99), black);        // above the box: the cut first row is clipped
    EXPECT_EQ(h.Pixel(103, 100), white);       // the rest of "a", 2 pixels in
    EXPECT_EQ(h.Pixel(101, 100), black);       // the left margin
    EXPECT_EQ(h.Pixel(150, 107), 0xFF0000FFu); // the selected row
    EXPECT_EQ(h.Pixel(105, 107), white);       // "b" over it
    EXPECT_EQ(h.Pixel(150, 117), black);       // an unselected row
    EXPECT_EQ(h.Pixel(103, 139), white);       // "e", cut by the bottom
    EXPECT_EQ(h.Pixel(103, 140), black);

    // A fading list box fades its text but not its selection.
    lb->BeginFillProperties();
    lb->Set("Alpha", "0");
    lb->EndFillProperties();
    h.Frame();
    EXPECT_EQ(h.Pixel(103, 100), black);
    EXPECT_EQ(h.Pixel(105, 107), 0xFF0000FFu);

    // A box of size zero draws nothing and hits nothing.
    lb->SetSize(0, 0);
    h.Frame();
    EXPECT_EQ(h.Pixel(105, 107), black);
    EXPECT_EQ(lb->HitTest(0, 0), -1);
}

TEST_F(ListboxTest, MultiClickTimeStillRuns) {
    GUI::Listbox* lb = Make({"a", "b"}, 60, " MultiClick 1\n MultiClickTime 0.3\n");
    Counter doubles;
    lb->SubscribeEvent(GUI::Widget::EventDoubleClick, &doubles);
    // Presses 2 s apart are two single clicks.
    h.SetCursor(150, 105);
    h.Frame();
    for (int i = 0; i < 2; ++i) {
        h.SetButton(0, true);
        h.Frame();
        h.SetButton(0, false);
        h.Frame();
        h.Frame(2.0f);
    }
    EXPECT_EQ(doubles.count, 0);
    // Quick ones are a double click.
    h.SetButton(0, true);
    h.Frame();
    h.SetButton(0, false);
    h.Frame();
    h.SetButton(0, true);
    h.Frame();
    EXPECT_EQ(doubles.count, 1);
}

TEST_F(ListboxTest, WideItemsScrollSidewaysAndAHandlerMayDestroyTheBox) {
    h.LoadScript(
        FontSection(h) +
        "listbox wide\n{\n AreaRect 0 0 100 40\n Font fixed\n scrollbar wide_auto_hscroll\n {\n"
        "  AreaRect 0 40 100 10\n  widget wide_auto_hscroll_auto_thumb\n  {\n   AreaRect 0 0 10 10\n  }\n"
        " }\n}\n");
    auto* lb = h.FindAs<GUI::Listbox>("wide");
    ASSERT_NE(lb, nullptr);
    lb->AddItem(std::make_unique<GUI::ListboxTextItem>(u"abcdefghijklmno")); // 150 wide
    ASSERT_NE(lb->GetHorizontalScrollbar(), nullptr);
    EXPECT_FLOAT_EQ(lb->GetHorizontalScrollbar()->GetDocumentSize(), 150);
    lb->SetScrollOffsets(1000, 0);
    EXPECT_FLOAT_EQ(lb->GetHorizontalOffset(), 50);
    h.Frame();
    EXPECT_EQ(h.Pixel(99, 5), 0xFFFFFFFFu); // the end of the line at the right edge

    // A subscriber that deletes the list box when its selection changes.
    struct Destroyer : GUI::SubscriberInterface {
        GUI::Widget* target = nullptr;
        bool Invoke(const GUI::EventArgs&) override {
            delete target;
            target = nullptr;
            return true;
        }
    } destroyer;
    destroyer.target = lb;
    lb->SubscribeEvent(GUI::Listbox::EventSelectionChanged, &destroyer);
    Click(h, 50, 5);
    EXPECT_EQ(destroyer.target, nullptr);
    EXPECT_EQ(h.Find("wide"), nullptr);
    h.Frame();
}
