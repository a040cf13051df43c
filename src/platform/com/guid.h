#pragma once

/// \file
/// Class and interface identifiers.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

/// The component door: identifiers, the dispatch interface, the class
/// factory, and CreateObject for hosts.
namespace vcom {

/// A 128-bit identifier of a class or an interface.
struct GUID {
    uint32_t Data1 = 0;             ///< first 8 hex digits
    uint16_t Data2 = 0;             ///< next 4
    uint16_t Data3 = 0;             ///< next 4
    std::array<uint8_t, 8> Data4{}; ///< last 16, as bytes

    /// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", upper case.
    QString toString() const;
    /// Accepts the registry form with or without braces, any letter case.
    static std::optional<GUID> fromString(const QString& text);

    /// Same identifier.
    friend bool operator==(const GUID&, const GUID&) = default;
};

using CLSID = GUID; ///< a class identifier
using IID = GUID;   ///< an interface identifier

extern const IID IID_IUnknown;      ///< IUnknown
extern const IID IID_IDispatch;     ///< IDispatch
extern const IID IID_IClassFactory; ///< IClassFactory

} // namespace vcom
