#include "game/bonus/decode_letter.h"

#include "game/bonus/bonus_round_factory.h"
#include "game/bonus/bonus_values.h"
#include "game/game_services.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_style.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

BonusRound* NewDecodeLetter(const aOptionsFile& options, GameServices* game) {
    return new (std::nothrow) DecodeLetter(options, game);
}

namespace {

[[maybe_unused]] const bool g_registered =
    BonusRoundFactory::Instance().Register("DecodeLetter", &NewDecodeLetter);

constexpr uint32_t kWhite = 0xFFFFFFFFu;
// The play area right of the panel, where a held scrap can be dropped.
constexpr int32_t kPlayLeft = 179, kPlayRight = 1023, kPlayBottom = 767;
// The bottom of the area where scraps start at random.
constexpr int32_t kScatterBottom = 718;

} // namespace

bool DecodeLetter::ParseStart(const std::string& text, float& x, float& y) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const float px = std::strtof(begin, &end);
    if (end == begin || *end != ',')
        return false;
    const char* second = end + 1;
    const float py = std::strtof(second, &end);
    if (end == second || !std::isfinite(px) || !std::isfinite(py) ||
        std::fabs(px) > float(bonusvalues::kCoordinateLimit) ||
        std::fabs(py) > float(bonusvalues::kCoordinateLimit))
        return false;
    x = px;
    y = py;
    return true;
}

namespace {

// The overlap of two rectangles, 0 when they do not meet.
int64_t Overlap(float ax, float ay, float aw, float ah, float bx, float by, float bw, float bh) {
    const float w = std::min(ax + aw, bx + bw) - std::max(ax, bx);
    const float h = std::min(ay + ah, by + bh) - std::max(ay, by);
    return w > 0.0f && h > 0.0f ? int64_t(w * h) : 0;
}

} // namespace

DecodeLetter::DecodeLetter(const aOptionsFile& options, GameServices* game)
    : BonusRound(kPuzzleName, options, game) {
    m_soundGrab = GetSound("letter_decode_grab");
    m_soundLock = GetSound("letter_decode_lock");
    m_soundPlaceBack = GetSound("letter_decode_placeback");
    m_letterFolder = m_imageFolder + options.getString("Letter") + "/";
    aImageManager* images = Images();
    if (images) {
        images->loadList(m_letterFolder + "ImageList.txt", kLetterGroup);
        m_layoutImage = images->getImage("layout", kLetterGroup);
        m_paper = images->getImage("paper", kLetterGroup);
        m_placement = images->getImage("placement", kLetterGroup);
        m_text = images->getImage("text", kLetterGroup);
    }
    m_background = GetImage("background");
    if (m_app && m_app->GetGuiServer())
        m_shadowStyle = m_app->GetGuiServer()->GetStyle("shadow");
    ScanLayout();
    m_flying = false;
    ReadParams();
    ApplyLayout(0);
}

DecodeLetter::~DecodeLetter() {
    if (aImageManager* images = Images())
        images->unloadList(m_letterFolder + "ImageList.txt", kLetterGroup);
}

void DecodeLetter::ScanLayout() {
    m_scraps.clear();
    m_letterHeight = -1;
    if (!m_layoutImage)
        return;
    const int32_t w = std::min<int32_t>(int32_t(m_layoutImage->getWidth()), INT16_MAX);
    const int32_t h = std::min<int32_t>(int32_t(m_layoutImage->getHeight()), INT16_MAX);
    std::vector<uint32_t> pixels(size_t(w) * size_t(h));
    uint32_t* bits = nullptr;
    int pitch = 0;
    const aRect all(0, 0, int16_t(w), int16_t(h));
    if (m_layoutImage->lock(&all, true, &bits, &pitch)) {
        for (int32_t y = 0; y < h; ++y)
            std::copy(bits + size_t(y) * size_t(pitch), bits + size_t(y) * size_t(pitch) + size_t(w),
                      pixels.begin() + ptrdiff_t(size_t(y) * size_t(w)));
        m_layoutImage->unlock();
    } else {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                pixels[size_t(y) * size_t(w) + size_t(x)] = m_layoutImage->getPixel(x, y);
    }
    m_letterHeight = FindScraps(pixels, w, h, m_scraps);
}

