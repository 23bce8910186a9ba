// The hidden-object room while it is the current room: entering and leaving,
// the frame's update (the object under the cursor, clicks, carrying, found
// items, misses, the stuck tip), drawing with the hint ring, the item list,
// the bonus indicator, hints, entry tips and item messages.

#include "game/scenes/spy_room.h"

#include "game/game_services.h"
#include "game/profiles/profile_record.h"
#include "game/scenes/cross_button.h"
#include "game/scenes/objects/spy_object.h"
#include "game/scenes/spy_message_text.h"
#include "game/tip_manager.h"
#include "mirel/base/a_math.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_statictext.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/sound/a_sound.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.1415927f;
// The highlight of a hinted object fades out over the hint's last 0.4 s.
constexpr float kHintFadeStart = SpyRoom::kHintTime - SpyRoom::kHintFade;
constexpr const char* kLargeMarker = "#";
constexpr const char* kLargePictures = "data:images/evidences/large/";

// A screen distance in whole pixels, truncated.
int32_t truncate(float v) {
    constexpr float kLimit = 2.0e9f;
    return v >= kLimit ? int32_t(kLimit) : v <= -kLimit ? -int32_t(kLimit) : int32_t(v);
}

void setVisible(GUI::Widget* widget, bool visible) {
    if (widget)
        widget->SetVisible(visible);
}

} // namespace

// ---- entering and leaving ----

void SpyRoom::Enter(aSound* defaultSound) {
    Room::Enter(defaultSound);
    setVisible(m_bonusItem, m_bonusChosen);
    setVisible(m_bonusHint, false);
    setVisible(m_itemList, true);
    if (m_itemList) {
        if (GUI::Widget* title = m_itemList->FindChild("room_name")) {
            aLocaleServer* locale = aLocaleServer::getInstance();
            title->SetText(locale ? locale->getString("list." + m_name) : std::u16string());
        }
    }
    m_bonusHoverTimer = -1.0f;
    for (SpyObject* object : m_objects)
        object->Enter();
    UpdateItemList(false);
    const size_t line = std::min(m_activeItems.size(), m_lines.size()) / 2;
    TipManager* tips = m_app ? m_app->GetTipManager() : nullptr;
    if (tips && line < m_lines.size()) {
        const GUI::Widget* w = m_lines[line];
        tips->ShowTip(w->GetAbsoluteX() + w->GetWidth() / 2, w->GetAbsoluteY() + w->GetHeight() / 2,
                      "items_list");
    }
    m_missCount = 0;
    m_hinted = nullptr;
}

void SpyRoom::Leave(aSound* defaultSound) {
    Room::Leave(defaultSound);
    setVisible(m_itemList, false);
    if (m_dragged)
        PutBack();
    for (SpyObject* object : m_objects)
        object->Leave();
}

// ---- the frame ----

