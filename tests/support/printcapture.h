#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <vector>

// Points the default printer at a folder of the test's own for as long as it
// lives (VANTREL_PRINT_DIR), so every print job becomes a PDF there, and
// reads the PDFs back with poppler's tools. When VANTREL_KEEP_PRINTS names a
// folder, the PDFs are copied there at the end, to be looked at.
class PrintCapture {
public:
    PrintCapture();
    ~PrintCapture();

    QString folder() const { return dir_.path(); }
    // The PDFs printed so far, in the order of the jobs.
    QStringList files() const;

    // The text the library composed for the job that wrote this PDF: the
    // report document's text, or the report engine's laid-out lines with
    // "<page>" where it started a page; trailing blanks of each line removed.
    // Reports are compared through this; the PDF only for what it alone
    // shows (pages, fonts, positions).
    static QString composed(const QString& pdf);

    // pdftotext -fixed at the given pitch (points per character): lines
    // without trailing spaces, the left margin that all lines share removed,
    // "<page>" between pages.
    static QString text(const QString& pdf, double pitch = 5.4);

    struct Word {
        int page = 0; // from 1
        double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
        QString text;
    };
    // Every word with its box in points from the top left of its page.
    static std::vector<Word> words(const QString& pdf);
    // One field of pdfinfo ("Pages", "Creator", "Page size", ...).
    static QString info(const QString& pdf, const QString& field);
    // The names of the fonts the PDF uses (pdffonts).
    static QStringList fonts(const QString& pdf);

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_;
};

// Empty when actual equals the expected file; otherwise the first line that
// differs, and the actual text is written beside the test as <name>.actual.
QString differenceFromExpected(const QString& actual, const QString& name);

// Statements or stored rows one a line for an expected file, columns
// between " | ", a line break inside one shown as \r or \n.
QString linesText(const QStringList& lines);
QString linesText(const QList<QStringList>& rows);

// Fails the test when actual differs from the expected file.
#define VERIFY_EXPECTED(actual, name)                                                              \
    do {                                                                                           \
        const QString difference_ = differenceFromExpected(actual, name);                          \
        QVERIFY2(difference_.isEmpty(), qPrintable(difference_));                                  \
    } while (false)

// A transcript is an expected-output file of lines "<input> -> <answer>",
// each maybe followed by "  # note"; empty lines and "#" lines are kept as
// they are. Replaying it asks answer() for every input and gives the
// transcript with the actual answers, notes kept.
QString replayTranscript(const QString& name, const std::function<QString(const QString&)>& answer);

// Fails the test when any answer differs from the transcript file.
#define VERIFY_TRANSCRIPT(name, answer) VERIFY_EXPECTED(replayTranscript(name, answer), name)

// A text in double quotes, with \\, \", \t, \r and \n escapes; quotedText()
// writes one, takeQuoted() reads one from the start of text and removes it
// there (and the blanks after it).
QString quotedText(const QString& text);
QString takeQuoted(QString& text);
