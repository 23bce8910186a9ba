#include "game/bonus/open_safe.h"

#include "game/bonus/bonus_round_factory.h"
#include "game/bonus/bonus_values.h"
#include "game/game_services.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_math.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_particle.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>
#include <cmath>
#include <new>

BonusRound* NewOpenSafe(const aOptionsFile& options, GameServices* game) {
    return new (std::nothrow) OpenSafe(options, game);
}

namespace {

[[maybe_unused]] const bool g_registered = BonusRoundFactory::Instance().Register("OpenSafe", &NewOpenSafe);

constexpr float kHalfStep = 0.12083049f;
constexpr float kOneDegree = 0.017453292f;
// Wheels roll this many values a second more than they have left to go.
constexpr float kRollExtra = 5.0f;

// Into (-pi, pi] by one turn more or less.
float Centred(float d) {
    if (d > A_PI)
        return d - A_2PI;
    if (d <= -A_PI)
        return d + A_2PI;
    return d;
}

} // namespace

OpenSafe::OpenSafe(const aOptionsFile& options, GameServices* game) : BonusRound(kPuzzleName, options, game) {
    m_soundDialStart = GetSound("safe_dial_rotate_start");
    m_soundDialEnd = GetSound("safe_dial_rotate_end");
    m_soundDialRotating = GetSound("safe_dial_rotating");
    m_soundDigitRotating = GetSound("safe_digit_rotating");
    m_soundDigitBad = GetSound("safe_digit_bad");
    m_soundDigitGood = GetSound("safe_digit_good");
    m_soundThumb = GetSound("safe_thumb_move");
    m_soundOpen = GetSound("safe_open");
    m_soundCaseOpen = GetSound("safe_case_open");
    m_background = GetImage("background");
    m_caseClosed = GetImage("pistol_case_closed");
    m_caseOpenImage = GetImage("pistol_case_open");
    m_dial = GetImage("dial");
    m_digits = GetImage("digits");
    m_thumb = GetImage("thumb");

    std::vector<std::string> code;
    options.getStringList("BonusRound", "Code", code);
    for (const std::string& value : code) {
        const int32_t v = bonusvalues::ParseInt(value, -1, kValues);
        if (v < 0 || v >= kValues)
            a_log("OpenSafe - Code value '%s' is not 0 to 25; the wheel takes %d", value.c_str(),
                  int(std::clamp(v, 0, kValues - 1)));
        m_combination.push_back(std::clamp(v, 0, kValues - 1));
    }
    if (m_combination.empty())
        a_log("OpenSafe - the level gives no \"Code\": the safe has no wheels and opens at once");
    m_entered.assign(m_combination.size(), -1);
    m_positions.assign(m_combination.size(), 0.0f);
    if (m_digits) {
        m_cellWidth = int32_t(m_digits->getWidth()) / kValues;
        m_windowHeight = int32_t(m_digits->getHeight()) / 2;
    }
    if (m_cellWidth <= 0 || m_windowHeight <= 0) {
        a_log(
            "OpenSafe - the picture 'digits' is smaller than its 26 x 2 cells; the wheels cannot be chosen");
        m_cellWidth = m_windowHeight = 0;
    }
}

OpenSafe::~OpenSafe() {
    bonusvalues::Stop(m_soundDialRotating);
    bonusvalues::Stop(m_soundDigitRotating);
}

float OpenSafe::PointerAngle(float dx, float dy) {
    return wrapAngle2Pi(-std::atan2(dy, dx));
}

int32_t OpenSafe::DialValue(float angle) {
    const int32_t v = int32_t((A_2PI - angle + kHalfStep) / kStep) % kValues;
    return v < 0 ? v + kValues : v;
}

bool OpenSafe::NextWrongWheel() {
    const int32_t count = int32_t(m_combination.size());
    if (count == 0)
        return false;
    for (int32_t n = 1; n <= count; ++n) {
        const int32_t i = (m_current + n) % count;
        if (!IsRight(size_t(i))) {
            m_current = i;
            return true;
        }
    }
    return false;
}