int32_t DecodeLetter::FindScraps(const std::vector<uint32_t>& pixels, int32_t w, int32_t h,
                                 std::vector<Scrap>& scraps) {
    scraps.clear();
    if (w <= 0 || h <= 0 || pixels.size() < size_t(w) * size_t(h))
        return -1;
    int32_t letterHeight = -1;
    const auto at = [&](int32_t x, int32_t y) { return size_t(y) * size_t(w) + size_t(x); };
    const auto opaque = [&](int32_t x, int32_t y) { return (pixels[at(x, y)] >> 24) >= kScrapAlpha; };
    // The scrap whose rectangle first covered each pixel, -1 for none.
    std::vector<int32_t> cover(pixels.size(), -1);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w;) {
            if (!opaque(x, y)) {
                ++x;
                continue;
            }
            if (const int32_t inside = cover[at(x, y)]; inside >= 0) {
                const aRect& r = scraps[size_t(inside)].rect;
                x = r.x + r.width;
                continue;
            }
            Scrap scrap;
            scrap.required = (pixels[at(x, y)] & kRequiredBit) != 0;
            if (!scrap.required && letterHeight < 0)
                letterHeight = y;
            int32_t width = 1, height = 1;
            while (x + width < w && opaque(x + width, y))
                ++width;
            while (y + height < h && opaque(x, y + height))
                ++height;
            scrap.rect = aRect(int16_t(x), int16_t(y), int16_t(width), int16_t(height));
            const int32_t index = int32_t(scraps.size());
            for (int32_t v = y; v < y + height; ++v)
                for (int32_t u = x; u < x + width; ++u)
                    if (cover[at(u, v)] < 0)
                        cover[at(u, v)] = index;
            scraps.push_back(scrap);
            x += width;
        }
    }
    return letterHeight;
}

void DecodeLetter::ReadParams() {
    m_originX = 229;
    m_originY = 50;
    aOptionsFile params(m_letterFolder + "params.ini");
    const std::vector<std::string> sections = params.getSectionNames();
    if (!sections.empty() && params.selectSection(0)) {
        m_originX = bonusvalues::ParseInt(params.getString("x"), -bonusvalues::kCoordinateLimit,
                                          bonusvalues::kCoordinateLimit);
        m_originY = bonusvalues::ParseInt(params.getString("y"), -bonusvalues::kCoordinateLimit,
                                          bonusvalues::kCoordinateLimit);
    }
    // Random places between the bottom of the letter and the bottom of the screen.
    const int32_t top = m_letterHeight + m_originY;
    const int32_t span = kScatterBottom - top;
    if (span <= 0)
        a_log("DecodeLetter - the letter reaches the bottom of the screen (row %d): scraps without a start "
              "place lie at its foot",
              int(top));
    for (Scrap& scrap : m_scraps) {
        scrap.startX = float(a_rand() % 745 + 229);
        scrap.startY = float(span > 0 ? a_rand() % span + top : kScatterBottom);
    }
    if (sections.size() < 2 || !params.selectSection(1))
        return;
    size_t index = 0;
    for (bool more = params.firstKey(); more && index < m_scraps.size(); more = params.nextKey(), ++index) {
        Scrap& scrap = m_scraps[index];
        if (!ParseStart(params.getKeyValue(), scrap.startX, scrap.startY))
            a_log("DecodeLetter - params.ini: the start of scrap %u (\"%s\") is not \"x,y\"",
                  unsigned(index + 1), params.getKeyValue().c_str());
    }
}

