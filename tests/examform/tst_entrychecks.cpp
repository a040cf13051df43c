#include "support/errors.h"
#include "support/labsession.h"
#include "support/rows.h"
#include "support/scripteduser.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

namespace {

const QString needsNumber = QStringLiteral(
    "FBS needs a number as its result. A qualifier or a comment such as \">500\" or \"Hemolysed\" "
    "goes into the remarks.");
const QString notTaken = "The text was not taken: it holds %1, which cannot be stored.";
const QString held = "%1 holds %2, which cannot be stored.";
// An emoji (outside the basic plane), a combining accent, CJK and Greek.
const QString unicode =
    QString::fromUtf8("POS \xF0\x9F\xA7\xAA e\xCC\x81 \xE8\xA1\x80\xE6\xB6\xB2 \xCE\xA9");

// Keys to whatever has the focus: "\n" is Enter, "\t" Tab; "\v" pastes the rest.
void press(const QString& keys) {
    for (qsizetype i = 0; i < keys.size(); ++i) {
        QWidget* w = QApplication::focusWidget();
        QVERIFY2(w, "nothing has the focus");
        if (keys[i] == u'\v') {
            QApplication::clipboard()->setText(keys.mid(i + 1));
            return QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
        }
        keys[i] == u'\n'   ? QTest::keyClick(w, Qt::Key_Return)
        : keys[i] == u'\t' ? QTest::keyClick(w, Qt::Key_Tab)
                           : QTest::keyClicks(w, keys.mid(i, 1));
    }
}

QString focusedText() {
    const QWidget* w = QApplication::focusWidget();
    return w ? w->property(w->inherits("QLineEdit") ? "text" : "plainText").toString() : "<none>";
}

} // namespace

class TestEntryChecks : public QObject {
    Q_OBJECT
    std::unique_ptr<LabSession> lab_;

    void addExam(const QString& type, const QStringList& data) {
        std::vector<vrt::Variant> items(1);
        items.insert(items.end(), data.begin(), data.end());
        lab_->object().Clear_Exams();
        lab_->object().Add_Exam("1", 1, "R", "LR26-0009", false, type, type == "H" ? "96" : "101",
                                "FBS", vrt::Variant::array(items), true);
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
    // at Save, keeping the focus; a pasted text that cannot be stored is not
    // taken; what is accepted is stored as stated ("" nothing is).
    void typedIntoTheForm_data() {
        addColumns<QString, QStringList, QString, QString, QString>("type", "data", "keys",
                                                                    "message", "stored");
        const QStringList range{"70", "110", "", "mg/dL"}, conv{"", "", "0", "200"}, si{"", "0-41"};
        const QString ctl = notTaken.arg("the control character U+%1"), u = unicode;
        addRows<QString, QStringList, QString, QString, QString>({
            {"0 qualifier", "1", range, ">500\n", needsNumber, ""},
            {"0 comment left by Tab", "1", range, "Hemolysed\t", needsNumber, ""},
            {"0 decimal comma", "1", range, "1,5\n", "", "A4=1.5"},
            {"0 text range keeps text", "C", {"up to 20"}, ">500\n", "", "A5=>500"},
            {"5 qualifier", "8", conv, ">500\n", needsNumber, ""},
            {"5 SI comment", "8", conv, "\nHemolysed\n", needsNumber, ""},
            {"5 decimal comma", "8", conv, "1,5\n", "", "C1=1.5"},
            {"9 comment", "N", si, "Hemolysed\n", needsNumber, ""},
            {"9 SI decimal comma", "N", si, "2\n1,25\n", "", "C2=1.25"},
            {"9 thousands or decimal", "N", si, "1,500\n", needsNumber, ""},
            {"box NUL pasted", "2", {}, QStringLiteral("\vPOS\0"), ctl.arg("0000"), ""},
            {"box BEL pasted", "2", {}, "\va\ab", ctl.arg("0007"), ""},
            {"box surrogate",
             "2",
             {},
             QStringLiteral("\v") + QChar(0xDE00),
             notTaken.arg("an unpaired surrogate U+DE00"),
             ""},
            {"box Unicode pasted", "2", {}, "\v" + u + "\tb\nc", "", "A5=" + u + "\tb\r\nc"},
            {"host Unicode kept", "2", {u}, "", "", "A5=" + u},
            {"Widal box NUL pasted", "H", {}, QStringLiteral("\v1:80\0"), ctl.arg("0000"), ""},
        });
    }
    void typedIntoTheForm() {
        QFETCH(QString, type);
        QFETCH(QStringList, data);
        QFETCH(QString, keys);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        addExam(type, data);
        ScriptedUser user;
        auto& form =
            user.expectForm(type == "H" ? "frmWidalTest" : "frmExamForm").run([keys](forms::Form&) {
                press(keys);
            });
        if (!message.isEmpty()) {
            const bool number = message == needsNumber;
            const auto kept = [t = number ? keys.trimmed().section(u'\n', -1) : ""](forms::Form&) {
                QCOMPARE(focusedText(), t);
            };
            user.expectMessage(message);
            form.run(kept);
            if (number) {
                user.expectMessage(message);
                form.click("cmdExam(0)").run(kept);
            }
        }
        form.click(stored.isEmpty() ? "cmdExam(1)" : "cmdExam(0)");
        if (!stored.isEmpty())
            user.expectForm("frmRemarksInput").click("cmdFinish(0)");
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        const QString column = stored.isEmpty() ? "A4" : stored.section(u'=', 0, 0);
        const auto rows = lab_->rows("select " + column + " from LABORATORY..tbLabResultValues " +
                                     "where RequestNum = 'LR26-0009'");
        QCOMPARE(column + '=' + (rows.isEmpty() ? "<none>" : rows[0][0]),
                 stored.isEmpty() ? "A4=<none>" : stored);
    }

    // A host value or a statement that no database stores faithfully is
    // refused, naming where it came.
    void unstorableHostValues_data() {
        addColumns<QString, QString>("text", "error");
        addRows<QString, QString>({
            {"PatName", QStringLiteral("DELA\0CRUZ"),
             held.arg("PatName", "the control character U+0000 at character 5")},
            {"Remarks", QStringLiteral("ok ") + QChar(0xD83D),
             held.arg("Remarks", "an unpaired surrogate U+D83D at character 4")},
            {"Data", QStringLiteral("POS\0"),
             held.arg("Add_Exam varData(1)", "the control character U+0000 at character 4")},
            {"statement", QStringLiteral("a\0b"),
             held.arg("A quoted value", "the control character U+0000 at character 2")},
        });
    }
    void unstorableHostValues() {
        QFETCH(QString, text);
        QFETCH(QString, error);
        const QString where = QTest::currentDataTag();
        const Raised r = raised([&] {
            if (where == "PatName")
                lab_->object().PatName(text);
            else if (where == "Remarks")
                lab_->object().Remarks(text);
            else if (where == "Data")
                addExam("2", {text});
            else
                lab_->database().keeper().Execute("select '" + text + "' as x");
        });
        QCOMPARE(r.description, error);
    }
};

QTEST_MAIN(TestEntryChecks)
#include "tst_entrychecks.moc"
