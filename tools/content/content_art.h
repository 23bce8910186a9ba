#pragma once
// Picture recipes (".art" files): each section renders one picture into the
// folder that mirrors the recipe's folder in the output tree. A recipe with a
// [room] section also renders a hidden-object room: its background with the
// painted clutter, and one picture per object of the room's objects.ini,
// cropped to its drawing and placed at the object's X, Y. tools/content/README.md
// describes the keys.

#include "content/content_svg.h"

#include <set>
#include <string>

namespace content {

struct ArtJob {
    std::string recipe;            // the .art file
    std::string sourceRoot;        // the tree the recipe lies in
    std::string outputRoot;        // the matching output tree
    std::string previewRoot;       // where room previews go; empty: none
    SvgContext svg;                // clip-art folder and the files read
    std::set<std::string> outputs; // every file written
};

// Renders every picture of the recipe; false with a message naming the file
// and line on the first fault.
bool runArt(ArtJob& job, std::string& error);

} // namespace content
