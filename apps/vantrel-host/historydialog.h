#pragma once

#include "laboratory.h"

#include <QDialog>

class QLabel;
class QTableWidget;

// What happened to one request: its audit trail (every changed value,
// verification, correction reason and print) and the reports printed for
// it, any of which can be printed again as it first came out.
class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    HistoryDialog(Laboratory& laboratory, const QString& request, QWidget* parent = nullptr);

    // Prints the selected archived report again; says where in the dialog.
    void reprintSelected();

private:
    void load();

    Laboratory& laboratory_;
    QString request_;
    QTableWidget* audit_;
    QTableWidget* reports_;
    QLabel* said_;
};
