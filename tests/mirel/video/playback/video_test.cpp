// Theora playback on the headless device: frame timing, looping, colours of
// generated videos and files that are not (whole) videos.

#include "mirel/base/a_clock.h"
#include "mirel/base/a_timer.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/video/a_theoravideo.h"
#include "support/log_capture.h"
#include "videogen.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t GREY_BASE = 20;
constexpr uint32_t GREY_STEP = 25;

// Frame i is grey 20 + 25 i all over, so the frame on screen tells its index.
void drawGreyFrame(int index, videogen::Picture& pic) {
    uint32_t g = GREY_BASE + GREY_STEP * uint32_t(index);
    std::fill(pic.argb.begin(), pic.argb.end(), 0xFF000000u | g << 16 | g << 8 | g);
}

int channelDistance(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift : {0, 8, 16}) {
        int d = std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
        worst = std::max(worst, d);
    }
    return worst;
}

class VideoTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("MIREL_HEADLESS", "1", 1);
        m_server = std::make_unique<aGraphServer>(96, 96, false, true, "video", 0, false);
        aImage::setGraphServer(m_server.get());
        const char* root = std::getenv("MIREL_TEST_TMP");
        std::filesystem::path p = std::filesystem::path(root ? root : "/tmp/mirel-video-tests") /
                                  testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(p);
        std::filesystem::create_directories(p);
        m_dir = p.string() + "/";
    }
    void TearDown() override {
        aImage::setGraphServer(nullptr);
        m_server.reset();
    }

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::string path = m_dir + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }
    std::vector<uint8_t> greyVideo(int frames, uint32_t w = 32, uint32_t h = 32) {
        videogen::Options o;
        o.width = w;
        o.height = h;
        o.frames = frames;
        std::vector<uint8_t> bytes = videogen::encode(o, drawGreyFrame);
        EXPECT_FALSE(bytes.empty());
        return bytes;
    }

    // The colour the video leaves at (x, y) when drawn at the origin over black.
    uint32_t shown(const aTheoraVideo& video, uint32_t x = 8, uint32_t y = 8) {
        m_server->getDevice()->clear(A_CLEAR_TARGET, 0xFF000000);
        video.draw(0.0f, 0.0f);
        return m_server->getDevice()->backPixel(x, y) | 0xFF000000u;
    }
    // The index of the grey frame on screen, -1 for black (nothing drawn).
    int frameShown(const aTheoraVideo& video) {
        uint32_t c = shown(video);
        if ((c & 0xFFFFFF) == 0)
            return -1;
        int g = int(c & 0xFF);
        int index = (g - int(GREY_BASE) + int(GREY_STEP) / 2) / int(GREY_STEP);
        EXPECT_LE(channelDistance(c, 0xFF000000u | (GREY_BASE + GREY_STEP * index) * 0x010101u), 4)
            << std::hex << c;
        return index;
    }

    std::unique_ptr<aGraphServer> m_server;
    std::string m_dir;
};

TEST_F(VideoTest, FrameTimingOnTheManualClock) {
    aManualClock clock;
    a_setClock(&clock);
    aTimer timer;
    timer.reset();
    aTheoraVideo video;
    ASSERT_TRUE(video.open(write("grey.ogg", greyVideo(6)), false));
    EXPECT_EQ(video.getHeight(), 32u);
    EXPECT_EQ(frameShown(video), -1); // the empty texture, before any update

    // 25 fps: the first update shows frame 0 at once; then one frame per 0.04 s.
    struct Step {
        double advance;
        int frame;
    };
    const Step steps[] = {{0.0, 0},   {0.02, 0}, {0.02, 1}, {0.1, 2}, // one frame only, 0.02 s kept...
                          {0.02, 3},                                  // ...so 0.02 s more completes the next
                          {0.039, 3}, {0.001, 4}};
    for (const Step& s : steps) {
        clock.advance(s.advance);
        video.update(timer.getDelta());
        EXPECT_EQ(frameShown(video), s.frame) << "after " << s.advance;
    }
    a_setClock(nullptr);
}

TEST_F(VideoTest, EndOfFileStopsOrRewinds) {
    std::string path = write("three.ogg", greyVideo(3));
    struct Case {
        bool loop;
        std::vector<int> frames;
    };
    for (const Case& c : {Case{false, {0, 1, 2, 2, 2, 2}}, Case{true, {0, 1, 2, 0, 1, 2, 0}}}) {
        SCOPED_TRACE(c.loop);
        aTheoraVideo video;
        ASSERT_TRUE(video.open(path, c.loop));
        for (int expected : c.frames) {
            video.update(0.04f);
            EXPECT_EQ(frameShown(video), expected);
        }
    }
}

