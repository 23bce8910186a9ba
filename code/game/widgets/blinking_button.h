#pragma once
// An image button whose hover cross-fade pulses by itself, up over its
// FadeInTime and down over its FadeOutTime, whatever the mouse does.

#include "mirel/gui/gui_imagebutton.h"

class BlinkingButton : public GUI::ImageButton {
public:
    explicit BlinkingButton(const std::string& name);

    std::string GetType() const override { return "BlinkingButton"; }
    bool IsKindOf(const std::string& type) const override {
        return type == "BlinkingButton" || type == "ImageButton" || type == "ButtonBase";
    }
    void UpdateFade(float dt) override;

private:
    bool m_direction = false;
};
