// The hidden-object room's data: its objects and items, read once; each
// level's load with the level section, the items found for good and the draw
// of the item list; the look-ups the game and the clue cards use.

#include "game/scenes/spy_room.h"

#include "game/game_services.h"
#include "game/scenes/objects/spy_object.h"
#include "game/scenes/objects/spy_object_factory.h"
#include "game/scenes/spy_item_selection.h"
#include "mirel/base/a_clock.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_random.h"
#include "mirel/base/a_string.h"
#include "mirel/base/a_utf.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>
#include <cstdlib>
#include <set>

float SpyRoom::ms_stuckTimer = 0.0f;

namespace {

constexpr const char* kNoContainer = "<none>";
constexpr int32_t kMaxDifficulty = 2;
constexpr size_t kQuotaCount = 3;

// The first place of each name, with its letter case ignored.
template <class T, class Name>
void indexNames(std::map<std::string, size_t, StringLessNoCase>& index, const std::vector<T>& list,
                Name name) {
    index.clear();
    for (size_t i = 0; i < list.size(); ++i)
        index.emplace(name(list[i]), i);
}

} // namespace

SpyRoom::SpyRoom(const std::string& name, aImageManager* images, aSoundManager* sounds, GameServices* game)
    : Room(name, images, sounds, game), m_keyPrefix(a_toLowerAscii(name + ".")) {
    if (aLocaleServer* locale = aLocaleServer::getInstance())
        locale->loadFile("data:loc/room_" + m_name + ".txt", m_keyPrefix);
    ReadObjects();
    ReadItems();
    m_marks.assign(m_items.size(), MARK_UNUSED);
    if (m_sounds) {
        GetSounds(m_sounds, "",
                  {{"object_click_bad", nullptr, &m_soundBad},
                   {"object_click_good", nullptr, &m_soundGood},
                   {"found_clue", nullptr, &m_soundClue}});
    }
    m_itemList = m_app ? m_app->FindWidget("info_spy_room") : nullptr;
    if (m_itemList) {
        m_bonusItem = m_itemList->FindChild("bonus_item", true);
        m_bonusHint = m_itemList->FindChild("bonus_item_hint", true);
    }
    if (m_bonusItem) {
        m_connections[0] = m_bonusItem->SubscribeEvent(GUI::Widget::EventMouseEnter, &m_enterBinder);
        m_connections[1] = m_bonusItem->SubscribeEvent(GUI::Widget::EventMouseMove, &m_moveBinder);
        m_connections[2] = m_bonusItem->SubscribeEvent(GUI::Widget::EventMouseLeave, &m_leaveBinder);
    }
}

SpyRoom::~SpyRoom() {
    for (SpyObject* object : m_objects)
        delete object;
}

// ---- definitions ----

void SpyRoom::ReadObjects() {
    const aOptionsFile objects(m_folder + "objects.ini");
    for (const std::string& section : objects.getSectionNames()) {
        const std::string* type = objects.findValue(section, "Class");
        if (SpyObject* object =
                SpyObjectFactory::Instance().NewObject(type ? *type : std::string(), this, section))
            m_objects.push_back(object);
    }
}

void SpyRoom::ReadItems() {
    aOptionsFile items(m_folder + "items.ini");
    int32_t index = 0;
    for (const std::string& section : items.getSectionNames()) {
        items.setSection(section);
        ReadItem(items, section, index++);
    }
    IndexItems();
}

const std::u16string* SpyRoom::FindText(const std::string& key) const {
    aLocaleServer* locale = aLocaleServer::getInstance();
    return locale ? locale->findString(key) : nullptr;
}

