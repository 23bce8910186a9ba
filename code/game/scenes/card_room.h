#pragma once
// The clue-card room "#card_room": the clue cards won so far, in the slots of
// the window "card_room". Cards are won in the order of the level's section
// "CardsOrder": each key is a card, its value the names of the rooms that
// allow it and conditions "+room.item" on items found. A condition holds when
// the hidden-object room has the item and it is found in this level or was
// found for good in an earlier one. The level clock stops while the room is
// current.
//
// Pictures: the image list "data:images/cluecards/ImageList.txt" in the image
// group "cards" (each card's small picture by its name, and "back"); the
// large pictures "data:images/cluecards/large/<name>.jng", loaded while the
// card popup shows them. The slots are the window's children whose "Tag" is
// 1 in the layout; their tags become their indices. A click on a slot zooms
// its card in the child "popup"; a click on the popup closes it.

#include "game/room.h"
#include "mirel/gui/gui_event.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class ClueCard;
class aImage;
namespace GUI {
class Widget;
}

class CardRoom : public Room {
public:
    struct Condition {
        std::string room;
        std::string item;
    };
    struct CardDef {
        std::string name;
        std::vector<std::string> entries; // the names that allow the card
        std::vector<Condition> conditions;
    };
    // How a condition's room is found: the game's room of that name by default.
    using RoomLookup = std::function<Room*(const std::string& name)>;

    static constexpr const char* kName = "#card_room";
    static constexpr const char* kImageList = "data:images/cluecards/ImageList.txt";
    static constexpr const char* kImageGroup = "cards";
    // The glow over the hovered slot, drawn additively.
    static constexpr uint32_t kGlowColour = 0x40FFFF00u;

    CardRoom(aImageManager* images, aSoundManager* sounds, GameServices* game);
    ~CardRoom() override;

    // u32 count and the owned cards' names, then the base record.
    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;
    bool IsKind(uint32_t kind) const override { return kind == KIND_CARD; }
    // The base resources, the background, then the definitions of "CardsOrder".
    void LoadResources(const aOptionsFile& level) override;
    // The base, then the owned cards go.
    void Reset() override;
    void Draw() override;
    void Enter(aSound* defaultSound) override;
    void Leave(aSound* defaultSound) override;
    bool PausesTimer() const override { return true; }

    // The first definition, in order, that the name allows, that is not owned
    // and whose conditions hold, as a new owned card; null when none.
    ClueCard* UnlockNextCard(const std::string& name);
    // Whether the condition holds now.
    bool ConditionHolds(const Condition& condition) const;
    void SetRoomLookup(RoomLookup lookup) { m_lookup = std::move(lookup); }

    const std::vector<CardDef>& GetDefinitions() const { return m_definitions; }
    const std::vector<ClueCard*>& GetCards() const { return m_cards; }
    const std::vector<GUI::Widget*>& GetSlots() const { return m_slots; }
    GUI::Widget* GetWindow() const { return m_window; }
    GUI::Widget* GetPopup() const { return m_popup; }
    ClueCard* GetZoomedCard() const { return m_zoomed; }

private:
    void ClearCards();
    bool OnSlotRender(const GUI::EventArgs& args);
    bool OnSlotClick(const GUI::EventArgs& args);
    bool OnPopupRender(const GUI::EventArgs& args);
    bool OnPopupClick(const GUI::EventArgs& args);
    // The owned card of the slot the event concerns, or null.
    ClueCard* SlotCard(const GUI::EventArgs& args, GUI::Widget** slot) const;

    std::vector<CardDef> m_definitions;
    std::map<std::string, std::vector<size_t>> m_definitionsByEntry; // places in m_definitions, in order
    std::vector<ClueCard*> m_cards;                                  // owned, in the order won
    std::set<std::string> m_owned;                                   // the names of m_cards
    aImage* m_background = nullptr;                                  // the room group's
    GUI::Widget* m_window = nullptr;
    GUI::Widget* m_popup = nullptr;
    std::vector<GUI::Widget*> m_slots;
    ClueCard* m_zoomed = nullptr;
    RoomLookup m_lookup;

    GUI::_memberBinder<CardRoom> m_slotRenderBinder{this, &CardRoom::OnSlotRender};
    GUI::_memberBinder<CardRoom> m_slotClickBinder{this, &CardRoom::OnSlotClick};
    GUI::_memberBinder<CardRoom> m_popupRenderBinder{this, &CardRoom::OnPopupRender};
    GUI::_memberBinder<CardRoom> m_popupClickBinder{this, &CardRoom::OnPopupClick};
    std::vector<GUI::ScopedConnection> m_connections;
};
