#include "game/credits/credits_roll.h"

#include "mirel/base/a_log.h"
#include "mirel/base/a_math.h"
#include "mirel/base/a_random.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_server.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>

namespace {

const char* const kGlobal = "Global";
constexpr int32_t kLineHeight = CCreditsLine::kHeight;

// Up to `count` blank-separated numbers; the ones missing or unreadable are 0.
void readNumbers(const std::string& text, double* out, int count) {
    const char* p = text.c_str();
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        const double v = std::strtod(p, &end);
        if (end == p) {
            std::fill(out + i, out + count, 0.0);
            return;
        }
        out[i] = std::isfinite(v) ? v : 0.0;
        p = end;
    }
}

int32_t toInt(double v, int32_t lo = INT32_MIN, int32_t hi = INT32_MAX) {
    return int32_t(std::clamp(std::trunc(v), double(lo), double(hi)));
}

// Seconds, never negative.
float toSeconds(double v) {
    return float(std::clamp(v, 0.0, 1.0e6));
}

} // namespace

CreditsRoll::CreditsRoll(aLocaleServer* locale) : m_locale(locale ? locale : aLocaleServer::getInstance()) {}

CreditsRoll::~CreditsRoll() = default;

void CreditsRoll::Load(aImageManager* images, const std::string& group, const std::string& path) {
    ReadFile(path);
    auto get = [&](const char* name) -> const aImage* {
        return images ? images->getImage(name, group) : nullptr;
    };
    m_background = get("background");
    m_lightPicture = get("light");
    m_pictures.tiles = get("tiles");
    m_pictures.shadow = get("tile_shadow");
    GUI::Server* gui = GUI::Server::getSingletonPtr();
    m_pictures.font = gui ? gui->GetFont("CreditsFont") : nullptr;
    if (!gui)
        a_log("CreditsRoll::Load - no GUI server for the font 'CreditsFont'");

    m_light = Light();
    m_light.current = m_light.target = a_randRange(m_settings.lightAlpha[0], m_settings.lightAlpha[1]);
    m_heap.SetRect(m_settings.heapX, m_settings.heapY, m_settings.heapW, m_settings.heapH);
    Start();
}

void CreditsRoll::ReadFile(const std::string& path) {
    aOptionsFile file(path);
    Settings& s = m_settings;
    s = Settings();
    auto value = [&](const char* key, double* out, int count) {
        readNumbers(file.getValue(kGlobal, key), out, count);
    };
    double v[4];
    value("CenterTitleCoord", v, 2);
    s.titleX = toInt(v[0]);
    s.titleY = toInt(v[1]);
    value("CenterTextCoord", v, 2);
    s.textX = toInt(v[0]);
    s.textY = toInt(v[1]);
    value("HeapRect", v, 4);
    s.heapX = int16_t(toInt(v[0], INT16_MIN, INT16_MAX));
    s.heapY = int16_t(toInt(v[1], INT16_MIN, INT16_MAX));
    s.heapW = uint16_t(toInt(v[2], 0, UINT16_MAX));
    s.heapH = uint16_t(toInt(v[3], 0, UINT16_MAX));
    value("LineSpacingAfterSpeciality", v, 1);
    s.lineSpacingAfterSpeciality = toInt(v[0], -10000, 10000);
    value("LineSpacing", v, 1);
    s.lineSpacing = toInt(v[0], -10000, 10000);
    value("IntervalMoveLetterFromHeap", v, 1);
    s.intervalFromHeap = toSeconds(v[0]);
    value("IntervalMoveLetterToHeap", v, 1);
    s.intervalToHeap = toSeconds(v[0]);
    value("SpeedMoveLetterFromHeap", v, 1);
    s.speedFromHeap = toInt(v[0], 1, 1000000); // a tile always arrives
    value("SpeedMoveLetterToHeap", v, 1);
    s.speedToHeap = toInt(v[0], 1, 1000000);
    value("TimeReposLetter", v, 1);
    s.timeReposLetter = toSeconds(v[0]);
    value("PauseTime", v, 1);
    s.pauseTime = toSeconds(v[0]);
    float* const pairs[3] = {s.lightAlpha, s.lightSpeed, s.lightDelay};
    const char* const pairKeys[3] = {"LightAlpha", "LightSpeed", "LightDelay"};
    for (int i = 0; i < 3; ++i) {
        value(pairKeys[i], v, 2);
        pairs[i][0] = float(v[0]);
        pairs[i][1] = float(v[1]);
    }

    m_screens.clear();
    for (size_t i = 0; file.selectSection(i); ++i) {
        if (file.getSectionName().rfind("Screen", 0) != 0)
            continue;
        CreditsScreen screen;
        bool titled = false;
        auto text = [this](const std::string& key) {
            return m_locale ? m_locale->getString(key) : std::u16string();
        };
        for (file.firstKey(); !file.isKeyEnd(); file.nextKey()) {
            const std::string key = file.getKeyName();
            if (key == "Title" && !titled) {
                screen.title = text(file.getKeyValue());
                titled = true;
            } else if (key == "Text") {
                screen.names.push_back(text(file.getKeyValue()));
            } else if (key == "Speciality") {
                screen.specialities.push_back(text(file.getKeyValue()));
            }
        }
        m_screens.push_back(std::move(screen));
    }
}

