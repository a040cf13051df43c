#pragma once

#include "platform/com/dispatch.h"

extern const vcom::CLSID CLSID_clsDataEntry;
extern const char* const ProgID_clsDataEntry;

extern "C" {
// Registers the class under its ProgID with this library's path.
vcom::HRESULT DllRegisterServer();
vcom::HRESULT DllUnregisterServer();
// The class factory of clsDataEntry.
vcom::HRESULT DllGetClassObject(const vcom::CLSID* clsid, const vcom::IID* iid, void** object);
// S_OK when no object is alive and the server is not locked.
vcom::HRESULT DllCanUnloadNow();
}
