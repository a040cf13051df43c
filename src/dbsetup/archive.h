#pragma once

// The report archive as the tools and the demo host read it: the reports
// printed for a request, and printing one of them again.

#include "platform/ado/connection.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace dbsetup {

struct ArchivedReport {
    int number = 0;    // of the request's reports, from 1 (the oldest)
    QString printedAt; // yyyy-MM-dd HH:mm:ss, the server's time
    QString kind;      // original or correction
    QString document;
    QString employee;
    QString medtech;
    QString workstation;
    QString text;   // as composed, lines separated by "\n"
    QByteArray pdf; // empty when a system printer took it
};

// The request's archived reports, oldest first.
std::vector<ArchivedReport> archivedReports(ado::Connection& connection, const QString& request);

// Prints the archived PDF again, byte for byte: into the next numbered file
// of VANTREL_PRINT_DIR when it is set, else on the default printer (lp).
// Returns where it went; raises a RuntimeError when it could not be printed.
QString reprint(const ArchivedReport& report);

} // namespace dbsetup