void CreditsRoll::FillHeap() {
    m_heap.Clear();
    std::map<char16_t, size_t> most;
    for (const CreditsScreen& screen : m_screens) {
        std::map<char16_t, size_t> counts;
        auto count = [&counts](const std::u16string& line) {
            for (char16_t c : line) {
                if (c != u' ')
                    ++counts[c];
            }
        };
        count(screen.title);
        for (const std::u16string& line : screen.specialities)
            count(line);
        for (const std::u16string& line : screen.names)
            count(line);
        for (const auto& [c, n] : counts)
            most[c] = std::max(most[c], n);
    }
    for (const auto& [c, n] : most) {
        for (size_t i = 0; i < n; ++i)
            m_heap.Add(CLetter(c, uint8_t(a_rand() & 15)), false);
    }
}

void CreditsRoll::Start() {
    FillHeap();
    m_screenIndex = 0;
    m_lines.clear();
    m_previousLines.clear();
    BuildScreen(0);
    m_rollState = BUILD;
    m_lineIndex = 0;
    if (!m_lines.empty())
        m_lines[0]->StartGetLettersFromHeap(m_settings.speedFromHeap, m_settings.intervalFromHeap);
}

void CreditsRoll::BuildScreen(size_t index) {
    if (index >= m_screens.size())
        return;
    const CreditsScreen& screen = m_screens[index];
    m_previousLines = std::move(m_lines);
    m_lines.clear();
    const Settings& s = m_settings;
    const int32_t S = int32_t(screen.specialities.size());
    const int32_t T = int32_t(screen.names.size());
    int32_t H = 0;
    if (S > 0)
        H += (S - 1) * s.lineSpacing + S * kLineHeight;
    if (T > 0)
        H += (T - 1) * s.lineSpacing + s.lineSpacingAfterSpeciality + T * kLineHeight;
    auto add = [this](const std::u16string& text, int32_t x, int32_t y, bool jitter) {
        auto line = std::make_unique<CCreditsLine>();
        line->Init(&m_heap, text, m_previousLines, x, y, jitter);
        m_lines.push_back(std::move(line));
    };
    add(screen.title, s.titleX, s.titleY - kLineHeight / 2, false);
    int32_t y = s.textY - H / 2;
    for (const std::u16string& line : screen.specialities) {
        add(line, s.textX, y, true);
        y += kLineHeight + s.lineSpacing;
    }
    if (S > 0)
        y += s.lineSpacingAfterSpeciality - s.lineSpacing;
    for (const std::u16string& line : screen.names) {
        add(line, s.textX, y, true);
        y += kLineHeight + s.lineSpacing;
    }
    m_lineIndex = 0;
}

void CreditsRoll::NewLightStep(float from, float to) {
    m_light.current = from;
    m_light.target = to;
    m_light.speed = a_randRange(m_settings.lightSpeed[0], m_settings.lightSpeed[1]);
    m_light.delay = a_randRange(m_settings.lightDelay[0], m_settings.lightDelay[1]);
}

