#pragma once

#include "platform/runtime/variant.h"

#include <QTableWidget>
#include <vector>

namespace controls {

// Grid of rows taken from a recordset. Row 0 is the fixed header row (the
// column names); data rows are 1 to Rows - 1. Widths are in twips.
class MSHFlexGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit MSHFlexGrid(QWidget* parent = nullptr);

    void Clear();
    void setDataSource(const QStringList& columns,
                       const std::vector<std::vector<vrt::Variant>>& rows);
    int Rows() const { return rowCount() + 1; }
    int Cols() const { return columnCount(); }
    // The current row (1 after binding rows; 0 when there are none).
    int Row() const;
    void setRow(int row);
    QString TextMatrix(int row, int col) const;
    void setColWidth(int col, int twips);
    int ColWidth(int col) const;

signals:
    // A click on a cell, or Enter in the grid.
    void Click();
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::vector<int> widthsTwips_;
};

} // namespace controls
