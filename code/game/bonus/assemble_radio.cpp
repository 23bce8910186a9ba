#include "game/bonus/assemble_radio.h"

#include "game/bonus/bonus_round_factory.h"
#include "game/bonus/bonus_values.h"
#include "game/game_services.h"
#include "mirel/base/a_log.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_statictext.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_stringlist.h"

#include <algorithm>
#include <cstdlib>

namespace {

[[maybe_unused]] const bool g_registered =
    BonusRoundFactory::Instance().Register<AssembleRadio>("AssembleRadio");

constexpr int32_t kPlayLeft = 179;

} // namespace

AssembleRadio::AssembleRadio(const aOptionsFile& options, GameServices* game)
    : BonusRound(kPuzzleName, options, game) {
    m_subtitles.Load(kSubtitleFile);
    GUI::Server* gui = m_app ? m_app->GetGuiServer() : nullptr;
    if (gui) {
        m_subtitleWidget = std::make_unique<GUI::StaticText>("$radio_subs$");
        gui->ApplyTemplate("assemble_radio_subtitles", m_subtitleWidget.get());
        m_subtitleWidget->EndFillProperties();
        m_subtitleWidget->Initialize();
    }
    m_finishSound = GetSound("radio_voice");
    m_soundSelect = GetSound("radio_select");
    m_soundLock = GetSound("radio_lock");
    m_soundPlaceBack = GetSound("radio_placeback");
    m_soundCompleted = GetSound("radio_completed");
    m_background = GetImage("background");
    ReadLayout();
    m_cover = FindLayer("cover");
    m_dragged = -1;
    m_coverPhase = false;
}

AssembleRadio::~AssembleRadio() {
    m_subtitleWidget.reset();
    m_parts.clear();
    m_layers.clear();
}

void AssembleRadio::ReadLayout() {
    aStringList lines(m_imageFolder + "layout.txt");
    const uint32_t count = lines.getCount() / 3;
    if (lines.getCount() % 3 != 0)
        a_log("AssembleRadio - %slayout.txt: %u lines, not groups of three; the last are ignored",
              m_imageFolder.c_str(), unsigned(lines.getCount()));
    m_layers.reserve(count);
    lines.begin();
    for (uint32_t i = 0; i < count; ++i) {
        Layer layer;
        layer.name = lines.current();
        lines.next();
        layer.x = kPlayLeft + bonusvalues::ParseInt(lines.current(), -bonusvalues::kCoordinateLimit,
                                                    bonusvalues::kCoordinateLimit);
        lines.next();
        layer.y = bonusvalues::ParseInt(lines.current(), -bonusvalues::kCoordinateLimit,
                                        bonusvalues::kCoordinateLimit);
        lines.next();
        layer.image = layer.name.empty() ? nullptr : GetImage(layer.name);
        bool startsPart = false;
        bool required = true;
        if (layer.name.empty() || layer.name[0] != '#') {
            layer.visible = false;
            layer.alpha = 0.0f;
        } else if (layer.name.back() == 'g') {
            layer.visible = true;
            layer.alpha = 0.0f;
        } else if (layer.name.back() == 'o') {
            layer.visible = true;
            layer.alpha = 1.0f;
            startsPart = true;
            required = !(layer.name.size() >= 2 && layer.name[layer.name.size() - 2] == '_');
        } else {
            layer.visible = false;
            layer.alpha = 1.0f;
        }
        m_layers.push_back(std::move(layer));
        if (startsPart) {
            Part part;
            part.loose = int32_t(m_layers.size() - 1);
            part.required = required;
            m_parts.push_back(part);
        }
    }
    // Each part's other layers, named like its loose layer with the last letter changed.
    for (auto it = m_parts.begin(); it != m_parts.end();) {
        std::string base = m_layers[size_t(it->loose)].name;
        base.pop_back();
        it->installed = FindLayer(base + "i");
        it->held = FindLayer(base + "h");
        it->mask = FindLayer(base + "m");
        it->glow = FindLayer(base + "g");
        if (it->installed < 0 || it->held < 0 || it->mask < 0 || it->glow < 0) {
            a_log("AssembleRadio - part '%so' lacks a layer and is left out", base.c_str());
            it = m_parts.erase(it);
            continue;
        }
        ++it;
    }
}

int32_t AssembleRadio::FindLayer(const std::string& name) const {
    for (size_t i = 0; i < m_layers.size(); ++i) {
        if (m_layers[i].name == name)
            return int32_t(i);
    }
    a_log("AssembleRadio::FindLayer - layer '%s' not found", name.c_str());
    return -1;
}

bool AssembleRadio::HitTestLayer(const Layer& layer, int32_t px, int32_t py) const {
    if (!layer.image)
        return false;
    const int32_t u = px - layer.x, v = py - layer.y;
    if (u < 0 || v < 0 || u >= int32_t(layer.image->getWidth()) || v >= int32_t(layer.image->getHeight()))
        return false;
    return (layer.image->getPixel(u, v) >> 24) > kAlphaThreshold;
}

void AssembleRadio::DrawLayer(const Layer& layer, int32_t x, int32_t y) const {
    if (!layer.visible || !layer.image)
        return;
    if (x == kOwnPlace) {
        x = layer.x;
        y = layer.y;
    }
    layer.image->drawAt(float(x), float(y), (bonusvalues::AlphaByte(layer.alpha) << 24) | 0xFFFFFFu);
}

