#include "mirel/gfx/a_graphserver.h"
#include "support/log_capture.h"

#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/platform/window/headless/a_headless_window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string scratch(const std::string& sub) {
    const char* base = std::getenv("MIREL_TEST_TMP");
    std::filesystem::path p = std::filesystem::path(base ? base : "/tmp/mirel-test") / sub;
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p.string();
}

class GraphServer : public ::testing::Test {
protected:
    void SetUp() override { setenv("MIREL_HEADLESS", "1", 1); }
    aHeadlessWindow* window(aGraphServer& gs) { return static_cast<aHeadlessWindow*>(gs.getWindow()); }
};

} // namespace

TEST(WindowRect, FitsOrShrinksCentredInTheWorkArea) {
    struct Case {
        aPlatformRect work, frame;
        aWindowRect expected;
    } cases[] = {
        // Large desktop: the client keeps 1024 x 768, the frame goes around it, centred.
        {{0, 0, 1920, 1080}, {0, 0, 0, 0}, {448, 156, 1471, 923, 448, 156, 1024, 768}},
        {{0, 0, 1920, 1080}, {4, 30, 4, 4}, {444, 139, 1475, 940, 448, 169, 1024, 768}},
        // Work area with panels at the left and top: offset by its corner.
        {{100, 50, 1920, 1080}, {0, 0, 0, 0}, {498, 181, 1521, 948, 498, 181, 1024, 768}},
        // Too small: same aspect ratio, scale from the tighter side (height here).
        {{0, 0, 1024, 600}, {0, 0, 0, 0}, {112, 0, 911, 599, 112, 0, 800, 600}},
        // Frame counted: 1024 wide minus 8 leaves 1016 of width (scale 0.9921875).
        {{0, 0, 1024, 800}, {4, 20, 4, 4}, {0, 7, 1023, 792, 4, 27, 1016, 762}},
    };
    for (const Case& c : cases) {
        aWindowRect r = a_calcWindowRect(1024, 768, c.work, c.frame);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
        EXPECT_EQ(r.clientX, c.expected.clientX);
        EXPECT_EQ(r.clientY, c.expected.clientY);
        EXPECT_EQ(r.clientWidth, c.expected.clientWidth);
        EXPECT_EQ(r.clientHeight, c.expected.clientHeight);
    }
}

TEST(ModeChoice, HighestRefreshOfTheBackBufferSizeLaterWinsTies) {
    std::vector<aDisplayMode> modes = {
        {1024, 768, 60, 16}, {1024, 768, 75, 16},  {800, 600, 120, 32}, {1024, 768, 60, 32},
        {1024, 768, 60, 32}, {1280, 1024, 85, 32}, {1024, 768, 75, 16},
    };
    int32_t m16 = 0, m32 = 0;
    a_chooseFullscreenModes(modes, 1024, 768, &m16, &m32);
    EXPECT_EQ(m16, 6);
    EXPECT_EQ(m32, 4);
    a_chooseFullscreenModes(modes, 640, 480, &m16, &m32);
    EXPECT_EQ(m16, -1);
    EXPECT_EQ(m32, -1);
}

TEST(PresentParams, WindowAndFullScreenWithAndWithoutVSync) {
    aDisplayMode m16{1024, 768, 75, 16}, m32{1024, 768, 60, 32};
    struct Case {
        bool fullscreen, use32, vsync, haveModes;
        int swap;
        uint32_t interval;
        int format;
    } cases[] = {
        {false, true, true, true, A_SWAPEFFECT_COPY, A_PRESENT_INTERVAL_DEFAULT, A_FMT_R5G6B5},
        {false, true, false, true, A_SWAPEFFECT_COPY_VSYNC, A_PRESENT_INTERVAL_DEFAULT, A_FMT_R5G6B5},
        {true, true, true, true, A_SWAPEFFECT_FLIP, A_PRESENT_INTERVAL_ONE, A_FMT_X8R8G8B8},
        {true, true, false, true, A_SWAPEFFECT_FLIP, A_PRESENT_INTERVAL_IMMEDIATE, A_FMT_X8R8G8B8},
        {true, false, true, true, A_SWAPEFFECT_FLIP, A_PRESENT_INTERVAL_ONE, A_FMT_R5G6B5},
        // No mode of the picture's size: the back buffer keeps it.
        {true, true, true, false, A_SWAPEFFECT_FLIP, A_PRESENT_INTERVAL_ONE, A_FMT_X8R8G8B8},
    };
    for (const Case& c : cases) {
        aPresentChoice choice;
        choice.fullscreen = c.fullscreen;
        choice.use32Bit = c.use32;
        choice.vsync = c.vsync;
        choice.mode16 = c.haveModes ? &m16 : nullptr;
        choice.mode32 = c.haveModes ? &m32 : nullptr;
        choice.desktop = aDisplayMode{1920, 1080, 60, 16};
        aPresentParams p = a_fillPresentParams(choice);
        EXPECT_EQ(p.swapEffect, c.swap);
        EXPECT_EQ(p.presentationInterval, c.interval);
        EXPECT_EQ(p.backBufferFormat, c.format);
        EXPECT_EQ(p.windowed, !c.fullscreen);
        EXPECT_EQ(p.backBufferWidth, 1024u);
        EXPECT_EQ(p.backBufferHeight, 768u);
        EXPECT_EQ(p.backBufferCount, c.fullscreen ? 1u : 0u);
        EXPECT_EQ(p.flags, A_PRESENTFLAG_LOCKABLE_BACKBUFFER);
        EXPECT_FALSE(p.enableAutoDepthStencil);
    }
}

