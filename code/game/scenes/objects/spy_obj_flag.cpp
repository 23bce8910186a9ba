#include "game/scenes/objects/spy_obj_flag.h"

#include "game/scenes/objects/spy_object_factory.h"
#include "game/scenes/spy_values.h"
#include "mirel/base/a_log.h"
#include "mirel/gfx/a_distortiongrid.h"
#include "mirel/util/a_optionsfile.h"

#include <cmath>
#include <cstdlib>

namespace {

[[maybe_unused]] const bool g_registered =
    SpyObjectFactory::Instance().Register("Flag", &SpyObjectFactory::Create<SpyObjFlag>);

constexpr float kPi = 3.1415927f;
constexpr uint32_t kRows = 2;

} // namespace

SpyObjFlag::SpyObjFlag(SpyRoom* room, const std::string& name) : SpyObjDistortion(room, name) {}

SpyObjFlag::~SpyObjFlag() = default;

void SpyObjFlag::Create(const aOptionsFile& section) {
    m_rightMount = std::atoi(section.getString("RightMount").c_str()) != 0;
    m_horAmplitude = SpyReadFloat(section.getString("HorAmplitude"));
    m_verAmplitude = SpyReadFloat(section.getString("VerAmplitude"));
    m_periodsCount = SpyReadFloat(section.getString("PeriodsCount"));
    m_loopTime = SpyReadFloat(section.getString("LoopTime"));
    if (!(m_loopTime > 0.0f)) {
        a_log("SpyObjFlag::Create - LoopTime of object '%s' is not above 0, 1 is used", m_name.c_str());
        m_loopTime = kDefaultLoopTime;
    }
    if (!m_dist) {
        const int columns = section.getInt("DistColsCount");
        m_dist = std::make_unique<aDistortionGrid>(uint32_t(columns > 0 ? columns : 0), kRows);
    }
    m_phase = 0.0f;
    SpyObjDistortion::Create(section);
}

bool SpyObjFlag::IsKindOf(const std::string& key) const {
    return key == "Flag" || SpyObjDistortion::IsKindOf(key);
}

void SpyObjFlag::Update(float dt) {
    SpyObjDistortion::Update(dt);
    if (m_vanishing || !m_dist)
        return;
    m_phase = std::fmod(m_phase + dt / m_loopTime * 2.0f * kPi, 2.0f * kPi);
    if (!std::isfinite(m_phase))
        m_phase = 0.0f;
    const uint32_t columns = m_dist->getColumns();
    const uint32_t mounted = m_rightMount ? columns - 1 : 0;
    for (uint32_t c = 0; c < columns; ++c) {
        if (c == mounted)
            continue;
        const float a = m_periodsCount * 2.0f * kPi * float(c) / float(columns) + m_phase;
        const float dx = std::cos(a) * m_horAmplitude, dy = std::sin(a) * m_verAmplitude;
        for (uint32_t r = 0; r < m_dist->getRows() && r < kRows; ++r)
            m_dist->setVertex(c, r, dx, dy, 0);
    }
}
