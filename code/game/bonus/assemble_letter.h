#pragma once
// The torn-letter puzzle ("AssembleLetter"): the pieces of a letter lie
// scattered over the play area. A click picks a piece up, the right button
// turns the held piece a quarter turn, the next click puts it down; a piece
// put down unturned within 15 pixels of its place in the letter locks there.
// The round is solved when every piece is locked.
//
// Files, in "data:images/bonus/letter_assemble/" + the key "Letter" + "/":
//   ImageList.txt  the piece pictures (image group "letter")
//   layout.txt     three lines per piece: its picture's name, its target x
//                  and y from the letter's top-left corner
//   params.ini     by position: the first section's "x" and "y" place the
//                  letter on the screen; the second has one key per piece,
//                  "x,y,turns", where it starts (a piece without one starts
//                  at a random place, unturned)
// The puzzle's own folder holds "background"; the GUI style
// "assemble_letter_frame" frames the letter until it is complete.

#include "game/bonus/bonus_round.h"

#include <cstdint>
#include <list>
#include <string>
#include <vector>

namespace GUI {
class Style;
}

class AssembleLetter : public BonusRound {
public:
    static constexpr const char* kPuzzleName = "letter_assemble";
    static constexpr const char* kLetterGroup = "letter";
    // A piece locks when put down closer than this to its place, in both axes.
    static constexpr float kLockDistance = 15.0f;
    // Pieces fly to their place at this speed (pixels a second) after a hint.
    static constexpr float kFlySpeed = 1500.0f;
    // A pixel of a piece is part of it when its alpha byte is above this.
    static constexpr uint32_t kAlphaThreshold = 0x20;
    // The play area right of the panel.
    static constexpr int32_t kPlayLeft = 179;
    static constexpr int32_t kPlayRight = 1024;
    static constexpr int32_t kPlayBottom = 768;

    struct Piece {
        std::string name;
        aImage* image = nullptr;
        float x = 0.0f, y = 0.0f; // top-left corner of the unturned picture
        int32_t orientation = 0;  // quarter turns counter-clockwise, 0..3
        int32_t targetX = 0, targetY = 0;
        float startX = 0.0f, startY = 0.0f;
        int32_t startOrientation = 0;
        float angle = 0.0f; // drawing rotation, radians
        float flyTime = 0.0f;
        float angularSpeed = 0.0f;
        float glow = 0.0f;
        bool locked = false;
        bool hovered = false;
    };

    AssembleLetter(const aOptionsFile& options, GameServices* game);
    ~AssembleLetter() override;

    void Update(float dt) override;
    void Draw() override;
    void OnCompleted() override;
    // One unlocked piece flies to its place and locks there.
    void UseHint() override;
    // Every piece locks in its place.
    void Solve() override;

    void DrawPiece(const Piece& piece, bool lifted, uint32_t colour) const;
    bool HitTestPiece(const Piece& piece, int32_t x, int32_t y) const;
    // Random start places, then the letter's place and the start places of params.ini.
    void ScatterPieces();
    // Every piece to its start place, unlocked.
    void ApplyLayout(int32_t layout);
    void UpdateFlyingPieces(float dt);

    // Drawing order: the first piece is drawn last, on top.
    const std::list<Piece>& GetPieces() const { return m_pieces; }
    const Piece* FindPiece(const std::string& name) const;
    const Piece* GetDragged() const { return m_dragged; }
    const Piece* GetHovered() const { return m_hovered; }
    bool IsFlying() const { return m_flying; }
    int16_t GetOriginX() const { return m_originX; }
    int16_t GetOriginY() const { return m_originY; }
    int16_t GetExtentWidth() const { return m_extentWidth; }
    int16_t GetExtentHeight() const { return m_extentHeight; }
    float GetCompletionFade() const { return m_completionFade; }
    const std::string& GetLetterFolder() const { return m_letterFolder; }

private:
    void ReadLayout();
    void ToFront(Piece* piece);
    void ToBack(Piece* piece);
    void Lock(Piece& piece);
    void PutDown(Piece& piece);
    static float AngleOf(int32_t orientation);

    std::string m_letterFolder;
    std::list<Piece> m_pieces;
    std::vector<Piece*> m_flyingPieces;
    int16_t m_originX = 229, m_originY = 50;
    int16_t m_extentWidth = 0, m_extentHeight = 0;
    Piece* m_dragged = nullptr;
    Piece* m_hovered = nullptr;
    int32_t m_layout = 0;
    aImage* m_background = nullptr;
    GUI::Style* m_frameStyle = nullptr;
    float m_completionFade = 0.0f;
    aSound* m_soundGrab = nullptr;
    aSound* m_soundPlaceBack = nullptr;
    aSound* m_soundLock = nullptr;
    aSound* m_soundRotate = nullptr;
    aSound* m_soundCompleted = nullptr;
    bool m_flying = false;
};
