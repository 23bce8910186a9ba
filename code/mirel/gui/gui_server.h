#pragma once
// The GUI server: reads GUI scripts into a tree of widgets under the root
// "__root__" and into registries of fonts, regions, styles, mouse cursors and
// templates, and turns the input server's state into widget handler calls
// once a frame.
//
// Script sections (the kind is handed to the section's lines and nested
// headers): "fontlist" (lines: name file), "regionlist" (name bitmap),
// "style NAME", "template NAME", "cursor NAME" (lines: property value), and
// any other word, a widget type: "Type [name] [<template>...]".

#include "mirel/base/a_string.h"
#include "mirel/gui/gui_event.h"
#include "mirel/gui/gui_widgethost.h"
#include "mirel/util/a_scriptloader.h"
#include "mirel/util/a_singleton.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class aFont;
class aImage;
class aImageManager;
class aInputServer;
class aSound;
class aSoundManager;

namespace GUI {

class MouseCursor;
class Region;
class Style;
class Widget;

class Server : public aSingleton<Server>, public aScriptLoader, public WidgetHost {
public:
    // Section kinds of a GUI script.
    enum SectionKind : int32_t {
        SECTION_NONE = 0,
        SECTION_FONTLIST = 1,
        SECTION_REGIONLIST = 2,
        SECTION_STYLE = 3,
        SECTION_TEMPLATE = 4,
        SECTION_WIDGET = 5,
        SECTION_CURSOR = 6,
    };
    // Mouse buttons as held: 0 left, 1 right, 2 middle, 3 none.
    static constexpr uint32_t NO_BUTTON = 3;
    // The most widgets the scripts of one server make (the game's make a few
    // hundred; each costs kilobytes), and the most template lines they keep
    // (a few dozen). Further widget sections are skipped and further template
    // lines dropped, each with one log line.
    static constexpr size_t kMaxScriptWidgets = 10000;
    static constexpr size_t kMaxTemplateLines = 10000;

    // The input server defaults to the application's.
    Server(aImageManager* images, aSoundManager* sounds, aInputServer* input = nullptr);
    ~Server() override;

    // Initialize on every widget (each before its children), then resets the
    // input state. Called once after the scripts are loaded.
    void InitializeWidgets();

    Widget* GetRootWidget() const { return m_root; }

    // Registries; a missing name logs one line and gives null.
    aFont* GetFont(const std::string& name) override;
    Region* GetRegion(const std::string& name) override;
    Style* GetStyle(const std::string& name);
    MouseCursor* GetMouseCursor(const std::string& name);
    // Sets the template's values on the widget (applied at its next EndFillProperties).
    void ApplyTemplate(const std::string& name, Widget* widget);
    aImage* GetImage(const std::string& name);
    aSound* NewSound(const std::string& name) override;
    void DeleteSound(aSound* sound) override;
    aGraphServer* GetGraphServer() override;
    aInputServer* GetInputServer() const { return m_input; }
    aImageManager* GetImageManager() const { return m_images; }
    aSoundManager* GetSoundManager() const { return m_sounds; }

    // Input dispatch, then the widgets' Update.
    void Update(float dt);
    void Render();

    void SetFocus(Widget* widget) override;
    Widget* GetFocusWidget() const { return m_focusWidget; }
    Widget* GetMouseWidget() const { return m_mouseWidget; }
    // Hover change: leave events from the outermost old ancestor not shared
    // with the new widget down to the old widget, then enter events likewise.
    void SetMouseWidget(Widget* widget);
    void SetMouseCursor(const std::string& name) override;
    MouseCursor* GetCurrentMouseCursor() const { return m_currentCursor; }
    // MOD_* bits of this frame's shift, ctrl, alt and lock keys.
    uint32_t GetModifiers() const;
    uint32_t GetPressedButton() const { return m_pressedButton; }
    void ForgetWidget(Widget* widget) override;

protected:
    void onParseBegin(const std::string& path) override;
    void onParseEnd(const std::string& path) override;
    void* onSectionBegin(void* parent, const aTokens& tokens) override;
    void onSectionEnd(void* object) override;
    void onSectionLine(void* object, const aTokens& tokens) override;

private:
    using Template = std::vector<std::pair<std::string, std::string>>;

    int32_t BeginWidgetSection(const aTokens& tokens);
    void ResetInputState();
    bool IsPressed(uint32_t state) const { return state >= 2; }
    void MakeMouseArgs(MouseEventArgs& args, Widget* target) const;
    void MakeKeyArgs(KeybEventArgs& args, uint32_t key, uint32_t modifiers) const;
    void PressKey(uint32_t key, uint32_t modifiers);
    void ReleaseKey(uint32_t key, uint32_t modifiers);
    void UpdateHover();
    void UpdateButtons();
    void UpdateKeys();
    void UpdateAutoRepeat(float dt);

    aImageManager* m_images;
    aSoundManager* m_sounds;
    aInputServer* m_input;
    Widget* m_root = nullptr;

    std::map<std::string, std::unique_ptr<Template>, StringLessNoCase> m_templates;
    std::map<std::string, std::unique_ptr<Style>, StringLessNoCase> m_styles;
    std::map<std::string, std::unique_ptr<Region>, StringLessNoCase> m_regions;
    std::map<std::string, std::unique_ptr<aFont>, StringLessNoCase> m_fonts;
    std::map<std::string, std::unique_ptr<MouseCursor>, StringLessNoCase> m_cursors;

    // Parse state.
    Widget* m_currentWidget = nullptr;
    std::deque<Widget*> m_widgetStack;
    Style* m_currentStyle = nullptr;
    Template* m_currentTemplate = nullptr;
    MouseCursor* m_currentFillCursor = nullptr;
    int32_t m_autoNameCounter = 0;
    size_t m_scriptWidgets = 0; // made by scripts so far
    bool m_widgetsCapped = false;
    size_t m_templateLines = 0; // kept so far
    bool m_templatesCapped = false;

    // Dispatch state.
    Widget* m_mouseWidget = nullptr;
    // The deepest widget whose chain got MouseEnter and no MouseLeave: the
    // mouse widget, or the surviving ancestor of a mouse widget that died.
    Widget* m_hoverWidget = nullptr;
    Widget* m_focusWidget = nullptr;
    uint32_t m_pressedButton = NO_BUTTON;
    int32_t m_lastX = 0;
    int32_t m_lastY = 0;
    int32_t m_dx = 0;
    int32_t m_dy = 0;
    float m_wheel = 0.0f;
    uint32_t m_modifiers = 0;
    bool m_keyDown[256] = {};
    float m_autoRepeatTimer = 0.0f;
    int32_t m_autoRepeatKey = -1;
    bool m_autoRepeatStarted = false;
    MouseCursor* m_currentCursor = nullptr;
    bool m_cursorSwitching = false;
};

} // namespace GUI