void DecodeLetter::ApplyLayout(int32_t layout) {
    for (Scrap& scrap : m_scraps) {
        scrap.x = scrap.startX;
        scrap.y = scrap.startY;
        scrap.glow = 0.0f;
        scrap.placed = false;
        scrap.hovered = false;
    }
    m_layout = layout;
    m_dragged = -1;
    m_flyingScraps.clear();
    m_flying = false;
}

void DecodeLetter::Place(Scrap& scrap) {
    scrap.x = float(m_originX + scrap.rect.x);
    scrap.y = float(m_originY + scrap.rect.y);
    scrap.placed = true;
    scrap.hovered = false;
}

int32_t DecodeLetter::BestHole(const Scrap& dragged) const {
    const float w = float(dragged.rect.width), h = float(dragged.rect.height);
    const float x = dragged.x - float(m_originX), y = dragged.y - float(m_originY);
    int64_t best = int64_t(dragged.rect.width) * dragged.rect.height / 4;
    int32_t found = -1;
    for (size_t i = 0; i < m_scraps.size(); ++i) {
        const Scrap& hole = m_scraps[i];
        if (!hole.required)
            continue;
        const int64_t overlap = Overlap(x, y, w, h, float(hole.rect.x), float(hole.rect.y),
                                        float(hole.rect.width), float(hole.rect.height));
        if (overlap > best) {
            best = overlap;
            found = int32_t(i);
        }
    }
    return found;
}

void DecodeLetter::Update(float dt) {
    for (Scrap& scrap : m_scraps) {
        const float step = dt / kGlowTime;
        scrap.glow = scrap.hovered ? std::min(1.0f, scrap.glow + step) : std::max(0.0f, scrap.glow - step);
    }
    if (m_completed)
        return;
    if (m_flying) {
        UpdateFlyingPieces(dt);
        return;
    }
    const Pointer pointer = ReadPointer();
    const int32_t mx = pointer.x, my = pointer.y;
    const bool pressed = pointer.leftPressed;

    if (m_dragged < 0) {
        int32_t hovered = -1;
        for (size_t i = m_scraps.size(); i-- > 0;) {
            Scrap& scrap = m_scraps[i];
            if (scrap.placed)
                continue;
            const bool over = hovered < 0 && float(mx) >= scrap.x && float(mx) < scrap.x + scrap.rect.width &&
                              float(my) >= scrap.y && float(my) < scrap.y + scrap.rect.height;
            scrap.hovered = over;
            if (over)
                hovered = int32_t(i);
        }
        if (hovered >= 0 && pressed) {
            m_dragged = hovered;
            bonusvalues::Play(m_soundGrab);
        }
    } else {
        // The press that took the scrap (an update ago or more) is not the one that drops it.
        Scrap& scrap = m_scraps[size_t(m_dragged)];
        scrap.x += float(pointer.dx);
        scrap.y += float(pointer.dy);
        if (pressed && mx >= kPlayLeft && mx <= kPlayRight && my >= 0 && my <= kPlayBottom) {
            if (BestHole(scrap) == m_dragged) {
                Place(scrap);
                bonusvalues::Play(m_soundLock);
            } else {
                bonusvalues::Play(m_soundPlaceBack);
                scrap.x = scrap.startX;
                scrap.y = scrap.startY;
            }
            m_dragged = -1;
        }
    }

    bool allPlaced = true;
    for (const Scrap& scrap : m_scraps)
        allPlaced = allPlaced && (!scrap.required || scrap.placed);
    if (allPlaced)
        m_completed = true;
}

void DecodeLetter::UseHint() {
    std::vector<int32_t> candidates;
    for (size_t i = 0; i < m_scraps.size(); ++i) {
        const Scrap& scrap = m_scraps[i];
        if (scrap.required && !scrap.placed &&
            std::find(m_flyingScraps.begin(), m_flyingScraps.end(), int32_t(i)) == m_flyingScraps.end())
            candidates.push_back(int32_t(i));
    }
    if (candidates.empty())
        return;
    m_flying = true;
    const int32_t chosen = candidates[size_t(a_rand()) % candidates.size()];
    // A held scrap that flies leaves the hand.
    if (chosen == m_dragged)
        m_dragged = -1;
    m_flyingScraps.push_back(chosen);
}

