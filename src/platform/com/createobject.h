#pragma once

/// \file
/// The host's side of late binding: CreateObject and calls by member name.

#include "dispatch.h"

#include <QString>
#include <initializer_list>

namespace vcom {

/// The host's side of late binding: a dispatch interface called by member
/// name. Failures come back as vrt::RuntimeError with the error's number and
/// description, as a host's runtime raises them: 438 for a name the object
/// does not have, 5 for a wrong number of arguments, 91 on an empty
/// LateBound, and the member's own
/// error otherwise.
class LateBound {
public:
    /// Holds no object.
    LateBound() = default;
    /// Takes over a reference to the interface.
    explicit LateBound(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

    /// Reads a property (HasSaved).
    vrt::Variant get(const QString& name);
    /// Writes a property (RequestNum, EditMode, ...).
    void let(const QString& name, vrt::Variant value);
    /// Calls a method. Arguments are passed by reference: the callee's changes
    /// are seen in args.
    vrt::Variant call(const QString& name, std::vector<vrt::Variant>& args);
    /// Calls a method with arguments the caller does not look at again.
    vrt::Variant call(const QString& name, std::vector<vrt::Variant>&& args = {});

    /// The interface, for calls by dispatch identifier.
    IDispatch* dispatch() const { return dispatch_.get(); }
    /// Whether an object is held.
    explicit operator bool() const { return bool(dispatch_); }
    /// Drops the reference (the host's "Set obj = Nothing"): the last one
    /// destroys the data-entry object.
    void release() { dispatch_.reset(); }

private:
    vrt::Variant invoke(const QString& name, uint16_t flags, std::span<vrt::Variant> args);
    ComPtr<IDispatch> dispatch_;
};

/// Looks the ProgID up in the registration, loads the registered library,
/// asks its DllGetClassObject for the class factory and creates the object.
/// 429 when the class is not registered or the library cannot be loaded.
LateBound CreateObject(const QString& progId);

} // namespace vcom
