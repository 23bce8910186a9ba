#include "mirel/platform/window/a_window_present_sink.h"

int32_t aWindowPresentSink::present(const aFrame& frame)
{
    if (m_window && frame.pixels)
        m_window->present(frame.pixels, static_cast<int32_t>(frame.width), static_cast<int32_t>(frame.height),
                          static_cast<int32_t>(frame.pitch * 4));
    return A_OK;
}

bool aWindowPresentSink::wantsVSync(const aPresentParams& params)
{
    if (params.windowed)
        return params.swapEffect == A_SWAPEFFECT_COPY;
    return params.presentationInterval != A_PRESENT_INTERVAL_IMMEDIATE;
}

void aWindowPresentSink::presentParamsChanged(const aPresentParams& params)
{
    if (m_window)
        m_window->setVSync(wantsVSync(params));
}
