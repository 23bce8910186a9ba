#include "game/credits/letter.h"

#include "mirel/gfx/a_font.h"
#include "mirel/gfx/a_image.h"

namespace {

// Tile sheet metrics.
constexpr int16_t kCellW = 27;
constexpr int16_t kCellH = 28;
constexpr int16_t kTileW = 25;
constexpr int16_t kTileH = 26;
// Every part of a tile turns around the tile's middle.
constexpr float kCentreX = 1.0f + kTileW * 0.5f;
constexpr float kCentreY = 1.0f + kTileH * 0.5f;

void drawTurned(const aImage& image, const aRect& rect, float x, float y, float dx, float dy, uint32_t colour,
                float angle) {
    const float pos[2] = {x + dx, y + dy};
    const float centre[2] = {kCentreX - dx, kCentreY - dy};
    image.draw(pos, &rect, colour, nullptr, angle, centre, true);
}

} // namespace

CLetter::CLetter(char16_t symbol, uint8_t variant) : m_variant(variant), m_symbol(symbol) {
    m_path.addPoint(0, 0);
    m_path.addPoint(0, 0);
}

void CLetter::Place(int32_t x, int32_t y, float angle) {
    m_path.clearPoints();
    m_path.addPoint(x, y);
    m_path.addPoint(x, y);
    if (m_path.isMoving())
        m_path.updateMove(1.0e9); // stops the walker, on the new place
    m_angle = m_targetAngle = angle;
    m_length = 0.0;
    m_state = AT_REST;
}

void CLetter::GetDestination(int32_t& x, int32_t& y) const {
    if (!m_path.getPoint(1, x, y))
        x = y = 0;
}

void CLetter::MoveTo(int32_t x, int32_t y, float angle) {
    int32_t fromX, fromY;
    GetDestination(fromX, fromY);
    m_path.clearPoints();
    m_path.addPoint(fromX, fromY);
    m_path.addPoint(x, y);
    m_path.startMove();
    m_state = MOVING;
    m_targetAngle = angle;
    m_length = m_path.getLength();
}

int32_t CLetter::Update(float dt) {
    switch (m_path.updateMove(double(m_speed) * dt)) {
    case A_MOVE_ON:
        m_state = MOVING;
        break;
    case A_MOVE_END:
        m_state = ARRIVED;
        m_angle = m_targetAngle;
        break;
    default:
        m_state = AT_REST;
        break;
    }
    return m_state;
}

void CLetter::DrawShadow(const CLetterPictures& pictures) const {
    if (!pictures.shadow)
        return;
    float x, y;
    GetPosition(x, y);
    const aRect whole(0, 0, int16_t(pictures.shadow->getWidth()), int16_t(pictures.shadow->getHeight()));
    drawTurned(*pictures.shadow, whole, x, y, -3.0f, -3.0f, 0xFFFFFFFFu, m_angle);
}

void CLetter::DrawTile(const CLetterPictures& pictures) const {
    float x, y;
    GetPosition(x, y);
    if (pictures.tiles) {
        // The 16 variants run through the sheet's cells row by row; a sheet
        // smaller than one cell shows no tile.
        const int32_t columns = int32_t(pictures.tiles->getWidth()) / kCellW;
        const int32_t rows = int32_t(pictures.tiles->getHeight()) / kCellH;
        if (columns > 0 && rows > 0) {
            const int32_t cell = m_variant % (columns * rows);
            const aRect rect(int16_t((cell % columns) * kCellW + 1), int16_t((cell / columns) * kCellH + 1),
                             kTileW, kTileH);
            drawTurned(*pictures.tiles, rect, x, y, 1.0f, 1.0f, 0xFFFFFFFFu, m_angle);
        }
    }
    if (pictures.font) {
        const aRect glyph = pictures.font->getCharRect(m_symbol);
        if (glyph.width > 0 && glyph.height > 0) {
            const float dx = float(int32_t((kCellW - glyph.width) / 2));
            drawTurned(pictures.font->getAtlas(), glyph, x, y, dx, -1.0f, 0xFF000000u, m_angle);
        }
    }
}
