#pragma once
// What rooms, scene objects, puzzles and the game's widgets use of the game:
// its message boxes, the level's hints and counters, the other rooms, the
// GUI, and the managers. The game application implements it; each part
// is handed it when it is made (null: a part on its own, outside a game,
// which then does without). A part never reaches the application itself.
//
// Beside it, the small utilities the parts share.

#include <cstdint>
#include <ctime>
#include <initializer_list>
#include <string>

class Room;
class TipManager;
class aImage;
class aImageManager;
class aInputServer;
class aLocaleServer;
class aMusicPlayer;
class aParticlesManager;
class aSound;
class aSoundManager;
namespace GUI {
class Server;
class Widget;
} // namespace GUI

class GameServices {
public:
    // Follow-up actions of the message-box queue; from 128 on (low byte) a
    // queued box refuses further boxes.
    enum Action : uint32_t {
        ACTION_NONE = 0,
        ACTION_ROOM_COMPLETED = 1,
        ACTION_GOAL_REACHED = 3,
        ACTION_FIRST_MAP_VISIT = 5,
        ACTION_COMPLETE_LEVEL = 130,
        ACTION_RESTART_LEVEL = 132,
    };

    // ---- message boxes and help ----
    // Queues the named message box with its text; false (nothing queued) when
    // the box is missing or a queued box refuses others.
    virtual bool ShowMessageBoxText(const std::string& name, uint32_t action, const std::u16string& text,
                                    aImage* picture, aSound* sound) = 0;
    // The same with the text of a locale key (an empty key: no text).
    virtual bool ShowMessageBox(const std::string& name, uint32_t action, const std::string& localeKey,
                                aImage* picture, aSound* sound) = 0;
    // A message box is queued or the game help is shown: clicks are ignored.
    virtual bool IsPopupActive() const = 0;
    virtual void ShowGameHelp() = 0;

    // ---- the level ----
    // While blocked, a widget over the whole screen keeps clicks from the GUI.
    virtual void SetInputBlocked(bool blocked) = 0;
    // Adds up the rooms' found and total counts and shows them on the panel
    // and the map.
    virtual void UpdateProgressCounters() = 0;
    virtual void CompleteLevel() = 0;
    // The room of that name, or null (logged).
    virtual Room* FindRoom(const std::string& name) const = 0;
    virtual uint32_t GetHintsLeft() const = 0;
    // The current room's hint state, or 1 (no hints) without one.
    virtual uint32_t GetHintState() const = 0;
    virtual TipManager* GetTipManager() const = 0;

    // ---- the GUI ----
    virtual GUI::Server* GetGuiServer() const = 0;
    // The widget of that name anywhere under the GUI root, or null.
    virtual GUI::Widget* FindWidget(const std::string& name) const = 0;

    // ---- the managers ----
    virtual aImageManager* GetImageManager() const = 0;
    virtual aSoundManager* GetSoundManager() const = 0;
    virtual aParticlesManager* GetParticlesManager() const = 0;
    virtual aLocaleServer* GetLocaleServer() const = 0;
    virtual aMusicPlayer& GetMusicPlayer() = 0;
    virtual aInputServer* GetInputServer() const = 0;

protected:
    ~GameServices() = default;
};

// "lev" + the current level number + "." + name: a level's own locale keys.
std::string MakeLevelKey(const std::string& name);

// Images (or sounds) by name: each entry is a name, its group (used when the
// group argument is null) and where the result goes.
struct GameImageRequest {
    const char* name;
    const char* group;
    aImage** image;
};
struct GameSoundRequest {
    const char* name;
    const char* group;
    aSound** sound;
};
void GetImages(aImageManager* images, const char* group, std::initializer_list<GameImageRequest> requests);
void GetSounds(aSoundManager* sounds, const char* group, std::initializer_list<GameSoundRequest> requests);
// The local date and time, the year as a full number.
void GetLocalDateTime(struct tm& out);
// A card turning about its vertical axis by the angle: scales the width and
// answers whether the back faces the viewer.
bool CardFlipScale(float& width, float angle);