TEST_F(VideoTest, DecodedColoursMatchTheGenerator) {
    const uint32_t quad[4] = {0xFFC03020, 0xFF2080C0, 0xFF40C040, 0xFFE0D0B0};
    struct Case {
        uint32_t w, h;
        uint32_t encodedH; // the texture: whole 16-pixel blocks
    };
    for (const Case& c : {Case{64, 48, 48}, Case{40, 24, 32}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        videogen::Options o;
        o.width = c.w;
        o.height = c.h;
        o.frames = 2;
        auto draw = [&](int, videogen::Picture& pic) {
            const uint32_t hw = c.w / 2, hh = c.h / 2;
            pic.fillRect(0, 0, hw, hh, quad[0]);
            pic.fillRect(hw, 0, c.w - hw, hh, quad[1]);
            pic.fillRect(0, hh, hw, c.h - hh, quad[2]);
            pic.fillRect(hw, hh, c.w - hw, c.h - hh, quad[3]);
        };
        aTheoraVideo video;
        ASSERT_TRUE(video.open(write("quad.ogg", videogen::encode(o, draw)), false));
        EXPECT_EQ(video.getHeight(), c.h);
        video.update(0.0f);
        const uint32_t px[4][2] = {
            {c.w / 4, c.h / 4}, {3 * c.w / 4, c.h / 4}, {c.w / 4, 3 * c.h / 4}, {3 * c.w / 4, 3 * c.h / 4}};
        for (int i = 0; i < 4; ++i)
            EXPECT_LE(channelDistance(shown(video, px[i][0], px[i][1]), quad[i]), 12)
                << i << " " << std::hex << shown(video, px[i][0], px[i][1]);
        // Only the texture's own rows are drawn.
        EXPECT_EQ(shown(video, 1, c.encodedH) & 0xFFFFFF, 0u);
    }
}

TEST_F(VideoTest, FilesThatAreNotWholeVideosFailToOpen) {
    std::vector<uint8_t> good = greyVideo(3);
    videogen::Options o;
    o.frames = 1;
    std::vector<videogen::Packet> packets;
    ASSERT_TRUE(videogen::encodePackets(o, drawGreyFrame, packets));
    // An Ogg file whose only stream is not Theora: the header bytes are spoilt.
    std::vector<videogen::Packet> other = packets;
    for (size_t i = 0; i < 3; ++i)
        other[i].data[1] ^= 0x20;
    // A Theora stream that lacks its third header.
    std::vector<videogen::Packet> twoHeaders = {packets[0], packets[1], packets[3]};
    twoHeaders[1].flushAfter = true;
    const std::string text = "[video]\nfile = waves.ogg\n";

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"text", std::vector<uint8_t>(text.begin(), text.end())},
        {"other-stream", videogen::frameOgg(other, 7)},
        {"two-headers", videogen::frameOgg(twoHeaders, 7)},
        {"cut-in-first-page", std::vector<uint8_t>(good.begin(), good.begin() + 40)},
        {"cut-in-headers", std::vector<uint8_t>(good.begin(), good.begin() + 200)},
    };
    aTheoraVideo video;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(video.open(write("good.ogg", good), true));
        video.update(0.0f);
        ASSERT_EQ(frameShown(video), 0);
        LogCapture log;
        EXPECT_FALSE(video.open(write(std::string(c.name) + ".ogg", c.bytes), true));
        EXPECT_EQ(log.lines.size(), 1u);
        EXPECT_TRUE(log.contains("aTheoraVideo::open - not a playable Ogg Theora video")) << log.lines[0];
        EXPECT_EQ(video.getHeight(), 0u);
        video.update(1.0f);
        EXPECT_EQ(frameShown(video), -1);
    }
    LogCapture log;
    EXPECT_FALSE(video.open(m_dir + "missing.ogg", false));
    EXPECT_TRUE(log.has("File open error!"));
    EXPECT_EQ(frameShown(video), -1);
}

