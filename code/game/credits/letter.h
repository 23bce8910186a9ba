#pragma once
// One letter tile of the credits: a small square tile bearing one character,
// at rest or flying along a straight path from where it lies to where it is
// sent. It turns to its new angle when it arrives.

#include "mirel/gfx/a_curve.h"

#include <cstdint>

class aFont;
class aImage;

// The pictures a tile is drawn with: the sheet of 16 tile cells (27 x 28
// pixels each, the tile 25 x 26 inside), the shadow and the font of the
// characters.
struct CLetterPictures {
    const aImage* tiles = nullptr;
    const aImage* shadow = nullptr;
    const aFont* font = nullptr;
};

class CLetter {
public:
    enum State : int32_t { MOVING = 0, AT_REST = 1, ARRIVED = 2 };
    static constexpr int32_t kDefaultSpeed = 100;

    explicit CLetter(char16_t symbol = 0, uint8_t variant = 0);

    // Lies at (x, y) with that angle, not moving.
    void Place(int32_t x, int32_t y, float angle);
    // Flies from where it was last sent (or placed) to (x, y); takes the
    // angle on arrival.
    void MoveTo(int32_t x, int32_t y, float angle);
    // Advances speed x dt pixels along the path; the state afterwards.
    int32_t Update(float dt);

    // The shadow, and the tile with its character, at the tile's place.
    void DrawShadow(const CLetterPictures& pictures) const;
    void DrawTile(const CLetterPictures& pictures) const;

    char16_t GetSymbol() const { return m_symbol; }
    uint8_t GetVariant() const { return m_variant; }
    void SetVariant(uint8_t variant) { m_variant = variant; }
    int32_t GetState() const { return m_state; }
    int32_t GetSpeed() const { return m_speed; }
    // At least one pixel per second, so that a tile always arrives.
    void SetSpeed(int32_t speed) { m_speed = speed < 1 ? 1 : speed; }
    float GetAngle() const { return m_angle; }
    double GetLength() const { return m_length; }
    // Where it is drawn now.
    void GetPosition(float& x, float& y) const { m_path.getPosition(x, y); }
    // Where it lies or flies to.
    void GetDestination(int32_t& x, int32_t& y) const;

private:
    int32_t m_state = AT_REST;
    int32_t m_speed = kDefaultSpeed;
    uint8_t m_variant = 0;
    char16_t m_symbol = 0;
    float m_angle = 0.0f;
    float m_targetAngle = 0.0f;
    double m_length = 0.0;
    aCurvePath m_path{nullptr}; // never drawn
};
