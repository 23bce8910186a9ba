// What the library reads from files is bounded: settings files, pictures
// and their decoding.
#include <gtest/gtest.h>

#include "fixtures/hostile_jpeg.h"
#include "splash_entry.h"
#include "splash_file.h"
#include "splash_jpeg.h"
#include "splash_profile.h"
#include "splash_test_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

using namespace pellucid;
using splashtest::LogCapture;
using splashtest::ScratchFolder;
using splashtest::WriteFile;

TEST(SplashLimits, OnlyPlainFilesWithinTheLimitAreRead) {
    const std::string folder = ScratchFolder("plain");
    WriteFile(folder + "ten.txt", "0123456789");
    ASSERT_EQ(::mkfifo((folder + "pipe").c_str(), 0600), 0);
    std::string bytes;
    EXPECT_EQ(ReadPlainFile(folder + "ten.txt", 10, bytes), FileRead::Ok);
    EXPECT_EQ(bytes, "0123456789");
    EXPECT_EQ(ReadPlainFile(folder + "ten.txt", 9, bytes), FileRead::TooLarge);
    EXPECT_TRUE(bytes.empty());
    // A pipe would block the read and a device never end: neither is opened.
    auto others = std::async(std::launch::async, [&] {
        std::string b;
        return std::vector<FileRead>{ReadPlainFile(folder + "pipe", 100, b),
                                     ReadPlainFile("/dev/zero", 100, b), ReadPlainFile(folder, 100, b),
                                     ReadPlainFile(folder + "none", 100, b)};
    });
    ASSERT_EQ(others.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(others.get(), std::vector<FileRead>(4, FileRead::NotAFile));
}

TEST(SplashLimits, SettingsFilesAndTheirLines) {
    // A settings file larger than a settings file can be is not read: the
    // built-in entry alone runs.
    const std::string folder = ScratchFolder("large-ini");
    std::string ini = "[Intro]\nStaticTime=1\n";
    ini += std::string(ProfileFile::kMaxFileSize, ';') + "\n";
    WriteFile(folder + "Splash.ini", ini);
    LogCapture log;
    std::vector<SplashEntry> entries = LoadSplashEntries(folder);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].builtIn);
    EXPECT_TRUE(log.contains("is larger than 65536 bytes, not read"));

    // A Splash.ini that is a pipe does not block.
    const std::string piped = ScratchFolder("pipe-ini");
    ASSERT_EQ(::mkfifo((piped + "Splash.ini").c_str(), 0600), 0);
    auto loaded = std::async(std::launch::async, [&] { return LoadSplashEntries(piped).size(); });
    ASSERT_EQ(loaded.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(loaded.get(), 1u);

    // Long lines are cut; the lines after them read as usual.
    ProfileFile p;
    p.parse("[S]\nlong=" + std::string(1 << 20, 'x') + "\nafter=1\n[" + std::string(10000, 'n') + "]\n");
    bool found = false;
    EXPECT_EQ(p.value("S", "long", 1 << 21, found).size(), ProfileFile::kMaxLine - 5);
    EXPECT_TRUE(found);
    EXPECT_EQ(p.value("S", "after", 100, found), "1");
    bool truncated = false;
    ASSERT_EQ(p.sectionNames(1 << 20, truncated).size(), 2u);
    EXPECT_EQ(p.sectionNames(1 << 20, truncated)[1].size(), ProfileFile::kMaxLine - 1);
}

TEST(SplashLimits, PicturesAreBoundedBeforeTheyAreDecoded) {
    RgbPicture pic;
    LogCapture log;
    // A header of 5000 x 5000 over the data of 16 x 16.
    const std::vector<uint8_t> big = jpegfix::claimingSize(jpegfix::progressive(16, 16), 5000, 5000);
    EXPECT_FALSE(DecodeJpeg(big.data(), big.size(), pic, "big"));
    EXPECT_TRUE(log.contains("picture of 5000x5000 pixels is too large"))
        << (log.lines.empty() ? "" : log.lines[0]);
    EXPECT_TRUE(pic.rgb.empty());
    // A progressive file of a thousand scans.
    log.lines.clear();
    const std::vector<uint8_t> scans = jpegfix::manyScans(64, 64, 1000);
    EXPECT_FALSE(DecodeJpeg(scans.data(), scans.size(), pic, "scans"));
    EXPECT_TRUE(log.contains("more than 500 scans")) << (log.lines.empty() ? "" : log.lines[0]);
    // The same picture with its usual scans decodes.
    const std::vector<uint8_t> good = jpegfix::progressive(64, 64);
    EXPECT_TRUE(DecodeJpeg(good.data(), good.size(), pic, "good"));
    EXPECT_EQ(pic.width, 64);
}
