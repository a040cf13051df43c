#pragma once

/// \file
/// The dispatch interface, reference counting and the class factory.

#include "guid.h"
#include "platform/runtime/variant.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vcom {

using HRESULT = int32_t; ///< the outcome of a call: negative is a failure
using DISPID = int32_t;  ///< a member's dispatch identifier

constexpr HRESULT S_OK = 0;                                         ///< success
constexpr HRESULT S_FALSE = 1;                                      ///< success, answer "no"
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002); ///< interface not supported
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);     ///< a null pointer argument
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);        ///< unspecified failure
/// The member does not answer this kind of call (a Let of HasSaved).
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003);
/// No member has this name or identifier.
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006);
/// The member raised a run-time error; it is in ExcepInfo.
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009);
/// Wrong number of arguments.
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000E);
/// The class cannot be aggregated.
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
/// The library does not serve this class.
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
/// The class is not registered.
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
/// The class could not be registered.
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201);

/// Whether the outcome is a failure.
inline bool FAILED(HRESULT hr) {
    return hr < 0;
}
/// Whether the outcome is a success.
inline bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}

/// A run-time error number as an HRESULT of the runtime's facility.
HRESULT hresultFromError(int32_t number);
/// The run-time error number an HRESULT carries.
int32_t errorFromHResult(HRESULT hr);

/// The kind of call Invoke makes.
enum DispatchFlags : uint16_t {
    DISPATCH_METHOD = 1,      ///< a method call
    DISPATCH_PROPERTYGET = 2, ///< a property read
    DISPATCH_PROPERTYPUT = 4, ///< a property write (Let)
};

/// The error a member raised, as Invoke hands it back.
struct ExcepInfo {
    QString source;       ///< the object's ProgID
    QString description;  ///< the error's text
    HRESULT scode = S_OK; ///< the error's number (errorFromHResult)
};

/// The base interface: interface look-up and reference counting.
class IUnknown {
public:
    /// Hands out the interface iid with a new reference, or E_NOINTERFACE.
    virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
    /// Adds a reference; returns the new count.
    virtual uint32_t AddRef() = 0;
    /// Drops a reference; the last one destroys the object.
    virtual uint32_t Release() = 0;

protected:
    /// Objects go with their last reference, never by delete.
    virtual ~IUnknown() = default;
};

/// Late binding: names to dispatch identifiers, and calls by identifier.
/// Arguments come in declaration order and by reference.
class IDispatch : public IUnknown {
public:
    /// The identifier of the member with this name (any letter case), or
    /// DISP_E_UNKNOWNNAME.
    virtual HRESULT GetIDsOfNames(const QString& name, DISPID* id) = 0;
    /// Calls the member: DISP_E_EXCEPTION with the error in excepInfo when it
    /// raised one, DISP_E_BADPARAMCOUNT for a wrong number of arguments,
    /// DISP_E_MEMBERNOTFOUND for a kind of call it does not answer.
    virtual HRESULT Invoke(DISPID id, uint16_t flags, std::span<vrt::Variant> args,
                           vrt::Variant* result, ExcepInfo* excepInfo) = 0;
};

/// Makes the objects of one class.
class IClassFactory : public IUnknown {
public:
    /// A new object, handed out as the interface iid; outer must be null.
    virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
    /// Keeps the library loaded (true) or lets it go again (false).
    virtual HRESULT LockServer(bool lock) = 0;
};

/// Owning pointer that holds one reference.
template <class T> class ComPtr {
public:
    /// Holds nothing.
    ComPtr() = default;
    /// Takes over a reference the caller already holds.
    static ComPtr attach(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    /// Shares the object: adds a reference.
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_)
            p_->AddRef();
    }
    /// Takes over the other's reference.
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    /// Holds the other's object instead; the old one loses a reference.
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    /// Drops the reference.
    ~ComPtr() { reset(); }
    /// Drops the reference and holds nothing.
    void reset() {
        if (auto* p = std::exchange(p_, nullptr))
            p->Release();
    }
    /// The object, without a new reference.
    T* get() const { return p_; }
    /// The object's members.
    T* operator->() const { return p_; }
    /// Whether an object is held.
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

/// The server's count of live objects and locks, which decides whether the
/// library may be unloaded.
namespace module {
void objectCreated();   ///< an object of the server was made
void objectDestroyed(); ///< one went with its last reference
void lock();            ///< IClassFactory::LockServer(true)
void unlock();          ///< IClassFactory::LockServer(false)
bool canUnload();       ///< no object alive and no lock held
} // namespace module

/// A dual interface whose members are a table, in the interface's order:
/// name, identifier, the kinds of call it answers and a handler. Errors thrown
/// by a handler come back as DISP_E_EXCEPTION with the run-time error in
/// ExcepInfo. QueryInterface answers IUnknown, IDispatch and the interface's
/// own identifier.
class DispatchObject : public IDispatch {
public:
    /// Runs one call with its arguments, by reference.
    using Handler = std::function<vrt::Variant(std::span<vrt::Variant> args)>;
    /// One row of the interface.
    struct Member {
        QString name;       ///< the member's name
        DISPID id;          ///< its dispatch identifier
        DispatchFlags kind; ///< the one kind of call it answers
        int argc;           ///< how many arguments it takes
        Handler handler;    ///< what the call does
    };

    HRESULT QueryInterface(const IID& iid,
                           void** object) override; ///< \copydoc IUnknown::QueryInterface
    uint32_t AddRef() override;                     ///< \copydoc IUnknown::AddRef
    uint32_t Release() override;                    ///< \copydoc IUnknown::Release
    /// \copydoc IDispatch::GetIDsOfNames
    HRESULT GetIDsOfNames(const QString& name, DISPID* id) override;
    /// \copydoc IDispatch::Invoke
    HRESULT Invoke(DISPID id, uint16_t flags, std::span<vrt::Variant> args, vrt::Variant* result,
                   ExcepInfo* excepInfo) override;

    /// The interface's members in order.
    const std::vector<Member>& members() const { return members_; }

protected:
    /// An object answering the interface iid with these members; source is
    /// its ProgID, reported with its errors. It starts with one reference.
    DispatchObject(const IID& iid, QString source, std::vector<Member> members);
    /// Counts the object as gone for DllCanUnloadNow.
    ~DispatchObject() override;

private:
    IID iid_;
    QString source_;
    std::vector<Member> members_;
    std::atomic<uint32_t> refs_{1};
};

/// Hands out new objects of one class; each counts as a live object of the
/// server until its last reference goes.
class ClassFactory : public IClassFactory {
public:
    /// Makes one object with one reference.
    using Creator = std::function<IUnknown*()>;
    /// A factory with one reference.
    explicit ClassFactory(Creator creator);

    HRESULT QueryInterface(const IID& iid,
                           void** object) override; ///< \copydoc IUnknown::QueryInterface
    uint32_t AddRef() override;                     ///< \copydoc IUnknown::AddRef
    uint32_t Release() override;                    ///< \copydoc IUnknown::Release
    /// \copydoc IClassFactory::CreateInstance
    HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override;
    /// \copydoc IClassFactory::LockServer
    HRESULT LockServer(bool lock) override;

private:
    ~ClassFactory() override = default;
    Creator creator_;
    std::atomic<uint32_t> refs_{1};
};

} // namespace vcom
