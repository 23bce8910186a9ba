// Spinner: stepping from the edit box's text in the three input modes, the
// range and its ends, properties from scripts and at run time, and missing
// or destroyed parts.

#include "support/gui_harness.h"
#include "support/log_capture.h"

#include "mirel/gui/gui_editbox.h"
#include "mirel/gui/gui_spinner.h"
#include "mirel/gui/gui_widgetfactory.h"

#include <cmath>
#include <memory>
#include <string>

namespace {

struct Counter : guitest::EventCounter {
    Counter() : EventCounter("", nullptr, true) {}
};

class SpinnerTest : public testing::Test {
protected:
    void SetUp() override {
        // Already there once the factory lists the types itself.
        auto& f = GUI::WidgetFactory::Instance();
        f.Register("spinner", &GUI::WidgetFactory::Create<GUI::Spinner>);
        f.Register("editbox", &GUI::WidgetFactory::Create<GUI::Editbox>);
    }

    // A spinner "sp" at (0, 0): the edit box left, the increment button at
    // (60, 0) and the decrement button at (80, 0), 20 x 20 each.
    GUI::Spinner* Make(const std::string& properties, const std::string& decButton = "") {
        hp->LoadScript("spinner sp\n{\n AreaRect 0 0 100 20\n" + properties +
                       " editbox sp_auto_editbox\n {\n  AreaRect 0 0 60 20\n }\n"
                       " widget sp_auto_incbtn\n {\n  AreaRect 60 0 20 20\n }\n"
                       " widget sp_auto_decbtn\n {\n  AreaRect 80 0 20 20\n" +
                       decButton + " }\n}\n");
        auto* sp = hp->FindAs<GUI::Spinner>("sp");
        if (sp)
            sp->SubscribeEvent(GUI::Spinner::EventValueChanged, &valueChanged);
        return sp;
    }
    // Presses and releases the left button at the point.
    void Press(int32_t x, int32_t y) {
        hp->SetCursor(x, y);
        hp->Frame();
        hp->SetButton(0, true);
        hp->Frame();
        hp->SetButton(0, false);
        hp->Frame();
    }
    void Increment() { Press(70, 10); }
    void Decrement() { Press(90, 10); }

    // A clean GUI (the old one goes first: one server at a time).
    void Fresh() {
        hp.reset();
        hp = std::make_unique<guitest::GuiHarness>(200, 100);
        valueChanged = Counter();
    }

    std::unique_ptr<guitest::GuiHarness> hp = std::make_unique<guitest::GuiHarness>(200, 100);
    Counter valueChanged;
};

TEST(SpinnerValueText, FormatAndParseInEachMode) {
    struct Format {
        float value;
        int32_t mode;
        const char16_t* text;
    };
    const Format formats[] = {
        {13.0f, 0, u"13"},   {2.7f, 0, u"2"},
        {-2.7f, 0, u"-2"},   {-0.5f, 0, u"0"},
        {255.0f, 1, u"FF"},  {256.0f, 1, u"100"},
        {-26.9f, 1, u"-1A"}, {0.0f, 1, u"0"},
        {0.75f, 2, u"0.75"}, {1.0f / 3.0f, 2, u"0.333333"},
        {1e6f, 2, u"1e+06"}, {-4.0f, 2, u"-4"},
        {5.0f, 3, u""},
    };
    for (const Format& f : formats)
        EXPECT_EQ(GUI::FormatSpinnerValue(f.value, f.mode), f.text) << f.value << " mode " << f.mode;
    // Values far beyond the integers keep every digit.
    EXPECT_EQ(GUI::FormatSpinnerValue(4294967296.0f, 1), u"100000000");
    EXPECT_EQ(GUI::FormatSpinnerValue(1e10f, 0), u"10000000000");

    struct Parse {
        const char16_t* text;
        int32_t mode;
        bool ok;
        float value;
    };
    const Parse parses[] = {
        {u"12", 0, true, 12.0f},     {u"  -7x", 0, true, -7.0f}, {u"+3", 0, true, 3.0f},
        {u"abc", 0, false, 0.0f},    {u"", 0, false, 0.0f},      {u"-", 0, false, 0.0f},
        {u"ff", 1, true, 255.0f},    {u"FF", 1, true, 255.0f},   {u"0x1f", 1, true, 31.0f},
        {u"-1", 1, true, -1.0f},     {u"g", 1, false, 0.0f},     {u"fffffffff", 1, true, 4294967295.0f},
        {u"0.5", 2, true, 0.5f},     {u"1e3", 2, true, 1000.0f}, {u"+.25", 2, true, 0.25f},
        {u"nan", 2, false, 0.0f},    {u"inf", 2, false, 0.0f},   {u"+-1", 2, false, 0.0f},
        {u"2\u00e9", 2, true, 2.0f}, {u"12", 5, false, 0.0f},
    };
    for (const Parse& p : parses) {
        float v = -99.0f;
        EXPECT_EQ(GUI::ParseSpinnerValue(p.text, p.mode, v), p.ok) << "mode " << p.mode;
        if (p.ok) {
            EXPECT_FLOAT_EQ(v, p.value) << "mode " << p.mode;
        }
    }
}

TEST_F(SpinnerTest, TypedNumberIsTheBaseOfTheNextStep) {
    GUI::Spinner* sp = Make(" Value 5\n");
    ASSERT_TRUE(sp);
    GUI::Editbox* box = sp->GetEditbox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->GetText(), u"5");
    // Click into the box, rub the 5 out and type 12.
    Press(10, 10);
    ASSERT_TRUE(box->IsFocused());
    for (uint8_t key : {uint8_t(14), uint8_t(2), uint8_t(3)}) {
        hp->SetKey(key, true);
        hp->Frame();
        hp->SetKey(key, false);
        hp->Frame();
    }
    ASSERT_EQ(box->GetText(), u"12");
    Increment();
    EXPECT_FLOAT_EQ(sp->m_value, 13.0f);
    EXPECT_EQ(box->GetText(), u"13");
    EXPECT_EQ(valueChanged.count, 1);
    EXPECT_EQ(valueChanged.widget, sp);
}

