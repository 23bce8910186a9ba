#include "game/scenes/objects/spy_obj_anim.h"

#include "game/scenes/objects/spy_object_factory.h"
#include "game/scenes/spy_room.h"
#include "game/scenes/spy_values.h"
#include "mirel/base/a_format.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

[[maybe_unused]] const bool g_registeredAnim =
    SpyObjectFactory::Instance().Register("Animation", &SpyObjectFactory::Create<SpyObjAnim>);
[[maybe_unused]] const bool g_registeredButterfly =
    SpyObjectFactory::Instance().Register("Butterfly", &SpyObjectFactory::Create<SpyObjButterfly>);
[[maybe_unused]] const bool g_registeredBirds =
    SpyObjectFactory::Instance().Register("LoveBirds", &SpyObjectFactory::Create<SpyObjLoveBirds>);
[[maybe_unused]] const bool g_registeredCouple =
    SpyObjectFactory::Instance().Register("CoupleDancing", &SpyObjectFactory::Create<SpyObjCoupleDancing>);

bool usableFrameTime(float t) {
    return t > 0.0f && std::isfinite(t);
}

// A frame count below 1 is read as 1 (logged).
int32_t checkedFrameCount(int32_t count, const char* where, const std::string& name) {
    if (count >= 1)
        return std::min(count, 65535);
    a_log("%s - frame count %d of object '%s' is below 1, read as 1", where, count, name.c_str());
    return 1;
}

// Frames per second that are not above 0 are read as 1 (logged).
float checkedFps(float fps, const char* where, const std::string& name) {
    if (fps > 0.0f && std::isfinite(fps))
        return fps;
    a_log("%s - frame rate of object '%s' is not above 0, read as 1", where, name.c_str());
    return 1.0f;
}

// The current frame scaled about the object's centre by the vanish effect, in white.
void drawVanishing(const aAnim& anim, const SpyObject& object) {
    const float s = object.GetVanishScale();
    const float w = float(anim.getWidth());
    const float h = float(anim.getHeight());
    const float position[2] = {object.GetX() + w * 0.5f * (1.0f - s), object.GetY() + h * 0.5f * (1.0f - s)};
    const float scale[2] = {s, s};
    anim.draw(position, 0xFFFFFFFFu, scale);
}

bool alphaHit(const aAnim& anim, int32_t x, int32_t y, int32_t threshold) {
    return int32_t(anim.getPixel(x, y) >> 24) >= threshold;
}

float randomIn(const SpyPoint& range) {
    return a_randRange(range.x, range.y);
}

void readRange(const aOptionsFile& section, const char* key, SpyPoint& range) {
    range = SpyPoint{0.0f, 0.0f};
    if (section.hasKey(key))
        SpyReadPoint(section.getString(key), range);
}

void stopSound(aSound* sound) {
    if (sound && sound->isPlaying())
        sound->stop();
}

aImage* roomImage(SpyRoom* room, const std::string& name) {
    aImageManager* images = room ? room->GetImageManager() : nullptr;
    return images ? images->getImage(name, room->GetName()) : nullptr;
}

aSound* roomSound(SpyRoom* room, const std::string& name) {
    aSoundManager* sounds = room ? room->GetSoundManager() : nullptr;
    return sounds ? sounds->getSound(name, room->GetName()) : nullptr;
}

} // namespace

// ---------------------------------------------------------------- SpyObjAnim

SpyObjAnim::SpyObjAnim(SpyRoom* room, const std::string& name) : SpyObjImage(room, name) {}

SpyObjAnim::~SpyObjAnim() = default;

