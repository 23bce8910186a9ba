#pragma once
// A picture (class key "EvraneBody") that, when taken, gives way at once to
// the objects it lay over: "Objects" names them (read the first time the
// object is created). While the body shows they are hidden (state 1); taken,
// the body goes (state 1) and they become clickable (state 0). Their states
// are saved in their own records.

#include "game/scenes/objects/spy_obj_image.h"

#include <vector>

class SpyObjEvraneBody : public SpyObjImage {
public:
    SpyObjEvraneBody(SpyRoom* room, const std::string& name);
    ~SpyObjEvraneBody() override;

    void Create(const aOptionsFile& section) override;
    // The body shows, its objects are hidden.
    void Init() override;
    bool IsKindOf(const std::string& key) const override;
    // Off does nothing; on, the body is taken at once, without the vanish.
    bool Activate(bool on, SpyObject* used) override;

    void SetTaken(bool taken);
    const std::vector<SpyObject*>& GetLinkedObjects() const { return m_objects; }

private:
    std::vector<SpyObject*> m_objects; // the room's
    bool m_objectsRead = false;
};
