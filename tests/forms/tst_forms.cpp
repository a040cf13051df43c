// The forms and controls every window is built of: form loading, keys,
// errors in handlers, the scripted user, and the result entry screens.

#include "platform/controls/flatbutton.h"
#include "platform/entryscreens/entryscreen.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/errorguard.h"
#include "platform/forms/form.h"
#include "platform/forms/keys.h"
#include "platform/forms/msgbox.h"
#include "support/errors.h"
#include "support/printcapture.h"
#include "support/rows.h"
#include "support/scripteduser.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <memory>

using entryscreens::EntryScreen;

namespace {

int loads = 0;

// A small form with the shared behaviours switched on per box.
class frmSample : public forms::Form {
public:
    frmSample() {
        setObjectName(QStringLiteral("frmSample"));
        auto* layout = new QVBoxLayout(body());
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

// Element 0 unused, then the texts.
vrt::Variant data(const QStringList& elements) {
    std::vector<vrt::Variant> items(1);
    for (const QString& e : elements)
        items.emplace_back(e);
    return vrt::Variant::array(std::move(items));
}

QStringList result(EntryScreen& screen, const QString& title) {
    vrt::Variant r = vrt::Variant::array({vrt::Variant()});
    screen.Get_FullResult(title, r);
    QStringList texts;
    for (int k = 1; k <= r.toArray().ubound(); ++k)
        texts << r.toArray().at(k).toString();
    return texts;
}

QWidget* focused() {
    return QApplication::focusWidget();
}

// Types into the focused cell ("\n" as Shift+Enter); Enter ends each text.
void typeAndEnter(const QStringList& texts) {
    for (const QString& text : texts) {
        const QStringList parts = text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < parts.size(); ++i) {
            if (i > 0)
                QTest::keyClick(focused(), Qt::Key_Return, Qt::ShiftModifier);
            QTest::keyClicks(focused(), parts[i]);
        }
        QTest::keyClick(focused(), Qt::Key_Return);
    }
}

// A window holding the screens, stacked and linked as the exam form stacks them.
struct Stack {
    QWidget window;
    std::vector<EntryScreen*> screens;
    explicit Stack(const std::vector<int>& indexes) {
        auto* layout = new QVBoxLayout(&window);
        for (int index : indexes) {
            screens.push_back(entryscreens::newScreen(index, &window));
            layout->addWidget(screens.back());
            screens.back()->setDefaultHeight(300);
            screens.back()->Clear();
        }
        entryscreens::linkScreens(screens);
    }
    void show() {
        window.resize(900, 700);
        window.show();
        for (EntryScreen* s : screens)
            s->Show_Table();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
};

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

