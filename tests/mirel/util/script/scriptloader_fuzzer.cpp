#include "mirel/util/a_scriptloader.h"

#include <cstddef>
#include <cstdint>

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
    NullLoader loader;
    loader.loadBuffer("fuzz.agui", reinterpret_cast<const char*>(data), size);
    return 0;
}
