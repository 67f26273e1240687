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
    virtual void ClearMemory() = 0;
};

}  // namespace hdq
