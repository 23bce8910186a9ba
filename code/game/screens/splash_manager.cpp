#include "game/screens/splash_manager.h"

#include "mirel/base/a_math.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/util/a_optionsfile.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr int kFormat16 = 23; // R5G6B5
constexpr int kFormat32 = 21; // A8R8G8B8
constexpr uint32_t kKeySpace = 57;
constexpr uint32_t kKeyEscape = 1;
constexpr uint32_t kPressed = 2;

// A hexadecimal ARGB colour; anything else is opaque black.
uint32_t parseColor(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(begin, &end, 16);
    if (end == begin || errno != 0 || v > 0xFFFFFFFFull || text.find('-') != std::string::npos)
        return kBlack;
    return uint32_t(v);
}

// Decimal seconds; missing, unreadable, negative or not finite: 0.
float parseSeconds(const std::string& text) {
    const float v = std::strtof(text.c_str(), nullptr);
    return std::isfinite(v) && v > 0.0f ? v : 0.0f;
}

// The folder part of a path, with its separator ("home:splashscreens/").
std::string folderOf(const std::string& path) {
    const size_t cut = path.find_last_of("/\\:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

} // namespace

SplashManager::SplashManager(const std::string& path, aInputServer* input) : m_input(input) {
    aOptionsFile file(path);
    const std::string folder = folderOf(path);
    for (size_t i = 0; file.selectSection(i); ++i) {
        if (file.getSectionName() != "splash")
            continue;
        Entry e;
        e.image = folder + file.getString("image");
        e.centered = file.getInt("centered") != 0;
        e.fadeInColor = parseColor(file.getString("fadeincolor"));
        e.fadeOutColor = parseColor(file.getString("fadeoutcolor"));
        e.fadeInTime = parseSeconds(file.getString("fadeintime"));
        e.fadeOutTime = parseSeconds(file.getString("fadeouttime"));
        e.skip = file.getInt("skip");
        e.showTime = parseSeconds(file.getString("showtime"));
        m_entries.push_back(std::move(e));
    }
}

SplashManager::~SplashManager() = default;

void SplashManager::SetClearColor(uint32_t argb) const {
    if (aGraphServer* gs = aImage::getGraphServer())
        gs->setClearColor(argb);
}

void SplashManager::Enter(int32_t index) {
    m_current = index;
    m_working = m_entries[size_t(index)];
    m_fadeInTotal = m_working.fadeInTime;
    m_fadeOutTotal = m_working.fadeOutTime;
    m_picture.load(m_working.image, kFormat16, kFormat32);
    m_alpha = 0.0f;
    SetClearColor(m_working.fadeInColor);
}

void SplashManager::Start(bool on) {
    if (on) {
        if (m_entries.empty())
            return;
        Enter(0);
        return;
    }
    m_current = -1;
    SetClearColor(kBlack);
    m_picture.unload();
}

bool SplashManager::SkipRequested() const {
    aInputServer* input = m_input;
    if (!input) {
        if (aGraphHost* host = a_graphHost())
            input = host->getInputServer();
    }
    if (!input)
        return false;
    for (uint32_t b = 0; b < aInputServer::BUTTON_COUNT; ++b) {
        if (input->getButtonState(b) == kPressed)
            return true;
    }
    return input->getKeyState(kKeySpace) == kPressed || input->getKeyState(kKeyEscape) == kPressed;
}

bool SplashManager::Update(float dt) {
    if (m_current < 0)
        return false;
    Entry& w = m_working;
    if (w.fadeInTime > 0.0f) {
        w.fadeInTime -= dt;
        if (w.fadeInTime >= 0.0f) {
            m_alpha = 1.0f - w.fadeInTime / m_fadeInTotal;
            SetClearColor(w.fadeInColor);
            return true;
        }
    }
    if (w.showTime > 0.0f) {
        w.showTime -= dt;
        m_alpha = 1.0f;
        SetClearColor(w.fadeInColor);
        if (w.skip != 0 && SkipRequested()) {
            w.showTime = 0.0f;
            w.fadeInTime = 0.0f;
            if (w.skip == 2)
                m_current = int32_t(m_entries.size()) - 1;
        }
        return true;
    }
    if (w.fadeOutTime > 0.0f) {
        w.fadeOutTime -= dt;
        if (w.fadeOutTime >= 0.0f) {
            // The working copy is the entry that fades, also after a skip to the end.
            m_alpha = w.fadeOutTime / m_fadeOutTotal;
            SetClearColor(w.fadeOutColor);
            return true;
        }
    }
    if (m_current + 1 >= int32_t(m_entries.size())) {
        Start(false);
        return false;
    }
    Enter(m_current + 1);
    return true;
}

void SplashManager::Draw() {
    if (m_current < 0)
        return;
    aGraphServer* gs = aImage::getGraphServer();
    if (!gs || !gs->beginScene())
        return;
    const uint32_t colour = whiteWithAlpha(m_alpha);
    const float sw = float(gs->getBackBufferWidth());
    const float sh = float(gs->getBackBufferHeight());
    const int32_t pw = int32_t(m_picture.getWidth());
    const int32_t ph = int32_t(m_picture.getHeight());
    if (pw > 0 && ph > 0) {
        if (m_working.centered) {
            m_picture.drawAt(float((int32_t(sw) - pw) / 2), float((int32_t(sh) - ph) / 2), colour);
        } else {
            const float scale[2] = {sw / float(pw), sh / float(ph)};
            m_picture.drawAt(0.0f, 0.0f, colour, scale);
        }
    }
    gs->endScene();
}
