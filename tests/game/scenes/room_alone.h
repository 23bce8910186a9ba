#pragma once
// A hidden-object room on its own: no game around it, a GUI bench for the
// graphics server and the image manager, a file server whose "data:" is the
// test's scratch folder, a locale server, and the log. Tests write the room's
// files (the standard test room of scene_fixture.h, or their own), make the
// room and load it with a level section.

#include "game/game_test_support.h"
#include "game/scenes/scene_fixture.h"
#include "support/gui_harness.h"
#include "support/log_capture.h"

#include "game/scenes/objects/spy_object.h"
#include "game/scenes/spy_room.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/util/a_optionsfile.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace scenetest {

class RoomAlone : public ::testing::Test {
protected:
    void SetUp() override {
        root = gametest::Scratch();
        files = std::make_unique<gametest::FileServerFixture>(root);
        data = root + "data/";
        WriteTestRoom(data);
        gametest::WriteText(data + "loc/texts.txt", TestRoomTexts());
        locale.loadFile("data:loc/texts.txt");
    }
    void TearDown() override { room.reset(); }

    SpyRoom& Make(const std::string& name = "harbour") {
        room = std::make_unique<SpyRoom>(name, gui.images.get(), gui.sounds.get(), nullptr);
        return *room;
    }
    // A level file of the given sections (after an empty "General").
    aOptionsFile Level(const std::string& sections) {
        gametest::WriteText(data + "levels/test.ini", "[General]\nTime = 600\n" + sections);
        return aOptionsFile("data:levels/test.ini");
    }
    // The test room made and loaded with its standard section.
    SpyRoom& Loaded(const std::string& extra = std::string()) {
        Make();
        room->LoadResources(Level(TestRoomSection("harbour", extra)));
        return *room;
    }
    SpyObject* Object(const std::string& name) const { return room->FindObjectByName(name, true); }
    const SpyItem* Active(const std::string& name) const { return room->FindItem(name, true); }
    // Takes an object of the room the way a click on it does, then lets the
    // room run until it is idle again.
    bool Take(const std::string& name) {
        const bool counted = room->OnObjectClicked(Object(name));
        room->Update(2.0f);
        return counted;
    }

    LogCapture log;
    guitest::GuiHarness gui;
    std::string root;
    std::string data;
    std::unique_ptr<gametest::FileServerFixture> files;
    aLocaleServer locale;
    std::unique_ptr<SpyRoom> room;
};

} // namespace scenetest
