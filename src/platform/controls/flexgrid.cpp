#include "flexgrid.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace controls {

MSHFlexGrid::MSHFlexGrid(QWidget* parent) : QTableWidget(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setWordWrap(false);
    connect(this, &QTableWidget::cellClicked, this, [this](int, int) { emit Click(); });
}

void MSHFlexGrid::Clear() {
    widthsTwips_.clear();
    clear();
    setRowCount(0);
    setColumnCount(0);
}

void MSHFlexGrid::setDataSource(const QStringList& columns,
                                const std::vector<std::vector<vrt::Variant>>& rows) {
    Clear();
    setColumnCount(static_cast<int>(columns.size()));
    setHorizontalHeaderLabels(columns);
    setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < static_cast<int>(columns.size()); ++c)
            setItem(
                r, c,
                new QTableWidgetItem(rows[static_cast<size_t>(r)][static_cast<size_t>(c)].text()));
    if (!rows.empty())
        setCurrentCell(0, 0);
}

int MSHFlexGrid::Row() const {
    if (rowCount() == 0)
        return 0;
    return currentRow() < 0 ? 1 : currentRow() + 1;
}

void MSHFlexGrid::setRow(int row) {
    if (row >= 1 && row <= rowCount())
        setCurrentCell(row - 1, currentColumn() < 0 ? 0 : currentColumn());
}

QString MSHFlexGrid::TextMatrix(int row, int col) const {
    if (row == 0) {
        const QTableWidgetItem* h = horizontalHeaderItem(col);
        return h ? h->text() : QString();
    }
    const QTableWidgetItem* i = item(row - 1, col);
    return i ? i->text() : QString();
}

void MSHFlexGrid::setColWidth(int col, int twips) {
    if (col < 0 || col >= columnCount())
        return;
    if (static_cast<int>(widthsTwips_.size()) <= col)
        widthsTwips_.resize(static_cast<size_t>(col) + 1, -1);
    widthsTwips_[static_cast<size_t>(col)] = twips;
    setColumnWidth(col, twips / 15);
}

// The width as it was set, in twips (pixels lose the remainder).
int MSHFlexGrid::ColWidth(int col) const {
    if (col >= 0 && col < static_cast<int>(widthsTwips_.size()) &&
        widthsTwips_[static_cast<size_t>(col)] >= 0)
        return widthsTwips_[static_cast<size_t>(col)];
    return columnWidth(col) * 15;
}

void MSHFlexGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit enterPressed();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

} // namespace controls
