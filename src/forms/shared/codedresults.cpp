#include "codedresults.h"

#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "platform/ado/errors.h"
#include "platform/forms/errorguard.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/text.h"
#include "report/document.h"
#include "report/spool.h"

#include <algorithm>
#include <limits>

namespace resultforms {

namespace {

ado::Connection& connection() {
    return entry::labConnection();
}

} // namespace

QString q(const QString& value) {
    return ado::quoted(value);
}

QString text(const vrt::Variant& value) {
    return value.text();
}

namespace {

// Another workstation saved the request's results since the form loaded them.
struct ChangedElsewhere {};

const QString changedQuestion =
    QStringLiteral("The results of this request were changed at another workstation since you "
                   "opened them. Save yours over them?");

bool sameValue(const vrt::Variant& a, const vrt::Variant& b) {
    return a.isNull() == b.isNull() && a.text() == b.text();
}

// Two saves of one request at the same moment take turns on PostgreSQL too
// (SQLite's write lock already lets one save at a time), so neither compares
// with a row that the other is about to replace.
void lockRequest(ado::Connection& c) {
    c.lockKey(QStringLiteral("tbLabResultHCodes:") + entry::state().RequestNum);
}

} // namespace

StoredResults::Row StoredResults::values(const ado::Recordset* row) const {
    if (!row || row->eof())
        return std::nullopt;
    std::vector<vrt::Variant> v;
    for (int i = 1; i <= 33 && columns_.isEmpty(); ++i)
        v.push_back(row->Fields(QStringLiteral("Result%1").arg(i)).Value);
    for (const QString& column : columns_)
        v.push_back(row->Fields(column).Value);
    return v;
}

void StoredResults::loaded(const ado::Recordset* row) {
    known_ = true;
    row_ = values(row);
}

bool runSave(StoredResults& stored, const std::function<void(ado::Connection&)>& body,
             const QString& failure) {
    stored.keptOpen_ = false;
    for (;;) {
        ado::Connection* c = nullptr;
        bool open = false;
        try {
            c = &connection();
            // A spool that never got printed must not hold the save's transaction.
            report::abandonPrintJob();
            c->BeginTrans();
            open = true;
            lockRequest(*c);
            body(*c);
            open = false;
            c->CommitTrans();
            break;
        } catch (const ChangedElsewhere&) {
            try {
                c->RollbackTrans();
            } catch (const vrt::RuntimeError&) {
                // Nothing was written yet that could stay.
            }
            // Asked outside the transaction: no lock waits for the answer.
            if (forms::MsgBox(
                    changedQuestion, forms::vbYesNo + forms::vbQuestion + forms::vbDefaultButton2,
                    QStringLiteral("Save_Entries of Result Entry Class")) != forms::vbYes) {
                stored.keptOpen_ = true;
                return false;
            }
            // Saved over what the user was told of; a change after that asks again.
            stored.row_ = stored.seen_;
        } catch (const vrt::RuntimeError& e) {
            if (open) {
                try {
                    c->RollbackTrans();
                } catch (const vrt::RuntimeError&) {
                    // The connection itself failed; nothing more can be undone.
                }
            }
            forms::MsgBox(failure + e.description() + QStringLiteral("]"), forms::vbCritical,
                          QStringLiteral("Save_Entries of Result Entry Class"));
            return false;
        }
    }
    entry::state().Saved = true;
    return true;
}

void takeWholeText(QLineEdit* box) {
    box->setMaxLength(std::numeric_limits<int>::max());
}

void verifyIfLogged(ado::Connection& c) {
    const entry::ModuleState& s = entry::state();
    const QString labNum = q(entry::examList().at(0).LabNum);
    ado::Recordset rs;
    rs.Open(QStringLiteral("select * from laboratory..tblablogbook where requestnum = '") + labNum +
                QStringLiteral("'"),
            c, ado::adOpenDynamic, ado::adLockReadOnly, -1);
    if (!rs.eof())
        c.Execute(QStringLiteral("laboratory..LAB_Save_VerifyResults '") + labNum +
                  QStringLiteral("','") + q(s.EmployeeID) + QStringLiteral("'"));
    rs.Close();
}

bool hasCodedRow(ado::Connection& c, StoredResults& stored, const QString& source) {
    ado::Recordset rs;
    rs.Open(source.isEmpty()
                ? QStringLiteral("Laboratory..tbLabResultHCodes where RequestNum = '") +
                      q(entry::state().RequestNum) + QStringLiteral("'")
                : source,
            c, ado::adOpenDynamic, ado::adLockOptimistic, -1);
    if (stored.known_) {
        StoredResults::Row now = stored.values(&rs);
        const bool same = now.has_value() == stored.row_.has_value() &&
                          (!now || std::equal(now->begin(), now->end(), stored.row_->begin(),
                                              stored.row_->end(), sameValue));
        if (!same) {
            stored.seen_ = std::move(now);
            throw ChangedElsewhere{};
        }
    }
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
    const report::PrintJobScope job;
    report::Clear_PrintTable();
    for (const QString& row : rows)
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

void cmdExamClick(forms::Form& form, int index, const StoredResults& stored,
                  const std::function<void()>& save, const std::function<void()>& print) {
    if (index == 1) {
        form.Unload();
        return;
    }
    if (entry::state().SignOffCancelled)
        return;
    save();
    if (stored.keptOpen())
        return;
    if (index == 2)
        print();
    form.Unload();
}

} // namespace resultforms
