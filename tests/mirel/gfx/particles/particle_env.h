#pragma once
// A headless graphics server that images load and draw through, a scratch
// folder and small helpers for particle and grid tests.

#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace ptest {

inline std::string scratchDir() {
    const char* root = std::getenv("MIREL_TEST_TMP");
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::path p = std::filesystem::path(root ? root : "/tmp/mirel-particle-tests") / name;
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p.string() + "/";
}

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// An image of one colour made on the device.
inline aImage solidImage(uint32_t w, uint32_t h, uint32_t argb) {
    aImage img;
    img.createEmpty(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            img.setPixel(int(x), int(y), argb);
    return img;
}

class GraphFixture : public testing::Test {
protected:
    void SetUp() override {
        setenv("MIREL_HEADLESS", "1", 1);
        m_server = std::make_unique<aGraphServer>(64, 64, false, true, "particles", 0, false);
        aImage::setGraphServer(m_server.get());
        m_server->setLinearFilter(false);
    }
    void TearDown() override {
        aImage::setGraphServer(nullptr);
        m_server.reset();
    }
    aDevice* device() { return m_server->getDevice(); }
    uint32_t px(uint32_t x, uint32_t y) { return device()->backPixel(x, y) & 0xFFFFFFu; }

    std::unique_ptr<aGraphServer> m_server;
    std::string m_dir = scratchDir();
};

} // namespace ptest