TEST(ScreenshotName, ThreeDigitsAtLeast) {
    EXPECT_EQ(a_screenshotName("/a/Shots/", "ScreenShot", 0), "/a/Shots/ScreenShot000.bmp");
    EXPECT_EQ(a_screenshotName("/a/Shots", "ScreenShot", 42), "/a/Shots/ScreenShot042.bmp");
    EXPECT_EQ(a_screenshotName("/a/Shots//", "S", 1000), "/a/Shots/S1000.bmp");
}

TEST_F(GraphServer, CreatesWindowDeviceAndSystemFontAndLogsTheAdapter) {
    LogCapture log;
    aGraphServer gs(1024, 768, false, true, "Test", 0, true);
    ASSERT_NE(gs.getDevice(), nullptr);
    ASSERT_NE(gs.getSprite(), nullptr);
    EXPECT_NE(gs.getSystemFont(), nullptr);
    EXPECT_EQ(gs.getSystemFont()->getDesc().faceName, "Arial");
    EXPECT_EQ(gs.getRefreshRate(), 60u);
    EXPECT_EQ(gs.getClientWidth(), 1024);
    EXPECT_EQ(gs.getPresentParams().swapEffect, A_SWAPEFFECT_COPY);
    EXPECT_TRUE(log.has("aGraphServer. Error, aApplication object not created!"));
    EXPECT_TRUE(log.has("aGraphServer. Detected  windowed  mode: 1920x1080  60Hz 22"));
    EXPECT_TRUE(log.has("aGraphServer. Selected fullscreen 16 bit mode: 1024x 768  60Hz 23"));
    EXPECT_TRUE(log.has("aGraphServer. Selected fullscreen 32 bit mode: 1024x 768  60Hz 22"));
    EXPECT_TRUE(log.has("     Presentation intervals: imm 1 "));
    EXPECT_TRUE(log.has("aGraphServer: SOFTWARE_VERTEXPROCESSING"));
}

TEST_F(GraphServer, DeviceCreationFailuresThrowTheirCodes) {
    const std::pair<int32_t, int32_t> cases[] = {
        {A_ERR_DRIVERINTERNALERROR, A_ERROR_DRIVER_INTERNAL},
        {A_ERR_OUTOFVIDEOMEMORY, A_ERROR_DEVICE_CREATE},
        {A_ERR_NOTAVAILABLE, A_ERROR_DEVICE_CREATE},
    };
    for (const auto& [fault, thrown] : cases) {
        LogCapture log;
        aDevice::setCreateFault(fault);
        int32_t caught = 0;
        try {
            aGraphServer gs(1024, 768, false, true);
        } catch (int32_t code) {
            caught = code;
        }
        aDevice::setCreateFault(A_OK);
        EXPECT_EQ(caught, thrown);
        EXPECT_TRUE(log.has(std::string("aGraphServer. Error create device object (") +
                            a_deviceErrorText(fault) + ")"));
    }
}

TEST_F(GraphServer, LostDeviceSkipsFramesUntilResetAndFontsComeBack) {
    aGraphServer gs(1024, 768, false, true);
    aDeviceFont* font = nullptr;
    aFontDesc desc;
    desc.faceName = "Sans";
    desc.height = 20;
    gs.createFont("menu", desc, &font);
    ASSERT_NE(font, nullptr);

    LogCapture log;
    gs.getDevice()->setCooperativeState(A_ERR_DEVICELOST);
    EXPECT_FALSE(gs.beginScene());
    EXPECT_TRUE(log.has("aGraphServer::beginScene() - D3DERR_DEVICELOST"));
    EXPECT_NE(font, nullptr);

    gs.getDevice()->setCooperativeState(A_ERR_DEVICENOTRESET);
    EXPECT_FALSE(gs.beginScene());
    EXPECT_TRUE(log.has("aGraphServer::beginScene() - D3DERR_DEVICENOTRESET"));
    // After the reset the owner's pointer holds a fresh font of the same description.
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->getDesc().height, 20);
    EXPECT_EQ(gs.getDevice()->testCooperativeLevel(), A_OK);
    ASSERT_TRUE(gs.beginScene());
    EXPECT_TRUE(gs.isInScene());
    EXPECT_FALSE(gs.beginScene());
    EXPECT_TRUE(log.has("aGraphServer::beginScene() - previous scene not finished"));
    gs.endScene();
    gs.endScene();
    EXPECT_TRUE(log.has("aGraphServer::endScene() - scene not started"));

    // The window's presenter losing its targets leads to a reset on the next frame.
    gs.onRenderReset();
    EXPECT_FALSE(gs.beginScene());
    EXPECT_TRUE(gs.beginScene());
    gs.endScene();

    gs.getDevice()->setCooperativeState(A_ERR_DRIVERINTERNALERROR);
    int32_t caught = 0;
    try {
        gs.beginScene();
    } catch (int32_t code) {
        caught = code;
    }
    EXPECT_EQ(caught, A_ERROR_DRIVER_INTERNAL);
    EXPECT_TRUE(log.has("aGraphServer::beginScene() - D3DERR_DRIVERINTERNALERROR"));
    gs.getDevice()->setCooperativeState(A_OK);
}

