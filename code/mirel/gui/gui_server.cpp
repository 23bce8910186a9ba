#include "mirel/gui/gui_server.h"

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_font.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_mousecursor.h"
#include "mirel/gui/gui_region.h"
#include "mirel/gui/gui_style.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/gui/gui_widgetfactory.h"
#include "mirel/sound/a_sound.h"

#include <cstdio>

namespace GUI {

namespace {

// The loader hands a section's handle to its lines and nested headers; the
// handle of a section is the address of its kind here (null: kind 0).
int32_t g_kinds[] = {Server::SECTION_NONE,  Server::SECTION_FONTLIST, Server::SECTION_REGIONLIST,
                     Server::SECTION_STYLE, Server::SECTION_TEMPLATE, Server::SECTION_WIDGET,
                     Server::SECTION_CURSOR};

void* KindHandle(int32_t kind) {
    return kind == Server::SECTION_NONE ? nullptr : &g_kinds[kind];
}

int32_t KindOf(void* handle) {
    return handle ? *static_cast<int32_t*>(handle) : Server::SECTION_NONE;
}

std::string JoinValue(const aTokens& tokens) {
    std::string value;
    for (size_t i = 1; i < tokens.size(); ++i) {
        if (i > 1)
            value += ' ';
        value += tokens[i];
    }
    return value;
}

} // namespace

Server::Server(aImageManager* images, aSoundManager* sounds, aInputServer* input)
    : m_images(images), m_sounds(sounds), m_input(input) {
    if (!m_input) {
        if (aGraphHost* host = a_graphHost())
            m_input = host->getInputServer();
    }
    SetWidgetHost(this);
    m_root = WidgetFactory::Instance().NewWidget("Widget", "__root__");
    if (!m_root) // the base type is always registered; never go on without a root
        m_root = new Widget("__root__");
    int16_t width = 1024, height = 768;
    if (aGraphServer* gs = GetGraphServer()) {
        width = int16_t(gs->getBackBufferWidth());
        height = int16_t(gs->getBackBufferHeight());
    }
    m_root->SetAreaRect(0, 0, width, height);
    m_currentWidget = m_root;
}

Server::~Server() {
    if (m_currentCursor && m_currentCursor->IsActive())
        m_currentCursor->SetActive(false);
    m_currentCursor = nullptr;
    delete m_root;
    m_root = nullptr;
    m_mouseWidget = nullptr;
    m_focusWidget = nullptr;
    m_fonts.clear();
    m_templates.clear();
    m_styles.clear();
    m_regions.clear();
    m_cursors.clear();
    if (GetWidgetHost() == this)
        SetWidgetHost(nullptr);
}

// ---- registries ----

aFont* Server::GetFont(const std::string& name) {
    auto it = m_fonts.find(name);
    if (it == m_fonts.end()) {
        a_log("Server::GetFont - font '%s' not found!", name.c_str());
        return nullptr;
    }
    return it->second.get();
}

Region* Server::GetRegion(const std::string& name) {
    auto it = m_regions.find(name);
    if (it == m_regions.end()) {
        a_log("Server::GetRegion - region '%s' not found!", name.c_str());
        return nullptr;
    }
    return it->second.get();
}

Style* Server::GetStyle(const std::string& name) {
    auto it = m_styles.find(name);
    if (it == m_styles.end()) {
        a_log("Server::GetStyle - style '%s' not found!", name.c_str());
        return nullptr;
    }
    return it->second.get();
}

MouseCursor* Server::GetMouseCursor(const std::string& name) {
    auto it = m_cursors.find(name);
    if (it == m_cursors.end()) {
        a_log("Server::GetMouseCursor - mouse cursor '%s' not found!", name.c_str());
        return nullptr;
    }
    return it->second.get();
}

void Server::ApplyTemplate(const std::string& name, Widget* widget) {
    auto it = m_templates.find(name);
    if (it == m_templates.end()) {
        a_log("Server::ApplyTemplate - template '%s' not found", name.c_str());
        return;
    }
    if (!widget)
        return;
    for (const auto& pair : *it->second)
        widget->Set(pair.first, pair.second);
}

aImage* Server::GetImage(const std::string& name) {
    aImage* image = m_images ? m_images->getImage(name) : nullptr;
    if (!image)
        a_log("GUI::Server::GetImage - image \"%s\" not found!", name.c_str());
    return image;
}

aSound* Server::NewSound(const std::string& name) {
    if (!m_sounds || !m_sounds->hasSound(name)) {
        a_log("Server::NewSound - sound '%s' not found!", name.c_str());
        return nullptr;
    }
    return m_sounds->clone(m_sounds->getSound(name), 1);
}

void Server::DeleteSound(aSound* sound) {
    if (sound && m_sounds)
        m_sounds->freeClone(sound);
}

aGraphServer* Server::GetGraphServer() {
    return aImage::getGraphServer();
}

// ---- script callbacks ----

void Server::onParseBegin(const std::string& path) {
    a_log("GUI script '%s' parsing started", path.c_str());
    m_currentWidget = m_root;
    m_widgetStack.clear();
}

void Server::onParseEnd(const std::string& path) {
    // A script cut short leaves its open sections unclosed: start the next
    // script from the root again.
    m_currentWidget = m_root;
    m_widgetStack.clear();
    m_currentStyle = nullptr;
    m_currentTemplate = nullptr;
    m_currentFillCursor = nullptr;
    a_log("GUI script '%s' parsing finished", path.c_str());
}

void* Server::onSectionBegin(void* parent, const aTokens& tokens) {
    if (tokens.empty())
        return nullptr;
    const int32_t enclosing = KindOf(parent);
    if (enclosing == SECTION_WIDGET)
        return KindHandle(BeginWidgetSection(tokens));
    if (enclosing != SECTION_NONE)
        return nullptr;

    const std::string& word = tokens[0];
    if (a_stricmp(word, "fontlist") == 0)
        return KindHandle(SECTION_FONTLIST);
    if (a_stricmp(word, "regionlist") == 0)
        return KindHandle(SECTION_REGIONLIST);
    if (a_stricmp(word, "style") == 0) {
        if (tokens.size() < 2) {
            a_log("Server - style name not specified in section header");
            return nullptr;
        }
        if (m_styles.count(tokens[1])) {
            a_log("Server - style '%s' already exists", tokens[1].c_str());
            return nullptr;
        }
        auto style = std::make_unique<Style>();
        m_currentStyle = style.get();
        m_currentStyle->BeginFillProperties();
        m_styles[tokens[1]] = std::move(style);
        return KindHandle(SECTION_STYLE);
    }
    if (a_stricmp(word, "cursor") == 0) {
        if (tokens.size() < 2) {
            a_log("Server - mouse cursor name not specified in section header");
            return nullptr;
        }
        if (m_cursors.count(tokens[1])) {
            a_log("Server - mouse cursor '%s' already exists", tokens[1].c_str());
            return nullptr;
        }
        auto cursor = std::make_unique<MouseCursor>();
        m_currentFillCursor = cursor.get();
        m_currentFillCursor->BeginFillProperties();
        m_cursors[tokens[1]] = std::move(cursor);
        return KindHandle(SECTION_CURSOR);
    }
    if (a_stricmp(word, "template") == 0) {
        if (tokens.size() < 2) {
            a_log("Server. Template name not specified section header");
            return nullptr;
        }
        if (m_templates.count(tokens[1])) {
            a_log("Server - template '%s' already exists", tokens[1].c_str());
            return nullptr;
        }
        auto templ = std::make_unique<Template>();
        m_currentTemplate = templ.get();
        m_templates[tokens[1]] = std::move(templ);
        return KindHandle(SECTION_TEMPLATE);
    }
    return KindHandle(BeginWidgetSection(tokens));
}

int32_t Server::BeginWidgetSection(const aTokens& tokens) {
    const std::string& type = tokens[0];
    std::string name;
    size_t params = 2;
    if (tokens.size() < 2 || tokens[1].size() < 2 || tokens[1][0] == '<') {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "auto%04d", int(m_autoNameCounter));
        ++m_autoNameCounter;
        name = buffer;
        params = 1;
    } else {
        name = tokens[1];
    }

