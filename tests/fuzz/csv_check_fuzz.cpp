// Whatever HistData leaves at FILENAME, the request either accepts the file, or fails and leaves
// no file of that hour behind.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/files.h"
#include "fake_dde.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static hdq::test::DdeFormHarness* harness = new hdq::test::DdeFormHarness();
    std::string content(reinterpret_cast<const char*>(data), size);
    harness->channel.csvContents = {content};
    bool ok = harness->RequestHour();
    const std::string csv = harness->CsvPathOf("2009032514.CSV");
    bool exists = hdq::fsys::Exists(csv);
    if (ok != exists) std::abort();
    hdq::fsys::DeleteFile(csv);
    return 0;
}
