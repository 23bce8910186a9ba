#pragma once
// The sample game's eight chapter puzzles solved by their own moves, with the
// mouse as a player plays them: the torn letter, the box of chocolates, the
// lens rings, Crane's letter, the cargo tokens, the safe, the trick watch and
// the wireless. Each solver leaves its round completed (the chocolates also
// close their "in order" message and cut the key out). Screens worth a look
// on the way go to the shot function under a name of their own.
//
//   gametest::PuzzleMoves moves(harness, [&](const std::string& name) { Shot(name); });
//   moves.Solve(Game().GetBonusRoom()->GetPuzzle());
//
// Used by the puzzles' own tests and by the play-through of the whole game.

#include "game/support/game_harness.h"

#include "game/bonus/assemble_letter.h"
#include "game/bonus/assemble_radio.h"
#include "game/bonus/bonus_round.h"
#include "game/bonus/chocolates_puzzle.h"
#include "game/bonus/circular_puzzle.h"
#include "game/bonus/decode_letter.h"
#include "game/bonus/memory_match.h"
#include "game/bonus/open_safe.h"
#include "game/bonus/open_trick_watch.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/input/a_inputserver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace gametest {

constexpr float kPi = 3.14159265f;

// A point at the angle (counter-clockwise on the screen) and distance from a centre.
inline void Polar(int32_t cx, int32_t cy, float angle, float radius, int32_t& x, int32_t& y) {
    x = cx + int32_t(std::lround(std::cos(angle) * radius));
    y = cy - int32_t(std::lround(std::sin(angle) * radius));
}

class PuzzleMoves {
public:
    using ShotFunction = std::function<void(const std::string& name)>;

    PuzzleMoves(GameHarness& harness, ShotFunction shot) : h(harness), m_shot(std::move(shot)) {}

    // Whichever of the eight the round is; a failure for any other.
    void Solve(BonusRound* round) {
        ASSERT_NE(round, nullptr);
        if (auto* letter = dynamic_cast<AssembleLetter*>(round))
            Letter(letter);
        else if (auto* box = dynamic_cast<ChocolatesPuzzle*>(round))
            Chocolates(box);
        else if (auto* lens = dynamic_cast<CircularPuzzle*>(round))
            Lens(lens);
        else if (auto* decode = dynamic_cast<DecodeLetter*>(round))
            Decode(decode);
        else if (auto* memory = dynamic_cast<MemoryMatch*>(round))
            Tokens(memory);
        else if (auto* safe = dynamic_cast<OpenSafe*>(round))
            Safe(safe);
        else if (auto* watch = dynamic_cast<OpenTrickWatch*>(round))
            Watch(watch);
        else if (auto* radio = dynamic_cast<AssembleRadio*>(round))
            Radio(radio);
        else
            FAIL() << "no moves for the puzzle " << round->GetPuzzleName();
    }

    // Every piece picked up where it shows, turned upright with the right
    // button and laid on its place in the frame.
    void Letter(AssembleLetter* letter) {
        std::vector<std::string> names;
        for (const AssembleLetter::Piece& piece : letter->GetPieces())
            names.push_back(piece.name);
        for (const std::string& name : names) {
            const AssembleLetter::Piece* piece = letter->FindPiece(name);
            int32_t gx = -1, gy = -1;
            for (int32_t y = int32_t(piece->y) - 40; y < int32_t(piece->y) + 180 && gx < 0; y += 4)
                for (int32_t x = int32_t(piece->x) - 40; x < int32_t(piece->x) + 180 && gx < 0; x += 4)
                    if (TopPiece(letter, x, y) == piece) {
                        gx = x;
                        gy = y;
                    }
            ASSERT_GE(gx, 0) << name << " can be picked up somewhere";
            h.ClickAt(gx, gy);
            ASSERT_EQ(letter->GetDragged(), piece) << name;
            while (piece->orientation != 0)
                h.ClickAt(gx, gy, 1);
            if (name == "p06")
                Shot("letter_held");
            const float tx = float(letter->GetOriginX() + piece->targetX);
            const float ty = float(letter->GetOriginY() + piece->targetY);
            h.ClickAt(gx + int32_t(std::lround(tx - piece->x)), gy + int32_t(std::lround(ty - piece->y)));
            ASSERT_TRUE(piece->locked) << name;
        }
        ASSERT_TRUE(letter->IsCompleted());
    }

