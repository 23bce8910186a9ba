#include "game/scenes/clue_card.h"

#include "mirel/gfx/a_imagemanager.h"

ClueCard::ClueCard(const std::string& name, aImageManager* images) : m_name(name) {
    if (!images)
        return;
    if (aImage* image = images->getImage(name, "cards"))
        m_image = *image;
    if (aImage* back = images->getImage("back", "cards"))
        m_backImage = *back;
}

ClueCard::~ClueCard() = default;

std::string ClueCard::GetLargeImagePath() const {
    return "data:images/cluecards/large/" + m_name + ".jng";
}
