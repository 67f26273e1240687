#include "app/export_request.h"

#include <vector>

#include "app/running_copy.h"
#include "core/text.h"

namespace hdq {
namespace {

// Blank-separated words, a quoted word kept whole with its blanks.
std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        std::string word;
        if (line[i] == '"') {
            const size_t end = line.find('"', i + 1);
            word = std::string(line.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1));
            i = end == std::string_view::npos ? line.size() : end + 1;
        } else {
            const size_t end = line.find_first_of(" \t", i);
            word = std::string(line.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i));
            i = end == std::string_view::npos ? line.size() : end;
        }
        words.push_back(word);
    }
    return words;
}

}  // namespace

std::optional<ExportArgs> ExportRequestOf(std::string_view commandLine) {
    const std::vector<std::string> words = Words(commandLine);
    if (words.empty() || !IEquals(words[0], "/export")) return std::nullopt;
    return ExportArgs{words.size() > 1 ? words[1] : "", words.size() > 2 ? words[2] : ""};
}

std::string FormatExportRequest(const ExportRequest& r) {
    return "From=" + FormatPattern(r.from, "yyyy-mm-dd hh:nn:ss") + "\r\nTo=" + FormatPattern(r.to, "yyyy-mm-dd hh:nn:ss") +
           "\r\nId=" + r.id + "\r\n";
}

std::optional<ExportRequest> ParseExportRequest(const std::string& text) {
    const auto from = ParseDateTime(StatusFileValue(text, "From"));
    const auto to = ParseDateTime(StatusFileValue(text, "To"));
    const std::string id = StatusFileValue(text, "Id");
    if (!from || !to || id.empty()) return std::nullopt;
    return ExportRequest{*from, *to, id};
}

std::string FormatExportAnswer(const ExportAnswer& a) {
    return "Id=" + a.id + "\r\nCode=" + std::to_string(a.code) + "\r\nReason=" + a.reason + "\r\n";
}

std::optional<ExportAnswer> ParseExportAnswer(const std::string& text) {
    const auto code = ToInt32(StatusFileValue(text, "Code"));
    const std::string id = StatusFileValue(text, "Id");
    if (!code || id.empty()) return std::nullopt;
    return ExportAnswer{id, *code, StatusFileValue(text, "Reason")};
}

}  // namespace hdq
