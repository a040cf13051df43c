#include "dispatch.h"

#include <QDebug>

namespace vcom {

namespace {
constexpr uint32_t runtimeFacility = 0x800A0000u;
std::atomic<int> liveObjects{0};
std::atomic<int> serverLocks{0};
} // namespace

HRESULT hresultFromError(int32_t number) {
    if (number > 0 && number <= 0xFFFF)
        return static_cast<HRESULT>(runtimeFacility | static_cast<uint32_t>(number));
    return number;
}

int32_t errorFromHResult(HRESULT hr) {
    if ((static_cast<uint32_t>(hr) & 0xFFFF0000u) == runtimeFacility)
        return static_cast<int32_t>(static_cast<uint32_t>(hr) & 0xFFFFu);
    return hr;
}

namespace module {
void objectCreated() {
    ++liveObjects;
}
void objectDestroyed() {
    --liveObjects;
}
void lock() {
    ++serverLocks;
}
void unlock() {
    --serverLocks;
}
bool canUnload() {
    return liveObjects.load() == 0 && serverLocks.load() == 0;
}
} // namespace module

DispatchObject::DispatchObject(const IID& iid, QString source, std::vector<Member> members)
    : iid_(iid), source_(std::move(source)), members_(std::move(members)) {
    module::objectCreated();
}

DispatchObject::~DispatchObject() {
    module::objectDestroyed();
}

HRESULT DispatchObject::QueryInterface(const IID& iid, void** object) {
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == iid_) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

uint32_t DispatchObject::AddRef() {
    return ++refs_;
}

uint32_t DispatchObject::Release() {
    const uint32_t left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT DispatchObject::GetIDsOfNames(const QString& name, DISPID* id) {
    if (!id)
        return E_POINTER;
    for (const Member& m : members_) {
        if (m.name.compare(name, Qt::CaseInsensitive) == 0) {
            *id = m.id;
            return S_OK;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT DispatchObject::Invoke(DISPID id, uint16_t flags, std::span<vrt::Variant> args,
                               vrt::Variant* result, ExcepInfo* excepInfo) {
    // A property's Let and Get share one identifier; pick the entry whose kind
    // the call asks for.
    const Member* found = nullptr;
    for (const Member& m : members_) {
        if (m.id == id && (flags & m.kind)) {
            found = &m;
            break;
        }
    }
    if (!found)
        return DISP_E_MEMBERNOTFOUND;
    if (static_cast<int>(args.size()) != found->argc)
        return DISP_E_BADPARAMCOUNT;
    try {
        vrt::Variant value = found->handler(args);
        if (result)
            *result = std::move(value);
        return S_OK;
    } catch (const vrt::RuntimeError& e) {
        if (excepInfo) {
            excepInfo->source = source_;
            excepInfo->description = e.description();
            excepInfo->scode = hresultFromError(e.number());
        }
        return DISP_E_EXCEPTION;
    } catch (const std::exception& e) {
        if (excepInfo) {
            excepInfo->source = source_;
            excepInfo->description = QString::fromUtf8(e.what());
            excepInfo->scode = E_FAIL;
        }
        return DISP_E_EXCEPTION;
    }
}

ClassFactory::ClassFactory(Creator creator) : creator_(std::move(creator)) {}

HRESULT ClassFactory::QueryInterface(const IID& iid, void** object) {
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

uint32_t ClassFactory::AddRef() {
    return ++refs_;
}

uint32_t ClassFactory::Release() {
    const uint32_t left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, const IID& iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    IUnknown* instance = nullptr;
    try {
        instance = creator_();
    } catch (const std::exception& e) {
        qWarning() << "class factory:" << e.what();
        return E_FAIL;
    }
    const HRESULT hr = instance->QueryInterface(iid, object);
    instance->Release();
    return hr;
}

HRESULT ClassFactory::LockServer(bool lock) {
    lock ? module::lock() : module::unlock();
    return S_OK;
}

} // namespace vcom