TEST_F(GraphServer, FrameFailuresAreLoggedAndTheFrameCountsAsDone) {
    aGraphServer gs(64, 48, false, true);
    LogCapture log;
    gs.getDevice()->setFault(aDeviceCall::Clear, A_ERR_INVALIDCALL);
    gs.getDevice()->setFault(aDeviceCall::Present, A_ERR_DEVICELOST);
    ASSERT_TRUE(gs.beginScene());
    gs.endScene();
    EXPECT_FALSE(gs.isInScene());
    EXPECT_TRUE(log.has("aGraphServer. Clear failed (D3DERR_INVALIDCALL)"));
    EXPECT_TRUE(log.has("aGraphServer. Present failed (D3DERR_DEVICELOST)"));
}

TEST_F(GraphServer, FontsByName) {
    aGraphServer gs(64, 48, false, true);
    LogCapture log;
    aDeviceFont* first = nullptr;
    aDeviceFont* second = nullptr;
    aFontDesc a, b;
    a.faceName = "A";
    b.faceName = "B";
    gs.createFont("f", a, &first);
    gs.createFont("f", b, &second);
    EXPECT_TRUE(log.has("aGraphServer. Font with name 'f' already exists"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->getDesc().faceName, "A");
    EXPECT_EQ(second, nullptr);
    gs.deleteFont("f");
    EXPECT_EQ(first, nullptr);
    EXPECT_FALSE(gs.hasFont("f"));
    gs.deleteFont("f");
    EXPECT_TRUE(log.has("aGraphServer::deleteFont. Font 'f' not exists"));
}

TEST_F(GraphServer, FullScreenAndBackUsesTheCurrentWorkArea) {
    aGraphServer gs(1024, 768, false, true);
    aHeadlessWindow* w = window(gs);
    gs.setFullscreen(true);
    EXPECT_TRUE(gs.isFullscreen());
    EXPECT_TRUE(w->isFullscreen());
    EXPECT_EQ(gs.getPresentParams().swapEffect, A_SWAPEFFECT_FLIP);
    w->setWorkArea(aPlatformRect{0, 0, 800, 600});
    gs.setFullscreen(false);
    EXPECT_FALSE(w->isFullscreen());
    EXPECT_EQ(gs.getClientWidth(), 800);
    EXPECT_EQ(gs.getClientHeight(), 600);
    int32_t cw = 0, ch = 0;
    w->getClientSize(cw, ch);
    EXPECT_EQ(cw, 800);
    EXPECT_EQ(ch, 600);
    EXPECT_EQ(gs.getPresentParams().swapEffect, A_SWAPEFFECT_COPY);
    gs.setVSync(false);
    EXPECT_EQ(gs.getPresentParams().swapEffect, A_SWAPEFFECT_COPY_VSYNC);
    EXPECT_FALSE(w->getVSync());
}

TEST_F(GraphServer, ScreenshotsTakeTheFirstFreeNumberAndHoldTheLastFrame) {
    std::string dir = scratch("shots") + "/ScreenShots/";
    aFileServer files;
    aGraphServer gs(8, 4, false, true);
    gs.setClearColor(0xff102030u);
    ASSERT_TRUE(gs.beginScene());
    gs.endScene();

    EXPECT_EQ(gs.saveScreenshot(dir, "Shot"), dir.substr(0, dir.size() - 1) + "/Shot000.bmp");
    std::string second = gs.saveScreenshot(dir, "Shot");
    EXPECT_NE(second.find("Shot001.bmp"), std::string::npos);
    std::filesystem::remove(second);
    { std::ofstream(dir + "Shot002.bmp") << "x"; }
    // 001 was deleted: the gap is filled; 002 is never overwritten.
    EXPECT_NE(gs.saveScreenshot(dir, "Shot").find("Shot001.bmp"), std::string::npos);
    EXPECT_NE(gs.saveScreenshot(dir, "Shot").find("Shot003.bmp"), std::string::npos);

    std::ifstream in(dir + "Shot000.bmp", std::ios::binary);
    std::vector<uint8_t> bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bmp.size(), 54u + 4 * 24u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[18], 8);
    EXPECT_EQ(bmp[22], 4);
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(bmp[54], 0x30); // blue, green, red
    EXPECT_EQ(bmp[55], 0x20);
    EXPECT_EQ(bmp[56], 0x10);
}
