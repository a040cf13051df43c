#include "frmUrinalysis2.h"

#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "forms/shared/codedresults.h"
#include "platform/forms/errorguard.h"
#include "platform/forms/keys.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/datetime.h"
#include "report/document.h"
#include "report/spool.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace resultforms {

namespace {

// The free-text findings.
const Finding findings[17] = {
    {"P&hysical", "Color", "  PHYSICAL:   Color       : "},
    {"P&hysical", "Reaction", "Reaction    : "},
    {"P&hysical", "Transparency", "Transparency: "},
    {"P&hysical", "Spec. Gravity", "Spec.Gravity: "},
    {"&Cells", "Pus Cells", "  CELLS:      Pus Cells   : "},
    {"&Cells", "RBC", "RBC         : "},
    {"&Cells", "Yeast Cells", "Yeast Cells : "},
    {"&Epithelium", "Squamos", "  EPITHELIUM: Squamos     : "},
    {"&Epithelium", "Renal", "Renal       : "},
    {"&Epithelium", "Bladder", "Bladder     : "},
    {"C&asts", "Pus", "  CASTS      : Pus        : "},
    {"C&asts", "Hyaline", "Hyaline     : "},
    {"C&asts", "Waxy", "Waxy        : "},
    {"C&asts", "Granular", "Granular    : "},
    {"C&rystals", "Others", "  Others              : "},
    {"", "Parasites", "  Parasites           : "},
    {"", "Others", "  Others              : "},
};

// The coded findings.
const Finding coded[12] = {
    {"Che&mical", "Albumin", "  Albumin             : "},
    {"Che&mical", "Sugar", "  Sugar               : "},
    {"Che&mical", "Acetone", "  Acetone             : "},
    {"Che&mical", "Bile", "  Bile                : "},
    {"C&rystals", "Amorphous Urates", "  Amorphous Urates    : "},
    {"C&rystals", "Calcium Oxalates", "  Calcium Oxalates    : "},
    {"C&rystals", "Uric Acid", "  Uric Acid           : "},
    {"C&rystals", "Amorphous Phosphates", "  Amorphous Phosphates: "},
    {"C&rystals", "Triple Phosphates", "  Triple Phosphates   : "},
    {"", "Mucus Threads", "  Mucus Threads       : "},
    {"", "Cylindroids", "  Cylindroids         : "},
    {"", "Bacteria", "  Bacteria            : "},
};

constexpr int bacteria = 11;
constexpr int granular = 13;

QString label(const Finding& f) {
    return QString::fromLatin1(f.label);
}

} // namespace

const frmUrinalysis2::Code frmUrinalysis2::codes[12] = {
    {QLatin1Char('L'), "Packed Field", "Packed Field"},
    {QLatin1Char('F'), "Few/LPF", "Few/HPF"},
    {QLatin1Char('N'), "Negative", "Negative"},
    {QLatin1Char('P'), "Positive", "Positive"},
    {QLatin1Char('A'), "Many/LPF", "Many/HPF"},
    {QLatin1Char('M'), "Moderate/LPF", "Moderate/HPF"},
    {QLatin1Char('O'), "Occasional/LPF", "Occasional/HPF"},
    {QLatin1Char('T'), "Trace", "Trace"},
    {QLatin1Char('1'), "1+", "1+"},
    {QLatin1Char('2'), "2+", "2+"},
    {QLatin1Char('3'), "3+", "3+"},
    {QLatin1Char('4'), "4+", "4+"},
};

