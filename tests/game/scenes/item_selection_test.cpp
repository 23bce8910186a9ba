// The draw of a level's item list as a pure function: quotas per difficulty
// level, must-be items, the composite limit, items sharing objects, the
// preference for items that were not on the previous list, quotas handed
// between levels, bonus items, and repeatability with a seeded source.

#include "game/scenes/objects/spy_obj_image.h"
#include "game/scenes/spy_item_selection.h"
#include "mirel/base/a_random.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// Items described in a line each: "name level objects [must] [marked] [bonus] [clue]",
// objects as object names joined by '+'.
class Pool {
public:
    SpyItem& Add(const std::string& name, int level, const std::string& objects = std::string()) {
        SpyItem item;
        item.name = name;
        item.difficulty = level;
        size_t start = 0;
        const std::string list = objects.empty() ? name : objects;
        for (;;) {
            const size_t plus = list.find('+', start);
            item.objects.push_back(
                Object(list.substr(start, plus == std::string::npos ? plus : plus - start)));
            if (plus == std::string::npos)
                break;
            start = plus + 1;
        }
        item.containers = item.objects;
        item.remaining = int32_t(item.objects.size());
        m_items.push_back(std::make_unique<SpyItem>(item));
        m_flags.push_back({});
        return *m_items.back();
    }
    void MustBe(const std::string& name) { Flags(name).mustBe = true; }
    void Marked(const std::string& name) { Flags(name).mark = 1; }

    std::vector<SpyCandidate> Candidates() const {
        std::vector<SpyCandidate> out;
        for (size_t i = 0; i < m_items.size(); ++i)
            out.push_back(SpyCandidate{m_items[i].get(), m_flags[i].mustBe, m_flags[i].mark});
        return out;
    }
    // The names drawn, in order.
    std::vector<std::string> Names(const SpySelection& s) const {
        std::vector<std::string> out;
        for (size_t i : s.chosen)
            out.push_back(m_items[i]->name);
        return out;
    }
    // How many of the drawn items have that level.
    int CountLevel(const SpySelection& s, int level) const {
        int n = 0;
        for (size_t i : s.chosen)
            n += m_items[i]->difficulty == level ? 1 : 0;
        return n;
    }

private:
    struct Flag {
        bool mustBe = false;
        uint8_t mark = 0;
    };
    SpyObject* Object(const std::string& name) {
        auto& slot = m_objects[name];
        if (!slot)
            slot = std::make_unique<SpyObjImage>(nullptr, name);
        return slot.get();
    }
    Flag& Flags(const std::string& name) {
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (m_items[i]->name == name)
                return m_flags[i];
        }
        ADD_FAILURE() << "no item " << name;
        static Flag none;
        return none;
    }
    std::map<std::string, std::unique_ptr<SpyObject>> m_objects;
    std::vector<std::unique_ptr<SpyItem>> m_items;
    std::vector<Flag> m_flags;
};

// A source that always answers the same value: each draw takes the bucket's first item.
int first() {
    return 0;
}

SpySelection Select(const Pool& pool, int easy, int middle, int hard, int composite = 0,
                    int (*random)() = &first) {
    const int32_t quotas[3] = {easy, middle, hard};
    return SelectSpyItems(pool.Candidates(), quotas, composite, random);
}

using Names = std::vector<std::string>;

} // namespace

TEST(ItemSelection, QuotasPerDifficultyLevel) {
    Pool pool;
    for (int level = 0; level < 3; ++level)
        for (int i = 0; i < 5; ++i)
            pool.Add("l" + std::to_string(level) + "_" + std::to_string(i), level);
    struct Case {
        int easy, middle, hard;
    };
    for (const Case& c : {Case{4, 5, 3}, Case{1, 0, 2}, Case{5, 5, 5}, Case{0, 3, 0}}) {
        SCOPED_TRACE(::testing::Message() << c.easy << " " << c.middle << " " << c.hard);
        const SpySelection s = Select(pool, c.easy, c.middle, c.hard);
        EXPECT_EQ(pool.CountLevel(s, 0), c.easy);
        EXPECT_EQ(pool.CountLevel(s, 1), c.middle);
        EXPECT_EQ(pool.CountLevel(s, 2), c.hard);
        EXPECT_EQ(s.itemsTotal, uint32_t(c.easy + c.middle + c.hard));
        EXPECT_EQ(s.chosen.size(), s.itemsTotal);
    }
    // Hard items are drawn first, easy ones last.
    const SpySelection s = Select(pool, 1, 1, 1);
    EXPECT_EQ(pool.Names(s), (Names{"l2_0", "l1_0", "l0_0"}));
}

