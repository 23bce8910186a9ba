// fuzzseeds: writes the engine's and the splash library's generated fuzz
// seeds (support/seed_writer.h), one folder per fuzzer:
//   fuzzseeds <seeds folder> <regressions folder>
// Pictures, archives, videos and sounds come from the project's own writers;
// the large text seeds (deep nesting, long lines, repeated lines) are made
// here too rather than committed. Text seeds of ordinary size are committed
// under tests/fuzz-seeds/<fuzzer>/.

#include "content/content_writers.h"
#include "fixtures/cmyk_jpeg.h"
#include "fixtures/hostile_jpeg.h"
#include "fixtures/rle_bmp.h"
#include "fixtures/zip_writer.h"
#include "soundgen.h"
#include "support/seed_writer.h"
#include "videogen.h"

#include <sndfile.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

SeedWriter* g_writer = nullptr;

void save(const std::string& fuzzer, const std::string& name, const Bytes& bytes) {
    g_writer->save(fuzzer, name, bytes);
}
void save(const std::string& fuzzer, const std::string& name, const std::string& text) {
    g_writer->save(fuzzer, name, text);
}
void save(const std::string& fuzzer, const std::string& name, const void* data, size_t size) {
    g_writer->save(fuzzer, name, data, size);
}

content::Picture gradient(uint32_t w, uint32_t h, bool alpha) {
    content::Picture p(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            p.at(x, y) = (alpha ? uint32_t((x * 255) / w) << 24 : 0xFF000000u) | (x * 8 % 256) << 16 |
                         (y * 8 % 256) << 8 | 0x40;
    return p;
}

void putBE32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (24 - 8 * i));
}

uint32_t be32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// Gives every chunk of a PNG-style file (after its 8-byte signature) the
// checksum of its bytes, after `spoil` has changed them.
template <class Spoil> Bytes reChunked(Bytes file, Spoil spoil) {
    for (size_t pos = 8; pos + 12 <= file.size();) {
        const uint32_t len = be32(file, pos);
        if (pos + 12 + len > file.size())
            break;
        spoil(std::string(reinterpret_cast<const char*>(&file[pos + 4]), 4), &file[pos + 8], len);
        putBE32(file, pos + 8 + len, uint32_t(crc32(0, &file[pos + 4], len + 4)));
        pos += 12 + len;
    }
    return file;
}

