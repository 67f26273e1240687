#include "settings/connection_settings.h"

#include <exception>
#include <memory>

#include "settings/settings_outcome.h"
#include "core/files.h"
#include "core/text.h"
#include "tagdict/tagnamex.h"
#include "core/file_checks.h"
#include "core/input_checks.h"
#include "settings/settings_context.h"

namespace hdq {
namespace {

std::string TagKey(long n) { return "TAGNAME_" + std::to_string(n); }

constexpr char kNoTagsChosen[] =
    "No tags are chosen. Choose them with \"Configure which Tags to Collect\", or tick \"Collect Data for All "
    "Trended Tags in Tagname File\".";
}  // namespace

ConnectionSettings::ConnectionSettings() {
    allTags_.SetSize(4096);
    filterTags_.SetSize(4096);
}

bool ConnectionSettings::StoredSelectAllTags() {
    try {
        if (auto value = ParseBool(SettingsEnv().config.item("SELECTALLTAGS"))) return *value;
    } catch (const std::exception&) {
    }
    return true;
}

bool ConnectionSettings::RefreshFromConfig(ConnectionFields& fields) {
    try {
        VRXConfiguration& config = SettingsEnv().config;
        fields.linkTopic = config.item("DDE_LINKTOPIC");
        fields.histDataFolder = config.item("DDE_HISTDATA_FOLDER");
        fields.lghFolder = config.item("DDE_LGH_FOLDER");
        fields.outputFolder = config.item("OUTPUT_FOLDER");
        fields.tagnameFile = config.item("DDE_TAGNAME_FILE");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void ConnectionSettings::LoadAllTags(const std::string& tagnameFile) {
    try {
        allTags_.RemoveAll();
        auto reader = std::make_unique<TagnameXParser>(SettingsEnv().config.item("VERBOSITY"), &SettingsEnv().log);
        ApplyValidTrendBytes(*reader, SettingsEnv().config.item("VALIDTRENDBYTES"));
        reader->ReadTAGNAMEXfile(tagnameFile);
        allTags_.RemoveAll();
        long counter = 1;
        while (!reader->Eof()) {
            allTags_.Add(TagKey(counter), reader->CurrentTAG());
            reader->MoveNext();
            ++counter;
        }
    } catch (const std::exception&) {
        // A dictionary that cannot be read, or a duplicate tag name, leaves what was read.
    }
}

void ConnectionSettings::LoadFilterTags() {
    try {
        filterTags_.RemoveAll();
        VRXConfiguration& config = SettingsEnv().config;
        for (long counter = 1; config.ItemExists(TagKey(counter)); ++counter) {
            filterTags_.Add(TagKey(counter), config.item(TagKey(counter)));
        }
    } catch (const std::exception&) {
        // A tag listed twice by hand stops the list there; Apply then stores what was read.
    }
}

ConnectionSettings::TagFileCheck ConnectionSettings::CheckTagnameFile(const std::string& tagnameFile) {
    if (!FileExists(tagnameFile, SettingsEnv().log)) return TagFileCheck::Missing;
    const std::string name = ToLower(tagnameFile);
    if (name == loadedTagFile_) return TagFileCheck::Unchanged;
    LoadAllTags(tagnameFile);
    loadedTagFile_ = name;
    return TagFileCheck::Reloaded;
}

void ConnectionSettings::RemoveTagKeys() {
    VRXConfiguration& config = SettingsEnv().config;
    for (long counter = 1; config.ItemExists(TagKey(counter)); ++counter) config.RemoveItem(TagKey(counter));
}

bool ConnectionSettings::SaveFilterTags() {
    try {
        RemoveTagKeys();
        if (filterTags_.Count() == 0) return false;
        VRXConfiguration& config = SettingsEnv().config;
        for (const std::string& key : filterTags_.Keys()) {
            const std::string value = filterTags_.Item(key);
            config.DefineTree(key, value);
            // A stale key left behind a gap in the old numbering would otherwise keep its old
            // value, because defining a key never overwrites one that exists.
            config.setItem(key, value);
        }
        // Likewise a stale key right after the new list would extend it on the next read;
        // the list must end where the operator's selection ends.
        const std::string next = TagKey(filterTags_.Count() + 1L);
        if (config.ItemExists(next)) config.RemoveItem(next);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::string ConnectionSettings::ApplySettings(const ConnectionFields& fields) {
    if (!fields.processAllTags && filterTags_.Count() == 0) return kNoTagsChosen;
    // The service starts histdata.exe from this folder: it is refused here, before anything
    // is stored, as well as before each start.
    if (const std::string problem = LocalFolderProblem(Trim(fields.histDataFolder)); !problem.empty()) {
        return "HISTDATA.EXE Folder " + problem;
    }
    try {
        VRXConfiguration& config = SettingsEnv().config;
        config.setItem("DDE_LINKTOPIC", Trim(fields.linkTopic));
        config.setItem("DDE_LGH_FOLDER", Trim(fields.lghFolder));
        config.setItem("DDE_TAGNAME_FILE", Trim(fields.tagnameFile));
        config.setItem("DDE_HISTDATA_FOLDER", Trim(fields.histDataFolder));
        config.setItem("OUTPUT_FOLDER", Trim(fields.outputFolder));
        MakeFolder(Trim(fields.outputFolder));  // the folder that is stored, not " C:\Out"
        if (fields.processAllTags) {
            config.setItem("SELECTALLTAGS", "TRUE");
            RemoveTagKeys();
        } else {
            if (!SaveFilterTags()) return kUnableToApply;
            config.setItem("SELECTALLTAGS", "FALSE");
        }
        return std::string();
    } catch (const std::exception&) {
        return kUnableToApply;
    }
}

bool ConnectionSettings::Apply(const ConnectionFields& fields) { return ReportApply(ApplySettings(fields)); }

bool ConnectionSettings::Save(const ConnectionFields& fields) {
    if (!ReportApply(ApplySettings(fields))) return false;
    SaveAndReport();
    SettingsEnv().log.WriteLog("Saved configuration:", 2);
    SettingsEnv().config.dumpConfiguration();
    return true;
}

std::string TagFileBrowseStart(const std::string& fieldText) {
    // File names ignore letter case on Windows: TAGNAME.X is a dictionary file too.
    if (!EndsWith(ToLower(fieldText), ".x")) return fieldText;
    const size_t slash = fieldText.rfind('\\');
    return slash == std::string::npos ? std::string() : fieldText.substr(0, slash + 1);
}

std::string TagFileFromBrowse(const std::string& folder, const std::string& file) {
    return fsys::WithBackslash(folder) + (file.empty() ? std::string("tagname.x") : file);
}

}  // namespace hdq
