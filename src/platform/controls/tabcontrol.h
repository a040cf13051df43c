#pragma once

#include <QTabWidget>

namespace controls {

// Tabbed pages; Tab is the current page's index.
class SSTab : public QTabWidget {
    Q_OBJECT
public:
    using QTabWidget::QTabWidget;
    int Tab() const { return currentIndex(); }
    void setTab(int index) { setCurrentIndex(index); }
};

} // namespace controls
