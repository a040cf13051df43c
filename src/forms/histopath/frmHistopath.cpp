#include "frmHistopath.h"

#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "platform/forms/errorguard.h"
#include "platform/forms/keys.h"
#include "platform/runtime/datetime.h"
#include "report/libraryfolder.h"
#include "report/spool.h"

#include <QHBoxLayout>
#include <QMimeData>
#include <QStyle>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

namespace resultforms {

namespace {

QString backquoted(QString text) {
    return text.replace(u'\'', u'`');
}

} // namespace

HistopathText::HistopathText(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(false);
    setTabChangesFocus(true);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

bool HistopathText::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText() || source->hasHtml();
}

void HistopathText::insertFromMimeData(const QMimeData* source) {
    // Formatted text from a word processor or a web page: its words and line
    // breaks, without the formatting the save would drop.
    QString text = source->hasText()
                       ? source->text()
                       : QTextDocumentFragment::fromHtml(source->html()).toPlainText();
    // A word processor's manual line break arrives as a vertical tab.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (QChar breaks : {QChar(u'\r'), QChar(u'\v'), QChar(u'\f'), QChar(QChar::ParagraphSeparator),
                         QChar(QChar::LineSeparator)})
        text.replace(breaks, u'\n');
    text.replace(QChar::Nbsp, u' ');
    // Tabs (a pasted table) become the spaces to the next stop of 8, so the
    // monospaced report keeps the columns.
    QString expanded;
    for (QChar c : text) {
        if (c == u'\t') {
            const qsizetype column = expanded.size() - expanded.lastIndexOf(u'\n') - 1;
            expanded += QString(8 - column % 8, u' ');
        } else {
            expanded += c;
        }
    }
    insertPlainText(backquoted(expanded));
    ensureCursorVisible();
}

frmHistopath::frmHistopath() {
    setObjectName(QStringLiteral("frmHistopath"));
    setWindowTitle(QStringLiteral("Histopathology"));
    setKeyPreviewBackquote(true);

    QFont arial(QStringLiteral("Arial"));
    const auto frame = [&](const char* caption, const char* name, QWidget* parent) {
        auto* box = new QGroupBox(QString::fromLatin1(caption), parent);
        box->setObjectName(QString::fromLatin1(name));
        box->setFont(arial);
        return box;
    };

    fraMain = frame("", "fraMain", this);
    auto* fraHistopathNum = frame("&Histopath Number", "fraHistopathNum", fraMain);
    txtHistopathNum = new QLineEdit(fraHistopathNum);
    txtHistopathNum->setObjectName(QStringLiteral("txtHistopathNum"));
    takeWholeText(txtHistopathNum);
    txtHistopathNum->installEventFilter(this);
    (new QHBoxLayout(fraHistopathNum))->addWidget(txtHistopathNum);

    auto* Frame1 = frame("&Date \\ Time Reported", "Frame1", fraMain);
    dtReportDate = new controls::DTPicker(Frame1);
    dtReportDate->setObjectName(QStringLiteral("dtReportDate"));
    dtReportTime = new controls::DTPicker(Frame1);
    dtReportTime->setObjectName(QStringLiteral("dtReportTime"));
    auto* when = new QHBoxLayout(Frame1);
    when->addWidget(dtReportDate);
    when->addWidget(dtReportTime);

    const auto textFrame = [&](const char* caption, const char* name, const char* box) {
        auto* f = frame(caption, name, fraMain);
        auto* t = new HistopathText(f);
        t->setObjectName(QString::fromLatin1(box));
        (new QVBoxLayout(f))->addWidget(t);
        return std::pair{f, t};
    };
    auto [Frame3, specimen] = textFrame("Spe&cimen (s)", "Frame3", "rtfSpecimen");
    auto [Frame4, interpretation] = textFrame("&Interpretation", "Frame4", "rtfInterpretation");
    rtfSpecimen = specimen;
    rtfInterpretation = interpretation;

    auto* top = new QHBoxLayout;
    top->addWidget(fraHistopathNum, 1);
    top->addWidget(Frame1, 1);
    auto* main = new QVBoxLayout(fraMain);
    main->addLayout(top);
    // The gross description is the longer text.
    main->addWidget(Frame3, 3);
    main->addWidget(Frame4, 2);

    imgHelp = new QLabel(this);
    imgHelp->setObjectName(QStringLiteral("imgHelp"));
    imgHelp->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(24, 24));
    imgHelp->setToolTip(QStringLiteral("Enter in the number moves on; the texts wrap and scroll. "
                                       "An apostrophe is kept as a backquote."));
    buttonRow()->addWidget(imgHelp);
    buttonRow()->addStretch();
    addExamButtons(buttonRow(), *this, cmdExam, {"&Save", "Cance&l", "&Print and Save"},
                   [this](int i) { cmdExam_Click(i); });
    auto* layout = new QVBoxLayout(body());
    layout->addWidget(fraMain, 1);

    const QList<QWidget*> order{txtHistopathNum,   dtReportDate, dtReportTime, rtfSpecimen,
                                rtfInterpretation, cmdExam(0),   cmdExam(1),   cmdExam(2)};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(820, 640);
}

void frmHistopath::Form_Load() {
    initReportPickers(dtReportDate, dtReportTime);
    dtReportTime->setCustomFormat(QStringLiteral("hh:mm AM/PM"));
    txtHistopathNum->setFocus();
}

