#include "audit.h"

#include "entry/modulestate.h"
#include "platform/ado/errors.h"
#include "platform/printing/printer.h"

#include <QFile>

#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>

namespace entry {

namespace {

// The connection whose transactions carry who and where.
thread_local std::weak_ptr<ado::Connection> prepared;

// 0: no laboratory database; 1: one made before versions were kept.
int schemaVersion(ado::Connection& c) {
    QSqlQuery q(c.database());
    if (q.exec(QStringLiteral("SELECT version FROM LABORATORY.vantrel_schema")))
        return q.next() ? q.value(0).toInt() : 1;
    return q.exec(QStringLiteral("SELECT 1 FROM LABORATORY.tblablogbook WHERE 1 = 0")) ? 1 : 0;
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
    if (version > 0 && version < laboratorySchemaVersion) {
        const QString where = c.ConnectionString();
        c.Close();
        ado::raiseProvider(
            QStringLiteral("The laboratory database has schema version %1; this library needs "
                           "version %2. Upgrade it with: vantrel-db upgrade \"%3\"")
                .arg(version)
                .arg(laboratorySchemaVersion)
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
    const auto orNull = [](const QString& v) { return v.isEmpty() ? QVariant() : QVariant(v); };
    QSqlQuery q(s.LabConnection->database());
    q.prepare(
        QStringLiteral("INSERT INTO LABORATORY.tbLabAudit (RequestNum, LabNum, Action, "
                       "EmployeeID, MedTechID, Workstation) VALUES (?, ?, 'print', ?, ?, ?)"));
    q.addBindValue(orNull(s.RequestNum));
    q.addBindValue(orNull(labNum));
    q.addBindValue(orNull(s.EmployeeID));
    q.addBindValue(orNull(s.MedTechID));
    const QString host = workstation();
    q.addBindValue(host.isEmpty() ? QStringLiteral("unknown workstation") : host);
    if (!q.exec())
        ado::raiseStatement(QStringLiteral("The print was not recorded in the audit trail: ") +
                            q.lastError().text());
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
    QSqlQuery q(s.LabConnection->database());
    q.prepare(QStringLiteral(
        "INSERT INTO LABORATORY.tbLabReportArchive (RequestNum, Kind, DocumentName, EmployeeID, "
        "MedTechID, Workstation, ReportText, ReportPdf) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(orNull(s.RequestNum));
    q.addBindValue(s.Corrections.empty() ? QStringLiteral("original")
                                         : QStringLiteral("correction"));
    q.addBindValue(job.documentName);
    q.addBindValue(orNull(s.EmployeeID));
    q.addBindValue(orNull(s.MedTechID));
    const QString host = workstation();
    q.addBindValue(host.isEmpty() ? QStringLiteral("unknown workstation") : host);
    q.addBindValue(job.composedText);
    q.addBindValue(pdf);
    if (!q.exec())
        ado::raiseStatement(QStringLiteral("The printed report was not archived: ") +
                            q.lastError().text());
}

} // namespace entry
