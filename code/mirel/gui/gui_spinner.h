#pragma once
// A number field: an edit box child that shows the value and two button
// children that step it up and down within a range. The value is shown and
// read as a decimal integer, a hexadecimal integer or a floating-point
// number. Its parts are children named after it plus "_auto_editbox",
// "_auto_incbtn" and "_auto_decbtn", found anywhere in its subtree.

#include "mirel/gui/gui_widget.h"

#include <string>

namespace GUI {

class Editbox;

class Spinner : public Widget {
public:
    enum InputMode : int32_t { IM_INTEGER = 0, IM_HEXADECIMAL = 1, IM_FLOAT = 2 };

    static const std::string EventMinimumValueChanged;
    static const std::string EventMaximumValueChanged;
    static const std::string EventValueChanged;
    static const std::string EventStepChanged;
    static const std::string EventInputModeChanged;

    explicit Spinner(const std::string& name);
    ~Spinner() override;

    void EndFillProperties() override;
    std::string GetType() const override { return "Spinner"; }
    bool IsKindOf(const std::string& type) const override { return type == "Spinner"; }
    // Finds the parts and shows the value in the edit box.
    void Initialize() override;

    // The number in the edit box's text, read in the input mode; 0 when the
    // text holds no number (or there is no edit box).
    virtual float GetEditValue();
    // The value as the edit box shows it in the input mode.
    virtual std::u16string FormatValue();
    // The buttons' "MouseDown": one step from the number in the edit box.
    // Ignored (not handled) without an edit box.
    virtual bool OnIncrement(const EventArgs& e);
    virtual bool OnDecrement(const EventArgs& e);
    virtual bool OnEditTextChanged(const EventArgs& e);
    virtual void OnMinimumValueChanged(WidgetEventArgs& e);
    virtual void OnMaximumValueChanged(WidgetEventArgs& e);
    virtual void OnValueChanged(WidgetEventArgs& e);
    virtual void OnStepChanged(WidgetEventArgs& e);
    virtual void OnInputModeChanged(WidgetEventArgs& e);

    // Does nothing when v equals the value; otherwise clamps v to the range,
    // stores it, shows it and raises ValueChanged. The comparison is made
    // before clamping, so stepping past an end raises ValueChanged again.
    void SetValue(float v);
    // Each raises its event when the setting changes; a new range moves a
    // value that lies outside it to its nearest end.
    void SetMinimum(float minimum);
    void SetMaximum(float maximum);
    void SetStep(float step);
    // A mode other than the three is refused with a log line.
    void SetInputMode(int32_t mode);

    float GetMinimum() const { return m_minimum; }
    float GetMaximum() const { return m_maximum; }
    float GetStep() const { return m_step; }
    int32_t GetInputMode() const { return m_inputMode; }
    // The edit box while it exists (null otherwise).
    Editbox* GetEditbox() const;

    float m_value = 0.0f; // read directly by callers; changed only by SetValue

protected:
    // Moves a value outside the range to the range's nearest end.
    void KeepValueInRange();
    void ShowValue();
    // Calls the handler with a record naming the spinner.
    void Launch(void (Spinner::*handler)(WidgetEventArgs&));
    // Stores a new range end and raises its event; false when nothing
    // changed or a handler destroyed the spinner.
    bool ChangeLimit(float& limit, float v, void (Spinner::*handler)(WidgetEventArgs&));

    Editbox* m_editbox = nullptr;
    float m_minimum = 0.0f;
    float m_maximum = 100.0f;
    float m_step = 1.0f;
    int32_t m_inputMode = IM_INTEGER;

    Property m_propMinimum;
    Property m_propMaximum;
    Property m_propValue;
    Property m_propStep;
    Property m_propInputMode;

private:
    _memberBinder<Spinner> m_textBinder{this, &Spinner::OnEditTextChanged};
    _memberBinder<Spinner> m_incBinder{this, &Spinner::OnIncrement};
    _memberBinder<Spinner> m_decBinder{this, &Spinner::OnDecrement};
    // The parts may be destroyed before the spinner: the connections end
    // with either side.
    ScopedConnection m_textConnection;
    ScopedConnection m_incConnection;
    ScopedConnection m_decConnection;
};

// Reads the number at the start of the text (blanks skipped) in an input
// mode; false when there is none. Hexadecimal and decimal integers take an
// optional sign; floating-point numbers may have a fraction and an exponent.
bool ParseSpinnerValue(const std::u16string& text, int32_t mode, float& value);
// The value in an input mode: integers truncated toward zero (hexadecimal in
// upper case, without prefix), floating point with at most six significant
// digits and no trailing zeros; empty for an unknown mode.
std::u16string FormatSpinnerValue(float value, int32_t mode);

} // namespace GUI
