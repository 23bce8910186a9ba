#include "game/credits/credits_line.h"

#include "game/credits/letter_heap.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_random.h"

#include <algorithm>
#include <climits>
#include <cmath>

void CCreditsLine::Init(CLetterHeap* heap, const std::u16string& text, Lines& previousLines, int32_t centreX,
                        int32_t y, bool jitter) {
    m_heap = heap;
    m_slots.clear();
    m_incoming.clear();
    int32_t width = 0;
    for (char16_t c : text)
        width += c == u' ' ? kBlankAdvance : kAdvance;
    int32_t x = centreX - (width >> 1);
    for (char16_t c : text) {
        if (c == u' ') {
            x += kBlankAdvance;
            continue;
        }
        Slot slot;
        slot.letter = CLetter(c);
        int32_t px = x, py = y;
        if (jitter) {
            px -= a_rand() & 1;
            py -= a_rand() & 1;
        }
        slot.letter.Place(px, py, 0.0f);
        slot.letter.SetVariant(uint8_t(a_rand() & 15));
        m_slots.push_back(std::move(slot));
        x += kAdvance;
    }
    m_currentSlot = m_slots.begin();

    for (Slot& slot : m_slots) {
        for (auto& line : previousLines) {
            CLetter tile;
            if (line && line->TakeTile(slot.letter.GetSymbol(), tile)) {
                m_incoming.push_back(std::move(tile));
                slot.fromPreviousLine = true;
                break;
            }
        }
    }
}

bool CCreditsLine::TakeTile(char16_t symbol, CLetter& tile) {
    for (auto it = m_slots.begin(); it != m_slots.end(); ++it) {
        if (it->visible && it->letter.GetSymbol() == symbol) {
            tile = std::move(it->letter);
            if (m_currentSlot == it)
                ++m_currentSlot;
            m_slots.erase(it);
            return true;
        }
    }
    return false;
}

void CCreditsLine::StartGetLettersFromHeap(int32_t speed, float interval) {
    m_speedFromHeap = speed;
    m_intervalFromHeap = interval;
    m_timer = 0.0f;
    m_currentSlot = m_slots.begin();
    m_state = FROM_HEAP;
}

void CCreditsLine::StartReturnToHeap(int32_t speed, float interval) {
    m_intervalToHeap = interval;
    for (Slot& slot : m_slots)
        slot.letter.SetSpeed(speed);
    if (m_timer == 0.0f) {
        for (Slot& slot : m_slots) {
            if (slot.visible && m_heap)
                m_heap->Add(std::move(slot.letter), true);
        }
        m_slots.clear();
    }
    m_currentSlot = m_slots.begin();
    m_state = m_slots.empty() ? DONE : TO_HEAP;
}

void CCreditsLine::StartGetLettersFromPrevLines(float time) {
    auto it = m_incoming.begin();
    for (auto itNextLetter = m_slots.begin(); itNextLetter != m_slots.end() && it != m_incoming.end();
         ++itNextLetter) {
        if (!itNextLetter->fromPreviousLine)
            continue;
        A_ASSERT(it->GetSymbol() == itNextLetter->letter.GetSymbol());
        int32_t x, y;
        itNextLetter->letter.GetDestination(x, y);
        CLetter moving = std::move(*it);
        moving.MoveTo(x, y, 0.0f);
        // Every tile arrives after half the time, however far it flies.
        const double speed = time > 0.0f ? std::trunc(2.0 * moving.GetLength() / time) : double(INT32_MAX);
        moving.SetSpeed(int32_t(std::min(speed, double(INT32_MAX))));
        itNextLetter->letter = std::move(moving);
        itNextLetter->visible = true;
        itNextLetter->fromPreviousLine = false;
        ++it;
    }
    m_incoming.clear();
    m_state = PLACING;
}

bool CCreditsLine::AllFinished() const {
    return std::none_of(m_slots.begin(), m_slots.end(),
                        [](const Slot& s) { return s.letter.GetState() == CLetter::MOVING; });
}

int32_t CCreditsLine::Update(float dt) {
    for (Slot& slot : m_slots)
        slot.letter.Update(dt);
    for (CLetter& tile : m_incoming)
        tile.Update(dt);

    switch (m_state) {
    case FROM_HEAP: {
        m_timer -= dt;
        if (m_timer > 0.0f)
            break;
        m_timer = m_intervalFromHeap;
        while (m_currentSlot != m_slots.end() && m_currentSlot->visible)
            ++m_currentSlot;
        if (m_currentSlot == m_slots.end()) {
            if (AllFinished())
                m_state = DONE;
            break;
        }
        Slot& slot = *m_currentSlot;
        std::optional<CLetter> tile = m_heap ? m_heap->Take(slot.letter.GetSymbol()) : std::nullopt;
        if (tile) {
            int32_t x, y;
            slot.letter.GetDestination(x, y);
            tile->MoveTo(x, y, 0.0f);
            tile->SetSpeed(m_speedFromHeap);
            slot.letter = std::move(*tile);
        } else if (m_heap) {
            // The slot shows a tile of its own where it stands.
            m_heap->ReportMissing();
        }
        slot.visible = true;
        ++m_currentSlot;
        break;
    }
    case TO_HEAP:
        m_timer -= dt;
        if (m_timer > 0.0f)
            break;
        m_timer = m_intervalToHeap;
        if (m_currentSlot == m_slots.end()) {
            m_state = DONE;
            break;
        }
        if (m_currentSlot->visible && m_heap)
            m_heap->Add(std::move(m_currentSlot->letter), true);
        m_currentSlot = m_slots.erase(m_currentSlot);
        break;
    default:
        if (AllFinished())
            m_state = DONE;
        break;
    }
    return m_state;
}

void CCreditsLine::DrawShadows(const CLetterPictures& pictures) const {
    for (const Slot& s : m_slots) {
        if (s.visible)
            s.letter.DrawShadow(pictures);
    }
    for (const CLetter& t : m_incoming)
        t.DrawShadow(pictures);
}

void CCreditsLine::DrawTiles(const CLetterPictures& pictures) const {
    for (const Slot& s : m_slots) {
        if (s.visible)
            s.letter.DrawTile(pictures);
    }
    for (const CLetter& t : m_incoming)
        t.DrawTile(pictures);
}
