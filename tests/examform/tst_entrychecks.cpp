#include "support/errors.h"
#include "support/labsession.h"
#include "support/rows.h"
#include "support/scripteduser.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

namespace {

const QString needsNumber = QStringLiteral(
    "FBS needs a number as its result. A qualifier or a comment such as \">500\" or \"Hemolysed\" "
    "goes into the remarks.");
const QString notTaken =
    QStringLiteral("The text was not taken: it holds %1, which cannot be stored.");
const QString held = QStringLiteral("%1 holds %2, which cannot be stored.");
// An emoji (outside the basic plane), a combining accent, CJK and Greek.
const QString unicode =
    QString::fromUtf8("POS \xF0\x9F\xA7\xAA e\xCC\x81 \xE8\xA1\x80\xE6\xB6\xB2 \xCE\xA9");

// Keys to whatever has the focus: "\n" is Enter, "\t" Tab.
void press(const QString& keys) {
    for (QChar c : keys) {
        QWidget* w = QApplication::focusWidget();
        QVERIFY2(w, "nothing has the focus");
        c == u'\n'   ? QTest::keyClick(w, Qt::Key_Return)
        : c == u'\t' ? QTest::keyClick(w, Qt::Key_Tab)
                     : QTest::keyClicks(w, QString(c));
    }
}

QString focusedText() {
    auto* entry = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    return entry ? entry->text() : QStringLiteral("<no result has the focus>");
}

} // namespace

class TestEntryChecks : public QObject {
    Q_OBJECT
    std::unique_ptr<LabSession> lab_;

    void addExam(const char* type, const QStringList& data, const char* id = "101") {
        std::vector<vrt::Variant> items(1);
        items.insert(items.end(), data.begin(), data.end());
        lab_->object().Clear_Exams();
        lab_->object().Add_Exam("1", 1, "R", "LR26-0009", false, type, id, "FBS",
                                vrt::Variant::array(items), true);
    }
    // The form's script ends with Save and the sign-off, or with Cancel.
    void run(ScriptedUser& user, ScriptedUser::FormScript& form, bool save) {
        form.click(save ? "cmdExam(0)" : "cmdExam(1)");
        if (save)
            user.expectForm("frmRemarksInput").click("cmdFinish(0)");
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
    }
    QString stored(const QString& column) {
        const auto rows = lab_->rows("select " + column +
                                     " from LABORATORY..tbLabResultValues "
                                     "where RequestNum = 'LR26-0009'");
        return rows.isEmpty() ? QStringLiteral("<none>") : rows[0][0];
    }

private slots:
    void initTestCase_data() { addBackendRows(); }
    void init() {
        FETCH_LAB_SESSION(lab_);
        lab_->request("LR26-0009", "1", "101", "FBS");
        lab_->object().EditMode(true);
    }
    void cleanup() { lab_.reset(); }

    // Keys go to the first result from the moment the form opens. A result
    // the save reads as a number is refused when the cell is left and again
    // at Save, and keeps the focus; an accepted one is stored as stated.
    void numbersAtTheCell_data() {
        addColumns<QString, QStringList, QString, QString>("type", "data", "keys", "stored");
        const QStringList range{"70", "110", "", "mg/dL"}, conv{"", "", "0", "200"}, si{"", "0-41"};
        addRows<QString, QStringList, QString, QString>({
            {"0 qualifier", "1", range, ">500\n", ""},
            {"0 comment left by Tab", "1", range, "Hemolysed\t", ""},
            {"0 decimal comma", "1", range, "1,5\n", "A4=1.5"},
            {"0 text range keeps text", "C", {"up to 20"}, ">500\n", "A5=>500"},
            {"5 qualifier", "8", conv, ">500\n", ""},
            {"5 SI comment", "8", conv, "\nHemolysed\n", ""},
            {"5 decimal comma", "8", conv, "1,5\n", "C1=1.5"},
            {"9 comment", "N", si, "Hemolysed\n", ""},
            {"9 SI decimal comma", "N", si, "2\n1,25\n", "C2=1.25"},
            {"9 thousands or decimal", "N", si, "1,500\n", ""},
        });
    }
    void numbersAtTheCell() {
        QFETCH(QString, type);
        QFETCH(QStringList, data);
        QFETCH(QString, keys);
        QFETCH(QString, stored);
        addExam(qPrintable(type), data);
        ScriptedUser user;
        auto& form = user.expectForm("frmExamForm").run([keys](forms::Form&) { press(keys); });
        if (stored.isEmpty()) {
            user.expectMessage(needsNumber); // leaving the cell
            user.expectMessage(needsNumber); // Save
            const auto kept = [typed = keys.trimmed().section(u'\n', -1)](forms::Form&) {
                QCOMPARE(focusedText(), typed);
            };
            form.run(kept).click("cmdExam(0)").run(kept);
        }
        run(user, form, !stored.isEmpty());
        const QString column = stored.isEmpty() ? QStringLiteral("A4") : stored.section('=', 0, 0);
        QCOMPARE(column + '=' + this->stored(column), stored.isEmpty() ? "A4=<none>" : stored);
    }

