#include "mirel/gui/gui_editbox.h"

#include "mirel/gui/gui_draw.h"

#include "mirel/base/a_log.h"
#include "mirel/base/a_string.h"
#include "mirel/gfx/a_font.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_linedrawer.h"
#include "mirel/gui/gui_widgethost.h"
#include "mirel/platform/window/a_clipboard.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace GUI {

const std::string Editbox::EventPositionChanged = "PositionChanged";
const std::string Editbox::EventEditboxFull = "EditboxFull";
const std::string Editbox::EventCharRefused = "CharRefused";

namespace {

// The colour with its alpha scaled by the widget's.
uint32_t floatsToArgb(const float c[4], float alphaFactor) {
    const float scaled[4] = {c[0], c[1], c[2], c[3] * alphaFactor};
    return ColorToArgb(scaled);
}

WidgetEventArgs recordOf(Widget* widget) {
    WidgetEventArgs e;
    e.widget = widget;
    return e;
}

aRect intersect(const aRect& a, const aRect& b) {
    const int32_t left = std::max<int32_t>(a.x, b.x);
    const int32_t top = std::max<int32_t>(a.y, b.y);
    const int32_t right = std::min<int32_t>(int32_t(a.x) + a.width, int32_t(b.x) + b.width);
    const int32_t bottom = std::min<int32_t>(int32_t(a.y) + a.height, int32_t(b.y) + b.height);
    if (right <= left || bottom <= top)
        return aRect(int16_t(left), int16_t(top), 0, 0);
    return aRect(int16_t(left), int16_t(top), int16_t(right - left), int16_t(bottom - top));
}

} // namespace

Editbox::Editbox(const std::string& name) : Widget(name) {
    for (int i = 0; i < 256; ++i)
        m_allowed[i] = i >= 32 && i <= 127;
    AddProperty("Centered", &m_propCentered);
    AddProperty("MaxLength", &m_propMaxLength);
    AddProperty("Charset", &m_propCharset);
    AddProperty("CharCase", &m_propCharCase);
    AddProperty("NormalTextColor", &m_propNormalTextColor);
    AddProperty("DisabledTextColor", &m_propDisabledTextColor);
    AddProperty("CursorOnTime", &m_propCursorOnTime);
    AddProperty("CursorOffTime", &m_propCursorOffTime);
    AddProperty("CursorChar", &m_propCursorChar);
    AddProperty("CursorColor", &m_propCursorColor);
    AddProperty("SelectionColor", &m_propSelectionColor);
    AddProperty("AllowCopyPaste", &m_propAllowCopyPaste);
    AddEvent(EventPositionChanged);
    AddEvent(EventEditboxFull);
    AddEvent(EventCharRefused);
}

Editbox::~Editbox() = default;

bool Editbox::IsKindOf(const std::string& type) const {
    return type == "Editbox";
}

void Editbox::EndFillProperties() {
    Widget::EndFillProperties();
    if (m_propCentered.set)
        m_centered = PropertyToBool(m_propCentered.value);
    if (m_propMaxLength.set) {
        m_maxLength = PropertyToInt(m_propMaxLength.value);
        if (m_maxLength < 0) {
            a_log("Editbox::EndFillProperties - invalid MaxLength '%s' in '%s'",
                  m_propMaxLength.value.c_str(), m_name.c_str());
            m_maxLength = 0;
        }
    }
    if (m_propCharset.set) {
        std::fill(std::begin(m_allowed), std::end(m_allowed), false);
        for (char c : m_propCharset.value)
            m_allowed[static_cast<uint8_t>(c)] = true;
        m_limitAbove255 = false;
        m_allowedAbove255.clear();
    }
    if (m_propCharCase.set) {
        const std::string& v = m_propCharCase.value;
        m_charCase = a_stricmp(v.c_str(), "upper") == 0   ? EC_UPPER
                     : a_stricmp(v.c_str(), "lower") == 0 ? EC_LOWER
                                                          : EC_UNCHANGED;
    }
    if (m_propNormalTextColor.set)
        ArgbToColor(PropertyToHex(m_propNormalTextColor.value), m_normalColor);
    if (m_propDisabledTextColor.set)
        ArgbToColor(PropertyToHex(m_propDisabledTextColor.value), m_disabledColor);
    if (m_propCursorOnTime.set)
        m_caretOnTime = std::max(0.0f, PropertyToFloat(m_propCursorOnTime.value));
    if (m_propCursorOffTime.set)
        m_caretOffTime = std::max(0.0f, PropertyToFloat(m_propCursorOffTime.value));
    if (m_propCursorChar.set && !m_propCursorChar.value.empty())
        m_caretChar = m_propCursorChar.value[0];
    if (m_propCursorColor.set)
        ArgbToColor(PropertyToHex(m_propCursorColor.value), m_caretColor);
    if (m_propSelectionColor.set)
        ArgbToColor(PropertyToHex(m_propSelectionColor.value), m_selectionColor);
    if (m_propAllowCopyPaste.set)
        m_copyPaste = PropertyToBool(m_propAllowCopyPaste.value);
}

