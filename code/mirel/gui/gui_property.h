#pragma once
// Named string properties. A property record lives in the object that owns it;
// the set only points to the records and never frees them.

#include "mirel/base/a_string.h"

#include <string>
#include <utility>
#include <vector>

namespace GUI {

struct Property {
    std::string value; // the text a script line or template gave, unparsed
    bool set = false;  // assigned by Set since the last BeginFillProperties
};

class PropertySet {
public:
    PropertySet() = default;
    virtual ~PropertySet() = default;
    PropertySet(const PropertySet&) = delete;
    PropertySet& operator=(const PropertySet&) = delete;

    // Clears the set flag of every registered record.
    virtual void BeginFillProperties();
    // Applies the values whose set flag is on; derived classes call their base first.
    virtual void EndFillProperties() {}

    // Registers a record (null is ignored; a known name keeps its first record).
    void AddProperty(const std::string& name, Property* record);
    void Set(const std::string& name, const std::string& value);
    std::string Get(const std::string& name) const;
    bool HasProperty(const std::string& name) const { return Find(name) != nullptr; }

private:
    using Entry = std::pair<std::string, Property*>;

    Property* Find(const std::string& name) const;

    std::vector<Entry> m_properties; // sorted by name, letter case ignored
};

} // namespace GUI
