// The widget factory: type names in any letter case, first registrations
// kept, unregistered types logged with the widget's name first.

#include "support/log_capture.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/gui/gui_widgetfactory.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class Probe : public GUI::Widget {
public:
    using Widget::Widget;
    std::string GetType() const override { return "Probe"; }
    bool IsKindOf(const std::string& type) const override { return type == "Probe"; }
};

class OtherProbe : public Probe {
public:
    using Probe::Probe;
    std::string GetType() const override { return "OtherProbe"; }
};

} // namespace

TEST(WidgetFactory, CreatesByTypeNameInAnyCase) {
    GUI::WidgetFactory& f = GUI::WidgetFactory::Instance();
    EXPECT_EQ(&f, &GUI::WidgetFactory::Instance());
    for (const char* type : {"Widget", "widget", "WIDGET"}) {
        std::unique_ptr<GUI::Widget> w(f.NewWidget(type, "__root__"));
        ASSERT_NE(w, nullptr) << type;
        EXPECT_EQ(w->GetType(), "Widget");
        EXPECT_EQ(w->GetName(), "__root__");
    }

    EXPECT_TRUE(f.Register("probe", &GUI::WidgetFactory::Create<Probe>));
    EXPECT_FALSE(f.Register("PROBE", &GUI::WidgetFactory::Create<OtherProbe>)); // the first one stays
    EXPECT_FALSE(f.Register("empty", nullptr));
    std::unique_ptr<GUI::Widget> p(f.NewWidget("Probe", "p1"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->GetType(), "Probe");
    EXPECT_TRUE(f.IsRegistered("pRoBe"));
}

TEST(WidgetFactory, ToolkitTypesAnswerTheirClassNames) {
    struct Case {
        const char* type;
        const char* className;
    } cases[] = {
        {"ImageButton", "ImageButton"}, {"mainmenu", "MainMenu"},     {"menuitem", "MenuItem"},
        {"popupmenu", "PopupMenu"},     {"scrollbar", "Scrollbar"},   {"shape", "Shape"},
        {"slider", "Slider"},           {"staticimage", "StaticImage"}, {"statictext", "StaticText"},
        {"checkbox", "Checkbox"},       {"editbox", "Editbox"},       {"listbox", "Listbox"},
        {"optionbutton", "OptionButton"}, {"radiobutton", "RadioButton"}, {"spinner", "Spinner"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<GUI::Widget> w(GUI::WidgetFactory::Instance().NewWidget(c.type, "w"));
        ASSERT_NE(w, nullptr) << c.type;
        EXPECT_EQ(w->GetType(), c.className);
    }
}

TEST(WidgetFactory, UnregisteredTypeLogsAndGivesNull) {
    LogCapture log;
    EXPECT_EQ(GUI::WidgetFactory::Instance().NewWidget("button", "okButton"), nullptr);
    EXPECT_TRUE(log.has("WidgetFactory::NewWidget - cannot create widget 'okButton' of unregistered class 'button'"));
    EXPECT_EQ(log.lines.size(), 1u);
}
