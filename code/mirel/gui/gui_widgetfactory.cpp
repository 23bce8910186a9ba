#include "mirel/gui/gui_widgetfactory.h"

#include "mirel/base/a_log.h"
#include "mirel/gui/gui_checkbox.h"
#include "mirel/gui/gui_editbox.h"
#include "mirel/gui/gui_imagebutton.h"
#include "mirel/gui/gui_listbox.h"
#include "mirel/gui/gui_menu.h"
#include "mirel/gui/gui_menuitem.h"
#include "mirel/gui/gui_optionbutton.h"
#include "mirel/gui/gui_radiobutton.h"
#include "mirel/gui/gui_scrollbar.h"
#include "mirel/gui/gui_shape.h"
#include "mirel/gui/gui_slider.h"
#include "mirel/gui/gui_spinner.h"
#include "mirel/gui/gui_staticanim.h"
#include "mirel/gui/gui_staticimage.h"
#include "mirel/gui/gui_statictext.h"
#include "mirel/gui/gui_stylebutton.h"
#include "mirel/gui/gui_tooltip.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/gui/gui_window.h"

namespace GUI {

WidgetFactory& WidgetFactory::Instance() {
    static WidgetFactory factory;
    return factory;
}

WidgetFactory::WidgetFactory() {
    // The toolkit's own types, in name order.
    Register("checkbox", &Create<Checkbox>);
    Register("editbox", &Create<Editbox>);
    Register("imagebutton", &Create<ImageButton>);
    Register("listbox", &Create<Listbox>);
    Register("mainmenu", &Create<MainMenu>);
    Register("menuitem", &Create<MenuItem>);
    Register("optionbutton", &Create<OptionButton>);
    Register("popupmenu", &Create<PopupMenu>);
    Register("radiobutton", &Create<RadioButton>);
    Register("scrollbar", &Create<Scrollbar>);
    Register("shape", &Create<Shape>);
    Register("slider", &Create<Slider>);
    Register("spinner", &Create<Spinner>);
    Register("staticanim", &Create<StaticAnim>);
    Register("staticimage", &Create<StaticImage>);
    Register("statictext", &Create<StaticText>);
    Register("stylebutton", &Create<StyleButton>);
    Register("tooltip", &Create<Tooltip>);
    Register("widget", &Create<Widget>);
    Register("window", &Create<Window>);
}

bool WidgetFactory::Register(const std::string& type, Creator creator) {
    return m_registry.registerClass(type, creator);
}

Widget* WidgetFactory::NewWidget(const std::string& type, const std::string& name) const {
    Creator creator = m_registry.find(type);
    if (!creator) {
        a_log("WidgetFactory::NewWidget - cannot create widget '%s' of unregistered class '%s'", name.c_str(),
              type.c_str());
        return nullptr;
    }
    return creator(name);
}

} // namespace GUI
