#pragma once
// One clue card the player owns: its small picture (image group "cards"), the
// shared back, and the large picture the card popup loads while it shows.

#include "mirel/gfx/a_image.h"

#include <string>

class aImageManager;

class ClueCard {
public:
    // The pictures come from the image manager's group "cards" (null: none).
    ClueCard(const std::string& name, aImageManager* images);
    virtual ~ClueCard();

    const std::string& GetName() const { return m_name; }
    aImage& GetImage() { return m_image; }
    aImage& GetBackImage() { return m_backImage; }
    aImage& GetLargeImage() { return m_largeImage; }
    // "data:images/cluecards/large/" + name + ".jng".
    std::string GetLargeImagePath() const;

private:
    std::string m_name;
    aImage m_image;
    aImage m_backImage;
    aImage m_largeImage;
};
