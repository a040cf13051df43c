#include "modulestate.h"

namespace entry {

ModuleState& state() {
    thread_local ModuleState s;
    return s;
}

ado::Connection& labConnection() {
    const auto& c = state().LabConnection;
    if (!c)
        vrt::raise(vrt::err::ObjectNotSet);
    return *c;
}

} // namespace entry
