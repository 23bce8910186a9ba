#pragma once
// A check box that only a click can check and that unchecks the checked
// radio buttons of its group among its siblings. Group 0 is no group.

#include "mirel/gui/gui_checkbox.h"

#include <string>

namespace GUI {

class RadioButton : public Checkbox {
public:
    explicit RadioButton(const std::string& name);
    ~RadioButton() override;

    void EndFillProperties() override;
    std::string GetType() const override { return "RadioButton"; }
    bool IsKindOf(const std::string& type) const override {
        return type == "RadioButton" || Checkbox::IsKindOf(type);
    }
    void OnClick(MouseEventArgs& e) override;
    void OnDoubleClick(MouseEventArgs& e) override;
    // Unchecks the group's other buttons; raises no CheckChanged.
    void OnCheckChanged(WidgetEventArgs& e) override;

    int32_t GetGroupID() const { return m_groupId; }

protected:
    int32_t m_groupId = 0;
    Property m_propGroupID;
};

} // namespace GUI
