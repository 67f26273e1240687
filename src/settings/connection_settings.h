#pragma once
// CustomConfig's behaviour without its window: the five path fields and the all-tags box
// against the configuration store, the two tag tables the tag selection edits, and the rules
// of the browse buttons. The dialog copies its controls into ConnectionFields, calls these
// operations, and copies the fields back.
#include <string>
#include "core/hashtable.h"
#include "settings/settings_context.h"

namespace hdq {

struct ConnectionFields {
    std::string linkTopic;        // txtDDE_LinkTopic   -> DDE_LINKTOPIC
    std::string lghFolder;        // txtLGH_Folder      -> DDE_LGH_FOLDER
    std::string tagnameFile;      // txtTagnameFolder   -> DDE_TAGNAME_FILE
    std::string histDataFolder;   // txtHistDataFolder  -> DDE_HISTDATA_FOLDER
    std::string outputFolder;     // txtOutputFolder    -> OUTPUT_FOLDER
    bool processAllTags = false;  // chkProcessAllTags  -> SELECTALLTAGS
};

class ConnectionSettings {
public:
    using Table = HashTable<std::string>;

    ConnectionSettings();

    Table& AllTagsTable() { return allTags_; }
    Table& FilterTagsTable() { return filterTags_; }

    // SELECTALLTAGS as the box shows it at load; a value that reads as neither true nor false
    // falls back to the start-up default (all tags).
    static bool StoredSelectAllTags();
    // The five text fields from the store. False when a key is missing.
    static bool RefreshFromConfig(ConnectionFields& fields);

    // The stored TAGNAME_ keys into FilterTagsTable, up to the first missing number. Done once
    // when the form opens, whether or not the dictionary can be read: the stored choice must
    // survive an Apply made while the dictionary's drive is not mapped.
    void LoadFilterTags();

    enum class TagFileCheck { Missing, Unchanged, Reloaded };
    // The tag-file field changed or got the focus. Reads the dictionary into AllTagsTable only
    // when the file exists and is not the one already read (names compared without regard to
    // letter case), so focus changes and retyped names keep the operator's unapplied choice.
    // FilterTagsTable is never touched here.
    TagFileCheck CheckTagnameFile(const std::string& tagnameFile);

    // Stores the trimmed fields, creates the output folder and stores the tag choice.
    // Returns what the operator is told when it failed, empty when applied. With the box clear
    // and nothing chosen it stores nothing: a filtered choice never turns into "all tags"
    // unless the operator ticks the box.
    std::string ApplySettings(const ConnectionFields& fields);
    // Removes TAGNAME_1, TAGNAME_2, ... up to the first missing number.
    static void RemoveTagKeys();
    // Writes FilterTagsTable as the TAGNAME_ keys; false when the table is empty or on error.
    bool SaveFilterTags();

    // The buttons: their message boxes go through SettingsEnv().msgBox. False when the apply failed.
    bool Apply(const ConnectionFields& fields);
    bool Save(const ConnectionFields& fields);

private:
    // Reads the dictionary; a failure ends it quietly with the table as far as it was filled.
    void LoadAllTags(const std::string& tagnameFile);

    Table allTags_;
    Table filterTags_;
    std::string loadedTagFile_;  // lower case; empty until a dictionary was read
};

// The tag-file button starts the browser in the field's folder: the whole text unless it ends
// in ".x", else the text up to and including its last backslash.
std::string TagFileBrowseStart(const std::string& fieldText);
// After a Save in the browser: folder + "\" + file, or folder + "\tagname.x" without a file
// (one backslash also after a drive's root).
std::string TagFileFromBrowse(const std::string& folder, const std::string& file);

}  // namespace hdq
