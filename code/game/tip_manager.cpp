#include "game/tip_manager.h"

#include "mirel/base/a_log.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_statictext.h"
#include "mirel/gui/gui_style.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

const char* const kStyleNames[4] = {"tip_style0", "tip_style1", "tip_style2", "tip_style3"};
constexpr int32_t kTextMeasureHeight = 10000;
constexpr size_t kTipSaveSize = 9; // u8 enabled, u32 shows left, u32 levels left

// Seconds: a decimal number; missing, unreadable, negative or not finite: 0.
float parseSeconds(const std::string* text) {
    if (!text)
        return 0.0f;
    const double v = std::strtod(text->c_str(), nullptr);
    return std::isfinite(v) && v > 0.0 ? float(std::min(v, 1.0e6)) : 0.0f;
}

// A decimal integer, kept inside the 32-bit range.
int32_t parseInt(const std::string& text) {
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    return int32_t(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

int16_t toInt16(int32_t v) {
    return int16_t(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

GUI::Widget* findIn(GUI::Widget* parent, const std::string& name) {
    GUI::Widget* w = parent ? parent->FindChild(name, true) : nullptr;
    if (!w)
        a_log("TipManager::TipManager - widget '%s' not found", name.c_str());
    return w;
}

void setStyle(GUI::Widget* widget, const char* styleName) {
    widget->BeginFillProperties();
    widget->Set("NormalStyle", styleName);
    widget->EndFillProperties();
}

} // namespace

TipManager::TipManager(GUI::Server& gui, aSoundManager* sounds, aLocaleServer* locale,
                       ProfileRecord& settings, const std::string& tipsFile)
    : SaveLoadEntity("<tip_manager>"), m_gui(gui), m_locale(locale), m_settings(settings) {
    GUI::Widget* root = gui.GetRootWidget();
    m_window = findIn(root, "game_tip");
    m_balloon = findIn(m_window, "balloon");
    GUI::Widget* text = findIn(m_window, "text");
    m_text = dynamic_cast<GUI::StaticText*>(text);
    if (text && !m_text)
        a_log("TipManager::TipManager - widget 'text' must be StaticText");
    m_close = findIn(m_window, "close");
    m_dontShow = findIn(m_window, "dont_show");
    m_dontShowTick = findIn(m_dontShow, "dont_show_auto_check");

    if (m_window)
        m_connections[0] = m_window->SubscribeEvent(GUI::Widget::EventClick, &m_clickBinder);
    if (m_balloon)
        m_connections[1] = m_balloon->SubscribeEvent(GUI::Widget::EventClick, &m_clickBinder);
    if (m_close)
        m_connections[2] = m_close->SubscribeEvent(GUI::Widget::EventClick, &m_clickBinder);
    if (m_dontShow)
        m_connections[3] = m_dontShow->SubscribeEvent(GUI::Widget::EventClick, &m_dontShowBinder);

    for (int q = 0; q < 4; ++q)
        m_styles[q] = gui.GetStyle(kStyleNames[q]);

    if (m_balloon) {
        m_pointerOffsetX = m_balloon->GetAreaRect().x;
        m_tailHeight = m_balloon->GetAreaRect().y;
        m_minBalloonHeight = m_balloon->GetHeight();
    }
    if (m_text)
        m_textTop = m_text->GetAreaRect().y;
    if (m_dontShow)
        m_checkGap = m_dontShow->GetAreaRect().y;

    if (sounds)
        m_sound = sounds->getSound("tip");
    ReadTipsFile(tipsFile);
    ResetTipCounts(true);
}

TipManager::~TipManager() = default;

void TipManager::ReadTipsFile(const std::string& path) {
    aOptionsFile file(path);
    m_fadeTime = parseSeconds(file.findValue("General", "FadeTime"));
    m_closeAnywhereTime = parseSeconds(file.findValue("General", "CloseAnywhereTime"));
    const std::vector<std::string> sections = file.getSectionNames();
    // The first section is the general one, whatever its name.
    for (size_t i = 1; i < sections.size(); ++i) {
        const std::string& name = sections[i];
        if (m_tips.count(name))
            continue; // the first section of a name counts
        Tip tip;
        if (const std::string* v = file.findValue(name, "Quarter"))
            tip.quarter = parseInt(*v);
        if (const std::string* v = file.findValue(name, "TimesPerLevel"))
            tip.timesPerLevel = parseInt(*v);
        if (const std::string* v = file.findValue(name, "LevelsCount"))
            tip.levelsCount = parseInt(*v);
        m_tips.emplace(name, tip);
    }
}

const TipManager::Tip* TipManager::FindTip(const std::string& name) const {
    auto it = m_tips.find(name);
    return it != m_tips.end() ? &it->second : nullptr;
}

bool TipManager::ShowTip(int32_t x, int32_t y, const std::string& name, const std::u16string& text) {
    auto it = m_tips.find(name);
    if (it == m_tips.end()) {
        a_log("TipManager::FindTip - tip '%s' not defined", name.c_str());
        return false;
    }
    Tip& tip = it->second;
    if (tip.levelsLeft == 0 || tip.showsLeft == 0)
        return false;
    --tip.showsLeft;
    if (!tip.enabled || !m_settings.showTips)
        return true;
    if (!m_window || !m_balloon || !m_text || !m_dontShow || !m_close)
        return false; // the layout lacks the balloon (logged when it was built)

    m_current = &tip;
    m_currentName = name;
    const int32_t q = tip.quarter == -1 ? (x >= 512 ? 1 : 0) + (y > 384 ? 2 : 0) : (tip.quarter & 3);
    const bool left = (q & 1) != 0;
    const bool above = (q & 2) != 0;

    m_text->SetSize(m_text->GetWidth(), kTextMeasureHeight);
    m_text->SetText(!text.empty() || !m_locale ? text : m_locale->getString("tip." + name));
    const int32_t h = int32_t(m_text->GetTextHeight() + 0.5f);
    m_text->SetHeight(toInt16(h));

    const int32_t height =
        std::max(m_minBalloonHeight, m_dontShow->GetHeight() + 2 * m_textTop + m_checkGap + m_tailHeight + h);
    if (m_styles[q])
        setStyle(m_balloon, kStyleNames[q]);
    const int32_t width = m_balloon->GetWidth();
    const int32_t bx = left ? x + m_pointerOffsetX - width : x - m_pointerOffsetX;
    const int32_t by = above ? y - height : y;
    const int32_t textY = above ? m_textTop : m_tailHeight + m_textTop;
    m_text->SetY(toInt16(textY));

    const int32_t checkY = textY + m_checkGap + h;
    m_dontShow->SetY(toInt16(checkY));
    if (m_dontShowTick)
        m_dontShowTick->SetVisible(false);
    m_close->SetY(toInt16(checkY));

    SetBalloonAlpha(0.0f);
    m_balloon->SetAreaRect(toInt16(bx), toInt16(by), toInt16(width), toInt16(height));
    m_window->SetVisible(true);
    m_window->MoveToFront();
    if (m_sound)
        m_sound->play(false);
    m_timer = 0.0f;
    return true;
}

void TipManager::HideTip() {
    if (!m_current)
        return;
    if (m_window)
        m_window->SetVisible(false);
    m_current = nullptr;
    m_currentName.clear();
}

void TipManager::SetBalloonAlpha(float alpha) {
    if (m_balloon)
        m_balloon->SetAlpha(alpha);
}

void TipManager::Update(float dt) {
    if (!m_current)
        return;
    const float f = m_fadeTime;
    if (m_timer >= 0.0f) {
        SetBalloonAlpha(m_timer < f ? m_timer / f : 1.0f);
        if (m_timer < f + m_closeAnywhereTime)
            m_timer += dt;
        return;
    }
    m_timer += dt;
    if (m_timer < 0.0f)
        SetBalloonAlpha(-m_timer / f);
    else
        HideTip();
}

void TipManager::StartFadeOut() {
    if (m_fadeTime <= 0.0f) {
        HideTip(); // nothing to fade: a timer of -0 would never run out
        return;
    }
    m_timer = m_timer >= m_fadeTime ? -m_fadeTime : -m_timer;
}

bool TipManager::OnClick(const GUI::EventArgs& args) {
    if (!m_current || m_timer < 0.0f)
        return true;
    const auto* e = dynamic_cast<const GUI::WidgetEventArgs*>(&args);
    const bool onClose = e && e->widget == m_close;
    if ((onClose && m_timer > 0.0f) || m_timer >= m_fadeTime + m_closeAnywhereTime)
        StartFadeOut();
    return true;
}

bool TipManager::OnDontShow(const GUI::EventArgs&) {
    if (m_current && m_timer > 0.0f) {
        m_settings.showTips = m_settings.showTips ? 0 : 1;
        if (m_dontShowTick)
            m_dontShowTick->SetVisible(m_settings.showTips == 0);
    }
    return true;
}

void TipManager::ResetTipCounts(bool all) {
    for (auto& [name, tip] : m_tips) {
        tip.showsLeft = uint32_t(tip.timesPerLevel);
        if (all) {
            tip.levelsLeft = uint32_t(tip.levelsCount);
            tip.enabled = 1;
        }
    }
}

void TipManager::EndLevel() {
    HideTip();
    for (auto& [name, tip] : m_tips) {
        if (tip.showsLeft != uint32_t(tip.timesPerLevel)) {
            tip.showsLeft = uint32_t(tip.timesPerLevel);
            if (tip.levelsLeft > 0)
                --tip.levelsLeft;
        }
    }
}

void TipManager::Save(SaveLoadSystem&, SaveWriter& record) {
    record.WriteU32(uint32_t(m_tips.size()));
    for (const auto& [name, tip] : m_tips) {
        record.WriteU8(tip.enabled);
        record.WriteU32(tip.showsLeft);
        record.WriteU32(tip.levelsLeft);
    }
}

void TipManager::Load(SaveLoadSystem&, SaveReader& record) {
    uint32_t count = 0;
    if (!record.ReadU32(count))
        return;
    const size_t fit = record.GetRemaining() / kTipSaveSize;
    if (count > fit)
        a_log("TipManager::Load - bad record (%u tips, room for %u), the rest not taken", unsigned(count),
              unsigned(fit));
    size_t n = std::min<size_t>({count, m_tips.size(), fit});
    for (auto it = m_tips.begin(); n > 0; ++it, --n) {
        Tip& tip = it->second;
        record.ReadU8(tip.enabled);
        record.ReadU32(tip.showsLeft);
        record.ReadU32(tip.levelsLeft);
    }
}
