// Decoding pictures the content writers made, the texture pixel formats, and
// damaged or hostile files.

#include "content/content_writers.h"
#include "fixtures/cmyk_jpeg.h"
#include "fixtures/rle_bmp.h"
#include "mirel/gfx/a_imagedecode.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

using content::Bytes;
using content::Picture;

// A picture with smooth colour, a hard edge and an alpha ramp.
Picture testPicture(uint32_t w, uint32_t h) {
    Picture p(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t a = (x * 255) / (w - 1);
            uint32_t r = x < w / 2 ? 200 : 40;
            uint32_t g = (y * 255) / (h - 1);
            uint32_t b = 90;
            p.at(x, y) = (a << 24) | (r << 16) | (g << 8) | b;
        }
    return p;
}

// Mean absolute error of the colour channels, for lossy formats.
double meanColourError(const Picture& p, const aDecodedImage& d) {
    double sum = 0;
    for (size_t i = 0; i < p.argb.size(); ++i)
        for (int s = 0; s < 24; s += 8)
            sum += std::abs(int((p.argb[i] >> s) & 0xFF) - int((d.pixels[i] >> s) & 0xFF));
    return sum / (p.argb.size() * 3.0);
}

void putBE32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

uint32_t crc32Of(const uint8_t* data, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= data[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

} // namespace

TEST(PixelFormats, ReadAndWriteTable) {
    struct Case {
        int format;
        uint32_t argb;     // written
        uint32_t stored;   // expected storage
        uint32_t readBack; // expected ARGB on read
    };
    const Case cases[] = {
        {A_FMT_A8R8G8B8, 0x80FF4020, 0x80FF4020, 0x80FF4020},
        {A_FMT_X8R8G8B8, 0x00FF4020, 0xFFFF4020, 0xFFFF4020},
        {A_FMT_R5G6B5, 0x00FFFFFF, 0xFFFF, 0xFFF8FCF8},
        {A_FMT_R5G6B5, 0x12848C90, (0x84 >> 3) << 11 | (0x8C >> 2) << 5 | (0x90 >> 3), 0xFF808C90},
        {A_FMT_A1R5G5B5, 0x80FFFFFF, 0xFFFF, 0xFFF8F8F8},
        {A_FMT_A1R5G5B5, 0x7FFFFFFF, 0x7FFF, 0x00F8F8F8},
        {A_FMT_A1R5G5B5, 0xFF081018, 0x8000 | 1 << 10 | 2 << 5 | 3, 0xFF081018},
        {A_FMT_A4R4G4B4, 0xF0E0D0C0, 0xFEDC, 0xF0E0D0C0},
        {A_FMT_A4R4G4B4, 0x1F2F3F4F, 0x1234, 0x10203040},
        {A_FMT_UNKNOWN, 0xFFFFFFFF, 0, 0},
        {24, 0xFFFFFFFF, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << " argb " << std::hex << c.argb);
        EXPECT_EQ(a_pixelFromArgb(c.format, c.argb), c.stored);
        EXPECT_EQ(a_pixelToArgb(c.format, c.stored), c.readBack);
    }
    // 16-bit alpha is 0x00 or 0xFF for A1R5G5B5, always 0xFF for R5G6B5.
    for (uint32_t v = 0; v < 0x10000; v += 7) {
        uint32_t a1 = a_pixelToArgb(A_FMT_A1R5G5B5, v) >> 24;
        EXPECT_TRUE(a1 == 0 || a1 == 0xFF);
        EXPECT_EQ(a_pixelToArgb(A_FMT_R5G6B5, v) >> 24, 0xFFu);
    }
    // Row conversion agrees with the single-pixel form.
    uint32_t src[3] = {0x12345678, 0xFFFFFFFF, 0x80808080};
    for (int f : {A_FMT_A8R8G8B8, A_FMT_X8R8G8B8, A_FMT_R5G6B5, A_FMT_A1R5G5B5, A_FMT_A4R4G4B4}) {
        uint8_t buf[12];
        uint32_t back[3];
        a_convertRowFromArgb(f, src, 3, buf);
        a_convertRowToArgb(f, buf, 3, back);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(back[i], a_pixelToArgb(f, a_pixelFromArgb(f, src[i]))) << f;
    }
}

TEST(ImageDecode, LosslessFormatsRoundTrip) {
    Picture p = testPicture(37, 23); // odd width: row padding in BMP
    Picture opaque = p;
    for (uint32_t& v : opaque.argb)
        v |= 0xFF000000u;
    struct Case {
        const char* name;
        Bytes file;
        const Picture* expect;
        int fileFormat;
    };
    Case cases[] = {
        {"png with alpha", content::writePng(p, true), &p, A_FMT_A8R8G8B8},
        {"png opaque", content::writePng(p, false), &opaque, A_FMT_X8R8G8B8},
        {"bmp 24", content::writeBmp24(p), &opaque, A_FMT_X8R8G8B8},
        {"bmp 32", content::writeBmp32(p), &opaque, A_FMT_X8R8G8B8},
        {"tga 32", content::writeTga(p, 32, false), &p, A_FMT_A8R8G8B8},
        {"tga 32 rle", content::writeTga(p, 32, true), &p, A_FMT_A8R8G8B8},
        {"tga 24 rle", content::writeTga(p, 24, true), &opaque, A_FMT_X8R8G8B8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.file.empty());
        aDecodedImage d;
        std::string error;
        ASSERT_TRUE(a_decodeImage(c.file.data(), c.file.size(), d, error)) << error;
        EXPECT_EQ(d.width, 37u);
        EXPECT_EQ(d.height, 23u);
        EXPECT_EQ(d.fileFormat, c.fileFormat);
        EXPECT_EQ(d.pixels, c.expect->argb);
    }
}

TEST(ImageDecode, IndexedBmp) {
    const uint32_t w = 13, h = 5;
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        uint32_t colours = 1u << bits;
        std::vector<uint32_t> palette;
        for (uint32_t i = 0; i < colours; ++i)
            palette.push_back(0xFF000000u | (i * 0x010203u));
        std::vector<uint8_t> idx(w * h);
        for (uint32_t i = 0; i < idx.size(); ++i)
            idx[i] = uint8_t((i * 7) % colours);
        Bytes file = content::writeBmpIndexed(w, h, bits, palette, idx);
        aDecodedImage d;
        std::string error;
        ASSERT_TRUE(a_decodeBmp(file.data(), file.size(), d, error)) << error;
        for (uint32_t i = 0; i < idx.size(); ++i)
            ASSERT_EQ(d.pixels[i], palette[idx[i]]) << i;
    }
    // The mask writer: white where set.
    Bytes mask = content::writeBmp1(3, 2, {1, 0, 1, 0, 1, 0});
    aDecodedImage d;
    std::string error;
    ASSERT_TRUE(a_decodeImage(mask.data(), mask.size(), d, error));
    EXPECT_EQ(d.pixels, (std::vector<uint32_t>{0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF,
                                               0xFF000000}));
}

