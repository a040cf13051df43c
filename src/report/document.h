#pragma once

#include <QString>
#include <cstdint>

namespace report {

// The routines that put text into the report document (frmPrinter.rtbDummy)
// and shape values into fixed-width columns. Widths count characters.

// Appends one piece in "Courier New" at the given point size, plain.
void Add_Text(const QString& strText, int16_t intSize);
// Appends the text intCount times (nothing below 1), in "Courier New" at the
// size the document was left at.
void Add_Repeated(const QString& strText, int16_t intCount);
// The trimmed value cut or padded with spaces to exactly intWidth characters.
QString Fix_Width(const QString& strValue, int16_t intWidth);
// The trimmed value padded with spaces to intWidth + 1 characters; a longer
// value comes back uncut.
QString Fill_Spaces(const QString& strValue, int16_t intWidth);

} // namespace report
