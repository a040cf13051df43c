#pragma once

/// \file
/// The in-process server's class identity and its four entry points, which
/// CreateObject finds by name in the loaded library.

#include "platform/com/dispatch.h"

/// The class identifier of clsDataEntry, kept in the registration.
extern const vcom::CLSID CLSID_clsDataEntry;
/// "Vantrel.clsDataEntry", the name hosts create the class by.
extern const char* const ProgID_clsDataEntry;

extern "C" {
/// Registers the class under its ProgID with this library's path as it was
/// loaded (for a package, the versioned link libvantrel.so.0). S_OK, or
/// SELFREG_E_CLASS when the library cannot tell its own path.
vcom::HRESULT DllRegisterServer();
/// Removes the class's registration. Always S_OK.
vcom::HRESULT DllUnregisterServer();
/// Hands out the class factory of clsDataEntry as the interface iid asks.
/// E_POINTER for a null argument, CLASS_E_CLASSNOTAVAILABLE for another class.
vcom::HRESULT DllGetClassObject(const vcom::CLSID* clsid, const vcom::IID* iid, void** object);
/// S_OK when no object is alive and the server is not locked, S_FALSE otherwise.
vcom::HRESULT DllCanUnloadNow();
}
