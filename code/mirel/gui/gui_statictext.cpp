#include "mirel/gui/gui_statictext.h"

#include "mirel/base/a_string.h"
#include "mirel/gfx/a_font.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gui/gui_buttonbase.h"
#include "mirel/gui/gui_scrollbar.h"
#include "mirel/gui/gui_widgethost.h"

#include <algorithm>
#include <cmath>

namespace GUI {

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}
bool IsBreak(char16_t c) {
    return c == u'\r' || c == u'\n';
}

} // namespace

StaticText::StaticText(const std::string& name) : Widget(name) {
    AddProperty("TextNormalColor", &m_propTextNormalColor);
    AddProperty("TextDisabledColor", &m_propTextDisabledColor);
    AddProperty("HorzFormatting", &m_propHorzFormatting);
    AddProperty("VertFormatting", &m_propVertFormatting);
    AddProperty("LineSpacing", &m_propLineSpacing);
    AddProperty("WordWrap", &m_propWordWrap);
}

StaticText::~StaticText() = default;

void StaticText::EndFillProperties() {
    Widget::EndFillProperties();
    if (m_propTextNormalColor.set)
        ArgbToColor(PropertyToHex(m_propTextNormalColor.value), m_normalColor);
    if (m_propTextDisabledColor.set)
        ArgbToColor(PropertyToHex(m_propTextDisabledColor.value), m_disabledColor);
    if (m_propHorzFormatting.set) {
        const std::string& v = m_propHorzFormatting.value;
        const HorzFormatting f = a_stricmp(v, "center") == 0  ? HF_CENTER
                                 : a_stricmp(v, "right") == 0 ? HF_RIGHT
                                 : a_stricmp(v, "width") == 0 ? HF_WIDTH
                                                              : HF_LEFT;
        m_dirty |= f != m_horzFormatting;
        m_horzFormatting = f;
    }
    if (m_propVertFormatting.set) {
        const std::string& v = m_propVertFormatting.value;
        const VertFormatting f = a_stricmp(v, "center") == 0   ? VF_CENTER
                                 : a_stricmp(v, "bottom") == 0 ? VF_BOTTOM
                                                               : VF_TOP;
        m_dirty |= f != m_vertFormatting;
        m_vertFormatting = f;
    }
    if (m_propLineSpacing.set)
        SetLineSpacing(PropertyToFloat(m_propLineSpacing.value));
    if (m_propWordWrap.set) {
        const bool wrap = PropertyToBool(m_propWordWrap.value);
        m_dirty |= wrap != m_wordWrap;
        m_wordWrap = wrap;
    }
}

Scrollbar* StaticText::GetHorzScrollbar() const {
    return m_horzConnection.Get().IsConnected() ? m_horzScroll : nullptr;
}

Scrollbar* StaticText::GetVertScrollbar() const {
    return m_vertConnection.Get().IsConnected() ? m_vertScroll : nullptr;
}

void StaticText::Initialize() {
    Widget::Initialize();
    m_horzConnection.Disconnect();
    m_vertConnection.Disconnect();
    m_horzScroll = m_vertScroll = nullptr;

    // The scrollbars are looked for in the whole tree, from its root.
    Widget* root = this;
    while (root->GetParent())
        root = root->GetParent();
    m_horzScroll = dynamic_cast<Scrollbar*>(root->FindChild(m_name + "_auto_hscroll", true));
    m_vertScroll = dynamic_cast<Scrollbar*>(root->FindChild(m_name + "_auto_vscroll", true));
    if (m_horzScroll) {
        m_horzConnection = m_horzScroll->SubscribeEvent(Scrollbar::EventPositionChanged, &m_horzBinder);
        m_horzScroll->SetPageSize(float(m_area.width));
    }
    if (m_vertScroll) {
        m_vertConnection = m_vertScroll->SubscribeEvent(Scrollbar::EventPositionChanged, &m_vertBinder);
        m_vertScroll->SetPageSize(float(m_area.height));
    }
    m_dirty = true;
}

bool StaticText::OnHorzScrollPositionChanged(const EventArgs&) {
    if (Scrollbar* s = GetHorzScrollbar())
        m_horzOffset = s->m_scrollPosition;
    return true;
}

bool StaticText::OnVertScrollPositionChanged(const EventArgs&) {
    if (Scrollbar* s = GetVertScrollbar())
        m_vertOffset = s->m_scrollPosition;
    return true;
}

