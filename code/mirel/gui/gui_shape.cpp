#include "mirel/gui/gui_shape.h"

#include "mirel/gui/gui_draw.h"

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_linedrawer.h"
#include "mirel/gui/gui_widgethost.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace GUI {

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
        ArgbToColor(PropertyToHex(m_propPenColor.value), m_penColor);
    if (m_propFillColor.set)
        ArgbToColor(PropertyToHex(m_propFillColor.value), m_fillColor);
}

uint32_t Shape::GetPenColor() const {
    return ColorToArgb(m_penColor);
}
uint32_t Shape::GetFillColor() const {
    return ColorToArgb(m_fillColor);
}

void Shape::Draw() {
    aGDI* gdi = SharedLineDrawer();
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

    const uint32_t fill = ColorToArgb(m_fillColor);
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
    gdi->setColor(ColorToArgb(m_penColor));
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
