#include "mirel/gui/gui_style.h"

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gui/gui_draw.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_server_parse.h"

#include <algorithm>

namespace GUI {

namespace {

const char* const kPartNames[Style::PART_COUNT] = {"TopLeft", "TopRight", "BottomLeft", "BottomRight", "Left",
                                                   "Top",     "Right",    "Bottom",     "Interior"};
const char* const kEdgeNames[Style::EDGE_COUNT] = {"EdgeLeft", "EdgeTop", "EdgeRight", "EdgeBottom"};

// 1 none, 2 stretch, 3 tile; 0 for any other word (the words are exact).
int32_t ParseFillType(const std::string& word) {
    if (word == "none")
        return Style::FILL_NONE;
    if (word == "stretch")
        return Style::FILL_STRETCH;
    if (word == "tile")
        return Style::FILL_TILE;
    return 0;
}

aRect ParseRect(const std::string& value) {
    int16_t v[4];
    ScriptValue::ReadShorts(value, v, 4);
    return aRect(v[0], v[1], v[2], v[3]);
}

int16_t Clamp16(int v) {
    return int16_t(std::clamp(v, -32768, 32767));
}

aRect MakeRect(int x, int y, int w, int h) {
    return aRect(Clamp16(x), Clamp16(y), Clamp16(w), Clamp16(h));
}

} // namespace

Style::Style() {
    AddProperty("Image", &m_propImage);
    AddProperty("AutoSlice", &m_propAutoSlice);
    AddProperty("EdgeGlobal", &m_propEdgeGlobal);
    AddProperty("FillType", &m_propFillType);
    for (int i = 0; i < PART_COUNT; ++i)
        AddProperty(kPartNames[i], &m_propParts[i]);
    for (int i = 0; i < EDGE_COUNT; ++i)
        AddProperty(kEdgeNames[i], &m_propEdges[i]);
}

void Style::EndFillProperties() {
    PropertySet::EndFillProperties();

    Server* server = Server::getSingletonPtr();
    m_image = server ? server->GetImage(m_propImage.value) : nullptr;

    if (m_propEdgeGlobal.set) {
        int32_t type = ParseFillType(m_propEdgeGlobal.value);
        if (type) {
            std::fill(std::begin(m_edgeTypes), std::end(m_edgeTypes), type);
        } else {
            a_log("Style::MakeFromScript - invalid EdgeType = '%s'", m_propEdgeGlobal.value.c_str());
        }
    } else {
        for (int i = 0; i < EDGE_COUNT; ++i) {
            if (!m_propEdges[i].set)
                continue;
            int32_t type = ParseFillType(m_propEdges[i].value);
            if (type)
                m_edgeTypes[i] = type;
            else
                a_log("Style::MakeFromScript - invalid %s = '%s'", kEdgeNames[i],
                      m_propEdges[i].value.c_str());
        }
    }

    int32_t fill = ParseFillType(m_propFillType.value);
    if (fill)
        m_fillType = fill;
    else
        a_log("Style::MakeFromScript - invalid FillType = '%s'", m_propFillType.value.c_str());

    if (!m_propAutoSlice.set) {
        for (int i = PART_TOPLEFT; i <= PART_BOTTOMRIGHT; ++i)
            m_parts[i] = ParseRect(m_propParts[i].value);
        const Part edgeParts[EDGE_COUNT] = {PART_LEFT, PART_TOP, PART_RIGHT, PART_BOTTOM};
        for (int i = 0; i < EDGE_COUNT; ++i) {
            if (m_edgeTypes[i] != FILL_NONE)
                m_parts[edgeParts[i]] = ParseRect(m_propParts[edgeParts[i]].value);
        }
        if (m_fillType != FILL_NONE)
            m_parts[PART_INTERIOR] = ParseRect(m_propParts[PART_INTERIOR].value);
        return;
    }

    aRect area;
    if (m_propAutoSlice.value == "all") {
        if (m_image)
            area = MakeRect(0, 0, int(std::min<uint32_t>(m_image->getWidth(), 32767)),
                            int(std::min<uint32_t>(m_image->getHeight(), 32767)));
    } else {
        area = ParseRect(m_propAutoSlice.value);
    }
    const int cw = area.width / 3;
    const int ch = area.height / 3;
    auto cell = [&](int column, int row) {
        return MakeRect(area.x + column * cw, area.y + row * ch, cw, ch);
    };
    m_parts[PART_TOPLEFT] = cell(0, 0);
    m_parts[PART_TOP] = cell(1, 0);
    m_parts[PART_TOPRIGHT] = cell(2, 0);
    m_parts[PART_LEFT] = cell(0, 1);
    m_parts[PART_INTERIOR] = cell(1, 1);
    m_parts[PART_RIGHT] = cell(2, 1);
    m_parts[PART_BOTTOMLEFT] = cell(0, 2);
    m_parts[PART_BOTTOM] = cell(1, 2);
    m_parts[PART_BOTTOMRIGHT] = cell(2, 2);
}

void Style::DrawPart(Part part, int32_t type, const aRect& dest, uint32_t argb) const {
    // An edge keeps its part's size across its length, so a stretch scales it lengthwise only.
    if (type == FILL_NONE || dest.width <= 0 || dest.height <= 0)
        return;
    if (type == FILL_STRETCH)
        DrawImageStretched(m_image, m_parts[part], dest, argb);
    else
        DrawImageTiled(m_image, m_parts[part], dest, argb);
}

void Style::Draw(const aRect& rect, uint32_t argb) const {
    if (!m_image || (argb >> 24) == 0)
        return;
    const int x = rect.x, y = rect.y, w = rect.width, h = rect.height;
    const aRect& tl = m_parts[PART_TOPLEFT];
    const aRect& tr = m_parts[PART_TOPRIGHT];
    const aRect& bl = m_parts[PART_BOTTOMLEFT];
    const aRect& br = m_parts[PART_BOTTOMRIGHT];
    const aRect& left = m_parts[PART_LEFT];
    const aRect& top = m_parts[PART_TOP];
    const aRect& right = m_parts[PART_RIGHT];
    const aRect& bottom = m_parts[PART_BOTTOM];

    // Interior: stretched once or tiled; an interior squeezed to nothing is left out.
    const aRect inner = MakeRect(x + left.width, y + top.height, w - left.width - right.width,
                                 h - top.height - bottom.height);
    DrawPart(PART_INTERIOR, m_fillType, inner, argb);

    if (w - tl.width - tr.width > 0)
        DrawPart(PART_TOP, m_edgeTypes[EDGE_TOP],
                 MakeRect(x + tl.width, y, w - tl.width - tr.width, top.height), argb);
    if (w - bl.width - br.width > 0)
        DrawPart(PART_BOTTOM, m_edgeTypes[EDGE_BOTTOM],
                 MakeRect(x + bl.width, y + h - bottom.height, w - bl.width - br.width, bottom.height), argb);
    if (h - tl.height - bl.height > 0)
        DrawPart(PART_LEFT, m_edgeTypes[EDGE_LEFT],
                 MakeRect(x, y + tl.height, left.width, h - tl.height - bl.height), argb);
    if (h - tr.height - br.height > 0)
        DrawPart(PART_RIGHT, m_edgeTypes[EDGE_RIGHT],
                 MakeRect(x + w - right.width, y + tr.height, right.width, h - tr.height - br.height), argb);

    m_image->drawRectAtInt(Clamp16(x), Clamp16(y), tl, argb);
    m_image->drawRectAtInt(Clamp16(x + w - tr.width), Clamp16(y), tr, argb);
    m_image->drawRectAtInt(Clamp16(x), Clamp16(y + h - bl.height), bl, argb);
    m_image->drawRectAtInt(Clamp16(x + w - br.width), Clamp16(y + h - br.height), br, argb);
}

} // namespace GUI
