// Opens and plays arbitrary files as videos. The first byte picks the input:
// even, the rest is the file itself; odd, the rest spoils a generated video
// packet by packet (pairs of position and xor byte, then a cut length) before
// it is framed again with valid page checksums, so the decoder itself sees
// damaged headers and frames.

#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/video/a_theoravideo.h"
#include "videogen.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Setup {
    std::unique_ptr<aGraphServer> server;
    std::vector<videogen::Packet> packets;
    std::string path;
    Setup() {
        setenv("MIREL_HEADLESS", "1", 1);
        server = std::make_unique<aGraphServer>(16, 16, false, true, "fuzz", 0, false);
        aImage::setGraphServer(server.get());
        videogen::Options o;
        o.width = 40;
        o.height = 24;
        o.frames = 3;
        o.quality = 20;
        videogen::encodePackets(o, videogen::drawBars, packets);
        const char* tmp = std::getenv("TMPDIR");
        path = std::string(tmp ? tmp : "/tmp") + "/mirel_video_fuzz_" + std::to_string(getpid()) + ".ogg";
    }
};

std::vector<uint8_t> spoilt(const std::vector<videogen::Packet>& original, const uint8_t* data, size_t size) {
    std::vector<videogen::Packet> packets = original;
    size_t total = 0;
    for (const videogen::Packet& p : packets)
        total += p.data.size();
    size_t i = 0;
    for (; i + 3 <= size && total > 0; i += 3) {
        size_t at = (size_t(data[i]) << 8 | data[i + 1]) * 7919 % total;
        for (videogen::Packet& p : packets) {
            if (at < p.data.size()) {
                p.data[at] ^= data[i + 2];
                break;
            }
            at -= p.data.size();
        }
    }
    std::vector<uint8_t> bytes = videogen::frameOgg(packets, 5);
    if (i < size && data[i] != 0)
        bytes.resize(bytes.size() * data[i] / 256);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Setup setup;
    if (size == 0)
        return 0;
    std::vector<uint8_t> bytes = (data[0] & 1) ? spoilt(setup.packets, data + 1, size - 1)
                                               : std::vector<uint8_t>(data + 1, data + size);
    std::FILE* f = std::fopen(setup.path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);

    aTheoraVideo video;
    if (video.open(setup.path, (data[0] & 2) != 0)) {
        for (int i = 0; i < 8; ++i) {
            video.update(1.0f);
            video.draw(0.0f, 0.0f);
        }
    }
    std::remove(setup.path.c_str());
    return 0;
}