void SpyObjAnim::Create(const aOptionsFile& section) {
    SpyObjImage::Create(section);
    m_frameWidth = m_rect.width;
    m_frameHeight = m_rect.height;
    if (section.hasKey("FrameSize")) {
        int w = 0, h = 0;
        if (std::sscanf(section.getString("FrameSize").c_str(), "%d %d", &w, &h) == 2 && w > 0 && h > 0 &&
            w <= 32767 && h <= 32767) {
            m_frameWidth = w;
            m_frameHeight = h;
        } else {
            a_log("SpyObjAnim::Create - bad frame size '%s' of object '%s', the rectangle's taken",
                  section.getString("FrameSize").c_str(), m_name.c_str());
        }
    }
    const int32_t count = checkedFrameCount(section.hasKey("FrameCount") ? section.getInt("FrameCount") : 1,
                                            "SpyObjAnim::Create", m_name);
    m_anim.setFramesFromGrid(m_image, &m_rect, uint16_t(std::clamp(m_frameWidth, 0, 65535)),
                             uint16_t(std::clamp(m_frameHeight, 0, 65535)), uint16_t(count));
    if (section.hasKey("FPS")) {
        // A rate of 0 gives an endless frame time, one below 0 a negative one
        // (the assertion logs it): either way the animation does not move.
        m_anim.setFrameTime(1.0f / float(section.getInt("FPS")));
    }
    m_playMode = section.hasKey("PlayMode") ? section.getInt("PlayMode") : MODE_LOOP;
    ApplyPlayMode();
    m_hiddenObject = nullptr;
    if (section.hasKey("HiddenObj") && m_room)
        m_hiddenObject = m_room->FindObjectByName(section.getString("HiddenObj"), false);
    m_saveState = !section.hasKey("SaveState") || section.getInt("SaveState") != 0;
    m_activatedSaved = false;
}

void SpyObjAnim::ApplyPlayMode() {
    switch (m_playMode) {
    case MODE_LOOP:
        m_anim.setStartFlags(A_ANIM_LOOP);
        break;
    case MODE_PINGPONG:
        m_anim.setStartFlags(A_ANIM_LOOP | A_ANIM_PINGPONG);
        break;
    default:
        m_anim.setStartFlags(0);
        break;
    }
}

void SpyObjAnim::UnloadResources() {
    SpyObjImage::UnloadResources();
    m_anim.clearFrames();
}

void SpyObjAnim::Init() {
    SpyObjImage::Init();
    m_anim.rewind();
    if (m_playMode != MODE_ONCE) {
        m_anim.play();
        m_started = true;
        return;
    }
    m_started = false;
    m_triggered = false;
    m_anim.setStopped(true);
    if (m_hiddenObject)
        m_hiddenObject->SetState(2, true);
    if (m_activatedSaved) {
        Activate(false, nullptr);
        // Long enough for the whole animation, so that it is restored finished.
        float span = 5.0f;
        if (usableFrameTime(m_anim.getFrameTime()))
            span = std::max(span, float(m_anim.getFrameCount() + 1) * m_anim.getFrameTime());
        Update(span);
    }
}

void SpyObjAnim::Enter() {
    SpyObjImage::Enter();
    if (m_playMode != MODE_ONCE)
        m_anim.rewind();
}

bool SpyObjAnim::IsKindOf(const std::string& key) const {
    return key == "Animation" || SpyObjImage::IsKindOf(key);
}

void SpyObjAnim::Update(float dt) {
    if (!(m_vanishing && m_effectTimer >= 0.0f)) {
        if (m_playMode == MODE_ONCE && !m_anim.isStopped() && !usableFrameTime(m_anim.getFrameTime())) {
            // Played once, it could never reach its end: its hidden object
            // would stay hidden and its vanish never come. It shows its end at once.
            if (m_anim.getFrameCount() > 0)
                m_anim.setFrame(uint16_t(m_anim.getFrameCount() - 1));
            m_anim.setStopped(true);
        } else {
            m_anim.update(dt);
        }
    }
    if (m_playMode == MODE_ONCE && m_started && !m_triggered && m_anim.isLastFrame()) {
        m_triggered = true;
        if (m_hiddenObject)
            m_hiddenObject->SetState(STATE_PRESENT, true);
    }
    SpyObjImage::Update(dt);
}

bool SpyObjAnim::HitTest(int32_t x, int32_t y) const {
    if (m_vanishing)
        return false;
    return alphaHit(m_anim, x, y, m_alphaThreshold);
}

bool SpyObjAnim::IsVanishing() const {
    return m_vanishing || (m_playMode == MODE_ONCE && m_started && !m_anim.isStopped());
}

bool SpyObjAnim::Activate(bool on, SpyObject*) {
    bool answer = false;
    if (m_playMode == MODE_ONCE && !m_started) {
        m_anim.play();
        m_activatedSaved = m_saveState;
        m_started = true;
        answer = true;
    }
    if (on && m_vanish) {
        m_vanishing = true;
        const float length = float(m_anim.getFrameCount()) * m_anim.getFrameTime();
        m_effectTimer = (m_playMode == MODE_ONCE && usableFrameTime(m_anim.getFrameTime())) ? -length : 0.0f;
        SetLinkedState(STATE_TAKEN);
        answer = true;
    }
    return answer;
}

