#include "mirel/platform/audio/a_audio.h"

#include "mirel/base/a_log.h"
#include "mirel/base/a_memory.h"
#include "mirel/platform/audio/a_audiomixer.h"
#include "mirel/platform/audio/a_audiooutput.h"
#include "mirel/platform/audio/a_resample.h"

#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace {

// A read-only file in memory for libsndfile's virtual I/O.
struct MemoryFile {
    const unsigned char* data = nullptr;
    sf_count_t size = 0;
    sf_count_t pos = 0;
};

sf_count_t memLength(void* user) {
    return static_cast<MemoryFile*>(user)->size;
}

sf_count_t memSeek(sf_count_t offset, int whence, void* user) {
    auto* f = static_cast<MemoryFile*>(user);
    sf_count_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? f->size : 0;
    sf_count_t target = base + offset;
    if (target < 0 || target > f->size) {
        return -1;
    }
    f->pos = target;
    return f->pos;
}

sf_count_t memRead(void* ptr, sf_count_t count, void* user) {
    auto* f = static_cast<MemoryFile*>(user);
    sf_count_t n = std::max<sf_count_t>(0, std::min(count, f->size - f->pos));
    if (n > 0) {
        std::memcpy(ptr, f->data + f->pos, static_cast<size_t>(n));
    }
    f->pos += n;
    return n;
}

sf_count_t memWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t memTell(void* user) {
    return static_cast<MemoryFile*>(user)->pos;
}

SF_VIRTUAL_IO g_memoryIo = {memLength, memSeek, memRead, memWrite, memTell};

SNDFILE* openMemory(MemoryFile& file, SF_INFO& info) {
    std::memset(&info, 0, sizeof info);
    // An open that fails leaves its error in libsndfile's globals: opens on
    // several threads take turns (decoding afterwards is the handle's own).
    static std::mutex opening;
    std::unique_lock<std::mutex> lock(opening);
    SNDFILE* sf = sf_open_virtual(&g_memoryIo, SFM_READ, &info, &file);
    lock.unlock();
    if (sf && (info.channels < 1 || info.samplerate < 1)) {
        sf_close(sf);
        return nullptr;
    }
    return sf;
}

// The largest sound file read by name; only plain files are read (a pipe
// would block, a device never end).
constexpr off_t kMaxSoundFile = off_t(64) << 20;

bool readWholeFile(const char* path, std::vector<unsigned char>& out) {
    struct stat st;
    if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxSoundFile) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// Keeps the first two channels of a decoded block (mono stays mono).
void keepTwoChannels(const float* in, int inChannels, float* out, sf_count_t frames) {
    int c = std::min(inChannels, 2);
    for (sf_count_t i = 0; i < frames; ++i) {
        for (int k = 0; k < c; ++k) {
            out[i * c + k] = in[i * inChannels + k];
        }
    }
}

struct SampleData {
    std::vector<float> frames; // interleaved, `channels` per frame
    int channels = 1;
    int64_t count = 0;
    int rate = 44100;
    std::vector<unsigned char> encoded; // a sound too long to hold decoded: its file, streamed when played
};

constexpr int kMaxChannelsLimit = 1024;
constexpr int kIndexBits = 10;
constexpr int kStreamBufferFrames = 4096;
constexpr int kMixBlock = 512;

} // namespace

struct FSOUND_SAMPLE {
    std::shared_ptr<const SampleData> data;
};

struct FSOUND_STREAM {
    std::vector<unsigned char> owned; // the file's bytes when opened by name
    MemoryFile file;
    SNDFILE* sf = nullptr;
    SF_INFO info{};
    int channels = 1;
    bool loop = false;
    std::vector<float> decoded; // file channels, scratch for one read
    std::vector<float> buf;     // `channels` per frame
    int bufFrames = 0;
    aMixPosition bufPos;
    bool ended = false;
    int channelIndex = -1;

    void rewind() {
        sf_seek(sf, 0, SEEK_SET);
        bufFrames = 0;
        bufPos = aMixPosition();
        ended = false;
    }

