#pragma once
// The hidden-object room: one per room folder ("data:rooms/<name>/"), made by
// the game for every room button of the map.
//
// Data, read once when the room is made:
//   objects.ini   one section per scene object, its "Class" a key of
//                 SpyObjectFactory; the objects read their other keys each
//                 time the room loads its resources for a level;
//   items.ini     one section per item to find: "Object" (names), "Container"
//                 (one name, or one per object; "<none>"), "DiffLevel" 0..2,
//                 "Message0"/"Message1" (picture or "-"), "ObjectsToActivate",
//                 "Clue", "Bonus", "FindOnce", "HasTip";
//   data:loc/room_<name>.txt  the room's texts, their keys prefixed with the
//                 room name in lower case and "." (item display names, and
//                 "msg0."/"msg1."/"tip."/"tip.cont."/"tip.error." texts).
// A level's section "Room." + name gives "HiddenObjects", "MustBeItems",
// "MustNotBeItems", "ItemsCount" (three quotas: easy, middle, hard),
// "CompositeLimit" and "Hidden".
//
// Each level load draws a random list of items (spy_item_selection.h),
// seeded from the engine's clock. While the room is current the player finds
// items by clicking their objects in the picture, or by carrying an object
// into its container; misses, hints with the hint ring, entry and stuck tips,
// item messages with conditional text, the bonus indicator and the
// struck-through item list follow.
//
// The game reads the counters, the hidden flag and the item found in the
// current frame after each update, and takes the miss-penalty flag.
//
// Saved as "r:" + name: u32 clues total, clues found, items total, items
// found, enter-tip cursor; i32 selected item; u8 hidden, bonus chosen, bonus
// available; u32 N and N items (name, NUL, u32 pair count P, P pairs of
// object and container names each with a NUL (empty: none), u32 remaining);
// u32 M and M marks; the Room record. Each object follows as its own record.

#include "game/room.h"
#include "game/scenes/spy_item.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gui/gui_event.h"

#include <cstdint>
#include <string>
#include <vector>

class SpyObject;
class aImageManager;
class aSoundManager;
namespace GUI {
class Widget;
}

class SpyRoom : public Room {
public:
    // The playfield, right of the panel (inclusive bounds).
    static constexpr int32_t kPlayfieldLeft = 179;
    static constexpr int32_t kPlayfieldRight = 1023;
    static constexpr int32_t kPlayfieldBottom = 767;
    // Misses closer together than this count towards the penalty...
    static constexpr float kMissInterval = 1.1f;
    // ...and this many of them set it.
    static constexpr int32_t kMissesForPenalty = 3;
    // Seconds without progress before the stuck tip.
    static constexpr float kStuckTime = 120.0f;
    // The hint highlight lasts this long and fades in and out over kHintFade.
    static constexpr float kHintTime = 4.0f;
    static constexpr float kHintFade = 0.4f;
    static constexpr float kHintRingMinRadius = 60.0f;
    // Hovering the bonus indicator this long shows its hint.
    static constexpr float kBonusHoverTime = 0.3f;
    // Marks of the items of "items.ini".
    enum Mark : uint8_t { MARK_UNUSED = 0, MARK_LISTED = 1, MARK_GONE = 2 };

    SpyRoom(const std::string& name, aImageManager* images, aSoundManager* sounds, GameServices* game);
    ~SpyRoom() override;

    // ---- Room ----
    bool IsKind(uint32_t kind) const override { return kind == KIND_HIDDEN_OBJECT; }
    void LoadResources(const aOptionsFile& level) override;
    void UnloadResources() override;
    // A new game: every object's Reset, and the items found for good come back.
    void Reset() override;
    void Draw() override;
    void Update(float dt) override;
    void Enter(aSound* defaultSound) override;
    void Leave(aSound* defaultSound) override;
    // 2 while some listed item (not the bonus) has an object left, else 0.
    uint32_t GetHintState() const override;
    void UseHint() override;
    // False while an item is selected; else items found == items total.
    bool IsComplete() const override;
    // After a visit, the found find-once items are gone for good.
    void OnLevelComplete() override;
    bool ShowEnterTip() override;

    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;
    // Every object's record, in object order.
    void AfterSave(SaveLoadSystem& system) override;
    void AfterLoad(SaveLoadSystem& system) override;

    // ---- play ----
    // True when the click counts (a taken object or a miss), false when absorbed.
    virtual bool OnObjectClicked(SpyObject* object);
    // The point is relative to the object; tolerant tests accept the four neighbours.
    bool HitTestObject(SpyObject* object, int32_t x, int32_t y, bool tolerant) const;
    // False while the object taken last, or an object of the selected
    // item's objects to activate, still vanishes.
    bool IsIdle() const;
    // Lays out and fills the item list; keepStrikes leaves the struck lines alone.
    void UpdateItemList(bool keepStrikes);
    void ShowClueMessage(const SpyMessage& message);

    // ---- look-ups ----
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

