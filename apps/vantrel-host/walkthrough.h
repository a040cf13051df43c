#pragma once

#include "laboratory.h"

#include <QString>

// A short scripted run for machines without a display: a urinalysis and a
// stool result are entered and saved with Print & Save, as a technologist
// would type them. Returns the process exit code.
int runWalkthrough(Laboratory& laboratory, const QString& printFolder);
