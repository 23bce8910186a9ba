#include "mirel/gui/gui_spinner.h"

#include "mirel/base/a_log.h"
#include "mirel/gui/gui_editbox.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace GUI {

const std::string Spinner::EventMinimumValueChanged = "MinimumValueChanged";
const std::string Spinner::EventMaximumValueChanged = "MaximumValueChanged";
const std::string Spinner::EventValueChanged = "ValueChanged";
const std::string Spinner::EventStepChanged = "StepChanged";
const std::string Spinner::EventInputModeChanged = "InputModeChanged";

namespace {

bool isSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

float toFloat(double v) {
    const double limit = std::numeric_limits<float>::max();
    return float(v < -limit ? -limit : v > limit ? limit : v);
}

// An integer with an optional sign; hexadecimal ones may carry "0x". The
// magnitude saturates at `limit`.
bool parseInteger(const std::u16string& text, size_t i, int base, double limit, float& value) {
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    if (base == 16 && i + 2 < text.size() && text[i] == u'0' &&
        (text[i + 1] == u'x' || text[i + 1] == u'X') && hexDigit(text[i + 2]) >= 0)
        i += 2;
    double magnitude = 0.0;
    size_t digits = 0;
    for (; i < text.size(); ++i, ++digits) {
        const int d = hexDigit(text[i]);
        if (d < 0 || d >= base)
            break;
        magnitude = std::min(magnitude * base + d, limit);
    }
    if (digits == 0)
        return false;
    value = toFloat(negative ? -magnitude : magnitude);
    return true;
}

bool parseFloat(const std::u16string& text, size_t i, float& value) {
    // The number's characters are plain ASCII: anything else ends it.
    std::string ascii;
    if (i < text.size() && text[i] == u'+') {
        ++i;
        if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
            return false;
    }
    for (; i < text.size() && text[i] > 0 && text[i] < 128; ++i)
        ascii.push_back(char(text[i]));
    double v = 0.0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
    if (error != std::errc() || end == ascii.data() || !std::isfinite(v))
        return false;
    value = toFloat(v);
    return true;
}

void appendAscii(std::u16string& out, const char* begin, const char* end) {
    for (const char* p = begin; p != end; ++p)
        out.push_back(char16_t(*p));
}

} // namespace

bool ParseSpinnerValue(const std::u16string& text, int32_t mode, float& value) {
    size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    switch (mode) {
    case Spinner::IM_INTEGER:
        return parseInteger(text, i, 10, 2147483648.0, value);
    case Spinner::IM_HEXADECIMAL:
        return parseInteger(text, i, 16, 4294967295.0, value);
    case Spinner::IM_FLOAT:
        return parseFloat(text, i, value);
    default:
        return false;
    }
}

std::u16string FormatSpinnerValue(float value, int32_t mode) {
    char buffer[64];
    std::u16string out;
    const double v = value;
    if (mode == Spinner::IM_FLOAT ||
        (!std::isfinite(v) && (mode == Spinner::IM_INTEGER || mode == Spinner::IM_HEXADECIMAL))) {
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 6);
        appendAscii(out, buffer, r.ptr);
        return out;
    }
    if (mode == Spinner::IM_INTEGER) {
        const auto r =
            std::to_chars(buffer, buffer + sizeof buffer, std::trunc(v) + 0.0, std::chars_format::fixed, 0);
        appendAscii(out, buffer, r.ptr);
        return out;
    }
    if (mode == Spinner::IM_HEXADECIMAL) {
        // Dividing an integral double by 16 is exact, so large values keep
        // every digit.
        double magnitude = std::fabs(std::trunc(v));
        std::u16string digits;
        do {
            const int d = int(std::fmod(magnitude, 16.0));
            digits.insert(digits.begin(), char16_t(d < 10 ? u'0' + d : u'A' + d - 10));
            magnitude = std::floor(magnitude / 16.0);
        } while (magnitude > 0.0);
        if (std::trunc(v) < 0.0)
            out.push_back(u'-');
        out += digits;
    }
    return out;
}

Spinner::Spinner(const std::string& name) : Widget(name) {
    AddProperty("Minimum", &m_propMinimum);
    AddProperty("Maximum", &m_propMaximum);
    AddProperty("Value", &m_propValue);
    AddProperty("Step", &m_propStep);
    AddProperty("InputMode", &m_propInputMode);
    AddEvent(EventMinimumValueChanged);
    AddEvent(EventMaximumValueChanged);
    AddEvent(EventValueChanged);
    AddEvent(EventStepChanged);
    AddEvent(EventInputModeChanged);
}

Spinner::~Spinner() = default;

void Spinner::EndFillProperties() {
    Widget::EndFillProperties();
    const std::weak_ptr<const bool> life = GetLifeToken();
    // The range first and the value last, so that a value inside a new range
    // is not cut by the old one.
    if (m_propMinimum.set)
        ChangeLimit(m_minimum, PropertyToFloat(m_propMinimum.value), &Spinner::OnMinimumValueChanged);
    if (m_propMaximum.set && !life.expired())
        ChangeLimit(m_maximum, PropertyToFloat(m_propMaximum.value), &Spinner::OnMaximumValueChanged);
    if (life.expired()) // a handler destroyed the spinner
        return;
    if (m_propMinimum.set || m_propMaximum.set) {
        if (m_minimum > m_maximum)
            a_log("Spinner::EndFillProperties - minimum %g above maximum %g for spinner '%s'",
                  double(m_minimum), double(m_maximum), m_name.c_str());
        KeepValueInRange();
    }
    if (m_propStep.set)
        SetStep(PropertyToFloat(m_propStep.value));
    if (m_propInputMode.set)
        SetInputMode(PropertyToInt(m_propInputMode.value));
    if (m_propValue.set)
        SetValue(PropertyToFloat(m_propValue.value));
}