TEST_F(SpinnerTest, StepsInEachMode) {
    struct Case {
        const char* properties;
        const char16_t* shown; // after loading
        const char16_t* typed; // null: keep the text
        bool increment;
        float value;
        const char16_t* text;
    };
    const Case cases[] = {
        {" InputMode 1\n Maximum 4096\n Value 255\n", u"FF", u"ff", true, 256.0f, u"100"},
        {" InputMode 2\n Step 0.25\n Value 0.5\n", u"0.5", nullptr, true, 0.75f, u"0.75"},
        {" InputMode 2\n Step 0.25\n Value 0.5\n", u"0.5", nullptr, false, 0.25f, u"0.25"},
        {" Value 40\n", u"40", u"abc", true, 1.0f, u"1"}, // no number: from 0
        {" Minimum -50\n Value 40\n", u"40", u"abc", false, -1.0f, u"-1"},
        {" Value 40\n", u"40", u"abc", false, 0.0f, u"0"}, // clamped at 0
        {" Minimum -20\n InputMode 1\n Value -5\n", u"-5", nullptr, false, -6.0f, u"-6"},
    };
    for (const Case& c : cases) {
        Fresh();
        GUI::Spinner* sp = Make(c.properties);
        ASSERT_TRUE(sp) << c.properties;
        GUI::Editbox* box = sp->GetEditbox();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->GetText(), c.shown) << c.properties;
        if (c.typed)
            box->SetText(c.typed);
        if (c.increment)
            Increment();
        else
            Decrement();
        EXPECT_FLOAT_EQ(sp->m_value, c.value) << c.properties;
        EXPECT_EQ(box->GetText(), c.text) << c.properties;
    }
}

TEST_F(SpinnerTest, EveryPressAtTheEndRaisesValueChanged) {
    GUI::Spinner* sp = Make(" Value 99\n");
    ASSERT_TRUE(sp);
    for (int i = 1; i <= 3; ++i) {
        Increment();
        EXPECT_FLOAT_EQ(sp->m_value, 100.0f);
        EXPECT_EQ(valueChanged.count, i);
    }
    EXPECT_EQ(sp->GetEditbox()->GetText(), u"100");
    // SetValue with the stored value itself changes nothing.
    sp->SetValue(100.0f);
    EXPECT_EQ(valueChanged.count, 3);
}

TEST_F(SpinnerTest, HeldAutoRepeatButtonKeepsStepping) {
    GUI::Spinner* sp =
        Make(" Value 50\n", "  MouseAutoRepeat 1\n  AutoRepeatDelay 0.3\n  AutoRepeatRate 0.1\n");
    ASSERT_TRUE(sp);
    hp->SetCursor(90, 10);
    hp->Frame();
    hp->SetButton(0, true);
    hp->Frame(0.02f); // the press
    for (int i = 0; i < 10; ++i)
        hp->Frame(0.05f); // 0.52 s held: one step after the delay, two more at the rate
    hp->SetButton(0, false);
    hp->Frame();
    EXPECT_FLOAT_EQ(sp->m_value, 46.0f);
    EXPECT_EQ(sp->GetEditbox()->GetText(), u"46");
}

