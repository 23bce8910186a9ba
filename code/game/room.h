#pragma once
// The base of every place the player can be in during a level: the
// hidden-object room, the clue-card room, the evidence room and the bonus
// room. A room owns its resource groups (images, sounds, ambient sounds) in
// its folder "data:rooms/" + name + "/", plays its enter and exit sounds,
// counts its visits (saved as the record "r:" + name) and offers the
// interface through which the game drives every room without knowing its
// class.
//
// A room reaches the game through the services it was made with (m_app) and
// its images and sounds through the two managers it was given.

#include "game/save/save_load.h"

#include <cstdint>
#include <memory>
#include <string>

class GameServices;
class aAmbientSoundSystem;
class aImageManager;
class aOptionsFile;
class aSound;
class aSoundManager;

class Room : public SaveLoadEntity {
public:
    // Codes of IsKind: each room class answers true for its own only.
    enum Kind : uint32_t { KIND_BONUS = 0, KIND_CARD = 1, KIND_EVIDENCE = 2, KIND_HIDDEN_OBJECT = 3 };
    // Hint states of GetHintState.
    enum HintState : uint32_t { HINT_NONE_LEFT = 0, HINT_NO_HINTS = 1, HINT_AVAILABLE = 2 };
    // Seconds in a room before its enter tip is first asked for.
    static constexpr float kEnterTipDelay = 3.0f;

    // The managers are the game's (null ones load nothing); the game is null
    // for a room on its own.
    Room(const std::string& name, aImageManager* images, aSoundManager* sounds, GameServices* game);
    ~Room() override;

    // The visit count, a u32.
    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;

    virtual bool IsKind(uint32_t kind) const = 0;
    // Loads the image list, the sound list and the ambient sounds into the
    // room's group (once). The base ignores the level file.
    virtual void LoadResources(const aOptionsFile& level);
    virtual void UnloadResources();
    // Loading steps LoadResources will take: 0 when loaded, else the line
    // counts of the image and the sound list.
    virtual uint32_t GetResourceCount();
    // A new game: visit count := 0.
    virtual void Reset();
    virtual void Draw() = 0;
    // Stay time; from 3 s on, asks ShowEnterTip each frame until it answers true.
    virtual void Update(float dt);
    // Plays the room's own enter sound, or the default one, but only when a
    // default is given; starts the ambient sounds; counts the visit.
    virtual void Enter(aSound* defaultSound);
    // The same choice of sound with the exit sound; stops the ambient sounds.
    virtual void Leave(aSound* defaultSound);
    // True when the level clock stands while the room is current.
    virtual bool PausesTimer() const { return false; }
    virtual uint32_t GetHintState() const { return HINT_NO_HINTS; }
    virtual void UseHint() {}
    virtual bool IsComplete() const { return true; }
    virtual void OnLevelComplete() {}
    // False when the room cannot show its enter tip yet (asked again next frame).
    virtual bool ShowEnterTip() { return true; }

    // The game the room belongs to (null for a room on its own).
    GameServices* GetGame() const { return m_app; }
    const std::string& GetName() const { return m_name; }
    const std::string& GetFolder() const { return m_folder; }
    bool IsResourcesLoaded() const { return m_resourcesLoaded != 0; }
    bool IsEnterTipDone() const { return m_enterTipDone != 0; }
    float GetStayTime() const { return m_stayTime; }
    uint32_t GetVisitCount() const { return m_visitCount; }
    uint32_t GetIndex() const { return m_index; }
    aSound* GetEnterSound() const { return m_enterSound; }
    aSound* GetExitSound() const { return m_exitSound; }
    // While the resources are loaded; null otherwise.
    aAmbientSoundSystem* GetAmbientSounds() const { return m_ambient.get(); }

protected:
    GameServices* m_app;
    aImageManager* m_images;
    aSoundManager* m_sounds;
    std::string m_name;
    std::string m_folder;
    uint8_t m_resourcesLoaded = 0;
    uint8_t m_enterTipDone = 0;
    float m_stayTime = 0.0f;
    aSound* m_enterSound = nullptr; // the sound manager's, not owned
    aSound* m_exitSound = nullptr;
    uint32_t m_visitCount = 0;
    uint32_t m_index;
    std::unique_ptr<aAmbientSoundSystem> m_ambient;

private:
    std::string ImageListPath() const { return m_folder + "images/ImageList.txt"; }
    std::string SoundListPath() const { return m_folder + "sounds/SoundList.txt"; }

    static uint32_t ms_roomCounter;
};
