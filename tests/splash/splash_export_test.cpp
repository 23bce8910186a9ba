// The shared library itself: what it exports, and one real run through its
// entry on the system clock, ended early by a click.
#include <gtest/gtest.h>

#include "splash_test_support.h"

#include <chrono>
#include <cstdio>
#include <dlfcn.h>
#include <future>
#include <set>
#include <thread>

using namespace splashtest;

TEST(PellucidLibrary, ExportsShowSplashOnly) {
    FILE* nm = ::popen("nm -D --defined-only '" PELLUCID_LIBRARY "' 2>&1", "r");
    ASSERT_NE(nm, nullptr);
    std::set<std::string> names;
    char line[1024];
    while (std::fgets(line, sizeof line, nm)) {
        std::string l(line);
        while (!l.empty() && (l.back() == '\n' || l.back() == '\r'))
            l.pop_back();
        names.insert(l.substr(l.rfind(' ') + 1));
    }
    EXPECT_EQ(::pclose(nm), 0);
    EXPECT_EQ(names, std::set<std::string>{"ShowSplash"});
}

TEST(PellucidLibrary, ShowSplashRunsTheBuiltInEntryInTheHostWindow) {
    if (!StartXvfb())
        GTEST_SKIP() << "Xvfb is not available";
    void* lib = ::dlopen(PELLUCID_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << ::dlerror();
    auto show = reinterpret_cast<int (*)(unsigned long)>(::dlsym(lib, "ShowSplash"));
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show(0), 1); // no host window

    TestHost host(320, 240);
    ASSERT_TRUE(host.alive());
    const auto start = std::chrono::steady_clock::now();
    auto result = std::async(std::launch::async, [&] { return show(host.window()); });
    bool appeared = false;
    for (int i = 0; i < 200 && !appeared; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        appeared = host.children().size() == 1;
    }
    EXPECT_TRUE(appeared);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    host.click(160, 120); // during the fade-in: the fade-out is as short as the fade-in was
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(result.get(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_TRUE(host.children().empty());
    ::dlclose(lib);
}
