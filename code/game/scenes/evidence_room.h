#pragma once
// The evidence room "#evidence_room": Mara's sketches of the rooms, one entry
// per picture in the list window "info_evidence_room"; a picture shown in the
// window "evidence_room" offers the regions the player has earned. Evidence
// is granted during a level (a clue found: picture "." region) and granted
// and withdrawn at each level end ("EvidencesToAdd", "EvidencesToDel"). The
// level clock stops while the room is current.
//
// The game shell drives this interface; the windows, entries and regions are
// not built yet: no evidence is recorded.

#include "game/room.h"

#include <string>
#include <vector>

class EvidenceRoom : public Room {
public:
    static constexpr const char* kName = "#evidence_room";

    EvidenceRoom(aImageManager* images, aSoundManager* sounds);
    ~EvidenceRoom() override;

    bool IsKind(uint32_t kind) const override { return kind == KIND_EVIDENCE; }
    void LoadResources(const aOptionsFile& level) override;
    void Reset() override;
    void Draw() override;
    void Enter(aSound* defaultSound) override;
    void Leave(aSound* defaultSound) override;
    void OnLevelComplete() override;
    bool ShowEnterTip() override;
    bool PausesTimer() const override { return true; }

    // text: picture "." region. True when anything was recorded.
    bool AddEvidence(const std::string& text);
    void RemoveEvidence(const std::string& text);
    void ShowEvidence(const std::string& picture);

private:
    std::vector<std::string> m_toAdd;
    std::vector<std::string> m_toDelete;
};
