#pragma once
// Two known versions of a large INI file for the crash-safety test and its saver child: they
// differ in every tag value, in LAST_RUN and in length, so a cut, empty or mixed file can
// never pass for either.
#include <string>
#include "core/configuration.h"
#include "core/files.h"

namespace hdq::test {

inline std::string GenerationLastRun(char which) {
    return which == 'A' ? "2011-06-06 10:00:00" : "2011-06-06 11:00:00";
}

// Fills `config` with every key of version `which` ('A' or 'B') and points it at iniPath. Both
// versions have the same keys in the same order; B's values are longer, so a B file cut to A's
// length does not match A either.
inline void MakeGeneration(VRXConfiguration& config, char which, const std::string& iniPath) {
    config.setPath(iniPath);
    config.DefineTree("LAST_RUN", GenerationLastRun(which));
    const std::string tail = (which == 'A' ? "_first_version_" : "_second_version_padded_") + std::string(20, which);
    for (int i = 1; i <= 2000; ++i) config.DefineTree("TAGNAME_" + std::to_string(i), "FT" + std::to_string(i) + tail);
}

// The saver child: saves B, A, B ... at `ini` until killed, and creates `ready` after its first
// whole save so the test knows the loop is under way. A failed save is passed over, as the
// program passes over one. Returns only when `ready` cannot be made (4).
inline int SaveGenerationsUntilKilled(const std::string& ini, const std::string& ready) {
    VRXConfiguration generations[2];
    MakeGeneration(generations[0], 'A', ini);
    MakeGeneration(generations[1], 'B', ini);
    bool signalled = false;
    for (unsigned long n = 1;; ++n) {
        if (!generations[n % 2].SaveConfig() || signalled) continue;
        if (!fsys::WriteAll(ready, "ready")) return 4;
        signalled = true;
    }
}

}  // namespace hdq::test
