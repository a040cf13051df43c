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
#include "platform/ado/errors.h"
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

// A loader's failure as the host is told it: which request, why, and what
// to do. The form is unloaded, so the next call loads it afresh.
[[noreturn]] void raiseLoadFailed(const vrt::RuntimeError& e) {
    const QString request = state().RequestNum;
    if (ado::failureOf(e) == ado::Failure::LockTimeout)
        throw vrt::RuntimeError(
            e.number(),
            QStringLiteral("Another workstation holds request %1 (it is saving or printing its "
                           "results); waited %2 s (Lock Timeout) for it. Open the request again "
                           "when that workstation has finished with it.")
                .arg(request,
                     ado::seconds(static_cast<const ado::StatementError&>(e).lockTimeoutMs())));
    throw vrt::RuntimeError(e.number(),
                            QStringLiteral("The results of request %1 could not be loaded: %2")
                                .arg(request, e.description()));
}

template <class F> void showSpecialised(int16_t top, int16_t left) {
    F& form = forms::instance<F>();
    form.setTop(top);
    form.setLeft(left);
    try {
        form.Fill_Results();
    } catch (const vrt::RuntimeError& e) {
        forms::unload<F>();
        raiseLoadFailed(e);
    }
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
        throw vrt::RuntimeError(vrt::err::ObjectNotSet,
                                QStringLiteral("There is no laboratory connection: call "
                                               "SQLConnection with the host's connection before "
                                               "Show_ResultEntry."));
    ado::Recordset rs;
    try {
        rs.Open(QStringLiteral("select * from patient_data..tbHospitalInfo"), *s.LabConnection,
                ado::adOpenDynamic, ado::adLockReadOnly, -1);
    } catch (const vrt::RuntimeError& e) {
        throw vrt::RuntimeError(
            e.number(), QStringLiteral("The hospital heading could not be read: ") +
                            e.description() +
                            (e.number() == ado::adErrObjectClosed
                                 ? QStringLiteral(" Call SQLConnection to open the library's "
                                                  "connection again.")
                                 : QString()));
    }
    if (!rs.eof()) {
        s.HospitalTitle = rs.Fields(QStringLiteral("Title")).Value.text();
        const vrt::Variant company = rs.Fields(QStringLiteral("Company")).Value;
        if (company.isNull())
            throw vrt::RuntimeError(vrt::err::InvalidUseOfNull,
                                    QStringLiteral("The hospital heading has no company name "
                                                   "(Company is Null in "
                                                   "patient_data..tbHospitalInfo); enter the "
                                                   "hospital's name there."));
        s.HospitalCompany = company.toString();
        s.HospitalAddress = rs.Fields(QStringLiteral("address1")).Value.text();
    }
    rs.Close();
}

const ExamRec& firstExam() {
    if (!state().ExamList)
        throw vrt::RuntimeError(vrt::err::SubscriptOutOfRange,
                                QStringLiteral("There is no exam list: call Clear_Exams and "
                                               "Add_Exam for the request before "
                                               "Show_ResultEntry."));
    return examList().at(0);
}

} // namespace

void Show_ResultEntry(int16_t intTop, int16_t intLeft) {
    // The saved flag tells the host about this call only, whatever fails.
    state().Saved = false;
    // A correction and its reason belong to one request's save.
    state().CorrectionExpected = false;
    state().CorrectionReason.clear();
    state().Corrections.clear();
    state().CorrectionReasons.clear();
    readHospitalHeading();
    const ExamRec first = firstExam();
    // An earlier request's Back must not block this request's save.
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
    try {
        form.rememberStored();
        form.loadResultChecks();
    } catch (const vrt::RuntimeError& e) {
        forms::unload<examform::frmExamForm>();
        raiseLoadFailed(e);
    }
    showForRequest(form);
}

} // namespace entry
