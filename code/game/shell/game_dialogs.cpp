// The GUI wiring of the main layout, the queue of named message boxes with
// their follow-up actions, the options dialog, the in-game menu with its
// save-and-leave confirmation, the game help and the title-screen buttons.

#include "game/shell/game_app.h"

#include "game/bonus/bonus_room.h"
#include "game/room.h"
#include "game/scenes/card_popup.h"
#include "game/scenes/card_room.h"
#include "game/scenes/evidence_room.h"
#include "game/tip_manager.h"
#include "game/widgets/hint_button.h"
#include "game/widgets/panel_button.h"
#include "game/widgets/room_button.h"
#include "mirel/base/a_log.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_draw.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_slider.h"
#include "mirel/gui/gui_staticimage.h"
#include "mirel/gui/gui_statictext.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/platform/system/a_openurl.h"
#include "mirel/sound/a_sound.h"

#include <memory>

namespace {

// The message boxes of the layout; each closes by its child "close".
constexpr const char* kMessageBoxes[] = {
    "msgbox_container_error", "msgbox_cheater_warning", "msgbox_clue",     "msgbox_clue_large",
    "msgbox_comment",         "msgbox_comment_large",   "msgbox_text",     "msgbox_image",
    "msgbox_roomclear",       "msgbox_completed",       "msgbox_timeover", "msgbox_suspect_bio",
    "msgbox_Quillby",         "msgbox_clue_card",
};
constexpr const char* kClueCardBox = "msgbox_clue_card";

// Every hint button of the layout counts the game's hints.
void giveHintButtons(GUI::Widget* widget, GameServices* game) {
    if (!widget)
        return;
    if (auto* hint = dynamic_cast<HintButton*>(widget))
        hint->SetGame(game);
    for (GUI::Widget* child : widget->GetChildren())
        giveHintButtons(child, game);
}

// A queued box with an action whose low byte is this or more refuses others.
constexpr uint32_t kBlockingAction = 128;
// The veil over the map while a message box shows.
constexpr uint32_t kMapVeilColour = 0x90000000u;
constexpr size_t kHelpPageCount = 3;

GUI::Widget* widgetOf(const GUI::EventArgs& args) {
    const auto* e = dynamic_cast<const GUI::WidgetEventArgs*>(&args);
    return e ? e->widget : nullptr;
}

GUI::Widget* childOf(GUI::Widget* parent, const std::string& name) {
    return parent ? parent->FindChild(name) : nullptr;
}

void setVisible(GUI::Widget* widget, bool visible) {
    if (widget)
        widget->SetVisible(visible);
}

void raiseAndShow(GUI::Widget* widget) {
    if (!widget)
        return;
    widget->MoveToFront();
    widget->SetVisible(true);
}

void setTag(GUI::Widget* widget, int32_t tag) {
    widget->BeginFillProperties();
    widget->Set("Tag", std::to_string(tag));
    widget->EndFillProperties();
}

void setNotifyRender(GUI::Widget* widget) {
    widget->BeginFillProperties();
    widget->Set("NotifyRender", "1");
    widget->EndFillProperties();
}

float sliderPosition(GUI::Widget* widget) {
    auto* slider = dynamic_cast<GUI::Slider*>(widget);
    return slider ? slider->m_position : 0.0f;
}

void setSliderPosition(GUI::Widget* widget, float value) {
    if (auto* slider = dynamic_cast<GUI::Slider*>(widget))
        slider->SetSliderPosition(value);
}

// The rendered height of a text widget (its own height for other widgets).
float textHeightOf(GUI::Widget* widget) {
    if (auto* text = dynamic_cast<GUI::StaticText*>(widget))
        return text->GetTextHeight();
    return float(widget->GetHeight());
}

} // namespace

GUI::Widget* GameApp::FindWidget(const std::string& name) const {
    return m_root ? m_root->FindChild(name, true) : nullptr;
}

void GameApp::Subscribe(GUI::Widget* widget, const std::string& event,
                        bool (GameApp::*handler)(const GUI::EventArgs&)) {
    if (widget)
        widget->SubscribeEvent(event, std::make_unique<GUI::_memberBinder<GameApp>>(this, handler));
}

