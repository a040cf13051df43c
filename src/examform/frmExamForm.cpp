#include "frmExamForm.h"

#include "entry/modulestate.h"
#include "platform/ado/recordset.h"
#include "platform/forms/errorguard.h"
#include "signoff/frmRemarksInput.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace examform {

namespace {

constexpr int formWidth = 1000;  // pixels
constexpr int formHeight = 620;  // pixels
constexpr int columnWidth = 100; // the 1500 twips right of the screens
constexpr int buttonHeight = 30;

// The template or prompt text of an exam.
QString promptText(const QString& labExamId) {
    const auto& c = entry::state().LabConnection;
    if (!c || c->State() != ado::adStateOpen)
        return QString();
    ado::Recordset rs;
    rs.Open(QStringLiteral("select promptdata from build_file..tbcolabvalues where code = '") +
                ado::quoted(labExamId) + QStringLiteral("'"),
            *c, ado::adOpenDynamic, ado::adLockReadOnly, -1);
    QString text;
    if (!rs.eof())
        text = rs.Fields(QStringLiteral("promptdata")).Value.text();
    rs.Close();
    return text;
}

// An hourglass, the busy picture of the saving frame.
QPixmap busyPicture() {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(230, 200, 120));
    p.drawPolygon(QPolygonF{{5, 3}, {19, 3}, {12, 12}});
    p.drawPolygon(QPolygonF{{12, 12}, {19, 21}, {5, 21}});
    p.drawLine(QPointF(3, 2.5), QPointF(21, 2.5));
    p.drawLine(QPointF(3, 21.5), QPointF(21, 21.5));
    return pm;
}

} // namespace

frmExamForm::frmExamForm() {
    setObjectName(QStringLiteral("frmExamForm"));
    setWindowTitle(QStringLiteral("Result Entry"));
    QWidget* area = body();
    area->setFixedSize(formWidth, formHeight);

    screens_ = {ctlscrnNormalValues = new entryscreens::ctlscrnNormalValues(area),
                ctlscrnShortForm = new entryscreens::ctlscrnShortForm(area),
                ctlscrnShortWText = new entryscreens::ctlscrnShortWText(area),
                ctlscrnSpecific = new entryscreens::ctlscrnSpecific(area),
                ctlscrnWithCutOff = new entryscreens::ctlscrnWithCutOff(area),
                ctlscrnSpecs = new entryscreens::ctlscrnSpecs(area),
                ctlscrnConv1 = new entryscreens::ctlscrnConv1(area),
                ctlscrnConv2 = new entryscreens::ctlscrnConv2(area),
                ctlscrnAbusedDrugAssay = new entryscreens::ctlscrnAbusedDrugAssay(area),
                ctlscrnHisoCytology = new entryscreens::ctlscrnHisoCytology(area)};
    for (entryscreens::EntryScreen* s : screens_) {
        s->setTextLookup(promptText);
        s->setKeptAsText([] { return entry::state().ProfileMode; });
        s->setVisible(false);
    }
    entryscreens::linkScreens({screens_.begin(), screens_.end()});

    const int column = formWidth - columnWidth;
    const int buttonsTop = formHeight - 3 * (buttonHeight + 4) - 8;
    vscrlVertical = new QScrollBar(Qt::Vertical, area);
    vscrlVertical->setObjectName(QStringLiteral("vscrlVertical"));
    vscrlVertical->setGeometry(column + 2, 4, 17, buttonsTop - 12);
    vscrlVertical->setVisible(false);
    forms::connectGuarded(vscrlVertical, &QScrollBar::valueChanged, this, [this] {
        Arrange_Screens(
            static_cast<int>(std::lround(double(Height()) - double(vscrlVertical->value()))));
    });

    shpExam = new QFrame(area);
    shpExam->setObjectName(QStringLiteral("shpExam"));
    shpExam->setFrameShape(QFrame::HLine);
    shpExam->setFrameShadow(QFrame::Sunken);
    shpExam->setGeometry(column + 2, buttonsTop - 6, columnWidth - 6, 4);

    const char* captions[] = {"&Save", "&Cancel", "&Print and Save"};
    const int order[] = {0, 2, 1}; // top to bottom
    for (int row = 0; row < 3; ++row) {
        const int i = order[row];
        auto* b = cmdExam.add(i, new controls::FlatBttn(QString::fromLatin1(captions[i]), area));
        b->setFlat(false);
        b->setGeometry(column + 2, buttonsTop + row * (buttonHeight + 4), columnWidth - 6,
                       buttonHeight);
        forms::connectGuarded(b, &QPushButton::clicked, this, [this, i] { cmdExam_Click(i); });
    }

    fraSaving = new QFrame(area);
    fraSaving->setObjectName(QStringLiteral("fraSaving"));
    fraSaving->setFrameShape(QFrame::Box);
    fraSaving->setAutoFillBackground(true);
    lblSave = new QLabel(QStringLiteral("Saving Entries....."), fraSaving);
    lblSave->setObjectName(QStringLiteral("lblSave"));
    QFont arial(QStringLiteral("Arial"), 12, QFont::Bold);
    lblSave->setFont(arial);
    imgSave = new QLabel(fraSaving);
    imgSave->setObjectName(QStringLiteral("imgSave"));
    imgSave->setPixmap(busyPicture());
    auto* saving = new QHBoxLayout(fraSaving);
    saving->addWidget(imgSave);
    saving->addWidget(lblSave);
    fraSaving->adjustSize();
    fraSaving->move((column - fraSaving->width()) / 2, (formHeight - fraSaving->height()) / 2);
    fraSaving->setVisible(false);

    // Enter moving down the stack keeps the focused result in view.
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this,
                          [this](QWidget*, QWidget* now) { keepVisible(now); });
}

