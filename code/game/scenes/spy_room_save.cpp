// The hidden-object room's record in the saved game, and its objects' records.
//
// Loading reads the whole record before it takes anything: a record cut
// short, a count larger than the record can hold, a selected item or a tip
// cursor past the list, or counters that cannot be, leave the room as the
// level load made it, with one log line. An item that "items.ini" no longer
// has is left out (logged), and the counters are then counted again from the
// items that remain.

#include "game/scenes/spy_room.h"

#include "game/scenes/objects/spy_object.h"
#include "mirel/base/a_log.h"

#include <algorithm>

namespace {

// Each saved pair takes at least its two NUL bytes, each item its NUL and
// two counts.
constexpr size_t kMinPairBytes = 2;
constexpr size_t kMinItemBytes = 9;

struct SavedItem {
    const SpyItem* definition = nullptr;
    std::vector<std::pair<std::string, std::string>> pairs;
    uint32_t remaining = 0;
};

} // namespace

void SpyRoom::Save(SaveLoadSystem& system, SaveWriter& record) {
    // A carried object goes back to where it was picked up: the save must not
    // keep it where the cursor happened to be.
    if (m_dragged)
        PutBack();
    record.WriteU32(m_cluesTotal);
    record.WriteU32(m_cluesFound);
    record.WriteU32(m_itemsTotal);
    record.WriteU32(m_itemsFound);
    record.WriteU32(m_enterTipCursor);
    record.WriteI32(m_selectedItem);
    record.WriteBool(m_hidden);
    record.WriteBool(m_bonusChosen);
    record.WriteBool(m_bonusAvailable);
    record.WriteU32(uint32_t(m_activeItems.size()));
    for (const SpyItem& item : m_activeItems) {
        record.WriteString(item.name);
        record.WriteU32(uint32_t(item.objects.size()));
        for (size_t i = 0; i < item.objects.size(); ++i) {
            record.WriteString(item.objects[i]->GetName());
            const SpyObject* container = i < item.containers.size() ? item.containers[i] : nullptr;
            record.WriteString(container ? container->GetName() : std::string());
        }
        record.WriteU32(uint32_t(item.remaining));
    }
    record.WriteU32(uint32_t(m_marks.size()));
    for (uint8_t mark : m_marks)
        record.WriteU8(mark);
    Room::Save(system, record);
}

void SpyRoom::Load(SaveLoadSystem& system, SaveReader& record) {
    uint32_t counters[4] = {};
    uint32_t cursor = 0, count = 0;
    int32_t selected = -1;
    bool hidden = false, bonusChosen = false, bonusAvailable = false;
    for (uint32_t& c : counters)
        record.ReadU32(c);
    record.ReadU32(cursor);
    record.ReadI32(selected);
    record.ReadBool(hidden);
    record.ReadBool(bonusChosen);
    record.ReadBool(bonusAvailable);
    record.ReadU32(count);

    auto bad = [&](const char* what) {
        a_log("SpyRoom::Load - bad record of room '%s' (%s), not taken", m_name.c_str(), what);
    };
    if (!record.IsOk())
        return bad("cut short");
    if (count > record.GetRemaining() / kMinItemBytes)
        return bad("more items than the record holds");

    std::vector<SavedItem> saved(count);
    for (SavedItem& item : saved) {
        std::string name;
        uint32_t pairs = 0;
        record.ReadString(name);
        record.ReadU32(pairs);
        if (!record.IsOk())
            return bad("cut short");
        item.definition = FindItem(name, false);
        const size_t limit =
            item.definition ? item.definition->objects.size() : record.GetRemaining() / kMinPairBytes;
        if (pairs > limit)
            return bad("more objects than the item has");
        item.pairs.resize(pairs);
        for (auto& pair : item.pairs) {
            record.ReadString(pair.first);
            record.ReadString(pair.second);
        }
        record.ReadU32(item.remaining);
        if (!record.IsOk())
            return bad("cut short");
        if (!item.definition)
            a_log("ERROR! Item '%s' not found", name.c_str());
    }

    uint32_t markCount = 0;
    record.ReadU32(markCount);
    if (!record.IsOk() || markCount > record.GetRemaining())
        return bad("cut short");
    std::vector<uint8_t> marks(markCount);
    for (uint8_t& mark : marks)
        record.ReadU8(mark);
    const bool marksTaken = markCount == m_marks.size();
    if (marksTaken && std::any_of(marks.begin(), marks.end(), [](uint8_t m) { return m > MARK_GONE; }))
        return bad("a mark out of range");

    if (selected < -1 || (selected >= 0 && uint32_t(selected) >= count) || cursor > count)
        return bad("an item index past the list");
    const uint32_t cluesTotal = counters[0], cluesFound = counters[1];
    const uint32_t itemsTotal = counters[2], itemsFound = counters[3];
    if (itemsTotal > count || itemsFound > itemsTotal || cluesTotal > itemsTotal || cluesFound > cluesTotal)
        return bad("counters that do not add up");

    // Taken: the items, rebuilt from the room's definitions.
    std::vector<SpyItem> items;
    int32_t newSelected = -1;
    bool dropped = false;
    for (size_t i = 0; i < saved.size(); ++i) {
        const SavedItem& s = saved[i];
        if (!s.definition) {
            dropped = true;
            continue;
        }
        SpyItem item = *s.definition;
        item.objects.clear();
        item.containers.clear();
        for (const auto& pair : s.pairs) {
            SpyObject* object = FindObjectByName(pair.first, false);
            if (!object)
                continue;
            item.objects.push_back(object);
            item.containers.push_back(pair.second.empty() ? nullptr : FindObjectByName(pair.second, false));
        }
        item.remaining = int32_t(std::min<uint32_t>(s.remaining, INT32_MAX));
        if (int32_t(i) == selected)
            newSelected = int32_t(items.size());
        items.push_back(std::move(item));
    }

    m_activeItems = std::move(items);
    m_selectedItem = newSelected;
    m_enterTipCursor = std::min<uint32_t>(cursor, uint32_t(m_activeItems.size()));
    m_hidden = hidden;
    m_bonusChosen = bonusChosen;
    m_bonusAvailable = bonusAvailable;
    m_foundItem = nullptr;
    m_cluesTotal = cluesTotal;
    m_cluesFound = cluesFound;
    m_itemsTotal = itemsTotal;
    m_itemsFound = itemsFound;
    if (dropped) {
        // Without the lost items the saved counters could never be reached.
        m_cluesTotal = m_cluesFound = m_itemsTotal = m_itemsFound = 0;
        for (size_t i = 0; i < m_activeItems.size(); ++i) {
            const SpyItem& item = m_activeItems[i];
            if (item.bonus)
                continue;
            const bool found = item.remaining == 0 && int32_t(i) != m_selectedItem;
            ++m_itemsTotal;
            m_itemsFound += found ? 1 : 0;
            if (item.clue) {
                ++m_cluesTotal;
                m_cluesFound += found ? 1 : 0;
            }
        }
    }
    if (marksTaken)
        m_marks = std::move(marks);
    Room::Load(system, record);
}

void SpyRoom::AfterSave(SaveLoadSystem& system) {
    for (SpyObject* object : m_objects)
        system.SaveEntity(*object);
}

void SpyRoom::AfterLoad(SaveLoadSystem& system) {
    for (SpyObject* object : m_objects)
        system.LoadEntity(*object);
    // The restored list decides which objects are tolerant.
    for (SpyObject* object : m_objects)
        object->SetTolerant(false);
    MarkTolerantObjects();
}
