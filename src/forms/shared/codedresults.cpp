#include "codedresults.h"

#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "platform/forms/errorguard.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/text.h"
#include "report/document.h"
#include "report/spool.h"

#include <limits>

namespace resultforms {

QString text(const vrt::Variant& value) {
    return value.text();
}

bool runSave(StoredResults& stored, const std::function<void(ado::Connection&)>& body,
             const QString& failure) {
    if (!saveChecked(stored, body, failure))
        return false;
    entry::state().Saved = true;
    return true;
}

void takeWholeText(QLineEdit* box) {
    box->setMaxLength(std::numeric_limits<int>::max());
}

bool hasCodedRow(ado::Connection& c, StoredResults& stored, const QString& source) {
    ado::Recordset rs;
    rs.Open(source.isEmpty()
                ? QStringLiteral("Laboratory..tbLabResultHCodes where RequestNum = '") +
                      q(entry::state().RequestNum) + QStringLiteral("'")
                : source,
            c, ado::adOpenDynamic, ado::adLockOptimistic, -1);
    stored.compare(stored.values(&rs));
    return !rs.eof();
}

QString registrationStatement() {
    const entry::ModuleState& s = entry::state();
    const entry::ExamRec& exam = entry::examList().at(0);
    const QStringList values{s.HospNum,           s.IDNum,        exam.LabExamID,
                             s.SectionID,         s.RoomID,       s.TransDate,
                             s.ResultDate,        s.DoctorID,     exam.FormType,
                             QStringLiteral("0"), s.EmployeeID,   vrt::doubleToText(exam.Amount),
                             s.PatientType,       exam.LabExamID, exam.RefNum,
                             exam.LabNum,         s.Switch,       s.MedTechID};
    QStringList quoted;
    for (const QString& v : values)
        quoted << q(v);
    return QStringLiteral("laboratory..LAB_SaveResultEntry '") +
           quoted.join(QStringLiteral("','")) + QStringLiteral("'");
}

QString codedStatementStart(ado::Connection& c, bool hasRow) {
    const QString labNum = q(entry::examList().at(0).LabNum);
    if (hasRow)
        return QStringLiteral("Laboratory..Lab_Save_HCodes 1, '") + labNum + QStringLiteral("','");
    c.Execute(registrationStatement());
    return QStringLiteral("Laboratory..Lab_Save_HCodes 0, '") + labNum + QStringLiteral("','");
}

std::unique_ptr<ado::Recordset> loadCodedRow(StoredResults& stored, const QString& prefix) {
    auto rs = std::make_unique<ado::Recordset>();
    rs->setCursorLocation(ado::adUseClient);
    rs->Open(prefix + q(entry::state().RequestNum) + QStringLiteral("'"), connection(),
             ado::adOpenDynamic, ado::adLockReadOnly, -1);
    if (rs->State() != ado::adStateOpen || rs->eof()) {
        stored.loaded(nullptr);
        return nullptr;
    }
    stored.loaded(rs.get());
    return rs;
}

void initReportPickers(controls::DTPicker* date, controls::DTPicker* time) {
    date->setCustomFormat(QStringLiteral("mm/dd/yyyy"));
    time->setCustomFormat(QStringLiteral("hh:mm:ss AM/PM"));
    date->setValue(
        vrt::Variant(vrt::Format(vrt::Variant(vrt::Today()), QStringLiteral("mm/dd/yyyy"))));
    time->setValue(vrt::Variant(
        vrt::Format(vrt::Variant(vrt::TimeOfDay()), QStringLiteral("hh:mm:ss AM/PM"))));
}

void loadPicker(controls::DTPicker* picker, const vrt::Variant& value) {
    if (value.isNull() || value.isEmpty() ||
        (value.isString() && value.toString().trimmed().isEmpty()))
        return;
    picker->setValue(value);
}

QString dateReported(const controls::DTPicker* date) {
    return vrt::Variant(date->Value()).toString();
}

QString timeReported(const controls::DTPicker* time) {
    return vrt::Format(vrt::Variant(time->Value()), QStringLiteral("hh:mm:ss AM/PM"));
}

QString L(const QString& value, int width) {
    return report::Fix_Width(value, static_cast<int16_t>(width));
}

QString S(int count) {
    return QString(count, QLatin1Char(' '));
}

QString reportedOn(const controls::DTPicker* date, const controls::DTPicker* time) {
    return vrt::Variant(date->Value()).toString() + QStringLiteral(" ") +
           vrt::Variant(time->Value()).toString();
}

QStringList reportHeading(const QString& reported) {
    const entry::ModuleState& s = entry::state();
    return {
        QStringLiteral("Name      : ") + L(s.PatName, 30) + S(16) +
            QStringLiteral("Admission # : ") + s.IDNum + S(3) + QStringLiteral("Age : ") + s.Age,
        QStringLiteral("Hosp. No. : ") + L(s.HospNum, 10) + S(36) + QStringLiteral("Room No. : ") +
            s.RoomID + S(9) + QStringLiteral("Sex : ") + s.Sex,
        L(QStringLiteral("Physician : ") + s.DoctorName, 58) + QStringLiteral("Date Reported: ") +
            reported,
        S(58) + QStringLiteral("Date Received: ") + s.TransDate,
        s.ExamTitle,
        QString(),
    };
}

void spoolAndPrint(const QStringList& rows, const QString& title, const QString& subtitle) {
    // A corrected report says so first, and lists its corrections last,
    // before the signatures.
    QStringList lines = rows;
    if (const QStringList block = correctionBlock({}); !block.isEmpty()) {
        lines.prepend(QString());
        lines.prepend(S(44) + QStringLiteral("CORRECTED REPORT"));
        lines << QString() << block;
    }
    const report::PrintJobScope job;
    report::Clear_PrintTable();
    for (const QString& row : lines)
        report::Insert_PrintLine(1, row);
    report::Print_LabReport(title, subtitle, QString(), QString(), QStringLiteral("N"), false);
}

void addExamButtons(QBoxLayout* row, forms::Form& form,
                    forms::ControlArray<controls::FlatBttn>& cmdExam,
                    const std::array<const char*, 3>& captions,
                    const std::function<void(int)>& click) {
    for (int i = 0; i < 3; ++i) {
        auto* b =
            cmdExam.add(i, new controls::FlatBttn(QString::fromUtf8(captions[size_t(i)]), &form));
        row->addWidget(b);
        forms::connectGuarded(b, &QPushButton::clicked, &form, [click, i] { click(i); });
    }
}

void cmdExamClick(forms::Form& form, int index, const std::function<bool()>& save,
                  const std::function<void()>& print) {
    if (index == 1) {
        form.Unload();
        return;
    }
    if (entry::state().SignOffCancelled)
        return;
    if (!save())
        return;
    if (index == 2)
        print();
    form.Unload();
}

QStringList correctionBlock(const std::vector<std::pair<QString, QString>>& labels) {
    const entry::ModuleState& s = entry::state();
    if (s.Corrections.empty())
        return {};
    QStringList block{QStringLiteral("CORRECTIONS"),
                      QStringLiteral("Reason: ") + s.CorrectionReasons};
    for (const entry::Correction& k : s.Corrections) {
        QString label = k.column;
        for (const auto& [column, text] : labels)
            if (column.compare(k.column, Qt::CaseInsensitive) == 0)
                label = text;
        block << label + QStringLiteral(", corrected ") + k.at + QStringLiteral(", previously: ") +
                     k.previous;
    }
    return block;
}

} // namespace resultforms