frmUrinalysis2::frmUrinalysis2() {
    setObjectName(QStringLiteral("frmUrinalysis2"));
    setWindowTitle(QStringLiteral("Urinalysis"));
    setKeyPreviewBackquote(true);

    sstbMain = new controls::SSTab(this);
    sstbMain->setObjectName(QStringLiteral("sstbMain"));
    auto* screen1 = new QWidget;
    auto* screen2 = new QWidget;
    sstbMain->addTab(screen1, QStringLiteral("Screen &1"));
    sstbMain->addTab(screen2, QStringLiteral("Screen &2"));

    std::map<QString, QGridLayout*> frames;
    auto frameOn = [&](QWidget* page, QGridLayout* pageGrid, const QString& caption, int row,
                       int col) {
        auto* box = new QGroupBox(caption, page);
        box->setObjectName(caption.isEmpty()
                               ? QStringLiteral("fraOthers")
                               : QStringLiteral("fra") + QString(caption).remove('&'));
        auto* grid = new QGridLayout(box);
        pageGrid->addWidget(box, row, col);
        frames[caption] = grid;
        return grid;
    };
    auto addRow = [](QGridLayout* grid, const QString& caption, QWidget* field) {
        const int row = grid->rowCount();
        auto* l = new QLabel(caption);
        l->setBuddy(field);
        grid->addWidget(l, row, 0);
        grid->addWidget(field, row, 1);
    };

    auto* page1 = new QGridLayout(screen1);
    auto* macro = new QLabel(QStringLiteral("MACROSCOPIC  RESULTS"), screen1);
    macro->setObjectName(QStringLiteral("lblMacroscopic"));
    page1->addWidget(macro, 0, 0, 1, 2);
    frameOn(screen1, page1, QStringLiteral("P&hysical"), 1, 0);
    frameOn(screen1, page1, QStringLiteral("&Cells"), 1, 1);
    frameOn(screen1, page1, QStringLiteral("&Epithelium"), 2, 0);
    frameOn(screen1, page1, QStringLiteral("C&asts"), 2, 1);
    auto* when = new QGroupBox(QStringLiteral("Date \\ Time Reported"), screen1);
    when->setObjectName(QStringLiteral("fraReported"));
    dtReportDate = new controls::DTPicker(when);
    dtReportDate->setObjectName(QStringLiteral("dtReportDate"));
    dtReportTime = new controls::DTPicker(when);
    dtReportTime->setObjectName(QStringLiteral("dtReportTime"));
    auto* whenRow = new QHBoxLayout(when);
    whenRow->addWidget(dtReportDate);
    whenRow->addWidget(dtReportTime);
    page1->addWidget(when, 3, 0, 1, 2);

    auto* page2 = new QGridLayout(screen2);
    auto* micro = new QLabel(QStringLiteral("MICROSCOPIC  RESULTS"), screen2);
    micro->setObjectName(QStringLiteral("lblMicroscopic"));
    page2->addWidget(micro, 0, 0, 1, 2);
    frameOn(screen2, page2, QStringLiteral("Che&mical"), 1, 0);
    frameOn(screen2, page2, QStringLiteral("C&rystals"), 1, 1);
    frameOn(screen2, page2, QString(), 2, 0);
    page2->setRowStretch(2, 1);
    auto* legend = new QGroupBox(QStringLiteral("Codes for Chemical and Crystal"), screen2);
    legend->setObjectName(QStringLiteral("fraCodes"));
    auto* legendRows = new QVBoxLayout(legend);
    for (const char* line :
         {"L = Packed Field          F = Few/LPF    N = Negative    P = Positive    A = "
          "Many/LPF    M = Moderate/LPF",
          "O = Occasional/LPF    T = Trace          1 = 1+                2 = 2+              3 = "
          "3+                 4 = 4+"}) {
        auto* l = new QLabel(QString::fromLatin1(line), legend);
        legendRows->addWidget(l);
    }
    page2->addWidget(legend, 3, 0, 1, 2);

    for (int i = 0; i < 17; ++i) {
        auto* box = txtResults.add(i, new QLineEdit(this));
        forms::upperCaseTyping(box);
        takeWholeText(box);
        box->installEventFilter(this);
    }
    for (int i = 0; i < 12; ++i) {
        auto* box = cboCoded.add(i, new QComboBox(this));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        // The code is typed, not completed from the list.
        box->setCompleter(nullptr);
        takeWholeText(box->lineEdit());
        // Keys reach the box first; it hands them to its text field itself.
        forms::upperCaseTyping(box);
        box->installEventFilter(this);
    }
    // The order Enter visits the boxes in: the first screen's, then the
    // second screen's. Each frame lists its boxes in this order, so screen,
    // Enter and report agree.
    std::vector<std::pair<QWidget*, const Finding*>> stops;
    for (int i = 0; i <= granular; ++i)
        stops.emplace_back(txtResults(i), &findings[i]);
    for (int i = 0; i <= 8; ++i)
        stops.emplace_back(cboCoded(i), &coded[i]);
    stops.emplace_back(txtResults(14), &findings[14]);
    for (int i = 9; i <= 11; ++i)
        stops.emplace_back(cboCoded(i), &coded[i]);
    stops.emplace_back(txtResults(15), &findings[15]);
    stops.emplace_back(txtResults(16), &findings[16]);
    for (const auto& [box, finding] : stops)
        addRow(frames[QString::fromLatin1(finding->frame)], QString::fromLatin1(finding->caption),
               box);

    buttonRow()->addStretch();
    addExamButtons(buttonRow(), *this, cmdExam, {"&Save", "E&xit", "&Print & Save"},
                   [this](int i) { cmdExam_Click(i); });
    auto* layout = new QVBoxLayout(body());
    layout->addWidget(sstbMain);

    // Tab order: the boxes as Enter visits them, the report pickers after the
    // first screen's boxes, then the buttons.
    QList<QWidget*> order;
    for (const auto& stop : stops) {
        order << stop.first;
        if (stop.first == txtResults(granular))
            order << dtReportDate << dtReportTime;
    }
    order << cmdExam(0) << cmdExam(1) << cmdExam(2);
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(760, 520);
}

