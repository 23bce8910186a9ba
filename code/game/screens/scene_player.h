#pragma once
// Story scenes: a numbered series of full pictures (pages) shown in the
// window "story_scene", cross-faded from page to page, with the story music
// underneath. The player turns the pages with "prev" and "next" (their Tag
// properties, -1 and +1, are the steps) and leaves with "skip" or, on the
// last page, "finish"; afterwards the music that played before comes back.
//
// Page i (from 0) of scene S is the picture "data:scenes/S_p<i + 1>.jpg";
// the pages are counted from 1 up to the first number without a file. The
// picture fades with the "picture" widget's FadeInTime and FadeOutTime.

#include "game/profiles/profile_record.h"
#include "mirel/gui/gui_event.h"

#include <cstdint>
#include <string>

class aMusicPlayer;
namespace GUI {
class Server;
class StaticImage;
class Widget;
} // namespace GUI

class ScenePlayer {
public:
    static constexpr const char* kMusicTrack = "storyline.ogg";

    // The music player is the game's; the music volume is the settings'.
    explicit ScenePlayer(aMusicPlayer& music, ProfileRecord& settings = g_currentSettings);
    ~ScenePlayer();
    ScenePlayer(const ScenePlayer&) = delete;
    ScenePlayer& operator=(const ScenePlayer&) = delete;

    // Finds "story_scene" and its children, subscribes to the buttons and
    // adds the story music to the music player.
    void InitGui(GUI::Server& gui);
    // Starts the scene; a scene without pages is logged and not shown.
    void PlayScene(const std::string& name, bool allowSkip);
    void Update(float dt);
    bool IsPlaying() const { return m_playing; }

    // The picture file of a page (from 0).
    static std::string PagePath(const std::string& scene, int32_t page);

    const std::string& GetSceneName() const { return m_sceneName; }
    int32_t GetPageCount() const { return m_pageCount; }
    int32_t GetShownPage() const { return m_shownPage; }
    int32_t GetTargetPage() const { return m_targetPage; }
    float GetPictureAlpha() const { return m_alpha; }
    const std::string& GetPreviousMusic() const { return m_previousMusic; }

private:
    bool OnEnd(const GUI::EventArgs& args);
    bool OnTurn(const GUI::EventArgs& args);
    void SetButtons(int32_t page);
    void SetAlpha(float alpha);
    void LoadPage(int32_t page);

    aMusicPlayer& m_music;
    ProfileRecord& m_settings;
    GUI::Widget* m_window = nullptr;
    GUI::StaticImage* m_picture = nullptr;
    GUI::Widget* m_skip = nullptr;
    GUI::Widget* m_prev = nullptr;
    GUI::Widget* m_next = nullptr;
    GUI::Widget* m_finish = nullptr;

    std::string m_sceneName;
    int32_t m_pageCount = 0;
    int32_t m_shownPage = -1;
    int32_t m_targetPage = -1;
    bool m_playing = false;
    bool m_allowSkip = false;
    float m_alpha = 0.0f;
    std::string m_previousMusic;

    GUI::_memberBinder<ScenePlayer> m_endBinder{this, &ScenePlayer::OnEnd};
    GUI::_memberBinder<ScenePlayer> m_turnBinder{this, &ScenePlayer::OnTurn};
    GUI::ScopedConnection m_connections[4];
};
