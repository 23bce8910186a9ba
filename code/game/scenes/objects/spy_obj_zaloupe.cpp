#include "game/scenes/objects/spy_obj_zaloupe.h"

#include "game/scenes/objects/spy_object_factory.h"
#include "game/scenes/spy_values.h"
#include "mirel/util/a_optionsfile.h"

namespace {

[[maybe_unused]] const bool g_registered =
    SpyObjectFactory::Instance().Register("Zaloupe", &SpyObjectFactory::Create<SpyObjZaloupe>);

} // namespace

SpyObjZaloupe::SpyObjZaloupe(SpyRoom* room, const std::string& name) : SpyObject(room, name) {}

SpyObjZaloupe::~SpyObjZaloupe() = default;

void SpyObjZaloupe::Create(const aOptionsFile& section) {
    SpyObject::Create(section);
    m_hitDistance = section.hasKey("HitDistance") ? SpyReadFloat(section.getString("HitDistance")) : 0.0f;
}

bool SpyObjZaloupe::IsKindOf(const std::string& key) const {
    return key == "Zaloupe";
}
