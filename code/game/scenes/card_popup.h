#pragma once
// The card popup: one process-wide animation of a clue card's large picture
// on top of everything. The reveal rises a newly won card from the bottom of
// the screen, dims the screen and turns the card over; the zoom grows a card
// from its slot in the clue-card room. It draws through one full-screen
// widget of the game that is attached to it.
//
// Loading the large picture is timed on the engine's clock; the frame that
// held the load does not move the animation on by the time the load took.

#include "mirel/base/a_rect.h"

#include <cstdint>

class ClueCard;
namespace GUI {
class Widget;
}

// Where and how the popup draws its picture at a progress.
struct CardPopupPose {
    float x = 0.0f; // centre on the screen
    float y = 0.0f;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    float rotation = 0.0f; // radians
    bool back = false;     // the card's back shows
    uint8_t dim = 0;       // alpha of the black over the screen
};

// The reveal of a newly won card: towards (512, 384).
void ShowCardPopup(ClueCard* card);
// The zoom of an owned card out of its slot (screen rectangle), towards (601, 384).
void ShowCardZoom(ClueCard* card, const aRect& slot);
void UpdateCardPopup(float dt);
void DrawCardPopup();
// Releases the large picture; no card is current afterwards.
void CloseCardPopup();
// The card on show, or null.
ClueCard* GetCardPopupCard();
// Draws the popup in the widget's BeginRender (placed full screen); null detaches.
void SetCardPopupWindow(GUI::Widget* widget);

// ---- the animation's state and geometry ----
float GetCardPopupProgress();
float GetCardPopupSpeed();
bool IsCardPopupZoom();
// Seconds the last large picture took to load, until the update takes them out.
float GetCardPopupLoadTime();
// The zoom from a slot centre at scale s0 at progress p.
CardPopupPose CardZoomPose(float p, float startX, float startY, float targetX, float targetY, float s0);
// The reveal towards the target at progress p.
CardPopupPose CardRevealPose(float p, float targetX, float targetY);
