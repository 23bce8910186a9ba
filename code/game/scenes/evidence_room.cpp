#include "game/scenes/evidence_room.h"

#include "game/game_services.h"
#include "game/scenes/cross_button.h"
#include "game/scenes/evidence.h"
#include "game/tip_manager.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_string.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>

namespace {

constexpr const char* kLargeFolder = "data:images/evidences/large/";
constexpr const char* kNight = "_night";

// picture "." region, "_night" taken off the picture; false without a dot.
bool splitText(const std::string& text, std::string& picture, std::string& region) {
    const size_t dot = text.find('.');
    if (dot == std::string::npos)
        return false;
    picture = text.substr(0, dot);
    region = text.substr(dot + 1);
    const size_t n = std::char_traits<char>::length(kNight);
    if (picture.size() >= n && a_stricmp(std::string_view(picture).substr(picture.size() - n), kNight) == 0)
        picture.erase(picture.size() - n);
    return true;
}

void setColours(CrossButton* button, uint32_t normal, uint32_t hover) {
    button->SetTextNormalColor(normal);
    button->SetTextHoverColor(hover);
    button->SetTextPushedColor(hover);
}

} // namespace

EvidenceRoom::EvidenceRoom(aImageManager* images, aSoundManager* sounds, GameServices* game)
    : Room(kName, images, sounds, game) {
    GUI::Server* gui = GUI::Server::getSingletonPtr();
    GUI::Widget* root = gui ? gui->GetRootWidget() : nullptr;
    if (!root)
        return;
    m_listWindow = root->FindChild("info_evidence_room", true);
    m_pictureWindow = root->FindChild("evidence_room", true);
    m_pointer = root->FindChild("pointer", true);
    if (m_listWindow) {
        for (GUI::Widget* child : m_listWindow->GetChildren()) {
            if (!child->IsKindOf("CrossButton"))
                continue;
            m_buttons.push_back(static_cast<CrossButton*>(child));
            m_connections.emplace_back(child->SubscribeEvent(GUI::Widget::EventClick, &m_entryBinder));
        }
    } else {
        a_log("EvidenceRoom::EvidenceRoom - window 'info_evidence_room' not found");
    }
    if (m_pictureWindow) {
        for (GUI::Widget* picture : m_pictureWindow->GetChildren()) {
            for (GUI::Widget* region : picture->GetChildren()) {
                if (region->IsKindOf("Evidence"))
                    m_connections.emplace_back(
                        region->SubscribeEvent(GUI::Widget::EventClick, &m_regionBinder));
            }
        }
    } else {
        a_log("EvidenceRoom::EvidenceRoom - window 'evidence_room' not found");
    }
}

EvidenceRoom::~EvidenceRoom() {
    m_connections.clear();
}

GUI::Widget* EvidenceRoom::FindPicture(const std::string& name, bool recursive) const {
    return m_pictureWindow && !name.empty() ? m_pictureWindow->FindChild(name, recursive) : nullptr;
}

void EvidenceRoom::HideTip() {
    if (TipManager* tips = m_app ? m_app->GetTipManager() : nullptr)
        tips->HideTip();
}

// ---- granting ----

bool EvidenceRoom::AddEvidence(const std::string& text) {
    std::string picture, region;
    if (!splitText(text, picture, region))
        return false;
    GUI::Widget* widget = FindPicture(picture, false);
    if (!widget)
        return false;
    std::vector<GUI::Widget*> found;
    if (GUI::Widget* plain = widget->FindChild(region, false)) {
        found.push_back(plain);
    } else {
        for (int32_t i = 1;; ++i) {
            GUI::Widget* numbered = widget->FindChild(region + "_" + std::to_string(i), false);
            if (!numbered)
                break;
            found.push_back(numbered);
        }
    }
    for (GUI::Widget* child : found) {
        auto entry = std::find_if(m_entries.begin(), m_entries.end(),
                                  [&](const Entry& e) { return e.picture == picture; });
        if (entry == m_entries.end()) {
            m_entries.push_back(Entry{picture, false});
            entry = m_entries.end() - 1;
        }
        entry->isNew = true;
        m_records.push_back(Record{child->GetName(), picture, 1});
    }
    return !found.empty();
}

void EvidenceRoom::RemoveEvidence(const std::string& text) {
    std::string picture, region;
    if (!splitText(text, picture, region))
        return;
    auto removeOne = [&](const std::string& name) {
        auto it = std::find_if(m_records.begin(), m_records.end(), [&](const Record& r) {
            return a_stricmp(r.picture, picture) == 0 && a_stricmp(r.region, name) == 0;
        });
        if (it == m_records.end())
            return false;
        m_records.erase(it);
        return true;
    };
    if (removeOne(region))
        return;
    for (int32_t i = 1; removeOne(region + "_" + std::to_string(i)); ++i) {
    }
}

