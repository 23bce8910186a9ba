#pragma once
// Tip balloons: one at a time, a short help text pointing at a place on the
// screen, each tip counted so that it shows a limited number of times per
// level and in a limited number of levels. The counters travel in the saved
// game as the record "<tip_manager>".
//
// Tips file ("data:tips.ini"): the first section is the general one
// ("General": "FadeTime", "CloseAnywhereTime", seconds, 0 when missing); every
// later section is a tip named by the section, with the optional keys
// "Quarter" (bit 0: balloon left of the point, bit 1: above it; -1: chosen
// from the point), "TimesPerLevel" and "LevelsCount" (-1: no limit). A tip's
// text is the locale text "tip." + name unless the caller gives one.
//
// GUI: the window "game_tip" (it covers the screen from (0, 0), so that it
// takes a click anywhere) holding "balloon", which holds "text" (a static
// text), "close" and "dont_show" with its tick "dont_show_auto_check". The
// balloon is drawn with the style "tip_style0" to "tip_style3" of its quarter
// (its "NormalStyle"). The layout as loaded gives the metrics: the balloon's
// x and y in "game_tip" (the pointer's offset and the tail's height), the
// balloon's height (the least one), the text's y in the balloon (the text's
// top margin) and the y of "dont_show" in the balloon (the gap below the
// text).
//
// A balloon fades in over FadeTime; from FadeTime + CloseAnywhereTime on a
// click anywhere closes it ("close" closes it at any time after the first
// frame), and it fades out over FadeTime. With a FadeTime of 0 it appears and
// goes at once.

#include "game/profiles/profile_record.h"
#include "game/save/save_load.h"
#include "mirel/gui/gui_event.h"
#include "mirel/util/a_singleton.h"

#include <cstdint>
#include <map>
#include <string>

class aLocaleServer;
class aSound;
class aSoundManager;
namespace GUI {
class Server;
class StaticText;
class Style;
class Widget;
} // namespace GUI

class TipManager : public aSingleton<TipManager>, public SaveLoadEntity {
public:
    struct Tip {
        uint8_t enabled = 1;
        int32_t quarter = -1;
        int32_t levelsCount = -1;
        uint32_t levelsLeft = 0;
        int32_t timesPerLevel = -1;
        uint32_t showsLeft = 0;
    };

    // Finds the widgets and styles, captures the metrics and reads the tips
    // file; the counters start as ResetTipCounts(true) sets them. The sound
    // "tip" comes from the sound manager; the texts from the locale server;
    // the show-tips flag is the settings record's.
    TipManager(GUI::Server& gui, aSoundManager* sounds, aLocaleServer* locale, ProfileRecord& settings,
               const std::string& tipsFile = "data:tips.ini");
    ~TipManager() override;

    // Shows the named tip pointing at the screen point, with the text or (when
    // empty) its locale text. False when the tip is unknown (logged) or has no
    // shows left; a show is counted even when tips are switched off.
    bool ShowTip(int32_t x, int32_t y, const std::string& name,
                 const std::u16string& text = std::u16string());
    bool IsTipShown() const { return m_current != nullptr; }
    // Hides the balloon at once, without a fade.
    void HideTip();
    void Update(float dt);
    // Every tip's shows per level again; with `all` also its levels and its
    // enabled flag.
    void ResetTipCounts(bool all);
    // Hides the tip; every tip shown in this level has one level less.
    void EndLevel();

    // u32 count, then per tip in name order: u8 enabled, u32 shows left, u32
    // levels left.
    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;

    // The tip of that name (exact), or null without a message.
    const Tip* FindTip(const std::string& name) const;
    const std::map<std::string, Tip>& GetTips() const { return m_tips; }
    float GetFadeTime() const { return m_fadeTime; }
    float GetCloseAnywhereTime() const { return m_closeAnywhereTime; }
    // The balloon timer: from 0 up while showing, negative while fading out.
    float GetTimer() const { return m_timer; }
    const std::string& GetCurrentTipName() const { return m_currentName; }

private:
    void ReadTipsFile(const std::string& path);
    void SetBalloonAlpha(float alpha);
    void StartFadeOut();
    bool OnClick(const GUI::EventArgs& args);
    bool OnDontShow(const GUI::EventArgs& args);

    GUI::Server& m_gui;
    aLocaleServer* m_locale;
    ProfileRecord& m_settings;
    aSound* m_sound = nullptr;

    GUI::Widget* m_window = nullptr;
    GUI::Widget* m_balloon = nullptr;
    GUI::StaticText* m_text = nullptr;
    GUI::Widget* m_close = nullptr;
    GUI::Widget* m_dontShow = nullptr;
    GUI::Widget* m_dontShowTick = nullptr;
    GUI::Style* m_styles[4] = {};

    // metrics of the layout
    int32_t m_pointerOffsetX = 0;
    int32_t m_tailHeight = 0;
    int32_t m_minBalloonHeight = 0;
    int32_t m_textTop = 0;
    int32_t m_checkGap = 0;

    float m_fadeTime = 0.0f;
    float m_closeAnywhereTime = 0.0f;
    std::map<std::string, Tip> m_tips;
    Tip* m_current = nullptr;
    std::string m_currentName;
    float m_timer = 0.0f;

    GUI::_memberBinder<TipManager> m_clickBinder{this, &TipManager::OnClick};
    GUI::_memberBinder<TipManager> m_dontShowBinder{this, &TipManager::OnDontShow};
    GUI::ScopedConnection m_connections[4];
};