void CreditsRoll::UpdateLight(float dt) {
    Light& l = m_light;
    l.delay -= dt;
    if (l.delay > 0.0f)
        return;
    if (l.current <= l.target) {
        l.current += l.speed * dt;
        if (l.current >= l.target)
            NewLightStep(l.target, a_randRange(m_settings.lightAlpha[0], l.target));
    } else {
        l.current -= l.speed * dt;
        if (l.current <= l.target)
            NewLightStep(l.target, a_randRange(l.target, m_settings.lightAlpha[1]));
    }
}

void CreditsRoll::UpdateRoll(float dt) {
    const Settings& s = m_settings;
    switch (m_rollState) {
    case BUILD:
        if (m_lineIndex < m_lines.size() && m_lines[m_lineIndex]->GetState() != CCreditsLine::DONE)
            break;
        ++m_lineIndex;
        if (m_lineIndex >= m_lines.size()) {
            m_rollState = PAUSE;
            m_pauseTimer = 0.0f;
        } else {
            m_lines[m_lineIndex]->StartGetLettersFromHeap(s.speedFromHeap, s.intervalFromHeap);
        }
        break;
    case PAUSE:
        m_pauseTimer += dt;
        if (!(m_pauseTimer > s.pauseTime) || m_screens.empty())
            break;
        m_screenIndex = m_screenIndex + 1 < m_screens.size() ? m_screenIndex + 1 : 0;
        BuildScreen(m_screenIndex);
        for (auto& line : m_previousLines) {
            line->StartReturnToHeap(s.speedToHeap, s.intervalToHeap);
            if (s.intervalToHeap != 0.0f)
                break; // the others follow one after the other
        }
        m_rollState = RETURN;
        break;
    case RETURN:
        if (m_lineIndex < m_previousLines.size()) {
            if (m_previousLines[m_lineIndex]->GetState() != CCreditsLine::DONE)
                break;
            ++m_lineIndex;
            if (m_lineIndex < m_previousLines.size() && s.intervalToHeap != 0.0f)
                m_previousLines[m_lineIndex]->StartReturnToHeap(s.speedToHeap, s.intervalToHeap);
            break;
        }
        if (!m_heap.IsSettled())
            break;
        for (auto& line : m_lines)
            line->StartGetLettersFromPrevLines(s.timeReposLetter);
        m_rollState = REUSE;
        break;
    case REUSE:
        for (auto& line : m_lines) {
            if (line->GetState() == CCreditsLine::PLACING)
                return;
        }
        m_lineIndex = 0;
        m_rollState = BUILD;
        if (!m_lines.empty())
            m_lines[0]->StartGetLettersFromHeap(s.speedFromHeap, s.intervalFromHeap);
        break;
    default:
        break;
    }
}

void CreditsRoll::Update(float dt) {
    UpdateLight(dt);
    for (auto& line : m_previousLines)
        line->Update(dt);
    for (auto& line : m_lines)
        line->Update(dt);
    UpdateRoll(dt);
    m_heap.Update(dt);
}

void CreditsRoll::Draw() {
    aGraphServer* gs = aImage::getGraphServer();
    if (!gs)
        return;
    const float sw = float(gs->getBackBufferWidth());
    const float sh = float(gs->getBackBufferHeight());
    if (m_background && m_background->getWidth() > 0 && m_background->getHeight() > 0) {
        const float scale[2] = {sw / float(m_background->getWidth()), sh / float(m_background->getHeight())};
        m_background->drawAt(0.0f, 0.0f, 0xFFFFFFFFu, scale);
    }
    for (const auto& line : m_previousLines)
        line->DrawShadows(m_pictures);
    for (const auto& line : m_lines)
        line->DrawShadows(m_pictures);
    for (const auto& line : m_previousLines)
        line->DrawTiles(m_pictures);
    for (const auto& line : m_lines)
        line->DrawTiles(m_pictures);
    m_heap.DrawTiles(m_pictures);
    if (m_lightPicture && m_lightPicture->getWidth() > 0) {
        const int32_t mode = gs->getBlendMode();
        gs->setBlendMode(1);
        const float k = sw / float(m_lightPicture->getWidth());
        const float scale[2] = {k, k};
        m_lightPicture->drawAt(0.0f, 0.0f, whiteWithAlpha(m_light.current), scale);
        gs->setBlendMode(mode);
    }
}
