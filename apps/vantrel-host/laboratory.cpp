#include "laboratory.h"

#include "platform/ado/recordset.h"

Laboratory::Laboratory(const QString& connectionString)
    : connection_(std::make_shared<ado::Connection>()) {
    connection_->Open(connectionString);
}

namespace {

QString quoted(QString v) {
    return v.replace(QLatin1Char('\''), QStringLiteral("''"));
}

// The exam's reference values as the Data array of Add_Exam (element 0
// unused); Empty when the laboratory keeps none for the exam.
vrt::Variant referenceValues(ado::Connection& connection, const QString& labExamId) {
    auto rs = connection.Execute(
        QStringLiteral(
            "select Element, Value from build_file..tbcolabrefvalues where LabExamID = '") +
        quoted(labExamId) + QStringLiteral("' order by Element"));
    std::vector<vrt::Variant> elements;
    for (; rs->State() == ado::adStateOpen && !rs->eof(); rs->MoveNext()) {
        const int element = rs->Fields(0).Value.toLong();
        if (element < 1 || element > 16)
            continue;
        if (int(elements.size()) <= element)
            elements.resize(element + 1, vrt::Variant(QString()));
        elements[element] = vrt::Variant(rs->Fields(1).Value.text());
    }
    return elements.empty() ? vrt::Variant() : vrt::Variant::array(std::move(elements));
}

} // namespace

std::vector<PendingRequest> Laboratory::requests(bool all) {
    std::vector<PendingRequest> out;
    auto rs =
        connection_->Execute(QStringLiteral("LABORATORY..lab_listlogbook %1").arg(all ? 1 : 0));
    for (; rs->State() == ado::adStateOpen && !rs->eof(); rs->MoveNext()) {
        PendingRequest r;
        r.requestNum = rs->Fields(QStringLiteral("RequestNum")).Value.text();
        r.transDate = rs->Fields(QStringLiteral("TransDate")).Value.text();
        r.patient = rs->Fields(QStringLiteral("PatName")).Value.text();
        r.section = rs->Fields(QStringLiteral("SectionName")).Value.text();
        r.exams = rs->Fields(QStringLiteral("Exams")).Value.text();
        const vrt::Variant verified = rs->Fields(QStringLiteral("Verified")).Value;
        r.verified = !verified.isNull() && verified.toBool();
        out.push_back(r);
    }
    return out;
}

bool Laboratory::enterResults(const QString& requestNum) {
    auto head = connection_->Execute(QStringLiteral("LABORATORY..lab_getlogbookrequest '") +
                                     quoted(requestNum) + QStringLiteral("'"));
    if (head->State() != ado::adStateOpen || head->eof())
        throw vrt::RuntimeError(
            vrt::err::InvalidProcedureCall,
            QStringLiteral("Request %1 is not in the log book.").arg(requestNum));

    vcom::LateBound entry = vcom::CreateObject(QStringLiteral("Vantrel.clsDataEntry"));
    entry.call(QStringLiteral("SQLConnection"), {vrt::Variant(vrt::ObjectPtr(connection_))});

    auto text = [&](const char* column) {
        return head->Fields(QString::fromLatin1(column)).Value.text();
    };
    const std::pair<const char*, const char*> properties[] = {
        {"RequestNum", "RequestNum"},
        {"HospNum", "HospNum"},
        {"IDNum", "IDNum"},
        {"PatName", "PatName"},
        {"Age", "Age"},
        {"Sex", "Sex"},
        {"CivilStatus", "CivilStatus"},
        {"DoctorID", "DoctorID"},
        {"DoctorName", "DoctorName"},
        {"SectionID", "SectionID"},
        {"SectionName", "SectionName"},
        {"RoomID", "RoomID"},
        {"PatientType", "PatientType"},
    };
    for (const auto& [property, column] : properties)
        entry.let(QString::fromLatin1(property), vrt::Variant(text(column)));
    const vrt::Variant trans = head->Fields(QStringLiteral("TransDate")).Value;
    const vrt::Variant result = head->Fields(QStringLiteral("ResultDate")).Value;
    entry.let(QStringLiteral("TransDate"),
              vrt::Variant(trans.isNull() ? QString() : vrt::Variant(trans.toDate()).toString()));
    entry.let(QStringLiteral("ResultDate"),
              vrt::Variant(result.isNull() ? QString() : vrt::Variant(result.toDate()).toString()));
    entry.let(QStringLiteral("EmployeeID"), vrt::Variant("EMP-0001"));
    entry.let(QStringLiteral("EmployeeName"), vrt::Variant("SANTOS, MARIA L."));
    entry.let(QStringLiteral("MedTechID"), vrt::Variant("MT-001"));
    entry.let(QStringLiteral("Pathologist"), vrt::Variant("DR. ELENA M. BAUTISTA"));
    entry.let(QStringLiteral("Switch"), vrt::Variant("R"));
    entry.let(QStringLiteral("EditMode"), vrt::Variant(true));
    entry.let(QStringLiteral("Remarks"), vrt::Variant(text("Remarks")));

    entry.call(QStringLiteral("Clear_Exams"));
    auto exams = connection_->Execute(QStringLiteral("LABORATORY..lab_getlogbookexams '") +
                                      quoted(requestNum) + QStringLiteral("'"));
    bool first = true;
    QString profileExamId;
    for (; exams->State() == ado::adStateOpen && !exams->eof(); exams->MoveNext()) {
        auto field = [&](const char* column) {
            return exams->Fields(QString::fromLatin1(column)).Value.text();
        };
        const vrt::Variant amount = exams->Fields(QStringLiteral("Amount")).Value;
        if (first)
            entry.let(QStringLiteral("ExamTitle"), vrt::Variant(field("ExamTitle")));
        first = false;
        const auto add = [&](const QString& eModel, const QString& formType, const QString& id,
                             const QString& title) {
            const vrt::Variant data = referenceValues(*connection_, id);
            entry.call(QStringLiteral("Add_Exam"),
                       {eModel, amount.isNull() ? 0.0 : amount.toDouble(), field("RefNum"),
                        field("LabNum"), false, formType, id, title, data, !data.isEmpty()});
        };
        // A profile is ordered as one item and entered as its member exams.
        auto members = connection_->Execute(
            QStringLiteral("select e.LabExamID, e.ExamTitle, e.FormType, e.EModel from "
                           "build_file..tbcolabprofile p join build_file..tbcolabexam e on "
                           "e.LabExamID = p.LabExamID where p.ProfileExamID = '") +
            quoted(field("LabExamID")) + QStringLiteral("' order by p.LineNo"));
        if (members->State() == ado::adStateOpen && !members->eof())
            profileExamId = field("LabExamID");
        for (; members->State() == ado::adStateOpen && !members->eof(); members->MoveNext())
            add(members->Fields(3).Value.text(), members->Fields(2).Value.text(),
                members->Fields(0).Value.text(), members->Fields(1).Value.text());
        if (profileExamId != field("LabExamID"))
            add(field("EModel"), field("FormType"), field("LabExamID"), field("ExamTitle"));
    }
    entry.let(QStringLiteral("ProfileMode"), vrt::Variant(!profileExamId.isEmpty()));
    entry.let(QStringLiteral("ProfileExamID"), vrt::Variant(profileExamId));
    entry.call(QStringLiteral("Show_ResultEntry"), {int16_t(1200), int16_t(1800)});
    return entry.get(QStringLiteral("HasSaved")).toBool();
}