void GameApp::InitGui() {
    m_root = m_guiServer->GetRootWidget();
    if (!m_root)
        return;
    auto find = [this](const std::string& name) {
        GUI::Widget* w = FindWidget(name);
        if (!w)
            a_log("GameApp::InitGui - widget '%s' not found", name.c_str());
        return w;
    };
    m_titleScreenWidget = find("title_screen");
    m_panel = find("panel");
    m_gameMap = find("game_map");
    m_infoMap = find("info_map");
    m_creditsBack = find("credits_back");

    Subscribe(m_creditsBack, GUI::Widget::EventClick, &GameApp::OnCreditsBack);
    Subscribe(m_panel, GUI::Widget::EventShow, &GameApp::OnPanelShow);
    Subscribe(childOf(m_panel, "clock"), GUI::Widget::EventClick, &GameApp::OnClockClick);
    m_clockText = childOf(m_panel, "clock_text");
    if (m_clockText) {
        setNotifyRender(m_clockText);
        Subscribe(m_clockText, GUI::Widget::EventBeginRender, &GameApp::DrawClock);
    }

    for (const char* name : kMessageBoxes) {
        GUI::Widget* box = FindWidget(name);
        if (!box)
            continue;
        const bool clueCard = std::string(name) == kClueCardBox;
        Subscribe(box->FindChild("close", true), GUI::Widget::EventClick,
                  clueCard ? &GameApp::OnClueCardBoxClose : &GameApp::OnMessageBoxClose);
        if (clueCard) {
            SetCardPopupWindow(box);
            Subscribe(box, GUI::Widget::EventShow, &GameApp::OnClueCardBoxShow);
        }
    }

    if (m_titleScreenWidget) {
        GUI::Widget* t = m_titleScreenWidget;
        Subscribe(t->FindChild("change_profile"), GUI::Widget::EventClick, &GameApp::OnChangeProfile);
        Subscribe(t->FindChild("btn_start"), GUI::Widget::EventClick, &GameApp::OnStart);
        Subscribe(t->FindChild("btn_help"), GUI::Widget::EventClick, &GameApp::OnHelp);
        Subscribe(t->FindChild("btn_options"), GUI::Widget::EventClick, &GameApp::OnOptions);
        Subscribe(t->FindChild("btn_quit"), GUI::Widget::EventClick, &GameApp::OnQuit);
        Subscribe(t->FindChild("btn_credits"), GUI::Widget::EventClick, &GameApp::OnCredits);
        Subscribe(t->FindChild("survey"), GUI::Widget::EventClick, &GameApp::OnSurvey);
    }

    m_mapButtons.clear();
    if (m_gameMap) {
        for (GUI::Widget* child : m_gameMap->GetChildren()) {
            auto* button = dynamic_cast<RoomButton*>(child);
            if (!button)
                continue;
            Subscribe(button, GUI::Widget::EventMouseEnter, &GameApp::OnHandled);
            Subscribe(button, GUI::Widget::EventMouseLeave, &GameApp::OnHandled);
            Subscribe(button, GUI::Widget::EventClick, &GameApp::OnMapButtonClick);
            m_mapButtons.push_back(button);
        }
        setNotifyRender(m_gameMap);
        Subscribe(m_gameMap, GUI::Widget::EventEndRender, &GameApp::OnMapEndRender);
        Subscribe(m_gameMap, GUI::Widget::EventShow, &GameApp::OnHandled);
    }

    if (m_panel) {
        Subscribe(m_panel->FindChild("btn_cardroom"), GUI::Widget::EventClick, &GameApp::OnCardRoomButton);
        Subscribe(m_panel->FindChild("btn_evidroom"), GUI::Widget::EventClick,
                  &GameApp::OnEvidenceRoomButton);
        Subscribe(m_panel->FindChild("btn_cardroom_b"), GUI::Widget::EventClick, &GameApp::OnBackButton);
        Subscribe(m_panel->FindChild("btn_evidroom_b"), GUI::Widget::EventClick, &GameApp::OnBackButton);
        Subscribe(m_panel->FindChild("btn_map"), GUI::Widget::EventClick, &GameApp::OnMapButton);
        Subscribe(m_panel->FindChild("btn_menu"), GUI::Widget::EventClick, &GameApp::OnMenuButton);
        Subscribe(m_panel->FindChild("btn_hint"), GUI::Widget::EventClick, &GameApp::OnHintButton);
    }
    giveHintButtons(m_root, this);

    if (GUI::Widget* options = find("options")) {
        Subscribe(options, GUI::Widget::EventShow, &GameApp::OnOptionsShow);
        Subscribe(options->FindChild("btn_apply", true), GUI::Widget::EventClick, &GameApp::OnOptionsApply);
        Subscribe(options->FindChild("btn_cancel", true), GUI::Widget::EventClick, &GameApp::OnOptionsCancel);
        Subscribe(options->FindChild("fullscreen", true), GUI::Widget::EventClick,
                  &GameApp::OnToggleFullscreen);
        Subscribe(options->FindChild("show_tips", true), GUI::Widget::EventClick, &GameApp::OnToggleShowTips);
        Subscribe(options->FindChild("music_vol", true), GUI::Slider::EventPositionChanged,
                  &GameApp::OnMusicVolume);
        GUI::Widget* sound = options->FindChild("sound_vol", true);
        Subscribe(sound, GUI::Slider::EventPositionChanged, &GameApp::OnSoundVolume);
        Subscribe(sound, GUI::Slider::EventThumbTrackFinished, &GameApp::OnSoundVolumeDone);
    }

    if (GUI::Widget* menu = find("ingame_menu")) {
        Subscribe(menu->FindChild("options", true), GUI::Widget::EventClick, &GameApp::OnOptions);
        Subscribe(menu->FindChild("exit", true), GUI::Widget::EventClick, &GameApp::OnMenuExit);
        Subscribe(menu->FindChild("help", true), GUI::Widget::EventClick, &GameApp::OnHelp);
        Subscribe(menu->FindChild("map", true), GUI::Widget::EventClick, &GameApp::OnMenuMap);
        Subscribe(menu->FindChild("resume", true), GUI::Widget::EventClick, &GameApp::OnMenuResume);
    }

    if (GUI::Widget* confirm = find("confirm_save_exit")) {
        Subscribe(confirm->FindChild("btn_yes", true), GUI::Widget::EventClick, &GameApp::OnConfirmSaveExit);
        Subscribe(confirm->FindChild("btn_no", true), GUI::Widget::EventClick, &GameApp::OnConfirmSaveExit);
    }

    m_gameHelp = find("gamehelp");
    if (m_gameHelp) {
        Subscribe(m_gameHelp->FindChild("ok"), GUI::Widget::EventClick, &GameApp::OnHelpOk);
        if (GUI::Widget* buttons = m_gameHelp->FindChild("buttons")) {
            for (GUI::Widget* button : buttons->GetChildren())
                Subscribe(button, GUI::Widget::EventClick, &GameApp::OnHelpTurn);
        }
    }

    m_guiServer->InitializeWidgets();
}

