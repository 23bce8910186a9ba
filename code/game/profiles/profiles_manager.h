#pragma once
// The named player profiles, each with its own settings and its own saved
// game, and the three dialogs of the game layout that create, choose and
// delete them. The profiles file (language code + "_profiles.dat" in the
// user folder) is a save file with the one record "<profiles>":
//   current name + 0, f32 sound volume, f32 music volume, u8 vsync,
//   u8 show tips, u8 full screen, u32 count, then per profile: name + 0,
//   f32 sound volume, f32 music volume, u8 vsync, u8 show tips, u8 full screen.
//
// GUI (bound by name; the layout supplies the windows):
//   "profiles_list": "new_profile", "del_profile", "close", "selection" (the
//     frame moved onto the selected line), and the profile lines: every
//     child whose Tag is not 0, in child order (their Tags become 0, 1, 2 ...;
//     there are as many profiles at most as lines);
//   "create_new_profile": "btn_ok" (Tag > 0), "btn_cancel" (Tag 0), "name"
//     (the edit box; names are capped at kMaxNameLength bytes), "refused"
//     (shown after a key or a pasted letter the box did not take);
//   "confirm_profile_delete": "btn_yes" (Tag not 0), "btn_no" (Tag 0), "name"
//     (a text showing the name).
// A missing widget is logged and its part of the dialogs does nothing.
//
// The name box takes the characters a name can hold: those the profiles
// file's code page stores and every font that shows names draws.
//
// Nothing the player made is lost: a profiles file the game cannot read is
// kept beside it ("<file>.refused") before a new one is written, and the
// saved game a new profile would start afresh over is kept as "<save>.kept".

#include "game/profiles/profile_record.h"
#include "game/save/save_load.h"
#include "mirel/gui/gui_event.h"

#include <cstdint>
#include <string>
#include <vector>

namespace GUI {
class Server;
class Widget;
} // namespace GUI

class ProfilesManager : public SaveLoadEntity, public SaveLoadSystem {
public:
    enum Mode : uint32_t { MODE_IDLE = 0, MODE_FIRST_RUN = 1, MODE_LIST = 2 };
    static constexpr uint32_t kNone = 0xFFFFFFFFu;
    // Bytes of a profile name, so that its save file's name stays a valid
    // file name (up to eight characters per byte).
    static constexpr size_t kMaxNameLength = 24;
    // Key codes of the name box.
    static constexpr uint32_t KEY_ESCAPE = 1;
    static constexpr uint32_t KEY_ENTER = 28;

    // The current settings are the given record (the game's global one).
    explicit ProfilesManager(ProfileRecord& settings = g_currentSettings);
    ~ProfilesManager() override;

    // Where the files lie: the profiles file in userFolder, the saved games
    // in savesFolder (both with a trailing separator or an assign's colon);
    // both names start with the language code.
    void SetStorage(const std::string& userFolder, const std::string& savesFolder,
                    const std::string& languageCode);
    std::string GetProfilesFileName() const;

    // Reads the profiles file; a missing or bad one leaves no profiles.
    void LoadProfiles();
    // Synchronises the selected profile and the current settings, then writes the file.
    void SaveProfiles();
    // Binds the dialogs under the GUI server's root, once after the script
    // is loaded (the profile lines' Tags are rewritten). Names are shown by
    // the dialogs and by the other widgets given, whose fonts must draw them.
    void InitGui(GUI::Server& gui, const std::vector<const GUI::Widget*>& alsoShowingNames = {});
    // With profiles and !onlyIfNone: the profile list; with none: the
    // first-run dialog. False when a dialog is open already, or when profiles
    // exist and onlyIfNone.
    bool Open(bool onlyIfNone);
    // Shows the profiles in the lines, places the selection, enables the
    // buttons, then saves the profiles.
    void UpdateDialog();

    // The characters the name box takes (after InitGui).
    const std::u16string& GetNameCharacters() const { return m_nameCharacters; }
    bool IsRefusalShown() const;

