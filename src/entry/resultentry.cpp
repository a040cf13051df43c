#include "resultentry.h"

#include "entry/examlist.h"
#include "entry/layout.h"
#include "entry/modulestate.h"
#include "examform/frmExamForm.h"
#include "forms/histopath/frmHistopath.h"
#include "forms/papsmear/frmPapSmear2.h"
#include "forms/singletext/singletext.h"
#include "forms/stool/frmStool.h"
#include "forms/urinalysis/frmUrinalysis2.h"
#include "platform/ado/recordset.h"

#include <QStringList>
#include <functional>

namespace entry {

forms::Identity patientIdentity() {
    const ModuleState& s = state();
    return {s.PatName, s.HospNum, s.Age, s.Sex, s.RequestNum};
}

void showForRequest(forms::Form& form) {
    const forms::Identity who = patientIdentity();
    const forms::IdentityScope scope(who);
    form.setIdentity(who);
    form.ShowModal();
}

namespace {

template <class F> void showSpecialised(int16_t top, int16_t left) {
    F& form = forms::instance<F>();
    form.setTop(top);
    form.setLeft(left);
    form.Fill_Results();
    showForRequest(form);
}

// The form-choice table: form type, exam identifiers (empty: any), window.
// Only the first exam is looked at; comparisons are exact.
struct Route {
    QString formType;
    QStringList examIds;
    std::function<void(int16_t, int16_t)> show;
};

const std::vector<Route>& routes() {
    static const std::vector<Route> table{
        {QStringLiteral("H"), {QStringLiteral("23")}, showSpecialised<resultforms::frmUrinalysis2>},
        {QStringLiteral("H"),
         {QStringLiteral("35"), QStringLiteral("65")},
         showSpecialised<resultforms::frmStool>},
        {QStringLiteral("H"), {QStringLiteral("34")}, showSpecialised<resultforms::frmfecalysis>},
        {QStringLiteral("H"), {QStringLiteral("96")}, showSpecialised<resultforms::frmWidalTest>},
        {QStringLiteral("H"), {QStringLiteral("97")}, showSpecialised<resultforms::frmWeilFelix>},
        {QStringLiteral("H"), {QStringLiteral("57")}, showSpecialised<resultforms::frmPapSmear2>},
        {QStringLiteral("X"), {}, showSpecialised<resultforms::frmHistopath>},
    };
    return table;
}

void readHospitalHeading() {
    ModuleState& s = state();
    if (!s.LabConnection)
        vrt::raise(vrt::err::ObjectNotSet);
    ado::Recordset rs;
    rs.Open(QStringLiteral("select * from patient_data..tbHospitalInfo"), *s.LabConnection,
            ado::adOpenDynamic, ado::adLockReadOnly, -1);
    if (!rs.eof()) {
        s.HospitalTitle = rs.Fields(QStringLiteral("Title")).Value.text();
        s.HospitalCompany = rs.Fields(QStringLiteral("Company")).Value.toString();
        s.HospitalAddress = rs.Fields(QStringLiteral("address1")).Value.text();
    }
    rs.Close();
}

} // namespace

void Show_ResultEntry(int16_t intTop, int16_t intLeft) {
    readHospitalHeading();
    const ExamRec first = examList().at(0);
    // The saved flag tells the host about this call only, and an earlier
    // request's Back must not block this request's save.
    state().Saved = false;
    state().SignOffCancelled = false;
    for (const Route& route : routes()) {
        if (route.formType == first.FormType &&
            (route.examIds.isEmpty() || route.examIds.contains(first.LabExamID))) {
            route.show(intTop, intLeft);
            return;
        }
    }
    if (first.FormType == QLatin1String("H"))
        return; // an "H" exam without a window of its own: nothing is shown
    Draw_Exams();
    auto& form = forms::loaded<examform::frmExamForm>();
    form.setTop(intTop);
    form.setLeft(intLeft);
    form.rememberStored();
    showForRequest(form);
}

} // namespace entry
