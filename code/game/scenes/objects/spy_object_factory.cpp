#include "game/scenes/objects/spy_object_factory.h"

#include "mirel/base/a_log.h"

SpyObjectFactory& SpyObjectFactory::Instance() {
    static SpyObjectFactory factory;
    return factory;
}

bool SpyObjectFactory::Register(const std::string& key, Creator creator) {
    return m_registry.registerClass(key, creator);
}

SpyObject* SpyObjectFactory::NewObject(const std::string& key, SpyRoom* room, const std::string& name) const {
    Creator creator = m_registry.find(key);
    if (!creator) {
        a_log("SpyObjectFactory::NewObject - object class '%s' not registered", key.c_str());
        return nullptr;
    }
    return creator(room, name);
}
