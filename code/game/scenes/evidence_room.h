#pragma once
// The evidence room "#evidence_room": Mara's sketches of the rooms, one entry
// per picture in the list window "info_evidence_room" (its cross buttons, in
// order); a picture shown in the window "evidence_room" (a child named after
// the picture) offers the regions (its "evidence" children) the player has
// earned, each opening a large drawing with Mara's comment ("evd." + picture
// + "." + region). New entries are red until clicked; "pointer" marks the
// entry on show.
//
// Evidence is granted during a level (a clue found: picture "." region) and
// granted and withdrawn at each level end ("EvidencesToAdd",
// "EvidencesToDel" of the level's "General"). A region R stands for the
// child R or, without one, for R_1, R_2 and so on; a picture name ending in
// "_night" is the day picture's. What a level grants while it runs is
// provisional: a restart of the level forgets it, and completing the level
// keeps it. The level clock stops while the room is current.
//
// Saved as "r:#evidence_room": the current picture (NUL-terminated), u32
// entry count and per entry its picture and a u8 new flag, u32 record count
// and per record its region, its picture and a u8 provisional flag; then the
// Room record.

#include "game/room.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gui/gui_event.h"

#include <string>
#include <vector>

class CrossButton;
namespace GUI {
class Widget;
}

class EvidenceRoom : public Room {
public:
    struct Entry {
        std::string picture;
        bool isNew = false;
    };
    struct Record {
        std::string region; // the region widget's name
        std::string picture;
        uint8_t flag = 0; // provisional: dropped by the next LoadResources
    };

    static constexpr const char* kName = "#evidence_room";
    static constexpr uint32_t kNewColour = 0xFFFF4040u;
    static constexpr uint32_t kNewHoverColour = 0xFFFF6060u;
    static constexpr uint32_t kSeenColour = 0xFF606060u;
    static constexpr uint32_t kSeenHoverColour = 0xFF808080u;

    EvidenceRoom(aImageManager* images, aSoundManager* sounds, GameServices* game);
    ~EvidenceRoom() override;

    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;
    bool IsKind(uint32_t kind) const override { return kind == KIND_EVIDENCE; }
    // The level's lists; what the last attempt granted provisionally goes.
    void LoadResources(const aOptionsFile& level) override;
    void Reset() override;
    void Draw() override;
    void Enter(aSound* defaultSound) override;
    void Leave(aSound* defaultSound) override;
    // The level's evidence becomes permanent; then the delete and add lists apply.
    void OnLevelComplete() override;
    bool ShowEnterTip() override;
    bool PausesTimer() const override { return true; }

    // text: picture "." region. True when anything was recorded.
    bool AddEvidence(const std::string& text);
    void RemoveEvidence(const std::string& text);
    void ShowEvidence(const std::string& picture);

    const std::vector<Entry>& GetEntries() const { return m_entries; }
    const std::vector<Record>& GetRecords() const { return m_records; }
    const std::vector<CrossButton*>& GetEntryButtons() const { return m_buttons; }
    const std::string& GetCurrentPicture() const { return m_current; }
    GUI::Widget* GetShownPicture() const { return m_shown; }
    GUI::Widget* GetListWindow() const { return m_listWindow; }
    GUI::Widget* GetPictureWindow() const { return m_pictureWindow; }
    GUI::Widget* GetPointer() const { return m_pointer; }
    const std::vector<std::string>& GetAddList() const { return m_toAdd; }
    const aImage& GetLargePicture() const { return m_largePicture; }

private:
    bool OnEntryClick(const GUI::EventArgs& args);
    bool OnRegionClick(const GUI::EventArgs& args);
    void ClickEntry(CrossButton* button);
    GUI::Widget* FindPicture(const std::string& name, bool recursive) const;
    void HideTip();

    GUI::Widget* m_listWindow = nullptr;    // "info_evidence_room"
    GUI::Widget* m_pictureWindow = nullptr; // "evidence_room"
    GUI::Widget* m_pointer = nullptr;
    std::vector<CrossButton*> m_buttons;
    std::vector<Entry> m_entries;
    std::vector<Record> m_records;
    std::string m_current;
    GUI::Widget* m_shown = nullptr;
    std::vector<std::string> m_toAdd;
    std::vector<std::string> m_toDelete;
    // The large drawing of the last comment box, kept while the box may show it.
    aImage m_largePicture;

    GUI::_memberBinder<EvidenceRoom> m_entryBinder{this, &EvidenceRoom::OnEntryClick};
    GUI::_memberBinder<EvidenceRoom> m_regionBinder{this, &EvidenceRoom::OnRegionClick};
    std::vector<GUI::ScopedConnection> m_connections;
};
