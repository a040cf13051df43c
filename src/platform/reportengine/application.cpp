#include "application.h"

#include <QFileInfo>
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

std::shared_ptr<Report> Application::OpenReport(const QString& filePath, int16_t openMethod) {
    if (openMethod != 0 && openMethod != 1)
        vrt::raise(vrt::err::InvalidProcedureCall);
    QString path = filePath;
    // Paths written for the designed platform use backslashes.
    if (!QFileInfo::exists(path) && path.contains(u'\\'))
        path.replace(u'\\', u'/');
    return std::make_shared<Report>(readDefinition(path), dataSource_, connection_);
}

} // namespace reportengine