void SpyObjAnim::Draw(uint32_t colour) {
    if (m_state != STATE_PRESENT)
        return;
    if (m_vanishing && m_effectTimer >= 0.0f) {
        drawVanishing(m_anim, *this);
        return;
    }
    const float position[2] = {m_x, m_y};
    const SpyPoint pivot = GetHotspot(HOTSPOT_DRAG, false);
    const float centre[2] = {pivot.x, pivot.y};
    m_anim.draw(position, colour, nullptr, GetDragAngle(), centre);
}

void SpyObjAnim::Save(SaveLoadSystem& system, SaveWriter& record) {
    record.WriteBool(m_activatedSaved);
    record.WriteBool(m_started);
    record.WriteBool(m_triggered);
    const uint16_t frame = m_anim.getFrame();
    record.WriteU8(uint8_t(frame & 0xFF));
    record.WriteU8(uint8_t(frame >> 8));
    record.WriteBool(!m_anim.isStopped());
    SpyObjImage::Save(system, record);
}

void SpyObjAnim::Load(SaveLoadSystem& system, SaveReader& record) {
    bool activatedSaved = false, started = false, triggered = false, playing = false;
    uint8_t low = 0, high = 0;
    record.ReadBool(activatedSaved);
    record.ReadBool(started);
    record.ReadBool(triggered);
    record.ReadU8(low);
    record.ReadU8(high);
    record.ReadBool(playing);
    if (!record.IsOk() || record.GetRemaining() < SpyObject::kRecordSize) {
        a_log("SpyObjAnim::Load - bad record of object '%s', not taken", m_name.c_str());
        return;
    }
    SpyObjImage::Load(system, record);
    m_activatedSaved = activatedSaved;
    m_started = started;
    m_triggered = triggered;
    m_anim.setFrame(uint16_t(low | high << 8));
    if (playing) {
        // play() starts from the frame set.
        m_anim.play();
    } else {
        m_anim.setStopped(true);
    }
}

// ---------------------------------------------------------------- SpyObjButterfly

SpyObjButterfly::SpyObjButterfly(SpyRoom* room, const std::string& name) : SpyObjAnim(room, name) {}

void SpyObjButterfly::Create(const aOptionsFile& section) {
    SpyObjAnim::Create(section);
    m_baseFrameTime = m_anim.getFrameTime();
    m_movingFrameTime = m_baseFrameTime;
    if (section.hasKey("MPS")) {
        const int mps = section.getInt("MPS");
        if (mps > 0)
            m_movingFrameTime = 1.0f / float(mps);
        else
            a_log("SpyObjButterfly::Create - moving rate %d of object '%s' is not above 0, the frame rate's "
                  "taken",
                  mps, m_name.c_str());
    }
    readRange(section, "IdleTime", m_idleRange);
    m_varFrames = section.hasKey("VarFrames") ? section.getInt("VarFrames") : 0;
    if (m_varFrames < 0) {
        a_log("SpyObjButterfly::Create - VarFrames %d of object '%s' is below 0, read as 0", m_varFrames,
              m_name.c_str());
        m_varFrames = 0;
    }
    // More than the frames there are changes nothing.
    m_varFrames = std::min(m_varFrames, 65535);
}

void SpyObjButterfly::Init() {
    m_playMode = MODE_LOOP;
    ApplyPlayMode();
    SpyObjAnim::Init();
    m_anim.setStopped(true);
    m_idleDuration = randomIn(m_idleRange);
    m_idleTimer = 0.0f;
}

bool SpyObjButterfly::IsKindOf(const std::string& key) const {
    return key == "Butterfly" || SpyObjAnim::IsKindOf(key);
}

