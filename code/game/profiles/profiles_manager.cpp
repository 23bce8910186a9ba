#include "game/profiles/profiles_manager.h"

#include "game/profiles/player_name.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_utf.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/gfx/a_font.h"
#include "mirel/gui/gui_editbox.h"
#include "mirel/gui/gui_keys.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widget.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr size_t kProfileEntryMinSize = 12; // an empty name's 0 byte and 11 bytes of settings

GUI::Widget* findIn(GUI::Widget* parent, const std::string& name) {
    GUI::Widget* w = parent ? parent->FindChild(name, true) : nullptr;
    if (!w)
        a_log("ProfilesManager::InitGui - widget '%s' not found", name.c_str());
    return w;
}

void setProperty(GUI::Widget* widget, const std::string& name, const std::string& value) {
    widget->BeginFillProperties();
    widget->Set(name, value);
    widget->EndFillProperties();
}

void raiseAndShow(GUI::Widget* widget) {
    if (!widget)
        return;
    widget->MoveToFront();
    widget->SetVisible(true);
}

void hide(GUI::Widget* widget) {
    if (widget)
        widget->SetVisible(false);
}

std::string trimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool hasNonBlank(const std::u16string& text) {
    return std::any_of(text.begin(), text.end(), [](char16_t c) { return c != u' '; });
}

// A stored volume: 0..1; a value that is no number gives the default. A
// volume outside that is named in the log.
float volumeOf(float value, float fallback) {
    const float taken = std::isfinite(value) ? std::clamp(value, 0.0f, 1.0f) : fallback;
    if (taken != value)
        a_log("ProfilesManager: stored volume %g out of range, %g taken", double(value), double(taken));
    return taken;
}

GUI::Widget* widgetOf(const GUI::EventArgs& args) {
    const auto* e = dynamic_cast<const GUI::WidgetEventArgs*>(&args);
    return e ? e->widget : nullptr;
}

// The settings of one profile as the file holds them (after the name).
bool readSettings(SaveReader& reader, ProfileRecord& record) {
    const ProfileRecord defaults;
    float sound = 0.0f;
    float music = 0.0f;
    if (!reader.ReadF32(sound) || !reader.ReadF32(music) || !reader.ReadU8(record.vsync) ||
        !reader.ReadU8(record.showTips) || !reader.ReadU8(record.fullscreen))
        return false;
    record.soundVolume = volumeOf(sound, defaults.soundVolume);
    record.musicVolume = volumeOf(music, defaults.musicVolume);
    return true;
}

// The characters a name can hold: each byte of the game's code page that
// stands for a printable character, when every font given draws it (a font
// that draws none of them, a damaged one, is passed over). The unbreakable
// blank and the soft hyphen look like a blank or like nothing and are left
// out.
std::u16string nameCharacters(std::vector<const aFont*> fonts) {
    std::u16string stored;
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        const char16_t c = ansiToWide(std::string(1, char(byte)))[0];
        if (byte != 0x7F && c != u'\ufffd' && c != u'\u00a0' && c != u'\u00ad')
            stored.push_back(c);
    }
    std::erase_if(fonts, [&stored](const aFont* font) {
        return std::none_of(stored.begin(), stored.end(), [font](char16_t c) { return font->hasGlyph(c); });
    });
    std::u16string chars;
    for (char16_t c : stored) {
        if (std::all_of(fonts.begin(), fonts.end(), [c](const aFont* font) { return font->hasGlyph(c); }))
            chars.push_back(c);
    }
    return chars;
}

// Keys the name box or its dialog acts on, and keys that only change others.
bool isNameBoxKey(uint32_t key) {
    switch (key) {
    case ProfilesManager::KEY_ENTER:
    case ProfilesManager::KEY_ESCAPE:
    case GUI::Editbox::KEY_BACKSPACE:
    case GUI::Editbox::KEY_DELETE:
    case GUI::Editbox::KEY_HOME:
    case GUI::Editbox::KEY_END:
    case GUI::Editbox::KEY_LEFT:
    case GUI::Editbox::KEY_RIGHT:
        return true;
    default:
        return GUI::IsModifierOrLockKey(key);
    }
}

