#include "mirel/gui/gui_staticimage.h"

#include "mirel/gui/gui_buttonbase.h"
#include "mirel/gui/gui_draw.h"
#include "mirel/gui/gui_imagebutton.h"

namespace GUI {

StaticImage::StaticImage(const std::string& name) : Widget(name) {
    AddProperty("NormalImage", &m_propNormalImage);
    AddProperty("NormalRect", &m_propNormalRect);
    AddProperty("DisabledImage", &m_propDisabledImage);
    AddProperty("DisabledRect", &m_propDisabledRect);
    AddProperty("Color", &m_propColor);
    AddProperty("RotAngle", &m_propRotAngle);
}

StaticImage::~StaticImage() = default;

void StaticImage::SetImage(const aImage* image, const aRect* rect) {
    SetStateImage(image, rect, m_normalImage, m_normalRect);
}

void StaticImage::EndFillProperties() {
    Widget::EndFillProperties();
    if (m_propColor.set)
        ArgbToColor(PropertyToHex(m_propColor.value), m_color);
    if (m_propRotAngle.set)
        m_rotation = PropertyToFloat(m_propRotAngle.value);
    if (m_propNormalImage.set) {
        const aRect rect = m_propNormalRect.set ? PropertyToRect(m_propNormalRect.value) : aRect();
        SetStateImage(LookUpImage(m_propNormalImage.value), m_propNormalRect.set ? &rect : nullptr,
                      m_normalImage, m_normalRect);
    }
    if (m_propDisabledImage.set) {
        const aRect rect = m_propDisabledRect.set ? PropertyToRect(m_propDisabledRect.value) : aRect();
        SetStateImage(LookUpImage(m_propDisabledImage.value), m_propDisabledRect.set ? &rect : nullptr,
                      m_disabledImage, m_disabledRect);
    }
    if (m_area.width == 0)
        m_area.width = m_normalRect.width;
    if (m_area.height == 0)
        m_area.height = m_normalRect.height;
}

void StaticImage::Draw() {
    const aRect dest(int16_t(GetAbsoluteX()), int16_t(GetAbsoluteY()), m_area.width, m_area.height);
    const float radians = m_rotation * 3.1415927f / 180.0f;
    const uint32_t alpha = uint32_t(ColorChannelToByte(GetAlpha())) << 24;
    if (!IsEnabled() && m_disabledImage.hasTexture()) {
        DrawImageStretched(&m_disabledImage, m_disabledRect, dest, alpha | 0x00FFFFFFu, radians);
        return;
    }
    if (!m_normalImage.hasTexture())
        return;
    // The alpha of the colour is not used for drawing: the widget's alpha is.
    const float tint[4] = {m_color[0], m_color[1], m_color[2], 1.0f};
    DrawImageStretched(&m_normalImage, m_normalRect, dest, alpha | (ColorToArgb(tint) & 0x00FFFFFFu),
                       radians);
}

} // namespace GUI
