// The demo laboratory host: what a hospital application does with Vantrel.
// It keeps its log book in the laboratory database, lists the pending
// requests and hands the chosen one to the result-entry component by its
// ProgID, through the component's dispatch interface.

#include "dbsetup/dbsetup.h"
#include "historydialog.h"
#include "hostwindow.h"
#include "laboratory.h"
#include "walkthrough.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

namespace {

QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

QString prepareDatabase(const QString& folder) {
    if (dbsetup::createFolder(folder, true))
        QTextStream(stdout) << "host: created the demo laboratory database in " << folder << "\n";
    return QStringLiteral("Provider=SQLite;Data Source=") + QDir(folder).absolutePath();
}

// Qt's notes and warnings (the platform plugin's, the font database's, the
// runtime folder's) say nothing a user of the host can act on: the host
// reports its own failures itself. Critical and fatal messages still show.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg)
        return;
    err() << message << "\n";
    err().flush();
}

// The folder the library prints into (VANTREL_PRINT_DIR), made when it is
// missing; empty, with the reason told, when it cannot be.
QString printFolder(const QString& fallback) {
    QString folder = qEnvironmentVariable("VANTREL_PRINT_DIR");
    if (folder.isEmpty())
        folder = fallback;
    if (folder.isEmpty())
        return {};
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir()) {
        err() << "host: the print folder " << folder << " is a file, not a folder.\n";
        return {};
    }
    if (!info.exists()) {
        if (!QDir().mkpath(folder)) {
            err() << "host: the print folder " << folder << " does not exist and cannot be "
                  << "created.\n";
            return {};
        }
        QTextStream(stdout) << "host: created the print folder " << folder << "\n";
    }
    qputenv("VANTREL_PRINT_DIR", QDir(folder).absolutePath().toLocal8Bit());
    return QDir(folder).absolutePath();
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(quietQt);
    // Without a display the log book cannot open: the host says so and runs
    // its walk-through offscreen instead of stopping at the platform plugin.
    const bool platformChosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (!platformChosen && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM",
                qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb;offscreen");
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Clinical Laboratory"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Vantrel demo laboratory host. Without a display (or with "
                       "QT_QPA_PLATFORM=offscreen) it runs a scripted walk-through."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("data"),
                      QStringLiteral("Folder of the embedded database, created with demo "
                                     "requests when missing (default: demo-data)."),
                      QStringLiteral("folder")});
    parser.addOption(
        {QStringLiteral("connection"),
         QStringLiteral("Connection string of a laboratory database prepared beforehand "
                        "(vantrel-db init-pg \"<connection string>\" --demo); instead of --data."),
         QStringLiteral("connection string")});
    parser.addOption({QStringLiteral("walkthrough"),
                      QStringLiteral("Enter results by script instead of opening the log book.")});
    parser.process(app);

    const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    if (offscreen && !platformChosen)
        err() << "host: no display to open the log book on ("
              << (qEnvironmentVariableIsEmpty("DISPLAY")
                      ? QStringLiteral("DISPLAY is not set")
                      : QStringLiteral("cannot connect to ") + qEnvironmentVariable("DISPLAY"))
              << "): running the walk-through offscreen (QT_QPA_PLATFORM=offscreen asks for "
                 "it).\n";
    const bool connected = parser.isSet(QStringLiteral("connection"));
    if (connected && parser.isSet(QStringLiteral("data"))) {
        err() << "host: --connection and --data exclude each other.\n";
        return 2;
    }
    const QString folder = parser.isSet(QStringLiteral("data"))
                               ? parser.value(QStringLiteral("data"))
                               : QStringLiteral("demo-data");
    const bool walkthrough = parser.isSet(QStringLiteral("walkthrough")) || offscreen;
    QString prints;
    if (walkthrough && connected && qEnvironmentVariableIsEmpty("VANTREL_PRINT_DIR")) {
        err() << "host: the walk-through prints its reports as PDF files into the folder that "
                 "VANTREL_PRINT_DIR names; set it.\n";
        return 2;
    }
    if (walkthrough || !qEnvironmentVariableIsEmpty("VANTREL_PRINT_DIR")) {
        // The walk-through of the embedded demo prints into the data folder.
        prints =
            printFolder(connected ? QString() : QDir(folder).filePath(QStringLiteral("prints")));
        if (prints.isEmpty())
            return 1;
    }
    const QString connection = connected ? parser.value(QStringLiteral("connection")) : QString();
    try {
        Laboratory laboratory(connected ? connection : prepareDatabase(folder));
        if (connected)
            laboratory.requests(true); // a database not prepared fails here, before any visit
        if (walkthrough) {
            // With VANTREL_GRAB_DIR set, the log book is pictured first.
            if (const QString grabs = qEnvironmentVariable("VANTREL_GRAB_DIR"); !grabs.isEmpty()) {
                HostWindow window(laboratory);
                window.show();
                window.grab().save(QDir(grabs).filePath(QStringLiteral("00-logbook.png")));
            }
            const int rc = runWalkthrough(laboratory, prints);
            // ... and the History view of the request it corrected, last.
            if (const QString grabs = qEnvironmentVariable("VANTREL_GRAB_DIR"); !grabs.isEmpty()) {
                HistoryDialog history(laboratory, correctedRequest());
                history.show();
                history.grab().save(QDir(grabs).filePath(QStringLiteral("99-history.png")));
            }
            return rc;
        }
        HostWindow window(laboratory);
        window.show();
        return app.exec();
    } catch (const vrt::RuntimeError& e) {
        err() << "host: error " << e.number() << ": " << e.description() << "\n";
        if (connected && connection.contains(QLatin1String("PostgreSQL"), Qt::CaseInsensitive))
            err() << "host: the host creates no database; prepare it beforehand with: "
                     "vantrel-db init-pg \""
                  << connection << "\" --demo\n";
        return 1;
    }
}