void writeSettings(SaveWriter& writer, const ProfileRecord& record) {
    writer.WriteString(record.name);
    writer.WriteF32(record.soundVolume);
    writer.WriteF32(record.musicVolume);
    writer.WriteU8(record.vsync);
    writer.WriteU8(record.showTips);
    writer.WriteU8(record.fullscreen);
}

} // namespace

std::string MakeProfilesFileName(const std::string& languageCode) {
    return languageCode + "_profiles.dat";
}

ProfilesManager::ProfilesManager(ProfileRecord& settings)
    : SaveLoadEntity("<profiles>"), SaveLoadSystem(0), m_settings(settings) {}

ProfilesManager::~ProfilesManager() = default;

void ProfilesManager::SetStorage(const std::string& userFolder, const std::string& savesFolder,
                                 const std::string& languageCode) {
    m_userFolder = userFolder;
    m_savesFolder = savesFolder;
    m_languageCode = languageCode;
}

std::string ProfilesManager::GetProfilesFileName() const {
    return m_userFolder + MakeProfilesFileName(m_languageCode);
}

std::string ProfilesManager::GetSaveFileName(const ProfileRecord& record) const {
    return m_savesFolder + MakeSaveFileName(m_languageCode, record.name);
}

void ProfilesManager::DeleteSaveFile(const ProfileRecord& record) const {
    const std::string path = GetSaveFileName(record);
    aFileServer* files = aFileServer::getInstance();
    if (files && file_exists(path))
        files->deleteFile(path);
}

uint32_t ProfilesManager::FindProfile(const std::string& name) const {
    for (size_t i = 0; i < m_records.size(); ++i) {
        if (m_records[i].name == name)
            return uint32_t(i);
    }
    return kNone;
}

// ---- the file ----

void ProfilesManager::LoadProfiles() {
    m_records.clear();
    m_selected = kNone;
    m_recordTaken = false;
    const std::string path = GetProfilesFileName();
    if (SaveLoadSystem::Load(path, kSaveFormatVersion)) {
        LoadEntity(*this);
        EndSave();
        m_selected = FindProfile(m_settings.name);
    }
    // A file that lies there and was not taken (damaged, of another version,
    // no file at all) stays beside the one the game writes; one that cannot
    // be moved is never written over.
    m_keepFile = !m_recordTaken &&
                 !KeepFileAside(path, "refused", "ProfilesManager::LoadProfiles - the profiles file");
    a_log("Profiles list");
    for (size_t i = 0; i < m_records.size(); ++i)
        a_log("%c %s", i == m_selected ? '*' : ' ', NameForLog(m_records[i].name).c_str());
}

void ProfilesManager::Load(SaveLoadSystem&, SaveReader& record) {
    ProfileRecord current = m_settings;
    uint32_t count = 0;
    // A short record, or a count the record cannot hold: nothing changes.
    if (!record.ReadString(current.name) || !readSettings(record, current) || !record.ReadU32(count) ||
        count > record.GetRemaining() / kProfileEntryMinSize) {
        a_log("ProfilesManager: the profiles record is damaged, no profile loaded");
        return;
    }
    std::vector<ProfileRecord> records(count);
    for (ProfileRecord& entry : records) {
        if (!record.ReadString(entry.name) || !readSettings(record, entry)) {
            a_log("ProfilesManager: the profiles record is damaged, no profile loaded");
            return;
        }
    }
    m_settings.name = current.name;
    m_settings.soundVolume = current.soundVolume;
    m_settings.musicVolume = current.musicVolume;
    m_settings.vsync = current.vsync;
    m_settings.showTips = current.showTips;
    m_settings.fullscreen = current.fullscreen;
    m_records = std::move(records);
    m_recordTaken = true;
}

