#include "frmPapSmear2.h"

#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "platform/forms/errorguard.h"
#include "report/frmprinter.h"
#include "signoff/frmRemarksInput.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>
#include <functional>

namespace resultforms {

namespace {

using F = frmPapSmear2;

// A group of choices: the frame that holds it and its captions, by index.
struct GroupDef {
    const char* name;
    const char* frame;
    bool checks;          // check boxes; otherwise option buttons, one chosen
    bool enablesOwnFrame; // a click on it enables the frame that holds it
    std::array<const char*, 5> captions;
};

const GroupDef groups[F::groupCount] = {
    {"optCondition",
     "fraA",
     false,
     false,
     {"Satisfactory for evaluation",
      "Satisfactory for evaluation but limited by :", "Unsatisfactory of evaluation due to :"}},
    {"optSatisfactory",
     "fraSatisfactory",
     false,
     false,
     {"Blood / Inflammation", "No endocervical component", "Presence of foreign materials"}},
    {"optUnsatisfactory",
     "fraUnsatisfactory",
     false,
     false,
     {"Cellularity is scanty", "Poor fixation-preservation",
      "Completely obscured by blood/inflammation", "Not representative of the anatomic site"}},
    {"optGeneral",
     "fraB",
     false,
     false,
     {"Within normal limits", "Benign Cellular Changes", "Epithelial cell abnormality"}},
    {"optInflammation",
     "fraInflammation",
     false,
     true,
     {"Atrophy with inflammation", "Atrophic vaginitis"}},
    {"optIUD", "fraIUD", false, true, {"Radiation", "Others :"}},
    {"optSquamos",
     "fraC2a",
     false,
     false,
     {"A typical squamos cells of undetermined significance", "Squamos intraepithelial lesions:"}},
    {"optSquamos1",
     "fraSquamos1",
     false,
     false,
     {"Favoring reactive change", "Favoring pre-malignant lesion"}},
    {"optSquamos2",
     "fraSquamos2",
     false,
     false,
     {"1. Low grade squamos intraeithelial lesion encompossing:",
      "2. High grade squamos intraeithelial lesion encompossing:", "3. Squamos cell Carcinoma"}},
    {"optLowgrade",
     "fraLowGrade",
     false,
     false,
     {"Changes consistent with HPV infection", "Mild dysplasia (CIN-1)"}},
    {"optHighgrade",
     "fraHighGrade",
     false,
     false,
     {"Moderate dysplasia (CIN-2", "Severe dysplasia (CIN-3)", "Carcinoma is situ (CIN-3)"}},
    {"optGrandular",
     "fraGrandular",
     false,
     false,
     {"Endometrial cells :", "A typical grandular cells of undetermined significance",
      "Adenocarcinoma :"}},
    {"optEndometrial",
     "fraEndometrial",
     false,
     false,
     {"out of phase", "in post menopausal state"}},
    {"optAdenocarcinoma", "fraAdenocarcinoma", false, false, {"Endocervical", "Endometrical"}},
    {"optHormonal",
     "fraHormonal",
     false,
     false,
     {"Compatible with age and history", "Incompatible with age and history",
      "Hormonal evaluation not possible due to : "}},
    {"optDueTo",
     "fraDueTo",
     false,
     false,
     {"Mainly cervical sample", "Market inflammation", "Pertinent data not supplied"}},
    {"chkBenign",
     "fraC(0)",
     true,
     false,
     {"Non-specific Inflammation", "Infection", "Reactive cellular changes associated with :",
      "Inflammation (including typical repair)", "IUD (other mechanical devices"}},
    {"chkInfection", "fraInfection", true, false, {"Bacteria", "Fungal", "Protozoan", "Viral"}},
};

// A frame: where it sits and, for a frame that one choice opens, that choice
// (owner, on) and the group inside it that is cleared while it is closed.
// Such frames start disabled.
struct FrameDef {
    const char* name;
    const char* caption;
    const char* parent; // empty: placed on its tab by the window
    int owner = -1;
    int on = -1;
    int holds = -1;
};

const FrameDef frameDefs[] = {
    {"Frame1", "Date \\ Time Reported", ""},
    {"fraA", "I. Condition of the Smears", ""},
    {"fraSatisfactory", "", "fraA", F::optCondition, 1, F::optSatisfactory},
    {"fraUnsatisfactory", "", "fraA", F::optCondition, 2, F::optUnsatisfactory},
    {"fraB", "II. General Categorization of Diagnosis", ""},
    {"fraC(0)", "I. BENIGN CELLULAR CHANGES", ""},
    {"fraInfection", "", "fraC(0)", F::chkBenign, 1, F::chkInfection},
    {"fraInflammation", "", "fraC(0)", F::chkBenign, 3, F::optInflammation},
    {"fraIUD", "", "fraC(0)", F::chkBenign, 4, F::optIUD},
    {"fraC(1)", "II. EPITHELIAL CELL ABNORMALITIES :", ""},
    {"fraC2a", "A. Squamos Cells:", "fraC(1)"},
    {"fraSquamos1", "", "fraC2a", F::optSquamos, 0, F::optSquamos1},
    {"fraSquamos2", "", "fraC2a", F::optSquamos, 1, F::optSquamos2},
    {"fraLowGrade", "", "fraSquamos2", F::optSquamos2, 0, F::optLowgrade},
    {"fraHighGrade", "", "fraSquamos2", F::optSquamos2, 1, F::optHighgrade},
    {"fraGrandular", "B. Grandular Cells:", "fraC(1)"},
    {"fraEndometrial", "", "fraGrandular", F::optGrandular, 0, F::optEndometrial},
    {"fraAdenocarcinoma", "", "fraGrandular", F::optGrandular, 2, F::optAdenocarcinoma},
    {"fraNonEpithelial", "Non-Epithelial Malignant Neoplasm :", "fraC(1)"},
    {"fraHormonal", "III. Hormonal Evaluation", ""},
    {"fraDueTo", "", "fraHormonal", F::optHormonal, 2, F::optDueTo},
};

// The notes beside the infection check boxes (never saved).
const char* const notes[4] = {
    "- Mixed Bacteria\r\n- Coco-bacilli\r\n- Suggestive of \r\n  chlamydial \r\n  infection\r\n",
    "- Consistent with \r\n  Candida specie\r\n",
    "- Trich\r\n",
    "- Associated with \r\n  Herpessimples \r\n  virus\r\n- Associated with \r\n  cytimegalo "
    "virus\r\n",
};

int buttonCount(int group) {
    int n = 0;
    while (n < 5 && groups[group].captions[size_t(n)])
        ++n;
    return n;
}

// The frame's own Enabled, whatever the frames around it say.
bool ownEnabled(const QWidget* w) {
    return !w->testAttribute(Qt::WA_ForceDisabled);
}

// A check box that the user ticks and clears; the grey state is set by code.
class CheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {
        setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
};

QLabel* caption(const char* text, QWidget* buddy) {
    auto* l = new QLabel(QString::fromLatin1(text));
    l->setBuddy(buddy);
    return l;
}

// The line edits of the form keep whatever length is typed or loaded.
QLineEdit* textBox(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    takeWholeText(box);
    return box;
}

} // namespace

frmPapSmear2::frmPapSmear2() {
    setObjectName(QStringLiteral("frmPapSmear2"));
    setWindowTitle(QStringLiteral("Pap Smear"));
    setKeyPreviewBackquote(true);

    sstbPapSmear = new controls::SSTab(this);
    sstbPapSmear->setObjectName(QStringLiteral("sstbPapSmear"));
    QWidget* pages[2] = {new QWidget, new QWidget};
    sstbPapSmear->addTab(pages[0], QStringLiteral("Screen 1"));
    sstbPapSmear->addTab(pages[1], QStringLiteral("Screen 2"));

    std::map<QString, QGridLayout*> grids;
    for (const FrameDef& f : frameDefs) {
        const QString name = QString::fromLatin1(f.name);
        auto* box = new QGroupBox(QString::fromLatin1(f.caption), this);
        box->setObjectName(name);
        box->setEnabled(f.owner < 0);
        frames_[name] = box;
        grids[name] = new QGridLayout(box);
    }
    txtCytology = textBox(this, "txtCytology");
    txtLMP = textBox(this, "txtLMP");
    dtReportDate = new controls::DTPicker(this);
    dtReportDate->setObjectName(QStringLiteral("dtReportDate"));
    dtReportTime = new controls::DTPicker(this);
    dtReportTime->setObjectName(QStringLiteral("dtReportTime"));
    grids.at(QStringLiteral("Frame1"))->addWidget(dtReportDate, 0, 0);
    grids.at(QStringLiteral("Frame1"))->addWidget(dtReportTime, 0, 1);
    // Tab visits the controls as the screens show them.
    QList<QWidget*> order{txtCytology, txtLMP, dtReportDate, dtReportTime};

    // A frame's buttons one a row; a frame that a button opens sits under
    // that button, indented. Buttons keep their own width: a click beside a
    // caption is no click.
    choices_.resize(groupCount);
    auto add = [&](const QString& frameName, QWidget* w, int column = 0, int span = 2,
                   Qt::Alignment align = Qt::AlignLeft) {
        QGridLayout* grid = grids.at(frameName);
        grid->addWidget(w, grid->rowCount() - (column > 0 ? 1 : 0), column, 1, span, align);
        if (w->focusPolicy() != Qt::NoFocus)
            order << w;
    };
    std::function<void(const QString&)> fill = [&](const QString& name) {
        for (int g = 0; g < groupCount; ++g) {
            if (name != QLatin1String(groups[g].frame))
                continue;
            for (int i = 0; i < buttonCount(g); ++i) {
                QAbstractButton* b = choiceButton(g, i);
                if (g == chkInfection) {
                    // Two by two, each over its note.
                    auto* note = txtC2.add(i, new QPlainTextEdit(this));
                    note->setPlainText(
                        QString::fromLatin1(notes[i]).replace(QLatin1String("\r\n"), "\n"));
                    note->setReadOnly(true);
                    note->setFocusPolicy(Qt::NoFocus);
                    note->setFrameShape(QFrame::NoFrame);
                    note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                    note->setFixedHeight(note->fontMetrics().lineSpacing() * 5 + 8);
                    grids.at(name)->addWidget(b, 2 * (i / 2), i % 2, Qt::AlignLeft);
                    grids.at(name)->addWidget(note, 2 * (i / 2) + 1, i % 2);
                    order << b;
                    continue;
                }
                add(name, b, 0, g == optIUD && i == 1 ? 1 : 2);
                if (g == optIUD && i == 1) {
                    txtOthers = textBox(this, "txtOthers");
                    add(name, txtOthers, 1, 1, {});
                }
                for (const FrameDef& sub : frameDefs) {
                    if (sub.owner != g || sub.on != i)
                        continue;
                    auto* row = new QHBoxLayout;
                    row->addSpacing(18);
                    row->addWidget(frame(QString::fromLatin1(sub.name)));
                    QGridLayout* grid = grids.at(name);
                    grid->addLayout(row, grid->rowCount(), 0, 1, 2);
                    fill(QString::fromLatin1(sub.name));
                }
            }
        }
        for (const FrameDef& sub : frameDefs)
            if (sub.owner < 0 && name == QLatin1String(sub.parent)) {
                add(name, frame(QString::fromLatin1(sub.name)), 0, 2, {});
                fill(QString::fromLatin1(sub.name));
            }
        if (name == QLatin1String("fraNonEpithelial")) {
            txtNonEpithelial = textBox(this, "txtNonEpithelial");
            add(name, txtNonEpithelial, 0, 2, {});
        } else if (name == QLatin1String("fraHormonal")) {
            txtMI = textBox(this, "txtMI");
            add(name, caption("M.I.", txtMI), 0, 1);
            add(name, txtMI, 1, 1, {});
            grids.at(name)->setColumnStretch(1, 1);
        }
        // Room to spare goes below the last row, not between the rows.
        grids.at(name)->setRowStretch(grids.at(name)->rowCount(), 1);
    };
    for (const FrameDef& f : frameDefs)
        if (!*f.parent)
            fill(QString::fromLatin1(f.name));

    auto* screen1 = new QGridLayout(pages[0]);
    screen1->addWidget(caption("Cytology No.", txtCytology), 0, 0);
    screen1->addWidget(txtCytology, 0, 1);
    screen1->addWidget(caption("L.M.P.", txtLMP), 1, 0);
    screen1->addWidget(txtLMP, 1, 1);
    screen1->addWidget(frame(QStringLiteral("Frame1")), 2, 0, 1, 2);
    screen1->addWidget(frame(QStringLiteral("fraA")), 3, 0, 1, 2);
    screen1->addWidget(frame(QStringLiteral("fraB")), 4, 0, 1, 2);
    screen1->setRowStretch(5, 1);
    auto* descriptive = new QLabel(QStringLiteral("Descriptive Diagnosis"), pages[0]);
    descriptive->setObjectName(QStringLiteral("lblDescriptive"));
    screen1->addWidget(descriptive, 0, 2);
    screen1->addWidget(frame(QStringLiteral("fraC(0)")), 1, 2, 5, 1);
    screen1->setColumnStretch(2, 1);

    auto* screen2 = new QGridLayout(pages[1]);
    screen2->addWidget(frame(QStringLiteral("fraC(1)")), 0, 0, 2, 1);
    screen2->addWidget(frame(QStringLiteral("fraHormonal")), 0, 1);
    screen2->setRowStretch(1, 1);

    buttonRow()->addStretch();
    addExamButtons(buttonRow(), *this, cmdExam, {"&Save", "E&xit", "&Print & Save"},
                   [this](int i) { cmdExam_Click(i); });
    for (int i = 0; i < 3; ++i)
        order << cmdExam(i);
    auto* layout = new QVBoxLayout(body());
    layout->addWidget(sstbPapSmear);
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(900, 640);
}

// Button or check box i of group g, made as the table says.
QAbstractButton* frmPapSmear2::choiceButton(int g, int i) {
    const QString text = QString::fromLatin1(groups[g].captions[size_t(i)]);
    QAbstractButton* b;
    if (groups[g].checks) {
        b = new CheckBox(text, this);
    } else {
        auto* r = new QRadioButton(text, this);
        // Exclusion and clearing are the rules' work.
        r->setAutoExclusive(false);
        b = r;
    }
    b->setObjectName(QStringLiteral("%1(%2)").arg(QLatin1String(groups[g].name)).arg(i));
    choices_[size_t(g)].push_back(b);
    forms::connectGuarded(b, &QAbstractButton::clicked, this,
                          [this, g, i] { choiceClicked(Group(g), i); });
    return b;
}

void frmPapSmear2::Form_Load() {
    initReportPickers(dtReportDate, dtReportTime);
    sstbPapSmear->setTab(0);
    txtCytology->setFocus();
}

QAbstractButton* frmPapSmear2::choice(Group group, int index) const {
    return choices_.at(size_t(group)).at(size_t(index));
}

QGroupBox* frmPapSmear2::frame(const QString& name) const {
    return frames_.at(name);
}

int frmPapSmear2::selected(int group) const {
    const auto& buttons = choices_[size_t(group)];
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked())
            return int(i);
    return -1;
}

