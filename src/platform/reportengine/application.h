#pragma once

#include "platform/runtime/variant.h"

namespace reportengine {

// The report engine's application object: the root through which report
// definitions are opened and printed.
class Application : public vrt::Object {
public:
    Application();
    ~Application() override;

    // Application objects alive in the process.
    static int liveCount();
};

} // namespace reportengine