void ProfilesManager::Save(SaveLoadSystem&, SaveWriter& record) {
    writeSettings(record, m_settings);
    record.WriteU32(uint32_t(m_records.size()));
    for (const ProfileRecord& entry : m_records)
        writeSettings(record, entry);
}

void ProfilesManager::SaveProfiles() {
    if (IsSelectionValid()) {
        if (m_mode != MODE_IDLE)
            m_settings = m_records[m_selected];
        else
            m_records[m_selected] = m_settings;
    }
    if (m_keepFile)
        return;
    BeginSave(GetProfilesFileName(), kSaveFormatVersion);
    SaveEntity(*this);
    EndSave();
}

// ---- the dialogs ----

void ProfilesManager::InitGui(GUI::Server& gui, const std::vector<const GUI::Widget*>& alsoShowingNames) {
    m_gui = &gui;
    m_connections.clear();
    m_lines.clear();
    GUI::Widget* root = gui.GetRootWidget();
    auto bind = [this](GUI::Widget* widget, const std::string& event, GUI::SubscriberInterface* handler) {
        if (widget)
            m_connections.emplace_back(widget->SubscribeEvent(event, handler));
    };

    m_listWindow = findIn(root, "profiles_list");
    m_newButton = findIn(m_listWindow, "new_profile");
    m_deleteButton = findIn(m_listWindow, "del_profile");
    GUI::Widget* close = findIn(m_listWindow, "close");
    m_selectionFrame = findIn(m_listWindow, "selection");
    m_createWindow = findIn(root, "create_new_profile");
    m_okButton = findIn(m_createWindow, "btn_ok");
    GUI::Widget* cancel = findIn(m_createWindow, "btn_cancel");
    m_nameEditbox = findIn(m_createWindow, "name");
    m_confirmWindow = findIn(root, "confirm_profile_delete");
    GUI::Widget* yes = findIn(m_confirmWindow, "btn_yes");
    GUI::Widget* no = findIn(m_confirmWindow, "btn_no");
    m_confirmName = findIn(m_confirmWindow, "name");
    m_refusal = findIn(m_createWindow, "refused");

    if (m_listWindow) {
        for (GUI::Widget* child : m_listWindow->GetChildren()) {
            if (child->GetTag() == 0)
                continue;
            setProperty(child, "Tag", std::to_string(m_lines.size()));
            setProperty(child, "MultiClick", "1");
            m_lines.push_back(child);
            bind(child, GUI::Widget::EventMouseDown, &m_selectBinder);
            bind(child, GUI::Widget::EventDoubleClick, &m_acceptBinder);
        }
    }
    bind(m_newButton, GUI::Widget::EventClick, &m_newBinder);
    bind(m_deleteButton, GUI::Widget::EventClick, &m_askDeleteBinder);
    bind(close, GUI::Widget::EventClick, &m_acceptBinder);
    bind(m_okButton, GUI::Widget::EventClick, &m_dialogButtonBinder);
    bind(cancel, GUI::Widget::EventClick, &m_dialogButtonBinder);
    bind(m_nameEditbox, GUI::Widget::EventTextChanged, &m_nameChangedBinder);
    bind(m_nameEditbox, GUI::Widget::EventKeyDown, &m_nameKeyBinder);
    bind(m_nameEditbox, GUI::Editbox::EventCharRefused, &m_nameRefusedBinder);
    bind(yes, GUI::Widget::EventClick, &m_deleteAnswerBinder);
    bind(no, GUI::Widget::EventClick, &m_deleteAnswerBinder);

    std::vector<const aFont*> fonts;
    auto fontOf = [&fonts](const GUI::Widget* widget) {
        if (widget && widget->GetFont())
            fonts.push_back(widget->GetFont());
    };
    fontOf(m_nameEditbox);
    fontOf(m_confirmName);
    for (const GUI::Widget* widget : m_lines)
        fontOf(widget);
    for (const GUI::Widget* widget : alsoShowingNames)
        fontOf(widget);
    m_nameCharacters = nameCharacters(fonts);
    if (m_confirmName)
        m_confirmNameSize = m_confirmName->GetFontSize(true);

    // Names become file names: the box takes no more than the cap, and no
    // character the file or the fonts would lose.
    if (auto* box = dynamic_cast<GUI::Editbox*>(m_nameEditbox)) {
        if (box->GetMaxLength() <= 0 || size_t(box->GetMaxLength()) > kMaxNameLength)
            setProperty(box, "MaxLength", std::to_string(kMaxNameLength));
        box->SetAllowedChars(m_nameCharacters);
    }
}

