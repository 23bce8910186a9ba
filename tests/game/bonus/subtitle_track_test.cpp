// The subtitle track: reading SRT text (well-formed and damaged) and the
// current cue as its clock moves across cue boundaries, both ways.

#include "game/bonus/subtitle_track.h"
#include "mirel/locale/a_localeserver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

SubtitleTrack parse(const std::string& text) {
    SubtitleTrack track;
    track.Parse(text.data(), text.size());
    return track;
}

std::vector<std::u16string> current(const SubtitleTrack& track) {
    const std::vector<std::u16string>* lines = track.GetCurrentText();
    return lines ? *lines : std::vector<std::u16string>{u"<none>"};
}

using Lines = std::vector<std::u16string>;

const char* const kTwoCues = "1\n"
                             "00:00:01,500 --> 00:00:03,000\n"
                             "Tobias, if this reaches you,\n"
                             "the lamp did not fail.\n"
                             "\n"
                             "2\n"
                             "00:00:03,000 --> 00:00:05,250\n"
                             "Crane put it out.\n";

} // namespace

TEST(SubtitleTrack, ReadsCuesWithoutTheirSequenceNumbers) {
    const SubtitleTrack track = parse(kTwoCues);
    ASSERT_EQ(track.GetCues().size(), 2u);
    EXPECT_DOUBLE_EQ(track.GetCues()[0].start, 1.5);
    EXPECT_DOUBLE_EQ(track.GetCues()[0].end, 3.0);
    EXPECT_EQ(track.GetCues()[0].lines, (Lines{u"Tobias, if this reaches you,", u"the lamp did not fail."}));
    EXPECT_DOUBLE_EQ(track.GetCues()[1].start, 3.0);
    EXPECT_DOUBLE_EQ(track.GetCues()[1].end, 5.25);
    EXPECT_EQ(track.GetCues()[1].lines, (Lines{u"Crane put it out."}));
}

TEST(SubtitleTrack, TheCurrentCueAcrossItsBoundaries) {
    SubtitleTrack track = parse(kTwoCues);
    EXPECT_EQ(current(track), (Lines{u"<none>"})) << "before the first cue";
    track.Update(1.0f);
    EXPECT_EQ(current(track), (Lines{u"<none>"}));
    track.Update(0.5f);
    EXPECT_EQ(current(track).size(), 2u) << "from 1.5 s on, two lines";
    track.Update(1.5f);
    // At exactly 3.0 s the index moves on: the cue starting there shows at once.
    EXPECT_EQ(track.GetIndex(), 1u);
    EXPECT_EQ(current(track), (Lines{u"Crane put it out."}));
    track.Update(2.25f);
    EXPECT_EQ(track.GetIndex(), 2u) << "past the end at 5.25 s";
    EXPECT_EQ(current(track), (Lines{u"<none>"}));
    track.Update(10.0f);
    EXPECT_EQ(current(track), (Lines{u"<none>"}));

    // Backwards from past the end: onto the last cue, then the first.
    track.Update(-11.0f);
    EXPECT_DOUBLE_EQ(track.GetTime(), 4.25);
    EXPECT_EQ(current(track), (Lines{u"Crane put it out."}));
    track.Update(-2.0f);
    EXPECT_EQ(track.GetIndex(), 0u);
    EXPECT_EQ(current(track).size(), 2u);
    track.Update(-2.0f);
    EXPECT_EQ(current(track), (Lines{u"<none>"}));
    track.Update(0.0f);
    EXPECT_DOUBLE_EQ(track.GetTime(), 0.25);
}

