#include "mirel/base/a_string.h"

#include <gtest/gtest.h>

#include <map>

TEST(StringNoCase, ComparesAsciiLettersWithoutCase) {
    EXPECT_EQ(a_stricmp("Data", "dATA"), 0);
    EXPECT_LT(a_stricmp("abc", "ABD"), 0);
    EXPECT_LT(a_stricmp("ab", "ABC"), 0);
    EXPECT_LT(a_stricmp("_", "A"), 0); // letters fold to lower case, so "_" (0x5f) sorts before "a"
    std::map<std::string, int, StringLessNoCase> m;
    m["Button"] = 1;
    m["BUTTON"] = 2;
    EXPECT_EQ(m.size(), 1u);
    EXPECT_EQ(m.find("button")->second, 2);
}
