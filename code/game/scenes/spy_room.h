#pragma once
// The hidden-object room: one per room folder ("data:rooms/<name>/"), made by
// the game for every room button of the map. It reads its scene objects
// ("objects.ini") and items ("items.ini"), draws a list of items to find for
// each level, and while it is the current room it takes the player's clicks on
// its objects, counts found items and clues, misses and hints.
//
// The game reads the counters, the hidden flag and the item found in the
// current frame after each update, and takes the miss-penalty flag.
//
// This is the interface the game shell drives; loading objects and items and
// the play itself are not built yet: the room has no objects and no items, so
// it counts nothing and is complete.

#include "game/room.h"
#include "game/scenes/spy_item.h"

#include <cstdint>
#include <string>
#include <vector>

class SpyObject;

class SpyRoom : public Room {
public:
    // The playfield, right of the panel (inclusive bounds).
    static constexpr int32_t kPlayfieldLeft = 179;
    static constexpr int32_t kPlayfieldRight = 1023;
    static constexpr int32_t kPlayfieldBottom = 767;

    SpyRoom(const std::string& name, aImageManager* images, aSoundManager* sounds);
    ~SpyRoom() override;

    // ---- Room ----
    bool IsKind(uint32_t kind) const override { return kind == KIND_HIDDEN_OBJECT; }
    // The base resources; from the level's section "Room." + name the hidden flag ("Hidden").
    void LoadResources(const aOptionsFile& level) override;
    void UnloadResources() override;
    void Reset() override;
    void Draw() override;
    void Update(float dt) override;
    void Enter(aSound* defaultSound) override;
    void Leave(aSound* defaultSound) override;
    // 2 while some listed item has an object left to find, else 0.
    uint32_t GetHintState() const override;
    void UseHint() override;
    // False while an item is selected; else items found == items total.
    bool IsComplete() const override;
    void OnLevelComplete() override;
    bool ShowEnterTip() override;

    // The counters and the room's part of the saved game.
    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;
    void AfterSave(SaveLoadSystem& system) override;
    void AfterLoad(SaveLoadSystem& system) override;

    // ---- play ----
    // True when the click counts (a taken object or a miss), false when absorbed.
    virtual bool OnObjectClicked(SpyObject* object);
    // The first object of that name (any letter case), or null (logged unless quiet).
    SpyObject* FindObjectByName(const std::string& name, bool quiet) const;
    // The first item of that name (any letter case) among the active items or all items.
    const SpyItem* FindItem(const std::string& name, bool active) const;
    // "," + name for every listed item not found yet.
    void AppendRemainingItemNames(std::u16string& names) const;
    // The miss-penalty flag, cleared.
    bool TestAndClearCheaterFlag();

    // ---- read by the game ----
    uint32_t GetCluesTotal() const { return m_cluesTotal; }
    uint32_t GetCluesFound() const { return m_cluesFound; }
    uint32_t GetItemsTotal() const { return m_itemsTotal; }
    uint32_t GetItemsFound() const { return m_itemsFound; }
    // The room is not yet open on the map in this level.
    bool IsHidden() const { return m_hidden; }
    void SetHidden(bool hidden) { m_hidden = hidden; }
    // The item found in this frame's update, or null.
    const SpyItem* GetFoundItem() const { return m_foundItem; }
    const std::vector<SpyItem>& GetActiveItems() const { return m_activeItems; }

protected:
    std::vector<SpyObject*> m_objects; // owned
    std::vector<SpyItem> m_items;      // "items.ini" order
    std::vector<SpyItem> m_activeItems;
    uint32_t m_cluesTotal = 0;
    uint32_t m_cluesFound = 0;
    uint32_t m_itemsTotal = 0;
    uint32_t m_itemsFound = 0;
    bool m_hidden = false;
    bool m_missPenalty = false;
    int32_t m_selectedItem = -1;
    const SpyItem* m_foundItem = nullptr;
};
