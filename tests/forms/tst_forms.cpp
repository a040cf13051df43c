#include "platform/controls/flatbutton.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/errorguard.h"
#include "platform/forms/form.h"
#include "platform/forms/keys.h"
#include "support/errors.h"
#include "support/rows.h"
#include "support/scripteduser.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

namespace {

int loads = 0;

// A small form with the shared behaviours switched on per box.
class frmSample : public forms::Form {
public:
    frmSample() {
        setObjectName(QStringLiteral("frmSample"));
        auto* layout = new QVBoxLayout(this);
        for (const char* name : {"txtPlain", "txtUpper", "txtEnter", "txtTab", "txtLast"}) {
            auto* box = new QLineEdit(this);
            box->setObjectName(QLatin1String(name));
            layout->addWidget(box);
        }
        forms::upperCaseTyping(box(QStringLiteral("txtUpper")));
        forms::enterMovesFocus(box(QStringLiteral("txtEnter")), this);
        box(QStringLiteral("txtTab"))->installEventFilter(this);
        for (int i = 0; i < 3; ++i) {
            auto* b =
                cmdExam.add(i, new controls::FlatBttn(QStringLiteral("Button %1").arg(i), this));
            layout->addWidget(b);
            forms::connectGuarded(b, &QPushButton::clicked, this, [this, i] { clicked(i); });
        }
    }
    QLineEdit* box(const QString& name) { return findChild<QLineEdit*>(name); }
    forms::ControlArray<QPushButton> cmdExam{QStringLiteral("cmdExam")};
    bool failLoad = false;

protected:
    void Form_Load() override {
        ++loads;
        if (failLoad)
            vrt::raise(vrt::err::TypeMismatch);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == box(QStringLiteral("txtTab")) && forms::isEnter(event)) {
            forms::sendTab();
            return true;
        }
        return Form::eventFilter(watched, event);
    }

private:
    void clicked(int index) {
        if (index == 1)
            vrt::raise(vrt::err::SubscriptOutOfRange);
        if (index == 0)
            Unload();
    }
};

frmSample& sample(forms::Form& f) {
    return static_cast<frmSample&>(f);
}

} // namespace