    if (m_scriptWidgets >= kMaxScriptWidgets) {
        if (!m_widgetsCapped)
            a_log("Server - more than %u widgets, '%s' and later ones not made", unsigned(kMaxScriptWidgets),
                  name.c_str());
        m_widgetsCapped = true;
        return SECTION_NONE;
    }
    Widget* widget = WidgetFactory::Instance().NewWidget(type, name);
    if (!widget)
        return SECTION_NONE;
    // Script widgets belong to the tree: deleting the root frees them.
    widget->SetOwnedByParent(true);
    Widget* parent = m_currentWidget ? m_currentWidget : m_root;
    if (!parent->AddChild(widget)) { // the tree would nest too deep: the section is skipped
        delete widget;
        return SECTION_NONE;
    }
    ++m_scriptWidgets;
    m_widgetStack.push_back(parent);
    m_currentWidget = widget;
    widget->BeginFillProperties();

    for (size_t i = params; i < tokens.size(); ++i) {
        const std::string& p = tokens[i];
        if (p.size() < 3 || p.front() != '<' || p.back() != '>') {
            a_log("Server - invalid template parameter %d", int(i - params + 1));
            continue;
        }
        ApplyTemplate(p.substr(1, p.size() - 2), widget);
    }
    return SECTION_WIDGET;
}

