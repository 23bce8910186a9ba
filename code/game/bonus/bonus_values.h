#pragma once
// Small helpers the puzzles share: reading numbers from their data files
// without overflow, the alpha byte of a fade, playing a sound once and
// stopping it, whole turns of an angle, and a flying piece's step.

#include <cstdint>
#include <string>

class aSound;

namespace bonusvalues {

// Screen offsets read from puzzle files are kept within this, so sums with
// the 16-bit screen coordinates stay meaningful.
constexpr int32_t kCoordinateLimit = 30000;

// The leading decimal integer of the text (blanks and a sign allowed, as
// atoi reads it), clamped into [low, high]; 0 (clamped) when there is none.
int32_t ParseInt(const std::string& text, int32_t low, int32_t high);
// "x,y,turns": as many of the three as the text gives, in order, are
// written; false when not all three could be read. Coordinates that are not
// finite numbers or beyond kCoordinateLimit are not taken.
bool ParsePlace(const std::string& text, float& x, float& y, int32_t& turns);
// 255 at 1 or more, 0 at 0 or less, else f x 255 + 0.5 truncated.
uint32_t AlphaByte(float f);
// Plays the sound once with its own volume and pan (nothing for null).
void Play(aSound* sound);
// Starts the sound looping with its own volume and pan unless it already
// plays (nothing for null).
void PlayLooped(aSound* sound);
// Stops the sound when it plays (nothing for null).
void Stop(aSound* sound);
// Into [0, 2pi) however many turns out of range.
float WrapTurns(float angle);
// One frame of a piece flying straight to (tx, ty) at `speed` pixels a
// second, stopping there: true (and nothing moved) when it is already there.
bool FlyStep(float& x, float& y, float tx, float ty, float speed, float dt);

} // namespace bonusvalues
