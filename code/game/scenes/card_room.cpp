#include "game/scenes/card_room.h"

#include "game/game_services.h"
#include "game/scenes/card_popup.h"
#include "game/scenes/clue_card.h"
#include "game/scenes/spy_room.h"
#include "mirel/base/a_format.h"
#include "mirel/base/a_log.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_draw.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>
#include <cstdio>

namespace {

void setTag(GUI::Widget* widget, int32_t tag) {
    widget->BeginFillProperties();
    widget->Set("Tag", a_format("%d", {tag}));
    widget->Set("NotifyRender", "1");
    widget->EndFillProperties();
}

aRect screenRect(const GUI::Widget* widget) {
    return aRect(int16_t(widget->GetAbsoluteX()), int16_t(widget->GetAbsoluteY()), widget->GetWidth(),
                 widget->GetHeight());
}

} // namespace

CardRoom::CardRoom(aImageManager* images, aSoundManager* sounds, GameServices* game)
    : Room(kName, images, sounds, game) {
    m_lookup = [this](const std::string& name) { return m_app ? m_app->FindRoom(name) : nullptr; };
    if (m_images)
        m_images->loadList(kImageList, kImageGroup);
    GUI::Server* gui = GUI::Server::getSingletonPtr();
    GUI::Widget* root = gui ? gui->GetRootWidget() : nullptr;
    m_window = root ? root->FindChild("card_room", true) : nullptr;
    if (!m_window) {
        a_log("CardRoom::CardRoom - window 'card_room' not found");
        return;
    }
    for (GUI::Widget* child : m_window->GetChildren()) {
        if (child->GetTag() != 1)
            continue;
        setTag(child, int32_t(m_slots.size()));
        m_slots.push_back(child);
        m_connections.emplace_back(child->SubscribeEvent(GUI::Widget::EventEndRender, &m_slotRenderBinder));
        m_connections.emplace_back(child->SubscribeEvent(GUI::Widget::EventClick, &m_slotClickBinder));
    }
    m_popup = m_window->FindChild("popup", true);
    if (m_popup) {
        m_popup->BeginFillProperties();
        m_popup->Set("NotifyRender", "1");
        m_popup->EndFillProperties();
        m_connections.emplace_back(
            m_popup->SubscribeEvent(GUI::Widget::EventEndRender, &m_popupRenderBinder));
        m_connections.emplace_back(m_popup->SubscribeEvent(GUI::Widget::EventClick, &m_popupClickBinder));
    }
}

CardRoom::~CardRoom() {
    m_connections.clear();
    ClearCards();
}

void CardRoom::ClearCards() {
    if (GetCardPopupCard() && std::find(m_cards.begin(), m_cards.end(), GetCardPopupCard()) != m_cards.end())
        CloseCardPopup();
    m_zoomed = nullptr;
    for (ClueCard* card : m_cards)
        delete card;
    m_cards.clear();
    m_owned.clear();
}

void CardRoom::Load(SaveLoadSystem& system, SaveReader& record) {
    uint32_t count = 0;
    // Each name takes at least its NUL: a count beyond the record is a bad record.
    if (!record.ReadU32(count) || count > record.GetRemaining()) {
        a_log("CardRoom::Load - bad record, cards not taken");
        return;
    }
    std::vector<std::string> names;
    for (uint32_t i = 0; i < count; ++i) {
        std::string name;
        if (!record.ReadString(name)) {
            a_log("CardRoom::Load - bad record, cards not taken");
            return;
        }
        names.push_back(name);
    }
    ClearCards();
    for (const std::string& name : names) {
        m_cards.push_back(new ClueCard(name, m_images));
        m_owned.insert(name);
    }
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
    m_background = m_images ? m_images->getImage("background", m_name) : nullptr;
    m_definitions.clear();
    m_definitionsByEntry.clear();
    aOptionsFile file(level);
    if (!file.setSection("CardsOrder"))
        return;
    for (file.firstKey(); !file.isKeyEnd(); file.nextKey()) {
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
        for (const std::string& entry : def.entries) {
            std::vector<size_t>& places = m_definitionsByEntry[entry];
            if (places.empty() || places.back() != m_definitions.size())
                places.push_back(m_definitions.size());
        }
        m_definitions.push_back(def);
    }
}

void CardRoom::Reset() {
    Room::Reset();
    ClearCards();
}

