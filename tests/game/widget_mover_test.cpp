// The widget mover's fade in: 2 x dt a frame up to 1, restart on Add, and
// widgets that die while the mover holds them.

#include "game/widgets/widget_mover.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(WidgetMover, FadesInOverHalfASecondAndHoldsTheAlpha) {
    GUI::Widget w("options");
    WidgetMover mover;
    mover.Add(&w);
    EXPECT_FLOAT_EQ(w.GetAlpha(true), 0.0f);
    for (float expected : {0.2f, 0.4f, 0.6f, 0.8f, 1.0f, 1.0f, 1.0f}) {
        mover.Update(0.1f);
        EXPECT_NEAR(w.GetAlpha(true), expected, 1e-6f);
    }
    w.SetAlpha(0.3f); // the mover holds the widget at 1 while it lives
    mover.Update(0.0f);
    EXPECT_FLOAT_EQ(w.GetAlpha(true), 1.0f);

    mover.Add(&w); // again: from 0
    EXPECT_FLOAT_EQ(w.GetAlpha(true), 0.0f);
    EXPECT_FLOAT_EQ(mover.GetProgress(&w), 0.0f);
    mover.Update(0.7f); // one long frame: straight to 1
    EXPECT_FLOAT_EQ(w.GetAlpha(true), 1.0f);
}

TEST(WidgetMover, EachWidgetHasItsOwnFadeAndDeadOnesAreDropped) {
    GUI::Widget a("a");
    auto b = std::make_unique<GUI::Widget>("b");
    WidgetMover mover;
    mover.Add(&a);
    mover.Update(0.1f);
    mover.Add(b.get());
    mover.Update(0.1f);
    EXPECT_NEAR(a.GetAlpha(true), 0.4f, 1e-6f);
    EXPECT_NEAR(b->GetAlpha(true), 0.2f, 1e-6f);

    const GUI::Widget* gone = b.get();
    b.reset();
    mover.Update(0.1f); // must not touch the dead widget
    EXPECT_EQ(mover.GetProgress(gone), -1.0f);
    EXPECT_NEAR(a.GetAlpha(true), 0.6f, 1e-6f);
    mover.Add(nullptr);
    mover.Update(0.1f);
}

} // namespace