void SpyObjButterfly::Update(float dt) {
    SpyObjAnim::Update(dt);
    if (m_state != STATE_PRESENT || IsVanishing())
        return;
    if (m_anim.isStopped()) {
        m_idleTimer += dt;
        if (m_idleTimer < m_idleDuration)
            return;
        const float t = a_randRange(m_baseFrameTime, m_movingFrameTime);
        if (usableFrameTime(t))
            m_anim.setFrameTime(t);
        m_anim.setStartFlags((m_anim.getStartFlags() & A_ANIM_REVERSE) ? 0u : uint32_t(A_ANIM_REVERSE));
        m_anim.play();
        m_idleDuration = randomIn(m_idleRange);
        m_idleTimer = 0.0f;
        return;
    }
    const int32_t r = a_rand() % (m_varFrames + 1);
    const int32_t frame = m_anim.getFrame();
    if (!(m_anim.getFlags() & A_ANIM_REVERSE)) {
        if (frame >= int32_t(m_anim.getFrameCount()) - r)
            m_anim.setStopped(true);
    } else if (frame < r) {
        m_anim.setStopped(true);
    }
}

// ---------------------------------------------------------------- SpyObjLoveBirds

bool SpyObjOccasional::Activate(bool on, SpyObject*) {
    if (!on)
        return false;
    stopSound(m_sound);
    m_effectTimer = 0.0f;
    m_vanishing = true;
    return true;
}

void SpyObjOccasional::SetHighlight(bool on) {
    if (on)
        m_occurrenceCountdown = 0.0f;
    SpyObject::SetHighlight(on);
}

void SpyObjOccasional::Leave() {
    stopSound(m_sound);
    SpyObject::Leave();
}

SpyObjLoveBirds::SpyObjLoveBirds(SpyRoom* room, const std::string& name) : SpyObjOccasional(room, name) {}

SpyObjLoveBirds::~SpyObjLoveBirds() = default;

void SpyObjLoveBirds::Create(const aOptionsFile& section) {
    SpyObject::Create(section);
    for (int32_t i = 0; i < kPhases; ++i) {
        const std::string params = a_format("Anim%dParams", {i});
        int w = 0, h = 0, count = 1;
        float fps = 0.0f;
        if (!section.hasKey(params) ||
            std::sscanf(section.getString(params).c_str(), "%d %d %d %f", &w, &h, &count, &fps) != 4)
            a_log("SpyObjLoveBirds::Create - '%s' of object '%s' missing or bad", params.c_str(),
                  m_name.c_str());
        count = checkedFrameCount(count, "SpyObjLoveBirds::Create", m_name);
        fps = checkedFps(fps, "SpyObjLoveBirds::Create", m_name);
        aImage* image = roomImage(m_room, a_format("%s_%d", {m_name, i}));
        m_anims[i].setFramesFromGrid(image, nullptr, uint16_t(std::clamp(w, 0, 32767)),
                                     uint16_t(std::clamp(h, 0, 32767)), uint16_t(count));
        m_anims[i].setFrameTime(1.0f / fps);
        // The middle phase loops until its loop time is over; the others play once.
        m_anims[i].setStartFlags(i == 1 ? uint32_t(A_ANIM_LOOP) : 0u);
        m_offsets[i] = SpyPoint{0.0f, 0.0f};
        const std::string xy = a_format("Anim%dxy", {i});
        if (section.hasKey(xy))
            SpyReadPoint(section.getString(xy), m_offsets[i]);
    }
    readRange(section, "LoopTime", m_loopRange);
    readRange(section, "OccurenceTime", m_occurrenceRange);
    m_sound = roomSound(m_room, m_name);
    m_base = SpyPoint{m_x, m_y};
}

void SpyObjLoveBirds::UnloadResources() {
    SpyObject::UnloadResources();
    for (aAnim& anim : m_anims)
        anim.clearFrames();
    m_sound = nullptr;
}

void SpyObjLoveBirds::Init() {
    SpyObject::Init();
    Reset();
}

void SpyObjLoveBirds::Reset() {
    m_anims[0].rewind();
    m_anims[0].setStopped(true);
    m_phase = 0;
    m_loopCountdown = randomIn(m_loopRange);
    m_occurrenceCountdown = randomIn(m_occurrenceRange);
}

