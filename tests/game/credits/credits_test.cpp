// The credits roll: letter tiles, the heap, the lines of a screen, and the
// roll through its screens with tiles reused between them, as drawn.

#include "game/credits/credits_roll.h"

#include "support/log_capture.h"
#include "support/screen_bench.h"

#include "mirel/gui/gui_server.h"
#include "mirel/locale/a_localeserver.h"

#include <cmath>
#include <functional>
#include <map>
#include <set>

using namespace screentest;

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kDt = 0.05f;
constexpr uint32_t kBackground = 0xFF404040u;
constexpr uint32_t kShadow = 0xFF101010u;

// The colour of tile cell k of the sheet.
uint32_t CellColor(int k) {
    return 0xFF000000u | uint32_t(0x80 + k * 8) << 16 | uint32_t(0xC0 - k * 4) << 8 | 0x60u;
}

// A sheet of `columns` x `rows` cells of 27 x 28, each a solid colour.
content::Picture Sheet(uint32_t columns, uint32_t rows) {
    content::Picture p(columns * 27, rows * 28, 0xFFFFFFFFu);
    for (uint32_t y = 0; y < p.height; ++y)
        for (uint32_t x = 0; x < p.width; ++x)
            p.at(x, y) = CellColor(int((y / 28) * columns + x / 27));
    return p;
}

std::string Global(const std::string& overrides = "") {
    std::map<std::string, std::string> keys = {
        {"CenterTitleCoord", "512 100"},
        {"CenterTextCoord", "512 350"},
        {"HeapRect", "200 600 600 120"},
        {"LineSpacingAfterSpeciality", "20"},
        {"LineSpacing", "6"},
        {"IntervalMoveLetterFromHeap", "0.05"},
        {"IntervalMoveLetterToHeap", "0.05"},
        {"SpeedMoveLetterFromHeap", "2000"},
        {"SpeedMoveLetterToHeap", "2000"},
        {"TimeReposLetter", "0.4"},
        {"PauseTime", "0.5"},
        {"LightAlpha", "0 0"},
        {"LightSpeed", "0.1 0.2"},
        {"LightDelay", "0 0"},
    };
    std::string text = "[Global]\n";
    for (size_t pos = 0; pos < overrides.size();) {
        const size_t end = overrides.find('\n', pos);
        const std::string line = overrides.substr(pos, end - pos);
        const size_t eq = line.find('=');
        keys[line.substr(0, eq)] = line.substr(eq + 1);
        pos = end == std::string::npos ? overrides.size() : end + 1;
    }
    for (const auto& [k, v] : keys)
        text += k + " = " + v + "\n";
    return text;
}

// The text of a line as its shown slots read ('?' for a slot not shown).
std::u16string Reads(const CCreditsLine& line) {
    std::u16string s;
    for (const auto& slot : line.GetSlots())
        s += slot.visible ? slot.letter.GetSymbol() : u'?';
    return s;
}

class CreditsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The font: every capital a 10 x 10 glyph of a white atlas.
        b.Png("data/fonts/credits.png", content::Picture(16, 16, 0xFFFFFFFFu));
        std::string font = "[General]\nFormat16 = 4444\nFormat32 = 8888\nTexture = credits.png\nCharSpacing "
                           "= 0\n[Charlist]\n";
        for (char c = 'A'; c <= 'Z'; ++c) {
            char line[32];
            std::snprintf(line, sizeof line, "%X = 0 0 10 10 0 0\n", unsigned(c));
            font += line;
        }
        b.h.LoadScript("fontlist\n{\n CreditsFont " + b.Write("data/fonts/credits.fnt", font) + "\n}\n");
        Pictures(Sheet(4, 4));
    }
    void Pictures(const content::Picture& tiles, const std::string& name = "credits") {
        group = name;
        b.LoadGroup(group, {{"background", content::Picture(8, 6, kBackground)},
                            {"light", content::Picture(16, 12, 0xFF808080u)},
                            {"tiles", tiles},
                            {"tile_shadow", content::Picture(25, 26, kShadow)}});
    }
    // The credits file with its texts: each screen a list of lines, the
    // first the title, then "S:" speciality lines and name lines.
    CreditsRoll& Make(const std::vector<std::vector<std::string>>& screens,
                      const std::string& overrides = "") {
        std::string file = Global(overrides), texts;
        int n = 0;
        for (size_t s = 0; s < screens.size(); ++s) {
            file += "[Screen" + std::to_string(s + 1) + "]\n";
            for (size_t i = 0; i < screens[s].size(); ++i) {
                std::string line = screens[s][i];
                const std::string key = "cr." + std::to_string(n++);
                if (i == 0)
                    file += "Title = " + key + "\n";
                else if (line.rfind("S:", 0) == 0) {
                    file += "Speciality = " + key + "\n";
                    line = line.substr(2);
                } else
                    file += "Text = " + key + "\n";
                texts += key + " = \"" + line + "\"\n";
            }
        }
        file += "[Other]\nTitle = cr.0\n";
        locale = std::make_unique<aLocaleServer>();
        locale->parseBuffer("credits.txt", texts.data(), texts.size());
        b.Write("data/credits.ini", file);
        roll = std::make_unique<CreditsRoll>(locale.get());
        roll->Load(b.h.images.get(), group, "data:credits.ini");
        return *roll;
    }
    // Steps the roll until the condition holds (false after `seconds`); `each`
    // runs after every step.
    bool RunUntil(const std::function<bool()>& done, float seconds = 30.0f,
                  const std::function<void()>& each = nullptr) {
        for (float t = 0.0f; t < seconds; t += kDt) {
            roll->Update(kDt);
            if (each)
                each();
            if (done())
                return true;
        }
        return false;
    }
    bool Paused() const { return roll->GetRollState() == CreditsRoll::PAUSE; }
    // Variant by character of the shown tiles of all current lines.
    std::multiset<std::pair<char16_t, int>> Tiles() const {
        std::multiset<std::pair<char16_t, int>> out;
        for (const auto& line : roll->GetLines())
            for (const auto& slot : line->GetSlots())
                out.insert({slot.letter.GetSymbol(), slot.letter.GetVariant()});
        return out;
    }

    ScreenBench b;
    std::string group;
    std::unique_ptr<aLocaleServer> locale;
    std::unique_ptr<CreditsRoll> roll;
};

TEST(CreditsLetter, PlacedMovingArriving) {
    CLetter t(u'A', 3);
    t.Place(10, 20, 0.5f);
    EXPECT_EQ(t.GetAngle(), 0.5f);
    EXPECT_EQ(t.Update(0.1f), CLetter::AT_REST);
    t.MoveTo(110, 20, 0.0f);
    EXPECT_EQ(t.GetLength(), 100.0);
    EXPECT_EQ(t.GetState(), CLetter::MOVING);
    t.SetSpeed(100);
    EXPECT_EQ(t.Update(0.5f), CLetter::MOVING);
    float x, y;
    t.GetPosition(x, y);
    EXPECT_NEAR(x, 60.0f, 1e-3);
    EXPECT_EQ(t.GetAngle(), 0.5f); // the angle stays while flying
    EXPECT_EQ(t.Update(0.6f), CLetter::ARRIVED);
    EXPECT_EQ(t.GetAngle(), 0.0f);
    t.GetPosition(x, y);
    EXPECT_EQ(x, 110.0f);
    EXPECT_EQ(t.Update(0.1f), CLetter::AT_REST);
    // A new flight starts from where it was sent, even when called mid-flight.
    t.MoveTo(110, 120, 1.0f);
    t.Update(0.2f);
    t.MoveTo(0, 120, 0.0f);
    EXPECT_EQ(t.GetLength(), 110.0);
    t.SetSpeed(0);
    EXPECT_EQ(t.GetSpeed(), 1); // a tile always arrives
}

