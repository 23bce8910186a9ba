#include "mirel/util/a_loadbudget.h"
#include "mirel/util/a_optionsfile.h"
#include "mirel/util/a_stringlist.h"

#include "mirel/file/a_fileserver.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// Files under the assign "fx:", in a scratch folder of their own.
struct OptionsTest : ::testing::Test {
    std::unique_ptr<aFileServer> server;
    std::string root;

    void SetUp() override {
        const char* tmp = std::getenv("MIREL_TEST_TMP");
        root = (fs::path(tmp ? tmp : "/tmp/mirel-test") / "options" /
                ::testing::UnitTest::GetInstance()->current_test_info()->name())
                   .string() +
               "/";
        fs::remove_all(root);
        fs::create_directories(root);
        aFileServerSources s;
        s.useSystem = false;
        s.exePath = root + "prog";
        server = std::make_unique<aFileServer>(s);
        server->setAssign("fx", root);
    }
    void file(const std::string& name, const std::string& text) {
        std::ofstream(root + name, std::ios::binary) << text;
    }
    aOptionsFile parse(const std::string& text) {
        file("main.ini", text);
        return aOptionsFile("fx:main.ini");
    }
};

std::vector<std::string> lines(const std::string& text) {
    aStringList list;
    list.parseBuffer(text.data(), text.size());
    std::vector<std::string> out;
    for (list.begin(); !list.isEnd(); list.next()) {
        out.push_back(list.current());
    }
    return out;
}

using Lines = std::vector<std::string>;

TEST(StringList, SplitsAtRunsOfLineBreaks) {
    struct Case {
        std::string text;
        Lines expected;
    } cases[] = {
        {"a\r\n\r\nb\n\nc", {"a", "b", "c"}},
        {"\r\n\r\nfirst\r\n", {"", "first"}},
        {"\n", {""}},
        {"", {}},
        {"  keep blanks  \rnext", {"  keep blanks  ", "next"}},
        {std::string("nul\0byte\n", 9), {std::string("nul\0byte", 8)}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lines(c.text), c.expected) << c.text;
    }
}

TEST(StringList, CursorSeekAndLongLines) {
    LogCapture log;
    aStringList list;
    const std::string longLine(1030, 'x');
    const std::string text = "zero\none\n" + longLine + "\n" + longLine;
    list.parseBuffer(text.data(), text.size());
    EXPECT_EQ(list.getCount(), 4u);
    EXPECT_EQ(list.current(), "zero");
    EXPECT_TRUE(list.seek(2));
    EXPECT_EQ(list.current(), longLine); // kept whole
    EXPECT_FALSE(list.seek(4));
    EXPECT_EQ(list.current(), longLine);
    list.next();
    list.next();
    EXPECT_TRUE(list.isEnd());
    list.next();
    EXPECT_TRUE(list.isEnd());
    // One line per long line, not one per extra character.
    EXPECT_EQ(log.count("aStringList. Long string"), 2u);
    EXPECT_EQ(log.lines.size(), 2u);

    // A line past the longest kept is cut there; the next line is whole.
    log.clear();
    const std::string huge(3 * aStringList::kMaxKeptLine, 'h');
    const std::string cut = "a\n" + huge + "\r\nnext";
    list.parseBuffer(cut.data(), cut.size());
    ASSERT_EQ(list.getCount(), 3u);
    ASSERT_TRUE(list.seek(1));
    EXPECT_EQ(list.current(), huge.substr(0, aStringList::kMaxKeptLine));
    list.next();
    EXPECT_EQ(list.current(), "next");
    EXPECT_EQ(log.lines,
              (Lines{"aStringList. Long string", "aStringList. Line 2 cut at 1048576 characters"}));
}

