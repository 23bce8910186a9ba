#include "game/bonus/assemble_letter.h"

#include "game/bonus/bonus_round_factory.h"
#include "game/bonus/bonus_values.h"
#include "game/game_services.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_style.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"
#include "mirel/util/a_stringlist.h"

#include <algorithm>
#include <cmath>

namespace {

[[maybe_unused]] const bool g_registered =
    BonusRoundFactory::Instance().Register<AssembleLetter>("AssembleLetter");

constexpr float kPi = 3.1415927f;
constexpr uint32_t kShadowColour = 0xD0202020u;

} // namespace

AssembleLetter::AssembleLetter(const aOptionsFile& options, GameServices* game)
    : BonusRound(kPuzzleName, options, game) {
    m_letterFolder = m_imageFolder + options.getString("Letter") + "/";
    if (aImageManager* images = Images())
        images->loadList(m_letterFolder + "ImageList.txt", kLetterGroup);
    m_background = GetImage("background");
    if (m_app && m_app->GetGuiServer())
        m_frameStyle = m_app->GetGuiServer()->GetStyle("assemble_letter_frame");
    m_soundGrab = GetSound("letter_assemble_grab");
    m_soundPlaceBack = GetSound("letter_assemble_placeback");
    m_soundLock = GetSound("letter_assemble_lock");
    m_soundRotate = GetSound("letter_assemble_rotate");
    m_soundCompleted = GetSound("letter_assemble_completed");
    ReadLayout();
    m_completionFade = 0.0f;
    ScatterPieces();
    ApplyLayout(0);
}

AssembleLetter::~AssembleLetter() {
    m_pieces.clear();
    if (aImageManager* images = Images())
        images->unloadList(m_letterFolder + "ImageList.txt", kLetterGroup);
}

void AssembleLetter::ReadLayout() {
    aStringList lines(m_letterFolder + "layout.txt");
    if (lines.getCount() % 3 != 0)
        a_log("AssembleLetter - %slayout.txt: %u lines, not groups of three; the last are ignored",
              m_letterFolder.c_str(), unsigned(lines.getCount()));
    aImageManager* images = Images();
    int32_t extentW = 0, extentH = 0;
    lines.begin();
    for (uint32_t group = 0; group < lines.getCount() / 3; ++group) {
        Piece piece;
        piece.name = lines.current();
        lines.next();
        piece.targetX = bonusvalues::ParseInt(lines.current(), -bonusvalues::kCoordinateLimit,
                                              bonusvalues::kCoordinateLimit);
        lines.next();
        piece.targetY = bonusvalues::ParseInt(lines.current(), -bonusvalues::kCoordinateLimit,
                                              bonusvalues::kCoordinateLimit);
        lines.next();
        piece.image = images ? images->getImage(piece.name, kLetterGroup) : nullptr;
        if (!piece.image) {
            a_log("AssembleLetter - piece '%s' has no picture and is left out", piece.name.c_str());
            continue;
        }
        extentW = std::max(extentW, piece.targetX + int32_t(piece.image->getWidth()));
        extentH = std::max(extentH, piece.targetY + int32_t(piece.image->getHeight()));
        m_pieces.push_back(std::move(piece));
    }
    m_extentWidth = int16_t(std::clamp(extentW, 0, int32_t(INT16_MAX)));
    m_extentHeight = int16_t(std::clamp(extentH, 0, int32_t(INT16_MAX)));
}

void AssembleLetter::ScatterPieces() {
    for (Piece& piece : m_pieces) {
        piece.startX = float(a_rand() % 745 + 229);
        piece.startY = float(a_rand() % 668 + 50);
        piece.startOrientation = 0;
    }
    m_originX = 229;
    m_originY = 50;
    // Read by position, whatever the sections are called.
    aOptionsFile params(m_letterFolder + "params.ini");
    if (params.selectSection(0)) {
        m_originX = int16_t(bonusvalues::ParseInt(params.getString("x"), INT16_MIN, INT16_MAX));
        m_originY = int16_t(bonusvalues::ParseInt(params.getString("y"), INT16_MIN, INT16_MAX));
    }
    if (!params.selectSection(1))
        return;
    for (Piece& piece : m_pieces) {
        const std::string value = params.hasKey(piece.name) ? params.getString(piece.name) : std::string();
        if (value.empty())
            continue;
        float x = piece.startX, y = piece.startY;
        int32_t turns = piece.startOrientation;
        if (!bonusvalues::ParsePlace(value, x, y, turns))
            a_log("AssembleLetter - params.ini: the start of '%s' (\"%s\") is not \"x,y,turns\"",
                  piece.name.c_str(), value.c_str());
        piece.startX = x;
        piece.startY = y;
        piece.startOrientation = ((turns % 4) + 4) % 4;
    }
}