TEST(CreditsHeap, PointsInTheEllipseAndTheMostRecentTileFirst) {
    a_srand(3);
    CLetterHeap heap;
    heap.SetRect(100, 200, 300, 60);
    for (int i = 0; i < 400; ++i)
        heap.Add(CLetter(char16_t(u'A' + i % 3), uint8_t(i % 16)), false);
    for (const CLetter& t : heap.GetTiles()) {
        int32_t x, y;
        t.GetDestination(x, y);
        const double ex = (x - 250) / 150.0, ey = (y - 230) / 30.0;
        EXPECT_LE(ex * ex + ey * ey, 1.1) << x << " " << y;
        EXPECT_GE(t.GetAngle(), -kPi / 3.0f - 1e-5f);
        EXPECT_LE(t.GetAngle(), kPi / 3.0f + 1e-5f);
        EXPECT_EQ(t.GetState(), CLetter::AT_REST);
    }
    EXPECT_TRUE(heap.IsSettled());
    EXPECT_EQ(heap.CountOf(u'B'), 133u);

    // Take gives the last one added and removes it; nothing for a stranger.
    heap.Add(CLetter(u'B', 9), true);
    EXPECT_FALSE(heap.IsSettled());
    const std::optional<CLetter> taken = heap.Take(u'B');
    ASSERT_TRUE(taken.has_value());
    EXPECT_EQ(taken->GetVariant(), 9);
    EXPECT_EQ(heap.CountOf(u'B'), 133u);
    EXPECT_TRUE(heap.IsSettled());
    EXPECT_FALSE(heap.Take(u'Z').has_value());
    EXPECT_EQ(heap.GetCount(), 400u);

    // Heaps under 2 pixels across put every tile in their middle.
    for (auto [w, h] : {std::pair<uint16_t, uint16_t>{1, 50}, {50, 1}, {0, 0}, {1, 1}}) {
        CLetterHeap thin;
        thin.SetRect(10, 20, w, h);
        thin.Add(CLetter(u'A'), false);
        int32_t x, y;
        thin.GetTiles()[0].GetDestination(x, y);
        EXPECT_EQ(x, 10 + w / 2);
        EXPECT_EQ(y, 20 + h / 2);
    }
}

TEST(CreditsLineLayout, SlotsBlanksAndJitter) {
    CLetterHeap heap;
    CCreditsLine::Lines none;
    CCreditsLine line;
    line.Init(&heap, u"AB C", none, 500, 100, false);
    // 3 x 26 + 13 = 91 wide: from 500 - 45.
    std::vector<int32_t> xs;
    for (const auto& slot : line.GetSlots()) {
        int32_t x, y;
        slot.letter.GetDestination(x, y);
        xs.push_back(x);
        EXPECT_EQ(y, 100);
        EXPECT_FALSE(slot.visible);
        EXPECT_LT(slot.letter.GetVariant(), 16);
    }
    EXPECT_EQ(xs, (std::vector<int32_t>{455, 481, 520}));

    std::set<int32_t> dx, dy;
    for (int i = 0; i < 20; ++i) {
        CCreditsLine j;
        j.Init(&heap, u"A", none, 500, 100, true);
        int32_t x, y;
        j.GetSlots().front().letter.GetDestination(x, y);
        dx.insert(x - 487);
        dy.insert(y - 100);
    }
    EXPECT_EQ(dx, (std::set<int32_t>{-1, 0}));
    EXPECT_EQ(dy, (std::set<int32_t>{-1, 0}));
}

