#pragma once

#include <string>

#include "measurement/AnalysedLevels.h"
#include "recording/RecordingResult.h"

// A recording's analysed spectrum as a source of spectra hands it to
// ShownMeasurementBuilder: its averaged levels and held maximum at the file's
// rate, the blocks as a continuous average ("Fortlaufend, N gemittelt"),
// and `name` (Windows-1252) where a live spectrum names its input. The
// result points into `spectrum`, which must outlive it.
AnalysedLevels LevelsOfRecording(const RecordingResult& spectrum, const std::string& name);
