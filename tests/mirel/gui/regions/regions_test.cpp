#include "mirel/gui/gui_region.h"

#include "content/content_writers.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* kInvalid = "Region::LoadFromBitmap - invalid bitmap file 'test.bmp'";

// A mask with a pattern that differs in every row and column position.
std::vector<uint8_t> pattern(uint32_t w, uint32_t h) {
    std::vector<uint8_t> m(size_t(w) * h);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            m[size_t(y) * w + x] = ((x * 7 + y * 3) % 5 < 2) ? 1 : 0;
        }
    }
    return m;
}

void put32(content::Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = uint8_t(v >> (8 * i));
    }
}

std::vector<uint8_t> normalised(const std::vector<uint8_t>& mask) {
    std::vector<uint8_t> out(mask.size());
    for (size_t i = 0; i < mask.size(); ++i) {
        out[i] = mask[i] ? 1 : 0;
    }
    return out;
}

TEST(Region, ReadsRowsBottomUpWithPaddedStride) {
    struct Case {
        uint32_t w, h;
    };
    for (const Case& c : {Case{1, 1}, Case{8, 3}, Case{31, 2}, Case{32, 4}, Case{33, 5}}) {
        const std::vector<uint8_t> mask = pattern(c.w, c.h);
        content::Bytes file = content::writeBmp1(c.w, c.h, mask);
        if (c.w == 33) {
            EXPECT_EQ(file.size(), 62u + 8u * c.h); // 33 pixels take 8 bytes per row
        }
        GUI::Region r;
        ASSERT_TRUE(r.LoadFromMemory(file.data(), file.size(), "test.bmp")) << c.w;
        EXPECT_EQ(r.GetWidth(), int32_t(c.w));
        EXPECT_EQ(r.GetHeight(), int32_t(c.h));
        EXPECT_EQ(normalised(r.GetMask()), mask) << c.w;
        EXPECT_EQ(r.HitTest(int32_t(c.w) - 1, 0), mask[c.w - 1] != 0);
    }
}

TEST(Region, PaletteDecidesWhichBitsBelong) {
    // Entry 0 white and entry 1 black: the pixels with bit 0 form the region.
    const std::vector<uint8_t> bitsSet = {1, 0, 0, 1, 1, 0};
    content::Bytes file = content::writeBmpIndexed(3, 2, 1, {0xFFFFFFFFu, 0xFF000000u}, bitsSet);
    GUI::Region r;
    ASSERT_TRUE(r.LoadFromMemory(file.data(), file.size(), "test.bmp"));
    EXPECT_EQ(normalised(r.GetMask()), (std::vector<uint8_t>{0, 1, 1, 0, 0, 1}));
}

TEST(Region, TopDownBitmapIsReadInOrder) {
    const std::vector<uint8_t> mask = pattern(9, 4);
    content::Bytes file = content::writeBmp1(9, 4, mask);
    // Flip to top-down: negative height and rows reversed.
    put32(file, 22, uint32_t(-4));
    const size_t stride = 4;
    content::Bytes rows(file.begin() + 62, file.end());
    for (size_t y = 0; y < 4; ++y) {
        std::copy(rows.begin() + (3 - y) * stride, rows.begin() + (4 - y) * stride,
                  file.begin() + 62 + y * stride);
    }
    GUI::Region r;
    ASSERT_TRUE(r.LoadFromMemory(file.data(), file.size(), "test.bmp"));
    EXPECT_EQ(r.GetHeight(), 4);
    EXPECT_EQ(normalised(r.GetMask()), mask);
}

TEST(Region, UntrustedFilesAreRejectedAndKeepTheOldMask) {
    const std::vector<uint8_t> good = pattern(33, 5);
    const content::Bytes base = content::writeBmp1(33, 5, good);
    struct Case {
        const char* what;
        content::Bytes file;
    };
    auto with32 = [&](size_t at, uint32_t v) {
        content::Bytes b = base;
        put32(b, at, v);
        return b;
    };
    std::vector<Case> cases = {
        {"24-bit", content::writeBmp24(content::Picture(4, 4, 0xFFFFFFFF))},
        {"empty", {}},
        {"nine bytes", content::Bytes(base.begin(), base.begin() + 9)},
        {"header only", content::Bytes(base.begin(), base.begin() + 54)},
        {"last row cut", content::Bytes(base.begin(), base.end() - 1)},
        {"not BM",
         [&] {
             auto b = base;
             b[1] = 'X';
             return b;
         }()},
        {"compressed", with32(30, 1)},
        {"core header", with32(14, 12)},
        {"huge info header", with32(14, 0xFFFFFFF0u)},
        {"zero width", with32(18, 0)},
        {"negative width", with32(18, uint32_t(-33))},
        {"zero height", with32(22, 0)},
        {"huge height", with32(22, 0x7FFFFFFFu)},
        {"most negative height", with32(22, 0x80000000u)},
        {"huge width", with32(18, 0x7FFFFFFFu)},
        {"pixels past the end", with32(10, uint32_t(base.size()))},
        {"pixels far past the end", with32(10, 0xFFFFFFFFu)},
        {"pixels over the palette", with32(10, 40)},
    };
    for (const Case& c : cases) {
        LogCapture log;
        GUI::Region r;
        ASSERT_TRUE(r.LoadFromMemory(base.data(), base.size(), "good.bmp"));
        EXPECT_FALSE(r.LoadFromMemory(c.file.data(), c.file.size(), "test.bmp")) << c.what;
        EXPECT_EQ(log.count(kInvalid), 1u) << c.what;
        EXPECT_EQ(log.lines.size(), 1u) << c.what;
        EXPECT_EQ(r.GetWidth(), 33) << c.what;
        EXPECT_EQ(normalised(r.GetMask()), good) << c.what;
    }
}

TEST(Region, LoadsFromFilesAndAMissingFileHitsNothing) {
    const char* root = std::getenv("MIREL_TEST_TMP");
    std::filesystem::path dir = std::filesystem::path(root ? root : "/tmp/mirel-test") / "regions";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "mask.bmp").string();
    const std::vector<uint8_t> mask = {1, 0, 0, 1};
    ASSERT_TRUE(content::saveFile(path, content::writeBmp1(2, 2, mask)));

    GUI::Region r;
    ASSERT_TRUE(r.LoadFromBitmap(path));
    struct Probe {
        int32_t x, y;
        bool hit;
    };
    for (const Probe& p : {Probe{0, 0, true}, Probe{1, 0, false}, Probe{1, 1, true}, Probe{-1, 0, false},
                           Probe{0, -1, false}, Probe{2, 0, false}, Probe{0, 2, false}}) {
        EXPECT_EQ(r.HitTest(p.x, p.y), p.hit) << p.x << "," << p.y;
    }

    LogCapture log;
    GUI::Region missing;
    EXPECT_FALSE(missing.LoadFromBitmap((dir / "absent.bmp").string()));
    EXPECT_TRUE(
        log.has("Region::LoadFromBitmap - invalid bitmap file '" + (dir / "absent.bmp").string() + "'"));
    EXPECT_FALSE(missing.HitTest(0, 0));
    EXPECT_EQ(missing.GetWidth(), 0);
}

} // namespace
