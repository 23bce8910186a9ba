#pragma once
// One room on the level map: a static image cut from the map picture, hit
// tested by a mask of the room's outline, with a soft highlight while the
// mouse is over it and an attention blink the game switches on. The game
// builds one hidden-object room per room button and switches to it on a
// click.
//
// The button named N shows the image N of the image group "map" and takes
// its mask from "data:images/map/regions/N.bmp"; a name ending in "_night"
// uses its day twin's picture and mask. Of its children (at least three,
// laid out in screen coordinates in the script), child 0 is the room's
// label picture, child 1 the completed sign and child 2 the count label;
// clicks on children 0 and 2 count as clicks on the button.

#include "mirel/gui/gui_event.h"
#include "mirel/gui/gui_staticimage.h"

#include <memory>
#include <string>

namespace GUI {
class Region;
}

class RoomButton : public GUI::StaticImage {
public:
    // The highlight's alpha while lit.
    static constexpr float kHighlight = 0.4f;
    // Child 0's alpha while the button is disabled.
    static constexpr float kDisabledLabelAlpha = 0.32f;

    explicit RoomButton(const std::string& name);
    ~RoomButton() override;

    std::string GetType() const override { return "RoomButton"; }
    bool IsKindOf(const std::string& type) const override {
        return type == "RoomButton" || type == "StaticImage";
    }
    void Initialize() override;
    void Draw() override;
    void UpdateFade(float dt) override;
    void OnEnabled(GUI::WidgetEventArgs& e) override;
    void OnDisabled(GUI::WidgetEventArgs& e) override;

    // Switching on restarts the blink cycle only when it was off.
    void SetFlashing(bool on);
    bool IsFlashing() const { return m_flashing; }
    float GetFlashTimer() const { return m_flashTimer; }
    float GetHighlight() const { return m_highlight; }
    const GUI::Region* GetMask() const { return m_mask.get(); }

    // The name without a trailing "_night".
    static std::string DayName(const std::string& name);
    static std::string MaskPath(const std::string& name);

private:
    bool OnChildClick(const GUI::EventArgs& args);

    std::unique_ptr<GUI::Region> m_mask;
    bool m_flashing = false;
    float m_flashTimer = 0.0f;
    float m_highlight = 0.0f;
    bool m_laidOut = false;

    GUI::_memberBinder<RoomButton> m_childClickBinder{this, &RoomButton::OnChildClick};
    GUI::ScopedConnection m_childClicks[2];
};
