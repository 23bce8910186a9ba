#pragma once
// A button drawn from four state images (normal, pushed, hover, disabled),
// cut as glyphs from one image or given one by one, with the hover image
// faded in over the normal one by the widget's hover fade.

#include "mirel/gfx/a_image.h"
#include "mirel/gui/gui_buttonbase.h"

#include <string>

namespace GUI {

class ImageButton : public ButtonBase {
public:
    explicit ImageButton(const std::string& name);
    ~ImageButton() override = default;

    void EndFillProperties() override;
    std::string GetType() const override { return "ImageButton"; }
    bool IsKindOf(const std::string& type) const override {
        return type == "ImageButton" || ButtonBase::IsKindOf(type);
    }
    void Draw() override;

    // A null rectangle takes the whole image; a null image empties the state.
    void SetNormalImage(const aImage* image, const aRect* rect = nullptr);
    void SetPushedImage(const aImage* image, const aRect* rect = nullptr);
    void SetHoverImage(const aImage* image, const aRect* rect = nullptr);
    void SetDisabledImage(const aImage* image, const aRect* rect = nullptr);

    enum State { STATE_NORMAL = 0, STATE_PUSHED = 1, STATE_HOVER = 2, STATE_DISABLED = 3 };
    bool HasStateImage(State state) const { return m_images[state].hasTexture(); }
    const aImage& GetStateImage(State state) const { return m_images[state]; }
    const aRect& GetStateRect(State state) const { return m_rects[state]; }

protected:
    aImage m_images[4]; // by State
    aRect m_rects[4];

    Property m_propImage;
    Property m_propImageRect;
    Property m_propLayout;
    Property m_propGlyphCount;
    Property m_propNormalImage;
    Property m_propDisabledImage;
    Property m_propHoverImage;
    Property m_propPushedImage;
    Property m_propNormalRect;
    Property m_propDisabledRect;
    Property m_propHoverRect;
    Property m_propPushedRect;
};

// The named image of the GUI server (null, logged by the server, when missing
// or when there is no server).
const aImage* LookUpImage(const std::string& name);
// "x y w h"; missing numbers are 0.
aRect PropertyToRect(const std::string& value);

} // namespace GUI
