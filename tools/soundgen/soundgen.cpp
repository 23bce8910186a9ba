#include "soundgen.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace soundgen {

namespace {

struct Buffer {
    std::vector<unsigned char>* bytes;
    sf_count_t pos;
};

sf_count_t bufLength(void* u) {
    return static_cast<sf_count_t>(static_cast<Buffer*>(u)->bytes->size());
}

sf_count_t bufSeek(sf_count_t offset, int whence, void* u) {
    auto* b = static_cast<Buffer*>(u);
    sf_count_t base = whence == SEEK_CUR ? b->pos : whence == SEEK_END ? bufLength(u) : 0;
    if (base + offset < 0) {
        return -1;
    }
    b->pos = base + offset;
    return b->pos;
}

sf_count_t bufRead(void* ptr, sf_count_t count, void* u) {
    auto* b = static_cast<Buffer*>(u);
    sf_count_t size = bufLength(u);
    sf_count_t n = b->pos >= size ? 0 : std::min(count, size - b->pos);
    if (n > 0) {
        std::memcpy(ptr, b->bytes->data() + b->pos, static_cast<size_t>(n));
    }
    b->pos += n;
    return n;
}

sf_count_t bufWrite(const void* ptr, sf_count_t count, void* u) {
    auto* b = static_cast<Buffer*>(u);
    size_t end = static_cast<size_t>(b->pos + count);
    if (end > b->bytes->size()) {
        b->bytes->resize(end);
    }
    std::memcpy(b->bytes->data() + b->pos, ptr, static_cast<size_t>(count));
    b->pos += count;
    return count;
}

sf_count_t bufTell(void* u) {
    return static_cast<Buffer*>(u)->pos;
}

int formatCode(Format f) {
    switch (f) {
    case Format::Wav:
        return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    case Format::Ogg:
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    case Format::Flac:
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    case Format::Mp3:
        return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    }
    return 0;
}

} // namespace

std::vector<float> render(const Tone& t) {
    size_t frames = static_cast<size_t>(std::lround(t.seconds * t.rate));
    int c = t.channels < 1 ? 1 : t.channels;
    std::vector<float> out(frames * static_cast<size_t>(c));
    const double twoPi = 6.283185307179586;
    for (size_t i = 0; i < frames; ++i) {
        double v = t.frequency > 0 ? std::sin(twoPi * t.frequency * static_cast<double>(i) / t.rate) : 1.0;
        for (int k = 0; k < c; ++k) {
            out[i * static_cast<size_t>(c) + static_cast<size_t>(k)] = static_cast<float>(v * t.amplitude);
        }
    }
    return out;
}

bool encode(const Tone& tone, Format format, std::vector<unsigned char>& out) {
    SF_INFO info{};
    info.samplerate = tone.rate;
    info.channels = tone.channels < 1 ? 1 : tone.channels;
    info.format = formatCode(format);
    if (!sf_format_check(&info)) {
        return false;
    }
    out.clear();
    Buffer b{&out, 0};
    SF_VIRTUAL_IO io{bufLength, bufSeek, bufRead, bufWrite, bufTell};
    SNDFILE* sf = sf_open_virtual(&io, SFM_WRITE, &info, &b);
    if (!sf) {
        return false;
    }
    std::vector<float> samples = render(tone);
    sf_count_t frames = static_cast<sf_count_t>(samples.size()) / info.channels;
    bool ok = writeFrames(sf, samples.data(), frames, info.channels);
    ok = sf_close(sf) == 0 && ok;
    return ok && !out.empty();
}

bool writeFile(const Tone& tone, Format format, const std::string& path) {
    std::vector<unsigned char> bytes;
    if (!encode(tone, format, bytes)) {
        std::fprintf(stderr, "soundgen: cannot encode '%s'\n", path.c_str());
        return false;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "soundgen: cannot write '%s'\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "soundgen: cannot write '%s'\n", path.c_str());
    }
    return ok;
}

bool formatFromPath(const std::string& path, Format& format) {
    auto dot = path.find_last_of('.');
    if (dot == std::string::npos) {
        return false;
    }
    std::string ext = path.substr(dot + 1);
    for (char& ch : ext) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    if (ext == "wav")
        format = Format::Wav;
    else if (ext == "ogg")
        format = Format::Ogg;
    else if (ext == "flac")
        format = Format::Flac;
    else if (ext == "mp3")
        format = Format::Mp3;
    else
        return false;
    return true;
}

bool writeFrames(SNDFILE* file, const float* samples, long long frames, int channels) {
    const long long block = 4096;
    for (long long done = 0; done < frames; done += block) {
        sf_count_t n = sf_count_t(std::min(block, frames - done));
        if (sf_writef_float(file, samples + done * channels, n) != n)
            return false;
    }
    return true;
}

} // namespace soundgen
