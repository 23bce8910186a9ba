#include "game/screens/title_screen.h"

#include "mirel/base/a_math.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/util/a_stringlist.h"
#include "mirel/video/a_theoravideo.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kScreenW = 1024.0f;
constexpr float kScreenH = 768.0f;
constexpr float kMaskTime = 0.09375f; // 0.75 s for eight masks
// The logo: lettering band and body in the picture, placed at (35, 25) and (35, 110).
constexpr int16_t kLogoW = 556;
constexpr int16_t kBandH = 85;
constexpr int16_t kBodyH = 84;
constexpr float kLogoX = 35.0f;
constexpr float kBandY = 25.0f;
constexpr float kBodyY = 110.0f;
const char* const kGroup = "title";

// One integer of 16 bits at p (blanks before it skipped); false when there is none.
bool readInt16(const char*& p, int16_t& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(p, &end, 10);
    if (end == p || errno != 0 || v < INT16_MIN || v > INT16_MAX)
        return false;
    out = int16_t(v);
    p = end;
    return true;
}

} // namespace

TitleScreen::TitleScreen(aImageManager* images, const std::string& signatureFile,
                         const std::string& videoFile)
    : m_video(std::make_unique<aTheoraVideo>()) {
    auto get = [images](const char* name) { return images ? images->getImage(name, kGroup) : nullptr; };
    m_sky = get("sky");
    m_front = get("front");
    m_logo = get("logo");
    m_logoHighlight = get("logo_highlight");
    const char* const cloudNames[3] = {"clouds_layer_1", "clouds_layer_2", "clouds_layer_3"};
    const float cloudY[3] = {135.0f, 0.0f, 0.0f};
    const float cloudSpeed[3] = {1.0f, 2.5f, 4.0f};
    for (int i = 0; i < 3; ++i) {
        m_clouds[i].picture = get(cloudNames[i]);
        m_clouds[i].y = cloudY[i];
        m_clouds[i].speed = cloudSpeed[i];
    }
    for (int i = 0; i < 8; ++i) {
        const std::string name = "mask_" + std::to_string(i + 1);
        m_masks[i] = get(name.c_str());
    }
    m_birdLeft.setFramesFromGrid(get("bird_l"), nullptr, kBirdSize, kBirdSize, kBirdFrames);
    m_birdRight.setFramesFromGrid(get("bird_r"), nullptr, kBirdSize, kBirdSize, kBirdFrames);
    m_birdLeft.setStartFlags(A_ANIM_LOOP);
    m_birdRight.setStartFlags(A_ANIM_LOOP);

    m_video->open(videoFile, true);
    m_signature = ReadSignature(signatureFile);
    m_time = kIntroStart;
    m_flockTimer = a_randRange(2.0f, 5.0f);
}

TitleScreen::~TitleScreen() {
    m_video->close();
}

std::vector<aRect> TitleScreen::ReadSignature(const std::string& path) {
    std::vector<aRect> pieces;
    aStringList lines(path);
    for (lines.begin(); !lines.isEnd(); lines.next()) {
        const char* p = lines.current().c_str();
        int16_t v[4];
        if (readInt16(p, v[0]) && readInt16(p, v[1]) && readInt16(p, v[2]) && readInt16(p, v[3]))
            pieces.emplace_back(v[0], v[1], v[2], v[3]);
    }
    return pieces;
}

void TitleScreen::Restart(bool withIntro) {
    m_time = withIntro ? kIntroStart : 0.0f;
    m_flockTimer = a_randRange(2.0f, 5.0f);
}

void TitleScreen::SpawnFlock() {
    const bool right = (a_rand() & 1) != 0;
    const float centreX = float(318 + a_rand() % 637);
    const float baseAngle = a_randRange(kPi / 6.0f, kPi / 3.0f);
    const int count = a_rand() % 15 + 5;
    const aAnim& source = right ? m_birdRight : m_birdLeft;
    for (int i = 0; i < count; ++i) {
        Bird b;
        b.x = centreX + a_randRange(-20.0f, 20.0f);
        b.y = 300.0f + a_randRange(-20.0f, 20.0f);
        b.depth = a_randRange(0.1f, 0.5f);
        const float speed = (b.depth - 0.1f) * 30.0f / 0.4f + 70.0f;
        const float angle = baseAngle + a_randRange(-kPi / 12.0f, kPi / 12.0f);
        b.vx = std::cos(angle) * speed * (right ? 1.0f : -1.0f);
        b.vy = -std::sin(angle) * speed;
        b.anim = source;
        b.anim.setFrameTime(1.0f / ((b.depth - 0.1f) * 20.0f / 0.4f + 15.0f));
        const uint16_t frames = b.anim.getFrameCount();
        b.anim.setFrame(frames ? uint16_t(a_rand() % frames) : 0);
        b.anim.play();
        m_birds.push_back(std::move(b));
    }
}

