#include "game/scenes/evidence.h"

#include "mirel/base/a_string.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_region.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widgetfactory.h"

namespace {

[[maybe_unused]] const bool g_registered =
    GUI::WidgetFactory::Instance().Register("evidence", &GUI::WidgetFactory::Create<Evidence>);

} // namespace

Evidence::Evidence(const std::string& name) : GUI::ImageButton(name) {}

Evidence::~Evidence() {
    if (m_region == m_ownRegion.get())
        m_region = nullptr;
}

void Evidence::EndFillProperties() {
    // The button base's: the image button's own image keys are read here.
    GUI::ButtonBase::EndFillProperties();
    // Without "Image" there is no picture: the widget is 1 x 1, like one whose picture is missing.
    m_imageName = m_propImage.set ? m_propImage.value : std::string();
    GUI::Server* gui = GUI::Server::getSingletonPtr();
    aImageManager* images = gui ? gui->GetImageManager() : nullptr;
    aImage* picture = images && !m_imageName.empty() ? images->getImage(m_imageName, kImageGroup) : nullptr;
    const bool vertical = m_propLayout.set && a_stricmp(m_propLayout.value, "vertical") == 0;
    if (picture && picture->getWidth() > 0) {
        const int16_t w = int16_t(picture->getWidth());
        const int16_t h = int16_t(picture->getHeight());
        if (vertical) {
            SetSize(w, int16_t(h / 2));
            const aRect top(0, 0, w, int16_t(h / 2));
            const aRect bottom(0, int16_t(h / 2), w, int16_t(h / 2));
            SetNormalImage(picture, &top);
            SetHoverImage(picture, &bottom);
        } else {
            SetSize(int16_t(w / 2), h);
            const aRect left(0, 0, int16_t(w / 2), h);
            const aRect right(int16_t(w / 2), 0, int16_t(w / 2), h);
            SetNormalImage(picture, &left);
            SetHoverImage(picture, &right);
        }
    } else {
        SetSize(1, 1);
    }
    if (m_region == m_ownRegion.get())
        m_region = nullptr;
    m_ownRegion = std::make_unique<GUI::Region>();
    // Without its bitmap the region is left out: the widget's rectangle is hit.
    if (!m_imageName.empty() && m_ownRegion->LoadFromBitmap(kRegionFolder + m_imageName + ".bmp"))
        m_region = m_ownRegion.get();
}
