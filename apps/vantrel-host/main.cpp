// The demo laboratory host: what a hospital application does with Vantrel.
// It opens its own connection to the laboratory database, creates the
// data-entry object by its ProgID, hands over the connection, writes a
// request, fills the exam list and asks for result entry.

#include "platform/ado/connection.h"
#include "platform/com/createobject.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>

namespace {

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}

int run(const QString& dataFolder) {
    QDir().mkpath(dataFolder);
    auto hostConnection = std::make_shared<ado::Connection>();
    hostConnection->Open(QStringLiteral("Provider=SQLite;Data Source=") +
                         QDir(dataFolder).absolutePath());
    out() << "host: connected to " << hostConnection->ConnectionString() << "\n";

    vcom::LateBound entry = vcom::CreateObject(QStringLiteral("Vantrel.clsDataEntry"));
    out() << "host: created Vantrel.clsDataEntry\n";
    entry.call(QStringLiteral("SQLConnection"), {vrt::Variant(vrt::ObjectPtr(hostConnection))});

    const std::pair<const char*, const char*> request[] = {
        {"RequestNum", "R-000101"},
        {"HospNum", "H-20417"},
        {"PatName", "DELA CRUZ, ANA M."},
        {"Age", "34"},
        {"Sex", "Female"},
        {"DoctorName", "DR. L. REYES"},
        {"SectionName", "CLINICAL MICROSCOPY"},
        {"EmployeeName", "J. SANTOS"},
        {"TransDate", "12/06/2026"},
    };
    for (const auto& [name, value] : request)
        entry.let(QString::fromLatin1(name), vrt::Variant(value));
    entry.let(QStringLiteral("EditMode"), vrt::Variant(true));

    entry.call(QStringLiteral("Clear_Exams"));
    entry.call(QStringLiteral("Add_Exam"), {"URI", 150.0, "REF-1", "R-000101", false, "U", "UA01",
                                            "URINALYSIS", vrt::Variant(), false});
    entry.call(QStringLiteral("Add_Exam"),
               {"STL", 120.0, "REF-2", "R-000101", false, "S", "SE01", "STOOL EXAM",
                vrt::Variant::array({"BROWN", "FORMED"}), true});
    entry.call(QStringLiteral("Modify_Exam"),
               {"SE01", "S", "STOOL EXAMINATION", true, vrt::Variant::array({"YELLOW", "SOFT"})});
    out() << "host: request R-000101 written with 2 exams\n";

    try {
        entry.call(QStringLiteral("Show_ResultEntry"), {int16_t(600), int16_t(400)});
    } catch (const vrt::RuntimeError& e) {
        out() << "host: Show_ResultEntry: error " << e.number() << ": " << e.description() << "\n";
    }
    out() << "host: HasSaved = " << entry.get(QStringLiteral("HasSaved")).toString() << "\n";
    entry.release();
    out() << "host: done\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Vantrel demo laboratory host"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("data"), QStringLiteral("Folder of the embedded database."),
                      QStringLiteral("folder"), QStringLiteral("demo-data")});
    parser.process(app);
    try {
        return run(parser.value(QStringLiteral("data")));
    } catch (const vrt::RuntimeError& e) {
        QTextStream(stderr) << "host: error " << e.number() << ": " << e.description() << "\n";
        return 1;
    }
}
