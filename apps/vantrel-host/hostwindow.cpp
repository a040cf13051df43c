#include "hostwindow.h"

#include "historydialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

HostWindow::HostWindow(Laboratory& laboratory) : laboratory_(laboratory) {
    setWindowTitle(QStringLiteral("Clinical Laboratory - Result Entry"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* heading = new QLabel(QStringLiteral("Log book"), central);
    QFont f = heading->font();
    f.setPointSize(f.pointSize() + 4);
    f.setBold(true);
    heading->setFont(f);
    layout->addWidget(heading);

    list_ = new QTableWidget(central);
    list_->setObjectName(QStringLiteral("requests"));
    list_->setColumnCount(5);
    list_->setHorizontalHeaderLabels({QStringLiteral("Request"), QStringLiteral("Received"),
                                      QStringLiteral("Patient"), QStringLiteral("Section"),
                                      QStringLiteral("Exams")});
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->setVisible(false);
    list_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(list_, 1);

    auto* actions = new QHBoxLayout;
    showAll_ = new QCheckBox(QStringLiteral("Show verified requests too"), central);
    auto* enter = new QPushButton(QStringLiteral("&Enter results..."), central);
    auto* reload = new QPushButton(QStringLiteral("&Refresh"), central);
    auto* history = new QPushButton(QStringLiteral("&History..."), central);
    actions->addWidget(showAll_);
    actions->addStretch();
    actions->addWidget(history);
    actions->addWidget(reload);
    actions->addWidget(enter);
    layout->addLayout(actions);
    setCentralWidget(central);

    lastResult_ = new QLabel(this);
    statusBar()->addWidget(lastResult_, 1);

    connect(showAll_, &QCheckBox::toggled, this, &HostWindow::refresh);
    connect(reload, &QPushButton::clicked, this, &HostWindow::refresh);
    connect(enter, &QPushButton::clicked, this, &HostWindow::enterSelected);
    connect(history, &QPushButton::clicked, this, &HostWindow::showHistory);
    connect(list_, &QTableWidget::cellDoubleClicked, this, [this] { enterSelected(); });
    list_->installEventFilter(this);
    resize(900, 480);
    refresh();
}

bool HostWindow::eventFilter(QObject* watched, QEvent* event) {
    // Enter on a row opens it, as a double click does.
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            enterSelected();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

QString HostWindow::selectedRequest() const {
    const int row = list_->currentRow();
    return row >= 0 && list_->item(row, 0) ? list_->item(row, 0)->text() : QString();
}

void HostWindow::refresh() {
    listSelecting(selectedRequest(), qMax(list_->currentRow(), 0));
}

bool HostWindow::listSelecting(const QString& request, int row) {
    const auto requests = laboratory_.requests(showAll_->isChecked());
    list_->setRowCount(static_cast<int>(requests.size()));
    int found = -1;
    for (int r = 0; r < static_cast<int>(requests.size()); ++r) {
        const PendingRequest& q = requests[static_cast<size_t>(r)];
        const QStringList cells{q.requestNum, q.transDate, q.patient, q.section, q.exams};
        for (int c = 0; c < cells.size(); ++c)
            list_->setItem(r, c, new QTableWidgetItem(cells[c]));
        if (q.requestNum == request)
            found = r;
    }
    // The exams take the room that is left: sized to its contents, the last
    // column grew past the window and took its header out of sight.
    for (int c = 0; c + 1 < list_->columnCount(); ++c)
        list_->resizeColumnToContents(c);
    list_->resizeRowsToContents();
    list_->horizontalScrollBar()->setValue(0);
    if (!requests.empty()) {
        const int select = found >= 0 ? found : qMin(row, static_cast<int>(requests.size()) - 1);
        list_->selectRow(select);
        list_->scrollToItem(list_->item(select, 0));
    }
    return found >= 0;
}

void HostWindow::enterSelected() {
    const int row = list_->currentRow();
    if (row < 0)
        return;
    const QString request = list_->item(row, 0)->text();
    QString said;
    try {
        const bool saved = laboratory_.enterResults(request);
        said = QStringLiteral("%1: HasSaved = %2")
                   .arg(request, saved ? QStringLiteral("True") : QStringLiteral("False"));
    } catch (const vrt::RuntimeError& e) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("Result entry for %1 failed.\n\nError %2: %3")
                                 .arg(request)
                                 .arg(e.number())
                                 .arg(e.description()));
    }
    // The selection stays on the request just worked; once it has left the
    // list, it moves to the next pending request, and the status bar says so.
    if (!listSelecting(request, row) && list_->currentRow() >= 0)
        said += QStringLiteral("%1Selected the next pending request, %2.")
                    .arg(said.isEmpty() ? QString() : QStringLiteral(". "), selectedRequest());
    lastResult_->setText(said);
}

void HostWindow::showHistory() {
    const QString request = selectedRequest();
    if (request.isEmpty())
        return;
    try {
        HistoryDialog(laboratory_, request, this).exec();
    } catch (const vrt::RuntimeError& e) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("The history of %1 cannot be shown.\n\nError %2: %3")
                                 .arg(request)
                                 .arg(e.number())
                                 .arg(e.description()));
    }
}
