// The widget base against a fake server: property values, geometry and
// anchors, drawing order, hit search, clicks, hotkeys, fades, clipping and
// what a dying widget leaves behind.

#include "widget_fixture.h"

#include "content/content_writers.h"
#include "mirel/gui/gui_keys.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/platform/window/a_platform_input.h"

using namespace widgettest;
using GUI::Widget;

namespace {

// A region whose left half of a w x h mask is inside.
std::unique_ptr<GUI::Region> LeftHalfRegion(uint32_t w, uint32_t h) {
    std::vector<uint8_t> mask(w * h, 0);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w / 2; ++x)
            mask[y * w + x] = 1;
    content::Bytes file = content::writeBmp1(w, h, mask);
    auto r = std::make_unique<GUI::Region>();
    EXPECT_TRUE(r->LoadFromMemory(file.data(), file.size(), "half.bmp"));
    if (!r->HitTest(0, 0)) { // the file's other colour is the inside one
        for (auto& m : mask)
            m = !m;
        file = content::writeBmp1(w, h, mask);
        EXPECT_TRUE(r->LoadFromMemory(file.data(), file.size(), "half.bmp"));
    }
    EXPECT_TRUE(r->HitTest(0, 0));
    EXPECT_FALSE(r->HitTest(int32_t(w) - 1, 0));
    return r;
}

} // namespace

TEST_F(WidgetFixture, PropertyValues) {
    aLocaleServer locale;
    const std::string strings = "menu.play = \"Play now\"\n";
    locale.parseBuffer("test.loc", strings.data(), strings.size());

    Widget parent("parent");
    Widget w("w");
    parent.AddChild(&w);
    EventLog log;
    log.Watch(w, {"Moved", "Sized", "Hide", "Show"});

    // Two numbers: the rest of the rectangle is 0, written without events.
    Fill(w, {{"AreaRect", "10 20"}});
    EXPECT_EQ(w.GetAreaRect(), aRect(10, 20, 0, 0));
    Fill(w, {{"AreaRect", "1 2 3 4 5"}});
    EXPECT_EQ(w.GetAreaRect(), aRect(1, 2, 3, 4));
    Fill(w, {{"AreaRect", "7,8"}}); // a bad separator ends the numbers
    EXPECT_EQ(w.GetAreaRect(), aRect(7, 0, 0, 0));
    EXPECT_EQ(log.Joined(), "");

    // Booleans are integers: the word true reads as 0.
    Fill(w, {{"Visible", "true"}});
    EXPECT_FALSE(w.IsVisible(true));
    Fill(w, {{"Visible", "1"}});
    EXPECT_TRUE(w.IsVisible(true));
    Fill(w, {{"Visible", "  -3"}});
    EXPECT_TRUE(w.IsVisible(true)); // unchanged: no second Show
    EXPECT_EQ(log.Joined(), "Hide Show");

    struct Align {
        const char* h;
        const char* v;
        GUI::HorizontalAlignment ha;
        GUI::VerticalAlignment va;
    } aligns[] = {
        {"CENTER", "Bottom", GUI::HA_CENTER, GUI::VA_BOTTOM},
        {"right", "center", GUI::HA_RIGHT, GUI::VA_CENTER},
        {"middle", "", GUI::HA_LEFT, GUI::VA_TOP},
        {"left", "top", GUI::HA_LEFT, GUI::VA_TOP},
    };
    for (const Align& a : aligns) {
        Fill(w, {{"HorizontalAlign", a.h}, {"VerticalAlign", a.v}});
        EXPECT_EQ(w.GetHorizontalAlign(), a.ha) << a.h;
        EXPECT_EQ(w.GetVerticalAlign(), a.va) << a.v;
    }

    // Text: a locale key gives its text, anything else is shown as it stands.
    Fill(w, {{"Text", "menu.play"}});
    EXPECT_EQ(w.GetText(), u"Play now");
    Fill(w, {{"Text", "menu.missing \xD0\x96"}});
    EXPECT_EQ(w.GetText(), u"menu.missing \u0416");

    // Numbers: "%i" takes hex and octal, a bad number reads as 0.
    Fill(w, {{"Tag", "0x10"}, {"FadeInTime", "0.25"}, {"FadeOutTime", "abc"}, {"Alpha", "nan"}});
    EXPECT_EQ(w.GetTag(), 16);
    EXPECT_FLOAT_EQ(w.GetFadeInTime(), 0.25f);
    EXPECT_EQ(w.GetFadeOutTime(), 0.0f);
    EXPECT_EQ(w.GetAlpha(true), 0.0f);
    Fill(w, {{"Tag", "010"}, {"Cursor", "hand"}, {"Hotkey", "ctrl s"}});
    EXPECT_EQ(w.GetTag(), 8);
    EXPECT_EQ(w.GetCursorName(), "hand");
    EXPECT_EQ(w.GetHotkey(), A_KEY_S);
    EXPECT_EQ(w.GetHotkeyModifiers(), GUI::MOD_CTRL);

    // A fill without Set applies nothing, property names ignore case.
    Fill(w, {});
    EXPECT_EQ(w.GetTag(), 8);
    Fill(w, {{"tag", "5"}});
    EXPECT_EQ(w.GetTag(), 5);

    // Names the server lacks give null.
    Fill(w, {{"Region", "nowhere"}, {"Font", "nofont"}});
    EXPECT_EQ(w.GetRegion(), nullptr);
    EXPECT_EQ(w.GetFont(true), nullptr);
}

