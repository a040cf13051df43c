#include "registry.h"

#include <QSettings>
#include <memory>

namespace vcom::registry {

namespace {

std::unique_ptr<QSettings> open() {
    const QString file = qEnvironmentVariable("VANTREL_REGISTRY");
    if (!file.isEmpty())
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Vantrel"), QStringLiteral("registry"));
}

QString classKey(const CLSID& clsid) {
    return QStringLiteral("CLSID/") + clsid.toString();
}
QString progIdKey(const QString& progId) {
    return QStringLiteral("ProgID/") + progId;
}

} // namespace

QString storePath() {
    return open()->fileName();
}

void registerClass(const ClassRegistration& reg) {
    auto s = open();
    s->setValue(progIdKey(reg.progId) + QStringLiteral("/CLSID"), reg.clsid.toString());
    const QString key = classKey(reg.clsid);
    s->setValue(key + QStringLiteral("/ProgID"), reg.progId);
    s->setValue(key + QStringLiteral("/InprocServer32"), reg.libraryPath);
    s->setValue(key + QStringLiteral("/ThreadingModel"), reg.threadingModel);
    s->sync();
}

void unregisterClass(const CLSID& clsid, const QString& progId) {
    auto s = open();
    s->remove(progIdKey(progId));
    s->remove(classKey(clsid));
    s->sync();
}

std::optional<CLSID> clsidFromProgId(const QString& progId) {
    auto s = open();
    // ProgIDs are looked up without regard to letter case.
    s->beginGroup(QStringLiteral("ProgID"));
    for (const QString& name : s->childGroups()) {
        if (name.compare(progId, Qt::CaseInsensitive) == 0)
            return GUID::fromString(s->value(name + QStringLiteral("/CLSID")).toString());
    }
    return std::nullopt;
}

std::optional<ClassRegistration> lookup(const CLSID& clsid) {
    auto s = open();
    const QString key = classKey(clsid);
    const QString path = s->value(key + QStringLiteral("/InprocServer32")).toString();
    if (path.isEmpty())
        return std::nullopt;
    return ClassRegistration{clsid, s->value(key + QStringLiteral("/ProgID")).toString(), path,
                             s->value(key + QStringLiteral("/ThreadingModel")).toString()};
}

} // namespace vcom::registry