// A line that needs more of a character than the heap holds still shows
// every slot, and says so once for the fill.
TEST(CreditsLineLayout, ShortHeapShowsTheLineAndLogsOnce) {
    CLetterHeap heap;
    heap.SetRect(0, 600, 200, 100);
    heap.Add(CLetter(u'A', 5), false);
    CCreditsLine::Lines none;
    CCreditsLine line;
    line.Init(&heap, u"AAA", none, 500, 100, false);
    line.StartGetLettersFromHeap(1000, 0.0f);
    LogCapture log;
    for (int i = 0; i < 100 && line.GetState() != CCreditsLine::DONE; ++i)
        line.Update(kDt);
    EXPECT_EQ(line.GetState(), CCreditsLine::DONE);
    EXPECT_EQ(heap.GetCount(), 0u);
    for (const auto& slot : line.GetSlots())
        EXPECT_TRUE(slot.visible);
    EXPECT_EQ(line.GetSlots().front().letter.GetVariant(), 5); // the heap's tile came first
    size_t logged = 0;
    for (const std::string& l : log.lines)
        logged += l.find("isNotSymbolInHeap") != std::string::npos;
    EXPECT_EQ(logged, 1u);
    // Sent back, every shown tile joins the heap; with the count-down
    // standing at exactly 0 (an interval of 0) all go at once.
    line.StartReturnToHeap(1000, 0.0f);
    EXPECT_EQ(line.GetState(), CCreditsLine::DONE);
    EXPECT_TRUE(line.GetSlots().empty());
    EXPECT_EQ(heap.GetCount(), 3u);
    EXPECT_FALSE(heap.IsSettled());
}

TEST(CreditsLineLayout, TilesOfThePreviousLineArriveAfterHalfTheTime) {
    CLetterHeap heap;
    heap.SetRect(0, 600, 200, 100);
    heap.Add(CLetter(u'A', 7), false);
    heap.Add(CLetter(u'B', 8), false);
    CCreditsLine::Lines previous;
    previous.push_back(std::make_unique<CCreditsLine>());
    CCreditsLine::Lines none;
    previous[0]->Init(&heap, u"AB", none, 100, 100, false);
    previous[0]->StartGetLettersFromHeap(100000, 0.0f);
    for (int i = 0; i < 20; ++i)
        previous[0]->Update(kDt);
    ASSERT_EQ(previous[0]->GetState(), CCreditsLine::DONE);

    CCreditsLine next;
    next.Init(&heap, u"CA", previous, 700, 400, false);
    EXPECT_EQ(Reads(*previous[0]), u"B"); // the A went over
    ASSERT_EQ(next.GetIncoming().size(), 1u);
    EXPECT_EQ(next.GetSlots().back().fromPreviousLine, true);
    next.StartGetLettersFromPrevLines(1.0f);
    EXPECT_TRUE(next.GetIncoming().empty());
    const CLetter& a = next.GetSlots().back().letter;
    EXPECT_EQ(a.GetVariant(), 7);
    EXPECT_EQ(next.Update(0.45f), CCreditsLine::PLACING);
    EXPECT_EQ(a.GetState(), CLetter::MOVING);
    next.Update(0.06f);
    EXPECT_EQ(a.GetState(), CLetter::ARRIVED);
    EXPECT_EQ(next.Update(0.01f), CCreditsLine::DONE);
}

TEST_F(CreditsTest, ReadsTheFile) {
    CreditsRoll& r = Make({{"TAR", "S:CODE", "S:ART", "ANNA", "BO"}, {"SOUND"}});
    const CreditsRoll::Settings& s = r.GetSettings();
    EXPECT_EQ(s.titleX, 512);
    EXPECT_EQ(s.textY, 350);
    EXPECT_EQ(s.heapW, 600);
    EXPECT_EQ(s.speedToHeap, 2000);
    EXPECT_FLOAT_EQ(s.pauseTime, 0.5f);
    EXPECT_FLOAT_EQ(s.lightSpeed[1], 0.2f);
    ASSERT_EQ(r.GetScreens().size(), 2u); // [Other] is no screen
    EXPECT_EQ(r.GetScreens()[0].title, u"TAR");
    EXPECT_EQ(r.GetScreens()[0].specialities, (std::vector<std::u16string>{u"CODE", u"ART"}));
    EXPECT_EQ(r.GetScreens()[0].names, (std::vector<std::u16string>{u"ANNA", u"BO"}));

    // The lines of screen 0: the title centred on its point, the block of
    // two speciality lines and two name lines centred on the other.
    const auto& lines = r.GetLines();
    ASSERT_EQ(lines.size(), 5u);
    auto top = [](const CCreditsLine& l) {
        int32_t x, y;
        l.GetSlots().front().letter.GetDestination(x, y);
        return y;
    };
    EXPECT_EQ(top(*lines[0]), 100 - 14);
    // H = 28 + 6 + 28 (specialities) + 6 + 20 + 2 x 28 = 144: from 350 - 72.
    EXPECT_NEAR(top(*lines[1]), 278, 1);
    EXPECT_NEAR(top(*lines[2]), 278 + 34, 1);
    EXPECT_NEAR(top(*lines[3]), 278 + 34 + 34 + 14, 1);
    EXPECT_NEAR(top(*lines[4]), 278 + 34 + 34 + 14 + 34, 1);
}