TEST_F(WidgetFixture, FontAndAlphaComeFromAncestors) {
    Widget root("root"), mid("mid"), leaf("leaf");
    root.AddChild(&mid);
    mid.AddChild(&leaf);
    aFont* font = reinterpret_cast<aFont*>(&host); // only compared, never used
    host.fonts["big"] = font;
    Fill(root, {{"Font", "big"}, {"Alpha", "0.5"}});
    Fill(mid, {{"FontSize", "0"}, {"Alpha", "0.5"}});
    Fill(leaf, {{"FontSize", "0"}});
    EXPECT_EQ(leaf.GetFont(), font);
    EXPECT_EQ(leaf.GetFont(true), nullptr);
    EXPECT_EQ(leaf.GetFontSize(), 1.0f); // the root's default ends the walk
    EXPECT_EQ(leaf.GetFontSize(true), 0.0f);
    EXPECT_FLOAT_EQ(leaf.GetAlpha(), 0.25f);
    Fill(mid, {{"InheritsAlpha", "0"}});
    EXPECT_FLOAT_EQ(leaf.GetAlpha(), 0.5f);

    EventLog log;
    log.Watch(leaf, {"FontChanged"});
    leaf.SetFontSize(0.0f); // same size: nothing
    leaf.SetFontSize(2.0f);
    leaf.SetFont(nullptr); // a font is always announced
    EXPECT_EQ(log.events.size(), 2u);
}

TEST_F(WidgetFixture, AnchorsAndScreenPositions) {
    Widget root("root"), parent("parent"), child("child");
    root.AddChild(&parent);
    parent.AddChild(&child);
    root.SetAreaRect(0, 0, 1024, 768);
    parent.SetAreaRect(100, 50, 101, 41);

    struct Case {
        const char* h;
        const char* v;
        int x, y;
    } cases[] = {
        {"left", "top", 5, 6},
        {"center", "center", 5 + 50, 6 + 20}, // integer halving of 101 and 41
        {"right", "bottom", 5 + 101, 6 + 41},
    };
    for (const Case& c : cases) {
        Fill(child, {{"AreaRect", "5 6 10 10"}, {"HorizontalAlign", c.h}, {"VerticalAlign", c.v}});
        EXPECT_EQ(child.GetX(), c.x) << c.h;
        EXPECT_EQ(child.GetY(), c.y) << c.v;
        EXPECT_EQ(child.GetAbsoluteX(), 100 + c.x);
        EXPECT_EQ(child.GetAbsoluteY(), 50 + c.y);
    }
    // Without a parent the alignment means nothing.
    Fill(root, {{"HorizontalAlign", "right"}});
    EXPECT_EQ(root.GetX(), 0);
}

