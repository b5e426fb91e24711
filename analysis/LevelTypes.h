#pragma once

#include <array>
#include <cstdint>

constexpr int32_t kMaxFftSize = 262144;
constexpr int32_t kMinFftSize = 1024;
constexpr int32_t kMaxSpectrumLines = kMaxFftSize / 2;
constexpr int32_t kSampleRateHz = 44100;

// Levels of one spectral line in hundredths of a decibel, left channel first.
using LevelPair = std::array<int32_t, 2>;

// One analysed spectrum: line j of an N-point transform stands for
// j * 44100 / N Hz; lines 0 to N/2 - 1 are valid. Floor -14000.
using SpectrumLevels = std::array<LevelPair, kMaxSpectrumLines>;

// Beside a spectrum's levels: the power (full scale 1.0 for a sine's peak
// squared, as the levels) of each line whose level is at the floor, 0 for
// the others. What the floor hides: the noise of a quiet input summed.
using FloorPowerPair = std::array<float, 2>;
using SpectrumFloorPowers = std::array<FloorPowerPair, kMaxSpectrumLines>;
