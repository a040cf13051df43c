// The scripted user of an offscreen run: it waits for each window the
// library opens and works it as a technologist would, by keys and clicks.
#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>

namespace {

void type(QWidget* window, const QString& box, const QString& text) {
    auto* w = window->findChild<QWidget*>(box);
    if (!w)
        return;
    w->setFocus();
    for (const QChar c : text) {
        for (const auto kind : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent key(kind, c.toUpper().unicode(), Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &key);
        }
    }
}

void click(QWidget* window, const QString& button) {
    if (auto* b = window->findChild<QAbstractButton*>(button))
        b->click();
}

void work(QWidget* window) {
    QTextStream out(stdout);
    const QString name = window->objectName();
    out << "scripted user: " << name << Qt::endl;
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        out << "  message: " << box->text() << "\n";
        box->defaultButton() ? box->defaultButton()->click() : box->accept();
    } else if (name == QLatin1String("frmUrinalysis2")) {
        const QStringList physical{"yellow", "6.0", "clear", "1.015", "0-2/hpf", "0-1/hpf"};
        for (int i = 0; i < physical.size(); ++i)
            type(window, QStringLiteral("txtResults(%1)").arg(i), physical[i]);
        click(window, QStringLiteral("cmdExam(2)")); // Print & Save
    } else if (name == QLatin1String("frmCorrectionReason")) {
        // A released request saved again is a correction: say why.
        type(window, QStringLiteral("txtReason"), QStringLiteral("Re-entered on workstation B"));
        click(window, QStringLiteral("cmdReason(0)"));
    }
    if (window->isVisible()) // not saved, or a window this user does not know
        window->close();
}

// Counts the message boxes that report an error, with a display or without.
class ErrorWatch : public QObject {
public:
    int shown = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box && event->type() == QEvent::Show && box->icon() == QMessageBox::Critical)
            ++shown;
        return false;
    }
};

ErrorWatch& errorWatch() {
    static auto* watch = [] {
        auto* w = new ErrorWatch;
        qApp->installEventFilter(w);
        return w;
    }();
    return *watch;
}

} // namespace

void watchForErrors() {
    errorWatch();
}

int errorsShown() {
    return errorWatch().shown;
}

void startScriptedUser() {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [] {
        QWidget* window = QApplication::activeModalWidget();
        if (!window || window->property("scripted").toBool())
            return;
        window->setProperty("scripted", true);
        // Worked from its own event, so the next window can be seen meanwhile.
        QTimer::singleShot(0, window, [window] { work(window); });
    });
    poll->start(100);
}