TEST(ItemSelection, MustBeItemsComeFirstAndPayFromTheirLevelOrTheLargestQuota) {
    Pool pool;
    pool.Add("hard_clue", 2);
    pool.Add("easy_clue", 0);
    for (int i = 0; i < 4; ++i) {
        pool.Add("easy" + std::to_string(i), 0);
        pool.Add("middle" + std::to_string(i), 1);
    }
    pool.MustBe("hard_clue");
    pool.MustBe("easy_clue");
    // Level 2 has no quota: the hard clue is paid by the largest quota (middle, 3).
    const SpySelection s = Select(pool, 2, 3, 0);
    const Names names = pool.Names(s);
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names[0], "hard_clue");
    EXPECT_EQ(names[1], "easy_clue");
    EXPECT_EQ(pool.CountLevel(s, 1), 2) << "middle paid one for the hard clue";
    EXPECT_EQ(pool.CountLevel(s, 0), 2) << "the easy clue counts as one of the two easy ones";

    // A tie between the largest quotas: the lowest level pays.
    const SpySelection tie = Select(pool, 2, 2, 0);
    EXPECT_EQ(pool.CountLevel(tie, 0), 1) << "easy paid for the hard clue: the easy clue takes its last one";
    EXPECT_EQ(pool.CountLevel(tie, 1), 2);

    // Without any quota only the must-be items are drawn (a wrong "ItemsCount").
    EXPECT_EQ(pool.Names(Select(pool, 0, 0, 0)), (Names{"hard_clue", "easy_clue"}));
}

TEST(ItemSelection, CompositeItemsStayWithinTheLimitUnlessTheyMustBe) {
    Pool pool;
    pool.Add("coins", 1, "coin1+coin2+coin3");
    pool.Add("cups", 1, "cup1+cup2");
    pool.Add("rope", 1);
    pool.Add("pipe", 1);
    // Limit 0: no composite item.
    EXPECT_EQ(pool.Names(Select(pool, 0, 4, 0)), (Names{"rope", "pipe"}));
    // Limit 3: the first composite (3 objects) is taken, then the count is 3 and the next is not.
    EXPECT_EQ(pool.Names(Select(pool, 0, 4, 0, 3)), (Names{"coins", "rope", "pipe"}));
    // Limit 4: the cups still fit after the coins.
    EXPECT_EQ(pool.Names(Select(pool, 0, 4, 0, 4)), (Names{"coins", "cups", "rope", "pipe"}));
    // A must-be composite is taken whatever the limit.
    pool.MustBe("cups");
    EXPECT_EQ(pool.Names(Select(pool, 0, 4, 0)), (Names{"cups", "rope", "pipe"}));
}

TEST(ItemSelection, ItemsSharingAnObjectNeverShareTheList) {
    Pool pool;
    pool.Add("candle", 0, "candle+holder");
    pool.Add("holder", 0, "holder");
    pool.Add("matches", 0);
    for (int seed = 1; seed <= 30; ++seed) {
        a_srand(uint32_t(seed));
        const Names names = pool.Names(Select(pool, 3, 0, 0, 5, &a_rand));
        const bool candle = std::find(names.begin(), names.end(), "candle") != names.end();
        const bool holder = std::find(names.begin(), names.end(), "holder") != names.end();
        EXPECT_FALSE(candle && holder) << "seed " << seed;
        EXPECT_EQ(names.size(), 2u) << "seed " << seed;
    }
}

