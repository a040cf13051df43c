#include "printer.h"

#include "platform/runtime/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QMutex>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <cmath>
#include <deque>
#include <map>
#include <numeric>

namespace printing {

namespace {

[[noreturn]] void fail(const QString& why) {
    throw vrt::RuntimeError(PrinterError, why);
}

QMutex observerMutex;
std::function<void(const FinishedJob&)> jobObserver;

// The highest number among the folder's numbered PDFs.
int highestNumber(const QDir& dir) {
    static const QRegularExpression numbered(QStringLiteral("^(\\d+)\\.pdf$"));
    int highest = 0;
    for (const QString& name : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files)) {
        const auto m = numbered.match(name);
        if (m.hasMatch())
            highest = qMax(highest, m.captured(1).toInt());
    }
    return highest;
}

// Claims the next free number in the folder by creating the file (another
// process may take numbers too: creating it exclusively decides). The folder
// is listed once per process; after that a counter goes on from the last
// number taken.
QString claimNumberedFile(const QString& folder) {
    static QMutex mutex;
    static QHash<QString, int> lastTaken;
    const QDir dir(folder);
    const QString key = dir.absolutePath();
    const QMutexLocker lock(&mutex);
    auto last = lastTaken.find(key);
    if (last == lastTaken.end())
        last = lastTaken.insert(key, highestNumber(dir));
    for (int next = *last + 1;; ++next) {
        const QString path =
            dir.filePath(QStringLiteral("%1.pdf").arg(next, 4, 10, QLatin1Char('0')));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            *last = next;
            return path;
        }
        if (!file.exists())
            fail(QStringLiteral("The print file %1 cannot be written: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

} // namespace

struct PrintJob::Fonts {
    struct Entry {
        CharFormat format;
        QFont font;
        Metrics metrics;
        QFontMetricsF fm;
        QHash<char16_t, double> advances;
    };
    std::vector<std::unique_ptr<Entry>> entries;
};

PrintJob::PrintJob(const QString& documentName, const PageSetup& setup)
    : documentName_(documentName), setup_(setup), fonts_(std::make_unique<Fonts>()) {}

PrintJob::~PrintJob() {
    if (painter_ && painter_->isActive()) {
        // Left unfinished by an error: nothing of it is printed.
        printer_->abort();
        painter_->end();
        if (!outputFile_.isEmpty())
            QFile::remove(outputFile_);
    }
}

void PrintJob::setCreator(const QString& creator) {
    creator_ = creator;
}

bool PrintJob::begin() {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    const QString folder = qEnvironmentVariable("VANTREL_PRINT_DIR");
    if (!folder.isEmpty()) {
        if (!QFileInfo(folder).isDir())
            fail(QStringLiteral("The print folder %1 does not exist.")
                     .arg(QDir::toNativeSeparators(folder)));
        outputFile_ = claimNumberedFile(folder);
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(outputFile_);
    } else {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull())
            fail(QStringLiteral("No printer is installed."));
        printer_->setPrinterName(info.printerName());
        if (askUser_) {
            QPrintDialog dialog(printer_.get());
            if (dialog.exec() != QDialog::Accepted)
                return false;
        }
    }
    printer_->setDocName(documentName_);
    printer_->setCreator(creator_);
    // The layout places everything itself, margins included.
    printer_->setFullPage(true);
    printer_->setPageLayout(QPageLayout(
        QPageSize(setup_.paper), setup_.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
        QMarginsF()));
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get())) {
        painter_.reset();
        if (!outputFile_.isEmpty())
            QFile::remove(outputFile_);
        fail(QStringLiteral("The printer %1 did not take the job.")
                 .arg(outputFile_.isEmpty() ? printer_->printerName()
                                            : QDir::toNativeSeparators(outputFile_)));
    }
    return true;
}

void PrintJob::finish() {
    if (!painter_ || !painter_->isActive())
        return;
    const bool ended = painter_->end();
    if (!ended || printer_->printerState() == QPrinter::Error)
        fail(QStringLiteral("The printer %1 reported an error.").arg(printer_->printerName()));
    const QMutexLocker lock(&observerMutex);
    if (jobObserver)
        jobObserver({documentName_, outputFile_, composed_});
}

