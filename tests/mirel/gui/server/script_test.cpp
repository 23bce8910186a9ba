#include "recording_widget.h"
#include "support/gui_harness.h"
#include "support/log_capture.h"

#include "mirel/gui/gui_mousecursor.h"
#include "mirel/gui/gui_region.h"
#include "mirel/gui/gui_style.h"

#include <gtest/gtest.h>

using guitest::GuiFixture;

namespace {

class ScriptTest : public GuiFixture {
protected:
    void SetUp() override {
        guitest::RecWidget::Register();
        guitest::Journal().clear();
        h.AddImage("pic", content::Picture(30, 30, 0xFF808080));
    }
    LogCapture log;
};

} // namespace

TEST_F(ScriptTest, SectionsOfEveryKindWithTemplatesDefinesAndIncludes) {
    h.WriteFile("hole.bmp", content::writeBmp1(4, 4, std::vector<uint8_t>(16, 1)));
    h.WriteFile("more.agui", "widget fromInclude\n{\n Tag 44\n}\n");
    h.LoadScript("#define WIDE \"40\"\n"
                 "fontlist\n{\n small " +
                 h.dir +
                 "missing.fnt\n}\n"
                 "regionlist\n{\n hole " +
                 h.dir +
                 "hole.bmp\n hole other.bmp\n}\n"
                 "style frame\n{\n Image pic\n AutoSlice all\n FillType stretch\n}\n"
                 "style frame\n{\n FillType tile\n}\n"
                 "cursor hand\n{\n Image pic\n NumFrames 2\n FrameSize 4 4\n}\n"
                 "template big\n{\n AreaRect 1 2 $WIDE$ 30\n Tag 5\n}\n"
                 "template tagged\n{\n Tag 7\n}\n"
                 "widget panel <big>\n{\n Tag 9\n"
                 " widget\n {\n  Tag 1\n }\n"
                 " widget inner <tagged> <big>\n {\n }\n"
                 " widget twice\n {\n  Tag 3\n  Tag 4\n }\n"
                 "}\n"
                 "widget x <tagged>\n{\n}\n"
                 "widget plain bad <nope>\n{\n}\n"
                 "#include \"" +
                 h.dir + "more.agui\"\n");

    GUI::Server& s = *h.server;
    EXPECT_NE(s.GetFont("SMALL"), nullptr);
    ASSERT_NE(s.GetRegion("Hole"), nullptr);
    EXPECT_TRUE(s.GetRegion("hole")->HitTest(3, 3));
    EXPECT_TRUE(log.has("Server - region with name 'hole' already exists"));
    ASSERT_NE(s.GetStyle("frame"), nullptr);
    EXPECT_EQ(s.GetStyle("frame")->GetFillType(),
              GUI::Style::FILL_STRETCH); // the second section changed nothing
    EXPECT_EQ(log.count("Server - style 'frame' already exists"), 1u);
    ASSERT_NE(s.GetMouseCursor("hand"), nullptr);
    EXPECT_EQ(s.GetMouseCursor("hand")->GetAnim().getFrameCount(), 2);

    GUI::Widget* panel = h.Find("panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetParent(), h.Root());
    EXPECT_EQ(panel->GetTag(), 9); // the own line wins over the template
    EXPECT_EQ(panel->GetAreaRect(), aRect(1, 2, 40, 30));
    ASSERT_EQ(panel->GetChildCount(), 3u);
    EXPECT_EQ(panel->GetChildren()[0]->GetName(), "auto0000");
    EXPECT_EQ(panel->GetChildren()[0]->GetTag(), 1);
    EXPECT_EQ(h.Find("inner")->GetTag(), 5); // a later template overrides an earlier one
    EXPECT_EQ(h.Find("inner")->GetAreaRect(), aRect(1, 2, 40, 30));
    EXPECT_EQ(h.Find("twice")->GetTag(), 4);

    // A one-character name is taken for a template parameter: automatic name.
    ASSERT_NE(h.Find("auto0001"), nullptr);
    EXPECT_EQ(h.Find("auto0001")->GetParent(), h.Root());
    EXPECT_EQ(h.Find("auto0001")->GetTag(), 7);                        // <tagged> is the second parameter
    EXPECT_EQ(log.count("Server - invalid template parameter 1"), 2u); // "x" and "bad"
    EXPECT_TRUE(log.has("Server::ApplyTemplate - template 'nope' not found"));
    ASSERT_NE(h.Find("plain"), nullptr);
    EXPECT_EQ(h.Find("fromInclude")->GetTag(), 44);
    EXPECT_TRUE(log.has("GUI script '" + h.dir + "test.agui' parsing started"));
    EXPECT_TRUE(log.has("GUI script '" + h.dir + "test.agui' parsing finished"));

    // The counter is shared by every script the server reads.
    h.LoadScript("widget\n{\n}\nwidget <tagged>\n{\n}\n", true, "second.agui");
    EXPECT_NE(h.Find("auto0002"), nullptr);
    ASSERT_NE(h.Find("auto0003"), nullptr);
    EXPECT_EQ(h.Find("auto0003")->GetTag(), 7);
}

TEST_F(ScriptTest, UnknownTypesAreSkippedWithEverythingInside) {
    h.LoadScript("widget outer\n{\n"
                 " button b1\n {\n  Tag 3\n  widget nested\n  {\n   style inner\n   {\n   }\n  }\n }\n"
                 " widget after\n {\n }\n"
                 "}\n"
                 "fontlist\n{\n widget notAWidget\n {\n }\n}\n");
    EXPECT_TRUE(
        log.has("WidgetFactory::NewWidget - cannot create widget 'b1' of unregistered class 'button'"));
    EXPECT_EQ(h.Find("b1"), nullptr);
    EXPECT_EQ(h.Find("nested"), nullptr);
    EXPECT_EQ(h.Find("notAWidget"), nullptr);
    EXPECT_EQ(h.server->GetStyle("inner"), nullptr);
    ASSERT_NE(h.Find("after"), nullptr);
    EXPECT_EQ(h.Find("after")->GetParent(), h.Find("outer"));
}

TEST_F(ScriptTest, HeaderAndRegistryMessages) {
    h.LoadScript("style\n{\n}\ncursor\n{\n}\ntemplate\n{\n}\ntemplate t\n{\n}\ntemplate T\n{\n}\n"
                 "cursor c\n{\n}\ncursor C\n{\n}\n");
    for (const char* line :
         {"Server - style name not specified in section header",
          "Server - mouse cursor name not specified in section header",
          "Server. Template name not specified section header", "Server - template 'T' already exists",
          "Server - mouse cursor 'C' already exists"})
        EXPECT_TRUE(log.has(line)) << line;

    log.clear();
    GUI::Server& s = *h.server;
    EXPECT_EQ(s.GetFont("f"), nullptr);
    EXPECT_EQ(s.GetRegion("r"), nullptr);
    EXPECT_EQ(s.GetStyle("s"), nullptr);
    EXPECT_EQ(s.GetMouseCursor("m"), nullptr);
    EXPECT_EQ(s.NewSound("n"), nullptr);
    EXPECT_EQ(s.GetImage("i"), nullptr);
    for (const char* line :
         {"Server::GetFont - font 'f' not found!", "Server::GetRegion - region 'r' not found!",
          "Server::GetStyle - style 's' not found!", "Server::GetMouseCursor - mouse cursor 'm' not found!",
          "Server::NewSound - sound 'n' not found!", "GUI::Server::GetImage - image \"i\" not found!"})
        EXPECT_TRUE(log.has(line)) << line;
}

TEST_F(ScriptTest, WidgetsAreInitialisedBeforeTheirChildrenLastSiblingFirst) {
    h.LoadScript("recwidget aa\n{\n recwidget a1\n {\n }\n recwidget a2\n {\n }\n}\nrecwidget bb\n{\n}\n");
    EXPECT_EQ(guitest::Journal(),
              (std::vector<std::string>{"bb:Initialize", "aa:Initialize", "a2:Initialize", "a1:Initialize"}));
}

TEST_F(ScriptTest, ScriptsNestedTooDeepKeepTheTreeShallow) {
    // Twenty thousand nested widgets: the blocks past the loader's depth are
    // skipped, and hit search, update and drawing walk a bounded tree.
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "widget w" + std::to_string(i) + "\n{\n AreaRect 0 0 50 50\n";
    for (int i = 0; i < 20000; ++i)
        text += "}\n";
    h.LoadScript(text);
    EXPECT_TRUE(log.contains("blocks nested too deep"));
    size_t depth = 0;
    for (GUI::Widget* w = h.Root(); !w->GetChildren().empty(); w = w->GetChildren().front())
        ++depth;
    EXPECT_EQ(depth, aScriptLoader::kMaxBlockDepth);
    EXPECT_NE(h.Find("w63"), nullptr);
    EXPECT_EQ(h.Find("w64"), nullptr);
    h.SetCursor(10, 10);
    h.Frame();
    EXPECT_EQ(h.server->GetMouseWidget(), h.Find("w63"));
}

TEST_F(ScriptTest, ScriptsMakeABoundedNumberOfWidgets) {
    // Widgets cost kilobytes each: past the limit their sections are skipped
    // whole, over every script of the server, with one log line.
    const size_t limit = GUI::Server::kMaxScriptWidgets;
    std::string text;
    for (size_t i = 0; i < limit - 1; ++i)
        text += "widget w" + std::to_string(i) + "\n{\n}\n";
    h.LoadScript(text);
    EXPECT_EQ(h.Root()->GetChildCount(), limit - 1);
    h.LoadScript("widget last\n{\n Tag 3\n}\nwidget over\n{\n widget inside\n {\n }\n}\nwidget more\n{\n}\n");
    EXPECT_EQ(h.Root()->GetChildCount(), limit);
    ASSERT_NE(h.Find("last"), nullptr);
    EXPECT_EQ(h.Find("last")->GetTag(), 3);
    EXPECT_EQ(h.Find("over"), nullptr);
    EXPECT_EQ(h.Find("inside"), nullptr);
    EXPECT_EQ(h.Find("more"), nullptr);
    EXPECT_EQ(log.count("Server - more than 10000 widgets, 'over' and later ones not made"), 1u);
    EXPECT_FALSE(log.contains("'more'"));
}

TEST_F(ScriptTest, TemplatesKeepABoundedNumberOfLines) {
    std::string text = "template many\n{\n";
    for (size_t i = 0; i <= GUI::Server::kMaxTemplateLines; ++i)
        text += " Tag " + std::to_string(i) + "\n";
    h.LoadScript(text + "}\nwidget panel <many>\n{\n}\n");
    ASSERT_NE(h.Find("panel"), nullptr);
    EXPECT_EQ(h.Find("panel")->GetTag(), int32_t(GUI::Server::kMaxTemplateLines - 1)) << "the last line kept";
    EXPECT_EQ(log.count("Server - more than 10000 template lines, 'Tag' and later ones dropped"), 1u);
}
