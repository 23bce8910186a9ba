#include "mirel/gui/gui_radiobutton.h"

#include <vector>

namespace GUI {

RadioButton::RadioButton(const std::string& name) : Checkbox(name) {
    AddProperty("GroupID", &m_propGroupID);
}

RadioButton::~RadioButton() = default;

void RadioButton::EndFillProperties() {
    Checkbox::EndFillProperties();
    if (m_propGroupID.set)
        m_groupId = PropertyToInt(m_propGroupID.value);
}

void RadioButton::OnClick(MouseEventArgs& e) {
    std::weak_ptr<const bool> life = GetLifeToken();
    if (e.button == 0 && !m_checked)
        SetChecked(true);
    if (!life.expired())
        ImageButton::OnClick(e);
}

void RadioButton::OnDoubleClick(MouseEventArgs& e) {
    std::weak_ptr<const bool> life = GetLifeToken();
    if (e.button == 0 && !m_checked)
        SetChecked(true);
    if (!life.expired())
        ImageButton::OnDoubleClick(e);
}

void RadioButton::OnCheckChanged(WidgetEventArgs&) {
    if (!m_checked || m_groupId == 0 || !m_parent)
        return;
    // A copy: unchecking a sibling may change the parent's children.
    const std::vector<Widget*> siblings = m_parent->GetChildren();
    for (Widget* child : siblings) {
        if (child == this || !child->IsKindOf("RadioButton"))
            continue;
        auto* other = dynamic_cast<RadioButton*>(child);
        if (other && other->m_groupId == m_groupId && other->m_checked)
            other->SetChecked(false);
    }
}

} // namespace GUI
