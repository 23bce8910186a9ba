#include "game/bonus/open_trick_watch.h"

#include "game/bonus/bonus_round_factory.h"
#include "game/bonus/bonus_values.h"
#include "game/game_services.h"
#include "mirel/base/a_math.h"
#include "mirel/gfx/a_image.h"
#include "mirel/input/a_inputserver.h"

#include <cmath>
#include <new>

BonusRound* NewOpenTrickWatch(const aOptionsFile& options, GameServices* game) {
    return new (std::nothrow) OpenTrickWatch(options, game);
}

namespace {

[[maybe_unused]] const bool g_registered =
    BonusRoundFactory::Instance().Register("OpenTrickWatch", &NewOpenTrickWatch);

constexpr float kHourAngle = A_PI / 6.0f;
constexpr float kHourOffset = 4.9741883f;
constexpr float kHintSpeed = 25.132741f; // 8 pi a second
constexpr float kHintMinimum = 0.021816617f;

float Centred(float d) {
    d = std::fmod(d, A_2PI);
    if (d > A_PI)
        return d - A_2PI;
    if (d <= -A_PI)
        return d + A_2PI;
    return d;
}

// The watch's one sequence: hour hand, minute hand, colour.
const OpenTrickWatch::Step kSequence[] = {
    {2, 11, 0xFFFF0000u}, {0, 11, 0xFFFF0000u}, {6, 11, 0xFF00FF00u},
    {9, 11, 0xFFFF00FFu}, {4, 11, 0xFF00FFFFu},
};

} // namespace

OpenTrickWatch::OpenTrickWatch(const aOptionsFile& options, GameServices* game)
    : BonusRound(kPuzzleName, options, game) {
    m_soundOpen = GetSound("trick_watch_open");
    m_soundMatch = GetSound("trick_watch_match");
    m_background = GetImage("background");
    m_backgroundOpen = GetImage("background_open");
    m_clock = GetImage("clock");
    m_winder = GetImage("winder");
    m_glass = GetImage("glass");
    aImage* chip = GetImage("chip");
    m_levels.emplace_back(std::begin(kSequence), std::end(kSequence));

    Hand& minute = m_hands[MINUTE_HAND];
    minute.image = GetImage("clock_hand_1");
    minute.pivotX = 16.0f;
    minute.pivotY = 17.0f;
    minute.angle = A_PI / 2.0f;
    Hand& hour = m_hands[HOUR_HAND];
    hour.image = GetImage("clock_hand_2");
    hour.pivotX = 15.0f;
    hour.pivotY = 16.0f;
    hour.angle = A_PI / 6.0f;

    m_chips.resize(kHours);
    for (int32_t k = 0; k < kHours; ++k)
        PlaceOnDial(m_chips[size_t(k)], chip, ChipAngle(k));
    // The hands as they start are no change.
    m_lastHour = HourIndex(hour.angle);
    m_lastMinute = HourIndex(minute.angle);
}

OpenTrickWatch::~OpenTrickWatch() = default;

float OpenTrickWatch::ChipAngle(int32_t index) {
    return A_PI / 3.0f - float(index) * kHourAngle;
}

int32_t OpenTrickWatch::HourIndex(float angle) {
    const int32_t sector = int32_t((angle + kHourOffset) / kHourAngle) % kHours;
    return kHours - 1 - (sector < 0 ? sector + kHours : sector);
}

void OpenTrickWatch::PlaceOnDial(Chip& chip, aImage* image, float angle) const {
    chip.image = image;
    const float w = image ? float(image->getWidth()) : 0.0f, h = image ? float(image->getHeight()) : 0.0f;
    chip.x = std::cos(angle) * kChipRadius + float(kCentreX) - w / 2.0f;
    chip.y = float(kCentreY) - std::sin(angle) * kChipRadius - h / 2.0f;
    chip.rotation = angle - A_PI / 2.0f;
}

float OpenTrickWatch::PointerAngle(float x, float y) {
    return wrapAngle2Pi(-std::atan2(y - float(kCentreY), x - float(kCentreX)));
}