bool ProfilesManager::Open(bool onlyIfNone) {
    if (m_mode != MODE_IDLE)
        return false;
    if (!onlyIfNone && !m_records.empty()) {
        if (IsSelectionValid())
            m_records[m_selected] = m_settings;
        raiseAndShow(m_listWindow);
        UpdateDialog();
        m_mode = MODE_LIST;
        return true;
    }
    if (m_records.empty()) {
        OpenCreateDialog();
        m_mode = MODE_FIRST_RUN;
        return true;
    }
    return false;
}

void ProfilesManager::UpdateDialog() {
    const size_t shown = std::min(m_lines.size(), m_records.size());
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (i < shown)
            m_lines[i]->SetText(ansiToWide(m_records[i].name));
        m_lines[i]->SetVisible(i < shown);
    }
    const bool framed = m_selected != kNone && m_selected < m_lines.size();
    if (m_selectionFrame) {
        if (framed)
            m_selectionFrame->SetAreaRect(m_lines[m_selected]->GetAreaRect());
        m_selectionFrame->SetVisible(framed);
    }
    if (m_newButton)
        m_newButton->SetEnabled(shown < m_lines.size());
    if (m_deleteButton)
        m_deleteButton->SetEnabled(shown > 1);
    SaveProfiles();
}

void ProfilesManager::OpenCreateDialog() {
    ShowRefusal(false);
    raiseAndShow(m_createWindow);
    if (m_nameEditbox) {
        m_nameEditbox->SetText(std::u16string());
        if (m_gui)
            m_gui->SetFocus(m_nameEditbox);
    }
}

bool ProfilesManager::OnNewProfile(const GUI::EventArgs&) {
    OpenCreateDialog();
    return true;
}

bool ProfilesManager::OnSelectLine(const GUI::EventArgs& args) {
    GUI::Widget* line = widgetOf(args);
    if (!line || line->GetTag() < 0 || size_t(line->GetTag()) >= m_records.size())
        return true;
    m_selected = uint32_t(line->GetTag());
    if (m_selectionFrame)
        m_selectionFrame->SetAreaRect(line->GetAreaRect());
    return true;
}

bool ProfilesManager::OnAccept(const GUI::EventArgs&) {
    hide(m_listWindow);
    if (IsSelectionValid())
        m_settings = m_records[m_selected];
    m_mode = MODE_IDLE;
    return true;
}

bool ProfilesManager::OnDialogButton(const GUI::EventArgs& args) {
    GUI::Widget* button = widgetOf(args);
    HandleNameKey(button && button->GetTag() > 0 ? KEY_ENTER : KEY_ESCAPE);
    return true;
}

bool ProfilesManager::OnNameChanged(const GUI::EventArgs&) {
    m_editedThisKey = true;
    if (m_okButton && m_nameEditbox)
        m_okButton->SetEnabled(hasNonBlank(m_nameEditbox->GetText()));
    return true;
}

bool ProfilesManager::OnNameKey(const GUI::EventArgs& args) {
    const auto* e = dynamic_cast<const GUI::KeybEventArgs*>(&args);
    if (!e)
        return true;
    // The box has handled the key. One that typed nothing and is none of the
    // keys the box or the dialog act on (nor a shortcut) is refused as well;
    // the line stays until a key changes the name.
    const bool typedNothing =
        e->character == 0 && !isNameBoxKey(e->key) && (e->modifiers & (GUI::MOD_CTRL | GUI::MOD_ALT)) == 0;
    if (m_refusedThisKey || typedNothing)
        ShowRefusal(true);
    else if (m_editedThisKey)
        ShowRefusal(false);
    m_refusedThisKey = false;
    m_editedThisKey = false;
    HandleNameKey(e->key);
    return true;
}

