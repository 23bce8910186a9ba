#pragma once
// The hint button of the panel. Its first child is the label with the hints
// left (hidden for the GUI: the button draws it itself, under its picture).
// It is enabled while hints are left and the current room gives hints; a
// click in a room without hints shows the tip "hints_disabled_here"; clicks
// less than a second after an accepted one are ignored. The game hands
// itself to its hint buttons when it wires the GUI; until then a button
// counts no hints.

#include "mirel/gui/gui_imagebutton.h"

class GameServices;

class HintButton : public GUI::ImageButton {
public:
    // Seconds between two accepted clicks.
    static constexpr float kClickInterval = 1.0f;

    explicit HintButton(const std::string& name);

    std::string GetType() const override { return "HintButton"; }
    bool IsKindOf(const std::string& type) const override {
        return type == "HintButton" || type == "ImageButton" || type == "ButtonBase";
    }
    void Initialize() override;
    void UpdateFade(float dt) override;
    void Draw() override;
    void OnClick(GUI::MouseEventArgs& e) override;

    void SetGame(GameServices* game) { m_game = game; }

    GUI::Widget* GetLabel() const { return m_label; }

private:
    GameServices* m_game = nullptr;
    GUI::Widget* m_label = nullptr;
    float m_clickTimer = 0.0f;
};
