#pragma once

#include <QPushButton>

namespace controls {

// A flat button: a push button drawn without a raised frame.
class FlatBttn : public QPushButton {
    Q_OBJECT
public:
    explicit FlatBttn(const QString& caption, QWidget* parent = nullptr)
        : QPushButton(caption, parent) {
        setFlat(true);
    }
};

} // namespace controls
