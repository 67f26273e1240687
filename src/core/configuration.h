#pragma once
// VRXConfiguration: every setting as a string under an upper-case key, kept in an INI file
// (KEY=value lines, CR LF, no sections) beside the executable.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include "core/hashtable.h"
#include "core/log_sink.h"

namespace hdq {



class VRXConfiguration {
public:
    VRXConfiguration();

    int32_t Count() const;
    const std::string& path() const { return path_; }
    void setPath(const std::string& p);                  // trimmed
    void SetLogHandler(LogSink* logger) { log_ = logger; }
    bool EncryptData() const { return encrypt_; }
    void SetEncryptData(bool v) { encrypt_ = v; }
    bool ItemExists(const std::string& key) const;       // exact key, no folding
    bool RemoveItem(const std::string& key);             // error 5 when missing
    std::string item(const std::string& key) const;      // error 10781 when missing
    void setItem(const std::string& key, const std::string& value);  // error 10781 when missing
    bool ChangeWasMade() const { return changed_; }
    void SetChangeWasMade(bool v) { changed_ = v; }
    bool ReadConfig();
    // False, and nothing written, when a key or value holds CR or LF (the log names the key).
    // Only the save refuses: setItem takes such a value, because the file is the one place
    // where a line break does harm and every write of it passes here.
    bool SaveConfig();
    // Sets key and saves, first taking from the file every other key that changed there since
    // this store last read or wrote it (a hand edit made while the program runs); their names
    // go to kept. False when the file cannot be written.
    bool SaveItem(const std::string& key, const std::string& value, std::vector<std::string>* kept = nullptr);
    void DefineTree(const std::string& treePath, const std::string& defaultValue);
    void dumpConfiguration();

    // The keys in file order (the tree's Keys).
    std::vector<std::string> Keys() const { return tree_.Keys(); }

private:
    bool LoadINI(const std::string& file);
    bool SaveINI(const std::string& file);
    bool ConfigFileExists(const std::string& file) const;
    bool CreateDefaultConfig() { return SaveINI(path_); }
    void Log(const std::string& text, int level = 0);

    HashTable<std::string> tree_;
    std::string path_;
    LogSink* log_ = nullptr;
    bool encrypt_ = false;
    bool changed_ = false;
    std::optional<std::string> onDisk_;  // the file as this store last read or wrote it
};

}  // namespace hdq
