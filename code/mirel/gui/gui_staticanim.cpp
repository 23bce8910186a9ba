#include "mirel/gui/gui_staticanim.h"

#include "mirel/base/a_random.h"
#include "mirel/gui/gui_buttonbase.h"
#include "mirel/gui/gui_draw.h"
#include "mirel/gui/gui_imagebutton.h"

#include <cstdio>
#include <cstring>

namespace GUI {

uint32_t ParseAnimType(const std::string& value) {
    uint32_t flags = A_ANIM_LOOP;
    char words[3][32] = {};
    const int count = std::sscanf(value.c_str(), "%31s %31s %31s", words[0], words[1], words[2]);
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(words[i], "noloop") == 0)
            flags &= ~A_ANIM_LOOP;
        else if (std::strcmp(words[i], "pingpong") == 0)
            flags |= A_ANIM_PINGPONG;
        else if (std::strcmp(words[i], "back") == 0)
            flags |= A_ANIM_REVERSE;
    }
    return flags;
}

StaticAnim::StaticAnim(const std::string& name) : Widget(name) {
    AddProperty("AnimType", &m_propAnimType);
    AddProperty("NumFrames", &m_propNumFrames);
    AddProperty("FrameSize", &m_propFrameSize);
    AddProperty("FPS", &m_propFPS);
    AddProperty("StartFrame", &m_propStartFrame);
    AddProperty("NormalImage", &m_propNormalImage);
    AddProperty("NormalRect", &m_propNormalRect);
    AddProperty("DisabledImage", &m_propDisabledImage);
    AddProperty("DisabledRect", &m_propDisabledRect);
    AddProperty("Color", &m_propColor);
    AddProperty("RotAngle", &m_propRotAngle);
}

void StaticAnim::EndFillProperties() {
    Widget::EndFillProperties();

    const uint32_t flags = m_propAnimType.set ? ParseAnimType(m_propAnimType.value) : uint32_t(A_ANIM_LOOP);
    float fps = m_propFPS.set ? PropertyToFloat(m_propFPS.value) : 40.0f;
    if (!(fps > 0.0f))
        fps = 40.0f; // a frame time must be above 0
    int32_t frames = m_propNumFrames.set ? PropertyToInt(m_propNumFrames.value) : 1;
    if (frames < 1)
        frames = 1;
    if (frames > 0xFFFF)
        frames = 0xFFFF;
    // The random start is drawn even when a start frame is given.
    int32_t start = a_rand() % frames;
    if (m_propStartFrame.set)
        start = PropertyToInt(m_propStartFrame.value);
    float size[2] = {1.0f, 1.0f};
    if (m_propFrameSize.set)
        std::sscanf(m_propFrameSize.value.c_str(), "%f %f", &size[0], &size[1]);
    const uint16_t frameWidth = size[0] >= 1.0f && size[0] < 65536.0f ? uint16_t(size[0]) : 1;
    const uint16_t frameHeight = size[1] >= 1.0f && size[1] < 65536.0f ? uint16_t(size[1]) : 1;

    auto cut = [&](aAnim& anim, const Property& image, const Property& rect) {
        if (!image.set)
            return;
        const aImage* picture = LookUpImage(image.value);
        const aRect area = rect.set ? PropertyToRect(rect.value) : aRect();
        anim.setFramesFromGrid(picture, rect.set ? &area : nullptr, frameWidth, frameHeight,
                               uint16_t(frames));
        anim.setFrameTime(1.0f / fps);
        anim.setStartFlags(flags);
        if (start >= 0 && start < anim.getFrameCount())
            anim.setFrame(uint16_t(start));
        anim.play();
    };
    cut(m_normal, m_propNormalImage, m_propNormalRect);
    cut(m_disabled, m_propDisabledImage, m_propDisabledRect);

    if (m_propColor.set)
        ArgbToColor(PropertyToHex(m_propColor.value), m_color);
    if (m_propRotAngle.set)
        m_rotation = PropertyToFloat(m_propRotAngle.value);
    if (m_area.width == 0)
        m_area.width = int16_t(m_normal.getWidth());
    if (m_area.height == 0)
        m_area.height = int16_t(m_normal.getHeight());
}

void StaticAnim::UpdateFade(float dt) {
    Widget::UpdateFade(dt);
    m_normal.update(dt);
    m_disabled.update(dt);
}

void StaticAnim::Draw() {
    const aRect dest(int16_t(GetAbsoluteX()), int16_t(GetAbsoluteY()), m_area.width, m_area.height);
    const float radians = m_rotation * 3.1415927f / 180.0f;
    const uint32_t alpha = uint32_t(ColorChannelToByte(GetAlpha())) << 24;
    if (!IsEnabled() && m_disabled.getFrameCount() > 0) {
        DrawSpriteStretched(&m_disabled, dest, alpha | 0x00FFFFFFu, radians);
        return;
    }
    if (m_normal.getFrameCount() == 0)
        return;
    const float tint[4] = {m_color[0], m_color[1], m_color[2], 1.0f};
    DrawSpriteStretched(&m_normal, dest, alpha | (ColorToArgb(tint) & 0x00FFFFFFu), radians);
}

} // namespace GUI