TEST_F(WidgetFixture, SetAreaRectEventsAndLimits) {
    Recorder w("w");
    EventLog log;
    log.Watch(w, {"Moved", "Sized"});
    w.SetAreaRect(0, 0, 1, 1); // the defaults: nothing changes
    EXPECT_EQ(log.Joined(), "");
    w.SetAreaRect(3, 4, 20, 30);
    EXPECT_EQ(log.Joined(), "Moved Sized");
    log.events.clear();
    w.SetSize(20, 31);
    w.SetY(9);
    w.SetPosition(3, 9);
    EXPECT_EQ(log.Joined(), "Sized Moved");

    w.SetLimits(10, 50, 5, 0);
    w.SetSize(2, 2);
    EXPECT_EQ(w.GetAreaRect(), aRect(3, 9, 10, 5));
    w.SetSize(500, 500);
    EXPECT_EQ(w.GetAreaRect(), aRect(3, 9, 50, 500)); // a maximum of 0 is no limit
}

TEST_F(WidgetFixture, DrawingOrderAndAlwaysOnTop) {
    Widget root("root");
    Widget top("top"), a("a"), b("b"), c("c");
    Fill(top, {{"AlwaysOnTop", "1"}});
    root.AddChild(&top);
    root.AddChild(&a);
    root.AddChild(&b);
    root.AddChild(&c);
    auto order = [&] {
        std::string s;
        for (Widget* w : root.GetDrawOrder())
            s += w->GetName() + " ";
        return s;
    };
    EXPECT_EQ(order(), "a b c top ");
    a.MoveToFront();
    EXPECT_EQ(order(), "b c a top ");

    // Rise moves each ancestor that rises on click, and only those.
    Widget inner("inner");
    b.AddChild(&inner);
    Fill(b, {{"RiseOnClick", "1"}});
    inner.Rise();
    EXPECT_EQ(order(), "c a b top ");

    // Creation order is kept apart from drawing order; re-adding moves a child.
    EXPECT_EQ(root.GetChildren().front(), &top);
    c.SetParent(&a);
    EXPECT_EQ(c.GetParent(), &a);
    EXPECT_EQ(order(), "a b top ");
    EXPECT_EQ(root.FindChild("C"), nullptr);
    EXPECT_EQ(root.FindChild("C", true), &c);
    c.SetParent(nullptr);
    EXPECT_EQ(a.GetChildCount(), 0u);
}

TEST_F(WidgetFixture, TreesStayWithinTheirDepthAndHaveNoCycles) {
    LogCapture log;
    Widget root("root");
    std::vector<std::unique_ptr<Widget>> chain;
    Widget* parent = &root;
    for (size_t i = 0; i < Widget::kMaxTreeDepth; ++i) {
        chain.push_back(std::make_unique<Widget>("w" + std::to_string(i)));
        ASSERT_TRUE(parent->AddChild(chain.back().get())) << i;
        chain.back()->SetAreaRect(0, 0, 10, 10);
        parent = chain.back().get();
    }
    EXPECT_TRUE(log.lines.empty());
    Widget extra("extra");
    EXPECT_FALSE(parent->AddChild(&extra));
    EXPECT_EQ(extra.GetParent(), nullptr);
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"GUI::Widget::AddChild - 'extra' under 'w99' would nest the "
                                        "tree deeper than 100 levels, not added"}));
    root.SetAreaRect(0, 0, 10, 10);
    EXPECT_EQ(root.FindWidgetAt(5, 5, true, true), parent); // the deepest widget, found without trouble

    // A subtree counts with its own levels: w50 and below cannot move under w60.
    log.clear();
    EXPECT_FALSE(chain[60]->AddChild(chain[50].get()));
    EXPECT_EQ(chain[50]->GetParent(), chain[49].get());
    // Nor may a widget become its own descendant.
    Widget top("top"), mid("mid"), low("low");
    top.AddChild(&mid);
    mid.AddChild(&low);
    EXPECT_FALSE(low.AddChild(&top));
    EXPECT_FALSE(mid.AddChild(&mid));
    EXPECT_EQ(top.GetParent(), nullptr);
    EXPECT_EQ(log.lines.back(), "GUI::Widget::AddChild - 'top' is an ancestor of 'low', not added");
    // Moving the lower half up to the root leaves room below it again.
    EXPECT_TRUE(root.AddChild(chain[50].get()));
    EXPECT_TRUE(parent->AddChild(&extra));
    extra.SetParent(nullptr);
    chain[50]->SetParent(nullptr);
}

