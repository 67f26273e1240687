#pragma once
// What the export cycle needs of the DDE request window (frmDDE): the tag filter, Init, and one
// request per hour. FrmDDE implements it; the export cycle's tests use a fake.
#include <string>
#include "core/configuration.h"
#include "core/datetime.h"
#include "core/hashtable.h"

namespace hdq {

using TagTable = HashTable<std::string>;

// The settings one request reads, as texts just as they are stored: a bad one fails the
// request the way it always has. Taken afresh for each request, so a setting saved between two
// hours applies from the next one and never halfway through a request.
struct DdeSettings {
    std::string timeout;         // DDE_TIMEOUT, tenths of a second
    std::string linkTopic;       // DDE_LINKTOPIC
    std::string lghFolder;       // DDE_LGH_FOLDER
    std::string tagFile;         // DDE_TAGNAME_FILE
    std::string histDataFolder;  // DDE_HISTDATA_FOLDER
    std::string duration;        // DDE_DURATION
    std::string interval;        // DDE_INTERVAL
    std::string selectAllTags;   // SELECTALLTAGS
    std::string validTrendBytes; // VALIDTRENDBYTES
    std::string verbosity;       // VERBOSITY
    std::string cacheFolder;     // where HistData writes, with a trailing backslash

    static DdeSettings From(const VRXConfiguration& config, const std::string& cacheFolder);
};

class DdeForm {
public:
    virtual ~DdeForm() = default;
    virtual void Load() {}                                 // loading a loaded form does nothing
    virtual void SetTagList(TagTable* tags) = 0;           // a reference, not a copy
    virtual bool Init() = 0;
    virtual void SetStartDate(const DateTime& value) = 0;  // only the hour is used
    virtual void SetStartTime(const DateTime& value) = 0;
    virtual bool SendRequest() = 0;
    // After a SendRequest that returned false: true when HistData answered without error but
    // the hour holds no data rows, so there is nothing to export and nothing to ask again.
    virtual bool NoData() const { return false; }
    // After a SendRequest that returned false: true when HistData did not answer in time (a
    // transaction ran into its time-out, or HistData's window does not respond). Two such
    // hours in a row mean HistData hangs, and the cycle stops rather than pay every hour's
    // time-outs.
    virtual bool TimedOut() const { return false; }
    // Makes sure HistData runs again after a failed request (it may have exited or hung up);
    // false when it cannot be started.
    virtual bool Supervise() { return true; }
    virtual void ClearMemory() = 0;
};

}  // namespace hdq
