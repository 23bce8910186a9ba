#include "mirel/gui/gui_widgethost.h"

namespace GUI {

namespace {
WidgetHost* g_host = nullptr;
}

void SetWidgetHost(WidgetHost* host) {
    g_host = host;
}
WidgetHost* GetWidgetHost() {
    return g_host;
}

} // namespace GUI
