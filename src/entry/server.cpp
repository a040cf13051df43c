// The in-process server's four entry points.

#include "server.h"

#include "dispatch_clsDataEntry.h"
#include "platform/com/registry.h"

#include <QFileInfo>
#include <dlfcn.h>

const vcom::CLSID CLSID_clsDataEntry{
    0x5D3A7C21, 0x8E4B, 0x4F06, {0x9A, 0x1C, 0x2B, 0x6E, 0x7F, 0x40, 0xD5, 0x13}};
const char* const ProgID_clsDataEntry = "Vantrel.clsDataEntry";

namespace {

QString libraryPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&libraryPath), &info) == 0 || !info.dli_fname)
        return {};
    // The file name as it was loaded (the versioned link a package installs,
    // "libvantrel.so.0"), not the file it points to: a package upgrade
    // replaces that file, and the registration must still lead to the new one.
    const QFileInfo loaded(QString::fromLocal8Bit(info.dli_fname));
    const QString folder = QFileInfo(loaded.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + loaded.fileName();
}

} // namespace

extern "C" {

vcom::HRESULT DllRegisterServer() {
    const QString path = libraryPath();
    if (path.isEmpty())
        return vcom::SELFREG_E_CLASS;
    vcom::registry::registerClass({CLSID_clsDataEntry, QString::fromLatin1(ProgID_clsDataEntry),
                                   path, QStringLiteral("Apartment")});
    return vcom::S_OK;
}

vcom::HRESULT DllUnregisterServer() {
    vcom::registry::unregisterClass(CLSID_clsDataEntry, QString::fromLatin1(ProgID_clsDataEntry));
    return vcom::S_OK;
}

vcom::HRESULT DllGetClassObject(const vcom::CLSID* clsid, const vcom::IID* iid, void** object) {
    if (!clsid || !iid || !object)
        return vcom::E_POINTER;
    *object = nullptr;
    if (!(*clsid == CLSID_clsDataEntry))
        return vcom::CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new vcom::ClassFactory([] { return entry::createDataEntryDispatch(); });
    const vcom::HRESULT hr = factory->QueryInterface(*iid, object);
    factory->Release();
    return hr;
}

vcom::HRESULT DllCanUnloadNow() {
    return vcom::module::canUnload() ? vcom::S_OK : vcom::S_FALSE;
}

} // extern "C"
