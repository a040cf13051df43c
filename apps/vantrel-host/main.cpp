// The demo laboratory host: what a hospital application does with Vantrel.
// It keeps its log book in the laboratory database, lists the pending
// requests and hands the chosen one to the result-entry component by its
// ProgID, through the component's dispatch interface.

#include "dbsetup/dbsetup.h"
#include "hostwindow.h"
#include "laboratory.h"
#include "walkthrough.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTextStream>

namespace {

QString prepareDatabase(const QString& folder) {
    if (dbsetup::createFolder(folder, true))
        QTextStream(stdout) << "host: created the demo laboratory database in " << folder << "\n";
    return QStringLiteral("Provider=SQLite;Data Source=") + QDir(folder).absolutePath();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Clinical Laboratory"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Vantrel demo laboratory host"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("data"), QStringLiteral("Folder of the embedded database."),
                      QStringLiteral("folder"), QStringLiteral("demo-data")});
    parser.addOption(
        {QStringLiteral("walkthrough"),
         QStringLiteral("Enter two results by script instead of opening the window.")});
    parser.process(app);

    const QString folder = parser.value(QStringLiteral("data"));
    const QString prints = qEnvironmentVariable("VANTREL_PRINT_DIR");
    try {
        Laboratory laboratory(prepareDatabase(folder));
        const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
        if (parser.isSet(QStringLiteral("walkthrough")) || offscreen) {
            // With VANTREL_GRAB_DIR set, the log book is pictured first.
            if (const QString grabs = qEnvironmentVariable("VANTREL_GRAB_DIR"); !grabs.isEmpty()) {
                HostWindow window(laboratory);
                window.show();
                window.grab().save(QDir(grabs).filePath(QStringLiteral("00-logbook.png")));
            }
            return runWalkthrough(laboratory, prints.isEmpty() ? folder : prints);
        }
        HostWindow window(laboratory);
        window.show();
        return app.exec();
    } catch (const vrt::RuntimeError& e) {
        QTextStream(stderr) << "host: error " << e.number() << ": " << e.description() << "\n";
        return 1;
    }
}
