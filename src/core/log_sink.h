#pragma once
// Where the lower floors write their log lines. The text logger implements it; a piece that
// only needs to report takes a LogSink, so it depends on no particular logger.
#include <cstdint>
#include <string>

namespace hdq {

class LogSink {
public:
    virtual ~LogSink() = default;
    // Written when the sink's verbosity is at least level (0 always).
    virtual void WriteLog(const std::string& what, int level = 0) = 0;
    virtual int16_t Verbosity() const = 0;
};

}  // namespace hdq