    // The spares offered first (into the set they do not go), then the needed parts.
    void Radio(AssembleRadio* radio) {
        const auto& layers = radio->GetLayers();
        std::vector<size_t> order;
        for (size_t p = 0; p < radio->GetParts().size(); ++p)
            if (!radio->GetParts()[p].required)
                order.push_back(p);
        for (size_t p = 0; p < radio->GetParts().size(); ++p)
            if (radio->GetParts()[p].required)
                order.push_back(p);
        for (size_t p : order) {
            const AssembleRadio::Part& part = radio->GetParts()[p];
            const AssembleRadio::Layer& mask = layers[size_t(part.mask)];
            int32_t gx = -1, gy = -1;
            for (int32_t y = mask.y; y < mask.y + 150 && gx < 0; y += 3)
                for (int32_t x = mask.x; x < mask.x + 160 && gx < 0; x += 3)
                    if (radio->HitTestLayer(mask, x, y)) {
                        gx = x;
                        gy = y;
                    }
            ASSERT_GE(gx, 0) << mask.name;
            h.ClickAt(gx, gy);
            ASSERT_EQ(radio->GetDragged(), int32_t(p)) << mask.name;
            const AssembleRadio::Layer& held = layers[size_t(part.held)];
            const int32_t hw = int32_t(held.image->getWidth()) / 2, hh = int32_t(held.image->getHeight()) / 2;
            h.MoveTo(held.x + hw - 60, held.y + hh + 40);
            h.Step();
            if (p == order.back())
                Shot("radio_held");
            // A spare is offered to the first needed part's place.
            const AssembleRadio::Layer& target =
                part.required ? held : layers[size_t(radio->GetParts()[order.back()].held)];
            h.ClickAt(target.x + hw, target.y + hh);
            EXPECT_EQ(radio->GetParts()[p].placed, part.required) << mask.name;
        }
        h.RunFor(0.6f);
        ASSERT_TRUE(radio->IsCompleted());
    }

    // Every candy swapped into its well; then the knife taken and the heavy
    // white oval cut (a plain one first, which only is chocolate).
    void Chocolates(ChocolatesPuzzle* box) {
        const int32_t w = box->GetCellWidth(), hgt = box->GetCellHeight();
        ASSERT_GT(w, 0);
        const auto click = [&](int32_t i) { h.ClickAt(274 + (i % 6) * w + w / 2, 159 + (i / 6) * hgt + hgt / 2); };
        for (int32_t i = 0; i < 24; ++i) {
            if (box->GetCandy(i).inPlace)
                continue;
            int32_t holder = -1;
            for (int32_t j = 0; j < 24 && holder < 0; ++j)
                if (box->GetCandy(j).picture.x == (i % 6) * w && box->GetCandy(j).picture.y == (i / 6) * hgt)
                    holder = j;
            ASSERT_GE(holder, 0);
            click(i);
            if (i == 5)
                Shot("chocolates_selected");
            click(holder);
            h.RunFor(0.3f);
            ASSERT_TRUE(box->GetCandy(i).inPlace) << i;
        }
        h.RunFor(0.6f);
        ASSERT_TRUE(box->IsOrdered());
        EXPECT_EQ(FrontBox(), "msgbox_completed");
        ASSERT_TRUE(CloseBox());
        EXPECT_NE(h.Text("bonus_desc").find(u"knife"), std::u16string::npos);
        // The knife by an opaque point of its picture.
        aImage* knife = h.Game().GetImageManager()->getImage("knife", "bonus");
        ASSERT_NE(knife, nullptr);
        int32_t kx = -1, ky = -1;
        for (int32_t y = 20; y < int32_t(knife->getHeight()) / 4 && kx < 0; y += 2)
            for (int32_t x = 120; x < int32_t(knife->getWidth()) && kx < 0; x += 2)
                if ((knife->getPixel(x, y) >> 24) > 0x80) {
                    kx = x;
                    ky = y;
                }
        ASSERT_GE(kx, 0);
        h.MoveTo(729 + kx, 655 + ky);
        h.RunFor(0.5f);
        Shot("chocolates_knife");
        h.ClickAt(729 + kx, 655 + ky);
        ASSERT_TRUE(box->IsKnifeTaken());
        h.ClickAt(362 + 40, 184 + 40); // candy 0: only chocolate
        EXPECT_FALSE(box->IsCompleted());
        h.MoveTo(362 + 2 * w + w / 2 + 30, 184 + 2 * hgt + hgt / 2 + 20);
        h.Step();
        Shot("chocolates_cut");
        h.ClickAt(362 + 2 * w + w / 2, 184 + 2 * hgt + hgt / 2);
        ASSERT_TRUE(box->IsCompleted());
    }

