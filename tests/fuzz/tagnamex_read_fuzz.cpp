// Any dictionary file reads without crashing, and the cursor walks exactly Count tags, none blank.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/shared.h"
#include "core/files.h"
#include "tagdict/tagnamex.h"
#include "test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool configured = [] {
        hdq::AppConfig().DefineTree("VERBOSITY", "0");
        hdq::AppConfig().DefineTree("VALIDTRENDBYTES", "");
        return true;
    }();
    (void)configured;
    static const hdq::test::TempFolder folder;
    const std::string path = folder / "tagname.x";
    hdq::fsys::WriteAll(path, std::string(reinterpret_cast<const char*>(data), size));
    hdq::TagnameXParser reader;
    reader.ReadTAGNAMEXfile(path);
    int32_t walked = 0;
    for (reader.MoveFirst(); !reader.Eof(); reader.MoveNext()) {
        if (reader.CurrentTAG().empty() || reader.CurrentTAG().size() > 33) std::abort();
        if (reader.CurrentDESCRIPTION().size() > 51) std::abort();
        ++walked;
    }
    if (walked != reader.Count()) std::abort();
    if (size < 1024 && reader.Count() != 0) std::abort();
    return 0;
}
