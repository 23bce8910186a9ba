#include "game/scenes/card_popup.h"

#include "game/scenes/clue_card.h"
#include "mirel/gui/gui_event.h"
#include "mirel/gui/gui_widget.h"

#include <algorithm>

namespace {

struct CardPopup {
    ClueCard* card = nullptr;
    float progress = 0.0f;
    float speed = 1.0f;
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

void makeCurrent(ClueCard* card, float speed) {
    CardPopup& p = popup();
    if (p.card != card) {
        if (p.card)
            p.card->GetLargeImage().unload();
        p.card = card;
        if (card)
            card->GetLargeImage().load(card->GetLargeImagePath(), 21, 21);
    }
    p.progress = 0.0f;
    p.speed = speed;
}

} // namespace

void ShowCardPopup(ClueCard* card) {
    makeCurrent(card, 1.0f);
}

void ShowCardZoom(ClueCard* card, const aRect&) {
    makeCurrent(card, 4.0f);
}

void UpdateCardPopup(float dt) {
    CardPopup& p = popup();
    if (p.card)
        p.progress = std::min(p.progress + dt * p.speed, 1.0f);
}

void DrawCardPopup() {}

void CloseCardPopup() {
    CardPopup& p = popup();
    if (p.card)
        p.card->GetLargeImage().unload();
    p.card = nullptr;
}

ClueCard* GetCardPopupCard() {
    return popup().card;
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