TEST_F(WidgetFixture, RecursiveFindFromTheRootSeesEveryChange) {
    Widget root("root");
    auto a = std::make_unique<Widget>("a");
    auto dupDeep = std::make_unique<Widget>("Dup");
    auto b = std::make_unique<Widget>("b");
    auto dupShallow = std::make_unique<Widget>("dup");
    root.AddChild(a.get());
    a->AddChild(dupDeep.get());
    root.AddChild(b.get());
    b->AddChild(dupShallow.get());
    // Each child before its own children, children in creation order.
    EXPECT_EQ(root.FindChild("DUP", true), dupDeep.get());
    EXPECT_EQ(root.FindChild("a", true), a.get());
    EXPECT_EQ(root.FindChild("root", true), nullptr);
    EXPECT_EQ(b->FindChild("dup", true), dupShallow.get());

    dupDeep.reset(); // a deleted widget leaves the index
    EXPECT_EQ(root.FindChild("dup", true), dupShallow.get());
    auto late = std::make_unique<Widget>("late");
    dupShallow->AddChild(late.get());
    EXPECT_EQ(root.FindChild("LATE", true), late.get());
    b->RemoveChild(dupShallow.get()); // a removed subtree goes with it
    EXPECT_EQ(root.FindChild("dup", true), nullptr);
    EXPECT_EQ(root.FindChild("late", true), nullptr);
    EXPECT_EQ(dupShallow->FindChild("late", true), late.get()); // now a root of its own
    a->AddChild(dupShallow.get());
    EXPECT_EQ(root.FindChild("late", true), late.get());
    EXPECT_EQ(dupShallow->FindChild("late", true), late.get());
}

TEST_F(WidgetFixture, FindWidgetAt) {
    Widget root("root");
    root.SetAreaRect(0, 0, 100, 100);
    Widget back("back"), panel("panel"), inner("inner");
    root.AddChild(&back);
    root.AddChild(&panel);
    panel.AddChild(&inner);
    back.SetAreaRect(0, 0, 100, 100);
    panel.SetAreaRect(10, 10, 40, 40);
    inner.SetAreaRect(30, 30, 30, 30); // sticks out of the panel to 70, 70

    EXPECT_EQ(root.FindWidgetAt(45, 45, true, true), &inner);
    EXPECT_EQ(root.FindWidgetAt(45, 45, false, true), &panel);
    EXPECT_EQ(root.FindWidgetAt(60, 60, true, true), &back); // cut off by the panel
    Fill(inner, {{"ClipByParent", "0"}});
    EXPECT_EQ(root.FindWidgetAt(60, 60, true, true), &inner);
    EXPECT_EQ(root.FindWidgetAt(200, 200, true, true), nullptr);

    Fill(panel, {{"Static", "1"}});
    EXPECT_EQ(root.FindWidgetAt(20, 20, true, true), &back);
    EXPECT_EQ(root.FindWidgetAt(20, 20, true, false), &panel);
    Fill(panel, {{"Static", "0"}, {"Visible", "0"}});
    EXPECT_EQ(root.FindWidgetAt(45, 45, true, true), &back); // hidden with its subtree
    Fill(panel, {{"Visible", "1"}});

    // A modal child hides everything below it, even where it does not cover.
    Fill(panel, {{"Modal", "1"}});
    EXPECT_EQ(root.FindWidgetAt(5, 5, true, true), nullptr);
    EXPECT_EQ(root.FindWidgetAt(20, 20, true, true), &panel);
    Fill(panel, {{"Visible", "0"}}); // a hidden modal one blocks nothing
    EXPECT_EQ(root.FindWidgetAt(5, 5, true, true), &back);
    Fill(panel, {{"Visible", "1"}, {"Modal", "0"}});

    // A region decides inside the rectangle, scaled to the widget's size.
    host.regions["half"] = LeftHalfRegion(8, 4);
    Fill(panel, {{"Region", "half"}});
    EXPECT_EQ(root.FindWidgetAt(12, 20, false, true), &panel);
    EXPECT_EQ(root.FindWidgetAt(40, 20, false, true), &back);
    EXPECT_TRUE(panel.IsPointInside(19, 39));
    EXPECT_FALSE(panel.IsPointInside(20, 0));

    // A region child cut by its parent keeps its mask where it is drawn.
    Widget pane("pane");
    back.AddChild(&pane);
    pane.SetAreaRect(-20, 60, 40, 20); // only its right half, 0..20, lies inside back
    Fill(pane, {{"Region", "half"}});
    EXPECT_EQ(back.FindWidgetAt(5, 65, false, true), nullptr); // right half of the mask: outside
    pane.SetAreaRect(-10, 60, 40, 20);
    EXPECT_EQ(back.FindWidgetAt(5, 65, false, true), &pane);

    // A widget of zero size contains nothing.
    Widget flat("flat");
    flat.SetAreaRect(0, 0, 0, 10);
    EXPECT_FALSE(flat.IsPointInside(0, 0));
}

