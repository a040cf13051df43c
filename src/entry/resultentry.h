#pragma once

#include <QString>
#include <cstdint>

namespace entry {

// Reads the hospital heading, chooses the result window by the first exam
// and shows it modally at the given position (twips).
void Show_ResultEntry(int16_t intTop, int16_t intLeft);

// Whose results a window takes: patient name, hospital number and request
// number, as the title bar shows them after the window's caption.
QString patientIdentity();

} // namespace entry
