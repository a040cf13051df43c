#pragma once

#include <QPushButton>

namespace controls {

// A flat button: a push button drawn without a raised frame. The caption
// keeps its access key ("&Save"); an ampersand that stands before a blank
// ("&Print & Save") is shown as itself.
class FlatBttn : public QPushButton {
    Q_OBJECT
public:
    explicit FlatBttn(const QString& caption, QWidget* parent = nullptr)
        : QPushButton(QString(caption).replace(QStringLiteral("& "), QStringLiteral("&& ")),
                      parent) {
        setFlat(true);
    }
};

} // namespace controls
