#pragma once
// A button whose background is a style per state (normal, disabled, hover,
// pushed); the hover style fades over the normal one when fade times are set.

#include "mirel/gui/gui_buttonbase.h"

#include <string>

namespace GUI {

class Style;

class StyleButton : public ButtonBase {
public:
    explicit StyleButton(const std::string& name);
    ~StyleButton() override = default;

    void EndFillProperties() override;
    std::string GetType() const override { return "StyleButton"; }
    bool IsKindOf(const std::string& type) const override {
        return type == "StyleButton" || type == "ButtonBase";
    }
    void Draw() override;

protected:
    Style* m_normalStyle = nullptr;
    Style* m_disabledStyle = nullptr;
    Style* m_hoverStyle = nullptr;
    Style* m_pushedStyle = nullptr;

    Property m_propNormalStyle;
    Property m_propDisabledStyle;
    Property m_propHoverStyle;
    Property m_propPushedStyle;
};

// The GUI server's style of that name; null (and the server's log line) when
// it is missing or there is no server.
Style* LookUpStyle(const std::string& name);
// Draws the style over the widget's screen rectangle in white with the
// widget's effective alpha times `fade`; nothing without a style.
void DrawWidgetStyle(const Widget& widget, const Style* style, float fade = 1.0f);

} // namespace GUI
