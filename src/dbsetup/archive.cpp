#include "archive.h"

#include "platform/ado/errors.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace dbsetup {

namespace {

// The next numbered PDF of the print folder, claimed by creating it, as the
// library numbers its prints.
QString claimPrintFile(const QString& folder) {
    const QDir dir(folder);
    if (!dir.exists())
        ado::raiseProvider(QStringLiteral("The print folder %1 does not exist.")
                               .arg(QDir::toNativeSeparators(folder)));
    static const QRegularExpression numbered(QStringLiteral("^(\\d+)\\.pdf$"));
    int next = 0;
    for (const QString& name : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files)) {
        const auto m = numbered.match(name);
        if (m.hasMatch())
            next = qMax(next, m.captured(1).toInt());
    }
    for (++next;; ++next) {
        const QString path =
            dir.filePath(QStringLiteral("%1.pdf").arg(next, 4, 10, QLatin1Char('0')));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (!file.exists())
            ado::raiseProvider(QStringLiteral("The print file %1 cannot be written: %2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

} // namespace

std::vector<ArchivedReport> archivedReports(ado::Connection& c, const QString& request) {
    QSqlQuery q(c.database());
    q.prepare(QStringLiteral("SELECT PrintedAt, Kind, DocumentName, EmployeeID, MedTechID, "
                             "Workstation, ReportText, ReportPdf FROM "
                             "LABORATORY.tbLabReportArchive WHERE RequestNum = ? ORDER BY "
                             "ReportID"));
    q.addBindValue(request);
    if (!q.exec())
        ado::raiseStatement(QStringLiteral("The report archive cannot be read: ") +
                            q.lastError().text());
    std::vector<ArchivedReport> reports;
    while (q.next()) {
        const QVariant at = q.value(0);
        reports.push_back({int(reports.size()) + 1,
                           at.typeId() == QMetaType::QDateTime
                               ? at.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                               : at.toString(),
                           q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                           q.value(4).toString(), q.value(5).toString(), q.value(6).toString(),
                           q.value(7).toByteArray()});
    }
    return reports;
}

QString reprint(const ArchivedReport& report) {
    if (report.pdf.isEmpty())
        ado::raiseProvider(QStringLiteral("Report %1 went to a system printer; only its text was "
                                          "archived.")
                               .arg(report.number));
    const QString folder = qEnvironmentVariable("VANTREL_PRINT_DIR");
    if (!folder.isEmpty()) {
        const QString path = claimPrintFile(folder);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(report.pdf) != report.pdf.size())
            ado::raiseProvider(QStringLiteral("The print file %1 cannot be written: %2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString()));
        return QDir::toNativeSeparators(path);
    }
    // The default printer takes the PDF as it is.
    QProcess lp;
    lp.start(QStringLiteral("lp"), {QStringLiteral("-t"), report.document, QStringLiteral("-")});
    if (!lp.waitForStarted())
        ado::raiseProvider(QStringLiteral("No printer: lp cannot be started."));
    lp.write(report.pdf);
    lp.closeWriteChannel();
    if (!lp.waitForFinished() || lp.exitStatus() != QProcess::NormalExit || lp.exitCode() != 0)
        ado::raiseProvider(QStringLiteral("The printer refused the job: ") +
                           QString::fromLocal8Bit(lp.readAllStandardError()).trimmed());
    return QStringLiteral("the default printer");
}

} // namespace dbsetup