bool OpenTrickWatch::IsAngleNear(const Hand& hand, float x, float y) const {
    return std::fabs(Centred(PointerAngle(x, y) - hand.angle)) <= kNearAngle;
}

void OpenTrickWatch::UpdateChip(Chip& chip, float dt) const {
    if (chip.flash >= 0.0f) {
        chip.flash += dt;
        if (chip.flash >= kFlashTime)
            chip.flash = -1.0f;
    }
    if (chip.ring >= 0.0f) {
        chip.ring += dt;
        if (chip.ring >= 1.0f)
            chip.ring = -1.0f;
    }
}

void OpenTrickWatch::TurnMinuteHand(float delta) {
    Hand& minute = m_hands[MINUTE_HAND];
    Hand& hour = m_hands[HOUR_HAND];
    minute.angle = bonusvalues::WrapTurns(minute.angle + delta);
    hour.angle = bonusvalues::WrapTurns(hour.angle + delta / 12.0f);
}

void OpenTrickWatch::Update(float dt) {
    for (Chip& chip : m_chips)
        UpdateChip(chip, dt);

    if (m_pauseTimer >= 0.0f) {
        m_pauseTimer += dt;
        if (m_pauseTimer > kShowPause) {
            m_pauseTimer = -1.0f;
            m_showIndex = m_progress;
        }
    }
    const int32_t count = int32_t(Steps().size());
    if (!m_solved && m_pauseTimer < 0.0f && m_showIndex < count) {
        Chip* chip = &m_chips[size_t(Steps()[size_t(m_showIndex)].hourHand)];
        bool start = true;
        if (chip->flash > kShowStepTime) {
            if (++m_showIndex >= count) {
                m_pauseTimer = 0.0f;
                m_showIndex = m_progress;
                start = false;
            } else {
                chip = &m_chips[size_t(Steps()[size_t(m_showIndex)].hourHand)];
            }
        }
        if (start && !(chip->flash >= 0.0f && chip->flash < kShowStepTime)) {
            chip->flash = 0.0f;
            chip->flashColour = Steps()[size_t(m_showIndex)].colour;
        }
    }

    if (m_completed || (m_app && m_app->IsPopupActive()))
        return;
    aInputServer* input = Input();
    int32_t mx = 0, my = 0;
    if (input)
        input->getMousePos(mx, my);
    const uint32_t button = input ? input->getButtonState(0) : 0;
    Hand& minute = m_hands[MINUTE_HAND];
    const int32_t hourIndex = HourIndex(m_hands[HOUR_HAND].angle), minuteIndex = HourIndex(minute.angle);
    if (hourIndex != m_lastHour || minuteIndex != m_lastMinute) {
        m_lastHour = hourIndex;
        m_lastMinute = minuteIndex;
        m_changed = true;
    }

    if (m_grabbed >= 0) {
        if (m_hint) {
            const float step = kHintSpeed * dt;
            float delta = m_hintRemaining;
            if (std::fabs(m_hintRemaining) > step) {
                delta = m_hintRemaining > 0.0f ? step : -step;
                m_hintRemaining -= delta;
            } else {
                m_hintRemaining = 0.0f;
                m_hint = false;
            }
            TurnMinuteHand(delta);
            m_lastAngle = minute.angle;
        } else if (button == 2 || button == 3) {
            const float delta = Centred(PointerAngle(float(mx), float(my)) - m_lastAngle);
            TurnMinuteHand(delta);
            m_lastAngle = minute.angle;
        } else {
            if (m_changed && m_progress < count) {
                const Step& step = Steps()[size_t(m_progress)];
                if (hourIndex == step.hourHand && minuteIndex == step.minuteHand) {
                    bonusvalues::Play(m_soundMatch);
                    Chip& chip = m_chips[size_t(step.hourHand)];
                    chip.ring = 0.0f;
                    chip.ringColour = step.colour;
                    if (++m_progress >= count) {
                        if (size_t(m_level) + 1 < m_levels.size()) {
                            ++m_level;
                            m_pauseTimer = -1.0f;
                            m_progress = m_showIndex = 0;
                        } else {
                            m_solved = true;
                        }
                    }
                }
            }
            m_grabbed = -1;
            m_changed = false;
            if (m_solved)
                m_completed = true;
        }
        return;
    }
    minute.lit = IsAngleNear(minute, float(mx), float(my));
    if (minute.lit && button == 2) {
        m_grabbed = MINUTE_HAND;
        m_lastAngle = minute.angle;
    }
}

