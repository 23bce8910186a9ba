#include "mirel/gui/gui_imagebutton.h"

#include "mirel/base/a_log.h"
#include "mirel/base/a_string.h"
#include "mirel/gui/gui_draw.h"
#include "mirel/gui/gui_server.h"

#include <algorithm>

namespace GUI {

const aImage* LookUpImage(const std::string& name) {
    Server* server = Server::getSingletonPtr();
    if (!server) {
        a_log("GUI::Server::GetImage - image \"%s\" not found!", name.c_str());
        return nullptr;
    }
    return server->GetImage(name);
}

aRect PropertyToRect(const std::string& value) {
    int32_t v[4];
    PropertyToInts(value, v, 4);
    auto to16 = [](int32_t n) { return int16_t(std::clamp<int32_t>(n, -32768, 32767)); };
    return aRect(to16(v[0]), to16(v[1]), to16(v[2]), to16(v[3]));
}

ImageButton::ImageButton(const std::string& name) : ButtonBase(name) {
    AddProperty("Image", &m_propImage);
    AddProperty("ImageRect", &m_propImageRect);
    AddProperty("Layout", &m_propLayout);
    AddProperty("GlyphCount", &m_propGlyphCount);
    AddProperty("NormalImage", &m_propNormalImage);
    AddProperty("DisabledImage", &m_propDisabledImage);
    AddProperty("HoverImage", &m_propHoverImage);
    AddProperty("PushedImage", &m_propPushedImage);
    AddProperty("NormalRect", &m_propNormalRect);
    AddProperty("DisabledRect", &m_propDisabledRect);
    AddProperty("HoverRect", &m_propHoverRect);
    AddProperty("PushedRect", &m_propPushedRect);
}

void ImageButton::SetNormalImage(const aImage* image, const aRect* rect) {
    SetStateImage(image, rect, m_images[STATE_NORMAL], m_rects[STATE_NORMAL]);
}
void ImageButton::SetPushedImage(const aImage* image, const aRect* rect) {
    SetStateImage(image, rect, m_images[STATE_PUSHED], m_rects[STATE_PUSHED]);
}
void ImageButton::SetHoverImage(const aImage* image, const aRect* rect) {
    SetStateImage(image, rect, m_images[STATE_HOVER], m_rects[STATE_HOVER]);
}
void ImageButton::SetDisabledImage(const aImage* image, const aRect* rect) {
    SetStateImage(image, rect, m_images[STATE_DISABLED], m_rects[STATE_DISABLED]);
}

void ImageButton::EndFillProperties() {
    ButtonBase::EndFillProperties();

    if (m_propImage.set) {
        bool vertical = true;
        if (m_propLayout.set && a_stricmp(m_propLayout.value, "horizontal") != 0) {
            if (a_stricmp(m_propLayout.value, "vertical") != 0)
                a_log("ImageButton::EndFillProperties - invalid layout type '%s'",
                      m_propLayout.value.c_str());
        } else if (m_propLayout.set) {
            vertical = false;
        }
        const int32_t count = m_propGlyphCount.set ? PropertyToInt(m_propGlyphCount.value) : 4;
        const aImage* image = LookUpImage(m_propImage.value);
        // A count of 0 or below cuts nothing.
        if (count > 0) {
            aRect whole;
            if (m_propImageRect.set)
                whole = PropertyToRect(m_propImageRect.value);
            else if (image)
                whole = aRect(0, 0, int16_t(std::min<uint32_t>(image->getWidth(), 32767)),
                              int16_t(std::min<uint32_t>(image->getHeight(), 32767)));
            const int16_t step = int16_t((vertical ? whole.height : whole.width) / count);
            // Glyphs in order: normal, pushed, hover, disabled.
            for (int32_t i = 0; i < std::min<int32_t>(count, 4); ++i) {
                aRect glyph = whole;
                if (vertical) {
                    glyph.y = int16_t(whole.y + i * step);
                    glyph.height = step;
                } else {
                    glyph.x = int16_t(whole.x + i * step);
                    glyph.width = step;
                }
                SetStateImage(image, &glyph, m_images[i], m_rects[i]);
            }
        }
    }

    struct Slot {
        Property& image;
        Property& rect;
        State state;
    };
    const Slot slots[] = {
        {m_propNormalImage, m_propNormalRect, STATE_NORMAL},
        {m_propDisabledImage, m_propDisabledRect, STATE_DISABLED},
        {m_propHoverImage, m_propHoverRect, STATE_HOVER},
        {m_propPushedImage, m_propPushedRect, STATE_PUSHED},
    };
    for (const Slot& s : slots) {
        if (!s.image.set)
            continue;
        const aImage* image = LookUpImage(s.image.value);
        const aRect rect = s.rect.set ? PropertyToRect(s.rect.value) : aRect();
        SetStateImage(image, s.rect.set ? &rect : nullptr, m_images[s.state], m_rects[s.state]);
    }
}

void ImageButton::Draw() {
    const aRect dest(int16_t(GetAbsoluteX()), int16_t(GetAbsoluteY()), m_area.width, m_area.height);
    const float alpha = GetAlpha();
    const uint32_t colour = uint32_t(ColorChannelToByte(alpha)) << 24 | 0x00FFFFFFu;
    const bool hasHover = HasStateImage(STATE_HOVER);

    if (!IsEnabled() && HasStateImage(STATE_DISABLED)) {
        DrawImageStretched(&m_images[STATE_DISABLED], m_rects[STATE_DISABLED], dest, colour);
    } else if (m_pushed && HasStateImage(STATE_PUSHED)) {
        DrawImageStretched(&m_images[STATE_PUSHED], m_rects[STATE_PUSHED], dest, colour);
    } else if (hasHover && m_hoverFactor == 1.0f) {
        DrawImageStretched(&m_images[STATE_HOVER], m_rects[STATE_HOVER], dest, colour);
    } else {
        if (HasStateImage(STATE_NORMAL))
            DrawImageStretched(&m_images[STATE_NORMAL], m_rects[STATE_NORMAL], dest, colour);
        if (hasHover && m_hoverFactor > 0.0f) {
            const uint32_t faded = uint32_t(ColorChannelToByte(alpha * m_hoverFactor)) << 24 | 0x00FFFFFFu;
            DrawImageStretched(&m_images[STATE_HOVER], m_rects[STATE_HOVER], dest, faded);
        }
    }
    ButtonBase::Draw();
}

} // namespace GUI