int frmPapSmear2::value(int group, int index) const {
    switch (static_cast<QCheckBox*>(choices_[size_t(group)][size_t(index)])->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void frmPapSmear2::setChoice(Group group, int index, int v) {
    if (index < 0 || index >= buttonCount(group))
        throw vrt::RuntimeError(
            340, QStringLiteral("Control array element '%1' doesn't exist").arg(index));
    QAbstractButton* b = choice(group, index);
    if (!groups[group].checks) {
        b->setChecked(true);
        choiceClicked(group, index);
        return;
    }
    if (v < 0 || v > 2)
        throw vrt::RuntimeError(380, QStringLiteral("Invalid property value"));
    if (v == value(group, index))
        return; // an unchanged value raises no click
    static_cast<QCheckBox*>(b)->setCheckState(v == 0   ? Qt::Unchecked
                                              : v == 1 ? Qt::Checked
                                                       : Qt::PartiallyChecked);
    choiceClicked(group, index);
}

// The enabling rules: a choice opens or closes the frames it owns, and a
// closed frame holds no choice.
void frmPapSmear2::choiceClicked(Group group, int index) {
    const GroupDef& def = groups[group];
    if (!def.checks) {
        const auto& buttons = choices_[size_t(group)];
        for (size_t i = 0; i < buttons.size(); ++i)
            buttons[i]->setChecked(int(i) == index);
    }
    if (def.enablesOwnFrame)
        frame(QString::fromLatin1(def.frame))->setEnabled(true);
    for (const FrameDef& f : frameDefs) {
        if (f.owner != group)
            continue;
        QGroupBox* box = frame(QString::fromLatin1(f.name));
        if (!def.checks)
            box->setEnabled(f.on == index);
        else if (f.on == index)
            box->setEnabled(value(group, index) != 0);
    }
    for (const FrameDef& f : frameDefs)
        if (f.owner == group && !ownEnabled(frame(QString::fromLatin1(f.name))))
            clearGroup(f.holds);
}

void frmPapSmear2::clearGroup(int group) {
    for (QAbstractButton* b : choices_[size_t(group)]) {
        if (auto* check = qobject_cast<QCheckBox*>(b))
            check->setCheckState(Qt::Unchecked);
        else
            b->setChecked(false);
    }
    // A cleared choice closes what it opened (a grade left under a cleared
    // lesion would be saved and printed beside a contradicting finding).
    for (const FrameDef& f : frameDefs)
        if (f.owner == group) {
            frame(QString::fromLatin1(f.name))->setEnabled(false);
            clearGroup(f.holds);
        }
}

QStringList frmPapSmear2::codes() const {
    QStringList list;
    for (int g = 0; g < groupCount; ++g) {
        if (!groups[g].checks) {
            const int i = selected(g);
            list << (i < 0 ? QString() : QString::number(i));
            continue;
        }
        for (int i = 0; i < buttonCount(g); ++i)
            list << QString::number(value(g, i));
    }
    return list;
}

void frmPapSmear2::Fill_Results() {
    // The load sets the pickers to today: it runs first, so what is loaded stays.
    ensureLoaded();
    auto rs = loadCodedRow(stored);
    if (!rs)
        return;
    entry::state().Remarks = text(rs->Fields(QStringLiteral("result20")).Value);
    txtCytology->setText(text(rs->Fields(QStringLiteral("Result1")).Value));
    // Option groups from ordinal 2, one per group. A Null or blank code is no
    // choice: the form writes "" for a group left empty, other programs a
    // Null or blanks.
    const auto none = [](const vrt::Variant& v) { return v.text().trimmed().isEmpty(); };
    int ordinal = 2;
    for (int g = 0; g < groupCount; ++g) {
        if (groups[g].checks)
            continue;
        const vrt::Variant v = rs->Fields(ordinal++).Value;
        if (none(v))
            choice(Group(g), 0)->setChecked(false);
        else
            setChoice(Group(g), v.toInteger());
    }
    // The check boxes from ordinal 18; ordinal 20 holds the remarks.
    for (int g = 0; g < groupCount; ++g) {
        if (!groups[g].checks)
            continue;
        for (int i = 0; i < buttonCount(g); ++i) {
            const vrt::Variant v = rs->Fields(ordinal).Value;
            setChoice(Group(g), i, none(v) ? 0 : v.toInteger());
            ordinal = ordinal == 19 ? 21 : ordinal + 1;
        }
    }
    txtOthers->setText(text(rs->Fields(28).Value));
    txtNonEpithelial->setText(text(rs->Fields(29).Value));
    txtMI->setText(text(rs->Fields(30).Value));
    txtLMP->setText(text(rs->Fields(31).Value));
    loadPicker(dtReportDate, rs->Fields(32).Value);
    loadPicker(dtReportTime, rs->Fields(33).Value);
}

bool frmPapSmear2::Save_Entries() {
    return runSave(stored, [this](ado::Connection& c) { write(c); });
}

void frmPapSmear2::write(ado::Connection& c) {
    verifyIfLogged(c, entry::examList().at(0).LabNum);
    const QStringList list = codes();
    const bool hasRow = hasCodedRow(c, stored);
    if (!hasRow)
        c.Execute(registrationStatement());
    QString sql = QStringLiteral("Laboratory..Lab_Save_HCodes %1, '").arg(hasRow ? 1 : 0) +
                  q(entry::examList().at(0).LabNum) + QStringLiteral("', '") +
                  q(txtCytology->text()) + QStringLiteral("','");
    for (const QString& code : list)
        sql += q(code) + QStringLiteral("', '");
    sql += q(txtOthers->text()) + QStringLiteral("', '") + q(txtNonEpithelial->text()) +
           QStringLiteral("','") + q(txtMI->text()) + QStringLiteral("', '") + q(txtLMP->text()) +
           QStringLiteral("','") + q(dateReported(dtReportDate)) + QStringLiteral("', '") +
           q(timeReported(dtReportTime)) + QStringLiteral("', '") + q(entry::state().Remarks) +
           QStringLiteral("'");
    c.Execute(sql);
}

void frmPapSmear2::Print_Result() {
    const entry::ModuleState& s = entry::state();
    report::frmPrinter::instance().rtbDummy.setText(QString());
    std::array<QStringList, groupCount> marks;
    for (int g = 0; g < groupCount; ++g)
        for (int i = 0; i < buttonCount(g); ++i) {
            const bool on = groups[g].checks ? value(g, i) == 1 : choice(Group(g), i)->isChecked();
            marks[size_t(g)] << (on ? QStringLiteral("x") : QStringLiteral(" "));
        }
    auto m = [&](Group g, int i) { return marks[size_t(g)][i]; };
    auto B = [&](Group g, int i, const char* t) {
        return QStringLiteral("[") + m(g, i) + QString::fromLatin1(t);
    };
    auto T = [](const char* t) { return QString::fromLatin1(t); };
    const QStringList rows{
        S(64) + T("Cytology No. : ") + txtCytology->text(),
        QString(),
        T("Name      : ") + L(s.PatName, 30) + S(16) + T("Admission # : ") + s.IDNum + S(3) +
            T("Age : ") + s.Age,
        T("Hosp. No. : ") + L(s.HospNum, 10) + S(36) + T("Room : ") + s.RoomID + S(13) +
            T("Sex : ") + s.Sex,
        L(T("Physician : ") + s.DoctorName, 58) + T("Date Reported: ") +
            reportedOn(dtReportDate, dtReportTime),
        L(T("L.M.P.: ") + txtLMP->text(), 58) + T("Date Received: ") + s.TransDate,
        QString(),
        QString(),
        T("I. Condition of Smears"),
        S(3) + L(B(optCondition, 0, "] Satisfactory for evaluation"), 50) + S(5) +
            T("II EPITHELIAL CELL ABNORMALITIES"),
        S(3) + L(B(optCondition, 1, "] Satisfactory for evaluation but limited due to: "), 50) +
            S(5) + T("A. Squamos Cells:"),
        S(5) + L(B(optSatisfactory, 0, "] Blood/inflammation"), 50) + S(5) +
            B(optSquamos, 0, "] A typical squamos intraepithelial"),
        S(5) + L(B(optSatisfactory, 1, "] No endocervical component"), 50) + S(15) +
            T("lesion encompassing:"),
        S(5) + L(B(optSatisfactory, 2, "] Presence of foreign materials"), 50) + S(7) +
            B(optSquamos1, 0, "] Favoring reactive change"),
        S(3) + L(B(optCondition, 2, "] Unsatisfactory for evaluation due to:"), 50) + S(9) +
            B(optSquamos1, 1, "] Favoring pre-malignant lesion"),
        S(5) + L(B(optUnsatisfactory, 0, "] Cellularity is scanty"), 50) + S(5) +
            B(optSquamos, 1, "] Squamos intraepithelial lesions:"),
        S(5) + L(B(optUnsatisfactory, 1, "] Poor fixation-preservation"), 50) + S(7) +
            B(optSquamos2, 0, "]1.Low grade squamos intraepithelial"),
        S(5) + L(B(optUnsatisfactory, 2, "] Completely obscured by blood/inflammation"), 50) +
            S(15) + T("lesion encompassing:"),
        S(5) + L(B(optUnsatisfactory, 3, "] Not representative of the anatomic site"), 50) + S(9) +
            B(optLowgrade, 0, "] Changes consistent with HPV infection"),
        L(QString(), 50) + S(14) + B(optLowgrade, 1, "] Mild dysplasia (CIN-1)"),
        L(T("II. General Category of Diagnosis"), 50) + S(12) +
            B(optSquamos2, 1, "]2.High grade squamos intraepithelial"),
        S(5) + L(B(optGeneral, 0, "] Within normal limits"), 66) + T("lesion encompassing:"),
        S(5) + L(B(optGeneral, 1, "] Benign cellular changes"), 50) + S(9) +
            B(optHighgrade, 0, "] Moderate dysplasia (CIN-2)"),
        S(5) + L(B(optGeneral, 2, "] Epithelial cell abnormality"), 50) + S(9) +
            B(optHighgrade, 1, "] Severe dysplasia (CIN-3)"),
        L(QString(), 55) + S(9) + B(optHighgrade, 2, "] Carcinoma is situ (CIN-3)"),
        L(T("DESCRIPTIVE DIAGNOSIS"), 50) + S(12) + B(optSquamos2, 2, "]3.Squamos cell Carcinoma"),
        L(T("I. BENIGN CELLULAR CHANGES:"), 50) + S(8) + T("B. Grandular cells:"),
        S(3) + L(B(chkBenign, 0, "] Non-specific Inflammation"), 50) + S(9) +
            B(optGrandular, 0, "] Endometrial cells: [") + m(optEndometrial, 0) +
            T("] out of phase"),
        S(3) + L(B(chkBenign, 1, "] Infection:"), 50) + S(13) +
            B(optEndometrial, 1, "] in post menopausal state"),
        S(5) +
            L(B(chkInfection, 0, "]Bacteria            [") + m(chkInfection, 1) + T("]Fungal"),
              50) +
            S(7) + B(optGrandular, 1, "] A typical grandular cells of"),
        S(7) + L(T(" -Mixed bacteria        -Consistent"), 50) + S(9) +
            T("undetermined significance"),
        S(7) + L(T(" -Coco-bacilli           with Candida"), 50) + S(5) +
            B(optGrandular, 2, "] Adenocarcinoma: [") + m(optAdenocarcinoma, 0) +
            T("] Endocervical"),
        S(7) + L(T(" -Suggestive of          specie"), 50) + S(9) +
            B(optAdenocarcinoma, 1, "]Endometrical"),
        S(8) + L(T("chlamydial"), 50) + T("C. Non-Epithelial Malignant Neoplasm: "),
        S(8) + L(T("Infection"), 50) + S(3) + txtNonEpithelial->text(),
        L(QString(), 50),
        S(5) +
            L(B(chkInfection, 2, "]Protozoan          [") + m(chkInfection, 3) + T("]Viral"), 50) +
            S(3) + T("III. Hormonal Evaluation"),
        S(7) + L(T(" -Trich                 -Associated"), 50) + S(3) +
            B(optHormonal, 0, "] Compatible with age and history"),
        S(31) + L(T("with Herpes"), 26) + S(3) +
            B(optHormonal, 1, "] Incompatible with age and history:"),
        S(30) + L(T(" simples virus"), 31) + S(3) + T("M.I. ") + txtMI->text(),
        S(30) + T("-Associated with") + S(14) +
            B(optHormonal, 2, "] Hormonal evaluation not possible due to: "),
        S(30) + L(T(" cytimegalo"), 33) + B(optDueTo, 0, "] Mainly cervical sample"),
        S(30) + L(T(" virus"), 33) + B(optDueTo, 1, "] Market inflammation"),
        S(3) + L(B(chkBenign, 2, "] Reactive cellular changes associated with: "), 50) + S(10) +
            B(optDueTo, 2, "] Pertinent data not supplied"),
        S(3) + L(B(chkBenign, 3, "] Inflammation (including typical repair)"), 50),
        S(5) + L(B(optInflammation, 0, "] Atrophy with inflammation"), 50),
        S(5) + L(B(optInflammation, 1, "] Atrophic vaginitis"), 50),
        S(3) + L(B(chkBenign, 4, "] IUD (Other mechanical devices)"), 50),
        S(5) + B(optIUD, 0, "] Radiation      [") + m(optIUD, 1) + T("] Others: ") +
            txtOthers->text(),
        QString(),
        T("Remarks"),
        s.Remarks,
    };
    spoolAndPrint(rows, QStringLiteral("CERVICO-VAGINAL CYTOLOGY REPORT"),
                  QStringLiteral("(BETHESDA SYSTEM)"));
}

void frmPapSmear2::cmdExam_Click(int index) {
    if (index != 1) {
        // A save that changes released results asks its reason in the sign-off.
        entry::state().CorrectionExpected =
            correctionExpected([this](ado::Connection& c) { write(c); });
        forms::instance<signoff::frmRemarksInput>().ShowModal();
    }
    cmdExamClick(
        *this, index, [this] { return Save_Entries(); }, [this] { Print_Result(); });
}

} // namespace resultforms