bool OpenSafe::UpdateWheels(float dt) {
    bool rolling = false;
    bool movedOn = false;
    for (size_t i = 0; i < m_positions.size(); ++i) {
        const float target = float(m_entered[i] + 1);
        float& p = m_positions[i];
        if (p == target)
            continue;
        const float goal = target < p ? target + float(kValues) : target;
        p += (goal - p + kRollExtra) * dt;
        if (p < goal) {
            rolling = true;
            continue;
        }
        p = target;
        if (!IsRight(i)) {
            bonusvalues::Play(m_soundDigitBad);
            continue;
        }
        if (m_app && m_app->GetParticlesManager()) {
            const float at[2] = {float(kWheelX + kWheelStep * int32_t(i)), float(kWheelY)};
            m_app->GetParticlesManager()->Add("safe_digit_lock", at, 0, true, true);
        }
        bonusvalues::Play(m_soundDigitGood);
        if (int32_t(i) == m_current && !movedOn) {
            movedOn = true;
            NextWrongWheel();
        }
    }
    if (rolling)
        bonusvalues::PlayLooped(m_soundDigitRotating);
    else
        bonusvalues::Stop(m_soundDigitRotating);
    return rolling;
}

void OpenSafe::Update(float dt) {
    if (m_completed)
        return;
    if (m_hintTurning) {
        UpdateHintTurn(dt);
        return;
    }
    aInputServer* input = Input();
    int32_t mx = 0, my = 0;
    if (input)
        input->getMousePos(mx, my);
    const uint32_t button = input ? input->getButtonState(0) : 0;
    const bool pressed = button == 2;

    if (m_safeOpen) {
        if (!m_caseOpen && pressed && mx >= kCaseX && mx < kCaseX + kCaseWidth && my >= kCaseY &&
            my < kCaseY + kCaseHeight) {
            m_caseOpen = true;
            m_completed = true;
        }
        return;
    }

    // The wheel under the cursor.
    if (m_cellWidth > 0 && pressed) {
        const int32_t top = kWheelY - m_windowHeight / 2;
        for (size_t i = 0; i < m_combination.size(); ++i) {
            const int32_t left = kWheelX + kWheelStep * int32_t(i) - m_cellWidth / 2;
            if (mx < left || mx >= left + m_cellWidth || my < top || my >= top + m_windowHeight)
                continue;
            if (int32_t(i) != m_current && !IsRight(i)) {
                m_current = int32_t(i);
                bonusvalues::Play(m_soundThumb);
            }
            break;
        }
    }

    const float dx = float(mx - kDialX), dy = float(my - kDialY);
    if (m_dialGrabbed && (button == 2 || button == 3)) {
        const float angle = bonusvalues::WrapTurns(m_dialGrabAngle + PointerAngle(dx, dy) - m_grabReference);
        if (std::fabs(Centred(angle - m_dialAngle)) >= kOneDegree)
            bonusvalues::PlayLooped(m_soundDialRotating);
        else
            bonusvalues::Stop(m_soundDialRotating);
        m_dialAngle = angle;
    } else if (m_dialGrabbed) {
        bonusvalues::Stop(m_soundDialRotating);
        bonusvalues::Play(m_soundDialEnd);
        const int32_t v = DialValue(m_dialAngle);
        if (!m_entered.empty())
            m_entered[size_t(m_current)] = v;
        m_dialAngle = bonusvalues::WrapTurns(kStep * float(kValues - v));
        m_dialGrabbed = false;
    } else if (pressed) {
        const float d2 = dx * dx + dy * dy;
        if (d2 >= float(kGripInner * kGripInner) && d2 <= float(kGripOuter * kGripOuter)) {
            m_grabReference = PointerAngle(dx, dy);
            m_dialGrabAngle = m_dialAngle;
            m_dialGrabbed = true;
            bonusvalues::Play(m_soundDialStart);
        }
    }

    if (UpdateWheels(dt))
        return;
    for (size_t i = 0; i < m_combination.size(); ++i) {
        if (!IsRight(i))
            return;
    }
    bonusvalues::Stop(m_soundDialRotating);
    bonusvalues::Play(m_soundOpen);
    m_safeOpen = true;
    m_dialGrabbed = false;
}

