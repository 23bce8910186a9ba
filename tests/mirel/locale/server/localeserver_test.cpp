#include "mirel/locale/a_localeserver.h"
#include "support/log_capture.h"

#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class LocaleFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const char* root = std::getenv("MIREL_TEST_TMP");
        m_dir = std::filesystem::path(root ? root : "/tmp") / "locale";
        std::filesystem::create_directories(m_dir);
    }
    std::string write(const std::string& name, const std::string& text) {
        std::string path = (m_dir / name).string();
        EXPECT_TRUE(file_write(path, text.data(), text.size()));
        return path;
    }
    std::u16string text(const std::string& key) {
        const std::u16string* found = m_server.findString(key);
        return found ? *found : u"<missing>";
    }
    void parse(const std::string& content, const std::string& group = "") {
        m_server.parseBuffer("mem.txt", content.data(), content.size(), group);
    }
    std::filesystem::path m_dir;
    aLocaleServer m_server;
};

} // namespace

TEST_F(LocaleFiles, InlineTexts) {
    parse("\xEF\xBB\xBFtitle = \"Главное меню\"\r\n"
          "\r\n"
          "; a comment = \"no\"\n"
          "   ;indented comment\n"
          "two=\"first\\nsecond\"\n"
          "quoted\t\"He said \"stop\" twice\"\n"
          "empty \"\"\n"
          "broken = \"a\xFF"
          "b\"\n"
          "title2 = \"x\" trailing \"y\"\n");
    struct Case {
        const char* key;
        std::u16string expected;
    };
    const Case cases[] = {
        {"title", u"Главное меню"},
        {"two", u"first\nsecond"},
        {"quoted", u"He said \"stop\" twice"},
        {"empty", u""},
        {"broken", u"a\uFFFDb"},
        {"title2", u"x\" trailing \"y"},
        {"a", u"<missing>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text(c.key), c.expected) << c.key;
    }
}

TEST_F(LocaleFiles, MalformedLinesAreLoggedWithTheirLineNumber) {
    LogCapture log;
    parse("onlykey\n"
          "\n\n"
          "novalue = text\n"
          "half = \"open\n"
          "ok = \"fine\"\n");
    EXPECT_EQ(log.lines, (std::vector<std::string>{"aLocaleServer. Error in file mem.txt, line 1",
                                                   "aLocaleServer. Error in file mem.txt, line 2",
                                                   "aLocaleServer. Error in file mem.txt, line 3"}));
    EXPECT_EQ(text("ok"), u"fine");
}

TEST_F(LocaleFiles, FileReferencesTakeTheWholeFile) {
    std::string story = write("story.txt", "\xEF\xBB\xBFLine one\r\nLine \\n two\r\n");
    std::string strings = write("strings.txt", "story = file,\"" + story + "\"\nmissing = file, \"" +
                                                   (m_dir / "none.txt").string() + "\"\n");
    LogCapture log;
    m_server.loadFile(strings);
    EXPECT_EQ(text("story"), u"Line one\nLine \\n two\n");
    EXPECT_EQ(text("missing"), u"");
    EXPECT_EQ(log.lines.size(), 1u); // the failed read of none.txt
}

TEST_F(LocaleFiles, FileReferencesAreBoundedPerFile) {
    // Every line names the same 1 MB text: one file's references read at most
    // kMaxReferencedText.
    const std::string big = write("big.txt", std::string(1 << 20, 'b'));
    std::string content;
    for (int i = 0; i < 200; ++i)
        content += "k" + std::to_string(i) + " = file,\"" + big + "\"\n";
    LogCapture log;
    parse(content);
    const size_t read = aLocaleServer::kMaxReferencedText >> 20; // the lines whose text was read
    EXPECT_EQ(text("k0").size(), size_t(1) << 20);
    EXPECT_EQ(text("k" + std::to_string(read - 1)).size(), size_t(1) << 20);
    EXPECT_EQ(text("k" + std::to_string(read)), u"<missing>");
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"aLocaleServer. Too much text referenced in file mem.txt, line " +
                                        std::to_string(read + 1) + " and later references not read"}));
    // The bound is per file: another file reads its references again.
    parse("again = file,\"" + big + "\"\n");
    EXPECT_EQ(text("again").size(), size_t(1) << 20);
}

