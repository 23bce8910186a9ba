#include "game/bonus/chocolates_puzzle.h"

#include "game/bonus/bonus_round_factory.h"
#include "game/bonus/bonus_values.h"
#include "game/game_services.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/locale/a_localeserver.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

BonusRound* NewChocolatesPuzzle(const aOptionsFile& options, GameServices* game) {
    return new (std::nothrow) ChocolatesPuzzle(options, game);
}

namespace {

[[maybe_unused]] const bool g_registered =
    BonusRoundFactory::Instance().Register("ChocolatesPuzzle", &NewChocolatesPuzzle);

constexpr float kPi = 3.14159265f;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kSelectedGlow = 0x60FFFFFFu;
// The candies that lie in place from the start.
constexpr int32_t kStartInPlace[] = {3, 16, 18};

} // namespace

ChocolatesPuzzle::ChocolatesPuzzle(const aOptionsFile& options, GameServices* game)
    : BonusRound(kPuzzleName, options, game) {
    m_soundSelect = GetSound("chocolates_select");
    m_soundSwap = GetSound("chocolates_swap");
    m_soundLock = GetSound("chocolates_lock");
    m_soundOrdered = GetSound("chocolates_ordered");
    m_soundTakeKnife = GetSound("chocolates_take_knife");
    m_soundTestTrue = GetSound("chocolates_test_true");
    m_soundTestFalse = GetSound("chocolates_test_false");
    m_background = GetImage("background");
    m_sheet = GetImage("candies");
    m_shadows = GetImage("candies_shadow");
    m_knife = GetImage("knife");
    if (m_sheet) {
        m_cellWidth = int32_t(m_sheet->getWidth()) / kColumns;
        m_cellHeight = int32_t(m_sheet->getHeight()) / (kRows + 1);
    }
    if (m_cellWidth <= 0 || m_cellHeight <= 0) {
        a_log("ChocolatesPuzzle - the picture 'candies' is %ux%u, smaller than its 6x5 cells; the box cannot "
              "be played",
              m_sheet ? unsigned(m_sheet->getWidth()) : 0u, m_sheet ? unsigned(m_sheet->getHeight()) : 0u);
        m_cellWidth = m_cellHeight = 0;
    }
    Shuffle();
}

ChocolatesPuzzle::~ChocolatesPuzzle() = default;

aRect ChocolatesPuzzle::Cell(int32_t column, int32_t row) const {
    return aRect(int16_t(column * m_cellWidth), int16_t(row * m_cellHeight), int16_t(m_cellWidth),
                 int16_t(m_cellHeight));
}

void ChocolatesPuzzle::Shuffle() {
    int32_t p[kCount];
    for (int32_t i = 0; i < kCount; ++i)
        p[i] = i;
    // Every candy leaves its place...
    for (int32_t i = 0; i < kCount - 1; ++i)
        std::swap(p[i], p[i + 1 + a_rand() % (kCount - 1 - i)]);
    // ...but these three, which show the player how a candy in place looks.
    for (int32_t candy : kStartInPlace) {
        for (int32_t m = 0; m < kCount; ++m) {
            if (p[m] == candy) {
                std::swap(p[m], p[candy]);
                break;
            }
        }
    }
    for (int32_t i = 0; i < kCount; ++i) {
        Candy& candy = m_candies[i];
        candy.x = kBoxX + (i % kColumns) * m_cellWidth;
        candy.y = kBoxY + (i / kColumns) * m_cellHeight;
        candy.picture = Cell(p[i] % kColumns, p[i] / kColumns);
        candy.inPlace = p[i] == i;
        candy.placedTime = 0.0f;
    }
    m_first = m_second = -1;
    m_swapTimer = -1.0f;
    m_ordered = false;
    m_knifeTaken = false;
    m_knifeX = kKnifeStartX;
    m_knifeY = kKnifeStartY;
    m_knifePhase = 0.0f;
}

bool ChocolatesPuzzle::IsCandyInPlace(const Candy& candy) const {
    return candy.x - kBoxX == candy.picture.x && candy.y - kBoxY == candy.picture.y;
}

void ChocolatesPuzzle::SwapCandies(Candy& a, Candy& b) {
    std::swap(a.picture, b.picture);
}

