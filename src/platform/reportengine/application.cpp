#include "application.h"

#include <atomic>

namespace reportengine {

namespace {
std::atomic<int> live{0};
}

Application::Application() {
    ++live;
}
Application::~Application() {
    --live;
}
int Application::liveCount() {
    return live.load();
}

} // namespace reportengine
