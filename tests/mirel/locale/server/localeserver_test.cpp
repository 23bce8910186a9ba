#include "support/log_capture.h"
#include "mirel/locale/a_localeserver.h"

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
