#pragma once
// The registry behind the engine's create-by-class-name factories (widgets,
// scene objects, bonus rounds): class names mapped to creator functions,
// compared without regard to ASCII letter case. Each factory keeps one as a
// member of its function-local static instance, so registrations made by
// static initialisers find it ready whatever the order of initialisation.

#include "mirel/base/a_string.h"

#include <map>
#include <string>
#include <string_view>

template <typename Creator> class aFactoryRegistry {
public:
    using Map = std::map<std::string, Creator, StringLessNoCase>;

    // Inserts the pair; false (and nothing changes) when the name is already
    // there in any letter case, or when the creator is null.
    bool registerClass(std::string_view name, Creator creator) {
        if (!creator || m_creators.find(name) != m_creators.end()) {
            return false;
        }
        m_creators.emplace(std::string(name), creator);
        return true;
    }

    // The creator registered under the name in any letter case, or null.
    Creator find(std::string_view name) const {
        auto it = m_creators.find(name);
        return it != m_creators.end() ? it->second : Creator{};
    }

    bool contains(std::string_view name) const { return m_creators.find(name) != m_creators.end(); }
    const Map& getCreators() const { return m_creators; }

private:
    Map m_creators;
};
