#pragma once
// Shared pieces of the sound tests: a manual output, generated tone files in
// the test's scratch folder and a log capture.

#include "mirel/base/a_log.h"
#include "mirel/platform/audio/a_audio.h"
#include "mirel/platform/audio/a_audiooutput.h"
#include "soundgen.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace soundtest {

// A folder of the running test's own: test cases may run side by side.
inline std::string scratch(const std::string& name) {
    const char* root = std::getenv("MIREL_TEST_TMP");
    std::filesystem::path dir = root ? root : std::filesystem::temp_directory_path() / "mirel-sound-tests";
    if (const auto* test = ::testing::UnitTest::GetInstance()->current_test_info()) {
        dir /= std::string(test->test_suite_name()) + "." + test->name();
    }
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

// A constant level: every sample is `amplitude`, so mixed values are easy to predict.
inline soundgen::Tone level(double amplitude, double seconds, int rate = 44100) {
    soundgen::Tone t;
    t.frequency = 0;
    t.amplitude = amplitude;
    t.seconds = seconds;
    t.rate = rate;
    return t;
}

inline std::string writeTone(const std::string& name, const soundgen::Tone& tone,
                             soundgen::Format format = soundgen::Format::Wav) {
    std::string path = scratch(name);
    EXPECT_TRUE(soundgen::writeFile(tone, format, path)) << path;
    return path;
}

inline void writeText(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

// Mixed frames are 16-bit; levels compare as fractions of full scale.
inline double left(const std::vector<int16_t>& b, size_t frame) {
    return b.at(frame * 2) / 32767.0;
}
inline double right(const std::vector<int16_t>& b, size_t frame) {
    return b.at(frame * 2 + 1) / 32767.0;
}

// Every mixer the test starts renders through a manual output.
struct ManualOutput {
    ManualOutput() { aManualAudioOutput::install(); }
    ~ManualOutput() {
        FSOUND_Close();
        a_setAudioOutputFactory(nullptr);
    }
    static const std::vector<int16_t>& mix(int frames) {
        aManualAudioOutput* out = aManualAudioOutput::current();
        EXPECT_NE(out, nullptr);
        static const std::vector<int16_t> none;
        return out ? out->mix(frames) : none;
    }
};

} // namespace soundtest
