#include "mirel/gui/gui_shape.h"

#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_linedrawer.h"
#include "mirel/gui/gui_widgethost.h"
#include "mirel/util/a_log.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace GUI {

namespace {

uint8_t channelToByte(float c) {
    if (c >= 1.0f)
        return 255;
    if (c <= 0.0f)
        return 0;
    return uint8_t(int(c * 255.0f + 0.5f));
}

uint32_t toArgb(const float c[4]) {
    return uint32_t(channelToByte(c[3])) << 24 | uint32_t(channelToByte(c[0])) << 16 |
           uint32_t(channelToByte(c[1])) << 8 | uint32_t(channelToByte(c[2]));
}

void fromHex(const std::string& value, float c[4]) {
    unsigned int argb = 0;
    if (std::sscanf(value.c_str(), "%x", &argb) != 1)
        argb = 0;
    c[0] = float((argb >> 16) & 0xFF) / 255.0f;
    c[1] = float((argb >> 8) & 0xFF) / 255.0f;
    c[2] = float(argb & 0xFF) / 255.0f;
    c[3] = float(argb >> 24) / 255.0f;
}

// One drawer serves every shape; it is made again when the device changes.
aGDI* drawer() {
    static std::unique_ptr<aGDI> s_gdi;
    static aDevice* s_device = nullptr;
    WidgetHost* host = GetWidgetHost();
    aGraphServer* graph = host ? host->GetGraphServer() : nullptr;
    aDevice* device = graph ? graph->getDevice() : nullptr;
    if (!device)
        return nullptr;
    if (!s_gdi || s_device != device) {
        s_gdi = std::make_unique<aGDI>(device);
        s_device = device;
    }
    return s_gdi.get();
}

} // namespace

Shape::Shape(const std::string& name) : Widget(name) {
    AddProperty("ShapeStyle", &m_propShapeStyle);
    AddProperty("PenWidth", &m_propPenWidth);
    AddProperty("PenColor", &m_propPenColor);
    AddProperty("FillColor", &m_propFillColor);
}

void Shape::EndFillProperties() {
    Widget::EndFillProperties();
    if (m_propShapeStyle.set)
        m_kind = m_propShapeStyle.value == "ellipse" ? KIND_ELLIPSE : KIND_RECTANGLE;
    if (m_propPenWidth.set) {
        const float width = PropertyToFloat(m_propPenWidth.value);
        if (std::isfinite(width) && width >= 0.0f) {
            m_penWidth = width;
        } else {
            a_log("Shape::EndFillProperties - invalid pen width '%s' in shape '%s'",
                  m_propPenWidth.value.c_str(), m_name.c_str());
            m_penWidth = 1.0f;
        }
    }
    if (m_propPenColor.set)
        fromHex(m_propPenColor.value, m_penColor);
    if (m_propFillColor.set)
        fromHex(m_propFillColor.value, m_fillColor);
}

uint32_t Shape::GetPenColor() const {
    return toArgb(m_penColor);
}
uint32_t Shape::GetFillColor() const {
    return toArgb(m_fillColor);
}

void Shape::Draw() {
    aGDI* gdi = drawer();
    if (!gdi)
        return;
    const float x = float(GetAbsoluteX());
    const float y = float(GetAbsoluteY());
    const float w = float(m_area.width);
    const float h = float(m_area.height);
    if (w <= 0.0f || h <= 0.0f)
        return;
    // A pen wider than the shape fills it with the border and leaves no inside.
    const float p = m_penWidth;
    const float px = std::min(p, w);
    const float py = std::min(p, h);
    const float cx = x + w / 2.0f;
    const float cy = y + h / 2.0f;
    const float innerRx = std::max(0.0f, w / 2.0f - p);
    const float innerRy = std::max(0.0f, h / 2.0f - p);

    const uint32_t fill = toArgb(m_fillColor);
    if ((fill >> 24) != 0) {
        gdi->setColor(fill);
        if (m_kind == KIND_ELLIPSE) {
            if (innerRx > 0.0f && innerRy > 0.0f)
                gdi->drawEllipse(cx, cy, innerRx, innerRy, true);
        } else if (w - 2.0f * p > 0.0f && h - 2.0f * p > 0.0f) {
            gdi->drawRect(x + p, y + p, w - 2.0f * p, h - 2.0f * p, true);
        }
    }

    if (p <= 0.0f)
        return;
    gdi->setColor(toArgb(m_penColor));
    if (m_kind == KIND_ELLIPSE) {
        gdi->drawEllipseRing(cx, cy, innerRx, innerRy, cx, cy, w / 2.0f, h / 2.0f);
    } else {
        gdi->drawRect(x, y, px, h, true);
        gdi->drawRect(x, y, w, py, true);
        gdi->drawRect(x + w - px, y, px, h, true);
        gdi->drawRect(x, y + h - py, w, py, true);
    }
}

} // namespace GUI