    // Keeps the frames still needed for interpolation and decodes after them.
    void refill() {
        int first = static_cast<int>(std::min<int64_t>(bufFrames, bufPos.frame));
        int keep = bufFrames - first;
        if (keep > 0 && first > 0) {
            std::memmove(buf.data(), buf.data() + first * channels, sizeof(float) * keep * channels);
        }
        bufPos.frame -= first;
        bufFrames = keep;
        bool emptyPass = false;
        while (bufFrames < kStreamBufferFrames && !ended) {
            sf_count_t want = kStreamBufferFrames - bufFrames;
            sf_count_t got = sf_readf_float(sf, decoded.data(), want);
            if (got > 0) {
                keepTwoChannels(decoded.data(), info.channels, buf.data() + bufFrames * channels, got);
                bufFrames += static_cast<int>(got);
                emptyPass = false;
            } else if (loop && !emptyPass && sf_seek(sf, 0, SEEK_SET) == 0) {
                emptyPass = true; // a file that yields nothing even from its start ends
            } else {
                ended = true;
            }
        }
    }
};

namespace {

struct StreamCloser {
    void operator()(FSOUND_STREAM* s) const {
        sf_close(s->sf);
        delete s;
    }
};

struct Channel {
    bool active = false;
    bool paused = false;
    uint32_t generation = 0;
    FSOUND_SAMPLE* sample = nullptr;
    std::shared_ptr<const SampleData> data;
    FSOUND_STREAM* stream = nullptr;
    std::unique_ptr<FSOUND_STREAM, StreamCloser> ownStream; // decodes a long sample for this channel alone
    aMixPosition pos;
    uint64_t step = uint64_t(1) << 32;
    bool loop = false;
    int volume = 255;
    int pan = 128;
};

class Mixer : public aAudioMixer {
public:
    Mixer(int rate, int channels) : m_rate(rate), m_channels(static_cast<size_t>(channels)) {}

    ~Mixer() override {
        for (FSOUND_STREAM* s : m_streams) {
            sf_close(s->sf);
            delete s;
        }
        for (FSOUND_SAMPLE* s : m_samples) {
            delete s;
        }
    }

    void mix(int16_t* out, int frames) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        float acc[kMixBlock * 2];
        while (frames > 0) {
            int n = std::min(frames, kMixBlock);
            std::fill(acc, acc + n * 2, 0.0f);
            if (!m_outputPaused) {
                for (Channel& ch : m_channels) {
                    if (ch.active && !ch.paused) {
                        mixChannel(ch, acc, n);
                    }
                }
            }
            for (int i = 0; i < n * 2; ++i) {
                float v = std::clamp(acc[i], -1.0f, 1.0f);
                out[i] = static_cast<int16_t>(std::lrint(v * 32767.0f));
            }
            out += n * 2;
            frames -= n;
        }
    }

    std::mutex m_mutex;
    int m_rate;
    std::vector<Channel> m_channels;
    std::set<FSOUND_SAMPLE*> m_samples;
    std::set<FSOUND_STREAM*> m_streams;
    bool m_outputPaused = false;
    int m_sfxMaster = 255;
    uint32_t m_nextGeneration = 1;
    std::unique_ptr<aAudioOutput> m_output;

    Channel* find(int handle) {
        if (handle < 0) {
            return nullptr;
        }
        size_t index = static_cast<size_t>(handle & ((1 << kIndexBits) - 1));
        uint32_t gen = static_cast<uint32_t>(handle) >> kIndexBits;
        if (index >= m_channels.size() || !m_channels[index].active || m_channels[index].generation != gen) {
            return nullptr;
        }
        return &m_channels[index];
    }

