#include "hostwindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
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
    actions->addWidget(showAll_);
    actions->addStretch();
    actions->addWidget(reload);
    actions->addWidget(enter);
    layout->addLayout(actions);
    setCentralWidget(central);

    lastResult_ = new QLabel(this);
    statusBar()->addWidget(lastResult_, 1);

    connect(showAll_, &QCheckBox::toggled, this, &HostWindow::refresh);
    connect(reload, &QPushButton::clicked, this, &HostWindow::refresh);
    connect(enter, &QPushButton::clicked, this, &HostWindow::enterSelected);
    connect(list_, &QTableWidget::cellDoubleClicked, this, [this] { enterSelected(); });
    resize(900, 480);
    refresh();
}

void HostWindow::refresh() {
    const auto requests = laboratory_.requests(showAll_->isChecked());
    list_->setRowCount(static_cast<int>(requests.size()));
    for (int r = 0; r < static_cast<int>(requests.size()); ++r) {
        const PendingRequest& q = requests[static_cast<size_t>(r)];
        const QStringList cells{q.requestNum, q.transDate, q.patient, q.section, q.exams};
        for (int c = 0; c < cells.size(); ++c)
            list_->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    list_->resizeColumnsToContents();
    if (!requests.empty())
        list_->selectRow(0);
}

void HostWindow::enterSelected() {
    const int row = list_->currentRow();
    if (row < 0)
        return;
    const QString request = list_->item(row, 0)->text();
    try {
        const bool saved = laboratory_.enterResults(request);
        lastResult_->setText(
            QStringLiteral("%1: HasSaved = %2")
                .arg(request, saved ? QStringLiteral("True") : QStringLiteral("False")));
    } catch (const vrt::RuntimeError& e) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("Result entry for %1 failed.\n\nError %2: %3")
                                 .arg(request)
                                 .arg(e.number())
                                 .arg(e.description()));
    }
    refresh();
}
