// Registers (or with /u unregisters) an in-process server library by calling
// its DllRegisterServer / DllUnregisterServer.

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <cstdint>
#include <dlfcn.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool unregister = args.removeAll(QStringLiteral("/u")) > 0;
    QTextStream err(stderr);
    if (args.size() != 1) {
        err << "usage: vantrel-regsvr [/u] <library>\n";
        return 2;
    }
    const QString path = QFileInfo(args.first()).absoluteFilePath();
    void* library = dlopen(path.toLocal8Bit().constData(), RTLD_NOW);
    if (!library) {
        err << "vantrel-regsvr: cannot load " << path << ": " << dlerror() << "\n";
        return 1;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto fn = reinterpret_cast<int32_t (*)()>(dlsym(library, entry));
    if (!fn) {
        err << "vantrel-regsvr: " << path << " has no " << entry << "\n";
        return 1;
    }
    const int32_t hr = fn();
    if (hr < 0) {
        err << "vantrel-regsvr: " << entry << " failed with 0x" << Qt::hex
            << static_cast<uint32_t>(hr) << "\n";
        return 1;
    }
    return 0;
}
