#include "labsession.h"

#include "entry/modulestate.h"
#include "platform/ado/recordset.h"
#include "platform/ado/trace.h"

std::unique_ptr<LabSession> LabSession::open(const QString& backend) {
    auto db = TestDatabase::create(backend, TestDatabase::Contents::LaboratoryWithDemoData);
    if (!db)
        return nullptr;
    std::unique_ptr<LabSession> s(new LabSession);
    s->db_ = std::move(db);
    s->object_ = std::make_unique<entry::clsDataEntry>();
    ado::Connection host;
    host.setConnectionString(s->db_->connectionString());
    s->object_->SQLConnection(host);
    ado::statementTrace().clear();
    ado::setStatementTracing(true);
    return s;
}

LabSession::~LabSession() {
    ado::setStatementTracing(false);
}

void LabSession::request(const QString& requestNum, const QString& formType, const QString& examId,
                         const QString& title) {
    entry::clsDataEntry& o = *object_;
    o.RequestNum(requestNum);
    o.HospNum(QStringLiteral("H-20417"));
    o.IDNum(QStringLiteral("ADM-5521"));
    o.PatName(QStringLiteral("DELA CRUZ, ANA MARIE"));
    o.Age(QStringLiteral("34"));
    o.Sex(QStringLiteral("Female"));
    o.CivilStatus(QStringLiteral("Married"));
    o.DoctorID(QStringLiteral("DR-011"));
    o.DoctorName(QStringLiteral("DR. LUIS REYES"));
    o.SectionID(QStringLiteral("CM"));
    o.SectionName(QStringLiteral("CLINICAL MICROSCOPY"));
    o.RoomID(QStringLiteral("W3-12"));
    o.PatientType(QStringLiteral("I"));
    o.TransDate(QStringLiteral("12/05/2026"));
    o.ResultDate(QStringLiteral("12/06/2026"));
    o.EmployeeID(QStringLiteral("EMP-7"));
    o.EmployeeName(QStringLiteral("SANTOS, MARIA"));
    o.MedTechID(QStringLiteral("MT-001"));
    o.Switch(QStringLiteral("R"));
    o.ExamTitle(title);
    o.Remarks(QString());
    o.Clear_Exams();
    o.Add_Exam(QStringLiteral("UA"), 90, QStringLiteral("CH-260451"), requestNum, false, formType,
               examId, title, vrt::Variant(), false);
    entry::state().SignOffCancelled = false;
}

QList<QStringList> LabSession::rows(const QString& statement) {
    QList<QStringList> out;
    // The test's own reads stay out of the library's statement trace.
    const bool tracing = ado::statementTracing();
    ado::setStatementTracing(false);
    auto rs = db_->keeper().Execute(statement);
    ado::setStatementTracing(tracing);
    if (rs->State() != ado::adStateOpen)
        return out;
    for (; !rs->eof(); rs->MoveNext()) {
        QStringList row;
        for (int c = 0; c < rs->FieldCount(); ++c) {
            const vrt::Variant v = rs->Fields(c).Value;
            row << (v.isNull() ? QStringLiteral("NULL") : v.toString());
        }
        out << row;
    }
    return out;
}

void LabSession::dropProcedure(const QString& name) {
    if (db_->keeper().backend() == ado::Backend::SQLite)
        db_->keeper().runScript(
            QStringLiteral("DELETE FROM LABORATORY.vantrel_procedures WHERE name = '%1'")
                .arg(name));
    else
        db_->keeper().runScript(QStringLiteral("DROP FUNCTION laboratory.%1").arg(name));
}
