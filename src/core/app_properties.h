#pragma once
// The program's identity as its version resource states it: the log's identification record,
// the about box and the main window's caption are all built from it.
#include <string>

namespace hdq {

struct AppProperties {
    std::string title;        // "HistData to Brel Qorp"
    std::string productName;  // "HistData to Brel Qorp Utility"
    std::string comments;     // "Brel Qorp Utility to request CSV files from WonderWare HistData"
    int major = 1, minor = 0, revision = 7;
    std::string build;        // the version resource's BuildNumber: "46"

    std::string VersionText() const {  // "1.0.7"
        return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
    }
    // The main window's caption, by which other programs (the installer, a second copy) find it.
    std::string MainWindowTitle() const { return productName + " v" + VersionText() + " - Interactive "; }
};

}  // namespace hdq