void frmUrinalysis2::Form_Load() {
    entry::ModuleState& s = entry::state();
    ado::Recordset rs;
    rs.setCursorLocation(ado::adUseClient);
    rs.Open(QStringLiteral("Select Resultdate From Laboratory..tbLabLogbook where RequestNum = '") +
                q(s.RequestNum) + QStringLiteral("'"),
            *s.LabConnection, ado::adOpenDynamic, ado::adLockReadOnly, -1);
    // A log-book row without a result date counts as no row.
    const vrt::Variant stored =
        rs.eof() ? vrt::Variant::null() : rs.Fields(QStringLiteral("ResultDate")).Value;
    s.ResultDate = stored.isNull()
                       ? vrt::Format(vrt::Variant(vrt::Today()), QStringLiteral("mm/dd/yyyy"))
                       : stored.toString();
    rs.Close();

    initReportPickers(dtReportDate, dtReportTime);
    for (int i = 0; i < 12; ++i) {
        cboCoded(i)->clear();
        for (const Code& c : codes)
            cboCoded(i)->addItem(QString::fromLatin1(i == bacteria ? c.highPower : c.lowPower));
        cboCoded(i)->setCurrentIndex(-1);
        cboCoded(i)->setEditText(QString());
    }
    sstbMain->setTab(0);
    txtResults(0)->setFocus();
}

void frmUrinalysis2::Fill_Results() {
    // The load sets the pickers to today: it runs first, so what is loaded stays.
    ensureLoaded();
    auto rs = loadCodedRow(stored);
    if (!rs)
        return;
    entry::state().Remarks = text(rs->Fields(QStringLiteral("result20")).Value);
    for (int i = 0; i <= 16; ++i)
        txtResults(i)->setText(text(rs->Fields(i + 1).Value));
    cboCoded(0)->setEditText(text(rs->Fields(18).Value));
    cboCoded(1)->setEditText(text(rs->Fields(19).Value));
    for (int i = 2; i <= 11; ++i)
        cboCoded(i)->setEditText(text(rs->Fields(i + 19).Value));
    loadPicker(dtReportDate, rs->Fields(QStringLiteral("Result32")).Value);
    loadPicker(dtReportTime, rs->Fields(QStringLiteral("Result33")).Value);
}

void frmUrinalysis2::Save_Entries(bool& saved) {
    saved = runSave(stored, [this](ado::Connection& c) {
        verifyIfLogged(c, entry::examList().at(0).LabNum);
        QString sql = codedStatementStart(c, hasCodedRow(c, stored));
        for (int i = 0; i <= 16; ++i)
            sql += q(txtResults(i)->text()) + QStringLiteral("', '");
        for (int i = 0; i <= 11; ++i)
            sql += q(cboCoded(i)->currentText()) + QStringLiteral("', '");
        sql += QStringLiteral("','") + q(dateReported(dtReportDate)) + QStringLiteral("','") +
               q(timeReported(dtReportTime)) + QStringLiteral("', '") + q(entry::state().Remarks) +
               QStringLiteral("'");
        c.Execute(sql);
    });
}

