#include "modulestate.h"

namespace entry {

ModuleState& state() {
    thread_local ModuleState s;
    return s;
}

} // namespace entry