char16_t Editbox::FilterChar(char16_t c) const {
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) {
        if (m_charCase == EC_UPPER)
            c = char16_t(c & ~0x20);
        else if (m_charCase == EC_LOWER)
            c = char16_t(c | 0x20);
    }
    if (c > 255) {
        const bool listed = std::binary_search(m_allowedAbove255.begin(), m_allowedAbove255.end(), c);
        return !m_limitAbove255 || listed ? c : 0;
    }
    return m_allowed[c] ? c : 0;
}

void Editbox::SetAllowedChars(std::u16string_view chars) {
    std::fill(std::begin(m_allowed), std::end(m_allowed), false);
    m_allowedAbove255.clear();
    for (char16_t c : chars) {
        if (c <= 255)
            m_allowed[c] = true;
        else
            m_allowedAbove255.push_back(c);
    }
    std::sort(m_allowedAbove255.begin(), m_allowedAbove255.end());
    m_limitAbove255 = true;
}

std::u16string Editbox::CaretText() const {
    return std::u16string(1, char16_t(static_cast<uint8_t>(m_caretChar)));
}

float Editbox::MeasureText(const std::u16string& text) const {
    aFont* font = GetFont();
    if (!font)
        return 0.0f;
    float width = 0.0f, height = 0.0f;
    font->getTextExtentW(text, width, height);
    return width;
}

bool Editbox::InsertChar(char16_t c) {
    const char16_t typed = c;
    c = FilterChar(c);
    if (c == 0) {
        if (typed != 0) {
            WidgetEventArgs refused = recordOf(this);
            OnCharRefused(refused);
        }
        return true;
    }
    // The selection gives way to the character, so it does not count
    // against the limit.
    std::u16string kept = m_text;
    kept.erase(size_t(m_selStart), size_t(m_selEnd - m_selStart));
    if (m_maxLength == 0) {
        if (aFont* font = GetFont()) {
            font->setSize(GetFontSize());
            const std::u16string probe = kept + CaretText() + c;
            if (float(GetWidth()) < MeasureText(probe)) {
                WidgetEventArgs full = recordOf(this);
                OnEditboxFull(full);
                return false;
            }
        }
    } else if (int32_t(kept.size()) >= m_maxLength) {
        WidgetEventArgs full = recordOf(this);
        OnEditboxFull(full);
        return false;
    }
    std::weak_ptr<const bool> life = GetLifeToken();
    if (m_selStart != m_selEnd)
        DeleteSelection();
    if (life.expired())
        return true;
    m_text.insert(size_t(m_caret), 1, c);
    ++m_caret;
    m_selStart = m_selEnd = m_caret;
    TextEdited();
    if (life.expired())
        return true;
    WidgetEventArgs e = recordOf(this);
    OnPositionChanged(e);
    return true;
}

void Editbox::DeleteSelection() {
    if (m_selStart == m_selEnd)
        return;
    m_text.erase(size_t(m_selStart), size_t(m_selEnd - m_selStart));
    const int32_t oldCaret = m_caret;
    m_caret = m_selEnd = m_selStart;
    std::weak_ptr<const bool> life = GetLifeToken();
    TextEdited();
    if (!life.expired() && m_caret != oldCaret) {
        WidgetEventArgs e = recordOf(this);
        OnPositionChanged(e);
    }
}

void Editbox::SetSelection(int32_t a, int32_t b) {
    const int32_t length = int32_t(m_text.size());
    a = std::clamp(a, 0, length);
    b = std::clamp(b, 0, length);
    m_selStart = std::min(a, b);
    m_selEnd = std::max(a, b);
}

std::u16string Editbox::GetSelectedText() const {
    return m_text.substr(size_t(m_selStart), size_t(m_selEnd - m_selStart));
}

void Editbox::SetCaretPosition(int32_t position) {
    position = std::clamp(position, 0, int32_t(m_text.size()));
    if (position == m_caret)
        return;
    m_caret = position;
    WidgetEventArgs e = recordOf(this);
    OnPositionChanged(e);
}

