#include "game/scenes/card_popup.h"

#include "game/game_services.h"
#include "game/scenes/clue_card.h"
#include "mirel/base/a_clock.h"
#include "mirel/base/a_math.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_linedrawer.h"
#include "mirel/gui/gui_draw.h"
#include "mirel/gui/gui_event.h"
#include "mirel/gui/gui_widget.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kScreenWidth = 1024.0f;
constexpr float kScreenHeight = 768.0f;

struct CardPopup {
    ClueCard* card = nullptr;
    float progress = 0.0f;
    float speed = 1.0f;
    float startX = 0.0f, startY = 0.0f;
    float targetX = 512.0f, targetY = 384.0f;
    float startScale = 1.0f;
    float loadTime = 0.0f;
    bool zoom = false;
    GUI::Widget* window = nullptr;
    GUI::ScopedConnection render;
};

CardPopup& popup() {
    static CardPopup state;
    return state;
}

bool onRender(const GUI::EventArgs&) {
    DrawCardPopup();
    return true;
}

GUI::_freeBinder g_renderBinder(&onRender);

void makeCurrent(ClueCard* card) {
    CardPopup& p = popup();
    if (p.card == card)
        return;
    if (p.card)
        p.card->GetLargeImage().unload();
    p.card = card;
    if (!card)
        return;
    aClockSource& clock = a_clock();
    const int64_t before = clock.counter();
    card->GetLargeImage().load(card->GetLargeImagePath(), 21, 21);
    const int64_t frequency = clock.frequency();
    p.loadTime = frequency > 0 ? float(double(clock.counter() - before) / double(frequency)) : 0.0f;
}

void drawCentred(const aImage& image, const CardPopupPose& pose) {
    const float w = float(image.getWidth());
    const float h = float(image.getHeight());
    if (w <= 0.0f || h <= 0.0f)
        return;
    const float position[2] = {pose.x - w * 0.5f * pose.scaleX, pose.y - h * 0.5f * pose.scaleY};
    const float scale[2] = {pose.scaleX, pose.scaleY};
    const aRect rect(0, 0, int16_t(w), int16_t(h));
    image.draw(position, &rect, 0xFFFFFFFFu, scale, pose.rotation, nullptr, false);
}

} // namespace

CardPopupPose CardZoomPose(float p, float startX, float startY, float targetX, float targetY, float s0) {
    CardPopupPose pose;
    pose.x = startX + (targetX - startX) * p;
    pose.y = startY + (targetY - startY) * p;
    pose.scaleX = pose.scaleY = s0 + (1.0f - s0) * p;
    return pose;
}

CardPopupPose CardRevealPose(float p, float targetX, float targetY) {
    CardPopupPose pose;
    pose.dim = alphaByte(p * 0.6f);
    const float r = std::sin(p * kPi / 2.0f);
    pose.x = 512.0f + (targetX - 512.0f) * r;
    pose.y = kScreenHeight + (targetY - kScreenHeight) * r;
    pose.scaleX = r;
    pose.scaleY = r;
    pose.rotation = (1.0f - p) * (-kPi / 2.0f);
    // Turned over about the horizontal axis; the turn about the vertical axis is 0.
    const bool backY = CardFlipScale(pose.scaleY, (p + 1.0f) * kPi);
    const bool backX = CardFlipScale(pose.scaleX, 0.0f);
    pose.back = backX || backY;
    return pose;
}

void ShowCardPopup(ClueCard* card) {
    makeCurrent(card);
    CardPopup& p = popup();
    p.zoom = false;
    p.targetX = 512.0f;
    p.targetY = 384.0f;
    p.speed = 1.0f;
    p.progress = 0.0f;
}

void ShowCardZoom(ClueCard* card, const aRect& slot) {
    makeCurrent(card);
    CardPopup& p = popup();
    p.zoom = true;
    p.startX = float(slot.x + slot.width / 2);
    p.startY = float(slot.y + slot.height / 2);
    p.targetX = 601.0f;
    p.targetY = 384.0f;
    const uint32_t width = card ? card->GetLargeImage().getWidth() : 0;
    p.startScale = width > 0 ? float(slot.width) / float(width) : 1.0f;
    p.speed = 4.0f;
    p.progress = 0.0f;
}

void UpdateCardPopup(float dt) {
    CardPopup& p = popup();
    if (!p.card)
        return;
    if (p.loadTime <= dt) {
        dt -= p.loadTime;
        p.loadTime = 0.0f;
    }
    p.progress = std::min(p.progress + dt * p.speed, 1.0f);
}

void DrawCardPopup() {
    CardPopup& p = popup();
    if (!p.card)
        return;
    if (p.zoom) {
        drawCentred(p.card->GetLargeImage(),
                    CardZoomPose(p.progress, p.startX, p.startY, p.targetX, p.targetY, p.startScale));
        return;
    }
    const CardPopupPose pose = CardRevealPose(p.progress, p.targetX, p.targetY);
    if (aGDI* gdi = GUI::SharedLineDrawer()) {
        gdi->setColor(uint32_t(pose.dim) << 24);
        gdi->drawRect(0.0f, 0.0f, kScreenWidth, kScreenHeight, true);
    }
    drawCentred(pose.back ? p.card->GetBackImage() : p.card->GetLargeImage(), pose);
}

void CloseCardPopup() {
    CardPopup& p = popup();
    if (p.card)
        p.card->GetLargeImage().unload();
    p.card = nullptr;
}

ClueCard* GetCardPopupCard() {
    return popup().card;
}

float GetCardPopupProgress() {
    return popup().progress;
}

float GetCardPopupSpeed() {
    return popup().speed;
}

bool IsCardPopupZoom() {
    return popup().zoom;
}

float GetCardPopupLoadTime() {
    return popup().loadTime;
}

void SetCardPopupWindow(GUI::Widget* widget) {
    CardPopup& p = popup();
    p.render.Disconnect();
    p.window = widget;
    if (!widget)
        return;
    widget->SetAreaRect(0, 0, 1024, 768);
    widget->BeginFillProperties();
    widget->Set("NotifyRender", "1");
    widget->EndFillProperties();
    p.render = widget->SubscribeEvent(GUI::Widget::EventBeginRender, &g_renderBinder);
}
