#include "frmStool.h"

#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "forms/shared/codedresults.h"
#include "platform/forms/errorguard.h"
#include "platform/forms/keys.h"
#include "report/document.h"
#include "report/spool.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace resultforms {

namespace {

// The findings.
const Finding findings[18] = {
    {"P&hysical", "Color", "  Color           = "},
    {"P&hysical", "Consistency", "  Consistency     = "},
    {"&Chemicals", "Occult Blood", "  Occult Blood    = "},
    {"&Chemicals", "Others", "  Others          = "},
    {"&Microscopic", "Pus Cells", "  Pus Cells       = "},
    {"&Microscopic", "Red Blood Cells", "  Red Blood Cells = "},
    {"&Microscopic", "Yeast Cells", "  Yeast Cells     = "},
    {"&Microscopic", "Others", "  Others          = "},
    {"&Nematodes", "Ascaris Lumbricoides", "  Ascaris lumbricoides  = "},
    {"&Nematodes", "Trichuris Trichiura", "  Trichuris trichuria   = "},
    {"&Nematodes", "S. Stercoralis", "  S. stercoralis        = "},
    {"&Nematodes", "Hookworm", "  Hookworm              = "},
    {"&Nematodes", "Others", "  Others                = "},
    {"&Amoeba", "Entamoeba Histolytica", "  Entamoeba  histolytica= "},
    {"&Amoeba", "Entamoeba Coli", "  Entamoeba coli        = "},
    {"&Amoeba", "flagellates", "  Flagellates           = "},
    {"&Amoeba", "Girdia Lamblia", "  Girdia lambia         = "},
    {"&Amoeba", "Trichomonas Hominis", "  Trichomonas hominis   = "},
};
const char* const frameOrder[] = {"P&hysical", "&Chemicals", "&Microscopic", "&Nematodes",
                                  "&Amoeba"};
constexpr int last = 17;

} // namespace

frmStool::frmStool() {
    setObjectName(QStringLiteral("frmStool"));
    setWindowTitle(QStringLiteral("Stool Examination"));
    setKeyPreviewBackquote(true);

    std::map<QString, QGridLayout*> frames;
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    for (const char* caption : frameOrder) {
        const QString name = QString::fromLatin1(caption);
        auto* box = new QGroupBox(name, this);
        box->setObjectName(QStringLiteral("fra") + QString(name).remove(QLatin1Char('&')));
        frames[name] = new QGridLayout(box);
        (name == QLatin1String("&Nematodes") || name == QLatin1String("&Amoeba") ? right : left)
            ->addWidget(box);
    }
    for (int i = 0; i <= last; ++i) {
        QGridLayout* grid = frames[QString::fromLatin1(findings[i].frame)];
        const int row = grid->rowCount();
        auto* caption =
            lblLabels.add(i, new QLabel(QString::fromLatin1(findings[i].caption), this));
        auto* box = txtResults.add(i, new QLineEdit(this));
        caption->setBuddy(box);
        forms::upperCaseTyping(box);
        takeWholeText(box);
        box->installEventFilter(this);
        grid->addWidget(caption, row, 0);
        grid->addWidget(box, row, 1);
        if (i == 14) {
            // The Amoeba frame's "Others :" caption stands without a box.
            grid->addWidget(new QLabel(QStringLiteral("Others :"), this), row + 1, 0);
        }
    }

    auto* interpretation = new QGroupBox(QStringLiteral("&Interpretation"), this);
    interpretation->setObjectName(QStringLiteral("fraInterpretation"));
    txtInterpretation = new QTextEdit(interpretation);
    txtInterpretation->setObjectName(QStringLiteral("txtInterpretation"));
    txtInterpretation->setAcceptRichText(false);
    txtInterpretation->setTabChangesFocus(true);
    txtInterpretation->setMinimumHeight(70);
    (new QVBoxLayout(interpretation))->addWidget(txtInterpretation);
    left->addWidget(interpretation);

    auto* when = new QGroupBox(QStringLiteral("&Date \\ Time Reported"), this);
    when->setObjectName(QStringLiteral("fraReported"));
    dtReportDate = new controls::DTPicker(when);
    dtReportDate->setObjectName(QStringLiteral("dtReportDate"));
    dtReportTime = new controls::DTPicker(when);
    dtReportTime->setObjectName(QStringLiteral("dtReportTime"));
    auto* whenRow = new QHBoxLayout(when);
    whenRow->addWidget(dtReportDate);
    whenRow->addWidget(dtReportTime);
    right->addWidget(when);
    right->addStretch();

    buttonRow()->addStretch();
    addExamButtons(buttonRow(), *this, cmdExam, {"&Save", "E&xit", "&Print & Save"},
                   [this](int i) { cmdExam_Click(i); });
    auto* layout = new QVBoxLayout(body());
    layout->addLayout(columns);

    QList<QWidget*> order;
    for (int i = 0; i <= last; ++i)
        order << txtResults(i);
    order << txtInterpretation << dtReportDate << dtReportTime << cmdExam(0) << cmdExam(1)
          << cmdExam(2);
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(760, 540);
}

