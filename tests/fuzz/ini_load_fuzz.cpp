// The INI reader takes any file without crashing, and whatever it loaded survives a save and
// a second load unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/shared.h"
#include "core/files.h"
#include "test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const hdq::test::TempFolder folder;
    const std::string path = folder / "fuzz.ini";
    hdq::fsys::WriteAll(path, std::string(reinterpret_cast<const char*>(data), size));
    hdq::VRXConfiguration config;
    config.setPath(path);
    config.DefineTree("LAST_RUN", "01-01-2011 00:00:00");
    config.DefineTree("VERBOSITY", "0");
    if (!config.ReadConfig()) return 0;
    if (!config.SaveConfig()) std::abort();
    hdq::VRXConfiguration reread;
    reread.setPath(path);
    if (!reread.ReadConfig()) std::abort();
    if (reread.Count() != config.Count()) std::abort();
    for (const auto& key : config.Keys()) {
        if (reread.item(key) != config.item(key)) std::abort();
    }
    return 0;
}
