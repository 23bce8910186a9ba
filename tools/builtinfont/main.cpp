// builtinfont <face.ttf> <out.cpp>
// Rasterizes the characters the engine's device fonts draw (Latin-1, Cyrillic
// and the other characters of Windows-1251) into fixed cells of 8-bit
// coverage and writes them as the C++ definition of a_builtinFont.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPixelSize = 12;

std::vector<uint16_t> wantedCodes() {
    std::vector<uint16_t> codes;
    for (uint16_t c = 0x20; c <= 0x7E; ++c)
        codes.push_back(c);
    for (uint16_t c = 0xA0; c <= 0xFF; ++c)
        codes.push_back(c);
    for (uint16_t c = 0x400; c <= 0x45F; ++c)
        codes.push_back(c);
    for (uint16_t c : {0x490,  0x491,  0x2013, 0x2014, 0x2018, 0x2019, 0x201A, 0x201C, 0x201D, 0x201E,
                       0x2020, 0x2021, 0x2022, 0x2026, 0x2030, 0x2039, 0x203A, 0x20AC, 0x2116, 0x2122}) {
        codes.push_back(c);
    }
    return codes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: builtinfont <face.ttf> <out.cpp>\n");
        return 2;
    }
    FT_Library lib;
    FT_Face face;
    if (FT_Init_FreeType(&lib) || FT_New_Face(lib, argv[1], 0, &face)) {
        std::fprintf(stderr, "builtinfont: cannot open the face \"%s\"\n", argv[1]);
        return 1;
    }
    FT_Set_Pixel_Sizes(face, 0, kPixelSize);
    const int ascent = int((face->size->metrics.ascender + 63) >> 6);
    const int descent = int((-face->size->metrics.descender + 63) >> 6);
    const int height = ascent + descent;
    int advance = 0;
    if (!FT_Load_Char(face, 'M', FT_LOAD_DEFAULT)) {
        advance = int((face->glyph->advance.x + 32) >> 6);
    }
    if (advance <= 0 || height <= 0) {
        std::fprintf(stderr, "builtinfont: the face has no usable metrics\n");
        return 1;
    }

    std::vector<uint16_t> codes;
    std::vector<uint8_t> pixels;
    for (uint16_t code : wantedCodes()) {
        if (FT_Get_Char_Index(face, code) == 0 && code != 0x20) {
            continue;
        }
        if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL)) {
            continue;
        }
        const FT_Bitmap& bm = face->glyph->bitmap;
        std::vector<uint8_t> cell(size_t(advance) * height, 0);
        const int left = face->glyph->bitmap_left, top = ascent - face->glyph->bitmap_top;
        for (unsigned y = 0; y < bm.rows; ++y) {
            for (unsigned x = 0; x < bm.width; ++x) {
                const int cx = left + int(x), cy = top + int(y);
                if (cx >= 0 && cx < advance && cy >= 0 && cy < height) {
                    uint8_t& dst = cell[size_t(cy) * advance + cx];
                    dst = std::max(dst, bm.buffer[y * unsigned(bm.pitch) + x]);
                }
            }
        }
        codes.push_back(code);
        pixels.insert(pixels.end(), cell.begin(), cell.end());
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);

    FILE* out = std::fopen(argv[2], "w");
    if (!out) {
        std::fprintf(stderr, "builtinfont: cannot write \"%s\"\n", argv[2]);
        return 1;
    }
    std::fprintf(out, "// Made by the builtinfont tool at build time; not to be edited.\n");
    std::fprintf(out, "#include \"mirel/gfx/a_graphserver.h\"\n\nnamespace {\n");
    std::fprintf(out, "const uint16_t kCodes[%zu] = {", codes.size());
    for (size_t i = 0; i < codes.size(); ++i) {
        std::fprintf(out, "%s0x%04X,", i % 12 ? " " : "\n    ", unsigned(codes[i]));
    }
    std::fprintf(out, "\n};\nconst uint8_t kPixels[%zu] = {", pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        std::fprintf(out, "%s%u,", i % 24 ? " " : "\n    ", unsigned(pixels[i]));
    }
    std::fprintf(out, "\n};\n} // namespace\n\n");
    std::fprintf(out, "const aBuiltinFont a_builtinFont = {%d, %d, %zu, kCodes, kPixels};\n", advance, height,
                 codes.size());
    const bool ok = std::fclose(out) == 0;
    return ok ? 0 : 1;
}
