#pragma once
// The card popup: one process-wide animation of a clue card's large picture
// on top of everything. The reveal rises a newly won card from the bottom of
// the screen and turns it over; the zoom grows a card from its slot in the
// clue-card room. It draws through one full-screen widget of the game that is
// attached to it.

#include "mirel/base/a_rect.h"

class ClueCard;
namespace GUI {
class Widget;
}

// The reveal of a newly won card: towards (512, 384).
void ShowCardPopup(ClueCard* card);
// The zoom of an owned card out of its slot (screen rectangle).
void ShowCardZoom(ClueCard* card, const aRect& slot);
void UpdateCardPopup(float dt);
void DrawCardPopup();
// Releases the large picture; no card is current afterwards.
void CloseCardPopup();
// The card on show, or null.
ClueCard* GetCardPopupCard();
// Draws the popup in the widget's BeginRender (placed full screen); null detaches.
void SetCardPopupWindow(GUI::Widget* widget);
