#include "mirel/platform/window/headless/a_headless_clipboard.h"

bool aHeadlessClipboard::setUnicodeText(std::u16string_view text) {
    m_content = Content::Unicode;
    m_unicode.assign(text);
    m_ansi.clear();
    return true;
}

bool aHeadlessClipboard::getUnicodeText(std::u16string& text) const {
    if (m_content != Content::Unicode)
        return false;
    text = m_unicode;
    return true;
}

bool aHeadlessClipboard::getAnsiText(std::string& text) const {
    if (m_content != Content::Ansi)
        return false;
    text = m_ansi;
    return true;
}

void aHeadlessClipboard::setAnsiText(std::string_view text) {
    m_content = Content::Ansi;
    m_ansi.assign(text);
    m_unicode.clear();
}

void aHeadlessClipboard::clear() {
    m_content = Content::None;
    m_unicode.clear();
    m_ansi.clear();
}

aHeadlessClipboard& aHeadlessClipboard::processClipboard() {
    static aHeadlessClipboard clipboard;
    return clipboard;
}