void pictures() {
    const content::Picture opaque = gradient(32, 24, false), clear = gradient(24, 16, true);
    save("fuzz_decode_jpeg", "baseline.jpg", content::writeJpeg(opaque, 80));
    save("fuzz_decode_jpeg", "progressive.jpg", jpegfix::progressive(40, 30));
    save("fuzz_decode_jpeg", "claims-5000x5000.jpg",
         jpegfix::claimingSize(jpegfix::progressive(16, 16), 5000, 5000));
    save("fuzz_decode_png", "alpha.png", content::writePng(clear));
    save("fuzz_decode_png", "opaque.png", content::writePng(opaque, false));
    save("fuzz_decode_bmp", "24.bmp", content::writeBmp24(opaque));
    save("fuzz_decode_bmp", "32.bmp", content::writeBmp32(clear));
    std::vector<uint8_t> indices(12 * 8);
    for (size_t i = 0; i < indices.size(); ++i)
        indices[i] = uint8_t(i % 16);
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < 16; ++i)
        palette.push_back(0xFF000000u | i * 0x101010u);
    save("fuzz_decode_bmp", "4.bmp", content::writeBmpIndexed(12, 8, 4, palette, indices));
    save("fuzz_decode_bmp", "8.bmp", content::writeBmpIndexed(12, 8, 8, palette, indices));
    // Run-length coded BMPs: runs, literal runs, a jump and the end markers.
    save("fuzz_decode_bmp", "rle8.bmp",
         bmpfix::runLength(5, 3, 8, palette,
                           {3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 1, 0, 2, 4, 0, 0, 5, 5, 0, 1}));
    save("fuzz_decode_bmp", "rle4.bmp",
         bmpfix::runLength(5, 2, 4, palette, {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1}));
    // CMYK JPEGs, inverted with an Adobe marker (as most are) and plain.
    std::vector<jpegfix::Inks> inks(16 * 8);
    for (size_t i = 0; i < inks.size(); ++i)
        inks[i] = {uint8_t(i * 2), uint8_t(255 - i), uint8_t(i * 5), uint8_t(i % 16 * 16)};
    save("fuzz_decode_jpeg", "cmyk-adobe.jpg", jpegfix::cmyk(16, 8, inks, false, true));
    save("fuzz_decode_jpeg", "ycck-adobe.jpg", jpegfix::cmyk(16, 8, inks, true, true));
    save("fuzz_decode_jpeg", "cmyk-plain.jpg", jpegfix::cmyk(16, 8, inks, false, false));
    save("fuzz_decode_tga", "24.tga", content::writeTga(opaque, 24, false));
    save("fuzz_decode_tga", "32-rle.tga", content::writeTga(clear, 32, true));
    save("fuzz_decode_jng", "zlib-alpha.jng", content::writeJng(clear, content::JngAlpha::Zlib, 80, 200));
    save("fuzz_decode_jng", "jpeg-alpha.jng", content::writeJng(clear, content::JngAlpha::Jpeg, 80));
    save("fuzz_decode_jng", "no-alpha.jng", content::writeJng(opaque, content::JngAlpha::None, 80));
    // A header that disagrees with the JPEG data, and garbage JPEG data: both
    // left libmng's row buffers behind.
    for (uint32_t side : {2u, 64u}) {
        save("fuzz_decode_jng", "header-" + std::to_string(side) + ".jng",
             reChunked(content::writeJng(clear, content::JngAlpha::Zlib, 80),
                       [&](const std::string& type, uint8_t* body, uint32_t len) {
                           if (type == "JHDR" && len >= 8) {
                               for (int i = 0; i < 8; ++i)
                                   body[i] = uint8_t(i % 4 == 3 ? side : 0);
                           }
                       }));
    }
    save("fuzz_decode_jng", "garbage-jdat.jng",
         reChunked(content::writeJng(clear, content::JngAlpha::Jpeg, 80),
                   [](const std::string& type, uint8_t* body, uint32_t len) {
                       if (type == "JDAT" || type == "JDAA")
                           for (uint32_t i = len / 3; i < len; i += 7)
                               body[i] = uint8_t(i * 37);
                   }));

    std::vector<uint8_t> mask(16 * 12);
    for (size_t i = 0; i < mask.size(); ++i)
        mask[i] = (i % 16) < 8;
    save("gui_region_bitmap_fuzzer", "mask1.bmp", content::writeBmp1(16, 12, mask));
    save("gui_region_bitmap_fuzzer", "mask8.bmp", content::writeBmpIndexed(12, 8, 8, palette, indices));
    save("gui_region_bitmap_fuzzer", "mask24.bmp", content::writeBmp24(opaque));

    save("splash_jpeg_fuzzer", "baseline.jpg", content::writeJpeg(opaque, 90));
    save("splash_jpeg_fuzzer", "progressive.jpg", jpegfix::progressive(48, 32));
    save("splash_jpeg_fuzzer", "1000-scans.jpg", jpegfix::manyScans(32, 32, 1000));
    save("splash_jpeg_fuzzer", "claims-5000x5000.jpg",
         jpegfix::claimingSize(jpegfix::progressive(16, 16), 5000, 5000));
}

// The archive fuzzer's input: flags, the length of the entry's name, the
// name, then the archive (flags even) or the entry's bytes (flags odd).
std::string archiveInput(uint8_t flags, const std::string& name, const std::string& rest) {
    return std::string(1, char(flags)) + char(name.size()) + name + rest;
}

void archives() {
    save("archive_lookup_fuzzer", "stored.bin",
         archiveInput(0, "a.txt", zipfix::build({{"a.txt", "stored entry"}, {"B.TXT", "other", true}})));
    save("archive_lookup_fuzzer", "deflated.bin",
         archiveInput(0, "big.txt", zipfix::build({{"big.txt", std::string(20000, 'z'), true}})));
    save("archive_lookup_fuzzer", "built.bin", archiveInput(1 | 2, "x.agui", "widget x\n{\n Tag 1\n}\n"));
    // A small entry that expands far past what a whole-file read takes.
    save("archive_lookup_fuzzer", "expands-to-100mb.bin",
         archiveInput(0, "bomb.txt", zipfix::build({{"bomb.txt", std::string(100u << 20, '\0'), true}})));
}

