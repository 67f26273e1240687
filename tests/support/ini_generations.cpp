#include "ini_generations.h"

namespace hdq::test {

namespace {
std::string TagValue(int i, char which) {
    // B's values are longer, so a B file cut to A's length does not match A either.
    return "FT" + std::to_string(i) + (which == 'A' ? "_first_version" : "_second_version_padded") + "_" +
           std::string(20, which);
}
}  // namespace

std::string GenerationLastRun(char which) { return which == 'A' ? "2011-06-06 10:00:00" : "2011-06-06 11:00:00"; }

void MakeGeneration(VRXConfiguration& config, char which, const std::string& iniPath) {
    config.setPath(iniPath);
    // Same keys in the same order for both versions: only the values tell them apart.
    config.DefineTree("LAST_RUN", GenerationLastRun(which));
    config.DefineTree("DDE_LINKTOPIC", "tagname");
    for (int i = 1; i <= kGenerationTagKeys; ++i) config.DefineTree("TAGNAME_" + std::to_string(i), TagValue(i, which));
    config.DefineTree("KEEP_LOGS_FOR", "7");
}

int SaveGenerationsForever(VRXConfiguration& first, VRXConfiguration& second, const std::function<bool()>& firstSaved) {
    bool signalled = false;
    for (unsigned long n = 0;; ++n) {
        if (!(n % 2 == 0 ? second : first).SaveConfig() || signalled) continue;
        if (!firstSaved()) return 4;
        signalled = true;
    }
}

}  // namespace hdq::test
