// The soak test's workstations and its final check (run by scripts/soak).
//
//   vantrel-soak workstation "<connection string>" <letter> <journal> <calm file> <seconds>
//     Print & Save, request after request of its own, for the given time; each
//     result it was told was saved goes into the journal. Then it waits until
//     the calm file exists (the server is left alone from then on) and saves
//     once more: that save must work at once. Exit 0, or 3 when it did not.
//   vantrel-soak check "<connection string>" <print folder> <stuck> <journal>...
//     Compares what the journals say was saved with what is stored, reads
//     every printed report, and prints the summary line.
//
// Workstations A and C use the stool form, B and D the histopathology form;
// their patients and results are named "<letter><nnnn>", so a report that
// names two of them mixed patients.

#include "entry/modulestate.h"
#include "forms/histopath/frmHistopath.h"
#include "forms/stool/frmStool.h"
#include "platform/ado/recordset.h"
#include "platform/forms/msgbox.h"
#include "vantrel/clsDataEntry.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <QThread>
#include <cstdio>

namespace {

bool histopathology(const QString& letter) {
    return letter == QLatin1String("B") || letter == QLatin1String("D");
}

QString requestOf(const QString& patient) {
    return QStringLiteral("LR-") + patient;
}

QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

class Workstation {
public:
    Workstation(const QString& connectionString, const QString& letter)
        : letter_(letter), histopath_(histopathology(letter)) {
        host_.setConnectionString(connectionString);
        forms::setModalHook([this](forms::Form& f) { work(f); });
        forms::setMessageSink([this](const forms::Message& m) {
            err() << "workstation " << letter_ << ": " << m.text << '\n';
            err().flush();
            return int(forms::vbYes);
        });
    }

    bool connect() {
        try {
            object_.SQLConnection(host_);
            return true;
        } catch (const vrt::RuntimeError& e) {
            err() << "workstation " << letter_ << ": " << e.description() << '\n';
            return false;
        }
    }

    // One Print & Save of the patient's request; the result typed is token.
    // Whether the workstation was told it was saved.
    bool printAndSave(const QString& patient, const QString& token) {
        token_ = token;
        object_.RequestNum(requestOf(patient));
        object_.HospNum(QStringLiteral("H-") + patient);
        object_.PatName(QStringLiteral("PATIENT ") + patient);
        object_.Clear_Exams();
        object_.Add_Exam(
            QStringLiteral("UA"), 90, QStringLiteral("CH-") + patient, requestOf(patient), false,
            histopath_ ? "X" : "H", histopath_ ? "401" : "35",
            histopath_ ? "HISTOPATHOLOGY" : "STOOL EXAMINATION", vrt::Variant(), false);
        entry::state().SignOffCancelled = false;
        try {
            object_.Show_ResultEntry(0, 0);
        } catch (const vrt::RuntimeError& e) {
            err() << "workstation " << letter_ << ": raised " << e.description() << '\n';
        }
        return object_.HasSaved();
    }

private:
    void work(forms::Form& f) {
        if (histopath_) {
            auto& form = static_cast<resultforms::frmHistopath&>(f);
            form.txtHistopathNum->setText(token_);
            form.rtfSpecimen->setPlainText(QStringLiteral("Specimen ") + token_);
        } else {
            static_cast<resultforms::frmStool&>(f).txtResults(0)->setText(token_);
        }
        f.findChild<QPushButton*>(QStringLiteral("cmdExam(2)"))->click();
        // A failed print leaves the window open, as it does for the user.
        if (!f.isUnloaded())
            f.findChild<QPushButton*>(QStringLiteral("cmdExam(1)"))->click();
    }

    QString letter_;
    bool histopath_;
    QString token_;
    ado::Connection host_;
    entry::clsDataEntry object_;
};

int workstation(const QString& connectionString, const QString& letter, const QString& journal,
                const QString& calm, int seconds) {
    QFile file(journal);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return 2;
    QTextStream out(&file);
    Workstation station(connectionString, letter);
    if (!station.connect())
        return 2;
    const auto patient = [&letter](int n) {
        return letter + QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
    };
    int n = 1;
    int attempt = 0;
    const auto saveNext = [&] {
        const QString token = patient(n) + QStringLiteral("-%1").arg(++attempt);
        if (!station.printAndSave(patient(n), token))
            return false;
        out << requestOf(patient(n)) << ' ' << token << '\n';
        out.flush();
        ++n;
        attempt = 0;
        return true;
    };
    const QDeadlineTimer end(std::chrono::seconds{seconds});
    while (!end.hasExpired())
        if (!saveNext())
            QThread::msleep(200);
    const QDeadlineTimer patience(std::chrono::minutes{3});
    while (!QFile::exists(calm) && !patience.hasExpired())
        QThread::msleep(100);
    return saveNext() ? 0 : 3;
}

int check(const QString& connectionString, const QString& prints, int stuck,
          const QStringList& journals) {
    ado::Connection c;
    c.Open(connectionString);
    int saves = 0;
    int lost = 0;
    for (const QString& journal : journals) {
        QFile file(journal);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        while (!file.atEnd()) {
            const QStringList fields = QString::fromUtf8(file.readLine()).trimmed().split(u' ');
            if (fields.size() != 2)
                continue;
            const QString& request = fields[0];
            const QString& token = fields[1];
            ++saves;
            const bool histopath = histopathology(request.mid(3, 1));
            const auto rs = c.Execute(
                histopath
                    ? QStringLiteral("LABORATORY..Lab_GetResultFromTable 'X','%1'").arg(request)
                    : QStringLiteral("LABORATORY..lab_getresulthcodes '%1'").arg(request));
            const QString stored = rs->State() == ado::adStateOpen && !rs->eof()
                                       ? rs->Fields(histopath ? QStringLiteral("HistopathNum")
                                                              : QStringLiteral("Result1"))
                                             .Value.text()
                                       : QStringLiteral("(none)");
            if (stored != token) {
                err() << "lost: " << request << " was saved as " << token << ", stored " << stored
                      << '\n';
                ++lost;
            }
        }
    }
    static const QRegularExpression patient(QStringLiteral("\\b[A-D]\\d{4}\\b"));
    const QStringList pdfs = QDir(prints).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    int mixed = 0;
    for (const QString& pdf : pdfs) {
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QDir(prints).filePath(pdf), QStringLiteral("-")});
        text.waitForFinished(60000);
        QSet<QString> named;
        for (const auto& m : patient.globalMatch(QString::fromUtf8(text.readAllStandardOutput())))
            named << m.captured();
        if (named.size() != 1) {
            err() << "mixed: " << pdf << " names " << QStringList(named.values()).join(u',')
                  << '\n';
            ++mixed;
        }
    }
    std::printf("soak: %d saves, %d reports, %d lost, %d mixed, %d stuck\n", saves,
                int(pdfs.size()), lost, mixed, stuck);
    return lost == 0 && mixed == 0 && stuck == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    try {
        if (args.size() == 6 && args[0] == QLatin1String("workstation"))
            return workstation(args[1], args[2], args[3], args[4], args[5].toInt());
        if (args.size() >= 4 && args[0] == QLatin1String("check"))
            return check(args[1], args[2], args[3].toInt(), args.mid(4));
    } catch (const vrt::RuntimeError& e) {
        err() << "vantrel-soak: " << e.description() << '\n';
        return 2;
    }
    err() << "usage: vantrel-soak workstation \"<connection string>\" <letter> <journal> <calm "
             "file> <seconds>\n"
             "       vantrel-soak check \"<connection string>\" <print folder> <stuck> "
             "<journal>...\n";
    return 2;
}
