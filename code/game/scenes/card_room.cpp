#include "game/scenes/card_room.h"

#include "game/game_app.h"
#include "game/scenes/card_popup.h"
#include "game/scenes/clue_card.h"
#include "game/scenes/spy_room.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/base/a_log.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>
#include <cstdio>

CardRoom::CardRoom(aImageManager* images, aSoundManager* sounds) : Room(kName, images, sounds) {
    if (GUI::Server* gui = m_app ? m_app->GetGuiServer() : nullptr) {
        if (GUI::Widget* root = gui->GetRootWidget())
            m_window = root->FindChild("card_room", true);
    }
}

CardRoom::~CardRoom() {
    ClearCards();
}

void CardRoom::ClearCards() {
    if (GetCardPopupCard() && std::find(m_cards.begin(), m_cards.end(), GetCardPopupCard()) != m_cards.end())
        CloseCardPopup();
    for (ClueCard* card : m_cards)
        delete card;
    m_cards.clear();
}

void CardRoom::Load(SaveLoadSystem& system, SaveReader& record) {
    uint32_t count = 0;
    if (!record.ReadU32(count))
        return;
    std::vector<std::string> names;
    for (uint32_t i = 0; i < count; ++i) {
        std::string name;
        if (!record.ReadString(name))
            return;
        names.push_back(name);
    }
    ClearCards();
    for (const std::string& name : names)
        m_cards.push_back(new ClueCard(name, m_images));
    Room::Load(system, record);
}

void CardRoom::Save(SaveLoadSystem& system, SaveWriter& record) {
    record.WriteU32(uint32_t(m_cards.size()));
    for (const ClueCard* card : m_cards)
        record.WriteString(card->GetName());
    Room::Save(system, record);
}

void CardRoom::LoadResources(const aOptionsFile& level) {
    Room::LoadResources(level);
    m_definitions.clear();
    aOptionsFile file(level);
    if (!file.setSection("CardsOrder"))
        return;
    for (bool more = file.firstKey(); more; more = file.nextKey()) {
        CardDef def;
        def.name = file.getKeyName();
        std::vector<std::string> words;
        file.getStringList("CardsOrder", def.name, words);
        for (const std::string& word : words) {
            if (word.empty() || word[0] != '+') {
                def.entries.push_back(word);
                continue;
            }
            char room[51] = {};
            char item[51] = {};
            if (std::sscanf(word.c_str(), "+%50[^.].%50s", room, item) == 2)
                def.conditions.push_back(Condition{room, item});
            else
                a_log("CardRoom::LoadResources - condition error '%s'", word.c_str());
        }
        m_definitions.push_back(def);
    }
}

void CardRoom::Reset() {
    Room::Reset();
    ClearCards();
}

void CardRoom::Draw() {}

void CardRoom::Enter(aSound* defaultSound) {
    Room::Enter(defaultSound);
    if (m_window)
        m_window->SetVisible(true);
    if (m_cards.empty() && m_app)
        m_app->ShowMessageBox("msgbox_text", GameApp::ACTION_NONE, "card_room_empty", nullptr, nullptr);
}

void CardRoom::Leave(aSound* defaultSound) {
    Room::Leave(defaultSound);
    if (m_window)
        m_window->SetVisible(false);
    CloseCardPopup();
}

ClueCard* CardRoom::UnlockNextCard(const std::string& name) {
    for (const CardDef& def : m_definitions) {
        if (std::find(def.entries.begin(), def.entries.end(), name) == def.entries.end())
            continue;
        const bool owned = std::any_of(m_cards.begin(), m_cards.end(),
                                       [&](const ClueCard* card) { return card->GetName() == def.name; });
        if (owned)
            continue;
        const bool holds = std::all_of(def.conditions.begin(), def.conditions.end(), [&](const Condition& c) {
            Room* room = m_app ? m_app->FindRoom(c.room) : nullptr;
            if (!room || !room->IsKind(KIND_HIDDEN_OBJECT))
                return false;
            const SpyItem* item = static_cast<SpyRoom*>(room)->FindItem(c.item, false);
            return item && item->IsFound();
        });
        if (!holds)
            continue;
        m_cards.push_back(new ClueCard(def.name, m_images));
        return m_cards.back();
    }
    return nullptr;
}
