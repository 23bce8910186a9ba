#include "game/scenes/spy_item_selection.h"

#include <algorithm>

namespace {

constexpr int kBuckets = 7;
constexpr int kMustBeBucket = 6;

} // namespace

bool SpyItemsShareObject(const SpyItem& a, const SpyItem& b) {
    for (const SpyObject* object : a.objects) {
        if (std::find(b.objects.begin(), b.objects.end(), object) != b.objects.end())
            return true;
    }
    return false;
}

SpySelection SelectSpyItems(const std::vector<SpyCandidate>& candidates, const int32_t levelQuotas[3],
                            int32_t compositeLimit, const std::function<int()>& random) {
    SpySelection result;
    // Wide enough that quotas moving from level to level cannot overflow,
    // whatever "ItemsCount" says.
    int64_t quota[3] = {levelQuotas[0], levelQuotas[1], levelQuotas[2]};
    std::vector<size_t> buckets[kBuckets];
    for (size_t i = 0; i < candidates.size(); ++i) {
        const SpyCandidate& c = candidates[i];
        const int level = std::clamp(c.item->difficulty, 0, 2);
        const int b = c.mustBe ? kMustBeBucket : 2 * level + (c.mark == 0 ? 1 : 0);
        buckets[b].push_back(i);
    }
    auto removeSharing = [&](const SpyItem& drawn) {
        for (std::vector<size_t>& bucket : buckets) {
            bucket.erase(std::remove_if(bucket.begin(), bucket.end(),
                                        [&](size_t k) {
                                            return candidates[k].item == &drawn ||
                                                   SpyItemsShareObject(drawn, *candidates[k].item);
                                        }),
                         bucket.end());
        }
    };

    int composite = 0;
    int b = kMustBeBucket;
    while (b >= 0) {
        const int level = b / 2;
        if (level < 3 && quota[level] < 1) {
            if (level == 0)
                break;
            --b;
            continue;
        }
        std::vector<size_t>& bucket = buckets[b];
        if (!bucket.empty()) {
            const size_t pick = size_t(unsigned(random())) % bucket.size();
            const size_t index = bucket[pick];
            const SpyCandidate& c = candidates[index];
            const SpyItem& item = *c.item;
            const int counted = item.remaining;
            if (!item.bonus) {
                if (c.mustBe || counted == 1 || composite < compositeLimit) {
                    result.chosen.push_back(index);
                    if (counted > 1)
                        composite += counted;
                    ++result.itemsTotal;
                    if (item.clue)
                        ++result.cluesTotal;
                    const int own = std::clamp(item.difficulty, 0, 2);
                    if (!c.mustBe || quota[own] > 0) {
                        --quota[own];
                    } else {
                        // The largest quota left pays for it; the lowest level wins a tie.
                        int largest = -1;
                        for (int l = 0; l < 3; ++l) {
                            if (quota[l] > 0 && (largest < 0 || quota[l] > quota[largest]))
                                largest = l;
                        }
                        if (largest >= 0)
                            --quota[largest];
                    }
                }
            } else if (c.mustBe && !result.bonusChosen) {
                result.chosen.push_back(index);
                result.bonusChosen = true;
            }
            removeSharing(item);
            continue;
        }
        if (b == kMustBeBucket) {
            b = 5;
        } else if (b % 2 == 1) {
            --b;
        } else if (level > 0) {
            quota[level - 1] += quota[level];
            quota[level] = 0;
            --b;
        } else {
            // Level 0 ran dry: its leftover goes to the lowest level with items.
            b = 3;
            while (b <= 5 && buckets[b].empty()) {
                if (!buckets[b - 1].empty()) {
                    --b;
                    break;
                }
                b += 2;
            }
            if (b > 5)
                break;
            quota[b / 2] += quota[0];
            quota[0] = 0;
        }
    }
    return result;
}