void AssembleLetter::ApplyLayout(int32_t layout) {
    for (Piece& piece : m_pieces) {
        piece.x = piece.startX;
        piece.y = piece.startY;
        piece.orientation = piece.startOrientation;
        piece.angle = AngleOf(piece.orientation);
        piece.glow = 0.0f;
        piece.locked = false;
        piece.hovered = false;
    }
    m_layout = layout;
    m_hovered = nullptr;
    m_dragged = nullptr;
}

float AssembleLetter::AngleOf(int32_t orientation) {
    return float(orientation) * kPi * 0.5f;
}

const AssembleLetter::Piece* AssembleLetter::FindPiece(const std::string& name) const {
    for (const Piece& piece : m_pieces) {
        if (piece.name == name)
            return &piece;
    }
    return nullptr;
}

bool AssembleLetter::HitTestPiece(const Piece& piece, int32_t px, int32_t py) const {
    if (!piece.image)
        return false;
    const int32_t w = int32_t(piece.image->getWidth()), h = int32_t(piece.image->getHeight());
    const int32_t hw = w / 2, hh = h / 2;
    const int32_t x0 = int32_t(piece.x), y0 = int32_t(piece.y);
    int32_t sx = 0, sy = 0;
    if (piece.orientation == 0 || piece.orientation == 2) {
        const int32_t u = px - x0, v = py - y0;
        if (u < 0 || u >= w || v < 0 || v >= h)
            return false;
        sx = piece.orientation == 0 ? u : w - 1 - u;
        sy = piece.orientation == 0 ? v : h - 1 - v;
    } else {
        // Turned a quarter: the picture's box is h wide and w high about the same centre.
        const int32_t u = px + hh - x0 - hw, v = py - y0 - hh + hw;
        if (u < 0 || u >= h || v < 0 || v >= w)
            return false;
        sx = piece.orientation == 1 ? w - 1 - v : v;
        sy = piece.orientation == 1 ? u : h - 1 - u;
    }
    return (piece.image->getPixel(sx, sy) >> 24) > kAlphaThreshold;
}

void AssembleLetter::ToFront(Piece* piece) {
    for (auto it = m_pieces.begin(); it != m_pieces.end(); ++it) {
        if (&*it == piece) {
            m_pieces.splice(m_pieces.begin(), m_pieces, it);
            return;
        }
    }
}

void AssembleLetter::ToBack(Piece* piece) {
    for (auto it = m_pieces.begin(); it != m_pieces.end(); ++it) {
        if (&*it == piece) {
            m_pieces.splice(m_pieces.end(), m_pieces, it);
            return;
        }
    }
}

void AssembleLetter::Lock(Piece& piece) {
    piece.locked = true;
    piece.orientation = 0;
    piece.angle = 0.0f;
    piece.x = float(m_originX + piece.targetX);
    piece.y = float(m_originY + piece.targetY);
}

void AssembleLetter::PutDown(Piece& piece) {
    // The picture as it shows (a quarter turn swaps its sides about the
    // centre) is kept inside the play area.
    const int32_t w = int32_t(piece.image->getWidth()), h = int32_t(piece.image->getHeight());
    const bool turned = piece.orientation % 2 != 0;
    const float dx = turned ? float(w / 2 - h / 2) : 0.0f, dy = turned ? float(h / 2 - w / 2) : 0.0f;
    const float shownW = float(turned ? h : w), shownH = float(turned ? w : h);
    const float left = std::max(float(kPlayLeft), std::min(piece.x + dx, float(kPlayRight) - shownW));
    const float top = std::max(0.0f, std::min(piece.y + dy, float(kPlayBottom) - shownH));
    piece.x = left - dx;
    piece.y = top - dy;
}

void AssembleLetter::Update(float dt) {
    if (m_completed) {
        m_completionFade = std::min(1.0f, m_completionFade + 2.0f * dt);
        return;
    }
    if (m_flying) {
        UpdateFlyingPieces(dt);
        return;
    }
    const Pointer pointer = ReadPointer();
    const int32_t mx = pointer.x, my = pointer.y;
    const bool leftPressed = pointer.leftPressed;

    // One press acts once: the click that puts a piece down picks nothing up.
    bool pressTaken = false;
    if (m_dragged) {
        Piece& piece = *m_dragged;
        piece.x += float(pointer.dx);
        piece.y += float(pointer.dy);
        if (pointer.rightPressed) {
            piece.orientation = (piece.orientation + 1) % 4;
            piece.angle = AngleOf(piece.orientation);
            bonusvalues::Play(m_soundRotate);
        } else if (leftPressed) {
            pressTaken = true;
            const float tx = float(m_originX + piece.targetX), ty = float(m_originY + piece.targetY);
            if (std::fabs(piece.x - tx) < kLockDistance && std::fabs(piece.y - ty) < kLockDistance &&
                piece.orientation == 0) {
                ToBack(&piece);
                Lock(piece);
                bonusvalues::Play(m_soundLock);
            } else {
                PutDown(piece);
                bonusvalues::Play(m_soundPlaceBack);
            }
            m_dragged = nullptr;
        }
    }
    if (!m_dragged) {
        Piece* under = nullptr;
        for (Piece& piece : m_pieces) {
            if (!piece.locked && HitTestPiece(piece, mx, my)) {
                under = &piece;
                break;
            }
        }
        if (under && leftPressed && !pressTaken) {
            m_dragged = under;
            ToFront(under);
            bonusvalues::Play(m_soundGrab);
        }
        if (m_hovered && m_hovered != under)
            m_hovered->hovered = false;
        m_hovered = under;
        if (under)
            under->hovered = true;
    }

    bool allLocked = true;
    for (Piece& piece : m_pieces) {
        piece.glow =
            piece.hovered ? std::min(1.0f, piece.glow + 5.0f * dt) : std::max(0.0f, piece.glow - 5.0f * dt);
        allLocked = allLocked && piece.locked;
    }
    if (allLocked && !m_completed)
        BonusRound::Solve();
}