void EvidenceRoom::OnLevelComplete() {
    // What the level granted while it ran is the player's for good now.
    for (Record& record : m_records)
        record.flag = 0;
    for (const std::string& text : m_toDelete)
        RemoveEvidence(text);
    for (const std::string& text : m_toAdd)
        AddEvidence(text);
    // The level end's own grants stay too.
    for (Record& record : m_records)
        record.flag = 0;
}

void EvidenceRoom::LoadResources(const aOptionsFile& level) {
    Room::LoadResources(level);
    m_toAdd.clear();
    m_toDelete.clear();
    // A chapter without one of the lists simply has none.
    if (level.findValue("General", "EvidencesToAdd"))
        level.getStringList("General", "EvidencesToAdd", m_toAdd);
    if (level.findValue("General", "EvidencesToDel"))
        level.getStringList("General", "EvidencesToDel", m_toDelete);
    m_records.erase(
        std::remove_if(m_records.begin(), m_records.end(), [](const Record& r) { return r.flag != 0; }),
        m_records.end());
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [&](const Entry& e) {
                                       const bool kept = std::any_of(
                                           m_records.begin(), m_records.end(),
                                           [&](const Record& r) { return r.picture == e.picture; });
                                       if (!kept && e.picture == m_current)
                                           m_current.clear();
                                       return !kept;
                                   }),
                    m_entries.end());
    if (m_shown)
        m_shown->SetVisible(false);
    m_shown = nullptr;
}

void EvidenceRoom::Reset() {
    Room::Reset();
    m_entries.clear();
    m_records.clear();
    m_current.clear();
    if (m_shown)
        m_shown->SetVisible(false);
    m_shown = nullptr;
}

// ---- the room ----

void EvidenceRoom::Draw() {}

void EvidenceRoom::Enter(aSound* defaultSound) {
    Room::Enter(defaultSound);
    if (m_listWindow)
        m_listWindow->SetVisible(true);
    if (m_pictureWindow)
        m_pictureWindow->SetVisible(true);
    if (m_pointer)
        m_pointer->SetVisible(false);
    aLocaleServer* locale = aLocaleServer::getInstance();
    const size_t shown = std::min(m_entries.size(), m_buttons.size());
    CrossButton* toClick = nullptr;
    for (size_t i = 0; i < shown; ++i) {
        CrossButton* button = m_buttons[i];
        if (i > 0) {
            const CrossButton* previous = m_buttons[i - 1];
            button->SetPosition(button->GetAreaRect().x,
                                int16_t(previous->GetAreaRect().y + previous->GetHeight()));
        }
        button->BeginFillProperties();
        button->Set("Tag", std::to_string(i));
        button->EndFillProperties();
        const std::string key = "list." + m_entries[i].picture;
        button->SetText(locale ? locale->getString(key) : std::u16string());
        button->SetVisible(true);
        if (m_entries[i].picture == m_current) {
            toClick = button;
            continue;
        }
        if (m_entries[i].isNew)
            setColours(button, kNewColour, kNewHoverColour);
        else
            setColours(button, kSeenColour, kSeenHoverColour);
    }
    if (!toClick && shown > 0)
        toClick = m_buttons[0];
    if (toClick)
        ClickEntry(toClick);
    for (size_t i = shown; i < m_buttons.size(); ++i)
        m_buttons[i]->SetVisible(false);
    if (!m_shown && m_app)
        m_app->ShowMessageBox("msgbox_text", GameServices::ACTION_NONE, "evidence_room_empty", nullptr,
                              nullptr);
    if (m_visitCount == 1 && m_app)
        m_app->ShowGameHelp();
}

void EvidenceRoom::Leave(aSound* defaultSound) {
    Room::Leave(defaultSound);
    if (m_listWindow)
        m_listWindow->SetVisible(false);
    if (m_pictureWindow)
        m_pictureWindow->SetVisible(false);
}

bool EvidenceRoom::ShowEnterTip() {
    if (!m_app)
        return true;
    TipManager* tips = m_app->GetTipManager();
    if (m_app->IsPopupActive() || (tips && tips->IsTipShown()))
        return false;
    if (!m_shown && !m_entries.empty() && !m_buttons.empty() && tips) {
        const CrossButton* first = m_buttons[0];
        tips->ShowTip(first->GetAbsoluteX() + first->GetWidth() / 2,
                      first->GetAbsoluteY() + first->GetHeight() / 2, "evidence_room_click_room");
    }
    return true;
}

