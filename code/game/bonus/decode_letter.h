#pragma once
// The letter with holes ("DecodeLetter"): a letter lies on the table with
// words cut out of it; the scraps lie scattered below it, among scraps that
// belong nowhere. A click takes a scrap, the next click drops it: dropped
// mostly over its own hole it sticks there, anywhere else it goes back to
// where it lay. When every hole is filled the round is solved.
//
// Files, in "data:images/bonus/letter_decode/" + the key "Letter" + "/":
//   ImageList.txt  the pictures "layout", "paper", "placement" and "text"
//                  (image group "letter"), all of the letter's size
//   params.ini     by position: the first section's "x" and "y" place the
//                  letter on the screen; the second section's keys, in file
//                  order, give the scraps' start places, "x,y", in scrap
//                  order (a scrap without one starts at a random place
//                  below the letter)
// "layout" maps the scraps: each is an axis-aligned rectangle of pixels with
// an alpha byte of 0x80 or more; the top bit of the green byte (bit 15 of the
// pixel) marks a scrap that fills a hole, without it the scrap is a decoy.
// Scraps are found row by row from the top, each row from the left, and the
// first decoy's top row is where the letter itself ends: "paper" and "text"
// above it are the letter, below it they hold the decoys' pictures. A hole
// shows the scrap's part of "paper" and then of "placement". The puzzle's
// own folder holds "background"; the GUI style "shadow" frames a loose
// scrap's shadow.

#include "game/bonus/bonus_round.h"

#include "mirel/base/a_rect.h"

#include <cstdint>
#include <string>
#include <vector>

namespace GUI {
class Style;
}

class DecodeLetter : public BonusRound {
public:
    static constexpr const char* kPuzzleName = "letter_decode";
    static constexpr const char* kLetterGroup = "letter";
    // Layout pixels with an alpha byte from this up belong to a scrap.
    static constexpr uint32_t kScrapAlpha = 0x80;
    // The green byte's top bit: the scrap fills a hole.
    static constexpr uint32_t kRequiredBit = 0x8000;
    static constexpr float kGlowTime = 0.3f;
    static constexpr float kFlySpeed = 800.0f;

    struct Scrap {
        float startX = 0.0f, startY = 0.0f;
        float x = 0.0f, y = 0.0f; // top-left corner on the screen
        aRect rect;               // its place in the letter and its part of the pictures
        bool required = false;
        bool placed = false;
        bool hovered = false;
        float glow = 0.0f;
    };

    DecodeLetter(const aOptionsFile& options, GameServices* game);
    ~DecodeLetter() override;

    void Update(float dt) override;
    void Draw() override;
    // One scrap still missing flies into its hole.
    void UseHint() override;
    // Every hole filled.
    void Solve() override;

    void DrawPiece(const Scrap& scrap) const;
    // Random start places below the letter, then params.ini.
    void ReadParams();
    // Every scrap back to its start place.
    void ApplyLayout(int32_t layout);
    void UpdateFlyingPieces(float dt);

    // The scraps of a scrap map of w x h ARGB pixels, row by row from the
    // top; answers the first decoy's row, -1 without decoys.
    static int32_t FindScraps(const std::vector<uint32_t>& pixels, int32_t w, int32_t h,
                              std::vector<Scrap>& scraps);
    // "x,y": two finite numbers within the coordinate limit; false (and
    // nothing written) otherwise.
    static bool ParseStart(const std::string& text, float& x, float& y);

    const std::vector<Scrap>& GetScraps() const { return m_scraps; }
    int32_t GetOriginX() const { return m_originX; }
    int32_t GetOriginY() const { return m_originY; }
    // The first decoy's top row; -1 without decoys.
    int32_t GetLetterHeight() const { return m_letterHeight; }
    int32_t GetDragged() const { return m_dragged; }
    bool IsFlying() const { return m_flying; }
    const std::string& GetLetterFolder() const { return m_letterFolder; }

private:
    void ScanLayout();
    // The required scrap whose hole the dragged one covers most, by more than
    // a quarter of its own area; -1 for none.
    int32_t BestHole(const Scrap& dragged) const;
    void Place(Scrap& scrap);
    void DrawPart(const aImage* image, const aRect& part, float x, float y, uint32_t colour) const;

    std::string m_letterFolder;
    std::vector<Scrap> m_scraps;
    std::vector<int32_t> m_flyingScraps;
    int32_t m_originX = 229, m_originY = 50;
    int32_t m_letterHeight = -1;
    int32_t m_layout = 0;
    int32_t m_dragged = -1;
    bool m_flying = false;
    aImage* m_background = nullptr;
    aImage* m_layoutImage = nullptr;
    aImage* m_paper = nullptr;
    aImage* m_placement = nullptr;
    aImage* m_text = nullptr;
    GUI::Style* m_shadowStyle = nullptr;
    aSound* m_soundGrab = nullptr;
    aSound* m_soundLock = nullptr;
    aSound* m_soundPlaceBack = nullptr;
};