// ---- message boxes ----

bool GameApp::ShowMessageBoxText(const std::string& name, uint32_t action, const std::u16string& text,
                                 aImage* picture, aSound* sound) {
    auto* box = dynamic_cast<GUI::StaticImage*>(FindWidget(name));
    if (!box) {
        a_log("ERROR! Message box '%s' not found or must be StaticImage", name.c_str());
        return false;
    }
    if (!m_messageBoxes.empty() && (m_messageBoxAction & 0xFFu) >= kBlockingAction)
        return false;
    m_messageBoxAction = action;
    m_messageBoxes.push_back(MessageBoxEntry{box, text, sound, picture, m_currentRoom});
    if (m_messageBoxes.size() == 1)
        DisplayMessageBox(m_messageBoxes.front());
    return true;
}

bool GameApp::ShowMessageBox(const std::string& name, uint32_t action, const std::string& localeKey,
                             aImage* picture, aSound* sound) {
    const std::u16string text =
        localeKey.empty() || !m_localeServer ? std::u16string() : m_localeServer->getString(localeKey);
    return ShowMessageBoxText(name, action, text, picture, sound);
}

void GameApp::DisplayMessageBox(const MessageBoxEntry& entry) {
    GUI::StaticImage* box = entry.box;
    GUI::Widget* image = box->FindChild("image");
    GUI::Widget* text = box->FindChild("text");
    if (image && entry.picture) {
        if (auto* picture = dynamic_cast<GUI::StaticImage*>(image))
            picture->SetImage(entry.picture);
        if (box->GetTag() != 0) {
            const int32_t w = int32_t(entry.picture->getWidth());
            const int32_t h = int32_t(entry.picture->getHeight());
            image->SetAreaRect(int16_t((box->GetWidth() - w) / 2), image->GetAreaRect().y, int16_t(w),
                               int16_t(h));
            if (text)
                text->SetPosition(text->GetAreaRect().x,
                                  int16_t(image->GetAreaRect().y + image->GetHeight() + text->GetTag()));
        }
    }
    if (text && !entry.text.empty()) {
        text->SetHeight(10000);
        text->SetText(entry.text);
    }
    GUI::Widget* bottom = box->FindChild("bottom");
    if (bottom && text) {
        const int32_t c = text->GetAreaRect().y + int32_t(textHeightOf(text));
        const int32_t backgroundHeight = int32_t(box->GetImage().getHeight());
        const uint32_t difference = uint32_t(backgroundHeight - bottom->GetHeight() - c);
        // A tile step of 0 places the bottom as if the remainder were 0.
        const uint32_t step = uint32_t(bottom->GetTag());
        const uint32_t remainder = step == 0 ? 0u : difference % step;
        bottom->SetY(int16_t(c + int32_t(remainder)));
        const int32_t bottomY = bottom->GetAreaRect().y;
        box->SetHeight(int16_t(bottomY + bottom->GetHeight() / 2));
        const aImage background = box->GetImage();
        const aRect source(0, 0, int16_t(background.getWidth()), box->GetHeight());
        box->SetImage(&background, &source);
        box->SetY(int16_t(-((bottomY + bottom->GetHeight()) / 2)));
    }
    if (entry.sound)
        entry.sound->play(false, -1.0f, -2.0f);
    raiseAndShow(box);
    m_guiServer->SetMouseCursor("default");
}

