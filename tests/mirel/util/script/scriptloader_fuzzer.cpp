// Arbitrary bytes as a script; lines "#--file--" split the input into the
// files it may include as "fz:1", "fz:2", ... (support/fuzz_files.h).
#include "mirel/util/a_scriptloader.h"

#include "support/fuzz_files.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

class NullLoader : public aScriptLoader {
protected:
    void* onSectionBegin(void* parent, const aTokens& tokens) override {
        // skip every block whose header has an odd number of tokens
        return tokens.size() % 2 ? nullptr : (parent ? parent : this);
    }
    void onSectionEnd(void*) override {}
    void onSectionLine(void*, const aTokens&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // includes are followed: keep away from device files that never end
    if (text.find("/dev") != std::string_view::npos || text.find("/proc") != std::string_view::npos) {
        return 0;
    }
    static FuzzFiles files("script");
    const std::vector<std::string> parts = files.write(data, size);
    NullLoader loader;
    loader.loadBuffer("fz:0", parts[0].data(), parts[0].size());
    return 0;
}
