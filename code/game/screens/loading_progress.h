#pragma once
// The loading bar drawn while lists load. The background picture is centred
// on the screen; the bar picture holds two halves of equal height: the upper
// one is drawn from the left as far as the loading has come, the lower one
// (the frame) over it at full width. The image and sound managers step it
// once per list line; it draws at most every 0.1 s, and always at the start
// and at the end.

#include <cstdint>

class aGraphServer;
class aImage;

// The bar's place relative to the background's top-left corner.
constexpr int32_t kLoadingBarX = 355;
constexpr int32_t kLoadingBarY = 597;

void InitLoadingProgress(aGraphServer* graph, aImage* background, aImage* bar, int32_t x, int32_t y);
// Sets the number of steps and clears the steps done.
void SetLoadingTotal(uint32_t count);
// Counts one step (unless step is negative) and draws when due. True always.
bool StepLoadingProgress(int32_t step);
// The managers' per-line callback: one step.
void LoadingProgressCallback(int16_t linesLeft);

uint32_t GetLoadingTotal();
uint32_t GetLoadingDone();
// Frames the bar has drawn since it was initialised.
uint32_t GetLoadingDrawCount();
// The width of the upper half drawn last time (-1 before any drawing).
int32_t GetLoadingBarWidth();
