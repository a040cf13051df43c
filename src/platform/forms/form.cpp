#include "form.h"

#include "errorguard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>
#include <QStyle>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace forms {

namespace {

ModalHook& hook() {
    static ModalHook h;
    return h;
}

// Forms closed while they were being shown, destroyed once the modal call
// has returned.
thread_local std::vector<std::unique_ptr<Form>> unloadedForms;

thread_local Identity current;

// The body's scroll area asks for all that the body needs, so a window is
// as large as its controls until the screen limits it; it scrolls only
// then.
class BodyArea : public QScrollArea {
public:
    explicit BodyArea(QWidget* parent) : QScrollArea(parent) {
        setObjectName(QStringLiteral("scrBody"));
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        setFocusPolicy(Qt::NoFocus);
    }
    QSize sizeHint() const override {
        const QWidget* w = widget();
        return w->sizeHint().expandedTo(w->minimumSizeHint()).expandedTo(w->minimumSize());
    }
    QSize minimumSizeHint() const override { return {120, 80}; }
};

// The window's frame around its client area; before the window manager has
// framed it, a title bar and thin edges are assumed.
QMargins frameOf(const QWidget* w) {
    const QRect f = w->frameGeometry(), g = w->geometry();
    if (f != g)
        return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                f.bottom() - g.bottom()};
    constexpr int edge = 4, titleBar = 32;
    return {edge, titleBar, edge, edge};
}

} // namespace

bool Identity::isEmpty() const {
    for (const QString* part : {&patient, &hospitalNumber, &age, &sex, &request})
        if (!part->trimmed().isEmpty())
            return false;
    return true;
}

QString Identity::caption() const {
    QStringList parts;
    for (const QString* part : {&patient, &hospitalNumber, &request})
        if (!part->trimmed().isEmpty())
            parts << part->trimmed();
    return parts.join(QStringLiteral(" - "));
}

const Identity& currentIdentity() {
    return current;
}

IdentityScope::IdentityScope(Identity identity) : previous_(std::exchange(current, identity)) {}

IdentityScope::~IdentityScope() {
    current = std::move(previous_);
}

namespace detail {

namespace {
// Forms still loaded when the thread ends: destroyed with it while the
// application object lives, else left to the process's end (widgets cannot
// be destroyed without it).
struct Registry {
    std::map<std::type_index, std::unique_ptr<Form>> forms;
    ~Registry() {
        if (!QCoreApplication::instance())
            for (auto& [type, form] : forms)
                (void)form.release();
    }
};
} // namespace

std::map<std::type_index, std::unique_ptr<Form>>& registry() {
    thread_local Registry r;
    return r.forms;
}

// Takes the form out of the registry; it is destroyed at once when nothing
// of it is running, else when its modal show returns.
void release(Form* form) {
    auto& r = registry();
    for (auto it = r.begin(); it != r.end(); ++it) {
        if (it->second.get() == form) {
            std::unique_ptr<Form> owned = std::move(it->second);
            r.erase(it);
            unloadedForms.push_back(std::move(owned));
            break;
        }
    }
}

} // namespace detail

void destroyIfUnloaded(Form* form) {
    if (!form->unloaded_ || form->modalDepth_ > 0)
        return;
    for (auto it = unloadedForms.begin(); it != unloadedForms.end(); ++it) {
        if (it->get() == form) {
            std::unique_ptr<Form> dying = std::move(*it);
            unloadedForms.erase(it);
            dying.release()->deleteLater();
            return;
        }
    }
}

QString linesOf(const QTextEdit* box) {
    return box->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

void setLines(QTextEdit* box, const QString& text) {
    box->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

ModalHook setModalHook(ModalHook h) {
    return std::exchange(hook(), std::move(h));
}

Form::Form(QWidget* parent) : QDialog(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // The banner names the patient in the window itself: a title bar is not
    // drawn on every screen, and the name must be read from a step away.
    auto* banner = new QFrame(this);
    banner_ = banner;
    banner->setObjectName(QStringLiteral("fraPatient"));
    banner->setFrameShape(QFrame::StyledPanel);
    banner->setAutoFillBackground(true);
    QPalette colours = banner->palette();
    colours.setColor(QPalette::Window, QColor(0xfd, 0xf3, 0xc8));
    colours.setColor(QPalette::WindowText, QColor(0x1a, 0x1a, 0x1a));
    banner->setPalette(colours);
    lblPatient_ = new QLabel(banner);
    lblPatient_->setObjectName(QStringLiteral("lblPatient"));
    lblPatientDetails_ = new QLabel(banner);
    lblPatientDetails_->setObjectName(QStringLiteral("lblPatientDetails"));
    for (auto [label, points] : {std::pair{lblPatient_, 16}, std::pair{lblPatientDetails_, 12}}) {
        QFont f = label->font();
        f.setPointSize(points);
        f.setBold(true);
        label->setFont(f);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
    }
    auto* lines = new QVBoxLayout(banner);
    lines->setContentsMargins(12, 4, 12, 4);
    lines->setSpacing(0);
    lines->addWidget(lblPatient_);
    lines->addWidget(lblPatientDetails_);
    banner->setVisible(false);

    scroll_ = new BodyArea(this);
    body_ = new QWidget;
    body_->setObjectName(QStringLiteral("body"));
    scroll_->setWidget(body_);

    auto* buttons = new QWidget(this);
    buttons->setObjectName(QStringLiteral("buttons"));
    buttonRow_ = new QHBoxLayout(buttons);
    const int margin = style()->pixelMetric(QStyle::PM_LayoutLeftMargin);
    buttonRow_->setContentsMargins(margin, 0, margin, margin);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(banner);
    outer->addWidget(scroll_, 1);
    outer->addWidget(buttons);

    // A control reached by Tab or Enter in a scrolled body is brought into view.
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && body_->isAncestorOf(now))
            scroll_->ensureWidgetVisible(now, 8, 8);
    });
}

