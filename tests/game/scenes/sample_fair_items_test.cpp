// Every item a room of the sample game can list can be fairly seen and
// clicked: each object of such an item, and each container it goes into,
// shows a fair area (game/support/fair_area.h) of 300 pixels holding an
// 8 x 8 square, every object of the room taken as tolerant (as when all of
// them are on the list). Objects count in the state in which the player is
// meant to click them: most as the room starts; the things under a dust
// sheet once the sheet is taken; what lies behind a panel that any click
// opens, with the panel slid aside; a mouse while it is out, at several of
// its places. The figures of every room are printed.

#include "sample_rooms.h"

#include "game/scenes/objects/spy_obj_evrane_body.h"
#include "game/scenes/objects/spy_obj_mouse.h"
#include "game/scenes/objects/spy_obj_panel.h"
#include "game/support/fair_area.h"
#include "mirel/base/a_random.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

using namespace scenetest;
using gametest::BoxOf;
using gametest::FairArea;

namespace {

// Places of a mouse looked at while it is out.
constexpr uint32_t kMousePlaces = 12;

// The names the chapter's section of the room leaves off its lists.
std::set<std::string> Excluded(const aOptionsFile& level, const std::string& section) {
    std::set<std::string> names;
    for (const char* key : {"MustNotBeItems", "HiddenObjects"}) {
        std::vector<std::string> list;
        level.getStringList(section, key, list);
        names.insert(list.begin(), list.end());
    }
    return names;
}

// How an object is brought into the state in which it is clicked.
enum class Way { AsItStarts, OutOfItsHole, UncoveredByItsSheet, BesideItsOpenedPanel };

const char* WayName(Way way) {
    switch (way) {
    case Way::AsItStarts:
        return "as it starts";
    case Way::OutOfItsHole:
        return "out of its hole";
    case Way::UncoveredByItsSheet:
        return "with its sheet taken";
    case Way::BesideItsOpenedPanel:
        return "with the panel open";
    }
    return "";
}

struct Checked {
    std::string item;
    SpyObject* object = nullptr;
    Way way = Way::AsItStarts;
    FairArea area;
};

bool Overlap(const gametest::Box& a, const gametest::Box& b) {
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

class SampleFairItemsTest : public SampleRooms {
protected:
    // The room's objects to check, each with the first item that lists it
    // and the way it is clicked.
    std::vector<Checked> ToCheck(const SpyRoom& room, const std::set<std::string>& listable) {
        std::vector<Checked> checked;
        std::set<SpyObject*> seen;
        for (const SpyItem& item : room.GetItems()) {
            if (!listable.count(item.name))
                continue;
            std::vector<SpyObject*> objects = item.objects;
            objects.insert(objects.end(), item.containers.begin(), item.containers.end());
            for (SpyObject* object : objects) {
                if (object && seen.insert(object).second)
                    checked.push_back({item.name, object, WayOf(room, object), {}});
            }
        }
        return checked;
    }
    static Way WayOf(const SpyRoom& room, SpyObject* object) {
        if (object->IsKindOf("Mouse"))
            return Way::OutOfItsHole;
        const auto& objects = room.GetObjects();
        const auto at = std::find(objects.begin(), objects.end(), object);
        for (auto it = objects.begin(); it != objects.end(); ++it) {
            if (auto* sheet = dynamic_cast<SpyObjEvraneBody*>(*it)) {
                const auto& under = sheet->GetLinkedObjects();
                if (std::find(under.begin(), under.end(), object) != under.end())
                    return Way::UncoveredByItsSheet;
            }
            if (auto* panel = dynamic_cast<SpyObjPanel*>(*it)) {
                if (!panel->IsItemClickOnly() && at < it && Overlap(BoxOf(*object), BoxOf(*panel)))
                    return Way::BesideItsOpenedPanel;
            }
        }
        return Way::AsItStarts;
    }

    // Measures every object of the room in the state of its way.
    void MeasureAll(aGraphServer& graphics, SpyRoom& room, std::vector<Checked>& checked) {
        for (Checked& c : checked) {
            if (c.way == Way::AsItStarts)
                c.area = gametest::MeasureFairArea(graphics, room, c.object);
        }
        for (Checked& c : checked) {
            auto* mouse = dynamic_cast<SpyObjMouse*>(c.object);
            if (c.way != Way::OutOfItsHole || !mouse)
                continue;
            c.area.pixels = INT32_MAX;
            c.area.square = INT32_MAX;
            for (uint32_t place = 0; place < kMousePlaces; ++place) {
                a_srand(1000 + place);
                mouse->Reset();
                mouse->SetHighlight(true);
                for (int frame = 0; frame < 200 && mouse->GetPhase() != 1; ++frame)
                    mouse->Update(1.0f / 60.0f);
                mouse->SetHighlight(false);
                EXPECT_EQ(mouse->GetPhase(), 1) << c.item << ": the mouse came out";
                const FairArea here = gametest::MeasureFairArea(graphics, room, mouse);
                c.area.pixels = std::min(c.area.pixels, here.pixels);
                c.area.square = std::min(c.area.square, here.square);
            }
            mouse->Reset();
        }
        // The sheets taken and the panels slid aside, as a player does.
        for (SpyObject* object : room.GetObjects()) {
            if (auto* sheet = dynamic_cast<SpyObjEvraneBody*>(object))
                sheet->Activate(true, nullptr);
            if (auto* panel = dynamic_cast<SpyObjPanel*>(object); panel && !panel->IsItemClickOnly()) {
                panel->Activate(true, nullptr);
                panel->Step(1000.0f);
            }
        }
        for (Checked& c : checked) {
            if (c.way == Way::UncoveredByItsSheet || c.way == Way::BesideItsOpenedPanel) {
                EXPECT_EQ(c.object->GetState(), uint32_t(SpyObject::STATE_PRESENT)) << c.item;
                c.area = gametest::MeasureFairArea(graphics, room, c.object);
            }
        }
    }
};

} // namespace

TEST_F(SampleFairItemsTest, EveryItemARoomCanListShowsAFairAreaToClick) {
    Begin(1);
    aGraphServer* graphics = Game().getGraphServer();
    ASSERT_NE(graphics, nullptr);
    ASSERT_NE(graphics->getDevice(), nullptr);
    ASSERT_EQ(graphics->getBackBufferWidth(), 1024) << "logical pixels are back-buffer pixels";
    ASSERT_EQ(graphics->getBackBufferHeight(), 768);

    // Each room once, with the first chapter that has it; an item counts when
    // some chapter can list it.
    std::map<std::string, std::set<std::string>> excluded;
    std::map<std::string, std::string> firstChapter;
    std::map<std::string, int> chapters;
    for (const ChapterRoom& entry : ChapterRooms()) {
        firstChapter.emplace(entry.room, entry.levelFile);
        ++chapters[entry.room];
        excluded[entry.room + "#" + std::to_string(entry.chapter)] =
            Excluded(aOptionsFile(entry.levelFile), entry.section);
    }
    ASSERT_EQ(firstChapter.size(), 8u);

    for (const auto& [roomName, levelFile] : firstChapter) {
        SCOPED_TRACE(roomName);
        const aOptionsFile level(levelFile);
        SpyRoom room(roomName, Game().GetImageManager(), Game().GetSoundManager(), &Game());
        room.LoadResources(level);
        for (SpyObject* object : room.GetObjects())
            object->SetTolerant(true);
        std::set<std::string> listable;
        for (const SpyItem& item : room.GetItems()) {
            for (int chapter = 1; chapter <= 8; ++chapter) {
                const auto it = excluded.find(roomName + "#" + std::to_string(chapter));
                if (it != excluded.end() && !it->second.count(item.name))
                    listable.insert(item.name);
            }
        }
        std::vector<Checked> checked = ToCheck(room, listable);
        {
            gametest::DrawingScene scene(*graphics);
            ASSERT_TRUE(scene.Begun());
            MeasureAll(*graphics, room, checked);
        }
        ASSERT_FALSE(checked.empty());
        const Checked* fewest = &checked.front();
        const Checked* narrowest = &checked.front();
        int unfair = 0;
        for (const Checked& c : checked) {
            fewest = c.area.pixels < fewest->area.pixels ? &c : fewest;
            narrowest = c.area.square < narrowest->area.square ? &c : narrowest;
            unfair += c.area.Fair() ? 0 : 1;
            EXPECT_TRUE(c.area.Fair())
                << c.item << ": " << c.object->GetName() << " " << WayName(c.way) << " shows "
                << c.area.pixels << " fair pixels, its largest square " << c.area.square << " wide";
        }
        std::printf(
            "%-13s %zu items in %d chapters, %zu objects: fewest %d px (%s), narrowest square %d (%s), "
            "%d unfair\n",
            roomName.c_str(), listable.size(), chapters[roomName], checked.size(), fewest->area.pixels,
            fewest->object->GetName().c_str(), narrowest->area.square, narrowest->object->GetName().c_str(),
            unfair);
        room.UnloadResources();
    }
}