TEST_F(WidgetFixture, MultiClickSequences) {
    Widget w("w");
    w.SetAreaRect(0, 0, 10, 10);
    Fill(w, {{"MultiClick", "1"}, {"MultiClickTime", "0.3"}});
    EventLog log;
    log.Watch(w, {"Click", "DoubleClick", "TripleClick"});
    auto press = [&](float wait, bool move = false) {
        w.Update(wait);
        if (move) {
            auto m = Mouse(&w, 3, 1, 1);
            m.dx = 1;
            w.OnMouseMove(m);
        }
        auto down = Mouse(&w, 0, 1, 1);
        w.OnMouseDown(down);
        auto up = Mouse(&w, 0, 1, 1);
        w.OnMouseUp(up);
    };
    press(1.0f);
    press(0.2f);
    press(0.2f);
    EXPECT_EQ(log.Joined(), "Click DoubleClick TripleClick");
    log.events.clear();
    press(0.2f);       // a fourth press starts again
    press(0.2f, true); // so does a move between presses
    press(0.2f);
    press(0.4f); // and a late press
    EXPECT_EQ(log.Joined(), "Click Click DoubleClick Click");

    // Without multi click every press and release inside is a click.
    Fill(w, {{"MultiClick", "0"}});
    log.events.clear();
    press(0.1f);
    press(0.1f);
    EXPECT_EQ(log.Joined(), "Click Click");
}

TEST_F(WidgetFixture, ClicksNeedTheLeftButtonAndAReleaseInside) {
    Widget w("w");
    w.SetAreaRect(0, 0, 8, 4);
    host.regions["half"] = LeftHalfRegion(8, 4);
    EventLog log;
    log.Watch(w, {"MouseDown", "MouseUp", "Click"});

    auto r1 = Mouse(&w, 1, 1, 1);
    w.OnMouseDown(r1);
    w.OnMouseUp(r1);
    EXPECT_EQ(log.Joined(), "MouseDown MouseUp");

    Fill(w, {{"Region", "half"}});
    log.events.clear();
    auto in = Mouse(&w, 0, 1, 1), out = Mouse(&w, 0, 6, 1);
    w.OnMouseDown(in);
    w.OnMouseUp(out);
    w.OnMouseDown(in);
    w.OnMouseUp(in);
    EXPECT_EQ(log.Joined(), "MouseDown MouseUp MouseDown MouseUp Click");
    // Every press asks for the focus, which a plain widget is refused.
    EXPECT_EQ(host.focusRequests.size(), 3u);
    EXPECT_EQ(host.focus, nullptr);
}