TEST(SubtitleTrack, DamagedFilesReadWithoutHarm) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<Lines> cues;
    };
    const std::vector<Case> cases = {
        {"no time line at all", "1\nHello\n\nthere\n", {}},
        {"CRLF ends and a byte-order mark",
         "\xEF\xBB\xBF"
         "1\r\n00:00:01,000 --> 00:00:02,000\r\nLine one\r\n\r\n2\r\n00:00:02,000 --> "
         "00:00:03,000\r\nLine two\r\n",
         {{u"Line one"}, {u"Line two"}}},
        {"a byte-order mark before the first time line",
         "\xEF\xBB\xBF"
         "00:00:01,000 --> 00:00:02,000\nA\n",
         {{u"A"}}},
        {"missing sequence numbers keep every text line",
         "00:00:01,000 --> 00:00:02,000\nFirst\nsecond\n00:00:02,000 --> 00:00:03,000\nThird\n",
         {{u"First", u"second"}, {u"Third"}}},
        {"two time lines in a row: an empty cue",
         "00:00:01,000 --> 00:00:02,000\n00:00:02,000 --> 00:00:03,000\nText\n",
         {{}, {u"Text"}}},
        {"blank and tab lines are no text", "00:00:01,000 --> 00:00:02,000\n  \t \nText\n", {{u"Text"}}},
        {"times out of order and overlapping",
         "1\n00:00:05,000 --> 00:00:06,000\nLate\n2\n00:00:01,000 --> 00:00:09,000\nEarly\n",
         {{u"Late"}, {u"Early"}}},
        {"absurd hours", "00:00:01,000 --> 99999999999999999999:00:00,000\nLong\n", {{u"Long"}}},
        {"a time line short of numbers is text",
         "00:00:01,000 --> 00:00:02,000\nA\n00:00:03 --> 00:00:04,000\n",
         {{u"A", u"00:00:03 --> 00:00:04,000"}}},
        {"UTF-8 text",
         "00:00:01,000 --> 00:00:02,000\nL\xC3\xA9ger \xE2\x80\x94 adieu\n",
         {{u"L\u00e9ger \u2014 adieu"}}},
    };
    for (const Case& c : cases) {
        SubtitleTrack track = parse(c.text);
        ASSERT_EQ(track.GetCues().size(), c.cues.size()) << c.what;
        for (size_t i = 0; i < c.cues.size(); ++i)
            EXPECT_EQ(track.GetCues()[i].lines, c.cues[i]) << c.what << ", cue " << i;
        // The clock runs over every cue and back without trouble.
        for (int i = 0; i < 40; ++i)
            track.Update(0.5f);
        for (int i = 0; i < 50; ++i)
            track.Update(-0.5f);
        EXPECT_EQ(current(track), (Lines{u"<none>"})) << c.what;
    }
    // The absurd hour's end is a huge time, not an overflow.
    const SubtitleTrack absurd = parse("00:00:01,000 --> 99999999999999999999:00:00,000\nLong\n");
    EXPECT_GT(absurd.GetCues()[0].end, 1e12);
}

TEST(SubtitleTrack, EmptyCueShowsAsEmptyText) {
    SubtitleTrack track = parse("00:00:01,000 --> 00:00:02,000\n00:00:02,000 --> 00:00:03,000\nText\n");
    track.Update(1.5f);
    ASSERT_NE(track.GetCurrentText(), nullptr);
    EXPECT_TRUE(track.GetCurrentText()->empty());
}

TEST(SubtitleTrack, HashLinesAreLocaleTexts) {
    const std::string text = "00:00:01,000 --> 00:00:02,000\n#radio.line1\nplain\n";
    {
        // Without a locale server the line stands as it is.
        SubtitleTrack track = parse(text);
        EXPECT_EQ(track.GetCues()[0].lines, (Lines{u"#radio.line1", u"plain"}));
    }
    aLocaleServer locale;
    const std::string strings = "radio.line1 = \"The lamp room, at night.\"\n";
    locale.parseBuffer("test.txt", strings.data(), strings.size());
    SubtitleTrack track = parse(text);
    EXPECT_EQ(track.GetCues()[0].lines, (Lines{u"The lamp room, at night.", u"plain"}));
}
