#pragma once
// Tag names shaped like those of a plant's InTouch dictionary ("FT101_PV", "AREA3.TIC204.SP",
// "U12_LT3045_OUT"): deterministic and free of repeats up to 100,000 names, so that every run
// measures the same keys.
#include <string>
#include <vector>

namespace hdq::bench {

inline std::vector<std::string> PlantTagNames(size_t n) {
    const char* const kInstruments[] = {"FT", "TT", "PT", "LT", "TIC", "FIC", "PIC", "LIC", "XV", "HS", "ZSO", "AI"};
    const char* const kParameters[] = {"PV", "SP", "OUT", "MODE", "ALM_HI", "ALM_LO", "RUN", "FAULT"};
    std::vector<std::string> names;
    for (size_t i = 0; i < n; ++i) {
        const std::string tag = kInstruments[i % 12] + std::to_string(100 + (i / 12) % 9000);
        const std::string parameter = kParameters[(i / 7) % 8];
        if (i % 3 == 0) names.push_back(tag + "_" + parameter);
        if (i % 3 == 1) names.push_back("AREA" + std::to_string(i % 9 + 1) + "." + tag + "." + parameter);
        if (i % 3 == 2) names.push_back('U' + std::to_string(i % 40 + 10) + "_" + tag + "_" + parameter);
    }
    return names;
}

}  // namespace hdq::bench