void PrintJob::composeLine(const QString& line) {
    composed_ += line;
    composed_ += u'\n';
}

void PrintJob::composePageBreak() {
    composed_ += QLatin1String("<page>\n");
}

void PrintJob::composeText(const QString& text) {
    composed_ += text;
}

void setJobObserver(std::function<void(const FinishedJob&)> observer) {
    const QMutexLocker lock(&observerMutex);
    jobObserver = std::move(observer);
}

double PrintJob::scale() const {
    return printer_->resolution() / 72.0;
}

double PrintJob::width() const {
    QSizeF paper = QPageSize(setup_.paper).size(QPageSize::Point);
    if (setup_.landscape)
        paper.transpose();
    return paper.width() - setup_.margins.left() - setup_.margins.right();
}

double PrintJob::height() const {
    QSizeF paper = QPageSize(setup_.paper).size(QPageSize::Point);
    if (setup_.landscape)
        paper.transpose();
    return paper.height() - setup_.margins.top() - setup_.margins.bottom();
}

PrintJob::Metrics PrintJob::metrics(const CharFormat& format) const {
    for (const auto& e : fonts_->entries)
        if (e->format == format)
            return e->metrics;
    QFont font(format.fontName);
    font.setPointSizeF(format.pointSize);
    font.setBold(format.bold);
    font.setKerning(false);
    font.setStyleHint(QFont::TypeWriter);
    QFontMetricsF fm(font, printer_.get());
    const double s = scale();
    Metrics m{fm.ascent() / s, fm.descent() / s, fm.lineSpacing() / s};
    fonts_->entries.push_back(
        std::make_unique<Fonts::Entry>(Fonts::Entry{format, font, m, fm, {}}));
    return m;
}

double PrintJob::advance(const QString& text, const CharFormat& format) const {
    metrics(format);
    for (const auto& e : fonts_->entries) {
        if (!(e->format == format))
            continue;
        double total = 0;
        for (QChar c : text) {
            auto it = e->advances.find(c.unicode());
            if (it == e->advances.end())
                it = e->advances.insert(c.unicode(), e->fm.horizontalAdvance(c) / scale());
            total += *it;
        }
        return total;
    }
    return 0;
}

void PrintJob::drawText(double x, double baseline, const QString& text, const CharFormat& format) {
    metrics(format);
    for (const auto& e : fonts_->entries) {
        if (!(e->format == format))
            continue;
        painter_->setFont(e->font);
        const double s = scale();
        painter_->drawText(
            QPointF((setup_.margins.left() + x) * s,
                    (setup_.margins.top() + baseline - format.charOffset / 20.0) * s),
            text);
        return;
    }
}

void PrintJob::newPage() {
    if (!printer_->newPage())
        fail(QStringLiteral("The printer %1 could not start a new page.")
                 .arg(printer_->printerName()));
}

PageSetup documentPageSetup() {
    PageSetup setup;
    setup.paper = QPageSize::Letter;
    setup.margins = QMarginsF(36, 24, 18, 24);
    return setup;
}

