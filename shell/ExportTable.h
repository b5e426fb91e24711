#pragma once

#include "export/LevelTable.h"
#include "measurement/ShownMeasurement.h"

// The spectrum shown as a spectrum file holds it: a row per line with its
// levels as shown, and the header's facts as the spectrum carries them (the
// program, now as the time written). What the menu's export and the command
// line write alike.
LevelTable ExportTableOf(const ShownMeasurement& shown);