    // Takes a channel (FSOUND_FREE: the first idle one) and returns its index, or -1.
    int take(int wanted) {
        size_t index = m_channels.size();
        if (wanted == FSOUND_FREE) {
            for (size_t i = 0; i < m_channels.size(); ++i) {
                if (!m_channels[i].active) {
                    index = i;
                    break;
                }
            }
        } else if (wanted >= 0 && static_cast<size_t>(wanted) < m_channels.size()) {
            index = static_cast<size_t>(wanted);
            stop(m_channels[index]);
        }
        if (index == m_channels.size()) {
            return -1;
        }
        Channel& ch = m_channels[index];
        ch = Channel();
        ch.active = true;
        ch.generation = m_nextGeneration;
        m_nextGeneration = m_nextGeneration % 0x1FFFFF + 1;
        return static_cast<int>(index);
    }

    int handleOf(int index) const {
        return static_cast<int>((m_channels[static_cast<size_t>(index)].generation << kIndexBits) |
                                static_cast<uint32_t>(index));
    }

    void stop(Channel& ch) {
        if (ch.stream) {
            ch.stream->channelIndex = -1;
        }
        ch.active = false;
        ch.paused = false;
        ch.sample = nullptr;
        ch.stream = nullptr;
        ch.ownStream.reset();
        ch.data.reset();
    }

    void gains(const Channel& ch, float& left, float& right) const {
        float g = (ch.volume / 255.0f) * (m_sfxMaster / 255.0f);
        float l = ch.pan <= 128 ? 1.0f : (255 - ch.pan) / 127.0f;
        float r = ch.pan >= 128 ? 1.0f : ch.pan / 128.0f;
        left = g * l;
        right = g * r;
    }

    void mixChannel(Channel& ch, float* acc, int n) {
        float gl, gr;
        gains(ch, gl, gr);
        if (ch.stream) {
            mixStream(ch, *ch.stream, acc, n, gl, gr);
        } else {
            mixSample(ch, acc, n, gl, gr);
        }
    }

    void mixSample(Channel& ch, float* acc, int n, float gl, float gr) {
        const SampleData& d = *ch.data;
        const float* f = d.frames.data();
        if (d.count <= 0) {
            stop(ch);
            return;
        }
        if (ch.step == (uint64_t(1) << 32) && ch.pos.frac == 0) {
            int64_t idx = ch.pos.frame;
            int i = 0;
            while (i < n) {
                if (idx >= d.count) {
                    if (!ch.loop) {
                        stop(ch);
                        return;
                    }
                    idx = 0;
                }
                int run = static_cast<int>(std::min<int64_t>(n - i, d.count - idx));
                float* a = acc + i * 2;
                if (d.channels == 1) {
                    const float* s = f + idx;
                    for (int k = 0; k < run; ++k) {
                        a[2 * k] += s[k] * gl;
                        a[2 * k + 1] += s[k] * gr;
                    }
                } else {
                    const float* s = f + idx * 2;
                    for (int k = 0; k < run; ++k) {
                        a[2 * k] += s[2 * k] * gl;
                        a[2 * k + 1] += s[2 * k + 1] * gr;
                    }
                }
                idx += run;
                i += run;
            }
            ch.pos.frame = idx;
            return;
        }
        const int c = d.channels;
        int i = 0;
        while (i < n) {
            if (ch.pos.frame >= d.count) {
                if (!ch.loop) {
                    stop(ch);
                    return;
                }
                ch.pos.frame %= d.count;
            }
            // Every frame up to the last but one has its next frame at hand.
            const int run = a_mixRun(ch.pos, ch.step, d.count - 1, n - i);
            if (run > 0) {
                a_mixResampled(acc + 2 * i, f, c, ch.pos, ch.step, run, gl, gr);
                i += run;
                continue;
            }
            // The last frame leads to the first when looping.
            const int64_t i0 = ch.pos.frame, i1 = ch.loop ? 0 : i0;
            const float t = a_mixWeight(ch.pos.frac);
            float l = f[i0 * c] + (f[i1 * c] - f[i0 * c]) * t;
            float r = c == 1 ? l : f[i0 * c + 1] + (f[i1 * c + 1] - f[i0 * c + 1]) * t;
            acc[2 * i] += l * gl;
            acc[2 * i + 1] += r * gr;
            a_mixAdvance(ch.pos, ch.step, 1);
            ++i;
        }
    }

