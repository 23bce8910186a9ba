#pragma once
// An animation cut from an image grid, stretched over the widget, with a
// second animation for the disabled state.

#include "mirel/gfx/a_anim.h"
#include "mirel/gui/gui_widget.h"

#include <string>

namespace GUI {

class StaticAnim : public Widget {
public:
    explicit StaticAnim(const std::string& name);
    ~StaticAnim() override = default;

    void EndFillProperties() override;
    std::string GetType() const override { return "StaticAnim"; }
    bool IsKindOf(const std::string& type) const override { return type == "StaticAnim"; }
    void Draw() override;
    // The hover fade, then both animations advance.
    void UpdateFade(float dt) override;

    const aAnim& GetAnim() const { return m_normal; }
    const aAnim& GetDisabledAnim() const { return m_disabled; }

protected:
    aAnim m_normal;
    aAnim m_disabled;
    float m_color[4] = {1.0f, 1.0f, 1.0f, 1.0f}; // red, green, blue, alpha
    float m_rotation = 0.0f;                     // degrees

    Property m_propAnimType;
    Property m_propNumFrames;
    Property m_propFrameSize;
    Property m_propFPS;
    Property m_propStartFrame;
    Property m_propNormalImage;
    Property m_propNormalRect;
    Property m_propDisabledImage;
    Property m_propDisabledRect;
    Property m_propColor;
    Property m_propRotAngle;
};

// Animation flags from up to three words among "noloop", "pingpong" and
// "back"; looping forward without any.
uint32_t ParseAnimType(const std::string& value);

} // namespace GUI
