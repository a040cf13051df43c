#pragma once

#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>

namespace controls {

// A flat button: a push button drawn without a raised frame. The caption
// keeps its access key ("&Save"); an ampersand that stands before a blank
// ("&Print & Save") is shown as itself. Having no frame of its own, it draws
// a frame while it has the focus, and Enter presses it like Space.
class FlatBttn : public QPushButton {
    Q_OBJECT
public:
    explicit FlatBttn(const QString& caption, QWidget* parent = nullptr)
        : QPushButton(QString(caption).replace(QStringLiteral("& "), QStringLiteral("&& ")),
                      parent) {
        setFlat(true);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            !event->isAutoRepeat()) {
            event->accept();
            click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }

    void paintEvent(QPaintEvent* event) override {
        QPushButton::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter p(this);
        QPen pen(palette().color(QPalette::Highlight), 2);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
    }

    void focusInEvent(QFocusEvent* event) override {
        QPushButton::focusInEvent(event);
        update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QPushButton::focusOutEvent(event);
        update();
    }
};

} // namespace controls