    void mixStream(Channel& ch, FSOUND_STREAM& s, float* acc, int n, float gl, float gr) {
        const int c = s.channels;
        int i = 0;
        while (i < n) {
            if (s.bufPos.frame + 1 >= s.bufFrames && !s.ended) {
                s.refill();
            }
            const int64_t i0 = s.bufPos.frame;
            if (i0 >= s.bufFrames) {
                stop(ch);
                return;
            }
            const float* b = s.buf.data();
            const int run = a_mixRun(s.bufPos, ch.step, s.bufFrames - 1, n - i);
            if (run > 0) {
                a_mixResampled(acc + 2 * i, b, c, s.bufPos, ch.step, run, gl, gr);
                i += run;
                continue;
            }
            // The last decoded frame of an ended stream: it has no next one.
            float l = b[i0 * c];
            float r = c == 1 ? l : b[i0 * c + 1];
            acc[2 * i] += l * gl;
            acc[2 * i + 1] += r * gr;
            a_mixAdvance(s.bufPos, ch.step, 1);
            ++i;
        }
    }
};

std::unique_ptr<Mixer> g_mixer;
int g_outputType = FSOUND_OUTPUT_DEVICE;
aAudioOutputFactory g_factory = nullptr;

std::unique_ptr<aAudioOutput> makeOutput(int type) {
    if (g_factory && type != FSOUND_OUTPUT_NOSOUND) {
        if (auto out = g_factory(type)) {
            return out;
        }
    }
    return std::make_unique<aNullAudioOutput>();
}

SNDFILE* openSource(const char* nameOrData, unsigned mode, int offset, int length,
                    std::vector<unsigned char>& owned, MemoryFile& file, SF_INFO& info) {
    if (!nameOrData) {
        return nullptr;
    }
    if (mode & FSOUND_LOADMEMORY) {
        if (length <= 0 || offset < 0 || offset >= length) {
            return nullptr;
        }
        file.data = reinterpret_cast<const unsigned char*>(nameOrData) + offset;
        file.size = length - offset;
    } else {
        if (!readWholeFile(nameOrData, owned) || offset < 0 || static_cast<size_t>(offset) >= owned.size()) {
            return nullptr;
        }
        file.data = owned.data() + offset;
        file.size = static_cast<sf_count_t>(owned.size()) - offset;
    }
    file.pos = 0;
    return openMemory(file, info);
}

// The buffers of a stream whose decoder is open.
void prepareStream(FSOUND_STREAM& s, bool loop) {
    s.channels = std::min(s.info.channels, 2);
    s.loop = loop;
    s.decoded.resize(static_cast<size_t>(kStreamBufferFrames * s.info.channels));
    s.buf.resize(static_cast<size_t>(kStreamBufferFrames * s.channels));
}

} // namespace

void a_setAudioOutputFactory(aAudioOutputFactory factory) {
    g_factory = factory;
}
aAudioOutputFactory a_getAudioOutputFactory() {
    return g_factory;
}

bool FSOUND_SetOutput(int outputType) {
    if (g_mixer) {
        return false; // only before init
    }
    g_outputType = outputType;
    return true;
}

bool FSOUND_SetHWND(void*) {
    return true;
}

bool FSOUND_Init(int mixRate, int maxChannels, unsigned) {
    if (g_mixer) {
        return true;
    }
    if (mixRate < 4000 || mixRate > 192000 || maxChannels < 1 || maxChannels > kMaxChannelsLimit) {
        a_log("FSOUND_Init - invalid mix rate %d or channel count %d", mixRate, maxChannels);
        return false;
    }
    g_mixer = std::make_unique<Mixer>(mixRate, maxChannels);
    auto out = makeOutput(g_outputType);
    if (!out->open(*g_mixer, mixRate)) {
        a_log("FSOUND_Init - no sound device, sound plays silently");
        out = std::make_unique<aNullAudioOutput>();
        out->open(*g_mixer, mixRate);
    }
    g_mixer->m_output = std::move(out);
    return true;
}

