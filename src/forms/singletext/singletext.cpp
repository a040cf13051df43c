#include "singletext.h"

#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "platform/forms/errorguard.h"
#include "platform/forms/keys.h"
#include "platform/runtime/datetime.h"
#include "report/document.h"
#include "report/frmprinter.h"
#include "signoff/frmRemarksInput.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace resultforms {

namespace {

const QString crlf = QStringLiteral("\r\n");

QString lit(const char* text) {
    return QString::fromLatin1(text);
}

// A gross finding in its 15-character column; a longer one is printed whole
// and pushes the microscopic column of its line, rather than losing words.
QString gross(const QString& value) {
    const QString v = value.trimmed();
    return v.size() > 15 ? v : report::Fix_Width(v, 15);
}

QStringList fecalysisLines(const QStringList& t) {
    auto w = [&t](int i) { return gross(t[i]); };
    return {
        lit("GROSS") + S(47) + lit("MICROSCOPIC"),
        lit("   Appearance     : ") + w(0) + lit("       Ova or Parasites a) ") + t[6],
        lit("   Blood : Gross  : ") + w(1) + S(24) + lit("b) ") + t[7],
        lit("   Urobilin       : ") + w(2) + S(24) + lit("c) ") + t[8],
        lit("   Mucus          : ") + w(3) + lit("       Amoeba           ") + t[9],
        lit("   Occult Blood   : ") + w(4),
        lit("   Bilirubin      : ") + w(5),
    };
}

QStringList widalLines(const QStringList& t) {
    QStringList lines;
    const char* groups[] = {"SALMONELLA O", "SALMONELLA H"};
    for (int g = 0; g < 2; ++g) {
        lines << lit(groups[g]);
        for (int i = 0; i < 4; ++i)
            lines << S(4) + lit("Group ") + QChar(u'a' + i) + lit(" : ") + t[g * 4 + i];
    }
    return lines;
}

QStringList weilFelixLines(const QStringList& t) {
    return {
        lit("BRUCELLA ABORTUS : "),
        S(10) + lit("OXK  : ") + t[0],
        S(10) + lit("OX2  : ") + t[1],
        S(10) + lit("OX19 : ") + t[2],
    };
}

// A corrected box is named by its caption; a group's letter by the heading
// above it too ("Ova or Parasites a )", "SALMONELLA H Group b").
std::vector<std::pair<QString, QString>> correctionLabels(const SingleTextMember& member) {
    std::vector<std::pair<QString, QString>> labels{{lit("Result20"), lit("Remarks")}};
    QString heading;
    for (const SingleTextLabel& l : member.labels) {
        QString caption = QString::fromLatin1(l.caption).trimmed();
        if (caption.endsWith(u':'))
            caption = caption.chopped(1).trimmed();
        if (l.box < 0) {
            heading = caption;
            continue;
        }
        if (caption.size() <= 3 || caption.startsWith(lit("Group")))
            caption = heading + u' ' + caption;
        labels.emplace_back(QStringLiteral("Result%1").arg(l.box + 1), caption);
    }
    return labels;
}

const SingleTextMember fecalysis{
    "frmfecalysis",
    "Fecalysis",
    "txtFecalysis",
    "lblFecalysis",
    10,
    {{"GROSS ", 0, 0, -1},
     {"Appearance", 0, 1, 0},
     {"Blood : Gross", 0, 2, 1},
     {"Urobilin", 0, 3, 2},
     {"Mucus", 0, 4, 3},
     {"Occult Blood", 0, 5, 4},
     {"Bilirubin", 0, 6, 5},
     {"MICROSCOPIC ", 1, 0, -1},
     {"Ova or Parasites", 1, 1, -1},
     {"a )", 1, 2, 6},
     {"b )", 1, 3, 7},
     {"c )", 1, 4, 8},
     {"Amoeba", 1, 5, 9}},
    "laboratory..lab_getresulthcodes '",
    false,
    false,
    11,
    fecalysisLines,
};

// The second group is captioned by its antigen too, so that no H titre is
// typed into an O box.
const SingleTextMember widal{
    "frmWidalTest",
    "Widal Test",
    "txtWidalTest",
    "lblWidalTest",
    8,
    {{"SALMONELLA O", 0, 0, -1},
     {"Group a :", 0, 1, 0},
     {"Group b :", 0, 2, 1},
     {"Group c :", 0, 3, 2},
     {"Group d :", 0, 4, 3},
     {"SALMONELLA H", 1, 0, -1},
     {"Group a :", 1, 1, 4},
     {"Group b :", 1, 2, 5},
     {"Group c :", 1, 3, 6},
     {"Group d :", 1, 4, 7}},
    "LABORATORY..lab_getresulthcodes '",
    true,
    true,
    13,
    widalLines,
};

const SingleTextMember weilFelix{
    "frmWeilFelix",
    "Weil-Felix Test",
    "txtWeilFelix",
    "lblWeilFelix",
    3,
    {{"BRUCELLA ABORTUS", 0, 0, -1}, {"OXk :", 0, 1, 0}, {"OX2 :", 0, 2, 1}, {"OX19 :", 0, 3, 2}},
    "laboratory..lab_getresulthcodes '",
    true,
    true,
    18,
    weilFelixLines,
};

} // namespace

