// Conditional blocks of item messages: kept, dropped or left as written.

#include "game/scenes/spy_message_text.h"

#include <gtest/gtest.h>

namespace {

// The harbour's list: "ledger" found, "lifebelt" not; no other room.
SpyCondition harbour(const std::string& room, const std::string& item) {
    if (room != "harbour")
        return SpyCondition::Unknown;
    if (item == "ledger")
        return SpyCondition::Found;
    if (item == "lifebelt")
        return SpyCondition::NotFound;
    return SpyCondition::Unknown;
}

} // namespace

TEST(MessageText, ConditionalBlocks) {
    struct Case {
        const char16_t* text;
        const char16_t* shown;
    };
    const Case cases[] = {
        {u"Wet.#IF<harbour.ledger> Dry inside.#END", u"Wet. Dry inside."},
        {u"Wet.#IF<harbour.lifebelt> Dry inside.#END", u"Wet."},
        {u"Wet.#IF<chapel.ledger> Dry.#END", u"Wet.#IF<chapel.ledger> Dry.#END"},
        {u"Wet.#IF<harbour.anchor> Dry.#END", u"Wet.#IF<harbour.anchor> Dry.#END"},
        {u"A#IF<harbour.ledger>B#END C#IF<harbour.lifebelt>D#END E", u"AB C E"},
        {u"#IF<harbour.ledger>#IF<harbour.ledger>in#END#END", u"in"},
        {u"#IF<harbour.ledger>open", u"#IF<harbour.ledger>open"},
        {u"#IF<harbourledger>x#END", u"#IF<harbourledger>x#END"},
        {u"#IF<.ledger>x#END", u"#IF<.ledger>x#END"},
        {u"#IF<harbour.>x#END", u"#IF<harbour.>x#END"},
        {u"#IF<harbour.ledger#END>", u"#IF<harbour.ledger#END>"},
        {u"", u""},
        {u"no blocks", u"no blocks"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::u16string(c.text).size());
        EXPECT_EQ(ResolveSpyConditions(c.text, &harbour), std::u16string(c.shown));
    }
}

TEST(MessageText, NamesLongerThanFiftyCharactersAreNotRead) {
    const std::u16string room(51, u'r');
    const std::u16string text = u"#IF<" + room + u".ledger>x#END";
    int asked = 0;
    const std::u16string shown = ResolveSpyConditions(text, [&](const std::string&, const std::string&) {
        ++asked;
        return SpyCondition::Found;
    });
    EXPECT_EQ(shown, text);
    EXPECT_EQ(asked, 0);
    const std::u16string fifty(50, u'r');
    EXPECT_EQ(ResolveSpyConditions(u"#IF<" + fifty + u".ledger>x#END",
                                   [&](const std::string& r, const std::string& i) {
                                       EXPECT_EQ(r, std::string(50, 'r'));
                                       EXPECT_EQ(i, "ledger");
                                       return SpyCondition::Found;
                                   }),
              u"x");
}