TEST_F(WidgetFixture, HotkeysFollowDrawingOrderAndModality) {
    Widget root("root");
    Widget a("a"), b("b"), dialog("dialog"), ok("ok");
    root.AddChild(&a);
    root.AddChild(&b);
    root.AddChild(&dialog);
    dialog.AddChild(&ok);
    Fill(a, {{"Hotkey", "ctrl s"}});
    Fill(b, {{"Hotkey", "ctrl|shift|s"}});
    Fill(ok, {{"Hotkey", "enter"}});
    EventLog la, lb, lok;
    la.Watch(a, {"Click"});
    lb.Watch(b, {"Click"});
    lok.Watch(ok, {"Click"});

    const uint32_t capsNumScroll = GUI::MOD_CAPSLOCK | GUI::MOD_NUMLOCK | GUI::MOD_SCROLLLOCK;
    EXPECT_TRUE(root.HandleHotkey(A_KEY_S, GUI::MOD_CTRL | capsNumScroll));
    EXPECT_TRUE(root.HandleHotkey(A_KEY_S, GUI::MOD_CTRL | GUI::MOD_SHIFT));
    EXPECT_FALSE(root.HandleHotkey(A_KEY_S, 0));
    EXPECT_EQ(la.events.size(), 1u);
    EXPECT_EQ(lb.events.size(), 1u);

    // Hidden or disabled subtrees take no hotkeys.
    Fill(dialog, {{"Enabled", "0"}});
    EXPECT_FALSE(root.HandleHotkey(A_KEY_RETURN, 0));
    Fill(dialog, {{"Enabled", "1"}, {"Visible", "0"}});
    EXPECT_FALSE(root.HandleHotkey(A_KEY_RETURN, 0));
    Fill(dialog, {{"Visible", "1"}});
    EXPECT_TRUE(root.HandleHotkey(A_KEY_RETURN, 0));
    EXPECT_EQ(lok.events.size(), 1u);

    // A visible modal dialog keeps the hotkeys of everything below it.
    Fill(dialog, {{"Modal", "1"}});
    EXPECT_FALSE(root.HandleHotkey(A_KEY_S, GUI::MOD_CTRL));
    EXPECT_TRUE(root.HandleHotkey(A_KEY_RETURN, 0));
    Fill(dialog, {{"Enabled", "0"}}); // disabled, it still blocks
    EXPECT_FALSE(root.HandleHotkey(A_KEY_S, GUI::MOD_CTRL));
    EXPECT_EQ(la.events.size(), 1u);
}

TEST_F(WidgetFixture, HoverFade) {
    Widget w("w");
    Fill(w, {{"FadeInTime", "0.5"}, {"FadeOutTime", "0.25"}});
    auto e = Mouse(&w, 3);
    w.OnMouseEnter(e);
    EXPECT_TRUE(w.IsHovered());
    w.Update(0.2f);
    EXPECT_NEAR(w.GetHoverFactor(), 0.4f, 1e-6);
    w.Update(0.4f);
    EXPECT_EQ(w.GetHoverFactor(), 1.0f);
    w.OnMouseLeave(e);
    w.Update(0.125f);
    EXPECT_NEAR(w.GetHoverFactor(), 0.5f, 1e-6);
    w.Update(1.0f);
    EXPECT_EQ(w.GetHoverFactor(), 0.0f);

    Fill(w, {{"FadeInTime", "0"}, {"FadeOutTime", "0"}});
    w.OnMouseEnter(e);
    w.Update(0.001f);
    EXPECT_EQ(w.GetHoverFactor(), 1.0f);
    w.OnMouseLeave(e);
    w.Update(0.001f);
    EXPECT_EQ(w.GetHoverFactor(), 0.0f);
}

