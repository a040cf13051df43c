#pragma once

#include "guid.h"

#include <QString>
#include <optional>

namespace vcom {

// The class registration, kept with QSettings. The store is the file named
// by VANTREL_REGISTRY when that is set (tests, side-by-side installs), else
// the user's Vantrel settings.
struct ClassRegistration {
    CLSID clsid;
    QString progId;
    QString libraryPath;
    QString threadingModel;
};

namespace registry {
QString storePath();
void registerClass(const ClassRegistration& reg);
void unregisterClass(const CLSID& clsid, const QString& progId);
std::optional<CLSID> clsidFromProgId(const QString& progId);
std::optional<ClassRegistration> lookup(const CLSID& clsid);
} // namespace registry

} // namespace vcom
