#include "mirel/gui/gui_property.h"

#include "mirel/base/a_log.h"

namespace GUI {

void PropertySet::BeginFillProperties() {
    for (auto& entry : m_properties) {
        entry.second->set = false;
    }
}

void PropertySet::AddProperty(const std::string& name, Property* record) {
    if (!record) {
        return;
    }
    if (!m_properties.emplace(name, record).second) {
        a_log("PropertySet::AddProperty - property '%s' already exists", name.c_str());
    }
}

void PropertySet::Set(const std::string& name, const std::string& value) {
    auto it = m_properties.find(name);
    if (it == m_properties.end()) {
        a_log("PropertySet::Set - property '%s' not found", name.c_str());
        return;
    }
    it->second->value = value;
    it->second->set = true;
}

std::string PropertySet::Get(const std::string& name) const {
    auto it = m_properties.find(name);
    if (it == m_properties.end()) {
        a_log("PropertySet::Get - property '%s' not found", name.c_str());
        return std::string();
    }
    return it->second->value;
}

} // namespace GUI
