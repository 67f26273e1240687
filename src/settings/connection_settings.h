#pragma once
// CustomConfig's behaviour without its window: the five path fields and the all-tags box
// against the configuration store, the two tag tables the tag selection edits, and the rules
// of the browse buttons. The dialog copies its controls into ConnectionFields, calls these
// operations, and copies the fields back.
#include <string>
#include "core/hashtable.h"

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

    // Reads the dictionary into AllTagsTable and the stored TAGNAME_ keys into FilterTagsTable.
    // A failure ends it quietly with the tables as far as they were filled.
    void LoadTagLists(const std::string& tagnameFile);

    // Stores the trimmed fields, creates the output folder and stores the tag choice. With
    // the box clear and nothing in FilterTagsTable it falls back to all tags and sets
    // fields.processAllTags, which the dialog shows. False on any error; what was stored
    // before the error stays stored.
    bool ApplySettings(ConnectionFields& fields);
    // Removes TAGNAME_1, TAGNAME_2, ... up to the first missing number.
    static void RemoveTagKeys();
    // Writes FilterTagsTable as the TAGNAME_ keys; false when the table is empty or on error.
    bool SaveFilterTags();

    // The buttons: their message boxes go through AppMsgBox().
    void Apply(ConnectionFields& fields);
    void Save(ConnectionFields& fields);
    static bool ShowHelp();
    static void Help();

private:
    Table allTags_;
    Table filterTags_;
};

// The tag-file button starts the browser in the field's folder: the whole text unless it ends
// in ".x", else the text up to and including its last backslash.
std::string TagFileBrowseStart(const std::string& fieldText);
// After a Save in the browser: folder + "\" + file, or folder + "\tagname.x" without a file.
std::string TagFileFromBrowse(const std::string& folder, const std::string& file);

}  // namespace hdq
