#pragma once
// A one-line text input: a blinking caret, a selection, keyboard editing with
// word jumps, an optional character set and case folding, a length limit in
// characters or in pixels, and copy and paste of UTF-16 text through the
// system clipboard. The text is the widget's Text.

#include "mirel/gui/gui_widget.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace GUI {

// Character cases of CharCase.
enum EditboxCase : int32_t { EC_UPPER = 0, EC_LOWER = 1, EC_UNCHANGED = 2 };

class Editbox : public Widget {
public:
    static const std::string EventPositionChanged; // the caret moved
    static const std::string EventEditboxFull;
    static const std::string EventCharRefused; // the filter took a typed or pasted character away

    // Key codes the box handles itself.
    enum : uint32_t {
        KEY_BACKSPACE = 14,
        KEY_C = 46,
        KEY_V = 47,
        KEY_HOME = 199,
        KEY_LEFT = 203,
        KEY_RIGHT = 205,
        KEY_END = 207,
        KEY_DELETE = 211,
    };

    explicit Editbox(const std::string& name);
    ~Editbox() override;

    void EndFillProperties() override;
    std::string GetType() const override { return "Editbox"; }
    bool IsKindOf(const std::string& type) const override;
    void Draw() override;
    // Caret blink, then the base's fade.
    void UpdateFade(float dt) override;
    bool AcceptsFocus() const override { return true; }
    void OnFocusGain(WidgetEventArgs& e) override;
    void OnKeyDown(KeybEventArgs& e) override;
    // Keeps the caret and the selection inside text set from outside, and
    // the caret in view.
    void OnTextChanged(WidgetEventArgs& e) override;

    virtual void OnPositionChanged(WidgetEventArgs& e);
    virtual void OnEditboxFull(WidgetEventArgs& e);
    virtual void OnCharRefused(WidgetEventArgs& e);

    // Clamped to the text's length; PositionChanged when it moves.
    void SetCaretPosition(int32_t position);
    int32_t GetCaretPosition() const { return m_caret; }
    // False, with EditboxFull, when the box is full; true otherwise, also
    // when the filter took the character away (with CharRefused).
    bool InsertChar(char16_t c);
    void DeleteSelection();
    // Stored ordered and clamped to the text.
    void SetSelection(int32_t a, int32_t b);
    int32_t GetSelectionStart() const { return m_selStart; }
    int32_t GetSelectionEnd() const { return m_selEnd; }
    std::u16string GetSelectedText() const;
    float GetScrollOffset() const { return m_offset; }
    bool IsCaretVisible() const { return m_caretVisible; }

    // The character after case folding and the character set; 0 when refused.
    char16_t FilterChar(char16_t c) const;
    bool IsCharAllowed(uint8_t code) const { return m_allowed[code]; }
    // The box takes exactly these characters, above 255 as well (the Charset
    // property sets the codes 0..255 alone and lets every character above
    // 255 through).
    void SetAllowedChars(std::u16string_view chars);
    int32_t GetCharCase() const { return m_charCase; }
    int32_t GetMaxLength() const { return m_maxLength; }
    bool IsCentered() const { return m_centered; }
    bool IsCopyPasteAllowed() const { return m_copyPaste; }
    char GetCaretChar() const { return m_caretChar; }

    // Start of the word before / after the position (Ctrl with the arrows).
    int32_t PreviousWordStart(int32_t position) const;
    int32_t NextWordStart(int32_t position) const;

private:
    void TextEdited();
    void ExtendSelection(int32_t anchor, bool shift);
    int32_t SelectionAnchor() const;
    void KeepCaretInView();
    float MeasureText(const std::u16string& text) const;
    std::u16string CaretText() const;

    int32_t m_caret = 0;
    int32_t m_selStart = 0;
    int32_t m_selEnd = 0;
    float m_offset = 0.0f;  // negative while the text is scrolled left
    bool m_editing = false; // the text changes by the box's own editing
    float m_blinkPhase = 0.0f;
    bool m_caretVisible = true;
    bool m_allowed[256];
    bool m_limitAbove255 = false;     // only the characters of m_allowedAbove255 above 255
    std::u16string m_allowedAbove255; // sorted
    int32_t m_charCase = EC_UNCHANGED;
    int32_t m_maxLength = 0; // 0: limited by the width
    bool m_centered = false;
    bool m_copyPaste = false;
    char m_caretChar = '|';
    float m_normalColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float m_disabledColor[4] = {128.0f / 255.0f, 128.0f / 255.0f, 128.0f / 255.0f, 1.0f};
    float m_caretColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float m_selectionColor[4] = {0.0f, 0.0f, 1.0f, 128.0f / 255.0f};
    float m_caretOnTime = 0.7f;
    float m_caretOffTime = 0.7f;
    uint32_t m_fontFlags = 16; // whole-pixel glyph positions

    Property m_propCentered;
    Property m_propMaxLength;
    Property m_propCharset;
    Property m_propCharCase;
    Property m_propNormalTextColor;
    Property m_propDisabledTextColor;
    Property m_propCursorOnTime;
    Property m_propCursorOffTime;
    Property m_propCursorChar;
    Property m_propCursorColor;
    Property m_propSelectionColor;
    Property m_propAllowCopyPaste;
};

// The system clipboard as UTF-16 text.
void CopyToClipboard(const std::u16string& text);
std::u16string PasteFromClipboard();

} // namespace GUI
