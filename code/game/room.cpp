#include "game/room.h"

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/sound/a_ambientsound.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

uint32_t Room::ms_roomCounter = 0;

namespace {

void playOnce(aSound* own, aSound* defaultSound) {
    if (!defaultSound)
        return;
    (own ? own : defaultSound)->play(false, -1.0f, -2.0f);
}

} // namespace

Room::Room(const std::string& name, aImageManager* images, aSoundManager* sounds, GameServices* game)
    : SaveLoadEntity("r:" + name), m_app(game), m_images(images), m_sounds(sounds), m_name(name),
      m_folder("data:rooms/" + name + "/"), m_index(ms_roomCounter++) {
    a_log("Constructing room [%02d] '%s' ", int(m_index), m_name.c_str());
}

Room::~Room() = default;

void Room::Load(SaveLoadSystem&, SaveReader& record) {
    uint32_t visits = 0;
    if (record.ReadU32(visits))
        m_visitCount = visits;
}

void Room::Save(SaveLoadSystem&, SaveWriter& record) {
    record.WriteU32(m_visitCount);
}

void Room::LoadResources(const aOptionsFile&) {
    if (m_resourcesLoaded)
        return;
    if (m_images)
        m_images->loadList(ImageListPath(), m_name);
    if (m_sounds) {
        m_sounds->loadList(SoundListPath(), m_name);
        m_ambient = std::make_unique<aAmbientSoundSystem>(m_folder + "sounds/ambient.ini", m_sounds, m_name);
        m_enterSound =
            m_sounds->hasSound("room_enter", m_name) ? m_sounds->getSound("room_enter", m_name) : nullptr;
        m_exitSound =
            m_sounds->hasSound("room_exit", m_name) ? m_sounds->getSound("room_exit", m_name) : nullptr;
    }
    m_resourcesLoaded = 1;
}

void Room::UnloadResources() {
    if (!m_resourcesLoaded)
        return;
    m_ambient.reset();
    if (m_images)
        m_images->unloadList(ImageListPath(), m_name);
    if (m_sounds)
        m_sounds->unloadList(SoundListPath(), m_name);
    // They went with the sound group.
    m_enterSound = nullptr;
    m_exitSound = nullptr;
    m_resourcesLoaded = 0;
}

uint32_t Room::GetResourceCount() {
    if (m_resourcesLoaded)
        return 0;
    uint32_t count = 0;
    if (m_images)
        count += uint16_t(m_images->getListSize(ImageListPath()));
    if (m_sounds)
        count += uint16_t(m_sounds->getListSize(SoundListPath()));
    return count;
}

void Room::Reset() {
    m_visitCount = 0;
}

void Room::Update(float dt) {
    m_stayTime += dt;
    if (!m_enterTipDone && m_stayTime >= kEnterTipDelay)
        m_enterTipDone = ShowEnterTip() ? 1 : 0;
}

void Room::Enter(aSound* defaultSound) {
    playOnce(m_enterSound, defaultSound);
    if (m_ambient)
        m_ambient->start();
    ++m_visitCount;
    m_stayTime = 0.0f;
    m_enterTipDone = 0;
}

void Room::Leave(aSound* defaultSound) {
    playOnce(m_exitSound, defaultSound);
    if (m_ambient)
        m_ambient->stop();
}
