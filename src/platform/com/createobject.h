#pragma once

#include "dispatch.h"

#include <QString>
#include <initializer_list>

namespace vcom {

// The host's side of late binding: a dispatch interface called by member
// name. Failures come back as vrt::RuntimeError with the error's number and
// description, as a host's runtime raises them.
class LateBound {
public:
    LateBound() = default;
    explicit LateBound(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

    vrt::Variant get(const QString& name);
    void let(const QString& name, vrt::Variant value);
    // Arguments are passed by reference: the callee's changes are seen in args.
    vrt::Variant call(const QString& name, std::vector<vrt::Variant>& args);
    vrt::Variant call(const QString& name, std::vector<vrt::Variant>&& args = {});

    IDispatch* dispatch() const { return dispatch_.get(); }
    explicit operator bool() const { return bool(dispatch_); }
    // Drops the reference (the host's "Set obj = Nothing").
    void release() { dispatch_.reset(); }

private:
    vrt::Variant invoke(const QString& name, uint16_t flags, std::span<vrt::Variant> args);
    ComPtr<IDispatch> dispatch_;
};

// Looks the ProgID up in the registration, loads the registered library,
// asks its DllGetClassObject for the class factory and creates the object.
// 429 when the class is not registered or the library cannot be loaded.
LateBound CreateObject(const QString& progId);

} // namespace vcom