void SpyRoom::ReadItem(const aOptionsFile& items, const std::string& section, int32_t index) {
    m_items.emplace_back();
    SpyItem& item = m_items.back();
    item.name = section;
    item.markIndex = index;

    std::vector<std::string> names;
    items.getStringList(section, "Object", names);
    for (const std::string& name : names) {
        if (SpyObject* object = FindObjectByName(name, false))
            item.objects.push_back(object);
    }

    item.containers.assign(item.objects.size(), nullptr);
    item.remaining = 0;
    if (!items.hasKey("Container")) {
        item.containers = item.objects;
        item.remaining = int32_t(item.objects.size());
    } else {
        std::vector<std::string> containers;
        items.getStringList(section, "Container", containers);
        if (containers.size() != 1 && containers.size() != item.objects.size()) {
            a_log("WARNING! Object count != container count for item '%s'", item.name.c_str());
        } else {
            for (size_t i = 0; i < item.objects.size(); ++i) {
                const std::string& name = containers.size() == 1 ? containers[0] : containers[i];
                if (name == kNoContainer)
                    continue;
                item.containers[i] = FindObjectByName(name, false);
                if (item.containers[i])
                    ++item.remaining;
            }
        }
    }

    aLocaleServer* locale = aLocaleServer::getInstance();
    const std::string key = m_keyPrefix + item.name;
    if (const std::u16string* text = FindText(key)) {
        item.displayNames.assign(size_t(item.remaining), *text);
    } else {
        for (int32_t i = 1; i <= item.remaining; ++i)
            item.displayNames.push_back(locale ? locale->getString(key + "_" + std::to_string(i))
                                               : std::u16string());
    }

    SpyMessage* messages[2] = {&item.completionMessage, &item.firstObjectMessage};
    for (int d = 0; d < 2; ++d) {
        const std::string messageKey = "Message" + std::to_string(d);
        if (!items.hasKey(messageKey))
            continue;
        messages[d]->present = true;
        messages[d]->textKey = a_toLowerAscii("msg" + std::to_string(d) + "." + m_keyPrefix + item.name);
        messages[d]->picture = items.getString(messageKey);
    }

    names.clear();
    if (items.hasKey("ObjectsToActivate"))
        items.getStringList(section, "ObjectsToActivate", names);
    for (const std::string& name : names) {
        if (SpyObject* object = FindObjectByName(name, false))
            item.objectsToActivate.push_back(object);
    }

    auto flag = [&](const char* name) { return items.hasKey(name) && items.getInt(name) != 0; };
    item.clue = flag("Clue");
    item.bonus = flag("Bonus");
    item.findOnce = item.clue || item.bonus || flag("FindOnce");
    item.hasTip = flag("HasTip");
    item.difficulty = 1;
    if (items.hasKey("DiffLevel")) {
        const uint32_t level = uint32_t(items.getInt("DiffLevel"));
        if (level > uint32_t(kMaxDifficulty)) {
            a_log("WARNING! DiffLevel limited to %d for item '%s'", kMaxDifficulty, item.name.c_str());
            item.difficulty = kMaxDifficulty;
        } else {
            item.difficulty = int32_t(level);
        }
    }
}

// ---- a level ----

void SpyRoom::LoadResources(const aOptionsFile& level) {
    Room::LoadResources(level);
    m_background = m_images ? m_images->getImage("background", m_name) : nullptr;
    m_star = m_images ? m_images->getImage("star") : nullptr;
    ms_stuckTimer = 0.0f;

    aOptionsFile objects(m_folder + "objects.ini");
    for (SpyObject* object : m_objects) {
        objects.setSection(object->GetName());
        object->Create(objects);
    }

    ReadLevelSection(level);

    m_lines.clear();
    if (m_itemList) {
        for (GUI::Widget* child : m_itemList->GetChildren()) {
            if (child->IsKindOf("CrossButton"))
                m_lines.push_back(child);
        }
    }

    for (SpyObject* object : m_objects) {
        object->SetLifted(false);
        object->Init();
    }
    for (SpyObject* object : m_hiddenObjects)
        object->SetState(SpyObject::STATE_TAKEN, true);
    for (const SpyItem& item : m_items) {
        if (size_t(item.markIndex) < m_marks.size() && m_marks[size_t(item.markIndex)] == MARK_GONE)
            ShowFoundForGood(item);
    }

    m_topList.clear();
    m_hovered = m_activated = m_dragged = m_dragTarget = nullptr;
    m_hinted = nullptr;
    m_hintTimer = m_hintPhase = 0.0f;
    m_bonusAvailable = false;
    m_missPenalty = false;
    m_missCount = 0;
    m_missTimer = 0.0f;
    m_enterTipCursor = 0;
    m_selectedItem = -1;
    m_foundItem = nullptr;

    for (SpyObject* object : m_objects)
        object->SetTolerant(false);
    SelectItems();
    MarkTolerantObjects();
}

void SpyRoom::ReadLevelSection(const aOptionsFile& level) {
    const std::string section = "Room." + m_name;
    m_marks.resize(m_items.size(), MARK_UNUSED);
    std::vector<std::string> exclusions;
    level.getStringList(section, "HiddenObjects", exclusions);
    m_hiddenObjects.clear();
    for (const std::string& name : exclusions) {
        if (SpyObject* object = FindObjectByName(name, false))
            m_hiddenObjects.push_back(object);
    }
    std::vector<std::string> mustBeList;
    level.getStringList(section, "MustBeItems", mustBeList);
    level.getStringList(section, "MustNotBeItems", exclusions);
    const std::set<std::string> mustBe(mustBeList.begin(), mustBeList.end());
    const std::set<std::string> excluded(exclusions.begin(), exclusions.end());

    m_candidates.clear();
    for (size_t k = 0; k < m_items.size(); ++k) {
        SpyItem& item = m_items[k];
        item.mustBe = mustBe.count(item.name) != 0;
        if (m_marks[k] == MARK_GONE || excluded.count(item.name) != 0)
            continue;
        if (item.remaining == 0) {
            // Nothing of it can be taken: on the list it would keep the room from completing.
            a_log("WARNING! Item '%s' has no object to take, left off the list", item.name.c_str());
            continue;
        }
        m_candidates.push_back(k);
    }

    std::vector<int> counts;
    level.getIntList(section, "ItemsCount", counts);
    if (counts.size() == kQuotaCount) {
        for (size_t l = 0; l < kQuotaCount; ++l)
            m_quotas[l] = counts[l];
    } else {
        m_quotas[0] = m_quotas[1] = m_quotas[2] = 0;
        a_log("WARNING! ItemsCount size != %d", int(kQuotaCount));
    }
    m_compositeLimit = std::atoi(level.getValue(section, "CompositeLimit").c_str());
    const std::string* hidden = level.findValue(section, "Hidden");
    m_hidden = hidden && std::atoi(hidden->c_str()) != 0;
}