TEST_F(WidgetFixture, RenderOrderAndClipping) {
    StartGraph(64, 64);
    Journal j;
    Recorder root("root", &j), panel("panel", &j), a("a", &j), free("free", &j), b("b", &j), top("top", &j);
    root.SetAreaRect(0, 0, 64, 64);
    root.AddChild(&panel);
    panel.SetAreaRect(10, 10, 20, 20);
    Fill(top, {{"AlwaysOnTop", "1"}});
    panel.AddChild(&top);
    panel.AddChild(&a);
    panel.AddChild(&free);
    panel.AddChild(&b);
    Fill(free, {{"ClipByParent", "0"}});
    Fill(panel, {{"NotifyRender", "1"}});
    EventLog log;
    log.Watch(panel, {"BeginRender", "EndRender"});

    root.Render();
    const std::vector<std::string> expected = {
        "root 0,0,64,64", "panel 0,0,64,64", "a 10,10,20,20",
        "free 0,0,64,64", "b 10,10,20,20",   "top 10,10,20,20",
    };
    EXPECT_EQ(j.lines, expected);
    EXPECT_EQ(log.Joined(), "BeginRender EndRender");
    EXPECT_EQ(graph->getViewport(), aRect(0, 0, 64, 64)); // restored

    // The rasterizer clips to the same rectangles: a clipped child that
    // clears fills only its parent's area, an unclipped one the screen.
    j.lines.clear();
    graph->getDevice()->clear(A_CLEAR_TARGET, 0xFF000000u);
    a.fill = 0xFFFF0000u;
    root.Render();
    auto px = [&](uint32_t x, uint32_t y) { return graph->getDevice()->backPixel(x, y); };
    EXPECT_EQ(px(10, 10), 0xFFFF0000u);
    EXPECT_EQ(px(29, 29), 0xFFFF0000u);
    EXPECT_EQ(px(30, 29), 0xFF000000u);
    EXPECT_EQ(px(9, 10), 0xFF000000u);
    a.fill = 0;
    free.fill = 0xFF00FF00u;
    root.Render();
    EXPECT_EQ(px(0, 0), 0xFF00FF00u);
    EXPECT_EQ(px(63, 63), 0xFF00FF00u);
    free.fill = 0;

    // A panel outside the screen leaves nothing to clip to: its clipped
    // children are not drawn, unclipped ones still are.
    j.lines.clear();
    panel.SetPosition(100, 100);
    root.Render();
    EXPECT_EQ(j.lines, (std::vector<std::string>{"root 0,0,64,64", "panel 0,0,64,64", "free 0,0,64,64"}));

    // Hidden widgets draw nothing, their subtrees neither.
    j.lines.clear();
    panel.SetPosition(10, 10);
    panel.SetVisible(false);
    root.Render();
    EXPECT_EQ(j.lines, (std::vector<std::string>{"root 0,0,64,64"}));
}

TEST_F(WidgetFixture, DestructionLeavesNoDanglingPointers) {
    Widget root("root");
    auto* owned = new Widget("owned");
    auto* loose = new Widget("loose");
    auto* grandchild = new Widget("grandchild");
    owned->SetOwnedByParent(true);
    grandchild->SetOwnedByParent(true);
    owned->AddChild(grandchild);
    {
        auto* parent = new Widget("parent");
        root.AddChild(parent);
        parent->AddChild(owned);
        parent->AddChild(loose);
        Fill(*parent, {{"SoundClick", "click.wav"}, {"SoundMove", "move.wav"}});
        Fill(*parent, {{"SoundClick", "other.wav"}}); // the first one goes back now
        EXPECT_EQ(host.liveSounds.size(), 2u);
        delete parent;
    }
    EXPECT_EQ(root.GetChildCount(), 0u); // a deleted child leaves its parent
    EXPECT_TRUE(host.liveSounds.empty());
    EXPECT_EQ(loose->GetParent(), nullptr);
    EXPECT_EQ(host.forgotten.size(), 3u); // grandchild, owned, parent
    delete loose;

    // A subscriber that dies first disconnects; the widget fires on safely.
    Widget w("w");
    {
        EventLog log;
        log.Watch(w, {"Click"});
    }
    auto e = Mouse(&w, 0);
    w.OnClick(e);

    // A handler may destroy the widget it was called by.
    auto* victim = new Widget("victim");
    victim->SetAreaRect(0, 0, 10, 10);
    struct Killer : GUI::SubscriberInterface {
        Widget* target;
        bool Invoke(const GUI::EventArgs&) override {
            delete target;
            return true;
        }
    } killer;
    killer.target = victim;
    victim->SubscribeEvent("MouseDown", &killer);
    std::weak_ptr<const bool> life = victim->GetLifeToken();
    auto down = Mouse(victim, 0, 1, 1);
    victim->OnMouseDown(down);
    EXPECT_TRUE(life.expired());

    // A child's update may destroy a later sibling: the walk skips it.
    struct Closer : Widget {
        using Widget::Widget;
        Widget* target = nullptr;
        void Update(float dt) override {
            Widget::Update(dt);
            delete target;
            target = nullptr;
        }
    };
    Widget box("box");
    auto* closer = new Closer("closer");
    auto* doomed = new Widget("doomed");
    closer->target = doomed;
    box.AddChild(closer);
    box.AddChild(doomed);
    box.Update(0.1f);
    box.Render();
    EXPECT_EQ(box.GetChildCount(), 1u);
    delete closer;
}