void Spinner::Initialize() {
    Widget::Initialize();
    m_textConnection.Disconnect();
    m_incConnection.Disconnect();
    m_decConnection.Disconnect();

    m_editbox = dynamic_cast<Editbox*>(FindChild(m_name + "_auto_editbox", true));
    if (m_editbox)
        m_textConnection = m_editbox->SubscribeEvent(EventTextChanged, &m_textBinder);
    else
        a_log("Spinner::Initialize - Editbox for spinner '%s' not found", m_name.c_str());

    if (Widget* inc = FindChild(m_name + "_auto_incbtn", true))
        m_incConnection = inc->SubscribeEvent(EventMouseDown, &m_incBinder);
    else
        a_log("Spinner::Initialize - Increment button for spinner '%s' not found", m_name.c_str());

    if (Widget* dec = FindChild(m_name + "_auto_decbtn", true))
        m_decConnection = dec->SubscribeEvent(EventMouseDown, &m_decBinder);
    else
        a_log("Spinner::Initialize - Decrement button for spinner '%s' not found", m_name.c_str());

    ShowValue();
}

Editbox* Spinner::GetEditbox() const {
    return m_textConnection.Get().IsConnected() ? m_editbox : nullptr;
}

float Spinner::GetEditValue() {
    Editbox* box = GetEditbox();
    float v = 0.0f;
    if (!box || !ParseSpinnerValue(box->GetText(), m_inputMode, v))
        return 0.0f;
    return v;
}

std::u16string Spinner::FormatValue() {
    return FormatSpinnerValue(m_value, m_inputMode);
}

bool Spinner::OnIncrement(const EventArgs&) {
    if (!GetEditbox())
        return false;
    SetValue(GetEditValue() + m_step);
    return true;
}

bool Spinner::OnDecrement(const EventArgs&) {
    if (!GetEditbox())
        return false;
    SetValue(GetEditValue() - m_step);
    return true;
}

bool Spinner::OnEditTextChanged(const EventArgs&) {
    return true;
}

void Spinner::OnMinimumValueChanged(WidgetEventArgs& e) {
    Raise(EventMinimumValueChanged, e);
}
void Spinner::OnMaximumValueChanged(WidgetEventArgs& e) {
    Raise(EventMaximumValueChanged, e);
}
void Spinner::OnValueChanged(WidgetEventArgs& e) {
    Raise(EventValueChanged, e);
}
void Spinner::OnStepChanged(WidgetEventArgs& e) {
    Raise(EventStepChanged, e);
}
void Spinner::OnInputModeChanged(WidgetEventArgs& e) {
    Raise(EventInputModeChanged, e);
}

void Spinner::Launch(void (Spinner::*handler)(WidgetEventArgs&)) {
    WidgetEventArgs e;
    e.widget = this;
    (this->*handler)(e);
}

bool Spinner::ChangeLimit(float& limit, float v, void (Spinner::*handler)(WidgetEventArgs&)) {
    if (v == limit || std::isnan(v))
        return false;
    limit = v;
    const std::weak_ptr<const bool> life = GetLifeToken();
    Launch(handler);
    return !life.expired();
}

void Spinner::SetValue(float v) {
    if (v == m_value)
        return;
    if (std::isnan(v)) {
        a_log("Spinner::SetValue - value for spinner '%s' is not a number", m_name.c_str());
        return;
    }
    if (v < m_minimum)
        v = m_minimum;
    else if (v > m_maximum)
        v = m_maximum;
    m_value = v;
    const std::weak_ptr<const bool> life = GetLifeToken();
    ShowValue();
    if (life.expired()) // a handler of the edit box's text destroyed the spinner
        return;
    Launch(&Spinner::OnValueChanged);
}

void Spinner::SetMinimum(float minimum) {
    if (ChangeLimit(m_minimum, minimum, &Spinner::OnMinimumValueChanged))
        KeepValueInRange();
}

void Spinner::SetMaximum(float maximum) {
    if (ChangeLimit(m_maximum, maximum, &Spinner::OnMaximumValueChanged))
        KeepValueInRange();
}

void Spinner::SetStep(float step) {
    if (step == m_step || std::isnan(step))
        return;
    m_step = step;
    Launch(&Spinner::OnStepChanged);
}

void Spinner::SetInputMode(int32_t mode) {
    if (mode < IM_INTEGER || mode > IM_FLOAT) {
        a_log("Spinner::SetInputMode - unknown input mode %d for spinner '%s'", int(mode), m_name.c_str());
        return;
    }
    if (mode == m_inputMode)
        return;
    m_inputMode = mode;
    const std::weak_ptr<const bool> life = GetLifeToken();
    ShowValue();
    if (!life.expired())
        Launch(&Spinner::OnInputModeChanged);
}

void Spinner::KeepValueInRange() {
    if (m_value < m_minimum)
        SetValue(m_minimum);
    else if (m_value > m_maximum)
        SetValue(m_maximum);
}

void Spinner::ShowValue() {
    if (Editbox* box = GetEditbox())
        box->SetText(FormatValue());
}

} // namespace GUI