SingleTextForm::SingleTextForm(const SingleTextMember& member)
    : txtResult(lit(member.boxArray)), lblResult(lit(member.labelArray)), member_(member) {
    setObjectName(lit(member.formName));
    setWindowTitle(lit(member.title));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    for (size_t i = 0; i < member.labels.size(); ++i) {
        const SingleTextLabel& l = member.labels[i];
        auto* caption = lblResult.add(int(i), new QLabel(lit(l.caption), this));
        if (l.box < 0) {
            QFont bold = caption->font();
            bold.setBold(true);
            caption->setFont(bold);
            grid->addWidget(caption, l.row, 2 * l.column, 1, 2);
            continue;
        }
        auto* box = txtResult.add(l.box, new QLineEdit(this));
        box->setMinimumWidth(170);
        takeWholeText(box);
        box->installEventFilter(this);
        caption->setBuddy(box);
        grid->addWidget(caption, l.row, 2 * l.column);
        grid->addWidget(box, l.row, 2 * l.column + 1);
    }
    grid->setRowStretch(grid->rowCount(), 1);

    buttonRow()->addStretch();
    addExamButtons(buttonRow(), *this, cmdExam, {"&Save", "&Cancel", "&Print and Save"},
                   [this](int i) { cmdExam_Click(i); });
    auto* layout = new QVBoxLayout(body());
    layout->addLayout(grid);

    QList<QWidget*> order;
    for (int i = 0; i < member.boxes; ++i)
        order << txtResult(i);
    order << cmdExam(0) << cmdExam(1) << cmdExam(2);
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

frmfecalysis::frmfecalysis() : SingleTextForm(fecalysis) {}
frmWidalTest::frmWidalTest() : SingleTextForm(widal) {}
frmWeilFelix::frmWeilFelix() : SingleTextForm(weilFelix) {}

void SingleTextForm::Form_Load() {
    txtResult(0)->setFocus();
}

void SingleTextForm::Fill_Results() {
    auto rs = loadCodedRow(stored, lit(member_.loaderPrefix));
    if (!rs)
        return;
    entry::state().Remarks = text(rs->Fields(QStringLiteral("result20")).Value);
    for (int i = 0; i < member_.boxes; ++i)
        txtResult(i)->setText(text(rs->Fields(QStringLiteral("Result%1").arg(i + 1)).Value));
}

QStringList SingleTextForm::texts() const {
    QStringList t;
    for (int i = 0; i < member_.boxes; ++i)
        t << txtResult(i)->text();
    return t;
}

void SingleTextForm::Save_Exam(bool& result) {
    const bool saved = runSave(
        stored, [this](ado::Connection& c) { write(c); },
        QStringLiteral("Data was not Saved! Error:["));
    if (saved)
        result = true;
}

void SingleTextForm::write(ado::Connection& c) {
    const entry::ExamRec& exam = entry::examList().at(0);
    verifyIfLogged(c, exam.LabNum);
    const QString key = member_.keyedByRequest ? entry::state().RequestNum : exam.LabNum;
    const bool hasRow = hasCodedRow(
        c, stored,
        QStringLiteral("select * from laboratory..tblabresulthcodes where requestnum ='") + q(key) +
            QStringLiteral("'"));
    if (!hasRow && member_.registersFirst)
        c.Execute(registrationStatement());
    QString sql = QStringLiteral("laboratory..lab_save_hcodes ") + QString::number(hasRow ? 1 : 0) +
                  QStringLiteral(",'") + q(exam.LabNum);
    for (const QString& t : texts())
        sql += QStringLiteral("','") + q(t);
    sql += QStringLiteral("','").repeated(member_.emptyValues + 1) + q(entry::state().Remarks) +
           QStringLiteral("'");
    c.Execute(sql);
}

void SingleTextForm::Print_Result() {
    const entry::ModuleState& s = entry::state();
    report::frmPrinter::instance().rtbDummy.setText(QString());
    const vrt::Date now = vrt::Now();
    auto add9 = [](const QString& piece) { report::Add_Text(piece, 9); };
    // The heading names the hospital the library runs at.
    if (!s.HospitalTitle.isEmpty())
        report::Add_Text(s.HospitalTitle, 12);
    add9(S(5) + QStringLiteral("RUNDATE : "));
    add9(S(2) + vrt::shortDate(now) + crlf);
    report::Add_Text((s.PatientType == QLatin1String("I") ? lit("IN-PATIENT LABORATORY ")
                                                          : lit("OUT-PATIENT LABORATORY")) +
                         QStringLiteral(" - ") + report::Fix_Width(s.SectionName, 20),
                     12);
    add9(S(5) + QStringLiteral("RUNTIME : "));
    add9(S(2) + vrt::longTime(now) + crlf);
    if (!s.Corrections.empty())
        add9(S(32) + QStringLiteral("CORRECTED REPORT") + crlf);
    add9(crlf);
    add9(QStringLiteral("Hosp. No. : ") + report::Fix_Width(s.HospNum, 10));
    add9(S(35) + QStringLiteral("Room No. : ") + s.RoomID + crlf);
    add9(QStringLiteral("Name      : ") + report::Fix_Width(s.PatName, 45));
    add9(QStringLiteral("Sex : ") + report::Fix_Width(s.Sex, 3));
    add9(S(2) + QStringLiteral("Age : ") + s.Age + crlf);
    add9(QStringLiteral("Physician : ") + s.DoctorName + crlf);
    add9(QStringLiteral("Trans. Date : ") + s.ResultDate + S(2) + s.ExamTitle + crlf);
    add9(crlf);
    for (const QString& line : member_.resultLines(texts()))
        add9(line + crlf);
    add9(crlf);
    add9(QStringLiteral("Remarks") + crlf);
    add9(s.Remarks + crlf);
    const QStringList corrections = correctionBlock(correctionLabels(member_));
    if (!corrections.isEmpty())
        add9(crlf + corrections.join(crlf) + crlf);
    for (int i = 0; i < 3; ++i)
        add9(crlf);
    add9(report::Fix_Width(s.EmployeeName, 20) + S(20) + s.Pathologist + crlf);
    add9(QString(27, u'-') + S(10) + QString(26, u'-') + crlf);
    add9(QStringLiteral("   MEDICAL TECHNOLOGIST    ") + S(10) +
         QStringLiteral("        PATHOLOGIST       ") + crlf);
    report::frmPrinter::instance().Print_ResultData();
}

void SingleTextForm::cmdExam_Click(int index) {
    if (index != 1) {
        // A save that changes released results asks its reason in the sign-off.
        entry::state().CorrectionExpected =
            correctionExpected([this](ado::Connection& c) { write(c); });
        forms::instance<signoff::frmRemarksInput>().ShowModal();
    }
    cmdExamClick(
        *this, index,
        [this] {
            bool saved = false;
            Save_Exam(saved);
            return saved;
        },
        [this] { Print_Result(); });
}

bool SingleTextForm::eventFilter(QObject* watched, QEvent* event) {
    if (forms::isEnter(event)) {
        for (int i = 0; i < member_.boxes; ++i) {
            if (watched == txtResult(i)) {
                forms::sendTab();
                return true;
            }
        }
    }
    return Form::eventFilter(watched, event);
}

} // namespace resultforms
