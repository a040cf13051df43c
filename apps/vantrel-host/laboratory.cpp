#include "laboratory.h"

#include "platform/ado/recordset.h"

#include <map>
#include <optional>

Laboratory::Laboratory(const QString& connectionString)
    : connection_(std::make_shared<ado::Connection>()) {
    connection_->Open(connectionString);
}

namespace {

QString quoted(QString v) {
    return v.replace(QLatin1Char('\''), QStringLiteral("''"));
}

// Elements of a Data array by position (element 0 unused).
using Elements = std::map<int, QString>;

// The exam's reference values (normal ranges, units, factors) as the
// laboratory keeps them.
Elements referenceValues(ado::Connection& connection, const QString& labExamId) {
    auto rs = connection.Execute(
        QStringLiteral(
            "select Element, Value from build_file..tbcolabrefvalues where LabExamID = '") +
        quoted(labExamId) + QStringLiteral("' order by Element"));
    Elements elements;
    for (; rs->State() == ado::adStateOpen && !rs->eof(); rs->MoveNext()) {
        const int element = rs->Fields(0).Value.toLong();
        if (element >= 1 && element <= 16)
            elements[element] = rs->Fields(1).Value.text();
    }
    return elements;
}

// Where each result layout of the exam form (index 0..9) keeps the elements
// in its value slots: a stored row read back into what the screen shows.
struct SlotElement {
    const char* slot;
    int element;
};
const std::vector<SlotElement> layoutSlots[] = {
    {{"A1", 1}, {"A2", 2}, {"A4", 3}, {"A3", 4}},
    {{"A5", 1}},
    {{"A5", 1}},
    {{"B1", 1}, {"B3", 2}, {"B2", 3}, {"A5", 4}},
    {{"B4", 1}, {"A5", 2}, {"F1", 5}},
    {{"C1", 1}, {"C2", 2}, {"A1", 3}, {"A2", 4}, {"A3", 5}, {"G3", 8}, {"G4", 9}, {"G5", 10}},
    {{"E1", 1}, {"E2", 2}, {"A5", 3}},
    {{"H1", 1}, {"H2", 2}, {"H3", 3}, {"H4", 4}, {"H5", 5}, {"H6", 6}},
    {{"G1", 1}, {"A5", 3}, {"A3", 4}},
    {{"C1", 1}, {"G1", 2}, {"C2", 3}, {"G2", 4}, {"G5", 7}},
};

struct StoredExam {
    Elements values;
    QString remarks;
};

// The exam-form results stored for the request, by exam.
std::map<QString, StoredExam> storedExamResults(ado::Connection& connection,
                                                const QString& requestNum) {
    std::map<QString, StoredExam> stored;
    auto rs = connection.Execute(
        QStringLiteral("select * from LABORATORY..tbLabResultValues where RequestNum = '") +
        quoted(requestNum) + QStringLiteral("'"));
    for (; rs->State() == ado::adStateOpen && !rs->eof(); rs->MoveNext()) {
        auto field = [&](const char* name) { return rs->Fields(QString::fromLatin1(name)).Value; };
        const int layout = field("LayoutIndex").toLong();
        if (layout < 0 || layout > 9)
            continue;
        // Normal values given as text keep the text slots of layout 8.
        const bool textNormals = layout == 0 && !field("G1").isNull();
        StoredExam& exam = stored[field("LabExamID").text().toUpper()];
        for (const SlotElement& s : layoutSlots[textNormals ? 8 : layout])
            if (const vrt::Variant v = field(s.slot); !v.isNull())
                exam.values[s.element] = v.text();
        exam.remarks = field("Remarks").text();
    }
    return stored;
}

// A profile's stored row: each exam position packed as "|e0||e1|...|eN|"
// followed by elements 1 and 2 once more.
std::vector<Elements> storedProfile(ado::Connection& connection, const QString& requestNum,
                                    const QString& profileExamId, std::optional<QString>& remarks) {
    std::vector<Elements> exams;
    auto rs = connection.Execute(
        QStringLiteral("select * from LABORATORY..tbLabProfileResult where RequestNum = '") +
        quoted(requestNum) + QStringLiteral("' and ProfileExamID = '") + quoted(profileExamId) +
        QStringLiteral("'"));
    if (rs->State() != ado::adStateOpen || rs->eof())
        return exams;
    remarks = rs->Fields(QStringLiteral("Remarks")).Value.text();
    for (int i = 0; i < 18; ++i) {
        const QString packed = rs->Fields(QStringLiteral("Slot%1").arg(i)).Value.text();
        Elements elements;
        if (packed.size() > 2 && packed.startsWith(QLatin1Char('|')) &&
            packed.endsWith(QLatin1Char('|'))) {
            const QStringList parts = packed.mid(1, packed.size() - 2).split(QStringLiteral("||"));
            for (qsizetype e = 1; e + 2 < parts.size(); ++e)
                elements[int(e)] = parts[e];
        }
        exams.push_back(elements);
    }
    return exams;
}

// The remarks stored with a specialised form's results, if any.
std::optional<QString> storedFormRemarks(ado::Connection& connection, const QString& requestNum,
                                         const QString& formType) {
    const QString statement =
        formType == QLatin1String("X")
            ? QStringLiteral("select Remarks from LABORATORY..tbLabResultHistoCytology")
            : QStringLiteral("select Result20 from LABORATORY..tbLabResultHCodes");
    auto rs = connection.Execute(statement + QStringLiteral(" where RequestNum = '") +
                                 quoted(requestNum) + QStringLiteral("'"));
    if (rs->State() != ado::adStateOpen || rs->eof())
        return std::nullopt;
    return rs->Fields(0).Value.text();
}

// Elements as the Data array of Add_Exam; Empty when there are none.
vrt::Variant dataArray(const Elements& elements) {
    if (elements.empty())
        return vrt::Variant();
    std::vector<vrt::Variant> items(size_t(elements.rbegin()->first) + 1, vrt::Variant(QString()));
    for (const auto& [element, value] : elements)
        items[size_t(element)] = vrt::Variant(value);
    return vrt::Variant::array(std::move(items));
}

// One exam of the request; a profile's members share the profile's line.
struct ExamLine {
    QString eModel, formType, labExamId, title;
    double amount;
    QString refNum, labNum;
};

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

