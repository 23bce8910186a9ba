#pragma once
// A headless graphics server for image tests, a scratch folder and a log catcher.

#include "content/content_writers.h"
#include "mirel/base/a_log.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace imgtest {

inline std::string scratchDir(const std::string& name) {
    const char* root = std::getenv("MIREL_TEST_TMP");
    std::filesystem::path p = std::filesystem::path(root ? root : "/tmp/mirel-image-tests") / name;
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p.string() + "/";
}

// A 64 x 64 headless server whose images load and draw through it.
class GraphFixture : public testing::Test {
protected:
    void SetUp() override { startServer(true); }
    void TearDown() override {
        aImage::setGraphServer(nullptr);
        m_server.reset();
    }
    void startServer(bool use32Bit) {
        setenv("MIREL_HEADLESS", "1", 1);
        aImage::setGraphServer(nullptr);
        m_server.reset();
        m_server = std::make_unique<aGraphServer>(64, 64, false, use32Bit, "images", 0, false);
        aImage::setGraphServer(m_server.get());
    }
    aDevice* device() { return m_server->getDevice(); }
    void clearTo(uint32_t colour) { device()->clear(A_CLEAR_TARGET, colour); }
    uint32_t px(uint32_t x, uint32_t y) { return device()->backPixel(x, y); }

    std::string write(const std::string& name, const content::Bytes& bytes) {
        std::string path = m_dir + name;
        EXPECT_TRUE(content::saveFile(path, bytes));
        return path;
    }
    std::string write(const std::string& name, const std::string& text) {
        std::string path = m_dir + name;
        EXPECT_TRUE(content::saveFile(path, text));
        return path;
    }

    std::unique_ptr<aGraphServer> m_server;
    std::string m_dir = scratchDir(testing::UnitTest::GetInstance()->current_test_info()->name());
};

inline content::Picture solid(uint32_t w, uint32_t h, uint32_t argb) {
    return content::Picture(w, h, argb);
}

} // namespace imgtest
