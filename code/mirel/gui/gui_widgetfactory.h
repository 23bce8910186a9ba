#pragma once
// Creates widgets by the type names that GUI scripts use in section headers,
// compared without regard to letter case. The toolkit's own types are
// registered when the factory is first used; other code registers its types
// from static initialisers, which works whatever the order of initialisation.

#include "mirel/util/a_factory.h"

#include <string>

namespace GUI {

class Widget;

class WidgetFactory {
public:
    // Makes a new widget of the creator's type with the given name.
    using Creator = Widget* (*)(const std::string& name);

    static WidgetFactory& Instance();
    virtual ~WidgetFactory() = default;
    WidgetFactory(const WidgetFactory&) = delete;
    WidgetFactory& operator=(const WidgetFactory&) = delete;

    // True when the name was new; a taken name keeps its first creator.
    bool Register(const std::string& type, Creator creator);
    bool IsRegistered(const std::string& type) const { return m_registry.contains(type); }
    // The new widget (owned by the caller), or null with a log line when the
    // type is not registered.
    Widget* NewWidget(const std::string& type, const std::string& name) const;

    const aFactoryRegistry<Creator>& GetRegistry() const { return m_registry; }

    // A creator for any widget class constructible from a name.
    template <class T> static Widget* Create(const std::string& name) { return new T(name); }

private:
    WidgetFactory();

    aFactoryRegistry<Creator> m_registry;
};

} // namespace GUI