void AssembleLetter::Draw() {
    if (m_background)
        m_background->drawAt(float(kPlayLeft), 0.0f, 0xFFFFFFFFu);
    if (m_frameStyle) {
        const aRect frame(int16_t(m_originX - 10), int16_t(m_originY - 10), int16_t(m_extentWidth + 13),
                          int16_t(m_extentHeight + 20));
        m_frameStyle->Draw(frame, (bonusvalues::AlphaByte(1.0f - m_completionFade) << 24) | 0xFFFFFFu);
    }
    const uint32_t c = bonusvalues::AlphaByte(0.75f + 0.25f * m_completionFade);
    const uint32_t grey = 0xFF000000u | (c * 0x010101u);
    for (auto it = m_pieces.rbegin(); it != m_pieces.rend(); ++it)
        DrawPiece(*it, &*it == m_dragged, grey);
}

void AssembleLetter::DrawPiece(const Piece& piece, bool lifted, uint32_t colour) const {
    if (!piece.image)
        return;
    if (piece.locked) {
        piece.image->drawAt(piece.x, piece.y, colour);
        return;
    }
    piece.image->drawAt(piece.x, piece.y + 2.0f, kShadowColour, nullptr, piece.angle);
    const float x = lifted ? piece.x - 3.0f : piece.x, y = lifted ? piece.y - 1.0f : piece.y;
    piece.image->drawAt(x, y, 0xFFFFFFFFu, nullptr, piece.angle);
    if (piece.glow > 0.0f)
        piece.image->drawAt(x, y, (bonusvalues::AlphaByte(piece.glow * 0.5f) << 24) | 0x00FF00u, nullptr,
                            piece.angle);
}

void AssembleLetter::OnCompleted() {
    bonusvalues::Play(m_soundCompleted);
}

void AssembleLetter::UseHint() {
    std::vector<Piece*> candidates;
    for (Piece& piece : m_pieces) {
        if (!piece.locked &&
            std::find(m_flyingPieces.begin(), m_flyingPieces.end(), &piece) == m_flyingPieces.end())
            candidates.push_back(&piece);
    }
    if (candidates.empty())
        return;
    m_flying = true;
    Piece* piece = candidates[size_t(a_rand()) % candidates.size()];
    // A held piece that flies leaves the hand: it must not follow the cursor once locked.
    if (piece == m_dragged)
        m_dragged = nullptr;
    m_flyingPieces.push_back(piece);
    ToFront(piece);
    const float dx = float(m_originX + piece->targetX) - piece->x;
    const float dy = float(m_originY + piece->targetY) - piece->y;
    piece->flyTime = std::sqrt(dx * dx + dy * dy) / kFlySpeed;
    piece->angularSpeed = -piece->angle;
}

void AssembleLetter::UpdateFlyingPieces(float dt) {
    for (auto it = m_flyingPieces.begin(); it != m_flyingPieces.end();) {
        Piece& piece = **it;
        const float tx = float(m_originX + piece.targetX), ty = float(m_originY + piece.targetY);
        if (bonusvalues::FlyStep(piece.x, piece.y, tx, ty, kFlySpeed, dt)) {
            Lock(piece);
            ToBack(&piece);
            it = m_flyingPieces.erase(it);
            continue;
        }
        if (piece.flyTime > 0.0f)
            piece.angle += dt * piece.angularSpeed / piece.flyTime;
        ++it;
    }
    if (m_flyingPieces.empty())
        m_flying = false;
}

void AssembleLetter::Solve() {
    m_flyingPieces.clear();
    m_flying = false;
    m_dragged = nullptr;
    for (Piece& piece : m_pieces) {
        if (!piece.locked)
            Lock(piece);
    }
}
