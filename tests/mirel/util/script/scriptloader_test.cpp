#include "support/log_capture.h"
#include "recording_loader.h"

#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;


// The calls for a script given in memory, without the parse-begin and parse-end calls.
Calls run(const std::string& text, std::string skip = "") {
    RecordingLoader loader;
    loader.skip = std::move(skip);
    loader.loadBuffer("mem", text.data(), text.size());
    Calls calls(loader.calls.begin() + 1, loader.calls.end() - 1);
    return calls;
}

class ScriptFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const char* root = std::getenv("MIREL_TEST_TMP");
        m_dir = std::filesystem::path(root ? root : "/tmp") / "script";
        std::filesystem::create_directories(m_dir);
    }
    std::string write(const std::string& name, const std::string& text) {
        std::string path = (m_dir / name).string();
        EXPECT_TRUE(file_write(path, text.data(), text.size()));
        return path;
    }
    std::filesystem::path m_dir;
};

} // namespace

TEST(ScriptLoader, BlocksHeadersAndLines) {
    EXPECT_EQ(
        run("Window main \"Main menu\"\n"
            "{\n"
            "  Pos 0 0\n"
            "\tButton ok\n"
            "  {\n"
            "    Text \"O K\"\n"
            "  }\n"
            "  Size 10 20  \n"
            "}\n"
            "trailing line\n"),
        (Calls{"begin - [Window][main][Main menu]", "line Window [Pos][0][0]", "begin Window [Button][ok]",
               "line Button [Text][O K]", "end Button", "line Window [Size][10][20]", "end Window"}));
    // a line with a brace and other text is an ordinary line; a top-level line
    // not followed by '{' causes no call
    EXPECT_EQ(run("a\nb {\n{\nx }\n}\n"), (Calls{"begin - [b][{]", "line b [x][}]", "end b"}));
}

TEST(ScriptLoader, Tokens) {
    struct Case {
        const char* line;
        const char* tokens;
    };
    const Case cases[] = {
        {"a \"b c\" d", "[a][b c][d]"}, {"\"x\" \"y\"", "[x][y]"}, {"\"\" z", "[][z]"},
        {"a\"b c", "[a\"b][c]"},        {"\"a\"b", "[a][b]"},      {"k \"open and never closed", "[k]"},
        {"a\t\tb", "[a][b]"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(std::string("h\n{\n") + c.line + "\n}\n"),
                  (Calls{"begin - [h]", std::string("line h ") + c.tokens, "end h"}))
            << c.line;
    }
}

TEST(ScriptLoader, SkippedBlocksAreSilentAndBalanced) {
    EXPECT_EQ(run("Skip\n{\n  inner\n  {\n    deep\n  }\n  line\n}\nNext\n{\n  x\n}\n", "Skip"),
              (Calls{"begin - [Skip]", "begin - [Next]", "line Next [x]", "end Next"}));
}

TEST(ScriptLoader, Macros) {
    EXPECT_EQ(run("#define W \"640\"\n"
                  "#define Q \"say \"hi\" now\"\n"
                  "#define  W2 \"$W$x2\"\n"
                  "h\n{\n"
                  "size $W$ $H$ $$W$ $W$$W$\n"
                  "q $Q$\n"
                  "w $W2$\n"
                  "}\n"),
              (Calls{"begin - [h]", "line h [size][640][$H$][$640][640640]", "line h [q][say][hi][now]",
                     "line h [w][640x2]", "end h"}));
    // a #define without its quotes is an error but leaves the name defined (empty)
    LogCapture log;
    EXPECT_EQ(run("#define E novalue\nh\n{\nv[$E$]\n}\n"), (Calls{"begin - [h]", "line h [v[]]", "end h"}));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Error in script \"mem\", line 1"}));
}

TEST(ScriptLoader, ErrorLinesAreLoggedAndSkipped) {
    LogCapture log;
    EXPECT_EQ(run("{\n"             // 1: no header
                  "}\n"             // 2: no open block
                  "\n\n"            // blank lines are not counted
                  "#define\n"       // 3
                  "#define X\n"     // 4: nothing after the name
                  "#define Y \"a\n" // 5: one quote
                  "#include\n"      // 6
                  "#include \"x\n"  // 7
                  "h\n{\nok\n}\n"),
              (Calls{"begin - [h]", "line h [ok]", "end h"}));
    std::vector<std::string> expected;
    for (int line : {1, 2, 3, 4, 5, 6, 7}) {
        expected.push_back("Error in script \"mem\", line " + std::to_string(line));
    }
    EXPECT_EQ(log.lines, expected);
}

