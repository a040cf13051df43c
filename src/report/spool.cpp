#include "spool.h"

#include "libraryfolder.h"

#include "entry/modulestate.h"
#include "platform/reportengine/application.h"

namespace report {

namespace {

ado::Connection& labConnection() {
    const auto& c = entry::state().LabConnection;
    if (!c)
        vrt::raise(vrt::err::ObjectNotSet);
    return *c;
}

} // namespace

void Clear_PrintTable() {
    labConnection().Execute(QStringLiteral("truncate table LABORATORY..tbLabPrint"));
}

void Insert_PrintLine(int16_t intRowNum, const QString& strLine) {
    QString line = strLine;
    line.replace(u'\'', u'`');
    labConnection().Execute(
        QStringLiteral("insert into LABORATORY..tbLabPrint (RowNum, RowLine) ") +
        QStringLiteral("values ('") + QString::number(intRowNum) + QStringLiteral("','") + line +
        QStringLiteral("')"));
}

void Print_LabReport(const QString& strTitle, const QString& strSubTitle, const QString& strText3,
                     const QString& strText4, const QString& strCode, bool blnNoPrint) {
    if (blnNoPrint)
        return;
    const entry::ModuleState& s = entry::state();
    const vrt::Variant params = vrt::Variant::array({
        s.EmployeeName,
        s.Pathologist,
        s.HospitalTitle,
        s.HospitalAddress,
        strTitle,
        strSubTitle,
        strText3,
        strText4,
        strCode,
    });
    Print_Report(QString(), QStringLiteral("LABORATORY"),
                 libraryFolder() + QStringLiteral("/LabPrint.RPT"), params);
}

void Print_Report(const QString& /*strUnused*/, const QString& strDatabase,
                  const QString& strReportPath, const vrt::Variant& varParams) {
    const entry::ModuleState& s = entry::state();
    const int32_t upper = varParams.toArray().ubound();
    if (!s.ReportEngine)
        vrt::raise(vrt::err::ObjectNotSet);
    // The engine logs on to the data source the library works on.
    if (s.LabConnection)
        s.ReportEngine->setDefaultDataSource(s.LabConnection->ConnectionString());

    auto ReportDoc = s.ReportEngine->OpenReport(strReportPath, 1);
    ReportDoc->setCompanyName(s.HospitalCompany);
    for (const auto& table : ReportDoc->Tables()) {
        const QString location = table->Location();
        const qsizetype dot = location.indexOf(u'.');
        table->setLocation(strDatabase + (dot < 0 ? QString() : location.mid(dot)));
        table->SetLogOnInfo(QString(), strDatabase, QStringLiteral("sa"), QString());
    }
    if (upper >= 0) {
        const vrt::Array& values = varParams.toArray();
        int32_t i = 0;
        for (const auto& field : ReportDoc->ParameterFields()) {
            if (i > upper)
                break;
            if (field->ValueType() == reportengine::vtDate ||
                field->ValueType() == reportengine::vtDateTime)
                field->SetCurrentValue(vrt::Variant(values.at(i).toDate()));
            else
                field->SetCurrentValue(values.at(i));
            ++i;
        }
    }
    ReportDoc->setPromptForMissingValues(false);
    ReportDoc->PrintOut(false);
}

} // namespace report