void SpyRoom::Update(float dt) {
    Room::Update(dt);
    int32_t x = -1, y = -1;
    aInputServer* input = m_app ? m_app->GetInputServer() : nullptr;
    if (input)
        input->getMousePos(x, y);
    const bool inside = x >= kPlayfieldLeft && x <= kPlayfieldRight && y >= 0 && y <= kPlayfieldBottom;

    UpdateBonusHint(dt);

    if (m_hinted) {
        m_hintTimer += dt;
        if (m_hintTimer >= kHintTime) {
            m_hinted->SetHighlight(false);
            m_hinted = nullptr;
        } else {
            m_hintPhase += dt;
        }
    } else {
        m_hintPhase = 0.0f;
    }

    for (auto it = m_objects.rbegin(); it != m_objects.rend(); ++it)
        (*it)->Update(dt);

    m_hovered = nullptr;
    if (inside)
        UpdateHover(x, y);

    TipManager* tips = m_app ? m_app->GetTipManager() : nullptr;
    const bool busy = (m_app && m_app->IsPopupActive()) || (tips && tips->IsTipShown());
    if (!busy) {
        if (m_dragged) {
            const SpyPoint hot = m_dragged->GetHotspot(SpyObject::HOTSPOT_DRAG, false);
            m_dragged->SetPosition(float(x) - hot.x, float(y) - hot.y);
        }
        if (m_missCount != 0)
            m_missTimer += dt;

        // A found item that waits to be counted (below, this very frame) holds
        // the clicks back: a new one would take its place and it would never count.
        const bool itemWaits = m_selectedItem >= 0;
        if (inside && input && input->getButtonState(0) == 2 && IsIdle() && !itemWaits) {
            if (m_hinted && m_hintTimer < kHintFadeStart)
                m_hintTimer = kHintFadeStart;
            const bool counts = OnObjectClicked(m_hovered);
            if (!counts) {
                m_missCount = 0;
            } else if (m_selectedItem >= 0) {
                const SpyItem& item = m_activeItems[size_t(m_selectedItem)];
                const int32_t taken = int32_t(item.displayNames.size()) - item.remaining;
                bool last = true;
                for (size_t i = 0; i < m_activeItems.size(); ++i) {
                    if (int32_t(i) != m_selectedItem && !m_activeItems[i].bonus &&
                        m_activeItems[i].remaining != 0)
                        last = false;
                }
                const bool waits = (item.remaining == 0 && (last || item.completionMessage.present ||
                                                            !item.objectsToActivate.empty())) ||
                                   (taken == 1 && item.firstObjectMessage.present);
                if (waits) {
                    if (m_app)
                        m_app->SetInputBlocked(true);
                } else {
                    m_activated = nullptr;
                }
                ms_stuckTimer = 0.0f;
                m_missCount = 0;
            } else {
                if (m_missTimer > kMissInterval)
                    m_missCount = 0;
                if (++m_missCount >= kMissesForPenalty) {
                    m_missPenalty = true;
                    m_missCount = 0;
                }
            }
            m_missTimer = 0.0f;
        }

        if ((m_selectedItem >= 0 || m_itemsFound != m_itemsTotal) && m_app && m_app->GetHintsLeft() > 0) {
            ms_stuckTimer += dt;
            if (ms_stuckTimer >= kStuckTime) {
                if (GUI::Widget* hint = m_app->FindWidget("btn_hint"); hint && tips)
                    tips->ShowTip(hint->GetAbsoluteX() + hint->GetWidth() / 2,
                                  hint->GetAbsoluteY() + hint->GetHeight() / 2, "player_stuck");
                ms_stuckTimer = 0.0f;
            }
        }
    }

    m_foundItem = nullptr;
    if (m_selectedItem >= 0 && size_t(m_selectedItem) < m_activeItems.size())
        FinishSelectedItem();
}

void SpyRoom::UpdateHover(int32_t x, int32_t y) {
    auto hits = [&](SpyObject* object, bool tolerant) {
        return HitTestObject(object, truncate(float(x) - object->GetX()), truncate(float(y) - object->GetY()),
                             tolerant);
    };
    if (m_dragged) {
        if (!m_dragTarget)
            return;
        if (const SpyPoint* distance = m_dragged->GetDropDistance()) {
            const SpyPoint offset = m_dragged->GetHotspotOffset(*m_dragTarget, SpyObject::HOTSPOT_DRAG);
            if (std::fabs(offset.x) <= distance->x && std::fabs(offset.y) <= distance->y)
                m_hovered = m_dragTarget;
        } else if (hits(m_dragTarget, true)) {
            m_hovered = m_dragTarget;
        }
        return;
    }
    for (auto it = m_topList.rbegin(); it != m_topList.rend(); ++it) {
        SpyObject* object = *it;
        if (object->IsLifted() && object->GetState() == SpyObject::STATE_PRESENT &&
            hits(object, object->IsTolerant())) {
            m_hovered = object;
            return;
        }
    }
    for (auto it = m_objects.rbegin(); it != m_objects.rend(); ++it) {
        SpyObject* object = *it;
        if (!object->IsLifted() && object->GetState() == SpyObject::STATE_PRESENT &&
            hits(object, object->IsTolerant())) {
            m_hovered = object;
            return;
        }
    }
}

