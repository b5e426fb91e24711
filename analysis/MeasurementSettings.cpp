#include "analysis/MeasurementSettings.h"

// Zero-initialised at process start-up: all fields 0 until the settings are stored.
MeasurementSettings Settings;
