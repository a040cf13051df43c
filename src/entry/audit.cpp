#include "audit.h"

#include "entry/modulestate.h"
#include "platform/ado/errors.h"
#include "platform/ado/recordset.h"
#include "platform/printing/printer.h"

#include <QFile>
#include <QSysInfo>
#include <QVariant>

namespace entry {

namespace {

// The connection whose transactions carry who and where.
thread_local std::weak_ptr<ado::Connection> prepared;

// 0: no laboratory database; 1: one made before versions were kept.
int schemaVersion(ado::Connection& c) {
    try {
        const auto rs =
            c.executeQuietly(QStringLiteral("select version from LABORATORY..vantrel_schema"));
        return rs->eof() ? 1 : static_cast<int>(rs->Fields(0).Value.toLong());
    } catch (const vrt::RuntimeError&) {
    }
    try {
        c.executeQuietly(QStringLiteral("select 1 from LABORATORY..tblablogbook where 1 = 0"));
        return 1;
    } catch (const vrt::RuntimeError&) {
        return 0;
    }
}

QString workstation() {
    return QSysInfo::machineHostName();
}

} // namespace

void prepareLabConnection(const std::shared_ptr<ado::Connection>& connection) {
    ado::Connection& c = *connection;
    // A database without the laboratory's tables is left to fail at its
    // first statement, as before.
    const int version = schemaVersion(c);
    if (version > 0 && version < oldestLaboratorySchemaVersion) {
        const QString where = c.ConnectionString();
        c.Close();
        ado::raiseProvider(
            QStringLiteral("The laboratory database has schema version %1; this library needs "
                           "version %2. Upgrade it with: vantrel-db upgrade \"%3\"")
                .arg(version)
                .arg(oldestLaboratorySchemaVersion)
                .arg(where));
    }
    c.setTransactionContext([] {
        const ModuleState& s = state();
        return ado::Connection::TransactionContext{
            {QStringLiteral("LABORATORY.employee"), s.EmployeeID},
            {QStringLiteral("LABORATORY.medtech"), s.MedTechID},
            {QStringLiteral("LABORATORY.workstation"), workstation()},
        };
    });
    prepared = connection;
}

void recordPrint() {
    const ModuleState& s = state();
    if (!s.LabConnection || s.LabConnection != prepared.lock() ||
        s.LabConnection->State() != ado::adStateOpen)
        return;
    const QString labNum =
        s.ExamList && !s.ExamList->empty() ? s.ExamList->front().LabNum : s.RequestNum;
    const auto orNull = [](const QString& v) {
        return v.isEmpty() ? QStringLiteral("NULL")
                           : QLatin1Char('\'') + ado::quoted(v) + QLatin1Char('\'');
    };
    const QString host = workstation();
    try {
        s.LabConnection->executeQuietly(
            QStringLiteral("insert into LABORATORY..tbLabAudit (RequestNum, LabNum, Action, "
                           "EmployeeID, MedTechID, Workstation) values (%1, %2, 'print', %3, "
                           "%4, %5)")
                .arg(orNull(s.RequestNum), orNull(labNum), orNull(s.EmployeeID),
                     orNull(s.MedTechID),
                     orNull(host.isEmpty() ? QStringLiteral("unknown workstation") : host)));
    } catch (const vrt::RuntimeError& e) {
        ado::raiseStatement(QStringLiteral("The print was not recorded in the audit trail: ") +
                            e.description());
    }
}

void archiveReport() {
    const ModuleState& s = state();
    if (!s.LabConnection || s.LabConnection != prepared.lock() ||
        s.LabConnection->State() != ado::adStateOpen)
        return;
    const printing::FinishedJob job = printing::lastFinishedJob();
    if (job.documentName.isEmpty())
        return; // nothing came out
    QVariant pdf{QMetaType(QMetaType::QByteArray)};
    if (!job.outputFile.isEmpty()) {
        QFile file(job.outputFile);
        if (!file.open(QIODevice::ReadOnly))
            ado::raiseStatement(QStringLiteral("The printed report was not archived: ") +
                                file.errorString());
        pdf = file.readAll();
    }
    const auto orNull = [](const QString& v) { return v.isEmpty() ? QVariant() : QVariant(v); };
    const QString host = workstation();
    try {
        s.LabConnection->runWithValues(
            QStringLiteral("INSERT INTO LABORATORY.tbLabReportArchive (RequestNum, Kind, "
                           "DocumentName, EmployeeID, MedTechID, Workstation, ReportText, "
                           "ReportPdf) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
            {orNull(s.RequestNum),
             s.Corrections.empty() ? QStringLiteral("original") : QStringLiteral("correction"),
             job.documentName, orNull(s.EmployeeID), orNull(s.MedTechID),
             host.isEmpty() ? QStringLiteral("unknown workstation") : host, job.composedText, pdf});
    } catch (const vrt::RuntimeError& e) {
        ado::raiseStatement(QStringLiteral("The printed report was not archived: ") +
                            e.description());
    }
}

} // namespace entry
