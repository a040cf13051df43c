#include "historydialog.h"

#include "dbsetup/archive.h"
#include "platform/ado/recordset.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidget* table(QWidget* parent, const QString& name, const QStringList& headers) {
    auto* t = new QTableWidget(parent);
    t->setObjectName(name);
    t->setColumnCount(int(headers.size()));
    t->setHorizontalHeaderLabels(headers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->setVisible(false);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

void fill(QTableWidget* t, const QList<QStringList>& rows) {
    t->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c) {
            // One line per row: a multi-line value shows its first line.
            QString text = rows[r][c];
            text.replace(QStringLiteral("\r\n"), QStringLiteral(" / ")).replace(u'\n', u' ');
            t->setItem(r, c, new QTableWidgetItem(text));
        }
    t->resizeColumnsToContents();
    for (int c = 0; c < t->columnCount(); ++c)
        t->setColumnWidth(c, qMin(t->columnWidth(c), 260));
}

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

} // namespace

HistoryDialog::HistoryDialog(Laboratory& laboratory, const QString& request, QWidget* parent)
    : QDialog(parent), laboratory_(laboratory), request_(request) {
    setObjectName(QStringLiteral("history"));
    setWindowTitle(QStringLiteral("History of %1").arg(request));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading(QStringLiteral("Audit trail"), this));
    audit_ = table(this, QStringLiteral("audit"),
                   {QStringLiteral("Time"), QStringLiteral("Action"), QStringLiteral("Table"),
                    QStringLiteral("Exam"), QStringLiteral("Value"), QStringLiteral("Previous"),
                    QStringLiteral("New"), QStringLiteral("Employee"), QStringLiteral("Med. tech."),
                    QStringLiteral("Workstation")});
    layout->addWidget(audit_, 3);
    layout->addWidget(heading(QStringLiteral("Printed reports"), this));
    reports_ = table(this, QStringLiteral("reports"),
                     {QStringLiteral("No."), QStringLiteral("Printed"), QStringLiteral("Kind"),
                      QStringLiteral("Report"), QStringLiteral("Employee"),
                      QStringLiteral("Med. tech."), QStringLiteral("Workstation")});
    layout->addWidget(reports_, 2);
    said_ = new QLabel(this);
    layout->addWidget(said_);
    auto* buttons = new QDialogButtonBox(this);
    auto* reprint = buttons->addButton(QStringLiteral("&Reprint"), QDialogButtonBox::ActionRole);
    reprint->setObjectName(QStringLiteral("reprint"));
    buttons->addButton(QDialogButtonBox::Close);
    layout->addWidget(buttons);
    connect(reprint, &QPushButton::clicked, this, &HistoryDialog::reprintSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(reports_, &QTableWidget::cellDoubleClicked, this, &HistoryDialog::reprintSelected);
    resize(1100, 560);
    load();
}

void HistoryDialog::load() {
    QList<QStringList> rows;
    auto rs = laboratory_.connection().Execute(
        QStringLiteral("select ChangedAt, Action, TableName, Exam, ColumnName, OldValue, "
                       "NewValue, EmployeeID, MedTechID, Workstation from laboratory..tbLabAudit "
                       "where RequestNum = '") +
        ado::quoted(request_) + QStringLiteral("' order by AuditID"));
    for (; rs->State() == ado::adStateOpen && !rs->eof(); rs->MoveNext()) {
        QStringList row;
        for (int c = 0; c < rs->FieldCount(); ++c)
            row << rs->Fields(c).Value.text();
        rows << row;
    }
    fill(audit_, rows);
    // The latest rows are the ones asked about.
    audit_->scrollToBottom();
    rows.clear();
    for (const auto& r : dbsetup::archivedReports(laboratory_.connection(), request_))
        rows << QStringList{QString::number(r.number),
                            r.printedAt,
                            r.kind,
                            r.document,
                            r.employee,
                            r.medtech,
                            r.workstation};
    fill(reports_, rows);
    if (!rows.isEmpty())
        reports_->selectRow(int(rows.size()) - 1);
    reports_->setFocus();
}

void HistoryDialog::reprintSelected() {
    const int row = reports_->currentRow();
    if (row < 0) {
        said_->setText(QStringLiteral("No report of %1 was printed yet.").arg(request_));
        return;
    }
    try {
        const auto reports = dbsetup::archivedReports(laboratory_.connection(), request_);
        const auto& r = reports.at(size_t(row));
        said_->setText(QStringLiteral("Printed report %1 (%2) again to %3.")
                           .arg(r.number)
                           .arg(r.kind, dbsetup::reprint(r)));
    } catch (const vrt::RuntimeError& e) {
        said_->setText(
            QStringLiteral("Report %1 was not printed: %2").arg(row + 1).arg(e.description()));
    }
}