TEST_F(LocaleFiles, TextsAreBoundedPerFile) {
    // Short lines cost many times their size as texts: one file gives at most
    // kMaxEntries of them, malformed lines not counted.
    const size_t limit = aLocaleServer::kMaxEntries;
    std::string content = "bad line\n";
    for (size_t i = 0; i < limit + 10; ++i)
        content += "k" + std::to_string(i) + "=\"" + std::to_string(i % 10) + "\"\n";
    LogCapture log;
    parse(content);
    EXPECT_EQ(text("k0"), u"0");
    EXPECT_EQ(text("k" + std::to_string(limit - 1)), u"9");
    EXPECT_EQ(text("k" + std::to_string(limit)), u"<missing>");
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"aLocaleServer. Error in file mem.txt, line 1",
                                        "aLocaleServer. Too many texts in file mem.txt, line " +
                                            std::to_string(limit + 2) + " and later lines not read"}));
    // The bound is per file.
    parse("again = \"yes\"\n");
    EXPECT_EQ(text("again"), u"yes");
}

TEST_F(LocaleFiles, FilesLoadOnceAndLaterFilesWin) {
    std::string first = write("first.txt", "greet = \"hello\"\nonly = \"one\"\n");
    std::string second = write("second.txt", "greet = \"hi\"\n");
    m_server.loadFile(first);
    m_server.loadFile(second);
    EXPECT_EQ(text("greet"), u"hi");
    write("first.txt", "greet = \"changed\"\n");
    m_server.loadFile(first); // already loaded: not read again
    EXPECT_EQ(text("greet"), u"hi");
    EXPECT_EQ(text("only"), u"one");
    std::string room = write("room.txt", "title = \"Attic\"\n");
    m_server.loadFile(room, "attic.");
    EXPECT_EQ(text("attic.title"), u"Attic");
    EXPECT_EQ(text("title"), u"<missing>");
}

TEST_F(LocaleFiles, LookUps) {
    parse("k = \"v\"\n");
    LogCapture log;
    EXPECT_EQ(m_server.getString("k"), u"v");
    EXPECT_EQ(m_server.getString("K"), u"");
    EXPECT_EQ(m_server.findString("nothing"), nullptr);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"aLocaleServer. String [K] not found"}));
    EXPECT_EQ(aLocaleServer::getInstance(), &m_server);
}

TEST(LocaleServer, OneInstanceIsPublished) {
    LogCapture log;
    auto* first = new aLocaleServer;
    EXPECT_EQ(aLocaleServer::getInstance(), first);
    {
        aLocaleServer second;
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_EQ(log.lines[0].rfind("aLocaleServer: Singleton==0 (a_localeserver.cpp, line ", 0), 0u)
            << log.lines[0];
        delete first; // the replaced server leaves the live one published
        EXPECT_EQ(aLocaleServer::getInstance(), &second);
    }
    EXPECT_EQ(aLocaleServer::getInstance(), nullptr);
}

TEST(LocaleServer, HostileInputSurvives) {
    aLocaleServer server;
    std::string binary;
    for (int i = 0; i < 8192; ++i) {
        binary += static_cast<char>((i * 167 + 13) & 0xFF);
    }
    server.parseBuffer("bin", binary.data(), binary.size());
    std::string huge = "big = \"" + std::string(200000, 'x') + "\"\n";
    server.parseBuffer("huge", huge.data(), huge.size());
    EXPECT_EQ(server.getString("big").size(), 200000u);
    server.parseBuffer("null", nullptr, 10);
}