TEST_F(CreditsTest, HeapHoldsTheMostAnyScreenNeeds) {
    CreditsRoll& r = Make({{"ABA", "A B"}, {"AC"}, {"A", "C", "C D"}});
    EXPECT_EQ(r.GetHeap().CountOf(u'A'), 3u); // three on screen 1, once elsewhere
    EXPECT_EQ(r.GetHeap().CountOf(u'B'), 2u);
    EXPECT_EQ(r.GetHeap().CountOf(u'C'), 2u);
    EXPECT_EQ(r.GetHeap().CountOf(u'D'), 1u);
    EXPECT_EQ(r.GetHeap().CountOf(u' '), 0u);
    EXPECT_EQ(r.GetHeap().GetCount(), 8u);
}

TEST_F(CreditsTest, LongLinesFullScreensAndLargeHeapsAreBounded) {
    // A line far wider than the screen is cut; one log line however many.
    LogCapture log;
    const std::string wide(500, 'A');
    CreditsRoll& cut = Make({{wide, wide}, {wide}});
    EXPECT_EQ(cut.GetScreens()[0].title.size(), CreditsRoll::kMaxLineLength);
    EXPECT_EQ(cut.GetScreens()[1].title.size(), CreditsRoll::kMaxLineLength);
    EXPECT_EQ(cut.GetHeap().CountOf(u'A'), 2 * CreditsRoll::kMaxLineLength);
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"CreditsRoll::Load - a line of [Screen1] cut at 100 characters"}));

    // A screen keeps its first lines, title included.
    roll.reset();
    locale.reset(); // one locale server at a time
    log.clear();
    CreditsRoll& full = Make({std::vector<std::string>(100, "B")});
    EXPECT_EQ(1 + full.GetScreens()[0].names.size(), CreditsRoll::kMaxLinesPerScreen);
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "CreditsRoll::Load - more than 32 lines in [Screen1], the rest not shown"}));

    // Two full screens of different letters need more tiles than the heap holds.
    roll.reset();
    locale.reset();
    log.clear();
    const std::string a(CreditsRoll::kMaxLineLength, 'A'), b(CreditsRoll::kMaxLineLength, 'B');
    CreditsRoll& many = Make({std::vector<std::string>(CreditsRoll::kMaxLinesPerScreen, a),
                              std::vector<std::string>(CreditsRoll::kMaxLinesPerScreen, b)});
    EXPECT_EQ(many.GetHeap().GetCount(), CreditsRoll::kMaxTiles);
    EXPECT_EQ(many.GetHeap().CountOf(u'A'), CreditsRoll::kMaxLinesPerScreen * CreditsRoll::kMaxLineLength);
    EXPECT_EQ(log.count("CreditsRoll::Start - more than 4096 letter tiles needed, the rest left out"), 1u);
    many.Update(kDt);
}

