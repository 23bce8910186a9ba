#pragma once
// The heap of the credits: the letter tiles not in use, lying scattered in
// the ellipse inscribed in the heap rectangle, each turned by up to 60
// degrees either way.

#include "game/credits/letter.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class CLetterHeap {
public:
    void SetRect(int16_t x, int16_t y, uint16_t width, uint16_t height);
    // Drops every tile (a new fill).
    void Clear();

    // Puts the tile at a random point of the heap, flying there or placed.
    // The tile goes to the end of the list (it is drawn on top).
    void Add(CLetter tile, bool fly);
    // The most recently added tile with that character, removed from the
    // heap; nothing when there is none.
    std::optional<CLetter> Take(char16_t symbol);
    // A line needed a character the heap lacks: logged once a fill.
    void ReportMissing();
    // Every tile lies still.
    bool IsSettled() const;
    void Update(float dt);
    void DrawTiles(const CLetterPictures& pictures) const;

    const std::vector<CLetter>& GetTiles() const { return m_tiles; }
    size_t GetCount() const { return m_tiles.size(); }
    size_t CountOf(char16_t symbol) const;

    int16_t GetX() const { return m_x; }
    int16_t GetY() const { return m_y; }
    uint16_t GetWidth() const { return m_width; }
    uint16_t GetHeight() const { return m_height; }

private:
    int16_t m_x = 0;
    int16_t m_y = 0;
    uint16_t m_width = 0;
    uint16_t m_height = 0;
    std::vector<CLetter> m_tiles;
    bool m_missingReported = false;
};
