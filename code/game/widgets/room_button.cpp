#include "game/widgets/room_button.h"

#include "mirel/base/a_string.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_region.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widgethost.h"

namespace {

constexpr const char* kNightSuffix = "_night";
constexpr size_t kNightLength = 6;

void moveBy(GUI::Widget* widget, int32_t dx, int32_t dy) {
    const aRect& a = widget->GetAreaRect();
    widget->SetPosition(int16_t(a.x + dx), int16_t(a.y + dy));
}

// The area of a static image's own picture rectangle, moved.
void placeAtImage(GUI::Widget* widget, int32_t dx, int32_t dy) {
    auto* image = dynamic_cast<GUI::StaticImage*>(widget);
    if (!image) {
        moveBy(widget, dx, dy);
        return;
    }
    const aRect& r = image->GetImageRect();
    widget->SetAreaRect(int16_t(r.x + dx), int16_t(r.y + dy), r.width, r.height);
}

} // namespace

RoomButton::RoomButton(const std::string& name) : GUI::StaticImage(name) {}

RoomButton::~RoomButton() {
    if (m_region == m_mask.get())
        m_region = nullptr;
}

std::string RoomButton::DayName(const std::string& name) {
    if (name.size() >= kNightLength &&
        a_stricmp(std::string_view(name).substr(name.size() - kNightLength), kNightSuffix) == 0)
        return name.substr(0, name.size() - kNightLength);
    return name;
}

std::string RoomButton::MaskPath(const std::string& name) {
    return "data:images/map/regions/" + DayName(name) + ".bmp";
}

void RoomButton::Initialize() {
    if (!m_laidOut) {
        m_laidOut = true;
        const int32_t x = m_area.x;
        const int32_t y = m_area.y;
        if (m_children.size() > 2)
            moveBy(m_children[2], -x, -y);
        if (m_children.size() > 1)
            placeAtImage(m_children[1], -x, -y);
        if (!m_children.empty()) {
            GUI::Widget* label = m_children[0];
            if (auto* image = dynamic_cast<GUI::StaticImage*>(label); image && !label->GetChildren().empty())
                moveBy(label->GetChildren()[0], -image->GetImageRect().x, -image->GetImageRect().y);
            placeAtImage(label, -x, -y);
            m_childClicks[0] = label->SubscribeEvent(EventClick, &m_childClickBinder);
        }
        if (m_children.size() > 2)
            m_childClicks[1] = m_children[2]->SubscribeEvent(EventClick, &m_childClickBinder);
    }

    const std::string day = DayName(m_name);
    m_mask = std::make_unique<GUI::Region>();
    m_mask->LoadFromBitmap(MaskPath(m_name));
    m_region = m_mask.get();

    GUI::Server* gui = GUI::Server::getSingletonPtr();
    aImageManager* images = gui ? gui->GetImageManager() : nullptr;
    if (const aImage* picture = images ? images->getImage(day, "map") : nullptr) {
        SetImage(picture);
        SetSize(m_normalRect.width, m_normalRect.height);
    }
    GUI::StaticImage::Initialize();
}

bool RoomButton::OnChildClick(const GUI::EventArgs& args) {
    GUI::MouseEventArgs forwarded;
    if (const auto* mouse = dynamic_cast<const GUI::MouseEventArgs*>(&args))
        forwarded = *mouse;
    forwarded.handled = false;
    forwarded.widget = this;
    LaunchEvent(EventClick, forwarded);
    return true;
}

void RoomButton::SetFlashing(bool on) {
    if (on == m_flashing)
        return;
    m_flashing = on;
    if (on)
        m_flashTimer = 0.0f;
}

void RoomButton::UpdateFade(float dt) {
    const float cycle = m_fadeInTime + m_fadeOutTime;
    if (m_flashing) {
        m_flashTimer += dt;
        if (cycle > 0.0f) {
            while (m_flashTimer >= cycle)
                m_flashTimer -= cycle;
        }
    }
    if (m_hovered)
        m_highlight = kHighlight;
    else if (m_flashing)
        m_highlight = m_flashTimer < m_fadeInTime ? kHighlight : 0.0f;
    else
        m_highlight = 0.0f;
    GUI::StaticImage::UpdateFade(dt);
}

void RoomButton::Draw() {
    if (!IsEnabled())
        return;
    GUI::StaticImage::Draw();
    if (m_highlight <= 0.0f)
        return;
    GUI::WidgetHost* host = GUI::GetWidgetHost();
    aGraphServer* graph = host ? host->GetGraphServer() : nullptr;
    const float alpha = m_alpha;
    const int32_t blend = graph ? graph->getBlendMode() : 0;
    m_alpha = m_highlight;
    if (graph)
        graph->setBlendMode(1);
    GUI::StaticImage::Draw();
    if (graph)
        graph->setBlendMode(blend);
    m_alpha = alpha;
}

void RoomButton::OnEnabled(GUI::WidgetEventArgs& e) {
    if (!m_children.empty()) {
        GUI::Widget* label = m_children[0];
        label->SetAlpha(1.0f);
        label->BeginFillProperties();
        label->Set("Static", "0");
        label->EndFillProperties();
    }
    GUI::StaticImage::OnEnabled(e);
}

void RoomButton::OnDisabled(GUI::WidgetEventArgs& e) {
    if (!m_children.empty()) {
        GUI::Widget* label = m_children[0];
        label->SetAlpha(kDisabledLabelAlpha);
        label->BeginFillProperties();
        label->Set("Static", "1");
        label->EndFillProperties();
    }
    GUI::StaticImage::OnDisabled(e);
}