// AB then BA: the tiles of the first screen fly straight into the second;
// nothing goes back to the heap, which holds one A and one B.
TEST_F(CreditsTest, SharedTilesGoStraightToTheNextScreen) {
    CreditsRoll& r = Make({{"AB"}, {"BA"}});
    EXPECT_EQ(r.GetHeap().GetCount(), 2u);
    ASSERT_TRUE(RunUntil([&] { return Paused(); }));
    EXPECT_EQ(Reads(*r.GetLines()[0]), u"AB");
    EXPECT_EQ(r.GetHeap().GetCount(), 0u);
    const auto tiles = Tiles();
    size_t most = 0;
    ASSERT_TRUE(RunUntil([&] { return Paused() && r.GetScreenIndex() == 1; }, 30.0f,
                         [&] { most = std::max(most, r.GetHeap().GetCount()); }));
    EXPECT_EQ(most, 0u);
    EXPECT_EQ(Reads(*r.GetLines()[0]), u"BA");
    EXPECT_EQ(Tiles(), tiles); // the very same tiles
}

// Screens in order, the shared tiles reused, the others through the heap;
// after the last screen the first comes again; Start begins anew.
TEST_F(CreditsTest, ScreensInOrderForEver) {
    CreditsRoll& r = Make({{"ABC", "XY"}, {"CAD"}, {"BE"}});
    std::vector<size_t> order;
    std::vector<std::u16string> titles;
    std::vector<size_t> heapAfter;
    bool wasPaused = false;
    RunUntil([&] { return order.size() == 5; }, 60.0f,
             [&] {
                 if (Paused() && !wasPaused) {
                     order.push_back(r.GetScreenIndex());
                     titles.push_back(Reads(*r.GetLines()[0]));
                     heapAfter.push_back(r.GetHeap().GetCount());
                 }
                 wasPaused = Paused();
             });
    EXPECT_EQ(order, (std::vector<size_t>{0, 1, 2, 0, 1}));
    EXPECT_EQ(titles, (std::vector<std::u16string>{u"ABC", u"CAD", u"BE", u"ABC", u"CAD"}));
    // Tiles: A B C D E X Y, one each; each screen shows its own and the
    // heap holds the rest.
    EXPECT_EQ(heapAfter, (std::vector<size_t>{2, 4, 5, 2, 4}));
    EXPECT_EQ(r.GetPreviousLines().size(), 2u);

    r.Start();
    EXPECT_EQ(r.GetScreenIndex(), 0u);
    EXPECT_EQ(r.GetRollState(), CreditsRoll::BUILD);
    EXPECT_EQ(r.GetHeap().GetCount(), 7u);
    EXPECT_TRUE(r.GetPreviousLines().empty());
    ASSERT_TRUE(RunUntil([&] { return Paused(); }));
    EXPECT_EQ(Reads(*r.GetLines()[0]), u"ABC");
    EXPECT_EQ(Reads(*r.GetLines()[1]), u"XY");
}

// With IntervalMoveLetterToHeap 0 every line of the previous screen starts
// back at once; otherwise one after the other.
TEST_F(CreditsTest, ReturnIntervalZeroSendsEveryLineAtOnce) {
    for (const char* interval : {"0", "0.05"}) {
        CreditsRoll& r =
            Make({{"AB", "CD", "EF"}, {"GH"}}, std::string("IntervalMoveLetterToHeap=") + interval);
        ASSERT_TRUE(RunUntil([&] { return r.GetRollState() == CreditsRoll::RETURN; }));
        std::vector<int32_t> states;
        for (const auto& line : r.GetPreviousLines())
            states.push_back(line->GetState());
        if (std::string(interval) == "0") {
            EXPECT_EQ(states, (std::vector<int32_t>{3, 3, 3}));
        } else {
            EXPECT_EQ(states, (std::vector<int32_t>{3, 2, 2}));
        }
        ASSERT_TRUE(RunUntil([&] { return Paused(); }));
        EXPECT_EQ(r.GetScreenIndex(), 1u);
        EXPECT_EQ(r.GetHeap().GetCount(), 6u);
    }
}

TEST_F(CreditsTest, NoScreensStandStill) {
    CreditsRoll& r = Make({});
    EXPECT_TRUE(r.GetLines().empty());
    EXPECT_FALSE(RunUntil([&] { return r.GetScreenIndex() != 0 || !r.GetLines().empty(); }, 3.0f));
    b.DrawFrame([&] { r.Draw(); });
    EXPECT_EQ(b.Pixel(10, 10), kBackground);
}

