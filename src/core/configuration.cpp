#include "core/configuration.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/files.h"
#include "core/input_checks.h"
#include "core/text.h"

namespace hdq {
namespace {

constexpr const char* kMissingKey = "Key does not exist in TreeHash (KB10781)";
constexpr const char* kDumpRule = ">>>--------------------------------------------------------------";

[[noreturn]] void RaiseMissingKey() { throw VrxError(err::MissingConfigKey, kMissingKey); }

}  // namespace

VRXConfiguration::VRXConfiguration() {
    // 4096 buckets keep the program's few dozen keys apart; the INI line order follows from it.
    tree_.SetSize(4096);
}

int32_t VRXConfiguration::Count() const { return tree_.Count(); }

void VRXConfiguration::setPath(const std::string& p) { path_ = Trim(p); }

bool VRXConfiguration::ItemExists(const std::string& key) const { return tree_.Exists(key); }

bool VRXConfiguration::RemoveItem(const std::string& key) {
    tree_.Remove(key);
    return true;
}

std::string VRXConfiguration::item(const std::string& key) const {
    const std::string k = ToUpper(key);
    if (!tree_.Exists(k)) RaiseMissingKey();
    return tree_.Item(k);
}

void VRXConfiguration::setItem(const std::string& key, const std::string& value) {
    const std::string k = ToUpper(key);
    // Assignment never adds a key: a misspelt key must surface, not grow the file.
    if (!tree_.Exists(k)) RaiseMissingKey();
    tree_.SetItem(k, value);
    changed_ = true;
}

void VRXConfiguration::DefineTree(const std::string& treePath, const std::string& defaultValue) {
    const std::string k = ToUpper(Trim(treePath));
    if (!tree_.Exists(k)) tree_.Add(k, defaultValue);
}

bool VRXConfiguration::ReadConfig() {
    // Defaults are written only where nothing is: a file that is there but cannot be read
    // (hidden, locked, damaged) holds the operator's settings and must never be replaced.
    if (!ConfigFileExists(path_) && !fsys::Exists(path_)) {
        Log("Configuration file does not exist at " + path_);
        Log("Attempting to create a default configuration file...");
        if (!CreateDefaultConfig()) {
            Log("Unable to create default configuration file in VRXConfiguration.ReadConfig().");
            return false;
        }
        Log("Default configuration file successfully created.");
    }
    if (!LoadINI(path_)) {
        Log("LoadINI() failed in VRXConfiguration.ReadConfig().");
        return false;
    }
    changed_ = false;
    return true;
}

bool VRXConfiguration::SaveConfig() {
    const bool ok = SaveINI(path_);
    if (!ok) Log("SaveINI() failed in VRXConfiguration.SaveConfig().");
    return ok;
}

void VRXConfiguration::dumpConfiguration() {
    if (log_ == nullptr || log_->Verbosity() < 2) return;
    Log(kDumpRule, 2);
    Log("Configuration Settings :", 2);
    for (const std::string& key : tree_.Keys()) Log(key + " : " + tree_.Item(key), 2);
    Log(kDumpRule, 2);
}

bool VRXConfiguration::ConfigFileExists(const std::string& file) const {
    try {
        if (Trim(file).empty()) return false;
        // Only an ordinary file counts: a folder or a hidden file of that name is not our INI.
        auto found = fsys::ListFiles(file);
        return found && !found->empty();
    } catch (...) {
        return false;
    }
}

// Each line is one record: KEY=value. The value is everything after the first "=", so
// folder paths holding commas and values holding "=" come back exactly as they were saved.
// Double quotes have no special meaning; they are part of the key or value. False at a blank
// or stray line (then it is not our file), with the records before it.
namespace {
using IniRecords = std::vector<std::pair<std::string, std::string>>;
bool ParseIni(std::string_view rest, IniRecords& records) {
    while (!rest.empty()) {
        // A line ends at CR LF, LF or a CR alone: no value read can hold a line break, so
        // whatever was read can be saved again (a save refuses line breaks).
        const size_t end = rest.find_first_of("\r\n");
        std::string_view line = rest.substr(0, end);
        size_t next = end == std::string_view::npos ? rest.size() : end + 1;
        if (end != std::string_view::npos && rest[end] == '\r' && next < rest.size() && rest[next] == '\n') ++next;
        rest = rest.substr(next);

        size_t start = line.find_first_not_of(' ');
        line = start == std::string_view::npos ? std::string_view{} : line.substr(start);
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) return false;
        records.emplace_back(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
    }
    return true;
}

std::optional<IniRecords> ParseWholeIni(const std::optional<std::string>& content) {
    IniRecords records;
    if (!content || !ParseIni(*content, records)) return std::nullopt;
    return records;
}
}  // namespace

bool VRXConfiguration::LoadINI(const std::string& file) {
    try {
        auto content = fsys::ReadAll(file);
        if (!content) return false;
        IniRecords records;
        const bool whole = ParseIni(*content, records);
        for (const auto& [key, value] : records) {
            // Keys that start-up did not define (the numbered TAGNAME_ keys) are added here;
            // the assignment then uses the key as read, so "KEY =x" is refused.
            DefineTree(key, value);
            setItem(key, value);
        }
        if (!whole) return false;
        onDisk_ = std::move(*content);
        return true;
    } catch (...) {
        return false;
    }
}

bool VRXConfiguration::SaveItem(const std::string& key, const std::string& value, std::vector<std::string>* kept) {
    setItem(key, value);
    try {
        // An operator may edit the file while the program runs; a save of one key must not
        // put back the values the edit changed. Only keys that differ between the file as
        // this store last saw it and the file now were changed outside.
        std::optional<std::string> now = fsys::ReadAll(path_);
        auto before = ParseWholeIni(onDisk_);
        auto after = now != onDisk_ ? ParseWholeIni(now) : std::nullopt;
        if (before && after) {
            auto valueIn = [](const auto& records, const std::string& k) -> std::optional<std::string> {
                for (const auto& [rk, rv] : records) {
                    if (rk == k) return rv;
                }
                return std::nullopt;
            };
            std::vector<std::string> names;
            for (const auto& records : {*before, *after}) {
                for (const auto& record : records) names.push_back(record.first);
            }
            for (const std::string& k : names) {
                if (k == ToUpper(key)) continue;
                const auto was = valueIn(*before, k);
                const auto is = valueIn(*after, k);
                if (was == is || (kept && std::find(kept->begin(), kept->end(), k) != kept->end())) continue;
                if (is) {
                    DefineTree(k, *is);
                    setItem(k, *is);
                } else if (tree_.Exists(k)) {
                    tree_.Remove(k);  // a numbered tag key the operator took out
                }
                if (kept) kept->push_back(k);
            }
        }
    } catch (...) {
        // A key the file holds in a form this store refuses: the save goes on without it.
    }
    return SaveConfig();
}

bool VRXConfiguration::SaveINI(const std::string& file) {
    try {
        std::string content;
        for (const std::string& key : tree_.Keys()) {
            // A line break would end the record and start another: text from a dictionary
            // or a form could write a setting of its own, or a line that stops the next start.
            if (HoldsLineBreak(key) || HoldsLineBreak(tree_.Item(key))) {
                Log("Unable to save " + file + ": " +
                    (HoldsLineBreak(key) ? "the key " + ShowControlBytes(key) : "the value of " + key) +
                    " holds a line break");
                return false;
            }
            content += key;
            content += '=';
            content += tree_.Item(key);
            content += "\r\n";
        }
        // Replaced in one step: a failed write (disk full, power loss) leaves the previous
        // settings, LAST_RUN included, rather than a truncated file.
        if (!fsys::WriteAtomic(file, content)) return false;
        onDisk_ = std::move(content);
        return true;
    } catch (...) {
        return false;
    }
}

void VRXConfiguration::Log(const std::string& text, int level) {
    if (log_ != nullptr) log_->WriteLog(text, level);
}

}  // namespace hdq