void SpyObjLoveBirds::Update(float dt) {
    SpyObject::Update(dt);
    if (m_state == STATE_PRESENT && !m_vanishing) {
        aAnim& anim = m_anims[m_phase];
        if (anim.isStopped()) {
            m_occurrenceCountdown -= dt;
            if (m_occurrenceCountdown <= 0.0f) {
                if (m_sound)
                    m_sound->play(false, -1.0f, -2.0f);
                m_anims[0].play();
            }
        } else {
            bool stop = false;
            if (m_phase == 1) {
                m_loopCountdown -= dt;
                stop = m_loopCountdown <= 0.0f;
            }
            if (stop)
                anim.setStopped(true);
            else
                anim.update(dt);
            if (anim.isStopped()) {
                if (m_phase < kPhases - 1) {
                    ++m_phase;
                    m_anims[m_phase].rewind();
                    m_anims[m_phase].play();
                } else {
                    Reset();
                }
            }
        }
    }
    m_x = m_offsets[m_phase].x + m_base.x;
    m_y = m_offsets[m_phase].y + m_base.y;
}

bool SpyObjLoveBirds::HitTest(int32_t x, int32_t y) const {
    if (m_phase != 1 || m_vanishing)
        return false;
    return alphaHit(m_anims[1], x, y, m_alphaThreshold);
}

void SpyObjLoveBirds::Draw(uint32_t colour) {
    if (m_state != STATE_PRESENT)
        return;
    const aAnim& anim = m_anims[m_phase];
    if (m_vanishing) {
        drawVanishing(anim, *this);
        return;
    }
    const float position[2] = {m_x, m_y};
    anim.draw(position, colour);
}

// ---------------------------------------------------------------- SpyObjCoupleDancing

SpyObjCoupleDancing::SpyObjCoupleDancing(SpyRoom* room, const std::string& name)
    : SpyObjOccasional(room, name) {}

SpyObjCoupleDancing::~SpyObjCoupleDancing() = default;

void SpyObjCoupleDancing::Create(const aOptionsFile& section) {
    SpyObject::Create(section);
    int w = 0, h = 0, count = 1, fps = 0;
    if (!section.hasKey("AnimParams") ||
        std::sscanf(section.getString("AnimParams").c_str(), "%d %d %d %d", &w, &h, &count, &fps) != 4)
        a_log("SpyObjCoupleDancing::Create - 'AnimParams' of object '%s' missing or bad", m_name.c_str());
    count = checkedFrameCount(count, "SpyObjCoupleDancing::Create", m_name);
    const float rate = checkedFps(float(fps), "SpyObjCoupleDancing::Create", m_name);
    m_anim.setFramesFromGrid(roomImage(m_room, m_name), nullptr, uint16_t(std::clamp(w, 0, 32767)),
                             uint16_t(std::clamp(h, 0, 32767)), uint16_t(count));
    m_anim.setFrameTime(1.0f / rate);
    m_anim.setStartFlags(0); // once per appearance
    readRange(section, "OccurenceTime", m_occurrenceRange);
    m_sound = roomSound(m_room, m_name);
}

void SpyObjCoupleDancing::UnloadResources() {
    SpyObject::UnloadResources();
    m_anim.clearFrames();
    m_sound = nullptr;
}

void SpyObjCoupleDancing::Init() {
    SpyObject::Init();
    m_anim.rewind();
    m_anim.setStopped(true);
    m_occurrenceCountdown = randomIn(m_occurrenceRange);
}

void SpyObjCoupleDancing::Update(float dt) {
    SpyObject::Update(dt);
    if (m_state != STATE_PRESENT)
        return;
    if (!m_vanishing)
        m_anim.update(dt);
    if (!m_anim.isStopped())
        return;
    m_occurrenceCountdown -= dt;
    if (m_occurrenceCountdown <= 0.0f) {
        m_anim.rewind();
        m_anim.play();
        m_occurrenceCountdown = randomIn(m_occurrenceRange);
        if (m_sound)
            m_sound->play(false, -1.0f, -2.0f);
    }
}

bool SpyObjCoupleDancing::HitTest(int32_t x, int32_t y) const {
    if (m_vanishing || m_anim.isStopped())
        return false;
    return alphaHit(m_anim, x, y, m_alphaThreshold);
}

void SpyObjCoupleDancing::Draw(uint32_t colour) {
    if (m_state != STATE_PRESENT)
        return;
    if (m_vanishing && m_effectTimer >= 0.0f) {
        drawVanishing(m_anim, *this);
        return;
    }
    const float position[2] = {m_x, m_y};
    m_anim.draw(position, colour);
}
