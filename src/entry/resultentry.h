#pragma once

#include "platform/forms/form.h"

#include <cstdint>

namespace entry {

// Reads the hospital heading, chooses the result window by the first exam
// and shows it modally at the given position (twips).
void Show_ResultEntry(int16_t intTop, int16_t intLeft);

// Whose results a window takes: the patient and the request.
forms::Identity patientIdentity();

// Shows a result window of the request modally. Its title bar and the banner
// of every window opened while it is shown (the sign-off and the picker
// too) name the patient and the request.
void showForRequest(forms::Form& form);

} // namespace entry
