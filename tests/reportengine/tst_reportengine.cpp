// The report engine: definitions, tables, parameter fields and printing.

#include "platform/reportengine/application.h"
#include "support/database.h"
#include "support/errors.h"
#include "support/metatypes.h"
#include "support/printcapture.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace reportengine;

namespace {

QString besideTheLibrary(const QString& name) {
    return QCoreApplication::applicationDirPath() + u'/' + name;
}

class DefinitionFile {
public:
    explicit DefinitionFile(const QString& text) {
        QFile f(path());
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path()));
        f.write(text.toUtf8());
    }
    QString path() const { return dir_.filePath(QStringLiteral("Test.RPT")); }

private:
    QTemporaryDir dir_;
};

} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT

private slots:
    void openReport_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("number");
        QString backslashed = besideTheLibrary(QStringLiteral("LabPrint.RPT"));
        backslashed.replace(backslashed.lastIndexOf(u'/'), 1, u'\\');
        QTest::newRow("missing file") << "/nonexistent/LabPrint.RPT" << 1 << 53;
        QTest::newRow("unknown open method")
            << besideTheLibrary(QStringLiteral("LabPrint.RPT")) << 2 << 5;
        QTest::newRow("backslashes separate folders") << backslashed << 0 << 0;
    }
    void openReport() {
        QFETCH(QString, path);
        QFETCH(int, mode);
        QFETCH(int, number);
        Application app;
        QCOMPARE(raised([&] { app.OpenReport(path, int16_t(mode)); }).number, number);
    }

    void faultyDefinitions_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("description");
        QTest::newRow("unknown statement") << "report name=x\nsection y"
                                           << "Test.RPT, line 2: unknown statement section.";
        QTest::newRow("text outside a band") << "text \"x\""
                                             << "Test.RPT, line 1: text belongs in a band.";
        QTest::newRow("setting after the bands")
            << "[header]\nfont name=Arial size=9"
            << "Test.RPT, line 2: font comes before the bands.";
        QTest::newRow("unclosed quote") << "[header]\n\n# note\ntext \"x"
                                        << "Test.RPT, line 4: a quoted text is not closed.";
        QTest::newRow("bad width") << "[detail]\ntext \"{RowLine:wide}\""
                                   << "Test.RPT, line 2: the field {RowLine:wide} has no width "
                                      "after ':'.";
        QTest::newRow("unknown type") << "parameter name=When type=moment"
                                      << "Test.RPT, line 1: unknown type moment (text, number, "
                                         "boolean, date, datetime).";
        QTest::newRow("parameter twice") << "parameter name=A\nparameter name=a"
                                         << "Test.RPT, line 2: parameter a is defined twice.";
        QTest::newRow("centred and right") << "[header]\ntext center right \"x\""
                                           << "Test.RPT, line 2: a line is either centred or "
                                              "right-aligned.";
    }
    void faultyDefinitions() {
        QFETCH(QString, text);
        QFETCH(QString, description);
        DefinitionFile file(text);
        Application app;
        const Raised r = raised([&] { app.OpenReport(file.path()); });
        QCOMPARE(r.number, errDefinition);
        QCOMPARE(r.description, description);
    }

    void parameterValuesSuitTheirType_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<vrt::Variant>("value");
        QTest::addColumn<bool>("taken");
        QTest::newRow("date takes a date") << "date" << vrt::Variant(vrt::Date{46148}) << true;
        QTest::newRow("date refuses text") << "date" << vrt::Variant("5/6/2026") << false;
        QTest::newRow("number takes numeric text") << "number" << vrt::Variant("12.5") << true;
        QTest::newRow("number refuses words") << "number" << vrt::Variant("twelve") << false;
        QTest::newRow("text refuses an array") << "text" << vrt::Variant::array({}) << false;
        QTest::newRow("Null for any type") << "date" << vrt::Variant::null() << true;
    }
    void parameterValuesSuitTheirType() {
        QFETCH(QString, type);
        QFETCH(vrt::Variant, value);
        QFETCH(bool, taken);
        DefinitionFile file(QStringLiteral("parameter name=P type=") + type);
        Application app;
        auto field = app.OpenReport(file.path())->ParameterFields().at(0);
        const Raised r = raised([&] { field->SetCurrentValue(value); });
        QCOMPARE(r.number, taken ? 0 : vrt::err::TypeMismatch);
        QCOMPARE(field->HasCurrentValue(), taken);
    }

    void aMissingValueStopsThePrintWhilePromptingIsOn() {
        PrintCapture capture;
        DefinitionFile file(QStringLiteral("parameter name=Title\nparameter name=Note\n"
                                           "[header]\ntext \"{Title}|{Note}|{CompanyName}\"\n"));
        Application app;
        auto report = app.OpenReport(file.path());
        report->ParameterFields()[0]->SetCurrentValue(QStringLiteral("RESULT"));
        report->setCompanyName(QStringLiteral("ST. ALBAN"));
        const Raised r = raised([&] { report->PrintOut(false); });
        QCOMPARE(r.number, errMissingValue);
        QCOMPARE(r.description, QStringLiteral("The parameter field Note has no value."));
        QCOMPARE(capture.files(), QStringList());

        report->setPromptForMissingValues(false);
        report->PrintOut(false);
        QCOMPARE(PrintCapture::text(capture.files().value(0)),
                 QStringLiteral("RESULT||ST. ALBAN\n"));
    }

    void anUnknownFieldNamesItsLine() {
        PrintCapture capture;
        DefinitionFile file(QStringLiteral("[header]\nblank\ntext \"{Nothing}\"\n"));
        Application app;
        const Raised r = raised([&] { app.OpenReport(file.path())->PrintOut(false); });
        QCOMPARE(r.number, errUnknownField);
        QCOMPARE(
            r.description,
            QStringLiteral("Test.RPT, line 3: {Nothing} is neither a parameter nor a column."));
        QCOMPARE(capture.files(), QStringList());
    }

    void bandsAreLaidOut() {
        PrintCapture capture;
        DefinitionFile file(
            QStringLiteral("page margins=36,36,36,36\n"
                           "parameter name=Name\nparameter name=Long\n"
                           "[header]\n"
                           "text center \"{Name}\"\n"
                           "text right \"Page top\"\n"
                           "text \"[{Name:8}][{Name:^8}][{Name:>8}][{Name:2}] {{braces}}\"\n"
                           "[footer]\n"
                           "text indent=4 \"{Long}\"\n"));
        Application app;
        auto report = app.OpenReport(file.path());
        report->ParameterFields()[0]->SetCurrentValue(QStringLiteral("ANA"));
        QString words;
        for (int i = 0; i < 30; ++i)
            words += QStringLiteral("word%1 ").arg(i, 2, 10, QLatin1Char('0'));
        report->ParameterFields()[1]->SetCurrentValue(words + QStringLiteral("\r\nlast line"));
        report->PrintOut(false);
        const QString pdf = capture.files().value(0);
        const QString diff = differenceFromExpected(
            PrintCapture::text(pdf), QStringLiteral("reportengine/expected/bands.pdf.txt"));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        // The footer ends at the bottom margin; the header starts at the top one.
        double top = 1000, bottom = 0;
        for (const auto& w : PrintCapture::words(pdf)) {
            top = qMin(top, w.yMin);
            bottom = qMax(bottom, w.yMax);
        }
        QVERIFY2(top > 35.5 && top < 40, qPrintable(QString::number(top)));
        QVERIFY2(bottom <= 792 - 36 && bottom > 792 - 42, qPrintable(QString::number(bottom)));
    }

    void aTableThatCannotBeReadIsNamed_data() {
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        const QString engineTest = QStringLiteral("Provider=SQLite;Data Source=memory:engine-test");
        QTest::newRow("no data source") << "LABORATORY.dbo.tbLabPrint" << QString() << errDatabase
                                        << "Table t: there is no data source to log on to.";
        QTest::newRow("location without owner")
            << "tbLabPrint" << engineTest << errDefinition
            << "The location tbLabPrint of table t is not database.owner.table.";
        QTest::newRow("missing table") << "LABORATORY.dbo.tbMissing" << engineTest << errDatabase
                                       << "The report cannot read table t: ";
    }
    void aTableThatCannotBeReadIsNamed() {
        QFETCH(QString, location);
        QFETCH(QString, source);
        QFETCH(int, number);
        QFETCH(QString, description);
        PrintCapture capture;
        DefinitionFile file(QStringLiteral("table name=t location=") + location + u'\n');
        Application app;
        app.setDefaultDataSource(source);
        const Raised r = raised([&] { app.OpenReport(file.path())->PrintOut(false); });
        QCOMPARE(r.number, number);
        QVERIFY2(r.description.startsWith(description), qPrintable(r.description));
        QCOMPARE(capture.files(), QStringList());
    }
};

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