void OpenSafe::UseHint() {
    if (m_safeOpen || m_hintTurning || m_combination.empty())
        return;
    if (IsRight(size_t(m_current)) && !NextWrongWheel())
        return;
    m_dialGrabbed = false;
    float d = Centred(kStep * float(kValues - m_combination[size_t(m_current)]) - m_dialAngle);
    if (std::fabs(d) < kStep)
        d -= A_2PI;
    m_hintRemaining = d;
    m_hintTurning = true;
    bonusvalues::PlayLooped(m_soundDialRotating);
}

void OpenSafe::UpdateHintTurn(float dt) {
    UpdateWheels(dt);
    const float step = A_PI * dt;
    if (std::fabs(m_hintRemaining) > step) {
        const float signedStep = m_hintRemaining > 0.0f ? step : -step;
        m_dialAngle = bonusvalues::WrapTurns(m_dialAngle + signedStep);
        m_hintRemaining -= signedStep;
        return;
    }
    m_dialAngle = bonusvalues::WrapTurns(m_dialAngle + m_hintRemaining);
    m_hintRemaining = 0.0f;
    m_hintTurning = false;
    if (!m_entered.empty())
        m_entered[size_t(m_current)] = DialValue(m_dialAngle);
    bonusvalues::Stop(m_soundDialRotating);
    bonusvalues::Play(m_soundDialEnd);
}

void OpenSafe::Solve() {
    bonusvalues::Stop(m_soundDialRotating);
    bonusvalues::Stop(m_soundDigitRotating);
    m_hintTurning = false;
    m_dialGrabbed = false;
    m_entered = m_combination;
    for (size_t i = 0; i < m_positions.size(); ++i)
        m_positions[i] = float(m_entered[i] + 1);
    m_safeOpen = true;
    m_caseOpen = true;
    BonusRound::Solve();
}

void OpenSafe::Draw() {
    if (m_safeOpen) {
        if (aImage* picture = m_caseOpen ? m_caseOpenImage : m_caseClosed)
            picture->drawAt(179.0f, 0.0f);
        return;
    }
    if (m_background)
        m_background->drawAt(179.0f, 0.0f);
    if (m_dial) {
        const float x = float(kDialX) - float(m_dial->getWidth()) * 0.5f;
        const float y = float(kDialY) - float(m_dial->getHeight()) * 0.5f;
        m_dial->drawAt(x, y, 0xFFFFFFFFu, nullptr, m_dialAngle);
    }
    DrawWheels();
    if (m_thumb && !m_combination.empty())
        m_thumb->drawAt(float(371 + kWheelStep * m_current), 455.0f);
}

void OpenSafe::DrawWheels() const {
    if (!m_digits || m_cellWidth <= 0)
        return;
    for (size_t i = 0; i < m_positions.size(); ++i)
        DrawWheel(i);
}

void OpenSafe::DrawWheel(size_t i) const {
    const float p = m_positions[i];
    const int32_t whole = int32_t(std::floor(p));
    const int32_t offset = std::clamp(int32_t((p - float(whole)) * float(m_windowHeight)), 0, m_windowHeight);
    const int32_t d = whole - 1 < 0 ? -1 : (whole - 1) % kValues;
    const bool restingRight = IsRight(i) && p == float(m_entered[i] + 1);
    const int32_t half = restingRight ? m_windowHeight : 0;
    const int16_t left = int16_t(kWheelX + kWheelStep * int32_t(i) - m_cellWidth / 2);
    const int16_t top = int16_t(kWheelY - m_windowHeight / 2);
    if (d >= 0 && offset < m_windowHeight) {
        const aRect part(int16_t(d * m_cellWidth), int16_t(half + offset), int16_t(m_cellWidth),
                         int16_t(m_windowHeight - offset));
        m_digits->drawRectAtInt(left, top, part);
    }
    if (offset > 0) {
        const int32_t next = (d + 1) % kValues;
        const aRect part(int16_t(next * m_cellWidth), int16_t(half), int16_t(m_cellWidth), int16_t(offset));
        m_digits->drawRectAtInt(left, int16_t(top + m_windowHeight - offset), part);
    }
}

void OpenSafe::OnCompleted() {
    bonusvalues::Play(m_soundCaseOpen);
}