void videos() {
    videogen::Options o;
    o.width = 40;
    o.height = 24;
    o.frames = 4;
    o.quality = 20;
    const Bytes video = videogen::encode(o, videogen::drawBars);
    Bytes raw(1, 0); // even first byte: the rest is the file
    raw.insert(raw.end(), video.begin(), video.end());
    save("fuzz_video_open", "bars.bin", raw);
    raw[0] = 2; // looped
    save("fuzz_video_open", "bars-looped.bin", raw);
    save("fuzz_video_open", "spoil.bin", std::string("\x01\x00\x10\x55\x01\x20\xAA\x80", 8));
    // A header claiming frames of 4096 x 4096 (sixteen million pixels): the
    // frame size in macroblocks and the picture size after "\x80theora" and
    // the version.
    std::vector<videogen::Packet> packets;
    if (videogen::encodePackets(o, videogen::drawBars, packets)) {
        std::vector<uint8_t>& id = packets[0].data;
        const uint8_t claim[12] = {0x01, 0x00, 0x01, 0x00, 0x00, 0x10, 0x00, 0x00, 0x10, 0x00, 0, 0};
        std::copy(claim, claim + 12, id.begin() + 10);
        Bytes huge(1, 0);
        const Bytes framed = videogen::frameOgg(packets, 5);
        huge.insert(huge.end(), framed.begin(), framed.end());
        save("fuzz_video_open", "frames-4096x4096.bin", huge);
    }
}

void sounds() {
    using soundgen::Format;
    struct Case {
        const char* name;
        Format format;
        double seconds;
        int channels;
    };
    for (Case c : {Case{"mono.wav", Format::Wav, 0.05, 1}, Case{"stereo.wav", Format::Wav, 0.05, 2},
                   Case{"tone.ogg", Format::Ogg, 0.2, 1}, Case{"tone.flac", Format::Flac, 0.1, 2}}) {
        soundgen::Tone tone;
        tone.seconds = c.seconds;
        tone.channels = c.channels;
        std::vector<unsigned char> bytes;
        if (soundgen::encode(tone, c.format, bytes))
            save("sound_sample_fuzzer", c.name, bytes.data(), bytes.size());
    }
    // Ten minutes of stereo silence: a small FLAC that decodes to 230 MB.
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("fuzzseeds-silence-" + std::to_string(::getpid()) + ".flac"))
                                 .string();
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 2;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    if (SNDFILE* sf = sf_open(path.c_str(), SFM_WRITE, &info)) {
        std::vector<short> block(2 * 48000, 0);
        for (int second = 0; second < 600; ++second)
            sf_writef_short(sf, block.data(), 48000);
        sf_close(sf);
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::filesystem::remove(path);
        save("sound_sample_fuzzer", "ten-minutes-silence.flac", bytes);
    } else {
        std::fprintf(stderr, "fuzzseeds: cannot write %s\n", path.c_str());
        g_writer->fail();
    }
}

