#include "game/scenes/objects/spy_obj_evrane_body.h"

#include "game/scenes/objects/spy_object_factory.h"
#include "game/scenes/spy_room.h"
#include "mirel/util/a_optionsfile.h"

namespace {

[[maybe_unused]] const bool g_registered =
    SpyObjectFactory::Instance().Register("EvraneBody", &SpyObjectFactory::Create<SpyObjEvraneBody>);

} // namespace

SpyObjEvraneBody::SpyObjEvraneBody(SpyRoom* room, const std::string& name) : SpyObjImage(room, name) {}

SpyObjEvraneBody::~SpyObjEvraneBody() = default;

void SpyObjEvraneBody::Create(const aOptionsFile& section) {
    SpyObjImage::Create(section);
    if (m_objectsRead)
        return;
    m_objectsRead = true;
    std::vector<std::string> names;
    section.getStringList(section.getSectionName(), "Objects", names);
    for (const std::string& name : names) {
        SpyObject* object = m_room ? m_room->FindObjectByName(name, false) : nullptr;
        if (object && object != this)
            m_objects.push_back(object);
    }
}

void SpyObjEvraneBody::Init() {
    SetTaken(false);
    SpyObjImage::Init();
}

bool SpyObjEvraneBody::IsKindOf(const std::string& key) const {
    return key == "EvraneBody" || SpyObjImage::IsKindOf(key);
}

bool SpyObjEvraneBody::Activate(bool on, SpyObject*) {
    if (!on)
        return false;
    SetTaken(true);
    return true;
}

void SpyObjEvraneBody::SetTaken(bool taken) {
    SetState(taken ? STATE_TAKEN : STATE_PRESENT, true);
    for (SpyObject* object : m_objects)
        object->SetState(taken ? STATE_PRESENT : STATE_TAKEN, true);
}
