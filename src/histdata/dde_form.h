#pragma once
// What the export cycle needs of the DDE request window (frmDDE): the tag filter, Init, and one
// request per hour. FrmDDE implements it; the export cycle's tests use a fake.
#include <string>
#include "core/datetime.h"
#include "core/hashtable.h"

namespace hdq {

using TagTable = HashTable<std::string>;

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
    // Makes sure HistData runs again after a failed request (it may have exited or hung up);
    // false when it cannot be started.
    virtual bool Supervise() { return true; }
    virtual void ClearMemory() = 0;
};

}  // namespace hdq