bool SpyRoom::HitTestObject(SpyObject* object, int32_t x, int32_t y, bool tolerant) const {
    if (!object)
        return false;
    const int32_t w = truncate(object->GetWidth());
    const int32_t h = truncate(object->GetHeight());
    auto inside = [&](int32_t px, int32_t py) { return px >= 0 && px < w && py >= 0 && py < h; };
    if (!inside(x, y))
        return false;
    if (object->HitTest(x, y))
        return true;
    if (!tolerant)
        return false;
    const int32_t neighbours[4][2] = {{x, y - 1}, {x, y + 1}, {x - 1, y}, {x + 1, y}};
    for (const auto& p : neighbours) {
        if (inside(p[0], p[1]) && object->HitTest(p[0], p[1]))
            return true;
    }
    return false;
}

bool SpyRoom::IsIdle() const {
    if (m_activated && m_activated->IsVanishing())
        return false;
    if (m_selectedItem >= 0 && size_t(m_selectedItem) < m_activeItems.size()) {
        for (const SpyObject* object : m_activeItems[size_t(m_selectedItem)].objectsToActivate) {
            if (object->IsVanishing())
                return false;
        }
    }
    return true;
}

void SpyRoom::FinishSelectedItem() {
    SpyItem& item = m_activeItems[size_t(m_selectedItem)];
    if (m_activated && !m_activated->IsVanishing()) {
        m_activated = nullptr;
        if (item.remaining == 0) {
            for (SpyObject* object : item.objectsToActivate)
                object->Activate(false, nullptr);
        }
    }
    if (!IsIdle())
        return;
    UpdateItemList(true);
    if (item.remaining == 0) {
        m_foundItem = &item;
        if (!item.bonus) {
            ++m_itemsFound;
            if (item.clue) {
                ++m_cluesFound;
                if (m_soundClue)
                    m_soundClue->play(false, -1.0f, -2.0f);
            }
        } else {
            m_bonusChosen = false;
            setVisible(m_bonusItem, false);
        }
        if (size_t(m_selectedItem) < m_lines.size()) {
            if (auto* line = dynamic_cast<CrossButton*>(m_lines[size_t(m_selectedItem)]))
                line->SetCrossed(true, true);
        }
        ShowClueMessage(item.completionMessage);
        if (m_app)
            m_app->UpdateProgressCounters();
    } else if (int32_t(item.displayNames.size()) - item.remaining == 1) {
        ShowClueMessage(item.firstObjectMessage);
    }
    m_selectedItem = -1;
    if (m_app)
        m_app->SetInputBlocked(false);
}

// ---- clicks ----

int32_t SpyRoom::FindActiveItemOf(const SpyObject* object) const {
    if (!object)
        return -1;
    for (size_t i = 0; i < m_activeItems.size(); ++i) {
        const SpyItem& item = m_activeItems[i];
        if (std::find(item.objects.begin(), item.objects.end(), object) != item.objects.end() ||
            std::find(item.containers.begin(), item.containers.end(), object) != item.containers.end())
            return int32_t(i);
    }
    return -1;
}

