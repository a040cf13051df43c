#include "testregistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

TestRegistry::TestRegistry()
    : previous_(qgetenv("VANTREL_REGISTRY")),
      hadPrevious_(qEnvironmentVariableIsSet("VANTREL_REGISTRY")) {
    qputenv("VANTREL_REGISTRY", path().toLocal8Bit());
}

TestRegistry::~TestRegistry() {
    if (hadPrevious_)
        qputenv("VANTREL_REGISTRY", previous_);
    else
        qunsetenv("VANTREL_REGISTRY");
}

QString TestRegistry::path() const {
    return dir_.filePath(QStringLiteral("registry.ini"));
}

QString vantrelLibraryPath() {
    return QFileInfo(QDir(QCoreApplication::applicationDirPath())
                         .filePath(QStringLiteral("libvantrel.so")))
        .canonicalFilePath();
}
