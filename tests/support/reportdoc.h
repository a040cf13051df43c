#pragma once

#include "report/frmprinter.h"

#include <QStringList>

// The report document the report routines compose into.
inline printing::TextDocument& reportDocument() {
    return report::frmPrinter::instance().rtbDummy;
}

// Its lines, without the empty one after the last break.
inline QStringList reportLines() {
    QStringList lines = reportDocument().Text().split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The formats of its pieces, runs of one format counted: "9 Courier New x7",
// with " bold" and " offset N" when set.
inline QStringList pieceFormats() {
    QStringList out;
    QString last;
    int run = 0;
    auto flush = [&] {
        if (run)
            out << QStringLiteral("%1 x%2").arg(last).arg(run);
    };
    for (const auto& p : reportDocument().pieces()) {
        QString f = QString::number(p.format.pointSize) + u' ' + p.format.fontName;
        if (p.format.bold)
            f += QStringLiteral(" bold");
        if (p.format.charOffset)
            f += QStringLiteral(" offset %1").arg(p.format.charOffset);
        if (f != last) {
            flush();
            run = 0;
            last = f;
        }
        ++run;
    }
    flush();
    return out;
}
