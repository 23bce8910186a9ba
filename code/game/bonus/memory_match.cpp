#include "game/bonus/memory_match.h"

#include "game/bonus/bonus_round_factory.h"
#include "game/bonus/bonus_values.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

BonusRound* NewMemoryMatch(const aOptionsFile& options, GameServices* game) {
    return new (std::nothrow) MemoryMatch(options, game);
}

namespace {

[[maybe_unused]] const bool g_registered =
    BonusRoundFactory::Instance().Register("MemoryMatch", &NewMemoryMatch);

constexpr float kPi = 3.14159265f;
constexpr float kHalfPi = kPi / 2.0f;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

} // namespace

MemoryMatch::MemoryMatch(const aOptionsFile& options, GameServices* game)
    : BonusRound(kPuzzleName, options, game) {
    m_soundSelect = GetSound("memory_select");
    m_soundGood = GetSound("memory_pair_good");
    m_soundBad = GetSound("memory_pair_bad");
    m_background = GetImage("background");
    const std::string sheet = options.getString("Image");
    m_sheet = std::make_unique<aImage>(m_imageFolder + sheet, aImageManager::formatFromText("4444"),
                                       aImageManager::formatFromText("8888"));
    m_cardWidth = int32_t(m_sheet->getWidth()) / kSheetColumns;
    m_cardHeight = int32_t(m_sheet->getHeight()) / kSheetRows;
    if (m_cardWidth <= 0 || m_cardHeight <= 0) {
        a_log("MemoryMatch - the card sheet '%s' is %ux%u, smaller than its 5x6 cells; the cards cannot be "
              "played",
              sheet.c_str(), unsigned(m_sheet->getWidth()), unsigned(m_sheet->getHeight()));
        m_cardWidth = m_cardHeight = 0;
    }
    m_cards.resize(kCardCount);
    for (int32_t i = 0; i < kCardCount; ++i) {
        m_cards[size_t(i)].pair = i / 2;
        m_cards[size_t(i)].face = Cell(i);
    }
    m_back = Cell(kCardCount);
    m_frame = Cell(5 * kSheetColumns + 1);
    m_shadow = Cell(5 * kSheetColumns);
    Shuffle();
}

MemoryMatch::~MemoryMatch() {
    m_cards.clear();
}

aRect MemoryMatch::Cell(int32_t index) const {
    return aRect(int16_t(index % kSheetColumns * m_cardWidth), int16_t(index / kSheetColumns * m_cardHeight),
                 int16_t(m_cardWidth), int16_t(m_cardHeight));
}

void MemoryMatch::Shuffle() {
    // The steps of the C++98 random_shuffle with the engine's generator: a
    // seed gives one layout.
    for (size_t i = 1; i < m_cards.size(); ++i)
        std::swap(m_cards[i], m_cards[size_t(a_rand()) % (i + 1)]);
    size_t next = 0;
    for (int32_t t = 0; t < 25; ++t) {
        if (t == 12)
            continue;
        Card& card = m_cards[next++];
        card.x = (t % 5) * m_cardWidth - (5 * m_cardWidth) / 2 + kCentreX;
        card.y = (t / 5) * m_cardHeight - (5 * m_cardHeight) / 2 + kCentreY;
    }
}

MemoryMatch::Card* MemoryMatch::CardAt(int32_t x, int32_t y) {
    for (Card& card : m_cards) {
        if (x >= card.x && x < card.x + m_cardWidth && y >= card.y && y < card.y + m_cardHeight)
            return &card;
    }
    return nullptr;
}

const MemoryMatch::Card* MemoryMatch::FindCardAt(int32_t x, int32_t y) const {
    return const_cast<MemoryMatch*>(this)->CardAt(x, y);
}

float MemoryMatch::CardFlipScale(float phase) {
    return phase <= kHalfPi ? 1.0f - phase / kHalfPi : (phase - kHalfPi) / kHalfPi;
}

void MemoryMatch::Update(float dt) {
    for (Card& card : m_cards) {
        if (card.matched)
            card.flipPhase = std::min(kPi, card.flipPhase + 4.0f * kPi * dt);
    }
    if (m_completed)
        return;
    aInputServer* input = Input();
    int32_t mx = 0, my = 0;
    if (input)
        input->getMousePos(mx, my);
    Card* card = CardAt(mx, my);
    if (card && !card->matched && input && input->getButtonState(0) == 2) {
        if (card == m_first) {
            card->selected = false;
            m_first = nullptr;
        } else if (!m_first) {
            m_first = card;
            card->selected = true;
            bonusvalues::Play(m_soundSelect);
        } else if (!m_second) {
            m_second = card;
            card->selected = true;
        }
    }
    if (m_first && m_second) {
        if (m_first->pair == m_second->pair) {
            m_first->matched = m_second->matched = true;
            bonusvalues::Play(m_soundGood);
        } else {
            bonusvalues::Play(m_soundBad);
        }
        m_first->selected = m_second->selected = false;
        m_first = m_second = nullptr;
    }
    const bool all = std::all_of(m_cards.begin(), m_cards.end(), [](const Card& c) { return c.matched; });
    if (all)
        m_completed = true;
}

void MemoryMatch::DrawCardShadow(const Card& card) const {
    if (card.flipPhase == 0.0f) {
        m_sheet->drawRectAtInt(int16_t(card.x + 4), int16_t(card.y + 4), m_shadow, kWhite);
        return;
    }
    const float f = CardFlipScale(card.flipPhase);
    const float scale[2] = {1.0f, f};
    const float pos[2] = {float(card.x + 4), float(card.y + 4) + (1.0f - f) * float(m_cardHeight) / 2.0f};
    m_sheet->draw(pos, &m_shadow, kWhite, scale, 0.0f, nullptr, true);
}

void MemoryMatch::DrawCard(const Card& card) const {
    if (card.flipPhase == 0.0f) {
        m_sheet->drawRectAtInt(int16_t(card.x), int16_t(card.y), card.face, kWhite);
        if (card.selected)
            m_sheet->drawRectAtInt(int16_t(card.x), int16_t(card.y), m_frame, kWhite);
        return;
    }
    const float f = CardFlipScale(card.flipPhase);
    const float scale[2] = {1.0f, f};
    const float pos[2] = {float(card.x), float(card.y) + (1.0f - f) * float(m_cardHeight) / 2.0f};
    m_sheet->draw(pos, card.flipPhase <= kHalfPi ? &card.face : &m_back, kWhite, scale, 0.0f, nullptr, true);
}

void MemoryMatch::Draw() {
    if (m_background)
        m_background->drawAt(179.0f, 0.0f);
    if (m_cardWidth <= 0)
        return;
    for (const Card& card : m_cards)
        DrawCardShadow(card);
    for (const Card& card : m_cards)
        DrawCard(card);
}
