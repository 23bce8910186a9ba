#include "mirel/util/a_singleton.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Manager : aSingleton<Manager> {
    int value = 0;
};

std::vector<std::string> g_lines;
void take(const char* line, void*) {
    g_lines.emplace_back(line);
}

} // namespace

TEST(Singleton, PublishedWhileAlive) {
    g_lines.clear();
    a_setLogObserver(&take, nullptr);
    EXPECT_EQ(Manager::getSingletonPtr(), nullptr);
    {
        Manager m;
        m.value = 7;
        EXPECT_EQ(&Manager::getSingleton(), &m);
        EXPECT_EQ(Manager::getSingleton().value, 7);
    }
    EXPECT_EQ(Manager::getSingletonPtr(), nullptr);
    EXPECT_TRUE(g_lines.empty());
    a_setLogObserver(nullptr, nullptr);
}

TEST(Singleton, SecondInstanceIsLoggedAndTheLiveOneStaysPublished) {
    g_lines.clear();
    a_setLogObserver(&take, nullptr);
    {
        auto* first = new Manager;
        Manager second;
        EXPECT_EQ(g_lines.size(), 1u);
        EXPECT_EQ(Manager::getSingletonPtr(), &second);
        delete first; // must not withdraw the second one
        EXPECT_EQ(Manager::getSingletonPtr(), &second);
    }
    EXPECT_EQ(Manager::getSingletonPtr(), nullptr);
    a_setLogObserver(nullptr, nullptr);
}
