#include "mirel/gui/gui_stylebutton.h"

#include "mirel/base/a_log.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_style.h"

namespace GUI {

Style* LookUpStyle(const std::string& name) {
    Server* server = Server::getSingletonPtr();
    if (!server) {
        a_log("Server::GetStyle - style '%s' not found!", name.c_str());
        return nullptr;
    }
    return server->GetStyle(name);
}

void DrawWidgetStyle(const Widget& widget, const Style* style, float fade) {
    if (!style)
        return;
    const aRect rect(int16_t(widget.GetAbsoluteX()), int16_t(widget.GetAbsoluteY()), widget.GetWidth(),
                     widget.GetHeight());
    const uint32_t alpha = ColorChannelToByte(widget.GetAlpha() * fade);
    style->Draw(rect, (alpha << 24) | 0x00FFFFFFu);
}

StyleButton::StyleButton(const std::string& name) : ButtonBase(name) {
    AddProperty("NormalStyle", &m_propNormalStyle);
    AddProperty("DisabledStyle", &m_propDisabledStyle);
    AddProperty("HoverStyle", &m_propHoverStyle);
    AddProperty("PushedStyle", &m_propPushedStyle);
}

void StyleButton::EndFillProperties() {
    ButtonBase::EndFillProperties();
    if (m_propNormalStyle.set)
        m_normalStyle = LookUpStyle(m_propNormalStyle.value);
    if (m_propDisabledStyle.set)
        m_disabledStyle = LookUpStyle(m_propDisabledStyle.value);
    if (m_propHoverStyle.set)
        m_hoverStyle = LookUpStyle(m_propHoverStyle.value);
    if (m_propPushedStyle.set)
        m_pushedStyle = LookUpStyle(m_propPushedStyle.value);
}

void StyleButton::Draw() {
    if (!IsEnabled() && m_disabledStyle) {
        DrawWidgetStyle(*this, m_disabledStyle);
    } else if (m_pushed && m_pushedStyle) {
        DrawWidgetStyle(*this, m_pushedStyle);
    } else if (m_fadeInTime == 0.0f && m_fadeOutTime == 0.0f) {
        if (m_hoverFactor == 1.0f && m_hoverStyle)
            DrawWidgetStyle(*this, m_hoverStyle);
        else
            DrawWidgetStyle(*this, m_normalStyle);
    } else {
        // The hover look fades in and out over the normal one.
        DrawWidgetStyle(*this, m_normalStyle);
        DrawWidgetStyle(*this, m_hoverStyle, m_hoverFactor);
    }
    ButtonBase::Draw();
}

} // namespace GUI
