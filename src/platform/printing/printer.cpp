#include "printer.h"

#include "platform/runtime/errors.h"

#include <QCoreApplication>
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
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <deque>
#include <filesystem>
#include <map>
#include <numeric>

namespace printing {

namespace {

[[noreturn]] void fail(const QString& why) {
    throw vrt::RuntimeError(PrinterError, why);
}

QMutex observerMutex;
std::function<void(const FinishedJob&)> jobObserver;
thread_local FinishedJob lastJob;

QMutex claimMutex;
QHash<QString, int> lastTaken; // by folder

QString numberedName(int number) {
    return QStringLiteral("%1.pdf").arg(number, 4, 10, QLatin1Char('0'));
}

// The number of the last report the folder's printers took, kept beside the
// reports. A hint only: a missing, unreadable or stale file costs a few more
// look-ups below, never a wrong number.
const QString lastNumberFile = QStringLiteral(".vantrel-last-print");

int lastNumberHint(const QDir& dir) {
    QFile f(dir.filePath(lastNumberFile));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    bool ok = false;
    const int n = QString::fromLatin1(f.read(16)).trimmed().toInt(&ok);
    return ok && n > 0 && n < 100000000 ? n : 0;
}

// Written beside and renamed over the old one, so a reader sees one whole
// number or the other.
void keepLastNumber(const QDir& dir, int number) {
    QTemporaryFile f(dir.filePath(lastNumberFile + QStringLiteral(".XXXXXX")));
    if (!f.open() || f.write(QByteArray::number(number) + '\n') < 0 || !f.flush())
        return;
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(f.fileName()).toStdString(),
                            QFile::encodeName(dir.filePath(lastNumberFile)).toStdString(), error);
    if (!error)
        f.setAutoRemove(false);
}

// The last number of the run of reports that goes on from the hint. Reports
// are numbered in order, so their files form a run; its end is found by
// looking for files at doubling steps past the hint, then halving the last
// step: a few dozen look-ups in a folder of 10,000 reports, where listing
// it would read every name.
int endOfRun(const QDir& dir, int hint) {
    const auto taken = [&](int n) { return QFileInfo::exists(dir.filePath(numberedName(n))); };
    int low = hint;
    int step = 1;
    while (taken(low + step)) {
        low += step;
        step *= 2;
    }
    int high = low + step;
    while (high - low > 1) {
        const int mid = low + (high - low) / 2;
        (taken(mid) ? low : high) = mid;
    }
    return low;
}

// Claims the next free number in the folder by creating its file. Only the
// exclusive create decides who has a number: when two processes (two
// workstations on one folder) try the same one, the file system lets one
// create it and the other goes on to the next, so no number is taken twice
// whatever the hints said. The hints only say where to start trying: the
// number this process took last, or, at its first print into the folder,
// the end of the run of reports after the number the folder keeps.
QString claimNumberedFile(const QString& folder) {
    const QDir dir(folder);
    const QString key = dir.absolutePath();
    const QMutexLocker lock(&claimMutex);
    auto last = lastTaken.find(key);
    if (last == lastTaken.end())
        last = lastTaken.insert(key, endOfRun(dir, lastNumberHint(dir)));
    for (int next = *last + 1;; ++next) {
        const QString path = dir.filePath(numberedName(next));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            *last = next;
            keepLastNumber(dir, next);
            return path;
        }
        if (!file.exists())
            fail(QStringLiteral("The print file %1 cannot be written: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

// Making a printer asks the print system for its printers, so each thread
// that prints keeps one and lends it to one job at a time. A job sets every
// setting it prints with (file or printer, paper, orientation, names), so
// nothing of one job carries over to the next; a job that shows the print
// dialog, where the user may change anything, has a printer of its own.
struct ThreadPrinter {
    std::unique_ptr<QPrinter> printer;
    bool lent = false;
    ~ThreadPrinter() {
        // The main thread's ends after the application, which its fonts need.
        if (!QCoreApplication::instance())
            (void)printer.release();
    }
};
thread_local ThreadPrinter threadPrinter;

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
    if (printer_ && printer_ == threadPrinter.printer.get())
        threadPrinter.lent = false;
}

void PrintJob::setCreator(const QString& creator) {
    creator_ = creator;
}

bool PrintJob::begin() {
    lastJob = {};
    const QString folder = qEnvironmentVariable("VANTREL_PRINT_DIR");
    QString printerName;
    if (!folder.isEmpty()) {
        if (!QFileInfo(folder).isDir())
            fail(QStringLiteral("The print folder %1 does not exist.")
                     .arg(QDir::toNativeSeparators(folder)));
        outputFile_ = claimNumberedFile(folder);
    } else {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull())
            fail(QStringLiteral("No printer is installed."));
        printerName = info.printerName();
    }
    ThreadPrinter& t = threadPrinter;
    if (askUser_ && outputFile_.isEmpty()) {
        ownPrinter_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_ = ownPrinter_.get();
    } else if (!t.lent) {
        if (!t.printer)
            t.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        t.lent = true;
        printer_ = t.printer.get();
    } else {
        // Another job of this thread is still printing.
        ownPrinter_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_ = ownPrinter_.get();
    }
    // A file name ending in .pdf makes a PDF; none, the printer's own format.
    printer_->setOutputFileName(outputFile_);
    if (outputFile_.isEmpty()) {
        printer_->setPrinterName(printerName);
        if (askUser_) {
            QPrintDialog dialog(printer_);
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
    if (!painter_->begin(printer_)) {
        painter_.reset();
        if (!outputFile_.isEmpty())
            QFile::remove(outputFile_);
        fail(QStringLiteral("The printer %1 did not take the job.")
                 .arg(outputFile_.isEmpty() ? printer_->printerName()
                                            : QDir::toNativeSeparators(outputFile_)));
    }
    return true;
}

void forgetPrintState() {
    const QMutexLocker lock(&claimMutex);
    lastTaken.clear();
    if (!threadPrinter.lent)
        threadPrinter.printer.reset();
}

void PrintJob::finish() {
    if (!painter_ || !painter_->isActive())
        return;
    const bool ended = painter_->end();
    if (!ended || printer_->printerState() == QPrinter::Error)
        fail(QStringLiteral("The printer %1 reported an error.").arg(printer_->printerName()));
    lastJob = {documentName_, outputFile_, composed_};
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

FinishedJob lastFinishedJob() {
    return lastJob;
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
    QFontMetricsF fm(font, printer_);
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

void printDocument(const TextDocument& document, const QString& documentName,
                   const PageCaption& caption) {
    PrintJob job(documentName, documentPageSetup());
    if (!job.begin())
        return;
    job.composeText(QString(document.Text()).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    const CharFormat plain;
    const double width = job.width();

    // Every printed row: a part of a source line, and the rows that must stay
    // on one page with it (a wrapped line's parts).
    struct Row {
        size_t line;
        size_t start, end;
        double ascent, height;
        bool blank;
        size_t group; // first row of its group
    };
    std::vector<SourceLine> lines = splitLines(document);
    std::vector<std::vector<double>> advances(lines.size());
    std::vector<Row> rows;
    std::deque<CharFormat> condensedFormats;
    for (size_t n = 0; n < lines.size(); ++n) {
        SourceLine& line = lines[n];
        auto& g = line.glyphs;
        std::vector<double>& adv = advances[n];
        adv.resize(g.size());
        for (size_t i = 0; i < g.size(); ++i)
            adv[i] = job.advance(QString(g[i].c), *g[i].format);
        if (std::any_of(g.begin(), g.end(), [](const Glyph& x) { return x.format->fitToLine; }))
            condense(job, line, adv, width, condensedFormats);

        const size_t group = rows.size();
        size_t start = 0;
        do {
            // Wrap before a character that would pass the right margin, after
            // the last space when there is one; spaces may hang over it.
            size_t end = start;
            double x = 0;
            size_t lastSpace = SIZE_MAX;
            for (; end < g.size(); ++end) {
                if (g[end].c != u' ' && end > start && x + adv[end] > width + 0.01) {
                    if (lastSpace != SIZE_MAX)
                        end = lastSpace + 1;
                    break;
                }
                if (g[end].c == u' ')
                    lastSpace = end;
                x += adv[end];
            }
            const bool last = end >= g.size();
            double ascent = 0;
            double below = 0;
            auto take = [&](const CharFormat& f) {
                const PrintJob::Metrics m = job.metrics(f);
                ascent = qMax(ascent, m.ascent);
                below = qMax(below, m.lineHeight - m.ascent);
            };
            bool blank = true;
            for (size_t i = start; i < end; ++i) {
                take(*g[i].format);
                blank = blank && g[i].c == u' ';
            }
            if (last && line.breakFormat)
                take(*line.breakFormat);
            if (ascent == 0)
                take(plain);
            rows.push_back({n, start, end, ascent, ascent + below, blank, group});
            start = end;
        } while (start < g.size());
    }

    // Rows that keep with the rows before them (the signatures) take the
    // three printed rows before them along.
    const auto keeps = [&](const Row& row) {
        const auto& g = lines[row.line].glyphs;
        return std::any_of(g.begin() + qsizetype(row.start), g.begin() + qsizetype(row.end),
                           [](const Glyph& x) { return x.format->keepWithPrevious; }) ||
               (row.end == g.size() && lines[row.line].breakFormat &&
                lines[row.line].breakFormat->keepWithPrevious);
    };
    for (size_t first = 0; first < rows.size(); ++first) {
        if (!keeps(rows[first]))
            continue;
        size_t last = first;
        while (last + 1 < rows.size() && keeps(rows[last + 1]))
            ++last;
        size_t kept = first;
        for (int before = 0; kept > 0 && before < 3;)
            if (!rows[--kept].blank)
                ++before;
        const size_t group = rows[kept].group;
        for (size_t r = kept; r <= last; ++r)
            rows[r].group = group;
        first = last;
    }

    // Page starts for a page of the given height: a group goes whole to the
    // next page when it fits on one.
    auto paginate = [&rows](double height) {
        std::vector<size_t> starts{0};
        double y = 0;
        for (size_t r = 0; r < rows.size(); ++r) {
            double need = rows[r].height;
            if (rows[r].group == r) {
                double whole = 0;
                for (size_t k = r; k < rows.size() && rows[k].group == r; ++k)
                    whole += rows[k].height;
                if (whole <= height + 0.01)
                    need = whole;
            }
            if (y > 0 && y + need > height + 0.01 &&
                (rows[r].group == r || y + rows[r].height > height + 0.01)) {
                starts.push_back(r);
                y = 0;
            }
            y += rows[r].height;
        }
        return starts;
    };
    std::vector<size_t> starts = paginate(job.height());
    const PrintJob::Metrics captionMetrics = job.metrics(plain);
    const bool captioned = caption && starts.size() > 1;
    if (captioned)
        starts = paginate(job.height() - 2 * captionMetrics.lineHeight);

    for (size_t p = 0; p < starts.size(); ++p) {
        if (p > 0)
            job.newPage();
        const size_t last = p + 1 < starts.size() ? starts[p + 1] : rows.size();
        double y = 0;
        for (size_t r = starts[p]; r < last; ++r) {
            const Row& row = rows[r];
            const auto& g = lines[row.line].glyphs;
            const auto& adv = advances[row.line];
            const double baseline = y + row.ascent;
            double cx = 0;
            for (size_t i = row.start; i < row.end;) {
                size_t j = i;
                QString run;
                double runWidth = 0;
                while (j < row.end && g[j].format == g[i].format) {
                    run += g[j].c;
                    runWidth += adv[j];
                    ++j;
                }
                if (!run.trimmed().isEmpty())
                    job.drawText(cx, baseline, run, *g[i].format);
                cx += runWidth;
                i = j;
            }
            y += row.height;
        }
        if (captioned) {
            const QString page = QStringLiteral("Page %1 of %2").arg(p + 1).arg(starts.size());
            const double baseline = job.height() - captionMetrics.descent;
            job.drawText(0, baseline, caption(), plain);
            job.drawText(width - job.advance(page, plain), baseline, page, plain);
        }
    }
    job.finish();
}

} // namespace printing
