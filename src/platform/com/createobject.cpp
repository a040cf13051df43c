#include "createobject.h"

#include "registry.h"

#include <dlfcn.h>

namespace vcom {

namespace {

using GetClassObjectFn = HRESULT (*)(const CLSID*, const IID*, void**);

[[noreturn]] void cannotCreate(const QString& why) {
    throw vrt::RuntimeError(vrt::err::ActiveXCannotCreate,
                            vrt::errorDescription(vrt::err::ActiveXCannotCreate) +
                                QStringLiteral(" (") + why + QLatin1Char(')'));
}

} // namespace

vrt::Variant LateBound::invoke(const QString& name, uint16_t flags, std::span<vrt::Variant> args) {
    if (!dispatch_)
        vrt::raise(vrt::err::ObjectNotSet);
    DISPID id = 0;
    if (FAILED(dispatch_->GetIDsOfNames(name, &id)))
        vrt::raise(vrt::err::NoSuchMember);
    vrt::Variant result;
    ExcepInfo info;
    const HRESULT hr = dispatch_->Invoke(id, flags, args, &result, &info);
    if (hr == DISP_E_EXCEPTION)
        throw vrt::RuntimeError(errorFromHResult(info.scode), info.description);
    if (hr == DISP_E_BADPARAMCOUNT)
        vrt::raise(vrt::err::InvalidProcedureCall);
    if (FAILED(hr))
        vrt::raise(vrt::err::NoSuchMember);
    return result;
}

vrt::Variant LateBound::get(const QString& name) {
    return invoke(name, DISPATCH_PROPERTYGET, {});
}

void LateBound::let(const QString& name, vrt::Variant value) {
    invoke(name, DISPATCH_PROPERTYPUT, std::span<vrt::Variant>(&value, 1));
}

vrt::Variant LateBound::call(const QString& name, std::vector<vrt::Variant>& args) {
    return invoke(name, DISPATCH_METHOD, args);
}

vrt::Variant LateBound::call(const QString& name, std::vector<vrt::Variant>&& args) {
    return invoke(name, DISPATCH_METHOD, args);
}

LateBound CreateObject(const QString& progId) {
    const auto clsid = registry::clsidFromProgId(progId);
    if (!clsid)
        cannotCreate(progId + QStringLiteral(" is not registered"));
    const auto reg = registry::lookup(*clsid);
    if (!reg)
        cannotCreate(clsid->toString() + QStringLiteral(" has no library"));

    // The library stays loaded for the life of the process, as an in-process
    // server does once the host has used it.
    void* library = dlopen(reg->libraryPath.toLocal8Bit().constData(), RTLD_NOW | RTLD_GLOBAL);
    if (!library)
        cannotCreate(QString::fromLocal8Bit(dlerror()));
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(dlsym(library, "DllGetClassObject"));
    if (!getClassObject)
        cannotCreate(reg->libraryPath + QStringLiteral(" exports no DllGetClassObject"));

    void* raw = nullptr;
    if (FAILED(getClassObject(&*clsid, &IID_IClassFactory, &raw)) || !raw)
        cannotCreate(QStringLiteral("no class factory for ") + progId);
    auto factory = ComPtr<IClassFactory>::attach(static_cast<IClassFactory*>(raw));

    void* object = nullptr;
    if (FAILED(factory->CreateInstance(nullptr, IID_IDispatch, &object)) || !object)
        cannotCreate(QStringLiteral("the class factory of ") + progId + QStringLiteral(" failed"));
    return LateBound(ComPtr<IDispatch>::attach(static_cast<IDispatch*>(object)));
}

} // namespace vcom
