#pragma once
// One screen of the credits: a title, the speciality lines (what was done)
// and the name lines (who did it), as shown to the player.

#include <string>
#include <vector>

struct CreditsScreen {
    std::u16string title;
    std::vector<std::u16string> specialities;
    std::vector<std::u16string> names;
};
