// The game program: one GameApp from start to end. It reads no command-line
// option; the command line is handed on as the engine keeps it.

#include "game/shell/game_app.h"
#include "mirel/platform/audio/sdl/a_sdlaudio.h"
#include "mirel/platform/window/a_platform_window.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

constexpr const char* kCompany = "Corvalen";
constexpr const char* kProduct = "Tarrowdene";
constexpr const char* kNeedsDesktop = "Tarrowdene needs a graphical desktop: no display was found.\n";

std::string commandLineOf(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (!line.empty())
            line += ' ';
        line += '"';
        line += argv[i];
        line += '"';
    }
    return line;
}

} // namespace

int main(int argc, char** argv) {
    if (a_platformHeadless()) {
        std::fputs(kNeedsDesktop, stderr);
        return 1;
    }
    // The desktop's sound device; without one the sound plays silently.
    aSdlAudioOutput::install();
    const std::string commandLine = commandLineOf(argc, argv);
    int exitCode = 0;
    {
        GameApp game;
        if (game.init(kProduct, nullptr, commandLine.c_str(), kCompany) != 0)
            return 0;
        try {
            const int result = game.run();
            game.shutdown();
            if (result == GameApp::kNoDisplay) {
                std::fputs(kNeedsDesktop, stderr);
                exitCode = 1;
            }
        } catch (int32_t) {
            return 0;
        }
    }
    return exitCode;
}
