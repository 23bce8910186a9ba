#include "game/bonus/bonus_values.h"

#include "mirel/base/a_math.h"
#include "mirel/sound/a_sound.h"

#include <cmath>
#include <cstdlib>

namespace bonusvalues {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// A decimal integer from at on; false when there is none.
bool readInt(const std::string& s, size_t& at, int64_t& value) {
    while (at < s.size() && isSpace(s[at]))
        ++at;
    bool negative = false;
    if (at < s.size() && (s[at] == '+' || s[at] == '-'))
        negative = s[at++] == '-';
    if (at >= s.size() || s[at] < '0' || s[at] > '9')
        return false;
    int64_t v = 0;
    for (; at < s.size() && s[at] >= '0' && s[at] <= '9'; ++at) {
        if (v < (int64_t(1) << 40))
            v = v * 10 + (s[at] - '0');
    }
    value = negative ? -v : v;
    return true;
}

bool readFloat(const std::string& s, size_t& at, float& value) {
    const char* begin = s.c_str() + at;
    char* end = nullptr;
    const float v = std::strtof(begin, &end);
    if (end == begin)
        return false;
    at += size_t(end - begin);
    if (!std::isfinite(v) || std::fabs(v) > float(kCoordinateLimit))
        return false;
    value = v;
    return true;
}

} // namespace

int32_t ParseInt(const std::string& text, int32_t low, int32_t high) {
    size_t at = 0;
    int64_t v = 0;
    if (!readInt(text, at, v))
        v = 0;
    return int32_t(v < low ? low : v > high ? high : v);
}

bool ParsePlace(const std::string& text, float& x, float& y, int32_t& turns) {
    size_t at = 0;
    if (!readFloat(text, at, x) || at >= text.size() || text[at++] != ',')
        return false;
    if (!readFloat(text, at, y) || at >= text.size() || text[at++] != ',')
        return false;
    int64_t t = 0;
    if (!readInt(text, at, t))
        return false;
    turns = int32_t(t % 4);
    return true;
}

uint32_t AlphaByte(float f) {
    return alphaByte(f);
}

void Play(aSound* sound) {
    if (sound)
        sound->play(false, -1.0f, -2.0f);
}

void PlayLooped(aSound* sound) {
    if (sound && !sound->isPlaying())
        sound->play(true, -1.0f, -2.0f);
}

void Stop(aSound* sound) {
    if (sound && sound->isPlaying())
        sound->stop();
}

float WrapTurns(float angle) {
    angle = std::fmod(angle, A_2PI);
    return angle < 0.0f ? angle + A_2PI : angle;
}

} // namespace bonusvalues