TEST_F(WidgetFixture, RemovingAllChildrenSurvivesChildrenThatDeleteSiblings) {
    // An owned child whose destruction takes a later sibling with it: each
    // is deleted once; a loose child is only let go.
    struct Taker : Widget {
        using Widget::Widget;
        Widget* also = nullptr;
        ~Taker() override { delete also; }
    };
    auto* parent = new Widget("parent");
    auto* first = new Taker("first");
    auto* second = new Widget("second");
    auto* third = new Widget("third");
    Widget loose("loose");
    for (Widget* w : {static_cast<Widget*>(first), second, third}) {
        w->SetOwnedByParent(true);
        parent->AddChild(w);
    }
    parent->AddChild(&loose);
    first->also = third;
    host.forgotten.clear();
    delete parent; // the leak and use checkers see any mistake
    EXPECT_EQ(loose.GetParent(), nullptr);
    EXPECT_EQ(host.forgotten.size(), 4u); // parent, first, third, second
}

TEST_F(WidgetFixture, WithoutAHostEverythingIsHarmless) {
    GUI::SetWidgetHost(nullptr);
    Widget root("root"), w("w");
    root.AddChild(&w);
    Fill(w, {{"Font", "f"}, {"Region", "r"}, {"SoundClick", "s"}, {"AreaRect", "0 0 5 5"}});
    EXPECT_EQ(w.GetClickSound(), nullptr);
    auto e = Mouse(&w, 0, 1, 1);
    w.OnMouseMove(e);
    w.OnMouseDown(e);
    w.OnMouseUp(e);
    root.Render();
}

TEST_F(WidgetFixture, FormattedTextTakesFormatsFromData) {
    Widget w("w");
    EventLog log;
    log.Watch(w, {"TextChanged"});
    w.SetTextFormatted(u"%d of %d found", {3, 12});
    EXPECT_EQ(w.GetText(), u"3 of 12 found");
    LogCapture capture;
    w.SetTextFormatted(u"%s%s%n %d", {7}); // a format from a bad data file
    EXPECT_FALSE(w.GetText().empty());
    EXPECT_EQ(log.events.size(), 2u);
}

TEST_F(WidgetFixture, InitializeAndTypeNames) {
    Widget w("w");
    EXPECT_EQ(w.GetType(), "Widget");
    EXPECT_FALSE(w.IsKindOf("Widget"));
    GUI::WidgetEventArgs e;
    e.widget = &w;
    w.OnFocusGain(e);
    auto down = Mouse(&w, 0);
    w.OnMouseDown(down);
    EXPECT_TRUE(w.IsFocused());
    EXPECT_EQ(w.GetClickCount(), 1);
    w.Initialize();
    EXPECT_FALSE(w.IsFocused());
    EXPECT_EQ(w.GetClickCount(), 0);
    EXPECT_FLOAT_EQ(w.GetMultiClickTime(), 0.5f); // the system's double-click time
}
