// GUI server: per-frame input dispatch.
//
// Handlers may destroy widgets. The server therefore never keeps a widget
// pointer across a handler call in a local: it re-reads its mouse and focus
// members (which ForgetWidget clears when their widget dies) and, for the
// hover chains, checks each widget's life token before calling it.

#include "mirel/gui/gui_keys.h"
#include "mirel/gui/gui_mousecursor.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/platform/window/a_platform_input.h"

#include <vector>

namespace GUI {

namespace {

bool Enabled(const Widget* widget) {
    return widget && widget->IsEnabled();
}

// The widget and its ancestors, from the root down.
std::vector<Widget*> Chain(Widget* widget) {
    std::vector<Widget*> chain;
    for (Widget* w = widget; w; w = w->GetParent())
        chain.insert(chain.begin(), w);
    return chain;
}

} // namespace

void Server::ResetInputState() {
    m_mouseWidget = nullptr;
    m_hoverWidget = nullptr;
    m_focusWidget = nullptr;
    m_pressedButton = NO_BUTTON;
    m_currentCursor = nullptr;
    m_lastX = 0;
    m_lastY = 0;
    m_cursorSwitching = true;
    m_autoRepeatKey = -1;
    m_autoRepeatStarted = false;
    m_autoRepeatTimer = 0.0f;
}

uint32_t Server::GetModifiers() const {
    if (!m_input)
        return 0;
    auto down = [&](uint32_t key) { return IsPressed(m_input->getKeyState(key)); };
    uint32_t mods = 0;
    if (down(A_KEY_LSHIFT) || down(A_KEY_RSHIFT))
        mods |= MOD_SHIFT;
    if (down(A_KEY_LCONTROL) || down(A_KEY_RCONTROL))
        mods |= MOD_CTRL;
    if (down(A_KEY_LMENU) || down(A_KEY_RMENU))
        mods |= MOD_ALT;
    if (m_input->isToggled(aToggleKey::CapsLock))
        mods |= MOD_CAPSLOCK;
    if (m_input->isToggled(aToggleKey::ScrollLock))
        mods |= MOD_SCROLLLOCK;
    if (m_input->isToggled(aToggleKey::NumLock))
        mods |= MOD_NUMLOCK;
    return mods;
}

void Server::MakeMouseArgs(MouseEventArgs& args, Widget* target) const {
    args.widget = target;
    args.modifiers = m_modifiers;
    args.button = m_pressedButton;
    args.wheel = m_wheel;
    args.x = m_lastX - (target ? target->GetAbsoluteX() : 0);
    args.y = m_lastY - (target ? target->GetAbsoluteY() : 0);
    args.dx = m_dx;
    args.dy = m_dy;
}

void Server::MakeKeyArgs(KeybEventArgs& args, uint32_t key, uint32_t modifiers) const {
    args.widget = m_focusWidget;
    args.modifiers = modifiers;
    args.key = key;
    args.character = KeyToChar(key, modifiers);
}

void Server::UpdateButtons() {
    if (m_pressedButton != NO_BUTTON) {
        if (!IsPressed(m_input->getButtonState(m_pressedButton))) {
            if (Enabled(m_mouseWidget)) {
                MouseEventArgs args;
                MakeMouseArgs(args, m_mouseWidget);
                m_mouseWidget->OnMouseUp(args);
            }
            m_pressedButton = NO_BUTTON;
        }
        return;
    }
    for (uint32_t b = 0; b < 3; ++b) {
        if (!IsPressed(m_input->getButtonState(b)))
            continue;
        m_pressedButton = b;
        m_autoRepeatTimer = 0.0f;
        m_autoRepeatKey = -1;
        m_autoRepeatStarted = false;
        if (Enabled(m_mouseWidget)) {
            m_mouseWidget->Rise();
            if (Enabled(m_mouseWidget)) {
                MouseEventArgs args;
                MakeMouseArgs(args, m_mouseWidget);
                m_mouseWidget->OnMouseDown(args);
            }
        }
        return;
    }
}

void Server::ReleaseKey(uint32_t key, uint32_t modifiers) {
    m_keyDown[key] = false;
    if (m_autoRepeatKey == int32_t(key))
        m_autoRepeatKey = -1;
    if (Enabled(m_focusWidget)) {
        KeybEventArgs args;
        MakeKeyArgs(args, key, modifiers);
        m_focusWidget->OnKeyUp(args);
    }
}

void Server::PressKey(uint32_t key, uint32_t modifiers) {
    m_keyDown[key] = true;
    m_autoRepeatTimer = 0.0f;
    m_autoRepeatKey = int32_t(key);
    m_autoRepeatStarted = false;
    if (m_root && m_root->HandleHotkey(key, modifiers)) {
        // The hotkey took the key: it must not repeat into the focus widget.
        m_autoRepeatKey = -1;
        return;
    }
    if (Enabled(m_focusWidget)) {
        KeybEventArgs args;
        MakeKeyArgs(args, key, modifiers);
        m_focusWidget->OnKeyDown(args);
    }
}

void Server::UpdateKeys() {
    for (uint32_t key = 0; key < 256; ++key) {
        if (m_keyDown[key] && !IsPressed(m_input->getKeyState(key)))
            ReleaseKey(key, m_modifiers);
    }
    // While a mouse button is held a newly pressed key is not recorded at all.
    if (m_pressedButton != NO_BUTTON)
        return;

    // The keys that went down since the last frame, in the order they went
    // down and with the shift, ctrl and alt of that moment, so that letters
    // typed within one frame reach an edit box as typed. A key that is still
    // flagged down was let go and pressed again in between: its widget sees
    // the release first.
    constexpr uint32_t heldMods = MOD_SHIFT | MOD_CTRL | MOD_ALT;
    bool reported[256] = {};
    for (const aKeyPress& press : m_input->getKeyPresses()) {
        const uint32_t key = press.scanCode;
        uint32_t modifiers = m_modifiers & ~heldMods;
        if (press.modifiers & A_KEYMOD_SHIFT)
            modifiers |= MOD_SHIFT;
        if (press.modifiers & A_KEYMOD_CTRL)
            modifiers |= MOD_CTRL;
        if (press.modifiers & A_KEYMOD_ALT)
            modifiers |= MOD_ALT;
        if (m_keyDown[key])
            ReleaseKey(key, modifiers);
        PressKey(key, modifiers);
        reported[key] = true;
    }
    // Keys held from earlier frames and not reported yet (held through a
    // mouse button or a change of focus), in key-code order. A key reported
    // above counts as reported even when a handler cleared its flag.
    for (uint32_t key = 0; key < 256; ++key) {
        if (!m_keyDown[key] && !reported[key] && IsPressed(m_input->getKeyState(key)))
            PressKey(key, m_modifiers);
    }
}

void Server::UpdateAutoRepeat(float dt) {
    const bool mouseMode = m_pressedButton != NO_BUTTON;
    if (!mouseMode && m_autoRepeatKey < 0)
        return;
    m_autoRepeatTimer += dt;
    Widget* target = mouseMode ? m_mouseWidget : m_focusWidget;
    if (!Enabled(target))
        return;
    bool fire = false;
    if (!m_autoRepeatStarted) {
        if (m_autoRepeatTimer >= target->GetAutoRepeatDelay()) {
            m_autoRepeatTimer = 0.0f;
            m_autoRepeatStarted = true;
            fire = true;
        }
    } else if (m_autoRepeatTimer >= target->GetAutoRepeatRate()) {
        m_autoRepeatTimer -= target->GetAutoRepeatRate();
        fire = true;
    }
    if (!fire)
        return;
    if (mouseMode) {
        MouseEventArgs args;
        MakeMouseArgs(args, target);
        if (target->IsMouseAutoRepeat() && target->IsPointInside(args.x, args.y))
            target->OnMouseDown(args);
    } else {
        KeybEventArgs args;
        MakeKeyArgs(args, uint32_t(m_autoRepeatKey), m_modifiers);
        target->OnKeyDown(args);
    }
}

void Server::UpdateHover() {
    if (m_pressedButton != NO_BUTTON || !m_root)
        return; // a held button keeps its widget wherever the cursor goes
    Widget* hit = m_root->FindWidgetAt(m_lastX, m_lastY, true, true);
    if (hit && !hit->IsEnabled())
        hit = nullptr;
    SetMouseWidget(hit);
}

void Server::Update(float dt) {
    if (m_input) {
        int32_t x = 0, y = 0;
        m_input->getMousePos(x, y);
        m_dx = x - m_lastX;
        m_dy = y - m_lastY;
        m_lastX = x;
        m_lastY = y;
        m_modifiers = GetModifiers();
        m_wheel = float(double(m_input->getWheel()) / 120.0);

        // The hover follows the cursor before the buttons, so a press in the
        // frame the cursor arrives belongs to the widget now under it; after a
        // release it moves on in the same frame.
        UpdateHover();
        const bool held = m_pressedButton != NO_BUTTON;
        UpdateButtons();
        UpdateKeys();
        UpdateAutoRepeat(dt);
        if (held)
            UpdateHover();

        if (Enabled(m_mouseWidget)) {
            MouseEventArgs args;
            MakeMouseArgs(args, m_mouseWidget);
            if (m_dx != 0 || m_dy != 0)
                m_mouseWidget->OnMouseMove(args);
            // The same record: a handled flag set by the move is still set.
            if (m_wheel != 0.0f && Enabled(m_mouseWidget) && args.widget == m_mouseWidget)
                m_mouseWidget->OnMouseWheel(args);
        }
    }
    if (m_root)
        m_root->Update(dt);
}

void Server::Render() {
    if (m_root)
        m_root->Render();
}

void Server::SetMouseWidget(Widget* widget) {
    if (widget == m_mouseWidget && widget == m_hoverWidget)
        return;
    std::vector<Widget*> oldChain = Chain(m_hoverWidget);
    std::vector<Widget*> newChain = Chain(widget);
    size_t common = 0;
    while (common < oldChain.size() && common < newChain.size() && oldChain[common] == newChain[common])
        ++common;

    // A handler may destroy any of these widgets: call only the live ones.
    std::vector<std::weak_ptr<const bool>> oldLife, newLife;
    for (Widget* w : oldChain)
        oldLife.push_back(w->GetLifeToken());
    for (Widget* w : newChain)
        newLife.push_back(w->GetLifeToken());

    for (size_t i = common; i < oldChain.size(); ++i) {
        if (oldLife[i].expired())
            continue;
        MouseEventArgs args;
        MakeMouseArgs(args, oldChain[i]);
        oldChain[i]->OnMouseLeave(args);
    }
    for (size_t i = common; i < newChain.size(); ++i) {
        if (newLife[i].expired())
            continue;
        MouseEventArgs args;
        MakeMouseArgs(args, newChain[i]);
        newChain[i]->OnMouseEnter(args);
    }
    m_mouseWidget = (widget && !newLife.back().expired()) ? widget : nullptr;
    // The hover ends at the deepest widget of the new chain that lived through
    // the enter events.
    m_hoverWidget = nullptr;
    for (size_t i = 0; i < newChain.size() && !newLife[i].expired(); ++i)
        m_hoverWidget = newChain[i];
}

void Server::SetFocus(Widget* widget) {
    if (widget && !widget->AcceptsFocus())
        return;
    std::weak_ptr<const bool> life = widget ? widget->GetLifeToken() : std::weak_ptr<const bool>();
    if (m_focusWidget) {
        WidgetEventArgs args;
        args.widget = m_focusWidget;
        m_focusWidget->OnFocusLost(args);
    }
    m_focusWidget = (widget && !life.expired()) ? widget : nullptr;
    for (bool& down : m_keyDown)
        down = false;
    if (m_focusWidget) {
        WidgetEventArgs args;
        args.widget = m_focusWidget;
        m_focusWidget->OnFocusGain(args);
    }
}

void Server::SetMouseCursor(const std::string& name) {
    if (name.empty())
        return;
    MouseCursor* cursor = GetMouseCursor(name);
    if (!cursor || cursor == m_currentCursor)
        return;
    if (m_cursorSwitching) {
        if (m_currentCursor)
            m_currentCursor->SetActive(false);
        cursor->SetActive(true);
    }
    m_currentCursor = cursor;
}

void Server::ForgetWidget(Widget* widget) {
    // Called while the dying widget is still in the tree: what lies at or
    // below it is forgotten without events, everything else keeps its state.
    // The hover falls back to the widget's parent, which was entered and has
    // not been left.
    auto within = [widget](const Widget* w) {
        for (; w; w = w->GetParent()) {
            if (w == widget)
                return true;
        }
        return false;
    };
    if (within(m_hoverWidget))
        m_hoverWidget = widget->GetParent();
    if (within(m_mouseWidget))
        m_mouseWidget = nullptr;
    if (within(m_focusWidget))
        m_focusWidget = nullptr;
}

} // namespace GUI
