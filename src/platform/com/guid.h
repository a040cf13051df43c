#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace vcom {

struct GUID {
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    std::array<uint8_t, 8> Data4{};

    // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", upper case.
    QString toString() const;
    // Accepts the registry form with or without braces, any letter case.
    static std::optional<GUID> fromString(const QString& text);

    friend bool operator==(const GUID&, const GUID&) = default;
};

using CLSID = GUID;
using IID = GUID;

extern const IID IID_IUnknown;
extern const IID IID_IDispatch;
extern const IID IID_IClassFactory;

} // namespace vcom
