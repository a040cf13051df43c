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

    // Lists the log book again; the selection stays on the request that was
    // selected (or on the row that took its place).
    void refresh();
    void enterSelected();
    // The History view of the selected request: audit trail and printed
    // reports, with reprint.
    void showHistory();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Lists the log book and selects the request, or, when it is no longer
    // listed, the row at its place; returns whether it is still listed.
    bool listSelecting(const QString& request, int row);
    QString selectedRequest() const;

    Laboratory& laboratory_;
    QTableWidget* list_;
    QCheckBox* showAll_;
    QLabel* lastResult_;
};
