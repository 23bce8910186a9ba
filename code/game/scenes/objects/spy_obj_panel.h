#pragma once
// A panel (class key "Panel") that, once activated, pops out (up and to the
// right by "PopDistance" pixels over "PopTime" seconds) and then slides
// aside ("SlideDistance" pixels to the right over "SlideTime" seconds). At
// the end it starts the particle system named room + "_" + object at its
// start place plus the hint hotspot and plays its pickup sound. Its picture
// is three frames stacked: 0 the panel, 1 drawn over it once opened, 2 the
// glow behind it, fading in over the pop. The sound named like the object
// plays when it opens. A pop or slide time that is not above 0 is logged and
// that part happens at once.
//
// Saved as one byte, opened; a loaded open panel stands at its end place.

#include "game/scenes/objects/spy_obj_image.h"

class SpyObjPanel : public SpyObjImage {
public:
    SpyObjPanel(SpyRoom* room, const std::string& name);
    ~SpyObjPanel() override;

    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;
    void Create(const aOptionsFile& section) override;
    void UnloadResources() override;
    void Init() override;
    bool IsKindOf(const std::string& key) const override;
    // Opens the panel, whatever is asked; true.
    bool Activate(bool on, SpyObject* used) override;
    void Update(float dt) override;
    float GetHeight() const override { return float(m_rect.height) / 3.0f; }
    void Draw(uint32_t colour) override;

    // One step of the opening; true when it reached its end in this step.
    bool Step(float dt);
    bool IsOpened() const { return m_opened; }
    float GetTimer() const { return m_timer; }
    // The glow's alpha byte at the timer.
    uint8_t GetGlowAlpha() const;
    std::string GetParticleName() const;

private:
    float m_popDistance = 0.0f;
    float m_popTime = 0.0f;
    float m_slideDistance = 0.0f;
    float m_slideTime = 0.0f;
    bool m_opened = false;
    float m_startX = 0.0f;
    float m_startY = 0.0f;
    float m_timer = 0.0f;
    bool m_ended = false;      // the timer reached pop time + slide time
    aSound* m_sound = nullptr; // the room's sound group's
};