// A tile at rest: its shadow 3 pixels up and left, its cell of the sheet,
// the black glyph centred on it; the light adds over everything.
TEST_F(CreditsTest, TilesAsDrawn) {
    for (bool tall : {false, true}) {
        // A 2 x 8 sheet works as well as a 4 x 4 one.
        if (tall)
            Pictures(Sheet(2, 8), "credits_tall");
        CreditsRoll& r = Make({{"A"}});
        ASSERT_TRUE(RunUntil([&] { return Paused(); }));
        const CLetter& a = r.GetLines()[0]->GetSlots().front().letter;
        int32_t x, y;
        a.GetDestination(x, y);
        EXPECT_EQ(x, 512 - 13);
        EXPECT_EQ(y, 100 - 14);
        b.DrawFrame([&] { r.Draw(); });
        EXPECT_EQ(b.Pixel(100, 100), kBackground);
        EXPECT_EQ(b.Pixel(x - 2, y - 2), kShadow);
        EXPECT_EQ(b.Pixel(x + 3, y + 20), CellColor(a.GetVariant())) << "variant " << int(a.GetVariant());
        EXPECT_EQ(b.Pixel(x + 24, y + 25), CellColor(a.GetVariant()));
        EXPECT_EQ(b.Pixel(x + 12, y + 4), 0xFF000000u); // glyph at x + 8 .. x + 17, y - 1 .. y + 8
        EXPECT_EQ(b.Pixel(x + 7, y + 4), CellColor(a.GetVariant()));
    }
    CreditsRoll& r = Make({{"A"}}, "LightAlpha=0.5 0.5");
    EXPECT_FLOAT_EQ(r.GetLight().current, 0.5f);
    b.DrawFrame([&] { r.Draw(); });
    EXPECT_NEAR(Red(b.Pixel(100, 100)), 0x40 + 0x40, 1); // + 0x80 x 0.5
}

// The sixteen variants run through the sheet's cells row by row, whatever
// its shape; a sheet smaller than one cell draws no tile.
TEST_F(CreditsTest, EveryVariantHasItsCell) {
    for (auto [columns, rows] : {std::pair<uint32_t, uint32_t>{4, 4}, {2, 8}, {8, 2}, {16, 1}}) {
        const std::string name = "sheet_" + std::to_string(columns) + "x" + std::to_string(rows);
        Pictures(Sheet(columns, rows), name);
        CLetterPictures pictures;
        pictures.tiles = b.h.images->getImage("tiles", name);
        for (uint8_t v = 0; v < 16; ++v) {
            CLetter tile(u'A', v);
            tile.Place(100, 100, 0.0f);
            b.DrawFrame([&] { tile.DrawTile(pictures); });
            EXPECT_EQ(b.Pixel(110, 110), CellColor(v)) << name << " variant " << int(v);
        }
    }
    Pictures(content::Picture(20, 20, 0xFFFFFFFFu), "tiny");
    CLetterPictures tiny;
    tiny.tiles = b.h.images->getImage("tiles", "tiny");
    CLetter tile(u'A', 3);
    tile.Place(100, 100, 0.0f);
    b.DrawFrame([&] { tile.DrawTile(tiny); });
    EXPECT_EQ(b.Pixel(110, 110), 0xFF000000u);
}

TEST_F(CreditsTest, LightFlickersBetweenItsBounds) {
    CreditsRoll& r = Make({{"A"}}, "LightAlpha=0.2 0.8\nLightSpeed=0.5 1\nLightDelay=0 0.2");
    float lo = 1.0f, hi = 0.0f;
    RunUntil([] { return false; }, 20.0f,
             [&] {
                 lo = std::min(lo, r.GetLight().current);
                 hi = std::max(hi, r.GetLight().current);
             });
    EXPECT_GE(lo, 0.2f - 0.06f);
    EXPECT_LE(hi, 0.8f + 0.06f);
    EXPECT_GT(hi - lo, 0.2f);
}

} // namespace
