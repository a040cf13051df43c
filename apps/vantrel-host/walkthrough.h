#pragma once

#include "laboratory.h"

#include <QString>

// A short scripted run for machines without a display: results of several
// forms are entered, as a technologist would type them, over whatever the
// requests hold already, and saved with Print & Save into the print folder.
// Says what was stored and which reports were printed; returns the process
// exit code (1 when a request was not saved or its report not printed).
int runWalkthrough(Laboratory& laboratory, const QString& printFolder);

// The released request whose result the walk-through corrects.
QString correctedRequest();