namespace {

struct Glyph {
    QChar c;
    const CharFormat* format;
};

struct SourceLine {
    std::vector<Glyph> glyphs;
    const CharFormat* breakFormat = nullptr; // the format of the line's break
};

std::vector<SourceLine> splitLines(const TextDocument& document) {
    std::vector<SourceLine> lines(1);
    for (const TextPiece& piece : document.pieces()) {
        const QString& t = piece.text;
        for (qsizetype i = 0; i < t.size(); ++i) {
            const QChar c = t[i];
            if (c == u'\r' || c == u'\n') {
                if (c == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n')
                    ++i;
                lines.back().breakFormat = &piece.format;
                lines.emplace_back();
            } else {
                lines.back().glyphs.push_back({c, &piece.format});
            }
        }
    }
    // Text ends with its last break: there is no line after it.
    if (lines.size() > 1 && lines.back().glyphs.empty())
        lines.pop_back();
    return lines;
}

// A line a little too wide for the page (a heading with the run time at its
// end) prints condensed, down to two thirds of its size, rather than
// breaking: its end would otherwise start a line of its own and push
// everything below it down. Spaces at its end do not count.
void condense(PrintJob& job, SourceLine& line, std::vector<double>& advances, double width,
              std::deque<CharFormat>& formats) {
    auto& g = line.glyphs;
    size_t used = g.size();
    while (used > 0 && g[used - 1].c == u' ')
        --used;
    const double total = std::accumulate(advances.begin(), advances.begin() + qsizetype(used), 0.0);
    if (total <= width + 0.01)
        return;
    for (double factor = std::floor(width / total * 40) / 40; factor >= 2.0 / 3; factor -= 0.025) {
        std::map<const CharFormat*, const CharFormat*> smaller;
        std::vector<double> fitted(g.size());
        double x = 0;
        for (size_t i = 0; i < g.size(); ++i) {
            const CharFormat*& f = smaller[g[i].format];
            if (!f) {
                CharFormat c = *g[i].format;
                c.pointSize = std::floor(c.pointSize * factor * 4) / 4;
                f = &formats.emplace_back(c);
            }
            fitted[i] = job.advance(QString(g[i].c), *f);
            if (i < used)
                x += fitted[i];
        }
        if (x > width + 0.01)
            continue;
        for (size_t i = 0; i < g.size(); ++i)
            g[i].format = smaller[g[i].format];
        advances = std::move(fitted);
        return;
    }
}

} // namespace

void printDocument(const TextDocument& document, const QString& documentName) {
    PrintJob job(documentName, documentPageSetup());
    if (!job.begin())
        return;
    job.composeText(QString(document.Text()).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    const CharFormat plain;
    const double width = job.width();
    double y = 0;
    std::deque<CharFormat> condensedFormats;
    for (SourceLine line : splitLines(document)) {
        auto& g = line.glyphs;
        std::vector<double> advances(g.size());
        for (size_t i = 0; i < g.size(); ++i)
            advances[i] = job.advance(QString(g[i].c), *g[i].format);
        condense(job, line, advances, width, condensedFormats);

        size_t start = 0;
        do {
            // Wrap before a character that would pass the right margin, after
            // the last space when there is one; spaces may hang over it.
            size_t end = start;
            double x = 0;
            size_t lastSpace = SIZE_MAX;
            for (; end < g.size(); ++end) {
                if (g[end].c != u' ' && end > start && x + advances[end] > width + 0.01) {
                    if (lastSpace != SIZE_MAX)
                        end = lastSpace + 1;
                    break;
                }
                if (g[end].c == u' ')
                    lastSpace = end;
                x += advances[end];
            }
            const bool last = end >= g.size();

            double ascent = 0;
            double below = 0;
            auto take = [&](const CharFormat& f) {
                const PrintJob::Metrics m = job.metrics(f);
                ascent = qMax(ascent, m.ascent);
                below = qMax(below, m.lineHeight - m.ascent);
            };
            for (size_t i = start; i < end; ++i)
                take(*g[i].format);
            if (last && line.breakFormat)
                take(*line.breakFormat);
            if (ascent == 0)
                take(plain);

            if (y > 0 && y + ascent + below > job.height() + 0.01) {
                job.newPage();
                y = 0;
            }
            const double baseline = y + ascent;
            double cx = 0;
            for (size_t i = start; i < end;) {
                size_t j = i;
                QString run;
                double runWidth = 0;
                while (j < end && g[j].format == g[i].format) {
                    run += g[j].c;
                    runWidth += advances[j];
                    ++j;
                }
                if (!run.trimmed().isEmpty())
                    job.drawText(cx, baseline, run, *g[i].format);
                cx += runWidth;
                i = j;
            }
            y += ascent + below;
            start = end;
        } while (start < g.size());
    }
    job.finish();
}

} // namespace printing
