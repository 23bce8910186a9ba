#pragma once
// The base of every picture element of a hidden-object room that can be
// found, dragged, filled, animated or merely shown. Its keys come from the
// object's section of the room's "objects.ini"; the room (SpyRoom) creates it
// through SpyObjectFactory by the section's "Class", then calls Create with
// the section and Init each time it loads its resources for a level.
//
// States: 0 present and clickable, 1 taken (neither drawn nor clicked);
// classes may use more. A taken object runs its vanish effect for 1.4 s and
// then, unless "Vanish" is 0, moves to state 1. An object named N has a
// linked object, "#s" + the rest of N when N begins with "#i", else
// "#s_" + N; the linked object follows N's state. Objects whose name begins
// with "#s" are shadows: drawn, never hit.
//
// Saved as the record "o:" + room name + ":" + object name (21 bytes):
//   f32 x, f32 y, u32 state, u32 position in container, u8 vanishing,
//   f32 effect timer.

#include "game/save/save_load.h"

#include <cfloat>
#include <cstdint>
#include <string>

class SpyRoom;
class aOptionsFile;
class aSound;

struct SpyPoint {
    float x = 0.0f;
    float y = 0.0f;
};

class SpyObject : public SaveLoadEntity {
public:
    enum State : uint32_t { STATE_PRESENT = 0, STATE_TAKEN = 1 };
    // Hotspot kinds: the key table's index, and the centre.
    enum Hotspot : uint32_t { HOTSPOT_HINT = 0, HOTSPOT_DRAG = 1, HOTSPOT_CENTRE = 2 };
    // An unset point has this x.
    static constexpr float kUnset = FLT_MAX;
    static constexpr int32_t kDefaultAlpha = 16;
    // Seconds of the vanish effect, and the period of its swell.
    static constexpr float kVanishTime = 1.4f;
    static constexpr float kVanishPeriod = 0.7f;
    // The playfield's left edge on the screen: "X" is given from there.
    static constexpr float kPlayfieldX = 179.0f;
    static constexpr size_t kRecordSize = 21;
    // The key names of the two hotspot kinds, by kind.
    static const char* const kHotspotKeys[2];

    SpyObject(SpyRoom* room, const std::string& name);
    ~SpyObject() override;

    // ---- SaveLoadEntity: the record above ----
    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;

    // Reads the keys of the section the options file is positioned on.
    virtual void Create(const aOptionsFile& section);
    virtual void UnloadResources();
    // Clears the vanish and highlight effects.
    virtual void Init();
    // True for the class key of its own class and of its bases.
    virtual bool IsKindOf(const std::string& key) const;
    // The vanish and highlight timers.
    virtual void Update(float dt);
    // Whether the point, relative to the top-left corner, hits the object.
    virtual bool HitTest(int32_t x, int32_t y) const;
    virtual void Reset() {}
    // Stores the state; with propagate, the linked object follows.
    virtual void SetState(uint32_t state, bool propagate);
    virtual bool IsVanishing() const { return m_vanishing; }
    // Taken by a click (used null) or by another object put into it or it
    // into another; true when the object reacted.
    virtual bool Activate(bool on, SpyObject* used);
    // Containers answer true while nothing has been put in.
    virtual bool IsEmpty() const { return false; }
    virtual void Enter() {}
    // A running vanish completes at once; the highlight ends.
    virtual void Leave();
    // Switching on restarts the pulse at 0.
    virtual void SetHighlight(bool on);
    virtual float GetWidth() const = 0;
    virtual float GetHeight() const = 0;
    virtual void Draw(uint32_t colour) = 0;

    // ---- used by the room and the classes ----
    void SetLinkedState(uint32_t state);
    // The hotspot of the kind (unset ones and kind 2: the centre), relative
    // to the top-left corner or, when absolute, on the screen.
    SpyPoint GetHotspot(uint32_t kind, bool absolute) const;
    // The other object's absolute hotspot minus this one's.
    SpyPoint GetHotspotOffset(const SpyObject& other, uint32_t kind) const;
    // Null when unset.
    const SpyPoint* GetDropDistance() const { return m_dropDistance.x == kUnset ? nullptr : &m_dropDistance; }
    // Radians while lifted, else 0.
    float GetDragAngle() const;
    // 1.0 to 1.5 and back every 0.7 s of the effect timer, from 1.0.
    float GetVanishScale() const;
    // The own pickup sound, or the default one.
    void PlayPickupSound(aSound* defaultSound) const;
    // Draws in white, then while highlighted and not vanishing once more
    // additively with the pulsing alpha.
    void DrawHighlighted();
    // The alpha byte of the highlight pulse at the effect timer.
    uint8_t GetHighlightAlpha() const;

    SpyObject* GetLinkedObject() const { return m_linked; }
    const std::string& GetName() const { return m_name; }
    int32_t GetAlphaThreshold() const { return m_alphaThreshold; }
    float GetX() const { return m_x; }
    float GetY() const { return m_y; }
    void SetPosition(float x, float y) {
        m_x = x;
        m_y = y;
    }
    uint32_t GetState() const { return m_state; }
    bool IsVanish() const { return m_vanish; }
    bool IsHighlighted() const { return m_highlighted; }
    float GetEffectTimer() const { return m_effectTimer; }
    aSound* GetPickupSound() const { return m_pickupSound; }
    int32_t GetPosInContainer() const { return m_posInContainer; }
    bool IsItemClickOnly() const { return m_itemClickOnly; }
    bool IsMoveToTop() const { return m_moveToTop; }
    bool IsShadow() const { return m_shadow; }
    bool IsLifted() const { return m_lifted; }
    void SetLifted(bool lifted) { m_lifted = lifted; }
    bool IsTolerant() const { return m_tolerant; }
    void SetTolerant(bool tolerant) { m_tolerant = tolerant; }

    // The name of the object an object of this name is linked to.
    static std::string LinkedName(const std::string& name);
    // Whether the name is a shadow's ("#s" and more).
    static bool IsShadowName(const std::string& name);

protected:
    SpyRoom* m_room;
    SpyObject* m_linked = nullptr;
    std::string m_name;
    int32_t m_alphaThreshold = kDefaultAlpha;
    float m_x = 0.0f;
    float m_y = 0.0f;
    uint32_t m_state = STATE_PRESENT;
    bool m_vanish = true;
    bool m_vanishing = false;
    bool m_highlighted = false;
    float m_effectTimer = 0.0f;
    aSound* m_pickupSound = nullptr; // the room's sound group's
    int32_t m_posInContainer = 0;
    bool m_itemClickOnly = true;
    bool m_moveToTop = true;
    SpyPoint m_hotspots[2] = {{kUnset, 0.0f}, {kUnset, 0.0f}};
    float m_dragAngle = 0.0f; // degrees
    SpyPoint m_dropDistance{kUnset, 0.0f};
    bool m_shadow;
    bool m_lifted = false;
    bool m_tolerant = false;
};