void FSOUND_Close() {
    if (!g_mixer) {
        return;
    }
    g_mixer->m_output->close();
    g_mixer->m_output.reset();
    g_mixer.reset();
}

void FSOUND_SetSFXMasterVolume(int volume) {
    if (!g_mixer) {
        return;
    }
    std::lock_guard<std::mutex> lock(g_mixer->m_mutex);
    g_mixer->m_sfxMaster = std::clamp(volume, 0, 255);
}

FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* nameOrData, unsigned mode, int offset, int length) {
    if (!g_mixer) {
        return nullptr;
    }
    return FSOUND_Sample_Adopt(FSOUND_Sample_Decode(index, nameOrData, mode, offset, length));
}

FSOUND_SAMPLE* FSOUND_Sample_Decode(int, const char* nameOrData, unsigned mode, int offset, int length) {
    std::vector<unsigned char> owned;
    MemoryFile file;
    SF_INFO info;
    SNDFILE* sf = openSource(nameOrData, mode, offset, length, owned, file, info);
    if (!sf) {
        return nullptr;
    }
    auto data = std::make_shared<SampleData>();
    data->channels = std::min(info.channels, 2);
    data->rate = info.samplerate;
    std::vector<float> block(static_cast<size_t>(4096 * info.channels));
    std::vector<float> kept(static_cast<size_t>(4096 * data->channels));
    bool tooLong = info.frames > FSOUND_MAX_SAMPLE_FRAMES; // as the header claims it
    // The frames the header claims, held in one block of their size (growing
    // it block by block would leave up to as much again unused).
    if (!tooLong && info.frames > 0) {
        a_reserveResident(data->frames,
                          static_cast<size_t>(info.frames) * static_cast<size_t>(data->channels));
    }
    while (!tooLong) {
        sf_count_t got = sf_readf_float(sf, block.data(), 4096);
        if (got <= 0) {
            break;
        }
        if (static_cast<int64_t>(data->frames.size()) / data->channels + got > FSOUND_MAX_SAMPLE_FRAMES) {
            tooLong = true;
            break;
        }
        keepTwoChannels(block.data(), info.channels, kept.data(), got);
        data->frames.insert(data->frames.end(), kept.begin(), kept.begin() + got * data->channels);
    }
    sf_close(sf);
    data->count = static_cast<int64_t>(data->frames.size()) / data->channels;
    if (tooLong) {
        // Played as a stream of the file's bytes, which the sample keeps.
        data->frames = std::vector<float>();
        data->encoded.assign(file.data, file.data + file.size);
    } else if (data->count == 0) {
        return nullptr;
    } else if (data->frames.capacity() > data->frames.size() + data->frames.size() / 8) {
        data->frames.shrink_to_fit(); // the header claimed more than the file held
    }
    auto* sample = new FSOUND_SAMPLE;
    sample->data = std::move(data);
    return sample;
}