void OpenTrickWatch::UseHint() {
    if (m_solved || m_hint || m_progress >= int32_t(Steps().size()))
        return;
    const Step& step = Steps()[size_t(m_progress)];
    float d = Centred(ChipAngle(step.hourHand) - m_hands[HOUR_HAND].angle);
    if (std::fabs(d) < kHintMinimum)
        d -= A_2PI;
    m_hintRemaining = 12.0f * d;
    m_hint = true;
    m_grabbed = MINUTE_HAND;
    m_lastAngle = m_hands[MINUTE_HAND].angle;
}

void OpenTrickWatch::Solve() {
    m_solved = true;
    m_hint = false;
    m_grabbed = -1;
    BonusRound::Solve();
}

void OpenTrickWatch::DrawHand(const Hand& hand) const {
    if (!hand.image)
        return;
    const int16_t w = int16_t(hand.image->getWidth()), half = int16_t(hand.image->getHeight() / 2);
    const float pos[2] = {float(kCentreX) - hand.pivotX, float(kCentreY) - hand.pivotY};
    const float centre[2] = {hand.pivotX, hand.pivotY};
    if (hand.lit) {
        const aRect lit(0, half, w, half);
        hand.image->draw(pos, &lit, 0xFFFFFFFFu, nullptr, hand.angle, centre, true);
    }
    const aRect normal(0, 0, w, half);
    hand.image->draw(pos, &normal, 0xFFFFFFFFu, nullptr, hand.angle, centre, true);
}

void OpenTrickWatch::DrawChip(const Chip& chip) const {
    if (!chip.image)
        return;
    if (chip.flash >= 0.0f) {
        const uint32_t alpha = bonusvalues::AlphaByte(1.0f - chip.flash / kFlashTime);
        chip.image->drawAt(chip.x, chip.y, (alpha << 24) | (chip.flashColour & 0xFFFFFFu), nullptr,
                           chip.rotation);
    }
    if (chip.ring >= 0.0f) {
        const float s = 1.0f + chip.ring;
        const float scale[2] = {s, s};
        const float w = float(chip.image->getWidth()), h = float(chip.image->getHeight());
        const uint32_t alpha = bonusvalues::AlphaByte(1.0f - chip.ring);
        chip.image->drawAt(chip.x + w * 0.5f * (1.0f - s), chip.y + h * 0.5f * (1.0f - s),
                           (alpha << 24) | (chip.ringColour & 0xFFFFFFu), scale, chip.rotation);
    }
}

void OpenTrickWatch::Draw() {
    if (m_solved) {
        if (m_backgroundOpen)
            m_backgroundOpen->drawAt(179.0f, 0.0f);
        return;
    }
    if (m_background)
        m_background->drawAt(179.0f, 0.0f);
    const float clockHeight = m_clock ? float(m_clock->getHeight()) : 0.0f;
    if (m_winder)
        m_winder->drawAt(499.0f, float(kCentreY) - clockHeight / 2.0f - float(m_progress + 11) * 10.0f);
    if (m_clock)
        m_clock->drawAt(float(kCentreX) - float(m_clock->getWidth()) / 2.0f,
                        float(kCentreY) - clockHeight / 2.0f);
    DrawHand(m_hands[HOUR_HAND]);
    DrawHand(m_hands[MINUTE_HAND]);
    if (m_glass)
        m_glass->drawAt(float(kCentreX) - float(m_glass->getWidth()) / 2.0f,
                        float(kCentreY) - float(m_glass->getHeight()) / 2.0f);
    for (const Chip& chip : m_chips)
        DrawChip(chip);
}

void OpenTrickWatch::OnCompleted() {
    bonusvalues::Play(m_soundOpen);
}