void AssembleRadio::Show(int32_t index, bool visible) {
    if (Layer* layer = At(index))
        layer->visible = visible;
}

void AssembleRadio::DropHeld() {
    if (m_dragged < 0)
        return;
    Part& part = m_parts[size_t(m_dragged)];
    Show(part.held, false);
    Show(part.loose, true);
    Show(part.glow, true);
    At(part.glow)->alpha = 0.0f;
    m_dragged = -1;
}

void AssembleRadio::Update(float dt) {
    if (m_completed) {
        if (m_voiceStarted)
            m_subtitles.Update(dt);
        if (m_subtitleWidget) {
            std::u16string text;
            if (const std::vector<std::u16string>* lines = m_subtitles.GetCurrentText()) {
                for (size_t i = 0; i < lines->size(); ++i)
                    text += (i ? u"\n" : u"") + (*lines)[i];
            }
            if (text != m_subtitleWidget->GetText())
                m_subtitleWidget->SetText(text);
            m_subtitleWidget->UpdateFade(dt);
        }
        return;
    }
    if (m_coverPhase) {
        Layer* cover = At(m_cover);
        float& alpha = cover ? cover->alpha : m_coverTime;
        alpha += 2.0f * dt;
        if (alpha > 1.0f) {
            alpha = 1.0f;
            m_completed = true;
        }
        return;
    }

    aInputServer* input = Input();
    int32_t mx = 0, my = 0;
    if (input)
        input->getMousePos(mx, my);
    const bool pressed = input && input->getButtonState(0) == 2;

    if (m_dragged < 0) {
        for (size_t i = 0; i < m_parts.size(); ++i) {
            Part& part = m_parts[i];
            Layer& glow = m_layers[size_t(part.glow)];
            if (part.placed || !HitTestLayer(m_layers[size_t(part.mask)], mx, my)) {
                glow.alpha = std::max(0.0f, glow.alpha - dt / kGlowTime);
                continue;
            }
            glow.alpha = std::min(1.0f, glow.alpha + dt / kGlowTime);
            if (m_dragged < 0 && pressed) {
                Show(part.loose, false);
                Show(part.glow, false);
                Show(part.held, true);
                const Layer& held = m_layers[size_t(part.held)];
                const int32_t hw = held.image ? int32_t(held.image->getWidth()) / 2 : 0;
                const int32_t hh = held.image ? int32_t(held.image->getHeight()) / 2 : 0;
                part.dragX = mx - hw;
                part.dragY = my - hh;
                m_dragged = int32_t(i);
                bonusvalues::Play(m_soundSelect);
            }
        }
    } else {
        // The part is held: the press that picked it up is not this frame's.
        Part& part = m_parts[size_t(m_dragged)];
        const Layer& held = m_layers[size_t(part.held)];
        const int32_t hw = held.image ? int32_t(held.image->getWidth()) / 2 : 0;
        const int32_t hh = held.image ? int32_t(held.image->getHeight()) / 2 : 0;
        part.dragX = mx - hw;
        part.dragY = my - hh;
        if (pressed) {
            Show(part.held, false);
            if (part.required && std::abs(part.dragX - held.x) <= kPlaceDistance &&
                std::abs(part.dragY - held.y) <= kPlaceDistance) {
                bonusvalues::Play(m_soundLock);
                part.placed = true;
                Show(part.installed, true);
            } else {
                bonusvalues::Play(m_soundPlaceBack);
                Show(part.loose, true);
                Show(part.glow, true);
                m_layers[size_t(part.glow)].alpha = 0.0f;
            }
            m_dragged = -1;
        }
    }

    for (const Part& part : m_parts) {
        if (part.required && !part.placed)
            return;
    }
    // A part still held (one not needed) is put down before the cover closes.
    DropHeld();
    for (const Part& part : m_parts) {
        Show(part.loose, false);
        Show(part.glow, false);
    }
    Show(m_cover, true);
    m_coverPhase = true;
}

void AssembleRadio::Draw() {
    if (m_background)
        m_background->drawAt(float(kPlayLeft), 0.0f, 0xFFFFFFFFu);
    const int32_t skipped = m_dragged >= 0 ? m_parts[size_t(m_dragged)].held : -1;
    for (size_t i = 0; i < m_layers.size(); ++i) {
        if (int32_t(i) != skipped)
            DrawLayer(m_layers[i], kOwnPlace, kOwnPlace);
    }
    if (skipped >= 0) {
        const Part& part = m_parts[size_t(m_dragged)];
        DrawLayer(m_layers[size_t(skipped)], part.dragX, part.dragY);
    }
    if (m_completed && m_subtitleWidget)
        m_subtitleWidget->Draw();
}

void AssembleRadio::OnCompleted() {
    bonusvalues::Play(m_soundCompleted);
}

void AssembleRadio::PlayFinishSound() {
    BonusRound::PlayFinishSound();
    m_voiceStarted = true;
}

void AssembleRadio::StopFinishSound() {
    m_voiceStarted = false;
    if (m_subtitleWidget) {
        m_subtitleWidget->SetText(std::u16string());
        m_subtitleWidget->UpdateFade(0.0f);
    }
    BonusRound::StopFinishSound();
}

void AssembleRadio::Solve() {
    DropHeld();
    for (Part& part : m_parts) {
        if (part.required && !part.placed) {
            part.placed = true;
            Show(part.installed, true);
        }
    }
}
