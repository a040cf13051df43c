// Save_Entries of the exam form: each exam's entered values into the value
// slots of its result layout; then, in one transaction, its section of the
// report and the edit statements; the report prints after the save.

#include "frmCriticalNotice.h"
#include "frmExamForm.h"
#include "reportsections.h"
#include "resultchecks.h"

#include "entry/examlist.h"
#include "entry/layout.h"
#include "entry/modulestate.h"
#include "platform/ado/recordset.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/text.h"

#include <QSet>

namespace examform {

namespace {

// Screen and result layout of each screen code. A code without a row (a
// form of its own, "14" among them, or no destination) keeps the screen and
// layout of the exam before it, where the layout placed its row.
struct LayoutRow {
    const char* code;
    int screen;
    int layout;
};
const LayoutRow layoutTable[] = {
    {"0", 0, 0}, {"8", 0, 0}, {"11", 0, 0}, {"1", 1, 1},  {"2", 2, 1}, {"3", 3, 2}, {"4", 4, 3},
    {"5", 5, 4}, {"7", 6, 5}, {"13", 8, 6}, {"15", 9, 7}, {"6", 0, 8}, {"9", 0, 8}, {"20", 7, 9},
};

// The elements the technologist can type (or the host hands over), by
// layout. An exam whose elements are all blank was left empty: it is
// neither stored nor counted as a measured 0.
const std::vector<int> enteredElements[10] = {
    {3}, {1}, {1}, {3, 4}, {1, 2, 5}, {1, 2}, {2, 3}, {1, 2, 3, 4, 5, 6}, {3}, {1, 3}};

QString el(const vrt::Variant& result, int k) {
    return result.toArray().at(k).text();
}

// An element the control may not have returned: empty then.
QString elOrEmpty(const vrt::Variant& result, int k) {
    return k <= result.toArray().ubound() ? el(result, k) : QString();
}

bool isDecimal(const QString& text) {
    return vrt::decimalNumber(text).has_value();
}

bool blank(const QString& text) {
    return vrt::Trim(text).isEmpty();
}

// A plain numeric conversion; a blank element counts as 0.
double plain(const QString& text) {
    if (vrt::Trim(text).isEmpty())
        return 0;
    const auto n = vrt::parseNumber(text);
    if (!n)
        vrt::raise(vrt::err::TypeMismatch);
    return *n;
}

// Two decimals, as formatting with "0.00" and reading back gives them.
double round2(double value) {
    return plain(vrt::Format(vrt::Variant(value), QStringLiteral("0.00")));
}

double rounded(const QString& text) {
    return round2(plain(text));
}

bool leftEmpty(int layout, const vrt::Variant& result) {
    const vrt::Array& items = result.toArray();
    for (int k : enteredElements[layout])
        if (k <= items.ubound() && !items.at(k).text().trimmed().isEmpty())
            return false;
    return true;
}

QStringList typed(const vrt::Variant& r) {
    QStringList texts;
    for (int k = 0; k <= r.toArray().ubound(); ++k)
        texts << el(r, k);
    return texts;
}

void fill(int layout, const vrt::Variant& r, Slots& v) {
    auto e = [&r](int k) { return el(r, k); };
    v.Typed = typed(r);
    switch (layout) {
    case 0:
        // One limit of a numeric range may be missing ("up to 110"): it is
        // not a limit of 0.
        v.A1Missing = blank(e(1)) && isDecimal(e(2));
        v.A2Missing = blank(e(2)) && isDecimal(e(1));
        if (isDecimal(e(1)) || v.A1Missing) {
            v.A1 = rounded(e(1));
            v.A2 = rounded(e(2));
            v.A4 = e(3) == QLatin1String(" ") ? 0 : rounded(e(3));
            v.NormalText = false;
        } else {
            v.NormalText = true;
            v.A1 = v.A2 = v.A4 = 0;
            v.G1 = e(1);
            v.A5 = e(3);
        }
        v.A3 = e(4);
        break;
    case 1:
    case 2:
        v.A5 = e(1);
        break;
    case 3:
        v.B1 = e(1);
        v.B3 = e(2);
        v.B2 = e(3);
        v.A5 = e(4);
        break;
    case 4:
        v.B4 = e(1);
        v.A5 = e(2);
        v.F1 = vrt::UCase(e(5));
        break;
    case 5:
        v.A1Missing = v.A2Missing = false;
        v.C1 = vrt::Val(e(1));
        v.C2 = vrt::Val(e(2));
        v.A1 = plain(e(3));
        v.A2 = plain(e(4));
        v.A3 = e(5);
        v.G3 = plain(e(8));
        v.G4 = plain(e(9));
        v.G5 = e(10);
        break;
    case 6:
        v.E1 = e(1);
        v.E2 = e(2);
        v.A5 = e(3);
        break;
    case 7:
        for (int k = 0; k < 6; ++k)
            v.H[k] = e(k + 1);
        break;
    case 8:
        v.G1 = e(1);
        v.A5 = e(3);
        v.A3 = e(4);
        break;
    case 9:
        v.C1 = vrt::Val(e(1));
        v.C2 = vrt::Val(e(3));
        v.G1 = e(2);
        v.G2 = e(4);
        v.G5 = e(7);
        break;
    }
}

// One exam's values packed into its profile slot.
QString packProfile(const vrt::Variant& r, Slots& v) {
    QString slot;
    v.Typed = typed(r);
    v.A1Missing = v.A2Missing = false;
    const int upper = r.toArray().ubound();
    for (int j = 0; j <= upper; ++j) {
        const QString e = el(r, j);
        if (j == 1)
            v.A1 = round2(vrt::Val(e));
        else if (j == 2)
            v.A2 = round2(vrt::Val(e));
        else if (j == 3)
            v.A4 = vrt::IsNumeric(vrt::Variant(e)) ? round2(vrt::Val(e)) : vrt::Val(e);
        else if (j == 4)
            v.A3 = e;
        else if (j == 5)
            v.K1 = e;
        else if (j == 6)
            v.K2 = e;
        slot += QLatin1Char('|') + e + QLatin1Char('|');
    }
    return slot + QLatin1Char('|') + el(r, 1) + QLatin1Char('|') + QLatin1Char('|') + el(r, 2) +
           QLatin1Char('|');
}

// Lines that keep their line feed; the last line ends at the last character.
QStringList splitLines(const QString& text) {
    QStringList lines;
    QString line;
    for (QChar c : text) {
        line += c;
        if (c == QLatin1Char('\n')) {
            lines << line;
            line.clear();
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

QString D(double value) {
    return vrt::doubleToText(value);
}

// 'v1','v2',... with every value's quotes doubled.
QString args(const QStringList& values) {
    QStringList quoted;
    for (const QString& value : values)
        quoted << ado::quoted(value);
    return quoted.join(QStringLiteral("','"));
}

// The 24 arguments both result procedures start with.
QStringList commonArguments(const entry::ExamRec& exam, const Slots& v, int layout) {
    const QString& remarks = entry::state().Remarks;
    const QString a1 = v.A1Missing ? QString() : D(v.A1);
    const QString a2 = v.A2Missing ? QString() : D(v.A2);
    return {exam.LabNum, exam.LabExamID, exam.FormType, a1,     a2,      v.A3,
            D(v.A4),     v.A5,           v.B1,          v.B2,   v.B3,    v.B4,
            D(v.C1),     D(v.C2),        v.E1,          v.E2,   v.H[0],  v.H[1],
            v.H[2],      v.H[3],         v.H[4],        v.H[5], remarks, QString::number(layout)};
}

QString resultStatement(const entry::ExamRec& exam, const Slots& v, int layout) {
    const QString common = args(commonArguments(exam, v, layout));
    if (exam.FormType == QLatin1String("6"))
        return QStringLiteral("laboratory..LAB_Save_SpecsResultEntries '") + common +
               QStringLiteral("','") + ado::quoted(v.F1) + QStringLiteral("',2");
    return QStringLiteral("LABORATORY..LAB_Save_EditResultEntries '") + common +
           QStringLiteral("','") + args({v.G1, v.A5, v.G1, v.G2, D(v.G3)}) +
           QStringLiteral("', '") + args({D(v.G4), v.G5}) + QStringLiteral("'");
}

const QString failure = QStringLiteral("Data was not Saved! Error:[");

// The saving frame is shown while the save runs, however it ends.
class SavingShown {
public:
    explicit SavingShown(QWidget* frame) : frame_(frame) {
        frame_->setVisible(true);
        frame_->raise();
        frame_->repaint();
    }
    ~SavingShown() { frame_->setVisible(false); }
    SavingShown(const SavingShown&) = delete;
    SavingShown& operator=(const SavingShown&) = delete;

private:
    QWidget* frame_;
};

} // namespace

struct frmExamForm::Gathered {
    const entry::ExamRec* exam;
    int position;
    int layout;
    bool empty;
    Slots v;
    vrt::Variant result;
    QString profileSlot;
};

void frmExamForm::Print_NormalProfile(int position, const QString& name, const QString& result,
                                      const QString& normal, const Slots& v, bool isLast) {
    report_.Print_NormalProfile(position, name, result, normal, v, isLast);
}

std::vector<frmExamForm::Gathered> frmExamForm::gather() {
    entry::ModuleState& s = entry::state();
    const std::vector<entry::ExamRec>& exams = entry::examList();
    std::vector<Gathered> gathered;
    Slots v;
    vrt::Variant result;
    entryscreens::EntryScreen* control = nullptr;
    int layout = 0;
    for (size_t i = 0; i < exams.size(); ++i) {
        const entry::ExamRec& exam = exams[i];
        const QString code = entry::Map_FormCode(exam.FormType);
        for (const LayoutRow& row : layoutTable)
            if (code == QLatin1String(row.code)) {
                control = Get_Screen(row.screen);
                layout = row.layout;
            }
        if (!control)
            vrt::raise(vrt::err::ObjectNotSet);
        if (control->Rows() >= 0) {
            if (!s.ProfileMode)
                result = vrt::Variant::array({vrt::Variant()});
            control->Get_FullResult(exam.ExamTitle, result);
        }
        Gathered g{&exam, int(i), layout, leftEmpty(layout, result), {}, result, {}};
        if (s.ProfileMode) {
            if (i >= 18)
                vrt::raise(vrt::err::SubscriptOutOfRange);
            if (!g.empty)
                g.profileSlot = packProfile(result, v);
        } else if (!g.empty) {
            s.RequestNum = exam.LabNum;
            s.Amount = exam.Amount;
            s.ReferenceNumber = exam.RefNum;
            fill(layout, result, v);
        }
        g.v = v;
        gathered.push_back(std::move(g));
    }
    return gathered;
}

int frmExamForm::write(ado::Connection& c, const std::vector<Gathered>& exams, bool statements) {
    const entry::ModuleState& s = entry::state();
    const int last = int(exams.size()) - 1;
    QString prompt;
    int written = 0;
    bool packed = false;
    for (const Gathered& g : exams) {
        const bool isLast = g.position == last;
        if (s.ProfileMode) {
            packed = packed || !g.empty;
            if (PrintAfterSave)
                Print_NormalProfile(g.position, g.empty ? QString() : g.v.K2,
                                    elOrEmpty(g.result, 3), elOrEmpty(g.result, 1), g.v, isLast);
            continue;
        }
        if (g.empty) {
            if (PrintAfterSave)
                report_.Add_Section({g.layout, g.position, isLast, g.exam->ExamTitle, false});
            continue;
        }
        if (g.layout == 2) {
            // Looked up by the exam: the result text never names a prompt set.
            ado::Recordset rs;
            rs.Open(
                QStringLiteral("select promptdata from build_file..tbcolabvalues where code = '") +
                    ado::quoted(g.exam->LabExamID) + QStringLiteral("'"),
                c, ado::adOpenDynamic, ado::adLockReadOnly, -1);
            if (!rs.eof())
                prompt = rs.Fields(QStringLiteral("promptdata")).Value.text();
            rs.Close();
            PromptLines = splitLines(prompt);
            ResultLines = splitLines(g.v.A5);
        }
        if (PrintAfterSave)
            report_.Add_Section({g.layout, g.position, isLast, g.exam->ExamTitle, true, &g.v,
                                 &PromptLines, &ResultLines});
        if (s.EditMode && statements) {
            resultforms::verifyIfLogged(c, g.exam->LabNum);
            c.Execute(resultStatement(*g.exam, g.v, g.layout));
            ++written;
        }
    }
    if (s.ProfileMode && s.EditMode && packed && statements) {
        resultforms::verifyIfLogged(c, exams.back().exam->LabNum);
        QStringList values{s.RequestNum, s.ProfileExamID};
        for (size_t i = 0; i < 18; ++i)
            values << (i < exams.size() ? exams[i].profileSlot : QString());
        values << s.Remarks;
        c.Execute(QStringLiteral("LABORATORY..LAB_Save_EditProfileResultEntries '") + args(values) +
                  QStringLiteral("'"));
        ++written;
    }
    return written;
}

resultforms::StoredResults::Values frmExamForm::readStored(ado::Connection& c) const {
    const entry::ModuleState& s = entry::state();
    std::vector<vrt::Variant> values;
    const auto read = [&](const QString& statement,
                          const std::function<bool(ado::Recordset&)>& ours) {
        ado::Recordset rs;
        rs.Open(statement, c, ado::adOpenStatic, ado::adLockReadOnly, -1);
        for (; !rs.eof(); rs.MoveNext())
            if (ours(rs))
                for (int k = 0; k < rs.FieldCount(); ++k)
                    values.push_back(rs.Fields(k).Value);
        rs.Close();
    };
    QStringList requests;
    QSet<QString> exams; // request and exam of each row the form saves
    for (const entry::ExamRec& exam : entry::examList()) {
        if (!requests.contains(exam.LabNum))
            requests << exam.LabNum;
        exams << exam.LabNum + QLatin1Char('\n') + exam.LabExamID;
    }
    for (const QString& request : requests)
        read(QStringLiteral("select * from LABORATORY..tbLabResultValues where RequestNum = '") +
                 ado::quoted(request) + QStringLiteral("' order by LabExamID"),
             [&](ado::Recordset& rs) {
                 return exams.contains(request + QLatin1Char('\n') +
                                       rs.Fields(QStringLiteral("LabExamID")).Value.text());
             });
    if (s.ProfileMode)
        read(QStringLiteral("select * from LABORATORY..tbLabProfileResult where RequestNum = '") +
                 ado::quoted(s.RequestNum) + QStringLiteral("' and ProfileExamID = '") +
                 ado::quoted(s.ProfileExamID) + QStringLiteral("'"),
             [](ado::Recordset&) { return true; });
    return values;
}

void frmExamForm::loadResultChecks() {
    const auto& c = entry::state().LabConnection;
    if (c && c->State() == ado::adStateOpen)
        generalRanges_ = examform::loadResultChecks(*c, {screens_.begin(), screens_.end()});
}

bool frmExamForm::confirmAlarms() {
    notice_ = Notice();
    for (entryscreens::EntryScreen* screen : screens_)
        if (screen->Visible())
            for (const entryscreens::ResultAlarm& a : screen->resultAlarms())
                notice_.alarms.push_back(a);
    if (notice_.alarms.empty())
        return true;
    // By whom: the technologist of the sign-off, by name when the list has it.
    const entry::ModuleState& s = entry::state();
    notice_.by = s.MedTechID.trimmed();
    if (!notice_.by.isEmpty() && s.LabConnection) {
        const ChecksUntraced untraced;
        ado::Recordset rs;
        rs.Open(
            QStringLiteral("select lastname, firstname, middlename from LABORATORY..tbLabMedTech "
                           "where MedTechID = '") +
                ado::quoted(notice_.by) + QStringLiteral("'"),
            *s.LabConnection, ado::adOpenStatic, ado::adLockReadOnly, -1);
        if (!rs.eof())
            notice_.by = vrt::Trim(rs.Fields(0).Value.text() + QStringLiteral(", ") +
                                   rs.Fields(1).Value.text() + u' ' + rs.Fields(2).Value.text());
        rs.Close();
    }
    auto& dialog = forms::instance<frmCriticalNotice>();
    dialog.setAlarms(notice_.alarms, notice_.by);
    dialog.ShowModal();
    if (!dialog.Accepted)
        return false;
    notice_.name = dialog.NotifiedName;
    notice_.role = dialog.NotifiedRole;
    notice_.at = dialog.NotifiedAt;
    return true;
}

// Inside the save's transaction: each notification and acknowledgement as
// a row of its own, which the database adds to the audit trail.
void frmExamForm::writeAlarms(ado::Connection& c) const {
    const ChecksUntraced untraced;
    const entry::ModuleState& s = entry::state();
    for (const entryscreens::ResultAlarm& a : notice_.alarms) {
        QString request = s.RequestNum;
        for (const entry::ExamRec& exam : entry::examList())
            if (exam.LabExamID.compare(a.labExamId, Qt::CaseInsensitive) == 0) {
                request = exam.LabNum;
                break;
            }
        if (a.critical)
            c.Execute(
                QStringLiteral("insert into LABORATORY..tbLabCriticalNotice (RequestNum, "
                               "LabExamID, ResultValue, NotifiedName, NotifiedRole, "
                               "NotifiedAt, MedTechID, ReadBack) values ('") +
                args({request, a.labExamId, a.value, notice_.name, notice_.role,
                      notice_.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), s.MedTechID}) +
                QStringLiteral("',1)"));
        if (a.delta)
            c.Execute(
                QStringLiteral("insert into LABORATORY..tbLabDeltaAck (RequestNum, "
                               "LabExamID, ResultValue, PreviousValue, PreviousRequest, "
                               "MedTechID) values ('") +
                args({request, a.labExamId, a.value, a.previous, a.previousRequest, s.MedTechID}) +
                QStringLiteral("')"));
    }
}

void frmExamForm::rememberStored() {
    stored_ = resultforms::StoredResults();
    if (entry::state().EditMode)
        stored_.remember(readStored(resultforms::connection()));
}

bool frmExamForm::Save_Entries() {
    if (!Check_Entries() || !confirmAlarms())
        return false;
    entry::ModuleState& s = entry::state();
    const SavingShown saving(fraSaving);
    stored_.setLockKey(QStringLiteral("tbLabResultValues:") + s.RequestNum);
    std::vector<Gathered> exams;
    try {
        exams = gather();
    } catch (const vrt::RuntimeError& e) {
        resultforms::showSaveFailure(failure, e);
        return false;
    }
    for (Gathered& g : exams) {
        g.v.GeneralRange = !g.empty && generalRanges_.contains(g.exam->LabExamID.toUpper());
        for (const entryscreens::ResultAlarm& a : notice_.alarms)
            if (a.critical && !g.empty &&
                a.labExamId.compare(g.exam->LabExamID, Qt::CaseInsensitive) == 0) {
                g.v.Critical = true;
                // Dated as the rest of the report dates.
                const vrt::Date at = vrt::toSerial(notice_.at);
                g.v.NoticeLines = {
                    QStringLiteral("Critical value notified to %1 (%2)")
                        .arg(notice_.name, notice_.role),
                    QStringLiteral("on %1 %2 by %3; read back.")
                        .arg(vrt::shortDate(at),
                             vrt::Format(vrt::Variant(at), QStringLiteral("h:nn AM/PM")),
                             notice_.by)};
            }
    }
    int written = 0;
    const bool saved = resultforms::saveChecked(
        stored_,
        [&](ado::Connection& c) {
            report_ = ExamReport();
            if (s.EditMode)
                stored_.compare(readStored(c));
            written = write(c, exams);
            if (s.EditMode)
                writeAlarms(c);
        },
        failure, s.EditMode);
    if (!saved)
        return false;
    if (written > 0)
        s.Saved = true;
    if (PrintAfterSave && !s.Corrections.empty()) {
        // Composed again now that the save knows what it corrected.
        report_ = ExamReport();
        try {
            write(resultforms::connection(), exams, false);
        } catch (const vrt::RuntimeError& e) {
            resultforms::showSaveFailure(failure, e);
            return true;
        }
    }
    if (PrintAfterSave)
        report_.printAll();
    return true;
}

bool frmExamForm::correctionExpected() {
    entry::ModuleState& s = entry::state();
    if (!s.EditMode)
        return false;
    // The trial saves the remarks the sign-off will propose.
    const QString remarks = std::exchange(
        s.Remarks, entry::examList().empty() ? s.Remarks : entry::examList().front().Remarks);
    bool expected = false;
    try {
        const std::vector<Gathered> exams = gather();
        const bool printing = std::exchange(PrintAfterSave, false);
        expected = resultforms::correctionExpected([&](ado::Connection& c) { write(c, exams); });
        PrintAfterSave = printing;
    } catch (const vrt::RuntimeError&) {
        // The save will show it.
    }
    s.Remarks = remarks;
    return expected;
}

} // namespace examform
