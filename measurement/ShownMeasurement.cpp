#include "measurement/ShownMeasurement.h"

ShownMeasurement::ShownMeasurement()
    : Levels(std::make_unique<SpectrumLevels>()),
      Held(std::make_unique<SpectrumLevels>()),
      Floors(std::make_unique<std::array<uint8_t, kMaxSpectrumLines>>()) {}
