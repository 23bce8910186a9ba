#pragma once
// Makes scene objects by the "Class" key of their section in "objects.ini",
// compared without regard to letter case. Each class registers its key from
// a static initialiser of its own source file, before the program's main
// function runs:
//
//   [[maybe_unused]] const bool g_registered =
//       SpyObjectFactory::Instance().Register("Image", &SpyObjectFactory::Create<SpyObjImage>);

#include "mirel/util/a_factory.h"

#include <string>

class SpyObject;
class SpyRoom;

class SpyObjectFactory {
public:
    using Creator = SpyObject* (*)(SpyRoom* room, const std::string& name);

    // The one factory, made on first use.
    static SpyObjectFactory& Instance();
    SpyObjectFactory(const SpyObjectFactory&) = delete;
    SpyObjectFactory& operator=(const SpyObjectFactory&) = delete;

    // False, and the first creator stays, when the key is taken.
    bool Register(const std::string& key, Creator creator);
    // A new object (owned by the caller), or null with a log line when the
    // key is not registered.
    SpyObject* NewObject(const std::string& key, SpyRoom* room, const std::string& name) const;

    const aFactoryRegistry<Creator>& GetRegistry() const { return m_registry; }

    template <class T> static SpyObject* Create(SpyRoom* room, const std::string& name) {
        return new T(room, name);
    }

private:
    SpyObjectFactory() = default;

    aFactoryRegistry<Creator> m_registry;
};