void DecodeLetter::UpdateFlyingPieces(float dt) {
    for (auto it = m_flyingScraps.begin(); it != m_flyingScraps.end();) {
        Scrap& scrap = m_scraps[size_t(*it)];
        const float tx = float(m_originX + scrap.rect.x), ty = float(m_originY + scrap.rect.y);
        if (bonusvalues::FlyStep(scrap.x, scrap.y, tx, ty, kFlySpeed, dt)) {
            Place(scrap);
            it = m_flyingScraps.erase(it);
            continue;
        }
        ++it;
    }
    if (m_flyingScraps.empty())
        m_flying = false;
}

void DecodeLetter::Solve() {
    m_flyingScraps.clear();
    m_flying = false;
    m_dragged = -1;
    for (Scrap& scrap : m_scraps) {
        if (scrap.required && !scrap.placed)
            Place(scrap);
    }
    BonusRound::Solve();
}

void DecodeLetter::DrawPart(const aImage* image, const aRect& part, float x, float y, uint32_t colour) const {
    if (image && part.width > 0 && part.height > 0)
        image->drawRectAtInt(int16_t(std::lround(x)), int16_t(std::lround(y)), part, colour);
}

void DecodeLetter::Draw() {
    if (m_background)
        m_background->drawAt(179.0f, 0.0f);
    // Without decoys the whole paper is the letter.
    for (const aImage* image : {m_paper, m_text}) {
        if (!image)
            continue;
        const int32_t height = m_letterHeight >= 0
                                   ? std::min<int32_t>(m_letterHeight, int32_t(image->getHeight()))
                                   : int32_t(image->getHeight());
        DrawPart(image, aRect(0, 0, int16_t(image->getWidth()), int16_t(height)), float(m_originX),
                 float(m_originY), kWhite);
    }
    for (const Scrap& scrap : m_scraps) {
        if (!scrap.required || scrap.placed)
            continue;
        const float x = float(m_originX + scrap.rect.x), y = float(m_originY + scrap.rect.y);
        DrawPart(m_paper, scrap.rect, x, y, kWhite);
        DrawPart(m_placement, scrap.rect, x, y, kWhite);
    }
    for (size_t i = 0; i < m_scraps.size(); ++i) {
        if (int32_t(i) != m_dragged && !m_scraps[i].placed)
            DrawPiece(m_scraps[i]);
    }
    if (m_dragged >= 0)
        DrawPiece(m_scraps[size_t(m_dragged)]);
}

void DecodeLetter::DrawPiece(const Scrap& scrap) const {
    const bool lifted = &scrap == (m_dragged >= 0 ? &m_scraps[size_t(m_dragged)] : nullptr) && scrap.hovered;
    const float x = lifted ? scrap.x - 2.0f : scrap.x, y = lifted ? scrap.y - 2.0f : scrap.y;
    const float offset = lifted ? 6.0f : 4.0f;
    if (m_shadowStyle) {
        const aRect frame(int16_t(std::lround(x + offset)), int16_t(std::lround(y + offset)),
                          scrap.rect.width, scrap.rect.height);
        m_shadowStyle->Draw(frame, kWhite);
    }
    DrawPart(m_paper, scrap.rect, x, y, kWhite);
    const uint32_t green = (bonusvalues::AlphaByte(std::min(1.0f, scrap.glow * 0.5f)) << 24) | 0x00FF00u;
    if (scrap.glow > 0.0f)
        DrawPart(m_paper, scrap.rect, x, y, green);
    DrawPart(m_text, scrap.rect, x, y, kWhite);
    if (scrap.glow > 0.0f)
        DrawPart(m_text, scrap.rect, x, y, green);
}