bool GameApp::CloseMessageBox() {
    if (m_messageBoxes.empty())
        return false;
    m_messageBoxes.front().box->SetVisible(false);
    m_messageBoxes.pop_front();
    if (!m_messageBoxes.empty()) {
        DisplayMessageBox(m_messageBoxes.front());
        return true;
    }
    RunMessageBoxAction(m_messageBoxAction);
    return true;
}

void GameApp::CloseNotesOf(const Room* room) {
    if (!room || m_messageBoxes.empty() || m_messageBoxAction != ACTION_NONE)
        return;
    GUI::StaticImage* front = m_messageBoxes.front().box;
    const bool frontGoes = m_messageBoxes.front().room == room;
    for (auto it = m_messageBoxes.begin(); it != m_messageBoxes.end();)
        it = it->room == room ? m_messageBoxes.erase(it) : std::next(it);
    if (!frontGoes)
        return;
    setVisible(front, false);
    if (!m_messageBoxes.empty())
        DisplayMessageBox(m_messageBoxes.front());
    else
        RunMessageBoxAction(m_messageBoxAction);
}

void GameApp::ShowPendingClueCard(uint32_t action) {
    ShowCardPopup(m_pendingClueCard);
    ShowMessageBoxText(kClueCardBox, action, std::u16string(), nullptr, m_soundGotClueCard);
}

void GameApp::RunMessageBoxAction(uint32_t action) {
    switch (action) {
    case ACTION_ROOM_COMPLETED:
        if (m_pendingClueCard)
            ShowPendingClueCard(ACTION_ROOM_COMPLETED);
        else
            ShowMap();
        break;
    case ACTION_GOAL_REACHED:
        if (m_pendingClueCard) {
            ShowPendingClueCard(ACTION_GOAL_REACHED);
        } else if (m_bonusRoom) {
            m_bonusRoom->SetShowTitle(true);
            GotoRoom(m_bonusRoom->GetName());
        }
        break;
    case ACTION_FIRST_MAP_VISIT:
        for (RoomButton* button : m_mapButtons) {
            if (button->IsEnabled())
                button->SetFlashing(true);
        }
        break;
    case ACTION_COMPLETE_LEVEL:
        CompleteLevel();
        break;
    case ACTION_RESTART_LEVEL:
        RestartLevel();
        break;
    default:
        if (m_pendingClueCard) {
            ShowCardPopup(m_pendingClueCard);
            m_pendingClueCard = nullptr;
        }
        break;
    }
}

bool GameApp::OnMessageBoxClose(const GUI::EventArgs&) {
    CloseMessageBox();
    return true;
}

bool GameApp::OnClueCardBoxClose(const GUI::EventArgs&) {
    m_musicPlayer.play(m_musicPlayer.getCurrentTrack(), true);
    CloseCardPopup();
    m_pendingClueCard = nullptr;
    CloseMessageBox();
    return true;
}