void Server::onSectionLine(void* object, const aTokens& tokens) {
    if (tokens.empty())
        return;
    switch (KindOf(object)) {
    case SECTION_FONTLIST:
        if (tokens.size() < 2)
            return;
        if (m_fonts.count(tokens[0])) {
            a_log("Server - font with name '%s' already exists", tokens[0].c_str());
            return;
        }
        m_fonts[tokens[0]] = std::make_unique<aFont>(tokens[1]);
        return;
    case SECTION_REGIONLIST: {
        if (tokens.size() < 2)
            return;
        if (m_regions.count(tokens[0])) {
            a_log("Server - region with name '%s' already exists", tokens[0].c_str());
            return;
        }
        auto region = std::make_unique<Region>();
        region->LoadFromBitmap(tokens[1]);
        m_regions[tokens[0]] = std::move(region);
        return;
    }
    case SECTION_STYLE:
        if (m_currentStyle)
            m_currentStyle->Set(tokens[0], JoinValue(tokens));
        return;
    case SECTION_TEMPLATE:
        if (!m_currentTemplate)
            return;
        if (m_templateLines >= kMaxTemplateLines) {
            if (!m_templatesCapped)
                a_log("Server - more than %u template lines, '%s' and later ones dropped",
                      unsigned(kMaxTemplateLines), tokens[0].c_str());
            m_templatesCapped = true;
            return;
        }
        ++m_templateLines;
        m_currentTemplate->emplace_back(tokens[0], JoinValue(tokens));
        return;
    case SECTION_WIDGET:
        if (m_currentWidget)
            m_currentWidget->Set(tokens[0], JoinValue(tokens));
        return;
    case SECTION_CURSOR:
        if (m_currentFillCursor)
            m_currentFillCursor->Set(tokens[0], JoinValue(tokens));
        return;
    default:
        return;
    }
}

void Server::onSectionEnd(void* object) {
    switch (KindOf(object)) {
    case SECTION_STYLE:
        if (m_currentStyle)
            m_currentStyle->EndFillProperties();
        m_currentStyle = nullptr;
        return;
    case SECTION_TEMPLATE:
        m_currentTemplate = nullptr;
        return;
    case SECTION_CURSOR:
        if (m_currentFillCursor)
            m_currentFillCursor->EndFillProperties();
        m_currentFillCursor = nullptr;
        return;
    case SECTION_WIDGET:
        if (m_currentWidget)
            m_currentWidget->EndFillProperties();
        if (!m_widgetStack.empty()) {
            m_currentWidget = m_widgetStack.back();
            m_widgetStack.pop_back();
        } else {
            m_currentWidget = m_root;
        }
        return;
    default:
        return;
    }
}

// ---- initialisation ----

void Server::InitializeWidgets() {
    std::vector<Widget*> stack;
    if (m_root)
        stack.push_back(m_root);
    while (!stack.empty()) {
        Widget* widget = stack.back();
        stack.pop_back();
        widget->Initialize();
        for (Widget* child : widget->GetChildren())
            stack.push_back(child);
    }
    ResetInputState();
}

} // namespace GUI
