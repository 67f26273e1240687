#include "core/configuration.h"

#include <string_view>

#include "core/error.h"
#include "core/files.h"
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
// Double quotes have no special meaning; they are part of the key or value.
bool VRXConfiguration::LoadINI(const std::string& file) {
    try {
        auto content = fsys::ReadAll(file);
        if (!content) return false;
        std::string_view rest = *content;
        while (!rest.empty()) {
            size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

            size_t start = line.find_first_not_of(' ');
            line = start == std::string_view::npos ? std::string_view{} : line.substr(start);
            size_t eq = line.find('=');
            if (eq == std::string_view::npos) return false;  // blank or stray line: not our file
            const std::string key(line.substr(0, eq));
            const std::string value(line.substr(eq + 1));
            // Keys that start-up did not define (the numbered TAGNAME_ keys) are added here;
            // the assignment then uses the key as read, so "KEY =x" is refused.
            DefineTree(key, value);
            setItem(key, value);
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool VRXConfiguration::SaveINI(const std::string& file) {
    try {
        std::string content;
        for (const std::string& key : tree_.Keys()) {
            content += key;
            content += '=';
            content += tree_.Item(key);
            content += "\r\n";
        }
        // Replaced in one step: a failed write (disk full, power loss) leaves the previous
        // settings, LAST_RUN included, rather than a truncated file.
        return fsys::WriteAtomic(file, content);
    } catch (...) {
        return false;
    }
}

void VRXConfiguration::Log(const std::string& text, int level) {
    if (log_ != nullptr) log_->WriteLog(text, level);
}

}  // namespace hdq
