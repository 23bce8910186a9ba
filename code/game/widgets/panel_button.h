#pragma once
// A panel button that can call attention to itself: while flashing, a copy of
// its hover picture grows from its own size to one and a half times it around
// its centre and fades out, one pulse every two seconds. Switching the
// flashing off lets the current pulse end.

#include "mirel/gui/gui_imagebutton.h"

class PanelButton : public GUI::ImageButton {
public:
    static constexpr float kPulseTime = 2.0f;

    explicit PanelButton(const std::string& name);

    std::string GetType() const override { return "PanelButton"; }
    bool IsKindOf(const std::string& type) const override {
        return type == "PanelButton" || type == "ImageButton" || type == "ButtonBase";
    }
    void SetFlashing(bool on);
    void UpdateFade(float dt) override;
    void Draw() override;

    bool IsFlashing() const { return m_flashing; }
    // Seconds into the pulse; -1 without one.
    float GetGlowTimer() const { return m_glowTimer; }

private:
    bool m_flashing = false;
    float m_glowTimer = -1.0f;
};
