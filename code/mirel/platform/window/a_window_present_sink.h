#pragma once
// Shows the graphics device's finished frames in a platform window, and turns
// the device's present parameters into the window's vertical sync, following
// the choice the graphics server made: full screen asks for it with
// presentation interval one (not with "immediate"); a window is given the copy
// swap effect when vertical sync is chosen and copy-vsync when it is not, so
// only the plain copy effect means "wait for the vertical blank" here.

#include "mirel/platform/graphics/a_device.h"
#include "mirel/platform/window/a_platform_window.h"

class aWindowPresentSink : public aPresentSink {
public:
    explicit aWindowPresentSink(aPlatformWindow* window) : m_window(window) {}

    int32_t present(const aFrame& frame) override;
    void presentParamsChanged(const aPresentParams& params) override;

    void setWindow(aPlatformWindow* window) { m_window = window; }
    aPlatformWindow* window() const { return m_window; }

    // The vertical sync the parameters ask of the presenter.
    static bool wantsVSync(const aPresentParams& params);

private:
    aPlatformWindow* m_window;
};