int32_t Editbox::PreviousWordStart(int32_t position) const {
    int32_t i = std::min(position, int32_t(m_text.size())) - 1;
    while (i >= 0 && m_text[size_t(i)] == u' ')
        --i;
    while (i >= 0 && m_text[size_t(i)] != u' ')
        --i;
    return i + 1;
}

int32_t Editbox::NextWordStart(int32_t position) const {
    const int32_t length = int32_t(m_text.size());
    int32_t i = std::max(position, 0);
    while (i < length && m_text[size_t(i)] != u' ')
        ++i;
    while (i < length && m_text[size_t(i)] == u' ')
        ++i;
    return i;
}

void Editbox::TextEdited() {
    WidgetEventArgs e = recordOf(this);
    std::weak_ptr<const bool> life = GetLifeToken();
    m_editing = true;
    OnTextChanged(e);
    if (!life.expired())
        m_editing = false;
}

void Editbox::OnTextChanged(WidgetEventArgs& e) {
    // Text set from outside may be shorter than the caret or the selection.
    const int32_t length = int32_t(m_text.size());
    m_selStart = std::clamp(m_selStart, 0, length);
    m_selEnd = std::clamp(m_selEnd, m_selStart, length);
    const bool caretMoved = m_caret > length;
    m_caret = std::min(m_caret, length);
    if (!m_editing) {
        // Text from outside: shown from its start when it fits, else scrolled
        // to the caret.
        aFont* font = GetFont();
        if (font) {
            font->setSize(GetFontSize());
            if (MeasureText(m_text + CaretText()) <= float(GetWidth()))
                m_offset = 0.0f;
        }
        KeepCaretInView();
    }
    std::weak_ptr<const bool> life = GetLifeToken();
    Widget::OnTextChanged(e);
    if (caretMoved && !life.expired()) {
        WidgetEventArgs moved = recordOf(this);
        OnPositionChanged(moved);
    }
}

int32_t Editbox::SelectionAnchor() const {
    if (m_selStart == m_selEnd)
        return m_caret;
    return m_caret == m_selStart ? m_selEnd : m_selStart;
}

void Editbox::ExtendSelection(int32_t anchor, bool shift) {
    if (shift)
        SetSelection(anchor, m_caret);
    else
        m_selStart = m_selEnd = m_caret;
}

void Editbox::KeepCaretInView() {
    aFont* font = GetFont();
    if (!font)
        return;
    font->setSize(GetFontSize());
    const float c = MeasureText(CaretText());
    const float b = MeasureText(m_text.substr(0, size_t(m_caret)));
    const float x = m_offset + b;
    const float width = float(GetWidth());
    if (x + c <= width) {
        if (x < 0.0f)
            m_offset = -b;
    } else {
        m_offset = width - b - c;
    }
}

void Editbox::OnKeyDown(KeybEventArgs& e) {
    std::weak_ptr<const bool> life = GetLifeToken();
    const bool shift = (e.modifiers & MOD_SHIFT) != 0;
    const bool ctrl = (e.modifiers & MOD_CTRL) != 0;
    const int32_t length = int32_t(m_text.size());
    const int32_t anchor = SelectionAnchor();

    switch (e.key) {
    case KEY_BACKSPACE:
        if (m_selStart != m_selEnd) {
            DeleteSelection();
        } else if (m_caret > 0) {
            const int32_t n = ctrl ? m_caret - PreviousWordStart(m_caret) : 1;
            m_text.erase(size_t(m_caret - n), size_t(n));
            m_caret -= n;
            m_selStart = m_selEnd = m_caret;
            TextEdited();
            if (life.expired())
                return;
            WidgetEventArgs moved = recordOf(this);
            OnPositionChanged(moved);
        }
        break;
    case KEY_DELETE:
        if (m_selStart != m_selEnd) {
            DeleteSelection();
        } else if (m_caret < length) {
            const int32_t n = ctrl ? NextWordStart(m_caret) - m_caret : 1;
            m_text.erase(size_t(m_caret), size_t(n));
            TextEdited();
        }
        break;
    case KEY_HOME:
        SetCaretPosition(0);
        if (life.expired())
            return;
        ExtendSelection(anchor, shift);
        break;
    case KEY_END:
        SetCaretPosition(length);
        if (life.expired())
            return;
        ExtendSelection(anchor, shift);
        break;
    case KEY_LEFT:
        SetCaretPosition(ctrl ? PreviousWordStart(m_caret) : m_caret - 1);
        if (life.expired())
            return;
        ExtendSelection(anchor, shift);
        break;
    case KEY_RIGHT:
        SetCaretPosition(ctrl ? NextWordStart(m_caret) : m_caret + 1);
        if (life.expired())
            return;
        ExtendSelection(anchor, shift);
        break;
    default:
        if (ctrl && m_copyPaste && e.key == KEY_C) {
            CopyToClipboard(GetSelectedText());
        } else if (ctrl && m_copyPaste && e.key == KEY_V) {
            const std::u16string pasted = PasteFromClipboard();
            for (char16_t c : pasted) {
                if (!InsertChar(c) || life.expired())
                    break;
            }
        } else {
            InsertChar(char16_t(static_cast<uint8_t>(e.character)));
        }
        break;
    }
    if (life.expired())
        return;

    m_blinkPhase = 0.0f;
    KeepCaretInView();
    Widget::OnKeyDown(e);
}