void EvidenceRoom::ClickEntry(CrossButton* button) {
    const int32_t index = button->GetTag();
    if (index < 0 || size_t(index) >= m_entries.size())
        return;
    setColours(button, kSeenColour, kSeenHoverColour);
    Entry& entry = m_entries[size_t(index)];
    entry.isNew = false;
    ShowEvidence(entry.picture);
    if (!m_pointer)
        return;
    m_pointer->SetVisible(true);
    const int32_t tag = m_pointer->GetTag();
    const aRect& area = m_pointer->GetAreaRect();
    m_pointer->SetAreaRect(area.x, int16_t(button->GetAreaRect().y + tag), area.width,
                           int16_t(button->GetHeight() - 2 * tag - button->GetNextSpacing()));
}

bool EvidenceRoom::OnEntryClick(const GUI::EventArgs& args) {
    const auto& e = static_cast<const GUI::WidgetEventArgs&>(args);
    auto it = std::find(m_buttons.begin(), m_buttons.end(), e.widget);
    if (it != m_buttons.end())
        ClickEntry(*it);
    return true;
}

void EvidenceRoom::ShowEvidence(const std::string& picture) {
    m_current = picture;
    if (m_shown)
        m_shown->SetVisible(false);
    m_shown = FindPicture(picture, true);
    if (!m_shown)
        return;
    m_shown->SetVisible(true);
    GUI::Widget* first = nullptr;
    for (GUI::Widget* child : m_shown->GetChildren()) {
        if (!child->IsKindOf("Evidence"))
            continue;
        const bool earned = std::any_of(m_records.begin(), m_records.end(), [&](const Record& r) {
            return a_stricmp(r.region, child->GetName()) == 0 && r.picture == picture;
        });
        child->SetVisible(earned);
        if (earned && !first)
            first = child;
    }
    HideTip();
    TipManager* tips = m_app ? m_app->GetTipManager() : nullptr;
    if (first && tips)
        tips->ShowTip(first->GetAbsoluteX() + first->GetWidth() / 4, first->GetAbsoluteY(),
                      "evidence_room_click_clue");
}

bool EvidenceRoom::OnRegionClick(const GUI::EventArgs& args) {
    const auto& e = static_cast<const GUI::WidgetEventArgs&>(args);
    auto* region = dynamic_cast<Evidence*>(e.widget);
    if (!region)
        return true;
    HideTip();
    m_largePicture.unload();
    m_largePicture.load(kLargeFolder + region->GetImageName() + ".jng", 21, 21);
    if (m_app)
        m_app->ShowMessageBox(region->GetTag() != 0 ? "msgbox_comment_large" : "msgbox_comment",
                              GameServices::ACTION_NONE, "evd." + m_current + "." + region->GetName(),
                              &m_largePicture, nullptr);
    return true;
}

// ---- saving ----

void EvidenceRoom::Save(SaveLoadSystem& system, SaveWriter& record) {
    record.WriteString(m_current);
    record.WriteU32(uint32_t(m_entries.size()));
    for (const Entry& entry : m_entries) {
        record.WriteString(entry.picture);
        record.WriteU8(entry.isNew ? 1 : 0);
    }
    record.WriteU32(uint32_t(m_records.size()));
    for (const Record& r : m_records) {
        record.WriteString(r.region);
        record.WriteString(r.picture);
        record.WriteU8(r.flag);
    }
    Room::Save(system, record);
}

void EvidenceRoom::Load(SaveLoadSystem& system, SaveReader& record) {
    std::string current;
    std::vector<Entry> entries;
    std::vector<Record> records;
    auto bad = [&]() { a_log("EvidenceRoom::Load - bad record, evidence not taken"); };
    uint32_t count = 0;
    // An entry takes at least 2 bytes and a record 3: a count beyond what is
    // left is a bad record.
    if (!record.ReadString(current) || !record.ReadU32(count) || count > record.GetRemaining() / 2)
        return bad();
    for (uint32_t i = 0; i < count; ++i) {
        Entry entry;
        uint8_t isNew = 0;
        if (!record.ReadString(entry.picture) || !record.ReadU8(isNew))
            return bad();
        entry.isNew = isNew != 0;
        entries.push_back(entry);
    }
    if (!record.ReadU32(count) || count > record.GetRemaining() / 3)
        return bad();
    for (uint32_t i = 0; i < count; ++i) {
        Record r;
        if (!record.ReadString(r.region) || !record.ReadString(r.picture) || !record.ReadU8(r.flag))
            return bad();
        records.push_back(r);
    }
    m_current = current;
    m_entries = std::move(entries);
    m_records = std::move(records);
    Room::Load(system, record);
}
