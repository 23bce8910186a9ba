#pragma once
// The base of the bonus-round puzzles: a self-contained puzzle shown in the
// bonus room at the end of a level. Its saved record is "b:" + the puzzle's
// name; its pictures lie in "data:images/bonus/<puzzle name>/".

#include "game/save_load.h"

#include <string>

class GameApp;

class BonusRound : public SaveLoadEntity {
public:
    explicit BonusRound(const std::string& puzzleName);
    ~BonusRound() override;

    // A puzzle's record is empty.
    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;

    virtual void Update(float dt);
    virtual void Draw();
    virtual bool IsCompleted() const { return m_completed; }
    virtual void Show();
    virtual void Hide();
    virtual void OnCompleted() {}
    virtual void PlayFinishSound() {}
    virtual void StopFinishSound() {}
    // Puts the puzzle into its solved state.
    virtual void Solve() { m_completed = true; }

    const std::string& GetImageFolder() const { return m_imageFolder; }

protected:
    GameApp* m_app;
    std::string m_imageFolder;
    bool m_completed = false;
};
