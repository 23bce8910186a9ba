#include "mirel/sound/a_soundlibrary.h"

#include "mirel/base/a_log.h"
#include "mirel/platform/audio/a_audio.h"

namespace {
int g_users = 0;
}

void a_soundLibraryAddUser() {
    if (g_users++ == 0) {
        FSOUND_SetHWND(nullptr);
        FSOUND_SetOutput(FSOUND_OUTPUT_DEVICE);
        if (!FSOUND_Init(44100, 64, 3)) {
            a_log("aSound. Cannot start the sound library");
        }
        FSOUND_SetSFXMasterVolume(255);
    }
}

void a_soundLibraryRemoveUser() {
    if (g_users <= 0) {
        return;
    }
    if (--g_users == 0) {
        FSOUND_Close();
    }
}

int a_soundLibraryUsers() {
    return g_users;
}