void ChocolatesPuzzle::Update(float dt) {
    if (m_completed || (m_app && m_app->IsPopupActive()))
        return;
    aInputServer* input = Input();
    int32_t mx = 0, my = 0;
    if (input)
        input->getMousePos(mx, my);
    const bool pressed = input && input->getButtonState(0) == 2;
    if (!m_ordered)
        UpdateOrdering(dt, mx, my, pressed);
    else
        UpdateKnife(dt, mx, my, pressed);
}

void ChocolatesPuzzle::UpdateOrdering(float dt, int32_t mx, int32_t my, bool pressed) {
    if (m_swapTimer >= 0.0f) {
        m_swapTimer += dt;
        if (m_swapTimer >= kSwapTime) {
            Candy& a = m_candies[m_first];
            Candy& b = m_candies[m_second];
            SwapCandies(a, b);
            bool locked = false;
            for (Candy* candy : {&a, &b}) {
                if (IsCandyInPlace(*candy)) {
                    candy->inPlace = true;
                    locked = true;
                }
            }
            if (locked)
                bonusvalues::Play(m_soundLock);
            m_swapTimer = -1.0f;
            m_first = m_second = -1;
        }
    } else if (pressed && m_cellWidth > 0 && mx >= kBoxX && my >= kBoxY) {
        const int32_t column = (mx - kBoxX) / m_cellWidth, row = (my - kBoxY) / m_cellHeight;
        const int32_t index = row * kColumns + column;
        if (column < kColumns && row < kRows && !m_candies[index].inPlace) {
            if (index == m_first) {
                m_first = -1;
            } else if (m_first < 0) {
                m_first = index;
                bonusvalues::Play(m_soundSelect);
            } else {
                m_second = index;
                m_swapDX = m_candies[m_second].x - m_candies[m_first].x;
                m_swapDY = m_candies[m_second].y - m_candies[m_first].y;
                m_swapTimer = 0.0f;
                bonusvalues::Play(m_soundSwap);
            }
        }
    }

    bool ordered = true;
    for (Candy& candy : m_candies) {
        if (candy.inPlace)
            candy.placedTime += dt;
        ordered = ordered && candy.inPlace && candy.placedTime >= kSettleTime;
    }
    if (!ordered || m_cellWidth <= 0)
        return;
    m_ordered = true;
    if (m_app)
        m_app->ShowMessageBox("msgbox_completed", GameServices::ACTION_NONE,
                              MakeLevelKey("bonus_candies_ordered"), nullptr, nullptr);
    UpdateDescriptionStage();
    bonusvalues::Play(m_soundOrdered);
}

bool ChocolatesPuzzle::IsOnKnife(int32_t mx, int32_t my) const {
    if (!m_knife)
        return false;
    const int32_t u = mx - m_knifeX, v = my - m_knifeY;
    if (u < 0 || v < 0 || u >= int32_t(m_knife->getWidth()) || v >= int32_t(m_knife->getHeight()) / 4)
        return false;
    return (m_knife->getPixel(u, v) >> 24) != 0;
}

void ChocolatesPuzzle::UpdateKnife(float dt, int32_t mx, int32_t my, bool pressed) {
    if (!m_knifeTaken) {
        m_knifePhase += 2.0f * kPi * dt;
        if (IsOnKnife(mx, my)) {
            m_knifePhase = std::min(m_knifePhase, kPi);
            if (pressed) {
                m_knifeTaken = true;
                bonusvalues::Play(m_soundTakeKnife);
            }
        } else {
            m_knifePhase = std::fmod(m_knifePhase, 2.0f * kPi);
        }
        // The press that takes the knife cuts nothing.
        return;
    }
    m_knifeX = mx - kKnifeHoldX;
    m_knifeY = my - kKnifeHoldY;
    if (!pressed)
        return;
    // The blade's tip, in the sheet's coordinates.
    const int32_t tx = mx - kKnifeHoldX + kKnifeTipX - kBoxX, ty = my - kKnifeHoldY + kKnifeTipY - kBoxY;
    const aRect hiding = Cell(kHidingCandy % kColumns, kHidingCandy / kColumns);
    const bool onCandy = m_cellWidth > 0 && tx >= hiding.x && tx < hiding.x + hiding.width &&
                         ty >= hiding.y && ty < hiding.y + hiding.height && m_sheet &&
                         (m_sheet->getPixel(tx, ty) >> 24) != 0;
    if (onCandy)
        m_completed = true;
    else
        bonusvalues::Play(m_soundTestFalse);
}