TEST_F(OptionsTest, KeyValueQuirks) {
    LogCapture log;
    aOptionsFile o = parse("orphan=1\n"
                           "[Main]\n"
                           "speed=5\n"
                           "name = Hall ; comment\n"
                           "double==value\n"
                           "empty =\n"
                           "word\n"
                           "#define = x\n"
                           "   ; indented comment\n"
                           "  [Indented]\n"
                           "a=1\n"
                           "\t[Tabbed]\n"
                           "[Main]\n"
                           "speed=9\n"
                           "[Unclosed\n"
                           "[Tail] ignored\n"
                           "list = a, b,,c  d\n"
                           "nums=1, -2,x3,4y\n");
    EXPECT_TRUE(log.has("aOptionsFile. Incorrect file: fx:main.ini"));
    EXPECT_EQ(log.lines.size(), 1u);

    EXPECT_EQ(o.getSectionName(), "Main");
    struct Case {
        const char* key;
        const char* value;
    } cases[] = {
        {"speed", "5"}, {"name", "Hall"}, {"double", "value"}, {"empty", ""}, {"word", ""}, {"#define", "x"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(o.hasKey(c.key)) << c.key;
        EXPECT_EQ(o.getString(c.key), c.value) << c.key;
    }
    EXPECT_EQ(o.getInt("speed"), 5);
    EXPECT_EQ(o.getInt("name"), 0);
    EXPECT_FALSE(o.hasKey("orphan"));

    EXPECT_TRUE(o.setSection("Indented"));
    EXPECT_EQ(o.getString("a"), "1");
    EXPECT_TRUE(o.setSection("Tabbed")); // a header indented with a tab is a header
    EXPECT_TRUE(o.setSection("Unclosed"));
    EXPECT_TRUE(o.setSection("Tail"));
    EXPECT_FALSE(o.setSection("main")); // names compare exactly
    EXPECT_EQ(o.getSectionName(), "Tail");
    EXPECT_EQ(o.getValue("Main", "speed"), "5"); // the first of two sections
    EXPECT_EQ(o.getSectionName(), "Tail");

    std::vector<std::string> tokens{"kept"};
    o.getStringList("Tail", "list", tokens);
    EXPECT_EQ(tokens, (Lines{"kept", "a", "b", "c", "d"}));
    std::vector<int> nums;
    o.getIntList("Tail", "nums", nums);
    EXPECT_EQ(nums, (std::vector<int>{1, -2, 0, 4}));
}

TEST_F(OptionsTest, BlanksAndTabsAroundKeysAndValuesAreTrimmed) {
    aOptionsFile o = parse("[Main]\n"
                           "\tindented = 1\n"
                           " \t mixed\t=\t2\n"
                           "aligned\t\t= 3\n"
                           "comment = four \t ; why\n"
                           "tail = five \t\n"
                           "inner = six and seven ;\n"
                           "\t; a comment indented with a tab\n"
                           "bare\t\n");
    struct Case {
        const char* key;
        const char* value;
    } cases[] = {{"indented", "1"},   {"mixed", "2"},   {"aligned", "3"},
                 {"comment", "four"}, {"tail", "five"}, {"inner", "six and seven"},
                 {"bare", ""}};
    EXPECT_EQ(o.getSectionName(), "Main");
    for (const Case& c : cases) {
        EXPECT_TRUE(o.hasKey(c.key)) << c.key;
        EXPECT_EQ(o.getValue("Main", c.key), c.value) << c.key;
    }
    size_t keys = 0;
    for (o.firstKey(); !o.isKeyEnd(); o.nextKey()) {
        ++keys;
    }
    EXPECT_EQ(keys, std::size(cases)); // the indented comment is no key
}

TEST_F(OptionsTest, MissingThingsLogAndGiveEmpty) {
    LogCapture log;
    aOptionsFile none("fx:absent.ini");
    EXPECT_TRUE(log.has("file_readFullAndMalloc. Error open file: fx:absent.ini"));
    EXPECT_EQ(none.getSectionName(), "");
    EXPECT_FALSE(none.setSection("x"));
    EXPECT_FALSE(none.hasKey("k"));
    EXPECT_FALSE(none.firstKey());
    EXPECT_FALSE(none.nextKey());
    EXPECT_TRUE(none.isKeyEnd());
    EXPECT_EQ(none.getKeyName(), "");
    EXPECT_EQ(none.getString("k"), "");
    EXPECT_TRUE(log.has("aOptionsFile. Error get key \"k\" from unspecified current section!"));

    aOptionsFile o = parse("[S]\nk=v\n");
    log.clear();
    EXPECT_EQ(o.getString("x%s"), "");
    EXPECT_EQ(o.getValue("S", "x%n"), "");
    EXPECT_EQ(o.getValue("T%s", "k"), "");
    EXPECT_EQ(log.lines,
              (Lines{"aOptionsFile. Cannot find key \"x%s\" in current section!",
                     "aOptionsFile. Cannot find key: [S].x%n", "aOptionsFile. Cannot find section: [T%s]"}));
}

TEST_F(OptionsTest, KeyCursor) {
    aOptionsFile o = parse("[A]\nx=1\nx=2\ny=3\n[B]\n");
    ASSERT_TRUE(o.setSection("A"));
    std::vector<std::string> seen;
    for (o.firstKey(); !o.isKeyEnd(); o.nextKey()) {
        seen.push_back(o.getKeyName() + "=" + o.getKeyValue());
    }
    EXPECT_EQ(seen, (Lines{"x=1", "x=2", "y=3"}));
    EXPECT_FALSE(o.nextKey());
    EXPECT_EQ(o.getKeyValue(), "");
    EXPECT_EQ(o.getString("x"), "1");
    ASSERT_TRUE(o.setSection("B"));
    EXPECT_TRUE(o.firstKey());
    EXPECT_TRUE(o.isKeyEnd());
}

TEST_F(OptionsTest, SectionNamesValuesAndCopies) {
    aOptionsFile o = parse("[A]\nx=1\n[B]\ny=2\nz=3\n[A]\nx=9\n");
    EXPECT_EQ(o.getSectionNames(), (Lines{"A", "B", "A"}));
    LogCapture log;
    ASSERT_NE(o.findValue("A", "x"), nullptr);
    EXPECT_EQ(*o.findValue("A", "x"), "1");
    EXPECT_EQ(o.findValue("B", "x"), nullptr);
    EXPECT_EQ(o.findValue("C", "x"), nullptr);
    EXPECT_TRUE(log.lines.empty());

    // A copy keeps its own cursors at the same places.
    ASSERT_TRUE(o.setSection("B"));
    o.firstKey();
    o.nextKey();
    aOptionsFile copy(o);
    o.setSection("A");
    EXPECT_EQ(copy.getSectionName(), "B");
    EXPECT_EQ(copy.getKeyName(), "z");
    copy.nextKey();
    EXPECT_TRUE(copy.isKeyEnd());
    EXPECT_EQ(o.getString("x"), "1");

    // Sections that share a name are reached by their place in the file.
    EXPECT_EQ(o.getSectionCount(), 3u);
    ASSERT_TRUE(o.selectSection(2));
    EXPECT_EQ(o.getSectionName(), "A");
    EXPECT_EQ(o.getString("x"), "9");
    EXPECT_EQ(o.getKeyName(), "x");
    EXPECT_FALSE(o.selectSection(3));
    EXPECT_EQ(o.getString("x"), "9"); // a failed selection keeps the current section
}

TEST_F(OptionsTest, Includes) {
    file("keys.ini", "inc=1\n");
    file("sections.ini", "[IncA]\na=1\n[IncB]\nb=2\n");
    LogCapture log;
    aOptionsFile o = parse("#include \"fx:sections.ini\"\n" // lets the following key line be stored
                           "early=1\n"
                           "[Main]\n"
                           "#include \"fx:keys.ini\"\n"
                           "after=2\n"
                           "#include \"fx:sections.ini\"\n"
                           "tail=3\n"
                           "#include\"fx:keys.ini\"\n" // a quote right after the word: empty name
                           "#include  \"fx:keys.ini\n" // no closing quote: the name runs to the end
                           "[Last]\n");
    EXPECT_TRUE(log.has("file_readFullAndMalloc. Error open file: "));
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(o.getSectionName(), "IncA");
    EXPECT_EQ(o.getValue("IncB", "early"), "1");
    ASSERT_TRUE(o.setSection("Main"));
    EXPECT_EQ(o.getString("inc"), "1");
    EXPECT_EQ(o.getString("after"), "2");
    log.clear();
    std::vector<std::string> keys;
    // After an include with sections, key lines go to its last section.
    aOptionsFile again = parse("[S]\n#include \"fx:sections.ini\"\ntail=3\n#include  \"fx:keys.ini\n");
    ASSERT_TRUE(again.setSection("IncB"));
    for (again.firstKey(); !again.isKeyEnd(); again.nextKey()) {
        keys.push_back(again.getKeyName());
    }
    EXPECT_EQ(keys, (Lines{"b", "tail", "inc"}));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(OptionsTest, IncludeCyclesAreNotFollowed) {
    file("self.ini", "[Self]\nk=1\n#include \"fx:self.ini\"\n");
    file("a.ini", "[A]\n#include \"fx:b.ini\"\n");
    file("b.ini", "[B]\n#include \"FX:a.ini\"\nb=1\n");
    LogCapture log;
    aOptionsFile self("fx:self.ini");
    EXPECT_TRUE(log.has("aOptionsFile. Include cycle, not followed: fx:self.ini"));
    EXPECT_EQ(self.getString("k"), "1");
    EXPECT_FALSE(self.setSection("x"));

    log.clear();
    aOptionsFile a("fx:a.ini");
    EXPECT_EQ(log.lines, (Lines{"aOptionsFile. Include cycle, not followed: FX:a.ini"}));
    EXPECT_EQ(a.getValue("B", "b"), "1");

    // Other spellings of the same file are the same file.
    log.clear();
    file("two.ini",
         "[Two]\n#include \"fx:./TWO.ini\"\n#include \"fx:sub/../two.ini\"\n#include \"fx://two.ini\"\n");
    aOptionsFile two("fx:two.ini");
    EXPECT_EQ(log.lines, (Lines{"aOptionsFile. Include cycle, not followed: fx:./TWO.ini",
                                "aOptionsFile. Include cycle, not followed: fx:sub/../two.ini",
                                "aOptionsFile. Include cycle, not followed: fx://two.ini"}));

    // The same file twice in a row is no cycle.
    log.clear();
    file("twice.ini", "[T]\n#include \"fx:keys.ini\"\n#include \"fx:keys.ini\"\n");
    file("keys.ini", "inc=1\n");
    aOptionsFile twice("fx:twice.ini");
    EXPECT_TRUE(log.lines.empty());
    EXPECT_TRUE(twice.firstKey());
    EXPECT_TRUE(twice.nextKey());
    EXPECT_TRUE(twice.nextKey());
    EXPECT_TRUE(twice.isKeyEnd());
}

TEST_F(OptionsTest, IncludesThatFanOutEndWithinTheLoadsBudget) {
    // Each file includes the next twice, twenty deep: a million files unbounded.
    for (int i = 0; i < 20; ++i) {
        const std::string next = "fx:fan" + std::to_string(i + 1) + ".ini";
        file("fan" + std::to_string(i) + ".ini", "#include \"" + next + "\"\n#include \"" + next + "\"\n");
    }
    file("fan20.ini", "[S]\nk=1\n");
    LogCapture log;
    aOptionsFile o("fx:fan0.ini");
    const size_t sections = o.getSectionNames().size();
    EXPECT_GT(sections, 0u);
    EXPECT_LT(sections, aLoadBudget::kMaxFiles);
    EXPECT_EQ(log.lines, (Lines{"aOptionsFile. Too many includes, not followed: fx:fan19.ini"}));
    EXPECT_EQ(o.getString("k"), "1");

    // The budget is the load's: loading again reads as much again.
    log.clear();
    o.load("fx:fan17.ini");
    EXPECT_EQ(o.getSectionNames().size(), 8u);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(OptionsTest, LargeFilesFindTheFirstOfEveryNameInFileOrder) {
    // Keys and sections in an order unlike their sorted one, duplicates far
    // apart: each look-up must still find the first of its name.
    std::string text;
    for (int s = 0; s < 3; ++s) {
        text += "[S" + std::to_string(2 - s) + "]\n";
        for (int k = 20000; k-- > 0;) {
            text += "k" + std::to_string(k) + " = " + std::to_string(s * 100000 + k) + "\n";
        }
        text += "k7 = late\n";
    }
    text += "[S1]\nk7 = other section\n";
    aOptionsFile o = parse(text);
    EXPECT_EQ(o.getSectionCount(), 4u);
    ASSERT_TRUE(o.setSection("S1"));
    EXPECT_EQ(o.getSectionName(), "S1");
    EXPECT_EQ(o.getString("k7"), "100007");
    EXPECT_TRUE(o.selectSection(3));
    EXPECT_EQ(o.getString("k7"), "other section");
    LogCapture log;
    for (int s = 0; s < 3; ++s) {
        const std::string section = "S" + std::to_string(2 - s);
        ASSERT_TRUE(o.setSection(section));
        for (int k = 0; k < 20000; k += 997) {
            const std::string key = "k" + std::to_string(k);
            const std::string value = std::to_string(s * 100000 + k);
            EXPECT_TRUE(o.hasKey(key));
            EXPECT_EQ(o.getString(key), value);
            EXPECT_EQ(o.getValue(section, key), value);
        }
        EXPECT_FALSE(o.hasKey("k20000"));
    }
    EXPECT_TRUE(log.lines.empty());
    // The key cursor still walks the file order.
    ASSERT_TRUE(o.setSection("S0"));
    ASSERT_TRUE(o.firstKey());
    EXPECT_EQ(o.getKeyName(), "k19999");
}

TEST_F(OptionsTest, WhatALoadKeepsIsBounded) {
    // A file of two-byte lines keeps some thirty times its size as keys; a
    // file including it a hundred times would keep gigabytes.
    std::string lines = "[Short]\n";
    for (int i = 0; i < 100000; ++i) {
        lines += "a\n";
    }
    file("short.ini", lines);
    std::string top;
    for (int i = 0; i < 100; ++i) {
        top += "#include \"fx:short.ini\"\n";
    }
    top += "[After]\nk=1\n";
    LogCapture log;
    aOptionsFile o = parse(top);
    EXPECT_EQ(log.lines, (Lines{"aOptionsFile. Too much data, the rest not kept: fx:short.ini"}));
    size_t keys = 0;
    for (size_t i = 0; o.selectSection(i); ++i) {
        for (o.firstKey(); !o.isKeyEnd(); o.nextKey()) {
            ++keys;
        }
    }
    EXPECT_GT(keys, 100000u);
    EXPECT_LT(keys, aLoadBudget::kMaxKept / 64);
    EXPECT_FALSE(o.setSection("After")); // nothing more is kept once the budget is spent
}

TEST_F(OptionsTest, LoadReplacesAndReadsArchives) {
    aOptionsFile o = parse("[Old]\nk=1\n");
    file("new.ini", "\r\n[New]\r\n\r\nk = 2\r\n");
    o.load("fx:new.ini");
    EXPECT_FALSE(o.setSection("Old"));
    EXPECT_EQ(o.getSectionName(), "New");
    EXPECT_EQ(o.getString("k"), "2");
}

} // namespace
