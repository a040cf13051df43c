#pragma once

#include "textdocument.h"

#include <QMarginsF>
#include <QPageSize>
#include <QString>
#include <functional>
#include <memory>

class QPrinter;
class QPainter;

namespace printing {

// The run-time error of a print that failed (no printer, printer error).
constexpr int32_t PrinterError = 482;

// Paper and margins, in points.
struct PageSetup {
    QPageSize::PageSizeId paper = QPageSize::Letter;
    bool landscape = false;
    QMarginsF margins{36, 36, 36, 36};
};

// One print job on the default printer: the system's, or, when the
// environment variable VANTREL_PRINT_DIR names a folder, a numbered PDF file
// there. Text is measured and placed in points from the top left corner of
// the printable area (inside the margins).
class PrintJob {
public:
    PrintJob(const QString& documentName, const PageSetup& setup);
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // Shown in the job list, and the PDF's title and creator.
    void setCreator(const QString& creator);
    // Ask the user for the printer first (never with a print folder).
    void setAskUser(bool ask) { askUser_ = ask; }

    // Raises PrinterError when there is no printer to take the job; returns
    // false when the user cancelled the print dialog.
    bool begin();
    // Raises PrinterError when the printer refused the job.
    void finish();

    // The printable area in points.
    double width() const;
    double height() const;

    struct Metrics {
        double ascent = 0;
        double descent = 0;
        double lineHeight = 0;
    };
    Metrics metrics(const CharFormat& format) const;
    double advance(const QString& text, const CharFormat& format) const;

    void drawText(double x, double baseline, const QString& text, const CharFormat& format);
    void newPage();

    // The PDF file the job writes, empty on a system printer.
    QString outputFile() const { return outputFile_; }

    // The text of the job as its composer laid it out, line by line, kept
    // for the job's observer (see setJobObserver).
    void composeLine(const QString& line);
    void composePageBreak();
    void composeText(const QString& text);

private:
    struct Fonts;
    double scale() const;

    QString documentName_;
    QString creator_;
    PageSetup setup_;
    bool askUser_ = false;
    QString outputFile_;
    QPrinter* printer_ = nullptr; // the thread's, or ownPrinter_
    std::unique_ptr<QPrinter> ownPrinter_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<Fonts> fonts_;
    QString composed_;
};

// A finished print job: its document name, its PDF file (empty on a system
// printer) and its composed text ("\n" between lines, "<page>" on a line of
// its own where a composer started a new page).
struct FinishedJob {
    QString documentName;
    QString outputFile;
    QString composedText;
};

// Called, from the printing thread, with every job that finished; an empty
// function removes the observer. Tests compare what was composed with it.
void setJobObserver(std::function<void(const FinishedJob&)> observer);

// Starts afresh as a new process would: the printers forget the numbers
// they took in each print folder, and this thread makes a new printer at
// its next job. For benchmarks of a process's first print.
void forgetPrintState();

// The last job that finished on this thread (empty before the first), for
// whoever keeps what was printed.
FinishedJob lastFinishedJob();

// Who a report is about, printed at the foot of every page of a report that
// takes more than one, beside "Page n of m".
using PageCaption = std::function<QString()>;

// Prints the document as composed: each piece in its own font and size, a
// new line at every line break, a new page when the page is full. A line
// wider than the page wraps at its last space as a rich-text box prints it
// (a heading piece marked fitToLine condenses instead), and its parts stay
// on one page; lines marked keepWithPrevious keep the three printed lines
// before them. Raises PrinterError on failure.
void printDocument(const TextDocument& document, const QString& documentName,
                   const PageCaption& caption = {});

// The paper and margins the document is printed with: a letter sheet holds
// 72 lines of 9 points.
PageSetup documentPageSetup();

} // namespace printing