bool GameApp::OnClueCardBoxShow(const GUI::EventArgs&) {
    m_musicPlayer.pause(true);
    return true;
}

bool GameApp::IsPopupActive() const {
    return !m_messageBoxes.empty() || (m_gameHelp && m_gameHelp->IsVisible(true));
}

uint32_t GameApp::GetHintState() const {
    return m_currentRoom ? m_currentRoom->GetHintState() : uint32_t(Room::HINT_NO_HINTS);
}

// ---- title screen ----

bool GameApp::OnHandled(const GUI::EventArgs&) {
    return true;
}

bool GameApp::OnCreditsBack(const GUI::EventArgs&) {
    setVisible(m_titleScreenWidget, true);
    m_creditsShowing = 0;
    setVisible(m_creditsBack, false);
    return true;
}

bool GameApp::OnPanelShow(const GUI::EventArgs& args) {
    if (GUI::Widget* shown = widgetOf(args))
        shown->MoveToFront();
    return true;
}

bool GameApp::OnChangeProfile(const GUI::EventArgs&) {
    m_profileRefreshPending = m_profiles.Open(false) ? 1 : 0;
    return true;
}

bool GameApp::OnStart(const GUI::EventArgs&) {
    LoadGame();
    return true;
}

bool GameApp::OnHelp(const GUI::EventArgs&) {
    ShowGameHelp();
    return true;
}

bool GameApp::OnOptions(const GUI::EventArgs&) {
    OpenOptions();
    return true;
}

bool GameApp::OnQuit(const GUI::EventArgs&) {
    m_quitRequested = 1;
    return true;
}

bool GameApp::OnCredits(const GUI::EventArgs&) {
    setVisible(m_titleScreenWidget, false);
    StartCredits();
    m_creditsShowing = 1;
    setVisible(m_creditsBack, true);
    return true;
}

bool GameApp::OnSurvey(const GUI::EventArgs&) {
    if (!a_isWebAddress(m_surveyUrl)) {
        a_log("GameApp::OnSurvey - survey address '%s' is not an http:// or https:// address, not opened",
              m_surveyUrl.c_str());
        return true;
    }
    if (!a_openWebPage(m_surveyUrl))
        a_log("GameApp::OnSurvey - cannot start the desktop's opener for '%s'", m_surveyUrl.c_str());
    return true;
}

// ---- map and panel ----

bool GameApp::OnMapButtonClick(const GUI::EventArgs& args) {
    if (GUI::Widget* button = widgetOf(args))
        GotoRoom(button->GetName());
    return true;
}

bool GameApp::OnMapEndRender(const GUI::EventArgs&) {
    if (m_messageBoxes.empty() || !m_gameMap || !m_imageManager)
        return true;
    if (!m_overlayImagesFetched) {
        m_overlayImagesFetched = true;
        GetImages(m_imageManager, "",
                  {{"level_completed", nullptr, &m_imageLevelCompleted},
                   {"white_dot", nullptr, &m_imageWhiteDot},
                   {"pause", nullptr, &m_imagePause}});
    }
    if (m_imageWhiteDot && m_imageWhiteDot->hasTexture()) {
        const aRect source(0, 0, int16_t(m_imageWhiteDot->getWidth()), int16_t(m_imageWhiteDot->getHeight()));
        const aRect dest(int16_t(m_gameMap->GetAbsoluteX()), int16_t(m_gameMap->GetAbsoluteY()),
                         m_gameMap->GetWidth(), m_gameMap->GetHeight());
        GUI::DrawImageStretched(m_imageWhiteDot, source, dest, kMapVeilColour);
    }
    return true;
}

bool GameApp::OnCardRoomButton(const GUI::EventArgs&) {
    if (m_cardRoom)
        GotoRoom(m_cardRoom->GetName());
    return true;
}

bool GameApp::OnEvidenceRoomButton(const GUI::EventArgs&) {
    if (m_evidenceRoom)
        GotoRoom(m_evidenceRoom->GetName());
    return true;
}

bool GameApp::OnBackButton(const GUI::EventArgs&) {
    if (!m_returnRoom.empty())
        GotoRoom(m_returnRoom);
    else
        ShowMap();
    return true;
}

bool GameApp::OnMapButton(const GUI::EventArgs&) {
    ShowMap();
    return true;
}

