#pragma once
// One clickable region of an evidence picture (widget type "evidence"): an
// image button whose picture is the "Image" property's image of the image
// group "evidences", cut in two halves side by side (normal and hover) or,
// with "Layout" "vertical", one over the other. Its hit mask is its own
// region, read from "data:images/evidences/regions/" + Image + ".bmp". A
// non-zero "Tag" opens the large comment box.

#include "mirel/gui/gui_imagebutton.h"

#include <memory>

namespace GUI {
class Region;
}

class Evidence : public GUI::ImageButton {
public:
    static constexpr const char* kImageGroup = "evidences";
    static constexpr const char* kRegionFolder = "data:images/evidences/regions/";

    explicit Evidence(const std::string& name);
    ~Evidence() override;

    void EndFillProperties() override;
    std::string GetType() const override { return "Evidence"; }
    bool IsKindOf(const std::string& type) const override {
        return type == "Evidence" || GUI::ImageButton::IsKindOf(type);
    }

    // The "Image" property's value.
    const std::string& GetImageName() const { return m_imageName; }

private:
    std::string m_imageName;
    std::unique_ptr<GUI::Region> m_ownRegion;
};