TEST_F(ScriptFiles, IncludesContinueTheIncludingFile) {
    std::string inc = write("inc.agui", "#define C \"red\"\nInner $C$\n{\n  v 1\n}\nHeader from include\n");
    std::string top = write("top.agui", "#include \"" + inc + "\"\n{\n  colour $C$\n}\n");
    RecordingLoader loader;
    loader.load(top);
    EXPECT_EQ(loader.calls, (Calls{"parse-begin " + top, "begin - [Inner][red]", "line Inner [v][1]",
                                   "end Inner", "begin - [Header][from][include]",
                                   "line Header [colour][red]", "end Header", "parse-end " + top}));
}

TEST_F(ScriptFiles, IncludeCyclesAreLoggedNotFollowed) {
    std::string self = write("self.agui", "#include \"" + (m_dir / "self.agui").string() + "\"\nA\n{\n}\n");
    std::string a = (m_dir / "a.agui").string();
    std::string b = write("b.agui", "#include \"" + a + "\"\nB\n{\n}\n");
    write("a.agui", "#include \"" + b + "\"\nA\n{\n}\n");
    {
        LogCapture log;
        RecordingLoader loader;
        loader.load(self);
        EXPECT_EQ(loader.calls, (Calls{"parse-begin " + self, "begin - [A]", "end A", "parse-end " + self}));
        EXPECT_EQ(log.lines, (std::vector<std::string>{"aScriptLoader::parseFile - include cycle '" + self +
                                                       "' in \"" + self + "\", line 1"}));
    }
    {
        LogCapture log;
        RecordingLoader loader;
        loader.load(a);
        EXPECT_EQ(loader.calls, (Calls{"parse-begin " + a, "begin - [B]", "end B", "begin - [A]", "end A",
                                       "parse-end " + a}));
        EXPECT_EQ(log.lines.size(), 1u);
    }
}

TEST_F(ScriptFiles, MissingFileStillBeginsAndEnds) {
    LogCapture log;
    RecordingLoader loader;
    std::string missing = (m_dir / "missing.agui").string();
    loader.load(missing);
    EXPECT_EQ(loader.calls, (Calls{"parse-begin " + missing, "parse-end " + missing}));
    EXPECT_EQ(log.lines.size(), 1u);
}

TEST(ScriptLoader, EachLoadStartsClean) {
    RecordingLoader loader;
    std::string first = "#define M \"1\"\nOpen\n{\nx\n";
    loader.loadBuffer("one", first.data(), first.size());
    std::string second = "h\n{\nv $M$\n}\n}\n";
    LogCapture log;
    loader.calls.clear();
    loader.loadBuffer("two", second.data(), second.size());
    EXPECT_EQ(loader.calls,
              (Calls{"parse-begin two", "begin - [h]", "line h [v][$M$]", "end h", "parse-end two"}));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Error in script \"two\", line 5"}));
}

TEST(ScriptLoader, HostileInputSurvives) {
    // macros that double on every line stop at the line limit
    std::string doubling = "#define A \"xx\"\n";
    for (int i = 0; i < 40; ++i) {
        doubling += "#define A \"$A$$A$\"\n";
    }
    doubling += "h\n{\nv $A$\n}\n";
    LogCapture log;
    Calls calls = run(doubling);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_LE(calls[1].size(), aScriptLoader::kMaxLine + 16);
    EXPECT_FALSE(log.lines.empty());
    // binary bytes and deep nesting
    std::string binary;
    for (int i = 0; i < 4096; ++i) {
        binary += static_cast<char>((i * 131) & 0xFF);
    }
    run(binary);
    run(std::string(100000, '{') + "\n" + std::string(100000, '}'));
    std::string deep;
    for (int i = 0; i < 10000; ++i)
        deep += "h\n{\n";
    EXPECT_EQ(run(deep).size(), 10000u);
}