class TestForms : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { forms::unload<frmSample>(); }

    void instanceLoadsOnceAndUnloadStartsAfresh() {
        loads = 0;
        frmSample* first = &forms::instance<frmSample>();
        QCOMPARE(loads, 0);
        forms::loaded<frmSample>().box(QStringLiteral("txtPlain"))->setText(QStringLiteral("x"));
        forms::loaded<frmSample>();
        QCOMPARE(loads, 1);
        QCOMPARE(&forms::instance<frmSample>(), first);
        forms::unload<frmSample>();
        QVERIFY(!forms::isLoaded<frmSample>());
        QCOMPARE(forms::loaded<frmSample>().box(QStringLiteral("txtPlain"))->text(), QString());
        QCOMPARE(loads, 2);
    }

    void failedLoadLeavesTheFormUnloaded() {
        forms::instance<frmSample>().failLoad = true;
        QCOMPARE(raised([] { forms::instance<frmSample>().ShowModal(); }).number, 13);
        QVERIFY(!forms::isLoaded<frmSample>());
    }

    void keys_data() {
        addColumns<bool, QString, QString, QString>("backquote", "box", "typed", "stored");
        // clang-format off
        QTest::newRow("plain") << false << "txtPlain" << "it's" << "it's";
        QTest::newRow("backquote") << true << "txtPlain" << "it's" << "it`s";
        QTest::newRow("upper") << false << "txtUpper" << "few/hpf" << "FEW/HPF";
        QTest::newRow("upper and backquote") << true << "txtUpper" << "o'k" << "O`K";
        // A letter is upper-cased only into its own capital.
        QTest::newRow("micro sign") << false << "txtUpper" << "5 µl" << "5 µL";
        QTest::newRow("sharp s") << false << "txtUpper" << "maß" << "MAß";
        // clang-format on
    }
    void keys() {
        QFETCH(bool, backquote);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        forms::instance<frmSample>().setKeyPreviewBackquote(backquote);
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmSample"))
            .type(box, typed)
            .run([box, stored](forms::Form& f) { QCOMPARE(sample(f).box(box)->text(), stored); })
            .click(QStringLiteral("cmdExam(0)"));
        forms::instance<frmSample>().ShowModal();
        VERIFY_SCRIPT(user);
    }

    void enterAndTabMoveTheFocus() {
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmSample"))
            .key(QStringLiteral("txtEnter"), Qt::Key_Return)
            .run([](forms::Form& f) {
                QCOMPARE(QApplication::focusWidget(), sample(f).box(QStringLiteral("txtTab")));
            })
            .key(QStringLiteral("txtTab"), Qt::Key_Enter)
            .run([](forms::Form& f) {
                QCOMPARE(QApplication::focusWidget(), sample(f).box(QStringLiteral("txtLast")));
                QCOMPARE(sample(f).box(QStringLiteral("txtEnter"))->text(), QString());
            })
            .key(QStringLiteral("txtPlain"), Qt::Key_Escape)
            .run([](forms::Form& f) { QVERIFY(f.isVisible()); })
            .click(QStringLiteral("cmdExam(0)"));
        forms::instance<frmSample>().ShowModal();
        VERIFY_SCRIPT(user);
    }

    // A flat button shows that it has the focus, and Enter presses it.
    void flatButtonShowsFocusAndTakesEnter() {
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmSample"))
            .run([](forms::Form& f) {
                QPushButton* b = sample(f).cmdExam(0);
                sample(f).box(QStringLiteral("txtPlain"))->setFocus(Qt::TabFocusReason);
                const QImage plain = b->grab().toImage();
                b->setFocus(Qt::TabFocusReason);
                QVERIFY(b->hasFocus());
                const QImage focused = b->grab().toImage();
                QVERIFY(plain != focused);
            })
            .key(Qt::Key_Return);
        forms::instance<frmSample>().ShowModal();
        VERIFY_SCRIPT(user);
        QVERIFY(!forms::isLoaded<frmSample>());
    }

    void anErrorInAHandlerIsShownAndTheFormGoesOn() {
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmSample"))
            .click(QStringLiteral("cmdExam(1)"))
            .run([](forms::Form& f) { QVERIFY(f.isVisible()); })
            .click(QStringLiteral("cmdExam(0)"));
        user.expectMessage(QStringLiteral("Run-time error '9':\n\nSubscript out of range"));
        forms::instance<frmSample>().ShowModal();
        VERIFY_SCRIPT(user);
        QCOMPARE(user.messages().size(), 1);
        QCOMPARE(user.messages().first().icon, forms::MsgIcon::Critical);
    }

    // The scripted user itself must catch what goes wrong.
    void scriptedUserReportsFailures() {
        const std::pair<std::function<void(ScriptedUser&)>, QString> cases[] = {
            {[](ScriptedUser& u) { u.expectForm("frmSample").type("txtPlain", "a"); },
             "frmSample stayed open after its script"},
            {[](ScriptedUser&) {}, "unexpected form frmSample"},
            {[](ScriptedUser& u) {
                 u.expectForm("frmSample").click("cmdExam(1)").click("cmdExam(0)");
             },
             "unexpected message: Run-time error '9':\n\nSubscript out of range"},
            {[](ScriptedUser& u) {
                 u.expectForm("frmSample").type("txtNothing", "a").click("cmdExam(0)");
             },
             "frmSample has no control txtNothing"},
        };
        for (const auto& [script, failure] : cases) {
            ScriptedUser user;
            script(user);
            forms::instance<frmSample>().ShowModal();
            QVERIFY2(user.failures().contains(failure), qPrintable(user.failures().join("; ")));
            QVERIFY(!forms::isLoaded<frmSample>());
        }
    }
};

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