TEST(ItemSelection, ItemsOffThePreviousListArePreferred) {
    Pool pool;
    for (int i = 0; i < 4; ++i)
        pool.Add("item" + std::to_string(i), 1);
    pool.Marked("item0");
    pool.Marked("item1");
    for (int seed = 1; seed <= 20; ++seed) {
        a_srand(uint32_t(seed));
        const Names names = pool.Names(Select(pool, 0, 3, 0, 0, &a_rand));
        ASSERT_EQ(names.size(), 3u);
        // Both fresh items first, in either order; then one of the listed ones.
        EXPECT_TRUE((names[0] == "item2" && names[1] == "item3") ||
                    (names[0] == "item3" && names[1] == "item2"))
            << "seed " << seed;
        EXPECT_TRUE(names[2] == "item0" || names[2] == "item1");
    }
}

TEST(ItemSelection, LeftoverQuotasMoveBetweenLevels) {
    struct Case {
        const char* what;
        std::vector<int> levels; // one item per entry
        int easy, middle, hard;
        int expectEasy, expectMiddle, expectHard;
    };
    const Case cases[] = {
        {"hard quota without hard items goes to middle", {1, 1, 1, 0}, 0, 1, 2, 0, 3, 0},
        {"and on to easy when middle runs dry", {1, 0, 0, 0}, 1, 1, 2, 3, 1, 0},
        {"easy quota without easy items goes to middle", {1, 1, 2, 2}, 2, 0, 0, 0, 2, 0},
        {"or to hard when middle has none", {2, 2, 2}, 2, 0, 0, 0, 0, 2},
        {"nothing anywhere ends the draw", {0}, 3, 2, 1, 1, 0, 0},
        // Quotas near the largest int add up as they move without wrapping.
        {"huge quotas take every item", {0, 1, 2}, 2000000000, 2000000000, 2000000000, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pool pool;
        for (size_t i = 0; i < c.levels.size(); ++i)
            pool.Add("i" + std::to_string(i), c.levels[i]);
        const SpySelection s = Select(pool, c.easy, c.middle, c.hard);
        EXPECT_EQ(pool.CountLevel(s, 0), c.expectEasy);
        EXPECT_EQ(pool.CountLevel(s, 1), c.expectMiddle);
        EXPECT_EQ(pool.CountLevel(s, 2), c.expectHard);
    }
}

TEST(ItemSelection, OneBonusItemWhenItMustBeAndItCountsNowhere) {
    Pool pool;
    pool.Add("medal", 1).bonus = true;
    pool.Add("ring", 1).bonus = true;
    pool.Add("lamp", 1).clue = true;
    pool.Add("oar", 1);
    SpySelection s = Select(pool, 0, 5, 0);
    EXPECT_EQ(pool.Names(s), (Names{"lamp", "oar"})) << "a bonus item that need not be is never taken";
    EXPECT_FALSE(s.bonusChosen);
    EXPECT_EQ(s.cluesTotal, 1u);

    pool.MustBe("medal");
    pool.MustBe("ring");
    s = Select(pool, 0, 5, 0);
    EXPECT_EQ(pool.Names(s), (Names{"medal", "lamp", "oar"}));
    EXPECT_TRUE(s.bonusChosen);
    EXPECT_EQ(s.itemsTotal, 2u) << "the bonus item counts in no total";
}

TEST(ItemSelection, TheSameSeedDrawsTheSameList) {
    Pool pool;
    for (int i = 0; i < 20; ++i)
        pool.Add("item" + std::to_string(i), i % 3);
    a_srand(1234);
    const Names once = pool.Names(Select(pool, 4, 5, 3, 0, &a_rand));
    a_srand(1234);
    EXPECT_EQ(pool.Names(Select(pool, 4, 5, 3, 0, &a_rand)), once);
    a_srand(99);
    EXPECT_NE(pool.Names(Select(pool, 4, 5, 3, 0, &a_rand)), once);
}