void frmHistopath::Fill_Results() {
    // The controls are touched below: the form loads first, as it would.
    ensureLoaded();
    auto rs = std::make_unique<ado::Recordset>();
    rs->setCursorLocation(ado::adUseClient);
    rs->Open(QStringLiteral("LABORATORY..Lab_GetResultFromTable  'X','") +
                 q(entry::state().RequestNum) + QStringLiteral("'"),
             connection(), ado::adOpenDynamic, ado::adLockReadOnly, -1);
    const bool found = rs->State() == ado::adStateOpen && !rs->eof();
    stored.loaded(found ? rs.get() : nullptr);
    if (!found)
        return;
    const auto field = [&rs](const char* name) {
        return rs->Fields(QString::fromLatin1(name)).Value;
    };
    entry::state().Remarks = text(field("Remarks"));
    txtHistopathNum->setText(text(field("HistopathNum")));
    const vrt::Variant reported = field("ResultDate");
    if (!reported.isNull()) {
        loadPicker(dtReportDate, vrt::Format(reported, QStringLiteral("mm/dd/yyyy")));
        loadPicker(dtReportTime, vrt::Format(reported, QStringLiteral("HH:mm AM/PM")));
    }
    forms::setLines(rtfSpecimen, text(field("GrossDescription")));
    forms::setLines(rtfInterpretation, text(field("FinalDiagnosis")));
}

void frmHistopath::Save_Entries(bool& result) {
    const bool saved = runSave(stored, [this](ado::Connection& c) {
        const QString labNum = q(entry::examList().at(0).LabNum);
        verifyIfLogged(c, entry::examList().at(0).LabNum);
        const bool hasRow = hasCodedRow(
            c, stored,
            QStringLiteral(
                "select * From Laboratory..tbLabResultHistoCytology where RequestNum = '") +
                q(entry::state().RequestNum) + QStringLiteral("'"));
        if (hasRow) {
            strSQL = QStringLiteral("Laboratory..Lab_Save_Histopath 1, '") + labNum +
                     QStringLiteral("','");
        } else {
            c.Execute(registrationStatement());
            strSQL = QStringLiteral("Laboratory..Lab_Save_Histopath 0, '") + labNum +
                     QStringLiteral("','");
        }
        const QString reported =
            vrt::Format(vrt::Variant(dtReportDate->Value()), QStringLiteral("mm/dd/yyyy")) +
            QStringLiteral(" ") +
            vrt::Format(vrt::Variant(dtReportTime->Value()), QStringLiteral("HH:mm AM/PM"));
        strSQL += q(txtHistopathNum->text()) + QStringLiteral("','") +
                  q(forms::linesOf(rtfSpecimen)) + QStringLiteral("','") +
                  q(forms::linesOf(rtfInterpretation)) + QStringLiteral("', '") + q(reported) +
                  QStringLiteral("',''");
        c.Execute(strSQL);
    });
    if (saved)
        result = true;
}

void frmHistopath::Print_Result() {
    const entry::ModuleState& s = entry::state();
    const QString reported = reportedOn(dtReportDate, dtReportTime);
    const QString number = txtHistopathNum->text();
    // The spool is one table for every workstation: the truncate, the row
    // and the print are one print job.
    // A corrected report says so under its title, and its corrections
    // close the diagnosis, before the signature.
    QString diagnosis = forms::linesOf(rtfInterpretation);
    const QStringList corrections = correctionBlock({
        {QStringLiteral("HistopathNum"), QStringLiteral("Histopath #")},
        {QStringLiteral("ResultDate"), QStringLiteral("Date reported")},
        {QStringLiteral("GrossDescription"), QStringLiteral("Gross description")},
        {QStringLiteral("FinalDiagnosis"), QStringLiteral("Final diagnosis")},
    });
    if (!corrections.isEmpty())
        diagnosis += QStringLiteral("\r\n\r\n") + corrections.join(QStringLiteral("\r\n"));
    const report::PrintJobScope job;
    connection().Execute(QStringLiteral("truncate table LABORATORY..tbLabPrint_Histopath"));
    connection().Execute(
        QStringLiteral(
            "insert into LABORATORY..tbLabPrint_Histopath (Microscopy, FinalDiagnosis) ") +
        QStringLiteral("values ('") + backquoted(forms::linesOf(rtfSpecimen)) +
        QStringLiteral("','") + backquoted(diagnosis) + QStringLiteral("')"));
    const vrt::Variant params = vrt::Variant::array({
        s.HospitalTitle,
        s.HospitalAddress,
        QStringLiteral("SURGICAL PATHOLOGY REPORT"),
        corrections.isEmpty() ? QString() : QStringLiteral("CORRECTED REPORT"),
        QStringLiteral("Histopath #: "),
        number,
        s.PatName,
        s.HospNum,
        s.DoctorName,
        s.IDNum,
        s.RoomID,
        s.Age,
        s.Sex,
        reported,
    });
    report::Print_Report(QString(), QStringLiteral("LABORATORY"),
                         report::libraryFolder() + QStringLiteral("/LabPrint_Histopath.RPT"),
                         params);
}

void frmHistopath::cmdExam_Click(int index) {
    cmdExamClick(
        *this, index,
        [this] {
            bool saved = false;
            Save_Entries(saved);
            return saved;
        },
        [this] { Print_Result(); });
}

bool frmHistopath::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtHistopathNum && forms::isEnter(event)) {
        forms::sendTab();
        return true;
    }
    return Form::eventFilter(watched, event);
}

} // namespace resultforms
