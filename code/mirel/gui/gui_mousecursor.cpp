#include "mirel/gui/gui_mousecursor.h"

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_server_parse.h"
#include "mirel/input/a_inputserver.h"

#include <algorithm>

namespace GUI {

namespace {

aInputServer* Input() {
    Server* server = Server::getSingletonPtr();
    return server ? server->GetInputServer() : nullptr;
}

uint16_t HotSpotValue(int32_t v) {
    return uint16_t(std::clamp(v, 0, 65535));
}

} // namespace

MouseCursor::MouseCursor() {
    AddProperty("NumFrames", &m_propNumFrames);
    AddProperty("FrameSize", &m_propFrameSize);
    AddProperty("FPS", &m_propFPS);
    AddProperty("Image", &m_propImage);
    AddProperty("ImageRect", &m_propImageRect);
    AddProperty("HotSpot", &m_propHotSpot);
    m_anim.setStartFlags(A_ANIM_LOOP);
}

MouseCursor::~MouseCursor() {
    // The input server must not keep drawing frames of a cursor that is gone.
    if (m_active)
        SetActive(false);
}

void MouseCursor::EndFillProperties() {
    PropertySet::EndFillProperties();

    int32_t frames = 1;
    if (m_propNumFrames.set) {
        frames = ScriptValue::ReadInt(m_propNumFrames.value);
        if (frames < 1 || frames > 65535) {
            a_log("MouseCursor::EndFillProperties - invalid NumFrames = '%s'", m_propNumFrames.value.c_str());
            frames = 1;
        }
    }
    float fps = 40.0f;
    if (m_propFPS.set) {
        ScriptValue::ReadFloats(m_propFPS.value, &fps, 1);
        if (!(fps > 0.0f) || !(1.0f / fps > 0.0f)) {
            a_log("MouseCursor::EndFillProperties - invalid FPS = '%s'", m_propFPS.value.c_str());
            fps = 40.0f;
        }
    }
    float size[2] = {1.0f, 1.0f};
    if (m_propFrameSize.set)
        ScriptValue::ReadFloats(m_propFrameSize.value, size, 2);
    const int32_t frameW = ScriptValue::TruncateToInt(size[0]);
    const int32_t frameH = ScriptValue::TruncateToInt(size[1]);

    if (m_propImage.set) {
        Server* server = Server::getSingletonPtr();
        const aImage* image = server ? server->GetImage(m_propImage.value) : nullptr;
        if (image) {
            aRect area(0, 0, int16_t(std::min<uint32_t>(image->getWidth(), 32767)),
                       int16_t(std::min<uint32_t>(image->getHeight(), 32767)));
            if (m_propImageRect.set) {
                int16_t v[4];
                ScriptValue::ReadShorts(m_propImageRect.value, v, 4);
                area = aRect(v[0], v[1], v[2], v[3]);
            }
            if (frameW < 1 || frameW > 32767 || frameH < 1 || frameH > 32767) {
                a_log("MouseCursor::EndFillProperties - invalid FrameSize = '%s'",
                      m_propFrameSize.value.c_str());
                m_anim.clearFrames();
            } else {
                m_anim.setFramesFromGrid(image, &area, uint16_t(frameW), uint16_t(frameH), uint16_t(frames));
            }
        }
        m_anim.setFrameTime(1.0f / fps);
    }

    if (m_propHotSpot.set) {
        float spot[2] = {0.0f, 0.0f};
        ScriptValue::ReadFloats(m_propHotSpot.value, spot, 2);
        SetHotSpot(ScriptValue::TruncateToInt(spot[0]), ScriptValue::TruncateToInt(spot[1]));
    }
}

void MouseCursor::Apply() const {
    aInputServer* input = Input();
    if (!input)
        return;
    if (!m_active) {
        input->setCursor(nullptr, 0, 0);
    } else if (m_anim.getFrameCount() == 0) {
        input->setSystemCursor(SYSTEM_ARROW);
    } else {
        input->setCursor(const_cast<aAnim*>(&m_anim), HotSpotValue(m_hotX), HotSpotValue(m_hotY));
    }
}

void MouseCursor::SetActive(bool active) {
    m_active = active;
    Apply();
}

void MouseCursor::SetHotSpot(int32_t x, int32_t y) {
    m_hotX = x;
    m_hotY = y;
    if (m_active)
        Apply();
}

} // namespace GUI