// Text seeds too large to commit.
void largeTexts() {
    std::string deep;
    for (int i = 0; i < 20000; ++i)
        deep += "widget w" + std::to_string(i) + "\n{\n AreaRect 0 0 50 50\n";
    save("fuzz_gui_script", "nested-20000.agui", deep);
    std::string siblings;
    for (int i = 0; i < 20000; ++i)
        siblings += "statictext t" + std::to_string(i) + "\n{\n}\n";
    save("fuzz_gui_script", "statictexts-20000.agui", siblings);

    const std::string longLine(1200000, 'x');
    save("string_list_fuzzer", "line-1.2mb.txt", "first\n" + longLine + "\nlast\n");
    save("options_file_fuzzer", "line-1.2mb.ini", "[S]\nk=" + longLine + "\nafter=1\n");
    save("util_script_fuzzer", "line-1.2mb.agui", "h\n{\n v " + longLine + "\n}\n");

    // One locale file naming another text many times: 2000 references to a
    // small one, and 100 to one of a megabyte.
    std::string refs;
    for (int i = 0; i < 2000; ++i)
        refs += "k" + std::to_string(i) + " = file,\"fz:1\"\n";
    save("locale_file_fuzzer", "2000-references.txt", refs + "#--file--\nsome text\nof two lines\n");
    std::string bigRefs;
    for (int i = 0; i < 100; ++i)
        bigRefs += "k" + std::to_string(i) + " = file,\"fz:1\"\n";
    save("locale_file_fuzzer", "100-references-of-1mb.txt",
         bigRefs + "#--file--\n" + std::string(1 << 20, 't') + "\n");

    // The same picture under two hundred names (folder spellings).
    std::string list;
    std::string prefix;
    for (int i = 0; i < 200; ++i, prefix += "./")
        list += prefix + "big.png 8888 8888\n";
    save("image_list_fuzzer", "200-names-of-one-picture.txt", list);

    // Options files that keep many times their size: a file of short lines
    // included two hundred times, one of sixteen megabytes, and many keys
    // looked up one by one.
    std::string shortLines = "[S]\n";
    for (int i = 0; i < 400000; ++i)
        shortLines += "a\n";
    std::string fanOut = "[Top]\n";
    for (int i = 0; i < 200; ++i)
        fanOut += "#include \"fz:1\"\n";
    save("options_file_fuzzer", "fanout-of-short-lines.ini", fanOut + "#--file--\n" + shortLines);
    std::string sixteen = "[S]\n";
    sixteen.reserve(16u << 20);
    while (sixteen.size() + 2 <= (16u << 20))
        sixteen += "a\n";
    save("options_file_fuzzer", "short-lines-16mb.ini", sixteen);
    std::string keys = "[S]\n";
    for (int i = 0; i < 100000; ++i)
        keys += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    save("options_file_fuzzer", "keys-100000.ini", keys);

    // A locale file of a million keys.
    std::string texts;
    for (int i = 0; i < 1000000; ++i)
        texts += "k" + std::to_string(i) + " = \"v\"\n";
    save("locale_file_fuzzer", "keys-1000000.txt", texts);

    // Credits of a line of a million letters, and of twenty thousand
    // different letters (the input is both the credits file and its texts).
    const std::string credits = "[Global]\nHeapRect = 0 0 400 300\nIntervalMoveLetterFromHeap = 0.01\n"
                                "SpeedMoveLetterFromHeap = 1000\n[Screen1]\nTitle=T\n";
    std::string letters;
    for (char16_t c = 0x4E00; c < 0x4E00 + 20000; ++c) {
        letters += char(0xE0 | (c >> 12));
        letters += char(0x80 | ((c >> 6) & 0x3F));
        letters += char(0x80 | (c & 0x3F));
    }
    save("credits_file_fuzzer", "line-1m-letters.ini",
         credits + "T = \"" + std::string(1000000, 'A') + "\"\n");
    save("credits_file_fuzzer", "20000-letters.ini", credits + "T = \"" + letters + "\"\n");

    // A card order of twenty thousand cards.
    std::string cards = "[CardsOrder]\n";
    for (int i = 0; i < 20000; ++i)
        cards += "card" + std::to_string(i) + " = entry" + std::to_string(i) + "\n";
    save("card_evidence_fuzzer", "cards-20000.txt", cards + "%%\n\n%%\n\n%%\n\n%%\n");

    // A room of twenty thousand objects, and an item of ten thousand.
    std::string objects;
    for (int i = 0; i < 20000; ++i)
        objects += "[o" + std::to_string(i) + "]\nClass = Image\nX = 1\nY = 1\n";
    const std::string level = "%%\n[Room.fz]\nItemsCount = 1, 0, 0\n%%\n";
    save("spy_room_data_fuzzer", "objects-20000.txt", objects + "%%\n[it]\nObject = o1\n" + level);
    std::string tenThousand, item = "[it]\nObject = ";
    for (int i = 0; i < 10000; ++i) {
        tenThousand += "[o" + std::to_string(i) + "]\nClass = Image\n";
        item += (i ? ", o" : "o") + std::to_string(i);
    }
    save("spy_room_data_fuzzer", "item-of-10000-objects.txt", tenThousand + "%%\n" + item + "\n" + level);

    // A settings file larger than any settings file, and one with a long line.
    save("splash_profile_fuzzer", "70kb.ini", "[Intro]\nStaticTime=1\n" + std::string(70000, ';') + "\n");
    save("splash_profile_fuzzer", "long-line.ini", "[Intro]\nStaticPath=" + std::string(10000, 'p') + "\n");
}

// The static text layout fuzzer's input: width, flags, size, then UTF-16 codes.
void layouts() {
    std::string input("\x90\x03\x02", 3);
    for (char16_t c : std::u16string(u"Hello wide\tworld\nof words, \u00e9t\u00e9 and more words to wrap")) {
        input += char(c & 0xFF);
        input += char(c >> 8);
    }
    save("gui_statictext_layout_fuzzer", "words.bin", input);
    input[1] = 0x04;
    save("gui_statictext_layout_fuzzer", "centred.bin", input);
}

} // namespace

int main(int argc, char** argv) {
    SeedWriter writer(argc, argv);
    g_writer = &writer;
    pictures();
    archives();
    videos();
    sounds();
    largeTexts();
    layouts();
    return writer.finish();
}
