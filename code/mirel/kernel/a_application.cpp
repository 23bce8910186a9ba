#include "mirel/kernel/a_application.h"

#include <cstdio>

aApplication* aApplication::ms_instance = nullptr;
const char* aApplication::ms_commandLine = nullptr;
aPlatformRect aApplication::ms_workArea;

std::string a_errorText(int32_t code, const std::string& userFolder, const std::string& crashMessage) {
    switch (code) {
    case A_ERROR_LOG_OPEN:
        return "Game error. Please reinstall.";
    case A_ERROR_FILE_NOT_FOUND:
    case A_ERROR_LOADER_FAILED:
        return "Could not load required media.";
    case A_ERROR_DRIVER:
        return "A serious problem occurred with the display driver.\nPlease install latest drivers.";
    case A_ERROR_NO_D3D:
    case A_ERROR_NO_DEVICE:
        return "Could not initialize Direct3D.\nTo solve this problem you may want to check that the\n"
               "latest version of DirectX and latest version of drivers\nfor your video card are correctly "
               "installed.";
    case A_ERROR_CRASH: {
        std::string text = "Critical error. File \"crash.dmp\" has been saved to \n\"" + userFolder + "\"\n";
        if (!crashMessage.empty()) {
            text += crashMessage;
            std::string out;
            for (size_t i = 0; i < text.size(); ++i) {
                if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
                    out += '\n';
                    ++i;
                } else {
                    out += text[i];
                }
            }
            text = out;
        }
        return text;
    }
    default:
        return "Unknown error. Please reinstall or contact user support.";
    }
}

std::string a_gameFolder(const std::string& company, const std::string& product) {
    return (company.empty() ? std::string() : company + "/") + product + "/";
}

uint32_t a_paceSleepMs(float elapsed, float target) {
    if (!(elapsed < target)) {
        return 0;
    }
    return static_cast<uint32_t>((target - elapsed) * 1000.0f);
}

uint32_t a_vsyncSleepMs(float elapsed, uint32_t refreshRate) {
    uint32_t hz = refreshRate & 0xffffu;
    if (hz == 0) {
        hz = 60; // unknown rate: the common one rather than a division by zero
    }
    return a_paceSleepMs(elapsed, 1.0f / static_cast<float>(hz));
}

bool a_isAltEnter(uint32_t leftAlt, uint32_t rightAlt, uint32_t enter) {
    bool alt = leftAlt >= 2 || rightAlt >= 2;
    return alt && enter == 2;
}

bool a_hasAltEnterPress(const std::vector<aKeyPress>& presses) {
    for (const aKeyPress& press : presses) {
        if (press.scanCode == A_KEY_RETURN && (press.modifiers & A_KEYMOD_ALT)) {
            return true;
        }
    }
    return false;
}
