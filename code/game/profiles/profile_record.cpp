#include "game/profiles/profile_record.h"

ProfileRecord g_currentSettings;
