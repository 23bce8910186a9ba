// Arbitrary bytes as the profiles file: read by the profiles manager, then
// written and read back, which must give the same profiles and settings; a
// file it refuses must be kept beside the new one as it was. Must never crash
// or hang.

#include "fuzz_file.h"

#include "game/profiles/profiles_manager.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzzfile::Scratch scratch("fuzz_profiles_file");
    static const std::string folder = scratch.path + "/";
    static const bool made = ::mkdir(folder.c_str(), 0700) == 0 || true;
    (void)made;
    const std::string file = folder + MakeProfilesFileName("en");
    const std::string kept = file + ".refused";
    fuzzfile::Write(file, data, size);
    const std::vector<uint8_t> written = fuzzfile::Read(file);

    ProfileRecord settings;
    ProfilesManager profiles(settings);
    profiles.SetStorage(folder, folder, "en");
    profiles.LoadProfiles();
    if (::access(kept.c_str(), F_OK) == 0) {
        if (!profiles.GetProfiles().empty() || fuzzfile::Read(kept) != written)
            std::abort();
        std::remove(kept.c_str()); // the next input starts with none kept
    }
    const auto loaded = profiles.GetProfiles();
    const ProfileRecord current = settings;
    profiles.SaveProfiles();

    ProfileRecord again;
    ProfilesManager reread(again);
    reread.SetStorage(folder, folder, "en");
    reread.LoadProfiles();
    // Saving copied the current settings into the selected profile first.
    auto expected = loaded;
    if (profiles.GetSelected() < expected.size())
        expected[profiles.GetSelected()] = current;
    if (reread.GetProfiles() != expected || again.name != current.name ||
        again.soundVolume != current.soundVolume || again.musicVolume != current.musicVolume)
        std::abort();
    return 0;
}