bool SpyRoom::OnObjectClicked(SpyObject* object) {
    // Carrying: only the carried object's own target takes it, for the
    // carried object's own item (the first item that lists the target may be
    // another one, even one already found).
    if (m_dragged) {
        const int32_t carried = FindActiveItemOf(m_dragged);
        if (!object || object != m_dragTarget || carried < 0) {
            ShowContainerError(carried);
            PutBack();
            return false;
        }
        SpyObject* dragged = m_dragged;
        m_dragTarget->Activate(true, dragged);
        m_dragTarget->PlayPickupSound(m_soundGood);
        dragged->Activate(true, m_dragTarget);
        TakeFromItem(m_activeItems[size_t(carried)], dragged);
        m_activated = dragged;
        m_dragged = nullptr;
        m_dragTarget = nullptr;
        m_selectedItem = carried;
        return true;
    }

    const int32_t index = FindActiveItemOf(object);
    SpyItem* item = index >= 0 ? &m_activeItems[size_t(index)] : nullptr;
    if (!item || item->remaining == 0 || (item->bonus && !m_bonusAvailable)) {
        if (object && !object->IsItemClickOnly() && object->Activate(false, nullptr)) {
            m_activated = object;
            return false;
        }
        if (m_soundBad)
            m_soundBad->play(false, -1.0f, -2.0f);
        return true;
    }

    int32_t position = -2;
    const auto inObjects = std::find(item->objects.begin(), item->objects.end(), object);
    if (inObjects != item->objects.end())
        position = int32_t(inObjects - item->objects.begin());
    else if (std::find(item->containers.begin(), item->containers.end(), object) != item->containers.end())
        position = -1;

    if (position >= 0) {
        SpyObject* target = item->containers[size_t(position)];
        if (!target) {
            // Nowhere to carry it: a miss, and nothing is picked up.
            if (m_soundBad)
                m_soundBad->play(false, -1.0f, -2.0f);
            return true;
        }
        if (object->IsMoveToTop())
            Lift(object);
        if (target != object) {
            m_dragged = object;
            m_dragTarget = target;
            m_dragStartX = object->GetX();
            m_dragStartY = object->GetY();
            return false;
        }
        object->Activate(true, nullptr);
        object->PlayPickupSound(m_soundGood);
        TakeFromItem(*item, object);
        m_activated = object;
        m_selectedItem = index;
        return true;
    }
    if (position == -1) {
        TipManager* tips = m_app ? m_app->GetTipManager() : nullptr;
        const std::u16string* text = FindText("tip.cont." + m_keyPrefix + item->name);
        if (object->IsEmpty() && text && tips) {
            const SpyPoint hot = object->GetHotspot(SpyObject::HOTSPOT_HINT, true);
            if (tips->ShowTip(truncate(hot.x), truncate(hot.y), "container", *text))
                return false;
        }
        if (m_soundBad)
            m_soundBad->play(false, -1.0f, -2.0f);
        return true;
    }
    return false;
}

void SpyRoom::TakeFromItem(SpyItem& item, SpyObject* object) {
    const auto it = std::find(item.objects.begin(), item.objects.end(), object);
    if (it == item.objects.end())
        return;
    const size_t i = size_t(it - item.objects.begin());
    item.objects.erase(item.objects.begin() + ptrdiff_t(i));
    if (i < item.containers.size()) {
        if (item.containers[i])
            --item.remaining;
        item.containers.erase(item.containers.begin() + ptrdiff_t(i));
    }
}

void SpyRoom::Lift(SpyObject* object) {
    m_topList.erase(std::remove(m_topList.begin(), m_topList.end(), object), m_topList.end());
    object->SetLifted(true);
    m_topList.push_back(object);
    object->SetLinkedState(SpyObject::STATE_TAKEN);
}

void SpyRoom::PutBack() {
    SpyObject* object = m_dragged;
    m_dragged = nullptr;
    m_dragTarget = nullptr;
    if (!object)
        return;
    object->SetPosition(m_dragStartX, m_dragStartY);
    m_topList.erase(std::remove(m_topList.begin(), m_topList.end(), object), m_topList.end());
    object->SetLifted(false);
    object->SetLinkedState(SpyObject::STATE_PRESENT);
}

void SpyRoom::ShowContainerError(int32_t itemIndex) {
    const std::u16string* text = nullptr;
    if (itemIndex >= 0 && size_t(itemIndex) < m_activeItems.size())
        text = FindText("tip.error." + m_keyPrefix + m_activeItems[size_t(itemIndex)].name);
    if (!text)
        text = FindText("tip.error");
    if (m_app)
        m_app->ShowMessageBoxText("msgbox_container_error", GameServices::ACTION_NONE,
                                  text ? *text : std::u16string(), nullptr, m_soundBad);
}

// ---- the item list and the bonus indicator ----

void SpyRoom::UpdateItemList(bool keepStrikes) {
    int32_t y = 0;
    size_t i = 0;
    for (; i < m_activeItems.size() && i < m_lines.size(); ++i) {
        const SpyItem& item = m_activeItems[i];
        GUI::Widget* line = m_lines[i];
        if (i == 0)
            y = line->GetAreaRect().y;
        else
            line->SetY(int16_t(y));
        const size_t name = item.remaining > 0 ? size_t(item.remaining - 1) : 0;
        const std::u16string text =
            name < item.displayNames.size() ? item.displayNames[name] : std::u16string();
        if (!item.bonus) {
            line->SetVisible(true);
            line->SetText(text);
            if (!keepStrikes) {
                if (auto* cross = dynamic_cast<CrossButton*>(line))
                    cross->SetCrossed(item.remaining == 0, false);
            }
            y += line->GetHeight();
        } else {
            line->SetVisible(false);
            if (GUI::Widget* hintText = m_bonusHint ? m_bonusHint->FindChild("text") : nullptr) {
                hintText->SetHeight(10000);
                hintText->SetText(item.displayNames.empty() ? std::u16string() : item.displayNames[0]);
                if (auto* st = dynamic_cast<GUI::StaticText*>(hintText))
                    hintText->SetHeight(int16_t(std::clamp(std::lround(st->GetTextHeight()), 0L, 32767L)));
            }
        }
    }
    for (; i < m_lines.size(); ++i)
        m_lines[i]->SetVisible(false);
}