    // A cell's text is drawn pixel for pixel where QPainter draws it after
    // cutting it to the cell: fitting, cut, clipped to a low cell, centred,
    // ligatures, right-to-left script, and the tab and line break that take
    // QPainter's own way.
    void cellTextDrawsAsQPainterDoes_data() {
        addColumns<QString, int, int>("text", "height", "flags");
        const int left = Qt::AlignLeft | Qt::AlignVCenter, centre = Qt::AlignCenter;
        // clang-format off
        QTest::newRow("previous") << "93  12/18/2026" << 22 << left;
        QTest::newRow("odd height") << "70 - 110 (general)" << 21 << left;
        QTest::newRow("even height") << "75 - 115" << 20 << left;
        QTest::newRow("low cell") << "mg/dL" << 9 << left;
        QTest::newRow("flag") << "H" << 20 << centre;
        QTest::newRow("alarm") << "CRITICAL" << 23 << centre;
        QTest::newRow("cut") << "A title far too long for any of the widths tried" << 22 << left;
        QTest::newRow("ligature") << "ﬁne ffi \u2265 70" << 22 << left;
        QTest::newRow("right to left") << "\u0645\u0631\u062d\u0628\u0627 12" << 22 << centre;
        QTest::newRow("spaces") << " lead trail " << 22 << left;
        QTest::newRow("tab") << "a\tb" << 22 << left;
        QTest::newRow("line break") << "a\nb" << 12 << left;
        // clang-format on
    }
    void cellTextDrawsAsQPainterDoes() {
        QFETCH(QString, text);
        QFETCH(int, height);
        QFETCH(int, flags);
        for (const int points : {8, 10, 12})
            for (int width = 1; width < 160; width += 3) {
                QFont font = QApplication::font();
                font.setPointSize(points);
                font.setBold(points == 12);
                const QRect r(3, 5, width, height);
                auto paint = [&font](const std::function<void(QPainter&)>& draw) {
                    QImage image(180, 40, QImage::Format_ARGB32_Premultiplied);
                    image.fill(Qt::white);
                    QPainter p(&image);
                    p.setLayoutDirection(Qt::LeftToRight); // as on a screen
                    p.setFont(font);
                    draw(p);
                    return image;
                };
                const QImage drawn =
                    paint([&](QPainter& p) { entryscreens::drawCellText(p, r, text, flags); });
                const QImage qt = paint([&](QPainter& p) {
                    p.drawText(r, flags,
                               p.fontMetrics().elidedText(text, Qt::ElideRight, r.width()));
                });
                if (drawn != qt)
                    QFAIL(qPrintable(QStringLiteral("%1 points, width %2").arg(points).arg(width)));
            }
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

    // Data pre-fills a row, typing replaces what the cell held, and
    // Get_FullResult answers for the exam named by its title.
    void fullResult() {
        VERIFY_TRANSCRIPT(QStringLiteral("forms/expected/full_result.txt"),
                          [](const QString& input) {
                              QString rest = input.section(u' ', 1);
                              Stack stack({input.section(u' ', 0, 0).toInt()});
                              EntryScreen& s = *stack.screens[0];
                              const QString prompts = takeQuoted(rest);
                              s.setTextLookup([&](const QString& id) {
                                  return id == "E1" ? prompts : QString();
                              });
                              if (rest.startsWith(u'-')) {
                                  rest = rest.mid(1).trimmed();
                                  s.Add_Exam("0", "Exam", "E1");
                              } else {
                                  s.Add_Exam("0", "Exam", "E1", data(takeQuoted(rest).split(u'|')));
                              }
                              // A second exam after it must not answer for the first.
                              s.Add_Exam("0", "Other", "E2", data({"1", "2", "3"}));
                              stack.show();
                              if (!s.focusFirst())
                                  return QStringLiteral("no cell takes the focus");
                              typeAndEnter(takeQuoted(rest).split(u'|'));
                              return quotedText(result(s, "Exam").join(u'|'));
                          });
    }

    // Enter walks a 20-exam panel, skips a hidden screen and goes on into the
    // next visible one; Up and Down move between exams and across screens.
    void keyboardPath() {
        Stack stack({0, 1, 6});
        auto& panel = *stack.screens[0];
        for (int i = 1; i <= 20; ++i)
            panel.Add_Exam("0", QStringLiteral("Exam %1").arg(i), "CH", data({"1", "30", "9"}));
        stack.screens[1]->Add_Exam("1", "Notes", "N1");
        stack.screens[1]->setVisible(false);
        auto& conv = *stack.screens[2];
        conv.Add_Exam("7", "Glucose", "G", data({"", "", "70", "110", "mg/dL", "0.0555"}));
        conv.Add_Exam("7", "Uric acid", "U");
        stack.show();
        const auto cells = panel.resultCells();
        const auto convCells = conv.resultCells();
        QCOMPARE(cells.size(), size_t(20));
        QCOMPARE(convCells.size(), size_t(3)); // Glucose's SI result is worked out
        QVERIFY(panel.focusFirst());
        QStringList values;
        for (int i = 1; i <= 20; ++i)
            values << QString::number(i * 2);
        typeAndEnter(values);
        QCOMPARE(focused(), convCells[0]);
        typeAndEnter({"95", "5", "0.3"});
        QCOMPARE(focused(), convCells[2]); // nothing after the last screen
        QCOMPARE(result(panel, "Exam 1"), (QStringList{"1", "30", "2", "", "", "Exam 1"}));
        QCOMPARE(result(panel, "Exam 20"), (QStringList{"1", "30", "40", "", "H", "Exam 20"}));
        QCOMPARE(result(conv, "Glucose").mid(0, 2), (QStringList{"95", "5.27"}));
        QCOMPARE(result(conv, "Uric acid").mid(0, 2), (QStringList{"5", "0.3"}));

        const struct {
            Qt::Key key;
            QWidget* lands;
        } walk[] = {{Qt::Key_Up, convCells[0]},   {Qt::Key_Up, cells[19]},
                    {Qt::Key_Up, cells[18]},      {Qt::Key_Down, cells[19]},
                    {Qt::Key_Down, convCells[0]}, {Qt::Key_Down, convCells[1]}};
        for (const auto& step : walk) {
            QTest::keyClick(focused(), step.key);
            QCOMPARE(focused(), step.lands);
        }
        // A cell reached by the keyboard is selected: typing replaces it.
        QCOMPARE(static_cast<QLineEdit*>(focused())->selectedText(), QStringLiteral("5"));
    }

    void finalResultTakesYesOrNo() {
        QList<forms::Message> shown;
        const auto previous = forms::setMessageSink([&](const forms::Message& m) {
            shown << m;
            return int(forms::vbOK);
        });
        Stack stack({5});
        stack.screens[0]->Add_Exam("5", "Culture", "C1");
        stack.show();
        auto* yesNo = stack.screens[0]->resultCells()[1];
        QTest::keyClicks(yesNo, "xn");
        forms::setMessageSink(previous);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("Final Result (Y/N) takes Y or N."));
        QCOMPARE(shown[0].icon, forms::MsgIcon::Exclamation);
        QCOMPARE(result(*stack.screens[0], "Culture")[4], QStringLiteral("N"));
    }