    // The exams as ordered; a profile is ordered as one item and entered as
    // its member exams.
    auto exams = connection_->Execute(QStringLiteral("LABORATORY..lab_getlogbookexams '") +
                                      quoted(requestNum) + QStringLiteral("'"));
    std::vector<ExamLine> lines;
    QString examTitle, profileExamId;
    for (; exams->State() == ado::adStateOpen && !exams->eof(); exams->MoveNext()) {
        auto field = [&](const char* column) {
            return exams->Fields(QString::fromLatin1(column)).Value.text();
        };
        if (examTitle.isEmpty())
            examTitle = field("ExamTitle");
        const vrt::Variant a = exams->Fields(QStringLiteral("Amount")).Value;
        const double amount = a.isNull() ? 0.0 : a.toDouble();
        auto members = connection_->Execute(
            QStringLiteral("select e.LabExamID, e.ExamTitle, e.FormType, e.EModel from "
                           "build_file..tbcolabprofile p join build_file..tbcolabexam e on "
                           "e.LabExamID = p.LabExamID where p.ProfileExamID = '") +
            quoted(field("LabExamID")) + QStringLiteral("' order by p.LineNo"));
        if (members->State() == ado::adStateOpen && !members->eof())
            profileExamId = field("LabExamID");
        for (; members->State() == ado::adStateOpen && !members->eof(); members->MoveNext())
            lines.push_back({members->Fields(3).Value.text(), members->Fields(2).Value.text(),
                             members->Fields(0).Value.text(), members->Fields(1).Value.text(),
                             amount, field("RefNum"), field("LabNum")});
        if (profileExamId != field("LabExamID"))
            lines.push_back({field("EModel"), field("FormType"), field("LabExamID"),
                             field("ExamTitle"), amount, field("RefNum"), field("LabNum")});
    }

    // What was stored before comes back with the exams, as a laboratory
    // application hands it over: the results as the Data array (over the
    // reference values) and the stored remarks as the first exam's remarks.
    std::optional<QString> remarks;
    std::map<QString, StoredExam> stored;
    std::vector<Elements> profile;
    const QString firstForm = lines.empty() ? QString() : lines.front().formType;
    if (firstForm == QLatin1String("H") || firstForm == QLatin1String("X")) {
        remarks = storedFormRemarks(*connection_, requestNum, firstForm);
    } else if (!profileExamId.isEmpty()) {
        profile = storedProfile(*connection_, requestNum, profileExamId, remarks);
    } else {
        stored = storedExamResults(*connection_, requestNum);
        for (const ExamLine& l : lines)
            if (const auto it = stored.find(l.labExamId.toUpper()); it != stored.end()) {
                remarks = it->second.remarks;
                break;
            }
    }
    entry.let(QStringLiteral("Remarks"), vrt::Variant(remarks.value_or(text("Remarks"))));
    entry.let(QStringLiteral("ExamTitle"), vrt::Variant(examTitle));

    entry.call(QStringLiteral("Clear_Exams"));
    for (size_t i = 0; i < lines.size(); ++i) {
        const ExamLine& l = lines[i];
        Elements values = referenceValues(*connection_, l.labExamId);
        const Elements* earlier = nullptr;
        if (!profileExamId.isEmpty()) {
            earlier = i < profile.size() ? &profile[i] : nullptr;
        } else if (const auto it = stored.find(l.labExamId.toUpper()); it != stored.end()) {
            earlier = &it->second.values;
        }
        if (earlier)
            for (const auto& [element, value] : *earlier)
                values[element] = value;
        const vrt::Variant data = dataArray(values);
        entry.call(QStringLiteral("Add_Exam"),
                   {l.eModel, l.amount, l.refNum, l.labNum, false, l.formType, l.labExamId, l.title,
                    data, !data.isEmpty()});
    }
    entry.let(QStringLiteral("ProfileMode"), vrt::Variant(!profileExamId.isEmpty()));
    entry.let(QStringLiteral("ProfileExamID"), vrt::Variant(profileExamId));
    entry.call(QStringLiteral("Show_ResultEntry"), {int16_t(1200), int16_t(1800)});
    return entry.get(QStringLiteral("HasSaved")).toBool();
}