void ChocolatesPuzzle::DrawCandy(const Candy& candy, float x, float y) const {
    if (m_shadows)
        m_shadows->drawRectAtInt(int16_t(x + 3.0f), int16_t(y + 3.0f), candy.picture, kWhite);
    if (m_sheet)
        m_sheet->drawRectAtInt(int16_t(x), int16_t(y), candy.picture, kWhite);
}

void ChocolatesPuzzle::DrawKnifeFrame(int32_t frame, uint32_t colour) const {
    if (!m_knife)
        return;
    const int32_t h = int32_t(m_knife->getHeight()) / 4;
    const aRect rect(0, int16_t(frame * h), int16_t(m_knife->getWidth()), int16_t(h));
    m_knife->drawRectAtInt(int16_t(m_knifeX), int16_t(m_knifeY), rect, colour);
}

void ChocolatesPuzzle::Draw() {
    if (m_background)
        m_background->drawAt(179.0f, 0.0f, kWhite);
    const bool swapping = m_swapTimer >= 0.0f;
    for (int32_t i = 0; i < kCount; ++i) {
        const Candy& candy = m_candies[i];
        if (candy.inPlace) {
            const aRect cup = Cell(candy.picture.x / std::max(1, m_cellWidth), kRows);
            const uint32_t alpha = bonusvalues::AlphaByte(std::min(1.0f, 2.0f * candy.placedTime));
            if (m_sheet) {
                m_sheet->drawRectAtInt(int16_t(candy.x), int16_t(candy.y), cup, (alpha << 24) | 0xFFFFFFu);
                m_sheet->drawRectAtInt(int16_t(candy.x), int16_t(candy.y), candy.picture, kWhite);
            }
            continue;
        }
        if (swapping && (i == m_first || i == m_second))
            continue;
        DrawCandy(candy, float(candy.x), float(candy.y));
        if (i == m_first && m_sheet) {
            aGraphServer* gs = aImage::getGraphServer();
            const int32_t mode = gs ? gs->getBlendMode() : 0;
            if (gs)
                gs->setBlendMode(1);
            m_sheet->drawRectAtInt(int16_t(candy.x), int16_t(candy.y), candy.picture, kSelectedGlow);
            if (gs)
                gs->setBlendMode(mode);
        }
    }
    if (swapping) {
        const float f = m_swapTimer / kSwapTime;
        const float px = float(m_swapDX) * f, py = float(m_swapDY) * f;
        const Candy& a = m_candies[m_first];
        const Candy& b = m_candies[m_second];
        DrawCandy(a, float(a.x) + px, float(a.y) + py);
        DrawCandy(b, float(b.x) - px, float(b.y) - py);
    }
    if (!m_ordered)
        return;
    DrawKnifeFrame(1, kWhite);
    DrawKnifeFrame(0, kWhite);
    if (m_completed) {
        DrawKnifeFrame(3, kWhite);
        return;
    }
    if (!m_knifeTaken) {
        const uint32_t alpha = bonusvalues::AlphaByte((1.0f - std::cos(m_knifePhase)) * 0.5f);
        DrawKnifeFrame(2, (alpha << 24) | 0xFFFFFFu);
    }
}

void ChocolatesPuzzle::Show() {
    BonusRound::Show();
    // Back in the room during the second stage, its text is the knife's.
    UpdateDescriptionStage();
}

void ChocolatesPuzzle::OnCompleted() {
    bonusvalues::Play(m_soundTestTrue);
}

void ChocolatesPuzzle::Solve() {
    m_ordered = true;
    m_swapTimer = -1.0f;
    m_first = m_second = -1;
    for (Candy& candy : m_candies) {
        if (candy.inPlace)
            continue;
        candy.x = candy.picture.x + kBoxX;
        candy.y = candy.picture.y + kBoxY;
        candy.inPlace = true;
    }
    m_knifeX = m_cellWidth / 2 + 2 * m_cellWidth + kBoxX - kKnifeTipX;
    m_knifeY = m_cellHeight / 2 + 2 * m_cellHeight + kBoxY - kKnifeTipY;
    BonusRound::Solve();
}

void ChocolatesPuzzle::UpdateDescriptionStage() {
    if (!m_ordered) {
        UpdateDescription();
        return;
    }
    aLocaleServer* locale = m_app ? m_app->GetLocaleServer() : nullptr;
    if (m_description && locale)
        m_description->SetText(locale->getString(MakeLevelKey("bonus_desc_2")));
}
