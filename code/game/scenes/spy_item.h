#pragma once
// One item of a hidden-object room: a thing on the player's list, found by
// taking one or more scene objects (a section of the room's "items.ini").

#include <cstdint>
#include <string>
#include <vector>

class SpyObject;

// A message shown when an item is completed or its first object is taken.
struct SpyMessage {
    std::string picture; // picture name as written ("" or "-": a text box only)
    std::string textKey; // locale key, lower case
    bool present = false;
};

struct SpyItem {
    std::string name;
    std::vector<SpyObject*> objects;    // "Object", in order
    std::vector<SpyObject*> containers; // "Container", one per object; null for "<none>"
    int32_t difficulty = 1;             // "DiffLevel", 0..2
    std::vector<std::u16string> displayNames;
    int32_t remaining = 0;         // objects still to take that have a container; 0: found
    SpyMessage completionMessage;  // "Message0"
    SpyMessage firstObjectMessage; // "Message1"
    bool bonus = false;
    bool clue = false;
    bool hasTip = false;
    bool mustBe = false;
    bool findOnce = false;
    int32_t markIndex = 0; // position in "items.ini"
    std::vector<SpyObject*> objectsToActivate;

    bool IsFound() const { return remaining == 0; }
};
