#pragma once
// The draw of a level's item list for a hidden-object room: a pure function
// of the candidate items, their marks, the level's quotas and a random
// source, so that a seeded source always draws the same list.
//
// Candidates fall into seven buckets: 6 holds the must-be items; an item of
// difficulty level L goes into 2L + 1 when it was not on the previous list
// (mark 0) and into 2L when it was. From bucket 6 down, each step draws one
// item of the bucket at random while the level's quota lasts; a drawn item
// and every item sharing an object with it leave all buckets. Items with more
// than one object count against the composite limit unless they must be on
// the list. A level whose buckets run dry hands its quota down; level 0's
// leftover goes up to the lowest level that still has items. A bonus item is
// taken only when it must be, and only one; it counts in no total.

#include "game/scenes/spy_item.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

struct SpyCandidate {
    const SpyItem* item = nullptr;
    bool mustBe = false;
    // 0: not on the previous list, 1: on it.
    uint8_t mark = 0;
};

struct SpySelection {
    // Candidate indices in the order drawn.
    std::vector<size_t> chosen;
    uint32_t itemsTotal = 0;
    uint32_t cluesTotal = 0;
    bool bonusChosen = false;
};

// random: values 0..32767, as the engine's generator gives them.
SpySelection SelectSpyItems(const std::vector<SpyCandidate>& candidates, const int32_t quotas[3],
                            int32_t compositeLimit, const std::function<int()>& random);

// Whether one of a's objects is among b's.
bool SpyItemsShareObject(const SpyItem& a, const SpyItem& b);