void StaticText::SetLineSpacing(float spacing) {
    if (spacing != m_lineSpacing) {
        m_lineSpacing = spacing;
        m_dirty = true;
    }
}

void StaticText::UpdateFade(float dt) {
    if (m_dirty)
        Layout();
    Widget::UpdateFade(dt);
}

void StaticText::OnTextChanged(WidgetEventArgs& e) {
    m_dirty = true;
    Widget::OnTextChanged(e);
}

void StaticText::OnFontChanged(WidgetEventArgs& e) {
    m_dirty = true;
    Widget::OnFontChanged(e);
}

void StaticText::OnSized(WidgetEventArgs& e) {
    m_dirty = true;
    if (Scrollbar* s = GetHorzScrollbar())
        s->SetPageSize(float(m_area.width));
    if (Scrollbar* s = GetVertScrollbar())
        s->SetPageSize(float(m_area.height));
    Widget::OnSized(e);
}

const std::vector<StaticText::Line>& StaticText::GetLayout() {
    if (m_dirty)
        Layout();
    return m_lines;
}

float StaticText::GetTextWidth() {
    if (m_dirty)
        Layout();
    return m_textWidth;
}

float StaticText::GetTextHeight() {
    if (m_dirty)
        Layout();
    if (m_textHeight > float(m_area.height) && GetVertScrollbar())
        return float(m_area.height);
    return m_textHeight;
}

void StaticText::Layout() {
    m_dirty = false;
    m_lines.clear();
    m_textWidth = 0.0f;
    m_textHeight = 0.0f;
    const aFont* font = GetFont();
    if (!font)
        return;
    const float size = GetFontSize();
    const float limit = float(m_area.width);
    const bool wrap = m_wordWrap || m_horzFormatting == HF_WIDTH;
    const std::u16string& text = m_text;
    const size_t n = text.size();

    // Characters are placed as the font draws a text in one go: a glyph's
    // left offset before it unless it starts the line, its right offset and
    // the font's spacing after it. A line's width is its extent: where its
    // last glyph ends. Each word is drawn on its own, so it starts where its
    // first glyph lies (the font adds no left offset to a text's first glyph).
    const float spacing = font->getCharSpacing();
    struct Metrics {
        float lead = 0.0f;  // before the glyph
        float width = 0.0f; // the glyph
        float trail = 0.0f; // after it, up to the next character
    };
    auto measure = [&](char16_t c, bool first) {
        const aRect r = font->getCharRect(c);
        Metrics m;
        if (r.width <= 0 && r.height <= 0)
            return m; // no glyph: the font draws nothing and moves on nothing
        m.lead = first ? 0.0f : font->getCharLeftOffset(c) * size;
        m.width = float(r.width) * size;
        m.trail = (font->getCharRightOffset(c) + spacing) * size;
        return m;
    };

    size_t pos = 0;
    while (pos < n) {
        const size_t start = pos;
        size_t i = pos;
        float pen = 0.0f;   // where the next character's placing starts
        float width = 0.0f; // the extent so far
        bool wrapped = false;
        size_t lastBlank = std::u16string::npos; // a blank that follows a non-blank
        float widthAtBlank = 0.0f;
        for (; i < n && !IsBreak(text[i]); ++i) {
            const char16_t c = text[i];
            if (IsBlank(c) && i > start && !IsBlank(text[i - 1])) {
                lastBlank = i;
                widthAtBlank = width;
            }
            const Metrics m = measure(c, i == start);
            const float end = pen + m.lead + m.width;
            // A line always keeps its first character, so the loop moves on
            // even when a single character is wider than the widget.
            if (wrap && i > start && end > limit) {
                wrapped = true;
                break;
            }
            pen = end + m.trail;
            width = std::max(width, end);
        }
        size_t end = i;
        if (wrapped && lastBlank != std::u16string::npos) {
            end = lastBlank;
            width = widthAtBlank;
        }

        Line line;
        line.width = width;
        float x = 0.0f;
        if (m_horzFormatting == HF_CENTER)
            x = std::trunc((limit - width) * 0.5f);
        else if (m_horzFormatting == HF_RIGHT)
            x = limit - width;

        size_t blanks = 0;
        for (size_t j = start; j < end; ++j)
            blanks += IsBlank(text[j]) ? 1 : 0;
        const float spare = limit - width;
        const bool justify = m_horzFormatting == HF_WIDTH && wrapped && blanks > 0 && spare > 0.0f;

        pen = 0.0f;
        size_t blanksSeen = 0;
        for (size_t j = start; j < end;) {
            if (IsBlank(text[j])) {
                const Metrics m = measure(text[j], j == start);
                pen += m.lead + m.width + m.trail;
                ++blanksSeen;
                ++j;
                continue;
            }
            Word word;
            word.x = x + pen + measure(text[j], j == start).lead;
            if (justify)
                word.x += std::trunc(float(blanksSeen) * spare / float(blanks));
            while (j < end && !IsBlank(text[j])) {
                const Metrics m = measure(text[j], j == start);
                pen += m.lead + m.width + m.trail;
                word.text.push_back(text[j]);
                ++j;
            }
            line.words.push_back(std::move(word));
        }
        m_textWidth = std::max(m_textWidth, width);
        m_lines.push_back(std::move(line));

        if (i < n && IsBreak(text[i]) && !wrapped) {
            pos = i + 1;
            if (text[i] == u'\r' && pos < n && text[pos] == u'\n')
                ++pos;
        } else {
            pos = end;
            while (pos < n && IsBlank(text[pos]))
                ++pos;
        }
    }

    const float lines = float(m_lines.size());
    if (!m_lines.empty())
        m_textHeight = lines * font->getFontHeight() * size + (lines - 1.0f) * m_lineSpacing;
    if (Scrollbar* s = GetHorzScrollbar())
        s->SetDocumentSize(m_textWidth);
    if (Scrollbar* s = GetVertScrollbar())
        s->SetDocumentSize(m_textHeight);
}

