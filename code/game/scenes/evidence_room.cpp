#include "game/scenes/evidence_room.h"

#include "mirel/util/a_optionsfile.h"

EvidenceRoom::EvidenceRoom(aImageManager* images, aSoundManager* sounds) : Room(kName, images, sounds) {}

EvidenceRoom::~EvidenceRoom() = default;

void EvidenceRoom::LoadResources(const aOptionsFile& level) {
    Room::LoadResources(level);
    m_toAdd.clear();
    m_toDelete.clear();
    level.getStringList("General", "EvidencesToAdd", m_toAdd);
    level.getStringList("General", "EvidencesToDel", m_toDelete);
}

void EvidenceRoom::Reset() {
    Room::Reset();
}

void EvidenceRoom::Draw() {}

void EvidenceRoom::Enter(aSound* defaultSound) {
    Room::Enter(defaultSound);
}

void EvidenceRoom::Leave(aSound* defaultSound) {
    Room::Leave(defaultSound);
}

void EvidenceRoom::OnLevelComplete() {
    for (const std::string& text : m_toDelete)
        RemoveEvidence(text);
    for (const std::string& text : m_toAdd)
        AddEvidence(text);
}

bool EvidenceRoom::ShowEnterTip() {
    return true;
}

bool EvidenceRoom::AddEvidence(const std::string&) {
    return false;
}

void EvidenceRoom::RemoveEvidence(const std::string&) {}

void EvidenceRoom::ShowEvidence(const std::string&) {}
