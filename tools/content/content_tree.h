#pragma once
// The assembled program folder: copying a data tree, checking its lists, and
// packing it as an archive.

#include <set>
#include <string>
#include <vector>

namespace content {

// True for the recipe and picture-source files that stay in the source tree
// (.svg, .art, .fonts, .sfx, .music, .speech, .video) and for .gitkeep.
bool isRecipeFile(const std::string& path);

// Copies every other file of the source tree into the output tree.
bool copyTree(const std::string& sourceRoot, const std::string& outputRoot, std::set<std::string>& reads,
              std::set<std::string>& outputs, std::string& error);

// Every line of every ImageList.txt and SoundList.txt names a file beside the
// list, and every font file's Texture exists; one message per fault.
std::vector<std::string> checkTree(const std::string& root);

// Writes the files under root as a zip archive (names relative to root, '/'
// separated, sorted); compressed media are stored, the rest deflated.
bool writeZip(const std::string& root, const std::string& archive, std::string& error);

} // namespace content