void TitleScreen::Update(float dt) {
    m_time += dt;
    for (CloudLayer& c : m_clouds) {
        const float w = c.picture ? float(c.picture->getWidth()) : 0.0f;
        if (w <= 0.0f)
            continue; // nothing to tile
        c.x += c.speed * dt;
        if (c.x > 0.0f)
            c.x -= 2.0f * w;
    }
    for (auto it = m_birds.begin(); it != m_birds.end();) {
        it->x += it->vx * dt;
        it->y += it->vy * dt;
        if (!(it->y > -(float(kBirdSize) * it->depth))) {
            it = m_birds.erase(it);
            continue;
        }
        it->anim.update(dt);
        ++it;
    }
    m_flockTimer -= dt;
    if (m_flockTimer <= 0.0f) {
        m_flockTimer = a_randRange(10.0f, 15.0f);
        SpawnFlock();
    }
    m_video->update(dt);
}

void TitleScreen::Draw() {
    const float videoH = float(m_video->getHeight());
    if (m_sky && m_sky->getHeight() > 0) {
        const float scale[2] = {1.0f, (kScreenH - videoH) / float(m_sky->getHeight())};
        m_sky->drawAt(0.0f, 0.0f, 0xFFFFFFFFu, scale);
    }
    const float two[2] = {2.0f, 2.0f};
    for (const CloudLayer& c : m_clouds) {
        if (!c.picture || c.picture->getWidth() == 0)
            continue;
        const float step = 2.0f * float(c.picture->getWidth()) - 1.0f;
        for (float x = c.x; x < kScreenW; x += step)
            c.picture->drawAt(x, c.y, 0xFFFFFFFFu, two);
    }
    for (const Bird& b : m_birds) {
        const uint32_t colour = whiteWithAlpha((b.depth - 0.1f) / 0.4f * 0.9f + 0.1f) & 0xFF000000u;
        const float pos[2] = {b.x, b.y};
        const float scale[2] = {b.depth, b.depth};
        b.anim.draw(pos, colour, scale);
    }
    m_video->draw(0.0f, kScreenH - videoH);
    if (m_front)
        m_front->drawAt(0.0f, 0.0f);

    const float t = m_time;
    if (t < 0.0f || !m_logo)
        return;
    if (t > kIntroEnd && m_logoHighlight)
        m_logoHighlight->drawAt(kLogoX, kBandY, whiteWithAlpha(std::fmin(t - kIntroEnd, 1.0f)));
    float s = 1.0f, alpha = 1.0f;
    if (t < kIntroEnd) {
        s = 0.9f + t * 0.1f * 0.25f;
        alpha = t * 0.25f;
    }
    const float bodyScale[2] = {s, s};
    const aRect body(0, kBandH, kLogoW, kBodyH);
    const float bodyPos[2] = {(1.0f - s) * float(kLogoW) * 0.5f + kLogoX,
                              (1.0f - s) * float(kBodyH) * 0.5f + kBodyY};
    m_logo->draw(bodyPos, &body, whiteWithAlpha(alpha), bodyScale, 0.0f, nullptr, true);

    const float lettering = t - 1.0f;
    if (lettering > 0.0f) {
        if (lettering >= 3.0f || m_signature.empty()) {
            m_logo->drawRectAtInt(int16_t(kLogoX), int16_t(kBandY), aRect(0, 0, kLogoW, kBandH));
        } else {
            const size_t n = size_t(float(m_signature.size()) * lettering / 3.0f);
            for (size_t i = 0; i < n && i < m_signature.size(); ++i) {
                const aRect& r = m_signature[i];
                const float pos[2] = {float(r.x) + kLogoX, float(r.y) + kBandY};
                m_logo->draw(pos, &r, 0xFFFFFFFFu, nullptr, 0.0f, nullptr, true);
            }
        }
    }
}

void TitleScreen::DrawMasks() {
    if (m_time >= 0.0f)
        return;
    const float k = -m_time / kMaskTime;
    const int n = int(k);
    for (int i = 0; i < 8 && i <= n; ++i) {
        aImage* mask = m_masks[i];
        if (!mask || mask->getWidth() == 0 || mask->getHeight() == 0)
            continue;
        const float alpha = i < n ? 1.0f : k - float(n);
        const float scale[2] = {kScreenW / float(mask->getWidth()), kScreenH / float(mask->getHeight())};
        mask->drawAt(0.0f, 0.0f, whiteWithAlpha(alpha), scale);
    }
}