void CardRoom::Draw() {
    if (m_background)
        m_background->drawAt(float(SpyRoom::kPlayfieldLeft), 0.0f, 0xFFFFFFFFu);
}

void CardRoom::Enter(aSound* defaultSound) {
    Room::Enter(defaultSound);
    if (m_window)
        m_window->SetVisible(true);
    if (m_popup)
        m_popup->SetVisible(false);
    m_zoomed = nullptr;
    if (m_cards.empty() && m_app)
        m_app->ShowMessageBox("msgbox_text", GameServices::ACTION_NONE, "card_room_empty", nullptr, nullptr);
}

void CardRoom::Leave(aSound* defaultSound) {
    Room::Leave(defaultSound);
    if (m_window)
        m_window->SetVisible(false);
    CloseCardPopup();
    m_zoomed = nullptr;
}

bool CardRoom::ConditionHolds(const Condition& c) const {
    Room* room = m_lookup ? m_lookup(c.room) : nullptr;
    if (!room || !room->IsKind(KIND_HIDDEN_OBJECT))
        return false;
    const auto* spy = static_cast<const SpyRoom*>(room);
    // Found in this level...
    if (const SpyItem* active = spy->FindItem(c.item, true))
        if (active->IsFound())
            return true;
    // ...or for good in an earlier one.
    const SpyItem* item = spy->FindItem(c.item, false);
    if (!item)
        return false;
    const std::vector<uint8_t>& marks = spy->GetMarks();
    const size_t mark = size_t(item->markIndex);
    return mark < marks.size() && marks[mark] == SpyRoom::MARK_GONE;
}

ClueCard* CardRoom::UnlockNextCard(const std::string& name) {
    const auto allowed = m_definitionsByEntry.find(name);
    if (allowed == m_definitionsByEntry.end())
        return nullptr;
    for (size_t place : allowed->second) {
        const CardDef& def = m_definitions[place];
        if (m_owned.count(def.name))
            continue;
        if (!std::all_of(def.conditions.begin(), def.conditions.end(),
                         [&](const Condition& c) { return ConditionHolds(c); }))
            continue;
        m_cards.push_back(new ClueCard(def.name, m_images));
        m_owned.insert(def.name);
        return m_cards.back();
    }
    return nullptr;
}

ClueCard* CardRoom::SlotCard(const GUI::EventArgs& args, GUI::Widget** slot) const {
    const auto& e = static_cast<const GUI::WidgetEventArgs&>(args);
    if (!e.widget)
        return nullptr;
    const int32_t index = e.widget->GetTag();
    if (index < 0 || size_t(index) >= m_cards.size())
        return nullptr;
    if (slot)
        *slot = e.widget;
    ClueCard* card = m_cards[size_t(index)];
    return card == m_zoomed ? nullptr : card;
}

bool CardRoom::OnSlotRender(const GUI::EventArgs& args) {
    GUI::Widget* slot = nullptr;
    ClueCard* card = SlotCard(args, &slot);
    if (!card)
        return true;
    const aImage& image = card->GetImage();
    const aRect source(0, 0, int16_t(image.getWidth()), int16_t(image.getHeight()));
    const aRect dest = screenRect(slot);
    GUI::DrawImageStretched(&image, source, dest, 0xFFFFFFFFu);
    GUI::Server* gui = GUI::Server::getSingletonPtr();
    if (gui && gui->GetMouseWidget() == slot) {
        aGraphServer* gs = aImage::getGraphServer();
        if (gs)
            gs->setBlendMode(1);
        GUI::DrawImageStretched(&image, source, dest, kGlowColour);
        if (gs)
            gs->setBlendMode(0);
    }
    return true;
}

bool CardRoom::OnSlotClick(const GUI::EventArgs& args) {
    GUI::Widget* slot = nullptr;
    ClueCard* card = SlotCard(args, &slot);
    if (!card)
        return true;
    m_zoomed = card;
    ShowCardZoom(card, screenRect(slot));
    if (m_popup)
        m_popup->SetVisible(true);
    return true;
}

bool CardRoom::OnPopupRender(const GUI::EventArgs&) {
    DrawCardPopup();
    return true;
}

bool CardRoom::OnPopupClick(const GUI::EventArgs&) {
    CloseCardPopup();
    m_zoomed = nullptr;
    if (m_popup)
        m_popup->SetVisible(false);
    return true;
}
