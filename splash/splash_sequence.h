// The splash sequence: every configured entry in turn inside the host window.
#pragma once

#include "splash_clock.h"

#include <string>

namespace pellucid {

enum SplashResult { kSplashDone = 0, kSplashFailed = 1, kSplashQuit = 2 };

struct SplashOptions {
    std::string libraryFolder;    // where "Splash.ini" lies, with its closing '/'
    SplashClock* clock = nullptr; // the system clock when null
};

// Runs the whole sequence on the calling thread and answers a SplashResult.
// A call made while a sequence runs answers kSplashFailed at once.
int RunSplashSequence(unsigned long host, const SplashOptions& options);

} // namespace pellucid
