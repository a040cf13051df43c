#pragma once

#include "guid.h"
#include "platform/runtime/variant.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vcom {

using HRESULT = int32_t;
using DISPID = int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006);
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000E);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201);

inline bool FAILED(HRESULT hr) {
    return hr < 0;
}
inline bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}

// Run-time error numbers travel as HRESULTs of the runtime's facility.
HRESULT hresultFromError(int32_t number);
int32_t errorFromHResult(HRESULT hr);

enum DispatchFlags : uint16_t {
    DISPATCH_METHOD = 1,
    DISPATCH_PROPERTYGET = 2,
    DISPATCH_PROPERTYPUT = 4,
};

struct ExcepInfo {
    QString source;
    QString description;
    HRESULT scode = S_OK;
};

class IUnknown {
public:
    virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

// Late binding: names to dispatch identifiers, and calls by identifier.
// Arguments come in declaration order and by reference.
class IDispatch : public IUnknown {
public:
    virtual HRESULT GetIDsOfNames(const QString& name, DISPID* id) = 0;
    virtual HRESULT Invoke(DISPID id, uint16_t flags, std::span<vrt::Variant> args,
                           vrt::Variant* result, ExcepInfo* excepInfo) = 0;
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
    virtual HRESULT LockServer(bool lock) = 0;
};

// Owning pointer that holds one reference.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds.
    static ComPtr attach(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_)
            p_->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr() { reset(); }
    void reset() {
        if (auto* p = std::exchange(p_, nullptr))
            p->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// The server's count of live objects and locks, which decides whether the
// library may be unloaded.
namespace module {
void objectCreated();
void objectDestroyed();
void lock();
void unlock();
bool canUnload();
} // namespace module

// A dual interface whose members are a table, in the interface's order:
// name, identifier, the kinds of call it answers and a handler. Errors thrown
// by a handler come back as DISP_E_EXCEPTION with the run-time error in
// ExcepInfo. QueryInterface answers IUnknown, IDispatch and the interface's
// own identifier.
class DispatchObject : public IDispatch {
public:
    using Handler = std::function<vrt::Variant(std::span<vrt::Variant> args)>;
    struct Member {
        QString name;
        DISPID id;
        DispatchFlags kind;
        int argc;
        Handler handler;
    };

    HRESULT QueryInterface(const IID& iid, void** object) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    HRESULT GetIDsOfNames(const QString& name, DISPID* id) override;
    HRESULT Invoke(DISPID id, uint16_t flags, std::span<vrt::Variant> args, vrt::Variant* result,
                   ExcepInfo* excepInfo) override;

    const std::vector<Member>& members() const { return members_; }

protected:
    DispatchObject(const IID& iid, QString source, std::vector<Member> members);
    ~DispatchObject() override;

private:
    IID iid_;
    QString source_;
    std::vector<Member> members_;
    std::atomic<uint32_t> refs_{1};
};

// Hands out new objects of one class; each counts as a live object of the
// server until its last reference goes.
class ClassFactory : public IClassFactory {
public:
    using Creator = std::function<IUnknown*()>;
    explicit ClassFactory(Creator creator);

    HRESULT QueryInterface(const IID& iid, void** object) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override;
    HRESULT LockServer(bool lock) override;

private:
    ~ClassFactory() override = default;
    Creator creator_;
    std::atomic<uint32_t> refs_{1};
};

} // namespace vcom
