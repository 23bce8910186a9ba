#pragma once
// The base of the bonus-round puzzles: a self-contained puzzle shown in the
// bonus room at the end of a level. Each puzzle class has a fixed puzzle
// name: its saved record is "b:" + the name, its pictures lie in
// "data:images/bonus/<name>/" (the list "ImageList.txt" there is loaded into
// the image group "bonus" while the puzzle lives).
//
// A puzzle reads its own keys from the level file's "BonusRound" section,
// the current section of the options file it is made from. It shows the
// level's text "levN.bonus_desc" in the widget "bonus_desc" while the room is
// current, and plays the sound "btn_finish_level" when the bonus room shows
// its finish button. Its saved record is empty: a round starts afresh after
// a saved game is loaded.

#include "game/save/save_load.h"

#include <cstdint>
#include <string>

class GameServices;
class aImage;
class aImageManager;
class aInputServer;
class aOptionsFile;
class aSound;
class aSoundManager;
namespace GUI {
class Widget;
}

class BonusRound : public SaveLoadEntity {
public:
    // The image group of every puzzle's own pictures.
    static constexpr const char* kImageGroup = "bonus";
    // GetResult.
    enum Result : uint32_t { RESULT_SOLVED = 0, RESULT_UNSOLVED = 2 };

    // The game is null for a puzzle on its own.
    BonusRound(const std::string& puzzleName, const aOptionsFile& options, GameServices* game);
    // Unloads the image list.
    ~BonusRound() override = 0;

    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;

    virtual void Update(float dt);
    virtual void Draw();
    virtual bool IsCompleted() const { return m_completed; }
    // UpdateDescription, then the description widget is shown; the next
    // ReadPointer takes the cursor afresh.
    virtual void Show();
    virtual void Hide();
    // When the bonus room showed the completion message.
    virtual void OnCompleted() {}
    // Stops the music with a fade and plays the finish sound once.
    virtual void PlayFinishSound();
    virtual void StopFinishSound();
    virtual bool HasHint() const { return false; }
    virtual void UseHint() = 0;
    // Puts the puzzle into its solved state.
    virtual void Solve() { m_completed = true; }
    virtual uint32_t GetResult() const { return IsCompleted() ? RESULT_SOLVED : RESULT_UNSOLVED; }
    // The description widget's text := the level's "bonus_desc" text.
    virtual void UpdateDescription();

    const std::string& GetPuzzleName() const { return m_puzzleName; }
    const std::string& GetImageFolder() const { return m_imageFolder; }
    aSound* GetFinishSound() const { return m_finishSound; }

protected:
    // The game's managers and input (null without a game).
    aImageManager* Images() const;
    aSoundManager* Sounds() const;
    aInputServer* Input() const;
    // A picture of the group "bonus" (null, logged, when missing).
    aImage* GetImage(const std::string& name) const;
    // A sound without group, or null (logged) when missing.
    aSound* GetSound(const std::string& name) const;

    // The cursor as a puzzle that carries pieces reads it, once an update:
    // where it is, how far it moved since the previous read (a held piece
    // follows that), and the left and right buttons pressed this frame.
    // Without an input server the cursor stays where it was. The first read
    // after Show takes the cursor as it is, so a jump of the cursor while the
    // room was away moves no held piece.
    struct Pointer {
        int32_t x = 0, y = 0;
        int32_t dx = 0, dy = 0;
        bool leftPressed = false;
        bool rightPressed = false;
    };
    Pointer ReadPointer();

    std::string m_puzzleName;
    GameServices* m_app;
    std::string m_imageFolder;
    GUI::Widget* m_description = nullptr;
    bool m_completed = false;
    aSound* m_finishSound = nullptr;

private:
    std::string ImageListPath() const { return m_imageFolder + "ImageList.txt"; }

    int32_t m_pointerX = 0, m_pointerY = 0;
    bool m_pointerKnown = false;
};
