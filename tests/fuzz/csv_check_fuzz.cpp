// Whatever HistData leaves at FILENAME, the request either accepts a file with the header and
// data, or fails and leaves no file of that hour behind.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/files.h"
#include "core/text.h"
#include "fake_dde.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static hdq::test::DdeFormHarness* harness = new hdq::test::DdeFormHarness();
    std::string content(reinterpret_cast<const char*>(data), size);
    harness->channel.csvContents = {content};
    bool ok = harness->RequestHour();
    const std::string csv = harness->CsvPathOf("2009032514.CSV");
    bool exists = hdq::fsys::Exists(csv);
    if (ok) {
        if (!exists) std::abort();
        std::string upper = hdq::ToUpper(content.substr(0, content.find_first_of("\r\n")));
        if (upper.find("$DATE,$TIME,") == std::string::npos) std::abort();
    } else if (exists) {
        std::abort();
    }
    hdq::fsys::DeleteFile(csv);
    return 0;
}
