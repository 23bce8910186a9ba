#pragma once
// Shows the graphics device's finished frames in a platform window, and turns
// the device's present parameters into the window's vertical sync: full screen
// waits for the vertical blank with presentation interval one and not with
// "immediate"; a window waits with the copy-vsync swap effect only.

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
