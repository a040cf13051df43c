#include "libraryfolder.h"

#include <QDir>
#include <QFileInfo>
#include <dlfcn.h>

namespace report {

QString libraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&libraryFolder), &info) == 0 || !info.dli_fname)
        return {};
    const QString folder = QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalPath();
#ifdef VANTREL_DATA_FROM_LIBRARY
    const QStringList definitions{QStringLiteral("*.RPT")};
    if (QDir(folder).entryList(definitions, QDir::Files).isEmpty()) {
        const QDir data(QDir(folder).filePath(QStringLiteral(VANTREL_DATA_FROM_LIBRARY)));
        if (!data.entryList(definitions, QDir::Files).isEmpty())
            return data.canonicalPath();
    }
#endif
    return folder;
}

} // namespace report