    // Each ring dragged round its centre until it lines up and locks.
    void Lens(CircularPuzzle* lens) {
        const int32_t cx = CircularPuzzle::kCentreX, cy = CircularPuzzle::kCentreY;
        for (size_t i = 1; i < lens->GetRings().size(); ++i) {
            const CircularPuzzle::Ring& ring = lens->GetRings()[i];
            const float radius = float(lens->GetRadius0()) + (float(i) - 0.5f) * float(lens->GetRadiusDelta());
            const float start = ring.angle;
            const float ref = 0.8f + 0.9f * float(i);
            int32_t x = 0, y = 0;
            Polar(cx, cy, ref, radius, x, y);
            h.MoveTo(x, y);
            h.Press();
            h.Step();
            ASSERT_EQ(lens->GetGrabbed(), int32_t(i));
            const float turn = std::remainder(-start, 2.0f * kPi);
            for (int step = 1; step <= 10; ++step) {
                Polar(cx, cy, ref + turn * float(step) / 10.0f, radius, x, y);
                h.MoveTo(x, y);
                h.Step();
                if (i == 3 && step == 5)
                    Shot("circular_turning");
            }
            h.Release();
            h.Step();
            ASSERT_TRUE(ring.locked) << i;
        }
        ASSERT_TRUE(lens->IsCompleted());
    }

    // A decoy tried in the first hole (it goes back), then every word into its hole.
    void Decode(DecodeLetter* letter) {
        const auto take = [&](size_t i) {
            const DecodeLetter::Scrap& s = letter->GetScraps()[i];
            h.ClickAt(int32_t(s.x) + s.rect.width / 2, int32_t(s.y) + s.rect.height / 2);
            ASSERT_EQ(letter->GetDragged(), int32_t(i));
        };
        const auto dropAt = [&](size_t i, float x, float y) {
            const DecodeLetter::Scrap& s = letter->GetScraps()[i];
            int32_t cx = 0, cy = 0;
            Cursor(cx, cy);
            const int32_t tx = cx + int32_t(std::lround(x - s.x)), ty = cy + int32_t(std::lround(y - s.y));
            for (int step = 1; step <= 4; ++step) {
                h.MoveTo(cx + (tx - cx) * step / 4, cy + (ty - cy) * step / 4);
                h.Step();
            }
            h.ClickAt(tx, ty);
        };
        const auto& scraps = letter->GetScraps();
        size_t decoy = 0, firstHole = 0;
        while (scraps[decoy].required)
            ++decoy;
        take(decoy);
        dropAt(decoy, float(letter->GetOriginX() + scraps[firstHole].rect.x),
               float(letter->GetOriginY() + scraps[firstHole].rect.y));
        EXPECT_FALSE(scraps[decoy].placed);
        for (size_t i = 0; i < scraps.size(); ++i) {
            if (!scraps[i].required)
                continue;
            take(i);
            if (i == 3)
                Shot("letter_decode_held");
            dropAt(i, float(letter->GetOriginX() + scraps[i].rect.x) + 4.0f,
                   float(letter->GetOriginY() + scraps[i].rect.y) - 3.0f);
            ASSERT_TRUE(scraps[i].placed) << i;
        }
        ASSERT_TRUE(letter->IsCompleted());
    }

    // Two tokens that do not belong together first, then every pair.
    void Tokens(MemoryMatch* memory) {
        const auto& cards = memory->GetCards();
        const auto click = [&](const MemoryMatch::Card& c) {
            h.ClickAt(c.x + memory->GetCardWidth() / 2, c.y + memory->GetCardHeight() / 2);
        };
        const MemoryMatch::Card* other = nullptr;
        for (const MemoryMatch::Card& card : cards)
            if (card.pair != cards[0].pair && !other)
                other = &card;
        click(cards[0]);
        Shot("memory_selected");
        click(*other);
        EXPECT_FALSE(cards[0].matched || other->matched);
        for (int32_t pair = 0; pair < 12; ++pair) {
            const MemoryMatch::Card* two[2] = {};
            for (const MemoryMatch::Card& card : cards)
                if (card.pair == pair)
                    two[two[0] ? 1 : 0] = &card;
            click(*two[0]);
            click(*two[1]);
            ASSERT_TRUE(two[0]->matched && two[1]->matched) << pair;
            if (pair == 6) {
                h.RunFor(0.3f);
                Shot("memory_half");
            }
        }
        ASSERT_TRUE(memory->IsCompleted());
    }

