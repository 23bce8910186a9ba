#pragma once
// One line of a credits screen: a row of letter slots, 26 pixels apart (a
// blank takes 13 and no slot), centred on a point. The line gets its tiles
// from the previous screen's lines where they show the same character, the
// rest one by one from the heap, and at the end sends them back to the heap.

#include "game/credits/letter.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

class CLetterHeap;

class CCreditsLine {
public:
    enum State : int32_t {
        PLACING = 0,   // tiles of the previous screen fly to their slots
        FROM_HEAP = 1, // taking tiles from the heap
        DONE = 2,
        TO_HEAP = 3, // sending tiles back to the heap
    };
    static constexpr int32_t kAdvance = 26;
    static constexpr int32_t kBlankAdvance = 13;
    static constexpr int32_t kHeight = 28;

    struct Slot {
        CLetter letter;
        bool visible = false;
        bool fromPreviousLine = false;
    };
    using Lines = std::vector<std::unique_ptr<CCreditsLine>>;

    // Lays out the slots (jitter moves each tile by up to one pixel left and
    // up) and claims from the previous lines, in their order, a tile for
    // every slot whose character one of them shows.
    void Init(CLetterHeap* heap, const std::u16string& text, Lines& previousLines, int32_t centreX, int32_t y,
              bool jitter);
    void StartGetLettersFromHeap(int32_t speed, float interval);
    void StartReturnToHeap(int32_t speed, float interval);
    // The claimed tiles fly to their slots, arriving after time / 2.
    void StartGetLettersFromPrevLines(float time);
    // The state afterwards.
    int32_t Update(float dt);

    // Removes the first shown slot with that character; its tile, or nothing.
    bool TakeTile(char16_t symbol, CLetter& tile);

    void DrawShadows(const CLetterPictures& pictures) const;
    void DrawTiles(const CLetterPictures& pictures) const;

    int32_t GetState() const { return m_state; }
    const std::list<Slot>& GetSlots() const { return m_slots; }
    const std::list<CLetter>& GetIncoming() const { return m_incoming; }

private:
    bool AllFinished() const;

    int32_t m_state = PLACING;
    CLetterHeap* m_heap = nullptr;
    float m_intervalFromHeap = 0.0f;
    float m_intervalToHeap = 0.0f;
    float m_timer = 0.0f;
    int32_t m_speedFromHeap = CLetter::kDefaultSpeed;
    std::list<Slot> m_slots;
    std::list<Slot>::iterator m_currentSlot = m_slots.end();
    std::list<CLetter> m_incoming;
};
