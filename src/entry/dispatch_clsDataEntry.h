#pragma once

#include "platform/com/dispatch.h"

// The identifier of the dual interface _clsDataEntry.
extern const vcom::IID IID__clsDataEntry;

namespace entry {

// A new data-entry object behind its dispatch interface _clsDataEntry, with
// one reference held by the caller.
vcom::IDispatch* createDataEntryDispatch();

} // namespace entry