    // The dial dragged round until the letter stands under the mark, then let go.
    void Dial(OpenSafe* safe, int32_t value) {
        const int32_t dx = OpenSafe::kDialX, dy = OpenSafe::kDialY;
        int32_t x = 0, y = 0;
        Polar(dx, dy, 2.2f, 100.0f, x, y);
        h.MoveTo(x, y);
        h.Press();
        h.Step();
        ASSERT_TRUE(safe->IsDialGrabbed());
        const float ref = OpenSafe::PointerAngle(float(x - dx), float(y - dy));
        const float turn = std::remainder(OpenSafe::kStep * float(26 - value) - safe->GetDialAngle(), 2.0f * kPi);
        for (int step = 1; step <= 8; ++step) {
            Polar(dx, dy, ref + turn * float(step) / 8.0f, 100.0f, x, y);
            h.MoveTo(x, y);
            h.Step();
        }
        h.Release();
        h.Step();
        for (int i = 0; i < 60 && safe->UpdateWheels(0.0f); ++i)
            h.Step();
        h.Step();
    }

    // A wrong letter first, then T-E-E-T-H; the case taken from the open safe.
    void Safe(OpenSafe* safe) {
        ASSERT_EQ(safe->GetCombination(), (std::vector<int32_t>{19, 4, 4, 19, 7})) << "T-E-E-T-H";
        Dial(safe, 1);
        EXPECT_EQ(safe->GetCurrentWheel(), 0);
        for (size_t i = 0; i < 5; ++i) {
            ASSERT_EQ(safe->GetCurrentWheel(), int32_t(i));
            Dial(safe, safe->GetCombination()[i]);
            ASSERT_FALSE(::testing::Test::HasFatalFailure());
            if (i == 2)
                Shot("safe_wheels");
        }
        ASSERT_TRUE(safe->IsSafeOpen());
        h.RunFor(0.5f);
        Shot("safe_open");
        h.ClickAt(500, 620);
        ASSERT_TRUE(safe->IsCompleted());
    }

    // The minute hand dragged round by whole turns: one hour per turn.
    void TurnMinute(OpenTrickWatch* watch, float delta) {
        const int32_t cx = OpenTrickWatch::kCentreX, cy = OpenTrickWatch::kCentreY;
        const float start = watch->GetHand(OpenTrickWatch::MINUTE_HAND).angle;
        int32_t x = 0, y = 0;
        Polar(cx, cy, start, 170.0f, x, y);
        h.MoveTo(x, y);
        h.Step();
        h.Press();
        h.Step();
        ASSERT_EQ(watch->GetGrabbed(), OpenTrickWatch::MINUTE_HAND);
        const int moves = int(std::ceil(std::fabs(delta) / 0.4f));
        for (int i = 1; i <= moves; ++i) {
            Polar(cx, cy, start + delta * float(i) / float(moves), 170.0f, x, y);
            h.MoveTo(x, y);
            h.Step();
        }
        h.Release();
        h.Step();
    }

    // The hours the chips flashed, entered one after the other.
    void Watch(OpenTrickWatch* watch) {
        h.RunFor(1.0f);
        Shot("trick_watch_show");
        const float turns[] = {-1.0f, 2.0f, -6.0f, -3.0f, -7.0f};
        for (int i = 0; i < 5; ++i) {
            TurnMinute(watch, turns[i] * 2.0f * kPi);
            ASSERT_EQ(watch->GetProgress(), i + 1) << i;
            if (i == 2) {
                int32_t x = 0, y = 0;
                Polar(OpenTrickWatch::kCentreX, OpenTrickWatch::kCentreY,
                      watch->GetHand(OpenTrickWatch::MINUTE_HAND).angle, 170.0f, x, y);
                h.MoveTo(x, y);
                h.Step();
                Shot("trick_watch_lit");
            }
        }
        ASSERT_TRUE(watch->IsCompleted());
    }

    // The name of the message box on show, or empty.
    std::string FrontBox() {
        const auto& boxes = h.Game().GetMessageBoxes();
        return boxes.empty() ? std::string() : static_cast<GUI::Widget*>(boxes.front().box)->GetName();
    }
    // Closes the message box on show with its "close" button.
    bool CloseBox() {
        const auto& boxes = h.Game().GetMessageBoxes();
        if (boxes.empty())
            return false;
        GUI::Widget* close = static_cast<GUI::Widget*>(boxes.front().box)->FindChild("close", true);
        if (!close)
            return false;
        h.ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2, close->GetAbsoluteY() + close->GetHeight() / 2);
        return true;
    }

private:
    void Shot(const std::string& name) {
        if (m_shot)
            m_shot(name);
    }
    void Cursor(int32_t& x, int32_t& y) { h.Game().getInputServer()->getMousePos(x, y); }
    // The first unlocked piece a click at the point would take.
    static const AssembleLetter::Piece* TopPiece(AssembleLetter* letter, int32_t x, int32_t y) {
        for (const AssembleLetter::Piece& piece : letter->GetPieces())
            if (!piece.locked && letter->HitTestPiece(piece, x, y))
                return &piece;
        return nullptr;
    }

    GameHarness& h;
    ShotFunction m_shot;
};

} // namespace gametest
