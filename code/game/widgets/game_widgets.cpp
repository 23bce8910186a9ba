// The game's own widget types, registered with the widget factory before the
// program's main function runs. The evidence room's two types ("crossbutton",
// "evidence") register in their own source files.

#include "game/widgets/blinking_button.h"
#include "game/widgets/hint_button.h"
#include "game/widgets/panel_button.h"
#include "game/widgets/room_button.h"
#include "mirel/gui/gui_widgetfactory.h"

namespace {

[[maybe_unused]] const bool g_registered = [] {
    GUI::WidgetFactory& factory = GUI::WidgetFactory::Instance();
    bool ok = factory.Register("blinkingbutton", &GUI::WidgetFactory::Create<BlinkingButton>);
    ok = factory.Register("hintbutton", &GUI::WidgetFactory::Create<HintButton>) && ok;
    ok = factory.Register("panelbutton", &GUI::WidgetFactory::Create<PanelButton>) && ok;
    ok = factory.Register("roombutton", &GUI::WidgetFactory::Create<RoomButton>) && ok;
    return ok;
}();

} // namespace
