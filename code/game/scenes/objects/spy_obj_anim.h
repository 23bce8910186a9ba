#pragma once
// The animated scene objects of a hidden-object room.
//
// "Animation" (SpyObjAnim): an image object whose rectangle is a strip of
// frames ("FrameSize" "w h", "FrameCount", "FPS") played as an animation.
// "PlayMode" 0 loops, 1 loops back and forth, 2 plays once when the object is
// clicked or used; in mode 2 the object named "HiddenObj" stays hidden
// (state 2) until the last frame shows, and the vanish effect waits for the
// end of the animation. "SaveState" 0 forgets a finished mode-2 animation at
// the next level.
//
// "Butterfly" (SpyObjButterfly): an animation that rests and then flaps once
// forward or back at a random pace between its "FPS" and "MPS" ("IdleTime"
// "lo hi" seconds of rest; "VarFrames" lets it stop up to that many frames
// early).
//
// "LoveBirds" (SpyObjLoveBirds): three phases from the room's images
// "<name>_0" .. "<name>_2" ("Anim%dParams" "w h count fps", "Anim%dxy" the
// phase's offset); every "OccurenceTime" seconds they play once: phase 0,
// phase 1 looping for "LoopTime" seconds, phase 2. Only phase 1 can be
// clicked. A hint starts the sequence at once.
//
// "CoupleDancing" (SpyObjCoupleDancing): one animation of the room's image
// named like the object ("AnimParams" "w h count fps") that plays once every
// "OccurenceTime" seconds and can be clicked only while it plays.
//
// Both ambient classes play the room's sound named like the object as their
// sequence starts. Frame counts below 1 are read as 1, and frame rates that
// are not above 0 as 1 frame a second, each with a log line.

#include "game/scenes/objects/spy_obj_image.h"
#include "mirel/gfx/a_anim.h"

class SpyObjAnim : public SpyObjImage {
public:
    enum PlayMode : int32_t { MODE_LOOP = 0, MODE_PINGPONG = 1, MODE_ONCE = 2 };
    // activated-saved, started, triggered (u8 each), u16 frame, u8 playing,
    // then the base record.
    static constexpr size_t kRecordSize = 6 + SpyObject::kRecordSize;

    SpyObjAnim(SpyRoom* room, const std::string& name);
    ~SpyObjAnim() override;

    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;

    void Create(const aOptionsFile& section) override;
    void UnloadResources() override;
    void Init() override;
    void Enter() override;
    bool IsKindOf(const std::string& key) const override;
    void Update(float dt) override;
    bool HitTest(int32_t x, int32_t y) const override;
    bool IsVanishing() const override;
    bool Activate(bool on, SpyObject* used) override;
    float GetWidth() const override { return float(m_frameWidth); }
    float GetHeight() const override { return float(m_frameHeight); }
    void Draw(uint32_t colour) override;

    aAnim& GetAnim() { return m_anim; }
    const aAnim& GetAnim() const { return m_anim; }
    int32_t GetPlayMode() const { return m_playMode; }
    bool IsStarted() const { return m_started; }
    bool IsTriggered() const { return m_triggered; }

protected:
    void ApplyPlayMode();

    aAnim m_anim;
    int32_t m_playMode = MODE_LOOP;
    int32_t m_frameWidth = 0;
    int32_t m_frameHeight = 0;
    bool m_started = false;
    bool m_triggered = false;
    SpyObject* m_hiddenObject = nullptr;
    bool m_saveState = true;
    bool m_activatedSaved = false;
};

class SpyObjButterfly : public SpyObjAnim {
public:
    SpyObjButterfly(SpyRoom* room, const std::string& name);

    void Create(const aOptionsFile& section) override;
    void Init() override;
    void Update(float dt) override;
    bool IsKindOf(const std::string& key) const override;

    float GetBaseFrameTime() const { return m_baseFrameTime; }
    float GetMovingFrameTime() const { return m_movingFrameTime; }
    int32_t GetVarFrames() const { return m_varFrames; }

private:
    float m_idleTimer = 0.0f;
    float m_idleDuration = 0.0f;
    SpyPoint m_idleRange{0.0f, 0.0f};
    float m_baseFrameTime = 0.0f;
    float m_movingFrameTime = 0.0f;
    int32_t m_varFrames = 0;
};

// An object that comes now and then, after a random wait drawn from
// "OccurenceTime", with the room's sound of its name; taken, it stops its
// sound and vanishes, and a hint brings it at once.
class SpyObjOccasional : public SpyObject {
public:
    using SpyObject::SpyObject;

    bool Activate(bool on, SpyObject* used) override;
    void SetHighlight(bool on) override;
    void Leave() override;

    float GetOccurrenceCountdown() const { return m_occurrenceCountdown; }

protected:
    SpyPoint m_occurrenceRange{0.0f, 0.0f};
    float m_occurrenceCountdown = 0.0f;
    aSound* m_sound = nullptr; // the room's sound group's
};

class SpyObjLoveBirds : public SpyObjOccasional {
public:
    static constexpr int32_t kPhases = 3;

    SpyObjLoveBirds(SpyRoom* room, const std::string& name);
    ~SpyObjLoveBirds() override;

    void Create(const aOptionsFile& section) override;
    void UnloadResources() override;
    void Init() override;
    // Waiting again at phase 0, with new countdowns.
    void Reset() override;
    void Update(float dt) override;
    bool HitTest(int32_t x, int32_t y) const override;
    bool IsKindOf(const std::string& key) const override { return key == "LoveBirds"; }
    float GetWidth() const override { return float(m_anims[m_phase].getWidth()); }
    float GetHeight() const override { return float(m_anims[m_phase].getHeight()); }
    void Draw(uint32_t colour) override;

    int32_t GetPhase() const { return m_phase; }
    const aAnim& GetAnim(int32_t phase) const { return m_anims[phase]; }

private:
    aAnim m_anims[kPhases];
    int32_t m_phase = 0;
    SpyPoint m_offsets[kPhases];
    SpyPoint m_loopRange{0.0f, 0.0f};
    float m_loopCountdown = 0.0f;
    SpyPoint m_base;
};

class SpyObjCoupleDancing : public SpyObjOccasional {
public:
    SpyObjCoupleDancing(SpyRoom* room, const std::string& name);
    ~SpyObjCoupleDancing() override;

    void Create(const aOptionsFile& section) override;
    void UnloadResources() override;
    void Init() override;
    void Update(float dt) override;
    bool HitTest(int32_t x, int32_t y) const override;
    bool IsKindOf(const std::string& key) const override { return key == "CoupleDancing"; }
    float GetWidth() const override { return float(m_anim.getWidth()); }
    float GetHeight() const override { return float(m_anim.getHeight()); }
    void Draw(uint32_t colour) override;

    const aAnim& GetAnim() const { return m_anim; }

private:
    aAnim m_anim;
};
