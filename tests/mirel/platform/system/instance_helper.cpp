// A second process for the single-copy tests.
//   hold <dir> <name> <seconds>: takes the lock, prints "owner" (or "busy"),
//       then waits for a raise request; exit 0 when one came, 3 when none did.
//   start <dir> <name>: exit 0 when it became the one copy, 1 when another copy
//       runs and was asked to raise its window, 2 when the request failed.
#include "mirel/platform/system/a_system.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 4) {
        return 9;
    }
    aSingleInstance instance(argv[2]);
    bool first = instance.acquire(argv[3]);
    if (std::strcmp(argv[1], "hold") == 0) {
        std::printf("%s\n", first ? "owner" : "busy");
        std::fflush(stdout);
        if (!first) {
            return 4;
        }
        int tenths = (argc > 4 ? std::atoi(argv[4]) : 5) * 10;
        for (int i = 0; i < tenths; ++i) {
            if (instance.takeRaiseRequest()) {
                return 0;
            }
            usleep(100000);
        }
        return 3;
    }
    if (first) {
        return 0;
    }
    return instance.requestRaise() ? 1 : 2;
}