void Editbox::OnFocusGain(WidgetEventArgs& e) {
    const int32_t length = int32_t(m_text.size());
    if (m_copyPaste && !(m_selStart == 0 && m_selEnd == length))
        SetSelection(0, length);
    m_blinkPhase = 0.0f;
    m_caretVisible = true;
    std::weak_ptr<const bool> life = GetLifeToken();
    SetCaretPosition(length);
    if (life.expired())
        return;
    KeepCaretInView();
    Widget::OnFocusGain(e);
}

void Editbox::UpdateFade(float dt) {
    if (m_focused) {
        const float period = m_caretOnTime + m_caretOffTime;
        if (period > 0.0f && std::isfinite(period)) {
            m_blinkPhase = std::fmod(m_blinkPhase + dt, period);
            m_caretVisible = m_blinkPhase < m_caretOnTime;
        } else {
            // No blink period: a steady caret.
            m_blinkPhase = 0.0f;
            m_caretVisible = true;
        }
    }
    Widget::UpdateFade(dt);
}

void Editbox::Draw() {
    aFont* font = GetFont();
    WidgetHost* host = GetWidgetHost();
    aGraphServer* graph = host ? host->GetGraphServer() : nullptr;
    if (!font || !graph)
        return;

    const aRect saved = graph->getViewport();
    const int32_t sx = GetAbsoluteX();
    const int32_t sy = GetAbsoluteY();
    const aRect box(int16_t(sx), int16_t(sy), GetWidth(), GetHeight());
    const aRect clip = intersect(saved, box);
    if (clip.width <= 0 || clip.height <= 0)
        return;
    graph->setViewport(clip);

    font->setSize(GetFontSize());
    float textWidth = 0.0f, textHeight = 0.0f;
    font->getTextExtentW(m_text, textWidth, textHeight);
    const float width = float(GetWidth());
    const float tx = float(sx) + ((m_centered && m_offset >= 0.0f) ? (width - textWidth) / 2.0f : m_offset);
    const float ty = float(sy) + (float(GetHeight()) - textHeight) / 2.0f;
    const float alpha = GetAlpha();
    const bool enabled = IsEnabled();

    aGDI* gdi = SharedLineDrawer();
    if (gdi && m_copyPaste && m_selStart != m_selEnd && m_focused && enabled) {
        gdi->setColor(floatsToArgb(m_selectionColor, alpha));
        const float before = MeasureText(m_text.substr(0, size_t(m_selStart)));
        const float selected = MeasureText(GetSelectedText());
        gdi->drawRect(tx + before, ty, selected, font->getFontHeight() * font->getScale(), true);
    }

    font->setColor(floatsToArgb(enabled ? m_normalColor : m_disabledColor, alpha));
    font->drawTextW(tx, ty, m_text, m_fontFlags);

    if (m_focused && enabled && m_caretVisible) {
        font->setColor(floatsToArgb(m_caretColor, alpha));
        const float before = MeasureText(m_text.substr(0, size_t(m_caret)));
        font->drawTextW(tx + before, ty, CaretText(), m_fontFlags);
    }
    graph->setViewport(saved);
}

void Editbox::OnPositionChanged(WidgetEventArgs& e) {
    Raise(EventPositionChanged, e);
}

void Editbox::OnEditboxFull(WidgetEventArgs& e) {
    Raise(EventEditboxFull, e);
}

void Editbox::OnCharRefused(WidgetEventArgs& e) {
    Raise(EventCharRefused, e);
}

void CopyToClipboard(const std::u16string& text) {
    a_clipboard().setUnicodeText(text);
}

std::u16string PasteFromClipboard() {
    return a_readClipboardText(a_clipboard());
}

} // namespace GUI
