#pragma once
// One rectangle of an image stretched over the widget's area, tinted and
// rotated, with a second image for the disabled state.

#include "mirel/gfx/a_image.h"
#include "mirel/gui/gui_widget.h"

#include <string>

namespace GUI {

class StaticImage : public Widget {
public:
    explicit StaticImage(const std::string& name);
    ~StaticImage() override;

    void EndFillProperties() override;
    std::string GetType() const override { return "StaticImage"; }
    bool IsKindOf(const std::string& type) const override { return type == "StaticImage"; }
    void Draw() override;

    // Puts the image into the normal slot; a null rectangle takes the whole image.
    void SetImage(const aImage* image, const aRect* rect = nullptr);

    bool HasImage() const { return m_normalImage.hasTexture(); }
    const aImage& GetImage() const { return m_normalImage; }
    const aRect& GetImageRect() const { return m_normalRect; }
    const aImage& GetDisabledImage() const { return m_disabledImage; }
    const aRect& GetDisabledRect() const { return m_disabledRect; }
    float GetRotation() const { return m_rotation; }

protected:
    aImage m_normalImage;
    aRect m_normalRect;
    aImage m_disabledImage;
    aRect m_disabledRect;
    float m_color[4] = {1.0f, 1.0f, 1.0f, 1.0f}; // red, green, blue, alpha
    float m_rotation = 0.0f;                     // degrees

    Property m_propNormalImage;
    Property m_propNormalRect;
    Property m_propDisabledImage;
    Property m_propDisabledRect;
    Property m_propColor;
    Property m_propRotAngle;
};

} // namespace GUI