FSOUND_SAMPLE* FSOUND_Sample_Adopt(FSOUND_SAMPLE* decoded) {
    if (!decoded) {
        return nullptr;
    }
    if (!g_mixer) {
        delete decoded;
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(g_mixer->m_mutex);
    g_mixer->m_samples.insert(decoded);
    return decoded;
}

void FSOUND_Sample_Discard(FSOUND_SAMPLE* decoded) {
    delete decoded;
}

size_t FSOUND_Sample_GetMemory(const FSOUND_SAMPLE* sample) {
    if (!sample || !sample->data) {
        return 0;
    }
    return sample->data->frames.capacity() * sizeof(float) + sample->data->encoded.capacity();
}

void FSOUND_Sample_Free(FSOUND_SAMPLE* sample) {
    if (!g_mixer || !sample) {
        return;
    }
    std::lock_guard<std::mutex> lock(g_mixer->m_mutex);
    if (!g_mixer->m_samples.erase(sample)) {
        return;
    }
    for (Channel& ch : g_mixer->m_channels) {
        if (ch.active && ch.sample == sample) {
            g_mixer->stop(ch);
        }
    }
    delete sample;
}

int FSOUND_PlaySoundEx(int channel, FSOUND_SAMPLE* sample, FSOUND_DSPUNIT*, bool startPaused) {
    if (!g_mixer || !sample) {
        return -1;
    }
    std::lock_guard<std::mutex> lock(g_mixer->m_mutex);
    if (!g_mixer->m_samples.count(sample)) {
        return -1;
    }
    int index = g_mixer->take(channel);
    if (index < 0) {
        return -1;
    }
    Channel& ch = g_mixer->m_channels[static_cast<size_t>(index)];
    ch.sample = sample;
    ch.data = sample->data;
    ch.step = a_mixStep(sample->data->rate, g_mixer->m_rate);
    ch.paused = startPaused;
    if (!sample->data->encoded.empty()) {
        std::unique_ptr<FSOUND_STREAM, StreamCloser> s(new FSOUND_STREAM);
        const std::vector<unsigned char>& bytes = sample->data->encoded; // kept alive by ch.data
        s->file = MemoryFile{bytes.data(), static_cast<sf_count_t>(bytes.size()), 0};
        s->sf = openMemory(s->file, s->info);
        if (!s->sf) {
            delete s.release();
            g_mixer->stop(ch);
            return -1;
        }
        prepareStream(*s, false);
        s->channelIndex = index;
        ch.stream = s.get();
        ch.ownStream = std::move(s);
    }
    return g_mixer->handleOf(index);
}

namespace {

template <typename F> bool withChannel(int handle, F f) {
    if (!g_mixer) {
        return false;
    }
    std::lock_guard<std::mutex> lock(g_mixer->m_mutex);
    Channel* ch = g_mixer->find(handle);
    if (!ch) {
        return false;
    }
    f(*ch);
    return true;
}

} // namespace

bool FSOUND_SetVolume(int channel, int volume) {
    return withChannel(channel, [&](Channel& ch) { ch.volume = std::clamp(volume, 0, 255); });
}

bool FSOUND_SetPan(int channel, int pan) {
    if (pan == FSOUND_STEREOPAN) {
        pan = 128;
    }
    return withChannel(channel, [&](Channel& ch) { ch.pan = std::clamp(pan, 0, 255); });
}

bool FSOUND_SetPaused(int channel, bool paused) {
    if (channel == FSOUND_ALL) {
        if (!g_mixer) {
            return false;
        }
        // The whole output stops; each channel keeps its own pause state.
        std::lock_guard<std::mutex> lock(g_mixer->m_mutex);
        g_mixer->m_outputPaused = paused;
        return true;
    }
    return withChannel(channel, [&](Channel& ch) { ch.paused = paused; });
}

bool FSOUND_GetPaused(int channel) {
    if (channel == FSOUND_ALL) {
        if (!g_mixer) {
            return false;
        }
        std::lock_guard<std::mutex> lock(g_mixer->m_mutex);
        return g_mixer->m_outputPaused;
    }
    bool paused = false;
    withChannel(channel, [&](Channel& ch) { paused = ch.paused; });
    return paused;
}

bool FSOUND_SetLoopMode(int channel, unsigned loopMode) {
    if (loopMode != FSOUND_LOOP_OFF && loopMode != FSOUND_LOOP_NORMAL) {
        return false;
    }
    return withChannel(channel, [&](Channel& ch) {
        ch.loop = loopMode == FSOUND_LOOP_NORMAL;
        if (ch.stream) {
            ch.stream->loop = ch.loop;
        }
    });
}

bool FSOUND_StopSound(int channel) {
    if (channel == FSOUND_ALL) {
        if (!g_mixer) {
            return false;
        }
        std::lock_guard<std::mutex> lock(g_mixer->m_mutex);
        for (Channel& ch : g_mixer->m_channels) {
            if (ch.active) {
                g_mixer->stop(ch);
            }
        }
        return true;
    }
    if (!g_mixer) {
        return false;
    }
    std::lock_guard<std::mutex> lock(g_mixer->m_mutex);
    Channel* ch = g_mixer->find(channel);
    if (!ch) {
        return false;
    }
    g_mixer->stop(*ch);
    return true;
}

bool FSOUND_IsPlaying(int channel) {
    return withChannel(channel, [](Channel&) {});
}

int FSOUND_GetVolume(int channel) {
    int v = 0;
    withChannel(channel, [&](Channel& ch) { v = ch.volume; });
    return v;
}

int FSOUND_GetPan(int channel) {
    int p = 0;
    withChannel(channel, [&](Channel& ch) { p = ch.pan; });
    return p;
}

int FSOUND_GetChannelsPlaying() {
    if (!g_mixer) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(g_mixer->m_mutex);
    return static_cast<int>(std::count_if(g_mixer->m_channels.begin(), g_mixer->m_channels.end(),
                                          [](const Channel& ch) { return ch.active; }));
}

int FSOUND_GetMaxChannels() {
    return g_mixer ? static_cast<int>(g_mixer->m_channels.size()) : 0;
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* nameOrData, unsigned mode, int offset, int length) {
    if (!g_mixer) {
        return nullptr;
    }
    auto s = std::make_unique<FSOUND_STREAM>();
    s->sf = openSource(nameOrData, mode, offset, length, s->owned, s->file, s->info);
    if (!s->sf) {
        return nullptr;
    }
    prepareStream(*s, (mode & FSOUND_LOOP_NORMAL) != 0);
    FSOUND_STREAM* raw = s.release();
    std::lock_guard<std::mutex> lock(g_mixer->m_mutex);
    g_mixer->m_streams.insert(raw);
    return raw;
}

int FSOUND_Stream_PlayEx(int channel, FSOUND_STREAM* stream, FSOUND_DSPUNIT*, bool startPaused) {
    if (!g_mixer || !stream) {
        return -1;
    }
    std::lock_guard<std::mutex> lock(g_mixer->m_mutex);
    if (!g_mixer->m_streams.count(stream)) {
        return -1;
    }
    if (stream->channelIndex >= 0) {
        g_mixer->stop(g_mixer->m_channels[static_cast<size_t>(stream->channelIndex)]);
    }
    int index = g_mixer->take(channel);
    if (index < 0) {
        return -1;
    }
    stream->rewind();
    Channel& ch = g_mixer->m_channels[static_cast<size_t>(index)];
    ch.stream = stream;
    ch.step = a_mixStep(stream->info.samplerate, g_mixer->m_rate);
    ch.paused = startPaused;
    stream->channelIndex = index;
    return g_mixer->handleOf(index);
}

bool FSOUND_Stream_Stop(FSOUND_STREAM* stream) {
    if (!g_mixer || !stream) {
        return false;
    }
    std::lock_guard<std::mutex> lock(g_mixer->m_mutex);
    if (!g_mixer->m_streams.count(stream)) {
        return false;
    }
    if (stream->channelIndex >= 0) {
        g_mixer->stop(g_mixer->m_channels[static_cast<size_t>(stream->channelIndex)]);
    }
    stream->rewind();
    return true;
}

bool FSOUND_Stream_Close(FSOUND_STREAM* stream) {
    if (!g_mixer || !stream) {
        return false;
    }
    std::lock_guard<std::mutex> lock(g_mixer->m_mutex);
    if (!g_mixer->m_streams.erase(stream)) {
        return false;
    }
    if (stream->channelIndex >= 0) {
        g_mixer->stop(g_mixer->m_channels[static_cast<size_t>(stream->channelIndex)]);
    }
    sf_close(stream->sf);
    delete stream;
    return true;
}
