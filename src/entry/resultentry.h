#pragma once

#include <cstdint>

namespace entry {

// Reads the hospital heading, chooses the result window by the first exam
// and shows it modally at the given position (twips).
void Show_ResultEntry(int16_t intTop, int16_t intLeft);

} // namespace entry