    // ---- state, for the objects and for tests ----
    aImageManager* GetImageManager() const { return m_images; }
    aSoundManager* GetSoundManager() const { return m_sounds; }
    const std::vector<SpyObject*>& GetObjects() const { return m_objects; }
    const std::vector<SpyObject*>& GetTopList() const { return m_topList; }
    const std::vector<SpyItem>& GetItems() const { return m_items; }
    const std::vector<SpyItem>& GetActiveItems() const { return m_activeItems; }
    const std::vector<uint8_t>& GetMarks() const { return m_marks; }
    const std::vector<GUI::Widget*>& GetItemLines() const { return m_lines; }
    const int32_t* GetQuotas() const { return m_quotas; }
    int32_t GetCompositeLimit() const { return m_compositeLimit; }
    int32_t GetSelectedItem() const { return m_selectedItem; }
    uint32_t GetEnterTipCursor() const { return m_enterTipCursor; }
    bool IsBonusChosen() const { return m_bonusChosen; }
    bool IsBonusAvailable() const { return m_bonusAvailable; }
    SpyObject* GetHoveredObject() const { return m_hovered; }
    SpyObject* GetDraggedObject() const { return m_dragged; }
    SpyObject* GetHintedObject() const { return m_hinted; }
    float GetHintTimer() const { return m_hintTimer; }
    float GetHintPhase() const { return m_hintPhase; }
    int32_t GetMissCount() const { return m_missCount; }

protected:
    // ---- loading (spy_room.cpp) ----
    void ReadObjects();
    void ReadItems();
    void ReadItem(const aOptionsFile& items, const std::string& section, int32_t index);
    void ReadLevelSection(const aOptionsFile& level);
    void ShowFoundForGood(const SpyItem& item);
    void SelectItems();
    void MarkTolerantObjects();
    // The locale text of a key, or null.
    const std::u16string* FindText(const std::string& key) const;

    // ---- play (spy_room_play.cpp) ----
    // The active item holding the object among its objects or containers, or -1.
    int32_t FindActiveItemOf(const SpyObject* object) const;
    void Lift(SpyObject* object);
    void PutBack();
    void TakeFromItem(SpyItem& item, SpyObject* object);
    void ShowContainerError(int32_t itemIndex);
    void UpdateHover(int32_t x, int32_t y);
    void UpdateBonusHint(float dt);
    void FinishSelectedItem();
    void DrawHintRing();
    bool OnBonusEnter(const GUI::EventArgs& args);
    bool OnBonusMove(const GUI::EventArgs& args);
    bool OnBonusLeave(const GUI::EventArgs& args);

    std::string m_keyPrefix;
    std::vector<SpyObject*> m_objects; // owned, "objects.ini" order
    std::vector<SpyObject*> m_topList;
    std::vector<SpyObject*> m_hiddenObjects;
    std::vector<SpyItem> m_items; // "items.ini" order
    std::vector<SpyItem> m_activeItems;
    // Indices into m_items of the level's candidates.
    std::vector<size_t> m_candidates;
    std::vector<GUI::Widget*> m_lines;
    int32_t m_quotas[3] = {0, 0, 0};
    int32_t m_compositeLimit = 0;
    uint32_t m_cluesTotal = 0;
    uint32_t m_cluesFound = 0;
    uint32_t m_itemsTotal = 0;
    uint32_t m_itemsFound = 0;
    uint32_t m_enterTipCursor = 0;
    int32_t m_selectedItem = -1;
    bool m_hidden = false;
    bool m_bonusChosen = false;
    bool m_bonusAvailable = false;
    std::vector<uint8_t> m_marks;
    aImage* m_background = nullptr; // the room group's
    aImage* m_star = nullptr;       // the game's, shared by the rooms
    aSound* m_soundBad = nullptr;
    aSound* m_soundGood = nullptr;
    aSound* m_soundClue = nullptr;
    GUI::Widget* m_itemList = nullptr;  // "info_spy_room"
    GUI::Widget* m_bonusItem = nullptr; // "bonus_item"
    GUI::Widget* m_bonusHint = nullptr; // "bonus_item_hint"
    // The bonus hint's place and height in the layout, captured once.
    bool m_bonusHintLayoutKnown = false;
    int32_t m_bonusHintLayoutX = 0;
    int32_t m_bonusHintLayoutHeight = 0;
    int32_t m_bonusTextLayoutHeight = 0;
    float m_bonusHoverTimer = -1.0f;
    int32_t m_bonusCursorX = 0;
    int32_t m_bonusCursorY = 0;

    // play
    SpyObject* m_hovered = nullptr;
    SpyObject* m_dragged = nullptr;
    SpyObject* m_dragTarget = nullptr;
    float m_dragStartX = 0.0f;
    float m_dragStartY = 0.0f;
    SpyObject* m_activated = nullptr;
    const SpyItem* m_foundItem = nullptr;
    SpyObject* m_hinted = nullptr;
    float m_hintTimer = 0.0f;
    float m_hintPhase = 0.0f;
    float m_missTimer = 0.0f;
    int32_t m_missCount = 0;
    bool m_missPenalty = false;
    // The picture of the last item message, kept until the next one.
    aImage m_messagePicture;

    // One stuck timer for all hidden-object rooms.
    static float ms_stuckTimer;

private:
    GUI::_memberBinder<SpyRoom> m_enterBinder{this, &SpyRoom::OnBonusEnter};
    GUI::_memberBinder<SpyRoom> m_moveBinder{this, &SpyRoom::OnBonusMove};
    GUI::_memberBinder<SpyRoom> m_leaveBinder{this, &SpyRoom::OnBonusLeave};
    GUI::ScopedConnection m_connections[3];
};
