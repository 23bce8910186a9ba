#pragma once
// The clue-card room "#card_room": the clue cards won so far, in the slots of
// the window "card_room". Cards are won in the order of the level's section
// "CardsOrder": each key is a card, its value the names of the rooms that
// allow it and conditions "+room.item" on items found. The level clock stops
// while the room is current.

#include "game/room.h"

#include <string>
#include <vector>

class ClueCard;
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

    static constexpr const char* kName = "#card_room";

    CardRoom(aImageManager* images, aSoundManager* sounds);
    ~CardRoom() override;

    // u32 count and the owned cards' names, then the base record.
    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;
    bool IsKind(uint32_t kind) const override { return kind == KIND_CARD; }
    // The base resources, then the definitions of "CardsOrder".
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

    const std::vector<CardDef>& GetDefinitions() const { return m_definitions; }
    const std::vector<ClueCard*>& GetCards() const { return m_cards; }

private:
    void ClearCards();

    std::vector<CardDef> m_definitions;
    std::vector<ClueCard*> m_cards; // owned, in the order won
    GUI::Widget* m_window = nullptr;
};