void SpyRoom::UpdateBonusHint(float dt) {
    if (!m_bonusHint || !m_bonusItem || m_bonusHint->IsVisible(true) || m_bonusHoverTimer == -1.0f)
        return;
    m_bonusHoverTimer += dt;
    if (m_bonusHoverTimer < kBonusHoverTime)
        return;
    GUI::Widget* text = m_bonusHint->FindChild("text");
    if (!m_bonusHintLayoutKnown) {
        m_bonusHintLayoutKnown = true;
        m_bonusHintLayoutX = m_bonusHint->GetAreaRect().x;
        m_bonusHintLayoutHeight = m_bonusHint->GetHeight();
        m_bonusTextLayoutHeight = text ? text->GetHeight() : 0;
    }
    int32_t height = m_bonusHintLayoutHeight;
    if (text)
        height = std::max(height, text->GetHeight() + (m_bonusHintLayoutHeight - m_bonusTextLayoutHeight));
    const int32_t left = m_bonusItem->GetAreaRect().x + m_bonusCursorX - m_bonusHintLayoutX;
    const int32_t bottom = m_bonusItem->GetAreaRect().y + m_bonusCursorY;
    m_bonusHint->SetAreaRect(int16_t(left), int16_t(bottom - height), m_bonusHint->GetWidth(),
                             int16_t(height));
    m_bonusHint->MoveToFront();
    m_bonusHint->SetVisible(true);
    m_bonusAvailable = true;
}

bool SpyRoom::OnBonusEnter(const GUI::EventArgs&) {
    m_bonusHoverTimer = 0.0f;
    return true;
}

bool SpyRoom::OnBonusMove(const GUI::EventArgs& args) {
    if (const auto* mouse = dynamic_cast<const GUI::MouseEventArgs*>(&args)) {
        m_bonusCursorX = mouse->x;
        m_bonusCursorY = mouse->y;
    }
    return true;
}

bool SpyRoom::OnBonusLeave(const GUI::EventArgs&) {
    m_bonusHoverTimer = -1.0f;
    setVisible(m_bonusHint, false);
    return true;
}

// ---- hints, tips and messages ----

void SpyRoom::UseHint() {
    std::vector<SpyObject*> left;
    for (const SpyItem& item : m_activeItems) {
        if (item.bonus || item.remaining == 0)
            continue;
        for (SpyObject* object : item.objects) {
            if (object->GetState() != SpyObject::STATE_TAKEN)
                left.push_back(object);
        }
    }
    if (left.empty())
        return;
    SpyObject* pick = left[size_t(a_rand()) % left.size()];
    if (pick == m_hinted) {
        m_hintTimer = m_hintTimer >= kHintFadeStart ? kHintTime - m_hintTimer : kHintFade;
        return;
    }
    if (m_hinted)
        m_hinted->SetHighlight(false);
    m_hinted = pick;
    m_hinted->SetHighlight(true);
    m_hintTimer = 0.0f;
}

