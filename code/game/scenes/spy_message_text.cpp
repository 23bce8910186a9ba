#include "game/scenes/spy_message_text.h"

#include "mirel/base/a_utf.h"

namespace {

constexpr std::u16string_view kIf = u"#IF<";
constexpr std::u16string_view kEnd = u"#END";
// The longest room or item name a header may hold.
constexpr size_t kMaxName = 50;

// Reads up to kMaxName characters other than stop from at; at least one.
bool readName(const std::u16string& text, size_t& at, char16_t stop, std::u16string& out) {
    const size_t start = at;
    while (at < text.size() && text[at] != stop && at - start < kMaxName)
        ++at;
    if (at == start)
        return false;
    out = text.substr(start, at - start);
    return true;
}

// The header right after "#IF<": room, ".", item, ">". The end of the
// header (one past ">") on success.
bool readHeader(const std::u16string& text, size_t at, std::u16string& room, std::u16string& item,
                size_t& end) {
    if (!readName(text, at, u'.', room) || at >= text.size() || text[at] != u'.')
        return false;
    ++at;
    if (!readName(text, at, u'>', item) || at >= text.size() || text[at] != u'>')
        return false;
    end = at + 1;
    return true;
}

} // namespace

std::u16string ResolveSpyConditions(
    std::u16string text,
    const std::function<SpyCondition(const std::string& room, const std::string& item)>& lookup) {
    size_t search = 0;
    for (;;) {
        const size_t start = text.find(kIf, search);
        if (start == std::u16string::npos)
            break;
        const size_t end = text.find(kEnd, start + kIf.size());
        if (end == std::u16string::npos)
            break;
        std::u16string room, item;
        size_t headerEnd = 0;
        SpyCondition condition = SpyCondition::Unknown;
        if (readHeader(text, start + kIf.size(), room, item, headerEnd) && headerEnd <= end && lookup)
            condition = lookup(wideToUtf8(room), wideToUtf8(item));
        if (condition == SpyCondition::Found) {
            text.erase(end, kEnd.size());
            text.erase(start, headerEnd - start);
            search = start;
        } else if (condition == SpyCondition::NotFound) {
            text.erase(start, end + kEnd.size() - start);
            search = start;
        } else {
            search = end;
        }
    }
    return text;
}