void SpyRoom::ShowFoundForGood(const SpyItem& item) {
    const SpyItem scratch = item;
    for (size_t i = 0; i < scratch.objects.size(); ++i) {
        SpyObject* object = scratch.objects[i];
        SpyObject* container = scratch.containers[i];
        if (!container)
            continue;
        if (container != object) {
            object->Activate(true, container);
            container->Activate(true, object);
            container->Update(10.0f);
        } else {
            object->Activate(true, nullptr);
        }
        object->Update(10.0f);
    }
}

void SpyRoom::SelectItems() {
    a_srand(a_clock().milliseconds());
    m_activeItems.clear();
    m_cluesTotal = m_cluesFound = m_itemsTotal = m_itemsFound = 0;
    m_bonusChosen = false;

    std::vector<SpyCandidate> candidates;
    candidates.reserve(m_candidates.size());
    for (size_t k : m_candidates)
        candidates.push_back(SpyCandidate{&m_items[k], m_items[k].mustBe, m_marks[k]});
    const SpySelection selection = SelectSpyItems(candidates, m_quotas, m_compositeLimit, &a_rand);

    for (size_t index : selection.chosen)
        m_activeItems.push_back(*candidates[index].item);
    m_itemsTotal = selection.itemsTotal;
    m_cluesTotal = selection.cluesTotal;
    m_bonusChosen = selection.bonusChosen;
    for (size_t k : m_candidates)
        m_marks[k] = MARK_UNUSED;
    for (const SpyItem& item : m_activeItems)
        m_marks[size_t(item.markIndex)] = MARK_LISTED;
    IndexItems();
}

void SpyRoom::IndexItems() {
    auto name = [](const SpyItem& item) { return item.name; };
    indexNames(m_itemsByName, m_items, name);
    indexNames(m_activeItemsByName, m_activeItems, name);
}

void SpyRoom::MarkTolerantObjects() {
    for (const SpyItem& item : m_activeItems) {
        for (size_t i = 0; i < item.objects.size(); ++i) {
            item.objects[i]->SetTolerant(true);
            if (i < item.containers.size() && item.containers[i])
                item.containers[i]->SetTolerant(true);
        }
    }
}

void SpyRoom::UnloadResources() {
    for (SpyObject* object : m_objects)
        object->UnloadResources();
    m_background = nullptr;
    m_messagePicture.unload();
    Room::UnloadResources();
}

void SpyRoom::Reset() {
    Room::Reset();
    for (SpyObject* object : m_objects)
        object->Reset();
    for (uint8_t& mark : m_marks) {
        if (mark == MARK_GONE)
            mark = MARK_UNUSED;
    }
}

void SpyRoom::OnLevelComplete() {
    if (m_visitCount == 0)
        return;
    for (const SpyItem& item : m_activeItems) {
        if (item.findOnce && item.remaining == 0 && size_t(item.markIndex) < m_marks.size())
            m_marks[size_t(item.markIndex)] = MARK_GONE;
    }
}

// ---- look-ups ----

SpyObject* SpyRoom::FindObjectByName(const std::string& name, bool quiet) const {
    for (; m_objectsIndexed < m_objects.size(); ++m_objectsIndexed)
        m_objectsByName.emplace(m_objects[m_objectsIndexed]->GetName(), m_objectsIndexed);
    const auto it = m_objectsByName.find(name);
    if (it != m_objectsByName.end())
        return m_objects[it->second];
    if (!quiet)
        a_log("SpyRoom::FindObjectByName - object '%s' not found", name.c_str());
    return nullptr;
}

const SpyItem* SpyRoom::FindItem(const std::string& name, bool active) const {
    const NameIndex& index = active ? m_activeItemsByName : m_itemsByName;
    const auto it = index.find(name);
    if (it == index.end())
        return nullptr;
    return &(active ? m_activeItems : m_items)[it->second];
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

uint32_t SpyRoom::GetHintState() const {
    for (const SpyItem& item : m_activeItems) {
        if (item.bonus)
            continue;
        for (const SpyObject* object : item.objects) {
            if (object->GetState() != SpyObject::STATE_TAKEN)
                return HINT_AVAILABLE;
        }
    }
    return HINT_NONE_LEFT;
}

bool SpyRoom::IsComplete() const {
    return m_selectedItem < 0 && m_itemsFound == m_itemsTotal;
}
