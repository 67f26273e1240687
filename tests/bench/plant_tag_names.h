#pragma once
// Tag names shaped like those of a plant's InTouch dictionary: instrument letters, loop
// numbers and a parameter, sometimes under an area or unit prefix ("FT101_PV",
// "AREA3.TIC204.SP", "U12_LT3045_OUT"). Deterministic, so every run measures the same keys.
#include <cstddef>
#include <string>
#include <vector>

namespace hdq::bench {

inline std::vector<std::string> PlantTagNames(size_t n) {
    static const char* const kInstruments[] = {"FT", "TT", "PT", "LT", "TIC", "FIC", "PIC", "LIC", "XV", "HS", "ZSO", "AI"};
    static const char* const kParameters[] = {"PV", "SP", "OUT", "MODE", "ALM_HI", "ALM_LO", "RUN", "FAULT"};
    std::vector<std::string> names;
    names.reserve(n);
    for (size_t i = 0; names.size() < n; ++i) {
        const std::string instrument = kInstruments[i % 12];
        const std::string loop = std::to_string(100 + (i / 12) % 9000);
        const std::string parameter = kParameters[(i / 7) % 8];
        switch (i % 3) {
            case 0: names.push_back(instrument + loop + "_" + parameter); break;
            case 1: names.push_back("AREA" + std::to_string(i % 9 + 1) + "." + instrument + loop + "." + parameter); break;
            default: names.push_back("U" + std::to_string(i % 40 + 10) + "_" + instrument + loop + "_" + parameter); break;
        }
    }
    return names;
}

}  // namespace hdq::bench
