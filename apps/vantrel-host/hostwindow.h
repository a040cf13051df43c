#pragma once

#include "laboratory.h"

#include <QMainWindow>

class QCheckBox;
class QLabel;
class QTableWidget;

// The laboratory application's work list: the log book's requests; choosing
// one hands it to the result-entry component.
class HostWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit HostWindow(Laboratory& laboratory);

    void refresh();
    void enterSelected();

private:
    Laboratory& laboratory_;
    QTableWidget* list_;
    QCheckBox* showAll_;
    QLabel* lastResult_;
};