void StaticText::Draw() {
    aFont* font = GetFont();
    if (!font)
        return;
    if (m_dirty)
        Layout();

    WidgetHost* host = GetWidgetHost();
    aGraphServer* gs = host ? host->GetGraphServer() : nullptr;
    const int32_t sx = GetAbsoluteX();
    const int32_t sy = GetAbsoluteY();
    const bool clipX = GetHorzScrollbar() != nullptr;
    const bool clipY = GetVertScrollbar() != nullptr;
    aRect saved;
    if (gs && (clipX || clipY)) {
        saved = gs->getViewport();
        aRect clip = saved;
        if (clipX) {
            const int32_t l = std::max<int32_t>(saved.x, sx);
            const int32_t r = std::min<int32_t>(saved.x + saved.width, sx + m_area.width);
            clip.x = int16_t(l);
            clip.width = int16_t(std::max(r - l, 0));
        }
        if (clipY) {
            const int32_t t = std::max<int32_t>(saved.y, sy);
            const int32_t b = std::min<int32_t>(saved.y + saved.height, sy + m_area.height);
            clip.y = int16_t(t);
            clip.height = int16_t(std::max(b - t, 0));
        }
        gs->setViewport(clip);
    }

    float colour[4];
    const float* base = IsEnabled() ? m_normalColor : m_disabledColor;
    for (int k = 0; k < 4; ++k)
        colour[k] = base[k];
    colour[3] *= GetAlpha();
    const uint32_t argb = ColorToArgb(colour);

    // The same size as the layout: a size of 0 means the parent's.
    const float size = GetFontSize();
    const float lineHeight = font->getFontHeight() * size + m_lineSpacing;
    const float height = float(m_area.height);
    const float textHeight = GetTextHeight();
    float top = float(sy);
    if (m_vertFormatting == VF_CENTER)
        top += std::trunc((height - textHeight) * 0.5f);
    else if (m_vertFormatting == VF_BOTTOM)
        top += height - textHeight;

    size_t first = 0;
    if (lineHeight > 0.0f && m_vertOffset > 0.0f)
        first = size_t(std::lround(m_vertOffset / lineHeight));

    if (argb >> 24) {
        font->setSize(size);
        font->setColor(argb);
        for (size_t k = first; k < m_lines.size(); ++k) {
            const float distance = float(k - first) * lineHeight;
            if (!(distance < height))
                break;
            for (const Word& w : m_lines[k].words)
                font->drawTextW(float(sx) + w.x - m_horzOffset, top + distance, w.text, A_FONT_SNAP);
        }
    }

    if (gs && (clipX || clipY))
        gs->setViewport(saved);
}

} // namespace GUI
