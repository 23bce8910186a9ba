// The widget factory: type names in any letter case, first registrations
// kept, unregistered types logged with the widget's name first.

#include "mirel/base/a_string.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/gui/gui_widgetfactory.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
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

TEST(WidgetFactory, EveryToolkitTypeIsRegisteredAndAnswersItsClassName) {
    struct Case {
        const char* type;
        const char* className;
    } cases[] = {
        {"checkbox", "Checkbox"},
        {"editbox", "Editbox"},
        {"ImageButton", "ImageButton"},
        {"listbox", "Listbox"},
        {"mainmenu", "MainMenu"},
        {"menuitem", "MenuItem"},
        {"optionbutton", "OptionButton"},
        {"popupmenu", "PopupMenu"},
        {"radiobutton", "RadioButton"},
        {"scrollbar", "Scrollbar"},
        {"shape", "Shape"},
        {"slider", "Slider"},
        {"spinner", "Spinner"},
        {"staticanim", "StaticAnim"},
        {"staticimage", "StaticImage"},
        {"statictext", "StaticText"},
        {"stylebutton", "StyleButton"},
        {"tooltip", "Tooltip"},
        {"widget", "Widget"},
        {"window", "Window"},
    };
    const GUI::WidgetFactory& f = GUI::WidgetFactory::Instance();
    for (const Case& c : cases) {
        std::unique_ptr<GUI::Widget> w(f.NewWidget(c.type, "w"));
        ASSERT_NE(w, nullptr) << c.type;
        EXPECT_EQ(w->GetType(), c.className);
    }
    // Nothing else is registered by the toolkit itself (tests add "probe").
    for (const auto& entry : f.GetRegistry().getCreators()) {
        const bool known = std::any_of(std::begin(cases), std::end(cases), [&](const Case& c) {
            return a_stricmp(c.type, entry.first.c_str()) == 0;
        });
        EXPECT_TRUE(known || entry.first == "probe") << entry.first;
    }
}

TEST(WidgetFactory, UnregisteredTypeLogsAndGivesNull) {
    LogCapture log;
    EXPECT_EQ(GUI::WidgetFactory::Instance().NewWidget("button", "okButton"), nullptr);
    EXPECT_TRUE(
        log.has("WidgetFactory::NewWidget - cannot create widget 'okButton' of unregistered class 'button'"));
    EXPECT_EQ(log.lines.size(), 1u);
}
