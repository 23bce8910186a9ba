#include "mirel/gfx/a_particlefile.h"

#include "mirel/base/a_log.h"
#include "mirel/util/a_stringlist.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Reads values one after the other from a line, the way the C scanner reads
// "%d", "%f" and "%x": blanks before a value are skipped, a value ends where
// its characters end, and the first value that cannot be read ends the line.
class ValueReader {
public:
    explicit ValueReader(const char* text) : m_p(text) {}

    bool readInt(int& out) {
        if (m_failed)
            return false;
        errno = 0;
        char* end = nullptr;
        const long v = std::strtol(m_p, &end, 10);
        if (end == m_p || errno == ERANGE || v < INT_MIN || v > INT_MAX)
            return fail();
        m_p = end;
        out = int(v);
        return true;
    }

    bool readFloat(float& out) {
        if (m_failed)
            return false;
        char* end = nullptr;
        const float v = std::strtof(m_p, &end);
        if (end == m_p || !std::isfinite(v))
            return fail();
        m_p = end;
        out = v;
        return true;
    }

    bool readHex(uint32_t& out) {
        if (m_failed)
            return false;
        errno = 0;
        char* end = nullptr;
        const unsigned long long v = std::strtoull(m_p, &end, 16);
        if (end == m_p || errno == ERANGE || v > 0xFFFFFFFFull)
            return fail();
        m_p = end;
        out = uint32_t(v);
        return true;
    }

    bool failed() const { return m_failed; }

private:
    bool fail() {
        m_failed = true;
        return false;
    }
    const char* m_p;
    bool m_failed = false;
};

void toChannels(uint32_t argb, float out[4]) {
    out[0] = float((argb >> 16) & 0xFF) / 255.0f;
    out[1] = float((argb >> 8) & 0xFF) / 255.0f;
    out[2] = float(argb & 0xFF) / 255.0f;
    out[3] = float(argb >> 24) / 255.0f;
}

struct IntKey {
    const char* key;
    int aParticleParams::*value;
};

struct FloatKey {
    const char* key;
    int count;
    float aParticleParams::*values[3];
};

const IntKey kIntKeys[] = {
    {"max_particles", &aParticleParams::maxParticles}, {"fps", &aParticleParams::fps},
    {"emitter_type", &aParticleParams::emitterType},   {"emit_per_sec", &aParticleParams::emitPerSec},
    {"blend_mode", &aParticleParams::blendMode},       {"spread_relative", &aParticleParams::spreadRelative},
    {"spin_by_dir", &aParticleParams::spinByDir},
};

const FloatKey kFloatKeys[] = {
    {"emitter_life", 1, {&aParticleParams::emitterLife}},
    {"emitter_size", 2, {&aParticleParams::emitterSizeX, &aParticleParams::emitterSizeY}},
    {"emitter_angle", 1, {&aParticleParams::emitterAngle}},
    {"spread", 2, {&aParticleParams::spreadMin, &aParticleParams::spreadMax}},
    {"particle_life", 2, {&aParticleParams::lifeMin, &aParticleParams::lifeMax}},
    {"gravity", 2, {&aParticleParams::gravityMin, &aParticleParams::gravityMax}},
    {"wind", 2, {&aParticleParams::windMin, &aParticleParams::windMax}},
    {"radial_acc", 2, {&aParticleParams::radialMin, &aParticleParams::radialMax}},
    {"tangential_acc", 2, {&aParticleParams::tangentialMin, &aParticleParams::tangentialMax}},
    {"velocity", 2, {&aParticleParams::velocityMin, &aParticleParams::velocityMax}},
    {"spin", 3, {&aParticleParams::spinStart, &aParticleParams::spinEnd, &aParticleParams::spinVar}},
    {"size", 3, {&aParticleParams::sizeStart, &aParticleParams::sizeEnd, &aParticleParams::sizeVar}},
};

// Applies one line; false when a value the key takes is missing or unreadable.
bool applyLine(const std::string& line, aParticleParams& params, bool* known) {
    const char* p = line.c_str();
    while (*p && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    const char* keyEnd = p;
    while (*keyEnd && !std::isspace(static_cast<unsigned char>(*keyEnd)))
        ++keyEnd;
    const std::string key(p, keyEnd);
    ValueReader reader(keyEnd);
    *known = true;

    for (const IntKey& k : kIntKeys) {
        if (key == k.key)
            return reader.readInt(params.*(k.value));
    }
    for (const FloatKey& k : kFloatKeys) {
        if (key == k.key) {
            for (int i = 0; i < k.count; ++i) {
                if (!reader.readFloat(params.*(k.values[i])))
                    return false;
            }
            return true;
        }
    }
    if (key == "color") {
        uint32_t c = 0;
        if (!reader.readHex(c))
            return false;
        toChannels(c, params.colorStart);
        if (!reader.readHex(c))
            return false;
        toChannels(c, params.colorEnd);
        return reader.readFloat(params.colorVar) && reader.readFloat(params.alphaVar);
    }
    *known = false;
    return true;
}

void readLines(aStringList& lines, aParticleParams& params, const std::string& name) {
    for (lines.begin(); !lines.isEnd(); lines.next()) {
        bool known = false;
        if (!applyLine(lines.current(), params, &known) && known)
            a_log("aParticleSystem. Bad value in line \"%s\" of \"%s\"", lines.current().c_str(),
                  name.c_str());
    }
    if (params.fps < 0) {
        a_log("aParticleSystem. Negative fps %d in \"%s\", the system does not advance", params.fps,
              name.c_str());
        params.fps = 0;
    }
}

} // namespace

void a_readParticleText(const char* data, size_t size, aParticleParams& params, const std::string& name) {
    aStringList lines;
    lines.parseBuffer(data, size);
    readLines(lines, params, name);
}

void a_readParticleFile(const std::string& path, aParticleParams& params) {
    aStringList lines(path);
    readLines(lines, params, path);
}
