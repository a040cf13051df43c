// A laboratory application's side of Vantrel: it opens the laboratory
// database (the folder of the embedded one, or a connection string),
// registers the component, creates it by its ProgID, hands it one request of
// the log book and lets the technologist enter the results.
#include <vantrel/entry/server.h>
#include <vantrel/platform/ado/recordset.h>
#include <vantrel/platform/com/createobject.h>

#include <QApplication>
#include <QTextStream>

void startScriptedUser(); // fills in the windows of an offscreen run
void watchForErrors();    // counts the message boxes that report an error
int errorsShown();

int main(int argc, char** argv) {
    // Qt's notes (runtime folder, offscreen plugin) say nothing a user can act on.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            QTextStream(stderr) << text << "\n";
    });
    QTextStream out(stdout);
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        out << "example-host: there is no display; run it offscreen (a scripted user then "
               "works the windows) with QT_QPA_PLATFORM=offscreen\n";
        return 2;
    }
    QApplication app(argc, argv);
    if (argc != 3) {
        out << "usage: example-host <database folder>|<connection string> <request number>\n";
        return 2;
    }
    QString request = QString::fromLocal8Bit(argv[2]);
    const QString quoted = QLatin1Char('\'') +
                           request.replace(QLatin1Char('\''), QStringLiteral("''")) +
                           QLatin1Char('\'');
    try {
        const QString where = QString::fromLocal8Bit(argv[1]);
        auto db = std::make_shared<ado::Connection>();
        db->Open(where.contains(QLatin1Char('='))
                     ? where
                     : QStringLiteral("Provider=SQLite;Data Source=") + where);

        // Once per user is enough; vantrel-regsvr <library> does the same.
        if (DllRegisterServer() < 0)
            throw vrt::RuntimeError(vrt::err::ActiveXCannotCreate,
                                    QStringLiteral("not registered"));
        vcom::LateBound entry = vcom::CreateObject(QStringLiteral("Vantrel.clsDataEntry"));
        entry.call(QStringLiteral("SQLConnection"), {vrt::Variant(vrt::ObjectPtr(db))});

        auto head = db->Execute(QStringLiteral("LABORATORY..lab_getlogbookrequest ") + quoted);
        if (head->eof()) {
            out << "request " << argv[2] << " is not in the log book\n";
            return 1;
        }
        for (const char* name :
             {"RequestNum", "HospNum", "IDNum", "PatName", "Age", "Sex", "CivilStatus", "DoctorID",
              "DoctorName", "SectionID", "SectionName", "RoomID", "PatientType", "Remarks"}) {
            const QString field = QString::fromLatin1(name);
            entry.let(field, vrt::Variant(head->Fields(field).Value.text()));
        }
        const vrt::Variant trans = head->Fields(QStringLiteral("TransDate")).Value;
        entry.let(QStringLiteral("TransDate"),
                  vrt::Variant(vrt::Variant(trans.toDate()).toString()));
        entry.let(QStringLiteral("MedTechID"), vrt::Variant("MT-001"));
        entry.let(QStringLiteral("EmployeeID"), vrt::Variant("EMP-0001"));
        entry.let(QStringLiteral("EmployeeName"), vrt::Variant("SANTOS, MARIA L."));
        entry.let(QStringLiteral("Switch"), vrt::Variant("R"));
        entry.let(QStringLiteral("EditMode"), vrt::Variant(true));

        entry.call(QStringLiteral("Clear_Exams"));
        auto exams = db->Execute(QStringLiteral("LABORATORY..lab_getlogbookexams ") + quoted);
        for (; !exams->eof(); exams->MoveNext()) {
            auto field = [&](const char* name) {
                return exams->Fields(QString::fromLatin1(name)).Value;
            };
            entry.let(QStringLiteral("ExamTitle"), field("ExamTitle"));
            entry.call(QStringLiteral("Add_Exam"),
                       {field("EModel"), field("Amount").toDouble(), field("RefNum"),
                        field("LabNum"), false, field("FormType"), field("LabExamID"),
                        field("ExamTitle"), vrt::Variant(), false});
        }
        watchForErrors();
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            startScriptedUser();
        entry.call(QStringLiteral("Show_ResultEntry"), {int16_t(600), int16_t(400)});
        const bool saved = entry.get(QStringLiteral("HasSaved")).toBool();
        out << "HasSaved = " << (saved ? "True" : "False") << "\n";
        if (errorsShown() > 0) // a save or a print that failed, shown to the user
            out << "an error was shown (above): not saved, or its report not printed\n";
        return saved && errorsShown() == 0 ? 0 : 1;
    } catch (const vrt::RuntimeError& e) {
        out << "error " << e.number() << ": " << e.description() << "\n";
        return 1;
    }
}
