#include "game/credits/letter_heap.h"

#include "mirel/base/a_log.h"
#include "mirel/base/a_random.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
} // namespace

void CLetterHeap::SetRect(int16_t x, int16_t y, uint16_t width, uint16_t height) {
    m_x = x;
    m_y = y;
    m_width = width;
    m_height = height;
}

void CLetterHeap::Clear() {
    m_tiles.clear();
    m_missingReported = false;
}

void CLetterHeap::ReportMissing() {
    if (m_missingReported)
        return;
    m_missingReported = true;
    const bool isNotSymbolInHeap = false;
    A_ASSERT(isNotSymbolInHeap);
}

void CLetterHeap::Add(CLetter tile, bool fly) {
    const int32_t w = m_width, h = m_height;
    // A heap under 2 pixels across has only its middle.
    const int32_t half = std::min(w, h) / 2;
    const int32_t r = half > 0 ? a_rand() % half : 0;
    int32_t dx = int32_t(std::cos(a_rand() * kPi / A_RAND_MAX) * r);
    int32_t dy = int32_t(std::sqrt(double(r * r - dx * dx)));
    if (a_rand() & 1)
        dy = -dy;
    if (h < w && h > 0)
        dx = int32_t(int64_t(dx) * w / h);
    if (h > w && w > 0)
        dy = int32_t(int64_t(dy) * h / w);
    const int32_t x = m_x + dx + w / 2;
    const int32_t y = m_y + dy + h / 2;
    const float angle = float(a_rand() * (2.0 * kPi / 3.0) / A_RAND_MAX - kPi / 3.0);
    if (fly)
        tile.MoveTo(x, y, angle);
    else
        tile.Place(x, y, angle);
    m_tiles.push_back(std::move(tile));
}

std::optional<CLetter> CLetterHeap::Take(char16_t symbol) {
    for (auto it = m_tiles.rbegin(); it != m_tiles.rend(); ++it) {
        if (it->GetSymbol() == symbol) {
            CLetter tile = std::move(*it);
            m_tiles.erase(std::next(it).base());
            return tile;
        }
    }
    return std::nullopt;
}

bool CLetterHeap::IsSettled() const {
    return std::all_of(m_tiles.begin(), m_tiles.end(),
                       [](const CLetter& t) { return t.GetState() == CLetter::AT_REST; });
}

void CLetterHeap::Update(float dt) {
    for (CLetter& t : m_tiles)
        t.Update(dt);
}

void CLetterHeap::DrawTiles(const CLetterPictures& pictures) const {
    for (const CLetter& t : m_tiles) {
        t.DrawShadow(pictures);
        t.DrawTile(pictures);
    }
}

size_t CLetterHeap::CountOf(char16_t symbol) const {
    return size_t(std::count_if(m_tiles.begin(), m_tiles.end(),
                                [symbol](const CLetter& t) { return t.GetSymbol() == symbol; }));
}
