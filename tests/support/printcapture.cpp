#include "printcapture.h"

#include "platform/printing/printer.h"
#include "platform/runtime/datetime.h"

#include <QHash>
#include <QMutex>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>

namespace {

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString unescape(QString s) {
    s.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&apos;"), QStringLiteral("'"))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return s;
}

// The text of an expected-output file, named from the tests folder
// ("report/expected/title.txt").
QString expectedText(const QString& name) {
    QFile f(QStringLiteral(VANTREL_TESTS_SOURCE_DIR "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("expected-output file %s is missing", qPrintable(f.fileName()));
    return QString::fromUtf8(f.readAll());
}

QMutex composedMutex;
QHash<QString, QString> composedTexts;

void observeJobs() {
    static const bool installed = [] {
        printing::setJobObserver([](const printing::FinishedJob& job) {
            QStringList lines = job.composedText.split(u'\n');
            for (QString& line : lines)
                while (line.endsWith(u' '))
                    line.chop(1);
            const QMutexLocker lock(&composedMutex);
            composedTexts.insert(QFileInfo(job.outputFile).absoluteFilePath(), lines.join(u'\n'));
        });
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace

PrintCapture::PrintCapture()
    : previous_(qgetenv("VANTREL_PRINT_DIR")),
      hadPrevious_(qEnvironmentVariableIsSet("VANTREL_PRINT_DIR")) {
    qputenv("VANTREL_PRINT_DIR", dir_.path().toLocal8Bit());
    observeJobs();
}

QString PrintCapture::composed(const QString& pdf) {
    const QMutexLocker lock(&composedMutex);
    const auto it = composedTexts.constFind(QFileInfo(pdf).absoluteFilePath());
    if (it == composedTexts.constEnd())
        qFatal("no print job wrote %s", qPrintable(pdf));
    return *it;
}

PrintCapture::~PrintCapture() {
    // VANTREL_KEEP_PRINTS keeps copies to look at.
    const QString keep = qEnvironmentVariable("VANTREL_KEEP_PRINTS");
    if (!keep.isEmpty() && QDir().mkpath(keep)) {
        static int kept = 0;
        for (const QString& pdf : files())
            QFile::copy(pdf, QDir(keep).filePath(QStringLiteral("%1-%2.pdf")
                                                     .arg(QCoreApplication::applicationName())
                                                     .arg(++kept, 3, 10, QLatin1Char('0'))));
    }
    if (hadPrevious_)
        qputenv("VANTREL_PRINT_DIR", previous_);
    else
        qunsetenv("VANTREL_PRINT_DIR");
}

QStringList PrintCapture::files() const {
    QStringList out;
    const QDir dir(dir_.path());
    for (const QString& name : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name))
        out << dir.filePath(name);
    return out;
}

QString PrintCapture::text(const QString& pdf, double pitch) {
    QString raw = run(QStringLiteral("pdftotext"),
                      {QStringLiteral("-fixed"), QString::number(pitch), pdf, QStringLiteral("-")});
    if (raw.endsWith(u'\f'))
        raw.chop(1);
    QStringList lines;
    for (const QString& page : raw.split(u'\f')) {
        if (!lines.isEmpty())
            lines << QStringLiteral("<page>");
        QStringList pageLines = page.split(u'\n');
        while (!pageLines.isEmpty() && pageLines.last().trimmed().isEmpty())
            pageLines.removeLast();
        for (QString& l : pageLines) {
            while (l.endsWith(u' '))
                l.chop(1);
            lines << l;
        }
    }
    qsizetype margin = -1;
    for (const QString& l : lines) {
        if (l.isEmpty() || l == QLatin1String("<page>"))
            continue;
        qsizetype lead = 0;
        while (lead < l.size() && l[lead] == u' ')
            ++lead;
        margin = margin < 0 ? lead : qMin(margin, lead);
    }
    for (QString& l : lines)
        if (l != QLatin1String("<page>"))
            l = l.mid(qMax<qsizetype>(margin, 0));
    return lines.join(u'\n') + u'\n';
}

std::vector<PrintCapture::Word> PrintCapture::words(const QString& pdf) {
    const QString html =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression page(QStringLiteral("<page "));
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">(.*?)</word>"));
    std::vector<Word> out;
    int pageNo = 0;
    for (const QString& line : html.split(u'\n')) {
        if (line.contains(page))
            ++pageNo;
        const auto m = word.match(line);
        if (m.hasMatch())
            out.push_back({pageNo, m.captured(1).toDouble(), m.captured(2).toDouble(),
                           m.captured(3).toDouble(), m.captured(4).toDouble(),
                           unescape(m.captured(5))});
    }
    return out;
}

QString PrintCapture::info(const QString& pdf, const QString& field) {
    for (const QString& line : run(QStringLiteral("pdfinfo"), {pdf}).split(u'\n'))
        if (line.startsWith(field + u':'))
            return line.mid(field.size() + 1).trimmed();
    return {};
}

QStringList PrintCapture::fonts(const QString& pdf) {
    QStringList out;
    const QStringList lines = run(QStringLiteral("pdffonts"), {pdf}).split(u'\n');
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QString name = lines[i].section(u' ', 0, 0);
        if (!name.isEmpty())
            out << name.section(u'+', -1); // without the subset tag
    }
    return out;
}

QString differenceFromExpected(const QString& actual, const QString& name) {
    const QString expected = expectedText(name);
    if (actual == expected)
        return {};
    QFile out(QDir(QCoreApplication::applicationDirPath())
                  .filePath(name.section(u'/', -1) + QStringLiteral(".actual")));
    if (out.open(QIODevice::WriteOnly))
        out.write(actual.toUtf8());
    const QStringList a = actual.split(u'\n');
    const QStringList e = expected.split(u'\n');
    for (qsizetype i = 0; i < qMax(a.size(), e.size()); ++i) {
        const QString al = i < a.size() ? a[i] : QStringLiteral("<none>");
        const QString el = i < e.size() ? e[i] : QStringLiteral("<none>");
        if (al != el)
            return QStringLiteral("%1, line %2:\n  expected: [%3]\n  actual:   [%4]\n(actual text "
                                  "in %5)")
                .arg(name)
                .arg(i + 1)
                .arg(el, al, out.fileName());
    }
    return QStringLiteral("%1: line ends differ").arg(name);
}

QString linesText(const QStringList& lines) {
    QString text;
    for (QString line : lines)
        text +=
            line.replace(u'\r', QLatin1String("\\r")).replace(u'\n', QLatin1String("\\n")) + u'\n';
    return text;
}

QString linesText(const QList<QStringList>& rows) {
    QStringList lines;
    for (const QStringList& row : rows)
        lines << row.join(QLatin1String(" | "));
    return linesText(lines);
}

QString replayTranscript(const QString& name,
                         const std::function<QString(const QString&)>& answer) {
    static const QString arrow = QStringLiteral(" -> ");
    static const QString note = QStringLiteral("  # ");
    QStringList out;
    for (const QString& line : expectedText(name).split(u'\n')) {
        const qsizetype at = line.indexOf(arrow);
        if (line.isEmpty() || line.startsWith(u'#') || at < 0) {
            out << line;
            continue;
        }
        const qsizetype noteAt = line.indexOf(note, at);
        out << line.left(at + arrow.size()) + answer(line.left(at)) +
                   (noteAt < 0 ? QString() : line.mid(noteAt));
    }
    return out.join(u'\n');
}

QString quotedText(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        const qsizetype escape = QStringLiteral("\\\"\t\r\n").indexOf(c);
        out += escape < 0 ? QString(c) : QString(u'\\') + QStringLiteral("\\\"trn").at(escape);
    }
    return out + u'"';
}

QString takeQuoted(QString& text) {
    QString out;
    qsizetype i = 1;
    for (; i < text.size() && text[i] != u'"'; ++i) {
        if (text[i] == u'\\' && ++i < text.size()) {
            const qsizetype escape = QStringLiteral("\\\"trn").indexOf(text[i]);
            out += escape < 0 ? text[i] : QStringLiteral("\\\"\t\r\n").at(escape);
        } else {
            out += text[i];
        }
    }
    text = text.mid(i + 1).trimmed();
    return out;
}
