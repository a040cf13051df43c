#pragma once

#include <QString>
#include <array>

namespace entry {

// One entry screen's share of a layout. Heights are twips; kept in 32 bits so
// that any number of exams lays out.
struct GridSlot {
    int Count = 0;
    int Spare = 0;
    int Height = 500;
    bool Used = false;
};

// Indexes 0 to 9 are the entry screens; 10 is reset but never used.
std::array<GridSlot, 11>& gridTable();

// The screen code of an exam's form type ("1" -> "0", "H" or empty -> "H", ...).
QString Map_FormCode(const QString& formType);

void Hide_Grids();
void Reset_Grids();
// Places every exam of the list on the exam form's entry screens and stacks them.
void Draw_Exams();
void Arrange_Grids();

} // namespace entry