bool SpyRoom::ShowEnterTip() {
    if (m_app && m_app->IsPopupActive())
        return false;
    if (!g_currentSettings.showTips)
        return false;
    TipManager* tips = m_app ? m_app->GetTipManager() : nullptr;
    if (tips && tips->IsTipShown())
        return false;
    while (m_enterTipCursor < m_activeItems.size()) {
        const SpyItem& item = m_activeItems[m_enterTipCursor++];
        if (item.remaining == 0 || !item.hasTip)
            continue;
        SpyObject* target = nullptr;
        for (size_t i = 0; i < item.objects.size() && !target; ++i) {
            if (i < item.containers.size() && item.containers[i] && item.containers[i] != item.objects[i])
                target = item.containers[i];
        }
        if (!target && !item.objects.empty())
            target = item.objects[0];
        if (target && tips) {
            aLocaleServer* locale = aLocaleServer::getInstance();
            const SpyPoint hot = target->GetHotspot(SpyObject::HOTSPOT_HINT, true);
            tips->ShowTip(truncate(hot.x), truncate(hot.y), "item",
                          locale ? locale->getString("tip." + m_keyPrefix + item.name) : std::u16string());
        }
        break;
    }
    return true;
}

void SpyRoom::ShowClueMessage(const SpyMessage& message) {
    if (!message.present || !m_app)
        return;
    aLocaleServer* locale = aLocaleServer::getInstance();
    std::u16string text = locale ? locale->getString(message.textKey) : std::u16string();
    text = ResolveSpyConditions(
        std::move(text), [this](const std::string& roomName, const std::string& itemName) {
            Room* room = m_app->FindRoom(roomName);
            if (!room || !room->IsKind(KIND_HIDDEN_OBJECT))
                return SpyCondition::Unknown;
            const SpyItem* item = static_cast<SpyRoom*>(room)->FindItem(itemName, true);
            if (!item)
                return SpyCondition::Unknown;
            return item->remaining == 0 ? SpyCondition::Found : SpyCondition::NotFound;
        });
    if (message.picture.empty() || message.picture == "-") {
        m_app->ShowMessageBoxText("msgbox_text", GameServices::ACTION_NONE, text, nullptr, nullptr);
        return;
    }
    std::string picture = message.picture;
    std::string box = "msgbox_clue";
    if (picture.compare(0, 1, kLargeMarker) == 0) {
        picture.erase(0, 1);
        box = "msgbox_clue_large";
    }
    const int format = aImageManager::formatFromText("8888");
    m_messagePicture.load(kLargePictures + picture + ".jng", format, format);
    m_app->ShowMessageBoxText(box, GameServices::ACTION_NONE, text, &m_messagePicture, nullptr);
}

// ---- drawing ----

void SpyRoom::Draw() {
    if (m_background)
        m_background->drawAt(float(kPlayfieldLeft), 0.0f);
    for (SpyObject* object : m_objects) {
        if (!object->IsLifted())
            object->DrawHighlighted();
    }
    for (SpyObject* object : m_topList) {
        if (object->IsLifted())
            object->DrawHighlighted();
    }
    DrawHintRing();
}

void SpyRoom::DrawHintRing() {
    if (!m_hinted || !m_star)
        return;
    const SpyPoint hot = m_hinted->GetHotspot(SpyObject::HOTSPOT_HINT, false);
    const float w = m_hinted->GetWidth();
    const float h = m_hinted->GetHeight();
    const float dx = std::min(hot.x, w - hot.x);
    const float dy = std::min(hot.y, h - hot.y);
    const float r = std::max(std::sqrt(dx * dx + dy * dy), kHintRingMinRadius);
    const float cx = m_hinted->GetX() + hot.x;
    const float cy = m_hinted->GetY() + hot.y;
    const float t = m_hintTimer;
    const float fraction = t < kHintFade        ? t / kHintFade
                           : t < kHintFadeStart ? 1.0f
                                                : (kHintTime - t) / kHintFade;
    const uint32_t colour = alphaByte(fraction) << 24 | 0xFFFFFFu;
    const int32_t stars = int32_t((r - kHintRingMinRadius) * 0.1f + 9.0f);
    if (stars <= 0)
        return;
    const float step = 2.0f * kPi / float(stars);
    const float halfW = float(int32_t(m_star->getWidth()) / 2);
    const float halfH = float(int32_t(m_star->getHeight()) / 2);
    for (int32_t k = 0; k < stars; ++k) {
        const float angle = m_hintPhase + float(k) * step;
        m_star->drawAt(cx + std::cos(angle) * r - halfW, cy + std::sin(angle) * r - halfH, colour, nullptr,
                       kPi - angle);
    }
}
