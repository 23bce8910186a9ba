#include "game/profile_record.h"

ProfileRecord g_currentSettings;