    // Text no statement stores faithfully is refused where it comes in, by
    // the host or into a box; valid Unicode text is stored exactly.
    void unstorableText_data() {
        addColumns<QString, QString, QString>("where", "text", "refusal");
        addRows<QString, QString, QString>({
            {"PatName NUL", "PatName", QStringLiteral("DELA\0CRUZ"),
             held.arg("PatName", "the control character U+0000 at character 5")},
            {"Remarks lone surrogate", "Remarks", QStringLiteral("ok ") + QChar(0xD83D),
             held.arg("Remarks", "an unpaired surrogate U+D83D at character 4")},
            {"Data NUL", "Data", QStringLiteral("POS\0"),
             held.arg("Add_Exam varData(1)", "the control character U+0000 at character 4")},
            {"statement NUL", "statement", QStringLiteral("a\0b"),
             held.arg("A quoted value", "the control character U+0000 at character 2")},
            {"Data Unicode", "Data", unicode, ""},
            {"cell NUL", "cell", QStringLiteral("POS\0"),
             notTaken.arg("the control character U+0000")},
            {"cell surrogate", "cell", QChar(0xDE00) + QString("x"),
             notTaken.arg("an unpaired surrogate U+DE00")},
            {"cell BEL", "cell", "a\ab", notTaken.arg("the control character U+0007")},
            {"cell Unicode", "cell", unicode + "\ttab\nline", ""},
            {"Widal box NUL", "Widal", QStringLiteral("1:80\0"),
             notTaken.arg("the control character U+0000")},
        });
    }
    void unstorableText() {
        QFETCH(QString, where);
        QFETCH(QString, text);
        QFETCH(QString, refusal);
        const Raised r = raised([&] {
            if (where == "PatName" || where == "Remarks")
                (lab_->object().*(where == "PatName" ? &entry::clsDataEntry::PatName
                                                     : &entry::clsDataEntry::Remarks))(text);
            else if (where == "statement")
                lab_->database().keeper().Execute("select '" + text + "' as x");
            else
                addExam(where == "Widal" ? "H" : "2",
                        where == "Data" ? QStringList{text} : QStringList(),
                        where == "Widal" ? "96" : "101");
        });
        QCOMPARE(r.description, where == "cell" || where == "Widal" ? "" : refusal);
        if (r.number != 0 || where == "PatName" || where == "Remarks" || where == "statement")
            return;
        const QString box = where == "Widal" ? "txtWidalTest(0)" : "ctlscrnShortForm.txtEntry(0)";
        ScriptedUser user;
        auto& form = user.expectForm(where == "Widal" ? "frmWidalTest" : "frmExamForm");
        if (where != "Data")
            form.run([box, text](forms::Form& f) {
                QApplication::clipboard()->setText(text);
                QTest::keyClick(f.findChild<QWidget*>(box), Qt::Key_V, Qt::ControlModifier);
            });
        if (!refusal.isEmpty()) {
            user.expectMessage(refusal);
            form.run([box](forms::Form& f) {
                const QWidget* w = f.findChild<QWidget*>(box);
                QCOMPARE(w->property(w->inherits("QLineEdit") ? "text" : "plainText"), "");
            });
        }
        run(user, form, refusal.isEmpty());
        if (refusal.isEmpty())
            QCOMPARE(stored("A5"), QString(text).replace("\n", "\r\n"));
    }
};

QTEST_MAIN(TestEntryChecks)
#include "tst_entrychecks.moc"