void frmStool::Form_Load() {
    initReportPickers(dtReportDate, dtReportTime);
    txtResults(0)->setFocus();
}

void frmStool::Fill_Results() {
    // The load sets the pickers to today: it runs first, so what is loaded stays.
    ensureLoaded();
    auto rs = loadCodedRow(stored);
    if (!rs)
        return;
    entry::state().Remarks = text(rs->Fields(QStringLiteral("result20")).Value);
    for (int i = 0; i <= last; ++i)
        txtResults(i)->setText(text(rs->Fields(i + 1).Value));
    loadPicker(dtReportDate, rs->Fields(QStringLiteral("Result22")).Value);
    loadPicker(dtReportTime, rs->Fields(QStringLiteral("Result23")).Value);
    forms::setLines(txtInterpretation, text(rs->Fields(QStringLiteral("Result21")).Value));
}

void frmStool::Save_Entries(bool& saved) {
    saved = runSave(stored, [this](ado::Connection& c) {
        verifyIfLogged(c, entry::examList().at(0).LabNum);
        QString sql = codedStatementStart(c, hasCodedRow(c, stored));
        for (int i = 0; i <= last; ++i)
            sql += q(txtResults(i)->text()) + QStringLiteral("', '");
        sql += QStringLiteral("','") + q(forms::linesOf(txtInterpretation)) +
               QStringLiteral("','") + q(dateReported(dtReportDate)) + QStringLiteral("','") +
               q(timeReported(dtReportTime)) + QStringLiteral("','','','','','','','','','','','") +
               q(entry::state().Remarks) + QStringLiteral("'");
        c.Execute(sql);
    });
}

void frmStool::Print_Result() {
    auto V = [this](int i) { return txtResults(i)->text(); };
    auto lb = [](int i) { return QString::fromLatin1(findings[i].label); };
    QStringList rows = reportHeading(reportedOn(dtReportDate, dtReportTime));
    rows << QStringList{
        L(QStringLiteral("PHYSICAL: "), 58) + QStringLiteral("NEMATODES: "),
        lb(0) + L(V(0), 38) + lb(8) + V(8),
        S(58) + lb(9) + V(9),
        lb(1) + L(V(1), 38) + lb(10) + V(10),
        L(QStringLiteral("CHEMICALS: "), 58) + lb(11) + V(11),
        lb(2) + L(V(2), 38) + lb(12) + V(12),
        lb(3) + L(V(3), 58),
        L(QStringLiteral("MICROSCOPIC: "), 58) + QStringLiteral("AMOEBA:"),
        lb(4) + L(V(4), 38) + lb(13) + V(13),
        lb(5) + L(V(5), 48),
        lb(6) + L(V(6), 38) + lb(14) + V(14),
        lb(7) + L(V(7), 58),
        S(58) + QStringLiteral("  Others: "),
        S(58) + lb(15) + V(15),
        S(58) + lb(16) + V(16),
        QString(),
        S(58) + lb(17) + V(17),
        forms::linesOf(txtInterpretation),
        QString(),
    };
    spoolAndPrint(rows);
}

void frmStool::cmdExam_Click(int index) {
    cmdExamClick(
        *this, index,
        [this] {
            bool saved = false;
            Save_Entries(saved);
            return saved;
        },
        [this] { Print_Result(); });
}

bool frmStool::eventFilter(QObject* watched, QEvent* event) {
    if (forms::isEnter(event)) {
        for (int i = 0; i <= last; ++i) {
            if (watched != txtResults(i))
                continue;
            if (i == last) {
                if (txtInterpretation->isVisible())
                    txtInterpretation->setFocus();
            } else if (i != 13 && i != 14) {
                focusNext();
            }
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

} // namespace resultforms
