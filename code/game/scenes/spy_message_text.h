#pragma once
// Conditional blocks in the texts of item messages:
//
//   "The ledger is wet.#IF<harbour.lifebelt> And the lifebelt is the Marigold's.#END"
//
// A block whose item (room "." item) is found keeps its content without the
// markers; a block whose item is on that room's list but not found goes
// whole; a block that cannot be evaluated (no such hidden-object room, no
// such item on its list, a malformed header) stays as written.

#include <functional>
#include <string>

// What the lookup answers for a room and an item name.
enum class SpyCondition { Unknown, NotFound, Found };

std::u16string ResolveSpyConditions(
    std::u16string text,
    const std::function<SpyCondition(const std::string& room, const std::string& item)>& lookup);