    void nothingIsCutOff() {
        Stack stack({0});
        stack.screens[0]->Add_Exam("0", "Remark", "R");
        const QString longText(40000, QLatin1Char('a'));
        static_cast<QLineEdit*>(stack.screens[0]->resultCells()[0])->insert(longText);
        QCOMPARE(result(*stack.screens[0], "Remark")[2].size(), 40000);
    }

    // Rows, Lines, Clear, sizes in twips, exams sharing a title.
    void contract() {
        std::unique_ptr<EntryScreen> screen(entryscreens::newScreen(3));
        EntryScreen& s = *screen;
        s.setTextLookup([](const QString& id) { return id == "S1" ? "Color\npH\nOdor" : ""; });
        s.Add_Exam("3", "Urine", "S1");
        s.Add_Exam("3", "Urine", "S2", data({"A\r\nB\r\n"}));
        s.Show_Table();
        QCOMPARE(s.Rows(), 2);
        QCOMPARE(s.Lines(), 5); // three prompt lines, two earlier lines
        QCOMPARE(s.resultCells().size(), size_t(5));
        QCOMPARE(result(s, "Urine"), QStringList{"\r\n\r\n\r\n"});
        QCOMPARE(result(s, "Urine"), QStringList{"A\r\nB\r\n"});
        QCOMPARE(result(s, "Urine"), QStringList{"\r\n\r\n\r\n"});

        s.setTop(-1015);
        s.setLeft(20);
        s.setWidth(9000);
        s.setHeight(5 * 350 + 250);
        QCOMPARE((QList<int>{s.Top(), s.Left(), s.Width(), s.Height()}),
                 (QList<int>{-1015, 20, 9000, 2000}));
        QCOMPARE(s.geometry(), QRect(1, -67, 600, 133));
        QVERIFY(s.Visible());
        s.setVisible(false);
        QVERIFY(!s.Visible());

        s.Clear();
        QCOMPARE(s.Rows(), 0);
        QCOMPARE(s.Lines(), 0);
        QVERIFY(s.resultCells().empty());
        QCOMPARE(raised([&] { result(s, "Urine"); }).number, vrt::err::InvalidProcedureCall);
        QVERIFY(!s.focusFirst());
    }
};

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
