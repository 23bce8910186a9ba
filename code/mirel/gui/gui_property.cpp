#include "mirel/gui/gui_property.h"

#include "mirel/base/a_log.h"

#include <algorithm>

namespace GUI {

namespace {

constexpr size_t kFirstReserve = 40;

template <class Entries> auto lowerBound(Entries& entries, const std::string& name) {
    return std::lower_bound(entries.begin(), entries.end(), name,
                            [](const auto& e, const std::string& n) { return a_stricmp(e.first, n) < 0; });
}

} // namespace

void PropertySet::BeginFillProperties() {
    for (auto& entry : m_properties) {
        entry.second->set = false;
    }
}

Property* PropertySet::Find(const std::string& name) const {
    auto it = lowerBound(m_properties, name);
    return it != m_properties.end() && a_stricmp(it->first, name) == 0 ? it->second : nullptr;
}

void PropertySet::AddProperty(const std::string& name, Property* record) {
    if (!record) {
        return;
    }
    if (m_properties.empty()) {
        m_properties.reserve(kFirstReserve); // a widget registers thirty and more, one at a time
    }
    auto it = lowerBound(m_properties, name);
    if (it != m_properties.end() && a_stricmp(it->first, name) == 0) {
        a_log("PropertySet::AddProperty - property '%s' already exists", name.c_str());
        return;
    }
    m_properties.emplace(it, name, record);
}

void PropertySet::Set(const std::string& name, const std::string& value) {
    Property* record = Find(name);
    if (!record) {
        a_log("PropertySet::Set - property '%s' not found", name.c_str());
        return;
    }
    record->value = value;
    record->set = true;
}

std::string PropertySet::Get(const std::string& name) const {
    const Property* record = Find(name);
    if (!record) {
        a_log("PropertySet::Get - property '%s' not found", name.c_str());
        return std::string();
    }
    return record->value;
}

} // namespace GUI
