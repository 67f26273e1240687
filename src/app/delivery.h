#pragma once
// Delivery of the checked hourly files into the output folder, which an importer polls and
// whose every file it imports once: a file appears there only whole, under its final name, by
// one rename.
#include <string>

namespace hdq {

class DeliveryJournal;

// Where HistData writes the hour's file, with a trailing backslash: the cache folder, or its
// folder "work" when the output folder is the cache folder itself, so that the importer never
// sees a file before it is checked.
std::string HistDataFolder();
// The output folder as set, trimmed, with a trailing backslash.
std::string OutputFolder();
// Moves the files matching pattern from HistDataFolder() to the output folder, each copied
// under a name the importer ignores (".2011032514.CSV.part"), flushed, compared by size and
// renamed to its own name; only then does its source go. False (and a line on screen) on the
// first failure, which leaves that file's source in place and no part of it in the output
// folder. A pattern without wildcards that matches nothing is a failure. Each hour's file that
// reaches its final name gets its line in the journal, when one is given.
bool MoveCSVFiles(const std::string& pattern, DeliveryJournal* journal = nullptr);
// Before each hour's request: deletes every CSV file in HistDataFolder(), none of which has
// been checked (a file HistData finished after a time-out, or one left by a crash; HistData can
// make it again), and the copies a kill cut short in the output folder. Nothing else in the
// output folder is touched.
void DeleteUncheckedCsvFiles();

}  // namespace hdq
