// Menu widgets built from a script: their type names, and that they behave
// exactly like plain widgets.

#include "mirel/gui/listbox/w3_support.h"

using namespace w3test;

TEST(Menus, TypeNamesAndKinds) {
    struct Case {
        std::unique_ptr<GUI::Widget> widget;
        const char* type;
        bool menuBase;
    };
    Case cases[] = {
        {std::make_unique<GUI::MainMenu>("m"), "MainMenu", true},
        {std::make_unique<GUI::PopupMenu>("p"), "PopupMenu", true},
        {std::make_unique<GUI::MenuItem>("i"), "MenuItem", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.widget->GetType(), c.type);
        EXPECT_TRUE(c.widget->IsKindOf(c.type));
        EXPECT_EQ(c.widget->IsKindOf("MenuBase"), c.menuBase) << c.type;
        EXPECT_FALSE(c.widget->IsKindOf("Widget"));
        EXPECT_FALSE(c.widget->IsKindOf("mainmenu")); // kinds compare exactly
    }
}

TEST(Menus, ItemsInAScriptAreClickedLikeWidgets) {
    RegisterTypes();
    GuiHarness h;
    h.LoadScript(
        "mainmenu bar\n{\n AreaRect 0 0 200 20\n popupmenu file\n {\n  AreaRect 0 20 100 60\n"
        "  menuitem open\n  {\n   AreaRect 0 0 100 20\n  }\n  menuitem quit\n  {\n   AreaRect 0 20 100 20\n"
        "  }\n }\n}\n");
    ASSERT_NE(h.FindAs<GUI::MainMenu>("bar"), nullptr);
    ASSERT_NE(h.FindAs<GUI::PopupMenu>("file"), nullptr);
    auto* quit = h.FindAs<GUI::MenuItem>("quit");
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->GetAbsoluteY(), 40);
    Counter clicks;
    quit->SubscribeEvent(GUI::Widget::EventClick, &clicks);
    Click(h, 50, 45);
    EXPECT_EQ(clicks.count, 1);
    Click(h, 50, 25); // "open"
    EXPECT_EQ(clicks.count, 1);
}