bool ProfilesManager::OnNameRefused(const GUI::EventArgs&) {
    m_refusedThisKey = true;
    ShowRefusal(true);
    return true;
}

void ProfilesManager::ShowRefusal(bool shown) {
    if (m_refusal)
        m_refusal->SetVisible(shown);
}

bool ProfilesManager::IsRefusalShown() const {
    return m_refusal && m_refusal->IsVisible();
}

void ProfilesManager::HandleNameKey(uint32_t key) {
    // Keys reach the box while it has the focus, shown or not.
    if (m_createWindow && !m_createWindow->IsVisible())
        return;
    bool created = false;
    if (key == KEY_ENTER) {
        const std::u16string text = m_nameEditbox ? m_nameEditbox->GetText() : std::u16string();
        const bool okEnabled = m_okButton ? m_okButton->IsEnabled(true) : hasNonBlank(text);
        std::string name = trimBlanks(wideToAnsi(text));
        if (name.size() > kMaxNameLength)
            name = trimBlanks(name.substr(0, kMaxNameLength));
        if (!okEnabled || name.empty())
            return;
        const uint32_t found = FindProfile(name);
        if (found != kNone) {
            m_selected = found;
            if (m_mode == MODE_LIST)
                UpdateDialog(); // the frame follows the selection
        } else {
            ProfileRecord record;
            record.name = name;
            record.vsync = m_settings.vsync;
            record.fullscreen = m_settings.fullscreen;
            m_selected = uint32_t(m_records.size());
            m_records.push_back(record);
            created = true;
        }
    } else if (key == KEY_ESCAPE) {
        if (m_mode == MODE_FIRST_RUN) {
            m_records.insert(m_records.begin(), m_settings);
            m_selected = 0;
            created = true;
        }
    } else {
        return;
    }
    if (created) {
        const ProfileRecord& record = m_records[m_selected];
        a_log("Created new profile \"%s\"", NameForLog(record.name).c_str());
        // The new profile starts afresh; a saved game an earlier player of
        // that name left (their profile lost) is kept, not deleted.
        KeepFileAside(GetSaveFileName(record), "kept",
                      "ProfilesManager - the saved game of an earlier \"" + NameForLog(record.name) + "\"");
        if (m_mode == MODE_FIRST_RUN) {
            m_settings = record;
            m_mode = MODE_IDLE;
        }
        UpdateDialog();
    }
    CloseCreateDialog();
}

void ProfilesManager::CloseCreateDialog() {
    hide(m_createWindow);
    if (m_gui && m_nameEditbox && m_gui->GetFocusWidget() == m_nameEditbox)
        m_gui->SetFocus(nullptr);
}

bool ProfilesManager::OnAskDelete(const GUI::EventArgs&) {
    if (!IsSelectionValid())
        return true;
    if (m_confirmName)
        ShowOnOneLine(m_confirmName, ansiToWide(m_records[m_selected].name), m_confirmNameSize);
    raiseAndShow(m_confirmWindow);
    return true;
}

bool ProfilesManager::OnDeleteAnswer(const GUI::EventArgs& args) {
    GUI::Widget* button = widgetOf(args);
    if (button && button->GetTag() != 0 && IsSelectionValid()) {
        const std::string name = m_records[m_selected].name;
        DeleteSaveFile(m_records[m_selected]);
        m_records.erase(m_records.begin() + m_selected);
        if (m_selected == m_records.size())
            m_selected = uint32_t(m_records.size()) - 1; // none when the list is empty
        a_log("Profile \"%s\" deleted", NameForLog(name).c_str());
        UpdateDialog();
    }
    hide(m_confirmWindow);
    return true;
}
