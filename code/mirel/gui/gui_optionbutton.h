#pragma once
// A text button that also shows one of a list of option texts, right-aligned
// on the label's line, and steps through the list on each click: forward
// with the left button, backward with the right one, wrapping at both ends.

#include "mirel/gui/gui_buttonbase.h"

#include <string>
#include <vector>

namespace GUI {

class OptionButton : public ButtonBase {
public:
    static const std::string EventOptionChanged;

    explicit OptionButton(const std::string& name);
    ~OptionButton() override = default;

    std::string GetType() const override { return "OptionButton"; }
    bool IsKindOf(const std::string& type) const override {
        return type == "OptionButton" || ButtonBase::IsKindOf(type);
    }
    void Draw() override;
    void OnClick(MouseEventArgs& e) override;
    // Launches "OptionChanged".
    virtual void OnOptionChanged(WidgetEventArgs& e);

    void AddOption(const std::u16string& text);
    // Removes every option; the current option becomes none.
    void ClearOptions();
    // -1 for none; an index out of range is logged and changes nothing.
    void SetCurrentOption(int index);
    int GetCurrentOption() const { return m_current; }
    int GetOptionCount() const { return int(m_options.size()); }
    // The option's text; empty for an index out of range.
    std::u16string GetOption(int index) const;

private:
    void ChangeTo(int index);

    std::vector<std::u16string> m_options;
    int m_current = -1;
};

} // namespace GUI
