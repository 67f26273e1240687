#include <optional>
#include <string>
#include <string_view>

#include "core/file_checks.h"
#include "core/error.h"
#include "core/files.h"
#include "core/text.h"
#include "histdata/frmdde.h"

namespace hdq {
namespace {

constexpr long kInputPastEnd = 62;
constexpr size_t kMinDataLineLength = 5;
constexpr std::string_view kHeader = "$date,$time,";

// Text lines as HistData writes them: a line ends at CR or CR LF, which is not part of it.
class LineReader {
public:
    explicit LineReader(std::string content) : content_(std::move(content)) {}
    bool AtEnd() const { return pos_ >= content_.size(); }
    std::string Next() {
        if (AtEnd()) throw VrxError(kInputPastEnd, "Input past end of file");
        const size_t end = content_.find('\r', pos_);
        std::string line;
        if (end == std::string::npos) {
            line = content_.substr(pos_);
            pos_ = content_.size();
        } else {
            line = content_.substr(pos_, end - pos_);
            pos_ = end + 1;
            if (pos_ < content_.size() && content_[pos_] == '\n') ++pos_;
        }
        return line;
    }

private:
    std::string content_;
    size_t pos_ = 0;
};

LineReader OpenCsv(const std::string& path) {
    OsError e;
    std::optional<std::string> content = fsys::ReadAll(path, &e);
    if (!content) throw VrxError(e.number ? e.number : err::FileNotFound, e.text.empty() ? "File not found" : e.text);
    return LineReader(std::move(*content));
}

}  // namespace

bool FrmDDE::CheckFileExist() {
    try {
        Log("Start Check File Exist=" + csvPath_, 2);
        if (!FileExists(csvPath_, log_)) return false;

        LineReader csv = OpenCsv(csvPath_);
        std::string first = Trim(csv.Next());
        Log("First line: " + first + ", len: " + std::to_string(first.size()), 2);

        const std::string upperLine = ToUpper(first);
        const std::string upperHeader = ToUpper(kHeader);
        const size_t found = upperLine.find(upperHeader);
        const size_t position = found == std::string::npos ? 0 : found + 1;
        Log("Compare: " + std::to_string(position), 2);
        if (position < 1) {
            Log("Did not find " + upperHeader + " in " + upperLine, 2);
            if (!MakeFiles()) {
                Log("Error: Unable to create CSV file for: " + startDateText_, 2);
                fsys::DeleteFile(csvPath_);
                return false;
            }
            // HistData has written the file anew; read the new file, not the old one's bytes.
            csv = OpenCsv(csvPath_);
            // A second file still without its header is no better than the first; taken on,
            // it would reach the downstream import as an hour without its columns.
            const std::string again = ToUpper(Trim(csv.Next()));
            if (again.find(upperHeader) == std::string::npos) {
                Log("Did not find " + upperHeader + " in " + again, 2);
                Log("Error: Unable to create CSV file for: " + startDateText_, 2);
                fsys::DeleteFile(csvPath_);
                return false;
            }
        }

        Log("=+= Check for EOF", 2);
        // A header and nothing else is HistData's answer for an hour that has no history
        // (logging was off): there is nothing to export, and asking again will not change it.
        std::string second = csv.AtEnd() ? std::string() : Trim(csv.Next());
        Log("Second line: " + second + ", len: " + std::to_string(second.size()), 2);
        if (second.size() >= kMinDataLineLength && !csv.AtEnd()) {
            Log("Created CSV file for: " + startDateText_, 2);
            return true;
        }
        noData_ = second.size() < kMinDataLineLength && csv.AtEnd();
        Log("Warning: No data in WonderWare for " + startDateText_, 2);
        fsys::DeleteFile(csvPath_);
        return false;
    } catch (const std::exception&) {
        LogCurrentFailure();
    }
    // The hour has failed: its file must not travel to the output folder with the next
    // successful hour's move.
    if (!csvPath_.empty()) fsys::DeleteFile(csvPath_);
    return false;
}

}  // namespace hdq
