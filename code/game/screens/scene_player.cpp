#include "game/screens/scene_player.h"

#include "mirel/base/a_format.h"
#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_staticimage.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/sound/a_music.h"

#include <algorithm>

namespace {

constexpr int kPageFormat = 23; // pages are 16-bit pictures in both display modes

GUI::Widget* findIn(GUI::Widget* parent, const char* name) {
    GUI::Widget* w = parent ? parent->FindChild(name, true) : nullptr;
    if (!w)
        a_log("ScenePlayer::InitGui - widget '%s' not found", name);
    return w;
}

void show(GUI::Widget* w, bool visible) {
    if (w)
        w->SetVisible(visible);
}

} // namespace

ScenePlayer::ScenePlayer(aMusicPlayer& music, ProfileRecord& settings)
    : m_music(music), m_settings(settings) {}

ScenePlayer::~ScenePlayer() = default;

std::string ScenePlayer::PagePath(const std::string& scene, int32_t page) {
    return a_format("data:scenes/%s_p%d.jpg", {scene, page + 1});
}

void ScenePlayer::InitGui(GUI::Server& gui) {
    m_window = findIn(gui.GetRootWidget(), "story_scene");
    GUI::Widget* picture = findIn(m_window, "picture");
    m_picture = dynamic_cast<GUI::StaticImage*>(picture);
    if (picture && !m_picture)
        a_log("ScenePlayer::InitGui - widget 'picture' must be StaticImage");
    m_skip = findIn(m_window, "skip");
    m_prev = findIn(m_window, "prev");
    m_next = findIn(m_window, "next");
    m_finish = findIn(m_window, "finish");
    GUI::Widget* const buttons[4] = {m_skip, m_finish, m_prev, m_next};
    for (int i = 0; i < 4; ++i) {
        if (buttons[i])
            m_connections[i] =
                buttons[i]->SubscribeEvent(GUI::Widget::EventClick, i < 2 ? &m_endBinder : &m_turnBinder);
    }
    m_music.addTrack(kMusicTrack, 1.0f);
    m_playing = false;
}

void ScenePlayer::PlayScene(const std::string& name, bool allowSkip) {
    int32_t count = 0;
    while (file_exists(PagePath(name, count)))
        ++count;
    if (count == 0) {
        a_log("ScenePlayer::PlayScene - scene '%s' has 0 pages!", name.c_str());
        return;
    }
    // A scene that replaces a running one keeps the music from before both.
    if (!m_playing)
        m_previousMusic = m_music.getCurrentTrack();
    m_sceneName = name;
    m_pageCount = count;
    m_playing = true;
    if (m_window) {
        m_window->SetVisible(true);
        m_window->MoveToFront();
    }
    m_allowSkip = allowSkip;
    m_targetPage = 0;
    m_shownPage = -1;
    SetAlpha(0.0f);
    SetButtons(0);
    m_music.playMusic(kMusicTrack, m_settings.musicVolume, true, true);
}

void ScenePlayer::SetButtons(int32_t page) {
    const int32_t last = m_pageCount - 1;
    show(m_finish, page == last);
    show(m_skip, m_allowSkip && page != last);
    show(m_prev, page > 0);
    show(m_next, page < last);
}

void ScenePlayer::SetAlpha(float alpha) {
    m_alpha = alpha;
    if (m_picture)
        m_picture->SetAlpha(alpha);
}

void ScenePlayer::LoadPage(int32_t page) {
    if (!m_picture)
        return;
    aImage image(PagePath(m_sceneName, page), kPageFormat, kPageFormat);
    m_picture->SetImage(&image);
}

bool ScenePlayer::OnTurn(const GUI::EventArgs& args) {
    if (!m_playing || m_alpha != 1.0f || m_targetPage < 0)
        return true;
    const auto* e = dynamic_cast<const GUI::WidgetEventArgs*>(&args);
    const int32_t step = e && e->widget ? e->widget->GetTag() : 0;
    // A step beyond the first or last page stops there.
    m_targetPage = std::clamp(m_shownPage + step, 0, m_pageCount - 1);
    return true;
}

bool ScenePlayer::OnEnd(const GUI::EventArgs&) {
    if (!m_playing)
        return true;
    m_targetPage = -1;
    m_music.stop(true);
    return true;
}

void ScenePlayer::Update(float dt) {
    if (!m_playing)
        return;
    const float fadeIn = m_picture ? m_picture->GetFadeInTime() : 0.0f;
    const float fadeOut = m_picture ? m_picture->GetFadeOutTime() : 0.0f;
    if (m_shownPage == m_targetPage) {
        SetAlpha(fadeIn > 0.0f ? std::min(m_alpha + dt / fadeIn, 1.0f) : 1.0f);
        return;
    }
    if (fadeOut > 0.0f) {
        const float a = m_alpha - dt / fadeOut;
        if (a > 0.0f) {
            SetAlpha(a);
            return;
        }
    }
    SetAlpha(0.0f);
    m_shownPage = m_targetPage;
    if (m_targetPage >= 0) {
        SetButtons(m_targetPage);
        LoadPage(m_targetPage);
        return;
    }
    m_playing = false;
    show(m_window, false);
    m_music.playMusic(m_previousMusic, m_settings.musicVolume, true, true);
}
