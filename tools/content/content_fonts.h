#pragma once
// Font recipes (".fonts" files): each section builds one bitmap font, <name>.fnt
// and its atlas <name>.png, in the recipe's folder of the output tree.

#include <set>
#include <string>
#include <vector>

namespace content {

struct FontJob {
    std::string recipe;
    std::string sourceRoot;
    std::string outputRoot;
    std::string fontDir = "/usr/share/fonts"; // relative Face paths start here
    std::set<std::string> reads;
    std::set<std::string> outputs;
};

bool runFonts(FontJob& job, std::string& error);

// The character codes of a Chars value: named sets ("ascii", "latin1",
// "cp1252": Latin-1 with the typographic quotes, dashes and signs of the
// Windows Western code page) and hexadecimal codes or ranges ("2190-2193").
// Named codes may be missing from a face; listed ones must be there.
bool parseChars(const std::string& value, std::vector<uint32_t>& named, std::vector<uint32_t>& listed,
                std::string& error);

} // namespace content
