#pragma once
// A widget that draws a filled rectangle or ellipse with a border of a given
// pen width straight on the device, without images. The widget's alpha does
// not apply: a fading parent leaves a shape as it is.

#include "mirel/gui/gui_widget.h"

#include <cstdint>
#include <string>

namespace GUI {

class Shape : public Widget {
public:
    enum Kind { KIND_RECTANGLE = 0, KIND_ELLIPSE = 1 };

    explicit Shape(const std::string& name);
    ~Shape() override = default;

    void EndFillProperties() override;
    std::string GetType() const override { return "Shape"; }
    bool IsKindOf(const std::string& type) const override { return type == "Shape"; }
    void Draw() override;

    Kind GetKind() const { return m_kind; }
    float GetPenWidth() const { return m_penWidth; }
    uint32_t GetPenColor() const;
    uint32_t GetFillColor() const;

private:
    Kind m_kind = KIND_RECTANGLE;
    float m_penWidth = 1.0f;
    float m_penColor[4] = {1.0f, 1.0f, 1.0f, 1.0f}; // red, green, blue, alpha
    float m_fillColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};

    Property m_propShapeStyle;
    Property m_propPenWidth;
    Property m_propPenColor;
    Property m_propFillColor;
};

} // namespace GUI
