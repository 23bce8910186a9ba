#pragma once
// What a widget needs of the GUI server, kept apart so that widgets and the
// server do not depend on each other's headers. The server registers itself
// with SetWidgetHost in its constructor and clears it in its destructor.
// With no host every call below is a harmless no-op that answers null.

#include <string>

class aFont;
class aGraphServer;
class aSound;

namespace GUI {

class Region;
class Widget;

class WidgetHost {
public:
    virtual ~WidgetHost() = default;

    // Gives the widget the keyboard focus (null clears it); the host refuses
    // widgets that do not accept focus.
    virtual void SetFocus(Widget* widget) = 0;
    // Makes the cursor of that name the current mouse cursor.
    virtual void SetMouseCursor(const std::string& name) = 0;
    // Called by every widget's destructor while the widget is still in the
    // tree: the host drops any pointer it holds to the widget or to a widget
    // below it (mouse widget, focus widget), and only those.
    virtual void ForgetWidget(Widget* widget) = 0;

    // Registry look-ups by name; null (and one log line) when missing.
    virtual aFont* GetFont(const std::string& name) = 0;
    virtual Region* GetRegion(const std::string& name) = 0;
    // A new instance of the named sound that the widget owns until it hands
    // it back with DeleteSound.
    virtual aSound* NewSound(const std::string& name) = 0;
    virtual void DeleteSound(aSound* sound) = 0;

    // The graphics server widgets draw on (its viewport is the clip rectangle).
    virtual aGraphServer* GetGraphServer() = 0;
};

// The host widgets talk to (null: none).
void SetWidgetHost(WidgetHost* host);
WidgetHost* GetWidgetHost();

} // namespace GUI