TEST_F(VideoTest, FramesLargerThanTheLimitAreNotPlayed) {
    videogen::Options o;
    o.frames = 1;
    std::vector<videogen::Packet> packets;
    ASSERT_TRUE(videogen::encodePackets(o, drawGreyFrame, packets));
    // The first header's frame size in macroblocks (16 bits each) and picture
    // size (24 bits each), after "\x80theora" and three version bytes.
    auto claiming = [&](uint32_t w, uint32_t h) {
        std::vector<videogen::Packet> p = packets;
        std::vector<uint8_t>& id = p[0].data;
        const uint32_t fields[4][2] = {{w / 16, 2}, {h / 16, 2}, {w, 3}, {h, 3}};
        size_t at = 10;
        for (const auto& [value, bytes] : fields)
            for (uint32_t b = 0; b < bytes; ++b)
                id[at++] = uint8_t(value >> (8 * (bytes - 1 - b)));
        id[20] = id[21] = 0; // no picture offset
        return videogen::frameOgg(p, 7);
    };
    aTheoraVideo video;
    LogCapture log;
    EXPECT_FALSE(video.open(write("large.ogg", claiming(2064, 2048)), true));
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"aTheoraVideo::open - frames of 2064x2048 pixels are too large, "
                                        "not played '" +
                                        m_dir + "large.ogg'"}));
    EXPECT_EQ(video.getHeight(), 0u);
    video.update(1.0f);
    EXPECT_EQ(frameShown(video), -1);
    // At the limit the video opens.
    static_assert(aTheoraVideo::kMaxFramePixels == 2048u * 2048u);
    log.clear();
    EXPECT_TRUE(video.open(write("limit.ogg", claiming(2048, 2048)), false));
    EXPECT_EQ(video.getHeight(), 2048u);
    EXPECT_TRUE(log.lines.empty());
    video.close();
}

TEST_F(VideoTest, OnlyPlainFilesAreOpened) {
    // A device never ends, a pipe blocks, a folder cannot be read: each is
    // refused at once, also behind a link.
    const std::string pipe = m_dir + "pipe.ogg", zeroLink = m_dir + "zero.ogg", folder = m_dir + "folder.ogg";
    std::filesystem::remove(pipe);
    std::filesystem::remove(zeroLink);
    std::filesystem::create_directories(folder);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", zeroLink);
    aTheoraVideo video;
    for (const std::string& path :
         {std::string("/dev/zero"), std::string("/dev/urandom"), zeroLink, pipe, folder}) {
        LogCapture log;
        EXPECT_FALSE(video.open(path, true)) << path;
        EXPECT_TRUE(log.has("File open error!")) << path;
    }
    EXPECT_TRUE(video.open(write("good.ogg", greyVideo(2)), false));
}

TEST_F(VideoTest, CutOrEmptyStreamsEndWithoutHanging) {
    // Cut inside its sixth frame (one page per frame), a looping video plays
    // the five whole frames and rewinds.
    videogen::Options eight;
    eight.width = eight.height = 32;
    eight.frames = 8;
    std::vector<videogen::Packet> packets;
    ASSERT_TRUE(videogen::encodePackets(eight, drawGreyFrame, packets));
    for (videogen::Packet& p : packets)
        p.flushAfter = true;
    std::vector<uint8_t> full = videogen::frameOgg(packets, 3);
    std::vector<size_t> pages; // hdr0, hdr1, hdr2, frame 0, ...
    for (size_t i = 0; i + 4 <= full.size(); ++i)
        if (full[i] == 'O' && full[i + 1] == 'g' && full[i + 2] == 'g' && full[i + 3] == 'S')
            pages.push_back(i);
    ASSERT_EQ(pages.size(), 11u);
    std::vector<uint8_t> cut(full.begin(), full.begin() + pages[8] + 20);
    aTheoraVideo video;
    ASSERT_TRUE(video.open(write("cut.ogg", cut), true));
    std::vector<int> seen;
    for (int i = 0; i < 12; ++i) {
        video.update(0.04f);
        seen.push_back(frameShown(video));
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1}));

    // Headers without a frame: a looping video gives up once, with one line.
    videogen::Options o;
    o.frames = 0;
    LogCapture log;
    ASSERT_TRUE(video.open(write("headers.ogg", videogen::encode(o, drawGreyFrame)), true));
    for (int i = 0; i < 3; ++i)
        video.update(0.04f);
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_TRUE(log.contains("aTheoraVideo::update - no frame to play in"));
}

} // namespace