void frmUrinalysis2::Print_Result() {
    const entry::ModuleState& s = entry::state();
    auto T = [this](int i) { return txtResults(i)->text(); };
    auto C = [this](int i) { return cboCoded(i)->currentText(); };
    auto tl = [](int i) { return label(findings[i]); };
    auto cl = [](int i) { return label(coded[i]); };
    QStringList rows = reportHeading(reportedOn(dtReportDate, dtReportTime));
    rows << QStringList{
        L(QStringLiteral("Macroscopic: RESULTS"), 58) + QStringLiteral("CHEMICAL        : ") +
            S(2) + QStringLiteral("RESULTS"),
        tl(0) + L(T(0), 30) + cl(0) + C(0),
        S(14) + tl(1) + L(T(1), 30) + cl(1) + C(1),
        S(14) + tl(2) + L(T(2), 30) + cl(2) + C(2),
        S(14) + tl(3) + L(T(3), 30) + cl(3) + C(3),
        tl(4) + L(T(4), 25) + QStringLiteral("MICROSCOPIC:"),
        S(14) + tl(5) + L(T(5), 30) + QStringLiteral("CRYSTALS:"),
        S(14) + tl(6) + L(T(6), 30) + cl(4) + C(4),
        tl(7) + L(T(7), 30) + cl(5) + C(5),
        S(14) + tl(8) + L(T(8), 30) + cl(6) + C(6),
        S(14) + tl(9) + L(T(9), 30) + cl(7) + C(7),
        tl(10) + L(T(10), 30) + cl(8) + C(8),
        S(14) + tl(11) + L(T(11), 30) + tl(14) + T(14),
        S(14) + tl(12) + L(T(12), 30) + cl(9) + C(9),
        S(14) + tl(13) + L(T(13), 30) + cl(10) + C(10),
        S(58) + cl(11) + C(11),
        S(58) + tl(15) + T(15),
        S(58) + tl(16) + T(16),
        QString(),
        QStringLiteral("Remarks"),
        s.Remarks,
    };
    spoolAndPrint(rows);
}

void frmUrinalysis2::cmdExam_Click(int index) {
    cmdExamClick(
        *this, index,
        [this] {
            bool saved = false;
            Save_Entries(saved);
            return saved;
        },
        [this] { Print_Result(); });
}

// A known code in a coded box selects its entry (the box then shows and
// stores the entry's text).
bool frmUrinalysis2::selectCode(int index) {
    QComboBox* box = cboCoded(index);
    const QString typed = box->currentText();
    for (int position = 0; position < 12; ++position) {
        if (typed.size() == 1 && typed[0] == codes[position].letter) {
            box->setCurrentIndex(position);
            return true;
        }
    }
    return false;
}

// Enter in a coded box: a known code selects its entry and moves on; any
// other text brings up the code message and the focus stays.
bool frmUrinalysis2::codedEnter(int index) {
    if (selectCode(index)) {
        focusNext();
        return true;
    }
    QComboBox* box = cboCoded(index);
    forms::MsgBox(QStringLiteral("Code does not exists!") + QStringLiteral("\r\n") +
                      QStringLiteral("Please refer from the list of codes below."),
                  forms::vbInformation, QStringLiteral("Message"));
    box->setFocus();
    return true;
}

bool frmUrinalysis2::eventFilter(QObject* watched, QEvent* event) {
    // A code left in a box by Tab or a click becomes its entry as Enter
    // would make it: a bare letter is no result. Other text stays, without
    // the message (it belongs to Enter).
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        for (int i = 0; i < 12; ++i)
            if (watched == cboCoded(i))
                selectCode(i);
    if (forms::isEnter(event)) {
        for (int i = 0; i < 12; ++i)
            if (watched == cboCoded(i)) {
                forms::guard([this, i] { codedEnter(i); });
                return true;
            }
        for (int i = 0; i < 17; ++i) {
            if (watched != txtResults(i))
                continue;
            if (i == granular) {
                sstbMain->setTab(1);
                if (cboCoded(0)->isVisible())
                    cboCoded(0)->setFocus();
            } else {
                focusNext();
            }
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

} // namespace resultforms
