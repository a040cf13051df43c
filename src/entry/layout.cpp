#include "layout.h"

#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "entry/resultentry.h"
#include "examform/frmExamForm.h"
#include "forms/histopath/frmHistopath.h"
#include "forms/papsmear/frmPapSmear2.h"
#include "forms/singletext/singletext.h"
#include "forms/stool/frmStool.h"
#include "forms/urinalysis/frmUrinalysis2.h"
#include "platform/forms/msgbox.h"

#include <QScrollBar>

namespace entry {

namespace {

using examform::frmExamForm;

// Reset heights of the screens, by screen index.
constexpr int presets[10] = {300, 2500, 1800, 500, 3000, 2400, 300, 300, 300, 6000};
// The order in which Reset_Grids writes them.
constexpr int presetOrder[10] = {8, 6, 7, 9, 0, 1, 2, 3, 5, 4};

struct Destination {
    const char* code;
    int grid;
};
const Destination destinations[] = {
    {"0", 0}, {"6", 0}, {"8", 0}, {"9", 0}, {"11", 0}, {"1", 1},  {"2", 2},
    {"3", 3}, {"4", 4}, {"5", 5}, {"7", 6}, {"20", 7}, {"13", 8}, {"15", 9},
};

template <class F> void showNow() {
    F& form = forms::instance<F>();
    form.Fill_Results();
    showForRequest(form);
}

// The specialised form of an "H" exam, by its exam model.
void showByModel(const QString& model) {
    if (model == QLatin1String("23"))
        showNow<resultforms::frmUrinalysis2>();
    else if (model == QLatin1String("35") || model == QLatin1String("65") ||
             model == QLatin1String("206"))
        showNow<resultforms::frmStool>();
    else if (model == QLatin1String("34"))
        showNow<resultforms::frmfecalysis>();
    else if (model == QLatin1String("96"))
        showNow<resultforms::frmWidalTest>();
    else if (model == QLatin1String("57"))
        showNow<resultforms::frmPapSmear2>();
}

} // namespace

std::array<GridSlot, 11>& gridTable() {
    static thread_local std::array<GridSlot, 11> table;
    return table;
}

QString Map_FormCode(const QString& formType) {
    static const std::pair<const char*, const char*> codes[] = {
        {"1", "0"},  {"2", "1"},  {"3", "2"},  {"4", "3"},  {"5", "4"},  {"6", "5"},  {"7", "6"},
        {"8", "7"},  {"0", "8"},  {"A", "9"},  {"B", "10"}, {"C", "11"}, {"K", "12"}, {"F", "13"},
        {"X", "14"}, {"Z", "15"}, {"N", "20"}, {"P", "P"},  {"H", "H"},  {"", "H"},
    };
    for (const auto& [type, code] : codes)
        if (formType == QLatin1String(type))
            return QString::fromLatin1(code);
    return QStringLiteral("0");
}

void Hide_Grids() {
    frmExamForm& form = forms::loaded<frmExamForm>();
    for (int i = 0; i < 10; ++i)
        form.Get_Screen(i)->setVisible(false);
}

void Reset_Grids() {
    Hide_Grids();
    for (GridSlot& slot : gridTable())
        slot = GridSlot{};
    frmExamForm& form = forms::loaded<frmExamForm>();
    for (int index : presetOrder)
        form.Get_Screen(index)->setDefaultHeight(presets[index]);
}

void Draw_Exams() {
    frmExamForm& form = forms::loaded<frmExamForm>();
    QString code;
    try {
        Reset_Grids();
        entryscreens::EntryScreen* current = nullptr;
        int g = 0;
        for (const ExamRec& exam : examList()) {
            code = Map_FormCode(exam.FormType);
            for (const Destination& d : destinations)
                if (code == QLatin1String(d.code)) {
                    g = d.grid;
                    current = form.Get_Screen(g);
                }
            if (code == QLatin1String("H"))
                showByModel(exam.EModel);
            else if (code == QLatin1String("14"))
                showNow<resultforms::frmHistopath>();
            if (!current)
                vrt::raise(vrt::err::ObjectNotSet);
            GridSlot& slot = gridTable()[size_t(g)];
            slot.Count += 1;
            slot.Height = slot.Count <= 1 ? 300 + current->DefaultHeight()
                                          : slot.Height + current->DefaultHeight();
            current->setHeight(slot.Height);
            if (!slot.Used)
                current->Clear();
            if (exam.HasData)
                current->Add_Exam(code, exam.ExamTitle, exam.LabExamID,
                                  vrt::Variant::array(exam.Data));
            else
                current->Add_Exam(code, exam.ExamTitle, exam.LabExamID);
            slot.Used = true;
        }
        Arrange_Grids();
    } catch (const vrt::RuntimeError& e) {
        forms::MsgBox(QStringLiteral("Error: ") + e.description() +
                      QStringLiteral(" at Draw_Exams Form:") + code);
    }
}

void Arrange_Grids() {
    frmExamForm& form = forms::loaded<frmExamForm>();
    const int space = state().Space_Allowance;
    int index = 0;
    try {
        int y = 250;
        for (index = 0; index <= 9; ++index) {
            if (!gridTable()[size_t(index)].Used)
                continue;
            entryscreens::EntryScreen* c = form.Get_Screen(index);
            c->setLeft(20);
            c->setWidth(form.Width() - 1500);
            c->setTop(y);
            if (index != 3)
                y += space + c->Height();
            c->setVisible(true);
            c->Show_Table();
            if (index == 3) {
                c->setHeight(c->Lines() * 350 + 250);
                y += space + c->Height();
            }
        }
        form.setStackHeight(y);
        QScrollBar* bar = form.vscrlVertical;
        bar->setVisible(false);
        if (y > form.Height()) {
            bar->setVisible(true);
            bar->setMaximum(y);
            bar->setMinimum(form.Height());
            bar->setValue(form.Height());
            bar->setPageStep(form.Height());
            bar->setSingleStep(100);
        }
    } catch (const vrt::RuntimeError& e) {
        forms::MsgBox(QStringLiteral("Error: ") + e.description() +
                      QStringLiteral(" at Arrange_Grids! IntI=") + QString::number(index));
    }
}

} // namespace entry
