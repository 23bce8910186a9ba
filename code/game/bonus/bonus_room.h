#pragma once
// The bonus room "#bonus_room": the level's one puzzle, made by the class
// named in the level file's "BonusRound" section. After the level goal was
// reached the room shows the round's title picture "bonus_round" for 3 s;
// then the puzzle plays. "skip_bonus_round" asks "confirm_skip_dialog"
// ("yes" solves the puzzle, "no" plays on); once the puzzle is solved the
// level's "bonus_completed" text shows, and the finish button
// "finalize_bonus_round" appears with its particles and sound and completes
// the level. The level clock stands while the room is current.
//
// A level without a puzzle (no section, no "Class" or an unknown class) is
// logged; its room offers skip and finish at once, so the level can end.

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
    static constexpr const char* kSection = "BonusRound";
    // Seconds the title picture shows.
    static constexpr float kTitleTime = 3.0f;

    BonusRoom(aImageManager* images, aSoundManager* sounds, GameServices* game);
    ~BonusRoom() override;

    void AfterSave(SaveLoadSystem& system) override;
    void AfterLoad(SaveLoadSystem& system) override;
    bool IsKind(uint32_t kind) const override { return kind == KIND_BONUS; }
    // Makes the level's puzzle (after the base's resources).
    void LoadResources(const aOptionsFile& level) override;
    void UnloadResources() override;
    void Draw() override;
    void Update(float dt) override;
    void Enter(aSound* defaultSound) override;
    void Leave(aSound* defaultSound) override;
    bool PausesTimer() const override { return true; }

    // The title picture shows for the first 3 s of the stay; the game sets
    // it when the level goal leads here.
    void SetShowTitle(bool on) { m_showTitle = on; }
    bool IsShowingTitle() const { return m_showTitle; }
    BonusRound* GetPuzzle() const { return m_puzzle.get(); }
    bool IsFinished() const { return m_finished; }

    // The click handlers of the finish and skip buttons and of the skip
    // dialog's "yes" and "no" (told apart by their Tag: 0 is "no").
    bool OnFinishClick(const GUI::EventArgs& args);
    bool OnSkipClick(const GUI::EventArgs& args);
    bool OnSkipAnswer(const GUI::EventArgs& args);

private:
    // Solved, or no puzzle at all.
    bool IsPuzzleCompleted() const;
    void ShowFinishButton();
    // The first update with a solved puzzle: the completion message.
    void HandleCompletion();
    // The finish button appears with its particles and the finish sound.
    void RevealFinishButton();

    std::unique_ptr<BonusRound> m_puzzle;
    GUI::Widget* m_confirmDialog = nullptr;
    GUI::Widget* m_skipButton = nullptr;
    GUI::Widget* m_finishButton = nullptr;
    bool m_finished = false;
    bool m_showTitle = false;
    bool m_completionHandled = false;
    aImage* m_titleImage = nullptr;
    bool m_titleImageFetched = false;

    GUI::_memberBinder<BonusRoom> m_finishBinder{this, &BonusRoom::OnFinishClick};
    GUI::_memberBinder<BonusRoom> m_skipBinder{this, &BonusRoom::OnSkipClick};
    GUI::_memberBinder<BonusRoom> m_answerBinder{this, &BonusRoom::OnSkipAnswer};
    GUI::ScopedConnection m_finishConnection;
    GUI::ScopedConnection m_skipConnection;
    GUI::ScopedConnection m_yesConnection;
    GUI::ScopedConnection m_noConnection;
};