TEST(ImageDecode, RunLengthBmp) {
    const std::vector<uint32_t> palette = {0xFF000000u, 0xFFFF0000u, 0xFF00FF00u,
                                           0xFF0000FFu, 0xFFFFFF00u, 0xFF00FFFFu};
    const uint32_t K = 0xFF000000u, R = palette[1], G = palette[2], B = palette[3], Y = palette[4],
                   C = palette[5];
    struct Case {
        const char* name;
        int32_t width, height;
        int bits;
        std::vector<uint8_t> stream;
        std::vector<uint32_t> expect; // top row first
    } cases[] = {
        {"8 bits: runs, a padded literal run, a jump and an early end",
         5,
         3,
         8,
         {3, 1, 0, 3, 2, 3, 1, 0, 0, 0, // bottom row: R R R, then G B R, padded
          0, 2, 1, 0, 2, 4, 0, 0,       // middle row: a jump of one, then Y Y
          5, 5, 0, 1},                  // top row: C C C C C, end of picture
         {C, C, C, C, C,                //
          K, Y, Y, K, K,                //
          R, R, R, G, B}},
        {"8 bits: a run past the width is cut, a jump up skips a row",
         4,
         3,
         8,
         {9, 2, 0, 0, 0, 2, 2, 1, 2, 3, 0, 1}, // bottom G G G G; jump two right, one up; top: K K B B
         {K, K, B, B,                          //
          K, K, K, K,                          //
          G, G, G, G}},
        {"4 bits: a run of two alternating colours and a literal run",
         5,
         2,
         4,
         {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1}, // bottom R G R G R; top B Y C
         {B, Y, C, K, K,                          //
          R, G, R, G, R}},
        {"8 bits, top down", 2, -2, 8, {2, 1, 0, 0, 2, 3, 0, 1}, {R, R, B, B}},
        {"rows end without the end of the picture", 2, 1, 8, {2, 4, 0, 0}, {Y, Y}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes file = bmpfix::runLength(c.width, c.height, c.bits, palette, c.stream);
        aDecodedImage d;
        std::string error;
        ASSERT_TRUE(a_decodeImage(file.data(), file.size(), d, error)) << error;
        EXPECT_EQ(d.width, uint32_t(c.width));
        EXPECT_EQ(d.height, uint32_t(std::abs(c.height)));
        EXPECT_EQ(d.pixels, c.expect);
    }

    struct Bad {
        const char* name;
        int bits;
        std::vector<uint8_t> stream;
        const char* error;
    } bad[] = {
        {"stream ends within the rows", 8, {2, 1, 0, 0}, "truncated BMP run-length data"},
        {"literal run cut short", 8, {0, 5, 1, 2}, "truncated BMP run-length data"},
        {"jump cut short", 8, {0, 2, 1}, "truncated BMP run-length data"},
    };
    for (const Bad& c : bad) {
        SCOPED_TRACE(c.name);
        const Bytes file = bmpfix::runLength(3, 2, c.bits, palette, c.stream);
        aDecodedImage d;
        std::string error;
        EXPECT_FALSE(a_decodeBmp(file.data(), file.size(), d, error));
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(d.pixels.empty());
    }
    // The coding says 8 bits a pixel, the header 4.
    Bytes wrong = bmpfix::runLength(2, 1, 8, palette, {2, 1, 0, 1});
    wrong[28] = 4;
    aDecodedImage d;
    std::string error;
    EXPECT_FALSE(a_decodeBmp(wrong.data(), wrong.size(), d, error));
    EXPECT_EQ(error, "BMP run-length data of the wrong bit depth");
}

TEST(ImageDecode, CmykJpeg) {
    // Four flat quadrants of 16 x 16, so that the colours come back exactly
    // but for rounding.
    struct Quadrant {
        jpegfix::Inks inks;
        uint32_t rgb;
    } quadrants[4] = {
        {{0, 255, 255, 0}, 0xFF0000},   // red
        {{255, 0, 128, 64}, 0x00BF5F},  // teal, darkened by the black ink
        {{0, 0, 0, 0}, 0xFFFFFF},       // no ink: white
        {{40, 80, 120, 255}, 0x000000}, // full black ink
    };
    std::vector<jpegfix::Inks> inks(32 * 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            inks[size_t(y * 32 + x)] = quadrants[(y / 16) * 2 + x / 16].inks;
    struct Case {
        const char* name;
        bool ycck, adobe;
    } cases[] = {{"CMYK with an Adobe marker (inks inverted)", false, true},
                 {"YCCK with an Adobe marker (inks inverted)", true, true},
                 {"CMYK without a marker", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes file = jpegfix::cmyk(32, 32, inks, c.ycck, c.adobe);
        ASSERT_FALSE(file.empty());
        aDecodedImage d;
        std::string error;
        ASSERT_TRUE(a_decodeImage(file.data(), file.size(), d, error)) << error;
        ASSERT_EQ(d.width, 32u);
        ASSERT_EQ(d.height, 32u);
        EXPECT_EQ(d.fileFormat, A_FMT_X8R8G8B8);
        for (int q = 0; q < 4; ++q) {
            const uint32_t got = d.pixels[size_t((q / 2 * 16 + 8) * 32 + q % 2 * 16 + 8)];
            EXPECT_EQ(got >> 24, 0xFFu) << q;
            for (int shift : {16, 8, 0})
                EXPECT_NEAR(int((got >> shift) & 0xFF), int((quadrants[q].rgb >> shift) & 0xFF), 3)
                    << "quadrant " << q << " channel " << shift << std::hex << " got " << got;
        }
    }
}

TEST(ImageDecode, JpegAndJng) {
    Picture p = testPicture(64, 48);
    struct Case {
        const char* name;
        Bytes file;
        int fileFormat;
        int alphaTolerance; // -1: alpha must be opaque
    };
    Case cases[] = {
        {"jpeg", content::writeJpeg(p, 95), A_FMT_X8R8G8B8, -1},
        {"jng zlib alpha", content::writeJng(p, content::JngAlpha::Zlib, 95, 100), A_FMT_A8R8G8B8, 0},
        {"jng jpeg alpha", content::writeJng(p, content::JngAlpha::Jpeg, 95), A_FMT_A8R8G8B8, 12},
        {"jng no alpha", content::writeJng(p, content::JngAlpha::None, 95), A_FMT_A8R8G8B8, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        aDecodedImage d;
        std::string error;
        ASSERT_TRUE(a_decodeImage(c.file.data(), c.file.size(), d, error)) << error;
        ASSERT_EQ(d.width, 64u);
        ASSERT_EQ(d.height, 48u);
        EXPECT_EQ(d.fileFormat, c.fileFormat);
        EXPECT_LT(meanColourError(p, d), 4.0);
        for (size_t i = 0; i < p.argb.size(); ++i) {
            uint32_t a = d.pixels[i] >> 24, want = p.argb[i] >> 24;
            if (c.alphaTolerance < 0)
                ASSERT_EQ(a, 0xFFu) << i;
            else
                ASSERT_LE(std::abs(int(a) - int(want)), c.alphaTolerance) << i;
        }
    }
}

TEST(ImageDecode, Detection) {
    Picture p = testPicture(8, 8);
    struct Case {
        Bytes file;
        aImageFileKind kind;
    };
    Case cases[] = {
        {content::writeJng(p), aImageFileKind::jng},
        {content::writePng(p), aImageFileKind::png},
        {content::writeJpeg(p), aImageFileKind::jpeg},
        {content::writeBmp24(p), aImageFileKind::bmp},
        {content::writeTga(p), aImageFileKind::tga},
        {Bytes{'D', 'D', 'S', ' ', 0, 0, 0, 0}, aImageFileKind::unsupported},
        {Bytes{0x8A, 'M', 'N', 'G', 0, 0}, aImageFileKind::unsupported},
        {Bytes{'P', '6', '\n'}, aImageFileKind::unsupported},
        {Bytes{0x8B, 'J', 'N'}, aImageFileKind::unknown}, // 3 bytes: not a JNG
        {Bytes{}, aImageFileKind::unknown},
        {Bytes(40, 0xEE), aImageFileKind::unknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(a_detectImageKind(c.file.data(), c.file.size()), c.kind) << int(c.kind);
    aDecodedImage d;
    std::string error;
    Bytes dds{'D', 'D', 'S', ' ', 0, 0, 0, 0};
    EXPECT_FALSE(a_decodeImage(dds.data(), dds.size(), d, error));
    EXPECT_EQ(error, "unsupported image format");
}

// Every prefix of every kind of file fails cleanly (the sanitizers watch the reads).
TEST(ImageDecode, TruncatedFilesFail) {
    Picture p = testPicture(20, 12);
    std::vector<Bytes> files = {
        content::writeJpeg(p),
        content::writePng(p),
        content::writeBmp24(p),
        content::writeTga(p, 32, true),
        content::writeTga(p, 24, false),
        content::writeJng(p, content::JngAlpha::Zlib, 90, 64),
        content::writeJng(p, content::JngAlpha::Jpeg),
        jpegfix::cmyk(2, 2, {{0, 255, 255, 0}, {0, 0, 0, 0}, {9, 9, 9, 9}, {0, 0, 0, 255}}, false, true),
        bmpfix::runLength(4, 2, 8, {0xFF0000u, 0x00FF00u}, {4, 1, 0, 0, 0, 4, 0, 1, 1, 0, 0, 1}),
        bmpfix::runLength(4, 1, 4, {0xFF0000u, 0x00FF00u}, {3, 0x01, 0, 0})};
    for (const Bytes& f : files) {
        aImageFileKind kind = a_detectImageKind(f.data(), f.size());
        aDecodedImage whole;
        std::string wholeError;
        ASSERT_TRUE(a_decodeImage(f.data(), f.size(), whole, wholeError)) << wholeError;
        for (size_t n = 0; n < f.size(); n += (n < 64 ? 1 : 13)) {
            // An exact-size copy, so that any read past its end is caught.
            std::unique_ptr<uint8_t[]> copy(new uint8_t[n ? n : 1]);
            std::memcpy(copy.get(), f.data(), n);
            aDecodedImage d;
            std::string error;
            // A cut after the last pixel data (only the end marker lost) may
            // still give the whole picture; anything else must fail.
            if (a_decodeImage(copy.get(), n, d, error)) {
                ASSERT_EQ(d.pixels, whole.pixels) << "kind " << int(kind) << " prefix " << n;
                continue;
            }
            EXPECT_FALSE(error.empty());
            EXPECT_TRUE(d.pixels.empty());
        }
    }
}

TEST(ImageDecode, JngWhoseHeaderDisagreesWithItsDataFailsWithoutLeaking) {
    // The leak checker at the end of the test sees anything libmng left behind.
    aDecodedImage d;
    std::string error;
    for (content::JngAlpha alpha :
         {content::JngAlpha::Zlib, content::JngAlpha::Jpeg, content::JngAlpha::None}) {
        for (uint32_t side : {2u, 5u, 64u}) { // the JPEG data is 16 x 16
            Bytes jng = content::writeJng(testPicture(16, 16), alpha, 90);
            putBE32(&jng[16], side);
            putBE32(&jng[20], side);
            putBE32(&jng[8 + 8 + 16], crc32Of(&jng[12], 20));
            a_decodeJng(jng.data(), jng.size(), d, error);
        }
        // Garbage inside the JDAT and JDAA chunks, with their CRCs made right.
        Bytes jng = content::writeJng(testPicture(16, 16), alpha, 90);
        for (size_t pos = 8; pos + 12 <= jng.size();) {
            const uint32_t len =
                (uint32_t(jng[pos]) << 24) | (jng[pos + 1] << 16) | (jng[pos + 2] << 8) | jng[pos + 3];
            const std::string type(reinterpret_cast<const char*>(&jng[pos + 4]), 4);
            if (type == "JDAT" || type == "JDAA") {
                for (uint32_t i = len / 3; i < len; i += 7)
                    jng[pos + 8 + i] = uint8_t(i * 37);
                putBE32(&jng[pos + 8 + len], crc32Of(&jng[pos + 4], len + 4));
            }
            pos += 12 + len;
        }
        EXPECT_FALSE(a_decodeJng(jng.data(), jng.size(), d, error));
    }
}

TEST(ImageDecode, AbsurdSizesRefused) {
    aDecodedImage d;
    std::string error;

    // BMP claiming 100000 x 100000 pixels.
    Bytes bmp = content::writeBmp24(testPicture(4, 4));
    bmp[18] = 0xA0;
    bmp[19] = 0x86;
    bmp[20] = 0x01;
    bmp[21] = 0; // width 100000
    bmp[22] = 0xA0;
    bmp[23] = 0x86;
    bmp[24] = 0x01;
    bmp[25] = 0;
    EXPECT_FALSE(a_decodeBmp(bmp.data(), bmp.size(), d, error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;

    // BMP whose rows do not fit the file.
    Bytes bmp2 = content::writeBmp24(testPicture(4, 4));
    bmp2[22] = 200;
    EXPECT_FALSE(a_decodeBmp(bmp2.data(), bmp2.size(), d, error));
    EXPECT_EQ(error, "truncated BMP pixel data");

    // TGA of 65535 x 65535.
    Bytes tga = content::writeTga(testPicture(4, 4), 32, true);
    tga[12] = tga[13] = tga[14] = tga[15] = 0xFF;
    EXPECT_FALSE(a_decodeTga(tga.data(), tga.size(), d, error));

    // JNG whose header says 20000 x 20000, with a correct CRC.
    Bytes jng = content::writeJng(testPicture(4, 4));
    putBE32(&jng[16], 20000);
    putBE32(&jng[20], 20000);
    putBE32(&jng[8 + 8 + 16], crc32Of(&jng[12], 20));
    EXPECT_FALSE(a_decodeJng(jng.data(), jng.size(), d, error));
    EXPECT_NE(error.find("20000x20000"), std::string::npos) << error;

    // JNG with a damaged chunk: CRC mismatch.
    Bytes jng2 = content::writeJng(testPicture(4, 4));
    jng2[40] ^= 0x55;
    EXPECT_FALSE(a_decodeJng(jng2.data(), jng2.size(), d, error));
    EXPECT_EQ(error, "JNG chunk CRC mismatch");

    // PNG whose IHDR says 1 x 17000 (one side over the limit), CRC fixed.
    Bytes png = content::writePng(testPicture(4, 4));
    putBE32(&png[16], 1);
    putBE32(&png[20], 17000);
    putBE32(&png[29], crc32Of(&png[12], 17));
    EXPECT_FALSE(a_decodePng(png.data(), png.size(), d, error));

    // JPEG frame header of 60000 x 60000.
    Bytes jpg = content::writeJpeg(testPicture(4, 4));
    for (size_t i = 2; i + 9 < jpg.size(); ++i)
        if (jpg[i] == 0xFF && jpg[i + 1] == 0xC0) {
            jpg[i + 5] = 0xEA;
            jpg[i + 6] = 0x60;
            jpg[i + 7] = 0xEA;
            jpg[i + 8] = 0x60;
            break;
        }
    EXPECT_FALSE(a_decodeJpeg(jpg.data(), jpg.size(), d, error));
    EXPECT_TRUE(d.pixels.empty());
}
