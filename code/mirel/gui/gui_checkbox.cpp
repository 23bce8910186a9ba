#include "mirel/gui/gui_checkbox.h"

#include "mirel/base/a_log.h"

namespace GUI {

const std::string Checkbox::EventCheckChanged = "CheckChanged";

Checkbox::Checkbox(const std::string& name) : ImageButton(name) {
    AddProperty("Checked", &m_propChecked);
    AddEvent(EventCheckChanged);
}

Checkbox::~Checkbox() = default;

void Checkbox::EndFillProperties() {
    ImageButton::EndFillProperties();
    if (m_propChecked.set)
        SetChecked(PropertyToBool(m_propChecked.value));
}

Widget* Checkbox::GetCheckWidget() const {
    return m_checkWidgetLife.expired() ? nullptr : m_checkWidget;
}

void Checkbox::Initialize() {
    ImageButton::Initialize();
    m_checkWidget = FindChild(m_name + "_auto_check", true);
    m_checkWidgetLife = m_checkWidget ? m_checkWidget->GetLifeToken() : std::weak_ptr<const bool>();
    if (m_checkWidget)
        m_checkWidget->SetVisible(m_checked);
    else
        a_log("Checkbox::Initialize - Check widget for checkbox '%s' not found", m_name.c_str());
}

void Checkbox::SetChecked(bool checked) {
    if (Widget* check = GetCheckWidget()) {
        std::weak_ptr<const bool> life = GetLifeToken();
        check->SetVisible(checked);
        if (life.expired())
            return;
    }
    if (checked == m_checked)
        return;
    m_checked = checked;
    WidgetEventArgs e;
    e.widget = this;
    OnCheckChanged(e);
}

void Checkbox::OnCheckChanged(WidgetEventArgs& e) {
    Raise(EventCheckChanged, e);
}

void Checkbox::OnClick(MouseEventArgs& e) {
    std::weak_ptr<const bool> life = GetLifeToken();
    if (e.button == 0)
        SetChecked(!m_checked);
    if (!life.expired())
        ImageButton::OnClick(e);
}

void Checkbox::OnDoubleClick(MouseEventArgs& e) {
    std::weak_ptr<const bool> life = GetLifeToken();
    if (e.button == 0)
        SetChecked(!m_checked);
    if (!life.expired())
        ImageButton::OnDoubleClick(e);
}

} // namespace GUI
