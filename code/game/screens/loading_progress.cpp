#include "game/screens/loading_progress.h"

#include "mirel/base/a_timer.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"

namespace {

constexpr float kRedrawInterval = 0.1f;

struct LoadingBar {
    aGraphServer* graph = nullptr;
    aImage* background = nullptr;
    aImage* bar = nullptr;
    int32_t x = kLoadingBarX;
    int32_t y = kLoadingBarY;
    uint32_t total = 0;
    uint32_t done = 0;
    uint32_t draws = 0;
    int32_t lastWidth = -1;
    aTimer timer{0};
};

LoadingBar& bar() {
    static LoadingBar state;
    return state;
}

void drawBar() {
    LoadingBar& s = bar();
    s.timer.reset();
    if (!s.graph || !s.graph->beginScene())
        return;
    const float screenW = float(s.graph->getBackBufferWidth());
    const float screenH = float(s.graph->getBackBufferHeight());
    float left = 0.0f;
    float top = 0.0f;
    if (s.background && s.background->hasTexture()) {
        left = float(int32_t(screenW - float(s.background->getWidth())) / 2);
        top = float(int32_t(screenH - float(s.background->getHeight())) / 2);
        s.background->drawAt(left, top);
    }
    if (s.bar && s.bar->hasTexture()) {
        const int32_t w = int32_t(s.bar->getWidth());
        const int32_t half = int32_t(s.bar->getHeight()) / 2;
        const int32_t filled = s.total == 0 ? w : int32_t(int64_t(s.done) * w / int64_t(s.total));
        const float pos[2] = {left + float(s.x), top + float(s.y)};
        s.lastWidth = filled;
        if (filled > 0) {
            const aRect upper(0, 0, int16_t(filled), int16_t(half));
            s.bar->draw(pos, &upper, 0xFFFFFFFFu, nullptr, 0.0f, nullptr, true);
        }
        const aRect lower(0, int16_t(half), int16_t(w), int16_t(half));
        s.bar->draw(pos, &lower, 0xFFFFFFFFu, nullptr, 0.0f, nullptr, true);
    }
    ++s.draws;
    s.graph->endScene();
}

} // namespace

void InitLoadingProgress(aGraphServer* graph, aImage* background, aImage* barImage, int32_t x, int32_t y) {
    LoadingBar& s = bar();
    s.graph = graph;
    s.background = background;
    s.bar = barImage;
    s.x = x;
    s.y = y;
    s.total = 0;
    s.done = 0;
    s.draws = 0;
    s.lastWidth = -1;
    s.timer.reset();
}

void SetLoadingTotal(uint32_t count) {
    bar().total = count;
    bar().done = 0;
}

bool StepLoadingProgress(int32_t step) {
    LoadingBar& s = bar();
    if (step >= 0)
        ++s.done;
    if (s.done > s.total)
        return true;
    if (s.done == 0 || s.done == s.total || s.timer.getTime() >= kRedrawInterval)
        drawBar();
    return true;
}

void LoadingProgressCallback(int16_t) {
    StepLoadingProgress(0);
}

uint32_t GetLoadingTotal() {
    return bar().total;
}

uint32_t GetLoadingDone() {
    return bar().done;
}

uint32_t GetLoadingDrawCount() {
    return bar().draws;
}

int32_t GetLoadingBarWidth() {
    return bar().lastWidth;
}
