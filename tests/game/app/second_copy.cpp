// A second copy of the game over the folders of a running first one, started
// by SavesTest.ASecondCopyEndsWithoutAWindowAndLeavesTheFirstOnesLogAlone in
// a process of its own: the program folder is its argument, the user's
// folders come with the environment. It ends with 0 when init refused to go
// on and no window was opened, else with 1 (2 without an argument).

#include "game/support/game_harness.h"

#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    gametest::SteppedGame second(argv[1]);
    const int result = second.init(gametest::kProduct, nullptr, "", gametest::kCompany);
    // Straight out, as a refused start ends: nothing of the first copy's is touched on the way.
    _exit(result != 0 && second.getPlatformWindow() == nullptr ? 0 : 1);
}