TEST_F(SpinnerTest, PropertiesFromScriptAndAtRunTime) {
    GUI::Spinner* sp = Make(" Minimum -10\n Maximum 10\n Step 2\n InputMode 2\n Value 500\n");
    ASSERT_TRUE(sp);
    EXPECT_FLOAT_EQ(sp->GetMinimum(), -10.0f);
    EXPECT_FLOAT_EQ(sp->GetMaximum(), 10.0f);
    EXPECT_FLOAT_EQ(sp->GetStep(), 2.0f);
    EXPECT_EQ(sp->GetInputMode(), GUI::Spinner::IM_FLOAT);
    EXPECT_FLOAT_EQ(sp->m_value, 10.0f);
    EXPECT_EQ(sp->GetEditbox()->GetText(), u"10");
    Decrement();
    EXPECT_FLOAT_EQ(sp->m_value, 8.0f);

    Counter minimum, maximum, step, mode;
    sp->SubscribeEvent(GUI::Spinner::EventMinimumValueChanged, &minimum);
    sp->SubscribeEvent(GUI::Spinner::EventMaximumValueChanged, &maximum);
    sp->SubscribeEvent(GUI::Spinner::EventStepChanged, &step);
    sp->SubscribeEvent(GUI::Spinner::EventInputModeChanged, &mode);
    // A new range that leaves the value out moves it to the nearest end; the
    // value given with it is applied inside the new range.
    const int before = valueChanged.count;
    sp->BeginFillProperties();
    sp->Set("Maximum", "300");
    sp->Set("Minimum", "20");
    sp->Set("InputMode", "1");
    sp->Set("Step", "2");
    sp->EndFillProperties();
    EXPECT_EQ(minimum.count, 1);
    EXPECT_EQ(maximum.count, 1);
    EXPECT_EQ(step.count, 0); // unchanged
    EXPECT_EQ(mode.count, 1);
    EXPECT_FLOAT_EQ(sp->m_value, 20.0f);
    EXPECT_EQ(valueChanged.count, before + 1);
    EXPECT_EQ(sp->GetEditbox()->GetText(), u"14");
    sp->BeginFillProperties();
    sp->Set("Value", "255");
    sp->EndFillProperties();
    EXPECT_EQ(sp->GetEditbox()->GetText(), u"FF");

    // Setters: the same value raises nothing; a new maximum below the value pulls it down.
    sp->SetStep(2.0f);
    sp->SetInputMode(1);
    EXPECT_EQ(step.count + mode.count, 1);
    sp->SetMaximum(100.0f);
    EXPECT_EQ(maximum.count, 2);
    EXPECT_FLOAT_EQ(sp->m_value, 100.0f);
    EXPECT_EQ(sp->GetEditbox()->GetText(), u"64");
    sp->SetInputMode(0);
    EXPECT_EQ(sp->GetEditbox()->GetText(), u"100");
    EXPECT_EQ(mode.count, 2);
}

TEST_F(SpinnerTest, BadValuesAreLoggedAndRefused) {
    LogCapture log;
    GUI::Spinner* sp = Make(" InputMode 7\n Minimum 10\n Maximum 5\n Value 2\n");
    ASSERT_TRUE(sp);
    EXPECT_TRUE(log.has("Spinner::SetInputMode - unknown input mode 7 for spinner 'sp'"));
    EXPECT_TRUE(log.has("Spinner::EndFillProperties - minimum 10 above maximum 5 for spinner 'sp'"));
    EXPECT_EQ(sp->GetInputMode(), GUI::Spinner::IM_INTEGER);
    const float before = sp->m_value;
    sp->SetValue(std::nanf(""));
    EXPECT_TRUE(log.has("Spinner::SetValue - value for spinner 'sp' is not a number"));
    EXPECT_EQ(sp->m_value, before);
}

TEST_F(SpinnerTest, MissingPartsAreLoggedAndPressesIgnored) {
    LogCapture log;
    hp->LoadScript("spinner lone\n{\n AreaRect 0 0 100 20\n"
                   " widget lone_auto_incbtn\n {\n  AreaRect 60 0 20 20\n }\n}\n"
                   "widget lone_auto_decbtn\n{\n AreaRect 80 0 20 20\n}\n");
    auto* sp = hp->FindAs<GUI::Spinner>("lone");
    ASSERT_TRUE(sp);
    EXPECT_TRUE(log.has("Spinner::Initialize - Editbox for spinner 'lone' not found"));
    EXPECT_FALSE(log.contains("Increment button for spinner"));
    // Only the spinner's own subtree is searched.
    EXPECT_TRUE(log.has("Spinner::Initialize - Decrement button for spinner 'lone' not found"));
    sp->SubscribeEvent(GUI::Spinner::EventValueChanged, &valueChanged);
    Increment();
    EXPECT_EQ(valueChanged.count, 0);
    EXPECT_FLOAT_EQ(sp->m_value, 0.0f);
    EXPECT_FLOAT_EQ(sp->GetEditValue(), 0.0f);
}

TEST_F(SpinnerTest, DestroyedEditboxIsNotUsed) {
    GUI::Spinner* sp = Make(" Value 5\n");
    ASSERT_TRUE(sp);
    delete sp->GetEditbox();
    EXPECT_EQ(sp->GetEditbox(), nullptr);
    Increment();
    EXPECT_FLOAT_EQ(sp->m_value, 5.0f);
    EXPECT_EQ(valueChanged.count, 0);
    sp->SetValue(7.0f); // stored, nothing to show it in
    EXPECT_FLOAT_EQ(sp->m_value, 7.0f);
}

} // namespace
