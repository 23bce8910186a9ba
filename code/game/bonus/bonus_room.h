#pragma once
// The bonus room "#bonus_room": the level's one puzzle, its title picture
// after the level goal was reached, and the "skip_bonus_round" and
// "finalize_bonus_round" buttons; the finish button completes the level. The
// level clock stops while the room is current.
//
// The puzzles are not built yet: the room holds none, so the level's round
// counts as solved and the finish button shows on entry.

#include "game/room.h"
#include "mirel/gui/gui_event.h"

#include <memory>

class BonusRound;
class aImage;
namespace GUI {
class Widget;
}

class BonusRoom : public Room {
public:
    static constexpr const char* kName = "#bonus_room";
    // Seconds the title picture shows.
    static constexpr float kTitleTime = 3.0f;

    BonusRoom(aImageManager* images, aSoundManager* sounds);
    ~BonusRoom() override;

    void AfterSave(SaveLoadSystem& system) override;
    void AfterLoad(SaveLoadSystem& system) override;
    bool IsKind(uint32_t kind) const override { return kind == KIND_BONUS; }
    void LoadResources(const aOptionsFile& level) override;
    void UnloadResources() override;
    void Draw() override;
    void Update(float dt) override;
    void Enter(aSound* defaultSound) override;
    void Leave(aSound* defaultSound) override;
    bool PausesTimer() const override { return true; }

    // The title picture shows for the first 3 s of the stay.
    void SetShowTitle(bool on) { m_showTitle = on; }
    bool IsShowingTitle() const { return m_showTitle; }
    BonusRound* GetPuzzle() const { return m_puzzle.get(); }
    bool IsFinished() const { return m_finished; }

private:
    bool IsPuzzleCompleted() const;
    void ShowFinishButton();
    bool OnFinishClick(const GUI::EventArgs& args);

    std::unique_ptr<BonusRound> m_puzzle;
    GUI::Widget* m_finishButton = nullptr;
    GUI::Widget* m_skipButton = nullptr;
    aImage* m_titleImage = nullptr;
    bool m_finished = false;
    bool m_showTitle = false;
    bool m_completionHandled = false;

    GUI::_memberBinder<BonusRoom> m_finishBinder{this, &BonusRoom::OnFinishClick};
    GUI::ScopedConnection m_finishConnection;
};
