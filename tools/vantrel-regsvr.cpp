// Registers (or with /u unregisters) an in-process server library by calling
// its DllRegisterServer / DllUnregisterServer.

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QTextStream>
#include <cstdint>
#include <dlfcn.h>
#include <memory>

namespace {

// The class registration the libraries write: the file VANTREL_REGISTRY
// names, else the user's.
std::unique_ptr<QSettings> registration() {
    const QString file = qEnvironmentVariable("VANTREL_REGISTRY");
    if (!file.isEmpty())
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Vantrel"), QStringLiteral("registry"));
}

// "<ProgID> <CLSID> in <library>" of each class registered to the library.
QStringList classesOf(const QString& library) {
    auto s = registration();
    const QString wanted = QFileInfo(library).canonicalFilePath();
    QStringList classes;
    s->beginGroup(QStringLiteral("CLSID"));
    for (const QString& clsid : s->childGroups()) {
        const QString server = s->value(clsid + QStringLiteral("/InprocServer32")).toString();
        if (QFileInfo(server).canonicalFilePath() == wanted)
            classes << QStringLiteral("%1 %2 in %3")
                           .arg(s->value(clsid + QStringLiteral("/ProgID")).toString(), clsid,
                                server);
    }
    return classes;
}

} // namespace

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
    const QStringList before = classesOf(path);
    const int32_t hr = fn();
    if (hr < 0) {
        err << "vantrel-regsvr: " << entry << " failed with 0x" << Qt::hex
            << static_cast<uint32_t>(hr) << "\n";
        return 1;
    }
    QTextStream out(stdout);
    const QStringList after = classesOf(path);
    for (const QString& c : unregister ? before : after)
        out << "vantrel-regsvr: " << (unregister ? "unregistered " : "registered ") << c << "\n";
    if ((unregister ? before : after).isEmpty())
        out << "vantrel-regsvr: " << path
            << (unregister ? " had no class registered" : " registered no class") << "\n";
    out << "vantrel-regsvr: registration in " << registration()->fileName() << "\n";
    return 0;
}