Form::~Form() {
    disconnect(focusWatch_);
}

void Form::setTop(int twips) {
    ensureLoaded();
    move(x(), twips / TwipsPerPixel);
}

void Form::setLeft(int twips) {
    ensureLoaded();
    move(twips / TwipsPerPixel, y());
}

void Form::setIdentity(const Identity& identity) {
    const QString caption = Caption();
    caption_ = caption;
    const QString who = identity.caption();
    setWindowTitle(who.isEmpty() ? caption : caption + QStringLiteral(" - ") + who);
}

void Form::showIdentity() {
    const Identity& who = currentIdentity();
    lblPatient_->setText(who.patient.trimmed());
    // A narrow window wraps the line between its items, never inside one.
    const auto item = [](const char* label, const QString& value) {
        QString text = QLatin1String(label) + QStringLiteral(" : ") + value.trimmed();
        return text.replace(u' ', QChar::Nbsp);
    };
    lblPatientDetails_->setText(QStringList{item("Hosp. No.", who.hospitalNumber),
                                            item("Age", who.age), item("Sex", who.sex),
                                            item("Request No.", who.request)}
                                    .join(QStringLiteral("    ")));
    banner_->setVisible(!who.isEmpty());
}

void Form::fitToScreen() {
    buttonRow_->parentWidget()->setVisible(buttonRow_->count() > 0);
    QScreen* screen = QGuiApplication::screenAt(pos());
    if (!screen)
        screen = this->screen();
    const QRect area = screen->availableGeometry();
    const QMargins frame = frameOf(this);
    const QSize room = area.size().shrunkBy(frame);

    QLayout* outer = layout();
    outer->activate();
    const QSize hint = outer->sizeHint();
    int w = std::min(std::max(width(), hint.width()), room.width());
    // The banner's lines wrap in a narrow window.
    int h = std::max(height(),
                     outer->hasHeightForWidth() ? outer->totalHeightForWidth(w) : hint.height());
    if (h > room.height()) {
        // The body scrolls: its scroll bar takes room beside it.
        w = std::min(w + scroll_->verticalScrollBar()->sizeHint().width(), room.width());
        h = room.height();
    }
    resize(w, h);
    if (!testAttribute(Qt::WA_Moved))
        return; // the dialog centres itself on the screen

    // Moved only as far as it takes to bring the whole window on the screen.
    const QSize outside = size().grownBy(frame);
    const int x = std::clamp(pos().x(), area.left(),
                             std::max(area.left(), area.right() + 1 - outside.width()));
    const int y = std::clamp(pos().y(), area.top(),
                             std::max(area.top(), area.bottom() + 1 - outside.height()));
    move(x, y);
}

void Form::ensureLoaded() {
    if (loaded_)
        return;
    loaded_ = true;
    // Buttons act only when clicked or activated with Space: Enter belongs to
    // the boxes, as on the forms this library was designed with.
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    try {
        Form_Load();
    } catch (...) {
        Unload();
        throw;
    }
}

void Form::ShowModal() {
    ensureLoaded();
    if (unloaded_)
        return;
    showIdentity();
    fitToScreen();
    ++modalDepth_;
    struct Leave {
        Form* f;
        ~Leave() {
            --f->modalDepth_;
            destroyIfUnloaded(f);
        }
    } leave{this};
    if (hook())
        hook()(*this);
    else
        exec();
}

void Form::Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    if (isVisible())
        done(QDialog::Rejected);
    detail::release(this);
    destroyIfUnloaded(this);
}

void Form::keyPressEvent(QKeyEvent* event) {
    // Escape does not close a form; its own buttons do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!unloaded_) {
        unloaded_ = true;
        detail::release(this);
        // Destroyed when the modal show returns.
    }
    QDialog::closeEvent(event);
}

bool Form::eventFilter(QObject* watched, QEvent* event) {
    if (backquote_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->text() == QLatin1String("'")) {
            QKeyEvent backquote(QEvent::KeyPress, Qt::Key_QuoteLeft, key->modifiers(),
                                QStringLiteral("`"), key->isAutoRepeat(), key->count());
            QApplication::sendEvent(watched, &backquote);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace forms