frmExamForm::~frmExamForm() {
    disconnect(focusWatch_);
}

void frmExamForm::Form_Load() {
    shaper.Shape(QStringLiteral("Shaper"));
}

bool frmExamForm::Check_Entries() {
    return entryscreens::checkEntries({screens_.begin(), screens_.end()});
}

void frmExamForm::showEvent(QShowEvent* event) {
    Form::showEvent(event);
    // The first keystroke goes to the first result, not to a button.
    for (entryscreens::EntryScreen* s : screens_)
        if (s->Visible() && s->focusFirst())
            return;
}

entryscreens::EntryScreen* frmExamForm::Get_Screen(int index) const {
    if (index < 0 || index > 9)
        return nullptr;
    return screens_[size_t(index)];
}

void frmExamForm::Arrange_Screens(int Top) {
    const int space = entry::state().Space_Allowance;
    int running = Top;
    for (entryscreens::EntryScreen* s : screens_) {
        if (!s->Visible())
            continue;
        s->setTop(running);
        running += s->Height() + space;
    }
}

void frmExamForm::keepVisible(QWidget* focused) {
    if (!focused || vscrlVertical->isHidden() || !body()->isAncestorOf(focused))
        return;
    bool onScreen = false;
    for (entryscreens::EntryScreen* s : screens_)
        onScreen = onScreen || s->isAncestorOf(focused);
    if (!onScreen)
        return;
    const QRect r(focused->mapTo(body(), QPoint(0, 0)), focused->size());
    const int margin = 8;
    int shift = 0; // pixels the stack moves up
    if (r.bottom() + margin > body()->height())
        shift = r.bottom() + margin - body()->height();
    else if (r.top() < margin)
        shift = r.top() - margin;
    if (shift != 0)
        vscrlVertical->setValue(vscrlVertical->value() + shift * forms::TwipsPerPixel);
}

void frmExamForm::paintEvent(QPaintEvent* event) {
    Form::paintEvent(event);
    if (shaper.shape().isEmpty())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette().color(QPalette::Mid), 1));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

void frmExamForm::cmdExam_Click(int index) {
    entry::ModuleState& s = entry::state();
    if (index == 1) {
        s.SignOffCancelled = true;
        Unload();
        return;
    }
    if (!Check_Entries())
        return;
    // A save that changes released results asks its reason in the sign-off.
    s.CorrectionExpected = correctionExpected();
    forms::instance<signoff::frmRemarksInput>().ShowModal();
    if (s.SignOffCancelled)
        return;
    PrintAfterSave = index == 2;
    // A save that did not go through leaves everything typed for a retry.
    if (Save_Entries())
        Unload();
}

} // namespace examform
