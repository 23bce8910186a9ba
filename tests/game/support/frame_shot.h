#pragma once
// The last frame the harness's window presented, written as an opaque PNG
// file (its folders made), so that a person can look at a screen a test
// reached. False when no frame was presented or the file was not written.

#include "game/support/game_harness.h"

#include "content/content_writers.h"
#include "mirel/platform/window/headless/a_headless_window.h"

#include <filesystem>
#include <string>

namespace gametest {

inline bool SaveFrame(const GameHarness& harness, const std::string& path) {
    const aHeadlessWindow* window = harness.Window();
    if (!window || window->lastFrameWidth() <= 0 || window->lastFrameHeight() <= 0)
        return false;
    content::Picture picture(uint32_t(window->lastFrameWidth()), uint32_t(window->lastFrameHeight()));
    for (size_t i = 0; i < picture.argb.size() && i < window->lastFrame().size(); ++i)
        picture.argb[i] = 0xFF000000u | window->lastFrame()[i];
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return content::saveFile(path, content::writePng(picture, false));
}

} // namespace gametest