    // The first profile of exactly that name, or kNone.
    uint32_t FindProfile(const std::string& name) const;
    std::string GetSaveFileName(const ProfileRecord& record) const;
    void DeleteSaveFile(const ProfileRecord& record) const;

    // SaveLoadEntity: the record "<profiles>".
    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;

    const std::vector<ProfileRecord>& GetProfiles() const { return m_records; }
    uint32_t GetSelected() const { return m_selected; }
    uint32_t GetMode() const { return m_mode; }
    bool IsDialogOpen() const { return m_mode != MODE_IDLE; }
    size_t GetLineCount() const { return m_lines.size(); }

private:
    bool IsSelectionValid() const { return m_selected < m_records.size(); }
    void OpenCreateDialog();
    void CloseCreateDialog();
    void HandleNameKey(uint32_t key);
    bool OnNewProfile(const GUI::EventArgs& args);
    bool OnAskDelete(const GUI::EventArgs& args);
    bool OnAccept(const GUI::EventArgs& args);
    bool OnSelectLine(const GUI::EventArgs& args);
    bool OnDialogButton(const GUI::EventArgs& args);
    bool OnNameChanged(const GUI::EventArgs& args);
    bool OnNameKey(const GUI::EventArgs& args);
    bool OnNameRefused(const GUI::EventArgs& args);
    void ShowRefusal(bool shown);
    bool OnDeleteAnswer(const GUI::EventArgs& args);

    ProfileRecord& m_settings;
    std::string m_userFolder;
    std::string m_savesFolder;
    std::string m_languageCode;

    GUI::Server* m_gui = nullptr;
    GUI::Widget* m_listWindow = nullptr;
    GUI::Widget* m_createWindow = nullptr;
    GUI::Widget* m_confirmWindow = nullptr;
    GUI::Widget* m_selectionFrame = nullptr;
    GUI::Widget* m_nameEditbox = nullptr;
    GUI::Widget* m_newButton = nullptr;
    GUI::Widget* m_deleteButton = nullptr;
    GUI::Widget* m_okButton = nullptr;
    GUI::Widget* m_confirmName = nullptr;
    GUI::Widget* m_refusal = nullptr;
    float m_confirmNameSize = 0.0f; // the font size the layout gives the name in the question
    std::u16string m_nameCharacters;
    bool m_refusedThisKey = false; // the box refused a character during the key being handled
    bool m_editedThisKey = false;  // the name changed during it
    bool m_recordTaken = false;    // the last load took a whole "<profiles>" record
    bool m_keepFile = false; // the file lies there refused and could not be kept aside: never written over
    std::vector<ProfileRecord> m_records;
    std::vector<GUI::Widget*> m_lines;
    uint32_t m_selected = kNone;
    uint32_t m_mode = MODE_IDLE;

    GUI::_memberBinder<ProfilesManager> m_newBinder{this, &ProfilesManager::OnNewProfile};
    GUI::_memberBinder<ProfilesManager> m_askDeleteBinder{this, &ProfilesManager::OnAskDelete};
    GUI::_memberBinder<ProfilesManager> m_acceptBinder{this, &ProfilesManager::OnAccept};
    GUI::_memberBinder<ProfilesManager> m_selectBinder{this, &ProfilesManager::OnSelectLine};
    GUI::_memberBinder<ProfilesManager> m_dialogButtonBinder{this, &ProfilesManager::OnDialogButton};
    GUI::_memberBinder<ProfilesManager> m_nameChangedBinder{this, &ProfilesManager::OnNameChanged};
    GUI::_memberBinder<ProfilesManager> m_nameKeyBinder{this, &ProfilesManager::OnNameKey};
    GUI::_memberBinder<ProfilesManager> m_nameRefusedBinder{this, &ProfilesManager::OnNameRefused};
    GUI::_memberBinder<ProfilesManager> m_deleteAnswerBinder{this, &ProfilesManager::OnDeleteAnswer};
    std::vector<GUI::ScopedConnection> m_connections;
};

// The profiles file's name: the language code and "_profiles.dat".
std::string MakeProfilesFileName(const std::string& languageCode);