bool GameApp::OnMenuButton(const GUI::EventArgs&) {
    OpenIngameMenu();
    return true;
}

bool GameApp::OnHintButton(const GUI::EventArgs&) {
    if (!m_currentRoom || m_hintsLeft == 0)
        return true;
    --m_hintsLeft;
    m_currentRoom->UseHint();
    if (m_soundShowHint)
        m_soundShowHint->play(false, -1.0f, -2.0f);
    return true;
}

// ---- options ----

void GameApp::OpenOptions() {
    GUI::Widget* options = FindWidget("options");
    if (!options)
        return;
    // Over the in-game menu the dialog covers the menu's card, centred on it;
    // elsewhere it takes its place of the layout.
    if (!m_optionsPlaceKept) {
        m_optionsPlace = options->GetAreaRect();
        m_optionsPlaceKept = true;
    }
    GUI::Widget* card = m_menuOpen ? childOf(FindWidget("ingame_menu"), "card") : nullptr;
    GUI::Widget* parent = options->GetParent();
    if (card && parent) {
        const int32_t cx = card->GetAbsoluteX() + card->GetWidth() / 2 - parent->GetAbsoluteX();
        const int32_t cy = card->GetAbsoluteY() + card->GetHeight() / 2 - parent->GetAbsoluteY();
        options->SetPosition(int16_t(cx - options->GetWidth() / 2), int16_t(cy - options->GetHeight() / 2));
    } else {
        options->SetPosition(m_optionsPlace.x, m_optionsPlace.y);
    }
    raiseAndShow(options);
    m_widgetMover.Add(options);
}

bool GameApp::OnOptionsShow(const GUI::EventArgs& args) {
    GUI::Widget* options = widgetOf(args);
    if (!options)
        return true;
    setSliderPosition(options->FindChild("sound_vol", true), g_currentSettings.soundVolume);
    setSliderPosition(options->FindChild("music_vol", true), g_currentSettings.musicVolume);
    if (GUI::Widget* fullscreen = options->FindChild("fullscreen", true))
        fullscreen->SetEnabled(allowFullscreenToggle());
    setVisible(options->FindChild("fullscreen_auto_check", true), g_currentSettings.fullscreen != 0);
    setVisible(options->FindChild("show_tips_auto_check", true), g_currentSettings.showTips != 0);
    return true;
}

bool GameApp::OnToggleFullscreen(const GUI::EventArgs&) {
    if (GUI::Widget* tick = FindWidget("fullscreen_auto_check"))
        tick->SetVisible(!tick->IsVisible(true));
    return true;
}

bool GameApp::OnToggleShowTips(const GUI::EventArgs&) {
    if (GUI::Widget* tick = FindWidget("show_tips_auto_check"))
        tick->SetVisible(!tick->IsVisible(true));
    return true;
}

bool GameApp::OnSoundVolume(const GUI::EventArgs& args) {
    if (m_soundManager)
        m_soundManager->setMasterVolume(sliderPosition(widgetOf(args)));
    return true;
}

bool GameApp::OnSoundVolumeDone(const GUI::EventArgs&) {
    if (m_soundRoomClear)
        m_soundRoomClear->play(false, -1.0f, -2.0f);
    return true;
}

bool GameApp::OnMusicVolume(const GUI::EventArgs& args) {
    m_musicPlayer.setVolume(sliderPosition(widgetOf(args)));
    return true;
}

bool GameApp::OnOptionsApply(const GUI::EventArgs&) {
    GUI::Widget* options = FindWidget("options");
    if (!options)
        return true;
    g_currentSettings.soundVolume = sliderPosition(options->FindChild("sound_vol", true));
    g_currentSettings.musicVolume = sliderPosition(options->FindChild("music_vol", true));
    GUI::Widget* fullscreen = options->FindChild("fullscreen_auto_check", true);
    GUI::Widget* tips = options->FindChild("show_tips_auto_check", true);
    g_currentSettings.fullscreen = fullscreen && fullscreen->IsVisible(true) ? 1 : 0;
    g_currentSettings.showTips = tips && tips->IsVisible(true) ? 1 : 0;
    options->SetVisible(false);
    ApplySettings();
    m_profiles.SaveProfiles();
    return true;
}

bool GameApp::OnOptionsCancel(const GUI::EventArgs&) {
    setVisible(FindWidget("options"), false);
    ApplySettings();
    return true;
}

