#include "game/scenes/spy_room.h"

#include "mirel/base/a_string.h"
#include "mirel/base/a_utf.h"
#include "mirel/base/a_log.h"
#include "mirel/util/a_optionsfile.h"

#include <cstdlib>

SpyRoom::SpyRoom(const std::string& name, aImageManager* images, aSoundManager* sounds)
    : Room(name, images, sounds) {}

SpyRoom::~SpyRoom() = default;

void SpyRoom::LoadResources(const aOptionsFile& level) {
    Room::LoadResources(level);
    const std::string* hidden = level.findValue("Room." + m_name, "Hidden");
    m_hidden = hidden && std::atoi(hidden->c_str()) != 0;
    m_activeItems.clear();
    m_cluesTotal = m_cluesFound = m_itemsTotal = m_itemsFound = 0;
    m_selectedItem = -1;
    m_foundItem = nullptr;
    m_missPenalty = false;
}

void SpyRoom::UnloadResources() {
    Room::UnloadResources();
}

void SpyRoom::Reset() {
    Room::Reset();
}

void SpyRoom::Draw() {}

void SpyRoom::Update(float dt) {
    Room::Update(dt);
    m_foundItem = nullptr;
}

void SpyRoom::Enter(aSound* defaultSound) {
    Room::Enter(defaultSound);
}

void SpyRoom::Leave(aSound* defaultSound) {
    Room::Leave(defaultSound);
}

uint32_t SpyRoom::GetHintState() const {
    for (const SpyItem& item : m_activeItems) {
        if (!item.bonus && !item.IsFound())
            return HINT_AVAILABLE;
    }
    return HINT_NONE_LEFT;
}

void SpyRoom::UseHint() {}

bool SpyRoom::IsComplete() const {
    return m_selectedItem < 0 && m_itemsFound == m_itemsTotal;
}

void SpyRoom::OnLevelComplete() {}

bool SpyRoom::ShowEnterTip() {
    return true;
}

// The four counters lead the room's record; the visit count follows.
void SpyRoom::Load(SaveLoadSystem& system, SaveReader& record) {
    uint32_t counters[4] = {};
    for (uint32_t& c : counters) {
        if (!record.ReadU32(c))
            return;
    }
    m_cluesTotal = counters[0];
    m_cluesFound = counters[1];
    m_itemsTotal = counters[2];
    m_itemsFound = counters[3];
    Room::Load(system, record);
}

void SpyRoom::Save(SaveLoadSystem& system, SaveWriter& record) {
    record.WriteU32(m_cluesTotal);
    record.WriteU32(m_cluesFound);
    record.WriteU32(m_itemsTotal);
    record.WriteU32(m_itemsFound);
    Room::Save(system, record);
}

void SpyRoom::AfterSave(SaveLoadSystem&) {}

void SpyRoom::AfterLoad(SaveLoadSystem&) {}

bool SpyRoom::OnObjectClicked(SpyObject*) {
    return true;
}

SpyObject* SpyRoom::FindObjectByName(const std::string& name, bool quiet) const {
    if (!quiet)
        a_log("SpyRoom::FindObjectByName - object '%s' not found", name.c_str());
    return nullptr;
}

const SpyItem* SpyRoom::FindItem(const std::string& name, bool active) const {
    for (const SpyItem& item : active ? m_activeItems : m_items) {
        if (a_stricmp(item.name, name) == 0)
            return &item;
    }
    return nullptr;
}

void SpyRoom::AppendRemainingItemNames(std::u16string& names) const {
    for (const SpyItem& item : m_activeItems) {
        if (item.remaining == 0)
            continue;
        if (!names.empty())
            names += u',';
        names += ansiToWide(item.name);
    }
}

bool SpyRoom::TestAndClearCheaterFlag() {
    const bool set = m_missPenalty;
    m_missPenalty = false;
    return set;
}
