#pragma once
// An image button that toggles a checked state on each left click and shows
// its check indicator, the child named after it plus "_auto_check", while
// checked.

#include "mirel/gui/gui_imagebutton.h"

#include <memory>
#include <string>

namespace GUI {

class Checkbox : public ImageButton {
public:
    static const std::string EventCheckChanged;

    explicit Checkbox(const std::string& name);
    ~Checkbox() override;

    void EndFillProperties() override;
    std::string GetType() const override { return "Checkbox"; }
    bool IsKindOf(const std::string& type) const override {
        return type == "Checkbox" || ImageButton::IsKindOf(type);
    }
    void Initialize() override;
    void OnClick(MouseEventArgs& e) override;
    void OnDoubleClick(MouseEventArgs& e) override;

    // The only way the state changes; the indicator follows on every call,
    // CheckChanged only when the state differs.
    virtual void SetChecked(bool checked);
    virtual void OnCheckChanged(WidgetEventArgs& e);

    bool IsChecked() const { return m_checked; }
    // The indicator, null when it is missing or was destroyed.
    Widget* GetCheckWidget() const;

protected:
    bool m_checked = false;
    Property m_propChecked;

private:
    Widget* m_checkWidget = nullptr; // a child, not owned
    std::weak_ptr<const bool> m_checkWidgetLife;
};

} // namespace GUI
