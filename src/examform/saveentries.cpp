// Save_Entries of the exam form: each exam's entered values into the value
// slots of its result layout, its section of the report, then the edit
// statements, all in one transaction; the report prints after the save.

#include "frmExamForm.h"
#include "reportsections.h"

#include "entry/examlist.h"
#include "entry/layout.h"
#include "entry/modulestate.h"
#include "platform/ado/recordset.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/text.h"

#include <QRegularExpression>

namespace examform {

namespace {

// Screen and result layout of each screen code.
struct LayoutRow {
    const char* code;
    int screen;
    int layout;
};
const LayoutRow layoutTable[] = {
    {"0", 0, 0},  {"8", 0, 0},  {"11", 0, 0}, {"1", 1, 1}, {"2", 2, 1},
    {"3", 3, 2},  {"4", 4, 3},  {"5", 5, 4},  {"7", 6, 5}, {"13", 8, 6},
    {"14", 9, 7}, {"15", 9, 7}, {"6", 0, 8},  {"9", 0, 8}, {"20", 7, 9},
};

// The elements that hold what the technologist entered, by layout. An exam
// whose elements are all blank was left empty: it is neither stored nor
// counted as a measured 0.
const std::vector<int> enteredElements[10] = {{3},    {1}, {1},    {3, 4}, {2},
                                              {1, 2}, {3}, {5, 6}, {3},    {1, 3}};

QString el(const vrt::Variant& result, int k) {
    return result.toArray().at(k).text();
}

// An element the control may not have returned: empty then.
QString elOrEmpty(const vrt::Variant& result, int k) {
    return k <= result.toArray().ubound() ? el(result, k) : QString();
}

bool isDecimal(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    return number.match(vrt::Trim(text)).hasMatch();
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

void fill(int layout, const vrt::Variant& r, Slots& v) {
    auto e = [&r](int k) { return el(r, k); };
    switch (layout) {
    case 0:
        if (isDecimal(e(1))) {
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
    const entry::ModuleState& s = entry::state();
    return {
        s.RequestNum, exam.LabExamID, exam.FormType, D(v.A1), D(v.A2),   v.A3,
        D(v.A4),      v.A5,           v.B1,          v.B2,    v.B3,      v.B4,
        D(v.C1),      D(v.C2),        v.E1,          v.E2,    v.H[0],    v.H[1],
        v.H[2],       v.H[3],         v.H[4],        v.H[5],  s.Remarks, QString::number(layout)};
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

void verifyIfLogged(ado::Connection& c, const QString& request) {
    ado::Recordset rs;
    rs.Open(QStringLiteral("select * from laboratory..tblablogbook where requestnum = '") +
                ado::quoted(request) + QStringLiteral("'"),
            c, ado::adOpenDynamic, ado::adLockReadOnly, -1);
    if (!rs.eof())
        c.Execute(QStringLiteral("laboratory..LAB_Save_VerifyResults '") + ado::quoted(request) +
                  QStringLiteral("','") + ado::quoted(entry::state().EmployeeID) +
                  QStringLiteral("'"));
    rs.Close();
}

ado::Connection& connection() {
    return entry::labConnection();
}

} // namespace

void frmExamForm::Print_NormalProfile(int position, const QString& name, const QString& result,
                                      const QString& normal, const Slots& v, bool isLast) {
    report_.Print_NormalProfile(position, name, result, normal, v, isLast);
}

void frmExamForm::Save_Entries() {
    if (!Check_Entries())
        return;
    entry::ModuleState& s = entry::state();
    fraSaving->setVisible(true);
    fraSaving->raise();
    fraSaving->repaint();
    ado::Connection* c = nullptr;
    bool inTransaction = false;
    try {
        const std::vector<entry::ExamRec>& exams = entry::examList();
        const int last = static_cast<int>(exams.size()) - 1;
        std::vector<QString> profile(s.ProfileMode ? 18 : 1);
        Slots v;
        vrt::Variant result;
        QString prompt;
        entryscreens::EntryScreen* control = nullptr;
        int layout = 0;
        bool packed = false;
        int written = 0;
        report_ = ExamReport();
        if (s.EditMode) {
            c = &connection();
            c->BeginTrans();
            inTransaction = true;
        }
        for (int i = 0; i <= last; ++i) {
            const entry::ExamRec& exam = exams[size_t(i)];
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
            const bool empty = leftEmpty(layout, result);
            if (s.ProfileMode) {
                if (i >= static_cast<int>(profile.size()))
                    vrt::raise(vrt::err::SubscriptOutOfRange);
                profile[size_t(i)] = empty ? QString() : packProfile(result, v);
                packed = packed || !empty;
                if (PrintAfterSave)
                    Print_NormalProfile(i, empty ? QString() : v.K2, elOrEmpty(result, 3),
                                        elOrEmpty(result, 1), v, i == last);
                continue;
            }
            if (empty) {
                if (PrintAfterSave)
                    report_.Add_Section({layout, i, i == last, exam.ExamTitle, false});
                continue;
            }
            s.RequestNum = exam.LabNum;
            s.Amount = exam.Amount;
            s.ReferenceNumber = exam.RefNum;
            fill(layout, result, v);
            if (layout == 2) {
                // Looked up by the exam: the result text never names a prompt set.
                ado::Recordset rs;
                rs.Open(QStringLiteral(
                            "select promptdata from build_file..tbcolabvalues where code = '") +
                            ado::quoted(exam.LabExamID) + QStringLiteral("'"),
                        connection(), ado::adOpenDynamic, ado::adLockReadOnly, -1);
                if (!rs.eof())
                    prompt = rs.Fields(QStringLiteral("promptdata")).Value.text();
                rs.Close();
                PromptLines = splitLines(prompt);
                ResultLines = splitLines(v.A5);
            }
            if (PrintAfterSave)
                report_.Add_Section(
                    {layout, i, i == last, exam.ExamTitle, true, &v, &PromptLines, &ResultLines});
            if (s.EditMode) {
                verifyIfLogged(*c, s.RequestNum);
                c->Execute(resultStatement(exam, v, layout));
                ++written;
            }
        }
        if (s.ProfileMode && s.EditMode && packed) {
            verifyIfLogged(*c, exams[size_t(last)].LabNum);
            QStringList values{s.RequestNum, s.ProfileExamID};
            values.append(QStringList(profile.begin(), profile.end()));
            values << s.Remarks;
            c->Execute(QStringLiteral("LABORATORY..LAB_Save_EditProfileResultEntries '") +
                       args(values) + QStringLiteral("'"));
            ++written;
        }
        if (inTransaction) {
            inTransaction = false;
            c->CommitTrans();
        }
        if (written > 0)
            s.Saved = true;
        if (PrintAfterSave)
            report_.printAll();
    } catch (const vrt::RuntimeError& e) {
        if (inTransaction) {
            try {
                c->RollbackTrans();
            } catch (const vrt::RuntimeError&) {
                // The connection itself failed; nothing more can be undone.
            }
        }
        fraSaving->setVisible(false);
        forms::MsgBox(QStringLiteral("Data was not Saved! Error:[") + e.description() +
                          QStringLiteral("]"),
                      forms::vbCritical, QStringLiteral("Save_Entries of Result Entry Class"));
        return;
    }
    fraSaving->setVisible(false);
}

} // namespace examform