void GameApp::onDisplayModeChanged() {
    if (m_graphServer)
        g_currentSettings.fullscreen = m_graphServer->isFullscreen() ? 1 : 0;
    if (!m_guiServer || !m_root)
        return;
    GUI::Widget* options = FindWidget("options");
    GUI::Widget* fullscreen = options ? options->FindChild("fullscreen", true) : nullptr;
    if (!fullscreen)
        return;
    fullscreen->SetEnabled(allowFullscreenToggle());
    setVisible(fullscreen->FindChild("fullscreen_auto_check", true), g_currentSettings.fullscreen != 0);
}

// ---- in-game menu ----

void GameApp::OpenIngameMenu() {
    if (m_tipManager)
        m_tipManager->HideTip();
    if (m_soundManager)
        m_soundManager->pauseAll(true);
    GUI::Widget* menu = FindWidget("ingame_menu");
    if (menu)
        menu->MoveToFront();
    m_menuOpen = 1;
    setVisible(menu, true);
}

bool GameApp::OnMenuMap(const GUI::EventArgs&) {
    m_menuOpen = 0;
    setVisible(FindWidget("ingame_menu"), false);
    ShowMap();
    return true;
}

bool GameApp::OnMenuResume(const GUI::EventArgs&) {
    m_menuOpen = 0;
    setVisible(FindWidget("ingame_menu"), false);
    if (m_soundManager)
        m_soundManager->pauseAll(false);
    return true;
}

bool GameApp::OnMenuExit(const GUI::EventArgs&) {
    raiseAndShow(FindWidget("confirm_save_exit"));
    return true;
}

bool GameApp::OnConfirmSaveExit(const GUI::EventArgs& args) {
    setVisible(FindWidget("confirm_save_exit"), false);
    GUI::Widget* button = widgetOf(args);
    if (!button || button->GetTag() == 0)
        return true;
    setVisible(m_infoMap, false);
    setVisible(m_gameMap, false);
    setVisible(m_titleScreenWidget, true);
    setVisible(m_panel, false);
    LeaveCurrentRoom(nullptr);
    SaveGame();
    m_menuOpen = 0;
    setVisible(FindWidget("ingame_menu"), false);
    m_mode = MODE_TITLE;
    RestartTitleScreen();
    return true;
}

// ---- game help ----

void GameApp::ShowGameHelp() {
    if (!m_gameHelp)
        return;
    m_helpPages = {0, 2};
    size_t position = 0;
    if (m_currentRoom && m_currentRoom == m_cardRoom)
        position = 1;
    if (m_mode != MODE_TITLE && g_currentSettings.level >= 2) {
        m_helpPages.push_back(1);
        if (m_currentRoom && m_currentRoom == m_evidenceRoom)
            position = m_helpPages.size() - 1;
    }
    setTag(m_gameHelp, int32_t(position));
    raiseAndShow(m_gameHelp);
    ShowHelpPage();
}

void GameApp::ShowHelpPage() {
    if (!m_gameHelp || m_helpPages.empty())
        return;
    const size_t count = m_helpPages.size();
    const size_t position = size_t(m_gameHelp->GetTag()) % count;
    const uint32_t page = m_helpPages[position];
    const int64_t next = count > 1 ? int64_t(m_helpPages[(position + 1) % count]) : -1;
    if (GUI::Widget* pages = m_gameHelp->FindChild("pages")) {
        for (size_t i = 0; i < kHelpPageCount && i < pages->GetChildCount(); ++i)
            pages->GetChildren()[i]->SetVisible(i == page);
    }
    if (GUI::Widget* buttons = m_gameHelp->FindChild("buttons")) {
        for (size_t i = 0; i < kHelpPageCount && i < buttons->GetChildCount(); ++i)
            buttons->GetChildren()[i]->SetVisible(int64_t(i) == next);
    }
}

bool GameApp::OnHelpOk(const GUI::EventArgs&) {
    setVisible(m_gameHelp, false);
    return true;
}

bool GameApp::OnHelpTurn(const GUI::EventArgs&) {
    if (!m_gameHelp || m_helpPages.empty())
        return true;
    const size_t position = (size_t(m_gameHelp->GetTag()) + 1) % m_helpPages.size();
    setTag(m_gameHelp, int32_t(position));
    ShowHelpPage();
    return true;
}
